#include "SetupRules.h"

#include <cctype>

void SplitPrefixes(const std::string& text, const std::string& separator, std::vector<std::string>& list) {
    list.clear();
    if (!separator.empty()) {
        for (size_t pos = text.find(separator); pos != std::string::npos;
             pos = text.find(separator, pos + separator.size()))
            list.push_back(text.substr(0, pos));
    }
    list.push_back(text);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (!folder.empty() && folder.back() == '\\') return folder + name;
    return folder + "\\" + name;
}

std::string InstallDirFor(const std::string& destination) { return JoinPath(destination, "Zarvo\\Tessmorel"); }

namespace {

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The length of the root part ("C:\" or "\\server\share"), 0 when the path
// has none.
size_t RootLength(const std::string& path) {
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') return 3;
    if (path.size() >= 5 && path[0] == '\\' && path[1] == '\\') {
        const size_t server = path.find('\\', 2);
        if (server == std::string::npos || server == 2) return 0;
        const size_t share = path.find('\\', server + 1);
        if (share == server + 1) return 0;
        return share == std::string::npos ? path.size() : share;
    }
    return 0;
}

// The components after the root, split at "\" (empty ones included).
std::vector<std::string> Components(const std::string& path, size_t root) {
    std::vector<std::string> parts;
    size_t start = root;
    while (start < path.size()) {
        if (path[start] == '\\') {
            ++start;
            continue;
        }
        size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end;
    }
    return parts;
}

}  // namespace

bool IsAbsolutePath(const std::string& path) {
    const size_t root = RootLength(path);
    if (root == 0) return false;
    for (size_t i = 0; i < path.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(path[i]);
        if (c < 32 || c == '"' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|' || c == '/') return false;
        if (c == ':' && i != 1) return false;
    }
    return true;
}

bool IsRemovableFolder(const std::string& folder) {
    if (!IsAbsolutePath(folder)) return false;
    const auto parts = Components(folder, RootLength(folder));
    if (parts.empty()) return false;
    for (const auto& p : parts) {
        // "." and ".." would lead back up, names of blanks and dots alone
        // are the same folder to Windows.
        if (p.find_first_not_of(". ") == std::string::npos) return false;
    }
    return true;
}

bool IsProductFolder(const std::string& folder) {
    static const std::string kTail = "\\zarvo\\tessmorel";
    if (!IsRemovableFolder(folder) || folder.size() <= kTail.size()) return false;
    const std::string tail = folder.substr(folder.size() - kTail.size());
    for (size_t i = 0; i < tail.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(tail[i])) != kTail[i]) return false;
    // The tail's first "\" may be the one that ends the root ("C:\").
    const size_t root = RootLength(folder);
    const size_t rootEnd = folder[root - 1] == '\\' ? root - 1 : root;
    return rootEnd <= folder.size() - kTail.size();
}

std::string BatchPath(const std::string& path) {
    std::string out;
    out.reserve(path.size() + 2);
    out += '"';
    for (char c : path) {
        out += c;
        if (c == '%') out += '%';
    }
    out += '"';
    return out;
}

std::string BuildUninstallBatch(const TBatchFolders& f) {
    std::string text;
    if (!IsAbsolutePath(f.OwnDir)) return text;
    auto line = [&text](const std::string& s) { text += s + "\r\n"; };
    const std::string self = BatchPath(JoinPath(f.OwnDir, "UnInstall.exe"));
    // The uninstaller can be deleted only once it has ended: try again once
    // a second, a bounded number of times.
    line("set /a ZARVO_TRIES=0");
    line(":delself");
    line("del " + self);
    line("if not exist " + self + " goto :delled");
    line("set /a ZARVO_TRIES+=1");
    line("if %ZARVO_TRIES% GEQ " + std::to_string(kSelfDeleteTries) + " goto :delled");
    line("ping -n 2 127.0.0.1 >nul");
    line("goto :delself");
    line(":delled");
    if (IsRemovableFolder(f.DesktopDir)) line("del " + BatchPath(JoinPath(f.DesktopDir, "Tessmorel.lnk")));
    if (IsRemovableFolder(f.ProgramsDir)) {
        const std::string group = JoinPath(f.ProgramsDir, "Tessmorel");
        // The shortcuts the installer made, by name: anything else the user
        // put into the group stays, and so does the group then.
        for (const char* name : kGroupShortcuts) line("del " + BatchPath(JoinPath(group, std::string(name) + ".lnk")));
        line("rd " + BatchPath(group));
    }
    if (IsRemovableFolder(f.OwnDir)) line("rd " + BatchPath(f.OwnDir));
    line("del " + BatchPath(JoinPath(f.OwnDir, kBatchFileName)));
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
