// The binary editor's editing rules, on the model alone. Built for Windows
// (run under Wine) and natively with the sanitizers.
#include <gtest/gtest.h>

#include <cctype>
#include <random>

#include "HexEditModel.h"
#include "zrvString.h"

namespace {

// The two columns as the controls hold them: the model's changes are applied
// to these texts exactly as the window applies them to its controls.
struct Columns {
    THexEditModel Model;
    std::string Hex, Chars;
    TTextRange HexSel, CharSel;

    explicit Columns(const std::string& hex) {
        Model.SetHexText(hex);
        Hex = Model.HexText();
        Chars = Model.CharText();
    }
    static void Replace(std::string& text, TTextRange r, const std::string& with) {
        ASSERT_GE(r.Start, 0);
        ASSERT_GE(r.Length, 0);
        ASSERT_LE(r.Start + r.Length, static_cast<int>(text.size()));
        text.replace(static_cast<size_t>(r.Start), static_cast<size_t>(r.Length), with);
    }
    void Apply(const THexEdit& e) {
        Replace(Hex, e.HexRange, e.HexText);
        Replace(Chars, e.CharRange, e.CharText);
        HexSel = e.HexSelection;
        CharSel = e.CharSelection;
    }
    bool TypeHex(char key, TTextRange sel) {
        THexEdit e;
        if (!Model.TypeHexDigit(key, sel, e)) return false;
        Apply(e);
        return true;
    }
    bool TypeChar(unsigned char ch, TTextRange sel) {
        THexEdit e;
        if (!Model.TypeChar(ch, sel, e)) return false;
        Apply(e);
        return true;
    }
    bool DeleteHex(TTextRange sel) {
        THexEdit e;
        if (!Model.DeleteHex(sel, e)) return false;
        Apply(e);
        return true;
    }
    bool DeleteChars(TTextRange sel) {
        THexEdit e;
        if (!Model.DeleteChars(sel, e)) return false;
        Apply(e);
        return true;
    }
    // Types a run of digits, each at the caret the previous one left.
    void TypeRun(const std::string& keys) {
        for (char k : keys) TypeHex(k, HexSel);
    }
};

// Two digits per byte, single blanks, nothing else.
bool WellFormed(const std::string& hex) {
    if (hex.empty()) return true;
    if (hex.size() % 3 != 2) return false;
    for (size_t i = 0; i < hex.size(); ++i) {
        const char c = hex[i];
        if (i % 3 == 2) {
            if (c != ' ') return false;
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

TTextRange Caret(int at) { return {at, 0}; }

}  // namespace

TEST(HexEditModelTest, DigitsOverwriteOnADigitAndInsertOnABlankOrAtTheEnd) {
    Columns empty("");
    ASSERT_TRUE(empty.TypeHex('4', Caret(0)));
    EXPECT_EQ(empty.Hex, "40");
    EXPECT_EQ(empty.HexSel, Caret(1));
    EXPECT_EQ(empty.Chars, ".");
    empty.TypeRun("1");
    EXPECT_EQ(empty.Hex, "41");
    EXPECT_EQ(empty.Chars, "A");
    EXPECT_EQ(empty.HexSel, Caret(2));

    Columns atEnd("AA");
    atEnd.TypeHex('1', Caret(2));
    EXPECT_EQ(atEnd.Hex, "AA 10");
    EXPECT_EQ(atEnd.HexSel, Caret(4));
    atEnd.TypeRun("2");
    EXPECT_EQ(atEnd.Hex, "AA 12");
    atEnd.TypeRun("3");
    EXPECT_EQ(atEnd.Hex, "AA 12 30");

    Columns atStart("AA BB");
    atStart.TypeHex('1', Caret(0));
    EXPECT_EQ(atStart.Hex, "1A BB");
    atStart.TypeRun("2");
    EXPECT_EQ(atStart.Hex, "12 BB");
    EXPECT_EQ(atStart.HexSel, Caret(2));
    atStart.TypeRun("3");
    EXPECT_EQ(atStart.Hex, "12 30 BB");

    // Lower case counts; anything but a hex digit does nothing.
    Columns lower("00");
    EXPECT_TRUE(lower.TypeHex('f', Caret(1)));
    EXPECT_EQ(lower.Hex, "0F");
    for (char k : {'g', ' ', '\b', '\r', 'x', '.'}) EXPECT_FALSE(lower.TypeHex(k, Caret(0))) << int(k);
    EXPECT_EQ(lower.Model.Bytes(), std::vector<std::uint8_t>{0x0F});
}

TEST(HexEditModelTest, DigitsOverASelectionReplaceTheBytesItTouches) {
    Columns all("AA BB CC");
    all.TypeHex('7', {0, 8});
    EXPECT_EQ(all.Hex, "70");
    EXPECT_EQ(all.Chars, "p");
    EXPECT_EQ(all.HexSel, Caret(1));

    Columns leading("AA BB CC");
    leading.TypeHex('7', {0, 5});
    EXPECT_EQ(leading.Hex, "70 CC");

    Columns middle("AA BB CC");
    middle.TypeHex('7', {2, 3});
    EXPECT_EQ(middle.Hex, "AA 70 CC");
    EXPECT_EQ(middle.HexSel, Caret(4));

    Columns tail("AA BB CC");
    tail.TypeHex('7', {2, 6});
    EXPECT_EQ(tail.Hex, "AA 70");

    // A selection made with Shift and arrows need not cover whole bytes: it
    // is snapped before the digit acts, so the layout holds.
    Columns unsnapped("AA BB CC");
    unsnapped.TypeHex('D', {4, 3});
    EXPECT_EQ(unsnapped.Hex, "AA D0 CC");
    Columns highDigitOnly("AA BB CC");
    highDigitOnly.TypeHex('1', {0, 1});  // snaps to nothing: overwrites the digit
    EXPECT_EQ(highDigitOnly.Hex, "1A BB CC");
    Columns insideTwo("AA BB CC");
    insideTwo.TypeHex('1', {1, 3});
    EXPECT_EQ(insideTwo.Hex, "10 BB CC");
}

TEST(HexEditModelTest, SelectionsSnapToWholeBytesAndMirrorBetweenColumns) {
    EXPECT_EQ(THexEditModel::SnapHexSelection({4, 2}, 8), (TTextRange{2, 3}));
    EXPECT_EQ(THexEditModel::SnapHexSelection({0, 1}, 8), (TTextRange{0, 0}));  // clamped, never negative
    EXPECT_EQ(THexEditModel::SnapHexSelection({2, 1}, 8), (TTextRange{2, 0}));
    EXPECT_EQ(THexEditModel::SnapHexSelection({1, 7}, 8), (TTextRange{0, 8}));
    EXPECT_EQ(THexEditModel::SnapHexSelection({3, 0}, 8), (TTextRange{3, 0}));
    EXPECT_EQ(THexEditModel::SnapHexSelection({5, 9}, 8), (TTextRange{5, 3}));  // clamped to the text

    // Snapped selections stay as they are, and every snapped selection is the
    // hex range of the bytes it covers.
    for (int bytes = 1; bytes <= 6; ++bytes) {
        const int n = bytes * 3 - 1;
        for (int s = 0; s <= n; ++s)
            for (int l = 1; s + l <= n; ++l) {
                const TTextRange snapped = THexEditModel::SnapHexSelection({s, l}, n);
                ASSERT_GE(snapped.Length, 0);
                ASSERT_LE(snapped.Start + snapped.Length, n);
                EXPECT_EQ(THexEditModel::SnapHexSelection(snapped, n), snapped) << s << "," << l;
                if (snapped.Length > 0) {
                    EXPECT_EQ(THexEditModel::CharsToHex(THexEditModel::HexToChars(snapped)), snapped);
                }
            }
    }
    EXPECT_EQ(THexEditModel::HexToChars({2, 3}), (TTextRange{1, 1}));
    EXPECT_EQ(THexEditModel::CharsToHex({0, 0}), (TTextRange{0, 0}));
    EXPECT_EQ(THexEditModel::CharsToHex({0, 2}), (TTextRange{0, 5}));
    EXPECT_EQ(THexEditModel::CharsToHex({2, 1}), (TTextRange{5, 3}));
}

TEST(HexEditModelTest, DeleteRemovesWholeBytesAndLeavesNoStrayBlank) {
    auto deleted = [](TTextRange sel) {
        Columns c("AA BB CC");
        c.DeleteHex(sel);
        return c.Hex;
    };
    EXPECT_EQ(deleted(Caret(0)), "BB CC");
    EXPECT_EQ(deleted(Caret(2)), "AA CC");
    EXPECT_EQ(deleted({2, 3}), "AA CC");
    EXPECT_EQ(deleted(Caret(4)), "AA CC");   // inside a byte: that byte
    EXPECT_EQ(deleted(Caret(1)), "BB CC");
    EXPECT_EQ(deleted(Caret(6)), "AA BB");   // the last byte takes its blank along
    EXPECT_EQ(deleted({0, 5}), "CC");        // a leading range leaves no leading blank
    EXPECT_EQ(deleted({0, 8}), "");
    EXPECT_EQ(deleted({3, 4}), "AA CC");     // unsnapped: snapped first

    Columns end("AA BB CC");
    EXPECT_FALSE(end.DeleteHex(Caret(8)));
    EXPECT_EQ(end.Hex, "AA BB CC");

    Columns chars("AA BB CC");
    chars.DeleteChars(Caret(1));
    EXPECT_EQ(chars.Hex, "AA CC");
    EXPECT_EQ(chars.Chars, "\xAA\xCC");  // both letters in code page 1252
    EXPECT_EQ(chars.HexSel, Caret(2));
    chars.DeleteChars(Caret(0));
    EXPECT_EQ(chars.Hex, "CC");
    EXPECT_FALSE(chars.DeleteChars(Caret(1)));

    // A digit typed after deleting the last byte appends cleanly.
    Columns last("AA BB");
    last.DeleteHex(Caret(3));
    EXPECT_EQ(last.Hex, "AA");
    last.TypeHex('5', Caret(2));
    EXPECT_EQ(last.Hex, "AA 50");
}

TEST(HexEditModelTest, CharactersInsertOrReplaceBytes) {
    Columns c("AA BB CC");
    ASSERT_TRUE(c.TypeChar('x', Caret(1)));
    EXPECT_EQ(c.Hex, "AA 78 BB CC");
    EXPECT_EQ(c.CharSel, Caret(2));
    EXPECT_EQ(c.HexSel, Caret(5));
    EXPECT_FALSE(c.TypeChar('.', Caret(0)));
    EXPECT_FALSE(c.TypeChar(' ', Caret(0)));

    Columns front("AA BB CC");
    front.TypeChar('x', Caret(0));
    EXPECT_EQ(front.Hex, "78 AA BB CC");
    Columns frontPart("AA BB CC");
    frontPart.TypeChar('x', {0, 2});  // no doubled blank
    EXPECT_EQ(frontPart.Hex, "78 CC");
    Columns whole("AA BB CC");
    whole.TypeChar('x', {0, 3});
    EXPECT_EQ(whole.Hex, "78");
    Columns empty("");
    empty.TypeChar('0', Caret(0));
    EXPECT_EQ(empty.Hex, "30");
    EXPECT_EQ(empty.Chars, "0");
}

TEST(HexEditModelTest, AnyBytesRoundTripThroughTheHexText) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<std::uint8_t>(i));
    bytes.insert(bytes.end(), {0, 0, 0xFF, 0});
    THexEditModel m;
    m.SetHexText(BytesToHex(bytes));
    EXPECT_EQ(m.Bytes(), bytes);
    EXPECT_EQ(m.HexLength(), static_cast<int>(bytes.size()) * 3 - 1);
    EXPECT_EQ(m.CharText(), BytesToText(bytes));
    EXPECT_EQ(m.CharText().find('\0'), std::string::npos);
}

// Random keys at random places, with selections as a user makes them (also
// unsnapped ones and ones past the end): after every step the hex column is
// well formed and both columns show exactly the model's bytes.
TEST(HexEditModelTest, RandomEditingKeepsBothColumnsInStep) {
    std::mt19937 rng(20240611);
    const std::string keys = "0123456789abcdefABCDEFxyz .\r\b";
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> start(rng() % 12);
        for (auto& b : start) b = static_cast<std::uint8_t>(rng());
        Columns c(BytesToHex(start));
        for (int step = 0; step < 60; ++step) {
            const int hexLen = static_cast<int>(c.Hex.size()), charLen = static_cast<int>(c.Chars.size());
            auto pick = [&](int len) {
                TTextRange r;
                r.Start = static_cast<int>(rng() % static_cast<unsigned>(len + 2));
                r.Length = rng() % 3 == 0 ? 0 : static_cast<int>(rng() % static_cast<unsigned>(len + 2));
                return r;
            };
            switch (rng() % 6) {
                case 0:
                case 1: c.TypeHex(keys[rng() % keys.size()], rng() % 2 ? c.HexSel : pick(hexLen)); break;
                case 2: c.TypeChar(static_cast<unsigned char>(rng()), pick(charLen)); break;
                case 3: c.DeleteHex(pick(hexLen)); break;
                case 4: c.DeleteChars(pick(charLen)); break;
                case 5: c.HexSel = THexEditModel::SnapHexSelection(pick(hexLen), hexLen); break;
            }
            ASSERT_TRUE(WellFormed(c.Hex)) << "round " << round << " step " << step << ": '" << c.Hex << "'";
            ASSERT_EQ(c.Hex, c.Model.HexText()) << "round " << round << " step " << step;
            ASSERT_EQ(c.Chars, BytesToText(c.Model.Bytes())) << "round " << round << " step " << step;
            ASSERT_LE(c.HexSel.Start + c.HexSel.Length, static_cast<int>(c.Hex.size()));
            ASSERT_LE(c.CharSel.Start + c.CharSel.Length, static_cast<int>(c.Chars.size()));
        }
    }
}

