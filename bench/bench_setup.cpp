// The installer's block copy: 64 MB cut out of a larger file at an offset,
// against the floor, a bare loop of 65,535-byte reads and writes opened as
// the installer opens its files (by wide names), and against CopyFileW of a
// 64 MB file; five
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

bool WriteTestFile(const std::wstring& name, DWORD size) {
    HANDLE h = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
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

bool BareLoop(const std::wstring& src, const std::wstring& dst) {
    HANDLE in = ::CreateFileW(src.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    HANDLE out = ::CreateFileW(dst.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
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
    wchar_t tmp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, tmp);
    const std::wstring base = std::wstring(tmp) + L"bench_setup_";
    const std::wstring whole = base + L"whole", exact = base + L"exact", out = base + L"out";
    if (!WriteTestFile(whole, kOffset + kSize) || !WriteTestFile(exact, kSize)) {
        std::printf("cannot write the test files in %ls\n", tmp);
        return 1;
    }
    bench::Rotation rotation;
    const bench::Samples& bare = rotation.Add("bare", [&] { return bench::Time([&] { return BareLoop(whole, out); }); });
    const bench::Samples& part = rotation.Add("part", [&] {
        return bench::Time([&] { return CopyFilePart(whole, out, kOffset, kSize, nullptr); });
    });
    const bench::Samples& copy = rotation.Add("copy", [&] {
        return bench::Time([&] { return ::CopyFileW(exact.c_str(), out.c_str(), FALSE) != FALSE; });
    });
    rotation.Run(5);
    for (const std::wstring& f : {whole, exact, out}) ::DeleteFileW(f.c_str());
    std::printf("64 MB at offset %lu, 5 rounds in rotated order\n", static_cast<unsigned long>(kOffset));
    bench::PrintMilliseconds("bare 65,535-byte loop (floor)", bare);
    bench::PrintMilliseconds("CopyFilePart", part, "to floor", &bare);
    bench::PrintMilliseconds("CopyFileW of a 64 MB file", copy);
    bench::PrintMilliseconds("CopyFilePart", part, "to CopyFileW", &copy);
    return 0;
}
