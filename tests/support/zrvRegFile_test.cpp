#include "zrvRegFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "../TestSupport.h"
#include "Exceptions.h"
#include "zrvRegistry.h"

using classlib::TStringList;
using namespace std::string_literals;

namespace {

std::string ReadFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& name, const std::string& content) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << content;
}

TStringList Lines(const std::vector<std::string>& lines) {
    TStringList list;
    for (const auto& l : lines) list.Add(l);
    return list;
}

void SetRaw(HKEY key, const std::string& name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS)
        << name;
}

void SetW(HKEY key, const std::wstring& name, DWORD type, const void* data, size_t size) {
    ASSERT_EQ(::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size)),
              ERROR_SUCCESS);
}
void SetW(HKEY key, const std::wstring& name, const std::wstring& text) {
    SetW(key, name, REG_SZ, text.c_str(), (text.size() + 1) * 2);
}

// Creates (or opens) a key below parent by its wide path.
HKEY CreateW(HKEY parent, const std::wstring& path) {
    HKEY k = nullptr;
    ::RegCreateKeyExW(parent, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    return k;
}

std::string Sz(const std::string& s) { return s + '\0'; }
// A string's bytes as the registry stores them.
std::vector<BYTE> Utf16(const std::wstring& s) {
    const auto* p = reinterpret_cast<const BYTE*>(s.c_str());
    return std::vector<BYTE>(p, p + (s.size() + 1) * 2);
}

HKEY OpenKey(const std::string& path) {
    HKEY k = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    return k;
}

// The text with every section under from moved under to.
TStringList Retarget(const TStringList& text, const std::string& from, const std::string& to) {
    const std::string old = "[HKEY_CURRENT_USER\\" + from;
    TStringList out;
    for (const std::string& line : text)
        out.Add(line.rfind(old, 0) == 0 ? "[HKEY_CURRENT_USER\\" + to + line.substr(old.size()) : line);
    return out;
}

// The image without the keys (and their subtrees) and values for which
// leftOut holds of their own name.
template <typename Pred>
TreeImage Without(TreeImage image, Pred leftOut) {
    auto gone = [&](const std::wstring& entry) {  // "\\key\\path" or "\\key\\path:value name"
        const size_t colon = std::min(entry.find(L':'), entry.size());
        if (colon < entry.size() && leftOut(entry.substr(colon + 1))) return true;
        for (size_t start = 1, end = 0; start < colon; start = end + 1)
            if (leftOut(entry.substr(start, (end = std::min(entry.find(L'\\', start), colon)) - start))) return true;
        return false;
    };
    for (auto it = image.Keys.begin(); it != image.Keys.end();) it = gone(it->first) ? image.Keys.erase(it) : ++it;
    for (auto it = image.Values.begin(); it != image.Values.end();)
        it = gone(it->first) ? image.Values.erase(it) : ++it;
    return image;
}

// Characters the code page (1252 here) has no place for.
bool OutsideCodePage(const std::wstring& name) {
    BOOL usedDefault = FALSE;
    ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.data(), static_cast<int>(name.size()), nullptr, 0,
                          nullptr, &usedDefault);
    return usedDefault != FALSE;
}

// Names run to 16,383 characters: failures show sizes, not the names.
void ExpectSameImage(const TreeImage& got, const TreeImage& want) {
    EXPECT_TRUE(got.Keys == want.Keys) << got.Keys.size() << " keys, want " << want.Keys.size();
    EXPECT_EQ(got.Values.size(), want.Values.size());
    for (const auto& v : want.Values) {
        const auto it = got.Values.find(v.first);
        EXPECT_TRUE(it != got.Values.end() && it->second == v.second)
            << "value of type " << v.second.first << ", name of " << v.first.size();
    }
}

const char* const kVersion5 = "Windows Registry Editor Version 5.00";

}  // namespace

// ---- Writer ---------------------------------------------------------------------

