// Main-window commands as the user reaches them: keys while a label is
// being edited, Export All, Edit Reg File.
#include "BrowserFixture.h"
#include "UnitKeyContent.h"

using namespace classlib;

namespace {

void HoldCtrl(bool down) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[VK_CONTROL] = state[VK_LCONTROL] = down ? 0x80 : 0;
    ::SetKeyboardState(state);
}

// One key through the program's message loop: shortcuts first, then the
// window it was pressed in.
void PressInLoop(HWND window, WORD key, bool ctrl, bool shortcut) {
    HoldCtrl(ctrl);
    MSG down{window, WM_KEYDOWN, key, 1, 0, {}};
    EXPECT_EQ(frmMain->HandleDialogMessage(down), shortcut);
    if (!shortcut) {
        ::TranslateMessage(&down);
        ::DispatchMessageA(&down);
    }
    MSG msg;
    while (::PeekMessageA(&msg, window, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    HoldCtrl(false);
}

}  // namespace

class MainCommandsTest : public BrowserTest {
protected:
    void SetUp() override {
        Scratch.AddKey("Child");
        Scratch.SetString("value", "data");
        StartProgram();
        frmMain->Show();
        Node = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path);
        ASSERT_TRUE(Node);
        Node.MakeVisible();
        frmMain->trvwKeys.SetSelected(Node);
        frmMain->trvwKeysClick(nullptr);
        Seams().SaveFileName = [this](OPENFILENAMEW& ofn) { return PickFile(ofn, ToWide(SaveAs)); };
        Seams().OpenFileName = [this](OPENFILENAMEW& ofn) { return PickFile(ofn, ToWide(OpenAs)); };
    }
    // Counts what the delete and copy commands of both menus would do.
    void CountCommands() {
        for (TMenuItem* item : {frmMain->mnitmKeyDel, frmMain->pppmnitmKeyDel, frmMain->mnitmValueDel,
                                frmMain->pppmnitmValueDel, frmMain->mnitmKeyCopy, frmMain->pppmnitmKeyCopy,
                                frmMain->mnitmValueCopy, frmMain->pppmnitmValueCopy})
            item->OnClick = [this](TObject*) { ++Commands; };
    }
    // Del and Ctrl+C in the edit box of an in-place rename: the edit box
    // deletes and copies, no command runs. The box goes when the focus moves
    // to another program's window (test programs run side by side); false
    // then, and the caller tries again.
    bool CheckEditingKeys(HWND edit) {
        EXPECT_NE(edit, nullptr);
        ::SetWindowTextA(edit, "abc");
        ::SendMessageA(edit, EM_SETSEL, 0, 1);
        if (!::IsWindow(edit)) return false;
        PressInLoop(edit, VK_DELETE, false, false);
        if (!::IsWindow(edit)) return false;
        PressInLoop(edit, 'C', true, false);
        char text[16] = {};
        ::GetWindowTextA(edit, text, sizeof text);
        if (!::IsWindow(edit)) return false;
        EXPECT_STREQ(text, "bc");
        EXPECT_EQ(Commands, 0);
        return true;
    }
    template <class StartEditing>
    void CheckEditingKeysOf(StartEditing start) {
        bool checked = false;
        for (int attempt = 0; attempt < 5 && !checked; ++attempt) checked = CheckEditingKeys(start());
        EXPECT_TRUE(checked);
    }
    ScratchKey Scratch;
    TTreeNode Node;
    std::string SaveAs, OpenAs;
    int Commands = 0;
};

