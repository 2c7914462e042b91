#include "zrvRegFile.h"

#include <gtest/gtest.h>

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

// A scratch folder for files, removed with what it holds.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        char base[MAX_PATH];
        ::GetTempPathA(MAX_PATH, base);
        Path = std::string(base) + "TessmorelRegFile_" + std::to_string(::GetCurrentProcessId()) + "_" +
               std::to_string(::GetTickCount()) + "_" + std::to_string(++counter);
        ::CreateDirectoryA(Path.c_str(), nullptr);
    }
    explicit TempFolder(const std::string& path) : Path(path) { ::CreateDirectoryA(Path.c_str(), nullptr); }
    ~TempFolder() {
        for (const std::string& f : Files()) {
            ::SetFileAttributesA((Path + "\\" + f).c_str(), FILE_ATTRIBUTE_NORMAL);
            ::DeleteFileA((Path + "\\" + f).c_str());
        }
        ::RemoveDirectoryA(Path.c_str());
    }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        WIN32_FIND_DATAA fd;
        const HANDLE h = ::FindFirstFileA((Path + "\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(fd.cFileName);
        } while (::FindNextFileA(h, &fd));
        ::FindClose(h);
        return names;
    }
    std::string File(const std::string& name) const { return Path + "\\" + name; }
    std::string Path;
};

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

// What a key tree holds, read raw: key path below the top -> value name
// (upper-cased, as names compare) -> type and bytes.
struct RawValue {
    std::string Name;
    DWORD Type;
    std::vector<BYTE> Data;
    bool operator==(const RawValue& o) const { return Name == o.Name && Type == o.Type && Data == o.Data; }
};
using Tree = std::map<std::string, std::map<std::string, RawValue>>;

std::ostream& operator<<(std::ostream& os, const RawValue& v) {
    os << "\"" << v.Name << "\" type " << v.Type << ":";
    for (BYTE b : v.Data) os << " " << std::hex << int(b) << std::dec;
    return os;
}

Tree ReadTree(const std::string& path) {
    Tree tree;
    TreeWalk<char> walk;
    walk.OnKey = [&](const std::string& p) { tree[UpperCaseAscii(p)]; };
    walk.OnValue = [&](const std::string& p, const std::string& name, DWORD type, std::vector<BYTE> data) {
        tree[UpperCaseAscii(p)][UpperCaseAscii(name)] = {name, type, std::move(data)};
    };
    walk.WalkAt(HKEY_CURRENT_USER, path);
    return tree;
}

// The tree as the text carries it: expandable strings become strings,
// big-endian DWORDs DWORDs with the same bytes, other types are left out.
Tree AsWritten(Tree tree) {
    for (auto& key : tree) {
        for (auto it = key.second.begin(); it != key.second.end();) {
            RawValue& v = it->second;
            if (v.Type == REG_EXPAND_SZ) v.Type = REG_SZ;
            if (v.Type == REG_DWORD_BIG_ENDIAN) v.Type = REG_DWORD;
            if (v.Type == REG_SZ || v.Type == REG_DWORD || v.Type == REG_BINARY)
                ++it;
            else
                it = key.second.erase(it);
        }
    }
    return tree;
}

void SetRaw(HKEY key, const std::string& name, DWORD type, const std::string& bytes) {
    ASSERT_EQ(::RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS)
        << name;
}

std::string Sz(const std::string& s) { return s + '\0'; }

