// The find, replace and progress dialogs on their own.
#include "BrowserFixture.h"
#include "UnitFind.h"
#include "UnitFinding.h"
#include "UnitReplace.h"
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
    // Wildcards and whole words exclude each other.
    f.chckbxWildCharSurport.Click();
    f.chckbxWholeWordsOnly.Click();
    f.chckbxWildCharSurport.Click();  // wildcards back on: whole words go
    EXPECT_FALSE(o.WholeWords);

    // Data off takes the DWORD box with it.
    f.chckbxDataDword.Click();
    f.chckbxData.Click();
    EXPECT_FALSE(o.MatchDwords);
    f.rdgrpCondition.ClickItem(1);

    // Nothing to search in: Enter does nothing.
    f.chckbxKey.Click();
    f.chckbxValue.Click();
    f.edtItem.SetText("x");
    f.ModalResult = mrNone;
    Press(f, f.btnOk);
    EXPECT_EQ(f.ModalResult, mrNone);
    f.chckbxKey.Click();

    // The text: refused when empty, a pattern with wildcards.
    f.edtItem.SetText("");
    Press(f, f.btnOk);
    EXPECT_EQ(f.ModalResult, mrNone);
    f.edtItem.SetText("A*C");
    Press(f, f.btnOk);
    EXPECT_EQ(f.ModalResult, mrOk);
    EXPECT_EQ(f.FindItem, WildToPattern("A*C"));

    // Shown again, the dialog shows the options as they were left.
    frmMain->FFindState.FoundKind = fkValueName;
    f.FormShow(nullptr);
    EXPECT_EQ(f.rdgrpCondition.ItemIndex(), 1);
    Press(f, f.btnCancel);
    EXPECT_EQ(frmMain->FFindState.FoundKind, fkNone);

    // The title-bar button cancels it the same way.
    frmMain->FFindState.FoundKind = fkValueName;
    ScriptDialogs([](TForm& form) {
        ::SendMessageA(form.Handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        return form.ModalResult;
    });
    EXPECT_EQ(f.ShowModal(), mrCancel);
    EXPECT_EQ(frmMain->FFindState.FoundKind, fkNone);
}

TEST_F(FindDialogsTest, ReplaceButtonsAndProgress) {
    TfrmReplace& r = *frmReplace;
    r.FormShow(nullptr);
    r.edtFind.SetText("old");
    r.UpdateButtons();
    EXPECT_FALSE(r.btnReplaceAll.Enabled());  // key names cannot become empty
    r.chckbxKey.Click();
    // A backslash cannot go into a key name: typing one is dropped while
    // Key is checked, and checking Key removes those already there.
    r.edtReplace.SetText("a\\b");
    r.chckbxKey.Click();
    EXPECT_EQ(r.edtReplace.Text(), "ab");
    ::SendMessageA(r.edtReplace.Handle, WM_CHAR, '\\', 0);
    EXPECT_EQ(r.edtReplace.Text(), "ab");

    // The progress window clears the stop flag when it opens; Cancel sets it.
    StopFinding = true;
    frmFinding->Show();
    EXPECT_FALSE(StopFinding);
    Press(*frmFinding, frmFinding->btnCancel);
    EXPECT_TRUE(StopFinding);
    frmFinding->Hide();
    StopFinding = false;
}
