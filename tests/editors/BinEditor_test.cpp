// The binary editor's window: columns, typing through the controls, refused
// editing paths, selections, scrolling and labels, on both hex columns.
#include <cstdio>
#include <cstring>

#include "EditorFixture.h"
#include "zrvString.h"

using namespace classlib;

namespace {

std::vector<std::uint8_t> Bytes(size_t n, int seed = 0) {
    std::vector<std::uint8_t> b(n);
    for (size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + static_cast<size_t>(seed));
    return b;
}

std::string Address(int line) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08X", line * 16);
    return buf;
}

}  // namespace

// Each case runs on the rich-edit hex column (NT family) and on the memo
// (Windows 95 family).
class BinEditorTest : public BinEditorFixture {
protected:
    std::string HexShown() { return GetParam() ? frmBin->mmHexValue.Text() : frmBin->mm_HexValue.Text(); }
    void Fill(const std::vector<std::uint8_t>& bytes) { frmBin->SetHexColumnText(BytesToHex(bytes)); }
    // Shows the editor (as its modal run would) and runs body while it is up.
    int Run(const std::function<void()>& body, int result = mrOk) {
        ScriptDialogs([&](TForm& form) {
            ::ShowWindow(form.Handle, SW_SHOWNA);
            Pump();
            body();
            ::ShowWindow(form.Handle, SW_HIDE);
            return result;
        });
        return frmBin->ShowModal();
    }
    // The whole texts hold exactly the bytes, and the columns show the lines in view.
    void ExpectColumnsShow(const std::vector<std::uint8_t>& bytes) {
        EXPECT_EQ(frmBin->HexColumnText(), BytesToHex(bytes));
        EXPECT_EQ(frmBin->CharColumnText(), BytesToText(bytes));
        const int top = frmBin->TopLine();
        EXPECT_EQ(HexShown(), frmBin->Model().HexLines(top, 16));
        EXPECT_EQ(frmBin->mmValueString.Text(), frmBin->Model().CharLines(top, 16));
        const int lines = std::min(16, frmBin->HexLineCount() - top);
        for (int i = 0; i < lines; ++i) EXPECT_EQ(frmBin->mmAddress.Line(i), Address(top + i));
    }
    // The top of the line that holds a character, in client co-ordinates.
    POINT CharPos(HWND h, int index) {
        if (!GetParam() && h == Hex()) {  // the memo answers in the return value
            const LRESULT r = ::SendMessageA(h, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
            return {static_cast<short>(LOWORD(r)), static_cast<short>(HIWORD(r))};
        }
        POINTL at{};
        ::SendMessageA(h, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), index);
        return {at.x, at.y};
    }
    static LPARAM At(POINT p) { return MAKELPARAM(p.x + 1, p.y + 1); }
};

TEST_P(BinEditorTest, TheHexColumnInUseFollowsThePlatform) {
    EXPECT_EQ(frmBin->RichHexColumn(), GetParam());
    EXPECT_EQ(&frmBin->HexColumn() == &frmBin->mmHexValue, GetParam());
    const LONG richStyle = ::GetWindowLongA(frmBin->mmHexValue.Handle, GWL_STYLE);
    const LONG memoStyle = ::GetWindowLongA(frmBin->mm_HexValue.Handle, GWL_STYLE);
    EXPECT_EQ((richStyle & WS_VISIBLE) != 0, GetParam());
    EXPECT_EQ((memoStyle & WS_VISIBLE) != 0, !GetParam());
    EXPECT_EQ(frmBin->HexColumn().Tag, 1);
    EXPECT_EQ(frmBin->mmValueString.Tag, 2);
}

