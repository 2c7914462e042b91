#include "Files.h"

#include <algorithm>

#include "Text.h"

namespace classlib {

std::string ShownText(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int units = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, nullptr, 0, "?", nullptr);
    std::string out(static_cast<size_t>(std::max(n, 0)), '\0');
    if (n > 0) ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), units, &out[0], n, "?", nullptr);
    return out;
}

EFileError::EFileError(const std::wstring& message) : EInvalidOperation(ShownText(message)), FMessage(message) {}

std::wstring ErrorText(const std::exception& e) {
    if (const auto* file = dynamic_cast<const EFileError*>(&e)) return file->Message();
    return ToWide(e.what());
}

DWORD FileAttributes(const std::wstring& fileName) {
    if (fileName.empty()) {
        ::SetLastError(ERROR_INVALID_NAME);
        return INVALID_FILE_ATTRIBUTES;
    }
    return ::GetFileAttributesW(fileName.c_str());
}

bool IsFile(const std::wstring& fileName) {
    const DWORD attributes = FileAttributes(fileName);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

namespace {

std::wstring SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring s = n && text ? std::wstring(text, n) : L"error " + std::to_wstring(code);
    if (text) ::LocalFree(text);
    while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n' || s.back() == L' ' || s.back() == L'.')) s.pop_back();
    return s;
}

std::wstring Quoted(const std::wstring& fileName) { return L"\"" + fileName + L"\""; }

[[noreturn]] void ReadError(const wchar_t* what, const std::wstring& fileName, const std::wstring& why = {}) {
    throw EFileError(std::wstring(what) + Quoted(fileName) + (why.empty() ? L"" : L": " + why));
}

[[noreturn]] void WriteError(const std::wstring& fileName, const std::wstring& why) {
    throw EFileError(L"Cannot write file " + Quoted(fileName) + L": " + why);
}

struct THandle {
    HANDLE H;
    ~THandle() { ::CloseHandle(H); }
};

template <class Bytes>
bool ReadWhole(const std::wstring& fileName, Bytes& bytes, std::uint64_t maxSize,
               const std::function<bool(std::uint64_t)>& accept) {
    const HANDLE h = fileName.empty() ? INVALID_HANDLE_VALUE
                                      : ::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) ReadError(L"Cannot open file ", fileName);
    const THandle closer{h};
    // A pipe or a device could wait for ever.
    if (::GetFileType(h) != FILE_TYPE_DISK) ReadError(L"Cannot read file ", fileName, L"it is no file");
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size)) ReadError(L"Cannot read file ", fileName, SystemMessage(::GetLastError()));
    const auto length = static_cast<std::uint64_t>(size.QuadPart);
    if (length > maxSize) ReadError(L"Cannot read file ", fileName, L"it is too large");
    if (accept && !accept(length)) return false;
    Bytes read;
    try {
        read.resize(static_cast<size_t>(length));
    } catch (const std::bad_alloc&) {
        ReadError(L"Cannot read file ", fileName, L"it is too large");
    }
    size_t done = 0;
    while (done < read.size()) {
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(read.size() - done, 1u << 20));
        if (!::ReadFile(h, &read[done], chunk, &got, nullptr))
            ReadError(L"Cannot read file ", fileName, SystemMessage(::GetLastError()));
        if (got == 0) break;  // it became shorter meanwhile
        done += got;
    }
    read.resize(done);
    bytes.swap(read);
    return true;
}

}  // namespace

bool ReadWholeFile(const std::wstring& fileName, std::string& bytes, std::uint64_t maxSize,
                   const std::function<bool(std::uint64_t)>& accept) {
    return ReadWhole(fileName, bytes, maxSize, accept);
}

bool ReadWholeFile(const std::wstring& fileName, std::vector<std::uint8_t>& bytes, std::uint64_t maxSize,
                   const std::function<bool(std::uint64_t)>& accept) {
    return ReadWhole(fileName, bytes, maxSize, accept);
}

// Writes the bytes to a new file in the target's folder and, once all of
// them are on disk, renames that over the target. On any failure the new
// file is removed and the target is left as it was.
void SaveWholeFile(const std::wstring& fileName, const void* data, std::size_t size) {
    std::vector<wchar_t> full(MAX_PATH);
    wchar_t* filePart = nullptr;
    DWORD n = fileName.empty() ? 0
                               : ::GetFullPathNameW(fileName.c_str(), static_cast<DWORD>(full.size()), full.data(), &filePart);
    if (n >= full.size()) {
        full.resize(n + 1);
        n = ::GetFullPathNameW(fileName.c_str(), static_cast<DWORD>(full.size()), full.data(), &filePart);
    }
    if (n == 0 || n >= full.size() || filePart == nullptr || *filePart == L'\0')
        WriteError(fileName, L"the name is no file name");
    const std::wstring target(full.data(), n);
    const std::wstring folder(full.data(), static_cast<size_t>(filePart - full.data()));

    const DWORD attrs = ::GetFileAttributesW(target.c_str());
    if (attrs != INVALID_FILE_ATTRIBUTES) {
        if (attrs & FILE_ATTRIBUTE_DIRECTORY) WriteError(fileName, L"it is a folder");
        if (attrs & FILE_ATTRIBUTE_READONLY) WriteError(fileName, L"the file is read-only");
    }

    wchar_t temp[MAX_PATH + 16] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"zrv", 0, temp)) WriteError(fileName, SystemMessage(::GetLastError()));
    const HANDLE h = ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temp);
        WriteError(fileName, SystemMessage(error));
    }
    const auto* bytes = static_cast<const char*>(data);
    DWORD error = ERROR_SUCCESS;
    for (size_t done = 0; done < size && error == ERROR_SUCCESS;) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(h, bytes + done, chunk, &written, nullptr))
            error = ::GetLastError();
        else if (written != chunk)
            error = ERROR_DISK_FULL;
        done += written;
    }
    if (error == ERROR_SUCCESS && !::FlushFileBuffers(h)) error = ::GetLastError();
    if (!::CloseHandle(h) && error == ERROR_SUCCESS) error = ::GetLastError();
    if (error == ERROR_SUCCESS &&
        !::MoveFileExW(temp, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != ERROR_SUCCESS) {
        ::DeleteFileW(temp);
        WriteError(fileName, SystemMessage(error));
    }
}

bool CodePageFileName(const std::wstring& fileName, std::wstring& usable) {
    if (FitsCodePage(fileName)) {
        usable = fileName;
        return true;
    }
    std::vector<wchar_t> shortName(MAX_PATH);
    DWORD n = ::GetShortPathNameW(fileName.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
    if (n >= shortName.size()) {
        shortName.resize(n + 1);
        n = ::GetShortPathNameW(fileName.c_str(), shortName.data(), static_cast<DWORD>(shortName.size()));
    }
    if (n == 0 || n >= shortName.size()) return false;
    const std::wstring candidate(shortName.data(), n);
    if (!FitsCodePage(candidate)) return false;
    usable = candidate;
    return true;
}

}  // namespace classlib
