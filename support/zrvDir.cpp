#include "zrvDir.h"

#include <windows.h>

std::string GetAppFileName() {
    char buf[MAX_PATH] = {};
    const DWORD len = ::GetModuleFileNameA(::GetModuleHandleA(nullptr), buf, MAX_PATH);
    return std::string(buf, len > MAX_PATH ? MAX_PATH : len);
}

std::wstring GetAppFileNameWide() {
    wchar_t buf[MAX_PATH] = {};
    const DWORD len = ::GetModuleFileNameW(nullptr, buf, MAX_PATH);
    // A name cut short names another file: none then.
    return len < MAX_PATH ? std::wstring(buf, len) : std::wstring();
}

std::string ExtractDirPart(const std::string& path) {
    const size_t pos = path.find_last_of("\\:");
    return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string GetAppDir() { return ExtractDirPart(GetAppFileName()); }
