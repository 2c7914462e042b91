#include "zrvRegistry.h"

#include <gtest/gtest.h>

#include <map>

#include "../TestSupport.h"

namespace {

// Wide: the ANSI functions fail on paths longer than 260 characters.
bool Exists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, W(path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

void SetW(HKEY root, const std::string& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, W(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    ASSERT_EQ(::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), 0);
    ::RegCloseKey(key);
}


// The key under HKEY_USERS that HKEY_CURRENT_USER is: the one holding path.
std::string CurrentUserUnderUsers(const std::string& path) {
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD len = sizeof name;
        if (::RegEnumKeyExA(HKEY_USERS, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (Exists(HKEY_USERS, std::string(name) + "\\" + path)) return name;
    }
    return std::string();
}

// A tree of mixed content below the scratch key's subkey "src".
void FillSample(const ScratchKey& s) {
    s.SetString("", "default", "src");
    s.SetString("name", "value", "src");
    const DWORD d = 0xFFFFFFFFu;
    s.SetValue("dword", REG_DWORD, &d, 4, "src\\a");
    const BYTE q[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    s.SetValue("qword", REG_QWORD, q, 8, "src\\a\\b");
    s.SetValue("multi", REG_MULTI_SZ, "x\0y\0", 5, "src\\a\\b");
    s.AddKey("src\\empty");
}

}  // namespace

// ---- Delete -----------------------------------------------------------------

TEST(KeyTreeDelete, RemovesTheWholeTreeAndOnlyIt) {
    ScratchKey s;
    FillSample(s);
    s.AddKey("src\\a\\b\\c\\d");
    s.AddKey("keep");
    s.AddKey("src2");
    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, "\\" + s.Path + "\\src"));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, s.Path + "\\src"));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, s.Path + "\\src2"));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, s.Path + "\\keep"));
    // Missing keys, and an empty path, which would name the root itself.
    EXPECT_FALSE(RegDeleteKeyTree(HKEY_CURRENT_USER, s.Path + "\\src"));
    EXPECT_FALSE(RegDeleteKeyTree(s.Key, ""));
    EXPECT_FALSE(RegDeleteKeyTree(s.Key, "\\"));
    EXPECT_TRUE(Exists(HKEY_CURRENT_USER, s.Path + "\\keep"));
    // Relative to an open key.
    EXPECT_TRUE(RegDeleteKeyTree(s.Key, "keep"));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, s.Path + "\\keep"));
}

TEST(KeyTreeDelete, KeyWithoutFullAccessFailsTheDelete) {
    ScratchKey s;
    for (const char* k : {"t\\a1", "t\\b\\locked\\inner", "t\\b\\x", "t\\c"}) s.AddKey(k);
    SetAccess(HKEY_CURRENT_USER, s.Path + "\\t\\b\\locked", L"D:P(A;;KR;;;WD)");
    EXPECT_FALSE(RegDeleteKeyTree(s.Key, "t"));
    // Its ancestors stay; what could go went.
    EXPECT_TRUE(Exists(s.Key, "t\\b\\locked\\inner"));
    EXPECT_FALSE(Exists(s.Key, "t\\c"));
    EXPECT_FALSE(Exists(s.Key, "t\\b\\x"));
    EXPECT_FALSE(Exists(s.Key, "t\\a1"));
    // The locked key itself cannot be opened for deletion either.
    EXPECT_FALSE(RegDeleteKeyTree(s.Key, "t\\b\\locked"));
    Unlock(HKEY_CURRENT_USER, s.Path + "\\t\\b\\locked");
    EXPECT_TRUE(RegDeleteKeyTree(s.Key, "t"));
}

