#pragma once
// One section of an INI text (the language file), read as the system's
// profile reader reads it:
//
// - Lines end at CR, LF or CR LF; empty and blank lines are skipped.
//   Blanks are space, tab, vertical tab, form feed and Ctrl+Z (0x1A).
// - A line whose first non-blank character is "[" and that holds a "]" is a
//   section header: the name is the text between the "[" and the line's
//   last "]", blanks around it dropped; the rest of the line is ignored.
//   "[S" without a "]" is an ordinary line.
// - Lines before the first header make up the section "".
// - Other lines are key "=" value: the key is the text before the first
//   "=", the value the text after it, blanks around each dropped. A value
//   that begins and ends with the same quote (" or ', two characters at
//   least) loses both quotes; an unbalanced quote stays. "key=" gives "".
//   A value is cut at 2,047 characters (after its quotes are taken off).
// - A non-blank line without "=" is a key without a value: it reads as
//   absent, and later lines of its key do not count.
// - Keys and section names compare without regard to ASCII case, other
//   bytes exactly; blanks around the names asked for are dropped too.
// - The first section of a name and the first line of a key win: a later
//   section of the same name is not read.
// - Key names beginning with ";" are found by name but not listed. A line
//   whose key is longer than 65,536 bytes is skipped.
// - A NUL byte ends the key, value or section name it stands in, with the
//   blanks before it; the rest of that part is skipped, but an "=" or "]"
//   after it still counts.
//
// The system's reader differs in four points, faults there: its list of
// key names ends at an empty name (here empty names are left out of the
// list); a buffer too small for the list cuts the last name (here
// KeyNamesWithin gives whole names only); a value of exactly 2,047
// characters between quotes loses its last character; and it lists no
// keys for a section name asked for with blanks around it, though it finds
// their values (here both drop the blanks).
//
// Bytes are taken as they stand: the caller converts a Unicode file to the
// code page first. Standard C++ only: built for Windows and natively.

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// The longest value read, in characters (bytes).
constexpr std::size_t kIniValueMax = 2047;
// The longest key kept; a line with a longer key is skipped.
constexpr std::size_t kIniKeyMax = 65536;

// One section of an INI text, as the platform's profile reader gives it.
class TIniSection {
public:
    // Key names in file order (the first of duplicate keys only), each with its value.
    const std::vector<std::pair<std::string, std::string>>& Entries() const { return FEntries; }
    // The value of a key, matched without regard to case; false when the key is absent.
    bool Find(const std::string& key, std::string& value) const;
    // The value, or def when the key is absent ("key=" gives "").
    std::string ReadString(const std::string& key, const std::string& def) const;
    // The key names that fit a buffer of bufferBytes as the platform lists them
    // (each name and its NUL, then a final NUL): whole names only, never a cut one.
    // Duplicate keys are listed each time, as written.
    std::vector<std::string> KeyNamesWithin(std::size_t bufferBytes) const;

    void Clear();

private:
    friend class TIniSectionReader;
    // One key line: its trimmed key and, when it has an "=", its value.
    void AddLine(const std::string& key, const std::string& value, bool hasValue);

    std::vector<std::pair<std::string, std::string>> FEntries;
    std::vector<std::string> FNames;  // every listed name, duplicates too
    // Folded key -> index into FEntries; kNoValue for a key whose first line has no "=".
    std::unordered_map<std::string, std::size_t> FIndex;
};

// Reads an INI text fed in chunks of any size, in one pass, keeping only the
// named section. Memory stays bounded by the section's keys and values (at
// most 2,048 bytes of a value), whatever the length of a line.
class TIniSectionReader {
public:
    // Fills out (cleared first) with the section named section.
    TIniSectionReader(const std::string& section, TIniSection& out);
    // Reads the next bytes. False once the section is complete: a later
    // header has ended it, and nothing after can change it.
    bool Feed(const char* data, std::size_t size);
    // Ends the text; its last line needs no line end.
    void Finish();

private:
    enum class TLine { Start, Header, Key, Skip };

    void StartLine();
    void EndLine();
    void KeyChar(char c);
    void ValueChar(char c);
    void CutValue();
    void HeaderChar(char c);
    // Reads the value bytes from p on at once, once nothing but the last
    // non-blank byte can still change the value. Returns where it stopped.
    const char* ValueRun(const char* p, const char* end);

    TIniSection& FOut;
    std::string FAsked;  // trimmed and folded
    bool FCollecting = false;
    bool FDone = false;

    TLine FKind = TLine::Start;
    // Key part (read only inside the section).
    std::string FKey;
    std::string FKeyBlanks;  // blanks not yet known to be inside the key
    bool FKeyCut = false;
    bool FKeyBlanksOver = false;  // more blanks than a key may hold
    bool FKeyTooLong = false;
    bool FHasEquals = false;
    // Value part: its first bytes from the first non-blank one on.
    std::string FValue;
    bool FValueStarted = false;
    bool FValueCut = false;
    std::uint64_t FValueLength = 0;    // from the first non-blank byte on
    std::uint64_t FValueTrimmed = 0;   // up to the last non-blank byte
    char FValueLast = 0;               // that byte
    char FValueEnd = 0;                // the last byte, blank or not
    // Header: the name's first bytes, enough to compare with the section asked.
    std::string FHeader;
    std::uint64_t FHeaderLength = 0;   // the name so far, trailing blanks left out
    std::string FHeaderBlanks;         // trailing blanks, as far as they may be compared
    std::uint64_t FHeaderBlankCount = 0;
    bool FHeaderCut = false;           // a NUL ended the name
    std::uint64_t FAtBracket = 0;      // the name's length before the last "]"
    bool FHasBracket = false;
    bool FBracketAfterCut = false;
};

// The named section of text (bytes in the ANSI code page).
TIniSection ParseIniSection(const std::string& text, const std::string& section);

#ifdef _WIN32
// Reads the named section of an INI file in one pass, in chunks, opening the
// file by its real name for reading only with every kind of sharing; a file with a UTF-16 (LE
// or BE) or UTF-8 byte-order mark is converted to the ANSI code page, any
// other file read as it stands. False (out empty) when the file cannot be
// opened or read: missing, a folder, a device, locked by another program;
// an empty file or one without the section gives true and an empty section.
// Never throws, never writes.
bool ReadIniSection(const std::wstring& fileName, const std::string& section, TIniSection& out);
#endif
