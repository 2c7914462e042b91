#pragma once
// The uninstaller's one window: it deletes the installed files and the
// registry entries, then hands the rest to a batch file that runs after it.
#include <memory>
#include <string>

#include "ExtCtrls.h"
#include "Forms.h"
#include "Registry.h"
#include "StdCtrls.h"

class TfrmMain : public classlib::TForm {
public:
    classlib::TStaticImage Image1;
    classlib::TLabel lblInfo, lblApp, lblLicense, lblReadme, lblHelp, lblLanguage;
    classlib::TButton Button1, afdasf, btnOk;

    std::unique_ptr<classlib::TRegistry> FRegistry;
    std::string FInstallDir, FOwnDir, FOwnPath, FProgramsDir, FDesktopDir;
    // The last UnInstall removed the registry entries: Complete may clean up.
    bool FUninstalled = false;

    void Button1Click(classlib::TObject* sender);
    void afdasfClick(classlib::TObject* sender);
    void btnOkClick(classlib::TObject* sender);
    void FormClose(classlib::TObject* sender);
    // Writes the batch file and starts it hidden; false (after a message)
    // when either fails.
    bool RunBatch();

protected:
    void BindComponents() override;
    void FormCreate() override;

private:
    bool DeleteFiles();
    void DeleteRegistryEntries();
};

extern TfrmMain* frmMain;

void CreateUnInstallForms(HINSTANCE instance);
