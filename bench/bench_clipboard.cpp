// The main window's Paste Values of 5,000 values into an empty key, and its
// Paste Key of a tree of 10,000 keys and 50,000 values, against the bare
// registry loops that do the same writing and against reg copy /s /f; and
// the menu state update with a key in the clipboard.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchTree.h"
#include "Program.h"
#include "Seams.h"
#include "UnitMain.h"
#include "zrvRegistry.h"

namespace {

using namespace bench;

const int kValues = 5000;
const int kValueRounds = 7;  // the values are quick: more rounds steady the median

struct TRaw {
    std::wstring Name;
    DWORD Type;
    std::vector<BYTE> Data;
};

std::vector<TRaw> SampleValues() {
    std::vector<TRaw> values;
    for (int i = 0; i < kValues; ++i) {
        TRaw v;
        v.Name = L"Value" + std::to_wstring(i);
        if (i % 3 == 0) {
            const std::wstring s = L"some text for value " + std::to_wstring(i);
            v.Type = REG_SZ;
            v.Data.assign(reinterpret_cast<const BYTE*>(s.c_str()), reinterpret_cast<const BYTE*>(s.c_str() + s.size() + 1));
        } else if (i % 3 == 1) {
            v.Type = REG_DWORD;
            v.Data.assign(4, static_cast<BYTE>(i));
        } else {
            v.Type = REG_BINARY;
            v.Data.assign(256, static_cast<BYTE>(i));
        }
        values.push_back(std::move(v));
    }
    return values;
}

HKEY Create(const std::string& path) {
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

void WriteAll(HKEY key, const std::vector<TRaw>& values) {
    for (const TRaw& v : values)
        ::RegSetValueExW(key, v.Name.c_str(), 0, v.Type, v.Data.data(), static_cast<DWORD>(v.Data.size()));
}

// The bare copy of a tree: values, then subkeys, name by name.
void BareCopy(HKEY src, HKEY dst) {
    std::vector<WCHAR> name(16384);
    std::vector<BYTE> data(65536);
    for (DWORD i = 0;; ++i) {
        DWORD nl = static_cast<DWORD>(name.size()), dl = static_cast<DWORD>(data.size()), type = 0;
        if (::RegEnumValueW(src, i, name.data(), &nl, nullptr, &type, data.data(), &dl) != ERROR_SUCCESS) break;
        ::RegSetValueExW(dst, name.data(), 0, type, data.data(), dl);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nl = static_cast<DWORD>(name.size());
        if (::RegEnumKeyExW(src, i, name.data(), &nl, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY s = nullptr, d = nullptr;
        if (::RegOpenKeyExW(src, name.data(), 0, KEY_READ, &s) == ERROR_SUCCESS &&
            ::RegCreateKeyExW(dst, name.data(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &d, nullptr) == ERROR_SUCCESS)
            BareCopy(s, d);
        if (s) ::RegCloseKey(s);
        if (d) ::RegCloseKey(d);
    }
}

TTreeNode SelectKey(const std::string& path) {
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
    if (!node) return node;
    node.MakeVisible();  // expanding the levels above selects each of them
    frmMain->trvwKeys.SetSelected(node);
    if (frmMain->trvwKeys.Selected() != node) std::printf("could not select %s\n", path.c_str());
    return node;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

template <typename F>
double TimeRun(F f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return Seconds(start);
}

}  // namespace

int main() {
    const std::string base = "Software\\TessmorelBenchClipboard_" + std::to_string(::GetCurrentProcessId());
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base);
    const std::vector<TRaw> values = SampleValues();
    HKEY valuesKey = Create(base + "\\values");
    WriteAll(valuesKey, values);
    ::RegCloseKey(valuesKey);
    BuildTree(base + "\\tree\\src");
    ::RegCloseKey(Create(base + "\\paste"));
    const TreeSummary original = Summarize(base + "\\tree\\src");

    // No box may wait for a click here: each is printed and answered.
    classlib::Seams().MessageBox = [](HWND, const std::string& text, const std::string&, UINT) {
        std::printf("box: %s\n", text.c_str());
        return IDYES;
    };
    classlib::Seams().ShowModal = [](classlib::TForm&) { return static_cast<int>(classlib::mrYesToAll); };
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    auto* main = frmMain;

    // ---- Paste Values ----
    SelectKey(base + "\\values");
    main->ClearValueList();
    main->LoadValues(main->trvwKeys.Selected());
    main->lstvwValues.SelectAll();
    const double copyValues = TimeRun([&] { main->CopyValues(); });
    // The machine is shared: each round's own ratio, and the median of them.
    std::vector<double> bareValues, pasteValues, writing, valueRatio, writeRatio;
    bool valuesOk = main->FValueCopy.Values.size() == static_cast<size_t>(kValues);
    for (int round = 0; round < kValueRounds; ++round) {
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base + "\\paste\\bare");
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base + "\\paste\\ours");
        HKEY bare = Create(base + "\\paste\\bare");
        bareValues.push_back(TimeRun([&] { WriteAll(bare, values); }));
        ::RegCloseKey(bare);
        ::RegCloseKey(Create(base + "\\paste\\ours"));
        main->RefreshNode(main->FindKeyNode(HKEY_CURRENT_USER, base + "\\paste"));
        SelectKey(base + "\\paste\\ours");
        pasteValues.push_back(TimeRun([&] { main->PasteValues(); }));
        valuesOk = valuesOk && main->lstvwValues.Count() == kValues;
        // The writing alone, into a key of its own.
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base + "\\paste\\write");
        HKEY write = Create(base + "\\paste\\write");
        writing.push_back(TimeRun([&] { main->WriteCopiedValues(write); }));
        ::RegCloseKey(write);
        valueRatio.push_back(pasteValues.back() / bareValues.back());
        writeRatio.push_back(writing.back() / bareValues.back());
    }
    valuesOk = valuesOk && Summarize(base + "\\paste\\ours") == Summarize(base + "\\values") &&
               Summarize(base + "\\paste\\write") == Summarize(base + "\\values");

    // ---- Paste Key ----
    SelectKey(base + "\\tree\\src");
    main->CopyKey();
    std::vector<double> bareKey, pasteKey, regKey, keyRatio, regRatio;
    bool keyOk = main->FKeyCopy.HasData;
    for (int round = 0; round < kRounds; ++round) {
        for (const char* d : {"\\bare", "\\ours", "\\reg"}) {
            classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base + "\\tree" + d);
            ::RegCloseKey(Create(base + "\\tree" + d));
        }
        bareKey.push_back(TimeRun([&] {
            HKEY s = Create(base + "\\tree\\src"), d = Create(base + "\\tree\\bare\\src");
            BareCopy(s, d);
            ::RegCloseKey(s);
            ::RegCloseKey(d);
        }));
        main->RefreshNode(main->FindKeyNode(HKEY_CURRENT_USER, base + "\\tree"));
        SelectKey(base + "\\tree\\ours");
        pasteKey.push_back(TimeRun([&] { main->PasteKey(); }));
        const std::string arg = "\"HKEY_CURRENT_USER\\" + base + "\\tree\\";
        regKey.push_back(TimeRun([&] { RunReg("copy " + arg + "src\" " + arg + "reg\\src\" /s /f"); }));
        keyRatio.push_back(pasteKey.back() / bareKey.back());
        regRatio.push_back(pasteKey.back() / regKey.back());
    }
    keyOk = keyOk && Summarize(base + "\\tree\\ours\\src") == original &&
            Summarize(base + "\\tree\\bare\\src") == original && Summarize(base + "\\tree\\reg\\src") == original;

