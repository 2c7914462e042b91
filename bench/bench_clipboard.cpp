// The main window's Paste Values of 5,000 values into an empty key, and its
// Paste Key of a tree of 10,000 keys and 50,000 values, against the floor,
// the calls the same writing cannot do without, wide as the program's (for
// values RegSetValueExW by value; for keys bench::FloorCopy), and against
// reg copy /s /f net of its start-up (the same command on an empty key);
// Copy Values of the 5,000; and the menu state update with a key in the
// clipboard. Every contender runs once a round, in rotated order; what a
// run must prepare (an empty destination, the selection) is not timed.
#include <windows.h>

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

TTreeNode SelectKey(const std::string& path) {
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
    if (!node) return node;
    node.MakeVisible();  // expanding the levels above selects each of them
    frmMain->trvwKeys.SetSelected(node);
    if (frmMain->trvwKeys.Selected() != node) std::printf("could not select %s\n", path.c_str());
    return node;
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
    const auto emptyKey = [&](const std::string& path) {
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, path);
        return Create(path);
    };
    bool valuesOk = true;
    bench::Rotation valueRounds;
    const bench::Samples& bareValues = valueRounds.Add("floor", [&] {
        HKEY bare = emptyKey(base + "\\paste\\bare");
        const double t = bench::Time([&] {
            WriteAll(bare, values);
            return true;
        });
        ::RegCloseKey(bare);
        return t;
    });
    const bench::Samples& pasteValues = valueRounds.Add("paste", [&] {
        ::RegCloseKey(emptyKey(base + "\\paste\\ours"));
        main->RefreshNode(main->FindKeyNode(HKEY_CURRENT_USER, base + "\\paste"));
        SelectKey(base + "\\paste\\ours");
        const double t = bench::Time([&] {
            main->PasteValues();
            return true;
        });
        return main->lstvwValues.Count() == kValues ? t : -1;
    });
    // The writing alone, into a key of its own.
    const bench::Samples& writing = valueRounds.Add("writing", [&] {
        HKEY write = emptyKey(base + "\\paste\\write");
        const double t = bench::Time([&] { return main->WriteCopiedValues(write); });
        ::RegCloseKey(write);
        return t;
    });
    const bench::Samples& copyValues = valueRounds.Add("copy", [&] {
        SelectKey(base + "\\values");
        main->ClearValueList();
        main->LoadValues(main->trvwKeys.Selected());
        main->lstvwValues.SelectAll();
        const double t = bench::Time([&] {
            main->CopyValues();
            return true;
        });
        return main->FValueCopy.Values.size() == static_cast<size_t>(kValues) ? t : -1;
    });
    // Copied once before the rounds: every paste has the values to write.
    SelectKey(base + "\\values");
    main->ClearValueList();
    main->LoadValues(main->trvwKeys.Selected());
    main->lstvwValues.SelectAll();
    main->CopyValues();
    valuesOk = main->FValueCopy.Values.size() == static_cast<size_t>(kValues);
    valueRounds.Run(kValueRounds);
    const TreeSummary valueTree = Summarize(base + "\\values");
    valuesOk = valuesOk && Summarize(base + "\\paste\\bare") == valueTree &&
               Summarize(base + "\\paste\\ours") == valueTree && Summarize(base + "\\paste\\write") == valueTree;

    // ---- Paste Key ----
    SelectKey(base + "\\tree\\src");
    main->CopyKey();
    bool keyOk = main->FKeyCopy.HasData;
    const std::string arg = "\"HKEY_CURRENT_USER\\" + base + "\\tree\\";
    bench::Rotation keyRounds;
    const bench::Samples& bareKey = keyRounds.Add("floor", [&] {
        ::RegCloseKey(emptyKey(base + "\\tree\\bare"));
        return bench::Time([&] { return FloorCopy(Wide(base + "\\tree\\src"), Wide(base + "\\tree\\bare\\src")); });
    });
    const bench::Samples& pasteKey = keyRounds.Add("paste", [&] {
        ::RegCloseKey(emptyKey(base + "\\tree\\ours"));
        main->RefreshNode(main->FindKeyNode(HKEY_CURRENT_USER, base + "\\tree"));
        SelectKey(base + "\\tree\\ours");
        return bench::Time([&] {
            main->PasteKey();
            return true;
        });
    });
    const bench::Samples& regKey = keyRounds.Add("reg", [&] {
        ::RegCloseKey(emptyKey(base + "\\tree\\reg"));
        return RegSeconds("copy " + arg + "src\" " + arg + "reg\\src\" /s /f");
    });
    const bench::Samples& regStart = keyRounds.Add("reg start", [&] {
        ::RegCloseKey(emptyKey(base + "\\tree\\empty"));
        classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base + "\\tree\\emptycopy");
        return RegSeconds("copy " + arg + "empty\" " + arg + "emptycopy\" /s /f");
    });
    keyRounds.Run(kRounds);
    keyOk = keyOk && Summarize(base + "\\tree\\ours\\src") == original &&
            Summarize(base + "\\tree\\bare\\src") == original && Summarize(base + "\\tree\\reg\\src") == original;

    // ---- Menu states with a key in the clipboard ----
    SelectKey(base + "\\tree\\ours");
    const int updates = 2000;
    bench::Rotation menuRounds;
    const bench::Samples& menu = menuRounds.Add("menu", [&] {
        return bench::Time([&] {
            for (int i = 0; i < updates; ++i) main->UpdateMenuState(TfrmMain::kKeyItems | TfrmMain::kValueItems);
            return true;
        });
    });
    menuRounds.Run(5);

    std::printf("Paste Values, %d values of mixed types into an empty key, %d rounds in rotated order\n", kValues,
                kValueRounds);
    bench::PrintSeconds("RegSetValueExW loop (floor)", bareValues);
    bench::PrintSeconds("Paste Values, with the listing", pasteValues, "to floor", bareValues);
    bench::PrintSeconds("its writing alone (aim: 1.2 at most)", writing, "to floor", bareValues);
    bench::PrintSeconds("Copy Values of them", copyValues);
    std::printf("Paste Key, %ld keys and %ld values, %d rounds in rotated order\n", original.Keys - 1, original.Values,
                kRounds);
    bench::PrintSeconds("copy loop (floor)", bareKey);
    bench::PrintSeconds("Paste Key (aim: 1.2 at most)", pasteKey, "to floor", bareKey);
    bench::PrintPeer("reg copy /s /f", regKey, regStart, "to floor", bareKey);
    bench::PrintSeconds("Paste Key (aim: below 1)", pasteKey, "to reg net", regKey.Less(regStart));
    const bench::Summary m = menu.Summary();
    if (m.Failed())
        std::printf("Menu state update with a key in the clipboard: failed\n");
    else
        std::printf("Menu state update with a key in the clipboard: min %.1f us, median %.1f us each\n",
                    m.Min * 1e6 / updates, m.Median * 1e6 / updates);
    if (!valuesOk || !keyOk)
        std::printf("RESULTS DIFFER: values %s, keys %s\n", valuesOk ? "equal" : "different",
                    keyOk ? "equal" : "different");

    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, base);
    return 0;
}
