#include <shlobj.h>

#include "SetupFixture.h"
#include "SetupRules.h"
#include "UnitSetup.h"

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
    TPayloadTable MakeSetupFile(const std::string& name, std::vector<std::string>& files) {
        TPayloadTable t{};
        const std::string image = Pattern(70000, 1);
        std::string all = image;
        t.ImageSize = static_cast<std::uint32_t>(image.size());
        const size_t sizes[kPayloadFiles] = {200000, 65535, 1780, 3454, 0, 22167};
        files.clear();
        for (int i = 0; i < kPayloadFiles; ++i) {
            files.push_back(Pattern(sizes[i], 10 + i));
            t.Offset[i] = t.Total;
            t.Size[i] = static_cast<std::uint32_t>(sizes[i]);
            t.Total += t.Size[i];
            all += files.back();
        }
        WriteFileBytes(name, all);
        return t;
    }
};

TEST_F(SetupTest, CopyFilePartCopiesExactlyOrFails) {
    const std::string src = Dir + "\\src", dst = Dir + "\\dst";
    const std::string data = Pattern(3 * 65535 + 17, 3);
    WriteFileBytes(src, data);
    EXPECT_TRUE(frmSetup->CopyFilePart(src, dst, 5, 65535, &frmSetup->prgrsbrSetup));
    EXPECT_EQ(ReadFileBytes(dst), data.substr(5, 65535));
    EXPECT_EQ(frmSetup->prgrsbrSetup.Position(), 100);
    EXPECT_TRUE(frmSetup->CopyFilePart(src, dst, 0, 0, nullptr));
    EXPECT_EQ(ReadFileBytes(dst), "");
    EXPECT_TRUE(frmSetup->CopyFilePart(src, dst, 100, data.size() - 100, nullptr));
    EXPECT_EQ(ReadFileBytes(dst), data.substr(100));
    // A source that ends early is a failure, and leaves no partial file.
    EXPECT_FALSE(frmSetup->CopyFilePart(src, dst, 100, data.size() - 99, nullptr));
    EXPECT_FALSE(FileExists(dst));
    EXPECT_FALSE(frmSetup->CopyFilePart(src, dst, data.size() + 1, 1, nullptr));
    EXPECT_FALSE(frmSetup->CopyFilePart(Dir + "\\missing", dst, 0, 1, nullptr));
    EXPECT_FALSE(FileExists(dst));
}

// The payload goes into the temporary file only when the installer's size
// is exactly its image plus its payload.
TEST_F(SetupTest, ExtractionRefusesACutOrPaddedSetup) {
    std::vector<std::string> files;
    const std::string setup = Dir + "\\setup.exe";
    const TPayloadTable table = MakeSetupFile(setup, files);
    SetPayloadTable(table);
    frmSetup->FSourceFile = setup;
    ::DeleteFileA(frmSetup->TempFile().c_str());
    frmSetup->FormShow(nullptr);
    frmSetup->tmrSetup.SetEnabled(false);
    EXPECT_TRUE(ExitCodes.empty());
    EXPECT_TRUE(frmSetup->FReady);
    EXPECT_EQ(frmSetup->Caption(), "Zarvo Tessmorel Setup");
    const std::string temp = ReadFileBytes(frmSetup->TempFile());
    EXPECT_EQ(temp, ReadFileBytes(setup).substr(table.ImageSize));
    EXPECT_EQ(temp.substr(0, files[0].size()), files[0]);

    const std::string whole = ReadFileBytes(setup);
    for (const std::string& changed : {whole.substr(0, whole.size() - 1), whole.substr(0, whole.size() - 100),
                                       whole + std::string(1, '\0')}) {
        WriteFileBytes(setup, changed);
        ::DeleteFileA(frmSetup->TempFile().c_str());
        ExitCodes.clear();
        Boxes.Boxes.clear();
        frmSetup->FormShow(nullptr);
        EXPECT_EQ(ExitCodes, std::vector<int>{0});
        ASSERT_EQ(Boxes.Boxes.size(), 1u);
        EXPECT_EQ(Boxes.Boxes[0].Text, "Copy file failed!");
        EXPECT_FALSE(FileExists(frmSetup->TempFile()));
    }
}

