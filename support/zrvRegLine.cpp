#include "zrvRegLine.h"

#include <cstring>
#include <string_view>

namespace {

const char* const kRootNames[kRegRootCount] = {
    "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER",     "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA",
};

constexpr std::string_view kStringMarker = "\"=\"";
constexpr std::string_view kDwordMarker = "\"=dword:";
constexpr std::string_view kBinaryMarker = "\"=hex:";

// In the order in which the markers are looked for.
struct Marker {
    std::string_view Text;
    int Kind;
};
constexpr Marker kMarkers[] = {{kStringMarker, rikString}, {kDwordMarker, rikDword}, {kBinaryMarker, rikBinary}};

std::string_view CutAtNul(const std::string& s) {
    const std::size_t n = s.find('\0');
    return n == std::string::npos ? std::string_view(s) : std::string_view(s.data(), n);
}

std::string_view TrimBlanks(std::string_view s) {
    std::size_t first = 0, last = s.size();
    while (first < last && s[first] == ' ') ++first;
    while (last > first && s[last - 1] == ' ') --last;
    return s.substr(first, last - first);
}

bool StartsWith(std::string_view s, std::size_t pos, std::string_view prefix) {
    return pos <= s.size() && s.size() - pos >= prefix.size() && s.compare(pos, prefix.size(), prefix) == 0;
}

void AppendWithout(std::string& out, std::string_view s, char a, char b) {
    for (char c : s)
        if (c != a && c != b) out += c;
}

char HexDigit(unsigned v) { return "0123456789ABCDEF"[v & 0xF]; }

// A section line (trimmed, starting with "["). Sets the key section and
// returns true, or returns false for a line that names no root key.
bool ReadSection(std::string_view line, TImportInfo& info) {
    const std::size_t slash = line.find('\\');
    if (slash != std::string_view::npos) {
        const std::uint32_t root = RegRootFromName(std::string(line.substr(1, slash - 1)));
        if (root != 0) {
            // The path runs to the closing "]" at the end of the line, so
            // that "]" inside key names survives; without one there, to the
            // first "]" after the root name; without any, the line is no
            // section (its values must not land in the root itself).
            std::size_t close = std::string_view::npos;
            if (line.back() == ']')
                close = line.size() - 1;
            else
                close = line.find(']', slash + 1);
            if (close == std::string_view::npos) return false;
            info.RootKey = root;
            info.KeyPath.assign(line.substr(slash + 1, close - slash - 1));
            return true;
        }
    }
    const std::size_t close = line.find(']', 1);
    if (close == std::string_view::npos) return false;
    const std::uint32_t root = RegRootFromName(std::string(line.substr(1, close - 1)));
    if (root == 0) return false;
    info.RootKey = root;
    info.KeyPath.clear();
    return true;
}

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

bool IsComment(std::string_view trimmed) { return trimmed.front() == ';' || trimmed.front() == '#'; }

// Pairs of hex digits separated by commas; a trailing comma is allowed (a
// list cut short by a continuation that never came), nothing else is.
bool IsHexList(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        if (i + 1 >= s.size() || !IsHexDigit(s[i]) || !IsHexDigit(s[i + 1])) return false;
        i += 2;
        if (i < s.size() && s[i++] != ',') return false;
    }
    return true;
}

// The old writer's fallback: the first marker anywhere in the line, the
// name between the line's first double quote and the marker. Sets rest to
// the data form after the "=".
bool FindMarker(std::string_view line, std::string& name, std::string_view& rest) {
    for (const Marker& m : kMarkers) {
        const std::size_t at = line.find(m.Text);
        if (at == std::string_view::npos) continue;
        const std::size_t quote = line.substr(0, at).find('"');
        const std::size_t start = quote == std::string_view::npos ? at : quote + 1;
        name = UnescapeRegText(std::string(line.substr(start, at - start)));
        rest = line.substr(at + 2);
        return true;
    }
    return false;
}

