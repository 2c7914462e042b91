#include "StdCtrls.h"

#include <richedit.h>

#include <algorithm>

#include "Forms.h"
#include "Menus.h"
#include "Registry.h"

namespace classlib {

bool IsUserEditingMessage(UINT msg, WPARAM wp) {
    switch (msg) {
        case WM_PASTE:
        case WM_CUT:
        case WM_CLEAR:
        case WM_UNDO:
        case EM_UNDO:
        case EM_REDO:
        case EM_PASTESPECIAL:
        case WM_IME_STARTCOMPOSITION:
        case WM_IME_COMPOSITION:
        case WM_IME_ENDCOMPOSITION:
        case WM_IME_CHAR:
        case WM_DROPFILES:
            return true;
        case WM_KEYDOWN:
            switch (wp) {
                case VK_BACK:
                case VK_DELETE:
                case VK_INSERT:
                case VK_RETURN:
                    return true;
                default: break;
            }
            if (::GetKeyState(VK_CONTROL) < 0) {
                // With Ctrl only moving, selecting all and copying leave the text alone.
                switch (wp) {
                    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
                    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
                    case VK_SHIFT: case VK_CONTROL: case 'A': case 'C':
                        return false;
                    default:
                        return true;
                }
            }
            return false;
        case WM_SYSKEYDOWN:
            return wp == VK_BACK;  // Alt+Backspace undoes
        default:
            return false;
    }
}

HFONT CreateTextFont(const char* face, int height, BYTE pitchAndFamily, int weight, bool underline) {
    LOGFONTA lf{};
    lf.lfHeight = height;
    lf.lfWeight = weight;
    lf.lfUnderline = underline ? TRUE : FALSE;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = pitchAndFamily;
    ::lstrcpynA(lf.lfFaceName, face, LF_FACESIZE);
    return ::CreateFontIndirectA(&lf);
}

// ---- Labels --------------------------------------------------------------------

void TLabel::HandleCommand(WORD code) {
    if (code != STN_CLICKED) return;
    if (OnClick) OnClick(this);
    if (FocusControl) FocusControl->SetFocus();
}

bool TLabel::HandleWindowMessage(UINT msg, WPARAM, LPARAM lp, LRESULT& result) {
    if (msg != WM_SETCURSOR || !Cursor || LOWORD(lp) != HTCLIENT) return false;
    ::SetCursor(Cursor);
    result = TRUE;
    return true;
}

HCURSOR HandPointCursor() {
    // IDC_HAND: Windows 98 and 2000 on; the headers may leave it out for older targets.
    HCURSOR hand = ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));
    return hand ? hand : ::LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
}

INT_PTR PaintStatic(HDC dc, COLORREF text, COLORREF background) {
    static std::map<COLORREF, std::unique_ptr<TGdiObject>> brushes;
    if (text != CLR_INVALID) ::SetTextColor(dc, text);
    if (background == CLR_INVALID) {
        ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(::GetSysColorBrush(COLOR_BTNFACE));
    }
    ::SetBkColor(dc, background);
    auto& brush = brushes[background];
    if (!brush) brush = std::make_unique<TGdiObject>(::CreateSolidBrush(background));
    return reinterpret_cast<INT_PTR>(brush->Get());
}

// ---- List box ----------------------------------------------------------------------

