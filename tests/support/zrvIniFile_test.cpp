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

TEST(IniSection, ValuesLoseBlanksAndBalancedQuotes) {
    const std::string text =
        "[S]\r\n"
        "  plain \t=  a b \x1a\r\n"
        "dq=\" a \"\r\nsq=' a '\r\n"
        "open=\"a\r\nclose=a'\r\nmixed=\"a'\r\nlone=\"\r\npair=\"\"\r\ninner=\"a\"b\"\r\n"
        "empty=\r\nblanks= \v\f \r\ntwo=a=b\r\nnbsp=\xA0" "a\xA0\r\nvt=a\vb=c\r\n";
    ExpectValues(ParseIniSection(text, "S"),
                 {{"plain", "a b"}, {"dq", " a "}, {"sq", " a "}, {"open", "\"a"}, {"close", "a'"}, {"mixed", "\"a'"},
                  {"lone", "\""}, {"pair", ""}, {"inner", "a\"b"}, {"empty", ""}, {"blanks", ""}, {"two", "a=b"},
                  {"nbsp", "\xA0" "a\xA0"},  // no blank in the system's sense
                  {"vt", "a\vb=c"},          // a vertical tab ends no line
                  {"missing", kDef}});
}

TEST(IniSection, LongValuesAreCutAndLaterLinesRead) {
    const std::string x2047(2047, 'x');
    const std::string text = "[S]\r\ncut=" + x2047 + "yz\r\nexact=\"" + x2047 + "\"\r\nquoted=\"" + x2047 +
                             "y\"\r\nblanks=" + std::string(2040, 'x') + std::string(20, ' ') + "z \r\n" +
                             "padded=ab" + std::string(5000, ' ') + "\r\nlast=1\r\n";
    const TIniSection s = ParseIniSection(text, "S");
    EXPECT_EQ(s.ReadString("cut", kDef), x2047);
    EXPECT_EQ(s.ReadString("exact", kDef), x2047);  // the system's reader loses a character here
    EXPECT_EQ(s.ReadString("quoted", kDef), x2047);
    EXPECT_EQ(s.ReadString("blanks", kDef), std::string(2040, 'x') + std::string(7, ' '));
    EXPECT_EQ(s.ReadString("padded", kDef), "ab");
    EXPECT_EQ(s.ReadString("last", kDef), "1");
    for (const auto& e : s.Entries()) EXPECT_LE(e.second.size(), kIniValueMax);
}

TEST(IniSection, NamesIgnoreAsciiCaseAndTheFirstWins) {
    const std::string text =
        "top=0\r\n[Lang]\r\nKey=1\r\nkey=2\r\n\xC9t\xE9=3\r\n"
        "[Other]\r\nkey=4\r\n[LANG]\r\nkey=5\r\nlater=6\r\n[]\r\ntop=7\r\n";
    const TIniSection s = ParseIniSection(text, "lANG");
    EXPECT_EQ(s.ReadString("KEY", kDef), "1");
    EXPECT_EQ(s.ReadString(" \tkey\x1a", kDef), "1");  // blanks around the name asked for
    EXPECT_EQ(s.ReadString("\xC9t\xE9", kDef), "3");
    EXPECT_EQ(s.ReadString("\xE9t\xE9", kDef), kDef);  // only ASCII letters fold
    EXPECT_EQ(s.ReadString("later", kDef), kDef);      // in the second [LANG], not read
    EXPECT_EQ(Read(text, " lang ", "key"), "1");
    EXPECT_EQ(Read(text, "", "top"), "0");  // lines before the first header
    EXPECT_EQ(Read(text, "Oth", "key"), kDef);
    EXPECT_EQ(Read(text, "Missing", "key"), kDef);
    const std::vector<std::pair<std::string, std::string>> want = {{"Key", "1"}, {"\xC9t\xE9", "3"}};
    EXPECT_EQ(s.Entries(), want);
}