TEST(KeyTreeDelete, LinkKeyGoesButNotWhatItPointsTo) {
    ScratchKey s;
    s.SetString("v", "kept", "target\\child");
    // The full name of the target, as a link holds it.
    const std::string user = CurrentUserUnderUsers(s.Path);
    ASSERT_FALSE(user.empty());
    const std::string target = "\\REGISTRY\\USER\\" + user + "\\" + s.Path + "\\target";
    const std::wstring full(target.begin(), target.end());
    HKEY link = nullptr;
    const auto makeLink = [&](const char* name, const std::wstring& to) {
        ASSERT_EQ(::RegCreateKeyExA(s.Key, name, 0, nullptr, REG_OPTION_CREATE_LINK, KEY_ALL_ACCESS, nullptr, &link,
                                    nullptr),
                  0);
        ::RegSetValueExW(link, L"SymbolicLinkValue", 0, REG_LINK, reinterpret_cast<const BYTE*>(to.c_str()),
                         static_cast<DWORD>(to.size() * sizeof(WCHAR)));
        ::RegCloseKey(link);
    };
    makeLink("link", full);
    makeLink("dangling", full + L"\\missing");
    ASSERT_TRUE(Exists(s.Key, "link\\child"));
    EXPECT_TRUE(RegDeleteKeyTree(s.Key, "link"));
    EXPECT_TRUE(Exists(s.Key, "target\\child"));
    makeLink("link", full);
    EXPECT_TRUE(classlib::DeleteRegistryTree(s.Key, "link"));
    EXPECT_TRUE(Exists(s.Key, "target\\child"));
    // A link to nothing cannot be copied, but can be deleted.
    EXPECT_FALSE(RegCopyKey(s.Key, s.Key, "dangling", "moved", true));
    EXPECT_TRUE(RegDeleteKeyTree(s.Key, "dangling"));
    EXPECT_FALSE(Exists(s.Key, "dangling"));
}

// ---- Copy -------------------------------------------------------------------

TEST(KeyTreeCopy, EveryValueTypeArrivesByteForByte) {
    ScratchKey s;
    const std::string src = s.Path + "\\src", dst = s.Path + "\\dst";
    const WCHAR text[] = L"caf\x00e9 \x4e2d\x6587";  // not all of it fits the code page
    SetW(HKEY_CURRENT_USER, src, L"unicode", REG_SZ, text, sizeof text);
    SetW(HKEY_CURRENT_USER, src, L"odd", REG_SZ, L"abc", 5);          // half a character
    SetW(HKEY_CURRENT_USER, src, L"unterminated", REG_EXPAND_SZ, L"%x%", 6);
    SetW(HKEY_CURRENT_USER, src, L"multi", REG_MULTI_SZ, L"a\0\x4e2d\0", 10);
    SetW(HKEY_CURRENT_USER, src, L"none", REG_NONE, nullptr, 0);
    SetW(HKEY_CURRENT_USER, src, L"emptysz", REG_SZ, nullptr, 0);
    const BYTE q[8] = {0xEF, 0xCD, 0xAB, 0x89, 0x67, 0x45, 0x23, 0x01};
    SetW(HKEY_CURRENT_USER, src, L"qword", REG_QWORD, q, 8);
    SetW(HKEY_CURRENT_USER, src, L"odd type", 0x7FFF1234u, q, 3);
    SetW(HKEY_CURRENT_USER, src, L"big endian", REG_DWORD_BIG_ENDIAN, q, 4);
    SetW(HKEY_CURRENT_USER, src, L"link", REG_LINK, L"\\x", 4);
    std::vector<BYTE> big(300000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<BYTE>(i * 7);
    SetW(HKEY_CURRENT_USER, src, L"big", REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
    SetW(HKEY_CURRENT_USER, src, L"", REG_DWORD, q, 4);
    SetW(HKEY_CURRENT_USER, src, std::wstring(16383, L'v'), REG_SZ, L"long name", 20);
    SetW(HKEY_CURRENT_USER, src, L"\x4e2d name", REG_BINARY, q, 2);
    const TreeImage before = Image(HKEY_CURRENT_USER, src);
    ASSERT_EQ(before.Values.size(), 14u);

    // Values alone, between open keys; same-named values are overwritten,
    // others stay.
    s.SetString("unicode", "old", "dst");
    s.SetString("other", "stays", "dst");
    HKEY a = nullptr, b = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, src.c_str(), 0, KEY_READ, &a), 0);
    ASSERT_EQ(::RegOpenKeyExA(HKEY_CURRENT_USER, dst.c_str(), 0, KEY_ALL_ACCESS, &b), 0);
    EXPECT_TRUE(RegCopyValues(a, b));
    ::RegCloseKey(a);
    ::RegCloseKey(b);
    TreeImage after = Image(HKEY_CURRENT_USER, dst);
    EXPECT_EQ(after.Values.size(), 15u);
    after.Values.erase(L":other");
    EXPECT_TRUE(after == before);

    // A move carries them the same way.
    ASSERT_TRUE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, src, s.Path + "\\moved", true));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, src));
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, s.Path + "\\moved") == before);
}

