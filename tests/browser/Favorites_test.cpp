// Favourites: the menu items, the dialog, and the file written at close.
#include <random>
#include <set>

#include "BrowserFixture.h"
#include "../KeyPresser.h"
#include "UnitFavorites.h"
#include "zrvRegistry.h"

using namespace classlib;

namespace {

const std::string kFile = "C:\\windows\\TESSMOREL_FAVORITES.INI";

std::vector<std::string> Lines() { return frmMain->FFavorites.Items(); }

// The names and captions of the favourite items, in menu order.
std::vector<std::string> ItemNames() {
    std::vector<std::string> names;
    for (const auto& f : frmMain->FFavoriteItems) names.push_back(f.Name);
    return names;
}

}  // namespace

class FavoritesTest : public BrowserTest {
protected:
    void Start(const std::string& file) {
        FilesToRemove.push_back(kFile);
        if (!file.empty()) WriteFile(kFile, file);
        StartProgram();
    }
    // Adds the selected key under a name through the dialog; the dialog's
    // modal result, or 0 when it stayed open.
    int Add(const std::string& name) {
        int result = -1;
        ScriptDialogs([&](TForm&) {
            frmFavorites->edtName.SetText(name);
            frmFavorites->btnAddClick(nullptr);
            result = frmFavorites->ModalResult;
            return mrCancel;
        });
        frmMain->mnitmFavoritesAddClick(nullptr);
        return result;
    }
    void SelectRoot(HKEY root) {
        frmMain->trvwKeys.SetSelected(frmMain->FRootNodes.at(static_cast<size_t>(RootKeyIndex(root))));
    }
};

TEST_F(FavoritesTest, AddingARootAndReplacingANameKeepOneLineAndOneItem) {
    Start("x=\r\n");
    SelectRoot(HKEY_CURRENT_USER);
    // Names with the separators are refused; the first one in the name is named.
    for (wchar_t c : std::wstring(L":=\\a")) {
        wchar_t key = c;
        frmFavorites->edtNameKeyPress(nullptr, key);
        EXPECT_EQ(key, c == L'a' ? L'a' : 0) << c;
    }
    for (const std::string name : {"a=b\\c", "a\\b:c"}) {
        Boxes.Boxes.clear();
        EXPECT_EQ(Add(name), mrNone);
        ASSERT_EQ(Boxes.Boxes.size(), 1u);
        EXPECT_EQ(Boxes.Boxes[0].Text, "There is a invlid chararcter  \"" + name.substr(1, 1) + "\"  in it,please check it!");
    }
    EXPECT_EQ(Lines(), (std::vector<std::string>{"x="}));
    Boxes.Boxes.clear();

    EXPECT_EQ(Add("Users"), mrOk);
    // A name with an empty value is stored without a question and without a second item.
    EXPECT_EQ(Add("X"), mrOk);

    // A known name asks; No keeps the dialog open and changes nothing, Yes
    // replaces the address only.
    frmMain->GoToAddress("HKEY_CURRENT_USER:Software");
    Boxes.Answers = {IDNO, IDYES};
    EXPECT_EQ(Add("users"), mrNone);
    EXPECT_EQ(Lines()[1], "Users=HKEY_CURRENT_USER:");
    EXPECT_EQ(Add("users"), mrOk);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"x=HKEY_CURRENT_USER:", "Users=HKEY_CURRENT_USER:Software"}));
    EXPECT_EQ(ItemNames(), (std::vector<std::string>{"x", "Users"}));
    // Choosing the item goes to its address.
    frmMain->mnitmFavorites->Items[3]->Click();
    EXPECT_EQ(frmMain->GetNodeLongName(frmMain->trvwKeys.Selected()), "[HKEY_CURRENT_USER]");
}

