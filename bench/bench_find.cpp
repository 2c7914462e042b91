// A find without a hit over a subtree of 10,000 keys and 50,000 values
// (strings, DWORDs, binaries), Data checked, against
//   - the floor: the bare walk of the same subtree reading every name and
//     data once, with the wide calls the search makes;
//   - Wine's own regedit: started with the subtree as its last key, its
//     Edit > Find command posted to it, the dialog filled (Keys, Value names
//     and Value content checked) and its Find pressed, timed from there to
//     the message box saying the text was not found.
// Ours is timed twice: the search walk alone, and the Find command with its
// progress window and message pumping around it. All of them take turns in
// the same rounds, in rotated order.
//
// Wine's regedit searches from the selected key to the end of the registry,
// so the subtree is a key that sorts last under HKEY_CURRENT_USER\Software,
// and regedit is given it as HKEY_USERS\<user>\Software\...: the current
// user's hive under HKEY_USERS comes after HKEY_LOCAL_MACHINE, and after it
// only the rest of that hive, HKEY_CURRENT_CONFIG and HKEY_DYN_DATA. That
// rest is timed by a find from an empty key right after the subtree, in the
// same rounds, and regedit's figure is also given net of it. Its search
// grows worse than linearly with the tree and takes minutes on the full
// size: a smaller subtree is measured too, and a run still searching after
// a limit is stopped and counted at that limit, so that its figures are
// lower bounds.
#include <windows.h>
#include <sddl.h>

#include <algorithm>
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

const int kKeysPerGroup = 99;  // a group key and 99 keys below it: 100 keys
const int kValuesPerKey = 5;
const char kNoHit[] = "no such text anywhere";

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

