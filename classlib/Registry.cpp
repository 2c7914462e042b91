#include "Registry.h"

#include <algorithm>
#include <cstring>

namespace classlib {

namespace {

std::string StripLeadingBackslash(const std::string& path) {
    return (!path.empty() && path[0] == '\\') ? path.substr(1) : path;
}

[[noreturn]] void RaiseGet(const std::string& name) {
    throw ERegistryException("Failed to get data for '" + name + "'");
}

[[noreturn]] void RaiseSet(const std::string& name) {
    throw ERegistryException("Failed to set data for '" + name + "'");
}

}  // namespace

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY root) {
    CloseKey();
    FRootKey = root;
}

bool TRegistry::OpenKey(const std::string& path, bool canCreate) {
    CloseKey();
    const std::string rel = StripLeadingBackslash(path);
    HKEY key = nullptr;
    LONG rc;
    if (canCreate) {
        rc = ::RegCreateKeyExA(FRootKey, rel.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                               &key, nullptr);
    } else {
        rc = ::RegOpenKeyExA(FRootKey, rel.c_str(), 0, KEY_ALL_ACCESS, &key);
    }
    if (rc != ERROR_SUCCESS) return false;
    FCurrentKey = key;
    FCurrentPath = rel;
    return true;
}

void TRegistry::CloseKey() {
    if (FCurrentKey) {
        ::RegCloseKey(FCurrentKey);
        FCurrentKey = nullptr;
    }
    FCurrentPath.clear();
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& info) const {
    info = TRegKeyInfo{};
    return ::RegQueryInfoKeyA(BaseKey(), nullptr, nullptr, nullptr, &info.NumSubKeys, &info.MaxSubKeyLen, nullptr,
                              &info.NumValues, &info.MaxValueLen, &info.MaxDataLen, nullptr,
                              &info.FileTime) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& path) const {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(FRootKey, StripLeadingBackslash(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

bool TRegistry::ValueExists(const std::string& name) const {
    return ::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegistry::HasSubKeys() const {
    TRegKeyInfo info;
    return GetKeyInfo(info) && info.NumSubKeys > 0;
}

DWORD TRegistry::QueryRaw(const std::string& name, DWORD& type, std::vector<BYTE>& data) const {
    // The size may grow between the two calls when another program writes
    // the value meanwhile: ask again with the size the system reports.
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD size = 0;
        LONG rc = ::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, &type, nullptr, &size);
        if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
        data.assign(size, 0);
        rc = ::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &size);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return static_cast<DWORD>(rc);
        data.resize(size);
        return ERROR_SUCCESS;
    }
    return ERROR_MORE_DATA;
}

void TRegistry::SetRaw(const std::string& name, DWORD type, const void* data, DWORD size) {
    if (::RegSetValueExA(BaseKey(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        RaiseSet(name);
}

TRegDataType TRegistry::GetDataType(const std::string& name) const {
    DWORD type = 0;
    if (::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
        return TRegDataType::rdUnknown;
    switch (type) {
        case REG_SZ: return TRegDataType::rdString;
        case REG_EXPAND_SZ: return TRegDataType::rdExpandString;
        case REG_DWORD: return TRegDataType::rdInteger;
        case REG_BINARY: return TRegDataType::rdBinary;
        default: return TRegDataType::rdUnknown;
    }
}

int TRegistry::GetDataSize(const std::string& name) const {
    DWORD size = 0;
    if (::RegQueryValueExA(BaseKey(), name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return -1;
    return static_cast<int>(size);
}

std::string TRegistry::ReadString(const std::string& name) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (QueryRaw(name, type, data) != ERROR_SUCCESS) RaiseGet(name);
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for '" + name + "'");
    std::string s(data.begin(), data.end());
    const size_t nul = s.find('\0');
    if (nul != std::string::npos) s.resize(nul);
    return s;
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    SetRaw(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    SetRaw(name, REG_EXPAND_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

int TRegistry::ReadInteger(const std::string& name) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (QueryRaw(name, type, data) != ERROR_SUCCESS) RaiseGet(name);
    if (type != REG_DWORD || data.size() < 4) throw ERegistryException("Invalid data type for '" + name + "'");
    DWORD v = 0;
    memcpy(&v, data.data(), 4);
    return static_cast<int>(v);
}

void TRegistry::WriteInteger(const std::string& name, int value) {
    DWORD v = static_cast<DWORD>(value);
    SetRaw(name, REG_DWORD, &v, sizeof v);
}

int TRegistry::ReadBinaryData(const std::string& name, void* buffer, int size) const {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (QueryRaw(name, type, data) != ERROR_SUCCESS) RaiseGet(name);
    if (size < 0 || data.size() > static_cast<size_t>(size)) RaiseGet(name);
    if (!data.empty()) memcpy(buffer, data.data(), data.size());
    return static_cast<int>(data.size());
}

void TRegistry::WriteBinaryData(const std::string& name, const void* buffer, int size) {
    if (size < 0) RaiseSet(name);
    SetRaw(name, REG_BINARY, buffer, static_cast<DWORD>(size));
}

TRegRawValue TRegistry::ReadRaw(const std::string& name) const {
    TRegRawValue v;
    if (QueryRaw(name, v.Type, v.Data) != ERROR_SUCCESS) RaiseGet(name);
    return v;
}

void TRegistry::WriteRaw(const std::string& name, const TRegRawValue& value) {
    SetRaw(name, value.Type, value.Data.empty() ? nullptr : value.Data.data(), static_cast<DWORD>(value.Data.size()));
}

bool TRegistry::DeleteValue(const std::string& name) {
    return ::RegDeleteValueA(BaseKey(), name.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteKey(const std::string& path) {
    return DeleteRegistryTree(BaseKey(), StripLeadingBackslash(path));
}

bool TRegistry::RenameValue(const std::string& oldName, const std::string& newName) {
    if (!FCurrentKey) return false;
    TRegRawValue v;
    if (QueryRaw(oldName, v.Type, v.Data) != ERROR_SUCCESS) return false;
    if (::RegSetValueExA(FCurrentKey, newName.c_str(), 0, v.Type, v.Data.empty() ? nullptr : v.Data.data(),
                         static_cast<DWORD>(v.Data.size())) != ERROR_SUCCESS)
        return false;
    return ::RegDeleteValueA(FCurrentKey, oldName.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::MoveKey(const std::string& oldPath, const std::string& newPath, bool doDelete) {
    const std::string from = StripLeadingBackslash(oldPath), to = StripLeadingBackslash(newPath);
    HKEY src = nullptr, dst = nullptr;
    if (::RegOpenKeyExA(FRootKey, from.c_str(), 0, KEY_READ, &src) != ERROR_SUCCESS) return false;
    DWORD disposition = 0;
    if (::RegCreateKeyExA(FRootKey, to.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &dst,
                          &disposition) != ERROR_SUCCESS) {
        ::RegCloseKey(src);
        return false;
    }
    const bool copied = CopyRegistryTree(src, dst);
    ::RegCloseKey(dst);
    ::RegCloseKey(src);
    if (!copied) {
        if (disposition == REG_CREATED_NEW_KEY) DeleteRegistryTree(FRootKey, to);
        return false;
    }
    if (doDelete) return DeleteRegistryTree(FRootKey, from);
    return true;
}

bool CopyRegistryTree(HKEY src, HKEY dst) {
    DWORD numSub = 0, maxSub = 0, numVal = 0, maxValName = 0, maxData = 0;
    if (::RegQueryInfoKeyA(src, nullptr, nullptr, nullptr, &numSub, &maxSub, nullptr, &numVal, &maxValName, &maxData,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    std::vector<char> name(maxValName + 2);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0;; ++i) {
        DWORD nameLen = static_cast<DWORD>(name.size()), dataLen = static_cast<DWORD>(data.size()), type = 0;
        LONG rc = ::RegEnumValueA(src, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_MORE_DATA) {  // grew meanwhile: size from the system
            DWORD n = 0, d = 0;
            ::RegQueryInfoKeyA(src, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, &d, nullptr,
                               nullptr);
            name.resize(std::max<size_t>(name.size(), n + 2));
            data.resize(std::max<size_t>(data.size(), d + 1));
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS ||
            ::RegSetValueExA(dst, name.data(), 0, type, data.data(), dataLen) != ERROR_SUCCESS) {
            ok = false;
        }
    }
    std::vector<char> sub(maxSub + 2);
    for (DWORD i = 0;; ++i) {
        DWORD len = static_cast<DWORD>(sub.size());
        LONG rc = ::RegEnumKeyExA(src, i, sub.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_MORE_DATA) {
            sub.resize(sub.size() * 2 + 256);
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS) {
            ok = false;
            continue;
        }
        HKEY s = nullptr, d = nullptr;
        if (::RegOpenKeyExA(src, sub.data(), 0, KEY_READ, &s) != ERROR_SUCCESS) {
            ok = false;
            continue;
        }
        if (::RegCreateKeyExA(dst, sub.data(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &d,
                              nullptr) != ERROR_SUCCESS) {
            ::RegCloseKey(s);
            ok = false;
            continue;
        }
        if (!CopyRegistryTree(s, d)) ok = false;
        ::RegCloseKey(d);
        ::RegCloseKey(s);
    }
    return ok;
}

bool DeleteRegistryTree(HKEY parent, const std::string& name) {
    if (name.empty()) return false;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(parent, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    std::vector<std::string> subs;
    char buf[1024];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof buf;
        LONG rc = ::RegEnumKeyExA(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS) subs.emplace_back(buf, len);
    }
    bool ok = true;
    for (const auto& s : subs)
        if (!DeleteRegistryTree(key, s)) ok = false;
    ::RegCloseKey(key);
    if (!ok) return false;
    return ::RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}

}  // namespace classlib
