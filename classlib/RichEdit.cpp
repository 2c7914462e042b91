#include "RichEdit.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "Forms.h"
#include "Seams.h"
#include "Text.h"

namespace classlib {

namespace {

// Text streamed in or out in blocks: bytes of the code page (rich text) or
// UTF-16 units (plain text, exactly as the control holds it).
template <class Char>
struct StreamBuffer {
    const std::basic_string<Char>* In = nullptr;
    std::basic_string<Char>* Out = nullptr;
    size_t Pos = 0;
};

template <class Char>
DWORD CALLBACK StreamInProc(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    auto* s = reinterpret_cast<StreamBuffer<Char>*>(cookie);
    const size_t left = s->In->size() - s->Pos;
    size_t n = std::min(left, static_cast<size_t>(count) / sizeof(Char));
    // The control reads each block on its own: a CR at the end of one and the
    // LF at the start of the next would become two line breaks.
    if (n > 1 && n < left && (*s->In)[s->Pos + n - 1] == Char('\r') && (*s->In)[s->Pos + n] == Char('\n')) --n;
    memcpy(buffer, s->In->data() + s->Pos, n * sizeof(Char));
    s->Pos += n;
    *done = static_cast<LONG>(n * sizeof(Char));
    return 0;
}

template <class Char>
DWORD CALLBACK StreamOutProc(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* done) {
    auto* s = reinterpret_cast<StreamBuffer<Char>*>(cookie);
    s->Out->append(reinterpret_cast<const Char*>(buffer), static_cast<size_t>(count) / sizeof(Char));
    *done = count;
    return 0;
}

template <class Char>
void StreamIn(HWND window, WPARAM format, const std::basic_string<Char>& text) {
    StreamBuffer<Char> buf;
    buf.In = &text;
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&buf);
    es.pfnCallback = StreamInProc<Char>;
    ::SendMessageW(window, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&es));
}

template <class Char>
std::basic_string<Char> StreamOut(HWND window, WPARAM format) {
    std::basic_string<Char> out;
    StreamBuffer<Char> buf;
    buf.Out = &out;
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&buf);
    es.pfnCallback = StreamOutProc<Char>;
    ::SendMessageW(window, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&es));
    return out;
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
    ::SetWindowLongPtrW(window, GWLP_ID, 0);
    gDropped.push_back(window);
    if (!gDropTimer) gDropTimer = ::SetTimer(nullptr, 0, 0, &DestroyDropped);
    if (!gDropTimer) DestroyDropped(nullptr, 0, 0, 0);
}

// The length of the longest line of a text, counting up to limit.
bool HasLineLongerThan(const std::wstring& text, size_t limit) {
    size_t run = 0;
    for (wchar_t c : text) {
        run = (c == L'\r' || c == L'\n') ? 0 : run + 1;
        if (run > limit) return true;
    }
    return false;
}

bool IsWordCharacter(wchar_t c) { return ::IsCharAlphaNumericW(c) != FALSE; }

}  // namespace