TEST_F(FavoritesTest, EveryItemShowsExactlyItsName) {
    Start("-=HKEY_CURRENT_USER:Software\r\nR&D=HKEY_CURRENT_USER:\r\n");
    ASSERT_EQ(frmMain->mnitmFavorites->Count(), 5);
    EXPECT_EQ(MenuText(*frmMain->mnitmFavorites->Items[3]), "-");
    EXPECT_EQ(MenuText(*frmMain->mnitmFavorites->Items[4]), "R&&D");
    frmMain->mnitmFavorites->Items[3]->Click();
    EXPECT_EQ(frmMain->GetNodeLongName(frmMain->trvwKeys.Selected()), "[HKEY_CURRENT_USER\\Software]");
}

TEST_F(FavoritesTest, DeletingSelectedRowsRemovesOnlyTheirLinesAndItems) {
    Start("b=HKEY_CURRENT_USER:Software\r\nR&D=HKEY_CURRENT_USER:\r\nA=HKEY_USERS:\r\nc=HKEY_CURRENT_USER:\r\n");
    EXPECT_EQ(frmMain->mnitmFavorites->Items[4]->Caption(), "R&&D");  // shows as "R&D"
    ScriptDialogs([&](TForm&) {
        TListBox& list = frmFavorites->lstbxFavorites;  // sorted: A b c R&D
        list.SetSelected(0, true);
        list.SetSelected(3, true);
        frmFavorites->pppmnitmDeleteClick(nullptr);
        return mrOk;
    });
    frmMain->mnitmFavoritesManageClick(nullptr);
    EXPECT_EQ(Lines(), (std::vector<std::string>{"b=HKEY_CURRENT_USER:Software", "c=HKEY_CURRENT_USER:"}));
    EXPECT_EQ(ItemNames(), (std::vector<std::string>{"b", "c"}));

    // The list opens its pop-up menu from inside its panel.
    int popped = 0;
    frmFavorites->pppmnFavoritesList.OnPopup = [&](TObject*) {
        ++popped;
        ::PostMessageA(frmFavorites->Handle, WM_CANCELMODE, 0, 0);
    };
    HWND list = frmFavorites->lstbxFavorites.Handle;
    ::SendMessageA(list, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(10, 10));
    EXPECT_EQ(popped, 1);
}

TEST_F(FavoritesTest, TheCloseDropsOnlyMissingKeysAndWritesTheRestWithCrLf) {
    ScratchKey scratch;
    scratch.AddKey("Kept");
    scratch.AddKey("Deleted");
    scratch.AddKey("Closed");
    const std::string at = "HKEY_CURRENT_USER:" + scratch.Path;
    // LF and CR line ends, blank lines, a NUL, no last line end.
    Start("Kept=" + at + "\\Kept\nDeleted=" + at + "\\Deleted\r\rClosed=" + at +
          "\\Closed\r\nUsers=HKEY_CURRENT_USER:\nunknown=HKLM:Software\nno separator\n" + std::string("n\0l", 3) +
          "=" + at + "\\Missing\nA&B=" + at);
    DeleteRegistryTree(HKEY_CURRENT_USER, scratch.Path + "\\Deleted");
    SetAccess(HKEY_CURRENT_USER, scratch.Path + "\\Closed", L"D:P");  // error 5 for everyone
    frmMain->FormClose(nullptr);
    Unlock(HKEY_CURRENT_USER, scratch.Path + "\\Closed");
    EXPECT_EQ(ReadFile(kFile), "Kept=" + at + "\\Kept\r\n\r\nClosed=" + at +
                                   "\\Closed\r\nUsers=HKEY_CURRENT_USER:\r\nunknown=HKLM:Software\r\n" +
                                   "no separator\r\nA&B=" + at + "\r\n");
}

