#pragma once
// Common dialogs: file open and save (through the seams), and the modeless
// find and replace dialogs.
#include <windows.h>
#include <commdlg.h>

#include "Components.h"

namespace classlib {

class TFileDialog : public TComponent {
public:
    std::string Filter;      // "Text|*.txt|All|*.*"
    std::string DefaultExt;  // without the dot
    std::string FileName;    // in: proposed name; out: the chosen file
    std::string Title;
    HWND OwnerWindow = nullptr;
    bool Execute();          // true when the user chose a file

protected:
    virtual bool IsSave() const = 0;
};

class TOpenDialog : public TFileDialog {
protected:
    bool IsSave() const override { return false; }
};

class TSaveDialog : public TFileDialog {
protected:
    bool IsSave() const override { return true; }
};

// The find and replace dialogs of the system. They are modeless: the owner
// form passes them the registered message (see HandleMessage).
class TFindDialog : public TComponent {
public:
    ~TFindDialog() override;
    std::string FindText;
    std::string ReplaceText;
    bool MatchCase = false;
    bool WholeWord = false;
    DWORD Options = FR_DOWN | FR_HIDEWHOLEWORD | FR_HIDEUPDOWN;
    TNotifyEvent OnFind;        // Find Next pressed
    TNotifyEvent OnReplace;     // Replace pressed
    TNotifyEvent OnReplaceAll;  // Replace All pressed
    HWND OwnerWindow = nullptr;

    void Execute();  // shows the dialog (or brings it to the front)
    void CloseDialog();
    bool Showing() const { return FWindow && ::IsWindow(FWindow); }
    HWND Window() const { return FWindow; }
    // Handles the registered find message; true when it was this dialog's.
    bool HandleMessage(UINT msg, LPARAM lp);
    static UINT Message();

protected:
    virtual bool IsReplace() const { return false; }

private:
    FINDREPLACEA FData{};
    char FFind[256] = {};
    char FReplace[256] = {};
    HWND FWindow = nullptr;
};

class TReplaceDialog : public TFindDialog {
protected:
    bool IsReplace() const override { return true; }
};

// Modeless system dialogs that the message loop must serve.
bool IsModelessDialogMessage(MSG& msg);

}  // namespace classlib
