#pragma once
// What the key-tree benchmarks share: a tree of 10,000 keys and 50,000 values
// of mixed types, a summary of a tree to compare copies by, the floor of a
// copy, and the system's own command-line registry tool.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "BenchHarness.h"

namespace bench {

const int kTopKeys = 100, kSubKeys = 99;  // 100 + 100 * 99 = 10,000 keys
const int kValuesPerKey = 5;
const int kRounds = 3;

inline double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline void FillKey(HKEY key, int n) {
    for (int v = 0; v < kValuesPerKey; ++v) {
        const int kind = (n + v) % 7;
        const std::wstring name = L"Value" + std::to_wstring(v);
        std::vector<BYTE> data;
        DWORD type = REG_NONE;
        switch (kind) {
            case 0: {
                const std::wstring s = L"String value of key " + std::to_wstring(n);
                type = REG_SZ;
                data.assign(reinterpret_cast<const BYTE*>(s.c_str()),
                            reinterpret_cast<const BYTE*>(s.c_str() + s.size() + 1));
                break;
            }
            case 1: type = REG_DWORD; data.assign(4, static_cast<BYTE>(n)); break;
            case 2: type = REG_BINARY; data.assign(static_cast<size_t>(16 + n % 300), static_cast<BYTE>(v)); break;
            case 3: {
                const wchar_t multi[] = L"first\0second\0third\0";
                type = REG_MULTI_SZ;
                data.assign(reinterpret_cast<const BYTE*>(multi), reinterpret_cast<const BYTE*>(multi) + sizeof multi);
                break;
            }
            case 4: type = REG_QWORD; data.assign(8, static_cast<BYTE>(v)); break;
            case 5: {
                const std::wstring s = L"%SystemRoot%\\system32\\" + std::to_wstring(n);
                type = REG_EXPAND_SZ;
                data.assign(reinterpret_cast<const BYTE*>(s.c_str()),
                            reinterpret_cast<const BYTE*>(s.c_str() + s.size() + 1));
                break;
            }
            default: type = REG_NONE; break;
        }
        ::RegSetValueExW(key, name.c_str(), 0, type, data.empty() ? nullptr : data.data(),
                         static_cast<DWORD>(data.size()));
    }
}

inline void BuildTree(const std::string& path) {
    HKEY top = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &top, nullptr);
    int n = 0;
    for (int i = 0; i < kTopKeys; ++i) {
        HKEY a = nullptr;
        ::RegCreateKeyExW(top, (L"Key" + std::to_wstring(i)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &a,
                          nullptr);
        FillKey(a, n++);
        for (int j = 0; j < kSubKeys; ++j) {
            HKEY b = nullptr;
            ::RegCreateKeyExW(a, (L"Sub" + std::to_wstring(j)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &b,
                              nullptr);
            FillKey(b, n++);
            ::RegCloseKey(b);
        }
        ::RegCloseKey(a);
    }
    ::RegCloseKey(top);
}

// Keys, values and a checksum of every name, type and byte below a key.
struct TreeSummary {
    long Keys = 0, Values = 0;
    unsigned long long Hash = 1469598103934665603ull;
    void Add(const void* p, size_t n) {
        for (size_t i = 0; i < n; ++i) Hash = (Hash ^ static_cast<const BYTE*>(p)[i]) * 1099511628211ull;
    }
    bool operator==(const TreeSummary& o) const { return Keys == o.Keys && Values == o.Values && Hash == o.Hash; }
};

inline void Summarize(HKEY key, TreeSummary& s) {
    ++s.Keys;
    std::vector<WCHAR> name(16384);
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nl = static_cast<DWORD>(name.size()), dl = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueW(key, i, name.data(), &nl, nullptr, &type, data.data(), &dl) != ERROR_SUCCESS) break;
        ++s.Values;
        s.Add(name.data(), nl * sizeof(WCHAR));
        s.Add(&type, sizeof type);
        s.Add(data.data(), dl);
    }
    WCHAR sub[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = 256;
        if (::RegEnumKeyExW(key, i, sub, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        s.Add(sub, len * sizeof(WCHAR));
        HKEY child = nullptr;
        if (::RegOpenKeyExW(key, sub, 0, KEY_READ, &child) != ERROR_SUCCESS) continue;
        Summarize(child, s);
        ::RegCloseKey(child);
    }
}

inline TreeSummary Summarize(const std::string& path) {
    TreeSummary s;
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
        Summarize(key, s);
        ::RegCloseKey(key);
    }
    return s;
}

// The floor of a copy, the calls it cannot do without, wide as the
// program's: per key its information read once, then by those counts each
// value read with its data and written, and each subkey's name read, the
// subkey opened, created at the destination and both closed.
inline void FloorCopy(HKEY src, HKEY dst, std::vector<WCHAR>& name, std::vector<BYTE>& data) {
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
    FILETIME written{};
    if (::RegQueryInfoKeyW(src, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxValueName,
                           &maxData, nullptr, &written) != ERROR_SUCCESS)
        return;
    if (name.size() < std::max(maxSubKey, maxValueName) + 1) name.resize(std::max(maxSubKey, maxValueName) + 1);
    if (data.size() < maxData + 1) data.resize(maxData + 1);
    for (DWORD i = 0; i < values; ++i) {
        DWORD nl = static_cast<DWORD>(name.size()), dl = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueW(src, i, name.data(), &nl, nullptr, &type, data.data(), &dl) == ERROR_SUCCESS)
            ::RegSetValueExW(dst, name.data(), 0, type, data.data(), dl);
    }
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(src, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
        HKEY s = nullptr, d = nullptr;
        if (::RegOpenKeyExW(src, name.data(), 0, KEY_READ, &s) != ERROR_SUCCESS) continue;
        if (::RegCreateKeyExW(dst, name.data(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &d, nullptr) ==
            ERROR_SUCCESS) {
            FloorCopy(s, d, name, data);
            ::RegCloseKey(d);
        }
        ::RegCloseKey(s);
    }
}

// The floor's copy of the key at from (below HKEY_CURRENT_USER) to to,
// which is created; false when either cannot be opened.
inline bool FloorCopy(const std::wstring& from, const std::wstring& to) {
    HKEY s = nullptr, d = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, from.c_str(), 0, KEY_READ, &s) != ERROR_SUCCESS) return false;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, to.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &d, nullptr) ==
        ERROR_SUCCESS) {
        std::vector<WCHAR> name(256);
        std::vector<BYTE> data(256);
        FloorCopy(s, d, name, data);
        ::RegCloseKey(d);
    }
    ::RegCloseKey(s);
    return d != nullptr;
}

inline std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

// The system's reg tool, by its full path (a bare name could find another
// program of that name first): the seconds it took, negative unless it
// ended with exit code 0; RunReg: whether it did.
inline double RegSeconds(const std::string& args) {
    char dir[MAX_PATH];
    ::GetSystemDirectoryA(dir, MAX_PATH);
    return RunProgram(Quote(std::string(dir) + "\\reg.exe") + " " + args, std::string());
}

inline bool RunReg(const std::string& args) { return RegSeconds(args) >= 0; }

}  // namespace bench
