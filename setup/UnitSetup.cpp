#include "UnitSetup.h"

#include <shlobj.h>

#include "Seams.h"
#include "SetupResource.h"
#include "SetupRoutines.h"
#include "SetupRules.h"
#include "zrvDialog.h"
#include "zrvDir.h"

using namespace classlib;

TfrmSetup* frmSetup = nullptr;
TfrmExit* frmExit = nullptr;
TfrmBackGround* frmBackGround = nullptr;
TfrmWelcome* frmWelcome = nullptr;
TfrmLicense* frmLicense = nullptr;
TfrmUser* frmUser = nullptr;
TfrmLocation* frmLocation = nullptr;
TfrmIcon* frmIcon = nullptr;
TfrmComplete* frmComplete = nullptr;
TfrmProcess* frmProcess = nullptr;

namespace {

// Filled in by the payload tool after linking; read through volatile so the
// compiler never folds the zeros it was built with.
volatile TPayloadTable gPayloadTable = {ZRV_PAYLOAD_MARKER, 0, {0, 0, 0, 0, 0, 0}, {0, 0, 0, 0, 0, 0}, 0};

const char kSetupTitle[] = "Zarvo Tessmorel Setup";
const char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::wstring WithBackslash(std::wstring s) {
    if (!s.empty() && s.back() != L'\\') s += L'\\';
    return s;
}

// A string value of the open key as stored; a missing or unreadable one
// reads as "".
std::wstring ReadOptional(const TRegistry& reg, const wchar_t* name) {
    try {
        return reg.ValueExists(name) ? reg.ReadWideString(name) : std::wstring();
    } catch (const std::exception&) {
        return std::wstring();
    }
}

const char kProductKey[] = "Software\\Zarvo\\Tessmorel";

}  // namespace

TPayloadTable CurrentPayloadTable() {
    TPayloadTable t{};
    for (int i = 0; i < 16; ++i) t.Marker[i] = gPayloadTable.Marker[i];
    t.ImageSize = gPayloadTable.ImageSize;
    for (int i = 0; i < kPayloadFiles; ++i) {
        t.Offset[i] = gPayloadTable.Offset[i];
        t.Size[i] = gPayloadTable.Size[i];
    }
    t.Total = gPayloadTable.Total;
    return t;
}

void SetPayloadTable(const TPayloadTable& t) {
    gPayloadTable.ImageSize = t.ImageSize;
    for (int i = 0; i < kPayloadFiles; ++i) {
        gPayloadTable.Offset[i] = t.Offset[i];
        gPayloadTable.Size[i] = t.Size[i];
    }
    gPayloadTable.Total = t.Total;
}

namespace {
void ShowPage(TForm& page);
}

// ---- TfrmSetup ---------------------------------------------------------------

void TfrmSetup::BindComponents() {
    Bind(Image1, IDC_IMAGE1, "Image1");
    Bind(Label1, IDC_LABEL1, "Label1");
    Bind(Image2, IDC_IMAGE2, "Image2");
    Bind(prgrsbrSetup, IDC_PROGRESS, "prgrsbrSetup");
    Register(tmrSetup, "tmrSetup");
    tmrSetup.Interval = 500;
    tmrSetup.OnTimer = Handler(this, &TfrmSetup::tmrSetupTimer);
    OnShow = Handler(this, &TfrmSetup::FormShow);
    OnClose = Handler(this, &TfrmSetup::FormClose);
}