TEST(HexEditModelTest, LinesOfTheViewAndCaretMoves) {
    std::vector<std::uint8_t> bytes(40);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i);
    THexEditModel m;
    m.SetBytes(bytes);
    EXPECT_EQ(m.LineCount(), 3);
    EXPECT_EQ(THexEditModel().LineCount(), 1);
    EXPECT_EQ(m.HexLines(1, 16), m.HexText().substr(48));
    EXPECT_EQ(m.HexLines(0, 1), m.HexText().substr(0, 47));
    EXPECT_EQ(m.CharLines(2, 5), m.CharText().substr(32));
    EXPECT_EQ(m.HexLines(7, 2), "");
    EXPECT_EQ(THexEditModel::AddressLines(0, 2), "00000000\r\n00000010");
    EXPECT_EQ(THexEditModel::AddressLines(0x0FFFFFFF, 1), "FFFFFFF0");
    EXPECT_EQ(THexEditModel::AddressLines(3, 0), "");

    const int n = m.HexLength();  // 119: three lines, the last one of eight bytes
    EXPECT_EQ(MoveCaret(TCaretMove::Left, 0, n, 48, 15), 0);
    EXPECT_EQ(MoveCaret(TCaretMove::Right, n, n, 48, 15), n);
    EXPECT_EQ(MoveCaret(TCaretMove::Down, 10, n, 48, 15), 58);
    EXPECT_EQ(MoveCaret(TCaretMove::Down, 58, n, 48, 15), 106);
    EXPECT_EQ(MoveCaret(TCaretMove::Down, 85, n, 48, 15), n);   // past the short last line's end
    EXPECT_EQ(MoveCaret(TCaretMove::Down, 100, n, 48, 15), 100);
    EXPECT_EQ(MoveCaret(TCaretMove::Up, 10, n, 48, 15), 10);
    EXPECT_EQ(MoveCaret(TCaretMove::Up, 100, n, 48, 15), 52);
    EXPECT_EQ(MoveCaret(TCaretMove::LineEnd, 50, n, 48, 15), 95);  // the blank after the line's last byte
    EXPECT_EQ(MoveCaret(TCaretMove::LineEnd, 100, n, 48, 15), n);
    EXPECT_EQ(MoveCaret(TCaretMove::LineStart, 100, n, 48, 15), 96);
    EXPECT_EQ(MoveCaret(TCaretMove::PageDown, 5, n, 48, 15), 101);  // stops on the last line
    EXPECT_EQ(MoveCaret(TCaretMove::PageUp, 100, n, 48, 15), 4);
    EXPECT_EQ(MoveCaret(TCaretMove::TextEnd, 3, n, 48, 15), n);
    EXPECT_EQ(MoveCaret(TCaretMove::LineEnd, 3, 40, 16, 15), 16);  // characters: after the line's last one
    EXPECT_EQ(LineOfPosition(47, 48), 0);
    EXPECT_EQ(LineOfPosition(48, 48), 1);
}

