// The binary editor's copy buffer, find, print and file commands, on both hex
// columns.
#include "EditorFixture.h"
#include "UnitBinFind.h"
#include "zrvString.h"

using namespace classlib;

class BinCommandsTest : public BinEditorFixture {
protected:
    void Fill(const std::string& hex) { frmBin->SetHexColumnText(hex); }
    // A key as the modal loop hands it over: shortcuts first.
    void Key(HWND column, WORD key, bool ctrl = false) {
        ::SetFocus(column);
        HoldKeys(ctrl, false);
        MSG msg{column, WM_KEYDOWN, key, 1, 0, {}};
        if (!frmBin->HandleDialogMessage(msg)) ::SendMessageA(column, WM_KEYDOWN, key, 1);
        HoldKeys(false, false);
    }
    // Answers the find dialog with a hex pattern.
    void AnswerFind(const std::string& hex) {
        ScriptDialogs([hex](TForm&) {
            frmBinFind->edtHex.SetText(hex);
            return mrOk;
        });
    }
    void ShowEditor() {
        ::ShowWindow(frmBin->Handle, SW_SHOWNA);
        frmBin->FormShow(frmBin);
    }
    std::string LastBox() { return Boxes.Boxes.empty() ? "" : Boxes.Boxes.back().Text; }
};

TEST_P(BinCommandsTest, CopyCutPasteAndDeleteWorkOnWholeBytesAndKeepTheBufferPrivate) {
    ShowEditor();
    Fill("AA BB CC");
    const DWORD clipboard = ::GetClipboardSequenceNumber();
    frmBin->SelectHex(4, 6);  // unsnapped: snapped before copying
    frmBin->pppmnHexValueCopy->Click();
    frmBin->SelectHex(8, 8);
    frmBin->pppmnHexValuePaste->Click();
    EXPECT_EQ(frmBin->HexColumnText(), "AA BB CC BB");

    frmBin->SelectHex(0, 2);
    frmBin->pppmnHexValueCut->Click();
    frmBin->SelectHex(2, 5);
    frmBin->pppmnHexValueDelete->Click();
    EXPECT_EQ(frmBin->HexColumnText(), "BB BB");
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
    EXPECT_EQ(frmBin->CharSelection(), (TTextRange{5, 2}));
    Key(Chars(), VK_F3);
    Key(Hex(), VK_F3);
    EXPECT_EQ(frmBin->CharSelection(), (TTextRange{3990, 2}));  // the third hit, from either column
    EXPECT_EQ(frmBin->TopLine(), 3990 / 16 - 15);  // scrolled into view
    Key(Hex(), VK_F3);
    EXPECT_EQ(LastBox(), "Find finished!");

    // Not found from the caret after the last hit; then, with no hit before, F3
    // opens the dialog, and a lower-case pattern finds upper-case digits.
    AnswerFind("34 56");
    frmBin->SelectHex(3993 * 3 - 1, 3993 * 3 - 1);
    Key(Chars(), 'F', true);
    EXPECT_EQ(LastBox(), "Not found!");
    AnswerFind("ab");
    Fill("00 AB");
    Key(Chars(), VK_F3);
    EXPECT_EQ(frmBin->HexSelection(), (TTextRange{2, 3}));
}

