#pragma once
// The one place through which the program reaches the parts of Windows that
// put something in front of the user or answer for the machine: message
// boxes, modal dialogs, file dialogs, printing, the shell, WinHelp and the
// version probe. Tests replace these to script answers and to play other
// Windows versions; the program never calls those APIs directly.
#include <windows.h>
#include <functional>
#include <string>

namespace classlib {

class TForm;

struct TPrintJob {
    std::wstring Title;  // document title shown in the spooler
    std::wstring Text;   // plain text to print, by its real characters
};

struct TSeams {
    // MessageBoxA(owner, text, caption, flags).
    std::function<int(HWND, const std::string&, const std::string&, UINT)> MessageBox;
    // MessageBoxW: for texts that the code page cannot hold.
    std::function<int(HWND, const std::wstring&, const std::wstring&, UINT)> WideMessageBox;
    // Runs a modal dialog to completion and returns its modal result.
    // When set, it replaces the real modal loop; the form is not shown.
    std::function<int(TForm&)> ShowModal;
    // GetOpenFileNameW / GetSaveFileNameW: the file's real name, whatever
    // characters it holds.
    std::function<bool(OPENFILENAMEW&)> OpenFileName;
    std::function<bool(OPENFILENAMEW&)> SaveFileName;
    // ShellExecuteA(owner, verb, file, params, dir, show); result as the API.
    std::function<HINSTANCE(HWND, const std::string&, const std::string&, int)> ShellExecute;
    // ShellExecuteW: for files the code page cannot name.
    std::function<HINSTANCE(HWND, const std::wstring&, const std::wstring&, int)> WideShellExecute;
    // WinHelpW(owner, file, command, data).
    std::function<BOOL(HWND, const std::wstring&, UINT, ULONG_PTR)> WinHelp;
    // GetVersionExA.
    std::function<BOOL(OSVERSIONINFOA&)> GetVersion;
    // Whether the system locale is a far-east (double-byte) one.
    std::function<bool()> FarEastLocale;
    // Prints a job; returns false with a reason when it cannot.
    std::function<bool(const TPrintJob&, std::string& error)> Print;
    // The folder selection dialog: starts at folder, a new folder can be
    // made in it; true with the chosen folder in folder. Names are wide: a
    // folder the code page cannot name is chosen by its real name.
    std::function<bool(HWND owner, std::wstring& folder)> BrowseFolder;
    // Ends the process at once with an exit code. A test's replacement
    // returns, and the caller then returns at once too.
    std::function<void(UINT code)> ExitProcess;
};

// The live seams. Starts out with the real Windows calls.
TSeams& Seams();
// Puts the real Windows calls back (tests call it when they are done).
void ResetSeams();

// Gives the keyboard back, once a dialog or box has closed, to the window and
// the control that had it before (or to the fallback window when that one is
// gone or out of reach), so that no key meant for a modal window lands in the
// window behind it. Everything the seams put up is wrapped in one.
class TFocusReturn {
public:
    explicit TFocusReturn(HWND fallback = nullptr);
    ~TFocusReturn();
    TFocusReturn(const TFocusReturn&) = delete;
    TFocusReturn& operator=(const TFocusReturn&) = delete;

private:
    HWND FActive, FFocus, FFallback;
};

// Convenience wrappers used by the program.
OSVERSIONINFOA WindowsVersion();
bool IsNTFamily();

}  // namespace classlib
