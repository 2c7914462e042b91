#include "zrvString.h"

#include "zrvCharClass.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
using Strings = std::vector<std::string>;
using namespace std::string_literals;

// ---- Bytes to hex text and character view -----------------------------------

TEST(BytesToHex, PairsSeparatorsAndEmptyInput)
{
    const std::uint8_t data[] = {0x00, 0xAB, 0x0F};
    EXPECT_EQ(BytesToHex(data, 3), "00 AB 0F");
    EXPECT_EQ(BytesToHex(data, 1), "00");
    EXPECT_EQ(BytesToHexSep(data, 3, ','), "00,AB,0F");
    EXPECT_EQ(BytesToHex(data, 0), "");
    EXPECT_EQ(BytesToHex(data, -5), "");
    EXPECT_EQ(BytesToHex(nullptr, 4), "");
    EXPECT_EQ(BytesToText(data, -1), "");
}

TEST(BytesToHex, EveryByteValueRoundTrips)
{
    Bytes all(256);
    for (int i = 0; i < 256; ++i)
        all[i] = static_cast<std::uint8_t>(i);
    for (char sep : {' ', ',', '-', '\0'}) {
        const std::string hex = BytesToHexSep(all, sep);
        ASSERT_EQ(hex.size(), 3u * 256 - 1);
        EXPECT_EQ(hex.substr(3 * 0xA5, 3), "A5"s + sep);
        EXPECT_EQ(HexToBytes(hex), all) << "separator " << int(sep);
    }
}

TEST(BytesToText, NonAlphanumericBytesShowAsDots)
{
    EXPECT_EQ(BytesToText(Bytes{'A', 'b', ' ', '1', '!'}), "Ab.1.");
    EXPECT_EQ(BytesToText(Bytes{0x00, '\t', 0x7F, '.', 'z', '0'}), "....z0");

    // Long data takes a table path that must agree with the byte-wise one.
    Bytes many(1024);
    for (std::size_t i = 0; i < many.size(); ++i)
        many[i] = static_cast<std::uint8_t>(i * 7);
    const std::string view = BytesToText(many);
    ASSERT_EQ(view.size(), many.size());
    for (std::size_t i = 0; i < many.size(); ++i)
        EXPECT_EQ(view[i], BytesToText(&many[i], 1)[0]) << i;
}

TEST(CharClass, AsciiLettersAndDigitsOnly)
{
    for (int c = 0; c < 0x80; ++c) {
        const bool expected = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                              (c >= 'a' && c <= 'z');
        EXPECT_EQ(IsCharAlphaNumericPlatform(static_cast<unsigned char>(c)), expected) << c;
    }
}

#ifndef _WIN32
// On Windows the system decides; elsewhere the fixed code page 1252 table.
TEST(CharClass, Cp1252UpperHalf)
{
    const Bytes extra = {0x83, 0x88, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E,
                         0x9F, 0xAA, 0xB2, 0xB3, 0xB5, 0xB9, 0xBA};
    for (int c = 0x80; c < 0x100; ++c) {
        bool expected = c >= 0xC0 && c != 0xD7 && c != 0xF7;
        for (int a : extra)
            expected = expected || a == c;
        EXPECT_EQ(IsCharAlphaNumericPlatform(static_cast<unsigned char>(c)), expected)
            << std::hex << c;
    }
}
#endif

// ---- Hex text to bytes --------------------------------------------------------

struct HexToBytesCase {
    std::string text;
    int capacity;
    Bytes expected;
};

class HexToBytesTest : public ::testing::TestWithParam<HexToBytesCase> {};

