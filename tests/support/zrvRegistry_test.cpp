#include "zrvRegistry.h"

#include <gtest/gtest.h>

#include "../TestSupport.h"

using classlib::TStringList;

TEST(RootKeys, NamesAndHandles) {
    EXPECT_EQ(NameToRootKey("hkey_local_machine"), HKEY_LOCAL_MACHINE);
    EXPECT_EQ(NameToRootKey("HKEY_Current_User"), HKEY_CURRENT_USER);
    EXPECT_EQ(NameToRootKey("HKEY_PERFORMANCE_DATA"), HKEY_PERFORMANCE_DATA);
    EXPECT_EQ(NameToRootKey("HKLM"), nullptr);
    EXPECT_EQ(NameToRootKey("HKEY_LOCAL_MACHINE\\Software"), nullptr);
    EXPECT_EQ(NameToRootKey(" HKEY_USERS"), nullptr);
    EXPECT_EQ(NameToRootKey(""), nullptr);

    ScratchKey scratch;
    EXPECT_EQ(RootKeyToName(nullptr), "");
    EXPECT_EQ(RootKeyToName(scratch.Key), "");
    EXPECT_FALSE(IsRootKey(scratch.Key));
    for (int i = 0; i < kRootKeyCount; ++i) {
        EXPECT_TRUE(IsRootKey(RootKeyAt(i)));
        EXPECT_EQ(NameToRootKey(RootKeyToName(RootKeyAt(i))), RootKeyAt(i));
    }
    // The handles are the predefined ones, sign-extended on 64-bit Windows.
    EXPECT_EQ(RootKeyAt(6), HKEY_DYN_DATA);
    EXPECT_EQ(RootKeyIndex(HKEY_CURRENT_CONFIG), 5);
    EXPECT_EQ(RootKeyAt(7), nullptr);
}