void TListBox::SetItems(std::vector<std::string> rows) {
    if (::GetWindowLongA(Handle, GWL_STYLE) & LBS_SORT) {
        // Sorted once here and put in place row by row: the control's own
        // sorting would look for each row's place among all before it.
        std::vector<std::pair<std::wstring, size_t>> keys;
        keys.reserve(rows.size());
        for (size_t i = 0; i < rows.size(); ++i) keys.emplace_back(ToWide(rows[i]), i);
        std::stable_sort(keys.begin(), keys.end(), [](const auto& a, const auto& b) {
            return ::lstrcmpiW(a.first.c_str(), b.first.c_str()) < 0;
        });
        std::vector<std::string> sorted;
        sorted.reserve(rows.size());
        for (const auto& k : keys) sorted.push_back(std::move(rows[k.second]));
        rows.swap(sorted);
    }
    size_t bytes = 0;
    for (const std::string& r : rows) bytes += r.size() + 1;
    ::SendMessageA(Handle, WM_SETREDRAW, FALSE, 0);
    ::SendMessageA(Handle, LB_RESETCONTENT, 0, 0);
    ::SendMessageA(Handle, LB_INITSTORAGE, rows.size(), static_cast<LPARAM>(bytes));
    for (const std::string& r : rows) ::SendMessageA(Handle, LB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(r.c_str()));
    ::SendMessageA(Handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(Handle, nullptr, TRUE);
    FRows = std::move(rows);
}

bool TListBox::Selected(int index) const { return ::SendMessageA(Handle, LB_GETSEL, static_cast<WPARAM>(index), 0) > 0; }

void TListBox::SetSelected(int index, bool selected) {
    ::SendMessageA(Handle, LB_SETSEL, selected, static_cast<LPARAM>(index));
}

std::vector<int> TListBox::SelectedIndexes() const {
    const LRESULT n = ::SendMessageA(Handle, LB_GETSELCOUNT, 0, 0);
    if (n <= 0) return {};
    std::vector<int> indexes(static_cast<size_t>(n));
    const LRESULT got = ::SendMessageA(Handle, LB_GETSELITEMS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(indexes.data()));
    indexes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    std::sort(indexes.begin(), indexes.end());
    return indexes;
}

void TListBox::DeleteRows(const std::vector<int>& indexes) {
    if (indexes.empty()) return;
    if (indexes.size() == FRows.size()) {
        Clear();
        return;
    }
    ::SendMessageA(Handle, WM_SETREDRAW, FALSE, 0);
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        ::SendMessageA(Handle, LB_DELETESTRING, static_cast<WPARAM>(*it), 0);
        FRows.erase(FRows.begin() + *it);
    }
    ::SendMessageA(Handle, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(Handle, nullptr, TRUE);
}

// ---- Buttons with glyphs ------------------------------------------------------------

void TBitBtn::SetGlyph(TImageList& images, int index) {
    FImages = &images;
    FIndex = index;
    const LONG_PTR style = ::GetWindowLongPtrA(Handle, GWL_STYLE);
    ::SetWindowLongPtrA(Handle, GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
    ::InvalidateRect(Handle, nullptr, TRUE);
}

void TBitBtn::Draw(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT r = item.rcItem;
    const bool pushed = (item.itemState & ODS_SELECTED) != 0, focused = (item.itemState & ODS_FOCUS) != 0,
               disabled = (item.itemState & ODS_DISABLED) != 0;
    // The default button of its form wears the dark frame, unless another button has the focus.
    HWND focus = ::GetFocus();
    char cls[16] = {};
    if (focus) ::GetClassNameA(focus, cls, sizeof cls);
    const bool otherButton = focus && focus != Handle && ::lstrcmpiA(cls, "Button") == 0;
    if (focused || (Owner && Owner->DefaultButton == this && !otherButton)) {
        ::FrameRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        ::InflateRect(&r, -1, -1);
    }
    ::DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));

    const std::string text = Caption();
    TSelectObject font(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(Handle, WM_GETFONT, 0, 0)));
    RECT measure{0, 0, 0, 0};
    ::DrawTextA(dc, text.c_str(), -1, &measure, DT_SINGLELINE | DT_CALCRECT);
    const bool glyph = FImages && FIndex >= 0 && FIndex < FImages->Count();
    const int glyphW = glyph ? 16 + (text.empty() ? 0 : 4) : 0;
    const int contentW = glyphW + (measure.right - measure.left);
    const int shift = pushed ? 1 : 0;
    int x = r.left + ((r.right - r.left) - contentW) / 2 + shift;
    if (glyph) {
        const int y = r.top + ((r.bottom - r.top) - 16) / 2 + shift;
        ImageList_DrawEx(FImages->Handle, FIndex, dc, x, y, 16, 16, CLR_NONE, CLR_NONE,
                         disabled ? ILD_BLEND50 : ILD_TRANSPARENT);
        x += glyphW;
    }
    RECT textRect{x, r.top + shift, x + (measure.right - measure.left), r.bottom + shift};
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
    ::DrawTextA(dc, text.c_str(), -1, &textRect, DT_SINGLELINE | DT_VCENTER);
    if (focused) {
        RECT f = r;
        ::InflateRect(&f, -3, -3);
        ::DrawFocusRect(dc, &f);
    }
}