TEST_F(SetupTest, LocationAcceptsOnlyAFullFolder) {
    frmUser->Show();
    frmSetup->FUserName = "Ann";
    frmSetup->FCompany = "";
    frmUser->FormShow(nullptr);
    EXPECT_FALSE(frmUser->btnNext.Enabled());
    frmUser->edtCompany.SetText("Firm");
    EXPECT_TRUE(frmUser->btnNext.Enabled());
    frmUser->Hide();

    frmLocation->Show();
    EXPECT_EQ(frmLocation->edtDir.Text(), frmSetup->FDefaultDir);
    for (const char* bad : {"", "foo", "C:foo", "\\foo"}) {
        Boxes.Boxes.clear();
        frmLocation->edtDir.SetText(bad);
        frmLocation->BitBtn2.HandleCommand(BN_CLICKED);
        ASSERT_EQ(Boxes.Boxes.size(), 1u) << bad;
        EXPECT_NE(Boxes.Boxes[0].Text.find("full destination folder"), std::string::npos) << bad;
        EXPECT_TRUE(frmLocation->Visible()) << bad;
    }
    // A folder too long for the files' names.
    Boxes.Boxes.clear();
    frmLocation->edtDir.SetText("C:\\" + std::string(240, 'a'));
    frmLocation->BitBtn2.HandleCommand(BN_CLICKED);
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "The destination folder name is too long.");

    // A level that is a file cannot be made.
    WriteFileBytes(Dir + "\\file", "x");
    Boxes.Boxes.clear();
    Boxes.Answers = {IDYES};
    frmLocation->edtDir.SetText(Dir + "\\file");
    frmLocation->BitBtn2.HandleCommand(BN_CLICKED);
    ASSERT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_EQ(Boxes.Boxes[0].Text, "Direcotry not exists,will you create it?");
    EXPECT_EQ(Boxes.Boxes[1].Text, "Create dir failed");
    EXPECT_TRUE(frmLocation->Visible());

    // A folder with blanks, "%" and dots is made level by level, canonical.
    Boxes.Boxes.clear();
    Boxes.Answers = {IDYES};
    frmLocation->edtDir.SetText(Dir + "\\a b\\.\\100%\\");
    frmLocation->BitBtn2.HandleCommand(BN_CLICKED);
    EXPECT_EQ(frmSetup->FInstallDir, Dir + "\\a b\\100%\\Zarvo\\Tessmorel");
    EXPECT_TRUE(DirectoryExists(frmSetup->FInstallDir));
    EXPECT_FALSE(frmLocation->Visible());
    EXPECT_TRUE(frmProcess->Visible());
    frmProcess->Timer1.SetEnabled(false);
    frmProcess->Hide();
}

// Registry values are all written (the uninstall command quoted); every
// shortcut is tried, and what cannot be made is reported.
TEST_F(SetupTest, ShortcutsAndRegistryEntries) {
    frmSetup->FInstallDir = Dir + "\\Program Files\\Zarvo\\Tessmorel";
    frmSetup->FUserName = "Ann";
    frmSetup->FCompany = "Firm";
    frmSetup->FProgramsDir = Dir + "\\Programs\\";
    frmSetup->FDesktopDir = Dir + "\\NoDesktop";  // missing: its shortcut fails
    std::vector<std::string> failures;
    frmSetup->CreateShortcuts(failures);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("NoDesktop"), std::string::npos);
    for (const char* name : {"Tessmorel", "Readme", "License", "Help", "UnInstall"})
        EXPECT_TRUE(FileExists(Dir + "\\Programs\\Tessmorel\\" + name + ".lnk")) << name;

    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                             reinterpret_cast<void**>(&link))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    ASSERT_TRUE(SUCCEEDED(file->Load(W(Dir + "\\Programs\\Tessmorel\\Help.lnk").c_str(), STGM_READ)));
    char target[MAX_PATH] = {};
    link->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    EXPECT_STRCASEEQ(target, (frmSetup->FInstallDir + "\\Tessmorel.hlp").c_str());
    file->Release();
    link->Release();

    failures.clear();
    frmSetup->FProgramsDir = "Programs";
    frmSetup->FDesktopDir = "";
    frmSetup->CreateShortcuts(failures);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_NE(failures[0].find("not a full path"), std::string::npos);

    failures.clear();
    frmSetup->WriteRegistry(failures);
    EXPECT_TRUE(failures.empty());
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("Software\\Zarvo\\Tessmorel", false));
    EXPECT_EQ(reg.ReadString("PATH"), frmSetup->FInstallDir);
    EXPECT_EQ(reg.ReadString("UserName"), "Ann");
    EXPECT_EQ(reg.ReadString("Company"), "Firm");
    ASSERT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel", false));
    EXPECT_EQ(reg.ReadString("DisplayName"), "Zarvo Tessmorel");
    EXPECT_EQ(reg.ReadString("UninstallString"), "\"" + frmSetup->FInstallDir + "\\UnInstall.exe\"");
    ASSERT_TRUE(reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\Help", false));
    EXPECT_EQ(reg.ReadString("Tessmorel.hlp"), frmSetup->FInstallDir);
    reg.DeleteValue("Tessmorel.hlp");
    reg.CloseKey();
    reg.DeleteKey("Software\\Zarvo");
    reg.DeleteKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel");
}

