#pragma once
#include <string>

// Full path of the running program file.
std::string GetAppFileName();
// The same by its real name, which the code page may not hold; empty when
// it does not fit MAX_PATH characters.
std::wstring GetAppFileNameWide();
// Its folder, up to and including the last "\" or ":"; empty when none.
std::string GetAppDir();
// The folder part of a path by the same rule (used by GetAppDir).
std::string ExtractDirPart(const std::string& path);
