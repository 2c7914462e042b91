// Filling the key content editor: a key of 20,000 values of mixed types,
// and a key with one binary value of 64 KB (one long line).
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "Program.h"
#include "Registry.h"
#include "UnitKeyContent.h"
#include "UnitMain.h"
#include "zrvRegFile.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Measure(const char* what, const std::string& path) {
    const auto t0 = std::chrono::steady_clock::now();
    classlib::TStringList list;
    ExportKey(HKEY_CURRENT_USER, path, list);
    const double exported = Seconds(t0);
    const std::string text = list.Text();
    const auto t1 = std::chrono::steady_clock::now();
    frmKeyContent->rchedtContent.SetText(text);
    const double filled = Seconds(t1);
    const auto t2 = std::chrono::steady_clock::now();
    frmKeyContent->FormShow(nullptr);
    const double shown = Seconds(t2);
    std::printf("%s: %zu characters; export %.3f s, filling the editor %.3f s, showing %.3f s\n", what, text.size(),
                exported, filled, shown);
}

}  // namespace

int main() {
    const std::string base = "Software\\TessmorelBenchContent_" + std::to_string(::GetCurrentProcessId());
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\many").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    std::vector<BYTE> small(64);
    for (int i = 0; i < 20000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Value%05d", i);
        if (i % 3 == 0) {
            const std::string s = "text " + std::to_string(i);
            ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                             static_cast<DWORD>(s.size() + 1));
        } else if (i % 3 == 1) {
            const DWORD d = static_cast<DWORD>(i);
            ::RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), 4);
        } else {
            ::RegSetValueExA(key, name, 0, REG_BINARY, small.data(), static_cast<DWORD>(small.size()));
        }
    }
    ::RegCloseKey(key);
    ::RegCreateKeyExA(HKEY_CURRENT_USER, (base + "\\long").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      nullptr);
    std::vector<BYTE> blob(65536, 0xAB);
    for (int i = 0; i < 1; ++i)
        ::RegSetValueExA(key, ("blob" + std::to_string(i)).c_str(), 0, REG_BINARY, blob.data(), 65536);
    ::RegCloseKey(key);

    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    Measure("one binary of 64 KB (a line of 196,607 characters)", base + "\\long");
    frmKeyContent->ClearContent();
    Measure("20,000 values", base + "\\many");
    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base);
    return 0;
}
