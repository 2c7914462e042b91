// Listing a key with 10,000 values of mixed types (strings, DWORDs, 1 KB
// binaries) against the bare RegEnumValue loop over the same key.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Program.h"
#include "Registry.h"
#include "UnitMain.h"

namespace {

const int kValues = 10000;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BareLoop(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    HKEY key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    DWORD maxName = 0, maxData = 0;
    ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData, nullptr,
                       nullptr);
    std::vector<char> name(maxName + 1);
    std::vector<BYTE> data(maxData + 1);
    int n = 0;
    for (DWORD i = 0;; ++i) {
        DWORD nl = static_cast<DWORD>(name.size()), dl = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueA(key, i, name.data(), &nl, nullptr, &type, data.data(), &dl) != ERROR_SUCCESS) break;
        ++n;
    }
    ::RegCloseKey(key);
    if (n != kValues) std::printf("unexpected value count %d\n", n);
    return Seconds(start);
}

double Listing(TTreeNode node) {
    const auto start = std::chrono::steady_clock::now();
    frmMain->ClearValueList();
    frmMain->LoadValues(node);
    const double t = Seconds(start);
    if (frmMain->lstvwValues.Count() != kValues) std::printf("unexpected item count %d\n", frmMain->lstvwValues.Count());
    return t;
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
    double bare = 1e9, list = 1e9;
    for (int round = 0; round < 3; ++round) {
        bare = std::min(bare, BareLoop(path));
        list = std::min(list, Listing(node));
    }
    std::printf("Listing a key with %d values of mixed types (best of 3)\n", kValues);
    std::printf("  bare RegEnumValue loop: %8.3f s\n", bare);
    std::printf("  value list:             %8.3f s\n", list);
    std::printf("  ratio:                  %8.2f (target: at most 3)\n", list / bare);

    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, path);
    return 0;
}
