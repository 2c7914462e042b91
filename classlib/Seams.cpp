#include "Seams.h"

#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winspool.h>

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
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = job.Title.c_str();
    bool ok = ::StartDocA(dc, &doc) > 0;
    if (ok) {
        TEXTMETRICA tm{};
        ::GetTextMetricsA(dc, &tm);
        const int lineHeight = tm.tmHeight + tm.tmExternalLeading;
        const int pageHeight = ::GetDeviceCaps(dc, VERTRES);
        const int margin = ::GetDeviceCaps(dc, LOGPIXELSY) / 2;
        int y = pageHeight;  // forces the first page
        size_t start = 0;
        while (ok && start <= job.Text.size()) {
            size_t end = job.Text.find('\n', start);
            if (end == std::string::npos) end = job.Text.size();
            std::string line = job.Text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (y + lineHeight > pageHeight - margin) {
                if (y != pageHeight) ok = ::EndPage(dc) > 0;
                ok = ok && ::StartPage(dc) > 0;
                y = margin;
            }
            ::TextOutA(dc, margin, y, line.c_str(), static_cast<int>(line.size()));
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

int CALLBACK BrowseStart(HWND hwnd, UINT msg, LPARAM, LPARAM data) {
    if (msg == BFFM_INITIALIZED && data) ::SendMessageA(hwnd, BFFM_SETSELECTIONA, TRUE, data);
    return 0;
}

bool BrowseForFolder(HWND owner, std::string& folder) {
    const std::string start = folder;
    char display[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
    info.lpfn = BrowseStart;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    PIDLIST_ABSOLUTE list = ::SHBrowseForFolderA(&info);
    if (!list) return false;
    char path[MAX_PATH] = {};
    const bool ok = ::SHGetPathFromIDListA(list, path) != FALSE;
    ::CoTaskMemFree(list);
    if (ok) folder = path;
    return ok;
}

TSeams RealSeams() {
    TSeams s;
    s.MessageBox = [](HWND owner, const std::string& text, const std::string& caption, UINT flags) {
        return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
    };
    s.WideMessageBox = [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
        return ::MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
    };
    s.ShowModal = nullptr;  // the form's own modal loop
    s.OpenFileName = [](OPENFILENAMEA& ofn) { return ::GetOpenFileNameA(&ofn) != FALSE; };
    s.SaveFileName = [](OPENFILENAMEA& ofn) { return ::GetSaveFileNameA(&ofn) != FALSE; };
    s.ShellExecute = [](HWND owner, const std::string& verb, const std::string& file, int show) {
        return ::ShellExecuteA(owner, verb.c_str(), file.c_str(), nullptr, nullptr, show);
    };
    s.WinHelp = [](HWND owner, const std::string& file, UINT command, ULONG_PTR data) {
        return ::WinHelpA(owner, file.c_str(), command, data);
    };
    s.GetVersion = [](OSVERSIONINFOA& info) { return ::GetVersionExA(&info); };
    s.FarEastLocale = [] { return ::GetSystemMetrics(SM_DBCSENABLED) != 0; };
    s.Print = PrintOnDefaultPrinter;
    s.BrowseFolder = BrowseForFolder;
    s.ExitProcess = [](UINT code) { ::ExitProcess(code); };
    return s;
}

TSeams& Live() {
    static TSeams seams = RealSeams();
    return seams;
}

}  // namespace

TSeams& Seams() { return Live(); }

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
