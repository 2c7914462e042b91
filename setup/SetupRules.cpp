#include "SetupRules.h"

#include <cctype>

void SplitPrefixes(const std::wstring& text, const std::wstring& separator, std::vector<std::wstring>& list) {
    list.clear();
    if (!separator.empty()) {
        for (size_t pos = text.find(separator); pos != std::wstring::npos;
             pos = text.find(separator, pos + separator.size()))
            list.push_back(text.substr(0, pos));
    }
    list.push_back(text);
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

std::wstring InstallDirFor(const std::wstring& destination) { return JoinPath(destination, L"Zarvo\\Tessmorel"); }

namespace {

bool IsDriveLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

// The length of the root part ("C:\" or "\\server\share"), 0 when the path
// has none.
size_t RootLength(const std::wstring& path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == L':' && path[2] == L'\\') return 3;
    if (path.size() >= 5 && path[0] == L'\\' && path[1] == L'\\') {
        const size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos || server == 2) return 0;
        const size_t share = path.find(L'\\', server + 1);
        if (share == server + 1) return 0;
        return share == std::wstring::npos ? path.size() : share;
    }
    return 0;
}

// The components after the root, split at "\" (empty ones included).
std::vector<std::wstring> Components(const std::wstring& path, size_t root) {
    std::vector<std::wstring> parts;
    size_t start = root;
    while (start < path.size()) {
        if (path[start] == L'\\') {
            ++start;
            continue;
        }
        size_t end = path.find(L'\\', start);
        if (end == std::wstring::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end;
    }
    return parts;
}

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

}  // namespace

bool IsAbsolutePath(const std::wstring& path) {
    const size_t root = RootLength(path);
    if (root == 0) return false;
    for (size_t i = 0; i < path.size(); ++i) {
        const wchar_t c = path[i];
        if (c < 32 || c == L'"' || c == L'*' || c == L'?' || c == L'<' || c == L'>' || c == L'|' || c == L'/')
            return false;
        if (c == L':' && i != 1) return false;
    }
    return true;
}

bool IsRemovableFolder(const std::wstring& folder) {
    if (!IsAbsolutePath(folder)) return false;
    const auto parts = Components(folder, RootLength(folder));
    if (parts.empty()) return false;
    for (const auto& p : parts) {
        // "." and ".." would lead back up, names of blanks and dots alone
        // are the same folder to Windows.
        if (p.find_first_not_of(L". ") == std::wstring::npos) return false;
    }
    return true;
}

bool IsProductFolder(const std::wstring& folder) {
    static const std::wstring kTail = L"\\zarvo\\tessmorel";
    if (!IsRemovableFolder(folder) || folder.size() <= kTail.size()) return false;
    const std::wstring tail = folder.substr(folder.size() - kTail.size());
    for (size_t i = 0; i < tail.size(); ++i)
        if (AsciiLower(tail[i]) != kTail[i]) return false;
    // The tail's first "\" may be the one that ends the root ("C:\").
    const size_t root = RootLength(folder);
    const size_t rootEnd = folder[root - 1] == L'\\' ? root - 1 : root;
    return rootEnd <= folder.size() - kTail.size();
}

std::wstring BatchPath(const std::wstring& path) {
    std::wstring out;
    out.reserve(path.size() + 2);
    out += L'"';
    for (wchar_t c : path) {
        out += c;
        if (c == L'%') out += L'%';
    }
    out += L'"';
    return out;
}

std::wstring BuildUninstallBatch(const TBatchFolders& f) {
    std::wstring text;
    if (!IsAbsolutePath(f.OwnDir)) return text;
    auto line = [&text](const std::wstring& s) { text += s + L"\r\n"; };
    auto link = [](const std::wstring& folder, const TShortcut& s) {
        return BatchPath(JoinPath(folder, std::wstring(s.Name) + L".lnk"));
    };
    const std::wstring self = BatchPath(JoinPath(f.OwnDir, L"UnInstall.exe"));
    // The uninstaller can be deleted only once it has ended: try again once
    // a second, a bounded number of times.
    line(L"set /a ZARVO_TRIES=0");
    line(L":delself");
    line(L"del " + self);
    line(L"if not exist " + self + L" goto :delled");
    line(L"set /a ZARVO_TRIES+=1");
    line(L"if %ZARVO_TRIES% GEQ " + std::to_wstring(kSelfDeleteTries) + L" goto :delled");
    line(L"ping -n 2 127.0.0.1 >nul");
    line(L"goto :delself");
    line(L":delled");
    if (IsRemovableFolder(f.DesktopDir)) line(L"del " + link(f.DesktopDir, kDesktopShortcut));
    if (IsRemovableFolder(f.ProgramsDir)) {
        const std::wstring group = JoinPath(f.ProgramsDir, kGroupName);
        // The shortcuts the installer made, by name: anything else the user
        // put into the group stays, and so does the group then.
        for (const TShortcut& s : kGroupShortcuts) line(L"del " + link(group, s));
        line(L"rd " + BatchPath(group));
    }
    if (IsRemovableFolder(f.OwnDir)) line(L"rd " + BatchPath(f.OwnDir));
    line(L"del " + BatchPath(JoinPath(f.OwnDir, kBatchFileName)));
    return text;
}

const char* const kSharedKeys[2] = {"Software\\Zarvo", "SOFTWARE\\Microsoft\\Windows\\Help"};

namespace {

bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::vector<std::string> SharedKeysIn(const std::string& list) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(';', start);
        if (end == std::string::npos) end = list.size();
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::string> keys;
    for (const char* key : kSharedKeys)
        for (const auto& n : names)
            if (SameText(n, key)) {
                keys.push_back(key);
                break;
            }
    return keys;
}

std::string JoinKeys(const std::vector<std::string>& keys) {
    std::string text;
    for (const auto& k : keys) text += (text.empty() ? "" : ";") + k;
    return text;
}
