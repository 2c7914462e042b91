#include "zrvRegistry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Seams.h"

namespace {

struct RootKeyEntry {
    DWORD Handle;
    const char* Name;
};

// In handle order.
const RootKeyEntry kRootKeys[kRootKeyCount] = {
    {0x80000000u, "HKEY_CLASSES_ROOT"},  {0x80000001u, "HKEY_CURRENT_USER"},
    {0x80000002u, "HKEY_LOCAL_MACHINE"}, {0x80000003u, "HKEY_USERS"},
    {0x80000004u, "HKEY_PERFORMANCE_DATA"}, {0x80000005u, "HKEY_CURRENT_CONFIG"},
    {0x80000006u, "HKEY_DYN_DATA"},
};

// The order in which names are looked up.
const int kLookupOrder[kRootKeyCount] = {0, 1, 2, 3, 5, 6, 4};

// Retries of one entry whose name or data grew since the key information.
const int kGrowRetries = 4;

}  // namespace

HKEY RootKeyAt(int index) {
    if (index < 0 || index >= kRootKeyCount) return nullptr;
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(kRootKeys[index].Handle))));
}

int RootKeyIndex(HKEY key) {
    for (int i = 0; i < kRootKeyCount; ++i)
        if (key == RootKeyAt(i)) return i;
    return -1;
}

bool SameKey(HKEY a, HKEY b) { return a == b; }

bool IsRootKey(HKEY key) { return RootKeyIndex(key) >= 0; }

std::string RootKeyToName(HKEY key) {
    const int i = RootKeyIndex(key);
    return i < 0 ? std::string() : kRootKeys[i].Name;
}

std::string UpperCaseAscii(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

HKEY NameToRootKey(const std::string& name) {
    const std::string upper = UpperCaseAscii(name);
    for (int i : kLookupOrder)
        if (upper == kRootKeys[i].Name) return RootKeyAt(i);
    return nullptr;
}

void MapRootKey(HKEY& root, std::string& prefix) {
    if (root == HKEY_CLASSES_ROOT) {
        root = HKEY_LOCAL_MACHINE;
        prefix = "Software\\Classes";
    } else if (root == HKEY_LOCAL_MACHINE || root == HKEY_USERS) {
        prefix.clear();
    }
}

bool RegGetKeyInfo(HKEY key, TKeyInfo& info) {
    info = TKeyInfo{};
    const bool ok = ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &info.NumSubKeys, &info.MaxSubKeyLen, nullptr,
                                       &info.NumValues, &info.MaxValueNameLen, &info.MaxDataLen, nullptr,
                                       &info.LastWriteTime) == ERROR_SUCCESS;
    if (classlib::Seams().FarEastLocale() && classlib::IsNTFamily()) {
        info.MaxSubKeyLen *= 2;
        info.MaxValueNameLen *= 2;
    }
    return ok;
}

namespace {

// Grows a buffer to what the key reports now, at least one step larger.
void Grow(std::vector<char>& buf, DWORD reported) {
    size_t want = static_cast<size_t>(reported) + 1;
    if (want <= buf.size()) want = buf.size() * 2 + 64;
    buf.assign(want, '\0');
}

}  // namespace

void RegGetKeyNames(HKEY key, classlib::TStringList& list) {
    list.Clear();
    TKeyInfo info;
    if (!RegGetKeyInfo(key, info)) return;
    std::vector<char> name(info.MaxSubKeyLen + 1);
    for (DWORD i = 0; i < info.NumSubKeys; ++i) {
        for (int attempt = 0; attempt <= kGrowRetries; ++attempt) {
            DWORD len = static_cast<DWORD>(name.size());
            const LONG rc = ::RegEnumKeyExA(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_SUCCESS) {
                list.Add(std::string(name.data(), len));
                break;
            }
            if (rc != ERROR_MORE_DATA) break;
            TKeyInfo now;
            RegGetKeyInfo(key, now);
            Grow(name, now.MaxSubKeyLen);
        }
    }
}

void RegGetValueList(HKEY key, classlib::TStringList& names, classlib::TStringList* dataTexts, bool dwordAsText) {
    names.Clear();
    if (dataTexts) dataTexts->Clear();
    TKeyInfo info;
    if (!RegGetKeyInfo(key, info)) return;
    std::vector<char> name(info.MaxValueNameLen + 1);
    std::vector<char> data(static_cast<size_t>(info.MaxDataLen) + 1);
    for (DWORD i = 0; i < info.NumValues; ++i) {
        for (int attempt = 0; attempt <= kGrowRetries; ++attempt) {
            DWORD nameLen = static_cast<DWORD>(name.size());
            DWORD dataLen = static_cast<DWORD>(data.size());
            DWORD type = 0;
            const LONG rc = ::RegEnumValueA(key, i, name.data(), &nameLen, nullptr, &type,
                                            reinterpret_cast<BYTE*>(data.data()), &dataLen);
            if (rc == ERROR_MORE_DATA) {
                // The name or the data grew since the key information: take
                // the sizes the system reports now and ask again.
                TKeyInfo now;
                RegGetKeyInfo(key, now);
                if (now.MaxValueNameLen + 1 > name.size()) Grow(name, now.MaxValueNameLen);
                if (static_cast<size_t>(now.MaxDataLen) + 1 > data.size() || dataLen + 1 > data.size())
                    Grow(data, std::max(now.MaxDataLen, dataLen));
                continue;
            }
            if (rc != ERROR_SUCCESS) break;
            const std::string valueName(name.data(), nameLen);
            names.Add(valueName);
            if (dataTexts) {
                std::string line;
                if (type == REG_SZ || type == REG_EXPAND_SZ) {
                    const size_t n = std::min<size_t>(dataLen, data.size());
                    line.assign(data.data(), strnlen(data.data(), n));
                } else if ((type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) && dwordAsText) {
                    DWORD value = 0, size = sizeof value;
                    if (::RegQueryValueExA(key, valueName.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&value),
                                           &size) == ERROR_SUCCESS)
                        line = std::to_string(static_cast<unsigned long>(value));
                }
                dataTexts->Add(line);
            }
            break;
        }
    }
}

int SubKeyIndex(HKEY key, const std::string& name) {
    TKeyInfo info;
    if (!RegGetKeyInfo(key, info)) return -1;
    const std::string wanted = UpperCaseAscii(name);
    std::vector<char> buf(info.MaxSubKeyLen + 1);
    for (DWORD i = 0; i < info.NumSubKeys; ++i) {
        LONG rc = ::RegEnumKeyA(key, i, buf.data(), static_cast<DWORD>(buf.size()));
        for (int attempt = 0; rc == ERROR_MORE_DATA && attempt < kGrowRetries; ++attempt) {
            Grow(buf, 255);
            rc = ::RegEnumKeyA(key, i, buf.data(), static_cast<DWORD>(buf.size()));
        }
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;
        if (UpperCaseAscii(buf.data()) == wanted) return static_cast<int>(i);
    }
    return -1;
}
