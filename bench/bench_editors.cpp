// Opening the binary editor on a large value from the value list, and the
// write-back when OK is pressed: 64 KB and 1 MB, taking turns over the
// rounds in rotated order.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Program.h"
#include "Registry.h"
#include "Seams.h"
#include "UnitBin.h"
#include "UnitMain.h"

namespace {

using bench::Clock;

const int kRounds = 5;

double Seconds(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

void Pump() {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

struct Timing {
    double Open = 0, WriteBack = 0;
    bool Ok = false;
};

// Double-clicks the value, times until the editor stands with its three
// columns filled, changes one digit, presses OK and times the write-back.
Timing EditOnce(const std::string& path, const std::string& name, size_t size) {
    classlib::TListView& list = frmMain->lstvwValues;
    for (int i = 0; i < list.Count(); ++i) list.Item(i).SetSelected(false);
    list.Item(list.IndexOfCaption(name)).SetSelected(true);
    Timing t;
    Clock::time_point start, shown, ok;
    bool filled = false;
    classlib::Seams().ShowModal = [&](classlib::TForm& form) {
        ::ShowWindow(form.Handle, SW_SHOWNA);
        ::UpdateWindow(form.Handle);
        Pump();
        shown = Clock::now();
        // The whole value is in the editor and its first sixteen lines are in view.
        const int lines = static_cast<int>((size + 15) / 16);
        filled = frmBin->HexLineCount() == lines && frmBin->mmAddress.LineCount() == 16 &&
                 ::SendMessageA(frmBin->HexColumn().Handle, EM_GETLINECOUNT, 0, 0) == 16 &&
                 ::SendMessageA(frmBin->mmValueString.Handle, EM_GETLINECOUNT, 0, 0) == 16 &&
                 frmBin->HexColumnText().size() == size * 3 - 1;
        HWND hex = frmBin->HexColumn().Handle;
        ::SendMessageA(hex, EM_SETSEL, 0, 0);
        ::SendMessageA(hex, WM_CHAR, 'F', 1);
        ::ShowWindow(form.Handle, SW_HIDE);
        ok = Clock::now();
        return classlib::mrOk;
    };
    start = Clock::now();
    frmMain->lstvwValuesDblClick(nullptr);
    const Clock::time_point done = Clock::now();
    t.Open = Seconds(start, shown);
    t.WriteBack = Seconds(ok, done);
    // The first byte was 00 and is now F0.
    HKEY key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key);
    std::vector<BYTE> data(size);
    DWORD got = static_cast<DWORD>(data.size()), type = 0;
    ::RegQueryValueExA(key, name.c_str(), nullptr, &type, data.data(), &got);
    ::RegCloseKey(key);
    t.Ok = filled && got == size && data[0] == 0xF0;
    if (!t.Ok)
        std::printf("  (check: filled %d, size %lu, first byte %02X)\n", filled ? 1 : 0, static_cast<unsigned long>(got),
                    data.empty() ? 0 : data[0]);
    // Back to 00 for the next round.
    key = nullptr;
    ::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key);
    data[0] = 0;
    ::RegSetValueExA(key, name.c_str(), 0, REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    ::RegCloseKey(key);
    frmMain->trvwKeysClick(nullptr);
    return t;
}

}  // namespace

int main() {
    const std::string path = "Software\\TessmorelBenchEditors_" + std::to_string(::GetCurrentProcessId());
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    const std::pair<const char*, size_t> values[] = {{"bin64k", 64 * 1024}, {"bin1m", 1024 * 1024}};
    for (const auto& v : values) {
        std::vector<BYTE> blob(v.second);
        for (size_t i = 0; i < blob.size(); ++i) blob[i] = static_cast<BYTE>(i * 7);
        ::RegSetValueExA(key, v.first, 0, REG_BINARY, blob.data(), static_cast<DWORD>(blob.size()));
    }
    ::RegCloseKey(key);

    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
    node.MakeVisible();
    frmMain->trvwKeys.SetSelected(node);
    frmMain->trvwKeysClick(nullptr);

    struct Case {
        const char* Name;
        size_t Size;
        bench::Samples Open, WriteBack;
    };
    std::vector<Case> cases;
    for (const auto& v : values) cases.push_back(Case{v.first, v.second, {}, {}});
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::function<void()>> steps;
        for (Case& c : cases)
            steps.push_back([&] {
                const Timing t = EditOnce(path, c.Name, c.Size);
                c.Open.Add(t.Ok ? t.Open : -1);
                c.WriteBack.Add(t.Ok ? t.WriteBack : -1);
            });
        bench::InTurn(round, steps);
    }
    std::printf("Binary editor on a large value, %d rounds in rotated order\n", kRounds);
    for (const Case& c : cases) {
        std::printf("  %s\n", c.Size >= 1024 * 1024 ? "1 MB" : "64 KB");
        bench::PrintSeconds("  opened, shown and filled", c.Open);
        bench::PrintSeconds("  written back on OK", c.WriteBack);
    }
    std::printf("  target: the 64 KB editor stands within 0.5 s\n");

    classlib::ResetSeams();
    classlib::Application().DestroyForms();
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, path);
    return 0;
}