TEST(RegFileExport, LinesOfAKeyAndItsSubtree) {
    ScratchKey scratch;
    SetRaw(scratch.Key, "", REG_SZ, Sz("default"));
    SetRaw(scratch.Key, "back\\slash", REG_SZ, Sz("say \"hi\""));
    SetRaw(scratch.Key, "bin\\ary", REG_BINARY, "\x01\xAB");
    SetRaw(scratch.Key, "binEmpty", REG_BINARY, "");
    SetRaw(scratch.Key, "dw", REG_DWORD, "\x7B\0\0\0"s);
    SetRaw(scratch.Key, "dwBig", REG_DWORD_BIG_ENDIAN, "\0\0\0\x7B"s);
    SetRaw(scratch.Key, "dwLong", REG_DWORD, "\1\2\3\4\5"s);
    SetRaw(scratch.Key, "expand", REG_EXPAND_SZ, Sz("%PATH%"));
    SetRaw(scratch.Key, "multi", REG_MULTI_SZ, "a\0b\0\0"s);
    SetRaw(scratch.Key, "none", REG_NONE, "x");
    SetRaw(scratch.Key, "nul", REG_SZ, "ab\0cd\0"s);
    SetW(scratch.Key, L"unterminated", REG_SZ, L"abcd", 6);  // nothing after: no NUL is added
    scratch.AddKey("Sub\\Deeper");
    scratch.SetString("v", "deep", "Sub\\Deeper");
    scratch.AddKey("Another");

    TStringList list;
    list.Add("kept");
    ASSERT_TRUE(ExportKey(HKEY_CURRENT_USER, scratch.Path, list));
    const std::string top = "HKEY_CURRENT_USER\\" + scratch.Path;
    // Values come in the registry's order; Wine sorts them by name. Every
    // type keeps its type and bytes; string types are in the code page.
    const std::vector<std::string> expected = {
        "kept",
        "",
        "[" + top + "]",
        R"(""="default")",
        R"("back\\slash"="say \"hi\"")",
        R"("bin\\ary"=hex:01,AB)",
        R"("binEmpty"=hex:)",
        R"("dw"=dword:0000007B)",
        R"("dwBig"=hex(5):00,00,00,7B)",
        R"("dwLong"=hex(4):01,02,03,04,05)",
        R"("expand"=hex(2):25,50,41,54,48,25,00)",
        R"("multi"=hex(7):61,00,62,00,00)",
        R"("none"=hex(0):78)",
        R"("nul"=hex(1):61,62,00,63,64,00)",
        R"("unterminated"=hex(1):61,62,63)",
        "",
        "[" + top + "\\Another]",
        "",
        "[" + top + "\\Sub]",
        "",
        "[" + top + "\\Sub\\Deeper]",
        R"("v"="deep")",
    };
    EXPECT_EQ(list.Items(), expected);

    // The two halves on their own.
    const auto half = expected.begin() + 15;
    TRegExportData data{HKEY_CURRENT_USER, scratch.Key, top};
    TStringList values, subKeys;
    ExportKeyValues(data, values);
    ExportSubKeys(data, subKeys);
    EXPECT_EQ(values.Items(), std::vector<std::string>(expected.begin() + 1, half));
    EXPECT_EQ(subKeys.Items(), std::vector<std::string>(half, expected.end()));
}

TEST(RegFileExport, RootKeysAndKeysThatCannotBeOpened) {
    ScratchKey scratch;
    TStringList list;
    ASSERT_TRUE(ExportKey(HKEY_CURRENT_USER, "", list));
    ASSERT_GT(list.Count(), 2);
    EXPECT_EQ(list[0], "");
    EXPECT_EQ(list[1], "[HKEY_CURRENT_USER]");
    int sections = 0;
    for (int i = 2; i < list.Count(); ++i) {
        if (list[i].empty() || list[i][0] != '[') continue;
        ++sections;
        EXPECT_EQ(list[i].rfind("[HKEY_CURRENT_USER\\", 0), 0u) << list[i];
    }
    EXPECT_GT(sections, 0);

    list.Clear();
    EXPECT_FALSE(ExportKey(HKEY_CURRENT_USER, scratch.Path + "\\Missing", list));
    EXPECT_FALSE(ExportKey(scratch.Key, "", list));  // not a root key
    EXPECT_EQ(list.Count(), 0);

    // Nothing is written over an existing file for a key that is not there.
    TempFolder folder;
    const std::string file = folder.File("old.reg");
    WriteFile(file, "old content");
    EXPECT_FALSE(ExportKeyToFile(HKEY_CURRENT_USER, scratch.Path + "\\Missing", classlib::ToWide(file), "REGEDIT4"));
    EXPECT_EQ(ReadFile(file), "old content");
}