TEST_P(BinCommandsTest, LoadAndSaveCarryEveryByteAndAskAtSixtyFourKilobytes) {
    ShowEditor();
    const std::string file = TempFile("bin.bin"), saved = TempFile("saved.bin");
    FilesToRemove = {file, saved};
    std::string chosen;
    Seams().OpenFileName = Seams().SaveFileName = [&](OPENFILENAMEA& ofn) {
        lstrcpynA(ofn.lpstrFile, chosen.c_str(), static_cast<int>(ofn.nMaxFile));
        return true;
    };
    auto load = [&](const std::string& bytes) {
        WriteFile(file, bytes);
        chosen = file;
        Click(frmBin->btnLoad);
    };
    auto save = [&] {
        chosen = saved;
        Click(frmBin->btnSave);
        return ReadFile(saved);
    };
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    for (const std::string& b : {bytes, std::string()}) {
        load(b);
        EXPECT_EQ(save(), b);
    }

    load(std::string(65535, 'x'));
    EXPECT_TRUE(Boxes.Boxes.empty());
    Boxes.Answers = {IDNO};
    load(std::string(65536, 'y'));  // declined: nothing loaded
    EXPECT_EQ(frmBin->Model().ByteCount(), 65535);

    // A read-only target keeps its bytes; a missing file reports.
    WriteFile(saved, "old");
    ::SetFileAttributesA(saved.c_str(), FILE_ATTRIBUTE_READONLY);
    Fill("01 02");
    Boxes.Boxes.clear();
    EXPECT_EQ(save(), "old");
    ::SetFileAttributesA(saved.c_str(), FILE_ATTRIBUTE_NORMAL);
    chosen = TempFile("missing.bin");
    Click(frmBin->btnLoad);
    EXPECT_EQ(Boxes.Boxes.size(), 2u);  // both reported
    EXPECT_EQ(frmBin->HexColumnText(), "01 02");
}

TEST_P(BinCommandsTest, PrintSendsTheWholeHexTextTitledWithTheName) {
    ShowEditor();
    frmBin->edtName.SetText("blob");
    const std::string hex = BytesToHex(std::vector<std::uint8_t>(3000, 0xAB));
    Fill(hex);
    const auto realPrint = Seams().Print;
    TPrintJob printed;
    Seams().Print = [&](const TPrintJob& job, std::string&) {
        printed = job;
        return true;
    };
    frmBin->pppmnitmHexValuePrint->Click();
    EXPECT_EQ(printed.Title, L"blob   hex content");
    EXPECT_EQ(printed.Text, ToWide(hex));
    // Wine keeps no printer: the real printing ends with an error box.
    Seams().Print = realPrint;
    frmBin->pppmnitmHexValuePrint->Click();
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
}

TEST_P(BinCommandsTest, ARightClickInEitherColumnOpensThePopUpWithItsStates) {
    ShowEditor();
    Fill("AA BB");
    std::vector<std::pair<bool, bool>> opened;  // Cut and Paste enabled, per opening
    const auto update = frmBin->pppmnHexValue.OnPopup;
    frmBin->pppmnHexValue.OnPopup = [&](TObject* sender) {
        update(sender);
        opened.emplace_back(frmBin->pppmnHexValueCut->Enabled(), frmBin->pppmnHexValuePaste->Enabled());
        ::PostMessageA(frmBin->Handle, WM_CANCELMODE, 0, 0);
    };
    auto rightClick = [](HWND column, int start, int length) {
        frmBin->SelectHex(start, length);
        frmBin->MirrorHexToChars();
        ::SendMessageA(column, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
        ::SendMessageA(column, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    };
    rightClick(Hex(), 0, 2);
    frmBin->pppmnHexValueCopy->Click();
    rightClick(Chars(), 5, 5);
    EXPECT_EQ(opened, (std::vector<std::pair<bool, bool>>{{true, false}, {false, true}}));
    EXPECT_EQ(frmBin->HexColumnText(), "AA BB");
    EXPECT_EQ(MenuText(*frmBin->pppmnitmHexValueFind), "&Find\tCtrl+F");
    EXPECT_EQ(MenuText(*frmBin->pppmnitmHexValueFindNext), "Find &Next\tF3");
}

INSTANTIATE_TEST_SUITE_P(HexColumns, BinCommandsTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "RichEdit" : "Memo"; });

TEST_F(EditorTest, BinaryFindDialogKeepsItsTwoEditsInStep) {
    frmBinFind->edtText.SetText("AB");
    EXPECT_EQ(frmBinFind->edtHex.Text(), "41 42");
    frmBinFind->edtHex.SetText("41  42");
    Type(frmBinFind->edtHex.Handle, " c");
    EXPECT_EQ(frmBinFind->edtText.Text(), "AB");
    frmBinFind->edtHex.SetText(" 41 ");
    Click(frmBinFind->btnFind);
    EXPECT_EQ(frmBinFind->edtHex.Text(), "41");
}
