#pragma once
// Common dialogs: file open and save (through the seams), and the modeless
// find and replace dialogs.
#include <windows.h>
#include <commdlg.h>

#include <functional>
#include <memory>

#include "Components.h"
#include "Graphics.h"

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
    // Adds what a kind of dialog needs (a hook) before the dialog runs, and
    // drops it after.
    virtual void Prepare(OPENFILENAMEA&) {}
    virtual void Finish() {}
};

class TOpenDialog : public TFileDialog {
protected:
    bool IsSave() const override { return false; }
};

class TSaveDialog : public TFileDialog {
protected:
    bool IsSave() const override { return true; }
};

// The picture open dialog: the open dialog with a preview of the selected
// file beside the list. Decode makes the picture of a file (it throws or
// gives none when the file holds none); the preview shows it fitted to its
// place, or nothing.
class TOpenPictureDialog : public TOpenDialog {
public:
    ~TOpenPictureDialog() override;
    std::function<std::unique_ptr<TGraphic>(const std::string& fileName)> Decode;
    // Shows the file in the preview; false (an empty preview) when it holds no picture.
    bool PreviewFile(const std::string& fileName);
    TGraphic* PreviewPicture() const { return FPreview.get(); }
    HWND PreviewWindow() const { return FPreviewWindow; }

protected:
    void Prepare(OPENFILENAMEA& ofn) override;
    void Finish() override;

private:
    static UINT_PTR CALLBACK Hook(HWND hdlg, UINT msg, WPARAM wp, LPARAM lp);
    static LRESULT CALLBACK PreviewProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void AddPreview(HWND dialog);
    void PaintPreview(HDC dc, const RECT& area);
    std::unique_ptr<TGraphic> FPreview;
    HWND FPreviewWindow = nullptr;
};

// The find and replace dialogs of the system. They are modeless: the owner
// form passes them the registered message (see HandleMessage).
class TFindDialog : public TComponent {
public:
    ~TFindDialog() override;
    std::wstring FindText;  // as typed
    std::wstring ReplaceText;
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
    FINDREPLACEW FData{};
    wchar_t FFind[256] = {};
    wchar_t FReplace[256] = {};
    HWND FWindow = nullptr;
};

class TReplaceDialog : public TFindDialog {
protected:
    bool IsReplace() const override { return true; }
};

// Modeless system dialogs that the message loop must serve.
bool IsModelessDialogMessage(MSG& msg);

}  // namespace classlib
