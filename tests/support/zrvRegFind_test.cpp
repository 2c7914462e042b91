#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "../TestSupport.h"
#include "zrvRegistry.h"
#include "zrvString.h"

namespace {

using Hit = std::tuple<int, std::wstring, std::wstring>;  // kind, path, value

void SetW(HKEY root, const std::wstring& path, const std::wstring& name, DWORD type, const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr), 0);
    ASSERT_EQ(::RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size), 0);
    ::RegCloseKey(key);
}
void SetText(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& text) {
    SetW(root, path, name, REG_SZ, text.c_str(), static_cast<DWORD>((text.size() + 1) * 2));
}

// Every hit of a search from FindFirst on, in order.
std::vector<Hit> AllHits(const ScratchKey& scratch, const std::string& text, TFindInfo options) {
    options.RootKey = HKEY_CURRENT_USER;
    options.StartPath = W(scratch.Path);
    std::vector<Hit> hits;
    for (bool found = RegFindFirst(text, options); found && hits.size() < 100; found = RegFindNext(text, options))
        hits.emplace_back(options.FoundKind, options.FoundPath, options.FoundValue);
    return hits;
}

}  // namespace

// Pre-order, depth first: a key's values (a value whose name and data both
// match once, as a name hit), then each subkey's name, values and subtree;
// every hit goes on from where it was, and the walk never leaves the start.
TEST(RegFind, WalksPreOrderAndGoesOnFromEveryHit) {
    ScratchKey outside;
    ScratchKey scratch;
    const HKEY top = scratch.Key;
    SetText(top, L"", L"d", L"has NEEDLE");
    SetText(top, L"", L"needle", L"needle too");
    SetText(top, L"", L"v1", L"xx");
    SetText(top, L"A", L"a1", L"no");
    SetText(top, L"A\\needleKey", L"x", L"needle");
    SetText(top, L"A\\needleKey\\deep", L"needle", L"zz");
    SetText(top, L"B", L"q", L"Needle");
    SetText(top, L"needleKey", L"bin", L"needle");
    SetW(top, L"needleKey", L"bin", REG_BINARY, "needle", 6);  // binary data is not searched
    outside.SetString("needle", "needle");                      // a sibling of the start: never reached

    const std::vector<Hit> expected = {
        {fkValueData, L"", L"d"},          {fkValueName, L"", L"needle"},
        {fkKeyName, L"A\\needleKey", L""}, {fkValueData, L"A\\needleKey", L"x"},
        {fkValueName, L"A\\needleKey\\deep", L"needle"}, {fkValueData, L"B", L"q"},
        {fkKeyName, L"needleKey", L""},
    };
    EXPECT_EQ(AllHits(scratch, "NEEDLE", TFindInfo{}), expected);

    // Only key names: values are not looked at.
    TFindInfo keysOnly;
    keysOnly.MatchValueNames = keysOnly.MatchData = false;
    EXPECT_EQ(AllHits(scratch, "NEEDLE", keysOnly),
              (std::vector<Hit>{{fkKeyName, L"A\\needleKey", L""}, {fkKeyName, L"needleKey", L""}}));

    // A cancelled search finds nothing until the next one starts.
    StopFinding = true;
    EXPECT_TRUE(AllHits(scratch, "NEEDLE", TFindInfo{}).empty());
    StopFinding = false;
}

TEST(RegFind, WildcardsWholeWordsDwordsAndRealNames) {
    ScratchKey scratch;
    for (const wchar_t* name : {L"ABC", L"AC", L"CBA", L"XABCY", L"A*C"}) SetText(scratch.Key, name, L"v", L"");
    TFindInfo wild;
    wild.Wildcards = true;
    wild.MatchValueNames = wild.MatchData = false;
    auto names = [&](const std::string& text, const TFindInfo& options) {
        std::vector<std::wstring> found;
        for (const Hit& h : AllHits(scratch, text, options)) found.push_back(std::get<1>(h));
        return found;
    };
    EXPECT_EQ(names(WildToPattern("A*C"), wild), (std::vector<std::wstring>{L"A*C", L"ABC", L"AC", L"XABCY"}));
    EXPECT_EQ(names(WildToPattern("A\\*C"), wild), (std::vector<std::wstring>{L"A*C"}));
    TFindInfo whole = wild;
    whole.Wildcards = false;
    whole.WholeWords = true;
    EXPECT_EQ(names("ABC", whole), (std::vector<std::wstring>{L"ABC"}));

    // DWORDs read as signed numbers, with their own option.
    ScratchKey numbers;
    numbers.SetValue("all", REG_DWORD, "\xFF\xFF\xFF\xFF", 4);
    TFindInfo dwords;
    dwords.MatchDwords = true;
    dwords.MatchValueNames = false;
    EXPECT_EQ(AllHits(numbers, "-1", dwords).size(), 1u);
    EXPECT_TRUE(AllHits(numbers, "4294967295", dwords).empty());
    dwords.MatchDwords = false;
    EXPECT_TRUE(AllHits(numbers, "-1", dwords).empty());

    // Names outside the code page: found under their own name, and a
    // search for "?" does not take them for question marks.
    ScratchKey foreign;
    SetText(foreign.Key, L"\u0436", L"needle", L"");
    SetText(foreign.Key, L"?", L"needle", L"");
    EXPECT_EQ(AllHits(foreign, "NEEDLE", TFindInfo{}),
              (std::vector<Hit>{{fkValueName, L"?", L"needle"}, {fkValueName, L"\u0436", L"needle"}}));
    EXPECT_EQ(AllHits(foreign, "?", TFindInfo{}), (std::vector<Hit>{{fkKeyName, L"?", L""}}));

    // A key that may be read but not written is searched all the same.
    SetAccess(HKEY_CURRENT_USER, foreign.Path + "\\?", L"D:P(A;;KR;;;WD)");
    EXPECT_EQ(AllHits(foreign, "NEEDLE", TFindInfo{}).size(), 2u);
    Unlock(HKEY_CURRENT_USER, foreign.Path + "\\?");
}
