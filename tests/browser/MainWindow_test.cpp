#include "BrowserFixture.h"
#include "zrvDir.h"
#include "UnitFinding.h"
#include "UnitKeyContent.h"
#include "UnitStr.h"
#include "zrvRegistry.h"

using namespace classlib;

namespace {

const std::string kFavorites = "C:\\windows\\TESSMOREL_FAVORITES.INI";

}  // namespace

TEST_F(BrowserTest, StartsWithEveryFormAndTheLaidOutMainWindow) {
    StartProgram();
    EXPECT_EQ(Application().MainForm, frmMain);
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_EQ(frmMain->imglstMain.Count(), 36);  // the strip made at build time

    // Layout: cool bar on top, tree left of the list, status bar at the bottom.
    const RECT bar = frmMain->clbrMain.BoundsRect(), tree = frmMain->trvwKeys.BoundsRect(),
               values = frmMain->pnlValues.BoundsRect(), status = frmMain->sttsbrMain.BoundsRect();
    EXPECT_EQ(bar.top, 0);
    EXPECT_GE(tree.top, bar.bottom);
    EXPECT_GT(values.left, tree.right);
    EXPECT_LE(tree.bottom, status.top);
    const RECT root = frmMain->pnlRoot.BoundsRect(), combo = frmMain->cmbbxAddress.BoundsRect(),
               go = frmMain->pnlGo.BoundsRect();
    EXPECT_LE(root.right, combo.left);
    EXPECT_LE(combo.right, go.left);

    // Shared state that start-up works out.
    EXPECT_EQ(frmMain->FRegFileHeader, "Windows Registry Editor Version 5.00");  // Wine plays Windows 7
    EXPECT_EQ(frmMain->FSystemRoot, L"C:\\windows");
}

TEST_F(BrowserTest, ComponentsAnswerToTheirNames) {
    StartProgram();
    // The language loader finds components by name, in any case, and sets texts.
    EXPECT_EQ(frmMain->FindComponent("MNITMREGEDITNOTEPAD"), frmMain->mnitmRegEditNotepad);
    EXPECT_EQ(frmMain->FindComponent("tlbrFind"), &frmMain->tlbrFind);
    EXPECT_EQ(frmMain->FindComponent("pnlRoot"), &frmMain->pnlRoot);
    EXPECT_EQ(frmMain->FindComponent("noSuchComponent"), nullptr);
    TComponent* c = frmMain->FindComponent("mnitmExit");
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->SetTextProperty("Caption", "&Quit"));
    EXPECT_EQ(frmMain->mnitmExit->Caption(), "&Quit");
    EXPECT_TRUE(frmMain->tlbrFind.SetTextProperty("Hint", "Search"));
    EXPECT_FALSE(frmMain->tlbrFind.SetTextProperty("Caption", "x"));
    EXPECT_EQ(frmMain->tlbrFind.Hint, "Search");
    // Every tool button and separator made it into the bar.
    EXPECT_EQ(::SendMessageA(frmMain->tlbrTool.Handle, TB_BUTTONCOUNT, 0, 0), frmMain->tlbrTool.ButtonCount());
}

struct VersionCase {
    DWORD Platform, Major, Minor;
    const char* Header;
    const char* ExtraRoot;  // nullptr when only the five common roots show
};

class VersionTest : public BrowserTest, public ::testing::WithParamInterface<VersionCase> {};

TEST_P(VersionTest, HeaderLineAndRootsFollowTheWindowsVersion) {
    const VersionCase& v = GetParam();
    PretendWindows(v.Platform, v.Major, v.Minor);
    StartProgram();
    EXPECT_EQ(frmMain->FRegFileHeader, v.Header);
    std::vector<std::string> roots = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS",
                                      "HKEY_CURRENT_CONFIG"};
    if (v.ExtraRoot) roots.push_back(v.ExtraRoot);
    EXPECT_EQ(RootTexts(), roots);
    EXPECT_EQ(frmMain->cmbbxAddress.ItemCount(), static_cast<int>(roots.size()));
    EXPECT_EQ(frmMain->cmbbxAddress.Item(0), "HKEY_CLASSES_ROOT:");
    EXPECT_EQ(frmMain->pppmnRootKey.Root.Count(), static_cast<int>(roots.size()));
    // Windows 95 family: SystemRoot is not where Wine keeps it; start goes on.
    if (v.Platform == VER_PLATFORM_WIN32_WINDOWS) {
        EXPECT_EQ(frmMain->FSystemRoot, L"");
    }
    EXPECT_EQ(frmMain->FavoritesFileName(), frmMain->FSystemRoot + L"\\TESSMOREL_FAVORITES.INI");
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_TRUE(::IsWindow(frmMain->Handle));
    // Refresh All twice keeps one address entry and one Root item per root.
    frmMain->mnitmRefreshAll->Click();
    frmMain->mnitmRefreshAll->Click();
    EXPECT_EQ(RootTexts(), roots);
    EXPECT_EQ(frmMain->cmbbxAddress.ItemCount(), static_cast<int>(roots.size()));
    EXPECT_EQ(frmMain->pppmnRootKey.Root.Count(), static_cast<int>(roots.size()));
}

