// Favourites, 1,000 of them, each against its bare floor in the same run:
// - start-up: reading the file and making the menu items, against an
//   AppendMenuA loop (into the same menu, as the DeleteMenu loop below);
// - Manage: filling the sorted list, against an LB_ADDSTRING loop into a
//   list box of the same style;
// - deleting all 1,000 rows at once (lines, menu items and rows), against a
//   DeleteMenu loop;
// - the close: dropping missing keys and writing the file, against a
//   RegOpenKeyExW/RegCloseKey loop (the program's calls) plus one
//   SaveTextFile.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchHarness.h"
#include "Files.h"
#include "Program.h"
#include "Registry.h"
#include "Seams.h"
#include "StringList.h"
#include "UnitFavorites.h"
#include "UnitMain.h"

namespace {

const int kFavorites = 1000;
const int kRounds = 9;

struct Fixture {
    std::string Top, Folder, File;
    std::vector<std::string> Names, Paths;
    std::vector<std::wstring> WidePaths;
    std::string Text;  // the favourites file
};

Fixture Make() {
    Fixture f;
    f.Top = "Software\\TessmorelBenchFavorites_" + std::to_string(::GetCurrentProcessId());
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    f.Folder = std::string(temp) + "tessmorel_favbench_" + std::to_string(::GetCurrentProcessId());
    ::CreateDirectoryA(f.Folder.c_str(), nullptr);
    f.File = f.Folder + "\\TESSMOREL_FAVORITES.INI";
    std::vector<int> order(kFavorites);
    for (int i = 0; i < kFavorites; ++i) order[static_cast<size_t>(i)] = i;
    std::shuffle(order.begin(), order.end(), std::mt19937(7));  // favourites come in no order
    for (int i : order) {
        char name[32];
        std::snprintf(name, sizeof name, "Favourite %04d", i);
        const std::string path = f.Top + "\\Key" + std::to_string(i);
        HKEY key = nullptr;
        ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        ::RegCloseKey(key);
        f.Names.push_back(name);
        f.Paths.push_back(path);
        f.WidePaths.emplace_back(path.begin(), path.end());
        f.Text += std::string(name) + "=HKEY_CURRENT_USER:" + path + "\r\n";
    }
    classlib::SaveTextFile(classlib::ToWide(f.File), f.Text);
    return f;
}

// The floors work on the program's own Favorites menu, after its three
// fixed items, and leave it as they found it.
HMENU FavoritesMenu() { return frmMain->mnitmFavorites->SubMenu; }

void AppendRaw(const Fixture& f) {
    for (size_t i = 0; i < f.Names.size(); ++i)
        ::AppendMenuA(FavoritesMenu(), MF_STRING, 0x6000 + i, f.Names[i].c_str());
}

bool DeleteRaw() {
    for (int i = ::GetMenuItemCount(FavoritesMenu()) - 1; i >= 3; --i)
        ::DeleteMenu(FavoritesMenu(), static_cast<UINT>(i), MF_BYPOSITION);
    return ::GetMenuItemCount(FavoritesMenu()) == 3;
}

double StartUpFloor(const Fixture& f) {
    frmMain->LoadFavoritesMenu(classlib::TStringList());
    const auto start = bench::Clock::now();
    AppendRaw(f);
    const double t = bench::Since(start);
    const bool ok = ::GetMenuItemCount(FavoritesMenu()) == 3 + kFavorites;
    return DeleteRaw() && ok ? t : -1;
}

double StartUp(const Fixture& f) {
    frmMain->FFavorites.Clear();
    frmMain->LoadFavoritesMenu(frmMain->FFavorites);
    const auto start = bench::Clock::now();
    frmMain->FFavorites.LoadFromFile(classlib::ToWide(f.File));
    frmMain->LoadFavoritesMenu(frmMain->FFavorites);
    const double t = bench::Since(start);
    return frmMain->mnitmFavorites->Count() == 3 + kFavorites ? t : -1;
}

double FillFloor(const Fixture& f, HWND list) {
    ::SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const auto start = bench::Clock::now();
    for (const std::string& name : f.Names) ::SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    const double t = bench::Since(start);
    return ::SendMessageA(list, LB_GETCOUNT, 0, 0) == kFavorites ? t : -1;
}

double Fill(const Fixture& f) {
    frmMain->FFavorites.SetText(f.Text);
    frmFavorites->lstbxFavorites.Clear();
    const auto start = bench::Clock::now();
    frmFavorites->FillFavoritesList();
    const double t = bench::Since(start);
    return frmFavorites->lstbxFavorites.Count() == kFavorites ? t : -1;
}

double DeleteFloor(const Fixture& f) {
    frmMain->LoadFavoritesMenu(classlib::TStringList());
    AppendRaw(f);
    const auto start = bench::Clock::now();
    const bool ok = DeleteRaw();
    const double t = bench::Since(start);
    return ok ? t : -1;
}

double DeleteAll(const Fixture& f) {
    frmMain->FFavorites.SetText(f.Text);
    frmMain->LoadFavoritesMenu(frmMain->FFavorites);
    frmFavorites->FillFavoritesList();
    ::SendMessageA(frmFavorites->lstbxFavorites.Handle, LB_SETSEL, TRUE, -1);
    const auto start = bench::Clock::now();
    frmFavorites->pppmnitmDeleteClick(nullptr);
    const double t = bench::Since(start);
    const bool ok = frmMain->FFavorites.Count() == 0 && frmMain->mnitmFavorites->Count() == 3 &&
                    frmFavorites->lstbxFavorites.Count() == 0 &&
                    ::SendMessageA(frmFavorites->lstbxFavorites.Handle, LB_GETCOUNT, 0, 0) == 0;
    return ok ? t : -1;
}

double CloseFloor(const Fixture& f) {
    const auto start = bench::Clock::now();
    int open = 0;
    for (const std::wstring& path : f.WidePaths) {
        HKEY key = nullptr;
        if (::RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
            ++open;
            ::RegCloseKey(key);
        }
    }
    classlib::SaveTextFile(classlib::ToWide(f.File), f.Text);
    const double t = bench::Since(start);
    return open == kFavorites ? t : -1;
}

double Close(const Fixture& f) {
    frmMain->FFavorites.SetText(f.Text);
    frmMain->FSystemRoot = classlib::ToWide(f.Folder);
    frmMain->FFavoritesChanged = true;  // a close with nothing to change writes nothing
    const auto start = bench::Clock::now();
    frmMain->FormClose(nullptr);
    const double t = bench::Since(start);
    return frmMain->FFavorites.Count() == kFavorites ? t : -1;
}

}  // namespace