TEST(KeyTreeCopy, UnterminatedStringsKeepTheirBytesThroughMoveAndRename) {
    ScratchKey s;
    const std::string src = s.Path + "\\src", moved = s.Path + "\\moved";
    // The character after the data is not NUL: nothing is added on writing.
    SetW(HKEY_CURRENT_USER, src, L"sz", REG_SZ, L"abcX", 6);
    SetW(HKEY_CURRENT_USER, src, L"multi", REG_MULTI_SZ, L"a\0bcX", 7);
    const TreeImage before = Image(HKEY_CURRENT_USER, src);
    ASSERT_EQ(before.Values.at(L":sz").second.size(), 6u);
    ASSERT_EQ(before.Values.at(L":multi").second.size(), 7u);
    ASSERT_TRUE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, src, moved, true));
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, moved) == before);
    classlib::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(moved, false));
    EXPECT_TRUE(reg.RenameValue("sz", "sz2"));
    EXPECT_TRUE(reg.RenameValue("multi", "multi2"));
    const TreeImage renamed = Image(HKEY_CURRENT_USER, moved);
    EXPECT_EQ(renamed.Values.at(L":sz2"), before.Values.at(L":sz"));
    EXPECT_EQ(renamed.Values.at(L":multi2"), before.Values.at(L":multi"));
}

TEST(KeyTreeCopy, KeyNamesArePassedAsTheyAre) {
    ScratchKey s;
    const std::vector<std::string> names = {" lead", "trail ", " both ", ".", "..", "a.b.", "*", "?", "[x]",
                                            "=", "a=b", "\"q\"", "'", "%PATH%", std::string(255, 'n')};
    for (const auto& n : names) s.SetString(n, n, "src\\" + n);
    s.AddKey("src\\trail \\ inner ");
    // Keys named like the special ones without their blanks are not touched.
    s.AddKey("lead");
    s.AddKey("trail");
    const TreeImage before = Image(HKEY_CURRENT_USER, s.Path + "\\src");
    ASSERT_EQ(before.Keys.size(), names.size() + 2);

    ASSERT_TRUE(RegPasteKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\copy"));
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, s.Path + "\\copy\\src") == before);
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, s.Path + "\\src") == before);
    for (const auto& n : names) {
        EXPECT_TRUE(RegDeleteKeyTree(s.Key, "copy\\src\\" + n)) << n;
        EXPECT_TRUE(Exists(s.Key, "src\\" + n)) << n;
    }
    EXPECT_TRUE(Exists(s.Key, "lead"));
    EXPECT_TRUE(Exists(s.Key, "trail"));
    TreeImage rest = Image(HKEY_CURRENT_USER, s.Path + "\\copy\\src");
    EXPECT_EQ(rest.Keys.size(), 1u);
}

TEST(KeyTreeCopy, PathsLongerThanTheAnsiFunctionsTake) {
    ScratchKey s;
    const std::string longName(255, 'L');
    const std::string deep = s.Path + "\\" + longName + "\\" + longName;  // over 500 characters
    FillSample(s);
    ASSERT_TRUE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", deep + "\\src", false));
    const TreeImage sample = Image(s.Key, "src");
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, deep + "\\src") == sample);
    EXPECT_TRUE(RegPasteKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, deep + "\\src", deep + "\\" + longName));
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, deep + "\\" + longName + "\\src") == sample);
    ASSERT_TRUE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, deep + "\\src", deep + "\\moved", true));
    EXPECT_FALSE(Exists(HKEY_CURRENT_USER, deep + "\\src"));
    SetW(HKEY_CURRENT_USER, deep + "\\moved", L"New Value #1", REG_SZ, L"", 2);
    SetW(HKEY_CURRENT_USER, deep + "\\moved\\New Key #1", L"", REG_SZ, L"", 2);
    EXPECT_EQ(NewKeyName(HKEY_CURRENT_USER, deep + "\\moved"), "New Key #2");
    EXPECT_EQ(NewValueName(HKEY_CURRENT_USER, deep + "\\moved"), "New Value #2");

    // The registry class refuses an existing destination however long its path.
    classlib::TRegistry reg;
    EXPECT_FALSE(reg.MoveKey(s.Path + "\\src", deep + "\\moved", true));
    EXPECT_TRUE(Exists(s.Key, "src"));
    EXPECT_TRUE(reg.MoveKey(s.Path + "\\src", deep + "\\other", true));
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, deep + "\\other") == sample);
    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CURRENT_USER, s.Path + "\\" + longName));
    EXPECT_FALSE(Exists(s.Key, longName));
}

