#pragma once
// Files by their real names. Every name the user picks or the program finds
// is kept wide from where it comes to the system call that opens the file,
// so that no name is ever handed over as another (a name with characters
// the code page lacks is never turned into its nearest code-page twin).
// The file's content is bytes: what they mean is the caller's business.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Exceptions.h"

namespace classlib {

// A file that could not be opened, read or written. Message() names the
// file as the user named it; what() gives the same in the code page, with
// "?" for every character the code page lacks.
class EFileError : public EInvalidOperation {
public:
    explicit EFileError(const std::wstring& message);
    const std::wstring& Message() const { return FMessage; }

private:
    std::wstring FMessage;
};

// The text of an error as the user is to read it: a file error's own wide
// message, any other error's what().
std::wstring ErrorText(const std::exception& e);

// Text in the code page for a message, "?" for what the code page lacks
// (never a look-alike character: the message names the real file).
std::string ShownText(const std::wstring& text);

// GetFileAttributesW: INVALID_FILE_ATTRIBUTES when there is nothing by that name.
DWORD FileAttributes(const std::wstring& fileName);
// True for an existing file, false for a folder or nothing.
bool IsFile(const std::wstring& fileName);

// Reads a whole file. When given, accept sees the file's size before
// anything is read and may decline: false then, with nothing read. Throws
// EFileError naming the file when it cannot be opened or read, or is over
// maxSize bytes.
bool ReadWholeFile(const std::wstring& fileName, std::string& bytes, std::uint64_t maxSize = 0x7FFFFFFF,
                   const std::function<bool(std::uint64_t size)>& accept = nullptr);
bool ReadWholeFile(const std::wstring& fileName, std::vector<std::uint8_t>& bytes, std::uint64_t maxSize = 0x7FFFFFFF,
                   const std::function<bool(std::uint64_t size)>& accept = nullptr);

// Writes a whole file so that a failure (read-only target, full disk, no
// such folder) leaves the old file as it was: the bytes go to a new file
// beside the target, which is renamed over the target once all of them are
// on disk. Throws EFileError naming the file.
void SaveWholeFile(const std::wstring& fileName, const void* data, std::size_t size);
inline void SaveTextFile(const std::wstring& fileName, const std::string& text) {
    SaveWholeFile(fileName, text.data(), text.size());
}

// The name by which a call that takes code-page names only (a help viewer)
// reaches this very file: the name itself when the code page holds it, else
// its short form when the code page holds that; false when neither does.
bool CodePageFileName(const std::wstring& fileName, std::wstring& usable);

}  // namespace classlib
