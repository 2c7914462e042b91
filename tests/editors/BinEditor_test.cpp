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
class BinEditorTest : public EditorTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        if (!GetParam()) PretendWindows(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
        StartProgram();
    }
    HWND Hex() { return frmBin->HexColumn().Handle; }
    HWND Chars() { return frmBin->mmValueString.Handle; }
    void Fill(const std::vector<std::uint8_t>& bytes) {
        frmBin->SetHexColumnText(BytesToHex(bytes));
        frmBin->mmValueString.SetText(BytesToText(bytes));
    }
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
    // The top of the line that holds a character, in client co-ordinates.
    int LineTop(HWND h, int index) {
        if (!GetParam()) return HIWORD(::SendMessageA(h, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0));
        POINTL at{};
        ::SendMessageA(h, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), index);
        return at.y;
    }
    // The columns hold exactly the bytes of the model, in their one form.
    void ExpectColumnsShow(const std::vector<std::uint8_t>& bytes) {
        EXPECT_EQ(frmBin->HexColumnText(), BytesToHex(bytes));
        EXPECT_EQ(frmBin->mmValueString.Text(), BytesToText(bytes));
    }
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
            ASSERT_EQ(::SendMessageA(Hex(), EM_GETLINECOUNT, 0, 0), 21);
            EXPECT_EQ(frmBin->HexLineCount(), 21);
            EXPECT_EQ(::SendMessageA(Chars(), EM_GETLINECOUNT, 0, 0), 21);
            EXPECT_EQ(frmBin->mmAddress.LineCount(), 21);
            for (int i = 0; i < 21; ++i) {
                EXPECT_EQ(::SendMessageA(Hex(), EM_LINEINDEX, i, 0), 48 * i) << "line " << i;
                EXPECT_EQ(::SendMessageA(Chars(), EM_LINEINDEX, i, 0), 16 * i) << "line " << i;
                EXPECT_EQ(frmBin->mmAddress.Line(i), Address(i));
            }
            // The view shows sixteen lines.
            RECT format{};
            ::SendMessageA(Hex(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
            EXPECT_EQ((format.bottom - format.top) / (LineTop(Hex(), 48) - LineTop(Hex(), 0)), 16);
        });
    }
}

TEST_P(BinEditorTest, TypingAndDeletingGoThroughTheEditingRules) {
    Fill({});
    Run([&] {
        Type(Hex(), "4");
        ExpectColumnsShow({0x40});
        EXPECT_EQ(Selection(Hex()), std::make_pair(1, 0));
        Type(Hex(), "1");
        ExpectColumnsShow({0x41});
        Type(Hex(), "2g3");  // the caret stands at the end: a new byte; g does nothing
        ExpectColumnsShow({0x41, 0x23});
        EXPECT_EQ(frmBin->lblLength.Caption(), "length:2  bytes");
        Select(Hex(), 0, 0);
        Press(Hex(), VK_DELETE);
        ExpectColumnsShow({0x23});
        Select(Chars(), 0, 0);
        Type(Chars(), "z.");  // a letter inserts its byte; a full stop does nothing
        ExpectColumnsShow({'z', 0x23});
        Select(Chars(), 1, 0);
        Press(Chars(), VK_DELETE);
        ExpectColumnsShow({'z'});
        Select(Hex(), 1, 0);  // inside the byte: Delete removes it whole
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
            SCOPED_TRACE(h == Hex() ? "hex column" : "character column");
            ExpectColumnsShow(bytes);
        }
    });
}

TEST_P(BinEditorTest, TenThousandBytesAndMoreFitEveryColumn) {
    auto bytes = Bytes(12000, 3);
    Fill(bytes);
    Run([&] {
        ExpectColumnsShow(bytes);
        const int end = static_cast<int>(BytesToHex(bytes).size());
        Select(Hex(), end, 0);
        Type(Hex(), "5");
        bytes.push_back(0x50);
        ExpectColumnsShow(bytes);
        EXPECT_EQ(frmBin->mmAddress.LineCount(), 751);
        EXPECT_EQ(frmBin->mmAddress.Line(750), Address(750));
        EXPECT_EQ(frmBin->lblLength.Caption(), "length:12001  bytes");
    });
}

