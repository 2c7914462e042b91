#pragma once
// The rich edit control, used as a plain-text editor: text goes in and out
// as plain text (never parsed as RTF), without the default size limit.
#include <richedit.h>

#include "Components.h"
#include "StdCtrls.h"

namespace classlib {

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

    void HandleCommand(WORD code) override;
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    // Texts longer than this are dropped by recreating the control.
    static constexpr int LongText = 16 * 1024;

private:
    // Emptying a rich edit that holds a long text costs minutes per megabyte
    // under Wine, making a new one next to nothing. Puts a new, empty control
    // in place of this one: same class, style, place, tab order, focus, id,
    // default character format, limit, event mask, options, wrapping and
    // background, subclassed and bound to this object. The old one is hidden
    // and destroyed when the thread is next idle. False when no window could
    // be made (nothing changed then).
    bool Recreate();
    // Recreates the control when it holds a long text; true when it did.
    bool DropLongText();
    bool FProgramEditsOnly = false;
    int FWrapTarget = -1;  // as last set through SetWordWrap, -1: never set
    bool FBackgroundSet = false;
    COLORREF FBackground = 0;
};

}  // namespace classlib
