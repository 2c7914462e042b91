#include <algorithm>
#include <fstream>
#include <sstream>

#include "BrowserFixture.h"
#include "UnitKeyContent.h"
#include "zrvRegistry.h"

using namespace classlib;

class KeyContentTest : public BrowserTest {
protected:
    void SetUp() override {
        StartProgram();
        Editor = frmKeyContent;
        Seams().SaveFileName = [this](OPENFILENAMEW& ofn) {
            if (SaveAs.empty()) return false;
            // As the system's dialog does with this flag: a file that exists
            // is replaced only when the user says so.
            if ((ofn.Flags & OFN_OVERWRITEPROMPT) && ::GetFileAttributesA(SaveAs.c_str()) != INVALID_FILE_ATTRIBUTES &&
                Seams().MessageBox(ofn.hwndOwner, SaveAs + " already exists. Do you want to replace it?", "Save As",
                                   MB_YESNO | MB_ICONWARNING) != IDYES)
                return false;
            return PickFile(ofn, ToWide(SaveAs));
        };
        Seams().OpenFileName = [this](OPENFILENAMEW& ofn) { return PickFile(ofn, ToWide(OpenAs)); };
    }
    void SetText(const std::string& text) {
        Editor->rchedtContent.SetText(text);
        Editor->FormShow(nullptr);
    }
    std::string Text() const { return Editor->rchedtContent.Text(); }
    TTreeNode Select(const std::string& path) {
        TTreeNode node = frmMain->FindKeyNode(HKEY_CURRENT_USER, path);
        EXPECT_TRUE(node);
        node.MakeVisible();
        frmMain->trvwKeys.SetSelected(node);
        return node;
    }
    std::string Section() const { return "[HKEY_CURRENT_USER\\" + Scratch.Path + "]"; }

    TfrmKeyContent* Editor = nullptr;
    std::string SaveAs, OpenAs;
    ScratchKey Scratch;
};

TEST_F(KeyContentTest, KeyContentShowsTheKeysTextWithoutTheLeadingEmptyLine) {
    Scratch.SetString("s", "a\\b\"c");
    const DWORD d = 0x1234;
    Scratch.SetValue("d", REG_DWORD, &d, 4);
    Scratch.AddKey("sub");
    Select(Scratch.Path);
    std::string shown;
    Seams().ShowModal = [&](TForm& form) {
        EXPECT_EQ(&form, Editor);
        shown = Text();
        EXPECT_FALSE(Editor->rchedtContent.Modified());
        return static_cast<int>(mrOk);
    };
    frmMain->mnitmKeyContent->Click();
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.compare(0, Section().size(), Section()), 0) << shown;
    EXPECT_NE(shown.find("\"s\"=\"a\\\\b\\\"c\""), std::string::npos) << shown;
    EXPECT_NE(shown.find("\"d\"=dword:00001234"), std::string::npos) << shown;
    EXPECT_NE(shown.find("[HKEY_CURRENT_USER\\" + Scratch.Path + "\\sub]"), std::string::npos);
    EXPECT_NE(Editor->sttsbrContent.PanelText(0).find("Lines:"), std::string::npos);
}

TEST_F(KeyContentTest, HeaderLines) {
    EXPECT_TRUE(TfrmKeyContent::IsHeaderLine("  REGEDIT4 "));
    EXPECT_TRUE(TfrmKeyContent::IsHeaderLine("REGEDIT2"));
    EXPECT_TRUE(TfrmKeyContent::IsHeaderLine("Windows Registry Editor Version 5.00"));
    EXPECT_FALSE(TfrmKeyContent::IsHeaderLine("regedit4"));
    EXPECT_FALSE(TfrmKeyContent::IsHeaderLine(""));

    const std::string header = frmMain->FRegFileHeader;
    SetText("REGEDIT2\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n");
    Boxes.Answers = {IDYES};
    Editor->mnitmRegistryVersionInfo->Click();
    EXPECT_EQ(Text(), header + "\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n");

    SetText("REGEDIT2\r\n");
    Boxes.Answers = {IDNO};
    Editor->mnitmRegistryVersionInfo->Click();
    EXPECT_EQ(Text(), header + "\r\n\r\nREGEDIT2\r\n");

    // Read-only: nothing changes.
    SetText("x\r\n");
    Editor->mnitmReadonly->Click();
    EXPECT_EQ(Editor->mnitmReadonly->Caption(), "Cancel &Readonly");
    Editor->mnitmRegistryVersionInfo->Click();
    Editor->mnitmClear->Click();
    EXPECT_EQ(Text(), "x\r\n");
    Editor->mnitmReadonly->Click();
    EXPECT_EQ(Editor->mnitmReadonly->Caption(), "Set to &Readonly");
}

