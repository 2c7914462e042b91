#include "Registry.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "../TestSupport.h"

using classlib::ERegistryException;
using classlib::TRegDataType;
using classlib::TRegistry;

TEST(RegistryClass, ReadsAndWritesEveryKind) {
    ScratchKey scratch;
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    EXPECT_FALSE(reg.OpenKey(scratch.Path + "\\missing", false));
    ASSERT_TRUE(reg.OpenKey(scratch.Path + "\\new\\deeper", true));
    reg.WriteString("s", "text");
    reg.WriteExpandString("e", "%WINDIR%");
    reg.WriteInteger("d", -1);
    const BYTE bytes[] = {0, 0xFF, 0x10, 0};
    reg.WriteBinaryData("b", bytes, 4);
    reg.WriteBinaryData("empty", nullptr, 0);

    EXPECT_EQ(reg.ReadString("s"), "text");
    EXPECT_EQ(reg.ReadString("e"), "%WINDIR%");
    EXPECT_EQ(reg.GetDataType("e"), TRegDataType::rdExpandString);
    EXPECT_EQ(reg.ReadInteger("d"), -1);
    EXPECT_EQ(reg.GetDataType("d"), TRegDataType::rdInteger);
    BYTE back[8] = {};
    EXPECT_EQ(reg.ReadBinaryData("b", back, sizeof back), 4);
    EXPECT_EQ(memcmp(back, bytes, 4), 0);
    EXPECT_EQ(reg.GetDataSize("b"), 4);
    EXPECT_EQ(reg.GetDataSize("empty"), 0);
    EXPECT_EQ(reg.GetDataSize("nothing"), -1);
    EXPECT_EQ(reg.GetDataType("nothing"), TRegDataType::rdUnknown);
    // A buffer too small, a missing value, a wrong type: errors, not garbage.
    EXPECT_THROW(reg.ReadBinaryData("b", back, 2), ERegistryException);
    EXPECT_THROW(reg.ReadString("nothing"), ERegistryException);
    EXPECT_THROW(reg.ReadInteger("s"), ERegistryException);
    EXPECT_TRUE(reg.ValueExists("s"));
    EXPECT_TRUE(reg.DeleteValue("s"));
    EXPECT_FALSE(reg.ValueExists("s"));
    reg.CloseKey();
    EXPECT_TRUE(reg.KeyExists(scratch.Path + "\\new\\deeper"));
}

TEST(RegistryClass, RenameValueKeepsTypeAndBytes) {
    ScratchKey scratch;
    scratch.SetValue("multi", REG_MULTI_SZ, "a\0b\0", 5);
    scratch.SetValue("none", REG_NONE, "", 0);
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(scratch.Path, false));
    EXPECT_TRUE(reg.RenameValue("multi", "renamed"));
    EXPECT_FALSE(reg.ValueExists("multi"));
    auto v = reg.ReadRaw("renamed");
    EXPECT_EQ(v.Type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(v.Data, (std::vector<BYTE>{'a', 0, 'b', 0, 0}));
    EXPECT_TRUE(reg.RenameValue("none", "none2"));
    EXPECT_EQ(reg.ReadRaw("none2").Data.size(), 0u);
    EXPECT_FALSE(reg.RenameValue("absent", "x"));
    EXPECT_FALSE(reg.ValueExists("x"));
}

TEST(RegistryClass, EnumerationRereadsWhatGrewSinceTheKeyInformation) {
    ScratchKey scratch;
    scratch.SetString("a", "x");
    scratch.AddKey("k");
    classlib::TValueEnum values(scratch.Key);
    classlib::TSubKeyEnum subKeys(scratch.Key);
    ASSERT_TRUE(values.Ok() && subKeys.Ok());
    // Another program writes longer names and data after the buffers were sized.
    const std::string longName(300, 'n'), longData(5000, 'd');
    scratch.SetString(longName, longData);
    scratch.AddKey(std::string(200, 'K'));
    std::map<std::string, size_t> seen;
    std::set<std::string> keys;
    for (DWORD i = 0; i < 2; ++i) {
        ASSERT_EQ(values.Read(i), ERROR_SUCCESS);
        seen[classlib::ToAnsi(values.NameText())] = values.Size();
        ASSERT_EQ(subKeys.Read(i), ERROR_SUCCESS);
        keys.insert(classlib::ToAnsi(subKeys.NameText()));
    }
    EXPECT_EQ(seen[longName], (longData.size() + 1) * sizeof(WCHAR));
    EXPECT_EQ(keys.count(std::string(200, 'K')), 1u);
}

TEST(RegistryClass, KeyHandleClosesItselfButNeverARoot) {
    ScratchKey scratch;
    HKEY raw = nullptr;
    {
        classlib::TRegKey key;
        ASSERT_EQ(key.Open(HKEY_CURRENT_USER, classlib::ToWide(scratch.Path), KEY_READ), ERROR_SUCCESS);
        raw = key.Get();
        classlib::TRegKey moved(std::move(key));
        EXPECT_FALSE(key);  // closed once, by the new owner
        classlib::TRegKey root;
        EXPECT_EQ(root.Open(HKEY_CURRENT_USER, L"", KEY_READ), ERROR_SUCCESS);
    }
    DWORD subKeys = 0;
    for (const HKEY k : {raw, HKEY_CURRENT_USER})
        EXPECT_EQ(::RegQueryInfoKeyW(k, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                                     nullptr, nullptr),
                  k == raw ? ERROR_INVALID_HANDLE : ERROR_SUCCESS);
}
