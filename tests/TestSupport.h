#pragma once
// Helpers shared by the Windows tests: scratch registry keys under
// HKEY_CURRENT_USER\Software, and recorded message boxes.
#include <windows.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "Registry.h"
#include "Seams.h"

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
