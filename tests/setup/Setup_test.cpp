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
    TPayloadTable MakeSetupFile(const std::string& name) {
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

TEST_F(SetupTest, CopyFilePartCopiesExactlyOrFails) {
    const std::string src = Dir + "\\src", dst = Dir + "\\dst";
    const std::string data = Pattern(3 * 65535 + 17, 3);
    WriteFileBytes(src, data);
    EXPECT_TRUE(frmSetup->CopyFilePart(src, dst, 5, 65535, &frmSetup->prgrsbrSetup));
    EXPECT_EQ(ReadFileBytes(dst), data.substr(5, 65535));
    // A source that ends early or is missing is a failure, and leaves no partial file.
    for (const std::string& from : {src, Dir + "\\missing"}) {
        EXPECT_FALSE(frmSetup->CopyFilePart(from, dst, 100, data.size() - 99, nullptr)) << from;
        EXPECT_FALSE(FileExists(dst)) << from;
    }
}

// The payload goes into the temporary file only when the installer's size
// is exactly its image plus its payload.
TEST_F(SetupTest, ExtractionRefusesACutOrPaddedSetup) {
    const std::string setup = Dir + "\\setup.exe";
    const TPayloadTable table = MakeSetupFile(setup);
    SetPayloadTable(table);
    frmSetup->FSourceFile = setup;
    ::DeleteFileA(frmSetup->TempFile().c_str());
    frmSetup->FormShow(nullptr);
    frmSetup->tmrSetup.SetEnabled(false);
    const std::string whole = ReadFileBytes(setup);
    EXPECT_EQ(ReadFileBytes(frmSetup->TempFile()), whole.substr(table.ImageSize));

    for (const std::string& changed : {whole.substr(0, whole.size() - 1), whole + std::string(1, '\0')}) {
        WriteFileBytes(setup, changed);
        ::DeleteFileA(frmSetup->TempFile().c_str());
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
    WriteFileBytes(Dir + "\\file", "x");
    auto choose = [this](const std::string& dir) {
        Boxes.Answers = {IDYES};
        frmLocation->edtDir.SetText(dir);
        frmLocation->BitBtn2.HandleCommand(BN_CLICKED);
    };
    for (const std::string& bad : {std::string("C:foo"), "C:\\" + std::string(240, 'a'), Dir + "\\file"}) {
        choose(bad);
        EXPECT_TRUE(frmLocation->Visible()) << bad;
    }

    // A folder with blanks, "%" and dots is made level by level, canonical.
    choose(Dir + "\\a b\\.\\100%\\");
    EXPECT_EQ(frmSetup->FInstallDir, Dir + "\\a b\\100%\\Zarvo\\Tessmorel");
    EXPECT_TRUE(DirectoryExists(frmSetup->FInstallDir));
    frmProcess->Timer1.SetEnabled(false);
    frmProcess->Hide();
}

// Every shortcut is tried and what cannot be made is reported; the registry
// entries are all written (their values are checked end to end).
TEST_F(SetupTest, ShortcutsAndRegistryReportWhatFailed) {
    frmSetup->FInstallDir = Dir + "\\Program Files\\Zarvo\\Tessmorel";
    frmSetup->FProgramsDir = Dir + "\\Programs\\";
    frmSetup->FDesktopDir = Dir + "\\NoDesktop";  // missing: its shortcut fails
    std::vector<std::string> failures;
    frmSetup->CreateShortcuts(failures);
    EXPECT_EQ(failures.size(), 1u);
    for (const char* name : {"Tessmorel", "Readme", "License", "Help", "UnInstall"})
        EXPECT_TRUE(FileExists(Dir + "\\Programs\\Tessmorel\\" + name + ".lnk")) << name;

    failures.clear();
    frmSetup->FProgramsDir = "Programs";
    frmSetup->FDesktopDir = "";
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

}  // namespace