TEST_P(BinEditorTest, EveryLineHoldsSixteenBytesAndItsAddressUnderAnyFont) {
    const auto bytes = Bytes(16 * 20 + 5);
    Fill(bytes);
    for (const auto& font : std::vector<std::pair<std::string, int>>{{"Courier New", -12}, {"Courier New", -17},
                                                                     {"Lucida Console", -9}, {"Courier New", -24}}) {
        SCOPED_TRACE(font.first + " " + std::to_string(font.second));
        frmBin->SetColumnFont(font.first, font.second);
        Run([&] {
            EXPECT_EQ(frmBin->HexLineCount(), 21);
            for (int top : {0, 5}) {
                frmBin->ScrollColumnsTo(top);
                ASSERT_EQ(frmBin->TopLine(), top);
                ExpectColumnsShow(bytes);
                ASSERT_EQ(::SendMessageA(Hex(), EM_GETLINECOUNT, 0, 0), 16);
                EXPECT_EQ(::SendMessageA(Chars(), EM_GETLINECOUNT, 0, 0), 16);
                EXPECT_EQ(frmBin->mmAddress.LineCount(), 16);
                for (int i = 0; i < 16; ++i) {
                    EXPECT_EQ(::SendMessageA(Hex(), EM_LINEINDEX, i, 0), 48 * i) << "line " << i;
                    EXPECT_EQ(::SendMessageA(Chars(), EM_LINEINDEX, i, 0), 16 * i) << "line " << i;
                }
                // The view shows sixteen lines.
                RECT format{};
                ::SendMessageA(Hex(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
                EXPECT_EQ((format.bottom - format.top) / (CharPos(Hex(), 48).y - CharPos(Hex(), 0).y), 16);
            }
        });
    }
}

TEST_P(BinEditorTest, TypingAndDeletingGoThroughTheEditingRules) {
    Fill({});
    Run([&] {
        Type(Hex(), "4");
        ExpectColumnsShow({0x40});
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{1, 0}));
        EXPECT_EQ(Selection(Hex()), std::make_pair(1, 0));  // the control's caret stands there too
        Type(Hex(), "1");
        ExpectColumnsShow({0x41});
        Type(Hex(), "2g3");  // the caret stands at the end: a new byte; g does nothing
        ExpectColumnsShow({0x41, 0x23});
        EXPECT_EQ(frmBin->lblLength.Caption(), "length:2  bytes");
        frmBin->SelectHex(0, 0);
        Press(Hex(), VK_DELETE);
        ExpectColumnsShow({0x23});
        frmBin->SelectChars(0, 0);
        Type(Chars(), "z.");  // a letter inserts its byte; a full stop does nothing
        ExpectColumnsShow({'z', 0x23});
        frmBin->SelectChars(1, 1);
        Press(Chars(), VK_DELETE);
        ExpectColumnsShow({'z'});
        frmBin->SelectHex(1, 1);  // inside the byte: Delete removes it whole
        Press(Hex(), VK_DELETE);
        ExpectColumnsShow({});
    });
}

TEST_P(BinEditorTest, NativeEditingPathsLeaveTheColumnsAlone) {
    const std::vector<std::uint8_t> bytes = {0xAA, 0xBB, 0xCC};
    Fill(bytes);
    if (::OpenClipboard(nullptr)) {
        ::EmptyClipboard();
        HGLOBAL mem = ::GlobalAlloc(GMEM_MOVEABLE, 8);
        std::memcpy(::GlobalLock(mem), "ZZ Q 1", 7);
        ::GlobalUnlock(mem);
        ::SetClipboardData(CF_TEXT, mem);
        ::CloseClipboard();
    }
    Run([&] {
        for (HWND h : {Hex(), Chars()}) {
            SCOPED_TRACE(h == Hex() ? "hex column" : "character column");
            Select(h, 1, 2);
            for (UINT msg : std::vector<UINT>{WM_PASTE, WM_CUT, WM_CLEAR, WM_UNDO, EM_UNDO})
                ::SendMessageA(h, msg, 0, 0);
            ::SendMessageA(h, WM_IME_CHAR, 'A', 1);
            Press(h, VK_INSERT, false, true);   // Shift+Insert pastes
            Press(h, VK_INSERT, true, false);   // Ctrl+Insert copies
            Press(h, 'V', true);
            Press(h, 'X', true);
            Press(h, 'Z', true);
            Press(h, VK_BACK);
            Press(h, VK_RETURN);
            HoldKeys(true, false);
            Type(h, "\x16\x18\x1A");  // Ctrl+V, Ctrl+X and Ctrl+Z as characters
            HoldKeys(false, false);
            Type(h, "\b\r\t ");
            ::SendMessageA(h, WM_SYSKEYDOWN, VK_BACK, 0x20000001);  // Alt+Backspace undoes
            // A double click and a drag with the mouse only select.
            ::SendMessageA(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
            ::SendMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 3));
            ::SendMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(40, 3));
            ExpectColumnsShow(bytes);
        }
        // A column changed past the editor is put back.
        ::SetWindowTextA(Hex(), "broken");
        ::SetWindowTextA(Chars(), "broken");
        ExpectColumnsShow(bytes);
    });
}