// Keys and values are walked by their real names. What the file's code
// page cannot name (and key names with line breaks, which would end the
// section line) is left out and reported, never written as another name:
// "ж" and "я" do not both become "?", "Ā1" does not become its sibling
// "A1", and nothing of a left-out key turns up elsewhere on import.
TEST(RegFileExport, NamesTheFileCannotHoldAreReportedNeverMerged) {
    ScratchKey scratch;
    SetW(scratch.Key, L"\u0436", L"zhe");
    SetW(scratch.Key, L"\u044F", L"ya");
    SetW(scratch.Key, L"?", L"question");
    SetW(scratch.Key, L"plain", L"\u041F\u0440\u0438\u0432\u0435\u0442");
    for (const std::wstring& name : {L"?"s, L"A1"s, L"\u01001"s, L"\u0436"s, L"\U0001F600"s}) {
        const HKEY k = CreateW(scratch.Key, name);
        ASSERT_NE(k, nullptr);
        SetW(k, L"own", name);
        ::RegCloseKey(CreateW(k, L"child"));
        ::RegCloseKey(k);
    }
    const std::string evil = "x]\r\n\"injected\"=\"1\"\r\n[HKEY_CURRENT_USER\\" + scratch.Path + "\\Planted";
    const HKEY k = OpenKey(scratch.Path + "\\" + evil);
    ASSERT_NE(k, nullptr);
    ::RegCloseKey(k);
    const TreeImage before = Image(HKEY_CURRENT_USER, scratch.Path);

    TStringList list;
    list.Add(kVersion5);
    TRegExportReport report;
    ASSERT_TRUE(ExportKey(HKEY_CURRENT_USER, scratch.Path, list, &report));
    EXPECT_EQ(report.KeysLeftOut, 4);    // Ā1, ж, the emoji key and the one with line breaks
    EXPECT_EQ(report.ValuesLeftOut, 3);  // ж, я and the Russian text
    // A name written as another would show in the copy as a value or key
    // with the wrong data, or as one too many.
    const std::string copy = scratch.Path + "\\Copy";
    ASSERT_EQ(ImportRegLines(Retarget(list, scratch.Path, copy)), rirDone);
    ExpectSameImage(Image(HKEY_CURRENT_USER, copy), Without(before, [](const std::wstring& name) {
                        return OutsideCodePage(name) || name.find(L'\n') != std::wstring::npos || name == L"plain";
                    }));
}

// ---- Round trip -------------------------------------------------------------------

