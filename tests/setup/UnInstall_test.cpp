#include "SetupFixture.h"
#include "SetupRules.h"
#include "UnitUnInstall.h"

using namespace classlib;

namespace {

const wchar_t* const kInstalled[] = {L"Tessmorel.exe", L"Readme.txt", L"License.txt", L"Tessmorel.hlp",
                                     L"LANGUAGE.INI"};
const std::string kEntry = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel";

// The uninstaller's window over an install folder of the test's own, with
// the product's registry entries as the installer writes them.
class UnInstallTest : public SetupTestBase {
protected:
    void SetUp() override {
        SetupTestBase::SetUp();
        InstallDir = Dir + L"\\100% s\u00E9r\\Zarvo\\Tessmorel";  // "é": in the code pages
        ASSERT_TRUE(MakeDirLevels(InstallDir));
        for (const wchar_t* name : kInstalled) WriteFileBytes(InstallDir + L"\\" + name, ToAnsi(name));
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(reg.OpenKey("Software\\Zarvo\\Tessmorel", true));
        reg.WriteString(L"PATH", InstallDir);
        ASSERT_TRUE(reg.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessmorel", true));
        reg.WriteString("DisplayName", "Zarvo Tessmorel");
        CreateUnInstallForms(::GetModuleHandleA(nullptr));
        ASSERT_NE(frmMain, nullptr);
        frmMain->FOwnDir = InstallDir;
        frmMain->FDesktopDir = Dir + L"\\Desktop";
        frmMain->FProgramsDir = L"";
        Seams().WideShellExecute = [this](HWND, const std::wstring& verb, const std::wstring& file, int show) {
            Opened.push_back(verb + L" " + file + L" " + std::to_wstring(show));
            wchar_t cwd[MAX_PATH] = {};
            RunIn.assign(cwd, ::GetCurrentDirectoryW(MAX_PATH, cwd));
            return reinterpret_cast<HINSTANCE>(42);
        };
    }
    void TearDown() override {
        Application().DestroyForms();
        frmMain = nullptr;
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        reg.DeleteKey("Software\\Zarvo");
        reg.DeleteKey(kEntry);
        SetupTestBase::TearDown();
    }
    static bool MachineKeyExists(const std::string& path) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        return reg.KeyExists(path);
    }
    static bool ProductKeyExists() { return MachineKeyExists("Software\\Zarvo\\Tessmorel"); }
    static bool EntryExists() { return MachineKeyExists(kEntry); }
    std::wstring InstallDir, RunIn;
    std::vector<std::wstring> Opened;
};

TEST_F(UnInstallTest, RemovesFilesAndEntriesThenRunsTheBatch) {
    WriteFileBytes(InstallDir + L"\\mine.txt", "the user's own");
    frmMain->FCreatedKeys = {"Software\\Zarvo"};
    Boxes.Answers = {IDYES};
    frmMain->Button1.HandleCommand(BN_CLICKED);
    for (const wchar_t* name : kInstalled) EXPECT_FALSE(FileExists(InstallDir + L"\\" + name)) << name;
    EXPECT_TRUE(FileExists(InstallDir + L"\\mine.txt"));
    EXPECT_FALSE(ProductKeyExists());
    EXPECT_FALSE(MachineKeyExists("Software\\Zarvo"));  // made by the installer, now empty

    frmMain->btnOk.HandleCommand(BN_CLICKED);
    const std::wstring batch = InstallDir + L"\\ZARVO_TESSMOREL~.BAT";
    EXPECT_EQ(Opened, std::vector<std::wstring>{L"open " + batch + L" 0"});
    wchar_t temp[MAX_PATH] = {};  // the batch runs there, not in the folder it removes
    ::GetTempPathW(MAX_PATH, temp);
    EXPECT_EQ(RunIn + L"\\", std::wstring(temp));
    // "%" stands for itself and "é" is in the OEM code page the batch is read in.
    char oem[] = "\xE9";
    ::CharToOemA(oem, oem);
    const std::string line =
        "del \"" + ToAnsi(Dir) + "\\100%% s" + oem + "r\\Zarvo\\Tessmorel\\UnInstall.exe\"\r\n";
    EXPECT_NE(ReadBytesOf(batch).find(line), std::string::npos);
}

// With PATH missing or not a product folder nothing is changed and the
// start says so, unless the uninstaller itself lies in a product folder:
// then that folder is taken, and the user is told.
TEST_F(UnInstallTest, AnUnknownInstallFolderChangesNothing) {
    const std::wstring decoy = Dir + L"\\100% s\u00E9r\\Zarvo";
    WriteFileBytes(decoy + L"\\Tessmorel.exe", "decoy");
    auto restart = [this](const std::wstring* path) {
        TRegistry reg;
        reg.SetRootKey(HKEY_LOCAL_MACHINE);
        EXPECT_TRUE(reg.OpenKey("Software\\Zarvo\\Tessmorel", true));
        if (path) reg.WriteString(L"PATH", *path);
        else reg.DeleteValue("PATH");
        reg.CloseKey();
        Application().DestroyForms();
        Boxes.Boxes.clear();
        CreateUnInstallForms(::GetModuleHandleA(nullptr));
    };
    const std::wstring paths[] = {decoy, L"", L"Zarvo\\Tessmorel", Dir + L"\\Zarvo\\Tessmorel"};
    for (int i = -1; i < 4; ++i) {
        const std::wstring label = i < 0 ? std::wstring(L"(no PATH)") : paths[i];
        restart(i < 0 ? nullptr : &paths[i]);
        ASSERT_EQ(Boxes.Boxes.size(), 1u) << label;
        for (const char* part : {"will not delete any file", i < 0 ? "\"PATH\"" : ""})
            EXPECT_NE(Boxes.Boxes[0].Text.find(part), std::string::npos) << Boxes.Boxes[0].Text;
        Opened.clear();
        Boxes.Answers = {IDYES};
        frmMain->Button1.HandleCommand(BN_CLICKED);
        frmMain->btnOk.HandleCommand(BN_CLICKED);
        EXPECT_TRUE(FileExists(decoy + L"\\Tessmorel.exe")) << label;
        for (const wchar_t* name : kInstalled) EXPECT_TRUE(FileExists(InstallDir + L"\\" + name)) << label << name;
        EXPECT_TRUE(ProductKeyExists()) << label;
        EXPECT_TRUE(EntryExists()) << label;
        EXPECT_TRUE(Opened.empty()) << label;
    }

    restart(nullptr);
    frmMain->FOwnDir = InstallDir;
    std::wstring note;
    EXPECT_EQ(frmMain->FolderToRemove(note), InstallDir);
    EXPECT_NE(note.find(L"its own folder"), std::wstring::npos) << note;
    Boxes.Answers = {IDYES};
    frmMain->Button1.HandleCommand(BN_CLICKED);
    for (const wchar_t* name : kInstalled) EXPECT_FALSE(FileExists(InstallDir + L"\\" + name)) << name;
    EXPECT_FALSE(EntryExists());
}

// A line says a file was removed only when it was: with the second file
// held open, only the program's line shows, and the registry stays.
TEST_F(UnInstallTest, LinesShowOnlyWhatWasRemoved) {
    HANDLE held = ::CreateFileW((InstallDir + L"\\Readme.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    Boxes.Answers = {IDYES};
    frmMain->Button1.HandleCommand(BN_CLICKED);
    ::CloseHandle(held);
    auto shown = [](const TLabel& l) { return (::GetWindowLongPtrA(l.Handle, GWL_STYLE) & WS_VISIBLE) != 0; };
    EXPECT_TRUE(shown(frmMain->lblApp));
    for (const TLabel* l : {&frmMain->lblReadme, &frmMain->lblLicense, &frmMain->lblHelp, &frmMain->lblLanguage})
        EXPECT_FALSE(shown(*l));
    EXPECT_TRUE(ProductKeyExists());
}

// A registry entry that cannot be removed is reported, and the uninstaller
// with its shortcuts stays while its entry in the installed programs does.
TEST_F(UnInstallTest, AnEntryThatCannotBeRemovedKeepsTheUninstaller) {
    SetAccess(HKEY_LOCAL_MACHINE, kEntry, L"D:P(A;;KR;;;WD)");
    Boxes.Answers = {IDYES};
    frmMain->Button1.HandleCommand(BN_CLICKED);
    frmMain->btnOk.HandleCommand(BN_CLICKED);
    Unlock(HKEY_LOCAL_MACHINE, kEntry);
    EXPECT_TRUE(EntryExists());
    ASSERT_FALSE(Boxes.Boxes.empty());
    EXPECT_NE(Boxes.Boxes.back().Text.find("HKEY_LOCAL_MACHINE\\" + kEntry), std::string::npos) << Boxes.Boxes.back().Text;
    EXPECT_TRUE(Opened.empty());
}

// The command interpreter reads the batch in the OEM code page, which holds
// neither "\u0416" nor "\u4E2D": a shortcut folder it cannot name gets no
// line and the user is told which shortcut stays; an uninstaller folder it
// cannot name gets no batch at all, anywhere.
TEST_F(UnInstallTest, TheBatchNamesOnlyFoldersItCanRead) {
    const std::wstring desktop = Dir + L"\\\u0416 Desktop";
    frmMain->FDesktopDir = desktop;
    Boxes.Answers = {IDYES};
    frmMain->Button1.HandleCommand(BN_CLICKED);
    Boxes.Boxes.clear();
    ASSERT_TRUE(frmMain->RunBatch());
    const std::string batch = ReadBytesOf(InstallDir + L"\\ZARVO_TESSMOREL~.BAT");
    EXPECT_NE(batch.find("UnInstall.exe"), std::string::npos);
    EXPECT_EQ(batch.find("Tessmorel.lnk"), std::string::npos) << batch;
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_NE(Boxes.Boxes[0].WideText.find(desktop + L"\\Tessmorel.lnk"), std::wstring::npos);

    const std::wstring own = Dir + L"\\\u4E2D\\Zarvo\\Tessmorel";
    ASSERT_TRUE(MakeDirLevels(own));
    frmMain->FOwnDir = own;
    Opened.clear();
    Boxes.Boxes.clear();
    EXPECT_FALSE(frmMain->RunBatch());
    EXPECT_TRUE(Opened.empty());
    EXPECT_FALSE(FileExists(own + L"\\ZARVO_TESSMOREL~.BAT"));
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_NE(Boxes.Boxes[0].WideText.find(own), std::wstring::npos);
}

}  // namespace