void CreateTree(const std::string& top, int groups) {
    int k = 0;
    for (int g = 0; g < groups; ++g) {
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

double Floor(const std::string& top, int groups) {
    const auto start = bench::Clock::now();
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, top.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return -1;
    long values = 0;
    Walk(key, values);
    ::RegCloseKey(key);
    const double t = bench::Since(start);
    return values == groups * (kKeysPerGroup + 1) * kValuesPerKey ? t : -1;
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
    const bool found = RegFindFirst(kNoHit, info);
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

// ---- Wine's regedit, driven through its own menu and Find dialog ------------

std::string Regedit() {
    char windir[MAX_PATH];
    ::GetWindowsDirectoryA(windir, MAX_PATH);
    return std::string(windir) + "\\regedit.exe";
}

std::string WindowText(HWND wnd) {
    char text[256] = "";
    DWORD_PTR len = 0;
    ::SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &len);
    return text;
}

std::string ClassOf(HWND wnd) {
    char name[64] = "";
    ::GetClassNameA(wnd, name, sizeof name);
    return name;
}

// A menu caption as read: without its '&' and its shortcut.
std::string Caption(const char* text) {
    std::string c;
    for (const char* p = text; *p && *p != '\t'; ++p)
        if (*p != '&') c += *p;
    return c;
}

UINT MenuItemId(HMENU menu, const std::string& caption) {
    for (int i = 0, n = ::GetMenuItemCount(menu); i < n; ++i) {
        if (HMENU sub = ::GetSubMenu(menu, i)) {
            if (UINT id = MenuItemId(sub, caption)) return id;
            continue;
        }
        char text[256] = "";
        ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        if (Caption(text) == caption) return ::GetMenuItemID(menu, i);
    }
    return 0;
}

struct MenuSearch {
    std::string Caption;
    UINT Id;
};

BOOL CALLBACK SearchMenu(HMODULE module, LPCSTR, LPSTR name, LONG_PTR p) {
    MenuSearch& s = *reinterpret_cast<MenuSearch*>(p);
    if (HMENU menu = ::LoadMenuA(module, name)) {
        s.Id = MenuItemId(menu, s.Caption);
        ::DestroyMenu(menu);
    }
    return s.Id == 0;
}

// The command of a menu item, read from the program's menu resources: a
// running program's menus cannot be read from another process here.
UINT MenuCommand(const std::string& program, const std::string& caption) {
    MenuSearch search{caption, 0};
    HMODULE module = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return 0;
    ::EnumResourceNamesA(module, reinterpret_cast<LPCSTR>(RT_MENU), SearchMenu, reinterpret_cast<LONG_PTR>(&search));
    ::FreeLibrary(module);
    return search.Id;
}

struct WindowSearch {
    DWORD Pid;
    const char* Class;
    HWND Except, Found;
};

BOOL CALLBACK SearchWindow(HWND wnd, LPARAM p) {
    WindowSearch& w = *reinterpret_cast<WindowSearch*>(p);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(wnd, &owner);
    if (owner != w.Pid || wnd == w.Except || !::IsWindowVisible(wnd) || ClassOf(wnd) != w.Class) return TRUE;
    w.Found = wnd;
    return FALSE;
}

// A visible top-level window of a process by its class, other than except.
HWND TopWindow(DWORD pid, const char* cls, HWND except = nullptr) {
    WindowSearch search{pid, cls, except, nullptr};
    ::EnumWindows(SearchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

// A control of a dialog by its class and, when given, its text.
HWND Control(HWND dialog, const char* cls, const char* text = nullptr) {
    for (HWND c = ::GetWindow(dialog, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT))
        if (ClassOf(c) == cls && (!text || Caption(WindowText(c).c_str()) == text)) return c;
    return nullptr;
}

// Looks every 20 ms: each look costs the server calls the watched program
// waits for.
template <typename F>
HWND WaitFor(F&& find, double seconds) {
    const auto start = bench::Clock::now();
    for (;;) {
        if (HWND wnd = find()) return wnd;
        if (bench::Since(start) > seconds) return nullptr;
        ::Sleep(20);
    }
}

// The current user's hive under HKEY_USERS, as regedit names it.
std::string UserHive() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return std::string();
    std::vector<BYTE> buffer(256);
    DWORD size = 0;
    std::string hive;
    char* sid = nullptr;
    if (::GetTokenInformation(token, TokenUser, buffer.data(), static_cast<DWORD>(buffer.size()), &size) &&
        ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
        hive = std::string("HKEY_USERS\\") + sid;
        ::LocalFree(sid);
    }
    ::CloseHandle(token);
    return hive;
}

class TRegeditFind {
public:
    TRegeditFind() : FProgram(Regedit()), FFindCommand(MenuCommand(FProgram, "Find...")), FHive(UserHive()) {}
    bool Usable() const { return FFindCommand != 0 && !FHive.empty(); }
    bool TimedOut() const { return FTimedOut; }

    // Seconds from pressing Find in regedit's Find dialog, opened with the
    // key selected, to its message that nothing was found; negative on any
    // other outcome, and when it is still searching after limit seconds
    // (then TimedOut() tells).
    double Run(const std::string& key, double limit) {
        FTimedOut = false;
        std::string last = FHive + "\\" + key;
        HKEY applet = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit", 0,
                          nullptr, 0, KEY_SET_VALUE, nullptr, &applet, nullptr);
        ::RegSetValueExA(applet, "LastKey", 0, REG_SZ, reinterpret_cast<const BYTE*>(last.c_str()),
                         static_cast<DWORD>(last.size() + 1));
        ::RegCloseKey(applet);
        PROCESS_INFORMATION pi;
        if (!bench::StartProgram(bench::Quote(FProgram), std::string(), pi, 0)) return -1;
        const double t = Drive(pi.dwProcessId, limit);
        if (HWND main = TopWindow(pi.dwProcessId, kMainClass)) ::PostMessageA(main, WM_CLOSE, 0, 0);
        if (::WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
        bench::EndOfProgram(pi);
        return t;
    }

private:
    static constexpr const char* kMainClass = "RegEdit_RegEdit";
    static constexpr const char* kDialogClass = "#32770";

    double Drive(DWORD pid, double limit) {
        const HWND main = WaitFor([&] { return TopWindow(pid, kMainClass); }, 30);
        if (!main) return -1;
        ::PostMessageA(main, WM_COMMAND, FFindCommand, 0);
        const HWND dialog = WaitFor([&] { return TopWindow(pid, kDialogClass); }, 30);
        if (!dialog) return -1;
        const HWND edit = Control(dialog, "Edit");
        if (!edit) return -1;
        ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(kNoHit));
        for (const char* box : {"Keys", "Value names", "Value content"})
            if (!Check(Control(dialog, "Button", box), true)) return -1;
        if (!Check(Control(dialog, "Button", "Whole string only"), false)) return -1;
        const HWND ok = Control(dialog, "Button", "Find");
        if (!ok || !::IsWindowEnabled(ok)) return -1;
        const auto start = bench::Clock::now();
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(ok), BN_CLICKED), reinterpret_cast<LPARAM>(ok));
        // Its search holds its window until it shows the outcome: a message
        // box naming the text it did not find.
        const HWND box = WaitFor([&] { return TopWindow(pid, kDialogClass, dialog); }, limit);
        const double t = bench::Since(start);
        FTimedOut = !box;
        if (!box) return -1;
        const bool notFound = WaitFor(
            [&] { return WindowText(::GetDlgItem(box, 0xFFFF)).find(kNoHit) != std::string::npos ? box : nullptr; },
            5);
        ::PostMessageA(box, WM_COMMAND, IDOK, 0);
        return notFound ? t : -1;
    }

    // Sets a check box as a click would, so the dialog hears of it.
    static bool Check(HWND box, bool checked) {
        if (!box) return false;
        if ((::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) ::SendMessageA(box, BM_CLICK, 0, 0);
        return (::SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED) == checked;
    }

    std::string FProgram;
    UINT FFindCommand;
    std::string FHive;
    bool FTimedOut = false;
};

// ---- One size of subtree ------------------------------------------------------

// Ours, the floor and regedit side by side over rounds; a regedit run still
// searching after limit seconds is stopped and counted as limit.
void Measure(int groups, int rounds, double limit, TRegeditFind& regedit) {
    // Sorts after every other key under Software; the empty key right after it.
    const std::string top = "Software\\zzTessmorelBenchFind_" + std::to_string(::GetCurrentProcessId());
    const std::string empty = top + " tail";
    CreateTree(top, groups);
    HKEY key = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, empty.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    ::RegCloseKey(key);
    frmMain->RefreshNode(frmMain->FindKeyNode(HKEY_CURRENT_USER, "Software"));
    frmMain->FindKeyNode(HKEY_CURRENT_USER, top).MakeVisible();

    bench::Rotation rotation;
    const bench::Samples& floor = rotation.Add("floor", [&] { return Floor(top, groups); });
    const bench::Samples& walker = rotation.Add("walker", [&] { return Walker(top); });
    const bench::Samples& command = rotation.Add("command", [&] { return FindCommand(top); });
    int stopped = 0;
    const bench::Samples& peer = rotation.Add("regedit", [&] {
        if (!regedit.Usable()) return -1.0;
        const double t = regedit.Run(top, limit);
        if (!regedit.TimedOut()) return t;
        ++stopped;
        return limit;
    });
    const bench::Samples& tail =
        rotation.Add("regedit tail", [&] { return regedit.Usable() ? regedit.Run(empty, limit) : -1; });
    rotation.Run(rounds);

    const int keys = groups * (kKeysPerGroup + 1);
    std::printf("A find without a hit over %d keys and %d values, Data checked; %d rounds in rotated order\n", keys,
                keys * kValuesPerKey, rounds);
    bench::PrintSeconds("bare walk reading every name and data (floor)", floor);
    bench::PrintSeconds("the search walk", walker, "to floor", floor);
    bench::PrintSeconds("Find, with its progress window", command, "to floor", floor);
    if (stopped > 0)
        std::printf("  wine regedit: %d of %d runs still searching after %.0f s, stopped and counted as %.0f s;\n"
                    "  its figures below are lower bounds\n",
                    stopped, rounds, limit, limit);
    bench::PrintPeer("wine regedit Find, from OK to its answer", peer, tail, "to ours", command,
                     "the rest after the subtree (empty key)", "over the subtree alone");
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, top);
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, empty);
    std::fflush(stdout);
}

}  // namespace

int main() {
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    classlib::Seams().MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDOK; };
    classlib::Seams().ShowModal = [](classlib::TForm&) {
        frmFind->FindItem = kNoHit;
        return static_cast<int>(classlib::mrOk);
    };
    TRegeditFind regedit;
    if (!regedit.Usable()) std::printf("  (wine regedit's Find command or the user's hive not found)\n");
    Measure(20, 3, 120, regedit);  // 2,000 keys: regedit takes half a minute or more a run
    Measure(100, 3, 60, regedit);  // 10,000 keys: minutes, so every regedit run is stopped
    std::fflush(stdout);
    ::ExitProcess(0);
}