// A tree exported to a file, removed and imported again comes back byte
// for byte: every type, names and data that need quoting, paths of 40
// levels, the longest key and value names; only the reported strings the
// code page cannot hold are missing.
TEST(RegFileRoundTrip, EveryTypeNameAndDepthComesBackByteForByte) {
    ScratchKey scratch;
    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) high += static_cast<char>(c);
    std::string allBytes;
    for (int c = 0; c < 256; ++c) allBytes += static_cast<char>(c);
    const std::vector<std::string> texts = {
        "plain", "back\\slash\\", "\"quoted\"", "a=b", "[bracket]", "]", "\"=\"", "x\"=dword:", "y\"=hex:",
        "\\\"", "two\r\nlines", "\\n", " blank ", "@", ";", "#",
    };
    const std::vector<std::string> keyNames = {"plain", "a=b \"q\"", "[x]", "y]", "]z[", "\xE9t\xE9 \x80\xFF", " sp"};
    for (const std::string& keyName : keyNames) {
        const HKEY k = OpenKey(scratch.Path + "\\" + keyName);
        ASSERT_NE(k, nullptr) << keyName;
        SetRaw(k, "", REG_SZ, Sz("default of " + keyName));
        int n = 0;
        for (const std::string& t : texts) {
            const std::string i = std::to_string(n++);
            SetRaw(k, "s" + i + t, REG_SZ, Sz(t));
            SetRaw(k, "b" + i + t, REG_BINARY, t);
        }
        SetRaw(k, "high" + high, REG_SZ, Sz(high));
        SetRaw(k, "allBytes", REG_BINARY, allBytes);
        ::RegCloseKey(k);
        scratch.AddKey(keyName + "\\empty child");
    }
    // Every type, with data the quoted and dword forms cannot carry.
    const HKEY types = CreateW(scratch.Key, L"types");
    const std::wstring russian = L"\u041F\u0440\u0438\u0432\u0435\u0442";
    const std::vector<BYTE> odd = {'a', 0, 'b'};
    SetW(types, L"szEmpty", L"");
    SetW(types, L"szRussian", russian);
    SetW(types, L"szOdd", REG_SZ, odd.data(), odd.size());
    SetW(types, L"expand", REG_EXPAND_SZ, L"%SystemRoot%\\x", 30);
    SetW(types, L"multi", REG_MULTI_SZ, L"a\0\u0436\0", 10);
    SetW(types, L"dword", REG_DWORD, "\xFE\xCA\x01\x80", 4);
    SetW(types, L"unknown", 0x12345, "z", 1);
    // The longest names the registry allows.
    SetW(types, std::wstring(16383, L'v'), L"long name");
    const HKEY longKey = CreateW(types, std::wstring(255, L'k'));
    ASSERT_NE(longKey, nullptr);
    SetW(longKey, L"in", L"long key");
    ::RegCloseKey(longKey);
    ::RegCloseKey(types);
    // 40 levels, far over 260 characters below the root.
    std::wstring deep = L"deep";
    for (int level = 0; level < 40; ++level) deep += L"\\level " + std::to_wstring(level) + L" of forty";
    const HKEY bottom = CreateW(scratch.Key, deep);
    ASSERT_NE(bottom, nullptr);
    SetW(bottom, L"bottom", REG_BINARY, "\1", 1);
    ::RegCloseKey(bottom);

    const TreeImage before = Image(HKEY_CURRENT_USER, scratch.Path);
    TempFolder folder;
    const std::string file = folder.File("tree.reg");
    TRegExportReport report;
    ASSERT_TRUE(ExportKeyToFile(HKEY_CURRENT_USER, scratch.Path, classlib::ToWide(file), kVersion5, &report));
    // Reported: strings the code page cannot hold (Russian, an odd byte count, "ж" in a list).
    EXPECT_EQ(report.ValuesLeftOut, 3);
    const std::string text = ReadFile(file);
    ASSERT_EQ(text.rfind(std::string(kVersion5) + "\r\n\r\n[HKEY_CURRENT_USER\\", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    size_t bareBreaks = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if ((text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) || (text[i] == '\r' && text[i + 1] != '\n'))
            ++bareBreaks;
    EXPECT_EQ(bareBreaks, 0u);

    ASSERT_TRUE(classlib::DeleteRegistryTree(HKEY_CURRENT_USER, scratch.Path));
    ASSERT_EQ(ImportRegFile(classlib::ToWide(file)), rirDone);
    ExpectSameImage(Image(HKEY_CURRENT_USER, scratch.Path), Without(before, [](const std::wstring& name) {
                        return OutsideCodePage(name) || name == L"szRussian" || name == L"szOdd" || name == L"multi";
                    }));
}

// Wine's own registry editor reads what we write to the same tree.
TEST(RegFileRoundTrip, WineRegistryEditorReadsOurExport) {
    ScratchKey scratch;
    const HKEY k = OpenKey(scratch.Path + "\\App\\Child");
    SetRaw(scratch.Key, "", REG_SZ, Sz("default"));
    SetRaw(scratch.Key, "quote\"back\\slash", REG_SZ, Sz("say \"hi\" \\ there"));
    SetRaw(scratch.Key, "bin", REG_BINARY, "\x01\xAB\x00"s);
    SetRaw(scratch.Key, "dw", REG_DWORD, "\x7B\0\0\x80"s);
    SetRaw(k, "expand", REG_EXPAND_SZ, Sz("%PATH%"));
    SetRaw(k, "multi", REG_MULTI_SZ, "a\0b\0\0"s);
    SetRaw(k, "inner nul", REG_SZ, "a\0b\0"s);
    SetRaw(k, "lines", REG_SZ, Sz("two\r\nlines"));
    SetW(k, L"qword", REG_QWORD, "\1\2\3\4\5\6\7\x08", 8);
    SetW(k, L"high \u00E9\u20AC", L"\u00E9t\u00E9 \u20AC");
    ::RegCloseKey(k);
    const TreeImage before = Image(HKEY_CURRENT_USER, scratch.Path);

    TStringList list;
    list.Add(kVersion5);
    TRegExportReport report;
    ASSERT_TRUE(ExportKey(HKEY_CURRENT_USER, scratch.Path, list, &report));
    ASSERT_TRUE(report.Complete());
    const std::string copy = scratch.Path + "\\Copy";
    TempFolder folder;
    const std::string file = folder.File("ours.reg");
    Retarget(list, scratch.Path, copy).SaveToFile(classlib::ToWide(file));

    char windows[MAX_PATH];
    ::GetWindowsDirectoryA(windows, MAX_PATH);
    std::string command = std::string(windows) + "\\regedit.exe /s \"" + file + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(::CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(::WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
    ::CloseHandle(pi.hThread);
    ::CloseHandle(pi.hProcess);
    ExpectSameImage(Image(HKEY_CURRENT_USER, copy), before);
}

// ---- Importer ---------------------------------------------------------------------

TEST(RegFileImport, HeaderAndFileResults) {
    ScratchKey scratch;
    const std::string section = "[HKEY_CURRENT_USER\\" + scratch.Path + "]";
    EXPECT_EQ(ImportRegLines(TStringList()), rirNotRegFile);
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT4 ", section, "\"a\"=\"1\""})), rirNotRegFile);
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, scratch.Path).Values.empty());
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT3", section, "\"a\"=\"1\""})), rirDone);
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT4"})), rirDone);

    TempFolder folder;
    EXPECT_EQ(ImportRegFile(classlib::ToWide(folder.File("missing.reg"))), rirFileMissing);
    EXPECT_EQ(ImportRegFile(classlib::ToWide(folder.File("no folder\\missing.reg"))), rirFileMissing);
    EXPECT_EQ(ImportRegFile(classlib::ToWide(folder.Path)), rirSomeFailed);  // a folder, not a file

    // The same text saved as UTF-16 is not read.
    const std::string ansi = "REGEDIT4\r\n" + section + "\r\n\"utf\"=\"16\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : ansi) utf16 += std::string{c, '\0'};
    WriteFile(folder.File("utf16.reg"), utf16);
    EXPECT_EQ(ImportRegFile(classlib::ToWide(folder.File("utf16.reg"))), rirNotRegFile);
    WriteFile(folder.File("ansi.reg"), ansi);
    EXPECT_EQ(ImportRegFile(classlib::ToWide(folder.File("ansi.reg"))), rirDone);
    EXPECT_EQ(Image(HKEY_CURRENT_USER, scratch.Path).Values.count(L":utf"), 1u);
}