void TfrmSetup::FormCreate() {
    Image1.LoadBitmap(Application().Instance, IDB_SETUPICON);
    Image2.LoadBitmap(Application().Instance, IDB_SIDEPICTURE);
    prgrsbrSetup.SetRange(0, 100);
    CenterOnScreen();
    FSourceFile = GetAppFileNameW();

    FVersionInfo = WindowsVersion();
    FRegistry = std::make_unique<TRegistry>();
    FRegistry->SetRootKey(HKEY_LOCAL_MACHINE);
    if (FRegistry->OpenKey("Software\\Microsoft\\Windows\\CurrentVersion", false)) {
        FDefaultDir = ReadOptional(*FRegistry, L"ProgramFilesDir");
        FRegistry->CloseKey();
    }
    if (FDefaultDir.empty()) {
        // No value to go by: the system's program files folder.
        wchar_t path[MAX_PATH] = {};
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, 0, path))) FDefaultDir = path;
    }
    FDefaultDir = WithBackslash(FDefaultDir);
    const char* owner = FVersionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT
                            ? "Software\\Microsoft\\Windows NT\\CurrentVersion"
                            : "Software\\Microsoft\\Windows\\CurrentVersion";
    if (FRegistry->OpenKey(owner, false)) {
        FUserName = ReadOptional(*FRegistry, L"RegisteredOwner");
        FCompany = ReadOptional(*FRegistry, L"RegisteredOrganization");
        FRegistry->CloseKey();
    }
    FRegistry->SetRootKey(HKEY_CURRENT_USER);
    if (FRegistry->OpenKey(kShellFolders, false)) {
        FProgramsDir = ReadOptional(*FRegistry, L"Programs");
        FDesktopDir = ReadOptional(*FRegistry, L"Desktop");
        FRegistry->CloseKey();
    }

    if (HWND other = ::FindWindowA(nullptr, kSetupTitle); other && other != Handle) {
        DWORD_PTR ignored = 0;
        ::SendMessageTimeoutA(other, WM_USER + 100, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
        Seams().MessageBox(nullptr, "Find other Zarvo Tessmorel setup running!", kSetupTitle, MB_OK);
        Seams().ExitProcess(0);
        return;
    }

    FTickCount = 0;
    FReady = false;
    wchar_t windows[MAX_PATH] = {};
    ::GetWindowsDirectoryW(windows, MAX_PATH);
    FWinDir = WithBackslash(windows);
    FTempDir = FWinDir + L"TEMP\\";
    if (!DirectoryExists(FTempDir)) ::CreateDirectoryW(FTempDir.c_str(), nullptr);
    if (!DirectoryExists(FTempDir)) {
        NotifyError("Setup Error!");
        Seams().ExitProcess(0);
    }
}

void TfrmSetup::FormShow(TObject*) {
    FReady = false;
    const TPayloadTable table = CurrentPayloadTable();
    // A setup file cut short or padded carries no payload worth installing.
    const bool whole = PayloadTableValid(table) &&
                       FileSizeOf(FSourceFile) == static_cast<long long>(table.ImageSize) + table.Total;
    if (!whole || !CopyFilePart(FSourceFile, TempFile(), table.ImageSize, table.Total, &prgrsbrSetup)) {
        NotifyError("Copy file failed!");
        Seams().ExitProcess(0);
        return;
    }
    FReady = true;
    tmrSetup.SetEnabled(true);
    SetCaption(kSetupTitle);
}

void TfrmSetup::tmrSetupTimer(TObject*) {
    if (!FReady) return;
    if (FTickCount < 2) {
        ++FTickCount;
        return;
    }
    FReady = false;
    tmrSetup.SetEnabled(false);
    StartWizard();
}

void TfrmSetup::StartWizard() {
    frmWelcome->Image1.Assign(Image2);
    frmUser->Image1.Assign(Image2);
    frmLocation->Image1.Assign(Image2);
    frmComplete->Image1.Assign(Image2);
    frmBackGround->Image1.Assign(Image2);
    Hide();
    frmBackGround->Show();
    ::ShowWindow(frmBackGround->Handle, SW_SHOWMAXIMIZED);
    ShowPage(*frmWelcome);
}

void TfrmSetup::FormClose(TObject*) { FRegistry.reset(); }

