#pragma once
// Registry-file text, the part that needs no registry: the header lines,
// the escaping of names and string data, the value and section lines the
// writer produces, and the line parser the importer reads them with.
//
// The text is a sequence of single-byte lines:
//
//   header line ("REGEDIT4", "Windows Registry Editor Version 5.00" or
//   "REGEDIT3"), then for every key an empty line, "[full path]" and one
//   line per string, DWORD or binary value:
//
//     "name"="string data"
//     "name"=dword:0000007B
//     "name"=hex:01,AB
//     "name"=hex(N):01,AB      N, the registry type number in hex (hex(2),
//                              hex(7), hex(b)), for every other type
//
// The default value has the empty name (""="..."); "@=" is read as that
// too. Names and string data are escaped: backslash, double quote, CR and
// LF become \\, \", \r and \n.
//
// Standard C++ only: built for Windows and natively (sanitizers, fuzzing).

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// ---- Root keys -----------------------------------------------------------

// Root keys as their 32-bit handle values: 0x80000000 (HKEY_CLASSES_ROOT)
// to 0x80000006 (HKEY_DYN_DATA).
constexpr std::uint32_t kRegRootFirst = 0x80000000u;
constexpr int kRegRootCount = 7;

// The full name of a root key ("HKEY_CURRENT_USER"); empty for other values.
std::string RegRootName(std::uint32_t root);
// The root key of a full name, in any case; 0 for anything else.
std::uint32_t RegRootFromName(const std::string& name);

// ---- Header --------------------------------------------------------------

extern const char* const kRegHeaderRegedit4;  // "REGEDIT4"
extern const char* const kRegHeaderVersion5;  // "Windows Registry Editor Version 5.00"
extern const char* const kRegHeaderRegedit3;  // "REGEDIT3"

// True for exactly one of the three header lines: case and blanks count.
bool IsRegFileHeader(const std::string& line);

// ---- Writing ---------------------------------------------------------------

// Backslash, double quote, CR and LF become \\, \", \r and \n. Stops at
// the first NUL: names and string data end there.
std::string EscapeRegText(const std::string& text);
// The reverse, in one pass from the left: \\, \", \r and \n become one
// character; a backslash before anything else stays as it is.
std::string UnescapeRegText(const std::string& text);

// "[" fullPath "]".
std::string RegSectionLine(const std::string& fullPath);
// "name"="data", both escaped.
std::string RegStringLine(const std::string& name, const std::string& data);
// "name"=dword:XXXXXXXX, exactly eight upper-case digits.
std::string RegDwordLine(const std::string& name, std::uint32_t value);
// "name"=hex:01,AB,... on one line; nothing after the colon for no data.
std::string RegBinaryLine(const std::string& name, const void* data, std::size_t size);
// The same with the type: "name"=hex(N):..., N in lower-case hex; type 3
// (binary) gives the plain "hex:" form.
std::string RegHexLine(const std::string& name, std::uint32_t type, const void* data, std::size_t size);

// ---- Reading ---------------------------------------------------------------

// Kinds of item ParseRegLine reads.
enum TRegItemKind : int {
    rikString = 0,  // Data: the unescaped string
    rikDword = 1,   // Data: the text after "dword:", unchanged
    rikBinary = 2,  // Data: the hex pairs separated by commas, no blanks
    rikKey = 3,     // RootKey and KeyPath: a key section
    // A line that is not imported: malformed (a hex list with anything but
    // pairs of hex digits, a string without its closing quote, DWORD digits
    // that are not 1 to 8 hex digits, a line holding a NUL, a line that is
    // neither a section, a value nor a comment), a value outside any key
    // section, a section naming no root key, or a deletion ("[-key]",
    // "name"=-), which is never carried out.
    rikRefused = 4,
};

// The registry type number of a plain "hex:" value.
constexpr std::uint32_t kRegTypeBinary = 3;

// One item read by ParseRegLine; the importer keeps it across calls.
struct TImportInfo {
    int Kind = rikString;
    std::uint32_t RootKey = 0;  // root of the current key section
    // A key section is current: value lines are read only while it is set.
    // A section line that names no root key (a deletion "[-...]", an
    // abbreviated or misspelt root, a path without its closing "]") clears
    // it, so that the values under it are skipped instead of landing in
    // the previous section's key.
    bool KeyValid = false;
    std::string KeyPath;    // below the root; empty for the root itself
    std::string ValueName;  // unescaped; empty for the default value
    std::string Data;
    std::uint32_t DataType = kRegTypeBinary;  // rikBinary: the type number of "hex(N):", 3 for "hex:"
};

// Reads the next item from lines[index] on. Returns true with index just
// past the last line consumed, false when the lines run out without one.
// Empty lines and comments (lines starting with ";" or "#", also inside a
// continued hex list) are passed over; every other line gives an item,
// rikRefused when it cannot be imported.
//
// A trimmed line that starts with "[" is a section; "[ROOT\path]" takes the
// path up to the line's last "]" when the line ends with one, so key names
// holding "]" come back whole. A value line is "quoted name" or @ followed
// directly by ="data", =dword:digits, =hex:list or =hex(N):list; a line
// whose name is not quoted that way is read by the first of the markers
// ="  =dword:  =hex: found anywhere in it. String data ends at the line's
// last double quote. A hex list whose line ends in "\" goes on over the
// following lines.
bool ParseRegLine(std::size_t& index, const std::vector<std::string>& lines, TImportInfo& info);
