#include "RichEdit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Forms.h"

namespace classlib {

namespace {

struct StreamBuffer {
    const std::string* In = nullptr;
    std::string* Out = nullptr;
    size_t Pos = 0;
};

DWORD CALLBACK StreamInProc(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    auto* s = reinterpret_cast<StreamBuffer*>(cookie);
    const size_t left = s->In->size() - s->Pos;
    size_t n = std::min(left, static_cast<size_t>(count));
    // The control reads each block on its own: a CR at the end of one and the
    // LF at the start of the next would become two line breaks.
    if (n > 1 && n < left && s->In->data()[s->Pos + n - 1] == '\r' && s->In->data()[s->Pos + n] == '\n') --n;
    memcpy(buffer, s->In->data() + s->Pos, n);
    s->Pos += n;
    *done = static_cast<LONG>(n);
    return 0;
}

DWORD CALLBACK StreamOutProc(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    auto* s = reinterpret_cast<StreamBuffer*>(cookie);
    s->Out->append(reinterpret_cast<const char*>(buffer), static_cast<size_t>(count));
    *done = count;
    return 0;
}

// Controls dropped with their long texts. Destroying one takes a second for
// 5 MB under Wine, so it is done when the thread is next idle, after the new
// text has been painted.
std::vector<HWND> gDropped;
UINT_PTR gDropTimer = 0;

void CALLBACK DestroyDropped(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    gDropTimer = 0;
    std::vector<HWND> windows;
    windows.swap(gDropped);
    for (HWND w : windows)
        if (::IsWindow(w)) ::DestroyWindow(w);
}

void DestroyWhenIdle(HWND window) {
    // Out of sight and out of the way: no id, so GetDlgItem finds the new one.
    ::ShowWindow(window, SW_HIDE);
    ::EnableWindow(window, FALSE);
    ::SetWindowLongPtrA(window, GWLP_ID, 0);
    gDropped.push_back(window);
    if (!gDropTimer) gDropTimer = ::SetTimer(nullptr, 0, 0, &DestroyDropped);
    if (!gDropTimer) DestroyDropped(nullptr, 0, 0, 0);
}

}  // namespace

void TRichEdit::Setup() {
    ::SendMessageA(Handle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageA(Handle, EM_SETEVENTMASK, 0, ENM_CHANGE);
}

void TRichEdit::SetWordWrap(bool wrap) {
    // Without wrapping every line stays one line on the screen.
    FWrapTarget = wrap ? 0 : 1;
    ::SendMessageA(Handle, EM_SETTARGETDEVICE, 0, FWrapTarget);
}

void TRichEdit::SetBackground(COLORREF color) {
    FBackgroundSet = true;
    FBackground = color;
    ::SendMessageA(Handle, EM_SETBKGNDCOLOR, 0, color);
}

bool TRichEdit::DropLongText() { return TextLength() > LongText && Recreate(); }

bool TRichEdit::Recreate() {
    HWND old = Handle;
    HWND parent = ::GetParent(old);
    char className[64] = {};
    ::GetClassNameA(old, className, sizeof className);
    RECT r{};
    ::GetWindowRect(old, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    HWND created = ::CreateWindowExA(
        static_cast<DWORD>(::GetWindowLongPtrA(old, GWL_EXSTYLE)), className, "",
        static_cast<DWORD>(::GetWindowLongPtrA(old, GWL_STYLE)), r.left, r.top, r.right - r.left, r.bottom - r.top,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(::GetDlgCtrlID(old))),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrA(old, GWLP_HINSTANCE)), nullptr);
    if (!created) return false;
    // The old one's place in the tab order.
    const HWND before = ::GetWindow(old, GW_HWNDPREV);
    ::SetWindowPos(created, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (const auto font = ::SendMessageA(old, WM_GETFONT, 0, 0)) ::SendMessageA(created, WM_SETFONT, font, FALSE);
    CHARFORMAT2A format{};
    format.cbSize = sizeof format;
    ::SendMessageA(old, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    ::SendMessageA(created, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    const auto mode = ::SendMessageA(old, EM_GETTEXTMODE, 0, 0);
    if (mode != ::SendMessageA(created, EM_GETTEXTMODE, 0, 0)) ::SendMessageA(created, EM_SETTEXTMODE, mode, 0);
    ::SendMessageA(created, EM_EXLIMITTEXT, 0, ::SendMessageA(old, EM_GETLIMITTEXT, 0, 0));
    ::SendMessageA(created, EM_SETOPTIONS, ECOOP_SET, ::SendMessageA(old, EM_GETOPTIONS, 0, 0));
    ::SendMessageA(created, EM_SETEVENTMASK, 0, ::SendMessageA(old, EM_GETEVENTMASK, 0, 0));
    if (FWrapTarget >= 0) ::SendMessageA(created, EM_SETTARGETDEVICE, 0, FWrapTarget);
    if (FBackgroundSet) ::SendMessageA(created, EM_SETBKGNDCOLOR, 0, FBackground);
    const bool focused = ::GetFocus() == old;
    // The old window leaves without events: it no longer answers to this object.
    ::SetWindowLongPtrA(old, GWLP_USERDATA, 0);
    ::SetWindowLongPtrA(old, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FOldProc));
    FOldProc = nullptr;
    Handle = created;
    if (Owner) Owner->ControlWindowChanged(*this, old);
    if (focused) ::SetFocus(created);
    DestroyWhenIdle(old);
    SetProgramEditsOnly(FProgramEditsOnly);
    Subclass();
    return true;
}

std::string TRichEdit::Text() const {
    std::string out;
    StreamBuffer buf;
    buf.Out = &out;
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&buf);
    es.pfnCallback = StreamOutProc;
    ::SendMessageA(Handle, EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&es));
    return out;
}

void TRichEdit::SetText(const std::string& text) {
    DropLongText();
    StreamBuffer buf;
    buf.In = &text;
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&buf);
    es.pfnCallback = StreamInProc;
    // One change event for the whole text, not one per streamed block.
    const LRESULT mask = ::SendMessageA(Handle, EM_SETEVENTMASK, 0, 0);
    ::SendMessageA(Handle, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&es));
    ::SendMessageA(Handle, EM_SETEVENTMASK, 0, mask);
    if (OnChange) OnChange(this);
}