TEST(HexEditModelTest, CopyTakesWholeBytesAndPasteInsertsAtByteBoundaries) {
    THexEditModel m;
    m.SetHexText("AA BB CC");
    // A selection not snapped yet.
    EXPECT_EQ(m.CopyHex({4, 2}), "BB");
    EXPECT_EQ(m.CopyHex({3, 1}), "");  // only a high digit: no whole byte

    const struct { const char* before; TTextRange sel; const char* after; int caret; } cases[] = {
        {"AA", {2, 0}, "AA BB", 5},           // caret at the end
        {"", {0, 0}, "BB", 2},                // empty column
        {"AA CC", {4, 0}, "AA BB CC", 5},     // inside the second byte: before it
        {"AA CC", {2, 0}, "AA BB CC", 5},     // on the blank: after the byte before it
        {"AA CC DD", {4, 3}, "AA BB DD", 5},  // over a selection, unsnapped: snapped first
    };
    for (const auto& c : cases) {
        Columns col(c.before);
        THexEdit e;
        ASSERT_TRUE(col.Model.PasteHex("BB", c.sel, e)) << c.before;
        col.Apply(e);
        EXPECT_EQ(col.Hex, c.after) << c.before;
        EXPECT_EQ(col.Chars, col.Model.CharText());
        EXPECT_EQ(col.HexSel.Start, c.caret) << c.before;
    }
    THexEdit e;
    EXPECT_FALSE(m.PasteHex("", {0, 0}, e));
}

