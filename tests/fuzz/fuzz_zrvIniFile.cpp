// Fuzz target for the INI section reader.
//
// The input's first line names the section; the rest is the text. The
// streaming reader, fed in chunks whose sizes come from the input, must
// give what a plain line-by-line reading of the whole text gives; no value
// is longer than 2,047 bytes; every key found through the section's index
// equals a case-insensitive scan of its entries; the key list never passes
// the bound it is given.

#include "zrvIniFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1a'; }
char Fold(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && Blank(s[b])) ++b;
    while (e > b && Blank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string CStr(const std::string& s) { return s.substr(0, s.find('\0')); }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Fold(a[i]) != Fold(b[i])) return false;
    return true;
}

struct Model {
    std::vector<std::pair<std::string, std::string>> Entries;
    std::vector<std::string> Names;
};

// The rules read plainly, one whole line at a time.
Model ReadPlainly(const std::string& text, const std::string& asked) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(line);

    Model m;
    std::vector<std::string> seen;  // every key, the ones without a value too
    const std::string want = Trim(CStr(asked));
    bool in = want.empty();
    for (const std::string& raw : lines) {
        const std::string l = Trim(raw);
        if (l.empty()) continue;
        const std::size_t close = l.rfind(']');
        if (l[0] == '[' && close != std::string::npos && close > 0) {
            if (in) break;
            in = SameName(CStr(Trim(l.substr(1, close - 1))), want);
            continue;
        }
        if (!in) continue;
        const std::size_t eq = l.find('=');
        const std::string key = CStr(Trim(l.substr(0, eq)));
        if (key.size() > kIniKeyMax) continue;
        const bool first = std::none_of(seen.begin(), seen.end(), [&](const std::string& k) { return SameName(k, key); });
        seen.push_back(key);
        if (eq == std::string::npos) continue;
        std::string value = CStr(Trim(l.substr(eq + 1)));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        value = value.substr(0, kIniValueMax);
        if (first) m.Entries.emplace_back(key, value);
        if (!key.empty() && key[0] != ';') m.Names.push_back(key);
    }
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t nl = input.find('\n');
    const std::string section = nl == std::string::npos ? std::string() : input.substr(0, nl);
    const std::string text = nl == std::string::npos ? input : input.substr(nl + 1);

    // Chunk sizes from the input's first bytes.
    TIniSection s;
    TIniSectionReader reader(section, s);
    std::size_t at = 0, round = 0;
    while (at < text.size()) {
        const std::size_t chunk = 1 + (size ? data[round++ % size] % 64 : 0);
        const std::size_t n = std::min(chunk, text.size() - at);
        if (!reader.Feed(text.data() + at, n)) break;
        at += n;
    }
    reader.Finish();

    const Model m = ReadPlainly(text, section);
    Check(s.Entries() == m.Entries);
    Check(s.KeyNamesWithin(static_cast<std::size_t>(-1)) == m.Names);

    for (const auto& e : s.Entries()) Check(e.second.size() <= kIniValueMax);

    // Every line's text before its "=", as written and folded, read through
    // the index and by a scan of the entries.
    std::vector<std::string> keys = {"", " ", section};
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        const std::string l = text.substr(start, end - start);
        keys.push_back(l.substr(0, l.find('=')));
        start = end + 1;
    }
    for (std::string key : keys) {
        for (int pass = 0; pass < 2; ++pass) {
            if (pass) std::transform(key.begin(), key.end(), key.begin(), [](char c) { return c ^ ((c | 32) >= 'a' && (c | 32) <= 'z' ? 32 : 0); });
            std::string viaIndex;
            const bool found = s.Find(key, viaIndex);
            const std::string asked = Trim(CStr(key));
            const auto it = std::find_if(s.Entries().begin(), s.Entries().end(),
                                         [&](const std::pair<std::string, std::string>& e) { return SameName(e.first, asked); });
            Check(found == (it != s.Entries().end()));
            if (found) Check(viaIndex == it->second);
        }
    }

    const std::size_t bound = size ? data[size / 2] * 8u : 0;
    const std::vector<std::string> names = s.KeyNamesWithin(bound);
    std::size_t used = 1;
    for (const std::string& n : names) used += n.size() + 1;
    Check(names.empty() || used <= bound);
    Check(std::equal(names.begin(), names.end(), m.Names.begin()));
    // Whole names: the next one would not have fitted.
    if (names.size() < m.Names.size()) Check(used + m.Names[names.size()].size() + 1 > bound);
    return 0;
}
