#pragma once
// The search walk behind Find, Find Next, Replace and Replace All: a
// depth-first walk of a registry subtree that stops at the first key name,
// value name or value data that matches, records where it stopped, and goes
// on from there on the next call. It only reads the registry, with read
// access, and walks keys and values by their real (wide) names, so a hit
// always names the key or value it was found in.
#include <windows.h>

#include <string>

// The options of a search, in their fixed order, with their start values.
struct TFindOptions {
    bool Wildcards = true;       // the search text is a pattern from WildToPattern
    bool WholeWords = false;     // the whole name or text must equal it (not with wildcards)
    bool FromCurrentKey = true;  // read by the caller: below the selected key, not all roots
    bool MatchKeys = true;
    bool MatchValueNames = true;
    bool MatchData = true;
    bool MatchStrings = true;  // data of strings and expandable strings
    bool MatchDwords = false;  // DWORDs as signed decimal text (0xFFFFFFFF is -1)
};

// The state of one search: the options, where it starts and the last hit.
struct TFindInfo : TFindOptions {
    HKEY RootKey = nullptr;       // the root of the search; inside the walk, the open parent
    int ValueIndex = 0;           // of the last value hit, and where the start key's values begin
    int KeyIndex = 0;             // of the last key on FoundPath, within its parent
    std::wstring StartPath;       // below RootKey; empty for RootKey itself
    // Of the key that holds the hit (for a key-name hit, of that key),
    // relative to StartPath, with the names as stored; empty in the start key.
    std::wstring FoundPath;
    std::wstring FoundValue;  // the value's name as stored; empty for a key-name hit
    int FoundKind = -1;       // -1 none, 0 key name, 1 value name, 2 value data
};

enum TFindKind : int { fkNone = -1, fkKeyName = 0, fkValueName = 1, fkValueData = 2 };

// Set by the search-progress window's Cancel, cleared when a search starts;
// the walk stops at the next key while it is set.
extern bool StopFinding;

// The first hit in the subtree of StartPath under RootKey: its values from
// ValueIndex on, then each subkey's name, values and subtree in turn.
// searchText is in UTF-8, upper case (a pattern with Wildcards); names and
// texts are matched in UTF-8 too, so every character is itself, whatever
// the code page holds.
bool RegFindFirst(const std::string& searchText, TFindInfo& info);
// The hit after the one info describes: the rest of that key's values and
// its subtree, then the keys after it, climbing up to StartPath's subkeys.
bool RegFindNext(const std::string& searchText, TFindInfo& info);
// The keys after the one on FoundPath among its siblings, then those after
// its parent, and so on; KeyIndex places it when useKeyIndex is set.
bool RegFindInSiblings(const std::string& searchText, TFindInfo& info, bool useKeyIndex);

// a "\\" b, or whichever of the two is not empty.
std::wstring JoinKeyPath(const std::wstring& a, const std::wstring& b);

// Every occurrence of find in text replaced, letters compared without
// regard to (ASCII) case, the rest of the text kept as it is.
std::wstring ReplaceAllIgnoringCase(const std::wstring& text, const std::wstring& find, const std::wstring& with);

// A name or text as the search sees it: in UTF-8.
std::string SearchCandidate(const std::wstring& name);