INT_PTR TfrmSetup::WindowMessage(UINT msg, WPARAM, LPARAM, bool& handled) {
    // A second setup says it is there; nothing is done about it.
    handled = msg == WM_USER + 100;
    return 0;
}

bool TfrmSetup::CopyFilePart(const std::wstring& source, const std::wstring& destination, long long offset,
                             long long size, TProgressBar* bar) {
    return ::CopyFilePart(source, destination, offset, size, bar);
}

void TfrmSetup::CreateShortcuts(std::vector<std::wstring>& failures) {
    auto make = [&](const TShortcut& shortcut, const std::wstring& folder) {
        try {
            CreateShortcut(shortcut.Name, JoinPath(FInstallDir, shortcut.File), folder);
        } catch (const std::exception& e) {
            failures.push_back(L"Shortcut \"" + JoinPath(folder, std::wstring(shortcut.Name) + L".lnk") + L"\": " +
                               ToWide(e.what()));
        }
    };
    if (!FProgramsDir.empty()) {
        if (!IsAbsolutePath(FProgramsDir)) {
            failures.push_back(L"The Start menu folder \"" + FProgramsDir +
                               L"\" is not a full path; no shortcut made there");
        } else {
            const std::wstring group = JoinPath(FProgramsDir, kGroupName);
            MakeDirLevels(group);
            for (const TShortcut& shortcut : kGroupShortcuts) make(shortcut, group);
        }
    }
    if (!FDesktopDir.empty()) {
        if (!IsAbsolutePath(FDesktopDir))
            failures.push_back(L"The desktop folder \"" + FDesktopDir +
                               L"\" is not a full path; no shortcut made there");
        else
            make(kDesktopShortcut, FDesktopDir);
    }
}

void TfrmSetup::WriteRegistry(std::vector<std::wstring>& failures) {
    struct Entry {
        const char* Key;
        const wchar_t* Name;
        std::wstring Data;
    };
    // Written through the wide functions: the folder and the names are
    // stored as the user gave them.
    const Entry entries[] = {
        {"Software\\Zarvo\\Tessmorel", L"PATH", FInstallDir},
        {"Software\\Zarvo\\Tessmorel", L"UserName", FUserName},
        {"Software\\Zarvo\\Tessmorel", L"Company", FCompany},
        {"SOFTWARE\\Microsoft\\Windows\\Help", L"Tessmorel.hlp", FInstallDir},
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel", L"DisplayName", L"Zarvo Tessmorel"},
        // Quoted: a blank in the folder must not make the system run another
        // program (C:\Program.exe for C:\Program Files\...).
        {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel", L"UninstallString",
         L"\"" + JoinPath(FInstallDir, L"UnInstall.exe") + L"\""},
    };
    if (!FRegistry) return;
    FRegistry->SetRootKey(HKEY_LOCAL_MACHINE);
    // The shared keys this installation makes (or an earlier one made) are
    // recorded, so that the uninstaller can take them away again when empty.
    std::string createdBefore;
    if (FRegistry->OpenKey(kProductKey, false)) {
        createdBefore = ToAnsi(ReadOptional(*FRegistry, ToWide(kCreatedKeysValue).c_str()));
        FRegistry->CloseKey();
    }
    for (const char* key : kSharedKeys)
        if (!FRegistry->KeyExists(key)) createdBefore += std::string(";") + key;
    const std::vector<std::string> created = SharedKeysIn(createdBefore);
    for (const Entry& e : entries) {
        const std::wstring where = L"HKEY_LOCAL_MACHINE\\" + ToWide(e.Key) + L" \"" + e.Name + L"\"";
        if (!FRegistry->OpenKey(e.Key, true)) {
            failures.push_back(L"Registry value " + where + L": the key cannot be opened");
            continue;
        }
        try {
            FRegistry->WriteString(std::wstring(e.Name), e.Data);
        } catch (const std::exception& ex) {
            failures.push_back(L"Registry value " + where + L": " + ToWide(ex.what()));
        }
        FRegistry->CloseKey();
    }
    if (FRegistry->OpenKey(kProductKey, false)) {
        try {
            if (created.empty()) FRegistry->DeleteValue(kCreatedKeysValue);
            else FRegistry->WriteString(kCreatedKeysValue, JoinKeys(created));
        } catch (const std::exception&) {
            // Without the record the shared keys merely stay.
        }
        FRegistry->CloseKey();
    }
}

