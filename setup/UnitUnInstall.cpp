#include "UnitUnInstall.h"

#include <algorithm>

#include "Seams.h"
#include "SetupResource.h"
#include "SetupRoutines.h"
#include "SetupRules.h"
#include "zrvDialog.h"
#include "zrvDir.h"

using namespace classlib;

TfrmMain* frmMain = nullptr;

void TfrmMain::BindComponents() {
    Bind(Image1, IDC_IMAGE1, "Image1");
    Bind(lblInfo, IDC_LBLINFO, "lblInfo");
    Bind(lblApp, IDC_LBLAPP, "lblApp");
    Bind(lblLicense, IDC_LBLLICENSE, "lblLicense");
    Bind(lblReadme, IDC_LBLREADME, "lblReadme");
    Bind(lblHelp, IDC_LBLHELP, "lblHelp");
    Bind(lblLanguage, IDC_LBLLANGUAGE, "lblLanguage");
    Bind(Button1, IDC_BUTTON1, "Button1").OnClick = Handler(this, &TfrmMain::Button1Click);
    Bind(afdasf, IDC_AFDASF, "afdasf").OnClick = Handler(this, &TfrmMain::afdasfClick);
    Bind(btnOk, IDC_BTNOK, "btnOk").OnClick = Handler(this, &TfrmMain::btnOkClick);
    OnClose = Handler(this, &TfrmMain::FormClose);
}