TEST(IniSection, HeadersAndLineEnds) {
    EXPECT_EQ(Read("[ S ]\r\nk=1\r\n", "S", "k"), "1");
    EXPECT_EQ(Read("  [S] junk=x\r\nk=1\r\n", "S", "k"), "1");
    EXPECT_EQ(Read("[S]x]\r\nk=1\r\n", "S]x", "k"), "1");  // up to the last "]"
    EXPECT_EQ(Read("[S]x]\r\nk=1\r\n", "S", "k"), kDef);
    EXPECT_EQ(Read("[a=b]\r\nk=1\r\n", "a=b", "k"), "1");
    EXPECT_EQ(Read("[a\tb]\r\nk=1\r\n", "a\tb", "k"), "1");
    EXPECT_EQ(Read("[a\tb]\r\nk=1\r\n", "a b", "k"), kDef);
    EXPECT_EQ(Read("[S" + std::string(100000, ' ') + "]\r\nk=1\r\n", "S", "k"), "1");
    // "[T" and "x[T]" are no headers: key lines of the section they stand in.
    const std::string unclosed = "[S]\r\n[T=5\r\n[T\r\nx[T]=6\r\nk=1\r\n";
    EXPECT_EQ(Read(unclosed, "S", "[T"), "5");
    EXPECT_EQ(Read(unclosed, "S", "x[T]"), "6");
    EXPECT_EQ(Read(unclosed, "S", "k"), "1");
    for (const char* end : {"\r\n", "\n", "\r", "\r\r\n", "\n\r"}) {
        const std::string text = "[S]"s + end + "a=1" + end + "[T]" + end + "b=2" + end + "c=3";
        EXPECT_EQ(Read(text, "S", "a"), "1") << end;
        EXPECT_EQ(Read(text, "T", "b"), "2") << end;
        EXPECT_EQ(Read(text, "T", "c"), "3") << end;  // no line end after the last line
    }
}

TEST(IniSection, LinesWithoutEqualsCommentsAndTheKeyList) {
    const std::string text =
        "[S]\r\nbare\r\nbare=1\r\n;note=2\r\n#hash=3\r\n=empty\r\nb=4\r\nB=5\r\nlong" + std::string(70000, 'k') +
        "=6\r\nc=\r\n";
    const TIniSection s = ParseIniSection(text, "S");
    EXPECT_EQ(s.ReadString("bare", kDef), kDef);  // the line without "=" came first
    EXPECT_EQ(s.ReadString(";note", kDef), "2");
    EXPECT_EQ(s.ReadString("#hash", kDef), "3");
    EXPECT_EQ(s.ReadString("", kDef), "empty");
    EXPECT_EQ(s.ReadString("b", kDef), "4");
    // Listed as written, duplicates too; no ";" names, no empty name, no key past the longest kept.
    const Names all = {"bare", "#hash", "b", "B", "c"};
    EXPECT_EQ(s.KeyNamesWithin(1000), all);
    // Each name with its NUL and a final NUL: "bare#hash" takes 5 + 6 + 1 bytes.
    EXPECT_EQ(s.KeyNamesWithin(12), Names({"bare", "#hash"}));
    EXPECT_EQ(s.KeyNamesWithin(11), Names({"bare"}));
    EXPECT_EQ(s.KeyNamesWithin(1), Names());
    EXPECT_EQ(s.KeyNamesWithin(0), Names());

    std::string list = "[L]\r\n";
    for (int i = 0; i < 2000; ++i) list += "Name" + std::to_string(i) + "=x\r\n";
    const Names names = ParseIniSection(list, "L").KeyNamesWithin(16384);
    std::size_t bytes = 1;
    for (const std::string& n : names) bytes += n.size() + 1;
    EXPECT_LE(bytes, 16384u);
    ASSERT_EQ(names.size(), 1943u);  // whole names only: "Name1943" would not fit
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
