#pragma once
// The uninstaller's one window: it deletes the installed files and the
// registry entries, then hands the rest to a batch file that runs after it.
#include <memory>
#include <string>
#include <vector>

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
    // Wide: files are deleted by their real names, which the code page may
    // not hold.
    std::wstring FInstallDir, FOwnDir, FProgramsDir, FDesktopDir;
    bool FPathFound = false;  // the product key holds a PATH value
    // Shared keys the installer created (kSharedKeys), removed when empty.
    std::vector<std::string> FCreatedKeys;
    // The last UnInstall removed the files and the uninstall entry: Complete
    // may clean up.
    bool FUninstalled = false;

    void Button1Click(classlib::TObject* sender);
    void afdasfClick(classlib::TObject* sender);
    void btnOkClick(classlib::TObject* sender);
    void FormClose(classlib::TObject* sender);
    // Writes the batch file and starts it hidden; false (after a message)
    // when either fails, or when the batch cannot name the uninstaller's
    // folder. A shortcut folder it cannot name gets no line, and the user is
    // told which shortcuts stay.
    bool RunBatch();
    // The folder whose files UnInstall deletes: the recorded install folder,
    // or the uninstaller's own when the recorded one is no existing product
    // folder and its own is; empty when neither is. note then says why and what
    // UnInstall does (empty when all is as recorded).
    std::wstring FolderToRemove(std::wstring& note) const;

protected:
    void BindComponents() override;
    void FormCreate() override;

private:
    bool DeleteFiles(const std::wstring& folder);
    // Adds what could not be removed to failures; false when the
    // uninstall entry stays.
    bool DeleteRegistryEntries(std::vector<std::string>& failures);
};

extern TfrmMain* frmMain;

void CreateUnInstallForms(HINSTANCE instance);