TEST_F(KeyContentTest, ClosingNeverLosesEdits) {
    SetText("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n");
    Editor->rchedtContent.SetModified(true);
    bool canClose = true;
    Boxes.Answers = {IDCANCEL};
    Editor->FormCloseQuery(nullptr, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_EQ(Boxes.Boxes.back().Caption, "Notify");
    EXPECT_EQ(Boxes.Boxes.back().Text, "Content had been changed,will you save it?");

    // Yes, then the save dialog is cancelled: the window stays open.
    Boxes.Answers = {IDYES};
    canClose = true;
    Editor->FormCloseQuery(nullptr, canClose);
    EXPECT_FALSE(canClose);
    EXPECT_TRUE(Editor->rchedtContent.Modified());

    // Yes and a file: written, then closed.
    SaveAs = TempFile("close.reg");
    FilesToRemove.push_back(SaveAs);
    Boxes.Answers = {IDYES};
    canClose = false;
    Editor->FormCloseQuery(nullptr, canClose);
    EXPECT_TRUE(canClose);
    EXPECT_EQ(ReadFile(SaveAs), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n");
}

TEST_F(KeyContentTest, AFailedSaveKeepsTheOldFile) {
    SaveAs = TempFile("readonly.reg");
    FilesToRemove.push_back(SaveAs);
    WriteFile(SaveAs, "old contents");
    ::SetFileAttributesA(SaveAs.c_str(), FILE_ATTRIBUTE_READONLY);
    SetText("REGEDIT4\r\nnew\r\n");
    Editor->rchedtContent.SetModified(true);
    EXPECT_FALSE(Editor->SaveToFile());
    ::SetFileAttributesA(SaveAs.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(SaveAs), "old contents");
    ASSERT_FALSE(Boxes.Boxes.empty());
    EXPECT_NE(Boxes.Boxes.back().Text.find(SaveAs), std::string::npos);
    EXPECT_TRUE(Editor->rchedtContent.Modified());
}

TEST_F(KeyContentTest, ImportFromTheEditor) {
    SetText("REGEDIT2\r\n\r\n[HKEY_CURRENT_USER\\" + Scratch.Path + "\\imported]\r\n\"v\"=\"1\"\r\n");
    Boxes.Answers = {IDYES};
    Editor->mnitmImportIntoRegistry->Click();
    EXPECT_EQ(Boxes.Boxes.back().Text, "Registry file version unknow,could not import it into Registry!");

    SetText("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + Scratch.Path + "\\imported]\r\n\"v\"=\"1\"\r\n");
    Boxes.Answers = {IDYES};
    Editor->mnitmImportIntoRegistry->Click();
    EXPECT_EQ(Boxes.Boxes.back().Text, "Import success!");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path + "\\imported", false));
    EXPECT_EQ(reg.ReadString("v"), "1");

    SetText("");
    Editor->mnitmFileClick(nullptr);
    EXPECT_FALSE(Editor->mnitmImportIntoRegistry->Enabled());
}

TEST_F(KeyContentTest, FindAndReplaceAll) {
    SetText("one aXa two aXa three aXa\r\n");
    Editor->fnddlgContent.FindText = L"axa";
    Editor->fnddlgContentFind(nullptr);
    EXPECT_EQ(Editor->rchedtContent.Selection().cpMin, 4);
    Editor->fnddlgContentFind(nullptr);  // the selected hit again
    EXPECT_EQ(Editor->rchedtContent.Selection().cpMin, 4);
    Editor->mnitmFindNext->Click();      // F3 moves on
    EXPECT_EQ(Editor->rchedtContent.Selection().cpMin, 12);

    // From the caret on; the replacement holds the find text and still ends.
    Editor->rplcdlgContent.FindText = L"aXa";
    Editor->rplcdlgContent.ReplaceText = L"[aXa]";
    Editor->rplcdlgContent.MatchCase = true;
    Editor->rchedtContent.SetSelection(5, 5);
    Editor->rplcdlgContentReplaceAll(nullptr);
    EXPECT_EQ(Text(), "one aXa two [aXa] three [aXa]\r\n");
    EXPECT_EQ(Boxes.Boxes.back().Text, "Replace finished!");

    // A read-only text is left alone and the loop ends.
    Editor->rchedtContent.SetReadOnly(true);
    Editor->rchedtContent.SetSelection(0, 0);
    Editor->rplcdlgContentReplaceAll(nullptr);
    EXPECT_EQ(Text(), "one aXa two [aXa] three [aXa]\r\n");
    Editor->rchedtContent.SetReadOnly(false);
}

