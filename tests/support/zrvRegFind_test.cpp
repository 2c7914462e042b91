#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "../TestSupport.h"
#include "zrvRegistry.h"
#include "zrvString.h"

namespace {

using Hit = std::tuple<int, std::wstring, std::wstring>;  // kind, path, value

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
    CreateWide(top, L"", L"d", L"has NEEDLE");
    CreateWide(top, L"", L"needle", L"needle too");
    CreateWide(top, L"A\\needleKey", L"x", L"needle");
    CreateWide(top, L"A\\needleKey\\deep", L"needle", L"zz");
    CreateWide(top, L"B", L"q", L"Needle");
    scratch.SetValue("bin", REG_BINARY, "needle", 6, "needleKey");  // binary data is not searched
    outside.SetString("needle", "needle");  // a sibling of the start: never reached

    const std::vector<Hit> expected = {
        {fkValueData, L"", L"d"},          {fkValueName, L"", L"needle"},
        {fkKeyName, L"A\\needleKey", L""}, {fkValueData, L"A\\needleKey", L"x"},
        {fkValueName, L"A\\needleKey\\deep", L"needle"}, {fkValueData, L"B", L"q"},
        {fkKeyName, L"needleKey", L""},
    };
    EXPECT_EQ(AllHits(scratch, "NEEDLE", TFindInfo{}), expected);

    // A cancelled search finds nothing until the next one starts.
    StopFinding = true;
    EXPECT_TRUE(AllHits(scratch, "NEEDLE", TFindInfo{}).empty());
    StopFinding = false;
}

TEST(RegFind, WildcardsWholeWordsDwordsAndRealNames) {
    ScratchKey scratch;
    for (const wchar_t* name : {L"ABC", L"CBA", L"XABCY"}) CreateWide(scratch.Key, name);
    TFindInfo wild;
    wild.Wildcards = true;
    wild.MatchValueNames = wild.MatchData = false;
    std::vector<std::wstring> found;
    for (const Hit& h : AllHits(scratch, WildToPattern("A*C"), wild)) found.push_back(std::get<1>(h));
    EXPECT_EQ(found, (std::vector<std::wstring>{L"ABC", L"XABCY"}));
    wild.Wildcards = false;
    wild.WholeWords = true;
    EXPECT_EQ(AllHits(scratch, "ABC", wild), (std::vector<Hit>{{fkKeyName, L"ABC", L""}}));

    // DWORDs read as signed numbers, with their own option.
    ScratchKey numbers;
    numbers.SetValue("all", REG_DWORD, "\xFF\xFF\xFF\xFF", 4);
    TFindInfo dwords;
    dwords.MatchDwords = true;
    dwords.MatchValueNames = false;
    EXPECT_EQ(AllHits(numbers, "-1", dwords).size(), 1u);
    EXPECT_TRUE(AllHits(numbers, "4294967295", dwords).empty());

    // Names outside the code page: found under their own name, and a
    // search for "?" does not take them for question marks.
    ScratchKey foreign;
    CreateWide(foreign.Key, L"\u0436", L"needle", L"x");
    CreateWide(foreign.Key, L"?", L"needle", L"x");
    EXPECT_EQ(AllHits(foreign, "NEEDLE", TFindInfo{}),
              (std::vector<Hit>{{fkValueName, L"?", L"needle"}, {fkValueName, L"\u0436", L"needle"}}));
    EXPECT_EQ(AllHits(foreign, "?", TFindInfo{}), (std::vector<Hit>{{fkKeyName, L"?", L""}}));

    // A key that may be read but not written is searched all the same.
    SetAccess(HKEY_CURRENT_USER, foreign.Path + "\\?", L"D:P(A;;KR;;;WD)");
    EXPECT_EQ(AllHits(foreign, "NEEDLE", TFindInfo{}).size(), 2u);
    Unlock(HKEY_CURRENT_USER, foreign.Path + "\\?");
}
