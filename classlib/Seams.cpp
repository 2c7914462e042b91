#include "Seams.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winspool.h>

#include <vector>

#include "Forms.h"

namespace classlib {

namespace {

// Prints plain text on the default printer, line by line, page by page.
bool PrintOnDefaultPrinter(const TPrintJob& job, std::string& error) {
    // The default printer, asked without any dialog: with none installed
    // this fails at once instead of putting up a box of its own.
    char printer[512] = {};
    DWORD size = sizeof printer;
    if (!::GetDefaultPrinterA(printer, &size)) {
        error = "There is no printer installed.";
        return false;
    }
    HDC dc = ::CreateDCA("WINSPOOL", printer, nullptr, nullptr);
    if (!dc) {
        error = std::string("The printer \"") + printer + "\" cannot be used.";
        return false;
    }
    DOCINFOW doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = job.Title.c_str();
    bool ok = ::StartDocW(dc, &doc) > 0;
    if (ok) {
        TEXTMETRICA tm{};
        ::GetTextMetricsA(dc, &tm);
        const int lineHeight = tm.tmHeight + tm.tmExternalLeading;
        const int pageHeight = ::GetDeviceCaps(dc, VERTRES);
        const int margin = ::GetDeviceCaps(dc, LOGPIXELSY) / 2;
        int y = pageHeight;  // forces the first page
        size_t start = 0;
        while (ok && start <= job.Text.size()) {
            size_t end = job.Text.find(L'\n', start);
            if (end == std::wstring::npos) end = job.Text.size();
            std::wstring line = job.Text.substr(start, end - start);
            if (!line.empty() && line.back() == L'\r') line.pop_back();
            if (y + lineHeight > pageHeight - margin) {
                if (y != pageHeight) ok = ::EndPage(dc) > 0;
                ok = ok && ::StartPage(dc) > 0;
                y = margin;
            }
            ::TextOutW(dc, margin, y, line.c_str(), static_cast<int>(line.size()));
            y += lineHeight;
            start = end + 1;
        }
        ok = ok && ::EndPage(dc) > 0 && ::EndDoc(dc) > 0;
        if (!ok) ::AbortDoc(dc);
    }
    ::DeleteDC(dc);
    if (!ok) error = "Printing failed.";
    return ok;
}

// The folder dialog's state: where it started, what its tree selects, and
// what its edit box held when OK was pressed. Wide throughout: a folder is
// chosen by its real name, whatever the code page holds.
struct TBrowseState {
    std::wstring Start;
    std::wstring Selected;      // the folder selected in the tree
    std::vector<std::wstring> SelectedNames;  // what the edit box shows for it
    std::wstring Typed;         // the edit box's text at OK
    bool OkPressed = false;
    WNDPROC OldProc = nullptr;
};

const wchar_t kBrowseProp[] = L"TessmorelBrowseState";

BOOL CALLBACK FindVisibleEdit(HWND child, LPARAM found) {
    wchar_t cls[16] = {};
    ::GetClassNameW(child, cls, 16);
    if (lstrcmpiW(cls, L"Edit") != 0 || !::IsWindowVisible(child)) return TRUE;
    *reinterpret_cast<HWND*>(found) = child;
    return FALSE;
}

HWND BrowseEdit(HWND dialog) {
    HWND edit = nullptr;
    ::EnumChildWindows(dialog, FindVisibleEdit, reinterpret_cast<LPARAM>(&edit));
    return edit;
}

std::wstring WindowText(HWND window) {
    if (!window) return std::wstring();
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

// Notes the edit box's text when OK is pressed: a name typed there may be
// a folder that does not exist yet, which the tree cannot select.
LRESULT CALLBACK BrowseDialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* state = static_cast<TBrowseState*>(::GetPropW(hwnd, kBrowseProp));
    if (!state) return ::DefWindowProcW(hwnd, msg, wp, lp);
    const WNDPROC old = state->OldProc;
    if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
        state->OkPressed = true;
        state->Typed = WindowText(BrowseEdit(hwnd));
    } else if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        ::RemovePropW(hwnd, kBrowseProp);
    }
    return ::CallWindowProcW(old, hwnd, msg, wp, lp);
}

std::wstring PathOf(PCIDLIST_ABSOLUTE list) {
    wchar_t path[MAX_PATH] = {};
    return list && ::SHGetPathFromIDListW(list, path) ? path : L"";
}

int CALLBACK BrowseCallback(HWND hwnd, UINT msg, LPARAM lp, LPARAM data) {
    auto* state = reinterpret_cast<TBrowseState*>(data);
    if (msg == BFFM_INITIALIZED) {
        ::SetPropW(hwnd, kBrowseProp, state);
        state->OldProc = reinterpret_cast<WNDPROC>(
            ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BrowseDialogProc)));
        if (!state->Start.empty())
            ::SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(state->Start.c_str()));
    } else if (msg == BFFM_SELCHANGED) {
        const auto list = reinterpret_cast<PCIDLIST_ABSOLUTE>(lp);
        state->Selected = PathOf(list);
        // The edit box shows the folder's display name, set before or after
        // this call; either counts as not typed.
        state->SelectedNames = {WindowText(BrowseEdit(hwnd)),
                                state->Selected.substr(state->Selected.find_last_of(L'\\') + 1)};
        SHFILEINFOW info{};
        if (list &&
            ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_DISPLAYNAME))
            state->SelectedNames.push_back(info.szDisplayName);
    } else if (msg == BFFM_VALIDATEFAILEDW) {
        state->Typed = reinterpret_cast<const wchar_t*>(lp);
        return 0;  // close the dialog: the caller deals with the name
    }
    return 0;
}

