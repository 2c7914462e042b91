// Reading a language section: 300 keys of a 12 KB file, by the program's
// reader (one pass over the file, then 300 look-ups) against the system's
// profile reader (300 calls, one a key). Also a 100 MB line before the
// section, which both must read past.
#include "BenchHarness.h"
#include "zrvIniFile.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

const int kKeys = 300;
const int kRounds = 15;

std::string Temp(const char* name) {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    return std::string(base) + name;
}

void PrintMs(const char* what, const bench::Samples& s) {
    if (s.Failed())
        std::printf("  %-44s failed\n", what);
    else
        std::printf("  %-44s min %9.3f ms  median %9.3f ms\n", what, s.Min() * 1e3, s.Median() * 1e3);
}

}  // namespace

int main() {
    // Other sections first, as in the shipped file; then the one read.
    std::vector<std::string> keys;
    std::string text = "[Tessmorel Language Setting]\r\nEnglish=\"ANSI\"\r\n[SYMBOL]\r\n[MAC]\r\n[ANSI]\r\n";
    for (int i = 0; i < kKeys; ++i) {
        keys.push_back("frmForm" + std::to_string(i % 15) + ".Item" + std::to_string(i) + ".Caption");
        text += keys.back() + "=\"Text of " + std::to_string(i) + "\"\r\n";
    }
    text += "[GB2312]\r\n";
    const std::string file = Temp("bench_inifile.ini");
    std::ofstream(file, std::ios::binary) << text;
    const std::wstring wideFile(file.begin(), file.end());  // the temporary folder's name is ASCII here

    const std::string big = Temp("bench_inifile_big.ini");
    {
        std::ofstream out(big, std::ios::binary);
        out << "[Before]\r\nline=";
        const std::string mb(1u << 20, 'v');
        for (int i = 0; i < 100; ++i) out << mb;
        out << "\r\n" << text;
    }

    bench::Rotation rotation;
    std::string sink;
    bench::Samples& ours = rotation.Add("ours", [&] {
        return bench::Time([&] {
            TIniSection s;
            if (!ReadIniSection(wideFile, "ANSI", s)) return false;
            int found = 0;
            for (const std::string& k : keys) found += s.Find(k, sink);
            return found == kKeys;
        });
    });
    TIniSection loaded;
    ReadIniSection(wideFile, "ANSI", loaded);
    bench::Samples& finds = rotation.Add("finds", [&] {
        return bench::Time([&] {
            int found = 0;
            for (const std::string& k : keys) found += loaded.Find(k, sink);
            return found == kKeys;
        });
    });
    std::vector<char> buffer(2048);
    bench::Samples& profile = rotation.Add("profile", [&] {
        return bench::Time([&] {
            int found = 0;
            for (const std::string& k : keys)
                found += ::GetPrivateProfileStringA("ANSI", k.c_str(), "", buffer.data(), 2048, file.c_str()) > 0;
            return found == kKeys;
        });
    });
    rotation.Run(kRounds);

    // The 100 MB file: a few rounds only.
    bench::Rotation large;
    bench::Samples& bigOurs = large.Add("ours", [&] {
        return bench::Time([&] {
            TIniSection s;
            return ReadIniSection(std::wstring(big.begin(), big.end()), "ANSI", s) && s.Entries().size() == static_cast<size_t>(kKeys);
        });
    });
    bench::Samples& bigProfile = large.Add("profile", [&] {
        return bench::Time([&] {
            // A file the profile reader has not seen yet, so it cannot answer from its cache.
            std::ofstream(big, std::ios::binary | std::ios::app) << " ";
            return ::GetPrivateProfileStringA("ANSI", keys[0].c_str(), "", buffer.data(), 2048, big.c_str()) > 0;
        });
    });
    large.Run(3);

    std::printf("Language section of %d keys, %zu bytes, %d rounds in rotated order\n", kKeys, text.size(), kRounds);
    PrintMs("ReadIniSection + 300 Find", ours);
    PrintMs("  of which the 300 Find", finds);
    PrintMs("300 GetPrivateProfileStringA", profile);
    if (!ours.Failed() && !profile.Failed())
        std::printf("  %-44s min %9.1f x   median %9.1f x\n", "profile reader / ours", profile.Min() / ours.Min(),
                    profile.Median() / ours.Median());
    std::printf("The same section after a line of 100 MB, 3 rounds\n");
    PrintMs("ReadIniSection", bigOurs);
    PrintMs("1 GetPrivateProfileStringA (file changed)", bigProfile);
    ::DeleteFileA(file.c_str());
    ::DeleteFileA(big.c_str());
    return 0;
}
