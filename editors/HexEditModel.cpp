#include "HexEditModel.h"

#include <algorithm>

#include "zrvCharClass.h"
#include "zrvString.h"

namespace {

const char kDigits[] = "0123456789ABCDEF";

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendPair(std::string& s, std::uint8_t b) {
    s += kDigits[b >> 4];
    s += kDigits[b & 0x0F];
}

}  // namespace

void THexEditModel::SetHexText(const std::string& hex) { FBytes = HexToBytes(hex); }

std::string THexEditModel::HexText() const { return BytesToHex(FBytes); }

std::string THexEditModel::CharText() const { return BytesToText(FBytes); }

std::vector<std::uint8_t> THexEditModel::Slice(int firstLine, int lines) const {
    const int from = std::clamp(firstLine * kBytesPerLine, 0, ByteCount());
    const int to = std::clamp((firstLine + lines) * kBytesPerLine, from, ByteCount());
    return std::vector<std::uint8_t>(FBytes.begin() + from, FBytes.begin() + to);
}

std::string THexEditModel::HexLines(int first, int count) const { return BytesToHex(Slice(first, count)); }

std::string THexEditModel::CharLines(int first, int count) const { return BytesToText(Slice(first, count)); }

std::string THexEditModel::AddressLines(int first, int count) {
    std::string s;
    s.reserve(static_cast<size_t>(std::max(count, 0)) * 10);
    for (int line = first; line < first + count; ++line) {
        if (line > first) s += "\r\n";
        const auto address = static_cast<std::uint32_t>(line) * kBytesPerLine;
        for (int shift = 28; shift >= 0; shift -= 4) s += kDigits[(address >> shift) & 0x0F];
    }
    return s;
}

char THexEditModel::CharOf(std::uint8_t byte) {
    return IsCharAlphaNumericPlatform(byte) ? static_cast<char>(byte) : '.';
}

TTextRange THexEditModel::Clamp(TTextRange sel, int length) {
    sel.Start = std::clamp(sel.Start, 0, length);
    sel.Length = std::clamp(sel.Length, 0, length - sel.Start);
    return sel;
}

TTextRange THexEditModel::SnapHexSelection(TTextRange sel, int hexLength) {
    sel = Clamp(sel, hexLength);
    if (sel.Length <= 0) return sel;
    const int n = hexLength, s = sel.Start, l = sel.Length;
    const int byte = (s + 1) / 3;
    TTextRange snapped;
    snapped.Start = byte == 0 ? 0 : byte * 3 - 1;
    const int rest = n - (s + l);  // characters after the selection
    snapped.Length = rest <= 0 ? n - snapped.Start : n - snapped.Start - ((rest + 2) / 3) * 3;
    if (snapped.Length < 0) snapped.Length = 0;
    return snapped;
}

TTextRange THexEditModel::HexToChars(TTextRange hex) {
    return {(hex.Start + 1) / 3, (std::max(hex.Length, 0) + 1) / 3};
}

TTextRange THexEditModel::CharsToHex(TTextRange chars) {
    TTextRange hex;
    hex.Start = chars.Start > 0 ? chars.Start * 3 - 1 : 0;
    if (hex.Start != 0)
        hex.Length = chars.Length * 3;
    else
        hex.Length = chars.Length > 0 ? chars.Length * 3 - 1 : 0;
    return hex;
}

THexEdit THexEditModel::ReplaceBytes(int first, int count, const std::vector<std::uint8_t>& with) {
    const int n = ByteCount();
    THexEdit edit;
    if (first == 0 && count == n) {
        // The whole text: the new pairs joined by blanks.
        edit.HexRange = {0, HexLength()};
        edit.HexText = BytesToHex(with);
    } else if (first > 0) {
        // From the blank before the first byte: each byte with its blank in front.
        edit.HexRange = {first * 3 - 1, count * 3};
        edit.HexText.reserve(with.size() * 3);
        for (std::uint8_t b : with) {
            edit.HexText += ' ';
            AppendPair(edit.HexText, b);
        }
    } else {
        // Leading bytes with more after them: each byte with its blank behind.
        edit.HexRange = {0, count * 3};
        edit.HexText.reserve(with.size() * 3);
        for (std::uint8_t b : with) {
            AppendPair(edit.HexText, b);
            edit.HexText += ' ';
        }
    }
    edit.CharRange = {first, count};
    edit.CharText.reserve(with.size());
    for (std::uint8_t b : with) edit.CharText += CharOf(b);
    FBytes.erase(FBytes.begin() + first, FBytes.begin() + first + count);
    FBytes.insert(FBytes.begin() + first, with.begin(), with.end());
    return edit;
}

