#include "SetupFixture.h"
#include "SetupRules.h"
#include "UnitUnInstall.h"

using namespace classlib;

namespace {

const char* const kInstalled[] = {"Tessmorel.exe", "Readme.txt", "License.txt", "Tessmorel.hlp", "LANGUAGE.INI"};

// The uninstaller's window over an install folder of the test's own, with
// the product's registry entries as the installer writes them.
class UnInstallTest : public SetupTestBase {
protected:
    void SetUp() override {
        SetupTestBase::SetUp();
        InstallDir = Dir + "\\100% s\xE9r\\Zarvo\\Tessmorel";  // "é" in the ANSI code page
        ASSERT_TRUE(MakeDirLevels(InstallDir));
        for (const char* name : kInstalled) WriteFileBytes(InstallDir + "\\" + name, name);
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey("Software\\Zarvo\\Tessmorel", true));
        reg.WriteString("PATH", InstallDir);
        ASSERT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel", true));
        reg.WriteString("DisplayName", "Zarvo Tessmorel");
        CreateUnInstallForms(::GetModuleHandleA(nullptr));
        ASSERT_NE(frmMain, nullptr);
        frmMain->FOwnDir = InstallDir;
        frmMain->FOwnPath = InstallDir + "\\";
        frmMain->FDesktopDir = Dir + "\\Desktop";
        frmMain->FProgramsDir = "";
        Seams().ShellExecute = [this](HWND, const std::string& verb, const std::string& file, int show) {
            Opened.push_back(verb + " " + file + " " + std::to_string(show));
            return reinterpret_cast<HINSTANCE>(42);
        };
    }
    void TearDown() override {
        Application().DestroyForms();
        frmMain = nullptr;
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        reg.DeleteKey("Software\\Zarvo");
        reg.DeleteKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel");
        SetupTestBase::TearDown();
    }
    static bool ProductKeyExists() {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        return reg.KeyExists("Software\\Zarvo\\Tessmorel");
    }
    std::string InstallDir;
    std::vector<std::string> Opened;
};

TEST_F(UnInstallTest, RemovesFilesAndEntriesThenRunsTheBatch) {
    WriteFileBytes(InstallDir + "\\mine.txt", "the user's own");
    Boxes.Answers = {IDYES};
    frmMain->Button1.HandleCommand(BN_CLICKED);
    for (const char* name : kInstalled) EXPECT_FALSE(FileExists(InstallDir + "\\" + name)) << name;
    EXPECT_TRUE(FileExists(InstallDir + "\\mine.txt"));
    EXPECT_FALSE(ProductKeyExists());

    frmMain->btnOk.HandleCommand(BN_CLICKED);
    const std::string batch = InstallDir + "\\ZARVO_TESSMOREL~.BAT";
    EXPECT_EQ(Opened, std::vector<std::string>{"open " + batch + " 0"});
    // "%" stands for itself and "é" is in the OEM code page the batch is read in.
    char oem[] = "\xE9";
    ::CharToOemA(oem, oem);
    const std::string line = "del \"" + Dir + "\\100%% s" + oem + "r\\Zarvo\\Tessmorel\\UnInstall.exe\"\r\n";
    EXPECT_NE(ReadFileBytes(batch).find(line), std::string::npos);
}

// Deleting in a folder that is not the product's own never happens.
TEST_F(UnInstallTest, DeletesNoFileOutsideTheProductFolder) {
    const std::string decoy = Dir + "\\100% s\xE9r\\Zarvo";
    WriteFileBytes(decoy + "\\Tessmorel.exe", "decoy");
    for (const std::string& path : {decoy, std::string(), std::string("Zarvo\\Tessmorel"), Dir + "\\Zarvo\\Tessmorel"}) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey("Software\\Zarvo\\Tessmorel", true));
        reg.WriteString("PATH", path);
        reg.CloseKey();
        Application().DestroyForms();
        CreateUnInstallForms(::GetModuleHandleA(nullptr));
        Boxes.Answers = {IDYES};
        frmMain->Button1.HandleCommand(BN_CLICKED);
        EXPECT_TRUE(FileExists(decoy + "\\Tessmorel.exe")) << path;
        for (const char* name : kInstalled) EXPECT_TRUE(FileExists(InstallDir + "\\" + name)) << path << name;
    }
}

}  // namespace