HKEY OpenKey(const std::string& path) {
    HKEY k = nullptr;
    ::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    return k;
}

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
    SetRaw(scratch.Key, "unterminated", REG_SZ, "abc");
    scratch.AddKey("Sub\\Deeper");
    scratch.SetString("v", "deep", "Sub\\Deeper");
    scratch.AddKey("Another");

    TStringList list;
    list.Add("kept");
    ASSERT_TRUE(ExportKey(HKEY_CURRENT_USER, scratch.Path, list));
    const std::string top = "HKEY_CURRENT_USER\\" + scratch.Path;
    // Values come in the registry's order; Wine sorts them by name.
    const std::vector<std::string> expected = {
        "kept",
        "",
        "[" + top + "]",
        R"(""="default")",
        R"("back\\slash"="say \"hi\"")",
        R"("bin\\ary"=hex:01,AB)",
        R"("binEmpty"=hex:)",
        R"("dw"=dword:0000007B)",
        R"("dwBig"=dword:7B000000)",
        R"("expand"="%PATH%")",
        R"("nul"="ab")",
        R"("unterminated"="abc")",
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
    TRegExportData data{HKEY_CURRENT_USER, scratch.Key, top};
    TStringList values, subKeys;
    ExportKeyValues(data, values);
    ExportSubKeys(data, subKeys);
    EXPECT_EQ(values.Items(), std::vector<std::string>(expected.begin() + 1, expected.begin() + 12));
    EXPECT_EQ(subKeys.Items(), std::vector<std::string>(expected.begin() + 12, expected.end()));
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
    EXPECT_FALSE(ExportKeyToFile(HKEY_CURRENT_USER, scratch.Path + "\\Missing", file, "REGEDIT4"));
    EXPECT_EQ(ReadFile(file), "old content");
}

// A key name with a line break cannot be written as a section line: the
// rest of its name would read as lines of their own. Such keys are left
// out; nothing of them turns up elsewhere on import.
TEST(RegFileExport, KeyNamesWithLineBreaksAreLeftOut) {
    ScratchKey scratch;
    const std::string evil = "x]\r\n\"injected\"=\"1\"\r\n[HKEY_CURRENT_USER\\" + scratch.Path + "\\Planted";
    HKEY k = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(scratch.Key, evil.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
              ERROR_SUCCESS);
    SetRaw(k, "inside", REG_SZ, Sz("v"));
    ::RegCloseKey(k);
    scratch.SetString("good", "yes", "Good");

    TStringList list;
    list.Add("REGEDIT4");
    ASSERT_TRUE(ExportKey(HKEY_CURRENT_USER, scratch.Path, list));
    for (const std::string& line : list) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
        EXPECT_EQ(line.find("Planted"), std::string::npos) << line;
    }
    classlib::DeleteRegistryTree(HKEY_CURRENT_USER, scratch.Path + "\\Good");
    EXPECT_EQ(ImportRegLines(list), rirDone);
    const Tree tree = ReadTree(scratch.Path);
    EXPECT_EQ(tree.count("GOOD"), 1u);
    EXPECT_EQ(tree.count("PLANTED"), 0u);
    EXPECT_EQ(tree.at("").count("INJECTED"), 0u);
}

// ---- Round trip -------------------------------------------------------------------