bool BrowseForFolder(HWND owner, std::wstring& folder) {
    TBrowseState state;
    state.Start = folder;
    wchar_t display[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX | BIF_VALIDATE;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(&state);
    PIDLIST_ABSOLUTE list = ::SHBrowseForFolderW(&info);
    const std::wstring path = PathOf(list);
    const bool selected = !path.empty();
    if (list) ::CoTaskMemFree(list);
    if (!list && !state.OkPressed) return false;
    // What was typed over the selected folder's name counts: a full path as
    // it stands, a bare name as a folder inside the selected one.
    std::wstring typed = state.Typed;
    while (!typed.empty() && typed.back() == L' ') typed.pop_back();
    while (!typed.empty() && typed.front() == L' ') typed.erase(0, 1);
    const std::wstring base = !state.Selected.empty() ? state.Selected : path;
    bool shown = typed == base;
    for (const std::wstring& name : state.SelectedNames) shown = shown || lstrcmpiW(typed.c_str(), name.c_str()) == 0;
    if (!typed.empty() && !shown) {
        const bool full = (typed.size() >= 3 && typed[1] == L':' && typed[2] == L'\\') || typed.rfind(L"\\\\", 0) == 0;
        if (full) folder = typed;
        else if (!base.empty()) folder = base + (base.back() == L'\\' ? L"" : L"\\") + typed;
        else folder = typed;
        return true;
    }
    if (!selected) return false;
    folder = path;
    return true;
}

TSeams RealSeams() {
    TSeams s;
    s.MessageBox = [](HWND owner, const std::string& text, const std::string& caption, UINT flags) {
        const TFocusReturn focus;
        return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
    };
    s.WideMessageBox = [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
        const TFocusReturn focus;
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    };
    s.ShowModal = nullptr;  // the form's own modal loop
    s.OpenFileName = [](OPENFILENAMEW& ofn) {
        const TFocusReturn focus;
        return ::GetOpenFileNameW(&ofn) != FALSE;
    };
    s.SaveFileName = [](OPENFILENAMEW& ofn) {
        const TFocusReturn focus;
        return ::GetSaveFileNameW(&ofn) != FALSE;
    };
    s.ShellExecute = [](HWND owner, const std::string& verb, const std::string& file, int show) {
        return ::ShellExecuteA(owner, verb.c_str(), file.c_str(), nullptr, nullptr, show);
    };
    s.WideShellExecute = [](HWND owner, const std::wstring& verb, const std::wstring& file, int show) {
        return ::ShellExecuteW(owner, verb.c_str(), file.c_str(), nullptr, nullptr, show);
    };
    s.WinHelp = [](HWND owner, const std::wstring& file, UINT command, ULONG_PTR data) {
        return ::WinHelpW(owner, file.c_str(), command, data);
    };
    s.GetVersion = [](OSVERSIONINFOA& info) { return ::GetVersionExA(&info); };
    s.FarEastLocale = [] { return ::GetSystemMetrics(SM_DBCSENABLED) != 0; };
    s.Print = [](const TPrintJob& job, std::string& error) {
        const TFocusReturn focus;
        return PrintOnDefaultPrinter(job, error);
    };
    s.BrowseFolder = [](HWND owner, std::wstring& folder) {
        const TFocusReturn focus;
        return BrowseForFolder(owner, folder);
    };
    s.ExitProcess = [](UINT code) { ::ExitProcess(code); };
    return s;
}

TSeams& Live() {
    static TSeams seams = RealSeams();
    return seams;
}

}  // namespace

TSeams& Seams() { return Live(); }

TFocusReturn::TFocusReturn(HWND fallback)
    : FActive(::GetActiveWindow()), FFocus(::GetFocus()), FFallback(fallback) {}

TFocusReturn::~TFocusReturn() {
    auto usable = [](HWND h) { return h && ::IsWindow(h) && ::IsWindowVisible(h) && ::IsWindowEnabled(h); };
    HWND window = usable(FActive) ? FActive : usable(FFallback) ? FFallback : nullptr;
    if (!window) return;
    if (::GetActiveWindow() != window) ::SetActiveWindow(window);
    if (window == FActive && usable(FFocus) && ::IsChild(window, FFocus) && ::GetFocus() != FFocus)
        ::SetFocus(FFocus);
}

void ResetSeams() { Live() = RealSeams(); }

OSVERSIONINFOA WindowsVersion() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);
    if (!Seams().GetVersion(info)) {
        info = OSVERSIONINFOA{};
        info.dwOSVersionInfoSize = sizeof(info);
    }
    return info;
}

bool IsNTFamily() { return WindowsVersion().dwPlatformId == VER_PLATFORM_WIN32_NT; }

}  // namespace classlib
