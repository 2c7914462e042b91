// Find, Find Next, Replace and Replace All from the main window.
#include "BrowserFixture.h"
#include "UnitFind.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "zrvRegistry.h"

using namespace classlib;

class FindReplaceTest : public BrowserTest {
protected:
    void SetUp() override {
        StartProgram();
        Top = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path);
        ASSERT_TRUE(Top);
    }
    // Selects the scratch key; every search and replacement starts there.
    void SelectTop() {
        TTreeNode top = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path);
        ASSERT_TRUE(top);
        top.MakeVisible();  // expanding the levels above selects each of them
        frmMain->trvwKeys.SetSelected(top);
        ASSERT_EQ(frmMain->GetNodeKeyPath(frmMain->trvwKeys.Selected()), classlib::ToWide(Scratch.Path));
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
    TTreeNode Top;
    int ReplaceAnswer = mrOk;
    std::vector<std::string> Questions;
};

TEST_F(FindReplaceTest, FindAndFindNextWalkTheSelectedKey) {
    Scratch.SetString("hasNeedle", "x");
    Scratch.SetString("other", "a needle here", "A");
    Scratch.AddKey("B\\needleKey");
    SelectTop();
    Script("NEEDLE");
    StopFinding = true;  // left over from a cancelled search: a new one clears it
    frmMain->mnitmFind->Click();
    EXPECT_EQ(Selected(), ":hasNeedle");
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\A:other");
    frmMain->mnitmFindNext->Click();
    EXPECT_EQ(Selected(), "\\B\\needleKey:");
    EXPECT_TRUE(Boxes.Boxes.empty());
    frmMain->mnitmFindNext->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Find finished!");

    // While a search runs nothing else starts and the window does not close.
    frmMain->FSearching = true;
    bool canClose = true;
    frmMain->FormCloseQuery(nullptr, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(StopFinding);
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
    SelectTop();
    Script("");
    ReplaceWith("Val", "Data", false, true, false);
    frmMain->mnitmReplace->Click();
    ASSERT_EQ(Questions.size(), 1u);
    EXPECT_EQ(Questions[0], "Sure to rename:\r\nvalue:\r\nMyValue\r\nto:\r\nMyDataue");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_TRUE(reg.ValueExists("MyDataue"));
    EXPECT_FALSE(reg.ValueExists("MyValue"));
    EXPECT_EQ(reg.ReadRaw("MyDataue").Type, static_cast<DWORD>(REG_EXPAND_SZ));

    // Data: the type stays, the list shows the new text.
    ReplaceWith("value", "PATH", false, false, true);
    frmMain->mnitmReplace->Click();
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_EQ(reg.ReadRaw("MyDataue").Type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(reg.ReadString("MyDataue"), "%PATH%");
    EXPECT_EQ(frmMain->lstvwValues.Selected().SubItem(1), "\"%PATH%\"");

    // A key name, and a rename onto a name that is taken.
    ReplaceWith("Key", "Node", true, false, false);
    frmMain->mnitmReplace->Click();
    EXPECT_TRUE(reg.KeyExists(Scratch.Path + "\\MyNode\\Inner"));
    EXPECT_FALSE(reg.KeyExists(Scratch.Path + "\\MyKey"));
    TTreeNode taken = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path + "\\Taken");
    ASSERT_TRUE(taken);
    taken.MakeVisible();
    frmMain->trvwKeys.SetSelected(taken);
    ASSERT_EQ(frmMain->GetNodeKeyPath(frmMain->trvwKeys.Selected()), classlib::ToWide(Scratch.Path + "\\Taken"));
    ReplaceWith("Val", "Data", false, true, false);
    Boxes.Boxes.clear();
    frmMain->mnitmReplace->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text.rfind("Can not rename:", 0), 0u);
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\Taken", false));
    EXPECT_EQ(reg.ReadString("MyValue"), "x");
    EXPECT_EQ(reg.ReadString("MyDataue"), "taken");
}

TEST_F(FindReplaceTest, ReplaceAllReplacesEveryOriginalHitOnce) {
    for (const char* name : {"AB", "B1", "CB"}) Scratch.SetString(name, "v");
    Scratch.AddKey("B\\Bb");
    Scratch.AddKey("C");
    SelectTop();
    ReplaceAnswer = mrAll;
    Script("", mrAll);
    ReplaceWith("B", "ZB", true, true, false);
    frmMain->mnitmReplace->Click();
    EXPECT_EQ(Questions.size(), 1u);  // All: no more questions
    ASSERT_FALSE(Boxes.Boxes.empty());
    EXPECT_EQ(Boxes.Boxes.back().Text, "Replace finished!");
    const TreeImage image = Image(HKEY_CURRENT_USER, Scratch.Path);
    for (const wchar_t* value : {L":AZB", L":ZB1", L":CZB"}) EXPECT_EQ(image.Values.count(value), 1u) << value;
    EXPECT_EQ(image.Values.size(), 3u);
    EXPECT_EQ(image.Keys.count(L"\\ZB"), 1u);
    EXPECT_EQ(image.Keys.count(L"\\ZB\\ZBZB"), 1u);  // inside the renamed key, found before the rename
    EXPECT_EQ(image.Keys.count(L"\\C"), 1u);
    EXPECT_EQ(image.Keys.size(), 4u);

    Boxes.Boxes.clear();
    ReplaceWith("nothing", "x", false, true, true);
    frmMain->mnitmReplace->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Not found!");
}