TEST(HexEditModelTest, FindMatchesASubstringSearchOfTheHexText) {
    std::mt19937 rng(7);
    const char alphabet[] = "0123456789ABCDEFab ";
    for (int round = 0; round < 200; ++round) {
        std::vector<std::uint8_t> bytes(rng() % 40);
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng() % 4 * 0x11);  // few values: many hits
        THexEditModel m;
        m.SetBytes(bytes);
        const std::string text = m.HexText();
        std::string pattern;
        if (!text.empty() && rng() % 2) {
            const size_t at = rng() % text.size();
            pattern = text.substr(at, 1 + rng() % std::min<size_t>(10, text.size() - at));
        } else {
            for (size_t k = 1 + rng() % 6; k > 0; --k) pattern += alphabet[rng() % (sizeof alphabet - 1)];
        }
        std::string upper = pattern;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (int from = 0; from <= static_cast<int>(text.size()) + 1; from += 1 + static_cast<int>(rng() % 4)) {
            const size_t want = text.find(upper, static_cast<size_t>(from));
            EXPECT_EQ(m.FindHex(pattern, from), want == std::string::npos ? -1 : static_cast<int>(want))
                << "'" << pattern << "' in '" << text << "' from " << from;
        }
    }
    THexEditModel m;
    m.SetHexText("AB CD");
    EXPECT_EQ(m.FindHex("", 0), -1);
}