TEST(KeyTreeCopy, SubKeysMergeIntoAnExistingDestination) {
    ScratchKey s;
    FillSample(s);
    s.SetString("name", "overwritten", "dst\\src");
    s.SetString("mine", "kept", "dst\\src\\a");
    s.AddKey("dst\\own");
    HKEY a = nullptr, b = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(s.Key, "src", 0, KEY_READ, &a), 0);
    ASSERT_EQ(::RegOpenKeyExA(s.Key, "dst\\src", 0, KEY_ALL_ACCESS, &b), 0);
    EXPECT_TRUE(RegCopySubKeys(a, b));  // subkeys only: the values of src itself stay behind
    ::RegCloseKey(a);
    ::RegCloseKey(b);
    TreeImage image = Image(s.Key, "dst\\src");
    EXPECT_EQ(image.Values.count(L":"), 0u);
    EXPECT_EQ(image.Values.count(L"\\a:mine"), 1u);
    EXPECT_EQ(image.Values.count(L"\\a\\b:qword"), 1u);
    EXPECT_EQ(image.Keys.count(L"\\empty"), 1u);

    EXPECT_TRUE(RegPasteKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\dst"));
    classlib::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(s.Path + "\\dst\\src", false));
    EXPECT_EQ(reg.ReadString("name"), "value");
    EXPECT_EQ(reg.ReadString(""), "default");
    EXPECT_TRUE(Exists(s.Key, "dst\\own"));
}

TEST(KeyTreeCopy, PasteAndCopyEdges) {
    ScratchKey s;
    FillSample(s);
    s.AddKey("x");
    const TreeImage before = Image(s.Key, "src");
    EXPECT_FALSE(RegPasteKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "", s.Path + "\\x"));
    EXPECT_FALSE(RegPasteKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src\\", s.Path + "\\x"));
    EXPECT_FALSE(RegPasteKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\missing", s.Path + "\\x"));
    EXPECT_FALSE(Exists(s.Key, "x\\missing"));
    EXPECT_TRUE(Image(s.Key, "x").Keys.size() == 1 && Image(s.Key, "x").Values.empty());

    // Onto itself, also in other capitals and through a mapped root: nothing.
    EXPECT_TRUE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\SRC", true));
    EXPECT_TRUE(Image(s.Key, "src") == before);
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\gone", s.Path + "\\GONE", true));

    // Into its own subtree: refused, and nothing is created.
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\src\\a\\in", false));
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\Src\\new", true));
    EXPECT_TRUE(Image(s.Key, "src") == before);
    // A move into one of its own ancestors: refused, also under an alias.
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src\\a\\b", s.Path + "\\src", true));
    EXPECT_FALSE(RegCopyKey(s.Key, HKEY_CURRENT_USER, "src\\a", s.Path, true));
    EXPECT_TRUE(Image(s.Key, "src") == before);
    // A whole root is never moved; an empty destination is no key.
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, "", s.Path + "\\x\\root", true));
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", "", true));
    EXPECT_FALSE(Exists(s.Key, "x\\root"));
    EXPECT_TRUE(Image(s.Key, "src") == before);
}