// ---- TfrmExit ----------------------------------------------------------------

void TfrmExit::BindComponents() {
    Bind(Label1, IDC_LABEL1, "Label1");
    Bind(Button1, IDC_BUTTON1, "Button1").ModalResult = 2;
    Bind(Button2, IDC_BUTTON2, "Button2").ModalResult = 1;
    Button2.OnClick = Handler(this, &TfrmExit::Button2Click);
    DefaultButton = &Button1;
    CancelButton = &Button1;
}

void TfrmExit::Button2Click(TObject*) { frmSetup->Close(); }

bool TfrmExit::Ask(TForm& asker) {
    // One box at a time: a second Cancel or close while it is up is no
    // answer.
    if (IsModal()) return false;
    // Owned by the window that asked: that one is disabled while the box is
    // up, and the box stays above it, even above a page that stays on top.
    ::SetWindowLongPtrA(Handle, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(asker.Handle));
    SetTopMost(true);
    CenterOnScreen();
    return ShowModal() == 1;
}

// ---- TfrmBackGround ----------------------------------------------------------

void TfrmBackGround::BindComponents() {
    Bind(Image1, IDC_IMAGE1, "Image1");
    OnShow = Handler(this, &TfrmBackGround::FormShow);
    OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
}

void TfrmBackGround::FormShow(TObject*) { ShowPage(*frmWelcome); }

void TfrmBackGround::FormCloseQuery(TObject*, bool& canClose) {
    canClose = false;
    // Once everything is installed there is nothing left to abandon.
    // Asked above the page on show, which the box then disables.
    TForm* asker = this;
    for (TForm* page : {static_cast<TForm*>(frmWelcome), static_cast<TForm*>(frmLicense),
                        static_cast<TForm*>(frmUser), static_cast<TForm*>(frmLocation)})
        if (page->Visible()) asker = page;
    if (frmSetup->FInstalled || frmExit->Ask(*asker)) frmSetup->Close();
}

INT_PTR TfrmBackGround::WindowMessage(UINT msg, WPARAM wp, LPARAM, bool& handled) {
    if (msg != WM_ERASEBKGND) {
        handled = false;
        return 0;
    }
    RECT r{};
    ::GetClientRect(Handle, &r);
    TGdiObject teal(::CreateSolidBrush(RGB(0, 128, 128)));
    ::FillRect(reinterpret_cast<HDC>(wp), &r, static_cast<HBRUSH>(teal.Get()));
    handled = true;
    return TRUE;
}

// ---- pages -------------------------------------------------------------------

namespace {

// Shows a page above the backdrop.
void ShowPage(TForm& page) {
    page.Show();
    page.SetTopMost(true);
    ::SetForegroundWindow(page.Handle);
    if (&page == frmLicense) {
        // The agreement from its start, ready for PAGE DOWN.
        frmLicense->Memo1.SetFocus();
        frmLicense->Memo1.SetSelection(0, 0);
        ::SendMessageA(frmLicense->Memo1.Handle, EM_SCROLLCARET, 0, 0);
    }
}

void MoveTo(TForm& from, TForm& to) {
    from.Hide();
    ShowPage(to);
}

}  // namespace

void TSetupPage::BindCancel() {
    Bind(BitBtn3, IDCANCEL, "BitBtn3");
    BitBtn3.OnClick = Handler(this, &TSetupPage::BitBtn3Click);
    CancelButton = &BitBtn3;
}

