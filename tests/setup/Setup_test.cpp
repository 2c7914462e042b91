#include "SetupFixture.h"
#include "SetupRules.h"
#include "UnitSetup.h"
#include "UnitUnInstall.h"

using namespace classlib;

namespace {

// Starts the installer's forms in-process (no payload of its own) and takes
// them down again.
class SetupTest : public SetupTestBase {
protected:
    void SetUp() override {
        SetupTestBase::SetUp();
        CreateSetupForms(::GetModuleHandleA(nullptr));
        ASSERT_NE(frmSetup, nullptr);
    }
    void TearDown() override {
        Application().DestroyForms();
        frmSetup = nullptr;
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        SetPayloadTable(TPayloadTable{});
        SetupTestBase::TearDown();
    }
    // An installer file: image bytes, then six files end to end.
    TPayloadTable MakeSetupFile(const std::wstring& name) {
        TPayloadTable t{};
        std::string all = Pattern(70000, 1);
        t.ImageSize = static_cast<std::uint32_t>(all.size());
        const size_t sizes[kPayloadFiles] = {200000, 65535, 1780, 3454, 0, 22167};
        for (int i = 0; i < kPayloadFiles; ++i) {
            t.Offset[i] = t.Total;
            t.Size[i] = static_cast<std::uint32_t>(sizes[i]);
            t.Total += t.Size[i];
            all += Pattern(sizes[i], 10 + i);
        }
        WriteFileBytes(name, all);
        return t;
    }
};

// Next and Back walk the four pages; on each page Cancel and Escape ask
// above that page, centred and on top, Resume keeps it, Exit Setup ends
// the setup, and a second Cancel while asking opens no second question.
TEST_F(SetupTest, PagesMoveAndAskAboveThemselvesBeforeExit) {
    auto pages = [] { return std::vector<TSetupPage*>{frmWelcome, frmLicense, frmUser, frmLocation}; };
    auto go = [&](TButton& button, TForm* to) {
        button.HandleCommand(BN_CLICKED);
        for (TForm* p : pages()) EXPECT_EQ(p->Visible(), p == to) << p->Caption();
    };
    frmSetup->FUserName = L"Ann";
    frmSetup->FCompany = L"Firm";
    frmWelcome->Show();
    go(frmWelcome->BitBtn2, frmLicense);
    go(frmLicense->BitBtn2, frmUser);
    go(frmUser->btnNext, frmLocation);
    go(frmLocation->btnBak, frmUser);
    go(frmUser->btnBack, frmLicense);
    go(frmLicense->btnBack, frmWelcome);
    frmWelcome->Hide();

    for (int i = 0; i < 4; ++i) {
        TSetupPage* page = pages()[i];
        int asked = 0, answers[] = {2, 2, 1};  // Resume, Resume, Exit Setup
        Seams().ShowModal = [&](TForm& form) {
            if (&form != frmExit) return static_cast<int>(mrCancel);
            RECT r{};
            ::GetWindowRect(form.Handle, &r);
            const int dx = (r.left + r.right - ::GetSystemMetrics(SM_CXSCREEN)) / 2;
            const int dy = (r.top + r.bottom - ::GetSystemMetrics(SM_CYSCREEN)) / 2;
            EXPECT_TRUE(dx >= -1 && dx <= 1 && dy >= -1 && dy <= 1) << i;
            EXPECT_EQ(::GetWindow(form.Handle, GW_OWNER), page->Handle) << i;
            EXPECT_TRUE(::GetWindowLongPtrA(form.Handle, GWL_EXSTYLE) & WS_EX_TOPMOST) << i;
            page->BitBtn3.HandleCommand(BN_CLICKED);
            const int answer = asked < 3 ? answers[asked] : 2;
            ++asked;
            if (answer == 1) frmExit->Button2.HandleCommand(BN_CLICKED);
            return answer;
        };
        page->Show();
        page->BitBtn3.HandleCommand(BN_CLICKED);
        MSG escape{page->BitBtn3.Handle, WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
        page->HandleDialogMessage(escape);
        EXPECT_TRUE(page->Visible()) << i;
        EXPECT_NE(frmSetup->FRegistry, nullptr) << i;
        page->BitBtn3.HandleCommand(BN_CLICKED);
        EXPECT_EQ(asked, 3) << i;
        EXPECT_EQ(frmSetup->FRegistry, nullptr) << "Exit Setup leaves the setup running on page " << i;
        Application().DestroyForms();
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        CreateSetupForms(::GetModuleHandleA(nullptr));
    }
}

// The last page has no Cancel: Escape ends it as Finish does, and the
// backdrop closes without asking once everything is installed.
TEST_F(SetupTest, TheLastPageNeverLeavesTheSetupBehind) {
    const std::wstring setup = Dir + L"\\setup.exe";
    SetPayloadTable(MakeSetupFile(setup));
    frmSetup->FSourceFile = setup;
    frmSetup->FormShow(nullptr);
    frmSetup->tmrSetup.SetEnabled(false);
    frmSetup->FInstallDir = Dir + L"\\Zarvo\\Tessmorel";
    ASSERT_TRUE(MakeDirLevels(frmSetup->FInstallDir));
    frmSetup->FProgramsDir = Dir;
    frmSetup->FDesktopDir = Dir;
    int asked = 0, opened = 0;
    Seams().WideShellExecute = [&opened](HWND, const std::wstring&, const std::wstring&, int) {
        ++opened;
        return reinterpret_cast<HINSTANCE>(42);
    };
    Seams().ShowModal = [&asked](TForm& form) {
        if (&form == frmExit) ++asked;
        return static_cast<int>(mrCancel);  // what Escape gives
    };
    frmProcess->Timer1Timer(nullptr);
    EXPECT_TRUE(FileExists(frmSetup->FInstallDir + L"\\LANGUAGE.INI"));
    EXPECT_EQ(frmSetup->FRegistry, nullptr) << "Escape on the last page leaves the setup running";
    EXPECT_EQ(opened, 0);  // "None" is chosen

    Application().DestroyForms();
    CreateSetupForms(::GetModuleHandleA(nullptr));
    frmSetup->FInstalled = true;
    frmBackGround->Close();
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(frmSetup->FRegistry, nullptr);

    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.DeleteKey("Software\\Zarvo");
    reg.DeleteKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel");
    if (reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\Help", false)) reg.DeleteValue("Tessmorel.hlp");
}

// Browse accepts a folder that does not exist yet and makes it, after
// asking; No leaves the destination as it was.
TEST_F(SetupTest, BrowseMakesANewFolderAfterAsking) {
    const std::wstring chosen = Dir + L"\\New Apps\\Sub";
    Seams().BrowseFolder = [&chosen](HWND, std::wstring& folder) {
        folder = chosen;
        return true;
    };
    frmLocation->edtDir.SetText("C:\\");
    Boxes.Answers = {IDNO};
    frmLocation->SpeedButton1.HandleCommand(BN_CLICKED);
    EXPECT_EQ(frmLocation->edtDir.Text(), "C:\\");
    EXPECT_FALSE(DirectoryExists(chosen));
    Boxes.Answers = {IDYES};
    frmLocation->SpeedButton1.HandleCommand(BN_CLICKED);
    EXPECT_EQ(frmLocation->edtDir.WideText(), chosen);
    EXPECT_TRUE(DirectoryExists(chosen));
}

TEST_F(SetupTest, CopyFilePartCopiesExactlyOrFails) {
    const std::wstring src = Dir + L"\\src", dst = Dir + L"\\dst";
    const std::string data = Pattern(3 * 65535 + 17, 3);
    WriteFileBytes(src, data);
    EXPECT_TRUE(frmSetup->CopyFilePart(src, dst, 5, 65535, &frmSetup->prgrsbrSetup));
    EXPECT_EQ(ReadBytesOf(dst), data.substr(5, 65535));
    // A source that ends early or is missing is a failure, and leaves no partial file.
    for (const std::wstring& from : {src, Dir + L"\\missing"}) {
        EXPECT_FALSE(frmSetup->CopyFilePart(from, dst, 100, data.size() - 99, nullptr)) << from;
        EXPECT_FALSE(FileExists(dst)) << from;
    }
}

// The payload goes into the temporary file only when the installer's size
// is exactly its image plus its payload.
TEST_F(SetupTest, ExtractionRefusesACutOrPaddedSetup) {
    const std::wstring setup = Dir + L"\\setup.exe";
    const TPayloadTable table = MakeSetupFile(setup);
    SetPayloadTable(table);
    frmSetup->FSourceFile = setup;
    ::DeleteFileW(frmSetup->TempFile().c_str());
    frmSetup->FormShow(nullptr);
    frmSetup->tmrSetup.SetEnabled(false);
    const std::string whole = ReadBytesOf(setup);
    EXPECT_EQ(ReadBytesOf(frmSetup->TempFile()), whole.substr(table.ImageSize));

    for (const std::string& changed : {whole.substr(0, whole.size() - 1), whole + std::string(1, '\0')}) {
        WriteFileBytes(setup, changed);
        ::DeleteFileW(frmSetup->TempFile().c_str());
        ExitCodes.clear();
        frmSetup->FormShow(nullptr);
        EXPECT_EQ(ExitCodes, std::vector<int>{0});
        EXPECT_FALSE(FileExists(frmSetup->TempFile()));
    }
}

TEST_F(SetupTest, LocationAcceptsOnlyAFullFolder) {
    frmLocation->Show();
    // A relative folder, one too long for the files' names, and a level that
    // is a file (which cannot be made) all keep the page.
    WriteFileBytes(Dir + L"\\file", "x");
    auto choose = [this](const std::wstring& dir) {
        Boxes.Answers = {IDYES};
        frmLocation->edtDir.SetWideText(dir);
        frmLocation->BitBtn2.HandleCommand(BN_CLICKED);
    };
    for (const std::wstring& bad : {std::wstring(L"C:foo"), L"C:\\" + std::wstring(240, L'a'), Dir + L"\\file"}) {
        choose(bad);
        EXPECT_TRUE(frmLocation->Visible()) << bad;
    }

    // A folder with blanks, "%" and dots is made level by level, canonical.
    choose(Dir + L"\\a b\\.\\100%\\");
    EXPECT_EQ(frmSetup->FInstallDir, Dir + L"\\a b\\100%\\Zarvo\\Tessmorel");
    EXPECT_TRUE(DirectoryExists(frmSetup->FInstallDir));
    frmProcess->Timer1.SetEnabled(false);
    frmProcess->Hide();
}

// Every shortcut is tried and what cannot be made is reported; the registry
// entries are all written (their values are checked end to end).
TEST_F(SetupTest, ShortcutsAndRegistryReportWhatFailed) {
    frmSetup->FInstallDir = Dir + L"\\Program Files\\Zarvo\\Tessmorel";
    frmSetup->FProgramsDir = Dir + L"\\Programs\\";
    frmSetup->FDesktopDir = Dir + L"\\NoDesktop";  // missing: its shortcut fails
    std::vector<std::wstring> failures;
    frmSetup->CreateShortcuts(failures);
    EXPECT_EQ(failures.size(), 1u);
    for (const wchar_t* name : {L"Tessmorel", L"Readme", L"License", L"Help", L"UnInstall"})
        EXPECT_TRUE(FileExists(Dir + L"\\Programs\\Tessmorel\\" + name + L".lnk")) << name;

    failures.clear();
    frmSetup->FProgramsDir = L"Programs";
    frmSetup->FDesktopDir = L"";
    frmSetup->CreateShortcuts(failures);
    EXPECT_EQ(failures.size(), 1u);

    failures.clear();
    frmSetup->WriteRegistry(failures);
    EXPECT_TRUE(failures.empty());
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.DeleteKey("Software\\Zarvo");
    reg.DeleteKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel");
    if (reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\Help", false)) reg.DeleteValue("Tessmorel.hlp");
}

// The setup records only the shared keys it made: a "Software\Zarvo" that
// was there before stays after the uninstall, empty or with its values;
// one that the setup made goes again.
TEST_F(SetupTest, SharedKeysThatWereThereStayAfterTheUninstall) {
    const std::wstring dir = Dir + L"\\Zarvo\\Tessmorel";
    ASSERT_TRUE(MakeDirLevels(dir));
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    enum { kAbsent, kEmpty, kWithValue };
    for (int before : {kAbsent, kEmpty, kWithValue}) {
        reg.DeleteKey("Software\\Zarvo");
        if (before != kAbsent) {
            ASSERT_TRUE(reg.OpenKey("Software\\Zarvo", true));
        }
        if (before == kWithValue) reg.WriteString("Other", "kept");
        reg.CloseKey();
        Application().DestroyForms();
        CreateSetupForms(::GetModuleHandleA(nullptr));
        frmSetup->FInstallDir = dir;
        std::vector<std::wstring> failures;
        frmSetup->WriteRegistry(failures);
        EXPECT_EQ(failures.size(), 0u) << before;

        Application().DestroyForms();
        CreateUnInstallForms(::GetModuleHandleA(nullptr));
        Boxes.Answers = {IDYES};
        frmMain->Button1.HandleCommand(BN_CLICKED);
        EXPECT_FALSE(reg.KeyExists("Software\\Zarvo\\Tessmorel")) << before;
        EXPECT_EQ(reg.KeyExists("Software\\Zarvo"), before != kAbsent) << before;
        if (before == kWithValue && reg.OpenKey("Software\\Zarvo", false)) {
            EXPECT_EQ(reg.ReadString("Other"), "kept");
            reg.CloseKey();
        }
    }
    frmMain = nullptr;
    reg.DeleteKey("Software\\Zarvo");
}

}  // namespace
