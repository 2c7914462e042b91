#pragma once
// Helpers shared by the Windows tests: scratch registry keys under
// HKEY_CURRENT_USER\Software, scratch folders and recorded message boxes.
#include <windows.h>
#include <sddl.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Registry.h"
#include "Seams.h"

// ASCII text as a wide string.
inline std::wstring W(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// A uniquely named key under HKCU\Software, removed with all it holds.
class ScratchKey {
public:
    ScratchKey() {
        static int counter = 0;
        // Process ids repeat under Wine: the tick count keeps names apart, and
        // whatever a crashed run left under the same name goes first.
        Path = "Software\\TessmorelTest_" + std::to_string(::GetCurrentProcessId()) + "_" +
               std::to_string(::GetTickCount()) + "_" + std::to_string(++counter);
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Path);
        ::RegCreateKeyExA(HKEY_CURRENT_USER, Path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Key, nullptr);
    }
    ~ScratchKey() {
        if (Key) ::RegCloseKey(Key);
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Path);
    }
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    // Creates a subkey (a path below the scratch key).
    void AddKey(const std::string& sub) const {
        HKEY k = nullptr;
        ::RegCreateKeyExA(Key, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        if (k) ::RegCloseKey(k);
    }
    void SetValue(const std::string& name, DWORD type, const void* data, DWORD size, const std::string& sub = "") const {
        HKEY k = Key;
        if (!sub.empty()) ::RegCreateKeyExA(Key, sub.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        ::RegSetValueExA(k, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
        if (k != Key) ::RegCloseKey(k);
    }
    void SetString(const std::string& name, const std::string& value, const std::string& sub = "") const {
        SetValue(name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1), sub);
    }
    std::string Name() const { return Path.substr(Path.find('\\') + 1); }

    std::string Path;
    HKEY Key = nullptr;
};

// Replaces a key's access list ("D:P(A;;KR;;;WD)": read only for everyone,
// "D:P": nobody). The owner may always change it back.
inline void SetAccess(HKEY root, const std::string& path, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &sd, nullptr)) return;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
        ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
        ::RegCloseKey(key);
    }
    ::LocalFree(sd);
}
inline void Unlock(HKEY root, const std::string& path) { SetAccess(root, path, L"D:(A;;KA;;;WD)"); }

// Creates a key by its real (wide) name below the key at path, with a string value.
inline void CreateWide(HKEY root, const std::wstring& path, const std::wstring& valueName = L"",
                       const std::wstring& value = L"") {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != 0) return;
    if (!value.empty())
        ::RegSetValueExW(key, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                         static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
    ::RegCloseKey(key);
}

struct RecordedBox {
    std::string Text, Caption;
    UINT Flags;
};

// Records message boxes and answers them from a script (IDOK by default).
class MessageBoxRecorder {
public:
    MessageBoxRecorder() {
        classlib::Seams().MessageBox = [this](HWND, const std::string& text, const std::string& caption, UINT flags) {
            Boxes.push_back({text, caption, flags});
            if (!Answers.empty()) {
                const int a = Answers.front();
                Answers.erase(Answers.begin());
                return a;
            }
            return IDOK;
        };
    }
    ~MessageBoxRecorder() { classlib::ResetSeams(); }
    std::vector<RecordedBox> Boxes;
    std::vector<int> Answers;
};

// Plays a Windows version through the version seam.
inline void PretendWindows(DWORD platform, DWORD major, DWORD minor = 0) {
    classlib::Seams().GetVersion = [=](OSVERSIONINFOA& info) {
        info.dwPlatformId = platform;
        info.dwMajorVersion = major;
        info.dwMinorVersion = minor;
        info.dwBuildNumber = 1000;
        return TRUE;
    };
}

// The ANSI and the wide registry functions, for walking a key tree with either.
template <class Char>
struct RegText;
template <>
struct RegText<char> {
    static LONG EnumValue(HKEY k, DWORD i, char* name, DWORD* len, DWORD* type, BYTE* data, DWORD* size) {
        return ::RegEnumValueA(k, i, name, len, nullptr, type, data, size);
    }
    static LONG EnumKey(HKEY k, DWORD i, char* name, DWORD* len) {
        return ::RegEnumKeyExA(k, i, name, len, nullptr, nullptr, nullptr, nullptr);
    }
    static LONG Open(HKEY k, const char* name, HKEY* out) { return ::RegOpenKeyExA(k, name, 0, KEY_READ, out); }
};
template <>
struct RegText<wchar_t> {
    static LONG EnumValue(HKEY k, DWORD i, wchar_t* name, DWORD* len, DWORD* type, BYTE* data, DWORD* size) {
        return ::RegEnumValueW(k, i, name, len, nullptr, type, data, size);
    }
    static LONG EnumKey(HKEY k, DWORD i, wchar_t* name, DWORD* len) {
        return ::RegEnumKeyExW(k, i, name, len, nullptr, nullptr, nullptr, nullptr);
    }
    static LONG Open(HKEY k, const wchar_t* name, HKEY* out) { return ::RegOpenKeyExW(k, name, 0, KEY_READ, out); }
};

