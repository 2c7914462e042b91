// Going to a key 8 levels deep whose every level has 5,000 siblings, from a
// collapsed tree, against the floor: opening each level on the way and
// enumerating its subkeys, the work any tree must do to show those levels.
// The tree also decides for each listed key whether it can be expanded
// (its subkey count), which the floor leaves out; the ratio shows that
// cost. Levels the path does not pass through must not be loaded at all.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Program.h"
#include "Registry.h"
#include "Seams.h"
#include "UnitMain.h"

namespace {

const int kLevels = 8;
const int kSiblings = 5000;
const int kRounds = 5;

std::string Name(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "K%05d", i);
    return name;
}

// Each level: kSiblings keys, of which the middle one leads on.
std::string CreateTree(const std::string& top) {
    std::string path = top;
    for (int level = 0; level < kLevels; ++level) {
        HKEY parent = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &parent, nullptr);
        for (int i = 0; i < kSiblings; ++i) {
            HKEY key = nullptr;
            ::RegCreateKeyExA(parent, Name(i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
            ::RegCloseKey(key);
        }
        ::RegCloseKey(parent);
        path += "\\" + Name(kSiblings / 2);
    }
    return path;
}

double Floor(const std::string& top) {
    const auto start = bench::Clock::now();
    std::string path = top;
    int listed = 0;
    for (int level = 0; level < kLevels; ++level) {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
        DWORD count = 0, maxLen = 0;
        ::RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &count, &maxLen, nullptr, nullptr, nullptr, nullptr, nullptr,
                           nullptr);
        std::vector<char> name(maxLen + 1);
        for (DWORD i = 0; i < count; ++i) {
            DWORD len = static_cast<DWORD>(name.size());
            if (::RegEnumKeyExA(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
                ++listed;
        }
        ::RegCloseKey(key);
        path += "\\" + Name(kSiblings / 2);
    }
    const double t = bench::Since(start);
    return listed == kLevels * kSiblings ? t : -1;
}

// The address bar's way, from a tree rebuilt from its roots.
double GoTo(const std::string& target) {
    frmMain->mnitmRefreshAllClick(nullptr);
    const auto start = bench::Clock::now();
    frmMain->GoToAddress("HKEY_CURRENT_USER:" + target);
    const double t = bench::Since(start);
    TTreeNode node = frmMain->trvwKeys.Selected();
    return node && frmMain->GetNodePath(node) == target ? t : -1;
}

}  // namespace

int main() {
    const std::string top = "Software\\TessmorelBenchGoTo_" + std::to_string(::GetCurrentProcessId());
    const std::string target = CreateTree(top);
    classlib::Seams().MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDOK; };
    CreateTessmorelForms(::GetModuleHandleA(nullptr));

    bench::Rotation rotation;
    const bench::Samples& floor = rotation.Add("floor", [&] { return Floor(top); });
    const bench::Samples& mine = rotation.Add("go to", [&] { return GoTo(target); });
    rotation.Run(kRounds);
    std::printf("Going to a key %d levels deep, %d siblings a level, %d rounds in rotated order\n", kLevels, kSiblings,
                kRounds);
    bench::PrintSeconds("open and enumerate the levels (floor)", floor);
    bench::PrintSeconds("GoToAddress from a collapsed tree", mine, "to floor", floor);
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, top);
    std::fflush(stdout);
    ::ExitProcess(0);
}
