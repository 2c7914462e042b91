#pragma once
// The installer's forms: the preparing window that holds the state of the
// installation, the backdrop, the four pages, the copy progress, the notice
// while shortcuts and registry entries are made, the last page and the exit
// confirmation.
#include <memory>
#include <string>
#include <vector>

#include "ExtCtrls.h"
#include "Forms.h"
#include "Payload.h"
#include "Registry.h"
#include "StdCtrls.h"

using classlib::TButton;
using classlib::TEdit;
using classlib::TForm;
using classlib::TGroupBox;
using classlib::TStaticImage;
using classlib::TLabel;
using classlib::TMemo;
using classlib::TObject;
using classlib::TProgressBar;
using classlib::TRadioGroup;
using classlib::TSpeedButton;
using classlib::TTimer;

// The payload table of the running installer, read afresh each time.
TPayloadTable CurrentPayloadTable();
// Replaces it (the tests give an installer built in-process a payload).
void SetPayloadTable(const TPayloadTable& table);

class TfrmSetup : public TForm {
public:
    TStaticImage Image1, Image2;
    TLabel Label1;
    TProgressBar prgrsbrSetup;
    TTimer tmrSetup;

    bool FReady = false;
    // Folders and names are wide, as the system and the user give them: a
    // name the code page cannot hold is used by its real name, never by a
    // best-fit twin.
    std::wstring FWinDir, FTempDir;
    int FTickCount = 0;
    std::unique_ptr<classlib::TRegistry> FRegistry;
    std::wstring FDefaultDir, FInstallDir;
    OSVERSIONINFOA FVersionInfo{};
    std::wstring FUserName, FCompany;
    std::wstring FDesktopDir, FProgramsDir;
    std::wstring FSourceFile;  // the installer's own file
    bool FInstalled = false;  // files, shortcuts and registry entries are made

    bool CopyFilePart(const std::wstring& source, const std::wstring& destination, long long offset, long long size,
                      TProgressBar* bar);
    void StartWizard();
    std::wstring TempFile() const { return FTempDir + L"ZARVOTS_TMP~"; }
    // The installation steps after the copy; what fails is added to failures.
    void CreateShortcuts(std::vector<std::wstring>& failures);
    void WriteRegistry(std::vector<std::wstring>& failures);

    void FormShow(TObject* sender);
    void tmrSetupTimer(TObject* sender);
    void FormClose(TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
};

class TfrmExit : public TForm {
public:
    TLabel Label1;
    TButton Button1, Button2;
    void Button2Click(TObject* sender);
    // Shows the confirmation modally above the window that asks; true when
    // the user chose to exit.
    bool Ask(TForm& asker);

protected:
    void BindComponents() override;
};

class TfrmBackGround : public TForm {
public:
    TStaticImage Image1;
    void FormShow(TObject* sender);
    void FormCloseQuery(TObject* sender, bool& canClose);

protected:
    void BindComponents() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
};

// What every page shares: Cancel asks through the exit confirmation.
class TSetupPage : public TForm {
public:
    TButton BitBtn3;  // "&Cancel"
    void BitBtn3Click(TObject* sender);

protected:
    void BindCancel();
    void FormCreate() override;
};

class TfrmWelcome : public TSetupPage {
public:
    TStaticImage Image1;
    TLabel Label1;
    TButton BitBtn2;
    void BitBtn2Click(TObject* sender);

protected:
    void BindComponents() override;
};

class TfrmLicense : public TSetupPage {
public:
    TStaticImage Image1;
    TLabel Label1, Label2;
    TMemo Memo1;
    TButton btnBack, BitBtn2;
    void btnBackClick(TObject* sender);
    void BitBtn2Click(TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;
};

class TfrmUser : public TSetupPage {
public:
    TStaticImage Image1;
    TLabel Label1, Label2, Label3;
    TEdit edtName, edtCompany;
    TButton btnBack, btnNext;
    void FormShow(TObject* sender);
    void edtChange(TObject* sender);
    void btnBackClick(TObject* sender);
    void btnNextClick(TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;
};

class TfrmLocation : public TSetupPage {
public:
    TStaticImage Image1;
    TLabel Label1;
    TGroupBox GroupBox1;
    TEdit edtDir;
    TSpeedButton SpeedButton1;
    TButton btnBak, BitBtn2;
    void FormShow(TObject* sender);
    void SpeedButton1Click(TObject* sender);
    void btnBakClick(TObject* sender);
    void BitBtn2Click(TObject* sender);

protected:
    void BindComponents() override;
};

class TfrmProcess : public TForm {
public:
    TLabel lblSrc, lblDsc;
    TProgressBar pbFile;
    TTimer Timer1;
    void FormShow(TObject* sender);
    void Timer1Timer(TObject* sender);
    bool CopyFiles();

protected:
    void BindComponents() override;
};

class TfrmIcon : public TForm {
public:
    TLabel Label1;

protected:
    void BindComponents() override;
};

class TfrmComplete : public TForm {
public:
    TStaticImage Image1;
    TLabel Label1, Label2;
    TRadioGroup rgItem;
    TButton BitBtn2;
    void BitBtn2Click(TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;
};

extern TfrmSetup* frmSetup;
extern TfrmExit* frmExit;
extern TfrmBackGround* frmBackGround;
extern TfrmWelcome* frmWelcome;
extern TfrmLicense* frmLicense;
extern TfrmUser* frmUser;
extern TfrmLocation* frmLocation;
extern TfrmIcon* frmIcon;
extern TfrmComplete* frmComplete;
extern TfrmProcess* frmProcess;

// Initialises the application and creates the ten forms in start order.
void CreateSetupForms(HINSTANCE instance);