namespace {

const char kProductKey[] = "Software\\Zarvo\\Tessmorel";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel";
const char kHelpKey[] = "SOFTWARE\\Microsoft\\Windows\\Help";

// A string value of the open key as stored; a missing or unreadable one
// reads as "".
std::wstring ReadOptional(const TRegistry& reg, const std::wstring& name, bool* found = nullptr) {
    if (found) *found = false;
    try {
        if (!reg.ValueExists(name)) return std::wstring();
        std::wstring s = reg.ReadWideString(name);
        if (found) *found = true;
        return s;
    } catch (const std::exception&) {
        return std::wstring();
    }
}

// The text in the OEM code page, in which the command interpreter reads a
// batch file; false when that code page cannot hold it exactly (a best-fit
// form of a folder names another folder).
bool ToOemExactly(const std::wstring& text, std::string& oem) {
    oem.clear();
    if (text.empty()) return true;
    const int size = static_cast<int>(text.size());
    const int n = ::WideCharToMultiByte(CP_OEMCP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return false;
    oem.assign(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_OEMCP, 0, text.data(), size, &oem[0], n, nullptr, nullptr);
    const int m = ::MultiByteToWideChar(CP_OEMCP, 0, oem.data(), n, nullptr, 0);
    std::wstring back(static_cast<size_t>(std::max(m, 0)), L'\0');
    if (m > 0) ::MultiByteToWideChar(CP_OEMCP, 0, oem.data(), n, &back[0], m);
    return back == text;
}

bool OemNames(const std::wstring& text) {
    std::string unused;
    return ToOemExactly(text, unused);
}

}  // namespace

void TfrmMain::FormCreate() {
    Image1.LoadBitmap(Application().Instance, IDB_SETUPICON);
    CenterOnScreen();
    FRegistry = std::make_unique<TRegistry>();
    FRegistry->SetRootKey(HKEY_LOCAL_MACHINE);
    if (FRegistry->OpenKey(kProductKey, false)) {
        FInstallDir = ReadOptional(*FRegistry, L"PATH", &FPathFound);
        FCreatedKeys = SharedKeysIn(ToAnsi(ReadOptional(*FRegistry, ToWide(kCreatedKeysValue))));
        FRegistry->CloseKey();
    }
    FRegistry->SetRootKey(HKEY_CURRENT_USER);
    if (FRegistry->OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) {
        FProgramsDir = ReadOptional(*FRegistry, L"Programs");
        FDesktopDir = ReadOptional(*FRegistry, L"Desktop");
        FRegistry->CloseKey();
    }
    const std::wstring own = GetAppFileNameW();
    FOwnDir = own.substr(0, own.find_last_of(L'\\') + 1);
    if (!FOwnDir.empty()) FOwnDir.pop_back();
    // Said at once: what is missing, and what UnInstall will do about it.
    std::wstring note;
    FolderToRemove(note);
    if (!note.empty()) NotifyError(note);
}

std::wstring TfrmMain::FolderToRemove(std::wstring& note) const {
    note.clear();
    // Files are deleted only inside the product's own folder, never in a
    // folder that a damaged or planted PATH value names.
    if (IsProductFolder(FInstallDir) && DirectoryExists(FInstallDir)) return FInstallDir;
    const std::wstring where = L"the value \"PATH\" of HKEY_LOCAL_MACHINE\\" + ToWide(kProductKey);
    if (!FPathFound)
        note = L"The install folder of Zarvo Tessmorel is not known: " + where + L" is missing.";
    else if (IsProductFolder(FInstallDir))
        note = L"The install folder \"" + FInstallDir + L"\" (" + where + L") does not exist.";
    else
        note = L"The install folder \"" + FInstallDir + L"\" (" + where + L") is not a Zarvo Tessmorel folder.";
    if (IsProductFolder(FOwnDir) && DirectoryExists(FOwnDir)) {
        note += L"\r\nUnInstall removes Zarvo Tessmorel from its own folder \"" + FOwnDir + L"\".";
        return FOwnDir;
    }
    note += L"\r\nUnInstall will not delete any file, shortcut or registry entry.";
    return std::wstring();
}

bool TfrmMain::DeleteFiles(const std::wstring& folder) {
    struct Item {
        TLabel* Label;
        const wchar_t* Name;
    };
    const Item items[] = {{&lblApp, L"Tessmorel.exe"}, {&lblReadme, L"Readme.txt"},  {&lblLicense, L"License.txt"},
                          {&lblHelp, L"Tessmorel.hlp"}, {&lblLanguage, L"LANGUAGE.INI"}, {nullptr, L"Tessmorel.GID"}};
    // A line says a file was removed only when it was.
    for (const Item& item : items) {
        const std::wstring file = JoinPath(folder, item.Name);
        if (!FileExists(file)) continue;
        if (!::DeleteFileW(file.c_str())) return false;
        if (item.Label) item.Label->SetVisible(true);
    }
    return true;
}

bool TfrmMain::DeleteRegistryEntries(std::vector<std::string>& failures) {
    FRegistry->SetRootKey(HKEY_LOCAL_MACHINE);
    auto removeKey = [&](const std::string& key) {
        if (FRegistry->KeyExists(key) && !FRegistry->DeleteKey(key)) {
            failures.push_back("HKEY_LOCAL_MACHINE\\" + key);
            return false;
        }
        return true;
    };
    removeKey(kProductKey);
    const bool entryRemoved = removeKey(kUninstallKey);
    if (FRegistry->OpenKey(kHelpKey, false)) {
        if (FRegistry->ValueExists("Tessmorel.hlp") && !FRegistry->DeleteValue("Tessmorel.hlp"))
            failures.push_back("HKEY_LOCAL_MACHINE\\" + std::string(kHelpKey) + " \"Tessmorel.hlp\"");
        FRegistry->CloseKey();
    }
    // Keys the installer created go too, once nothing else is in them.
    for (const std::string& key : FCreatedKeys) {
        TRegKey k;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, k.Put()) != ERROR_SUCCESS) continue;
        TKeyInfo info;
        const bool empty = ReadKeyInfo(k.Get(), info) && info.NumSubKeys == 0 && info.NumValues == 0;
        k.Close();
        if (empty) removeKey(key);
    }
    return entryRemoved;
}