    // ---- Menu states with a key in the clipboard ----
    SelectKey(base + "\\tree\\ours");
    const int updates = 10000;
    const double menu = TimeRun([&] {
        for (int i = 0; i < updates; ++i) main->UpdateMenuState(TfrmMain::kKeyItems | TfrmMain::kValueItems);
    });

    std::printf("Paste Values, %d values of mixed types into an empty key (medians of %d rounds):\n", kValues,
                kValueRounds);
    std::printf("  bare RegSetValueEx loop:          %8.3f s\n", Median(bareValues));
    std::printf("  Paste Values (with the listing):  %8.3f s   ratio %5.2f\n", Median(pasteValues), Median(valueRatio));
    std::printf("  its writing alone:                %8.3f s   ratio %5.2f (aim: 1.2 at most)\n", Median(writing),
                Median(writeRatio));
    std::printf("  Copy Values of them:              %8.3f s\n", copyValues);
    std::printf("Paste Key, %ld keys and %ld values (medians of %d rounds):\n", original.Keys - 1, original.Values,
                kRounds);
    std::printf("  bare copy loop:  %8.3f s\n", Median(bareKey));
    std::printf("  Paste Key:       %8.3f s   ratio to the bare loop %5.2f (aim: 1.2 at most)\n", Median(pasteKey),
                Median(keyRatio));
    std::printf("  reg copy /s /f:  %8.3f s   ratio ours/reg %5.2f (aim: below 1)\n", Median(regKey), Median(regRatio));
    std::printf("Menu state update with a key in the clipboard: %.1f us each\n", menu * 1e6 / updates);
    if (!valuesOk || !keyOk)
        std::printf("RESULTS DIFFER: values %s, keys %s\n", valuesOk ? "equal" : "different", keyOk ? "equal" : "different");

    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base);
    return 0;
}
