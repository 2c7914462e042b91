// The INI reader against the system's profile reader on files of every
// kind, and reading files that cannot or must not be written.
#include "zrvIniFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../TestSupport.h"

using namespace std::string_literals;
using Names = std::vector<std::string>;

namespace {

const char kDef[] = "<default>";

void WriteBytes(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string FileBytes(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Profile(const std::string& file, const std::string& section, const std::string& key) {
    std::vector<char> buffer(kIniValueMax + 1);
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), key.c_str(), kDef, buffer.data(),
                                               static_cast<DWORD>(buffer.size()), file.c_str());
    return std::string(buffer.data(), n);
}

// The system's list of key names, without the name its buffer cut and
// without empty names.
Names ProfileNames(const std::string& file, const std::string& section, DWORD size) {
    std::vector<char> buffer(size);
    const DWORD n = ::GetPrivateProfileStringA(section.c_str(), nullptr, "", buffer.data(), size, file.c_str());
    Names names;
    for (DWORD at = 0; at < n;) {
        const std::string name(buffer.data() + at, strnlen(buffer.data() + at, n - at));
        at += static_cast<DWORD>(name.size()) + 1;
        if (!name.empty()) names.push_back(name);
    }
    if (n == size - 2 && !names.empty()) names.pop_back();  // cut
    return names;
}

// Every key a line of text could name: the text before its "=".
Names KeysOf(const std::string& text) {
    Names keys = {"", "absent"};
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        keys.push_back(text.substr(start, std::min(text.find('=', start), end) - start));
        start = end + 1;
    }
    return keys;
}

// Compares the reader with the system on the given sections and keys.
void CompareWithProfile(const std::string& file, const Names& keys, const Names& sections) {
    for (const std::string& section : sections) {
        TIniSection ours;
        EXPECT_TRUE(ReadIniSection(classlib::ToWide(file), section, ours)) << file;
        for (const std::string& key : keys)
            EXPECT_EQ(ours.ReadString(key, kDef), Profile(file, section, key)) << "[" << section << "] " << key;
        // The system lists no keys for a name asked for with blanks around it.
        if (section.empty() || (section.front() != ' ' && section.back() != ' ')) {
            EXPECT_EQ(ours.KeyNamesWithin(16384), ProfileNames(file, section, 16384)) << "[" << section << "]";
        }
    }
}

std::wstring Wide(const std::string& ansi) {
    std::wstring w(ansi.size(), L'\0');
    return w.substr(0, static_cast<std::size_t>(::MultiByteToWideChar(1252, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                                      &w[0], static_cast<int>(w.size()))));
}

// The text with its byte-order mark: UTF-16 little or big endian, or UTF-8.
std::string Encoded(const std::wstring& w, int form) {
    if (form == 2) {
        std::string bytes(w.size() * 3, '\0');
        bytes.resize(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()),
                                                                    &bytes[0], static_cast<int>(bytes.size()), nullptr,
                                                                    nullptr)));
        return "\xEF\xBB\xBF" + bytes;
    }
    std::string bytes = form ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t c : w) {
        const char lo = static_cast<char>(c & 0xFF), hi = static_cast<char>(c >> 8);
        bytes += form ? std::string{hi, lo} : std::string{lo, hi};
    }
    return bytes;
}

// The rules in one text: blanks, quotes, case, duplicates, headers.
const std::string kRules =
    "top=before any header\r\n"
    "[Lang]\r\n"
    "  plain \t=  a b \x1a\r\ndq=\" a \"\r\nsq=' a '\r\nopen=\"a\r\nmixed=\"a'\r\n"
    "lone=\"\r\npair=\"\"\r\ninner=\"a\"b\"\r\nempty=\r\nblanks= \v\f \r\ntwo=a=b\r\n"
    "nbsp=\xA0" "a\xA0\r\nvt=a\vb=c\r\nKey=1\r\nkey=2\r\n\xC9t\xE9=3\r\n\xE9t\xE9=4\r\n"
    "bare\r\nbare=5\r\n;note=6\r\n#hash=7\r\n[T=10\r\n[T\r\nx[T]=11\r\n"
    "high=\x80\x81\x8D\x8F\x90\x9D\xFF\r\n"
    "[Other]\r\nkey=12\r\n"
    "[ lang ]\r\nkey=13\r\nlater=14\r\n"
    "[ Spaced\tName ] junk\r\nk=15\r\n"
    "[S]x]\r\nk=16\r\n[a=b]\r\nk=17\r\n"
    "[Empty]\r\n"
    "[]\r\ntop=18\r\n"
    "[Tail]\r\nnoend=19";