size_t IndexOfPosition(const std::wstring& text, LONG position) {
    size_t i = 0;
    for (LONG p = 0; p < position && i < text.size(); ++p)
        i += (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ? 2 : 1;
    return i;
}

LONG PositionOfIndex(const std::wstring& text, size_t index) {
    LONG p = 0;
    for (size_t i = 0; i < index && i < text.size(); ++i)
        if (!(text[i] == L'\n' && i > 0 && text[i - 1] == L'\r')) ++p;
    return p;
}

TRichEdit::~TRichEdit() {
    if (FPlainFont) ::DeleteObject(FPlainFont);
}

void TRichEdit::Setup() {
    ::SendMessageW(Handle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    ::SendMessageW(Handle, EM_SETEVENTMASK, 0, ENM_CHANGE);
}

void TRichEdit::SetWordWrap(bool wrap) {
    // Without wrapping every line stays one line on the screen.
    FWrapTarget = wrap ? 0 : 1;
    if (!FPlain) ::SendMessageW(Handle, EM_SETTARGETDEVICE, 0, FWrapTarget);
}

void TRichEdit::SetBackground(COLORREF color) {
    FBackgroundSet = true;
    FBackground = color;
    if (!FPlain) ::SendMessageW(Handle, EM_SETBKGNDCOLOR, 0, color);
}

bool TRichEdit::DropLongText() { return !FPlain && TextLength() > LongText && Recreate(false); }

bool TRichEdit::WantsPlain(const std::wstring& text) const {
    return FWrapTarget == 1 && text.size() > LongLine && IsNTFamily() && HasLineLongerThan(text, LongLine);
}

void TRichEdit::SaveRichSettings(HWND rich) {
    wchar_t className[64] = {};
    ::GetClassNameW(rich, className, 64);
    FRich.ClassName = className;
    FRich.Style = ::GetWindowLongPtrW(rich, GWL_STYLE);
    FRich.Format = CHARFORMAT2W{};
    FRich.Format.cbSize = sizeof FRich.Format;
    ::SendMessageW(rich, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&FRich.Format));
    FRich.Mode = ::SendMessageW(rich, EM_GETTEXTMODE, 0, 0);
    FRich.Limit = ::SendMessageW(rich, EM_GETLIMITTEXT, 0, 0);
    FRich.Options = ::SendMessageW(rich, EM_GETOPTIONS, 0, 0);
    FRich.EventMask = ::SendMessageW(rich, EM_GETEVENTMASK, 0, 0);
    FRich.Font = static_cast<WPARAM>(::SendMessageW(rich, WM_GETFONT, 0, 0));
    FRich.Saved = true;
}

void TRichEdit::ApplyRichSettings(HWND rich) const {
    if (FRich.Font) ::SendMessageW(rich, WM_SETFONT, FRich.Font, FALSE);
    CHARFORMAT2W format = FRich.Format;
    ::SendMessageW(rich, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    if (FRich.Mode != ::SendMessageW(rich, EM_GETTEXTMODE, 0, 0)) ::SendMessageW(rich, EM_SETTEXTMODE, FRich.Mode, 0);
    ::SendMessageW(rich, EM_EXLIMITTEXT, 0, FRich.Limit);
    ::SendMessageW(rich, EM_SETOPTIONS, ECOOP_SET, FRich.Options);
    ::SendMessageW(rich, EM_SETEVENTMASK, 0, FRich.EventMask);
    if (FWrapTarget >= 0) ::SendMessageW(rich, EM_SETTARGETDEVICE, 0, FWrapTarget);
    if (FBackgroundSet) ::SendMessageW(rich, EM_SETBKGNDCOLOR, 0, FBackground);
}

HFONT TRichEdit::PlainFont() {
    if (FPlainFont) return FPlainFont;
    if (FRich.Font) return reinterpret_cast<HFONT>(FRich.Font);
    // The rich edit's default character format as a font.
    const CHARFORMAT2W& f = FRich.Format;
    LOGFONTW font{};
    HDC dc = ::GetDC(Handle);
    font.lfHeight = -::MulDiv(f.yHeight, ::GetDeviceCaps(dc, LOGPIXELSY), 1440);
    ::ReleaseDC(Handle, dc);
    font.lfWeight = (f.dwMask & CFM_WEIGHT) && f.wWeight ? f.wWeight : ((f.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL);
    font.lfItalic = (f.dwEffects & CFE_ITALIC) ? TRUE : FALSE;
    font.lfCharSet = f.bCharSet;
    font.lfPitchAndFamily = f.bPitchAndFamily;
    lstrcpynW(font.lfFaceName, f.szFaceName, LF_FACESIZE);
    FPlainFont = ::CreateFontIndirectW(&font);
    return FPlainFont;
}

bool TRichEdit::Recreate(bool plain) {
    HWND old = Handle;
    HWND parent = ::GetParent(old);
    if (!FPlain) SaveRichSettings(old);
    const LONG_PTR readOnly = ::GetWindowLongPtrW(old, GWL_STYLE) & ES_READONLY;
    LONG_PTR style = (FRich.Style & ~static_cast<LONG_PTR>(ES_READONLY)) | readOnly;
    // Rich edit styles that mean something else to a plain edit (ES_NUMBER).
    if (plain) style &= ~static_cast<LONG_PTR>(ES_DISABLENOSCROLL | ES_SELECTIONBAR | ES_SAVESEL | ES_SUNKEN | ES_NOOLEDRAGDROP);
    RECT r{};
    ::GetWindowRect(old, &r);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    HWND created = ::CreateWindowExW(
        static_cast<DWORD>(::GetWindowLongPtrW(old, GWL_EXSTYLE)), plain ? L"EDIT" : FRich.ClassName.c_str(), L"",
        static_cast<DWORD>(style), r.left, r.top, r.right - r.left, r.bottom - r.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(::GetDlgCtrlID(old))),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(old, GWLP_HINSTANCE)), nullptr);
    if (!created) return false;
    // The old one's place in the tab order.
    const HWND before = ::GetWindow(old, GW_HWNDPREV);
    ::SetWindowPos(created, before ? before : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (plain) {
        ::SendMessageW(created, EM_SETLIMITTEXT, 0, 0);
        ::SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(PlainFont()), FALSE);
    } else {
        ApplyRichSettings(created);
    }
    const bool focused = ::GetFocus() == old;
    // The old window leaves without events: it no longer answers to this object.
    Unhook();
    Handle = created;
    FPlain = plain;
    if (Owner) Owner->ControlWindowChanged(*this, old);
    if (focused) ::SetFocus(created);
    DestroyWhenIdle(old);
    SetProgramEditsOnly(FProgramEditsOnly);
    Subclass();
    return true;
}

LONG TRichEdit::ToPlain(LONG position) const {
    // The last line that starts at or before the position: every line
    // before it ends with a line break of two characters.
    int low = 0, high = static_cast<int>(::SendMessageW(Handle, EM_GETLINECOUNT, 0, 0)) - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        const auto start = static_cast<LONG>(::SendMessageW(Handle, EM_LINEINDEX, static_cast<WPARAM>(mid), 0));
        if (start >= 0 && start - mid <= position)
            low = mid;
        else
            high = mid - 1;
    }
    const LONG length = static_cast<LONG>(::GetWindowTextLengthW(Handle));
    return std::min(position + low, length);
}

