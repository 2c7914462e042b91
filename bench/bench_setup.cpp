// The installer's block copy: 64 MB cut out of a larger file at an offset,
// against the floor, a bare loop of 65,535-byte reads and writes opened as
// the installer opens its files, and against CopyFileA of a 64 MB file; five
// rounds in rotated order.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "SetupRoutines.h"

namespace {

constexpr DWORD kSize = 64u * 1024u * 1024u;
constexpr DWORD kOffset = 559104;  // an installer image's worth

bool WriteTestFile(const std::string& name, DWORD size) {
    HANDLE h = ::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::vector<char> block(1 << 20);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>(i * 131 + (i >> 12));
    bool ok = true;
    for (DWORD done = 0; ok && done < size;) {
        const DWORD n = std::min<DWORD>(static_cast<DWORD>(block.size()), size - done);
        DWORD put = 0;
        ok = ::WriteFile(h, block.data(), n, &put, nullptr) && put == n;
        done += n;
    }
    ::CloseHandle(h);
    return ok;
}

bool BareLoop(const std::string& src, const std::string& dst) {
    HANDLE in = ::CreateFileA(src.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    HANDLE out = ::CreateFileA(dst.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<char> buf(0xFFFF);
    LARGE_INTEGER at;
    at.QuadPart = kOffset;
    ::SetFilePointerEx(in, at, nullptr, FILE_BEGIN);
    DWORD left = kSize, got = 0, put = 0;
    while (left > 0) {
        const DWORD n = std::min<DWORD>(left, 0xFFFF);
        if (!::ReadFile(in, buf.data(), n, &got, nullptr) || got == 0) break;
        ::WriteFile(out, buf.data(), got, &put, nullptr);
        left -= got;
    }
    ::CloseHandle(in);
    ::CloseHandle(out);
    return left == 0;
}

}  // namespace

int main() {
    char tmp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, tmp);
    const std::string base = std::string(tmp) + "bench_setup_";
    const std::string whole = base + "whole", exact = base + "exact", out = base + "out";
    if (!WriteTestFile(whole, kOffset + kSize) || !WriteTestFile(exact, kSize)) {
        std::printf("cannot write the test files in %s\n", tmp);
        return 1;
    }
    bench::Rotation rotation;
    const bench::Samples& bare = rotation.Add("bare", [&] { return bench::Time([&] { return BareLoop(whole, out); }); });
    const bench::Samples& part = rotation.Add("part", [&] {
        return bench::Time([&] { return CopyFilePart(whole, out, kOffset, kSize, nullptr); });
    });
    const bench::Samples& copy = rotation.Add("copy", [&] {
        return bench::Time([&] { return ::CopyFileA(exact.c_str(), out.c_str(), FALSE) != FALSE; });
    });
    rotation.Run(5);
    for (const std::string& f : {whole, exact, out}) ::DeleteFileA(f.c_str());
    std::printf("64 MB at offset %lu, 5 rounds in rotated order\n", static_cast<unsigned long>(kOffset));
    bench::PrintMilliseconds("bare 65,535-byte loop (floor)", bare);
    bench::PrintMilliseconds("CopyFilePart", part, "to floor", &bare);
    bench::PrintMilliseconds("CopyFileA of a 64 MB file", copy);
    bench::PrintMilliseconds("CopyFilePart", part, "to CopyFileA", &copy);
    return 0;
}