// Every section of those rules, as written and in other ways; and a few.
const Names kRuleSections = {"",       "Lang", "LANG", " lang ", "Other", "Spaced\tName", "Spaced Name",
                             "S]x",    "S",    "a=b",  "Empty",  "Tail",  "T",            "absent"};
const Names kSomeSections = {"", "Lang", "Tail"};

std::string Replace(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

}  // namespace

TEST(IniFileVsProfile, RulesAndLineEnds) {
    TempFolder folder;
    const Names keys = KeysOf(kRules);
    const std::string file = folder.File("rules.ini");
    WriteBytes(file, kRules);
    CompareWithProfile(file, keys, kRuleSections);
    for (const char* end : {"\n", "\r"}) {
        WriteBytes(file, Replace(kRules, "\r\n", end));
        CompareWithProfile(file, keys, kSomeSections);
    }
    // NUL bytes end names and values; blanks before them stay.
    const std::string nuls = "[N\0x]\r\nk\0x=v\r\nv=a\0b\r\nq=\"a\0\"\r\nt=a \0b\r\nu=\"a\"\0x\r\nw=' a ' \0\r\n"
                             "\0=z\r\nk2 \0=y\r\nafter=1\r\n[M \0]\r\nk=1\r\n[ \0L]\r\nk=2\r\n"s;
    WriteBytes(file, nuls);
    CompareWithProfile(file, KeysOf(nuls), {"N", "M", "M ", "L", "", "absent"});
}

TEST(IniFileVsProfile, LongValuesAndAHugeLine) {
    TempFolder folder;
    std::string text = "[S]\r\n";
    for (int n : {2046, 2048, 3000}) {
        const std::string v(static_cast<std::size_t>(n - 1), 'x');
        const std::string id = std::to_string(n);
        text += "p" + id + "=" + v + "y\r\nq" + id + "=\"" + v + "y\"\r\nu" + id + "=\"" + v + "y\r\n";
        text += "b" + id + "=" + v + "y" + std::string(30, ' ') + "z\r\n";
    }
    const std::string file = folder.File("long.ini");
    WriteBytes(file, text + "after=1\r\n");
    CompareWithProfile(file, KeysOf(text + "after=1"), {"S"});

    // The system drops the last character of exactly 2,047 between quotes.
    const std::string x2047(2047, 'x');
    WriteBytes(file, "[S]\r\nq=\"" + x2047 + "\"\r\n");
    TIniSection s;
    ASSERT_TRUE(ReadIniSection(classlib::ToWide(file), "S", s));
    EXPECT_EQ(s.ReadString("q", kDef), x2047);

    // A line of 16 MB (the benchmark reads one of 100 MB), in the section
    // asked for and before one.
    const std::string big = folder.File("big.ini");
    WriteBytes(big, "[Before]\r\nline=1\r\n[Big]\r\nk=\"" + std::string(16u << 20, 'v') + "\" \r\nafter=1\r\n[Later]\r\nk=2\r\n");
    CompareWithProfile(big, {"k", "after", "line"}, {"Before", "Big", "Later"});
    ASSERT_TRUE(ReadIniSection(classlib::ToWide(big), "Big", s));
    EXPECT_EQ(s.ReadString("k", kDef), std::string(kIniValueMax, 'v'));
}