TEST(KeyTreeCopy, AliasesOfTheSameKeyAreSeen) {
    // HKEY_CURRENT_USER is one of the keys under HKEY_USERS.
    ScratchKey s;
    s.SetString("v", "1", "src");
    const std::string user = CurrentUserUnderUsers(s.Path);
    ASSERT_FALSE(user.empty());
    const std::string viaUsers = user + "\\" + s.Path + "\\src";
    // A move onto itself under another root keeps the key.
    EXPECT_TRUE(RegCopyKey(HKEY_USERS, HKEY_CURRENT_USER, viaUsers, s.Path + "\\src", true));
    EXPECT_TRUE(Exists(s.Key, "src"));
    // A copy into itself under another root is refused instead of running on.
    EXPECT_FALSE(RegCopyKey(HKEY_USERS, HKEY_CURRENT_USER, viaUsers, s.Path + "\\src\\deeper\\copy", false));
    EXPECT_FALSE(Exists(s.Key, "src\\deeper"));

    // HKEY_CLASSES_ROOT is HKEY_LOCAL_MACHINE\Software\Classes.
    const std::string name = s.Name() + "_class";
    ASSERT_EQ(::RegSetValueA(HKEY_CLASSES_ROOT, name.c_str(), REG_SZ, "x", 1), 0);
    EXPECT_TRUE(RegCopyKey(HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, name, "SOFTWARE\\CLASSES\\" + name, true));
    EXPECT_TRUE(Exists(HKEY_CLASSES_ROOT, name));
    EXPECT_TRUE(RegDeleteKeyTree(HKEY_CLASSES_ROOT, name));
}

// ---- Move failures ----------------------------------------------------------

TEST(KeyTreeMove, SourceStaysWhenAnyPartCannotBeCopied) {
    ScratchKey s;
    FillSample(s);
    s.SetString("secret", "s", "src\\a\\hidden");
    SetAccess(HKEY_CURRENT_USER, s.Path + "\\src\\a\\hidden", L"D:P");  // cannot even be read
    const TreeImage before = Image(s.Key, "src");
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\new\\deep\\dst", true));
    EXPECT_TRUE(Image(s.Key, "src") == before);
    // The partial copy went with the levels the move created.
    EXPECT_FALSE(Exists(s.Key, "new"));

    // A paste reports the failure too, and leaves what it copied.
    EXPECT_FALSE(RegPasteKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\pasted"));
    EXPECT_TRUE(Exists(s.Key, "pasted\\src\\a\\b"));
    Unlock(HKEY_CURRENT_USER, s.Path + "\\src\\a\\hidden");
}

TEST(KeyTreeMove, DestinationThatCannotBeCreatedKeepsTheSource) {
    ScratchKey s;
    FillSample(s);
    HKEY vol = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(s.Key, "volatile", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &vol,
                                nullptr),
              0);
    ::RegCloseKey(vol);
    const TreeImage before = Image(s.Key, "src");
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\volatile\\dst", true));
    EXPECT_TRUE(Image(s.Key, "src") == before);
    EXPECT_FALSE(Exists(s.Key, "volatile\\dst"));
}

TEST(KeyTreeMove, FailedMoveIntoAnExistingKeyTakesItsChangesBack) {
    ScratchKey s;
    FillSample(s);
    s.SetString("x", "deep", "src\\v\\child");  // cannot land: dst's "v" is volatile
    // The destination: an existing key with a value the move overwrites, a
    // subkey it merges into and the volatile key it fails in.
    s.SetString("name", "old", "dst");
    s.SetString("mine", "kept", "dst");
    s.SetString("own", "kept", "dst\\a");
    HKEY vol = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(s.Key, "dst\\v", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &vol,
                                nullptr),
              0);
    ::RegCloseKey(vol);
    const TreeImage src = Image(s.Key, "src"), dst = Image(s.Key, "dst");
    EXPECT_FALSE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\dst", true));
    EXPECT_TRUE(Image(s.Key, "src") == src);
    EXPECT_TRUE(Image(s.Key, "dst") == dst);

    // Without the failing part the same move goes through and merges.
    ASSERT_TRUE(RegDeleteKeyTree(s.Key, "dst\\v"));
    ASSERT_TRUE(RegCopyKey(HKEY_CURRENT_USER, HKEY_CURRENT_USER, s.Path + "\\src", s.Path + "\\dst", true));
    EXPECT_FALSE(Exists(s.Key, "src"));
    const TreeImage merged = Image(s.Key, "dst");
    EXPECT_EQ(merged.Values.count(L"\\v\\child:x"), 1u);
    EXPECT_EQ(merged.Values.count(L":mine"), 1u);
    EXPECT_EQ(merged.Values.count(L"\\a:own"), 1u);
}