void TSetupPage::FormCreate() { CenterOnScreen(); }

void TSetupPage::BitBtn3Click(TObject*) {
    if (frmExit->Ask(*this)) frmSetup->Close();
}

void TfrmWelcome::BindComponents() {
    Bind(Image1, IDC_IMAGE1, "Image1");
    Bind(Label1, IDC_LABEL1, "Label1");
    Bind(BitBtn2, IDC_NEXT, "BitBtn2").OnClick = Handler(this, &TfrmWelcome::BitBtn2Click);
    BindCancel();
    DefaultButton = &BitBtn2;
}

void TfrmWelcome::BitBtn2Click(TObject*) { MoveTo(*this, *frmLicense); }

void TfrmLicense::BindComponents() {
    Bind(Image1, IDC_IMAGE1, "Image1");
    Bind(Label1, IDC_LABEL1, "Label1");
    Bind(Memo1, IDC_MEMO1, "Memo1");
    Bind(Label2, IDC_LABEL2, "Label2");
    Bind(btnBack, IDC_BACK, "btnBack").OnClick = Handler(this, &TfrmLicense::btnBackClick);
    Bind(BitBtn2, IDC_NEXT, "BitBtn2").OnClick = Handler(this, &TfrmLicense::BitBtn2Click);
    BindCancel();
    DefaultButton = &BitBtn2;
}

