#pragma once
// Helpers shared by the Windows tests: scratch registry keys under
// HKEY_CURRENT_USER\Software, scratch folders and recorded message boxes.
#include <windows.h>
#include <sddl.h>

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

// A file's bytes (empty when it cannot be read) and a whole file written,
// by the file's real name.
inline std::string ReadBytesOf(const std::wstring& name) {
    std::string bytes;
    const HANDLE h = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return bytes;
    char chunk[65536];
    DWORD got = 0;
    while (::ReadFile(h, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    ::CloseHandle(h);
    return bytes;
}
inline bool WriteBytesTo(const std::wstring& name, const std::string& bytes) {
    const HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    ::CloseHandle(h);
    return ok;
}

// Answers a file dialog (through its seam) as a user who picks or types
// that name; an empty name cancels it.
inline bool PickFile(OPENFILENAMEW& ofn, const std::wstring& name) {
    if (name.empty()) return false;
    lstrcpynW(ofn.lpstrFile, name.c_str(), static_cast<int>(ofn.nMaxFile));
    return true;
}

struct RecordedBox {
    std::string Text, Caption;
    UINT Flags;
    std::wstring WideText;  // the text as the user reads it
};

// Records message boxes and answers them from a script (IDOK by default).
class MessageBoxRecorder {
public:
    MessageBoxRecorder() {
        classlib::Seams().MessageBox = [this](HWND, const std::string& text, const std::string& caption, UINT flags) {
            Boxes.push_back({text, caption, flags, classlib::ToWide(text)});
            return Answer();
        };
        classlib::Seams().WideMessageBox = [this](HWND, const std::wstring& text, const std::wstring& caption,
                                                  UINT flags) {
            Boxes.push_back({classlib::ToAnsi(text), classlib::ToAnsi(caption), flags, text});
            return Answer();
        };
    }
    ~MessageBoxRecorder() { classlib::ResetSeams(); }
    std::vector<RecordedBox> Boxes;
    std::vector<int> Answers;

private:
    int Answer() {
        if (Answers.empty()) return IDOK;
        const int a = Answers.front();
        Answers.erase(Answers.begin());
        return a;
    }
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

// A whole subtree as stored, read through the wide functions (only they
// reach paths over 260 characters): every key (path relative to the top,
// "" for the top, "\\sub" below it; " (unreadable)" appended to a subkey
// that did not open) and every value ("path:name") with its type and bytes.
struct TreeImage {
    std::map<std::wstring, int> Keys;
    std::map<std::wstring, std::pair<DWORD, std::vector<BYTE>>> Values;
    bool operator==(const TreeImage& o) const { return Keys == o.Keys && Values == o.Values; }

    void Walk(HKEY key, const std::wstring& path) {
        Keys[path] = 1;
        std::vector<wchar_t> name(16384);
        std::vector<BYTE> data(1 << 20);
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
            if (::RegEnumValueW(key, i, name.data(), &len, nullptr, &type, data.data(), &size) != ERROR_SUCCESS) break;
            Values[path + L":" + std::wstring(name.data(), len)] = {type,
                                                                   std::vector<BYTE>(data.begin(), data.begin() + size)};
        }
        for (DWORD i = 0;; ++i) {
            DWORD len = static_cast<DWORD>(name.size());
            if (::RegEnumKeyExW(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            const std::wstring sub(name.data(), len);
            HKEY child = nullptr;
            if (::RegOpenKeyExW(key, sub.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) {
                Keys[path + L"\\" + sub + L" (unreadable)"] = 1;
                continue;
            }
            Walk(child, path + L"\\" + sub);
            ::RegCloseKey(child);
        }
    }
};

inline TreeImage Image(HKEY root, const std::string& path) {
    TreeImage image;
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, W(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return image;
    image.Walk(key, L"");
    ::RegCloseKey(key);
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
        // By the files' real names: some have characters the code page lacks.
        const std::wstring path = classlib::ToWide(Path);
        WIN32_FIND_DATAW fd;
        const HANDLE h = ::FindFirstFileW((path + L"\\*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
                ::SetFileAttributesW((path + L"\\" + fd.cFileName).c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW((path + L"\\" + fd.cFileName).c_str());
            } while (::FindNextFileW(h, &fd));
            ::FindClose(h);
        }
        ::RemoveDirectoryW(path.c_str());
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
    std::wstring File(const std::wstring& name) const { return classlib::ToWide(Path) + L"\\" + name; }
    std::string Path;
};
