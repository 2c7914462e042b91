// Real key presses into a modal editor and the dialogs it opens. The keys come
// from outside the process (real_keys.sh presses them under the X server);
// this side opens the editor, gives the hex column the focus, and closes
// whatever is still open when the presser says it is done.
#include <cstdlib>

#include "EditorFixture.h"

using namespace classlib;

namespace {

std::string gDoneFile;
UINT_PTR gFocusTimer = 0, gDoneTimer = 0;

// Puts the caret into the hex column once the editor is up, as a click would.
void CALLBACK FocusHexColumn(HWND, UINT, UINT_PTR id, DWORD) {
    if (!frmBin->IsModal() || !::IsWindowVisible(frmBin->Handle)) return;
    ::KillTimer(nullptr, id);
    frmBin->HexColumn().SetFocus();
}

BOOL CALLBACK CloseForeignBox(HWND h, LPARAM) {
    for (TForm* form : Application().Forms())
        if (form->Handle == h) return TRUE;
    char cls[16] = {};
    ::GetClassNameA(h, cls, sizeof cls);
    if (::IsWindowVisible(h) && lstrcmpA(cls, "#32770") == 0) {
        ::PostMessageA(h, WM_COMMAND, IDNO, 0);
        ::PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
    }
    return TRUE;
}

// When the presser is done: every box and other dialog goes, the editor closes with OK.
void CALLBACK CloseWhenDone(HWND, UINT, UINT_PTR id, DWORD) {
    if (::GetFileAttributesA(gDoneFile.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    ::EnumThreadWindows(::GetCurrentThreadId(), CloseForeignBox, 0);
    bool others = false;
    for (TForm* form : Application().Forms())
        if (form != frmBin && form->IsModal()) {
            form->ModalResult = mrCancel;
            others = true;
        }
    if (others) return;  // the editor after them
    ::KillTimer(nullptr, id);
    frmBin->ModalResult = mrOk;
}

}  // namespace

class RealKeysTest : public EditorTest {
protected:
    void SetUp() override {
        const char* done = std::getenv("TESSMOREL_KEYS_DONE");
        if (!done) GTEST_SKIP() << "no key presser: run through real_keys.sh";
        gDoneFile = done;
        StartProgram();
    }
    void TearDown() override {
        ::KillTimer(nullptr, gFocusTimer);
        ::KillTimer(nullptr, gDoneTimer);
        EditorTest::TearDown();
    }
    std::string Stored(const std::string& name) {
        DWORD size = 0;
        if (::RegQueryValueExA(Scratch.Key, name.c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
            return "(missing)";
        std::string data(size, '\0');
        ::RegQueryValueExA(Scratch.Key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&data[0]), &size);
        return data;
    }
    ScratchKey Scratch;
};

// real_keys.sh presses, with the caret at the start of the hex column:
// Ctrl+F, types "hello", Enter (Find); Delete; y; F3; Delete; F3 (nothing
// more: "Find finished!"), Enter; Delete.
TEST_F(RealKeysTest, DialogsOfAModalEditorGiveTheKeyboardBackToIt) {
    const std::string data = "AAhelloBBhelloCC";
    Scratch.SetValue("Data", REG_BINARY, data.data(), static_cast<DWORD>(data.size()));
    Scratch.SetString("Other", "kept");
    ::ShowWindow(frmMain->Handle, SW_SHOW);
    ::SetForegroundWindow(frmMain->Handle);
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, Scratch.Path);
    ASSERT_TRUE(node);
    node.MakeVisible();
    frmMain->trvwKeys.SetSelected(node);
    frmMain->trvwKeysClick(nullptr);
    const int item = frmMain->lstvwValues.IndexOfCaption("Data");
    ASSERT_GE(item, 0);
    frmMain->lstvwValues.Item(item).SetSelected(true);
    frmMain->trvwKeys.SetFocus();

    gFocusTimer = ::SetTimer(nullptr, 0, 200, FocusHexColumn);
    gDoneTimer = ::SetTimer(nullptr, 0, 100, CloseWhenDone);
    frmMain->lstvwValuesDblClick(nullptr);  // the editor, modal, until the presser is done

    // Both hits and then the byte at the caret went; the key and its other value stayed.
    EXPECT_EQ(Stored("Data"), "AABBC");
    EXPECT_EQ(Stored("Other"), std::string("kept", 5));
    EXPECT_TRUE(::IsWindowEnabled(frmMain->Handle));
}
