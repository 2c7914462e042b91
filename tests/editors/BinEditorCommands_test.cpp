// The binary editor's copy buffer, find, print and file commands, on both hex
// columns.
#include <cstdio>

#include "EditorFixture.h"
#include "UnitBinFind.h"
#include "zrvString.h"

using namespace classlib;

class BinCommandsTest : public EditorTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        if (!GetParam()) PretendWindows(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
        StartProgram();
    }
    HWND Hex() { return frmBin->HexColumn().Handle; }
    HWND Chars() { return frmBin->mmValueString.Handle; }
    void Fill(const std::string& hex) { frmBin->SetHexColumnText(hex); }
    // A key as the modal loop hands it over: shortcuts first.
    void Key(HWND column, WORD key, bool ctrl = false) {
        ::SetFocus(column);
        HoldKeys(ctrl, false);
        MSG msg{column, WM_KEYDOWN, key, 1, 0, {}};
        if (!frmBin->HandleDialogMessage(msg)) ::SendMessageA(column, WM_KEYDOWN, key, 1);
        HoldKeys(false, false);
    }
    // Answers the find dialog with a hex pattern (or Cancel for an empty one).
    void AnswerFind(const std::string& hex) {
        ScriptDialogs([hex](TForm&) {
            if (hex.empty()) return mrCancel;
            frmBinFind->edtHex.SetText(hex);
            return mrOk;
        });
    }
    void ShowEditor() {
        ::ShowWindow(frmBin->Handle, SW_SHOWNA);
        frmBin->FormShow(frmBin);
    }
    std::vector<std::string> BoxTexts() {
        std::vector<std::string> t;
        for (const auto& b : Boxes.Boxes) t.push_back(b.Text);
        return t;
    }
};

TEST_P(BinCommandsTest, CopyCutPasteAndDeleteWorkOnWholeBytesAndKeepTheBufferPrivate) {
    ShowEditor();
    Fill("AA BB CC");
    const DWORD clipboard = ::GetClipboardSequenceNumber();
    frmBin->UpdatePopupState();
    EXPECT_FALSE(frmBin->pppmnHexValueCopy->Enabled());
    EXPECT_FALSE(frmBin->pppmnHexValuePaste->Enabled());
    EXPECT_TRUE(frmBin->pppmnitmHexValuePrint->Enabled());

    frmBin->SelectHex(3, 4);  // only the high digit of BB: no whole byte
    frmBin->pppmnHexValueCopy->Click();
    EXPECT_FALSE(frmBin->FCopyData.HasData);
    frmBin->SelectHex(4, 6);  // unsnapped: snapped before copying
    frmBin->pppmnHexValueCopy->Click();
    EXPECT_TRUE(frmBin->FCopyData.HasData);
    EXPECT_EQ(frmBin->FCopyData.HexText, "BB");
    EXPECT_EQ(frmBin->HexSelection(), (TTextRange{2, 3}));
    EXPECT_EQ(frmBin->CharSelection(), (TTextRange{1, 1}));

    frmBin->SelectHex(8, 8);
    frmBin->pppmnHexValuePaste->Click();
    EXPECT_EQ(frmBin->HexColumnText(), "AA BB CC BB");
    EXPECT_EQ(frmBin->CharColumnText(), frmBin->Model().CharText());

    frmBin->SelectHex(0, 2);
    frmBin->pppmnHexValueCut->Click();
    EXPECT_EQ(frmBin->HexColumnText(), "BB CC BB");
    EXPECT_EQ(frmBin->FCopyData.HexText, "AA");
    frmBin->SelectHex(2, 5);
    frmBin->pppmnHexValueDelete->Click();
    EXPECT_EQ(frmBin->HexColumnText(), "BB BB");
    EXPECT_EQ(frmBin->FCopyData.HexText, "AA");
    EXPECT_EQ(::GetClipboardSequenceNumber(), clipboard);

    // The buffer lasts across showings and values.
    Fill("");
    ShowEditor();
    frmBin->pppmnHexValuePaste->Click();
    EXPECT_EQ(frmBin->HexColumnText(), "AA");
}

TEST_P(BinCommandsTest, FindAndFindNextSelectWholeBytesFromEitherColumn) {
    ShowEditor();
    // 4,000 bytes with 12 34 56 at three places, the last far out of view.
    std::vector<std::uint8_t> bytes(4000, 0x11);
    for (int at : {5, 700, 3990}) bytes[at] = 0x12, bytes[at + 1] = 0x34, bytes[at + 2] = 0x56;
    Fill(BytesToHex(bytes));

    AnswerFind("2 3");  // starts and ends inside a byte: selects both bytes
    Key(Hex(), 'F', true);
    EXPECT_TRUE(frmBin->FFindFound);
    EXPECT_EQ(frmBin->HexSelection(), (TTextRange{5 * 3 - 1, 6}));
    EXPECT_EQ(frmBin->CharSelection(), (TTextRange{5, 2}));

    Key(Chars(), VK_F3);
    EXPECT_EQ(frmBin->CharSelection(), (TTextRange{700, 2}));
    Key(Hex(), VK_F3);
    EXPECT_EQ(frmBin->CharSelection(), (TTextRange{3990, 2}));
    EXPECT_EQ(frmBin->TopLine(), 3990 / 16 - 15);  // scrolled into view
    EXPECT_EQ(frmBin->mmValueString.Text(), frmBin->Model().CharLines(frmBin->TopLine(), 16));
    Key(Hex(), VK_F3);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Find finished!"});
    EXPECT_TRUE(frmBin->FFindFound);
    EXPECT_EQ(DialogsShown, 1);

    // A lower-case pattern, from the character column; not found from the caret after the last hit.
    AnswerFind("34 56");
    frmBin->SelectHex(3993 * 3 - 1, 3993 * 3 - 1);
    Key(Chars(), 'F', true);
    EXPECT_EQ(BoxTexts().back(), "Not found!");
    EXPECT_FALSE(frmBin->FFindFound);
    AnswerFind("ab");
    Fill("00 AB");
    Key(Chars(), VK_F3);  // no hit before: F3 opens the dialog
    EXPECT_EQ(DialogsShown, 3);
    EXPECT_EQ(frmBin->HexSelection(), (TTextRange{2, 3}));
    AnswerFind("");
    Key(Hex(), 'F', true);  // Cancel changes nothing
    EXPECT_EQ(frmBin->HexSelection(), (TTextRange{2, 3}));
}

