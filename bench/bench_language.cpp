// Applying a full section of the language file to all fifteen windows,
// English and a second language by turns so that every text changes,
// against (a) the floor: the same texts set by bare SetWindowTextA,
// SetMenuItemInfoA, LVM_SETCOLUMNA and TCM_SETITEMA calls and plain string
// assignments, then DrawMenuBar for each window with a menu bar (the
// system lays out a changed menu bar only then), and (b) the profile API
// reading the same keys with GetPrivateProfileStringA, without setting
// anything.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "LanguageTexts.h"
#include "Program.h"
#include "Seams.h"
#include "StdCtrls.h"
#include "UnitMain.h"

using namespace classlib;

namespace {

const int kRounds = 10;  // even: each language as often

int MenuPosition(HMENU menu, int command, HMENU submenu) {
    const int n = ::GetMenuItemCount(menu);
    for (int i = 0; i < n; ++i) {
        MENUITEMINFOA mi{};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_ID | MIIM_SUBMENU;
        if (::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &mi) && static_cast<int>(mi.wID) == command &&
            (!submenu || mi.hSubMenu == submenu))
            return i;
    }
    return -1;
}

// One bare call a target, worked out before the clock starts.
std::vector<std::function<void()>> BareCalls(const std::vector<std::string>& texts) {
    std::vector<std::function<void()>> calls;
    for (const TfrmMain::TTextTarget& t : frmMain->LanguageTargets()) {
        const std::string* text = &texts[t.Text];
        if (t.Field) {
            std::string* field = t.Field;
            calls.push_back([field, text] { *field = *text; });
        } else if (t.Form) {
            HWND hwnd = t.Form->Handle;
            calls.push_back([hwnd, text] { ::SetWindowTextA(hwnd, text->c_str()); });
        } else if (auto* item = dynamic_cast<TMenuItem*>(t.Component)) {
            HMENU menu = item->Menu;
            const UINT pos = static_cast<UINT>(MenuPosition(menu, item->Command, item->SubMenu));
            const std::string tail = item->ShortCutText;
            calls.push_back([menu, pos, text, tail] {
                std::string s = *text + tail;
                MENUITEMINFOA mi{};
                mi.cbSize = sizeof mi;
                mi.fMask = MIIM_STRING;
                mi.dwTypeData = &s[0];
                ::SetMenuItemInfoA(menu, pos, TRUE, &mi);
            });
        } else if (auto* list = dynamic_cast<TListView*>(t.Component)) {
            HWND hwnd = list->Handle;
            const int index = t.Item;
            calls.push_back([hwnd, index, text] {
                LVCOLUMNA col{};
                col.mask = LVCF_TEXT;
                col.pszText = const_cast<char*>(text->c_str());
                ::SendMessageA(hwnd, LVM_SETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&col));
            });
        } else if (auto* tabs = dynamic_cast<TTabControl*>(t.Component)) {
            HWND hwnd = tabs->Handle;
            const int index = t.Item;
            calls.push_back([hwnd, index, text] {
                TCITEMA item{};
                item.mask = TCIF_TEXT;
                item.pszText = const_cast<char*>(text->c_str());
                ::SendMessageA(hwnd, TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
            });
        } else if (auto* group = dynamic_cast<TRadioGroup*>(t.Component); group && t.Item >= 0) {
            HWND hwnd = group->ItemHandle(t.Item);
            calls.push_back([hwnd, text] { ::SetWindowTextA(hwnd, text->c_str()); });
        } else if (auto* control = dynamic_cast<TControl*>(t.Component)) {
            if (std::string(t.Prop) == "Hint") {
                std::string* hint = &control->Hint;
                calls.push_back([hint, text] { *hint = *text; });
            } else {
                HWND hwnd = control->Handle;
                calls.push_back([hwnd, text] { ::SetWindowTextA(hwnd, text->c_str()); });
            }
        }
    }
    return calls;
}

}  // namespace

int main() {
    Seams().MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDOK; };
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "tessmorel_bench_LANGUAGE.INI";
    // English and a second language whose every text differs from it.
    std::vector<std::string> english, second;
    std::string secondSection = "\r\n[SECOND]\r\n";
    for (std::size_t i = 0; i < LanguageTextCount(); ++i) {
        english.push_back(LanguageTexts()[i].Default);
        second.push_back(std::string("<") + LanguageTexts()[i].Default + ">");
        secondSection += std::string(LanguageTexts()[i].Key) + "=\"" + second.back() + "\"\r\n";
    }
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        // The Chinese section's bytes do not matter here.
        out << ShippedLanguageFile([](const std::string& utf8, std::string& bytes) {
            bytes = utf8;
            return true;
        }) << secondSection;
    }
    frmMain->FLanguageFile = std::wstring(file.begin(), file.end());  // the temporary folder's name is ASCII here

    const std::vector<std::function<void()>> calls[2] = {BareCalls(english), BareCalls(second)};
    if (calls[0].size() != frmMain->LanguageTargets().size()) {
        std::printf("a target has no bare call\n");
        return 1;
    }

    bench::Rotation rotation;
    int floorTurn = 0, mineTurn = 0;
    const bench::Samples& floor = rotation.Add("floor", [&] {
        const auto start = bench::Clock::now();
        for (const auto& call : calls[++floorTurn % 2]) call();
        for (TForm* form : Application().Forms())
            if (form->Menu) ::DrawMenuBar(form->Handle);
        return bench::Since(start);
    });
    const bench::Samples& peer = rotation.Add("profile API", [&] {
        const auto start = bench::Clock::now();
        char value[2048];
        std::size_t read = 0;
        for (std::size_t i = 0; i < LanguageTextCount(); ++i)
            read += ::GetPrivateProfileStringA("ANSI", LanguageTexts()[i].Key, "", value, sizeof value, file.c_str()) > 0;
        const double t = bench::Since(start);
        return read == LanguageTextCount() ? t : -1;
    });
    const bench::Samples& mine = rotation.Add("LoadLanguage", [&] {
        const bool english = ++mineTurn % 2 == 0;
        const auto start = bench::Clock::now();
        frmMain->LoadLanguage(english ? "ANSI" : "SECOND");
        const double t = bench::Since(start);
        return frmMain->msgNotFound == (english ? "Not found!" : "<Not found!>") ? t : -1;
    });
    rotation.Run(kRounds);
    std::printf("Applying a language (%zu keys, %zu targets) to every window, %d rounds in rotated order\n",
                LanguageTextCount(), calls[0].size(), kRounds);
    bench::PrintSeconds("bare text sets (floor)", floor);
    bench::PrintSeconds("the keys read by GetPrivateProfileStringA (peer)", peer, "to floor", floor);
    bench::PrintSeconds("LoadLanguage (read and set)", mine, "to floor", floor);
    bench::PrintSeconds("LoadLanguage", mine, "to peer", peer);
    ::DeleteFileA(file.c_str());
    std::fflush(stdout);
    ::ExitProcess(0);
}