LONG TRichEdit::FromPlain(LONG position) const {
    const auto line = static_cast<LONG>(::SendMessageW(Handle, EM_LINEFROMCHAR, static_cast<WPARAM>(position), 0));
    return position - line;
}

std::string TRichEdit::Text() const { return ToAnsi(WideText()); }

std::wstring TRichEdit::WideText() const {
    if (FPlain) return WindowTextW(Handle);
    return StreamOut<wchar_t>(Handle, SF_TEXT | SF_UNICODE);
}

void TRichEdit::SetText(const std::string& text) { SetWideText(ToWide(text)); }

void TRichEdit::SetWideText(const std::wstring& text) {
    const bool plain = WantsPlain(text);
    if (plain == FPlain || !Recreate(plain)) DropLongText();
    if (FPlain) {
        FSettingText = true;
        ::SetWindowTextW(Handle, text.c_str());
        FSettingText = false;
    } else {
        // One change event for the whole text, not one per streamed block.
        const LRESULT mask = ::SendMessageW(Handle, EM_SETEVENTMASK, 0, 0);
        StreamIn(Handle, SF_TEXT | SF_UNICODE, text);
        ::SendMessageW(Handle, EM_SETEVENTMASK, 0, mask);
    }
    if (OnChange) OnChange(this);
}

void TRichEdit::LoadContent(const std::string& content) {
    if (!FPlain || !Recreate(false)) DropLongText();
    if (FPlain) {
        SetText(content);
        return;
    }
    if (content.compare(0, 5, "{\\rtf") == 0)
        StreamIn(Handle, SF_RTF, content);
    else
        StreamIn(Handle, SF_TEXT | SF_UNICODE, ToWide(content));
}

std::string TRichEdit::RtfText() const { return FPlain ? Text() : StreamOut<char>(Handle, SF_RTF); }

int TRichEdit::TextLength() const {
    if (FPlain) {
        // Every line but the last ends with a line break of two characters.
        const auto lines = static_cast<int>(::SendMessageW(Handle, EM_GETLINECOUNT, 0, 0));
        return ::GetWindowTextLengthW(Handle) - std::max(0, lines - 1);
    }
    GETTEXTLENGTHEX len{};
    len.flags = GTL_NUMCHARS | GTL_PRECISE;
    len.codepage = 1200;  // UTF-16
    return static_cast<int>(::SendMessageW(Handle, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&len), 0));
}

int TRichEdit::LineCount() const {
    if (TextLength() == 0) return 0;
    const int lines = static_cast<int>(::SendMessageW(Handle, EM_GETLINECOUNT, 0, 0));
    // A text that ends with a line break has no further line after it.
    const std::wstring last = WideLine(lines - 1);
    return (last.empty() && LineIndex(lines - 1) >= TextLength()) ? lines - 1 : lines;
}

std::string TRichEdit::Line(int index) const { return ToAnsi(WideLine(index)); }

