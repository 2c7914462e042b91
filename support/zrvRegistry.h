#pragma once
// Registry access on raw key handles: the root keys, key information and
// the listing of subkeys and values. Nothing here opens or closes the key
// it is given, and nothing raises: failures give empty results.
#include <windows.h>

#include <string>
#include <vector>

#include "Registry.h"
#include "StringList.h"

constexpr int kRootKeyCount = 7;

// The one way to step through and compare root keys. Handles are kept as
// HKEY: on 64-bit Windows the predefined handles are sign-extended.
HKEY RootKeyAt(int index);          // 0 = HKEY_CLASSES_ROOT ... 6 = HKEY_DYN_DATA
int RootKeyIndex(HKEY key);         // the index of a root key, -1 for others
bool SameKey(HKEY a, HKEY b);

bool IsRootKey(HKEY key);
std::string RootKeyToName(HKEY key);
HKEY NameToRootKey(const std::string& name);  // nullptr when unknown
// The roots of a Windows version: the key tree shows HKEY_CLASSES_ROOT,
// HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS and HKEY_CURRENT_CONFIG,
// and Export All writes HKEY_LOCAL_MACHINE, HKEY_USERS and HKEY_CURRENT_USER;
// both add HKEY_DYN_DATA on the Windows 95 family and HKEY_PERFORMANCE_DATA
// on NT 4 and earlier.
std::vector<HKEY> ShownRootKeys(const OSVERSIONINFOA& version);
std::vector<HKEY> ExportedRootKeys(const OSVERSIONINFOA& version);

// HKEY_CLASSES_ROOT becomes HKEY_LOCAL_MACHINE with "Software\Classes".
void MapRootKey(HKEY& root, std::string& prefix);

// The key-information record; see classlib's ReadKeyInfo for how name
// lengths are counted.
using classlib::TKeyInfo;

bool RegGetKeyInfo(HKEY key, TKeyInfo& info);
void RegGetKeyNames(HKEY key, classlib::TStringList& list);
void RegGetValueList(HKEY key, classlib::TStringList& names, classlib::TStringList* dataTexts, bool dwordAsText);
int SubKeyIndex(HKEY key, const std::string& name);

// ASCII upper-casing (a to z only), as names are compared.
std::string UpperCaseAscii(std::string s);
std::wstring UpperCaseAscii(std::wstring s);
// Whether two key or value names name the same thing: the registry tells
// names apart without regard to letter case, also beyond ASCII.
bool SameNameIgnoringCase(std::wstring a, std::wstring b);
#include "zrvKeyTree.h"
#include "zrvRegFind.h"