// ---- Paste check and paths --------------------------------------------------

TEST(KeyTreePaths, PasteCheckAndSubPaths) {
    const HKEY cr = HKEY_CLASSES_ROOT, lm = HKEY_LOCAL_MACHINE, cu = HKEY_CURRENT_USER;
    EXPECT_FALSE(CanPasteKey(cr, lm, ".txt", "Software\\Classes"));
    EXPECT_FALSE(CanPasteKey(cr, cr, ".txt", ".txt"));
    EXPECT_FALSE(CanPasteKey(lm, cr, "Software\\Classes\\.txt", ""));
    EXPECT_TRUE(CanPasteKey(cr, cu, ".txt", "Software"));
    EXPECT_FALSE(CanPasteKey(cu, cu, "A\\B", "A"));
    EXPECT_FALSE(CanPasteKey(cu, cu, "A\\B", "a\\b\\C"));
    EXPECT_TRUE(CanPasteKey(cu, cu, "A\\B", "X"));
    EXPECT_TRUE(CanPasteKey(cu, cu, "A\\B", ""));
    EXPECT_TRUE(CanPasteKey(cu, cu, "A\\B", "A\\BC"));
    EXPECT_FALSE(CanPasteKey(cu, cu, "", "X"));
    EXPECT_FALSE(CanPasteKey(cu, cu, "\\", "X"));
    ScratchKey s;
    EXPECT_FALSE(CanPasteKey(s.Key, cu, "A", "X"));
    // Blanks at the ends belong to a name: "A " is not "A", and a key pasted
    // into itself stays refused.
    EXPECT_FALSE(CanPasteKey(cu, cu, "X\\A ", "X\\A "));
    EXPECT_TRUE(CanPasteKey(cu, cu, "X\\A ", "X\\A"));
    EXPECT_FALSE(IsSameOrSubPath("A ", "A\\B"));

    EXPECT_TRUE(IsSameOrSubPath("", "anything"));
    EXPECT_TRUE(IsSameOrSubPath("\\Software\\A\\", "software\\a\\b"));
    EXPECT_FALSE(IsSameOrSubPath("SOFT", "SOFTWARE"));
    EXPECT_FALSE(IsSameOrSubPath("Software\\A", "Software"));
    EXPECT_FALSE(IsSameOrSubPath("Software\\A", "Software\\B\\A"));
}

// By real names: letters outside the code page compare without regard to
// case, and the paste goes only into a parent that is there.
TEST(KeyTreePaths, PasteByRealNames) {
    const HKEY cu = HKEY_CURRENT_USER, cr = HKEY_CLASSES_ROOT, lm = HKEY_LOCAL_MACHINE;
    EXPECT_FALSE(CanPasteKey(cu, cu, std::wstring(L"A\\\x0416"), std::wstring(L"a\\\x0436\\x")));
    EXPECT_TRUE(CanPasteKey(cu, cu, std::wstring(L"A\\\x0416"), std::wstring(L"a\\\x0417")));
    EXPECT_FALSE(CanPasteKey(lm, cr, std::wstring(L"Software\\Classes\\.txt"), std::wstring()));

    ScratchKey s;
    const std::wstring src = W(s.Path) + L"\\\x0416";
    CreateWide(cu, src + L"\\inner", L"v", L"\x0436");
    EXPECT_FALSE(RegPasteKey(cu, cu, src, W(s.Path) + L"\\missing"));
    EXPECT_FALSE(Exists(s.Key, "missing"));
    CreateWide(cu, W(s.Path) + L"\\dst");
    ASSERT_TRUE(RegPasteKey(cu, cu, src, W(s.Path) + L"\\dst"));
    EXPECT_TRUE(Image(cu, s.Path + "\\dst").Values.count(L"\\\x0416\\inner:v"));
}

