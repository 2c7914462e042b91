#pragma once
#include <gtest/gtest.h>
#include <objbase.h>

#include "../TestSupport.h"
#include "SetupRoutines.h"

// Files by their real (wide) names (ReadBytesOf is in TestSupport.h).
inline void WriteFileBytes(const std::wstring& name, const std::string& bytes) {
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD put = 0;
    ::WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    ::CloseHandle(h);
}

// A fresh folder under the system's temporary folder, removed with its
// files afterwards; and the process-exit seam recorded.
class SetupTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        wchar_t tmp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, tmp);
        static int counter = 0;
        Dir = std::wstring(tmp) + L"zrvsetup_" + std::to_wstring(::GetCurrentProcessId()) + L"_" +
              std::to_wstring(++counter);
        ::CreateDirectoryW(Dir.c_str(), nullptr);
        classlib::Seams().ExitProcess = [this](UINT code) { ExitCodes.push_back(static_cast<int>(code)); };
    }
    void TearDown() override {
        RemoveTree(Dir);
        classlib::ResetSeams();
        ::CoUninitialize();
    }
    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW data;
        HANDLE h = ::FindFirstFileW((dir + L"\\*").c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = data.cFileName;
                if (name == L"." || name == L"..") continue;
                const std::wstring path = dir + L"\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                    ::DeleteFileW(path.c_str());
            } while (::FindNextFileW(h, &data));
            ::FindClose(h);
        }
        ::RemoveDirectoryW(dir.c_str());
    }
    static std::string Pattern(size_t size, unsigned seed) {
        std::string s(size, '\0');
        for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 9)) & 0xFF);
        return s;
    }

    std::wstring Dir;
    std::vector<int> ExitCodes;
    MessageBoxRecorder Boxes;
};