void TRichEdit::LoadContent(const std::string& content) {
    DropLongText();
    StreamBuffer buf;
    buf.In = &content;
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&buf);
    es.pfnCallback = StreamInProc;
    const WPARAM format = content.compare(0, 5, "{\\rtf") == 0 ? SF_RTF : SF_TEXT;
    ::SendMessageA(Handle, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
}

std::string TRichEdit::RtfText() const {
    std::string out;
    StreamBuffer buf;
    buf.Out = &out;
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&buf);
    es.pfnCallback = StreamOutProc;
    ::SendMessageA(Handle, EM_STREAMOUT, SF_RTF, reinterpret_cast<LPARAM>(&es));
    return out;
}

int TRichEdit::TextLength() const {
    GETTEXTLENGTHEX len{};
    len.flags = GTL_NUMCHARS | GTL_PRECISE;
    len.codepage = CP_ACP;
    return static_cast<int>(::SendMessageA(Handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0));
}

int TRichEdit::LineCount() const {
    if (TextLength() == 0) return 0;
    const int lines = static_cast<int>(::SendMessageA(Handle, EM_GETLINECOUNT, 0, 0));
    // A text that ends with a line break has no further line after it.
    const std::string last = Line(lines - 1);
    const LONG start = static_cast<LONG>(::SendMessageA(Handle, EM_LINEINDEX, static_cast<WPARAM>(lines - 1), 0));
    return (last.empty() && start >= TextLength()) ? lines - 1 : lines;
}

