// Find, Find Next, Replace and Replace All from the main window.
#include "BrowserFixture.h"
#include "UnitFind.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "zrvRegistry.h"

using namespace classlib;

class FindReplaceTest : public BrowserTest {
protected:
    void SetUp() override { StartProgram(); }
    // Selects the scratch key or one below it; the search or replacement
    // starts there, so a test goes no further when this fails.
    bool Select(const std::string& sub = "") {
        const std::string path = sub.empty() ? Scratch.Path : Scratch.Path + "\\" + sub;
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
        if (!node) return false;
        node.MakeVisible();  // expanding the levels above selects each of them
        frmMain->trvwKeys.SetSelected(node);
        return frmMain->GetNodeKeyPath(frmMain->trvwKeys.Selected()) == classlib::ToWide(path);
    }
    // Find and Replace answered from a script; confirmations with answer.
    void Script(const std::string& findItem, int confirm = mrYes) {
        ScriptDialogs([=](TForm& form) {
            if (&form == frmFind) {
                frmFind->FindItem = findItem;
                return static_cast<int>(mrOk);
            }
            if (&form == frmReplaceConfirm) {
                Questions.push_back(frmReplaceConfirm->lblInfo.Caption());
                return confirm;
            }
            return ReplaceAnswer;
        });
    }
    void ReplaceWith(const std::string& find, const std::string& with, bool keys, bool values, bool data) {
        frmReplace->edtFind.SetText(find);
        frmReplace->edtReplace.SetText(with);
        frmReplace->chckbxKey.SetChecked(keys);
        frmReplace->chckbxValue.SetChecked(values);
        frmReplace->chckbxData.SetChecked(data);
    }
    std::string Selected() const {
        TTreeNode node = frmMain->trvwKeys.Selected();
        TListItem item = frmMain->lstvwValues.Selected();
        return frmMain->GetNodePath(node).substr(Scratch.Path.size()) + ":" + (item ? item.Caption() : "");
    }
    ScratchKey Scratch;
    int ReplaceAnswer = mrOk;
    std::vector<std::string> Questions;
};

TEST_F(FindReplaceTest, FindAndFindNextWalkTheSelectedKey) {
    Scratch.SetString("hasNeedle", "x");
    Scratch.SetString("other", "a needle here", "A");
    Scratch.AddKey("B\\needleKey");
    ASSERT_TRUE(Select());
    Script("NEEDLE");
    StopFinding = true;  // left over from a cancelled search: a new one clears it
    frmMain->mnitmFind->Click();
    EXPECT_EQ(Selected(), ":hasNeedle");
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\A:other");
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\B\\needleKey:");

    // While a search runs nothing else starts and the window does not close.
    frmMain->FSearching = true;
    bool canClose = true;
    frmMain->FormCloseQuery(nullptr, canClose);
    EXPECT_FALSE(canClose);
    const int shown = DialogsShown;
    frmMain->mnitmFind->Click();
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(DialogsShown, shown);
    frmMain->FSearching = false;
    frmMain->FCloseAfterSearch = false;
    StopFinding = false;
}

// The replacement keeps the case of the rest of the name, the type of the
// data, and acts on the key the search found.
TEST_F(FindReplaceTest, ReplaceKeepsCaseAndTypeAndRefusesTakenNames) {
    Scratch.SetValue("MyValue", REG_EXPAND_SZ, "%VALUE%", 8);
    Scratch.SetString("MyDataue", "taken", "Taken");
    Scratch.SetString("MyValue", "x", "Taken");
    Scratch.AddKey("MyKey\\Inner");
    ASSERT_TRUE(Select());
    Script("");
    ReplaceWith("Val", "Data", false, true, false);
    frmMain->mnitmReplace->Click();
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_TRUE(reg.ValueExists("MyDataue"));

    // Data: the type stays.
    ReplaceWith("value", "PATH", false, false, true);
    frmMain->mnitmReplace->Click();
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_EQ(reg.ReadRaw("MyDataue").Type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(reg.ReadString("MyDataue"), "%PATH%");

    // A key name, and a rename onto a name that is taken.
    ReplaceWith("Key", "Node", true, false, false);
    frmMain->mnitmReplace->Click();
    EXPECT_TRUE(reg.KeyExists(Scratch.Path + "\\MyNode\\Inner"));
    ASSERT_TRUE(Select("Taken"));
    ReplaceWith("Val", "Data", false, true, false);
    Boxes.Boxes.clear();
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\Taken", false));
    EXPECT_EQ(reg.ReadString("MyValue"), "x");
    EXPECT_EQ(reg.ReadString("MyDataue"), "taken");
}

TEST_F(FindReplaceTest, ReplaceAllReplacesEveryOriginalHitOnce) {
    for (const char* name : {"AB", "B1", "CB"}) Scratch.SetString(name, "v");
    Scratch.AddKey("B\\Bb");
    Scratch.AddKey("C");
    ASSERT_TRUE(Select());
    ReplaceAnswer = mrAll;
    Script("", mrAll);
    ReplaceWith("B", "ZB", true, true, false);
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(Questions.size(), 1u);  // All: no more questions
    const TreeImage image = Image(HKEY_CURRENT_USER, Scratch.Path);
    for (const wchar_t* value : {L":AZB", L":ZB1", L":CZB"}) EXPECT_EQ(image.Values.count(value), 1u) << value;
    EXPECT_EQ(image.Values.size(), 3u);
    EXPECT_EQ(image.Keys.count(L"\\ZB\\ZBZB"), 1u);  // inside the renamed key, found before the rename
    EXPECT_EQ(image.Keys.size(), 4u);

    Boxes.Boxes.clear();
    ReplaceWith("nothing", "x", false, true, true);
    frmMain->mnitmReplace->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Not found!");  // not "Replace finished!"
}
