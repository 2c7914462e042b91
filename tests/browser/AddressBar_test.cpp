// Going to a key: the address bar, Go To, Go To Last and Current Key.
#include "BrowserFixture.h"
#include "UnitCurrentKey.h"
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
