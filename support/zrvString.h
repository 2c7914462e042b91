#pragma once

// Hex text and small string routines of the support library.
//
// All text is single-byte (system code page).  Upper-casing is the ASCII one:
// a-z become A-Z, every other byte stays as it is.
//
// Hex text writes each byte as two upper-case hex digits, pairs separated by
// exactly one character (a blank unless stated otherwise): n bytes give
// 3n - 1 characters, and a text of length L holds (L + 1) / 3 pairs.
//
// Routines documented as "C-string" below read every string argument only
// up to its first NUL character, as if it had been passed as a C string;
// the others use the full length of their arguments.  None keeps state.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Raised by HexToInt with the message "Value overflow" or "Invalid char".
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---- Hex conversions ------------------------------------------------------

// Hex text of the first count bytes of data, pairs separated by one blank.
// Empty for a count of 0 or less, or a null buffer.
std::string BytesToHex(const void* data, int count);
std::string BytesToHex(const std::vector<std::uint8_t>& data);

// As BytesToHex, with the given separator between pairs.
std::string BytesToHexSep(const void* data, int count, char separator);
std::string BytesToHexSep(const std::vector<std::uint8_t>& data, char separator);

// Character view: one character per byte, the byte itself when the platform
// classes it as alphanumeric, '.' otherwise.  Empty for a count of 0 or less,
// or a null buffer.
std::string BytesToText(const void* data, int count);
std::string BytesToText(const std::vector<std::uint8_t>& data);

// Reads hex text into buffer.  On entry count is the size of buffer in bytes;
// on return it is the number of bytes written: the smaller of that size and
// the number of pairs in the text once trimmed of blanks.  The pairs are
// read at every third position; the character between them is never looked
// at, so any separator works.  Digits are read as HexToIntLoose reads them.
// Never writes more than count bytes; a negative count or a null buffer
// writes nothing and gives a count of 0.
void HexToBytes(const std::string& hex, void* buffer, int& count);

// All pairs of the hex text, read as above.
std::vector<std::uint8_t> HexToBytes(const std::string& hex);

// Strict parser of up to eight hex digits (either case).  An empty text gives
// 0; "FFFFFFFF" gives -1.  Throws EConvertError("Value overflow") for a text
// longer than 8 characters, before looking at them, and
// EConvertError("Invalid char") for any character that is not a hex digit.
std::int32_t HexToInt(const std::string& hex);

// Lenient parser that never fails.  A text of 9 or more characters gives -1.
// Otherwise each character, upper-cased, is clamped into a digit: above 'F'
// counts as F, below '0' as 0, between '9' and 'A' as 9.  So "G1" gives 0xF1,
// "1 " gives 0x10 and the empty text 0.
std::int32_t HexToIntLoose(const std::string& hex);

// ---- String routines ------------------------------------------------------

// Splits text at every separator and appends the non-empty pieces to list,
// which is not cleared first.  Returns the number of pieces, empty ones
// included: the number of separators in the text plus one.
std::size_t SplitByChar(const std::string& text, char separator,
                        std::vector<std::string>& list);

// Every occurrence of search replaced by replacement, case-sensitive,
// scanning left to right; replacements are never searched again.  The text
// comes back unchanged when it or search is empty.  C-string.
std::string ReplaceAll(const std::string& text, const std::string& search,
                       const std::string& replacement);

// ReplaceAll when ignoreCase is false.  When it is true, occurrences are
// found regardless of (ASCII) case; the text around them keeps its case and
// each occurrence becomes replacement unchanged.  Full length in that case.
std::string ReplaceAllEx(const std::string& text, const std::string& search,
                         const std::string& replacement, bool ignoreCase);

// Every occurrence of the character c replaced by replacement.
std::string ReplaceChar(const std::string& text, char c, const std::string& replacement);

// The text without leading and trailing blanks (the space character only).
std::string TrimSpaces(const std::string& text);

// The text between the first startMark and the next endMark searched from
// the start mark's position on.  Empty when either mark is missing or empty,
// or when that end mark begins inside the start mark.  C-string.
std::string TextBetween(const std::string& text, const std::string& startMark,
                        const std::string& endMark);

// The text before / after the first occurrence of mark; empty when the mark
// is missing or empty.  C-string.
std::string BeforeText(const std::string& text, const std::string& mark);
std::string AfterText(const std::string& text, const std::string& mark);

// The text before / after the last occurrence of c; empty when c does not
// occur.  With '\\' these give the parent path and the last name of a key
// path.  C-string.
std::string BeforeLastChar(const std::string& text, char c);
std::string AfterLastChar(const std::string& text, char c);

// ---- Wildcards ---------------------------------------------------------------
//
// What the user types: "*" any run of characters (also none), "\\*" a
// literal star, "\\\\" a literal backslash, "\\" before anything else a
// backslash and that character, "\\" at the end a backslash.
//
// The pattern the matcher reads: literal segments separated by the
// wildcard mark "\\*"; inside a segment "\\\\" is a backslash, a plain "*"
// a literal star, "\\" before anything else itself and that character.

// Every "\\" becomes "\\\\" and every "*" becomes "\\*".
std::string EscapeWildText(const std::string& text);

// The pattern of what the user typed.
std::string WildToPattern(const std::string& text);

// Where in text the pattern's literal segments first occur in order,
// without overlapping: the start of the first segment's match, or -1.
// Nothing is anchored; an empty pattern matches at 0; an empty segment
// after a wildcard mark needs at least one character left where the one
// before it ended (so two or more stars at the end of what the user typed
// ask for a character after the last segment).
long WildPos(const std::string& text, const std::string& pattern, char escape = '\\', char wild = '*');

// The test every search applies to a name or a text: the candidate,
// upper-cased (ASCII) and taken up to its first NUL, matches the search
// text (upper case; with wildcards a pattern from WildToPattern) by
// WildPos with wildcards, by equality with wholeWords, else as a
// substring. An empty candidate never matches.
bool SearchMatches(const std::string& candidate, const std::string& searchText, bool wildcards, bool wholeWords);
