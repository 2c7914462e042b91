#pragma once
// The rich edit control, used as a plain-text editor: text goes in and out
// as plain text (never parsed as RTF), without the default size limit.
//
// Wine's rich edit cuts every line into runs wherever the script changes,
// and a punctuation mark is a script of its own: a registry-file line of
// hex bytes ("hex:ab,cd,...") becomes two runs a byte. Laying out and
// painting a line costs the square of its runs there (every run drawn looks
// back to the start of its row, every run split off scans what is left of
// the line), and each run costs some microseconds and a kilobyte whatever is
// done: a line of a 64 KB value took 15 s, of 1 MB over 20 minutes. So an
// unwrapped control given a text with a line longer than LongLine puts a
// plain EDIT control in its place (on the NT family, whose EDIT has no 64 KB
// limit), which lays the line out in linear time; a text without such a line
// brings the rich edit back. Positions stay the rich edit's (a line break
// counts as one) in either case.
#include <richedit.h>

#include "Components.h"
#include "StdCtrls.h"

namespace classlib {

// The edit counts a CR LF line break as one position: where a position
// falls in a text, and back.
size_t IndexOfPosition(const std::wstring& text, LONG position);
LONG PositionOfIndex(const std::wstring& text, size_t index);

class TRichEdit : public TControl {
public:
    TNotifyEvent OnChange;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnMouseUp;
    TKeyPressEvent OnKeyPress;  // a handler that sets the key to 0 drops it
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TMouseEvent OnMouseRelease;  // as OnMouseUp, with the button and the point
    TNotifyEvent OnEnter, OnExit;
    // The program places the caret and the selection (as TMemo::ProgramSelects).
    bool ProgramSelects = false;

    // Prepares the control after binding: no size limit, change events.
    void Setup();
    void SetWordWrap(bool wrap);
    void SetBackground(COLORREF color);
    // The text, lines ended by CR LF: by its real characters, and in the
    // code page (where a character the code page cannot hold is lost).
    std::wstring WideText() const;
    std::string Text() const;
    // Replaces the whole text (a long one goes with the control, see Recreate).
    void SetWideText(const std::wstring& text);
    void SetText(const std::string& text);
    int TextLength() const;              // characters, a line break counts as one
    int LineCount() const;               // an empty text has no lines
    std::string Line(int index) const;   // without its line break
    std::wstring WideLine(int index) const;
    bool Modified() const;
    void SetModified(bool modified);
    bool ReadOnly() const;
    void SetReadOnly(bool readOnly);
    CHARRANGE Selection() const;
    void SetSelection(LONG start, LONG end);
    std::string SelText() const;
    std::wstring WideSelText() const;
    // Deleting the whole of a long text is done as SetText("") (no undo).
    void ReplaceSel(const std::string& text, bool canUndo = true);
    void ReplaceSel(const std::wstring& text, bool canUndo = true);
    // Wrapped lines as the control counts them (at least 1), and scrolling.
    int VisualLineCount() const;
    int LineIndex(int line) const;
    int FirstVisibleLine() const;
    void ScrollLines(int lines);
    // Only the program changes the text (as TMemo::ProgramEditsOnly).
    void SetProgramEditsOnly(bool on);
    bool ProgramEditsOnly() const { return FProgramEditsOnly; }
    // Rich text in (content that starts "{\rtf", else plain text in the
    // code page) and out.
    void LoadContent(const std::string& content);
    std::string RtfText() const;
    // Searches forward in [from, to) (to = -1: the end); returns the range
    // of the hit, cpMin = -1 when there is none.
    CHARRANGE Find(const std::string& text, LONG from, LONG to, bool matchCase, bool wholeWord) const;
    CHARRANGE Find(const std::wstring& text, LONG from, LONG to, bool matchCase, bool wholeWord) const;
    POINT CaretPos() const;              // column and line, from 0

    // Pastes the clipboard's text (never its formatting).
    void PasteText();
    // Whether the window is the plain edit control (see above).
    bool Plain() const { return FPlain; }

    void HandleCommand(WORD code) override;
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Texts longer than this are dropped by recreating the control.
    static constexpr int LongText = 16 * 1024;
    // An unwrapped text with a line longer than this goes to a plain edit.
    static constexpr size_t LongLine = 4096;

    ~TRichEdit() override;

private:
    // Emptying a rich edit that holds a long text costs minutes per megabyte
    // under Wine, making a new one next to nothing. Puts a new, empty control
    // in place of this one: a rich edit or a plain edit as asked, with the
    // same style, place, tab order, focus, id and read-only state, subclassed
    // and bound to this object; a rich edit gets the default character
    // format, text mode, limit, event mask, options, wrapping and background
    // the rich edit had, a plain edit no limit and a font of that format. The
    // old one is hidden and destroyed when the thread is next idle. False
    // when no window could be made (nothing changed then).
    bool Recreate(bool plain);
    // Recreates the control when it holds a long text; true when it did.
    bool DropLongText();
    // Whether a text goes to a plain edit (see above).
    bool WantsPlain(const std::wstring& text) const;
    // A plain edit counts a line break as two positions: its position of
    // ours and back (lines found by the control, a few messages each).
    LONG ToPlain(LONG position) const;
    LONG FromPlain(LONG position) const;
    void SaveRichSettings(HWND rich);
    void ApplyRichSettings(HWND rich) const;
    HFONT PlainFont();
    bool FProgramEditsOnly = false;
    int FWrapTarget = -1;  // as last set through SetWordWrap, -1: never set
    bool FBackgroundSet = false;
    COLORREF FBackground = 0;
    bool FPlain = false;
    bool FSettingText = false;  // the plain edit's own change events are not passed on
    // What the rich edit was, kept while the plain edit stands in for it.
    struct {
        bool Saved = false;
        std::wstring ClassName;
        LONG_PTR Style = 0;
        CHARFORMAT2W Format{};
        LRESULT Mode = 0, Limit = 0, Options = 0, EventMask = 0;
        WPARAM Font = 0;
    } FRich;
    HFONT FPlainFont = nullptr;
};

}  // namespace classlib
