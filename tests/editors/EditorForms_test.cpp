// The string and DWORD editors on their own.
#include <sstream>

#include "EditorFixture.h"
#include "UnitKeyContent.h"

using namespace classlib;

namespace {

// Clicks OK the way the dialog manager does.
void ClickOk(TForm& form) { ::SendMessageA(form.Handle, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

}  // namespace

TEST_F(EditorTest, StringEditorKeepsDataAsPlainText) {
    for (const std::wstring data : {L"{\\rtf1 hello}", L"one\ntwo\n", L"one\rtwo", L"tab\there", L"", L"\xE9t\xE9",
                                    L"\x3A9mega \x65E5\x672C \xE9", L"a\r\r\nb", L"\xFEFF\x01\v\xD800\x2028"}) {
        frmStr->SetData(Utf16(data));
        EXPECT_EQ(frmStr->Data(), Utf16(data));
        if (data.find_first_of(L"\r\n") == std::wstring::npos) {
            EXPECT_EQ(frmStr->mmValue.WideText(), data);  // not taken for rich text, not cut, every character itself
        }
    }

    // A long text is neither cut nor refused further typing.
    const std::string longText(40000, 'x');
    frmStr->SetData(Utf16(longText));
    EXPECT_EQ(frmStr->mmValue.Text().size(), longText.size());
    frmStr->mmValue.SetSelection(40000, 40000);
    Type(frmStr->mmValue.Handle, "yz");
    EXPECT_EQ(frmStr->Data(), Utf16(longText + "yz"));
}

TEST_F(EditorTest, StringEditorWritesLineBreaksAsTheDataDid) {
    frmStr->SetData(Utf16(L"a\nb"));
    frmStr->mmValue.SetSelection(3, 3);
    Type(frmStr->mmValue.Handle, "c");
    EXPECT_EQ(frmStr->Data(), Utf16(L"a\nbc"));
    ::SendMessageA(frmStr->mmValue.Handle, WM_KEYDOWN, VK_RETURN, 1);  // as the keyboard delivers Enter
    Type(frmStr->mmValue.Handle, "\r");
    ::SendMessageA(frmStr->mmValue.Handle, WM_KEYUP, VK_RETURN, 0xC0000001);
    EXPECT_EQ(frmStr->Data(), Utf16(L"a\nbc\n"));
}

TEST_F(EditorTest, LineBreaksAtStreamingBlockBoundariesStayAsTheyAre) {
    // The rich edit takes text in blocks of 4 KB: a CR LF pair, or two, on
    // each side of a block boundary.
    for (size_t at = 4096 - 3; at <= 4096 + 2; ++at) {
        for (const std::string breaks : {"\r\n", "\r\n\r\n"}) {
            std::string text;
            while (text.size() + 64 <= at) text += std::string(62, 'a') + "\r\n";
            text += std::string(at - text.size(), 'a') + breaks + "bbb";
            frmStr->SetData(Utf16(text));
            frmStr->mmValue.SetSelection(frmStr->mmValue.TextLength(), -1);
            Type(frmStr->mmValue.Handle, "Q");
            EXPECT_EQ(frmStr->Data(), Utf16(text + "Q")) << "string editor, break at " << at;
            frmKeyContent->rchedtContent.SetText(text);
            frmKeyContent->FormShow(nullptr);
            EXPECT_EQ(frmKeyContent->rchedtContent.Text(), text) << "key content, break at " << at;
        }
    }
}

namespace {

// What a form relies on in its rich edit, besides the text.
std::string StateOf(HWND h) {
    RECT r{};
    ::GetWindowRect(h, &r);
    CHARFORMAT2A f{};
    f.cbSize = sizeof f;
    ::SendMessageA(h, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&f));
    std::ostringstream s;
    s << "style " << std::hex << ::GetWindowLongPtrA(h, GWL_STYLE) << " ex " << ::GetWindowLongPtrA(h, GWL_EXSTYLE)
      << " id " << ::GetDlgCtrlID(h) << " parent " << ::GetParent(h) << " after " << ::GetWindow(h, GW_HWNDPREV)
      << " at " << std::dec << r.left << "," << r.top << "," << r.right << "," << r.bottom << " font " << f.szFaceName
      << " " << f.yHeight << " " << int(f.bCharSet) << " limit " << ::SendMessageA(h, EM_GETLIMITTEXT, 0, 0)
      << " events " << ::SendMessageA(h, EM_GETEVENTMASK, 0, 0) << " options " << ::SendMessageA(h, EM_GETOPTIONS, 0, 0);
    return s.str();
}

std::string LongText() {
    std::string text;
    while (text.size() <= 2 * TRichEdit::LongText) text += "\"Value\"=hex:ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab,ab\r\n";
    return text;
}

}  // namespace

TEST_F(EditorTest, ALongTextGoesWithItsControlAndTheEditorsWorkOnAsBefore) {
    // The key content editor: read-only, without wrapping.
    TfrmKeyContent& kc = *frmKeyContent;
    kc.Show();
    kc.rchedtContent.SetReadOnly(true);
    kc.rchedtContent.SetText(LongText());
    const HWND old = kc.rchedtContent.Handle;
    ASSERT_GT(kc.rchedtContent.TextLength(), TRichEdit::LongText);
    const std::string before = StateOf(old);
    kc.ClearContent();
    kc.rchedtContent.SetText("[" + std::string(300, 'k') + "]");
    kc.FormShow(nullptr);
    HWND now = kc.rchedtContent.Handle;
    ASSERT_NE(now, old);  // the long text went with its control
    EXPECT_EQ(StateOf(now), before);

    // Clear on a long text: empty and modified.
    kc.rchedtContent.SetReadOnly(false);
    kc.rchedtContent.SetText(LongText());
    kc.rchedtContent.SetModified(false);
    Boxes.Answers = {IDYES};
    kc.mnitmClearClick(nullptr);
    EXPECT_EQ(kc.rchedtContent.TextLength(), 0);
    EXPECT_TRUE(kc.rchedtContent.Modified());
    kc.Hide();

    // The string editor after Cancel on a long string.
    const std::string strBefore = StateOf(frmStr->mmValue.Handle);
    frmStr->SetData(Utf16(LongText()));
    frmStr->SetData({});
    frmStr->SetData(Utf16(L"abc"));
    EXPECT_EQ(StateOf(frmStr->mmValue.Handle), strBefore);
    frmStr->mmValue.SetSelection(3, 3);
    Type(frmStr->mmValue.Handle, "d");
    EXPECT_EQ(frmStr->Data(), Utf16(L"abcd"));
}

TEST_F(EditorTest, StringEditorLabelsShowLengthAndMaximum) {
    frmStr->SetData(Utf16(L"twelve chars"));
    ScriptDialogs([](TForm&) {
        EXPECT_EQ(frmStr->lblLength.Caption(), "length:12  bytes");
        EXPECT_EQ(frmStr->lblMax.Caption(), "max length:531706 bytes");
        frmStr->mmValue.SetSelection(0, 0);
        Type(frmStr->mmValue.Handle, "++");
        EXPECT_EQ(frmStr->lblLength.Caption(), "length:14  bytes");
        return mrOk;
    });
    EXPECT_EQ(frmStr->ShowModal(), mrOk);
    EXPECT_EQ(frmStr->Data(), Utf16(L"++twelve chars"));
}

TEST_F(BrowserTest, StringEditorShowsTheSmallerMaximumOnOlderWindows) {
    PretendWindows(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
    StartProgram();
    classlib::Seams().ShowModal = [](TForm&) {
        EXPECT_EQ(frmStr->lblMax.Caption(), "max length:16383 bytes");
        return mrCancel;
    };
    EXPECT_EQ(frmStr->ShowModal(), mrCancel);  // the script ran
}

TEST_F(EditorTest, StringEditorLoadsAndSavesFiles) {
    const std::string rich = "loaded_rich.txt", plain = "loaded_plain.txt", saved = "saved.txt";
    FilesToRemove = {rich, plain, saved};
    WriteFile(rich, "{\\rtf1\\ansi {\\b bold} text}");
    WriteFile(plain, "{not rich\r\nsecond");
    std::string chosen;
    Seams().OpenFileName = [&](OPENFILENAMEW& ofn) {
        EXPECT_EQ(std::wstring(ofn.lpstrFilter, 16), std::wstring(L"Text file\0*.txt\0", 16));
        return PickFile(ofn, ToWide(chosen));
    };
    Seams().SaveFileName = [&](OPENFILENAMEW& ofn) { return PickFile(ofn, ToWide(chosen)); };
    frmStr->SetData(Utf16(L"old"));
    chosen = rich;
    Click(frmStr->btnLoad);
    EXPECT_EQ(frmStr->Data(), Utf16(L"bold text"));
    chosen = plain;
    Click(frmStr->btnLoad);
    EXPECT_EQ(frmStr->Data(), Utf16(L"{not rich\r\nsecond"));
    chosen = saved;
    Click(frmStr->btnSave);
    std::ifstream in(saved, std::ios::binary);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content.compare(0, 5, "{\\rtf"), 0) << content;
    EXPECT_NE(content.find("not rich"), std::string::npos);

    // A file that cannot be read is reported; the text stays.
    chosen = "no such file.txt";
    Click(frmStr->btnLoad);
    EXPECT_EQ(Application().LastExceptionMessage.find("Cannot"), 0u);
    EXPECT_EQ(frmStr->Data(), Utf16(L"{not rich\r\nsecond"));
}

TEST_F(EditorTest, DwordKeyFilterJudgesTheTextAfterTheKey) {
    HWND edit = frmDword->edtValue.Handle;
    frmDword->rdgrpDataType.SetItemIndex(0);
    frmDword->edtValue.SetText("429496729");
    Select(edit, 9, 0);
    Type(edit, "5");
    EXPECT_EQ(frmDword->edtValue.Text(), "4294967295");
    Type(edit, "0");  // past 4294967295
    EXPECT_EQ(frmDword->edtValue.Text(), "4294967295");
    Select(edit, 0, 10);
    Type(edit, "7");  // over the whole text
    EXPECT_EQ(frmDword->edtValue.Text(), "7");
    Type(edit, "a- .");
    for (wchar_t c : {L'\x0663', L'\x0436', L'\x5F20'}) ::SendMessageW(edit, WM_CHAR, c, 1);  // no digits here
    EXPECT_EQ(frmDword->edtValue.Text(), "7");
    Select(edit, 0, 0);
    Type(edit, "1");  // in front of the text
    EXPECT_EQ(frmDword->edtValue.Text(), "17");
    Select(edit, 2, 0);
    Type(edit, "\b");
    EXPECT_EQ(frmDword->edtValue.Text(), "1");

    frmDword->rdgrpDataType.ClickItem(1);
    EXPECT_EQ(frmDword->edtValue.Text(), "00000001");
    Select(edit, 8, 0);
    Type(edit, "f");  // a ninth digit
    EXPECT_EQ(frmDword->edtValue.Text(), "00000001");
    Select(edit, 0, 1);
    Type(edit, "fG");
    EXPECT_EQ(frmDword->edtValue.Text(), "f0000001");
}

TEST_F(EditorTest, DwordBaseSwitchConvertsTheText) {
    auto switchTo = [](int base, const std::string& text) {
        frmDword->rdgrpDataType.SetItemIndex(1 - base);
        frmDword->edtValue.SetText(text);
        frmDword->rdgrpDataType.ClickItem(base);
        return frmDword->edtValue.Text();
    };
    EXPECT_EQ(switchTo(1, "10"), "0000000A");
    EXPECT_EQ(switchTo(0, "0000000A"), "10");
    EXPECT_EQ(switchTo(1, "255"), "000000FF");
    EXPECT_EQ(switchTo(0, "FFFFFFFF"), "4294967295");
    EXPECT_EQ(switchTo(1, "4294967295"), "FFFFFFFF");
    EXPECT_EQ(switchTo(0, "zz"), "0");
    EXPECT_EQ(switchTo(1, "4294967296"), "0");
    EXPECT_EQ(switchTo(1, ""), "");
}

TEST_F(EditorTest, DwordOkTakesOnlyValidNumbersAndNeverWritesZeroForBadText) {
    struct Case {
        int Base;
        const char* Text;
        bool Valid;
        DWORD Value;
    };
    const Case cases[] = {
        {0, "4294967295", true, 0xFFFFFFFFu}, {0, "0", true, 0},        {0, "", true, 0},
        {0, "0000012", true, 12},             {1, "ffffFFFF", true, 0xFFFFFFFFu}, {1, "A", true, 10},
        {0, "4294967296", false, 0},          {0, "-1", false, 0},      {0, "12 ", false, 0},
        {0, "0x10", false, 0},                {1, "123456789", false, 0}, {1, "G1", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Text);
        Boxes.Boxes.clear();
        frmDword->Value = 77;
        int results = 0;
        ScriptDialogs([&](TForm& form) {
            frmDword->rdgrpDataType.SetItemIndex(c.Base);
            frmDword->edtValue.SetText(c.Text);
            ClickOk(form);
            ++results;
            return form.ModalResult == mrNone ? mrCancel : form.ModalResult;
        });
        const int result = frmDword->ShowModal();
        if (c.Valid) {
            EXPECT_EQ(result, mrOk);
            EXPECT_EQ(frmDword->Value, c.Value);
            EXPECT_TRUE(Boxes.Boxes.empty());
        } else {
            EXPECT_EQ(result, mrCancel);  // OK left the dialog open
            EXPECT_EQ(frmDword->Value, 77u);
            ASSERT_EQ(Boxes.Boxes.size(), 1u);
            EXPECT_EQ(Boxes.Boxes[0].Text.find(c.Text), 0u);
        }
    }
}
