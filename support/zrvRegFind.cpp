#include "zrvRegFind.h"

#include <cwchar>

#include "Forms.h"
#include "Registry.h"
#include "zrvString.h"

bool StopFinding = false;

namespace {

using classlib::TRegKey;

// Messages are let through at most this often: each look at the queue is a
// round trip to the window system.
const DWORD kPumpEveryMs = 50;

void LetMessagesThrough() {
    static DWORD last = 0;
    const DWORD now = ::GetTickCount();
    if (now - last < kPumpEveryMs) return;
    last = now;
    classlib::Application().ProcessMessages();
}

void Reset(TFindInfo& info) {
    info.FoundKind = fkNone;
    info.KeyIndex = 0;
    info.ValueIndex = 0;
    info.FoundPath.clear();
    info.FoundValue.clear();
}

// A record for searching one subkey of the key open as parent.
TFindInfo Below(const TFindInfo& options, HKEY parent, const std::wstring& name) {
    TFindInfo sub = options;
    sub.RootKey = parent;
    sub.StartPath = name;
    Reset(sub);
    return sub;
}

bool Matches(const std::string& text, const std::wstring& candidate, const TFindInfo& info) {
    return SearchMatches(SearchCandidate(candidate), text, info.Wildcards, info.WholeWords);
}

// The value's data as the search reads it; false for data it does not read.
bool DataCandidate(const classlib::TValueEnum& value, const TFindInfo& info, std::wstring& out) {
    const DWORD type = value.Type();
    if ((type == REG_SZ || type == REG_EXPAND_SZ) && info.MatchStrings) {
        const auto* text = reinterpret_cast<const wchar_t*>(value.Data());
        const size_t chars = value.Size() / sizeof(wchar_t);
        out.assign(text, wcsnlen(text, chars));
        return true;
    }
    if ((type == REG_DWORD || type == REG_DWORD_BIG_ENDIAN) && info.MatchDwords && value.Size() <= 4) {
        std::uint32_t number = 0;
        for (DWORD i = 0; i < value.Size(); ++i) number |= static_cast<std::uint32_t>(value.Data()[i]) << (8 * i);
        const std::string text = std::to_string(static_cast<std::int32_t>(number));
        out.assign(text.begin(), text.end());
        return true;
    }
    return false;
}

// A hit below the subkey name (index i of the key open as parent) found
// by sub: info takes it over, with its path under prefix.
void TakeHit(TFindInfo& info, const TFindInfo& sub, const std::wstring& prefix, const std::wstring& name, int i) {
    info.ValueIndex = sub.ValueIndex;
    info.FoundKind = sub.FoundKind;
    info.FoundValue = sub.FoundValue;
    info.KeyIndex = sub.FoundPath.empty() ? i : sub.KeyIndex;
    info.FoundPath = JoinKeyPath(JoinKeyPath(prefix, name), sub.FoundPath);
}

// Tests subkey i of the open key by name, then searches it; true on a hit.
bool SearchSubKey(const std::string& text, TFindInfo& info, HKEY key, const std::wstring& prefix,
                  const std::wstring& name, int i) {
    if (info.MatchKeys && Matches(text, name, info)) {
        info.KeyIndex = i;
        info.ValueIndex = 0;
        info.FoundKind = fkKeyName;
        info.FoundValue.clear();
        info.FoundPath = JoinKeyPath(prefix, name);
        return true;
    }
    TFindInfo sub = Below(info, key, name);
    if (!RegFindFirst(text, sub)) return false;
    TakeHit(info, sub, prefix, name, i);
    return true;
}

}  // namespace

std::wstring JoinKeyPath(const std::wstring& a, const std::wstring& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + L"\\" + b;
}

