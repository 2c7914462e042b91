// Fuzz target for the hex and string routines.  The input is split into a
// few fields by its first bytes; every routine runs on them and the results
// are checked against properties that must hold for any input.

#include "zrvString.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

std::string CStr(const std::string& s)
{
    return s.substr(0, s.find('\0'));
}

std::string Upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

bool IsStrictHex(const std::string& s)
{
    for (unsigned char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// Splits the input at 0xFF bytes into up to four fields.
std::vector<std::string> Fields(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> f(4);
    std::size_t k = 0;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF && k < 3)
            ++k;
        else
            f[k] += static_cast<char>(data[i]);
    }
    return f;
}

void HexRoutines(const std::uint8_t* data, std::size_t size, const std::string& text)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    const char sep = size > 0 ? static_cast<char>(data[0]) : ',';

    // Hex text of the input reads back as the input, with any separator.
    const std::string hex = BytesToHex(bytes);
    Check(hex.size() == (size == 0 ? 0 : 3 * size - 1));
    Check(HexToBytes(hex) == bytes);
    const std::string sepHex = BytesToHexSep(bytes, sep);
    Check(sepHex.size() == hex.size());
    Check(HexToBytes(sepHex) == bytes);
    const std::string view = BytesToText(data, static_cast<int>(size));
    Check(view.size() == size);
    for (std::size_t i = 0; i < size; ++i)
        Check(view[i] == '.' || view[i] == static_cast<char>(data[i]));

    // Arbitrary text into a bounded buffer, with guard bytes after it.
    const int capacity = size > 1 ? data[1] % 64 : 0;
    std::vector<std::uint8_t> buf(static_cast<std::size_t>(capacity) + 16, 0xA5);
    int count = capacity;
    HexToBytes(text, buf.data(), count);
    Check(count >= 0 && count <= capacity);
    for (std::size_t i = static_cast<std::size_t>(capacity); i < buf.size(); ++i)
        Check(buf[i] == 0xA5);
    const std::vector<std::uint8_t> all = HexToBytes(text);
    Check(static_cast<std::size_t>(count) == std::min<std::size_t>(all.size(), capacity));
    Check(count == 0 || std::memcmp(buf.data(), all.data(), static_cast<std::size_t>(count)) == 0);
    // Each byte is the lenient reading of its pair.
    const std::string trimmed = TrimSpaces(text);
    for (std::size_t i = 0; i < all.size(); ++i)
        Check(all[i] == static_cast<std::uint8_t>(HexToIntLoose(trimmed.substr(3 * i, 2))));

    // The strict parser fails exactly where it should and agrees with the
    // lenient one where it succeeds.
    const std::int32_t loose = HexToIntLoose(text);
    if (text.size() >= 9)
        Check(loose == -1);
    try {
        const std::int32_t v = HexToInt(text);
        Check(text.size() <= 8 && IsStrictHex(text) && v == loose);
    } catch (const EConvertError& e) {
        if (text.size() > 8)
            Check(std::strcmp(e.what(), "Value overflow") == 0);
        else
            Check(std::strcmp(e.what(), "Invalid char") == 0 && !IsStrictHex(text));
    }
}

void StringRoutines(const std::string& text, const std::string& a, const std::string& b,
                    const std::string& c)
{
    const char ch = a.empty() ? '\\' : a[0];

    std::vector<std::string> list{"keep"};
    const std::size_t pieces = SplitByChar(text, ch, list);
    Check(pieces == static_cast<std::size_t>(std::count(text.begin(), text.end(), ch)) + 1);
    Check(list.size() <= pieces + 1 && list[0] == "keep");
    std::string joined;
    for (std::size_t i = 1; i < list.size(); ++i) {
        Check(!list[i].empty() && list[i].find(ch) == std::string::npos);
        joined += list[i];
    }
    std::string noSep = text;
    noSep.erase(std::remove(noSep.begin(), noSep.end(), ch), noSep.end());
    Check(joined == noSep);

    // Replacing and then undoing an escape gives the text back.
    const std::string escaped = ReplaceChar(text, ch, std::string(2, ch));
    Check(escaped.size() == text.size() + (pieces - 1));
    Check(ch == '\0' ||
          ReplaceAll(escaped, std::string(2, ch), std::string(1, ch)) == CStr(text));

    const std::string r1 = ReplaceAll(text, b, c);
    Check(r1.find('\0') == std::string::npos);
    Check(ReplaceAllEx(text, b, c, false) == r1);
    const std::string r2 = ReplaceAllEx(text, b, c, true);
    if (!b.empty() && c.empty())
        Check(r2.size() <= text.size());
    if (b.empty())
        Check(r2 == text);
    // Ignoring case finds what a plain search finds in upper-cased text.
    if (CStr(text) == text && CStr(b) == b && CStr(c) == c)
        Check(Upper(r2) == ReplaceAll(Upper(text), Upper(b), Upper(c)));
    // Replacing a text by itself changes nothing.
    Check(ReplaceAll(text, b, b) == CStr(text));

    const std::string trimmed = TrimSpaces(text);
    Check(trimmed.empty() || (trimmed.front() != ' ' && trimmed.back() != ' '));
    Check(text.find(trimmed) != std::string::npos);

    const std::string cText = CStr(text);
    const std::string between = TextBetween(text, a, b);
    Check(between.empty() || cText.find(CStr(a) + between + CStr(b)) != std::string::npos);
    const std::string before = BeforeText(text, a);
    const std::string after = AfterText(text, a);
    if (!CStr(a).empty() && cText.find(CStr(a)) != std::string::npos)
        Check(before + CStr(a) + after == cText);
    else
        Check(before.empty() && after.empty());

    const std::string parent = BeforeLastChar(text, ch);
    const std::string last = AfterLastChar(text, ch);
    if (cText.find(ch) != std::string::npos)
        Check(parent + ch + last == cText && last.find(ch) == std::string::npos);
    else
        Check(parent.empty() && last.empty());
}

} // namespace

// The pattern routines: any input is safe, and a literal typed with its
// escapes is found exactly where a plain search finds it, also as the
// first piece of a pattern with a star.
void Wildcards(const std::string& text, const std::string& literal, const std::string& tail)
{
    const long any = WildPos(text, literal);
    Check(any >= -1 && any <= static_cast<long>(text.size()));
    const std::string pattern = WildToPattern(literal);
    const long typed = WildPos(text, pattern);
    Check(typed >= -1 && typed <= static_cast<long>(text.size()));

    std::string escaped;
    for (char c : literal) {
        if (c == '\\' || c == '*')
            escaped += '\\';
        escaped += c;
    }
    const std::size_t plain = text.find(literal);
    Check(WildPos(text, WildToPattern(escaped)) == (plain == std::string::npos ? -1 : static_cast<long>(plain)));
    if (!literal.empty() && !tail.empty() && tail.find_first_of("\\*") == std::string::npos) {
        const bool both = plain != std::string::npos && text.find(tail, plain + literal.size()) != std::string::npos;
        Check((WildPos(text, WildToPattern(escaped + "*" + tail)) >= 0) == both);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::string> f = Fields(data, size);
    HexRoutines(data, size, f[0]);
    StringRoutines(f[0], f[1], f[2], f[3]);
    Wildcards(f[0], f[1], f[2]);
    return 0;
}
