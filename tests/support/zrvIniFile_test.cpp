#include "zrvIniFile.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

using namespace std::string_literals;
using Names = std::vector<std::string>;

namespace {

const std::string kDef = "<default>";

std::string Read(const std::string& text, const std::string& section, const std::string& key) {
    return ParseIniSection(text, section).ReadString(key, kDef);
}

void ExpectValues(const TIniSection& s, const std::vector<std::pair<std::string, std::string>>& want) {
    for (const auto& w : want) EXPECT_EQ(s.ReadString(w.first, kDef), w.second) << w.first;
}

}  // namespace

TEST(IniSection, ValuesNamesAndHeaders) {
    const std::string text =
        "top=0\r\n  [Lang] junk=x\r\n  plain \t=  a b \x1a\r\ndq=\" a \"\r\nsq=' a '\r\nopen=\"a\r\nmixed=\"a'\r\n"
        "lone=\"\r\ninner=\"a\"b\"\r\nempty=\r\ntwo=a=b\r\nnbsp=\xA0\r\nvt=a\vb=c\r\nKey=1\r\nkey=2\r\n\xC9=3\r\n"
        "[T=4\r\n[Other]\r\nkey=5\r\n[ LANG ]\r\nlater=6\r\n[S]x]\n[a\tb]\rk=7";
    ExpectValues(ParseIniSection(text, " lANG\t"),
                 {{"plain", "a b"}, {"dq", " a "}, {"sq", " a "}, {"open", "\"a"}, {"mixed", "\"a'"}, {"lone", "\""},
                  {"inner", "a\"b"}, {"empty", ""}, {"two", "a=b"}, {"nbsp", "\xA0"}, {"vt", "a\vb=c"}, {"KEY", "1"},
                  {" \tkey\x1a", "1"}, {"\xC9", "3"}, {"\xE9", kDef}, {"[T", "4"}, {"later", kDef}, {"missing", kDef}});
    EXPECT_EQ(Read(text, "", "top"), "0");  // lines before the first header
    EXPECT_EQ(Read(text, "S]x", "k"), kDef);
    EXPECT_EQ(Read(text, "a\tb", "k"), "7");
    EXPECT_EQ(Read(text, "a b", "k"), kDef);
    EXPECT_EQ(Read("[S" + std::string(100000, ' ') + "]\r\nk=1\r\n", "S", "k"), "1");
}

TEST(IniSection, LongValuesAreCutAndLaterLinesRead) {
    const std::string x2047(2047, 'x');
    const std::string text = "[S]\r\ncut=" + x2047 + "yz\r\nexact=\"" + x2047 + "\"\r\nblanks=" +
                             std::string(2040, 'x') + std::string(20, ' ') + "z \r\npadded=ab" +
                             std::string(5000, ' ') + "\r\nlast=1\r\n";
    ExpectValues(ParseIniSection(text, "S"), {{"cut", x2047},
                                              {"exact", x2047},  // the system's reader loses a character here
                                              {"blanks", std::string(2040, 'x') + std::string(7, ' ')},
                                              {"padded", "ab"},
                                              {"last", "1"}});
}

TEST(IniSection, LinesWithoutEqualsCommentsAndTheKeyList) {
    const std::string text =
        "[S]\r\nbare\r\nbare=1\r\n;note=2\r\n#hash=3\r\n=empty\r\nb=4\r\nB=5\r\nlong" + std::string(70000, 'k') +
        "=6\r\nc=\r\n";
    const TIniSection s = ParseIniSection(text, "S");
    ExpectValues(s, {{"bare", kDef},  // the line without "=" came first
                     {";note", "2"}, {"#hash", "3"}, {"", "empty"}, {"b", "4"}});
    // Listed as written, duplicates too; no ";" names, no empty name, no key past the longest kept.
    EXPECT_EQ(s.KeyNamesWithin(1000), Names({"bare", "#hash", "b", "B", "c"}));
    // Each name with its NUL and a final NUL: "bare#hash" takes 5 + 6 + 1 bytes.
    EXPECT_EQ(s.KeyNamesWithin(12), Names({"bare", "#hash"}));
    EXPECT_EQ(s.KeyNamesWithin(11), Names({"bare"}));
    EXPECT_EQ(s.KeyNamesWithin(1), Names());

    std::string list = "[L]\r\n";
    for (int i = 0; i < 2000; ++i) list += "Name" + std::to_string(i) + "=x\r\n";
    const Names names = ParseIniSection(list, "L").KeyNamesWithin(16384);
    ASSERT_EQ(names.size(), 1943u);  // 16,383 bytes: whole names only, "Name1943" would not fit
    EXPECT_EQ(names.back(), "Name1942");
}

TEST(IniSection, NulBytesEndTheirPart) {
    const std::string text =
        "[S\0x]\r\nk\0x=v\r\nv=a\0b\r\nq=\"a\0\"\r\nt=a \0b\r\n\0=z\r\nafter=1\r\n[T \0]\r\nk=1\r\n"s;
    ExpectValues(ParseIniSection(text, "S"), {{"k", "v"}, {"v", "a"}, {"q", "\"a"}, {"t", "a "}, {"", "z"}, {"after", "1"},
                                              {"k\0x"s, "v"}});  // a name asked for also ends at its NUL
    EXPECT_EQ(Read(text, "T", "k"), kDef);  // the section is "T "
    // UTF-16 text without a byte-order mark is bytes with NULs between them: nothing matches.
    const std::string utf16 = "[\0S\0]\0\r\0\n\0k\0=\0v\0"s;
    EXPECT_EQ(Read(utf16, "S", "k"), kDef);
}

TEST(IniSection, ChunksOfAnySizeReadAsOne) {
    std::string text = "k0=top\r\n[S]\r\n";
    std::mt19937 random(13);
    for (int i = 0; i < 300; ++i) {
        text += "  key" + std::to_string(i) + (i % 7 ? " = \"v" : "='w") + std::string(random() % 3000, 'x');
        text += i % 5 ? "\"\r\n" : "\r";
        if (i % 50 == 49) text += "[S" + std::string(i, ' ') + "\n[Other]\r\nkey0=no\r\n[s]\n";
    }
    text += "[T]\r\nk=1";
    for (const std::string section : {"S", "", "T"}) {
        const TIniSection whole = ParseIniSection(text, section);
        for (std::size_t chunk : {std::size_t(1), std::size_t(2), std::size_t(7), std::size_t(4096)}) {
            TIniSection parts;
            TIniSectionReader reader(section, parts);
            bool more = true;
            for (std::size_t at = 0; at < text.size() && more; at += chunk)
                more = reader.Feed(text.data() + at, std::min(chunk, text.size() - at));
            EXPECT_EQ(more, section == "T");  // a section ended by a header needs no more text
            reader.Finish();
            EXPECT_EQ(parts.Entries(), whole.Entries()) << section << " " << chunk;
            EXPECT_EQ(parts.KeyNamesWithin(size_t(-1)), whole.KeyNamesWithin(size_t(-1)));
        }
    }
    EXPECT_EQ(ParseIniSection(text, "S").Entries().size(), 50u);  // up to the first "[Other]"
    EXPECT_EQ(Read(text, "", "k0"), "top");
}