std::wstring ReplaceAllIgnoringCase(const std::wstring& text, const std::wstring& find, const std::wstring& with) {
    if (find.empty()) return text;
    auto upper = [](wchar_t c) { return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : c; };
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        bool match = i + find.size() <= text.size();
        for (size_t k = 0; match && k < find.size(); ++k) match = upper(text[i + k]) == upper(find[k]);
        if (match) {
            out += with;
            i += find.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

std::string SearchCandidate(const std::wstring& name) {
    // Most names and texts are ASCII: no conversion.
    std::string ascii(name.size(), '\0');
    size_t i = 0;
    for (; i < name.size() && name[i] < 0x80; ++i) ascii[i] = static_cast<char>(name[i]);
    if (i == name.size()) return ascii;
    return classlib::ToUtf8(name);
}

bool RegFindFirst(const std::string& text, TFindInfo& info) {
    LetMessagesThrough();
    if (StopFinding) return false;
    TRegKey key;
    if (key.Open(info.RootKey, info.StartPath, KEY_READ) != ERROR_SUCCESS) return false;
    try {
        // The key information once, for the values and the subkeys.
        classlib::TKeyInfo keyInfo;
        if (!classlib::ReadKeyInfo(key.Get(), keyInfo)) return false;
        if (info.MatchValueNames || info.MatchData) {
            classlib::TValueEnum values(key.Get(), keyInfo, info.MatchData);
            std::wstring data;
            for (DWORD i = static_cast<DWORD>(std::max(info.ValueIndex, 0)); i < values.Count(); ++i) {
                if (values.Read(i) != ERROR_SUCCESS) continue;
                const std::wstring name = values.NameText();
                int kind = fkNone;
                if (info.MatchValueNames && Matches(text, name, info))
                    kind = fkValueName;
                else if (info.MatchData && DataCandidate(values, info, data) && Matches(text, data, info))
                    kind = fkValueData;
                if (kind == fkNone) continue;
                info.ValueIndex = static_cast<int>(i);
                info.FoundKind = kind;
                info.FoundValue = name;
                info.FoundPath.clear();
                return true;
            }
        }
        classlib::TSubKeyEnum subKeys(key.Get(), keyInfo);
        for (DWORD i = 0; i < subKeys.Count(); ++i) {
            if (subKeys.Read(i) != ERROR_SUCCESS) continue;
            if (SearchSubKey(text, info, key.Get(), std::wstring(), subKeys.NameText(), static_cast<int>(i)))
                return true;
        }
    } catch (...) {
        Reset(info);
    }
    return false;
}

bool RegFindNext(const std::string& text, TFindInfo& info) {
    TFindInfo copy = info;
    if (info.FoundKind > fkKeyName) ++copy.ValueIndex;
    copy.StartPath = JoinKeyPath(info.StartPath, info.FoundPath);
    copy.FoundPath.clear();
    copy.FoundValue.clear();
    copy.FoundKind = fkNone;
    if (info.FoundKind == fkKeyName) copy.ValueIndex = 0;
    if (RegFindFirst(text, copy)) {
        info.ValueIndex = copy.ValueIndex;
        info.KeyIndex = copy.FoundPath.empty() ? info.KeyIndex : copy.KeyIndex;
        info.FoundKind = copy.FoundKind;
        info.FoundValue = copy.FoundValue;
        info.FoundPath = JoinKeyPath(info.FoundPath, copy.FoundPath);
        return true;
    }
    if (info.FoundPath.empty()) return false;
    TFindInfo siblings = info;
    if (!RegFindInSiblings(text, siblings, true)) return false;
    info = siblings;
    return true;
}

bool RegFindInSiblings(const std::string& text, TFindInfo& info, bool useKeyIndex) {
    const size_t slash = info.FoundPath.rfind(L'\\');
    const std::wstring parent = slash == std::wstring::npos ? std::wstring() : info.FoundPath.substr(0, slash);
    const std::wstring last = slash == std::wstring::npos ? info.FoundPath : info.FoundPath.substr(slash + 1);
    TRegKey key;
    if (key.Open(info.RootKey, JoinKeyPath(info.StartPath, parent), KEY_READ) != ERROR_SUCCESS) return false;
    try {
        classlib::TSubKeyEnum subKeys(key.Get());
        int index = -1;
        if (useKeyIndex && info.KeyIndex >= 0) {
            index = info.KeyIndex;
        } else {
            for (DWORD i = 0; i < subKeys.Count() && index < 0; ++i)
                if (subKeys.Read(i) == ERROR_SUCCESS && _wcsicmp(subKeys.NameText().c_str(), last.c_str()) == 0)
                    index = static_cast<int>(i);
        }
        if (index < 0) return false;
        for (DWORD i = static_cast<DWORD>(index) + 1; i < subKeys.Count(); ++i) {
            if (subKeys.Read(i) != ERROR_SUCCESS || subKeys.NameLength() == 0) continue;
            if (SearchSubKey(text, info, key.Get(), parent, subKeys.NameText(), static_cast<int>(i))) return true;
        }
    } catch (...) {
        Reset(info);
        return false;
    }
    if (parent.empty()) return false;
    TFindInfo up = info;
    up.FoundPath = parent;
    up.ValueIndex = 0;
    up.KeyIndex = 0;
    up.FoundKind = fkNone;
    up.FoundValue.clear();
    if (!RegFindInSiblings(text, up, false)) return false;
    info = up;
    return true;
}
