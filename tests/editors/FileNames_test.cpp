// Files whose names hold a character the code page lacks, each beside its
// code-page twin (the name the code page's nearest characters spell: "Ωmega"
// and "Omega" in code page 1252): what is saved, exported, loaded and
// imported is the file the user named, and the twin stays as it was.
#include <cstdlib>

#include "EditorFixture.h"
#include "UnitKeyContent.h"
#include "zrvString.h"

using namespace classlib;

namespace {

// The name a code-page ("A") function makes of a wide one: the nearest
// characters the code page has.
std::wstring BestFit(const std::wstring& name) {
    char narrow[MAX_PATH] = {};
    const int n = ::WideCharToMultiByte(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), narrow, MAX_PATH, nullptr,
                                        nullptr);
    return ToWide(std::string(narrow, static_cast<size_t>(n)));
}

}  // namespace

class ExactFileNames : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        for (const wchar_t* letter : {L"\u03A9", L"\u0150", L"\u0141"})
            if (Letter.empty() && !FitsCodePage(letter)) Letter = letter;
        ASSERT_FALSE(Letter.empty()) << "the code page holds every letter tried";
        Seams().SaveFileName = Seams().OpenFileName = [this](OPENFILENAMEW& ofn) { return PickFile(ofn, Chosen); };
    }
    // The file "<letter>mega<rest>" in the folder, and its twin filled with
    // bytes of its own (where the code page spells the twin as a file name).
    std::wstring Named(const std::wstring& rest, const std::string& twinBytes) {
        const std::wstring name = Letter + L"mega" + rest, twin = BestFit(name);
        EXPECT_NE(twin, name);
        if (twin.find_first_of(L"?*") == std::wstring::npos) {
            EXPECT_TRUE(WriteBytesTo(Folder.File(twin), twinBytes));
            Twins.emplace_back(Folder.File(twin), twinBytes);
        }
        return Folder.File(name);
    }
    void ShowBinaryEditor(const std::string& bytes) {
        ::ShowWindow(frmBin->Handle, SW_SHOWNA);
        frmBin->FormShow(frmBin);
        frmBin->SetHexColumnText(BytesToHex(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
    }

    std::wstring Letter, Chosen;
    TempFolder Folder;
    std::vector<std::pair<std::wstring, std::string>> Twins;
};

namespace {

// A 2 x 1 bitmap of 24 bits.
std::string TinyBitmap() {
    std::string bmp = std::string("BM") + std::string("\x3E\0\0\0\0\0\0\0\x36\0\0\0", 12);
    bmp += std::string("\x28\0\0\0\x02\0\0\0\x01\0\0\0\x01\0\x18\0", 16) + std::string(24, '\0');
    bmp += std::string("\xFF\0\0\0\xFF\0\0\0", 8);
    return bmp;
}

std::wstring Section(const ScratchKey& key) { return L"[HKEY_CURRENT_USER\\" + ToWide(key.Path) + L"]"; }

}  // namespace

TEST_F(ExactFileNames, SavesExportsLoadsAndImportsReachTheNamedFileNeverItsTwin) {
    ScratchKey scratch;
    scratch.SetString("value", "data");

    // The binary editor: Save to file, Load from file, Save to Image file.
    ShowBinaryEditor("\x01\x02\x03");
    Chosen = Named(L".bin", "twin of the saved bytes");
    Click(frmBin->btnSave);
    EXPECT_EQ(ReadBytesOf(Chosen), "\x01\x02\x03");
    Chosen = Named(L" load.bin", "twin bytes");
    WriteBytesTo(Chosen, "real bytes");
    Click(frmBin->btnLoad);
    EXPECT_EQ(frmBin->Model().Bytes(), (std::vector<std::uint8_t>{'r', 'e', 'a', 'l', ' ', 'b', 'y', 't', 'e', 's'}));
    ShowBinaryEditor(TinyBitmap());
    frmBin->tbstMainChange(nullptr);  // to the picture page
    ASSERT_NE(frmBin->imgMain.Picture(), nullptr);
    Chosen = Named(L".gif", "twin of the saved picture");
    Click(frmBin->btnImageSave);
    EXPECT_EQ(ReadBytesOf(Chosen).substr(0, 4), "GIF8");

    // Export Current Key.
    TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, scratch.Path);
    ASSERT_TRUE(node);
    node.MakeVisible();
    frmMain->trvwKeys.SetSelected(node);
    Chosen = Named(L".reg", "twin of the export");
    frmMain->mnitmExportRegistryKey->Click();
    EXPECT_NE(ReadBytesOf(Chosen).find(ToAnsi(Section(scratch)) + "\r\n\"value\"=\"data\"\r\n"), std::string::npos);

    // Import, and Edit Reg File: the question names the file, the named file's text counts.
    auto regFile = [&](const std::string& value) {
        return ToAnsi(L"REGEDIT4\r\n\r\n" + Section(scratch) + L"\r\n\"value\"=\"") + value + "\"\r\n";
    };
    Chosen = Named(L" import.reg", regFile("twin"));
    WriteBytesTo(Chosen, regFile("real"));
    Boxes.Answers = {IDYES};
    frmMain->mnitmImport->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 2u);
    EXPECT_NE(Boxes.Boxes[0].WideText.find(L"[" + Chosen + L"]"), std::wstring::npos);
    EXPECT_EQ(Boxes.Boxes[1].Text, frmMain->msgImportSuccess);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(scratch.Path, false));
    EXPECT_EQ(reg.ReadString("value"), "real");
    std::string shown;
    ScriptDialogs([&](TForm&) {
        shown = frmKeyContent->rchedtContent.Text();
        return static_cast<int>(mrCancel);
    });
    frmMain->mnitmEditRegFile->Click();
    EXPECT_EQ(shown, regFile("real"));
    Chosen = Folder.File(Letter + L"mega missing.reg");  // reported by its own name
    ::SendMessageA(frmMain->Handle, WM_COMMAND, MAKEWPARAM(ID_MNITMEDITREGFILE, 0), 0);
    ASSERT_EQ(Boxes.Boxes.size(), 3u);
    EXPECT_NE(Boxes.Boxes[2].WideText.find(L"\"" + Chosen + L"\""), std::wstring::npos) << Boxes.Boxes[2].Text;

    // The key content editor's Save to file.
    frmKeyContent->rchedtContent.SetText(regFile("saved"));
    Chosen = Named(L" content.reg", "twin of the key content");
    frmKeyContent->mnitmSaveToFile->Click();
    EXPECT_EQ(ReadBytesOf(Chosen), regFile("saved"));

    // The string editor's Save to file.
    frmStr->SetData(Utf16(L"string data"));
    Chosen = Named(L".txt", "twin of the string");
    Click(frmStr->btnSave);
    const std::string rtf = ReadBytesOf(Chosen);
    EXPECT_EQ(rtf.compare(0, 5, "{\\rtf"), 0) << rtf;
    EXPECT_NE(rtf.find("string data"), std::string::npos) << rtf;

    EXPECT_EQ(Boxes.Boxes.size(), 3u);  // nothing more to report
    for (const auto& [twin, bytes] : Twins) EXPECT_TRUE(ReadBytesOf(twin) == bytes) << ToAnsi(twin) << " was written over";
}

