#pragma once
// The standard controls beyond buttons, edits and combo boxes: labels, the
// multi-line edit, scroll bars, radio groups, tab strips, notebooks and timers.
#include <richedit.h>

#include <map>

#include "Components.h"

namespace classlib {

using TMouseWheelEvent = std::function<void(TObject* sender, int delta)>;  // +120 a notch away from the user

// Whether a message would let the user change an edit control's text by a
// path of the control's own (paste, cut, clear, undo, input-method strings,
// dropped files, editing keys): what an edit whose text only the program
// changes refuses. Typed characters are not included; their handler decides.
bool IsUserEditingMessage(UINT msg, WPARAM wp);

// A new font of the given face and height (negative: character height in
// pixels); the caller owns it (a TGdiObject).
HFONT CreateTextFont(const char* face, int height, BYTE pitchAndFamily = DEFAULT_PITCH | FF_DONTCARE,
                     int weight = FW_NORMAL, bool underline = false);

// The hand-point cursor of links; the arrow on systems without one.
HCURSOR HandPointCursor();

// A static text. A click focuses FocusControl; FontColor, when set, is the
// colour its form paints the text in (see PaintStatic). Cursor, when set, is
// shown over the label (the label needs SS_NOTIFY to see the mouse).
class TLabel : public TControl {
public:
    TControl* FocusControl = nullptr;
    COLORREF FontColor = CLR_INVALID;
    HCURSOR Cursor = nullptr;
    void HandleCommand(WORD code) override;
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// Paints a static or read-only control for WM_CTLCOLORSTATIC: text colour
// (CLR_INVALID: the system's) on the given background (CLR_INVALID: the
// dialog face). Returns the brush the dialog procedure hands back.
INT_PTR PaintStatic(HDC dc, COLORREF text, COLORREF background);

// A push button with a glyph from an image list before its caption. It
// draws itself: its dialog passes WM_DRAWITEM on to DrawOwnerButton.
class TBitBtn : public TButton {
public:
    void SetGlyph(TImageList& images, int index);
    void Draw(const DRAWITEMSTRUCT& item);

private:
    TImageList* FImages = nullptr;
    int FIndex = -1;
};

// Draws the button of a WM_DRAWITEM when it is a TBitBtn; false otherwise.
bool DrawOwnerButton(LPARAM lp);

// A list box of text rows with several rows selectable. The texts are also
// kept here, row for row. With the sorted style the rows are shown in the
// order the control sorts by (letter case aside).
class TListBox : public TControl {
public:
    int Count() const { return static_cast<int>(FRows.size()); }
    const std::string& Item(int index) const { return FRows.at(static_cast<size_t>(index)); }
    // Replaces every row.
    void SetItems(std::vector<std::string> rows);
    void Clear() { SetItems({}); }
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    std::vector<int> SelectedIndexes() const;  // top to bottom
    // Deletes the rows at these indexes (top to bottom).
    void DeleteRows(const std::vector<int>& indexes);

private:
    std::vector<std::string> FRows;
};

// A multi-line (or one-line) edit control with its key, mouse and focus
// events and the line operations the editors need.
class TMemo : public TEdit {
public:
    TKeyEvent OnKeyUp;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelEvent OnMouseWheel;
    TNotifyEvent OnEnter, OnExit;
    // The program places the caret and the selection: mouse clicks, drags and
    // the wheel go to the events only, not to the control.
    bool ProgramSelects = false;
    // Only the program changes the text (through ReplaceSel and SetText):
    // every path of the control's own that would edit it is refused, and the
    // context menu is the control's PopupMenu or none.
    bool ProgramEditsOnly = false;