TEST_P(BinEditorTest, SelectionsSnapToBytesAndMirrorBetweenColumns) {
    Fill({0xAA, 0xBB, 0xCC, 0xDD});
    Run([&] {
        // A Shift selection is mirrored as it grows and snapped when Shift goes up.
        Select(Hex(), 4, 2);
        HoldKeys(false, true);
        ::SendMessageA(Hex(), WM_KEYUP, VK_RIGHT, 0xC0000001);
        EXPECT_EQ(Selection(Hex()), std::make_pair(4, 2));
        EXPECT_EQ(Selection(Chars()), std::make_pair(1, 1));
        HoldKeys(false, false);
        ::SendMessageA(Hex(), WM_KEYUP, VK_SHIFT, 0xC0000001);
        EXPECT_EQ(Selection(Hex()), std::make_pair(2, 3));
        EXPECT_EQ(Selection(Chars()), std::make_pair(1, 1));

        // A mouse selection: keys do nothing while the button is down; the
        // selection is snapped when it comes up.
        ::SendMessageA(Hex(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
        Select(Hex(), 0, 1);
        Type(Hex(), "7");
        ::SendMessageA(Hex(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
        EXPECT_EQ(frmBin->HexColumnText(), "AA BB CC DD");
        EXPECT_EQ(Selection(Hex()), std::make_pair(0, 0));
        // Digits over a selection that Shift has not snapped yet snap first.
        Select(Hex(), 4, 4);
        Type(Hex(), "7");
        EXPECT_EQ(frmBin->HexColumnText(), "AA 70 DD");

        Select(Chars(), 1, 2);
        ::SendMessageA(Chars(), WM_KEYUP, VK_SHIFT, 0xC0000001);
        EXPECT_EQ(Selection(Hex()), std::make_pair(2, 6));
        Press(Hex(), 'A', true);
        EXPECT_EQ(Selection(Hex()), std::make_pair(0, 8));
        EXPECT_EQ(Selection(Chars()), std::make_pair(0, 3));
    });
}

TEST_P(BinEditorTest, TheThreeColumnsScrollTogether) {
    Fill(Bytes(16 * 40));
    Run([&] {
        HWND columns[] = {frmBin->mmAddress.Handle, Hex(), Chars()};
        auto first = [](HWND h) { return static_cast<int>(::SendMessageA(h, EM_GETFIRSTVISIBLELINE, 0, 0)); };
        EXPECT_EQ(frmBin->scrbrIndex.Max(), 24);
        frmBin->ScrollColumnsTo(10);
        for (HWND h : columns) EXPECT_EQ(first(h), 10);
        EXPECT_EQ(frmBin->scrbrIndex.Position(), 10);
        frmBin->ScrollColumnsTo(100);
        for (HWND h : columns) EXPECT_EQ(first(h), 24);
        // The bar moves the columns.
        ::SendMessageA(frmBin->Handle, WM_VSCROLL, SB_TOP, reinterpret_cast<LPARAM>(frmBin->scrbrIndex.Handle));
        for (HWND h : columns) EXPECT_EQ(first(h), 0);
        ::SendMessageA(frmBin->Handle, WM_VSCROLL, SB_LINEDOWN, reinterpret_cast<LPARAM>(frmBin->scrbrIndex.Handle));
        for (HWND h : columns) EXPECT_EQ(first(h), 1);
        // A column scrolled on its own (the wheel) takes the others along at the next tick.
        ::SendMessageA(Chars(), EM_LINESCROLL, 0, 6);
        frmBin->tmrIndexLineTimer(nullptr);
        for (HWND h : columns) EXPECT_EQ(first(h), 7);
        ::SendMessageA(Hex(), EM_LINESCROLL, 0, -2);
        frmBin->tmrIndexLineTimer(nullptr);
        for (HWND h : columns) EXPECT_EQ(first(h), 5);
        EXPECT_EQ(frmBin->scrbrIndex.Position(), 5);
    });
    EXPECT_EQ(frmBin->scrbrIndex.Max(), 0);  // hiding resets the bar

    Fill(Bytes(16 * 16));
    Run([&] { EXPECT_EQ(frmBin->scrbrIndex.Max(), 0); });
    Fill(Bytes(16 * 16 + 1));
    Run([&] {
        EXPECT_EQ(frmBin->scrbrIndex.Max(), 1);
        Select(Hex(), 16 * 48 - 1, 3);  // the last byte, alone on line 17
        Press(Hex(), VK_DELETE);
        EXPECT_EQ(frmBin->scrbrIndex.Max(), 0);
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
    EXPECT_EQ(frmBin->mmValueString.Text(), BytesToText(bytes));
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
    frmBin->ShowModal();
    frmBin->HideValueName = true;
    ScriptDialogs([](TForm&) {
        EXPECT_FALSE(::GetWindowLongA(frmBin->edtName.Handle, GWL_STYLE) & WS_VISIBLE);
        EXPECT_FALSE(::GetWindowLongA(frmBin->lblName.Handle, GWL_STYLE) & WS_VISIBLE);
        return mrCancel;
    });
    frmBin->ShowModal();
}

TEST_F(BrowserTest, BinaryEditorShowsTheMaximumOnOlderWindows) {
    PretendWindows(VER_PLATFORM_WIN32_NT, 4, 0);
    StartProgram();
    classlib::Seams().ShowModal = [](TForm&) {
        EXPECT_EQ(frmBin->lblMax.Caption(), "max length:16384  bytes");
        return mrCancel;
    };
    frmBin->ShowModal();
}