bool DrawOwnerButton(LPARAM lp) {
    const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
    if (!item || item->CtlType != ODT_BUTTON) return false;
    // The subclassed controls keep their object in the user-data slot.
    auto* control = reinterpret_cast<TControl*>(::GetWindowLongPtrA(item->hwndItem, GWLP_USERDATA));
    auto* button = dynamic_cast<TBitBtn*>(control);
    if (!button) return false;
    button->Draw(*item);
    return true;
}

// ---- Shared by the edit controls -------------------------------------------------

bool RaiseMouseAndFocusEvents(TControl& control, WNDPROC original, UINT msg, WPARAM wp, LPARAM lp,
                              const TMouseEvents& mouse, const TNotifyEvent& enter, const TNotifyEvent& exit,
                              LRESULT& result) {
    const TNotifyEvent* focusEvent = nullptr;
    const TMouseEvent* buttonEvent = nullptr;
    TMouseButton button = TMouseButton::mbLeft;
    bool mouseMessage = true;
    switch (msg) {
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK: buttonEvent = &mouse.Down; button = TMouseButton::mbLeft; break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK: buttonEvent = &mouse.Down; button = TMouseButton::mbRight; break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK: buttonEvent = &mouse.Down; button = TMouseButton::mbMiddle; break;
        case WM_LBUTTONUP: buttonEvent = &mouse.Up; button = TMouseButton::mbLeft; break;
        case WM_RBUTTONUP: buttonEvent = &mouse.Up; button = TMouseButton::mbRight; break;
        case WM_MBUTTONUP: buttonEvent = &mouse.Up; button = TMouseButton::mbMiddle; break;
        case WM_MOUSEMOVE: break;
        case WM_MOUSEWHEEL:
            if (!mouse.Wheel) return false;
            mouse.Wheel(&control, static_cast<short>(HIWORD(wp)));
            result = 0;
            return true;
        case WM_SETFOCUS: focusEvent = &enter; mouseMessage = false; break;
        case WM_KILLFOCUS: focusEvent = &exit; mouseMessage = false; break;
        default: return false;
    }
    const bool pass = !(mouseMessage && mouse.ProgramSelects);
    const bool hasEvent = buttonEvent ? static_cast<bool>(*buttonEvent)
                                      : focusEvent ? static_cast<bool>(*focusEvent) : static_cast<bool>(mouse.Move);
    if (pass && !hasEvent) return false;
    HWND hwnd = control.Handle;
    result = 0;
    if (pass) result = original ? ::CallWindowProcW(original, hwnd, msg, wp, lp) : ::DefWindowProcW(hwnd, msg, wp, lp);
    const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
    const UINT shift = static_cast<UINT>(wp) & (MK_SHIFT | MK_CONTROL);
    if (hasEvent && ::IsWindow(hwnd)) {
        if (buttonEvent)
            (*buttonEvent)(&control, button, shift, x, y);
        else if (focusEvent)
            (*focusEvent)(&control);
        else
            mouse.Move(&control, shift, x, y);
    }
    // The control's own procedure, which asks for the context menu when the
    // right button comes up, never saw the click: ask for it here.
    if (!pass && msg == WM_RBUTTONUP && ::IsWindow(hwnd)) {
        POINT at{x, y};
        ::ClientToScreen(hwnd, &at);
        ::SendMessageA(hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hwnd), MAKELPARAM(at.x, at.y));
    }
    return true;
}

int CharFromPos(HWND edit, int x, int y) {
    wchar_t cls[32] = {};
    ::GetClassNameW(edit, cls, 32);
    if (::lstrcmpiW(cls, L"Edit") == 0)
        return LOWORD(::SendMessageA(edit, EM_CHARFROMPOS, 0, MAKELPARAM(std::max(x, 0), std::max(y, 0))));
    POINTL at{x, y};
    return static_cast<int>(::SendMessageA(edit, EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&at)));
}

LRESULT ProgramEditDialogCode(LPARAM lp) {
    // Tab and Esc belong to the dialog; Enter stays here (and does nothing).
    LRESULT code = DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_HASSETSEL;
    const auto* m = reinterpret_cast<const MSG*>(lp);
    if (m && m->message == WM_KEYDOWN && m->wParam == VK_RETURN) code |= DLGC_WANTMESSAGE;
    return code;
}

