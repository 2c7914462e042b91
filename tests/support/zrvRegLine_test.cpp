#include "zrvRegLine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;
using namespace std::string_literals;

namespace {

const std::uint32_t kHKCU = 0x80000001u;
const std::uint32_t kHKLM = 0x80000002u;

struct Item {
    int Kind;
    std::uint32_t Root;
    std::string Path, Name, Data;
    std::uint32_t Type = kRegTypeBinary;  // of binary items
    bool operator==(const Item& o) const {
        return Kind == o.Kind && Root == o.Root && Path == o.Path && Name == o.Name && Data == o.Data &&
               (Kind != rikBinary || Type == o.Type);
    }
};

std::ostream& operator<<(std::ostream& os, const Item& i) {
    return os << "{kind " << i.Kind << ", root " << std::hex << i.Root << ", type " << i.Type << std::dec << ", ["
              << i.Path << "] \"" << i.Name << "\" = \"" << i.Data << "\"}";
}

const Item kRefused{rikRefused, 0, "", "", ""};

Item Key(std::uint32_t root, const std::string& path) { return {rikKey, root, path, "", ""}; }
Item Str(std::uint32_t root, const std::string& path, const std::string& name, const std::string& data) {
    return {rikString, root, path, name, data};
}
Item Dword(std::uint32_t root, const std::string& path, const std::string& name, const std::string& data) {
    return {rikDword, root, path, name, data};
}
Item Bin(std::uint32_t root, const std::string& path, const std::string& name, const std::string& data,
         std::uint32_t type = kRegTypeBinary) {
    return {rikBinary, root, path, name, data, type};
}

// Every item of the lines, read as the importer reads them, from line 0.
// Also checks what every call must do to the line index.
std::vector<Item> ParseAll(const Lines& lines) {
    std::vector<Item> items;
    TImportInfo info;
    std::size_t index = 0;
    for (;;) {
        const std::size_t before = index;
        if (!ParseRegLine(index, lines, info)) {
            EXPECT_EQ(index, lines.size());
            break;
        }
        EXPECT_GT(index, before);
        EXPECT_LE(index, lines.size());
        if (info.Kind == rikRefused) {
            items.push_back(kRefused);
            continue;
        }
        EXPECT_TRUE(info.KeyValid);
        if (info.Kind == rikKey)
            items.push_back(Key(info.RootKey, info.KeyPath));
        else
            items.push_back({info.Kind, info.RootKey, info.KeyPath, info.ValueName, info.Data, info.DataType});
    }
    return items;
}

// A single value line read under one section.
Item ReadBack(const std::string& valueLine) {
    const std::vector<Item> items = ParseAll({"[HKEY_CURRENT_USER\\T]", valueLine});
    EXPECT_EQ(items.size(), 2u) << valueLine;
    return items.size() == 2 ? items[1] : Item{-1, 0, "", "", ""};
}

}  // namespace

// ---- Root names and header ---------------------------------------------------

TEST(RegLine, RootNamesAndHeaderLines) {
    for (std::uint32_t root = kRegRootFirst; root < kRegRootFirst + kRegRootCount; ++root)
        EXPECT_EQ(RegRootFromName(RegRootName(root)), root);
    EXPECT_EQ(RegRootName(kHKCU), "HKEY_CURRENT_USER");
    EXPECT_EQ(RegRootName(0x80000007u), "");
    EXPECT_EQ(RegRootName(0), "");
    EXPECT_EQ(RegRootFromName("hkey_Local_Machine"), kHKLM);
    EXPECT_EQ(RegRootFromName("HKLM"), 0u);
    EXPECT_EQ(RegRootFromName(" HKEY_USERS"), 0u);
    EXPECT_EQ(RegRootFromName("HKEY_USERS\0"s), 0u);
    EXPECT_EQ(RegRootFromName(""), 0u);

    EXPECT_TRUE(IsRegFileHeader("REGEDIT4"));
    EXPECT_TRUE(IsRegFileHeader("Windows Registry Editor Version 5.00"));
    EXPECT_TRUE(IsRegFileHeader("REGEDIT3"));
    for (const char* no : {"REGEDIT4 ", " REGEDIT4", "regedit4", "REGEDIT2", "", "\xEF\xBB\xBFREGEDIT4",
                           "Windows Registry Editor Version 5.0"})
        EXPECT_FALSE(IsRegFileHeader(no)) << no;
}