TEST_F(KeyContentTest, ReplaceAllReplacesWhatTheEditsOwnSearchFinds) {
    struct Case {
        std::string Text, Find, With;
        bool MatchCase, WholeWord;
        LONG Start;
    };
    const Case cases[] = {
        {"aXa\r\naxa AXA\r\n\r\nxaXax aXa", "axa", "[aXa]", false, false, 0},
        {"aXa\r\naxa AXA\r\n\r\nxaXax aXa", "aXa", "-", true, false, 3},
        {"word words sword word\r\nword_ word", "word", "W", false, true, 0},
        {"aaaaa", "aa", "a", true, false, 1},
        {"no hit here", "zz", "y", false, false, 0},
    };
    TRichEdit& edit = Editor->rchedtContent;
    // The same after a line too long for the rich edit, which puts a plain
    // edit in its place: its search, positions and lines are the rich edit's.
    const std::string longLine = "\"b\"=hex:" + std::string(TRichEdit::LongLine, 'f') + "\r\n";
    for (const std::string& before : {std::string(), longLine})
    for (const Case& c : cases) {
        const std::string text = before + c.Text;
        const LONG start = c.Start + static_cast<LONG>(before.empty() ? 0 : before.size() - 1);
        // What the edit's own search and replacement give, hit after hit.
        SetText(text);
        EXPECT_EQ(edit.Plain(), !before.empty());
        // Lines and the caret as the status bar shows them.
        const int lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + (text.back() != '\n' ? 1 : 0);
        EXPECT_EQ(edit.LineCount(), lines) << text;
        EXPECT_EQ(edit.TextLength(), static_cast<int>(text.size() - std::count(text.begin(), text.end(), '\n'))) << text;
        if (lines > 1 && edit.Line(1).size() >= 2) {
            edit.SetSelection(edit.LineIndex(1) + 2, edit.LineIndex(1) + 2);
            EXPECT_EQ(edit.CaretPos().y, 1) << text;
            EXPECT_EQ(edit.CaretPos().x, 2) << text;
        }
        edit.SetSelection(start, start);
        for (CHARRANGE hit; (hit = edit.Find(c.Find, edit.Selection().cpMin, -1, c.MatchCase, c.WholeWord)).cpMin >= 0;) {
            edit.SetSelection(hit.cpMin, hit.cpMax);
            EXPECT_EQ(::lstrcmpiA(edit.SelText().c_str(), c.Find.c_str()), 0) << text;
            edit.ReplaceSel(c.With);
        }
        const std::string expected = Text();
        const CHARRANGE caret = edit.Selection();
        SetText(text);
        edit.SetSelection(start, start);
        Editor->rplcdlgContent.FindText = ToWide(c.Find);
        Editor->rplcdlgContent.ReplaceText = ToWide(c.With);
        Editor->rplcdlgContent.MatchCase = c.MatchCase;
        Editor->rplcdlgContent.WholeWord = c.WholeWord;
        Editor->rplcdlgContentReplaceAll(nullptr);
        EXPECT_EQ(Text(), expected) << text;
        EXPECT_EQ(edit.Selection().cpMin, caret.cpMin) << text;
        EXPECT_EQ(edit.Modified(), expected != text) << text;
        EXPECT_EQ(Boxes.Boxes.back().Text, "Replace finished!");
    }

    // Esc stops it; what was replaced by then stays.
    SetText("aXa aXa");
    Editor->rplcdlgContent.FindText = L"aXa";
    ::PostMessageA(edit.Handle, WM_KEYDOWN, VK_ESCAPE, 1);
    Editor->rplcdlgContentReplaceAll(nullptr);
    EXPECT_EQ(Text(), "aXa aXa");
    EXPECT_EQ(Boxes.Boxes.back().Text, "Replace be broken!");
}

TEST_F(KeyContentTest, PrintingWithoutAPrinterIsReported) {
    Select(Scratch.Path);
    ResetSeams();  // the real printing: no printer is installed here
    MessageBoxRecorder boxes;
    frmMain->mnitmPrintKeyContent->Click();
    ASSERT_EQ(boxes.Boxes.size(), 1u);
    EXPECT_EQ(boxes.Boxes[0].Flags, 0x1010u);

    std::vector<std::wstring> titles;
    Seams().Print = [&](const TPrintJob& job, std::string&) {
        titles.push_back(job.Title);
        return true;
    };
    frmMain->mnitmPrintKeyContent->Click();
    EXPECT_EQ(titles, std::vector<std::wstring>{ToWide(Scratch.Path) + L" Content"});
}

