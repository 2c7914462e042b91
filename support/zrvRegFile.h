#pragma once
// Registry-file text on the live registry: the writer, which appends the
// text of a key and its whole subtree to a string list or saves it to a
// file, and the importer, which writes what it reads into the registry at
// once. The format and the line parser are in zrvRegLine.h.
//
// Nothing here shows a message. Keys and values that cannot be opened,
// enumerated or read are left out of an export silently; an import reports
// through its result code.
#include <windows.h>

#include <string>

#include "StringList.h"
#include "zrvRegLine.h"

// The record passed down the writer's walk, one copy per level.
struct TRegExportData {
    HKEY RootKey = nullptr;  // root of the walk
    HKEY Handle = nullptr;   // the open key being written
    std::string FullPath;    // root name, "\" and key path, as in the section line
};

// Appends the text of the key and its subtree, without a header line: per
// key an empty line, the section line and the value lines (strings,
// expandable strings written as strings, DWORDs, big-endian DWORDs written
// as DWORDs with the same bytes, binaries; other types give no line), the
// key before its subkeys, in the registry's enumeration order. An empty
// path writes the whole root. Returns false, appending nothing, when root
// is no root key or the key cannot be opened. Subkeys whose names hold CR
// or LF are left out with their subtrees: no section line could name them.
bool ExportKey(HKEY root, const std::string& keyPath, classlib::TStringList& list);

// Writes the header line and the text of the key to the file. The text
// goes to a new file beside the target, which replaces the target only
// once all of it is written, so a failed save leaves an existing file as it
// was. Returns false, touching no file, when the key cannot be opened.
// Throws classlib::EInvalidOperation, with a message naming the file, when
// the file cannot be written (read-only, full disk, no such folder).
bool ExportKeyToFile(HKEY root, const std::string& keyPath, const std::string& fileName,
                     const std::string& header);

// One key's empty line, section line and value lines; nothing when its key
// information cannot be read.
void ExportKeyValues(const TRegExportData& data, classlib::TStringList& list);
// The text of every subkey's subtree, pre-order, depth first.
void ExportSubKeys(const TRegExportData& data, classlib::TStringList& list);

// Import results.
enum TRegImportResult : int {
    rirDone = 0,         // every item was written
    rirNotRegFile = 1,   // no lines, or the first is no header line; nothing written
    rirSomeFailed = 2,   // an item failed, or the file could not be read; the rest was written
    rirFileMissing = 3,  // ImportRegFile only
};

// Writes the keys and values of the text into the registry: each key
// section is created (or opened) and its values are set, strings as REG_SZ
// with their terminating NUL, DWORDs as REG_DWORD, binaries as REG_BINARY.
// Values under a section whose key could not be created are dropped. No
// rollback: what was written before a failure stays.
int ImportRegLines(const classlib::TStringList& lines);
int ImportRegFile(const std::string& fileName);

// ParseRegLine of zrvRegLine.h on a string list.
inline bool ParseRegLine(std::size_t& index, const classlib::TStringList& lines, TImportInfo& info) {
    return ParseRegLine(index, lines.Items(), info);
}
