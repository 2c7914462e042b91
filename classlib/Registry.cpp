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

// Names and paths go to the wide functions for moves and renames, so that
// names and string data that the code page cannot hold pass unchanged.
std::wstring Wide(const std::string& s) {
    if (s.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

// The non-empty names of a path, upper-cased (ASCII) for comparing.
std::vector<std::string> UpperNames(const std::string& path) {
    std::vector<std::string> names(1);
    for (char c : path) {
        if (c == '\\') {
            if (!names.back().empty()) names.emplace_back();
        } else {
            names.back() += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
    }
    if (names.back().empty()) names.pop_back();
    return names;
}

// Whether inner is outer itself or lies below it.
bool SameOrBelow(const std::string& outer, const std::string& inner) {
    const auto o = UpperNames(outer), i = UpperNames(inner);
    return i.size() >= o.size() && std::equal(o.begin(), o.end(), i.begin());
}

// Whether a key exists, also for paths longer than the ANSI functions take.
bool WideKeyExists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, Wide(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

// The registry's nesting limit; a copy deeper than this has run into itself.
const int kMaxTreeDepth = 512;

bool CopyTree(HKEY src, HKEY dst, int depth);

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
    // Paths go in wide: the ANSI functions refuse paths over 260 characters
    // under Wine, though every key name on them is a valid one.
    const std::wstring wide = Wide(rel);
    if (canCreate) {
        rc = ::RegCreateKeyExW(FRootKey, wide.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                               &key, nullptr);
    } else {
        rc = ::RegOpenKeyExW(FRootKey, wide.c_str(), 0, KEY_ALL_ACCESS, &key);
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
    if (::RegOpenKeyExW(FRootKey, Wide(StripLeadingBackslash(path)).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
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
    const std::wstring from = Wide(oldName), to = Wide(newName);
    // The new name must be free. A name that differs only in capitals names
    // the same value: writing it and deleting the old one would lose it.
    if (::RegQueryValueExW(FCurrentKey, to.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_FILE_NOT_FOUND)
        return false;
    DWORD type = REG_NONE;
    std::vector<BYTE> data(256);
    LONG rc = ERROR_MORE_DATA;
    DWORD size = 0;
    for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < 8; ++attempt) {
        size = static_cast<DWORD>(data.size());
        rc = ::RegQueryValueExW(FCurrentKey, from.c_str(), nullptr, &type, data.data(), &size);
        if (rc == ERROR_MORE_DATA) data.resize(std::max<size_t>(data.size() * 2, size));
    }
    if (rc != ERROR_SUCCESS) return false;
    // The new value first: when it cannot be written the old one is untouched.
    if (::RegSetValueExW(FCurrentKey, to.c_str(), 0, type, data.data(), size) != ERROR_SUCCESS) return false;
    if (::RegDeleteValueW(FCurrentKey, from.c_str()) == ERROR_SUCCESS) return true;
    ::RegDeleteValueW(FCurrentKey, to.c_str());
    return false;
}

bool TRegistry::MoveKey(const std::string& oldPath, const std::string& newPath, bool doDelete) {
    const std::string from = StripLeadingBackslash(oldPath), to = StripLeadingBackslash(newPath);
    // The destination must be free and must not lie inside the source.
    if (UpperNames(to).empty() || WideKeyExists(FRootKey, to) || SameOrBelow(from, to)) return false;
    HKEY src = nullptr, dst = nullptr;
    if (::RegOpenKeyExW(FRootKey, Wide(from).c_str(), 0, KEY_READ, &src) != ERROR_SUCCESS) return false;
    // The highest level that the creation adds, to remove on failure.
    std::string created;
    for (size_t pos = 0;; ++pos) {
        pos = to.find('\\', pos);
        created = to.substr(0, pos);
        if (pos == std::string::npos || !WideKeyExists(FRootKey, created)) break;
    }
    if (::RegCreateKeyExW(FRootKey, Wide(to).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE,
                          nullptr, &dst, nullptr) != ERROR_SUCCESS) {
        ::RegCloseKey(src);
        return false;
    }
    const bool copied = CopyRegistryTree(src, dst);
    ::RegCloseKey(dst);
    ::RegCloseKey(src);
    if (!copied) {
        DeleteRegistryTree(FRootKey, created);
        return false;
    }
    if (doDelete) return DeleteRegistryTree(FRootKey, from);
    return true;
}

namespace {

// Every value and subkey of src into dst, types and bytes as stored; true
// when all arrived.
bool CopyTree(HKEY src, HKEY dst, int depth) {
    DWORD numSub = 0, maxSub = 0, numVal = 0, maxData = 0;
    if (::RegQueryInfoKeyW(src, nullptr, nullptr, nullptr, &numSub, &maxSub, nullptr, &numVal, nullptr, &maxData,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    std::vector<WCHAR> name(16384);  // the longest value name and its terminator
    std::vector<BYTE> data(static_cast<size_t>(maxData) + 1);
    for (DWORD i = 0; i < numVal; ++i) {
        DWORD nameLen = 0, dataLen = 0, type = 0;
        LONG rc = ERROR_MORE_DATA;
        for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < 8; ++attempt) {
            nameLen = static_cast<DWORD>(name.size());
            dataLen = static_cast<DWORD>(data.size());
            rc = ::RegEnumValueW(src, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
            if (rc == ERROR_MORE_DATA) data.resize(std::max<size_t>(data.size() * 2, dataLen + 1));
        }
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS || ::RegSetValueExW(dst, name.data(), 0, type, data.data(), dataLen) != ERROR_SUCCESS)
            ok = false;
    }
    if (numSub > 0 && depth >= kMaxTreeDepth) return false;
    std::vector<WCHAR> sub(std::max<DWORD>(maxSub, 255) + 1);
    for (DWORD i = 0; i < numSub; ++i) {
        DWORD len = static_cast<DWORD>(sub.size());
        const LONG rc = ::RegEnumKeyExW(src, i, sub.data(), &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        HKEY s = nullptr, d = nullptr;
        if (rc != ERROR_SUCCESS || ::RegOpenKeyExW(src, sub.data(), 0, KEY_READ, &s) != ERROR_SUCCESS) {
            ok = false;
            continue;
        }
        if (::RegCreateKeyExW(dst, sub.data(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &d,
                              nullptr) != ERROR_SUCCESS) {
            ::RegCloseKey(s);
            ok = false;
            continue;
        }
        if (!CopyTree(s, d, depth + 1)) ok = false;
        ::RegCloseKey(d);
        ::RegCloseKey(s);
    }
    return ok;
}

// A link key is deleted itself, never the key it points to.
bool DeleteTree(HKEY parent, const std::wstring& name) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(parent, name.c_str(), REG_OPTION_OPEN_LINK, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    std::vector<std::wstring> subs;
    WCHAR buf[512];
    for (DWORD i = 0;; ++i) {
        DWORD len = 512;
        const LONG rc = ::RegEnumKeyExW(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS) subs.emplace_back(buf, len);
    }
    bool ok = true;
    for (const auto& s : subs)
        if (!DeleteTree(key, s)) ok = false;
    // Deleted through the handle: a deletion by name would follow a link.
    using NtDeleteKeyFn = LONG(NTAPI*)(HANDLE);
    static const auto ntDeleteKey = reinterpret_cast<NtDeleteKeyFn>(
        reinterpret_cast<void (*)()>(::GetProcAddress(::GetModuleHandleA("ntdll.dll"), "NtDeleteKey")));
    bool gone = false;
    if (ok && ntDeleteKey) gone = ntDeleteKey(key) == 0;
    ::RegCloseKey(key);
    if (ok && !ntDeleteKey) gone = ::RegDeleteKeyW(parent, name.c_str()) == ERROR_SUCCESS;
    return gone;
}

}  // namespace

bool CopyRegistryTree(HKEY src, HKEY dst) { return CopyTree(src, dst, 0); }

bool DeleteRegistryTree(HKEY parent, const std::string& name) {
    if (UpperNames(name).empty()) return false;  // never the parent itself
    return DeleteTree(parent, Wide(name));
}

}  // namespace classlib