// A tree exported to a file, removed and imported again comes back with
// every string, DWORD and binary value identical.
TEST(RegFileRoundTrip, TrickyTreeComesBackIdentical) {
    ScratchKey scratch;
    std::string high;
    for (int c = 0x80; c <= 0xFF; ++c) high += static_cast<char>(c);
    std::string allBytes;
    for (int c = 0; c < 256; ++c) allBytes += static_cast<char>(c);
    const std::vector<std::string> texts = {
        "plain", "back\\slash\\", "\"quoted\"", "a=b", "[bracket]", "]", "\"=\"", "x\"=dword:", "y\"=hex:",
        "\\\"", "two\r\nlines", "\\n", " blank ", "@",
    };
    const std::vector<std::string> keyNames = {"plain", "a=b \"q\"", "[x]", "y]", "]z[", "\xE9t\xE9 \x80\xFF", " sp"};
    for (const std::string& keyName : keyNames) {
        const std::string path = scratch.Path + "\\" + keyName;
        const HKEY k = OpenKey(path);
        ASSERT_NE(k, nullptr) << keyName;
        SetRaw(k, "", REG_SZ, Sz("default of " + keyName));
        int n = 0;
        for (const std::string& t : texts) {
            const std::string i = std::to_string(n++);
            SetRaw(k, "s" + i + t, REG_SZ, Sz(t));
            SetRaw(k, "b" + i + t, REG_BINARY, t);
            SetRaw(k, "d" + i + t, REG_DWORD, "\xFE\xCA\x01\x80"s);
        }
        SetRaw(k, "high" + high, REG_SZ, Sz(high));
        SetRaw(k, "emptyString", REG_SZ, Sz(""));
        SetRaw(k, "emptyBinary", REG_BINARY, "");
        SetRaw(k, "allBytes", REG_BINARY, allBytes);
        SetRaw(k, "bigEndian", REG_DWORD_BIG_ENDIAN, "\x12\x34\x56\x78");
        SetRaw(k, "expand", REG_EXPAND_SZ, Sz("%SystemRoot%\\x"));
        SetRaw(k, "multi", REG_MULTI_SZ, "a\0b\0\0"s);
        ::RegCloseKey(k);
        scratch.AddKey(keyName + "\\empty child");
    }
    const Tree before = ReadTree(scratch.Path);
    ASSERT_EQ(before.size(), 1 + 2 * keyNames.size());

    TempFolder folder;
    const std::string file = folder.File("tree.reg");
    ASSERT_TRUE(ExportKeyToFile(HKEY_CURRENT_USER, scratch.Path, file, "Windows Registry Editor Version 5.00"));
    const std::string text = ReadFile(file);
    ASSERT_EQ(text.rfind("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\", 0), 0u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    size_t bareBreaks = 0;
    for (size_t i = 0; i < text.size(); ++i)
        if ((text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) || (text[i] == '\r' && text[i + 1] != '\n'))
            ++bareBreaks;
    EXPECT_EQ(bareBreaks, 0u);

    ASSERT_TRUE(classlib::DeleteRegistryTree(HKEY_CURRENT_USER, scratch.Path));
    ASSERT_EQ(ImportRegFile(file), rirDone);
    const Tree after = ReadTree(scratch.Path);
    const Tree expected = AsWritten(before);
    ASSERT_EQ(after.size(), expected.size());
    for (const auto& key : expected) {
        ASSERT_EQ(after.count(key.first), 1u) << key.first;
        const auto& got = after.at(key.first);
        EXPECT_EQ(got.size(), key.second.size()) << key.first;
        for (const auto& v : key.second) {
            const auto it = got.find(v.first);
            if (it == got.end())
                ADD_FAILURE() << key.first << ": missing " << v.second;
            else
                EXPECT_EQ(it->second, v.second) << key.first;
        }
    }
}

// ---- Importer ---------------------------------------------------------------------

TEST(RegFileImport, HeaderAndFileResults) {
    ScratchKey scratch;
    const std::string section = "[HKEY_CURRENT_USER\\" + scratch.Path + "]";
    EXPECT_EQ(ImportRegLines(TStringList()), rirNotRegFile);
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT4 ", section, "\"a\"=\"1\""})), rirNotRegFile);
    EXPECT_EQ(ReadTree(scratch.Path).at("").size(), 0u);
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT3", section, "\"a\"=\"1\""})), rirDone);
    EXPECT_EQ(ImportRegLines(Lines({"REGEDIT4"})), rirDone);

    TempFolder folder;
    EXPECT_EQ(ImportRegFile(folder.File("missing.reg")), rirFileMissing);
    EXPECT_EQ(ImportRegFile(folder.File("no folder\\missing.reg")), rirFileMissing);
    EXPECT_EQ(ImportRegFile(folder.Path), rirSomeFailed);  // a folder, not a file

    // The same text saved as UTF-16 is not read.
    const std::string ansi = "REGEDIT4\r\n" + section + "\r\n\"utf\"=\"16\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (char c : ansi) utf16 += std::string{c, '\0'};
    WriteFile(folder.File("utf16.reg"), utf16);
    EXPECT_EQ(ImportRegFile(folder.File("utf16.reg")), rirNotRegFile);
    WriteFile(folder.File("ansi.reg"), ansi);
    EXPECT_EQ(ImportRegFile(folder.File("ansi.reg")), rirDone);
    EXPECT_EQ(ReadTree(scratch.Path).at("").count("UTF"), 1u);
}

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
        "\"last\"=hex:01,02",
    });
    EXPECT_EQ(ImportRegLines(text), rirSomeFailed);
    const Tree tree = ReadTree(scratch.Path);
    EXPECT_EQ(tree.size(), 2u);  // the scratch key and Volatile
    const auto& values = tree.at("");
    EXPECT_EQ(values.size(), 3u);
    EXPECT_EQ(values.at("FIRST"), (RawValue{"first", REG_DWORD, {0x7B, 0, 0, 0}}));
    EXPECT_EQ(values.at("MIDDLE"), (RawValue{"middle", REG_SZ, {'m', 0}}));
    EXPECT_EQ(values.at("LAST"), (RawValue{"last", REG_BINARY, {1, 2}}));
}

