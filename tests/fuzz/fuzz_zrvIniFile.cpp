// Fuzz target for the INI section reader.
//
// The input's first line names the section; the rest is the text. The
// streaming reader, fed in chunks whose sizes come from the input, must
// give what a reading of the whole text gives; no value is longer than
// 2,047 bytes; every key found through the section's index equals a
// case-insensitive scan of its entries; the key list never passes the
// bound it is given.

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

// The name as a lookup takes it: up to a NUL, without blanks around it.
std::string Asked(const std::string& s) {
    const std::string c = s.substr(0, s.find('\0'));
    std::size_t b = 0, e = c.size();
    while (b < e && Blank(c[b])) ++b;
    while (e > b && Blank(c[e - 1])) --e;
    return c.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Fold(x) == Fold(y); });
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
    for (std::size_t at = 0, round = 0; at < text.size();) {
        const std::size_t n = std::min<std::size_t>(1 + (size ? data[round++ % size] % 64 : 0), text.size() - at);
        if (!reader.Feed(text.data() + at, n)) break;
        at += n;
    }
    reader.Finish();

    const TIniSection whole = ParseIniSection(text, section);
    const std::vector<std::string> all = whole.KeyNamesWithin(static_cast<std::size_t>(-1));
    Check(s.Entries() == whole.Entries());
    Check(s.KeyNamesWithin(static_cast<std::size_t>(-1)) == all);
    for (const auto& e : s.Entries()) Check(e.second.size() <= kIniValueMax);

    // Every line's text before its "=", as written and with its case
    // swapped, read through the index and by a scan of the entries.
    std::vector<std::string> keys = {"", " ", section};
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        const std::string l = text.substr(start, end - start);
        keys.push_back(l.substr(0, l.find('=')));
        start = end + 1;
    }
    for (std::string key : keys) {
        for (int pass = 0; pass < 2; ++pass) {
            if (pass)
                for (char& c : key) c ^= ((c | 32) >= 'a' && (c | 32) <= 'z') ? 32 : 0;
            std::string viaIndex;
            const bool found = s.Find(key, viaIndex);
            const auto it = std::find_if(s.Entries().begin(), s.Entries().end(),
                                         [&](const std::pair<std::string, std::string>& e) { return SameName(e.first, Asked(key)); });
            Check(found == (it != s.Entries().end()));
            if (found) Check(viaIndex == it->second);
        }
    }

    // Whole names within the bound, in order; the next one would not have fitted.
    const std::size_t bound = size ? data[size / 2] * 8u : 0;
    const std::vector<std::string> names = s.KeyNamesWithin(bound);
    std::size_t used = 1;
    for (const std::string& n : names) used += n.size() + 1;
    Check(names.empty() || used <= bound);
    Check(names.size() <= all.size() && std::equal(names.begin(), names.end(), all.begin()));
    if (names.size() < all.size()) Check(used + all[names.size()].size() + 1 > bound);
    return 0;
}