TEST(RootKeys, MapRootKey) {
    HKEY root = HKEY_CLASSES_ROOT;
    std::string prefix;
    MapRootKey(root, prefix);
    EXPECT_EQ(root, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(prefix, "Software\\Classes");

    root = HKEY_CURRENT_USER;
    prefix.clear();
    MapRootKey(root, prefix);
    EXPECT_EQ(root, HKEY_CURRENT_USER);
    EXPECT_EQ(prefix, "");

    root = HKEY_USERS;
    prefix = "left over";
    MapRootKey(root, prefix);
    EXPECT_EQ(root, HKEY_USERS);
    EXPECT_EQ(prefix, "");
}

TEST(KeyListing, SubkeyNamesKeepCaseAndSkipNothing) {
    ScratchKey scratch;
    TStringList names;
    RegGetKeyNames(scratch.Key, names);
    EXPECT_EQ(names.Count(), 0);
    scratch.AddKey("beta");
    scratch.AddKey("Alpha");
    scratch.AddKey("Gamma\\Inner");
    RegGetKeyNames(scratch.Key, names);
    ASSERT_EQ(names.Count(), 3);
    EXPECT_NE(names.IndexOf("Alpha"), -1);
    EXPECT_EQ(names[names.IndexOf("Alpha")], "Alpha");
    EXPECT_NE(names.IndexOf("beta"), -1);
    EXPECT_NE(names.IndexOf("Gamma"), -1);

    EXPECT_EQ(SubKeyIndex(scratch.Key, "GAMMA"), names.IndexOf("Gamma"));
    EXPECT_EQ(SubKeyIndex(scratch.Key, "Gam"), -1);
    EXPECT_EQ(SubKeyIndex(scratch.Key, "missing"), -1);
}

TEST(KeyListing, ValuesWithTheirDataTexts) {
    ScratchKey scratch;
    scratch.SetString("", "default");
    scratch.SetString("Str", "hello");
    const char unterminated[] = {'a', 'b', 'c'};
    scratch.SetValue("NoNul", REG_SZ, unterminated, 3);
    scratch.SetValue("Expand", REG_EXPAND_SZ, "%PATH%\0tail", 12);
    const DWORD big = 0xFFFFFFFFu;
    scratch.SetValue("Dword", REG_DWORD, &big, 4);
    const BYTE bin[] = {1, 2, 3};
    scratch.SetValue("Bin", REG_BINARY, bin, 3);
    scratch.SetValue("Multi", REG_MULTI_SZ, "a\0b\0", 5);

    TStringList names, texts;
    RegGetValueList(scratch.Key, names, &texts, true);
    ASSERT_EQ(names.Count(), 7);
    ASSERT_EQ(texts.Count(), 7);
    auto text = [&](const std::string& name) {
        for (int i = 0; i < names.Count(); ++i)
            if (names[i] == name) return texts[i];
        return std::string("<absent>");
    };
    EXPECT_EQ(text(""), "default");
    EXPECT_EQ(text("Str"), "hello");
    EXPECT_EQ(text("NoNul"), "abc");
    EXPECT_EQ(text("Expand"), "%PATH%");
    EXPECT_EQ(text("Dword"), "4294967295");
    EXPECT_EQ(text("Bin"), "");
    EXPECT_EQ(text("Multi"), "");

    RegGetValueList(scratch.Key, names, &texts, false);
    EXPECT_EQ(text("Dword"), "");

    // Without a text list only names are listed.
    TStringList only;
    RegGetValueList(scratch.Key, only, nullptr, true);
    EXPECT_EQ(only.Count(), 7);
}

TEST(KeyListing, AKeyThatWentAwayYieldsNothing) {
    auto* scratch = new ScratchKey();
    scratch->AddKey("child");
    HKEY child = nullptr;
    ASSERT_EQ(::RegOpenKeyExA(scratch->Key, "child", 0, KEY_ALL_ACCESS, &child), ERROR_SUCCESS);
    classlib::DeleteRegistryTree(scratch->Key, "child");
    TStringList names;
    RegGetKeyNames(child, names);
    EXPECT_EQ(names.Count(), 0);
    RegGetValueList(child, names, nullptr, false);
    EXPECT_EQ(names.Count(), 0);
    EXPECT_EQ(SubKeyIndex(child, "x"), -1);
    TKeyInfo info;
    RegGetKeyInfo(child, info);
    ::RegCloseKey(child);
    delete scratch;
}

TEST(KeyInfo, FarEastDoublesNameLengthsOnNTOnly) {
    ScratchKey scratch;
    scratch.AddKey("TenChars10");
    scratch.SetString("Name6x", "data");
    classlib::Seams().FarEastLocale = [] { return true; };
    PretendWindows(VER_PLATFORM_WIN32_NT, 5);
    TKeyInfo plain;
    ::RegQueryInfoKeyA(scratch.Key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &plain.MaxDataLen, nullptr, nullptr);
    TKeyInfo info;
    EXPECT_TRUE(RegGetKeyInfo(scratch.Key, info));
    EXPECT_EQ(info.MaxSubKeyLen, 20u);
    EXPECT_EQ(info.MaxValueNameLen, 12u);
    EXPECT_EQ(info.MaxDataLen, plain.MaxDataLen);
    TStringList names;
    RegGetKeyNames(scratch.Key, names);
    EXPECT_EQ(names.Count(), 1);
    // The registry class counts the same way: there is one record.
    classlib::TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly(scratch.Path));
    TKeyInfo same;
    EXPECT_TRUE(reg.GetKeyInfo(same));
    EXPECT_EQ(same.MaxSubKeyLen, 20u);
    EXPECT_EQ(same.MaxValueNameLen, 12u);

    PretendWindows(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
    EXPECT_TRUE(RegGetKeyInfo(scratch.Key, info));
    EXPECT_EQ(info.MaxSubKeyLen, 10u);
    classlib::ResetSeams();
    EXPECT_TRUE(RegGetKeyInfo(scratch.Key, info));
    EXPECT_EQ(info.MaxSubKeyLen, 10u);
    EXPECT_EQ(info.NumSubKeys, 1u);
    EXPECT_EQ(info.NumValues, 1u);
}

TEST(KeyInfo, FailureClearsTheRecord) {
    TKeyInfo info;
    info.NumSubKeys = 99;
    EXPECT_FALSE(RegGetKeyInfo(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x1234)), info));
    EXPECT_EQ(info.NumSubKeys, 0u);
    EXPECT_EQ(info.MaxSubKeyLen, 0u);
}
