#include "zrvDir.h"

#include <windows.h>

#include <vector>

std::wstring GetAppFileNameW() {
    // A path may be longer than MAX_PATH: the buffer grows until it fits.
    std::vector<wchar_t> buf(MAX_PATH);
    for (;;) {
        const DWORD len = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
        if (len == 0) return std::wstring();
        if (len < buf.size()) return std::wstring(buf.data(), len);
        if (buf.size() >= 32768) return std::wstring();
        buf.resize(buf.size() * 2);
    }
}

std::string GetAppFileName() {
    char buf[MAX_PATH] = {};
    const DWORD len = ::GetModuleFileNameA(::GetModuleHandleA(nullptr), buf, MAX_PATH);
    return std::string(buf, len > MAX_PATH ? MAX_PATH : len);
}

std::string ExtractDirPart(const std::string& path) {
    const size_t pos = path.find_last_of("\\:");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::wstring ExtractDirPart(const std::wstring& path) {
    const size_t pos = path.find_last_of(L"\\:");
    return pos == std::wstring::npos ? std::wstring() : path.substr(0, pos + 1);
}

std::wstring GetAppDirW() { return ExtractDirPart(GetAppFileNameW()); }