// Failed and malformed items are refused, never turned into data, and do
// not stop the rest.
TEST(RegFileImport, FailedItemsDoNotStopTheRest) {
    ScratchKey scratch;
    // A key below a volatile key must be volatile too: creating it fails.
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(scratch.Key, "Volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &k,
                                nullptr),
              ERROR_SUCCESS);
    ::RegCloseKey(k);
    const std::string section = "[HKEY_CURRENT_USER\\" + scratch.Path + "]";
    const std::string cannot = "[HKEY_CURRENT_USER\\" + scratch.Path + "\\Volatile\\Cannot]";
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT4", cannot})), rirSomeFailed);
    const TStringList text = Lines({
        "REGEDIT4",
        section,
        "\"first\"=dword:0000007b",
        "\"blank\"=dword:0000007B ",
        "\"long\"=dword:123456789",
        "\"letter\"=dword:0000007G",
        "\"middle\"=\"m\"",
        cannot,
        "\"dropped\"=\"d\"",
        section,
        "\"cut\"=\"ab\0cd\""s,
        "\"list\"=hex:01,\\",
        "; 02,03",
        "  04",
        "\"last\"=hex:01,02",
    });
    EXPECT_EQ(ImportRegLines(text), rirSomeFailed);
    const TreeImage image = Image(HKEY_CURRENT_USER, scratch.Path);
    const decltype(image.Values) expected = {{L":first", {REG_DWORD, {0x7B, 0, 0, 0}}},
                                             {L":middle", {REG_SZ, Utf16(L"m")}},
                                             {L":list", {REG_BINARY, {1, 4}}},
                                             {L":last", {REG_BINARY, {1, 2}}}};
    EXPECT_EQ(image.Values, expected);
}

