#pragma once
// Text between the program's code page (its single-byte texts: language
// texts, registry-file text, messages) and the real, wide characters that
// windows, names and string data hold.
#include <string>

namespace classlib {

std::wstring ToWide(const std::string& s);
// Characters the code page cannot hold become its default character.
std::string ToAnsi(const std::wstring& s);
// Whether the code page holds this text exactly (its ANSI form reads back
// to the same wide text).
bool FitsCodePage(const std::wstring& s);
// The text in the code page when the code page holds it exactly; false
// (out untouched) when it does not.
bool ToAnsiExact(const std::wstring& s, std::string& out);
// The text in UTF-8, where every character keeps its own bytes: what the
// search matches names and texts in.
std::string ToUtf8(const std::wstring& s);

}  // namespace classlib