// The name of a value line and the data form after its "=". A quoted,
// escaped name followed directly by "=" decides, so a name that holds a
// marker is read whole; "@=" names the default value.
bool SplitValueLine(std::string_view line, std::string& name, std::string_view& rest) {
    // Leading blanks only: blanks after DWORD digits make them no DWORD.
    const std::string_view t = line.substr(line.find_first_not_of(' '));
    if (StartsWith(t, 0, "@=")) {
        name.clear();
        rest = t.substr(2);
        return true;
    }
    if (t.front() == '"') {
        std::size_t i = 1;
        while (i < t.size() && t[i] != '"') i += (t[i] == '\\' && i + 1 < t.size()) ? 2 : 1;
        if (i + 1 < t.size() && t[i + 1] == '=') {
            name = UnescapeRegText(std::string(t.substr(1, i - 1)));
            rest = t.substr(i + 2);
            return true;
        }
    }
    return FindMarker(line, name, rest);
}

// "hex:" or "hex(N):" at the start of rest: the type and the list after it.
bool ReadHexForm(std::string_view rest, std::uint32_t& type, std::string_view& list) {
    if (StartsWith(rest, 0, "hex:")) {
        type = kRegTypeBinary;
        list = rest.substr(4);
        return true;
    }
    if (!StartsWith(rest, 0, "hex(")) return false;
    std::size_t i = 4;
    std::uint32_t n = 0;
    for (; i < rest.size() && IsHexDigit(rest[i]) && i < 12; ++i) {
        const char c = rest[i];
        n = n * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    if (i == 4 || !StartsWith(rest, i, "):")) return false;
    type = n;
    list = rest.substr(i + 2);
    return true;
}

// The hex list of a value, over its continuation lines: the first line
// (blanks removed) is cut before its last "\" and the list goes on while
// lines remain. A line holding a double quote or "[" ends it unread;
// comments and blank lines are passed over; a line holding "\" is
// appended without blanks and backslashes; any other line is appended and
// ends it. False when a line consumed holds a NUL.
bool ReadHexList(std::string_view first, std::size_t& index, const std::vector<std::string>& lines,
                 std::string& out) {
    AppendWithout(out, first, ' ', ' ');
    const std::size_t cut = out.rfind('\\');
    if (cut == std::string::npos) return true;
    out.erase(cut);
    while (index < lines.size()) {
        const std::string_view next = lines[index];
        const std::string_view trimmed = TrimBlanks(next);
        if (!trimmed.empty() && IsComment(trimmed)) {
            ++index;
            continue;
        }
        if (next.find('"') != std::string_view::npos || next.find('[') != std::string_view::npos) break;
        ++index;
        if (next.find('\0') != std::string_view::npos) return false;
        if (next.find('\\') != std::string_view::npos) {
            AppendWithout(out, next, ' ', '\\');
            continue;
        }
        if (trimmed.empty()) continue;
        AppendWithout(out, next, ' ', ' ');
        break;
    }
    return true;
}

// A value line (not a section, comment or blank line). False when it
// cannot be imported; the lines it consumed are passed either way.
bool ReadValue(std::string_view line, std::size_t& index, const std::vector<std::string>& lines,
               TImportInfo& info) {
    std::string_view rest;
    info.Data.clear();
    info.DataType = kRegTypeBinary;
    if (!SplitValueLine(line, info.ValueName, rest)) return false;
    std::string_view list;
    if (ReadHexForm(rest, info.DataType, list)) {
        info.Kind = rikBinary;
        return ReadHexList(list, index, lines, info.Data) && IsHexList(info.Data);
    }
    if (StartsWith(rest, 0, "\"")) {
        const std::size_t close = rest.rfind('"');
        if (close == 0) return false;  // no closing quote
        info.Kind = rikString;
        info.Data = UnescapeRegText(std::string(rest.substr(1, close - 1)));
        return true;
    }
    if (StartsWith(rest, 0, "dword:")) {
        const std::string_view digits = rest.substr(6);
        if (digits.empty() || digits.size() > 8) return false;
        for (char c : digits)
            if (!IsHexDigit(c)) return false;
        info.Kind = rikDword;
        info.Data.assign(digits);
        return true;
    }
    return false;  // a deletion ("=-") or a form this reader does not know
}

}  // namespace

// ---- Root keys -----------------------------------------------------------

