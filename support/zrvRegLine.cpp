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

// Finds the marker of a value line. The quoted, escaped name followed
// directly by a marker decides; so a name that itself holds a marker is
// read whole. Failing that, the first marker anywhere in the line decides,
// in the order string, DWORD, binary, and the name is what lies between
// the first double quote and the marker.
bool FindMarker(std::string_view line, int& kind, std::size_t& nameStart, std::size_t& nameEnd,
                std::size_t& dataStart) {
    const std::size_t open = line.find('"');
    if (open == std::string_view::npos) return false;
    std::size_t i = open + 1;
    while (i < line.size() && line[i] != '"') i += (line[i] == '\\' && i + 1 < line.size()) ? 2 : 1;
    if (i < line.size()) {
        for (const Marker& m : kMarkers) {
            if (StartsWith(line, i, m.Text)) {
                kind = m.Kind;
                nameStart = open + 1;
                nameEnd = i;
                dataStart = i + m.Text.size();
                return true;
            }
        }
    }
    for (const Marker& m : kMarkers) {
        const std::size_t at = line.find(m.Text);
        if (at == std::string_view::npos) continue;
        kind = m.Kind;
        const std::size_t quote = line.substr(0, at).find('"');
        nameStart = quote == std::string_view::npos ? at : quote + 1;
        nameEnd = at;
        dataStart = at + m.Text.size();
        return true;
    }
    return false;
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
    std::string line = "\"" + EscapeRegText(name) + "\"=hex:";
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
        const std::string_view line = CutAtNul(lines[index]);
        ++index;
        const std::string_view trimmed = TrimBlanks(line);
        if (trimmed.empty()) continue;

        if (trimmed.front() == '[') {
            if (ReadSection(trimmed, info)) {
                info.Kind = rikKey;
                info.KeyValid = true;
                return true;
            }
            info.KeyValid = false;
            continue;
        }
        // A comment, even one that holds a whole value line.
        if (!info.KeyValid || trimmed.front() == ';') continue;

        int kind = 0;
        std::size_t nameStart = 0, nameEnd = 0, dataStart = 0;
        if (!FindMarker(line, kind, nameStart, nameEnd, dataStart)) continue;
        const std::string_view rest = line.substr(dataStart);

        info.Kind = kind;
        info.ValueName = UnescapeRegText(std::string(line.substr(nameStart, nameEnd - nameStart)));
        info.Data.clear();
        if (kind == rikString) {
            const std::size_t close = rest.rfind('"');
            if (close != std::string_view::npos) info.Data = UnescapeRegText(std::string(rest.substr(0, close)));
        } else if (kind == rikDword) {
            info.Data.assign(rest);
        } else {
            AppendWithout(info.Data, rest, ' ', ' ');
            const std::size_t cut = info.Data.rfind('\\');
            if (cut != std::string::npos) {
                info.Data.erase(cut);
                // Continuation lines, while any remain.
                while (index < lines.size()) {
                    const std::string_view next = CutAtNul(lines[index]);
                    if (next.find('"') != std::string_view::npos || next.find('[') != std::string_view::npos) break;
                    ++index;
                    if (next.find('\\') != std::string_view::npos) {
                        AppendWithout(info.Data, next, ' ', '\\');
                        continue;
                    }
                    if (TrimBlanks(next).empty()) continue;
                    AppendWithout(info.Data, next, ' ', ' ');
                    break;
                }
            }
        }
        return true;
    }
    return false;
}