TEST_F(KeyContentTest, ExportAndImportCommands) {
    Scratch.SetString("name", "value");
    Select(Scratch.Path);
    SaveAs = TempFile("export.reg");
    FilesToRemove.push_back(SaveAs);
    frmMain->mnitmExportRegistryKey->Click();
    const std::string exported = ReadFile(SaveAs);
    EXPECT_EQ(exported.compare(0, frmMain->FRegFileHeader.size(), frmMain->FRegFileHeader), 0);
    EXPECT_NE(exported.find(Section() + "\r\n\"name\"=\"value\""), std::string::npos) << exported;
    EXPECT_TRUE(Boxes.Boxes.empty());

    // What the file cannot hold is written around and reported, by the
    // export and by the key content alike.
    ::RegSetValueExW(Scratch.Key, L"\u0436", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    HKEY sub = nullptr;
    ::RegCreateKeyExW(Scratch.Key, L"\u044F", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr);
    ::RegCloseKey(sub);
    ::DeleteFileA(SaveAs.c_str());  // no question about replacing it
    frmMain->mnitmExportRegistryKey->Click();
    ASSERT_EQ(Boxes.Boxes.size(), 1u);
    const std::string report = Boxes.Boxes.back().Text;
    EXPECT_EQ(report.rfind(frmMain->msgExportLeftOut + "\nkey: 1, value: 1\n", 0), 0u) << report;
    EXPECT_NE(report.find(Section().substr(0, Section().size() - 1) + "\\?]"), std::string::npos) << report;
    EXPECT_NE(ReadFile(SaveAs).find(Section() + "\r\n\"name\"=\"value\""), std::string::npos);
    frmMain->pppmnitmKeyprntKeyContentClick(nullptr);
    EXPECT_EQ(Boxes.Boxes.at(1).Text, report);
    Boxes.Boxes.clear();

    // Import asks first; No imports nothing.
    ::RegDeleteValueA(Scratch.Key, "name");
    OpenAs = SaveAs;
    Boxes.Answers = {IDNO};
    frmMain->mnitmImport->Click();
    EXPECT_EQ(Boxes.Boxes.back().Text, "Sure to import file into your Registry:[" + SaveAs + "]");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(Scratch.Path, false));
    EXPECT_FALSE(reg.ValueExists("name"));
    Boxes.Answers = {IDYES};
    frmMain->mnitmImport->Click();
    EXPECT_EQ(Boxes.Boxes.back().Text, "Import success!");
    EXPECT_EQ(reg.ReadString("name"), "value");

    OpenAs = TempFile("missing.reg");
    Boxes.Answers = {IDYES};
    frmMain->mnitmImport->Click();
    EXPECT_EQ(Boxes.Boxes.back().Text, "File not exists!");

    // Cancelled dialogs change nothing.
    const size_t boxes = Boxes.Boxes.size();
    OpenAs.clear();
    SaveAs.clear();
    frmMain->mnitmImport->Click();
    frmMain->mnitmExportRegistryKey->Click();
    EXPECT_EQ(Boxes.Boxes.size(), boxes);
}

TEST_F(KeyContentTest, ALargeKeyIsShownWhole) {
    std::vector<BYTE> blob(65536, 0xAB);
    for (int i = 0; i < 2; ++i) Scratch.SetValue("blob" + std::to_string(i), REG_BINARY, blob.data(), 65536);
    Select(Scratch.Path);
    int length = 0;
    Seams().ShowModal = [&](TForm&) {
        length = Editor->rchedtContent.TextLength();
        return static_cast<int>(mrOk);
    };
    frmMain->pppmnitmKeyContent->Click();
    EXPECT_GT(length, 2 * 65536 * 3);
}

TEST_F(KeyContentTest, ExportAndSaveAsAskBeforeReplacingAFile) {
    Scratch.SetString("name", "value");
    Select(Scratch.Path);
    SaveAs = TempFile("existing.reg");
    FilesToRemove.push_back(SaveAs);
    WriteFile(SaveAs, "keep me");
    Boxes.Answers = {IDNO, IDNO, IDNO};
    frmMain->mnitmExportRegistryKey->Click();
    frmMain->mnitmExportAllKey->Click();
    EXPECT_FALSE(Editor->svdlgContent.Execute());
    EXPECT_EQ(Boxes.Boxes.size(), 3u);
    EXPECT_EQ(ReadFile(SaveAs), "keep me");
    Boxes.Answers = {IDYES};
    frmMain->mnitmExportRegistryKey->Click();
    EXPECT_NE(ReadFile(SaveAs).find("\"name\"=\"value\""), std::string::npos);
}