    // No length limit (the default stops at 30,000 characters).
    void RemoveLimit();
    CHARRANGE Selection() const;
    void SetSelection(LONG start, LONG end);
    // Replaces the selection; the change cannot be undone.
    void ReplaceSel(const std::string& text);
    int TextLength() const;
    int LineCount() const;  // visual lines, at least 1
    int LineIndex(int line) const;
    int FirstVisibleLine() const;
    void ScrollLines(int lines);
    bool Modified() const;
    void SetModified(bool modified);

    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// Shared by the edit controls: the mouse and focus events of one message.
// Runs the control's own handling first (unless the program selects, see
// TMemo::ProgramSelects), so that a mouse-up handler sees the final
// selection. A double click counts as a button press. True when it handled
// the message (result set).
struct TMouseEvents {
    const TMouseEvent& Down;
    const TMouseMoveEvent& Move;
    const TMouseEvent& Up;
    const TMouseWheelEvent& Wheel;
    bool ProgramSelects;
};
bool RaiseMouseAndFocusEvents(TControl& control, WNDPROC original, UINT msg, WPARAM wp, LPARAM lp,
                              const TMouseEvents& mouse, const TNotifyEvent& enter, const TNotifyEvent& exit,
                              LRESULT& result);
// The character position under a point of an edit or rich edit control.
int CharFromPos(HWND edit, int x, int y);
// The context menu of an edit whose text only the program changes.
void ShowProgramEditMenu(TControl& control, LPARAM lp);
// The dialog code of an edit that only the program changes.
LRESULT ProgramEditDialogCode(LPARAM lp);

// A vertical or horizontal scroll bar control. Max is the largest position;
// PageSize lines are shown at a time. The form passes WM_VSCROLL and
// WM_HSCROLL of the bar to Scroll.
class TScrollBar : public TControl {
public:
    TNotifyEvent OnScroll;  // the position changed
    TNotifyEvent OnEnter, OnExit;
    int Position() const;
    void SetPosition(int position);
    int Max() const { return FMax; }
    void SetMax(int max);
    int PageSize = 16;
    void Scroll(WORD code);
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    int FMax = 0;
};

// A group box with a column or more of radio buttons, made at run time.
class TRadioGroup : public TControl {
public:
    TNotifyEvent OnClick;  // the user chose an item
    int Columns = 1;
    void SetItems(const std::vector<std::string>& items);
    int ItemCount() const { return static_cast<int>(FItems.size()); }
    std::string ItemCaption(int index) const;
    void SetItemCaption(int index, const std::string& caption);
    bool SetItemText(int index, const std::string& text) override;
    std::string GetItemText(int index) const override;
    int ItemIndex() const;
    void SetItemIndex(int index);  // raises no event
    HWND ItemHandle(int index) const { return FItems.at(static_cast<size_t>(index)); }
    // Acts as if the user clicked an item.
    void ClickItem(int index);
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    void PlaceItems();
    std::vector<HWND> FItems;
    int FIndex = -1;
};

// A check box. A change by the user (mouse, space bar) or by Click raises
// OnClick after the box has changed; SetChecked raises nothing.
class TCheckBox : public TControl {
public:
    TKeyEvent OnKeyDown;
    bool Checked() const;
    void SetChecked(bool checked);
    void Click();
    void HandleCommand(WORD code) override;
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;
};

// A strip of tabs without pages of its own.
class TTabControl : public TControl {
public:
    TNotifyEvent OnChange;
    void SetTabs(const std::vector<std::string>& tabs);
    int TabCount() const;
    std::string TabCaption(int index) const;
    void SetTabCaption(int index, const std::string& caption);
    bool SetItemText(int index, const std::string& text) override;
    std::string GetItemText(int index) const override;
    int TabIndex() const;
    void SetTabIndex(int index);  // raises no event
    LRESULT HandleNotify(NMHDR* hdr, bool& handled) override;
};

// Panels stacked on one another, one shown at a time.
class TNotebook : public TPanel {
public:
    std::vector<TPanel*> Pages;
    int PageIndex() const { return FPageIndex; }
    void SetPageIndex(int index);

private:
    int FPageIndex = 0;
};

// A timer on the thread's message queue.
class TTimer : public TComponent {
public:
    ~TTimer() override;
    TNotifyEvent OnTimer;
    UINT Interval = 1000;  // milliseconds
    bool Enabled() const { return FId != 0; }
    void SetEnabled(bool enabled);

private:
    static void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD);
    static std::map<UINT_PTR, TTimer*>& Timers();
    UINT_PTR FId = 0;
};

}  // namespace classlib
