#pragma once
// String data and what a text editor makes of it. An editor shows stored
// text only up to its first NUL, and it cannot tell the kinds of line break
// apart (CR LF, LF alone, CR alone): it hands every one back as CR LF. These
// routines put the user's edits back into the stored text, so that whatever
// the user did not edit stays exactly as stored. Text is in UTF-16 units,
// as the registry stores it.
#include <string>

// What an editor shows of stored text: everything before its first NUL.
std::u16string ShownPart(const std::u16string& stored);
// The shown part as an editor is given it: every line break as CR LF (a
// rich edit takes CR CR LF for a blank, and would lose two breaks).
std::u16string EditorText(const std::u16string& stored);

// The stored text with the user's edit put in. edited is what the editor
// holds after the user edited ShownPart(stored), with line breaks of any
// kind. Every character and line break that the user kept keeps its stored
// form, a new line break takes the one kind the shown part uses (CR LF when
// it uses none or several), and the first NUL and all after it stay as
// stored. An edit that leaves the text as the editor showed it gives back
// stored itself.
std::u16string SpliceEdit(const std::u16string& stored, const std::u16string& edited);

// Whether two texts hold the same characters and the same number of line
// breaks in the same places, whatever their kinds.
bool SameTextAndBreaks(const std::u16string& a, const std::u16string& b);
