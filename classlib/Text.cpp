#include "Text.h"

#include <windows.h>

namespace classlib {

std::wstring ToWide(const std::string& s) {
    if (s.empty()) return std::wstring();
    const int n = ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

namespace {

std::string Narrow(const std::wstring& s, UINT codePage) {
    if (s.empty()) return std::string();
    const int size = static_cast<int>(s.size());
    const int n = ::WideCharToMultiByte(codePage, 0, s.data(), size, nullptr, 0, nullptr, nullptr);
    std::string a(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(codePage, 0, s.data(), size, &a[0], n, nullptr, nullptr);
    return a;
}

}  // namespace

std::string ToAnsi(const std::wstring& s) { return Narrow(s, CP_ACP); }

bool FitsCodePage(const std::wstring& s) { return ToWide(ToAnsi(s)) == s; }

std::string ToUtf8(const std::wstring& s) { return Narrow(s, CP_UTF8); }

bool ToAnsiExact(const std::wstring& s, std::string& out) {
    std::string a = ToAnsi(s);
    if (ToWide(a) != s) return false;
    out = std::move(a);
    return true;
}

}  // namespace classlib