TEST_P(HexToBytesTest, FillsAtMostCapacity)
{
    const HexToBytesCase& c = GetParam();
    // Guard bytes after the bytes read must survive.
    Bytes buf(static_cast<std::size_t>(c.capacity > 0 ? c.capacity : 0) + 8, 0xCC);
    int count = c.capacity;
    HexToBytes(c.text, buf.data(), count);
    ASSERT_EQ(count, static_cast<int>(c.expected.size()));
    EXPECT_EQ(Bytes(buf.begin(), buf.begin() + count), c.expected);
    for (std::size_t i = static_cast<std::size_t>(count); i < buf.size(); ++i)
        EXPECT_EQ(buf[i], 0xCC) << "written past the bytes read, at " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexToBytesTest,
    ::testing::Values(HexToBytesCase{"0a 1B ff", 10, {0x0A, 0x1B, 0xFF}},
                      HexToBytesCase{"0a 1B ff", 2, {0x0A, 0x1B}},
                      HexToBytesCase{"0a 1B ff", 0, {}},
                      HexToBytesCase{"0a 1B ff", -3, {}},
                      HexToBytesCase{"AB C", 10, {0xAB}},     // lone trailing digit dropped
                      HexToBytesCase{"01,02,7f", 10, {0x01, 0x02, 0x7F}},
                      HexToBytesCase{"   12 34  ", 10, {0x12, 0x34}},
                      HexToBytesCase{"\t12", 10, {0x01}},     // a tab is not trimmed
                      HexToBytesCase{"1234", 10, {0x12}},     // pairs at every third place
                      HexToBytesCase{"zz g1", 10, {0xFF, 0xF1}},
                      HexToBytesCase{"    ", 10, {}},
                      HexToBytesCase{"A", 10, {}}));

TEST(HexToBytes, NullBufferAndVectorForm)
{
    int count = 5;
    HexToBytes("00 11", nullptr, count);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(HexToBytes("de AD be EF"), (Bytes{0xDE, 0xAD, 0xBE, 0xEF}));
    EXPECT_EQ(HexToBytes("7"), Bytes{});
}

// ---- Hex numbers ----------------------------------------------------------

struct HexNumberCase {
    std::string text;
    std::int32_t value;
};

class HexToIntValid : public ::testing::TestWithParam<HexNumberCase> {};