// Files that hold more than favourites come through a run: 1 MB of random
// bytes and another program's INI file are left byte for byte; where a
// favourite's key is gone, only its line goes and every other line stays.
TEST_F(FavoritesTest, TheCloseKeepsEveryLineThatIsNotAMissingFavourite) {
    std::mt19937 random(1234);
    std::string bytes(1 << 20, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    const std::string ini = "[Window]\r\nPosition=10,20,300,400\r\nFolder=C:\\Program Files\\Other\r\n\r\n"
                            "; a comment\r\n[Recent]\r\nFile1=D:\\data.txt\nlast line without an end";
    for (const std::string& file : {bytes, ini}) {
        Start(file);
        frmMain->mnitmExit->Click();
        EXPECT_TRUE(ReadFile(kFile) == file) << file.size();
        Application().DestroyForms();
    }
    ScratchKey scratch;
    scratch.AddKey("Kept");
    const std::string at = "HKEY_CURRENT_USER:" + scratch.Path;
    const std::string odd = bytes.substr(0, 3000);
    TStringList lines;
    lines.SetText(ini + "\r\nKept=" + at + "\\Kept\r\nGone=" + at + "\\Gone\r\n" + odd);
    Start(lines.Text());
    frmMain->mnitmExit->Click();
    TStringList expected = lines;
    expected.Delete(expected.IndexOfName("Gone"));
    EXPECT_TRUE(ReadFile(kFile) == expected.Text());
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(FavoritesTest, LargeAndOddFilesStartAndKeepTheirFavourites) {
    std::string file, expected;
    for (int i = 0; i < 10000; ++i) {
        file += "f" + std::to_string(i) + "=HKEY_CURRENT_USER:Software\n";
        expected += "f" + std::to_string(i) + "=HKEY_CURRENT_USER:Software\r\n";
    }
    const std::string whole = file + "long=HKEY_CURRENT_USER:Software\\" + std::string(1 << 20, 'k') + "\n";
    Start(whole);
    frmMain->FormClose(nullptr);
    const std::string saved = ReadFile(kFile);
    // The long key cannot be there; whether the system calls it missing is
    // its own affair: when it does, its line goes and the rest is written
    // back, otherwise the file stays as it was.
    EXPECT_TRUE(saved == expected || saved == whole);
}

TEST_F(FavoritesTest, AFailedSaveKeepsTheOldFileAndSaysSoOnceButNotAtLogoff) {
    const std::string old = "Old=HKEY_CURRENT_USER:Software\r\n";
    Start(old);
    SelectRoot(HKEY_CURRENT_USER);
    Add("New");
    ::SetFileAttributesA(kFile.c_str(), FILE_ATTRIBUTE_READONLY);
    ::SendMessageA(frmMain->Handle, WM_ENDSESSION, TRUE, 0);  // a logoff: nobody to tell
    EXPECT_TRUE(Boxes.Boxes.empty());
    frmMain->msgFavoritesNotSaved = "Not saved";  // every word of the box is the language's
    frmMain->FormClose(nullptr);
    ::SetFileAttributesA(kFile.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Not saved\r\n" + kFile);
    EXPECT_EQ(ReadFile(kFile), old);

    // A writable file: the logoff keeps the run's favourites.
    ::SendMessageA(frmMain->Handle, WM_ENDSESSION, TRUE, 0);
    EXPECT_EQ(ReadFile(kFile), old + "New=HKEY_CURRENT_USER:\r\n");

    // A folder of that name stays a folder.
    ::DeleteFileA(kFile.c_str());
    ASSERT_TRUE(::CreateDirectoryA(kFile.c_str(), nullptr));
    Boxes.Boxes.clear();
    frmMain->FormClose(nullptr);
    ::RemoveDirectoryA(kFile.c_str());
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
}

TEST_F(FavoritesTest, AFileLockedAtStartIsNeverWrittenOver) {
    const std::string old = "Old=HKEY_CURRENT_USER:Software\r\n";
    FilesToRemove.push_back(kFile);
    WriteFile(kFile, old);
    HANDLE lock = ::CreateFileA(kFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    StartProgram();
    ::CloseHandle(lock);
    frmMain->FormClose(nullptr);  // nothing changed: nothing to say
    EXPECT_TRUE(Boxes.Boxes.empty());
    SelectRoot(HKEY_CURRENT_USER);
    Add("New");
    frmMain->FormClose(nullptr);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, frmMain->msgFavoritesNotSaved + "\r\n" + kFile);
    EXPECT_EQ(ReadFile(kFile), old);
}

// ---- Keys pressed from outside, by key_presser.sh. ----

class FavoritesRealKeys : public FavoritesTest {
protected:
    void SetUp() override {
        if (keypresser::RequestFile().empty()) GTEST_SKIP() << "no key presser: run through key_presser.sh";
        WarmMenuMemory();
    }
    // Wine's menus take a new array for every item added, and the C library
    // under them gives each growing array fresh pages until it has seen one
    // large block freed: the first 33,000 items of a process would take
    // minutes, the next 33,000 about a second. One large caption made and
    // dropped first keeps this test about command numbers.
    static void WarmMenuMemory() {
        const HMENU menu = ::CreatePopupMenu();
        const std::string caption(8 << 20, 'x');
        ::AppendMenuA(menu, MF_STRING, 1, caption.c_str());
        ::DestroyMenu(menu);
    }
};

// More favourites than 32,768: Alt+F, End, Enter opens the last one's own
// key, also after the menu was made again (twice), and no two items of any
// menu share a command number.
TEST_F(FavoritesRealKeys, TheLastOfAVeryLongMenuOpensItsOwnKey) {
    ScratchKey scratch;
    scratch.AddKey("Other");
    scratch.AddKey("Last");
    const std::string at = "HKEY_CURRENT_USER:" + scratch.Path;
    std::string file;
    for (int i = 0; i < 32999; ++i) file += "f" + std::to_string(i) + "=" + at + "\\Other\r\n";
    file += "last=" + at + "\\Last\r\n";
    Start(file);
    ASSERT_EQ(frmMain->FFavoriteItems.size(), 33000u);
    EXPECT_TRUE(Boxes.Boxes.empty());
    frmMain->Show();
    for (int round = 1; round <= 2; ++round) {
        if (round == 2)
            for (int i = 0; i < 2; ++i) frmMain->LoadFavoritesMenu(frmMain->FFavorites);
        SelectRoot(HKEY_CURRENT_USER);
        keypresser::Request(frmMain->Handle, L"", "alt+f End Return");
        EXPECT_EQ(frmMain->GetNodeLongName(frmMain->trvwKeys.Selected()),
                  "[HKEY_CURRENT_USER\\" + scratch.Path + "\\Last]")
            << round;
    }
    std::set<int> numbers;
    size_t items = 0;
    for (TMenu* menu : std::initializer_list<TMenu*>{&frmMain->mnMain, &frmMain->pppmnKey, &frmMain->pppmnValue,
                                                     &frmMain->pppmnRootKey})
        for (const auto& item : menu->AllItems)
            if (item->Command >= kFirstRuntimeCommand) {
                numbers.insert(item->Command);
                ++items;
            }
    EXPECT_EQ(numbers.size(), items);
    EXPECT_TRUE(Boxes.Boxes.empty());

    // More favourites than free numbers: the menu takes what it has room
    // for and says how many it left out; a favourite added then is kept
    // without an item, and the box names it.
    TStringList many = frmMain->FFavorites;
    for (int i = 0; i < 20000; ++i) many.Add("g" + std::to_string(i) + "=" + at + "\\Other");
    frmMain->LoadFavoritesMenu(many);
    const size_t shown = frmMain->FFavoriteItems.size();
    EXPECT_GT(shown, 49000u);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, frmMain->msgFavoritesMenuFull + " " + std::to_string(53000 - shown));
    SelectRoot(HKEY_CURRENT_USER);
    EXPECT_EQ(Add("extra"), mrOk);
    ASSERT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_EQ(Boxes.Boxes[1].Text, frmMain->msgFavoritesMenuFull + " extra");
    EXPECT_EQ(Lines().back(), "extra=HKEY_CURRENT_USER:");
    EXPECT_EQ(frmMain->FFavoriteItems.size(), shown);
}