// ---- Writing -------------------------------------------------------------------

TEST(RegLineWriter, LinesAndEscaping) {
    EXPECT_EQ(RegDwordLine("n", 0xFFFFFFFFu), R"("n"=dword:FFFFFFFF)");
    const std::uint8_t bytes[] = {0x01, 0xAB, 0x00, 0xFF};
    EXPECT_EQ(RegBinaryLine("z", bytes, 4), R"("z"=hex:01,AB,00,FF)");
    EXPECT_EQ(RegBinaryLine("empty", nullptr, 5), R"("empty"=hex:)");

    // Backslashes are doubled before quotes are escaped.
    EXPECT_EQ(EscapeRegText("\\\""), R"(\\\")");
    EXPECT_EQ(EscapeRegText("a\r\nb"), R"(a\r\nb)");
    // A line break must never reach the text: it would end the line.
    EXPECT_EQ(EscapeRegText("one\n[HKEY_LOCAL_MACHINE\\X]").find('\n'), std::string::npos);
    // Names and string data end at their first NUL.
    EXPECT_EQ(EscapeRegText("ab\0cd"s), "ab");
    EXPECT_EQ(RegStringLine("n\0x"s, "d\0y"s), R"("n"="d")");

    EXPECT_EQ(UnescapeRegText(R"(\\\")"), "\\\"");
    EXPECT_EQ(UnescapeRegText(R"(a\r\nb)"), "a\r\nb");
    // Backslashes that escape nothing stay, as hand-written paths have them.
    EXPECT_EQ(UnescapeRegText(R"(C:\dir\x)"), R"(C:\dir\x)");
    EXPECT_EQ(UnescapeRegText("end\\"), "end\\");
    EXPECT_EQ(UnescapeRegText(R"(\\n)"), R"(\n)");
}

// Whatever a name or string holds, the line the writer makes reads back as
// the same name and data, whatever the kind of value.
TEST(RegLineWriter, EveryNameAndDataReadsBackAsWritten) {
    std::string allBytes;
    for (int c = 1; c < 256; ++c) allBytes += static_cast<char>(c);
    const std::vector<std::string> texts = {
        "", "plain", " blanks ", "\\", "\\\\", "\"", "\\\"", "\"\\", "ends with \\", "\"=\"", "a\"=\"b",
        "x\"=dword:", "\"=hex:", "y\"=hex:01", "=", "[HKEY_LOCAL_MACHINE\\Evil]", "]", "[", "@", "\r\n", "\\r\\n",
        "line\n[HKEY_LOCAL_MACHINE\\X]\n\"v\"=\"1\"", "\x80\x81\x9F\xA0\xE9\xFF", allBytes,
    };
    const std::uint8_t bytes[] = {0x00, 0x5C, 0x22, 0x0D, 0x0A, 0xFF};
    for (const std::string& name : texts) {
        for (const std::string& data : texts)
            EXPECT_EQ(ReadBack(RegStringLine(name, data)), Str(kHKCU, "T", name, data)) << name << " / " << data;
        EXPECT_EQ(ReadBack(RegDwordLine(name, 0x0000007B)), Dword(kHKCU, "T", name, "0000007B")) << name;
        EXPECT_EQ(ReadBack(RegBinaryLine(name, bytes, sizeof bytes)), Bin(kHKCU, "T", name, "00,5C,22,0D,0A,FF"))
            << name;
        EXPECT_EQ(ReadBack(RegBinaryLine(name, bytes, 0)), Bin(kHKCU, "T", name, "")) << name;
    }
    // Key paths holding brackets and blanks.
    for (const std::string path : {"a]b", "]", "x [y]", " lead", "a\\b]\\c"})
        EXPECT_EQ(ParseAll({RegSectionLine("HKEY_LOCAL_MACHINE\\" + path)}), std::vector<Item>{Key(kHKLM, path)});
}

// ---- Reading: sections -------------------------------------------------------------

TEST(RegLineSections, RootsAndPaths) {
    const Lines lines = {
        "[HKEY_CURRENT_USER]",
        "  [hkey_local_machine\\Software\\X]  ",
        "[HKEY_USERS\\]",
        "[HKEY_CURRENT_USER\\a] ; a comment",
        "[HKEY_CURRENT_USER\\b]c]",
        "[HKEY_CLASSES_ROOT\\.txt]",
    };
    EXPECT_EQ(ParseAll(lines), (std::vector<Item>{Key(kHKCU, ""), Key(kHKLM, "Software\\X"), Key(0x80000003u, ""),
                                                   Key(kHKCU, "a"), Key(kHKCU, "b]c"), Key(0x80000000u, ".txt")}));
}