TEST(IniFileVsProfile, UnicodeFilesWithAByteOrderMark) {
    TempFolder folder;
    // Lines of characters outside the code page and of two, three and four
    // UTF-8 bytes, long enough that the reader's chunks cut characters.
    std::wstring wide = L"[Wide]\r\n";
    for (int i = 0; i < 8000; ++i)
        wide += L"w" + std::to_wstring(i) + L"=" + std::wstring(static_cast<std::size_t>(i % 5), L'a') +
                L"\u00e9\u20ac\u4e2d\U0001F600\u00fc\u0436\r\n";
    const std::wstring text = Wide(kRules) + L"\r\n" + wide;
    for (int form = 0; form < 3; ++form) {
        const std::string file = folder.File("unicode.ini");
        WriteBytes(file, Encoded(text, form));
        CompareWithProfile(file, KeysOf(kRules), kSomeSections);
        // The long section whole, as the system gives it: key=value lines.
        std::vector<char> buffer(1 << 20);
        const DWORD n = ::GetPrivateProfileSectionA("Wide", buffer.data(), static_cast<DWORD>(buffer.size()), file.c_str());
        Names want;
        for (DWORD at = 0; at < n && buffer[at]; at += static_cast<DWORD>(want.back().size()) + 1)
            want.emplace_back(buffer.data() + at);
        TIniSection s;
        ASSERT_TRUE(ReadIniSection(classlib::ToWide(file), "Wide", s));
        Names got;
        for (const auto& e : s.Entries()) got.push_back(e.first + "=" + e.second);
        ASSERT_EQ(got.size(), 8000u);
        EXPECT_EQ(got, want);
    }
}

TEST(IniFileVsProfile, AHundredThousandSectionsAndALongList) {
    TempFolder folder;
    std::string text;
    for (int i = 0; i < 100000; ++i) text += "[S" + std::to_string(i) + "]\r\nk=v" + std::to_string(i) + "\r\n";
    const std::string file = folder.File("sections.ini");
    WriteBytes(file, text);
    Names sample = {"S0", "s99999", "S100000", ""};  // and a few between
    for (int i = 1; i < 100000; i += 19999) sample.push_back("S" + std::to_string(i));
    CompareWithProfile(file, {"k", "K", "j"}, sample);

    // 2,000 long names: the system's buffer of 16,384 bytes cuts one of them.
    std::string list = "[Tessmorel Language Setting]\r\n";
    for (int i = 0; i < 2000; ++i) list += "Language name number " + std::to_string(i) + "=ANSI\r\n";
    WriteBytes(file, list);
    TIniSection s;
    ASSERT_TRUE(ReadIniSection(classlib::ToWide(file), "Tessmorel Language Setting", s));
    EXPECT_EQ(s.KeyNamesWithin(16384), ProfileNames(file, "Tessmorel Language Setting", 16384));
}

TEST(IniFileRead, FilesThatCannotBeReadGiveNothingAndNoneIsWritten) {
    TempFolder folder;
    const std::string file = folder.File("LANGUAGE.INI");
    const std::string text = "[S]\r\nk=1\r\n";
    WriteBytes(file, text);
    TIniSection s;
    for (const std::string& name : {folder.File("missing.ini"), folder.Path, "NUL"s})
        EXPECT_FALSE(ReadIniSection(classlib::ToWide(name), "S", s)) << name;

    // Open elsewhere without sharing.
    const HANDLE lock = ::CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(ReadIniSection(classlib::ToWide(file), "S", s));
    ::CloseHandle(lock);
    // Read-only file and folder are read.
    ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(::SetFileAttributesA(folder.Path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(ReadIniSection(classlib::ToWide(file), "s", s));
    EXPECT_EQ(s.ReadString("K", kDef), "1");
    ::SetFileAttributesA(folder.Path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(FileBytes(file), text);

    // Empty files, and one of only a byte-order mark, hold nothing.
    for (const char* bytes : {"", "\xFF\xFE"}) {
        WriteBytes(file, bytes);
        EXPECT_TRUE(ReadIniSection(classlib::ToWide(file), "", s));
        EXPECT_TRUE(s.Entries().empty());
    }
}
