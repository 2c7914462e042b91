#pragma once
#include <string>

// Full path of the running program file, by its real name.
std::wstring GetAppFileNameW();
// Its folder, up to and including the last "\" or ":"; empty when none.
std::wstring GetAppDirW();
// The same path in the code page (the installer's use; the program finds
// its files by the wide one).
std::string GetAppFileName();
// The folder part of a path by the same rule (used by GetAppDirW).
std::string ExtractDirPart(const std::string& path);
std::wstring ExtractDirPart(const std::wstring& path);