void TfrmMain::Button1Click(TObject*) {
    lblInfo.SetVisible(false);
    if (!QueryYesNo("Sure to UnInstall Zarvo Tessmorel Now?")) return;
    FUninstalled = false;
    std::wstring note;
    const std::wstring folder = FolderToRemove(note);
    if (folder.empty()) {
        NotifyError(note);
        btnOk.SetEnabled(true);
        return;
    }
    if (!DeleteFiles(folder)) {
        NotifyError("Delete file failed.Close All Tessmorel then try again.");
        btnOk.SetEnabled(true);
        return;
    }
    std::vector<std::string> failures;
    const bool entryRemoved = DeleteRegistryEntries(failures);
    if (!failures.empty()) {
        std::string text = "UnInstall could not remove these registry entries:";
        for (const auto& f : failures) text += "\r\n" + f;
        if (!entryRemoved) text += "\r\nUnInstall.exe and the shortcuts stay, so that you can run it again.";
        NotifyError(text);
    }
    // The uninstaller goes only with its entry in the installed programs.
    FUninstalled = entryRemoved;
    btnOk.SetEnabled(true);
}

bool TfrmMain::RunBatch() {
    // The command interpreter reads the batch in the OEM code page. A folder
    // that code page cannot name exactly gets no line: its best-fit form is
    // another folder, whose files would go instead.
    if (!OemNames(FOwnDir)) {
        NotifyError(L"The command interpreter cannot name the folder \"" + FOwnDir +
                    L"\": UnInstall.exe, the folder and the shortcuts stay. Delete them by hand.");
        return false;
    }
    TBatchFolders folders{FOwnDir, FDesktopDir, FProgramsDir};
    std::wstring kept;
    if (!OemNames(FDesktopDir)) {
        kept += L"\r\n" + JoinPath(FDesktopDir, std::wstring(kDesktopShortcut.Name) + L".lnk");
        folders.DesktopDir.clear();
    }
    if (!OemNames(FProgramsDir)) {
        kept += L"\r\n" + JoinPath(FProgramsDir, kGroupName);
        folders.ProgramsDir.clear();
    }
    std::string text;
    if (!ToOemExactly(BuildUninstallBatch(folders), text) || text.empty()) {
        NotifyError("The folder of the uninstall program is not known: nothing more was removed.");
        return false;
    }
    if (!kept.empty())
        NotifyError(L"The command interpreter cannot name these shortcuts, which stay; delete them by hand:" + kept);
    const std::wstring batch = JoinPath(FOwnDir, kBatchFileName);
    HANDLE file =
        ::CreateFileW(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    if (!ok) {
        ::DeleteFileW(batch.c_str());
        NotifyError(L"The file \"" + batch + L"\" cannot be written: the shortcuts and the uninstall program stay.");
        return false;
    }
    // The batch runs in the temporary folder, not in the folder it removes
    // nor in whatever folder the uninstaller was started from.
    wchar_t previous[MAX_PATH] = {}, temp[MAX_PATH] = {};
    const bool moved = ::GetCurrentDirectoryW(MAX_PATH, previous) && ::GetTempPathW(MAX_PATH, temp) &&
                       ::SetCurrentDirectoryW(temp);
    const HINSTANCE run = Seams().WideShellExecute(Handle, L"open", batch, SW_HIDE);
    if (moved) ::SetCurrentDirectoryW(previous);
    if (reinterpret_cast<INT_PTR>(run) <= 32) {
        NotifyError(L"The file \"" + batch + L"\" cannot be run: the shortcuts and the uninstall program stay.");
        return false;
    }
    return true;
}

void TfrmMain::btnOkClick(TObject*) {
    // After a failed UnInstall the files still need the program: nothing
    // of it is removed, the program only ends.
    if (FUninstalled) RunBatch();
    FRegistry.reset();
    Seams().ExitProcess(0);
}

void TfrmMain::afdasfClick(TObject*) { Close(); }

void TfrmMain::FormClose(TObject*) { FRegistry.reset(); }

void CreateUnInstallForms(HINSTANCE instance) {
    TApplication& app = Application();
    app.Initialize(instance);
    app.Title = "UnInstall";
    app.CreateForm(frmMain, IDD_FRMUNINSTALL);
}