INSTANTIATE_TEST_SUITE_P(Windows, VersionTest,
                         ::testing::Values(VersionCase{VER_PLATFORM_WIN32_WINDOWS, 4, 10, "REGEDIT4", "HKEY_DYN_DATA"},
                                           VersionCase{VER_PLATFORM_WIN32_NT, 4, 0, "REGEDIT4",
                                                       "HKEY_PERFORMANCE_DATA"},
                                           VersionCase{VER_PLATFORM_WIN32_NT, 3, 51, "REGEDIT3",
                                                       "HKEY_PERFORMANCE_DATA"},
                                           VersionCase{VER_PLATFORM_WIN32_NT, 5, 1,
                                                       "Windows Registry Editor Version 5.00", nullptr}));

TEST_F(BrowserTest, FavouritesAreLoadedAndPrunedAtClose) {
    ScratchKey scratch;
    FilesToRemove.push_back(kFavorites);
    WriteFile(kFavorites, "Mine=HKEY_CURRENT_USER:" + scratch.Path + "\r\nGone=HKEY_CURRENT_USER:" + scratch.Path +
                              "\\NoSuchKey\r\nBad line\r\n");
    StartProgram();
    EXPECT_EQ(frmMain->FFavorites.Count(), 3);
    ASSERT_EQ(frmMain->mnitmFavorites->Count(), 5);  // Add, Manage, separator, two favourites
    EXPECT_EQ(frmMain->mnitmFavorites->Items[3]->Caption(), "Mine");
    EXPECT_EQ(frmMain->mnitmFavorites->Items[3]->Tag, 9999);
    frmMain->FormClose(nullptr);
    TStringList saved;
    saved.LoadFromFile(ToWide(kFavorites));
    // Only the favourite whose key is missing goes; a line that is no favourite stays.
    EXPECT_EQ(saved.Items(), (std::vector<std::string>{"Mine=HKEY_CURRENT_USER:" + scratch.Path, "Bad line"}));
}