void ShowProgramEditMenu(TControl& control, LPARAM lp) {
    if (!control.PopupMenu) return;
    int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
    if (x == -1 && y == -1) {
        RECT r{};
        ::GetWindowRect(control.Handle, &r);
        x = r.left + 10;
        y = r.top + 10;
    }
    control.PopupMenu->Popup(x, y);
}

// ---- Memo --------------------------------------------------------------------------

void TMemo::RemoveLimit() { ::SendMessageA(Handle, EM_SETLIMITTEXT, 0, 0); }

CHARRANGE TMemo::Selection() const {
    DWORD start = 0, end = 0;
    ::SendMessageA(Handle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return CHARRANGE{static_cast<LONG>(start), static_cast<LONG>(end)};
}

void TMemo::SetSelection(LONG start, LONG end) { ::SendMessageA(Handle, EM_SETSEL, start, end); }

void TMemo::ReplaceSel(const std::string& text) {
    ::SendMessageA(Handle, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int TMemo::TextLength() const { return static_cast<int>(::SendMessageA(Handle, WM_GETTEXTLENGTH, 0, 0)); }

int TMemo::LineCount() const { return static_cast<int>(::SendMessageA(Handle, EM_GETLINECOUNT, 0, 0)); }

int TMemo::LineIndex(int line) const {
    return static_cast<int>(::SendMessageA(Handle, EM_LINEINDEX, static_cast<WPARAM>(line), 0));
}

int TMemo::FirstVisibleLine() const { return static_cast<int>(::SendMessageA(Handle, EM_GETFIRSTVISIBLELINE, 0, 0)); }

void TMemo::ScrollLines(int lines) {
    if (lines != 0) ::SendMessageA(Handle, EM_LINESCROLL, 0, lines);
}

bool TMemo::Modified() const { return ::SendMessageA(Handle, EM_GETMODIFY, 0, 0) != 0; }

void TMemo::SetModified(bool modified) { ::SendMessageA(Handle, EM_SETMODIFY, modified ? TRUE : FALSE, 0); }

bool TMemo::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (ProgramEditsOnly) {
        switch (msg) {
            case WM_GETDLGCODE:
                result = ProgramEditDialogCode(lp);
                return true;
            case WM_CONTEXTMENU:
                ShowProgramEditMenu(*this, lp);
                result = 0;
                return true;
            case WM_CHAR: {
                auto key = static_cast<wchar_t>(wp);
                if (OnKeyPress) OnKeyPress(this, key);
                result = 0;
                return true;  // never typed by the control itself
            }
            default: break;
        }
    }
    if (msg == WM_CHAR || msg == WM_KEYDOWN) {
        if (TEdit::HandleWindowMessage(msg, wp, lp, result)) return true;
        if (ProgramEditsOnly && IsUserEditingMessage(msg, wp)) {
            result = 0;
            return true;
        }
        return false;
    }
    if (ProgramEditsOnly && IsUserEditingMessage(msg, wp)) {
        result = 0;
        return true;
    }
    if (msg == WM_KEYUP && OnKeyUp) {
        WORD key = static_cast<WORD>(wp);
        OnKeyUp(this, key, KeyboardShiftState());
        return false;
    }
    return RaiseMouseAndFocusEvents(*this, FOldProc, msg, wp, lp,
                                    {OnMouseDown, OnMouseMove, OnMouseUp, OnMouseWheel, ProgramSelects}, OnEnter, OnExit,
                                    result);
}

// ---- Scroll bar ----------------------------------------------------------------------

int TScrollBar::Position() const { return ::GetScrollPos(Handle, SB_CTL); }

void TScrollBar::SetPosition(int position) {
    ::SetScrollPos(Handle, SB_CTL, std::clamp(position, 0, FMax), TRUE);
}

void TScrollBar::SetMax(int max) {
    FMax = std::max(max, 0);
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE;
    si.nMin = 0;
    si.nMax = FMax > 0 ? FMax + PageSize - 1 : 0;
    si.nPage = FMax > 0 ? static_cast<UINT>(PageSize) : 0;
    ::SetScrollInfo(Handle, SB_CTL, &si, TRUE);
    if (Position() > FMax) SetPosition(FMax);
}

void TScrollBar::Scroll(WORD code) {
    int pos = Position();
    switch (code) {
        case SB_LINEUP: --pos; break;
        case SB_LINEDOWN: ++pos; break;
        case SB_PAGEUP: pos -= std::max(PageSize - 1, 1); break;
        case SB_PAGEDOWN: pos += std::max(PageSize - 1, 1); break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = FMax; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: {
            SCROLLINFO si{};
            si.cbSize = sizeof si;
            si.fMask = SIF_TRACKPOS;
            ::GetScrollInfo(Handle, SB_CTL, &si);
            pos = si.nTrackPos;
            break;
        }
        default: break;  // the end of a scroll action: the columns follow the bar once more
    }
    SetPosition(pos);
    if (OnScroll) OnScroll(this);
}

bool TScrollBar::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    static const TMouseEvent noButton;
    static const TMouseMoveEvent noMove;
    static const TMouseWheelEvent noWheel;
    return RaiseMouseAndFocusEvents(*this, FOldProc, msg, wp, lp, {noButton, noMove, noButton, noWheel, false}, OnEnter,
                                    OnExit, result);
}

// ---- Radio group ----------------------------------------------------------------------

void TRadioGroup::SetItems(const std::vector<std::string>& items) {
    for (HWND h : FItems) ::DestroyWindow(h);
    FItems.clear();
    FIndex = -1;
    ::SetWindowLongPtrA(Handle, GWL_EXSTYLE, ::GetWindowLongPtrA(Handle, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    const auto font = static_cast<WPARAM>(::SendMessageA(Handle, WM_GETFONT, 0, 0));
    for (size_t i = 0; i < items.size(); ++i) {
        const DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
        HWND item = ::CreateWindowExA(0, "BUTTON", items[i].c_str(), style, 0, 0, 10, 10, Handle,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)),
                                      Application().Instance, nullptr);
        ::SendMessageA(item, WM_SETFONT, font, FALSE);
        FItems.push_back(item);
    }
    PlaceItems();
}

void TRadioGroup::PlaceItems() {
    if (FItems.empty()) return;
    RECT r{};
    ::GetClientRect(Handle, &r);
    TEXTMETRICA tm{};
    ::GetTextMetricsA(TWindowDC(Handle).Get(), &tm);
    const int columns = std::max(Columns, 1);
    const int rows = (static_cast<int>(FItems.size()) + columns - 1) / columns;
    const int top = tm.tmHeight + 2, left = 8, bottom = r.bottom - 4;
    const int width = (r.right - left - 4) / columns;
    const int height = std::max<int>((bottom - top) / rows, tm.tmHeight + 4);
    for (size_t i = 0; i < FItems.size(); ++i) {
        const int col = static_cast<int>(i) / rows, row = static_cast<int>(i) % rows;
        const int y = top + row * height + (height - (tm.tmHeight + 4)) / 2;
        ::SetWindowPos(FItems[i], nullptr, left + col * width, y, width - 4, tm.tmHeight + 4,
                       SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

std::string TRadioGroup::ItemCaption(int index) const {
    if (index < 0 || index >= ItemCount()) return {};
    char buf[256] = {};
    ::GetWindowTextA(FItems[static_cast<size_t>(index)], buf, sizeof buf);
    return buf;
}

void TRadioGroup::SetItemCaption(int index, const std::string& caption) {
    if (index >= 0 && index < ItemCount()) ::SetWindowTextA(FItems[static_cast<size_t>(index)], caption.c_str());
}

int TRadioGroup::ItemIndex() const {
    for (int i = 0; i < ItemCount(); ++i)
        if (::SendMessageA(FItems[static_cast<size_t>(i)], BM_GETCHECK, 0, 0) == BST_CHECKED) return i;
    return -1;
}

void TRadioGroup::SetItemIndex(int index) {
    FIndex = index;
    for (int i = 0; i < ItemCount(); ++i)
        ::SendMessageA(FItems[static_cast<size_t>(i)], BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TRadioGroup::ClickItem(int index) {
    if (index == FIndex) return;
    SetItemIndex(index);
    if (OnClick) OnClick(this);
}

bool TRadioGroup::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        const auto it = std::find(FItems.begin(), FItems.end(), reinterpret_cast<HWND>(lp));
        // Clicking the item that is already chosen changes nothing.
        const int index = it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
        if (index >= 0 && index != FIndex) {
            FIndex = index;
            if (OnClick) OnClick(this);
        }
        result = 0;
        return true;
    }
    if (msg == WM_SIZE) PlaceItems();
    return false;
}

// ---- Tab strip --------------------------------------------------------------------------

void TTabControl::SetTabs(const std::vector<std::string>& tabs) {
    TabCtrl_DeleteAllItems(Handle);
    for (size_t i = 0; i < tabs.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(tabs[i].c_str());
        ::SendMessageA(Handle, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
}

int TTabControl::TabCount() const { return TabCtrl_GetItemCount(Handle); }

std::string TTabControl::TabCaption(int index) const {
    char buf[256] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    ::SendMessageA(Handle, TCM_GETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return buf;
}

void TTabControl::SetTabCaption(int index, const std::string& caption) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<char*>(caption.c_str());
    ::SendMessageA(Handle, TCM_SETITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int TTabControl::TabIndex() const { return TabCtrl_GetCurSel(Handle); }

void TTabControl::SetTabIndex(int index) { TabCtrl_SetCurSel(Handle, index); }

LRESULT TTabControl::HandleNotify(NMHDR* hdr, bool& handled) {
    handled = hdr->code == TCN_SELCHANGE;
    if (handled && OnChange) OnChange(this);
    return 0;
}

// ---- Notebook ------------------------------------------------------------------------------

void TNotebook::SetPageIndex(int index) {
    if (index < 0 || index >= static_cast<int>(Pages.size())) return;
    FPageIndex = index;
    for (size_t i = 0; i < Pages.size(); ++i) Pages[i]->SetVisible(static_cast<int>(i) == index);
    Realign();
}

// ---- Timer -----------------------------------------------------------------------------------

std::map<UINT_PTR, TTimer*>& TTimer::Timers() {
    static std::map<UINT_PTR, TTimer*> timers;
    return timers;
}

TTimer::~TTimer() { SetEnabled(false); }

void TTimer::SetEnabled(bool enabled) {
    if (enabled == Enabled()) return;
    if (enabled) {
        FId = ::SetTimer(nullptr, 0, Interval, &TTimer::TimerProc);
        if (FId) Timers()[FId] = this;
    } else {
        ::KillTimer(nullptr, FId);
        Timers().erase(FId);
        FId = 0;
    }
}

void CALLBACK TTimer::TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
    const auto it = Timers().find(id);
    if (it == Timers().end()) return;
    TTimer* timer = it->second;
    if (timer->OnTimer) Guarded([timer] { timer->OnTimer(timer); });
}

// ---- Check box -------------------------------------------------------------------

bool TCheckBox::Checked() const { return Handle && ::SendMessageA(Handle, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    ::SendMessageA(Handle, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TCheckBox::Click() {
    if (!Enabled()) return;
    SetChecked(!Checked());
    if (OnClick) OnClick(this);
}

void TCheckBox::HandleCommand(WORD code) {
    if (code == BN_CLICKED && OnClick) OnClick(this);
}

bool TCheckBox::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    if (msg != WM_KEYDOWN || !OnKeyDown) return false;
    WORD key = static_cast<WORD>(wp);
    OnKeyDown(this, key, KeyboardShiftState());
    if (key != 0) return false;
    result = 0;
    return true;
}

bool TRadioGroup::SetItemText(int index, const std::string& text) {
    if (index < 0 || index >= ItemCount()) return false;
    SetItemCaption(index, text);
    return true;
}

std::string TRadioGroup::GetItemText(int index) const { return index < 0 || index >= ItemCount() ? std::string() : ItemCaption(index); }

bool TTabControl::SetItemText(int index, const std::string& text) {
    if (index < 0 || index >= TabCount()) return false;
    SetTabCaption(index, text);
    return true;
}

std::string TTabControl::GetItemText(int index) const { return index < 0 || index >= TabCount() ? std::string() : TabCaption(index); }

}  // namespace classlib