TEST_P(BinEditorTest, TenThousandBytesAndMoreFitEveryColumn) {
    auto bytes = Bytes(12000, 3);
    Fill(bytes);
    Run([&] {
        ExpectColumnsShow(bytes);
        const int end = static_cast<int>(BytesToHex(bytes).size());
        frmBin->SelectHex(end, end);
        Type(Hex(), "5");
        bytes.push_back(0x50);
        EXPECT_EQ(frmBin->TopLine(), 751 - 16);  // the view follows the caret
        ExpectColumnsShow(bytes);
        EXPECT_EQ(frmBin->lblLength.Caption(), "length:12001  bytes");
    });
}

TEST_P(BinEditorTest, SelectionsSnapToBytesAndMirrorBetweenColumns) {
    Fill({0xAA, 0xBB, 0xCC, 0xDD});
    Run([&] {
        // A Shift selection is mirrored as it grows and snapped when Shift goes up.
        frmBin->SelectHex(4, 4);
        HoldKeys(false, true);
        ::SendMessageA(Hex(), WM_KEYDOWN, VK_RIGHT, 1);
        ::SendMessageA(Hex(), WM_KEYDOWN, VK_RIGHT, 1);
        ::SendMessageA(Hex(), WM_KEYUP, VK_RIGHT, 0xC0000001);
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{4, 2}));
        EXPECT_EQ(frmBin->CharSelection(), (TTextRange{1, 1}));
        HoldKeys(false, false);
        ::SendMessageA(Hex(), WM_KEYUP, VK_SHIFT, 0xC0000001);
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{2, 3}));
        EXPECT_EQ(frmBin->CharSelection(), (TTextRange{1, 1}));
        EXPECT_EQ(Selection(Hex()), std::make_pair(2, 3));

        // A mouse drag: keys do nothing while the button is down; the
        // selection is snapped when it comes up.
        ::SendMessageA(Hex(), WM_LBUTTONDOWN, MK_LBUTTON, At(CharPos(Hex(), 0)));
        ::SendMessageA(Hex(), WM_MOUSEMOVE, MK_LBUTTON, At(CharPos(Hex(), 4)));
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{0, 4}));
        Type(Hex(), "7");
        ::SendMessageA(Hex(), WM_LBUTTONUP, 0, At(CharPos(Hex(), 4)));
        EXPECT_EQ(frmBin->HexColumnText(), "AA BB CC DD");
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{0, 2}));
        EXPECT_EQ(frmBin->CharSelection(), (TTextRange{0, 1}));
        // Digits over a selection that is not snapped yet snap it first.
        frmBin->SelectHex(4, 8);
        Type(Hex(), "7");
        EXPECT_EQ(frmBin->HexColumnText(), "AA 70 DD");

        ::SendMessageA(Chars(), WM_LBUTTONDOWN, MK_LBUTTON, At(CharPos(Chars(), 1)));
        ::SendMessageA(Chars(), WM_MOUSEMOVE, MK_LBUTTON, At(CharPos(Chars(), 3)));
        ::SendMessageA(Chars(), WM_LBUTTONUP, 0, At(CharPos(Chars(), 3)));
        EXPECT_EQ(frmBin->CharSelection(), (TTextRange{1, 2}));
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{2, 6}));
        Press(Hex(), 'A', true);
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{0, 8}));
        EXPECT_EQ(frmBin->CharSelection(), (TTextRange{0, 3}));
    });
}

