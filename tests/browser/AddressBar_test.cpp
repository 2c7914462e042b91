// Going to a key: the address bar, Go To, Go To Last and Current Key.
#include "BrowserFixture.h"
#include "UnitCurrentKey.h"
#include "UnitFind.h"
#include "UnitGoTo.h"
#include "zrvRegistry.h"

using namespace classlib;

class AddressBarTest : public BrowserTest {
protected:
    void SetUp() override {
        Scratch.AddKey("Sub\\Inner");
        Scratch.SetString("v", "x", "Sub");
        StartProgram();
    }
    std::vector<std::string> History() const {
        std::vector<std::string> items;
        for (int i = 0; i < frmMain->cmbbxAddress.ItemCount(); ++i) items.push_back(frmMain->cmbbxAddress.Item(i));
        return items;
    }
    std::string SelectedPath() const {
        TTreeNode node = frmMain->trvwKeys.Selected();
        return node ? frmMain->GetNodeLongName(node) : std::string();
    }
    static void MouseAt(TControl& c, UINT msg, int x, int y) { ::SendMessageA(c.Handle, msg, 0, MAKELPARAM(x, y)); }
    ScratchKey Scratch;
};

TEST_F(AddressBarTest, AddressesGoToKeysAndBadOnesChangeNothing) {
    const std::string sub = "HKEY_CURRENT_USER:" + Scratch.Path + "\\Sub";
    const size_t start = History().size();
    frmMain->GoToAddress("hkey_current_user:" + UpperCaseAscii(Scratch.Path) + "\\sub");
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Sub]");
    // The history gains the address once, as the tree spells it.
    EXPECT_EQ(History().back(), sub);
    frmMain->GoToAddress("HKEY_CURRENT_USER:\\" + Scratch.Path + "\\\\sub\\");
    frmMain->GoToAddress("HKEY_CURRENT_USER:");  // the root: its entry is there from the start
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER]");
    EXPECT_EQ(History().size(), start + 1);

    // No full root name before the colon: nothing happens, nothing is said.
    frmMain->GoToAddress(sub);
    for (const std::string& address : std::vector<std::string>{" " + sub, "HKEY_CURRENT_USER", "HKCU:Software", ""}) {
        frmMain->GoToAddress(address);
        EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Sub]") << address;
    }
    EXPECT_TRUE(Boxes.Boxes.empty());

    // Keys that are not there, one of them deleted by another program after
    // the tree listed it: the message, and nothing else changes.
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Scratch.Path + "\\Sub\\Inner");
    std::string deep = Scratch.Path;
    for (int i = 0; i < 300; ++i) deep += "\\level";
    const std::string missing[] = {Scratch.Path + "\\Sub\\Inner", deep, Scratch.Path + "\\" + std::string(10000, 'k'),
                                   Scratch.Path + "\\" + std::string(256, 'k')};
    for (const std::string& path : missing) {
        Boxes.Boxes.clear();
        frmMain->GoToAddress("HKEY_CURRENT_USER:" + path);
        EXPECT_EQ(Boxes.Boxes.size(), 1u) << path.size();
        EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Sub]");
    }
}

TEST_F(AddressBarTest, ComboAndGoPanel) {
    TComboBox& combo = frmMain->cmbbxAddress;
    const HWND edit = ::GetWindow(combo.Handle, GW_CHILD);
    combo.SetText("HKEY_CURRENT_USER:" + Scratch.Path + "\\Sub");
    ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Sub]");
    // An arrow key detaches the click, so walking the closed list goes
    // nowhere; opening the list attaches it again.
    ::SendMessageA(edit, WM_KEYDOWN, VK_UP, 1);
    EXPECT_FALSE(combo.OnClick);
    frmMain->cmbbxAddressDropDown(nullptr);
    EXPECT_TRUE(combo.OnClick);

    // Go: lowered while pressed, acts on release wherever that is.
    TPanel& go = frmMain->pnlGo;
    combo.SetText("HKEY_CURRENT_USER:" + Scratch.Path);
    MouseAt(go, WM_LBUTTONDOWN, 2, 2);
    MouseAt(go, WM_LBUTTONUP, -50, -50);
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "]");
}

