#include "Seams.h"

#include <commdlg.h>
#include <shellapi.h>

#include "Forms.h"

namespace classlib {

namespace {

TSeams RealSeams() {
    TSeams s;
    s.MessageBox = [](HWND owner, const std::string& text, const std::string& caption, UINT flags) {
        return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
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
    s.Print = [](const TPrintJob&, std::string& error) {
        error = "No printer is available.";
        return false;
    };
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
