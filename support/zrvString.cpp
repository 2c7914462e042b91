#include "zrvString.h"

#include "zrvCharClass.h"

#include <array>
#include <cstring>
#include <string_view>

namespace {

// ---- Tables ---------------------------------------------------------------

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Two hex characters per byte value.
struct HexPairTable {
    char pair[256][2];
};

constexpr HexPairTable MakeHexPairTable()
{
    HexPairTable t{};
    for (int b = 0; b < 256; ++b) {
        t.pair[b][0] = kHexDigits[b >> 4];
        t.pair[b][1] = kHexDigits[b & 0x0F];
    }
    return t;
}

constexpr HexPairTable kHexPairs = MakeHexPairTable();

constexpr unsigned char AsciiUpper(unsigned char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - ('a' - 'A')) : c;
}

// Digit value of each byte for the lenient parser: upper-cased, then clamped.
constexpr std::array<std::uint8_t, 256> MakeLooseDigitTable()
{
    std::array<std::uint8_t, 256> t{};
    for (std::size_t i = 0; i < t.size(); ++i) {
        const unsigned char c = AsciiUpper(static_cast<unsigned char>(i));
        std::uint8_t v = 0;
        if (c > 'F')
            v = 15;
        else if (c >= 'A')
            v = static_cast<std::uint8_t>(c - 'A' + 10);
        else if (c > '9')
            v = 9;
        else if (c >= '0')
            v = static_cast<std::uint8_t>(c - '0');
        t[i] = v;
    }
    return t;
}

constexpr std::array<std::uint8_t, 256> kLooseDigit = MakeLooseDigitTable();

constexpr std::uint8_t kNotHex = 0xFF;

// Digit value of each byte for the strict parser; kNotHex for anything else.
constexpr std::array<std::uint8_t, 256> MakeStrictDigitTable()
{
    std::array<std::uint8_t, 256> t{};
    for (std::size_t i = 0; i < t.size(); ++i) {
        const unsigned char c = AsciiUpper(static_cast<unsigned char>(i));
        if (c >= '0' && c <= '9')
            t[i] = static_cast<std::uint8_t>(c - '0');
        else if (c >= 'A' && c <= 'F')
            t[i] = static_cast<std::uint8_t>(c - 'A' + 10);
        else
            t[i] = kNotHex;
    }
    return t;
}

constexpr std::array<std::uint8_t, 256> kStrictDigit = MakeStrictDigitTable();

// ---- Helpers --------------------------------------------------------------

// The part of s before its first NUL.
std::string_view CutAtNul(const std::string& s)
{
    const std::size_t n = s.find('\0');
    return n == std::string::npos ? std::string_view(s) : std::string_view(s.data(), n);
}

std::string AsciiUpperCopy(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(AsciiUpper(static_cast<unsigned char>(c)));
    return out;
}

std::size_t CountFromInt(const void* data, int count)
{
    return (data == nullptr || count <= 0) ? 0 : static_cast<std::size_t>(count);
}

std::string HexOf(const std::uint8_t* p, std::size_t n, char separator)
{
    if (n == 0)
        return std::string();
    // 3n - 1 must fit; checked before multiplying so that it cannot wrap.
    if (n > (std::string().max_size() + 1) / 3)
        throw std::length_error("BytesToHex: data too large");

    // Pre-filled with the separator, so only the pairs are written.
    std::string out(3 * n - 1, separator);
    char* dst = &out[0];
    for (std::size_t i = 0; i < n; ++i, dst += 3)
        std::memcpy(dst, kHexPairs.pair[p[i]], 2);
    return out;
}

std::string TextOf(const std::uint8_t* p, std::size_t n)
{
    std::string out(n, '.');
    if (n == 0)
        return out;
    if (n < 256) {
        for (std::size_t i = 0; i < n; ++i)
            if (IsCharAlphaNumericPlatform(p[i]))
                out[i] = static_cast<char>(p[i]);
        return out;
    }
    // Longer data: ask the platform once per byte value.
    bool alnum[256];
    for (int b = 0; b < 256; ++b)
        alnum[b] = IsCharAlphaNumericPlatform(static_cast<unsigned char>(b));
    for (std::size_t i = 0; i < n; ++i)
        if (alnum[p[i]])
            out[i] = static_cast<char>(p[i]);
    return out;
}

// Bounds of the text once trimmed of blanks at both ends.
std::string_view TrimmedView(const std::string& s)
{
    std::size_t first = 0;
    std::size_t last = s.size();
    while (first < last && s[first] == ' ')
        ++first;
    while (last > first && s[last - 1] == ' ')
        --last;
    return std::string_view(s.data() + first, last - first);
}

