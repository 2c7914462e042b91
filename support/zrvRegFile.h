#pragma once
// Registry-file text on the live registry: the writer, which appends the
// text of a key and its whole subtree to a string list or saves it to a
// file, and the importer, which writes what it reads into the registry at
// once. The format and the line parser are in zrvRegLine.h.
//
// Nothing here shows a message. Keys and values that cannot be opened,
// enumerated or read are left out of an export silently; keys and values
// whose name (or string data) the file's code page cannot hold are left out
// too, but counted in a TRegExportReport; an import reports through its
// result code.
//
// Keys and values are walked, created and written by their real (wide)
// names, so paths of any length the registry allows work and no name is
// turned into another on the way.
#include <windows.h>

#include <string>
#include <vector>

#include "StringList.h"
#include "zrvRegLine.h"

// What an export had to leave out because the file's code page cannot
// hold it: keys (with their subtrees) whose names have characters outside
// it or a line break, and values whose names or string data (of the
// string, expandable string and multi-string types) have characters
// outside it.
struct TRegExportReport {
    static constexpr std::size_t kNamesKept = 5;
    int KeysLeftOut = 0;
    int ValuesLeftOut = 0;
    // The first ones, by long name ("[path]" or "[path] value"), with "?"
    // for what the code page cannot show.
    std::vector<std::string> FirstLeftOut;
    bool Complete() const { return KeysLeftOut == 0 && ValuesLeftOut == 0; }
};

// The record passed down the writer's walk, one copy per level.
struct TRegExportData {
    HKEY RootKey = nullptr;  // root of the walk
    HKEY Handle = nullptr;   // the open key being written
    std::string FullPath;    // root name, "\" and key path, as in the section line
    TRegExportReport* Report = nullptr;  // may be null
};

// Appends the text of the key and its subtree, without a header line: per
// key an empty line, the section line and one line per value, the key
// before its subkeys, in the registry's enumeration order. Every value
// keeps its type and bytes: strings that the quoted form carries exactly
// (one terminating NUL and none before it) as "name"="data", four-byte
// DWORDs as dword:, binaries as hex:, everything else as hex(N): with the
// type number; the data of string types is written in the code page, as
// other tools read it from single-byte files. An empty path writes the
// whole root. Returns false, appending nothing, when root is no root key
// or the key cannot be opened. What the file cannot hold is left out and
// counted in report.
bool ExportKey(HKEY root, const std::string& keyPath, classlib::TStringList& list,
               TRegExportReport* report = nullptr);

// Writes the header line and the text of the key to the file. The text
// goes to a new file beside the target, which replaces the target only
// once all of it is written, so a failed save leaves an existing file as it
// was. Returns false, touching no file, when the key cannot be opened.
// Throws classlib::EFileError, with a message naming the file, when the
// file cannot be written (read-only, full disk, no such folder). The file
// is named by its real name, whatever characters it holds.
bool ExportKeyToFile(HKEY root, const std::string& keyPath, const std::wstring& fileName,
                     const std::string& header, TRegExportReport* report = nullptr);

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
// with their terminating NUL, DWORDs as REG_DWORD, hex lists with their
// type and bytes (those of string types from the code page into UTF-16,
// as the registry stores them). Values under a
// section whose key could not be created are dropped. Key names over 255
// and value names over 16,383 characters are refused before any registry
// call, and so is every line the parser refuses; each makes the result
// rirSomeFailed. No rollback: what was written before a failure stays.
int ImportRegLines(const classlib::TStringList& lines);
int ImportRegFile(const std::wstring& fileName);

// ParseRegLine of zrvRegLine.h on a string list.
inline bool ParseRegLine(std::size_t& index, const classlib::TStringList& lines, TImportInfo& info) {
    return ParseRegLine(index, lines.Items(), info);
}