// Needs writes that run out of room: TESSMOREL_SMALL_DISK names a folder where
// they do (CTest's full_disk_string_save runs it under a file-size limit).
TEST_F(EditorTest, AStringSaveThatFailsKeepsTheOldFile) {
    const char* small = std::getenv("TESSMOREL_SMALL_DISK");
    if (!small || !*small) GTEST_SKIP() << "TESSMOREL_SMALL_DISK is not set";
    TempFolder folder(std::string(small) + "\\TessmorelFullString_" + std::to_string(::GetCurrentProcessId()));
    const std::wstring file = folder.File(L"saved.txt");
    ASSERT_TRUE(WriteBytesTo(file, "old content"));
    std::string text;
    for (int i = 0; i < 4000; ++i) text += std::string(98, static_cast<char>('a' + i % 26)) + "\r\n";  // 400 KB
    frmStr->SetData(Utf16(text));
    Seams().SaveFileName = [&](OPENFILENAMEW& ofn) { return PickFile(ofn, file); };
    Click(frmStr->btnSave);
    EXPECT_TRUE(ReadBytesOf(file) == "old content") << "the old file was lost";
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"saved.txt"});
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    EXPECT_NE(Boxes.Boxes[0].Text.find("saved.txt"), std::string::npos) << Boxes.Boxes[0].Text;
}