TEST_P(BinCommandsTest, LoadAndSaveCarryEveryByteAndAskAtSixtyFourKilobytes) {
    ShowEditor();
    const std::string all = TempFile("all.bin"), saved = TempFile("saved.bin"), big = TempFile("big.bin"),
                      edge = TempFile("edge.bin"), empty = TempFile("empty.bin");
    FilesToRemove = {all, saved, big, edge, empty};
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    WriteFile(all, bytes);
    WriteFile(edge, std::string(65535, 'x'));
    WriteFile(big, std::string(65536, 'y'));
    WriteFile(empty, "");
    std::string chosen;
    Seams().OpenFileName = Seams().SaveFileName = [&](OPENFILENAMEA& ofn) {
        EXPECT_TRUE(ofn.lpstrFilter == nullptr || *ofn.lpstrFilter == 0);  // unfiltered
        lstrcpynA(ofn.lpstrFile, chosen.c_str(), static_cast<int>(ofn.nMaxFile));
        return true;
    };
    chosen = all;
    Click(frmBin->btnLoad);
    EXPECT_EQ(frmBin->Model().Bytes(), std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    chosen = saved;
    Click(frmBin->btnSave);
    EXPECT_EQ(ReadFile(saved), bytes);

    chosen = edge;
    Click(frmBin->btnLoad);
    EXPECT_EQ(frmBin->Model().ByteCount(), 65535);
    EXPECT_TRUE(Boxes.Boxes.empty());
    Boxes.Answers = {IDNO};
    chosen = big;
    Click(frmBin->btnLoad);  // declined: silent, nothing loaded
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"File size is large,do you continue to load it?"});
    EXPECT_EQ(frmBin->Model().ByteCount(), 65535);
    Boxes.Answers = {IDYES};
    Click(frmBin->btnLoad);
    EXPECT_EQ(frmBin->Model().ByteCount(), 65536);

    chosen = empty;
    Click(frmBin->btnLoad);
    EXPECT_EQ(frmBin->HexColumnText(), "");
    chosen = saved;
    Click(frmBin->btnSave);
    EXPECT_EQ(ReadFile(saved), "");

    // A read-only target keeps its bytes; a missing file reports.
    WriteFile(saved, "old");
    ::SetFileAttributesA(saved.c_str(), FILE_ATTRIBUTE_READONLY);
    Fill("01 02");
    Boxes.Boxes.clear();
    Click(frmBin->btnSave);
    ::SetFileAttributesA(saved.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(saved), "old");
    chosen = TempFile("missing.bin");
    Click(frmBin->btnLoad);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Save to file failed!", "Open file failed!"}));
    EXPECT_EQ(frmBin->HexColumnText(), "01 02");
}

TEST_P(BinCommandsTest, PrintSendsTheWholeHexTextTitledWithTheName) {
    ShowEditor();
    frmBin->edtName.SetText("blob");
    std::vector<std::uint8_t> bytes(3000, 0xAB);
    Fill(BytesToHex(bytes));
    const auto realPrint = Seams().Print;
    TPrintJob printed;
    Seams().Print = [&](const TPrintJob& job, std::string&) {
        printed = job;
        return true;
    };
    frmBin->pppmnitmHexValuePrint->Click();
    EXPECT_EQ(printed.Title, "blob   hex content");
    EXPECT_EQ(printed.Text, BytesToHex(bytes));
    Seams().Print = [](const TPrintJob&, std::string& error) {
        error = "No printer";
        return false;
    };
    frmBin->pppmnitmHexValuePrint->Click();
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"No printer"});
    // Wine keeps no printer: the real printing ends with an error box too.
    Seams().Print = realPrint;
    frmBin->pppmnitmHexValuePrint->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
    // Nothing to print: no job at all.
    Fill("");
    frmBin->pppmnitmHexValuePrint->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 2u);
}

INSTANTIATE_TEST_SUITE_P(HexColumns, BinCommandsTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "RichEdit" : "Memo"; });

TEST_F(EditorTest, BinaryFindDialogKeepsItsTwoEditsInStep) {
    frmBinFind->edtText.SetText("AB");
    EXPECT_EQ(frmBinFind->edtHex.Text(), "41 42");
    frmBinFind->edtHex.SetText("41  42");
    Type(frmBinFind->edtHex.Handle, " c");
    EXPECT_EQ(frmBinFind->edtText.Text(), "AB");
    EXPECT_EQ(frmBinFind->edtHex.Text(), "41 42 C");
    frmBinFind->edtHex.SetText(" 41 ");
    Click(frmBinFind->btnFind);
    EXPECT_EQ(frmBinFind->edtHex.Text(), "41");
}
