// Teardown: no message may reach a control object after it died, and the
// whole program starts and ends cleanly.
#include "BrowserFixture.h"
#include "UnitAbout.h"
#include "UnitBin.h"
#include "UnitBinFind.h"
#include "UnitCurrentKey.h"
#include "UnitDword.h"
#include "UnitFavorites.h"
#include "UnitFind.h"
#include "UnitFinding.h"
#include "UnitGoTo.h"
#include "UnitKeyContent.h"
#include "UnitReplace.h"
#include "UnitReplaceConfirm.h"
#include "UnitStr.h"
#include "UnitValueReplaceConfirm.h"

using namespace classlib;

namespace {

std::vector<TForm*> EveryForm() {
    return {frmMain, frmStr, frmDword, frmBin, frmFind, frmGoTo, frmCurrentKey, frmReplace, frmReplaceConfirm,
            frmFavorites, frmValueReplaceConfirm, frmAbout, frmKeyContent, frmBinFind, frmFinding};
}

// The visible top-level windows of one process.
struct ProgramWindows {
    DWORD Pid;
    HWND Main = nullptr;
    int MessageBoxes = 0;
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<ProgramWindows*>(lp);
    DWORD pid = 0;
    ::GetWindowThreadProcessId(w, &pid);
    if (pid != f->Pid || !::IsWindowVisible(w)) return TRUE;
    char title[64] = {};
    ::GetWindowTextA(w, title, sizeof title);
    if (std::string(title) == "Zarvo Tessmorel") f->Main = w;
    if (::GetDlgItem(w, 0xFFFF)) ++f->MessageBoxes;  // the text of a message box
    return TRUE;
}

}  // namespace

TEST(Lifetime, AControlThatDiesFirstHandsItsWindowBack) {
    HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 100, 20, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    const LONG_PTR ownProc = ::GetWindowLongPtrW(edit, GWLP_WNDPROC);
    const int deadBefore = TControl::DeadMessages();
    {
        TEdit control;
        control.Handle = edit;
        control.Subclass();
        EXPECT_NE(::GetWindowLongPtrW(edit, GWLP_WNDPROC), ownProc);
    }
    EXPECT_EQ(::GetWindowLongPtrW(edit, GWLP_WNDPROC), ownProc);
    EXPECT_EQ(::GetWindowLongPtrA(edit, GWLP_USERDATA), 0);
    ::SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("still an edit"));
    char text[32] = {};
    ::GetWindowTextA(edit, text, sizeof text);
    EXPECT_STREQ(text, "still an edit");
    ::DestroyWindow(edit);
    EXPECT_EQ(TControl::DeadMessages(), deadBefore);
}

TEST_F(BrowserTest, EveryFormComesAndGoesWithoutAMessageToADeadControl) {
    ScratchKey scratch;
    scratch.AddKey("Sub\\Deeper");
    scratch.SetString("Text", "value");
    const int deadBefore = TControl::DeadMessages();
    for (int round = 0; round < 3; ++round) {
        StartProgram();
        frmMain->Show();
        // Tree nodes and list items with data, an in-place edit open: their
        // windows go while the form is destroyed.
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, scratch.Path);
        ASSERT_TRUE(node);
        node.MakeVisible();
        frmMain->trvwKeys.SetSelected(node);
        frmMain->trvwKeysClick(nullptr);
        node.Expand(false);
        frmMain->lstvwValues.Item(0).EditCaption();
        std::vector<HWND> windows;
        for (TForm* form : EveryForm()) {
            ASSERT_NE(form, nullptr);
            form->Show();
            windows.push_back(form->Handle);
        }
        Application().DestroyForms();
        for (HWND w : windows) EXPECT_FALSE(::IsWindow(w));
        for (TForm* form : EveryForm()) EXPECT_EQ(form, nullptr);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    }
    EXPECT_EQ(TControl::DeadMessages(), deadBefore);
    EXPECT_TRUE(Boxes.Boxes.empty());
}

// The program itself, as a user starts and closes it.
TEST(WholeProgram, StartsAndClosesWithoutAReport) {
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string folder = self;
    folder.erase(folder.find_last_of('\\') + 1);
    const std::string program = folder + "Tessmorel.exe", output = folder + "Tessmorel_run.txt";
    const std::string favorites = "C:\\windows\\TESSMOREL_FAVORITES.INI";
    const bool hadFavorites = ::GetFileAttributesA(favorites.c_str()) != INVALID_FILE_ATTRIBUTES;

    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE out = ::CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = out;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + program + "\"";
    ASSERT_TRUE(::CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
    ::CloseHandle(out);

    ProgramWindows found{pi.dwProcessId};
    for (int i = 0; i < 300 && !found.Main; ++i) {
        ::Sleep(100);
        ::EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    }
    ASSERT_NE(found.Main, nullptr) << "the main window did not appear";
    EXPECT_EQ(found.MessageBoxes, 0);
    ::PostMessageA(found.Main, WM_CLOSE, 0, 0);
    const DWORD waited = ::WaitForSingleObject(pi.hProcess, 30000);
    if (waited != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 99);
    DWORD code = 0;
    ::GetExitCodeProcess(pi.hProcess, &code);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    EXPECT_EQ(code, 0u);

    EXPECT_EQ(ReadFile(output), "");  // no crash report, no complaint
    ::DeleteFileA(output.c_str());
    if (!hadFavorites) ::DeleteFileA(favorites.c_str());
}