int main() {
    const Fixture f = Make();
    classlib::Seams().MessageBox = [](HWND, const std::string&, const std::string&, UINT) { return IDOK; };
    CreateTessmorelForms(::GetModuleHandleA(nullptr));
    const LONG style = ::GetWindowLongA(frmFavorites->lstbxFavorites.Handle, GWL_STYLE) & ~(WS_CHILD | WS_VISIBLE);
    HWND list = ::CreateWindowExA(0, "LISTBOX", "", style | WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                                  ::GetModuleHandleA(nullptr), nullptr);

    bench::Rotation rotation;
    const bench::Samples& startFloor = rotation.Add("start floor", [&] { return StartUpFloor(f); });
    const bench::Samples& start = rotation.Add("start", [&] { return StartUp(f); });
    const bench::Samples& fillFloor = rotation.Add("fill floor", [&] { return FillFloor(f, list); });
    const bench::Samples& fill = rotation.Add("fill", [&] { return Fill(f); });
    const bench::Samples& deleteFloor = rotation.Add("delete floor", [&] { return DeleteFloor(f); });
    const bench::Samples& deleteAll = rotation.Add("delete", [&] { return DeleteAll(f); });
    const bench::Samples& closeFloor = rotation.Add("close floor", [&] { return CloseFloor(f); });
    const bench::Samples& close = rotation.Add("close", [&] { return Close(f); });
    rotation.Run(kRounds);

    std::printf("Favourites: %d of them, %d rounds in rotated order\n", kFavorites, kRounds);
    bench::PrintSeconds("AppendMenuA loop, same menu (floor)", startFloor);
    bench::PrintSeconds("start-up: read the file, the menu", start, "to floor", startFloor);
    bench::PrintSeconds("LB_ADDSTRING loop, sorted (floor)", fillFloor);
    bench::PrintSeconds("Manage: fill the list", fill, "to floor", fillFloor);
    bench::PrintSeconds("DeleteMenu loop, same menu (floor)", deleteFloor);
    bench::PrintSeconds("delete all rows at once", deleteAll, "to floor", deleteFloor);
    bench::PrintSeconds("RegOpenKeyExW loop + save (floor)", closeFloor);
    bench::PrintSeconds("close: drop missing keys, save", close, "to floor", closeFloor);

    ::DestroyWindow(list);
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, f.Top);
    ::DeleteFileA(f.File.c_str());
    ::RemoveDirectoryA(f.Folder.c_str());
    std::fflush(stdout);
    ::ExitProcess(0);
}
