// The find, replace, confirmation and progress dialogs on their own.
#include "BrowserFixture.h"
#include "UnitFind.h"
#include "UnitFinding.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "zrvString.h"

using namespace classlib;

namespace {

// A button pressed the way the dialog manager presses it (Enter included).
void Press(TForm& form, TButton& button) {
    ::SendMessageA(form.Handle, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(button.Handle), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button.Handle));
}

}  // namespace

class FindDialogsTest : public BrowserTest {
protected:
    void SetUp() override { StartProgram(); }
};

TEST_F(FindDialogsTest, FindOptionsInterlockAndTheFindButtonFollowsThem) {
    TfrmFind& f = *frmFind;
    TFindOptions& o = frmMain->FFindOptions;
    f.FormShow(nullptr);
    // Start values: wildcards on, so whole words off and disabled.
    EXPECT_TRUE(f.chckbxWildCharSurport.Checked());
    EXPECT_FALSE(f.chckbxWholeWordsOnly.Enabled());
    EXPECT_EQ(f.rdgrpCondition.ItemIndex(), 0);
    f.chckbxWildCharSurport.Click();
    EXPECT_FALSE(o.Wildcards);
    EXPECT_TRUE(f.chckbxWholeWordsOnly.Enabled());
    EXPECT_FALSE(f.chckbxWholeWordsOnly.Checked());
    f.chckbxWholeWordsOnly.Click();
    EXPECT_TRUE(o.WholeWords);
    f.chckbxWildCharSurport.Click();  // wildcards back on: whole words go
    EXPECT_FALSE(o.WholeWords);
    EXPECT_FALSE(f.chckbxWholeWordsOnly.Checked());

    // Data off takes the DWORD box with it.
    f.chckbxDataDword.Click();
    EXPECT_TRUE(o.MatchDwords);
    f.chckbxData.Click();
    EXPECT_FALSE(o.MatchData);
    EXPECT_FALSE(o.MatchDwords);
    EXPECT_FALSE(f.chckbxDataDword.Enabled());
    f.rdgrpCondition.ClickItem(1);
    EXPECT_FALSE(o.FromCurrentKey);

    // Nothing to search in: Find is disabled, and Enter does nothing.
    f.chckbxKey.Click();
    f.chckbxValue.Click();
    EXPECT_FALSE(f.btnOk.Enabled());
    f.edtItem.SetText("x");
    f.ModalResult = mrNone;
    Press(f, f.btnOk);
    EXPECT_EQ(f.ModalResult, mrNone);
    f.chckbxKey.Click();
    EXPECT_TRUE(f.btnOk.Enabled());

    // The text: refused when empty, a pattern with wildcards.
    f.edtItem.SetText("");
    Press(f, f.btnOk);
    EXPECT_EQ(f.ModalResult, mrNone);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Find item could not be empty string");
    f.edtItem.SetText("A*C");
    Press(f, f.btnOk);
    EXPECT_EQ(f.ModalResult, mrOk);
    EXPECT_EQ(f.FindItem, WildToPattern("A*C"));

    // Shown again, the dialog shows the options as they were left.
    frmMain->FFindState.FoundKind = fkValueName;
    f.FormShow(nullptr);
    EXPECT_FALSE(f.chckbxValue.Checked());
    EXPECT_EQ(f.rdgrpCondition.ItemIndex(), 1);
    Press(f, f.btnCancel);
    EXPECT_EQ(frmMain->FFindState.FoundKind, fkNone);
}

TEST_F(FindDialogsTest, ReplaceButtonsConfirmationAndProgress) {
    TfrmReplace& r = *frmReplace;
    r.FormShow(nullptr);
    EXPECT_FALSE(r.btnReplace.Enabled());  // nothing to find
    r.edtFind.SetText("old");
    r.UpdateButtons();
    EXPECT_FALSE(r.btnReplaceAll.Enabled());  // key names cannot become empty
    r.chckbxKey.Click();
    EXPECT_TRUE(r.btnReplace.Enabled() && r.btnReplaceAll.Enabled());
    // A backslash cannot go into a key name: typing one is dropped while
    // Key is checked, and checking Key removes those already there.
    r.edtReplace.SetText("a\\b");
    r.chckbxKey.Click();
    EXPECT_EQ(r.edtReplace.Text(), "ab");
    ::SendMessageA(r.edtReplace.Handle, WM_CHAR, '\\', 0);
    EXPECT_EQ(r.edtReplace.Text(), "ab");
    for (TCheckBox* box : {&r.chckbxKey, &r.chckbxValue, &r.chckbxData}) box->Click();
    EXPECT_FALSE(r.btnReplace.Enabled());

    frmReplaceConfirm->ShowAllButton = false;
    frmReplaceConfirm->FormShow(nullptr);
    EXPECT_FALSE(::GetWindowLongA(frmReplaceConfirm->btnAll.Handle, GWL_STYLE) & WS_VISIBLE);
    frmReplaceConfirm->ShowAllButton = true;
    frmReplaceConfirm->FormShow(nullptr);
    EXPECT_TRUE(::GetWindowLongA(frmReplaceConfirm->btnAll.Handle, GWL_STYLE) & WS_VISIBLE);

    // The progress window clears the stop flag when it opens; Cancel sets it.
    StopFinding = true;
    frmFinding->Show();
    EXPECT_FALSE(StopFinding);
    EXPECT_TRUE(frmFinding->tmrFinding.Enabled());
    Press(*frmFinding, frmFinding->btnCancel);
    EXPECT_TRUE(StopFinding);
    frmFinding->Hide();
    EXPECT_FALSE(frmFinding->tmrFinding.Enabled());
    StopFinding = false;
}