// Number of pairs in a hex text of length len: (len + 1) / 3, without the
// addition that could wrap.
std::size_t PairCount(std::size_t len)
{
    return len / 3 + (len % 3 == 2 ? 1 : 0);
}

// Decodes n pairs from hex (which must hold at least 3n - 1 characters).
void DecodePairs(std::string_view hex, std::uint8_t* out, std::size_t n)
{
    const unsigned char* src = reinterpret_cast<const unsigned char*>(hex.data());
    for (std::size_t i = 0; i < n; ++i, src += 3)
        out[i] = static_cast<std::uint8_t>((kLooseDigit[src[0]] << 4) | kLooseDigit[src[1]]);
}

// Replaces each occurrence of search in haystack; the pieces around the
// occurrences are copied from source, which has the same length as haystack.
std::string ReplaceOccurrences(std::string_view haystack, std::string_view source,
                               std::string_view search, std::string_view replacement)
{
    std::string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = haystack.find(search, from);
        if (at == std::string_view::npos)
            break;
        out.append(source.data() + from, at - from);
        out.append(replacement.data(), replacement.size());
        from = at + search.size();
    }
    out.append(source.data() + from, source.size() - from);
    return out;
}

} // namespace

// ---- Hex conversions ------------------------------------------------------

std::string BytesToHex(const void* data, int count)
{
    return HexOf(static_cast<const std::uint8_t*>(data), CountFromInt(data, count), ' ');
}

std::string BytesToHex(const std::vector<std::uint8_t>& data)
{
    return HexOf(data.data(), data.size(), ' ');
}

std::string BytesToHexSep(const void* data, int count, char separator)
{
    return HexOf(static_cast<const std::uint8_t*>(data), CountFromInt(data, count), separator);
}

std::string BytesToHexSep(const std::vector<std::uint8_t>& data, char separator)
{
    return HexOf(data.data(), data.size(), separator);
}

std::string BytesToText(const void* data, int count)
{
    return TextOf(static_cast<const std::uint8_t*>(data), CountFromInt(data, count));
}

std::string BytesToText(const std::vector<std::uint8_t>& data)
{
    return TextOf(data.data(), data.size());
}

void HexToBytes(const std::string& hex, void* buffer, int& count)
{
    if (buffer == nullptr || count <= 0) {
        count = 0;
        return;
    }
    const std::string_view text = TrimmedView(hex);
    std::size_t n = PairCount(text.size());
    if (n > static_cast<std::size_t>(count))
        n = static_cast<std::size_t>(count);
    DecodePairs(text, static_cast<std::uint8_t*>(buffer), n);
    count = static_cast<int>(n);
}

std::vector<std::uint8_t> HexToBytes(const std::string& hex)
{
    const std::string_view text = TrimmedView(hex);
    std::vector<std::uint8_t> out(PairCount(text.size()));
    DecodePairs(text, out.data(), out.size());
    return out;
}

std::int32_t HexToInt(const std::string& hex)
{
    if (hex.size() > 8)
        throw EConvertError("Value overflow");
    std::uint32_t value = 0;
    for (const char ch : hex) {
        const std::uint8_t d = kStrictDigit[static_cast<unsigned char>(ch)];
        if (d == kNotHex)
            throw EConvertError("Invalid char");
        value = (value << 4) | d;
    }
    return static_cast<std::int32_t>(value);
}

std::int32_t HexToIntLoose(const std::string& hex)
{
    if (hex.size() >= 9)
        return -1;
    std::uint32_t value = 0;
    for (const char ch : hex)
        value = (value << 4) | kLooseDigit[static_cast<unsigned char>(ch)];
    return static_cast<std::int32_t>(value);
}

// ---- String routines ------------------------------------------------------

std::size_t SplitByChar(const std::string& text, char separator,
                        std::vector<std::string>& list)
{
    std::size_t pieces = 0;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        const std::size_t end = (at == std::string::npos) ? text.size() : at;
        if (end > start)
            list.emplace_back(text, start, end - start);
        ++pieces;
        if (at == std::string::npos)
            break;
        start = at + 1;
    }
    return pieces;
}

std::string ReplaceAll(const std::string& text, const std::string& search,
                       const std::string& replacement)
{
    const std::string_view t = CutAtNul(text);
    const std::string_view s = CutAtNul(search);
    if (t.empty() || s.empty())
        return std::string(t);
    return ReplaceOccurrences(t, t, s, CutAtNul(replacement));
}

std::string ReplaceAllEx(const std::string& text, const std::string& search,
                         const std::string& replacement, bool ignoreCase)
{
    if (!ignoreCase)
        return ReplaceAll(text, search, replacement);
    if (text.empty() || search.empty())
        return text;
    const std::string upperText = AsciiUpperCopy(text);
    const std::string upperSearch = AsciiUpperCopy(search);
    return ReplaceOccurrences(upperText, text, upperSearch, replacement);
}