std::string RegRootName(std::uint32_t root) {
    if (root < kRegRootFirst || root >= kRegRootFirst + kRegRootCount) return std::string();
    return kRootNames[root - kRegRootFirst];
}

std::uint32_t RegRootFromName(const std::string& name) {
    for (int i = 0; i < kRegRootCount; ++i) {
        const char* want = kRootNames[i];
        if (name.size() != std::strlen(want)) continue;
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k) {
            char c = name[k];
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            same = c == want[k];
        }
        if (same) return kRegRootFirst + static_cast<std::uint32_t>(i);
    }
    return 0;
}

// ---- Header --------------------------------------------------------------

const char* const kRegHeaderRegedit4 = "REGEDIT4";
const char* const kRegHeaderVersion5 = "Windows Registry Editor Version 5.00";
const char* const kRegHeaderRegedit3 = "REGEDIT3";

bool IsRegFileHeader(const std::string& line) {
    return line == kRegHeaderRegedit4 || line == kRegHeaderVersion5 || line == kRegHeaderRegedit3;
}

// ---- Writing ---------------------------------------------------------------

std::string EscapeRegText(const std::string& text) {
    const std::string_view s = CutAtNul(text);
    std::string out;
    out.reserve(s.size() + 8);
    for (char c : s) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '"': out += "\\\""; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default: out += c;
        }
    }
    return out;
}

std::string UnescapeRegText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == '\\' || next == '"') {
                out += next;
                ++i;
                continue;
            }
            if (next == 'r' || next == 'n') {
                out += next == 'r' ? '\r' : '\n';
                ++i;
                continue;
            }
        }
        out += c;
    }
    return out;
}

std::string RegSectionLine(const std::string& fullPath) { return "[" + fullPath + "]"; }

std::string RegStringLine(const std::string& name, const std::string& data) {
    return "\"" + EscapeRegText(name) + "\"=\"" + EscapeRegText(data) + "\"";
}

std::string RegDwordLine(const std::string& name, std::uint32_t value) {
    std::string line = "\"" + EscapeRegText(name) + "\"=dword:";
    for (int shift = 28; shift >= 0; shift -= 4) line += HexDigit(value >> shift);
    return line;
}

std::string RegBinaryLine(const std::string& name, const void* data, std::size_t size) {
    return RegHexLine(name, kRegTypeBinary, data, size);
}

std::string RegHexLine(const std::string& name, std::uint32_t type, const void* data, std::size_t size) {
    std::string line = "\"" + EscapeRegText(name) + "\"=hex";
    if (type != kRegTypeBinary) {
        line += '(';
        bool digits = false;
        for (int shift = 28; shift >= 0; shift -= 4) {
            const unsigned d = (type >> shift) & 0xF;
            if (d == 0 && !digits && shift > 0) continue;
            digits = true;
            line += "0123456789abcdef"[d];
        }
        line += ')';
    }
    line += ':';
    const auto* p = static_cast<const unsigned char*>(data);
    if (p == nullptr || size == 0) return line;
    line.reserve(line.size() + 3 * size);
    for (std::size_t i = 0; i < size; ++i) {
        if (i > 0) line += ',';
        line += HexDigit(p[i] >> 4);
        line += HexDigit(p[i]);
    }
    return line;
}

// ---- Reading ---------------------------------------------------------------

bool ParseRegLine(std::size_t& index, const std::vector<std::string>& lines, TImportInfo& info) {
    while (index < lines.size()) {
        const std::string_view line = lines[index];
        ++index;
        const std::string_view trimmed = TrimBlanks(line);
        if (line.find('\0') != std::string_view::npos) {
            // Text cut at a NUL is not what the file says.
            info.Kind = rikRefused;
            return true;
        }
        if (trimmed.empty() || IsComment(trimmed)) continue;

        if (trimmed.front() == '[') {
            info.KeyValid = ReadSection(trimmed, info);
            info.Kind = info.KeyValid ? rikKey : rikRefused;
            return true;
        }
        if (!ReadValue(line, index, lines, info) || !info.KeyValid) info.Kind = rikRefused;
        return true;
    }
    return false;
}