// Text as other registry editors write it in single-byte files: typed hex
// values keep their types (string types are in the code page there), "@"
// is the default value; deletions are not carried out and make the result
// say so.
TEST(RegFileImport, FilesOfOtherEditors) {
    ScratchKey scratch;
    const std::string top = "HKEY_CURRENT_USER\\" + scratch.Path;
    const std::string text = "REGEDIT4\r\n"
                             "\r\n"
                             "; exported for a test\r\n"
                             "[" + top + "\\App]\r\n"
                             "@=\"default by at sign\"\r\n"
                             "\"Name\"=\"Value with \\\"quotes\\\" and \\\\ backslash\"\r\n"
                             "\"Count\"=dword:0000002a\r\n"
                             "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
                             "  15,16,17\r\n"
                             "\"Path\"=hex(2):25,53,79,73,74,65,6d,52,6f,6f,\\\r\n"
                             "  74,25,00\r\n"
                             ";\"Commented\"=\"out\"\r\n"
                             "\n"
                             "[" + top + "\\App\\Child]\n"
                             "\"lf\"=\"only\"\r"
                             "\"cr\"=\"only\"";
    TempFolder folder;
    WriteFile(folder.File("other.reg"), text);
    EXPECT_EQ(ImportRegFile(classlib::ToWide(folder.File("other.reg"))), rirDone);

    const TreeImage image = Image(HKEY_CURRENT_USER, scratch.Path);
    EXPECT_EQ(image.Values.at(L"\\App:").second, Utf16(L"default by at sign"));
    EXPECT_EQ(image.Values.at(L"\\App:Name").second, Utf16(L"Value with \"quotes\" and \\ backslash"));
    EXPECT_EQ(image.Values.at(L"\\App:Count"), (std::make_pair<DWORD, std::vector<BYTE>>(REG_DWORD, {42, 0, 0, 0})));
    EXPECT_EQ(image.Values.at(L"\\App:Blob").second.size(), 24u);
    EXPECT_EQ(image.Values.at(L"\\App:Path"), std::make_pair(DWORD(REG_EXPAND_SZ), Utf16(L"%SystemRoot%")));
    EXPECT_EQ(image.Values.at(L"\\App\\Child:cr").second, Utf16(L"only"));

    // String types are in the code page.
    EXPECT_EQ(ImportRegLines(Lines({kVersion5, "[" + top + "]", "\"e\"=hex(2):25,41,E9,25,00"})), rirDone);
    EXPECT_EQ(Image(HKEY_CURRENT_USER, scratch.Path).Values.at(L":e"),
              std::make_pair(DWORD(REG_EXPAND_SZ), Utf16(L"%A\u00E9%")));

    // Deletions are never carried out, and the result says something was
    // not done.
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT4", "[-" + top + "\\App]", "[" + top + "\\App]", "\"Name\"=-",
                                    "@=-"})),
              rirSomeFailed);
    EXPECT_EQ(Image(HKEY_CURRENT_USER, scratch.Path).Values.size(), 8u);
}

