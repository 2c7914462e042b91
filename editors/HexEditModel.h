#pragma once
// The editing rules of the binary editor, on bytes.
//
// The editor shows one byte string in two text columns: the hex text (two
// upper-case digits per byte, one blank between bytes, so byte k takes the
// characters 3k and 3k + 1 and the blank after it 3k + 2) and the character
// view (one character per byte). The model owns the bytes; every key that
// edits them is turned here into one change of the bytes and the matching
// replacement in each column, so that the hex text always stays well formed
// and the character view always matches the bytes. The controls only show
// what the model hands them. Portable: no Windows headers.
#include <cstdint>
#include <string>
#include <vector>

// A selection or a range in one column: start and length, in characters.
struct TTextRange {
    int Start = 0;
    int Length = 0;
    bool operator==(const TTextRange& o) const { return Start == o.Start && Length == o.Length; }
    bool operator!=(const TTextRange& o) const { return !(*this == o); }
};

// One change as the two columns see it: replace HexRange of the hex text by
// HexText and CharRange of the character view by CharText, then select
// HexSelection and CharSelection.
struct THexEdit {
    TTextRange HexRange;
    std::string HexText;
    TTextRange CharRange;
    std::string CharText;
    TTextRange HexSelection;
    TTextRange CharSelection;
};

class THexEditModel {
public:
    void SetBytes(std::vector<std::uint8_t> bytes) { FBytes = std::move(bytes); }
    // Reads the pairs of a hex text (as the hex routines of the support
    // library read them).
    void SetHexText(const std::string& hex);
    const std::vector<std::uint8_t>& Bytes() const { return FBytes; }
    int ByteCount() const { return static_cast<int>(FBytes.size()); }
    // Length of the hex text: 3n - 1 characters for n bytes, 0 for none.
    int HexLength() const { return FBytes.empty() ? 0 : ByteCount() * 3 - 1; }
    std::string HexText() const;
    std::string CharText() const;

    // Lines of 16 bytes: the hex text's line k starts at 48k, the character
    // view's at 16k. An empty text has one (empty) line.
    static constexpr int kBytesPerLine = 16;
    static constexpr int kHexPerLine = kBytesPerLine * 3;
    int LineCount() const { return FBytes.empty() ? 1 : (ByteCount() + kBytesPerLine - 1) / kBytesPerLine; }
    // The hex text and the character view of count lines from line first.
    std::string HexLines(int first, int count) const;
    std::string CharLines(int first, int count) const;
    // Address lines: 8 hex digits of line x 16, joined by CR LF.
    static std::string AddressLines(int first, int count);

    // The character that shows a byte in the character view.
    static char CharOf(std::uint8_t byte);

    // A hex selection widened or narrowed to whole bytes: a byte partly
    // covered at the start is taken in with the blank before it, a byte of
    // which only the high digit is covered at the end is left out. Never
    // negative; an empty selection is only clamped into the text.
    static TTextRange SnapHexSelection(TTextRange sel, int hexLength);
    // The character range of the bytes that a hex selection touches, and the
    // hex range of a character selection.
    static TTextRange HexToChars(TTextRange hex);
    static TTextRange CharsToHex(TTextRange chars);

    // The editing keys. Each takes the selection of its column as the control
    // reports it, changes the bytes and describes the change; false (and no
    // change) when the key does nothing there.
    //
    // A hex digit (either case) overwrites the digit at the caret, or inserts
    // a new byte d0 when the caret stands on a blank or at the end; over a
    // selection it replaces the selected bytes by the new byte d0. A
    // selection that does not cover whole bytes is snapped first.
    bool TypeHexDigit(char key, TTextRange hexSel, THexEdit& edit);
    // An alphanumeric character inserts its byte at the caret, or replaces
    // the selected bytes by it.
    bool TypeChar(unsigned char ch, TTextRange charSel, THexEdit& edit);
    // Delete removes the selected bytes; with no selection the byte at the
    // caret (the caret inside a byte or before it), or after the blank the
    // caret stands on.
    bool DeleteHex(TTextRange hexSel, THexEdit& edit);
    bool DeleteChars(TTextRange charSel, THexEdit& edit);

    // The copy buffer's text for a hex selection: the whole bytes of the
    // selection once snapped, as hex text without leading or trailing
    // blanks; empty when it holds no whole byte.
    std::string CopyHex(TTextRange hexSel) const;
    // Pastes the bytes of a hex text: with no selection before the byte that
    // holds the caret (after the byte before a blank the caret stands on),
    // over a selection in place of the bytes it touches. The caret ends after
    // the pasted bytes. False when the text holds no byte.
    bool PasteHex(const std::string& hexText, TTextRange hexSel, THexEdit& edit);
    // Where the pattern (any case) first occurs in the hex text at or after
    // from, as a plain substring search of that text would find it, patterns
    // that start or end inside a byte or on a blank included; -1 for none
    // and for an empty pattern. The hex text itself is never built.
    int FindHex(const std::string& pattern, int from) const;

private:
    std::vector<std::uint8_t> Slice(int firstLine, int lines) const;
    static TTextRange Clamp(TTextRange sel, int length);
    // Replaces count bytes from first by the given bytes and describes the
    // change of both columns; the selections are left to the caller.
    THexEdit ReplaceBytes(int first, int count, const std::vector<std::uint8_t>& with);
    // The character of the hex text at a position inside it.
    char HexCharAt(int pos) const;
    // The first hit at or after position from whose start lies at offset
    // (0, 1 or 2) within its byte; -1 for none.
    int FindHexAt(const std::string& pattern, int offset, int from) const;

    std::vector<std::uint8_t> FBytes;
};

// Caret movement in one column (Shift extends the selection, the caller
// keeps the anchor).
enum class TCaretMove { Left, Right, Up, Down, LineStart, LineEnd, PageUp, PageDown, TextStart, TextEnd };

// The caret after a move in a column of the given length with perLine
// characters a line (48 for the hex text, 16 for the character view) and
// page lines a page. The hex text's line ends on the blank after its last
// byte, where a digit appends a new byte.
int MoveCaret(TCaretMove move, int caret, int length, int perLine, int page);

// The line of a column that shows a caret position (the hex text's blank at
// the end of a line belongs to that line).
inline int LineOfPosition(int pos, int perLine) { return pos < 0 ? 0 : pos / perLine; }
