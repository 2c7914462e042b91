// A find without a hit over a subtree of 10,000 keys and 50,000 values
// (strings, DWORDs, binaries), Data checked, against the floor: the bare
// walk of the same subtree reading every name and data once. Timed twice:
// the search walk alone, and the Find command with its progress window and
// message pumping around it.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Program.h"
#include "Registry.h"
#include "Seams.h"
#include "UnitFind.h"
#include "UnitMain.h"
#include "zrvRegistry.h"

namespace {

const int kGroups = 100;
const int kKeysPerGroup = 99;  // 100 groups + 9,900 keys = 10,000 keys
const int kValuesPerKey = 5;
const int kRounds = 5;

void Fill(HKEY key, int k) {
    for (int j = 0; j < kValuesPerKey; ++j) {
        const std::string name = "Value " + std::to_string(j);
        if (j % 3 == 0) {
            const std::string s = "C:\\Program Files\\Vendor " + std::to_string(k) + "\\item " + std::to_string(j);
            ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(s.c_str()),
                             static_cast<DWORD>(s.size() + 1));
        } else if (j % 3 == 1) {
            const DWORD d = static_cast<DWORD>(k * 31 + j);
            ::RegSetValueExA(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&d), 4);
        } else {
            const std::vector<BYTE> b(32, static_cast<BYTE>(k));
            ::RegSetValueExA(key, name.c_str(), 0, REG_BINARY, b.data(), static_cast<DWORD>(b.size()));
        }
    }
}

void CreateTree(const std::string& top) {
    int k = 0;
    for (int g = 0; g < kGroups; ++g) {
        HKEY group = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, (top + "\\Group " + std::to_string(g)).c_str(), 0, nullptr, 0,
                          KEY_ALL_ACCESS, nullptr, &group, nullptr);
        Fill(group, k++);
        for (int i = 0; i < kKeysPerGroup; ++i) {
            HKEY key = nullptr;
            ::RegCreateKeyExA(group, ("Key " + std::to_string(i)).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr);
            Fill(key, k++);
            ::RegCloseKey(key);
        }
        ::RegCloseKey(group);
    }
}

void Walk(HKEY key, long& values) {
    DWORD subKeys = 0, maxSub = 0, count = 0, maxName = 0, maxData = 0;
    if (::RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subKeys, &maxSub, nullptr, &count, &maxName, &maxData,
                           nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> name(std::max(maxSub, maxName) + 1);
    std::vector<BYTE> data(maxData + 1);
    for (DWORD i = 0; i < count; ++i) {
        DWORD len = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueW(key, i, name.data(), &len, nullptr, &type, data.data(), &size) == ERROR_SUCCESS) ++values;
    }
    for (DWORD i = 0; i < subKeys; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(key, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) continue;
        HKEY sub = nullptr;
        if (::RegOpenKeyExW(key, name.data(), 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        Walk(sub, values);
        ::RegCloseKey(sub);
    }
}

double Floor(const std::string& top) {
    const auto start = bench::Clock::now();
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, top.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    long values = 0;
    Walk(key, values);
    ::RegCloseKey(key);
    const double t = bench::Since(start);
    return values == kGroups * (kKeysPerGroup + 1) * kValuesPerKey ? t : -1;
}

TFindInfo Options(const std::string& top) {
    TFindInfo info;
    info.Wildcards = false;
    info.MatchDwords = true;
    info.RootKey = HKEY_CURRENT_USER;
    info.StartPath = classlib::ToWide(top);
    return info;
}

double Walker(const std::string& top) {
    TFindInfo info = Options(top);
    StopFinding = false;
    const auto start = bench::Clock::now();
    const bool found = RegFindFirst("NO SUCH TEXT ANYWHERE", info);
    const double t = bench::Since(start);
    return found ? -1 : t;
}

double FindCommand(const std::string& top) {
    frmMain->trvwKeys.SetSelected(frmMain->FindKeyNode(HKEY_CURRENT_USER, top));
    frmMain->FFindOptions = Options(top);
    const auto start = bench::Clock::now();
    frmMain->mnitmFindClick(nullptr);
    const double t = bench::Since(start);
    return frmMain->FFindFound ? -1 : t;
}

}  // namespace

int main() {
    const std::string top = "Software\\TessmorelBenchFind_" + std::to_string(::GetCurrentProcessId());
    CreateTree(top);
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    classlib::Seams().MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDOK; };
    classlib::Seams().ShowModal = [](classlib::TForm&) {
        frmFind->FindItem = "no such text anywhere";
        return static_cast<int>(classlib::mrOk);
    };
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, top);
    node.MakeVisible();

    bench::Rotation rotation;
    const bench::Samples& floor = rotation.Add("floor", [&] { return Floor(top); });
    const bench::Samples& walker = rotation.Add("walker", [&] { return Walker(top); });
    const bench::Samples& command = rotation.Add("command", [&] { return FindCommand(top); });
    rotation.Run(kRounds);
    std::printf("A find without a hit over %d keys and %d values, Data and DWORDs checked, %d rounds in rotated order\n",
                kGroups * (kKeysPerGroup + 1), kGroups * (kKeysPerGroup + 1) * kValuesPerKey, kRounds);
    bench::PrintSeconds("bare walk reading every name and data (floor)", floor);
    bench::PrintSeconds("the search walk", walker, "to floor", floor);
    bench::PrintSeconds("Find, with its progress window", command, "to floor", floor);
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, top);
    std::fflush(stdout);
    ::ExitProcess(0);
}