TEST_F(BrowserTest, AnUnreadableFavouritesFileStillShowsTheWindow) {
    FilesToRemove.push_back(kFavorites);
    WriteFile(kFavorites, "Mine=HKEY_CURRENT_USER:Software\r\n");
    HANDLE lock = ::CreateFileA(kFavorites.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    StartProgram();
    ::CloseHandle(lock);
    EXPECT_EQ(frmMain->FFavorites.Count(), 0);
    EXPECT_EQ(frmMain->mnitmFavorites->Count(), 3);
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_EQ(RootTexts().size(), 5u);
}

TEST_F(BrowserTest, PinnedModeRefusesClosesButNotTheEndOfTheSession) {
    StartProgram();
    frmMain->Show();
    frmMain->FPinned = true;
    ::SendMessageA(frmMain->Handle, WM_SYSCOMMAND, SC_CLOSE, 0);  // Alt+F4 and the close box
    frmMain->mnitmExit->Click();
    ::SendMessageA(frmMain->Handle, WM_COMMAND, MAKEWPARAM(ID_TLBREXIT, BN_CLICKED),
                   reinterpret_cast<LPARAM>(frmMain->tlbrTool.Handle));
    EXPECT_FALSE(Application().Terminated());
    EXPECT_TRUE(::IsWindow(frmMain->Handle));
    EXPECT_TRUE(frmMain->StayOnTop());

    ::ShowWindow(frmMain->Handle, SW_MINIMIZE);
    EXPECT_FALSE(::IsIconic(frmMain->Handle));

    // A logoff is never blocked.
    EXPECT_EQ(::SendMessageA(frmMain->Handle, WM_QUERYENDSESSION, 0, 0), TRUE);

    frmMain->FPinned = false;
    ::ShowWindow(frmMain->Handle, SW_MINIMIZE);
    EXPECT_TRUE(::IsIconic(frmMain->Handle));
    ::ShowWindow(frmMain->Handle, SW_RESTORE);
    frmMain->mnitmExit->Click();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(frmMain->StayOnTop());
}

TEST_F(BrowserTest, HelpHomePageAndMailGoThroughTheShell) {
    std::vector<std::string> opened;
    std::vector<std::pair<std::wstring, UINT>> helps;
    Seams().ShellExecute = [&](HWND owner, const std::string& verb, const std::string& file, int show) {
        EXPECT_EQ(owner, frmMain->Handle);
        EXPECT_EQ(verb, "open");
        EXPECT_EQ(show, SW_SHOWNORMAL);
        opened.push_back(file);
        return reinterpret_cast<HINSTANCE>(2);  // a failure, which is not reported
    };
    Seams().WinHelp = [&](HWND, const std::wstring& file, UINT cmd, ULONG_PTR data) {
        EXPECT_EQ(data, 0u);
        helps.emplace_back(file, cmd);
        return FALSE;
    };
    StartProgram();
    frmMain->mnitmHomepage->Click();
    frmMain->mnitmSuggestorQuestion->Click();
    frmMain->tlbrHelpContent.OnClick(nullptr);
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0].compare(0, 4, "http"), 0);
    EXPECT_EQ(opened[1].compare(0, 7, "mailto:"), 0);
    ASSERT_EQ(helps.size(), 1u);
    EXPECT_EQ(helps[0].first, GetAppDirW() + L"Tessmorel.hlp");  // beside the program
    EXPECT_EQ(helps[0].second, static_cast<UINT>(HELP_CONTENTS));
    EXPECT_TRUE(Boxes.Boxes.empty());

    // The help viewer takes code-page names only: a help file it cannot be
    // given by a name of its own is not opened, and the box names it.
    Application().HelpFile = L"C:\\\u03A9mega\\Tessmorel.hlp";
    frmMain->tlbrHelpContent.OnClick(nullptr);
    EXPECT_EQ(helps.size(), 1u);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_NE(Boxes.Boxes[0].WideText.find(Application().HelpFile), std::wstring::npos);
}

TEST_F(BrowserTest, AnExceptionInAHandlerIsReportedAndTheProgramGoesOn) {
    StartProgram();
    frmMain->mnitmAbout->OnClick = [](TObject*) { throw ERegistryException("Failed to get data for 'x'"); };
    ::SendMessageA(frmMain->Handle, WM_COMMAND, MAKEWPARAM(ID_MNITMABOUT, 0), 0);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Failed to get data for 'x'.");
    EXPECT_TRUE(Boxes.Boxes[0].Flags & MB_ICONSTOP);
    EXPECT_TRUE(::IsWindow(frmMain->Handle));
    EXPECT_FALSE(Application().Terminated());
}

TEST_F(BrowserTest, ShortCutsOfThePopUpMenuComeFirst) {
    StartProgram();
    int keyCopies = 0, valueCopies = 0;
    frmMain->pppmnitmKeyCopy->OnClick = [&](TObject*) { ++keyCopies; };
    frmMain->mnitmKeyCopy->OnClick = [&](TObject*) { ++valueCopies; };  // main menu: reached without focus
    // Copy Key is offered on a key that is not a root.
    ScratchKey scratch;
    TTreeNode key = frmMain->FindKeyNode(HKEY_CURRENT_USER, scratch.Path);
    ASSERT_TRUE(key);
    key.MakeVisible();
    frmMain->trvwKeys.SetSelected(key);
    frmMain->Show();
    ::SetFocus(frmMain->trvwKeys.Handle);
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    MSG msg{frmMain->trvwKeys.Handle, WM_KEYDOWN, 'C', 0, 0, {}};
    const bool handled = frmMain->IsShortCut(msg);
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    EXPECT_TRUE(handled);
    EXPECT_EQ(keyCopies, 1);
    EXPECT_EQ(valueCopies, 0);
}
