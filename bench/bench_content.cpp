// Filling the key content editor: a key of 20,000 values of mixed types,
// and a key with one binary value of 64 KB (one long line). The cases take
// turns over the rounds, in rotated order.
//
// Each measurement runs in a process of its own (this program started
// again with the case to measure), on an editor that never held text:
// emptying a rich edit that holds a very long line takes Wine minutes,
// which would be paid for nothing between the rounds.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Program.h"
#include "Registry.h"
#include "UnitKeyContent.h"
#include "UnitMain.h"
#include "zrvRegFile.h"

namespace {

const int kRounds = 3;

struct Case {
    Case(const char* what, const char* key) : What(what), Key(key) {}
    const char* What;
    const char* Key;  // below the benchmark's key
    double Characters = 0;
    bench::Samples Export, Fill, Show;
};

// What one measurement leaves for the starting process: export, filling,
// showing (seconds) and the number of characters.
const char* const kResult = "result";

// In the started process: measures the case and stores the figures.
int MeasureOne(const std::string& base, const std::string& key) {
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    double figures[4] = {-1, -1, -1, 0};
    classlib::TStringList list;
    figures[0] = bench::Time([&] { return ExportKey(HKEY_CURRENT_USER, base + "\\" + key, list); });
    const std::string text = list.Text();
    figures[3] = static_cast<double>(text.size());
    figures[1] = bench::Time([&] {
        frmKeyContent->rchedtContent.SetText(text);
        return true;
    });
    figures[2] = bench::Time([&] {
        frmKeyContent->FormShow(nullptr);
        return true;
    });
    HKEY k = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS) return 1;
    ::RegSetValueExA(k, kResult, 0, REG_BINARY, reinterpret_cast<const BYTE*>(figures), sizeof figures);
    ::RegCloseKey(k);
    std::fflush(stdout);
    // The editor is left as it stands: tearing it down is no part of the figures.
    ::ExitProcess(0);
}

void Measure(const std::string& self, const std::string& base, Case& c) {
    double figures[4] = {-1, -1, -1, 0};
    HKEY k = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, base.c_str(), 0, KEY_ALL_ACCESS, &k);
    ::RegDeleteValueA(k, kResult);
    if (bench::RunProgram(bench::Quote(self) + " " + bench::Quote(base) + " " + c.Key, std::string()) >= 0) {
        DWORD size = sizeof figures;
        ::RegQueryValueExA(k, kResult, nullptr, nullptr, reinterpret_cast<BYTE*>(figures), &size);
    }
    ::RegCloseKey(k);
    c.Export.Add(figures[0]);
    c.Fill.Add(figures[1]);
    c.Show.Add(figures[2]);
    c.Characters = figures[3];
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3) return MeasureOne(argv[1], argv[2]);

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

    char self[MAX_PATH];
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::vector<Case> cases = {{"one binary of 64 KB (a line of 196,607 characters)", "long"},
                               {"20,000 values", "many"}};
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::function<void()>> steps;
        for (Case& c : cases) steps.push_back([&] { Measure(self, base, c); });
        bench::InTurn(round, steps);
    }
    std::printf("Key content editor, %d rounds in rotated order, each in a new process\n", kRounds);
    for (const Case& c : cases) {
        std::printf("%s: %.0f characters\n", c.What, c.Characters);
        bench::PrintSeconds("export", c.Export);
        bench::PrintSeconds("filling the editor", c.Fill);
        bench::PrintSeconds("showing", c.Show);
    }
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base);
    return 0;
}
