#include "SetupRoutines.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

#include "Exceptions.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "Registry.h"
#include "SetupRules.h"

bool DirectoryExists(const std::wstring& path) {
    const DWORD attr = ::GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::wstring& path) {
    const DWORD attr = ::GetFileAttributesW(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

long long FileSizeOf(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring FullPathName(const std::wstring& path) {
    if (path.empty()) return std::wstring();
    wchar_t buf[MAX_PATH] = {};
    wchar_t* part = nullptr;
    const DWORD len = ::GetFullPathNameW(path.c_str(), MAX_PATH, buf, &part);
    if (len == 0 || len >= MAX_PATH) return std::wstring();
    return std::wstring(buf, len);
}

bool MakeDirLevels(const std::wstring& path) {
    try {
        std::vector<std::wstring> levels;
        SplitPrefixes(path, L"\\", levels);
        bool result = true;
        for (size_t i = 1; i < levels.size() && result; ++i) {
            const std::wstring& level = levels[i];
            // The server and share of a network path are never made.
            const bool share = level.compare(0, 2, L"\\\\") == 0 &&
                               std::count(level.begin(), level.end(), L'\\') < 4;
            if (level.empty() || share || DirectoryExists(level)) continue;
            result = ::CreateDirectoryW(level.c_str(), nullptr) != FALSE;
        }
        return result && DirectoryExists(path);
    } catch (...) {
        return false;
    }
}

namespace {

class THandle {
public:
    explicit THandle(HANDLE h) : FHandle(h) {}
    ~THandle() {
        if (Valid()) ::CloseHandle(FHandle);
    }
    THandle(const THandle&) = delete;
    THandle& operator=(const THandle&) = delete;
    bool Valid() const { return FHandle != INVALID_HANDLE_VALUE && FHandle != nullptr; }
    HANDLE Get() const { return FHandle; }
    void Close() {
        if (Valid()) ::CloseHandle(FHandle);
        FHandle = nullptr;
    }

private:
    HANDLE FHandle;
};

bool CopyBlock(HANDLE in, HANDLE out, std::vector<char>& buffer, DWORD count) {
    DWORD got = 0, put = 0;
    if (count == 0) return true;
    if (!::ReadFile(in, buffer.data(), count, &got, nullptr) || got != count) return false;
    return ::WriteFile(out, buffer.data(), got, &put, nullptr) && put == got;
}

}  // namespace

bool CopyFilePart(const std::wstring& source, const std::wstring& destination, long long offset, long long size,
                  classlib::TProgressBar* bar) {
    constexpr DWORD kBlock = 0xFFFF;
    if (offset < 0 || size < 0 || !FileExists(source)) return false;
    try {
        THandle in(::CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!in.Valid()) return false;
        THandle out(::CreateFileW(destination.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.Valid()) return false;
        std::vector<char> buffer(kBlock);
        LARGE_INTEGER at;
        at.QuadPart = offset;
        bool ok = ::SetFilePointerEx(in.Get(), at, nullptr, FILE_BEGIN) != FALSE;
        const long long n = size / kBlock;
        for (long long i = 0; ok && i < n; ++i) {
            ok = CopyBlock(in.Get(), out.Get(), buffer, kBlock);
            if (bar) bar->SetPosition(static_cast<int>(i * 100 / (n + 1)));
        }
        ok = ok && CopyBlock(in.Get(), out.Get(), buffer, static_cast<DWORD>(size % kBlock));
        if (ok && bar) bar->SetPosition(100);
        out.Close();
        if (!ok) {
            ::DeleteFileW(destination.c_str());
            return false;
        }
        classlib::Application().ProcessMessages();
        return true;
    } catch (...) {
        return false;
    }
}

std::string SystemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD len = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = len && text ? std::string(text, len) : std::string();
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
        message.pop_back();
    if (message.empty()) {
        char buf[32];
        wsprintfA(buf, "Error 0x%08lX", static_cast<unsigned long>(code));
        message = buf;
    }
    return message;
}

namespace {

template <class T>
class TComPtr {
public:
    ~TComPtr() {
        if (FPtr) FPtr->Release();
    }
    T** Out() { return &FPtr; }
    T* operator->() const { return FPtr; }
    T* Get() const { return FPtr; }

private:
    T* FPtr = nullptr;
};

void Check(HRESULT hr) {
    if (FAILED(hr)) throw classlib::Exception(SystemMessage(static_cast<DWORD>(hr)));
}

}  // namespace

void CreateShortcut(const std::wstring& name, const std::wstring& target, const std::wstring& folder) {
    // The wide interface: a target the code page cannot name is kept whole.
    TComPtr<IShellLinkW> link;
    Check(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                             reinterpret_cast<void**>(link.Out())));
    TComPtr<IPersistFile> file;
    Check(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Out())));
    Check(link->SetPath(target.c_str()));
    const std::wstring path = JoinPath(folder, name + L".lnk");
    Check(file->Save(path.c_str(), TRUE));
    // Read back as the shell reads it to open it: a shell that stores the
    // target in the code page (Wine's does) gives back a best-fit twin of a
    // name the code page cannot hold, and would open that other file.
    TComPtr<IShellLinkW> saved;
    TComPtr<IPersistFile> savedFile;
    wchar_t opens[MAX_PATH] = {};
    const bool read = SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                                   reinterpret_cast<void**>(saved.Out()))) &&
                      SUCCEEDED(saved->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(savedFile.Out()))) &&
                      SUCCEEDED(savedFile->Load(path.c_str(), STGM_READ)) &&
                      SUCCEEDED(saved->GetPath(opens, MAX_PATH, nullptr, SLGP_RAWPATH));
    if (read && ::lstrcmpiW(opens, target.c_str()) == 0) return;
    ::DeleteFileW(path.c_str());
    if (!read) throw classlib::Exception("the shortcut cannot be read back; none made");
    throw classlib::Exception("the shell stores the name of its target only as \"" + classlib::ToAnsi(opens) +
                              "\", which is another file; none made");
}