TEST_P(HexToIntValid, ParsesAndLooseAgrees)
{
    EXPECT_EQ(HexToInt(GetParam().text), GetParam().value);
    EXPECT_EQ(HexToIntLoose(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexToIntValid,
    ::testing::Values(HexNumberCase{"", 0}, HexNumberCase{"a", 10}, HexNumberCase{"FF", 255},
                      HexNumberCase{"7fffffff", 2147483647}, HexNumberCase{"FFFFFFFF", -1},
                      HexNumberCase{"80000000", INT32_MIN}, HexNumberCase{"aBcDeF", 0xABCDEF}));

struct HexErrorCase {
    std::string text;
    const char* message;
};

class HexToIntInvalid : public ::testing::TestWithParam<HexErrorCase> {};

TEST_P(HexToIntInvalid, RaisesWithMessage)
{
    try {
        HexToInt(GetParam().text);
        FAIL() << "no error for \"" << GetParam().text << "\"";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexToIntInvalid,
    ::testing::Values(HexErrorCase{"123456789", "Value overflow"},
                      HexErrorCase{"GGGGGGGGG", "Value overflow"}, // length checked first
                      HexErrorCase{"12G4", "Invalid char"}, HexErrorCase{"1 ", "Invalid char"},
                      HexErrorCase{"0x1", "Invalid char"}, HexErrorCase{"1\0"s, "Invalid char"},
                      HexErrorCase{"\xC1", "Invalid char"}));

class HexToIntLooseTest : public ::testing::TestWithParam<HexNumberCase> {};

TEST_P(HexToIntLooseTest, ClampsEveryCharacter)
{
    EXPECT_EQ(HexToIntLoose(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HexToIntLooseTest,
    ::testing::Values(HexNumberCase{"123456789", -1}, HexNumberCase{std::string(10000, '1'), -1},
                      HexNumberCase{"zz", 255}, HexNumberCase{"G1", 0xF1},
                      HexNumberCase{"1 ", 0x10}, HexNumberCase{":", 9}, HexNumberCase{"@", 9},
                      HexNumberCase{"[", 15}, HexNumberCase{"\xFF\x01", 0xF0},
                      HexNumberCase{"1\0"s, 0x10}));

// ---- String routines ------------------------------------------------------

TEST(SplitByChar, CountsEmptyPiecesButKeepsOnlyNonEmpty)
{
    Strings list;
    EXPECT_EQ(SplitByChar("A||B|", '|', list), 4u);
    EXPECT_EQ(list, (Strings{"A", "B"}));
    // Appends; never clears.
    EXPECT_EQ(SplitByChar("", '|', list), 1u);
    EXPECT_EQ(SplitByChar("|C", '|', list), 2u);
    EXPECT_EQ(list, (Strings{"A", "B", "C"}));
}

TEST(ReplaceAll, LeftToRightWithoutRescanning)
{
    EXPECT_EQ(ReplaceAll("AAAA", "AA", "A"), "AA");
    EXPECT_EQ(ReplaceAll("\\\\\\\\", "\\\\", "\\"), "\\\\");
    EXPECT_EQ(ReplaceAll("aaa", "a", "aa"), "aaaaaa");
    EXPECT_EQ(ReplaceAll("a-b-c", "-", ""), "abc");
    EXPECT_EQ(ReplaceAll("Abc", "a", "x"), "Abc");
    EXPECT_EQ(ReplaceAll("abc", "", "x"), "abc");
    // Read as C strings: nothing after the first NUL is used.
    EXPECT_EQ(ReplaceAll("ab\0ab"s, "b", "x"), "ax");
    EXPECT_EQ(ReplaceAllEx("ab\0ab"s, "b", "x", false), "ax");
}

TEST(ReplaceAllEx, IgnoringCaseKeepsTheRestOfTheText)
{
    EXPECT_EQ(ReplaceAllEx("ABCabc", "abc", "X", true), "XX");
    EXPECT_EQ(ReplaceAllEx("Key\\SubKEY\\subkey", "SUBkey", "New", true), "Key\\New\\New");
    EXPECT_EQ(ReplaceAllEx("ABCabc", "abc", "X", false), "ABCX");
    EXPECT_EQ(ReplaceAllEx("abc", "", "X", true), "abc");
    EXPECT_EQ(ReplaceAllEx("\xE9\xC9", "\xC9", "e", true), "\xE9" "e"); // ASCII folding only
}

TEST(ReplaceChar, EscapesForRegistryText)
{
    const std::string escaped = ReplaceChar(ReplaceChar("C:\\d\\\"x\"", '\\', "\\\\"), '"', "\\\"");
    EXPECT_EQ(escaped, "C:\\\\d\\\\\\\"x\\\"");
    EXPECT_EQ(ReplaceChar("a\0b"s, '\0', "|"), "a|b");
}

TEST(TrimSpaces, BlanksOnly)
{
    EXPECT_EQ(TrimSpaces("  a b  "), "a b");
    EXPECT_EQ(TrimSpaces("\tx "), "\tx");
    EXPECT_EQ(TrimSpaces("    "), "");
}

TEST(TextBetween, SectionLine)
{
    const std::string line = "[HKEY_CURRENT_USER\\Software\\Zarvo]";
    EXPECT_EQ(TextBetween(line, "[", "\\"), "HKEY_CURRENT_USER");
    EXPECT_EQ(TextBetween(line, "\\", "]"), "Software\\Zarvo");
    EXPECT_EQ(TextBetween(line, "[", "]"), "HKEY_CURRENT_USER\\Software\\Zarvo");
    EXPECT_EQ(TextBetween("<<a>>", "<<", ">>"), "a");
}

TEST(TextBetween, MissingOrOverlappingMarksGiveEmpty)
{
    EXPECT_EQ(TextBetween("[abc", "[", "]"), "");
    EXPECT_EQ(TextBetween("]x[", "[", "]"), "");    // end mark only before the start
    EXPECT_EQ(TextBetween("|a|b", "|", "|"), "");    // end found at the start mark itself
    EXPECT_EQ(TextBetween("abcb", "ab", "b"), "");   // end begins inside the start mark
    EXPECT_EQ(TextBetween("abc", "", "c"), "");
    EXPECT_EQ(TextBetween("abc", "a", ""), "");
    EXPECT_EQ(TextBetween("[a\0]"s, "[", "]"), "");  // the "]" lies past the NUL
}

TEST(MarkRoutines, FirstMarkAndLastChar)
{
    EXPECT_EQ(BeforeText("name=value=x", "="), "name");
    EXPECT_EQ(AfterText("name=value=x", "="), "value=x");
    EXPECT_EQ(BeforeText("name", "="), "");
    EXPECT_EQ(AfterText("name", "="), "");
    EXPECT_EQ(AfterText("abc", ""), "");
    EXPECT_EQ(AfterText("a\0=c"s, "="), "");

    EXPECT_EQ(BeforeLastChar("Software\\Zarvo\\Tessmorel", '\\'), "Software\\Zarvo");
    EXPECT_EQ(AfterLastChar("Software\\Zarvo\\Tessmorel", '\\'), "Tessmorel");
    EXPECT_EQ(AfterLastChar("Software", '\\'), "");
    EXPECT_EQ(BeforeLastChar("Software", '\\'), "");
    EXPECT_EQ(BeforeLastChar("\"name\"=\"data\"", '"'), "\"name\"=\"data");
    EXPECT_EQ(AfterLastChar("a\\b\0\\c"s, '\\'), "b");
}

// ---- Wildcards -------------------------------------------------------------------

namespace {

// What the user types, upper-cased as the caller does, as a matcher pattern.
long Find(const std::string& text, const std::string& typed) { return WildPos(text, WildToPattern(typed)); }

}  // namespace

TEST(Wildcards, WhatTheUserTypesFindsWhatItSays) {
    // A star is any run, also none; the match is never anchored.
    for (const char* hit : {"ABC", "AC", "XABCY"}) EXPECT_GE(Find(hit, "A*C"), 0) << hit;
    EXPECT_EQ(Find("CBA", "A*C"), -1);
    EXPECT_EQ(Find("XXABC", "ABC"), 2);
    EXPECT_EQ(Find("", ""), 0);
    // Escaped stars and backslashes are literal (any literal: see below).
    EXPECT_EQ(Find("A\\XB", "A\\X"), 0);   // a backslash before anything else is itself
    EXPECT_EQ(Find("A\\", "A\\"), 0);      // and at the end too
    // One star at either end changes nothing; two at the end ask for a
    // character after the last segment.
    EXPECT_EQ(Find("ABC", "ABC**"), -1);
    EXPECT_EQ(Find("ABCD", "ABC**"), 0);
    // Segments never overlap and are taken at their first occurrence.
    EXPECT_EQ(Find("ABA", "ABA*BA"), -1);
    EXPECT_EQ(Find("ABAXBA", "ABA*BA"), 0);

    // Any literal, typed with its escapes, is found where a plain search
    // finds it.
    const std::string chars = "AB\\*";
    for (int n = 0; n < 4 * 4 * 4 * 4; ++n) {
        std::string literal, typed;
        for (int k = n, i = 0; i < 4; ++i, k /= 4) {
            const char c = chars[k % 4];
            literal += c;
            typed += (c == '\\' || c == '*') ? std::string("\\") + c : std::string(1, c);
        }
        const std::string text = "*\\B" + literal + "A";
        EXPECT_EQ(Find(text, typed), static_cast<long>(text.find(literal))) << typed;
    }
}

TEST(Wildcards, SearchMatchesNamesAndData) {
    EXPECT_TRUE(SearchMatches("xAbCy", "ABC", false, false));
    EXPECT_FALSE(SearchMatches("xAbCy", "ABC", false, true));
    EXPECT_TRUE(SearchMatches("a-b-c", WildToPattern("A*C"), true, true));  // whole words yield to wildcards
    EXPECT_FALSE(SearchMatches(std::string("ab\0c", 4), "C", false, false));
    EXPECT_FALSE(SearchMatches("", "", false, false));
    EXPECT_FALSE(SearchMatches(std::string("\0x", 2), WildToPattern("*"), true, false));
}
