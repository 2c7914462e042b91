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

}  // namespace

// What the comparison with the system's reader does not reach (the rules
// themselves are checked against it in zrvIniFile_win_test.cpp).
TEST(IniSection, BlanksOfAnyLengthAndTextWithoutAMark) {
    EXPECT_EQ(Read("[S" + std::string(100000, ' ') + "]\r\npadded=ab" + std::string(5000, ' ') + "\r\n", "S", "padded"),
              "ab");
    // UTF-16 text without a byte-order mark is bytes with NULs between them: nothing matches.
    EXPECT_EQ(Read("[\0S\0]\0\r\0\n\0k\0=\0v\0"s, "S", "k"), kDef);
}

TEST(IniSection, TheKeyListHoldsWholeNamesWithinItsBuffer) {
    const TIniSection s = ParseIniSection("[S]\r\nbare\r\nbare=1\r\n;note=2\r\n#hash=3\r\n=empty\r\nb=4\r\nB=5\r\nlong" +
                                              std::string(70000, 'k') + "=6\r\nc=\r\n",
                                          "S");
    for (const auto& [key, value] : std::vector<std::pair<std::string, std::string>>{
             {"bare", kDef} /* the line without "=" came first */, {";note", "2"}, {"", "empty"}, {"b", "4"}})
        EXPECT_EQ(s.ReadString(key, kDef), value) << key;
    // Listed as written, duplicates too; no ";" names, no empty name, no key past the longest kept.
    EXPECT_EQ(s.KeyNamesWithin(1000), Names({"bare", "#hash", "b", "B", "c"}));
    // Each name with its NUL and a final NUL: "bare#hash" takes 5 + 6 + 1 bytes.
    EXPECT_EQ(s.KeyNamesWithin(12), Names({"bare", "#hash"}));
    EXPECT_EQ(s.KeyNamesWithin(11), Names({"bare"}));
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
        for (std::size_t chunk : {std::size_t(1), std::size_t(7), std::size_t(4096)}) {
            TIniSection parts;
            TIniSectionReader reader(section, parts);
            bool more = true;
            for (std::size_t at = 0; at < text.size() && more; at += chunk)
                more = reader.Feed(text.data() + at, std::min(chunk, text.size() - at));
            EXPECT_EQ(more, section == "T");  // a section ended by a header needs no more text
            reader.Finish();
            EXPECT_EQ(parts.Entries(), whole.Entries()) << section << " " << chunk;
        }
    }
    EXPECT_EQ(ParseIniSection(text, "S").Entries().size(), 50u);  // up to the first "[Other]"
}