TEST(KeyTreePaths, FreeNames) {
    ScratchKey s;
    EXPECT_EQ(NewKeyName(HKEY_CURRENT_USER, s.Path), "New Key #1");
    EXPECT_EQ(NewValueName(HKEY_CURRENT_USER, s.Path), "New Value #1");
    s.AddKey("NEW KEY #1");
    s.AddKey("new key #2");
    s.AddKey("New Key #01");
    s.AddKey("New Key #4");
    EXPECT_EQ(NewKeyName(HKEY_CURRENT_USER, s.Path), "New Key #3");
    EXPECT_EQ(NewKeyName(s.Key, "new key #2"), "New Key #1");
    s.SetString("New Value #2", "");
    s.SetString("new value #1", "");
    s.SetString("New Value #1 ", "");
    EXPECT_EQ(NewValueName(HKEY_CURRENT_USER, "\\" + s.Path), "New Value #3");
    EXPECT_EQ(NewKeyName(HKEY_CURRENT_USER, s.Path + "\\missing"), "New Key #1");
    EXPECT_EQ(NewValueName(HKEY_CURRENT_USER, s.Path + "\\missing"), "New Value #1");
}

// ---- The registry class's move and rename ----------------------------------

TEST(KeyTreeRegistryClass, RenameValueNeverLosesTheValue) {
    ScratchKey s;
    const WCHAR text[] = L"\x4e2d odd";
    SetW(HKEY_CURRENT_USER, s.Path, L"uni", REG_SZ, text, sizeof text - 1);  // odd length
    s.SetString("other", "o");
    s.SetValue("empty", REG_BINARY, nullptr, 0);
    classlib::TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(s.Path, false));
    const TreeImage before = Image(HKEY_CURRENT_USER, s.Path);

    // Onto an existing name, onto itself in other capitals, to a name the
    // registry refuses: false, and nothing changes.
    EXPECT_FALSE(reg.RenameValue("uni", "other"));
    EXPECT_FALSE(reg.RenameValue("uni", "UNI"));
    EXPECT_FALSE(reg.RenameValue("uni", "uni"));
    EXPECT_FALSE(reg.RenameValue("uni", std::string(16384, 'x')));
    EXPECT_TRUE(Image(HKEY_CURRENT_USER, s.Path) == before);

    EXPECT_TRUE(reg.RenameValue("uni", "renamed"));
    EXPECT_TRUE(reg.RenameValue("empty", "still empty"));
    TreeImage after = Image(HKEY_CURRENT_USER, s.Path);
    EXPECT_EQ(after.Values[L":renamed"], before.Values.at(L":uni"));
    EXPECT_EQ(after.Values[L":still empty"], before.Values.at(L":empty"));
    EXPECT_EQ(after.Values.count(L":uni"), 0u);
}

TEST(KeyTreeRegistryClass, MoveKeyKeepsTheSourceUnlessAllArrived) {
    ScratchKey s;
    FillSample(s);
    const WCHAR text[] = L"\x4e2d";
    SetW(HKEY_CURRENT_USER, s.Path + "\\src\\a", L"uni", REG_SZ, text, 3);
    s.AddKey("taken");
    const TreeImage before = Image(s.Key, "src");
    classlib::TRegistry reg;
    // A missing source, an existing destination, and one inside the source
    // are refused.
    EXPECT_FALSE(reg.MoveKey(s.Path + "\\absent", s.Path + "\\x", true));
    EXPECT_FALSE(Exists(s.Key, "x"));
    EXPECT_FALSE(reg.MoveKey(s.Path + "\\src", s.Path + "\\taken", true));
    EXPECT_FALSE(reg.MoveKey(s.Path + "\\src", s.Path + "\\SRC\\a\\inner", true));
    EXPECT_TRUE(Image(s.Key, "src") == before);
    EXPECT_FALSE(Exists(s.Key, "src\\a\\inner"));

    SetAccess(HKEY_CURRENT_USER, s.Path + "\\src\\a\\b", L"D:P");
    const TreeImage locked = Image(s.Key, "src");
    EXPECT_FALSE(reg.MoveKey(s.Path + "\\src", s.Path + "\\dst", true));
    EXPECT_TRUE(Image(s.Key, "src") == locked);
    EXPECT_FALSE(Exists(s.Key, "dst"));
    Unlock(HKEY_CURRENT_USER, s.Path + "\\src\\a\\b");

    EXPECT_TRUE(reg.MoveKey(s.Path + "\\src", s.Path + "\\dst", true));
    EXPECT_FALSE(Exists(s.Key, "src"));
    EXPECT_TRUE(Image(s.Key, "dst") == before);
}