// The whole wizard from the welcome page to Finish with a payload.
TEST_F(SetupTest, WizardInstallsAndFinishes) {
    std::vector<std::string> files;
    const std::string setup = Dir + "\\setup.exe";
    SetPayloadTable(MakeSetupFile(setup, files));
    frmSetup->FSourceFile = setup;
    frmSetup->FDefaultDir = Dir + "\\";
    frmSetup->FUserName = "Ann";
    frmSetup->FCompany = "Firm";
    frmSetup->FProgramsDir = Dir + "\\Programs";
    frmSetup->FDesktopDir = Dir + "\\Desktop";
    ::CreateDirectoryA(frmSetup->FDesktopDir.c_str(), nullptr);
    frmSetup->FormShow(nullptr);
    frmSetup->tmrSetup.SetEnabled(false);
    frmSetup->StartWizard();
    EXPECT_TRUE(frmWelcome->Visible());
    EXPECT_FALSE(frmSetup->Visible());

    // Cancel, then Resume: the page stays.
    Seams().ShowModal = [](TForm&) { return 2; };
    frmWelcome->BitBtn3.HandleCommand(BN_CLICKED);
    EXPECT_TRUE(frmWelcome->Visible());
    frmWelcome->BitBtn2.HandleCommand(BN_CLICKED);
    frmLicense->BitBtn2.HandleCommand(BN_CLICKED);
    frmUser->btnNext.HandleCommand(BN_CLICKED);
    Boxes.Answers = {IDYES};
    frmLocation->BitBtn2.HandleCommand(BN_CLICKED);
    ASSERT_TRUE(frmProcess->Visible());

    std::vector<std::string> opened;
    Seams().ShellExecute = [&](HWND, const std::string& verb, const std::string& file, int show) {
        opened.push_back(verb + " " + file + " " + std::to_string(show));
        return reinterpret_cast<HINSTANCE>(42);
    };
    bool completeShown = false;
    Seams().ShowModal = [&](TForm& form) {
        completeShown = &form == frmComplete;
        frmComplete->rgItem.SetItemIndex(1);
        frmComplete->BitBtn2.HandleCommand(BN_CLICKED);
        return form.ModalResult;
    };
    frmProcess->Timer1.SetEnabled(false);
    frmProcess->Timer1Timer(nullptr);
    EXPECT_TRUE(completeShown);
    EXPECT_TRUE(Boxes.Boxes.size() == 1) << (Boxes.Boxes.size() > 1 ? Boxes.Boxes[1].Text : "");
    const std::string dir = Dir + "\\Zarvo\\Tessmorel";
    for (int i = 0; i < kPayloadFiles; ++i)
        EXPECT_EQ(ReadFileBytes(dir + "\\" + kPayloadNames[i]), files[i]) << kPayloadNames[i];
    EXPECT_TRUE(FileExists(Dir + "\\Desktop\\Tessmorel.lnk"));
    EXPECT_EQ(opened, std::vector<std::string>{"open " + dir + "\\Readme.txt 1"});
    EXPECT_TRUE(Application().Terminated());

    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    reg.DeleteKey("Software\\Zarvo");
    reg.DeleteKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel");
    if (reg.OpenKey("SOFTWARE\\Microsoft\\Windows\\Help", false)) reg.DeleteValue("Tessmorel.hlp");
}

}  // namespace