void TfrmLicense::FormCreate() {
    TSetupPage::FormCreate();
    HINSTANCE instance = Application().Instance;
    HRSRC res = ::FindResourceA(instance, MAKEINTRESOURCEA(IDR_LICENSETEXT), MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL data = res ? ::LoadResource(instance, res) : nullptr;
    const char* bytes = data ? static_cast<const char*>(::LockResource(data)) : nullptr;
    if (!bytes) return;
    Memo1.RemoveLimit();
    Memo1.SetText(std::string(bytes, ::SizeofResource(instance, res)));
}

void TfrmLicense::btnBackClick(TObject*) { MoveTo(*this, *frmWelcome); }
void TfrmLicense::BitBtn2Click(TObject*) { MoveTo(*this, *frmUser); }

void TfrmUser::BindComponents() {
    Bind(Image1, IDC_IMAGE1, "Image1");
    Bind(Label1, IDC_LABEL1, "Label1");
    Bind(Label2, IDC_LABEL2, "Label2");
    Bind(edtName, IDC_EDTNAME, "edtName").OnChange = Handler(this, &TfrmUser::edtChange);
    Bind(Label3, IDC_LABEL3, "Label3");
    Bind(edtCompany, IDC_EDTCOMPANY, "edtCompany").OnChange = Handler(this, &TfrmUser::edtChange);
    Bind(btnBack, IDC_BACK, "btnBack").OnClick = Handler(this, &TfrmUser::btnBackClick);
    Bind(btnNext, IDC_NEXT, "btnNext").OnClick = Handler(this, &TfrmUser::btnNextClick);
    BindCancel();
    DefaultButton = &btnNext;
    OnShow = Handler(this, &TfrmUser::FormShow);
}

void TfrmUser::FormCreate() {
    TSetupPage::FormCreate();
    ::SendMessageA(edtName.Handle, EM_LIMITTEXT, 40, 0);
    ::SendMessageA(edtCompany.Handle, EM_LIMITTEXT, 60, 0);
}

// The names are kept wide, so that what is typed is what is stored.
void TfrmUser::FormShow(TObject*) {
    edtName.SetWideText(frmSetup->FUserName);
    edtCompany.SetWideText(frmSetup->FCompany);
    edtChange(nullptr);
}

void TfrmUser::edtChange(TObject*) {
    btnNext.SetEnabled(!edtName.WideText().empty() && !edtCompany.WideText().empty());
}

void TfrmUser::btnBackClick(TObject*) { MoveTo(*this, *frmLicense); }

void TfrmUser::btnNextClick(TObject*) {
    frmSetup->FUserName = edtName.WideText();
    frmSetup->FCompany = edtCompany.WideText();
    MoveTo(*this, *frmLocation);
}

void TfrmLocation::BindComponents() {
    Bind(Image1, IDC_IMAGE1, "Image1");
    Bind(Label1, IDC_LABEL1, "Label1");
    Bind(GroupBox1, IDC_GROUPBOX1, "GroupBox1");
    Bind(edtDir, IDC_EDTDIR, "edtDir");
    Bind(SpeedButton1, IDC_SPEEDBUTTON1, "SpeedButton1").OnClick = Handler(this, &TfrmLocation::SpeedButton1Click);
    Bind(btnBak, IDC_BACK, "btnBak").OnClick = Handler(this, &TfrmLocation::btnBakClick);
    Bind(BitBtn2, IDC_NEXT, "BitBtn2").OnClick = Handler(this, &TfrmLocation::BitBtn2Click);
    BindCancel();
    DefaultButton = &BitBtn2;
    OnShow = Handler(this, &TfrmLocation::FormShow);
}

void TfrmLocation::FormShow(TObject*) { edtDir.SetWideText(frmSetup->FDefaultDir); }

void TfrmLocation::SpeedButton1Click(TObject*) {
    std::wstring folder = edtDir.WideText();
    if (!Seams().BrowseFolder(Handle, folder)) return;
    // A folder name typed in the dialog may not exist yet: it is made now,
    // after asking.
    const std::wstring full = IsAbsolutePath(folder) ? FullPathName(folder) : std::wstring();
    if (full.empty()) {
        NotifyError(L"\"" + folder + L"\" is not a full folder name.");
        return;
    }
    if (!DirectoryExists(full)) {
        if (!QueryYesNo("Direcotry not exists,will you create it?")) return;
        if (!MakeDirLevels(full)) {
            NotifyError("Create dir failed");
            return;
        }
    }
    edtDir.SetWideText(full);
}

void TfrmLocation::btnBakClick(TObject*) { MoveTo(*this, *frmUser); }

void TfrmLocation::BitBtn2Click(TObject*) {
    // Only a full path names one place: "foo" or "C:foo" would depend on
    // the current folder.
    const std::wstring text = edtDir.WideText();
    const std::wstring destination = IsAbsolutePath(text) ? FullPathName(text) : std::wstring();
    const std::wstring dir = destination.empty() ? std::wstring() : InstallDirFor(destination);
    if (dir.empty() || !IsProductFolder(dir)) {
        NotifyError("Please type a full destination folder, such as C:\\Program Files\\.");
        return;
    }
    if (dir.size() + sizeof("\\Tessmorel.hlp") > MAX_PATH) {
        NotifyError("The destination folder name is too long.");
        return;
    }
    frmSetup->FInstallDir = dir;
    if (!DirectoryExists(dir)) {
        if (!QueryYesNo("Direcotry not exists,will you create it?")) return;
        if (!MakeDirLevels(dir)) {
            NotifyError("Create dir failed");
            return;
        }
    }
    MoveTo(*this, *frmProcess);
}

// ---- TfrmProcess, TfrmIcon ---------------------------------------------------

void TfrmProcess::BindComponents() {
    Bind(lblSrc, IDC_LBLSRC, "lblSrc");
    Bind(pbFile, IDC_PROGRESS, "pbFile");
    Bind(lblDsc, IDC_LBLDSC, "lblDsc");
    Register(Timer1, "Timer1");
    Timer1.Interval = 500;
    Timer1.OnTimer = Handler(this, &TfrmProcess::Timer1Timer);
    OnShow = Handler(this, &TfrmProcess::FormShow);
    pbFile.SetRange(0, 100);
    CenterOnScreen();
}

void TfrmProcess::FormShow(TObject*) { Timer1.SetEnabled(true); }

bool TfrmProcess::CopyFiles() {
    const TPayloadTable table = CurrentPayloadTable();
    for (int i = 0; i < kPayloadFiles; ++i) {
        const std::wstring target = JoinPath(frmSetup->FInstallDir, ToWide(kPayloadNames[i]));
        lblSrc.SetCaption(kPayloadNames[i]);
        lblDsc.SetWideCaption(target);
        if (!frmSetup->CopyFilePart(frmSetup->TempFile(), target, table.Offset[i], table.Size[i], &pbFile))
            return false;
    }
    return true;
}

void TfrmProcess::Timer1Timer(TObject*) {
    Timer1.SetEnabled(false);
    if (!CopyFiles()) {
        NotifyError("Copy File failed");
        frmSetup->Close();
        return;
    }
    Hide();
    frmIcon->Show();
    std::vector<std::wstring> failures;
    frmSetup->CreateShortcuts(failures);
    frmSetup->WriteRegistry(failures);
    frmIcon->Hide();
    if (!failures.empty()) {
        std::wstring text = L"Setup could not make everything:";
        for (const auto& f : failures) text += L"\r\n" + f;
        NotifyError(text);
    }
    frmSetup->FInstalled = true;
    // Finish ends the setup. The page has no Cancel: Escape (or a close from
    // the system menu) ends its modal run too, and does what Finish does
    // rather than leave the setup running behind its backdrop.
    if (frmComplete->ShowModal() != 6) frmComplete->BitBtn2Click(nullptr);
}

void TfrmIcon::BindComponents() {
    Bind(Label1, IDC_LABEL1, "Label1");
    CenterOnScreen();
}

// ---- TfrmComplete ------------------------------------------------------------

void TfrmComplete::BindComponents() {
    Bind(Image1, IDC_IMAGE1, "Image1");
    Bind(Label1, IDC_LABEL1, "Label1");
    Bind(rgItem, IDC_RGITEM, "rgItem");
    Bind(Label2, IDC_LABEL2, "Label2");
    Bind(BitBtn2, IDC_NEXT, "BitBtn2").ModalResult = 6;
    BitBtn2.OnClick = Handler(this, &TfrmComplete::BitBtn2Click);
    DefaultButton = &BitBtn2;
}

void TfrmComplete::FormCreate() {
    rgItem.SetItems({"Launch Zarvo Tessmorel", "View readme", "None"});
    rgItem.SetItemIndex(2);
    CenterOnScreen();
}

void TfrmComplete::BitBtn2Click(TObject*) {
    const int item = rgItem.ItemIndex();
    if (item == 0 || item == 1) {
        const std::wstring file = JoinPath(frmSetup->FInstallDir, item == 0 ? L"Tessmorel.exe" : L"Readme.txt");
        Seams().WideShellExecute(Handle, L"open", file, SW_SHOWNORMAL);
    }
    frmSetup->Close();
}

// ---- start -------------------------------------------------------------------

void CreateSetupForms(HINSTANCE instance) {
    TApplication& app = Application();
    app.Initialize(instance);
    app.Title = kSetupTitle;
    app.CreateForm(frmSetup, IDD_FRMSETUP);
    app.CreateForm(frmExit, IDD_FRMEXIT);
    app.CreateForm(frmBackGround, IDD_FRMBACKGROUND);
    app.CreateForm(frmWelcome, IDD_FRMWELCOME);
    app.CreateForm(frmLicense, IDD_FRMLICENSE);
    app.CreateForm(frmUser, IDD_FRMUSER);
    app.CreateForm(frmLocation, IDD_FRMLOCATION);
    app.CreateForm(frmIcon, IDD_FRMICON);
    app.CreateForm(frmComplete, IDD_FRMCOMPLETE);
    app.CreateForm(frmProcess, IDD_FRMPROCESS);
}