bool THexEditModel::TypeHexDigit(char key, TTextRange hexSel, THexEdit& edit) {
    const int digit = DigitValue(key);
    if (digit < 0) return false;
    const int n = HexLength();
    TTextRange sel = Clamp(hexSel, n);
    if (sel.Length > 0) sel = SnapHexSelection(sel, n);
    const int s = sel.Start, l = sel.Length;
    const auto fresh = static_cast<std::uint8_t>(digit << 4);
    int byte = 0, caret = 0;
    if (s == 0 && (l > 0 || n == 0)) {
        // The selected leading bytes (or an empty text) become one new byte.
        byte = 0;
        edit = ReplaceBytes(0, (l + 1) / 3, {fresh});
        caret = 1;
    } else if (s % 3 == 2) {
        // On a blank or at the end: a new byte after the byte before the
        // caret, in place of the selected bytes.
        byte = (s + 1) / 3;
        edit = ReplaceBytes(byte, l / 3, {fresh});
        caret = s + 2;
    } else {
        // On a digit, with no selection: overwrite that digit.
        byte = s / 3;
        const std::uint8_t old = FBytes[static_cast<size_t>(byte)];
        const bool high = s % 3 == 0;
        const auto value = static_cast<std::uint8_t>(high ? (digit << 4) | (old & 0x0F) : (old & 0xF0) | digit);
        edit = ReplaceBytes(byte, 1, {value});
        caret = s + 1;
    }
    edit.HexSelection = {caret, 0};
    edit.CharSelection = {byte + 1, 0};
    return true;
}

bool THexEditModel::TypeChar(unsigned char ch, TTextRange charSel, THexEdit& edit) {
    if (!IsCharAlphaNumericPlatform(ch)) return false;
    const TTextRange sel = Clamp(charSel, ByteCount());
    edit = ReplaceBytes(sel.Start, sel.Length, {static_cast<std::uint8_t>(ch)});
    edit.CharSelection = {sel.Start + 1, 0};
    edit.HexSelection = {CharsToHex(edit.CharSelection).Start, 0};
    return true;
}

bool THexEditModel::DeleteHex(TTextRange hexSel, THexEdit& edit) {
    const int n = HexLength();
    TTextRange sel = Clamp(hexSel, n);
    if (sel.Length > 0) sel = SnapHexSelection(sel, n);
    TTextRange bytes;
    if (sel.Length > 0) {
        bytes = HexToChars(sel);
    } else {
        if (sel.Start >= n) return false;  // the caret at the end
        // Inside or before a byte: that byte; on the blank after one: the next.
        bytes = {sel.Start % 3 == 2 ? (sel.Start + 1) / 3 : sel.Start / 3, 1};
    }
    return DeleteChars(bytes, edit);
}

bool THexEditModel::DeleteChars(TTextRange charSel, THexEdit& edit) {
    TTextRange sel = Clamp(charSel, ByteCount());
    if (sel.Length == 0) {
        if (sel.Start >= ByteCount()) return false;
        sel.Length = 1;
    }
    edit = ReplaceBytes(sel.Start, sel.Length, {});
    edit.CharSelection = {sel.Start, 0};
    edit.HexSelection = {CharsToHex(edit.CharSelection).Start, 0};
    return true;
}

std::string THexEditModel::CopyHex(TTextRange hexSel) const {
    const TTextRange sel = SnapHexSelection(hexSel, HexLength());
    if (sel.Length <= 0) return std::string();
    const TTextRange bytes = HexToChars(sel);
    if (bytes.Length <= 0) return std::string();
    return BytesToHex(std::vector<std::uint8_t>(FBytes.begin() + bytes.Start,
                                                FBytes.begin() + bytes.Start + bytes.Length));
}

bool THexEditModel::PasteHex(const std::string& hexText, TTextRange hexSel, THexEdit& edit) {
    const std::vector<std::uint8_t> bytes = HexToBytes(hexText);
    if (bytes.empty()) return false;
    const TTextRange sel = SnapHexSelection(hexSel, HexLength());
    // No selection: the byte boundary at or before the caret.
    const TTextRange replaced = sel.Length > 0 ? HexToChars(sel) : TTextRange{(sel.Start + 1) / 3, 0};
    edit = ReplaceBytes(replaced.Start, replaced.Length, bytes);
    edit.CharSelection = {replaced.Start + static_cast<int>(bytes.size()), 0};
    edit.HexSelection = {CharsToHex(edit.CharSelection).Start, 0};
    return true;
}