// A section line that names no root key, and every value under it, is
// refused: they belong to no key that this reader knows, least of all the
// previous one.
TEST(RegLineSections, SectionsWithoutARootAndTheirValuesAreRefused) {
    const Lines lines = {
        "\"before\"=\"any section\"",
        "[HKEY_CURRENT_USER\\Good]",
        "\"a\"=\"1\"",
        "[-HKEY_CURRENT_USER\\Deleted]",
        "\"b\"=\"2\"",
        "[HKCU\\Abbreviated]",
        "\"c\"=dword:00000003",
        "[ HKEY_CURRENT_USER\\Blank]",
        "\"d\"=hex:04",
        "[HKEY_CURRENT_USER\\NoClosingBracket",
        "\"e\"=\"5\"",
        "[Nothing]",
        "\"f\"=\"6\"",
        "[HKEY_CURRENT_USER\\Again]",
        "\"g\"=\"7\"",
    };
    EXPECT_EQ(ParseAll(lines), (std::vector<Item>{kRefused, Key(kHKCU, "Good"), Str(kHKCU, "Good", "a", "1"),
                                                   kRefused, kRefused, kRefused, kRefused, kRefused, kRefused,
                                                   kRefused, kRefused, kRefused, kRefused, Key(kHKCU, "Again"),
                                                   Str(kHKCU, "Again", "g", "7")}));
}

// ---- Reading: values ---------------------------------------------------------------

TEST(RegLineValues, DataForms) {
    EXPECT_EQ(ReadBack("\"s\"=\"x\" ; comment").Data, "x");
    EXPECT_EQ(ReadBack("\"s\"=\"say \"hi\"\"").Data, "say \"hi\"");  // up to the last quote
    EXPECT_EQ(ReadBack("  \"s\"=\"indented\""), Str(kHKCU, "T", "s", "indented"));
    EXPECT_EQ(ReadBack("\"d\"=dword:7b"), Dword(kHKCU, "T", "d", "7b"));
    EXPECT_EQ(ReadBack("\"b\"=hex: 01, ab ,FF").Data, "01,ab,FF");
    EXPECT_EQ(ReadBack("@=\"default\""), Str(kHKCU, "T", "", "default"));
    EXPECT_EQ(ReadBack("@=dword:00000001"), Dword(kHKCU, "T", "", "00000001"));
    // Names that are not quoted as the writer quotes them: the first
    // marker in the line decides.
    EXPECT_EQ(ReadBack("\"a\"b\"=\"c\""), Str(kHKCU, "T", "a\"b", "c"));
    EXPECT_EQ(ReadBack("\"C:\\\"=\"x\""), Str(kHKCU, "T", "C:\\", "x"));
    EXPECT_EQ(ReadBack("\"=\"unquoted\""), Str(kHKCU, "T", "", "unquoted"));
}

// Malformed lines are refused, never turned into data.
TEST(RegLineValues, MalformedLinesAreRefused) {
    for (const std::string& bad :
         {"\"s\"=\"no closing quote"s, "\"s\"=\"cut\"\0\"more\""s, "\"d\"=dword:0000007B  "s, "\"d\"=dword:123456789"s,
          "\"d\"=dword:"s, "\"d\"=dword:12G4"s, "\"b\"=hex:zz,GG,1x"s, "\"b\"=hex:1,2"s, "\"b\"=hex:0102"s,
          "\"b\"=hex:01,,02"s, "\"b\"=hex(2:01"s, "\"b\"=hex(123456789):01"s, "\"u\"=str:x"s, "garbage"s})
        EXPECT_EQ(ParseAll({"[HKEY_CURRENT_USER\\T]", bad}), (std::vector<Item>{Key(kHKCU, "T"), kRefused})) << bad;
    // A bad byte on a continuation line spoils the whole value, and a NUL
    // there too; the value's lines are consumed with it.
    for (const std::string& next : {"  0x"s, "  02\0,03"s})
        EXPECT_EQ(ParseAll({"[HKEY_CURRENT_USER\\T]", "\"b\"=hex:01,\\", next, "\"n\"=\"1\""}),
                  (std::vector<Item>{Key(kHKCU, "T"), kRefused, Str(kHKCU, "T", "n", "1")}));
}

