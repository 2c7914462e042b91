#pragma once
// The installer's file, folder and shortcut routines (the uninstaller uses
// some of them too). Paths are wide: files are made, copied and deleted by
// their real names.
#include <windows.h>

#include <string>

namespace classlib {
class TProgressBar;
}

bool DirectoryExists(const std::wstring& path);
bool FileExists(const std::wstring& path);
// The size of a file; -1 when it cannot be read.
long long FileSizeOf(const std::wstring& path);
// The canonical form of a path (GetFullPathNameW); empty when it has none or
// it is MAX_PATH characters or longer.
std::wstring FullPathName(const std::wstring& path);

// Creates every missing level of a folder path after its root; true when
// the whole path is an existing folder.
bool MakeDirLevels(const std::wstring& path);

// Copies size bytes from offset of source into a new destination file,
// 65,535 bytes at a time, moving the bar from 0 to 100. True only when all
// size bytes were read and written; a destination left incomplete is
// removed again.
bool CopyFilePart(const std::wstring& source, const std::wstring& destination, long long offset, long long size,
                  classlib::TProgressBar* bar);

// Writes the shortcut folder\name.lnk to target; raises an error with the
// system's message when any step fails, and when the saved shortcut does not
// give its target back exactly (then it is deleted again).
void CreateShortcut(const std::wstring& name, const std::wstring& target, const std::wstring& folder);

// The system's text for an error code or COM result.
std::string SystemMessage(DWORD code);