// Walks a key tree as stored, depth first. Paths are below the top key ("" for
// the top, "a\\b" below it). onKey sees every key that opened, onValue every
// value with its raw type and bytes, onUnreadable every subkey that did not
// open. Only the wide functions reach paths longer than 260 characters.
template <class Char>
struct TreeWalk {
    using Text = std::basic_string<Char>;
    std::function<void(const Text& path)> OnKey;
    std::function<void(const Text& path, const Text& name, DWORD type, std::vector<BYTE> data)> OnValue;
    std::function<void(const Text& path)> OnUnreadable;

    void Walk(HKEY key, const Text& path = Text()) const {
        if (OnKey) OnKey(path);
        std::vector<Char> name(16384);
        std::vector<BYTE> data(1 << 20);
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
            if (RegText<Char>::EnumValue(key, i, name.data(), &len, &type, data.data(), &size) != ERROR_SUCCESS)
                break;
            if (OnValue) OnValue(path, Text(name.data(), len), type, std::vector<BYTE>(data.begin(), data.begin() + size));
        }
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(name.size());
            if (RegText<Char>::EnumKey(key, i, name.data(), &len) != ERROR_SUCCESS) break;
            const Text sub(name.data(), len);
            const Text subPath = path.empty() ? sub : path + Char('\\') + sub;
            HKEY child = nullptr;
            if (RegText<Char>::Open(key, sub.c_str(), &child) != ERROR_SUCCESS) {
                if (OnUnreadable) OnUnreadable(subPath);
                continue;
            }
            Walk(child, subPath);
            ::RegCloseKey(child);
        }
    }
    // Walks the tree at root\path; false when it cannot be opened.
    bool WalkAt(HKEY root, const Text& path) const {
        HKEY key = nullptr;
        if (RegText<Char>::Open(root, path.c_str(), &key) != ERROR_SUCCESS) return false;
        Walk(key);
        ::RegCloseKey(key);
        return true;
    }
};

// A whole subtree as stored: every key (path relative to the top, "" for
// the top, "\\sub" below it) and every value ("path:name") with its raw
// type and bytes, read through the wide functions.
struct TreeImage {
    std::map<std::wstring, int> Keys;
    std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> Values;
    bool operator==(const TreeImage& o) const { return Keys == o.Keys && Values == o.Values; }
};

inline TreeImage Image(HKEY root, const std::string& path) {
    TreeImage image;
    TreeWalk<wchar_t> walk;
    auto rel = [](const std::wstring& p) { return p.empty() ? p : L"\\" + p; };
    walk.OnKey = [&](const std::wstring& p) { image.Keys[rel(p)] = 1; };
    walk.OnValue = [&](const std::wstring& p, const std::wstring& name, DWORD type, std::vector<BYTE> data) {
        image.Values[rel(p) + L":" + name] = {type, std::move(data)};
    };
    walk.OnUnreadable = [&](const std::wstring& p) { image.Keys[rel(p) + L" (unreadable)"] = 1; };
    walk.WalkAt(root, W(path));
    return image;
}

// A scratch folder for files, removed with what it holds.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        Path = std::string(base) + "TessmorelTest_" + std::to_string(::GetCurrentProcessId()) + "_" +
               std::to_string(::GetTickCount()) + "_" + std::to_string(++counter);
        ::CreateDirectoryA(Path.c_str(), nullptr);
    }
    explicit TempFolder(const std::string& path) : Path(path) { ::CreateDirectoryA(Path.c_str(), nullptr); }
    ~TempFolder() {
        for (const std::string& f : Files()) {
            ::SetFileAttributesA((Path + "\\" + f).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA((Path + "\\" + f).c_str());
        }
        ::RemoveDirectoryA(Path.c_str());
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        const HANDLE h = ::FindFirstFileA((Path + "\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
        return names;
    }
    std::string File(const std::string& name) const { return Path + "\\" + name; }
    std::string Path;
};
