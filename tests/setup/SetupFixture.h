#pragma once
#include <gtest/gtest.h>
#include <objbase.h>

#include <fstream>
#include <iterator>

#include "../TestSupport.h"
#include "SetupRoutines.h"

inline std::string ReadFileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFileBytes(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A fresh folder under the system's temporary folder, removed with its
// files afterwards; and the process-exit seam recorded.
class SetupTestBase : public ::testing::Test {
protected:
    void SetUp() override {
        ::CoInitialize(nullptr);
        char tmp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, tmp);
        static int counter = 0;
        Dir = std::string(tmp) + "zrvsetup_" + std::to_string(::GetCurrentProcessId()) + "_" + std::to_string(++counter);
        ::CreateDirectoryA(Dir.c_str(), nullptr);
        classlib::Seams().ExitProcess = [this](UINT code) { ExitCodes.push_back(static_cast<int>(code)); };
    }
    void TearDown() override {
        RemoveTree(Dir);
        classlib::ResetSeams();
        ::CoUninitialize();
    }
    static void RemoveTree(const std::string& dir) {
        WIN32_FIND_DATAA data;
        HANDLE h = ::FindFirstFileA((dir + "\\*").c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = data.cFileName;
                if (name == "." || name == "..") continue;
                const std::string path = dir + "\\" + name;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(path);
                else
                    ::DeleteFileA(path.c_str());
            } while (::FindNextFileA(h, &data));
            ::FindClose(h);
        }
        ::RemoveDirectoryA(dir.c_str());
    }
    static std::string Pattern(size_t size, unsigned seed) {
        std::string s(size, '\0');
        for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + seed * 7 + (i >> 9)) & 0xFF);
        return s;
    }

    std::string Dir;
    std::vector<int> ExitCodes;
    MessageBoxRecorder Boxes;
};
