#include "UnitUnInstall.h"

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

// A string value of the open key; a missing or unreadable one reads as "".
std::string ReadOptional(const TRegistry& reg, const char* name, bool* found = nullptr) {
    if (found) *found = false;
    try {
        if (!reg.ValueExists(name)) return std::string();
        std::string s = reg.ReadString(name);
        if (found) *found = true;
        return s;
    } catch (const std::exception&) {
        return std::string();
    }
}

}  // namespace

void TfrmMain::FormCreate() {
    Image1.LoadBitmap(Application().Instance, IDB_SETUPICON);
    CenterOnScreen();
    FRegistry = std::make_unique<TRegistry>();
    FRegistry->SetRootKey(HKEY_LOCAL_MACHINE);
    if (FRegistry->OpenKey(kProductKey, false)) {
        FInstallDir = ReadOptional(*FRegistry, "PATH", &FPathFound);
        FCreatedKeys = SharedKeysIn(ReadOptional(*FRegistry, kCreatedKeysValue));
        FRegistry->CloseKey();
    }
    FRegistry->SetRootKey(HKEY_CURRENT_USER);
    if (FRegistry->OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) {
        FProgramsDir = ReadOptional(*FRegistry, "Programs");
        FDesktopDir = ReadOptional(*FRegistry, "Desktop");
        FRegistry->CloseKey();
    }
    FOwnDir = ExtractDirPart(GetAppFileName());
    if (!FOwnDir.empty() && FOwnDir.back() == '\\') FOwnDir.pop_back();
    FOwnPath = FOwnDir + "\\";
    // Said at once: what is missing, and what UnInstall will do about it.
    std::string note;
    FolderToRemove(note);
    if (!note.empty()) NotifyError(note);
}

std::string TfrmMain::FolderToRemove(std::string& note) const {
    note.clear();
    // Files are deleted only inside the product's own folder, never in a
    // folder that a damaged or planted PATH value names.
    if (IsProductFolder(FInstallDir) && DirectoryExists(FInstallDir)) return FInstallDir;
    const std::string where = "the value \"PATH\" of HKEY_LOCAL_MACHINE\\" + std::string(kProductKey);
    if (!FPathFound)
        note = "The install folder of Zarvo Tessmorel is not known: " + where + " is missing.";
    else if (IsProductFolder(FInstallDir))
        note = "The install folder \"" + FInstallDir + "\" (" + where + ") does not exist.";
    else
        note = "The install folder \"" + FInstallDir + "\" (" + where + ") is not a Zarvo Tessmorel folder.";
    if (IsProductFolder(FOwnDir) && DirectoryExists(FOwnDir)) {
        note += "\r\nUnInstall removes Zarvo Tessmorel from its own folder \"" + FOwnDir + "\".";
        return FOwnDir;
    }
    note += "\r\nUnInstall will not delete any file, shortcut or registry entry.";
    return std::string();
}

bool TfrmMain::DeleteFiles(const std::string& folder) {
    struct Item {
        TLabel* Label;
        const char* Name;
    };
    const Item items[] = {{&lblApp, "Tessmorel.exe"}, {&lblReadme, "Readme.txt"},  {&lblLicense, "License.txt"},
                          {&lblHelp, "Tessmorel.hlp"}, {&lblLanguage, "LANGUAGE.INI"}, {nullptr, "Tessmorel.GID"}};
    // A line says a file was removed only when it was.
    for (const Item& item : items) {
        const std::string file = JoinPath(folder, item.Name);
        if (!FileExists(file)) continue;
        if (!::DeleteFileA(file.c_str())) return false;
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
    std::string note;
    const std::string folder = FolderToRemove(note);
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
    std::string text = BuildUninstallBatch({FOwnDir, FDesktopDir, FProgramsDir});
    const std::string batch = FOwnPath + kBatchFileName;
    if (text.empty()) {
        NotifyError("The folder of the uninstall program is not known: nothing more was removed.");
        return false;
    }
    // The command interpreter reads batch files in the OEM code page.
    ::CharToOemBuffA(text.data(), &text[0], static_cast<DWORD>(text.size()));
    HANDLE file = ::CreateFileA(batch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    const bool ok = file != INVALID_HANDLE_VALUE &&
                    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    if (file != INVALID_HANDLE_VALUE) ::CloseHandle(file);
    if (!ok) {
        ::DeleteFileA(batch.c_str());
        NotifyError("The file \"" + batch + "\" cannot be written: the shortcuts and the uninstall program stay.");
        return false;
    }
    // The batch runs in the temporary folder, not in the folder it removes
    // nor in whatever folder the uninstaller was started from.
    char previous[MAX_PATH] = {}, temp[MAX_PATH] = {};
    const bool moved = ::GetCurrentDirectoryA(MAX_PATH, previous) && ::GetTempPathA(MAX_PATH, temp) &&
                       ::SetCurrentDirectoryA(temp);
    const HINSTANCE run = Seams().ShellExecute(Handle, "open", batch, SW_HIDE);
    if (moved) ::SetCurrentDirectoryA(previous);
    if (reinterpret_cast<INT_PTR>(run) <= 32) {
        NotifyError("The file \"" + batch + "\" cannot be run: the shortcuts and the uninstall program stay.");
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