std::string TRichEdit::Line(int index) const {
    const LRESULT start = ::SendMessageA(Handle, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start < 0) return {};
    const LRESULT len = ::SendMessageA(Handle, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    std::string s(static_cast<size_t>(len) + 2, '\0');
    *reinterpret_cast<WORD*>(&s[0]) = static_cast<WORD>(std::min<LRESULT>(len + 1, 0xFFFF));
    const LRESULT got = ::SendMessageA(Handle, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(std::min(got, len)));
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
    return s;
}

bool TRichEdit::Modified() const { return ::SendMessageA(Handle, EM_GETMODIFY, 0, 0) != 0; }

void TRichEdit::SetModified(bool modified) { ::SendMessageA(Handle, EM_SETMODIFY, modified ? TRUE : FALSE, 0); }

bool TRichEdit::ReadOnly() const { return (::GetWindowLongA(Handle, GWL_STYLE) & ES_READONLY) != 0; }

void TRichEdit::SetReadOnly(bool readOnly) { ::SendMessageA(Handle, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0); }

CHARRANGE TRichEdit::Selection() const {
    CHARRANGE r{};
    ::SendMessageA(Handle, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TRichEdit::SetSelection(LONG start, LONG end) {
    CHARRANGE r{start, end};
    ::SendMessageA(Handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

std::string TRichEdit::SelText() const {
    const CHARRANGE r = Selection();
    std::string s(static_cast<size_t>(std::max<LONG>(0, r.cpMax - r.cpMin)) * 2 + 2, '\0');
    const LRESULT n = ::SendMessageA(Handle, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(n));
    return s;
}

void TRichEdit::ReplaceSel(const std::string& text, bool canUndo) {
    if (text.empty() && Selection().cpMin == 0 && Selection().cpMax >= TextLength() && DropLongText()) {
        SetModified(true);
        if (OnChange) OnChange(this);
        return;
    }
    ::SendMessageA(Handle, EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int TRichEdit::VisualLineCount() const { return static_cast<int>(::SendMessageA(Handle, EM_GETLINECOUNT, 0, 0)); }

int TRichEdit::LineIndex(int line) const {
    return static_cast<int>(::SendMessageA(Handle, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

int TRichEdit::FirstVisibleLine() const {
    return static_cast<int>(::SendMessageA(Handle, EM_GETFIRSTVISIBLELINE, 0, 0));
}

void TRichEdit::ScrollLines(int lines) {
    if (lines != 0) ::SendMessageA(Handle, EM_LINESCROLL, 0, lines);
}

void TRichEdit::SetProgramEditsOnly(bool on) {
    FProgramEditsOnly = on;
    if (on) {
        ::SendMessageA(Handle, EM_SETUNDOLIMIT, 0, 0);
        ::RevokeDragDrop(Handle);
    }
}

CHARRANGE TRichEdit::Find(const std::string& text, LONG from, LONG to, bool matchCase, bool wholeWord) const {
    FINDTEXTEXA ft{};
    ft.chrg.cpMin = from;
    ft.chrg.cpMax = to;
    ft.lpstrText = text.c_str();
    WPARAM flags = FR_DOWN;
    if (matchCase) flags |= FR_MATCHCASE;
    if (wholeWord) flags |= FR_WHOLEWORD;
    if (::SendMessageA(Handle, EM_FINDTEXTEX, flags, reinterpret_cast<LPARAM>(&ft)) < 0) return CHARRANGE{-1, -1};
    return ft.chrgText;
}

POINT TRichEdit::CaretPos() const {
    const CHARRANGE r = Selection();
    const LONG line = static_cast<LONG>(::SendMessageA(Handle, EM_EXLINEFROMCHAR, 0, r.cpMin));
    const LONG start = static_cast<LONG>(::SendMessageA(Handle, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    return POINT{r.cpMin - start, line};
}

void TRichEdit::HandleCommand(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange(this);
}

bool TRichEdit::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const UINT shift = KeyboardShiftState();
    if (FProgramEditsOnly) {
        switch (msg) {
            case WM_GETDLGCODE:
                result = ProgramEditDialogCode(lp);
                return true;
            case WM_CONTEXTMENU:
                ShowProgramEditMenu(*this, lp);
                result = 0;
                return true;
            case WM_LBUTTONDOWN:
                if (!(wp & MK_SHIFT) && !ProgramSelects) {
                    // A click inside the selection would start dragging it away:
                    // the selection is dropped first, at the clicked place.
                    POINTL at{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
                    const auto pos = static_cast<LONG>(::SendMessageA(Handle, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
                    CHARRANGE r{pos, pos};
                    ::SendMessageA(Handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
                }
                break;
            default: break;
        }
    }
    if (msg == WM_CHAR && (OnKeyPress || FProgramEditsOnly)) {
        char key = static_cast<char>(wp);
        if (OnKeyPress) OnKeyPress(this, key);
        if (key == 0 || FProgramEditsOnly) {
            result = 0;
            return true;
        }
        if (key != static_cast<char>(wp)) {
            result = ::CallWindowProcA(FOldProc, Handle, msg, static_cast<unsigned char>(key), lp);
            return true;
        }
        return false;
    }
    if (msg == WM_KEYDOWN && OnKeyDown) {
        WORD key = static_cast<WORD>(wp);
        OnKeyDown(this, key, shift);
        if (key == 0) {
            result = 0;
            return true;
        }
    } else if (msg == WM_KEYUP && OnKeyUp) {
        WORD key = static_cast<WORD>(wp);
        OnKeyUp(this, key, shift);
    } else if ((msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) && OnMouseUp) {
        OnMouseUp(this);
    }
    if (FProgramEditsOnly && IsUserEditingMessage(msg, wp)) {
        result = 0;
        return true;
    }
    return RaiseMouseAndFocusEvents(*this, FOldProc, msg, wp, lp,
                                    {OnMouseDown, OnMouseMove, OnMouseRelease, OnMouseWheel, ProgramSelects}, OnEnter,
                                    OnExit, result);
}

}  // namespace classlib
