#include "zrvRegistry.h"

#include <algorithm>
#include <cstring>
#include <vector>

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

std::wstring UpperCaseAscii(std::wstring s) {
    for (wchar_t& c : s)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

bool SameNameIgnoringCase(std::wstring a, std::wstring b) {
    if (a.size() != b.size()) return false;
    if (!a.empty()) {
        ::CharUpperBuffW(&a[0], static_cast<DWORD>(a.size()));
        ::CharUpperBuffW(&b[0], static_cast<DWORD>(b.size()));
    }
    return a == b;
}

HKEY NameToRootKey(const std::string& name) {
    const std::string upper = UpperCaseAscii(name);
    for (int i : kLookupOrder)
        if (upper == kRootKeys[i].Name) return RootKeyAt(i);
    return nullptr;
}

namespace {

// The root that only some versions have, or none.
HKEY VersionRootKey(const OSVERSIONINFOA& version) {
    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS) return HKEY_DYN_DATA;
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion <= 4) return HKEY_PERFORMANCE_DATA;
    return nullptr;
}

std::vector<HKEY> WithVersionRoot(std::vector<HKEY> roots, const OSVERSIONINFOA& version) {
    if (HKEY extra = VersionRootKey(version)) roots.push_back(extra);
    return roots;
}

}  // namespace

std::vector<HKEY> ShownRootKeys(const OSVERSIONINFOA& version) {
    return WithVersionRoot(
        {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG}, version);
}

std::vector<HKEY> ExportedRootKeys(const OSVERSIONINFOA& version) {
    return WithVersionRoot({HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_USER}, version);
}

void MapRootKey(HKEY& root, std::string& prefix) {
    if (root == HKEY_CLASSES_ROOT) {
        root = HKEY_LOCAL_MACHINE;
        prefix = "Software\\Classes";
    } else if (root == HKEY_LOCAL_MACHINE || root == HKEY_USERS) {
        prefix.clear();
    }
}

bool RegGetKeyInfo(HKEY key, TKeyInfo& info) { return classlib::ReadKeyInfo(key, info); }

void RegGetKeyNames(HKEY key, classlib::TStringList& list) {
    list.Clear();
    classlib::TSubKeyEnum subKeys(key);
    if (!subKeys.Ok()) return;
    for (DWORD i = 0; i < subKeys.Count(); ++i)
        if (subKeys.Read(i) == ERROR_SUCCESS) list.Add(classlib::ToAnsi(subKeys.NameText()));
}

void RegGetValueList(HKEY key, classlib::TStringList& names, classlib::TStringList* dataTexts, bool dwordAsText) {
    names.Clear();
    if (dataTexts) dataTexts->Clear();
    classlib::TValueEnum values(key, dataTexts != nullptr);
    if (!values.Ok()) return;
    for (DWORD i = 0; i < values.Count(); ++i) {
        if (values.Read(i) != ERROR_SUCCESS) continue;
        names.Add(classlib::ToAnsi(values.NameText()));
        if (!dataTexts) continue;
        std::string line;
        const DWORD type = values.Type();
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            // Up to the first NUL, or the data's end when it has none.
            const auto* text = reinterpret_cast<const WCHAR*>(values.Data());
            const size_t chars = values.Size() / sizeof(WCHAR);
            line = classlib::ToAnsi(std::wstring(text, std::find(text, text + chars, L'\0')));
        } else if ((type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) && dwordAsText) {
            DWORD value = 0;
            memcpy(&value, values.Data(), std::min<size_t>(values.Size(), sizeof value));
            line = std::to_string(static_cast<unsigned long>(value));
        }
        dataTexts->Add(line);
    }
}

int SubKeyIndex(HKEY key, const std::string& name) {
    classlib::TSubKeyEnum subKeys(key);
    if (!subKeys.Ok()) return -1;
    const std::string wanted = UpperCaseAscii(name);
    for (DWORD i = 0; i < subKeys.Count(); ++i) {
        const LONG rc = subKeys.Read(i);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS && UpperCaseAscii(classlib::ToAnsi(subKeys.NameText())) == wanted)
            return static_cast<int>(i);
    }
    return -1;
}