TEST_F(AddressBarTest, GoToGoToLastAndCurrentKey) {
    // Go To Last before any Go To opens the dialog.
    ScriptDialogs([&](TForm& form) {
        if (&form != frmGoTo) return static_cast<int>(mrOk);
        frmGoTo->rdgrpHKey.ClickItem(1);
        frmGoTo->edtKey.SetText(Scratch.Path + "\\sub");
        return static_cast<int>(mrOk);
    });
    frmMain->mnitmGoToLast->Click();
    EXPECT_EQ(DialogsShown, 1);
    // After a success it goes again without asking.
    frmMain->GoToAddress("HKEY_CURRENT_USER:");
    frmMain->mnitmGoToLast->Click();
    EXPECT_EQ(DialogsShown, 1);
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Sub]");
    // After a failure it asks again.
    frmMain->GoToAddress("HKEY_CURRENT_USER:" + Scratch.Path + "\\missing");
    frmMain->mnitmGoToLast->Click();
    EXPECT_EQ(DialogsShown, 2);

    // Current Key: the path and the long name, for a root too.
    std::string shortName, longName;
    ScriptDialogs([&](TForm&) {
        shortName = frmCurrentKey->edtShortName.Text();
        longName = frmCurrentKey->edtLongName.Text();
        return static_cast<int>(mrOk);
    });
    frmMain->pppmnitmKeyCurrent->Click();
    EXPECT_EQ(shortName, Scratch.Path + "\\Sub");
    frmMain->GoToAddress("HKEY_CURRENT_USER:");
    frmMain->mnitmKeyCurrent->Click();
    EXPECT_EQ(shortName, "");
    EXPECT_EQ(longName, "[HKEY_CURRENT_USER]");
}

TEST_F(AddressBarTest, AChoiceFromTheOpenListGoesWhereTheUserPointed) {
    TComboBox& combo = frmMain->cmbbxAddress;
    const std::string sub = "HKEY_CURRENT_USER:" + Scratch.Path + "\\Sub";
    frmMain->GoToAddress(sub);
    frmMain->GoToAddress(sub + "\\Inner");
    const int row = combo.IndexOf(sub);
    ASSERT_GE(row, 0);
    ::SendMessageA(combo.Handle, CB_SHOWDROPDOWN, TRUE, 0);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(::GetComboBoxInfo(combo.Handle, &info));
    RECT r{};
    ::SendMessageA(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    for (UINT msg : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP})
        ::SendMessageA(info.hwndList, msg, msg == WM_LBUTTONDOWN ? MK_LBUTTON : 0, at);
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Sub]");
    EXPECT_EQ(combo.Text(), sub);

    // An arrow in the closed box shows another entry; Enter goes to it.
    const HWND edit = ::GetWindow(combo.Handle, GW_CHILD);
    ::SendMessageA(edit, WM_KEYDOWN, VK_DOWN, 1);
    const std::string shown = combo.Text();
    ASSERT_NE(shown, sub);
    ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    TTreeNode node = frmMain->trvwKeys.Selected();
    EXPECT_EQ(RootKeyToName(TfrmMain::NodeData(node)->RootKey) + ":" + frmMain->GetNodePath(node), shown);
}

