// Listing a key with 10,000 values of mixed types (strings, DWORDs, 1 KB
// binaries) against the floor, the calls the list cannot do without, the
// wide ones the list makes: the key opened and its information read once,
// then RegEnumValueW with name, type and data for each value by that count.
// Emptying the list of the previous round is not timed.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Program.h"
#include "Registry.h"
#include "UnitMain.h"

namespace {

const int kValues = 10000;
const int kRounds = 5;

double BareLoop(const std::wstring& path) {
    const auto start = bench::Clock::now();
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD subKeys = 0, maxSubKey = 0, count = 0, maxName = 0, maxData = 0;
    FILETIME written{};
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &count, &maxName, &maxData,
                       nullptr, &written);
    std::vector<wchar_t> name(maxName + 1);
    std::vector<BYTE> data(maxData + 1);
    DWORD n = 0;
    for (DWORD i = 0; i < count; ++i) {
        DWORD nl = static_cast<DWORD>(name.size()), dl = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueW(key, i, name.data(), &nl, nullptr, &type, data.data(), &dl) == ERROR_SUCCESS) ++n;
    }
    ::RegCloseKey(key);
    const double t = bench::Since(start);
    return n == kValues ? t : -1;
}

double Listing(TTreeNode node) {
    frmMain->ClearValueList();
    const auto start = bench::Clock::now();
    frmMain->LoadValues(node);
    const double t = bench::Since(start);
    return frmMain->lstvwValues.Count() == kValues ? t : -1;
}

}  // namespace

int main() {
    const std::string path = "Software\\TessmorelBenchValues_" + std::to_string(::GetCurrentProcessId());
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    std::vector<BYTE> blob(1024);
    for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 7);
    for (int i = 0; i < kValues; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Value%05d", i);
        if (i % 3 == 0) {
            const std::string s = "some text for value " + std::to_string(i);
            ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                             static_cast<DWORD>(s.size() + 1));
        } else if (i % 3 == 1) {
            const DWORD d = static_cast<DWORD>(i) * 2654435761u;
            ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), 4);
        } else {
            ::RegSetValueExA(key, name, 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
        }
    }
    ::RegCloseKey(key);

    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
    bench::Rotation rotation;
    const std::wstring widePath(path.begin(), path.end());
    const bench::Samples& bare = rotation.Add("floor", [&] { return BareLoop(widePath); });
    const bench::Samples& list = rotation.Add("list", [&] { return Listing(node); });
    rotation.Run(kRounds);
    std::printf("Listing a key with %d values of mixed types (%d rounds in rotated order)\n", kValues, kRounds);
    bench::PrintSeconds("floor (bare RegEnumValueW loop)", bare);
    bench::PrintSeconds("value list", list, "ratio", bare);
    std::printf("  target: ratio at most 3\n");

    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, path);
    return 0;
}
