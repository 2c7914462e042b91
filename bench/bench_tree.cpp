// Expanding a key with 10,000 subkeys (half with subkeys of their own),
// against the bare enumeration the tree cannot do without: RegEnumKeyEx,
// then RegOpenKeyEx, RegQueryInfoKey and RegCloseKey for each subkey.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "Program.h"
#include "Registry.h"
#include "UnitMain.h"

namespace {

const int kKeys = 10000;

double Seconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double BareEnumeration(const std::string& path) {
    const auto start = std::chrono::steady_clock::now();
    HKEY base = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &base);
    char name[256];
    int withChildren = 0;
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        if (::RegEnumKeyExA(base, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (::RegOpenKeyExA(base, name, 0, KEY_ALL_ACCESS, &sub) == ERROR_SUCCESS) {
            DWORD n = 0;
            ::RegQueryInfoKeyA(sub, nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
            if (n > 0) ++withChildren;
            ::RegCloseKey(sub);
        }
    }
    ::RegCloseKey(base);
    if (withChildren != kKeys / 2) std::printf("unexpected tree: %d keys with subkeys\n", withChildren);
    return Seconds(start);
}

double TreeExpansion(TTreeNode node) {
    // Back to the state before the first expansion.
    node.Collapse(false);
    node.DeleteChildren();
    TfrmMain::NodeData(node)->Loaded = false;
    frmMain->trvwKeys.AddChild(node, ".", nullptr);
    const auto start = std::chrono::steady_clock::now();
    node.Expand(false);
    const double t = Seconds(start);
    if (node.Count() != kKeys) std::printf("unexpected node count %d\n", node.Count());
    return t;
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
    double bare = 1e9, tree = 1e9;
    for (int round = 0; round < 3; ++round) {
        bare = std::min(bare, BareEnumeration(path));
        tree = std::min(tree, TreeExpansion(node));
    }
    std::printf("Expanding a key with %d subkeys (best of 3)\n", kKeys);
    std::printf("  bare enumeration: %8.3f s\n", bare);
    std::printf("  tree expansion:   %8.3f s\n", tree);
    std::printf("  ratio:            %8.2f (target: at most 3)\n", tree / bare);

    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, path);
    return 0;
}