TEST(RegLineValues, TypedHexAndDefaultValuesOfOtherTools) {
    const Lines lines = {
        "[HKEY_CURRENT_USER\\K]",
        "@=\"default with an at sign\"",
        "; \"comment\"=\"x\"",
        "\"expand\"=hex(2):25,00,50,00,41,00,\\",
        "  54,00,48,00,25,00,00,00",
        "\"multi\"=hex(7):61,00,00,00,\\",
        "  00,00",
        "\"deleted\"=-",
        "\"spaced\" = \"x\"",
        "\"qword\"=hex(b):01,00,00,00,00,00,00,00",
        "",
        "   ",
        "\"kept\"=\"yes\"",
        "\"typed\"=hex(FFFFFFFF):",
    };
    EXPECT_EQ(ParseAll(lines),
              (std::vector<Item>{Key(kHKCU, "K"), Str(kHKCU, "K", "", "default with an at sign"),
                                 Bin(kHKCU, "K", "expand", "25,00,50,00,41,00,54,00,48,00,25,00,00,00", 2),
                                 Bin(kHKCU, "K", "multi", "61,00,00,00,00,00", 7), kRefused, kRefused,
                                 Bin(kHKCU, "K", "qword", "01,00,00,00,00,00,00,00", 0xb),
                                 Str(kHKCU, "K", "kept", "yes"), Bin(kHKCU, "K", "typed", "", 0xFFFFFFFFu)}));
    // What the writer makes of every type reads back with its type.
    const std::uint8_t bytes[] = {0x61, 0x00, 0x00, 0x00};
    for (std::uint32_t type : {0u, 1u, 7u, 11u, 0x12345678u, 0xFFFFFFFFu})
        EXPECT_EQ(ReadBack(RegHexLine("n", type, bytes, sizeof bytes)), Bin(kHKCU, "T", "n", "61,00,00,00", type));
    EXPECT_EQ(RegHexLine("n", 11, bytes, 2), R"("n"=hex(b):61,00)");
}

TEST(RegLineValues, BinaryContinuationLines) {
    const Lines lines = {
        "[HKEY_CURRENT_USER\\K]",
        "\"long\"=hex:01,02,\\",
        "  03,04,\\",
        "",
        "  05,06",
        "\"next\"=\"n\"",
        "\"cut\"=hex:0a,\\",
        "\"after\"=dword:00000001",
        "\"bracket\"=hex:0b,\\",
        "[HKEY_CURRENT_USER\\L]",
        "\"last\"=hex:0c,0d,\\",
    };
    EXPECT_EQ(ParseAll(lines), (std::vector<Item>{
                                   Key(kHKCU, "K"),
                                   Bin(kHKCU, "K", "long", "01,02,03,04,05,06"),
                                   Str(kHKCU, "K", "next", "n"),
                                   Bin(kHKCU, "K", "cut", "0a,"),
                                   Dword(kHKCU, "K", "after", "00000001"),
                                   Bin(kHKCU, "K", "bracket", "0b,"),
                                   Key(kHKCU, "L"),
                                   Bin(kHKCU, "L", "last", "0c,0d,"),
                               }));

    // The index stops right after the last continuation line.
    TImportInfo info;
    std::size_t index = 0;
    ASSERT_TRUE(ParseRegLine(index, lines, info));
    ASSERT_TRUE(ParseRegLine(index, lines, info));
    EXPECT_EQ(index, 5u);
    EXPECT_EQ(info.ValueName, "long");
}

TEST(RegLineValues, EmptyAndBlankTexts) {
    TImportInfo info;
    std::size_t index = 0;
    EXPECT_FALSE(ParseRegLine(index, {}, info));
    EXPECT_EQ(index, 0u);
    index = 7;  // past the end
    EXPECT_FALSE(ParseRegLine(index, {"[HKEY_CURRENT_USER]"}, info));
    EXPECT_TRUE(ParseAll({"", " ", "; only a comment", "# and another"}).empty());
    EXPECT_EQ(ParseAll({"\0[HKEY_CURRENT_USER]"s, "]", "["}), (std::vector<Item>{kRefused, kRefused, kRefused}));
}
