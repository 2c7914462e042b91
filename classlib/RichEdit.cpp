#include "RichEdit.h"

#include <algorithm>
#include <cstring>

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
    const size_t n = std::min(left, static_cast<size_t>(count));
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

}  // namespace

void TRichEdit::Setup() {
    ::SendMessageA(Handle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageA(Handle, EM_SETEVENTMASK, 0, ENM_CHANGE);
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
    StreamBuffer buf;
    buf.In = &text;
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&buf);
    es.pfnCallback = StreamInProc;
    ::SendMessageA(Handle, EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&es));
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

void TRichEdit::ReplaceSel(const std::string& text) {
    ::SendMessageA(Handle, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
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

bool TRichEdit::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM, LRESULT&) {
    const UINT shift = (::GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) | (::GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0);
    if (msg == WM_KEYDOWN && OnKeyDown) {
        WORD key = static_cast<WORD>(wp);
        OnKeyDown(this, key, shift);
    } else if (msg == WM_KEYUP && OnKeyUp) {
        WORD key = static_cast<WORD>(wp);
        OnKeyUp(this, key, shift);
    } else if ((msg == WM_LBUTTONUP || msg == WM_RBUTTONUP) && OnMouseUp) {
        OnMouseUp(this);
    }
    return false;
}

}  // namespace classlib
