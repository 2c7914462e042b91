// Going to a key 8 levels deep whose every level has 5,000 siblings, from a
// collapsed tree, against the floor: the work any tree must do to show the
// key, with the wide calls the tree makes. Every level on the way from the
// root (HKEY_CURRENT_USER, Software, then the 8 levels) opened, its
// information read, its subkeys' names read by that count and closed; then
// the key itself opened and its information read for its values. The tree
// also decides for each key it shows whether it can be expanded, which the
// floor leaves out. Levels the path does not pass through must not be
// loaded at all.
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

// The names of a key's subkeys; the count read, -1 when it cannot be opened.
long ListNames(const std::wstring& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD count = 0, maxLen = 0, values = 0, maxValueName = 0, maxData = 0;
    FILETIME written{};
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, &maxLen, nullptr, &values, &maxValueName, &maxData,
                       nullptr, &written);
    std::vector<wchar_t> name(maxLen + 1);
    long listed = 0;
    for (DWORD i = 0; i < count; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) ++listed;
    }
    ::RegCloseKey(key);
    return listed;
}

// The levels from the root to the key's parent, then the key's values.
double Floor(const std::vector<std::wstring>& levels, const std::wstring& target) {
    const auto start = bench::Clock::now();
    long listed = 0;
    for (const std::wstring& level : levels) {
        const long n = ListNames(level);
        if (n < 0) return -1;
        listed += n;
    }
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, target.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    DWORD subKeys = 0, maxSubKey = 0, values = 0, maxValueName = 0, maxData = 0;
    FILETIME written{};
    ::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSubKey, nullptr, &values, &maxValueName, &maxData,
                       nullptr, &written);
    ::RegCloseKey(key);
    const double t = bench::Since(start);
    return listed >= kLevels * kSiblings ? t : -1;
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

    // The root, Software, the top and the levels below it but the last.
    std::vector<std::wstring> levels = {L"", L"Software"};
    for (std::string path = top; path.size() < target.size(); path += "\\" + Name(kSiblings / 2))
        levels.emplace_back(path.begin(), path.end());
    const std::wstring wideTarget(target.begin(), target.end());
    bench::Rotation rotation;
    const bench::Samples& floor = rotation.Add("floor", [&] { return Floor(levels, wideTarget); });
    const bench::Samples& mine = rotation.Add("go to", [&] { return GoTo(target); });
    rotation.Run(kRounds);
    std::printf("Going to a key %d levels deep, %d siblings a level, %d rounds in rotated order\n", kLevels, kSiblings,
                kRounds);
    bench::PrintSeconds("levels from the root listed (floor)", floor);
    bench::PrintSeconds("GoToAddress from a collapsed tree", mine, "to floor", floor);
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, top);
    std::fflush(stdout);
    ::ExitProcess(0);
}