// Text as other registry editors write it, in ANSI: what the reader knows
// is written, the rest is left alone.
TEST(RegFileImport, FilesOfOtherEditors) {
    ScratchKey scratch;
    const std::string top = "HKEY_CURRENT_USER\\" + scratch.Path;
    const std::string text = "Windows Registry Editor Version 5.00\r\n"
                             "\r\n"
                             "; exported for a test\r\n"
                             "[" + top + "\\App]\r\n"
                             "@=\"default by at sign\"\r\n"
                             "\"Name\"=\"Value with \\\"quotes\\\" and \\\\ backslash\"\r\n"
                             "\"Count\"=dword:0000002a\r\n"
                             "\"Blob\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n"
                             "  15,16,17\r\n"
                             "\"Path\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,\\\r\n"
                             "  74,00,25,00,00,00\r\n"
                             "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
                             "\"Gone\"=-\r\n"
                             ";\"Commented\"=\"out\"\r\n"
                             "\r\n"
                             "[-" + top + "\\Old]\r\n"
                             "\"NotHere\"=\"x\"\r\n"
                             "\n"
                             "[" + top + "\\App\\Child]\n"
                             "\"lf\"=\"only\"\r"
                             "\"cr\"=\"only\"";
    TempFolder folder;
    WriteFile(folder.File("other.reg"), text);
    EXPECT_EQ(ImportRegFile(folder.File("other.reg")), rirDone);

    const Tree tree = ReadTree(scratch.Path);
    EXPECT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree.count("OLD"), 0u);
    const auto& app = tree.at("APP");
    EXPECT_EQ(app.size(), 3u);
    EXPECT_EQ(app.at("NAME").Data, std::vector<BYTE>(std::begin("Value with \"quotes\" and \\ backslash"),
                                                     std::end("Value with \"quotes\" and \\ backslash")));
    EXPECT_EQ(app.at("COUNT"), (RawValue{"Count", REG_DWORD, {42, 0, 0, 0}}));
    EXPECT_EQ(app.at("BLOB").Data.size(), 24u);
    EXPECT_EQ(app.at("BLOB").Data[23], 0x17);
    const auto& child = tree.at("APP\\CHILD");
    EXPECT_EQ(child.size(), 2u);
    EXPECT_EQ(child.at("CR").Data, (std::vector<BYTE>{'o', 'n', 'l', 'y', 0}));
}

// ---- Saving -------------------------------------------------------------------------

TEST(RegFileSave, AFailedSaveLeavesTheOldFile) {
    ScratchKey scratch;
    scratch.SetString("v", "new content");
    TempFolder folder;
    const std::string file = folder.File("target.reg");
    auto exportTo = [&](const std::string& name) {
        return ExportKeyToFile(HKEY_CURRENT_USER, scratch.Path, name, "REGEDIT4");
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
        ExportKeyToFile(HKEY_CURRENT_USER, scratch.Path, file, "REGEDIT4");
        ADD_FAILURE() << "400 KB fitted on the small disk";
    } catch (const classlib::EInvalidOperation& e) {
        EXPECT_NE(std::string(e.what()).find(file), std::string::npos) << e.what();
    }
    EXPECT_EQ(ReadFile(file), "old content");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"target.reg"});
}
