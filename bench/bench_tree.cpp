// Expanding a key with 10,000 subkeys (half with subkeys of their own),
// against the floor, the calls the expansion cannot do without, the ones
// the tree makes: the key opened, its information read once, each subkey's
// name read by that count (RegEnumKeyExW), the key closed. Whether a listed
// key can be expanded is read only when the tree shows it, so the floor
// reads names only.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Program.h"
#include "Registry.h"
#include "UnitMain.h"

namespace {

const int kKeys = 10000;
const int kRounds = 5;

double BareEnumeration(const std::wstring& path) {
    const auto start = bench::Clock::now();
    HKEY base = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &base) != ERROR_SUCCESS) return -1;
    DWORD count = 0, maxLen = 0, values = 0, maxValueName = 0, maxData = 0;
    FILETIME written{};
    ::RegQueryInfoKeyW(base, nullptr, nullptr, nullptr, &count, &maxLen, nullptr, &values, &maxValueName, &maxData,
                       nullptr, &written);
    std::vector<wchar_t> name(maxLen + 1);
    DWORD listed = 0;
    for (DWORD i = 0; i < count; ++i) {
        DWORD len = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(base, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) ++listed;
    }
    ::RegCloseKey(base);
    const double t = bench::Since(start);
    return listed == kKeys ? t : -1;
}

double TreeExpansion(TTreeNode node) {
    // Back to the state before the first expansion.
    node.Collapse(false);
    node.DeleteChildren();
    TfrmMain::NodeData(node)->Loaded = false;
    frmMain->trvwKeys.AddChild(node, ".", nullptr);
    const auto start = bench::Clock::now();
    node.Expand(false);
    const double t = bench::Since(start);
    return node.Count() == kKeys ? t : -1;
}

}  // namespace

int main() {
    const std::string path = "Software\\TessmorelBench_" + std::to_string(::GetCurrentProcessId());
    HKEY base = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &base, nullptr);
    for (int i = 0; i < kKeys; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "Key%05d", i);
        HKEY k = nullptr;
        ::RegCreateKeyExA(base, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        if (i % 2 == 0) {
            HKEY s = nullptr;
            ::RegCreateKeyExA(k, "Sub", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &s, nullptr);
            ::RegCloseKey(s);
        }
        ::RegCloseKey(k);
    }
    ::RegCloseKey(base);

    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
    bench::Rotation rotation;
    const std::wstring widePath(path.begin(), path.end());
    const bench::Samples& bare = rotation.Add("floor", [&] { return BareEnumeration(widePath); });
    const bench::Samples& tree = rotation.Add("tree", [&] { return TreeExpansion(node); });
    rotation.Run(kRounds);
    std::printf("Expanding a key with %d subkeys (%d rounds in rotated order)\n", kKeys, kRounds);
    bench::PrintSeconds("floor (names only, wide calls)", bare);
    bench::PrintSeconds("tree expansion", tree, "ratio", bare);
    std::printf("  target: ratio at most 3\n");

    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, path);
    return 0;
}