std::wstring TRichEdit::WideLine(int index) const {
    const LRESULT start = ::SendMessageW(Handle, EM_LINEINDEX, static_cast<WPARAM>(index), 0);
    if (start < 0) return {};
    const LRESULT len = ::SendMessageW(Handle, EM_LINELENGTH, static_cast<WPARAM>(start), 0);
    // The first unit of the buffer tells the control its size.
    std::wstring s(static_cast<size_t>(std::max<LRESULT>(len, 1)) + 2, L'\0');
    s[0] = static_cast<wchar_t>(std::min<LRESULT>(len + 1, 0xFFFF));
    const LRESULT got = ::SendMessageW(Handle, EM_GETLINE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, std::min(got, len))));
    while (!s.empty() && (s.back() == L'\r' || s.back() == L'\n')) s.pop_back();
    return s;
}

bool TRichEdit::Modified() const { return ::SendMessageW(Handle, EM_GETMODIFY, 0, 0) != 0; }

void TRichEdit::SetModified(bool modified) { ::SendMessageW(Handle, EM_SETMODIFY, modified ? TRUE : FALSE, 0); }

bool TRichEdit::ReadOnly() const { return (::GetWindowLongW(Handle, GWL_STYLE) & ES_READONLY) != 0; }

void TRichEdit::SetReadOnly(bool readOnly) { ::SendMessageW(Handle, EM_SETREADONLY, readOnly ? TRUE : FALSE, 0); }