// Names over the registry's limits are refused before any registry call:
// nothing is created, nothing else is touched, the result says some
// lines failed. Paths longer than one call takes still land where they say.
TEST(RegFileImport, NamesAndPathsAtAndOverTheLimits) {
    ScratchKey scratch;
    scratch.SetValue("abc", REG_DWORD, "\1\0\0\0", 4);
    scratch.SetString("", "default");
    const std::string top = "[HKEY_CURRENT_USER\\" + scratch.Path;
    const TreeImage before = Image(HKEY_CURRENT_USER, scratch.Path);
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT4", top + "\\" + std::string(256, 'k') + "]", "\"v\"=\"1\"",
                                    top + "\\a\\" + std::string(256, 'k') + "\\b]", "\"v\"=\"1\"", top + "]",
                                    "\"" + std::string(16384, 'n') + "\"=\"1\"",
                                    "\"abc" + std::string(65536, 'z') + "\"=dword:00000002",
                                    "\"" + std::string(1 << 20, 'n') + "\"=\"replaces the default\""})),
              rirSomeFailed);
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, scratch.Path) == before);

    // The largest key and value names, and a path of 65,535 characters.
    std::string path;
    while (path.size() + 251 <= 65535) path += "\\" + std::string(250, static_cast<char>('a' + path.size() % 26));
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT4", top + "\\" + std::string(255, 'k') + "]",
                                    "\"" + std::string(16383, 'n') + "\"=\"longest\"", top + path + "]",
                                    "\"deep\"=dword:00000003"})),
              rirDone);
    const TreeImage after = Image(HKEY_CURRENT_USER, scratch.Path);
    EXPECT_EQ(after.Values.at(L"\\" + std::wstring(255, L'k') + L":" + std::wstring(16383, L'n')).second,
              Utf16(L"longest"));
    EXPECT_EQ(after.Values.at(W(path) + L":deep"), std::make_pair(DWORD(REG_DWORD), std::vector<BYTE>{3, 0, 0, 0}));
}

// ---- Saving -------------------------------------------------------------------------

TEST(RegFileSave, AFailedSaveLeavesTheOldFile) {
    ScratchKey scratch;
    scratch.SetString("v", "new content");
    TempFolder folder;
    const std::string file = folder.File("target.reg");
    auto exportTo = [&](const std::string& name) {
        return ExportKeyToFile(HKEY_CURRENT_USER, scratch.Path, classlib::ToWide(name), "REGEDIT4");
    };
    auto expectFailureNaming = [&](const std::string& name) {
        try {
            exportTo(name);
            ADD_FAILURE() << "no failure for " << name;
        } catch (const classlib::EInvalidOperation& e) {
            EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
        }
    };

    // Read-only target.
    WriteFile(file, "old content");
    ASSERT_TRUE(::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    expectFailureNaming(file);
    EXPECT_EQ(ReadFile(file), "old content");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"target.reg"});

    // A folder in the way, a folder that is not there.
    ::CreateDirectoryA(folder.File("sub").c_str(), nullptr);
    expectFailureNaming(folder.File("sub"));
    ::RemoveDirectoryA(folder.File("sub").c_str());
    expectFailureNaming(folder.File("no folder\\x.reg"));
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"target.reg"});

    // Writable again: replaced, with nothing left beside it.
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(exportTo(file));
    EXPECT_EQ(ReadFile(file), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + scratch.Path + "]\r\n\"v\"=\"new content\"\r\n");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"target.reg"});
}

// Needs writes that run out of room: TESSMOREL_SMALL_DISK names a folder where
// they do (CTest's full_disk_save runs it under a file-size limit of 200 KB).
TEST(RegFileSave, AFullDiskLeavesTheOldFile) {
    const char* small = std::getenv("TESSMOREL_SMALL_DISK");
    if (!small || !*small) GTEST_SKIP() << "TESSMOREL_SMALL_DISK is not set";
    ScratchKey scratch;
    const std::string big(2000, 'x');
    for (int i = 0; i < 200; ++i) scratch.SetString("v" + std::to_string(i), big);
    TempFolder folder(std::string(small) + "\\TessmorelFull_" + std::to_string(::GetCurrentProcessId()));
    const std::string file = folder.File("target.reg");
    WriteFile(file, "old content");
    ASSERT_EQ(ReadFile(file), "old content");
    try {
        ExportKeyToFile(HKEY_CURRENT_USER, scratch.Path, classlib::ToWide(file), "REGEDIT4");
        ADD_FAILURE() << "400 KB fitted on the small disk";
    } catch (const classlib::EInvalidOperation& e) {
        EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadFile(file), "old content");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"target.reg"});
}