std::string ReplaceChar(const std::string& text, char c, const std::string& replacement)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        if (ch == c)
            out += replacement;
        else
            out += ch;
    }
    return out;
}

std::string TrimSpaces(const std::string& text)
{
    return std::string(TrimmedView(text));
}

std::string TextBetween(const std::string& text, const std::string& startMark,
                        const std::string& endMark)
{
    const std::string_view t = CutAtNul(text);
    const std::string_view a = CutAtNul(startMark);
    const std::string_view b = CutAtNul(endMark);
    if (a.empty() || b.empty())
        return std::string();
    const std::size_t start = t.find(a);
    if (start == std::string_view::npos)
        return std::string();
    const std::size_t end = t.find(b, start);
    const std::size_t inner = start + a.size();
    if (end == std::string_view::npos || end < inner)
        return std::string();
    return std::string(t.substr(inner, end - inner));
}

std::string BeforeText(const std::string& text, const std::string& mark)
{
    const std::string_view t = CutAtNul(text);
    const std::string_view m = CutAtNul(mark);
    if (m.empty())
        return std::string();
    const std::size_t at = t.find(m);
    return at == std::string_view::npos ? std::string() : std::string(t.substr(0, at));
}

std::string AfterText(const std::string& text, const std::string& mark)
{
    const std::string_view t = CutAtNul(text);
    const std::string_view m = CutAtNul(mark);
    if (m.empty())
        return std::string();
    const std::size_t at = t.find(m);
    return at == std::string_view::npos ? std::string() : std::string(t.substr(at + m.size()));
}

std::string BeforeLastChar(const std::string& text, char c)
{
    const std::string_view t = CutAtNul(text);
    const std::size_t at = t.rfind(c);
    return at == std::string_view::npos ? std::string() : std::string(t.substr(0, at));
}

std::string AfterLastChar(const std::string& text, char c)
{
    const std::string_view t = CutAtNul(text);
    const std::size_t at = t.rfind(c);
    return at == std::string_view::npos ? std::string() : std::string(t.substr(at + 1));
}

// ---- Wildcards ---------------------------------------------------------------

std::string EscapeWildText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 4);
    for (char c : text) {
        if (c == '\\' || c == '*') out += '\\';
        out += c;
    }
    return out;
}

std::string WildToPattern(const std::string& text) {
    if (text.empty()) return std::string();
    std::vector<std::string> pieces(1);
    bool escaped = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        std::string& piece = pieces.back();
        if (!escaped) {
            if (c != '\\') {
                piece += c;
            } else if (i + 1 == text.size()) {
                piece += '\\';  // a backslash that ends the text is itself
            } else {
                escaped = true;
            }
            continue;
        }
        escaped = false;
        if (c == '*') {
            pieces.emplace_back();
        } else if (c == '\\') {
            piece += '\\';
        } else {
            piece += '\\';
            piece += c;
        }
    }
    std::string pattern;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) pattern += '*';
        pattern += EscapeWildText(pieces[i]);
    }
    return pattern;
}

long WildPos(const std::string& text, const std::string& pattern, char escape, char wild) {
    if (pattern.empty()) return 0;
    // The literal segments between wildcard marks.
    std::vector<std::string> segments;
    std::string segment;
    bool added = false;  // something went into the segment since the last mark
    bool marked = false;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c != escape) {
            segment += c;
            added = true;
            continue;
        }
        if (i + 1 == pattern.size()) break;  // a lone escape at the end is dropped
        const char next = pattern[++i];
        if (next == wild) {
            const bool last = i + 1 == pattern.size();
            if ((marked && !added) || last) continue;
            segments.push_back(segment);
            segment.clear();
            added = false;
            marked = true;
        } else if (next == escape) {
            segment += escape;
            added = true;
        } else {
            segment += escape;
            segment += next;
            added = true;
        }
    }
    segments.push_back(segment);

    std::size_t at = 0;
    long start = -1;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        std::size_t found;
        if (segments[i].empty()) {
            if (i > 0 && at >= text.size()) return -1;
            found = at;
        } else {
            found = text.find(segments[i], at);
            if (found == std::string::npos) return -1;
        }
        if (i == 0) start = static_cast<long>(found);
        at = found + segments[i].size();
    }
    return start;
}

bool SearchMatches(const std::string& candidate, const std::string& searchText, bool wildcards, bool wholeWords) {
    std::string text = candidate.substr(0, candidate.find('\0'));
    if (text.empty()) return false;
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (wildcards) return WildPos(text, searchText) >= 0;
    if (wholeWords) return text == searchText;
    return text.find(searchText) != std::string::npos;
}