char THexEditModel::HexCharAt(int pos) const {
    const std::uint8_t b = FBytes[static_cast<size_t>(pos / 3)];
    switch (pos % 3) {
        case 0: return kDigits[b >> 4];
        case 1: return kDigits[b & 0x0F];
        default: return ' ';
    }
}

int THexEditModel::FindHexAt(const std::string& pattern, int offset, int from) const {
    const int m = static_cast<int>(pattern.size());
    const int n = HexLength();
    // The pattern must fit the layout at this offset: blanks where the text
    // has blanks, digits where it has digits.
    for (int j = 0; j < m; ++j) {
        const bool blank = (offset + j) % 3 == 2;
        if (blank != (pattern[static_cast<size_t>(j)] == ' ')) return -1;
        if (!blank && DigitValue(pattern[static_cast<size_t>(j)]) < 0) return -1;
    }
    // The bytes the pattern covers whole, from its first whole byte.
    const int firstWhole = offset == 0 ? 0 : 1;
    std::vector<std::uint8_t> core;
    for (int r = firstWhole; 3 * r + 1 - offset < m; ++r) {
        const int j = 3 * r - offset;
        core.push_back(static_cast<std::uint8_t>(DigitValue(pattern[static_cast<size_t>(j)]) << 4 |
                                                 DigitValue(pattern[static_cast<size_t>(j + 1)])));
    }
    auto matchesAt = [&](int q) {
        const int p = 3 * q + offset;
        if (p < from || p + m > n) return false;
        for (int j = 0; j < m; ++j)
            if (HexCharAt(p + j) != pattern[static_cast<size_t>(j)]) return false;
        return true;
    };
    int q = std::max(0, (from - offset + 2) / 3);
    const int lastQ = (n - m - offset) / 3;
    if (n - m - offset < 0) return -1;
    if (core.empty()) {
        for (; q <= lastQ; ++q)
            if (matchesAt(q)) return 3 * q + offset;
        return -1;
    }
    // Candidates from the whole bytes, each then checked at its edges.
    auto at = FBytes.begin() + std::min(q + firstWhole, ByteCount());
    while (true) {
        at = std::search(at, FBytes.end(), core.begin(), core.end());
        if (at == FBytes.end()) return -1;
        const int cq = static_cast<int>(at - FBytes.begin()) - firstWhole;
        if (cq > lastQ) return -1;
        if (matchesAt(cq)) return 3 * cq + offset;
        ++at;
    }
}

int THexEditModel::FindHex(const std::string& pattern, int from) const {
    std::string upper = pattern;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (upper.empty()) return -1;
    from = std::max(from, 0);
    int best = -1;
    for (int offset = 0; offset < 3; ++offset) {
        const int hit = FindHexAt(upper, offset, from);
        if (hit >= 0 && (best < 0 || hit < best)) best = hit;
    }
    return best;
}

int MoveCaret(TCaretMove move, int caret, int length, int perLine, int page) {
    const int line = LineOfPosition(caret, perLine);
    int to = caret;
    switch (move) {
        case TCaretMove::Left: to = caret - 1; break;
        case TCaretMove::Right: to = caret + 1; break;
        case TCaretMove::Up: to = caret - perLine; break;
        case TCaretMove::Down: to = caret + perLine; break;
        case TCaretMove::PageUp: to = caret - perLine * page; break;
        case TCaretMove::PageDown: to = caret + perLine * page; break;
        case TCaretMove::LineStart: to = line * perLine; break;
        case TCaretMove::LineEnd:
            // The hex text's line ends on its last blank, the character view's after its last character.
            to = line * perLine + (perLine == THexEditModel::kHexPerLine ? perLine - 1 : perLine);
            break;
        case TCaretMove::TextStart: to = 0; break;
        case TCaretMove::TextEnd: to = length; break;
    }
    // Up and down stop at the first and last line rather than jump to the ends.
    if ((move == TCaretMove::Up || move == TCaretMove::PageUp) && to < 0) to = caret % perLine;
    if ((move == TCaretMove::Down || move == TCaretMove::PageDown) && to > length) {
        const int lastLine = LineOfPosition(length, perLine);
        to = std::min(lastLine * perLine + caret % perLine, length);
    }
    return std::clamp(to, 0, length);
}