TEST_F(MainCommandsTest, DelAndCtrlCWhileALabelIsEditedGoToTheEditBox) {
    CountCommands();
    Node.Expand(false);
    CheckEditingKeysOf([&] {
        TreeView_EndEditLabelNow(frmMain->trvwKeys.Handle, TRUE);
        Child(Node, "Child").EditText();
        return TreeView_GetEditControl(frmMain->trvwKeys.Handle);
    });
    TreeView_EndEditLabelNow(frmMain->trvwKeys.Handle, TRUE);
    CheckEditingKeysOf([&] {
        frmMain->lstvwValues.Item(0).EditCaption();
        return ListView_GetEditControl(frmMain->lstvwValues.Handle);
    });
    ::SendMessageA(ListView_GetEditControl(frmMain->lstvwValues.Handle), WM_KEYDOWN, VK_ESCAPE, 0);

    // Without an edit box the same keys are the menus' again.
    PressInLoop(frmMain->trvwKeys.Handle, 'C', true, true);
    EXPECT_EQ(Commands, 1);
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(MainCommandsTest, ExportAllWritesThreeRootsInOrderOnTheNtFamily) {
    SaveAs = TempFile("all.reg");
    FilesToRemove.push_back(SaveAs);
    frmMain->trvwKeys.SetSelected({});
    frmMain->mnitmExportAllKey->Click();  // nothing selected: nothing written
    EXPECT_EQ(::GetFileAttributesA(SaveAs.c_str()), INVALID_FILE_ATTRIBUTES);

    frmMain->trvwKeys.SetSelected(Node);
    frmMain->tlbrExportAllKey.OnClick(nullptr);
    const std::string text = ReadFile(SaveAs);
    EXPECT_EQ(text.compare(0, frmMain->FRegFileHeader.size() + 2, frmMain->FRegFileHeader + "\r\n"), 0);
    const size_t lm = text.find("\r\n[HKEY_LOCAL_MACHINE\\"), users = text.find("\r\n[HKEY_USERS\\"),
                 user = text.find("\r\n[HKEY_CURRENT_USER\\");
    ASSERT_NE(lm, std::string::npos);
    ASSERT_NE(users, std::string::npos);
    ASSERT_NE(user, std::string::npos);
    EXPECT_LT(lm, users);
    EXPECT_LT(users, user);
    EXPECT_EQ(text.find("[HKEY_CLASSES_ROOT"), std::string::npos);
    EXPECT_EQ(text.find("[HKEY_CURRENT_CONFIG"), std::string::npos);
    EXPECT_NE(text.find("[HKEY_CURRENT_USER\\" + Scratch.Path + "]\r\n\"value\"=\"data\"\r\n"), std::string::npos);
    // Wine's own profile holds names outside the code page: at most the
    // report of what was left out.
    for (const RecordedBox& box : Boxes.Boxes) EXPECT_EQ(box.Text.rfind(frmMain->msgExportLeftOut, 0), 0u);
    EXPECT_LE(Boxes.Boxes.size(), 1u);
}

TEST_F(MainCommandsTest, EditRegFileShowsTheFileOrReportsWhyNot) {
    OpenAs = TempFile("edit.reg");
    FilesToRemove.push_back(OpenAs);
    WriteFile(OpenAs, "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n\"a\"=\"b\"\r\n");
    std::string shown;
    int dialogs = 0;
    Seams().ShowModal = [&](TForm& form) {
        EXPECT_EQ(&form, frmKeyContent);
        shown = frmKeyContent->rchedtContent.Text();
        ++dialogs;
        return static_cast<int>(mrCancel);
    };
    frmMain->mnitmEditRegFile->Click();
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(shown, ReadFile(OpenAs));

    // A file that cannot be read is reported with its name; nothing is shown.
    OpenAs = TempFile("missing.reg");
    ::SendMessageA(frmMain->Handle, WM_COMMAND, MAKEWPARAM(ID_MNITMEDITREGFILE, 0), 0);
    EXPECT_EQ(dialogs, 1);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_NE(Boxes.Boxes[0].Text.find("missing.reg"), std::string::npos) << Boxes.Boxes[0].Text;

    OpenAs.clear();  // cancelled
    frmMain->mnitmEditRegFile->Click();
    EXPECT_EQ(dialogs, 1);
}