TEST_F(AddressBarTest, AKeyThatCannotBeReadIsSelectedAndOnlyAMissingOneIsCalledMissing) {
    Scratch.AddKey("Sub\\Closed\\Deeper");
    Scratch.SetString("v", "x", "Sub\\Closed");
    const std::string closed = Scratch.Path + "\\Sub\\Closed", denied = "Access denied: this key can not be read.";
    SetAccess(HKEY_CURRENT_USER, closed, L"D:P");
    struct Reopen {
        std::string Path;
        ~Reopen() { Unlock(HKEY_CURRENT_USER, Path); }
    } reopen{closed};

    frmGoTo->GoToDone = false;
    frmMain->GoToAddress("HKEY_CURRENT_USER:" + closed);
    EXPECT_TRUE(Boxes.Boxes.empty());
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + closed + "]");
    EXPECT_EQ(frmMain->lstvwValues.Count(), 0);
    EXPECT_EQ(frmMain->sttsbrMain.PanelText(1), denied);
    EXPECT_EQ(frmMain->cmbbxAddress.Text(), "HKEY_CURRENT_USER:" + closed);
    EXPECT_TRUE(frmGoTo->GoToDone);
    frmMain->GoToAddress("HKEY_CURRENT_USER:" + Scratch.Path + "\\Sub");
    EXPECT_EQ(frmMain->sttsbrMain.PanelText(1), "");

    // A key below it is there, but the tree cannot list its way to it.
    const std::string deeper = closed + "\\Deeper";
    frmMain->GoToAddress("HKEY_CURRENT_USER:" + deeper);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, denied + "\n\r[HKEY_CURRENT_USER\\" + deeper + "]");
    EXPECT_FALSE(frmGoTo->GoToDone);
    Boxes.Boxes.clear();
    frmMain->GoToAddress("HKEY_CURRENT_USER:" + closed + "x");
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Your registry without Key:\n\r[HKEY_CURRENT_USER\\" + closed + "x]");
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Sub]");
    // One made by another program after its level was listed is found.
    Scratch.AddKey("Sub\\Late");
    frmMain->GoToAddress("HKEY_CURRENT_USER:" + Scratch.Path + "\\Sub\\Late");
    EXPECT_EQ(SelectedPath(), "[HKEY_CURRENT_USER\\" + Scratch.Path + "\\Sub\\Late]");
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
}

namespace {

// The tool tip text a form answers for a window in it; "(no tip)" when none is set up.
std::string TipOf(TForm& form, HWND window) {
    for (HWND tip = nullptr; (tip = ::FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr));) {
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = form.Handle;
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        if (::GetWindow(tip, GW_OWNER) != form.Handle ||
            !::SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)))
            continue;
        NMTTDISPINFOA info{};
        info.hdr = {tip, reinterpret_cast<UINT_PTR>(window), UINT(TTN_GETDISPINFOA)};
        info.uFlags = TTF_IDISHWND;
        ::SendMessageA(form.Handle, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        return info.lpszText && info.lpszText != LPSTR_TEXTCALLBACKA ? info.lpszText : info.szText;
    }
    return "(no tip)";
}

}  // namespace

TEST_F(AddressBarTest, EveryHintIsShownAsAToolTip) {
    EXPECT_EQ(TipOf(*frmMain, frmMain->pnlRoot.Handle), "Input a rootkey's name");
    // The pointer over the box's text is over its edit.
    EXPECT_EQ(TipOf(*frmMain, ::GetWindow(frmMain->cmbbxAddress.Handle, GW_CHILD)),
              "Input key's address here,then you could jump to it quickly");
    TControl* wildcards = dynamic_cast<TControl*>(frmFind->FindComponent("chckbxWildCharSurport"));
    ASSERT_NE(wildcards, nullptr);
    EXPECT_NE(wildcards->Hint.find("\"*\" matches any characters"), std::string::npos);
    EXPECT_EQ(TipOf(*frmFind, wildcards->Handle), wildcards->Hint);
    EXPECT_EQ(TipOf(*frmMain, frmMain->pnlAddress.Handle), "(no tip)");
}