CHARRANGE TRichEdit::Selection() const {
    CHARRANGE r{};
    if (FPlain) {
        DWORD start = 0, end = 0;
        ::SendMessageW(Handle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        r.cpMin = FromPlain(static_cast<LONG>(start));
        r.cpMax = end == start ? r.cpMin : FromPlain(static_cast<LONG>(end));
        return r;
    }
    ::SendMessageW(Handle, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

void TRichEdit::SetSelection(LONG start, LONG end) {
    if (FPlain) {
        const LONG from = start < 0 ? -1 : ToPlain(start);
        const LONG to = end < 0 ? -1 : end == start ? from : ToPlain(end);
        ::SendMessageW(Handle, EM_SETSEL, static_cast<WPARAM>(from), to);
        // As the rich edit does: the caret comes into sight.
        ::SendMessageW(Handle, EM_SCROLLCARET, 0, 0);
        return;
    }
    CHARRANGE r{start, end};
    ::SendMessageW(Handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

std::string TRichEdit::SelText() const { return ToAnsi(WideSelText()); }

std::wstring TRichEdit::WideSelText() const {
    if (FPlain) {
        DWORD start = 0, end = 0;
        ::SendMessageW(Handle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        const std::wstring text = WideText();
        return start < end && start < text.size() ? text.substr(start, end - start) : std::wstring();
    }
    const CHARRANGE r = Selection();
    // A line break may come out as two units.
    std::wstring s(static_cast<size_t>(std::max<LONG>(0, r.cpMax - r.cpMin)) * 2 + 2, L'\0');
    const LRESULT n = ::SendMessageW(Handle, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(std::max<LRESULT>(0, n)));
    return s;
}

void TRichEdit::ReplaceSel(const std::string& text, bool canUndo) { ReplaceSel(ToWide(text), canUndo); }

void TRichEdit::ReplaceSel(const std::wstring& text, bool canUndo) {
    if (text.empty() && Selection().cpMin == 0 && Selection().cpMax >= TextLength() && DropLongText()) {
        SetModified(true);
        if (OnChange) OnChange(this);
        return;
    }
    ::SendMessageW(Handle, EM_REPLACESEL, canUndo ? TRUE : FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int TRichEdit::VisualLineCount() const { return static_cast<int>(::SendMessageW(Handle, EM_GETLINECOUNT, 0, 0)); }

int TRichEdit::LineIndex(int line) const {
    const auto index = static_cast<int>(::SendMessageW(Handle, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    if (!FPlain || index < 0) return index;
    return index - (line < 0 ? static_cast<int>(::SendMessageW(Handle, EM_LINEFROMCHAR, static_cast<WPARAM>(index), 0))
                             : line);
}

int TRichEdit::FirstVisibleLine() const {
    return static_cast<int>(::SendMessageW(Handle, EM_GETFIRSTVISIBLELINE, 0, 0));
}

void TRichEdit::ScrollLines(int lines) {
    if (lines != 0) ::SendMessageW(Handle, EM_LINESCROLL, 0, lines);
}

void TRichEdit::SetProgramEditsOnly(bool on) {
    FProgramEditsOnly = on;
    if (on) {
        ::SendMessageW(Handle, EM_SETUNDOLIMIT, 0, 0);
        ::RevokeDragDrop(Handle);
    }
}

CHARRANGE TRichEdit::Find(const std::string& text, LONG from, LONG to, bool matchCase, bool wholeWord) const {
    return Find(ToWide(text), from, to, matchCase, wholeWord);
}

CHARRANGE TRichEdit::Find(const std::wstring& text, LONG from, LONG to, bool matchCase, bool wholeWord) const {
    if (FPlain) {
        // The rich edit's search: forward, case folded as CharUpper does,
        // a whole word bounded by what is not a letter or a digit.
        if (text.empty()) return CHARRANGE{-1, -1};
        std::wstring all = WideText(), needle = text;
        const size_t end = to < 0 ? all.size() : IndexOfPosition(all, to);
        if (!matchCase) {
            if (!all.empty()) ::CharUpperBuffW(&all[0], static_cast<DWORD>(all.size()));
            ::CharUpperBuffW(&needle[0], static_cast<DWORD>(needle.size()));
        }
        for (size_t at = all.find(needle, IndexOfPosition(all, std::max<LONG>(from, 0)));
             at != std::wstring::npos && at + needle.size() <= end; at = all.find(needle, at + 1)) {
            if (wholeWord && ((at > 0 && IsWordCharacter(all[at - 1])) ||
                              (at + needle.size() < all.size() && IsWordCharacter(all[at + needle.size()]))))
                continue;
            const LONG start = PositionOfIndex(all, at);
            return CHARRANGE{start, start + PositionOfIndex(all.substr(at, needle.size()), needle.size())};
        }
        return CHARRANGE{-1, -1};
    }
    FINDTEXTEXW ft{};
    ft.chrg.cpMin = from;
    ft.chrg.cpMax = to;
    ft.lpstrText = text.c_str();
    WPARAM flags = FR_DOWN;
    if (matchCase) flags |= FR_MATCHCASE;
    if (wholeWord) flags |= FR_WHOLEWORD;
    if (::SendMessageW(Handle, EM_FINDTEXTEXW, flags, reinterpret_cast<LPARAM>(&ft)) < 0) return CHARRANGE{-1, -1};
    return ft.chrgText;
}

POINT TRichEdit::CaretPos() const {
    if (FPlain) {
        DWORD start = 0;
        ::SendMessageW(Handle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        const auto line = static_cast<LONG>(::SendMessageW(Handle, EM_LINEFROMCHAR, start, 0));
        const auto first = static_cast<LONG>(::SendMessageW(Handle, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
        return POINT{static_cast<LONG>(start) - first, line};
    }
    const CHARRANGE r = Selection();
    const LONG line = static_cast<LONG>(::SendMessageW(Handle, EM_EXLINEFROMCHAR, 0, r.cpMin));
    const LONG start = static_cast<LONG>(::SendMessageW(Handle, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
    return POINT{r.cpMin - start, line};
}

void TRichEdit::PasteText() {
    if (FPlain)
        ::SendMessageW(Handle, WM_PASTE, 0, 0);
    else
        ::SendMessageW(Handle, EM_PASTESPECIAL, CF_TEXT, 0);
}

void TRichEdit::HandleCommand(WORD code) {
    if (code == EN_CHANGE && OnChange && !FSettingText) OnChange(this);
}

bool TRichEdit::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    const UINT shift = KeyboardShiftState();
    if (FPlain && !FProgramEditsOnly && msg == WM_GETDLGCODE) {
        // The dialog would select the whole text whenever the plain edit
        // gets the focus, and the next key typed would replace it: the
        // caret stays where it was, as in the rich edit.
        result = CallOldProc(msg, wp, lp) & ~static_cast<LRESULT>(DLGC_HASSETSEL);
        return true;
    }
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
                    const int pos = CharFromPos(Handle, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
                    if (FPlain) {
                        ::SendMessageW(Handle, EM_SETSEL, static_cast<WPARAM>(pos), pos);
                    } else {
                        CHARRANGE r{pos, pos};
                        ::SendMessageW(Handle, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
                    }
                }
                break;
            default: break;
        }
    }
    if (msg == WM_CHAR && FProgramEditsOnly) {
        auto key = static_cast<wchar_t>(wp);
        if (OnKeyPress) OnKeyPress(this, key);
        result = 0;
        return true;  // never typed by the control itself
    }
    if (msg == WM_CHAR && OnKeyPress) return RaiseKeyPress(OnKeyPress, wp, lp, result);
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