TEST_P(BinEditorTest, TheThreeColumnsScrollTogether) {
    const auto bytes = Bytes(16 * 40);
    Fill(bytes);
    Run([&] {
        EXPECT_EQ(frmBin->scrbrIndex.Max(), 24);
        frmBin->ScrollColumnsTo(10);
        EXPECT_EQ(frmBin->TopLine(), 10);
        EXPECT_EQ(frmBin->scrbrIndex.Position(), 10);
        ExpectColumnsShow(bytes);
        frmBin->ScrollColumnsTo(100);
        EXPECT_EQ(frmBin->TopLine(), 24);
        ExpectColumnsShow(bytes);
        // The bar moves the view.
        const auto bar = reinterpret_cast<LPARAM>(frmBin->scrbrIndex.Handle);
        ::SendMessageA(frmBin->Handle, WM_VSCROLL, SB_TOP, bar);
        EXPECT_EQ(frmBin->TopLine(), 0);
        ::SendMessageA(frmBin->Handle, WM_VSCROLL, SB_LINEDOWN, bar);
        EXPECT_EQ(frmBin->TopLine(), 1);
        // So does the wheel, over any column.
        ::SendMessageA(Chars(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
        EXPECT_EQ(frmBin->TopLine(), 4);
        ::SendMessageA(frmBin->mmAddress.Handle, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        EXPECT_EQ(frmBin->TopLine(), 1);
        ExpectColumnsShow(bytes);
        // And the caret, moved by the keys.
        frmBin->SelectHex(0, 0);
        EXPECT_EQ(frmBin->TopLine(), 0);
        Press(Hex(), VK_NEXT);
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{48 * 15, 0}));
        EXPECT_EQ(frmBin->TopLine(), 15);
        for (int i = 0; i < 20; ++i) Press(Hex(), VK_DOWN);
        EXPECT_EQ(frmBin->HexSelection(), (TTextRange{48 * 35, 0}));
        EXPECT_EQ(frmBin->TopLine(), 20);
        Press(Chars(), VK_END);
        EXPECT_EQ(frmBin->CharSelection(), (TTextRange{16, 0}));
        EXPECT_EQ(frmBin->TopLine(), 1);
        ExpectColumnsShow(bytes);
    });
    EXPECT_EQ(frmBin->scrbrIndex.Max(), 0);  // hiding resets the bar

    Fill(Bytes(16 * 16));
    Run([&] { EXPECT_EQ(frmBin->scrbrIndex.Max(), 0); });
    Fill(Bytes(16 * 16 + 1));
    Run([&] {
        EXPECT_EQ(frmBin->scrbrIndex.Max(), 1);
        frmBin->SelectHex(16 * 48 - 1, 16 * 48 + 2);  // the last byte, alone on line 17
        Press(Hex(), VK_DELETE);
        EXPECT_EQ(frmBin->scrbrIndex.Max(), 0);
        EXPECT_EQ(frmBin->TopLine(), 0);
        EXPECT_EQ(frmBin->mmAddress.LineCount(), 16);
    });
}

TEST_P(BinEditorTest, AnyBytesComeBackUnchangedWithoutEditing) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
    bytes.insert(bytes.end(), {0, 0, 0x0D, 0x0A, 0, 0xFF});
    Fill(bytes);
    EXPECT_EQ(Run([] {}), mrOk);
    EXPECT_EQ(HexToBytes(frmBin->HexColumnText()), bytes);
    EXPECT_EQ(frmBin->CharColumnText(), BytesToText(bytes));
    // Text that the caller put in another form is shown as pairs and single blanks.
    frmBin->SetHexColumnText("a1 02");
    EXPECT_EQ(frmBin->HexColumnText(), "A1 02");
}

INSTANTIATE_TEST_SUITE_P(HexColumns, BinEditorTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& p) { return p.param ? "RichEdit" : "Memo"; });

TEST_F(EditorTest, BinaryEditorLabelsAndNameRow) {
    frmBin->SetHexColumnText("01 02 03");
    frmBin->HideValueName = false;
    ScriptDialogs([](TForm&) {
        EXPECT_EQ(frmBin->lblLength.Caption(), "length:3  bytes");
        EXPECT_EQ(frmBin->lblMax.Caption(), "");  // Wine plays Windows 7
        EXPECT_TRUE(::GetWindowLongA(frmBin->edtName.Handle, GWL_STYLE) & WS_VISIBLE);
        EXPECT_EQ(frmBin->mmAddress.Text(), "00000000");
        return mrCancel;
    });
    EXPECT_EQ(frmBin->ShowModal(), mrCancel);  // the script ran
    frmBin->HideValueName = true;
    ScriptDialogs([](TForm&) {
        EXPECT_FALSE(::GetWindowLongA(frmBin->edtName.Handle, GWL_STYLE) & WS_VISIBLE);
        EXPECT_FALSE(::GetWindowLongA(frmBin->lblName.Handle, GWL_STYLE) & WS_VISIBLE);
        return mrCancel;
    });
    EXPECT_EQ(frmBin->ShowModal(), mrCancel);  // the script ran
}

TEST_F(BrowserTest, BinaryEditorShowsTheMaximumOnOlderWindows) {
    PretendWindows(VER_PLATFORM_WIN32_NT, 4, 0);
    StartProgram();
    classlib::Seams().ShowModal = [](TForm&) {
        EXPECT_EQ(frmBin->lblMax.Caption(), "max length:16384  bytes");
        return mrCancel;
    };
    EXPECT_EQ(frmBin->ShowModal(), mrCancel);  // the script ran
}
