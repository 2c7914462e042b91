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

void TfrmMain::FormCreate() {
    Image1.LoadBitmap(Application().Instance, IDB_SETUPICON);
    CenterOnScreen();
    FRegistry = std::make_unique<TRegistry>();
    FRegistry->SetRootKey(HKEY_LOCAL_MACHINE);
    if (FRegistry->OpenKey("Software\\Zarvo\\Tessmorel", false)) {
        FInstallDir = FRegistry->ReadString("PATH");
        FRegistry->CloseKey();
    }
    FRegistry->SetRootKey(HKEY_CURRENT_USER);
    if (FRegistry->OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", false)) {
        FProgramsDir = FRegistry->ReadString("Programs");
        FDesktopDir = FRegistry->ReadString("Desktop");
        FRegistry->CloseKey();
    }
    FOwnDir = ExtractDirPart(GetAppFileName());
    if (!FOwnDir.empty() && FOwnDir.back() == '\\') FOwnDir.pop_back();
    FOwnPath = FOwnDir + "\\";
}

bool TfrmMain::DeleteFiles() {
    struct Item {
        TLabel* Label;
        const char* Name;
    };
    const Item items[] = {{&lblApp, "Tessmorel.exe"}, {&lblReadme, "Readme.txt"},  {&lblLicense, "License.txt"},
                          {&lblHelp, "Tessmorel.hlp"}, {&lblLanguage, "LANGUAGE.INI"}, {nullptr, "Tessmorel.GID"}};
    bool ok = true;
    for (const Item& item : items) {
        if (item.Label) item.Label->SetVisible(true);
        const std::string file = JoinPath(FInstallDir, item.Name);
        if (ok && FileExists(file)) ok = ::DeleteFileA(file.c_str()) != FALSE;
    }
    return ok;
}

void TfrmMain::DeleteRegistryEntries() {
    FRegistry->SetRootKey(HKEY_LOCAL_MACHINE);
    FRegistry->DeleteKey("Software\\Zarvo\\Tessmorel");
    FRegistry->DeleteKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel");
    if (FRegistry->OpenKey("SOFTWARE\\Microsoft\\Windows\\Help", false)) {
        FRegistry->DeleteValue("Tessmorel.hlp");
        FRegistry->CloseKey();
    }
}

void TfrmMain::Button1Click(TObject*) {
    lblInfo.SetVisible(false);
    if (!QueryYesNo("Sure to UnInstall Zarvo Tessmorel Now?")) return;
    FUninstalled = false;
    // Files are deleted only inside the product's own folder, never in a
    // folder that a damaged or planted PATH value names.
    if (!IsProductFolder(FInstallDir) || !DirectoryExists(FInstallDir)) {
        NotifyError(FInstallDir.empty()
                        ? std::string("The install folder of Zarvo Tessmorel is not known: no file was deleted.")
                        : "\"" + FInstallDir + "\" is not the install folder of Zarvo Tessmorel: no file was deleted.");
    } else if (!DeleteFiles()) {
        NotifyError("Delete file failed.Close All Tessmorel then try again.");
        btnOk.SetEnabled(true);
        return;
    }
    DeleteRegistryEntries();
    FUninstalled = true;
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
    const HINSTANCE run = Seams().ShellExecute(Handle, "open", batch, SW_HIDE);
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