TEST_F(AddressBarTest, RealNamesGoToTheirOwnKeysNeverToLookAlikes) {
    const std::wstring base = W(Scratch.Path);
    const std::wstring macron = base + L"\\\u01001", plain = base + L"\\A1", cyrillic = base + L"\\\u0436";
    for (const std::wstring& path : {macron, plain, cyrillic, base + L"\\?"}) CreateWide(HKEY_CURRENT_USER, path);
    auto selected = [] { return frmMain->GetNodeKeyPath(frmMain->trvwKeys.Selected()); };
    TComboBox& combo = frmMain->cmbbxAddress;
    const HWND edit = ::GetWindow(combo.Handle, GW_CHILD);
    auto text = [&](int item) {
        wchar_t t[512] = {};
        if (item < 0) ::GetWindowTextW(combo.Handle, t, 512);
        else ::SendMessageW(combo.Handle, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(t));
        return std::wstring(t);
    };
    const std::wstring macronAddress = L"HKEY_CURRENT_USER:" + macron;
    const std::string top = "HKEY_CURRENT_USER:" + Scratch.Path;

    // Clicked in the tree: the box and its history hold the real name, and
    // Enter goes back to that key, not to its look-alike.
    frmMain->GoToAddress(top);
    frmMain->trvwKeys.Selected().Expand(false);
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, macron);
    ASSERT_TRUE(node);
    frmMain->trvwKeys.SetSelected(node);
    frmMain->trvwKeysClick(nullptr);
    EXPECT_EQ(text(-1), macronAddress);
    int inHistory = 0;
    for (int i = 0; i < combo.ItemCount(); ++i) inHistory += text(i) == macronAddress;
    EXPECT_GT(inHistory, 0);
    frmMain->GoToAddress(top);
    ::SetWindowTextW(combo.Handle, macronAddress.c_str());
    ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(selected(), macron);

    // Typed: a letter the code page lacks passes the message loop unchanged.
    ::SetWindowTextW(combo.Handle, (L"HKEY_CURRENT_USER:" + base + L"\\").c_str());
    ::SendMessageW(edit, EM_SETSEL, 0x7FFF, 0x7FFF);
    ::PostMessageW(edit, WM_CHAR, 0x0436, 1);
    Application().ProcessMessages();
    EXPECT_EQ(text(-1), L"HKEY_CURRENT_USER:" + cyrillic);
    ::SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(selected(), cyrillic);

    // Go To and Go To Last carry the real path.
    ScriptDialogs([&](TForm& form) {
        if (&form == frmGoTo) {
            frmGoTo->rdgrpHKey.ClickItem(1);
            ::SetWindowTextW(frmGoTo->edtKey.Handle, macron.c_str());
        }
        return static_cast<int>(mrOk);
    });
    frmMain->mnitmGoTo->Click();
    EXPECT_EQ(selected(), macron);
    frmMain->GoToAddress(top);
    frmMain->mnitmGoToLast->Click();
    EXPECT_EQ(selected(), macron);
    EXPECT_TRUE(Boxes.Boxes.empty());

    // Favourites are code-page text: a name they cannot hold is refused,
    // naming the key; a code-page line goes to exactly its key or nowhere.
    FilesToRemove.push_back(frmMain->FavoritesFileName());
    const int shown = DialogsShown;
    const std::vector<std::string> before = frmMain->FFavorites.Items();
    frmMain->mnitmFavoritesAddClick(nullptr);
    EXPECT_EQ(DialogsShown, shown);
    EXPECT_EQ(frmMain->FFavorites.Items(), before);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_NE(Boxes.Boxes[0].WideText.find(L"[HKEY_CURRENT_USER\\" + macron + L"]"), std::wstring::npos);
    frmMain->FFavorites.Add("plain=" + top + "\\A1");
    frmMain->AddFavoriteMenuItem("plain");
    frmMain->FFavoriteItems.back().Item->Click();
    EXPECT_EQ(selected(), plain);
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, Scratch.Path + "\\A1");
    frmMain->RefreshNode(frmMain->FindKeyNode(HKEY_CURRENT_USER, base));
    frmMain->FFavoriteItems.back().Item->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_NE(selected(), macron);
}

TEST_F(AddressBarTest, CurrentKeyShowsTheRealNames) {
    const std::wstring macron = W(Scratch.Path) + L"\\\u01001";
    CreateWide(HKEY_CURRENT_USER, macron);
    CreateWide(HKEY_CURRENT_USER, W(Scratch.Path) + L"\\A1");
    ASSERT_TRUE(frmMain->GoToKey(HKEY_CURRENT_USER, macron));
    std::wstring shortName, longName;
    ScriptDialogs([&](TForm& form) {
        EXPECT_EQ(&form, frmCurrentKey);
        shortName = frmCurrentKey->edtShortName.WideText();
        longName = frmCurrentKey->edtLongName.WideText();
        return static_cast<int>(mrOk);
    });
    frmMain->pppmnitmKeyCurrentClick(nullptr);
    EXPECT_EQ(shortName, macron);
    EXPECT_EQ(longName, L"[HKEY_CURRENT_USER\\" + macron + L"]");
}
