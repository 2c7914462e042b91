#include "Components.h"

#include <algorithm>

#include <commctrl.h>
#include "StdCtrls.h"

#include <windowsx.h>

#include "Forms.h"

namespace classlib {

bool TComponent::SetTextProperty(const std::string&, const std::string&) { return false; }
std::string TComponent::GetTextProperty(const std::string&) const { return {}; }
bool TComponent::SetItemText(int, const std::string&) { return false; }
std::string TComponent::GetItemText(int) const { return {}; }

std::string TControl::Caption() const {
    if (!Handle) return {};
    const int len = ::GetWindowTextLengthA(Handle);
    std::string s(static_cast<size_t>(len) + 1, '\0');
    const int got = ::GetWindowTextA(Handle, &s[0], len + 1);
    s.resize(static_cast<size_t>(got < 0 ? 0 : got));
    return s;
}

void TControl::SetCaption(const std::string& text) {
    if (Handle) ::SetWindowTextA(Handle, text.c_str());
}

std::wstring TControl::WideCaption() const { return WindowTextW(Handle); }

void TControl::SetWideCaption(const std::wstring& text) {
    if (Handle) ::SetWindowTextW(Handle, text.c_str());
}

void TControl::SetVisible(bool visible) {
    if (Handle) ::ShowWindow(Handle, visible ? SW_SHOW : SW_HIDE);
}

void TControl::SetEnabled(bool enabled) {
    if (Handle) ::EnableWindow(Handle, enabled);
}

void TControl::SetFocus() {
    if (Handle) ::SetFocus(Handle);
}

RECT TControl::BoundsRect() const {
    RECT r{};
    if (!Handle) return r;
    ::GetWindowRect(Handle, &r);
    HWND parent = ::GetParent(Handle);
    if (parent) ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void TControl::SetBounds(int left, int top, int width, int height) {
    if (Handle) ::SetWindowPos(Handle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

int TControl::Width() const {
    RECT r = BoundsRect();
    return r.right - r.left;
}

int TControl::Height() const {
    RECT r = BoundsRect();
    return r.bottom - r.top;
}

void TControl::PlaceAt(int left, int top, int width, int height) {
    SetBounds(left, top, width < 0 ? 0 : width, height < 0 ? 0 : height);
}

void TControl::Realign() {
    if (!Handle) return;
    RECT area{};
    ::GetClientRect(Handle, &area);
    auto place = [&](TAlign kind) {
        for (TControl* c : Children) {
            if (c->Align != kind || !c->Handle || !(::GetWindowLongA(c->Handle, GWL_STYLE) & WS_VISIBLE)) continue;
            const int w = c->Width(), h = c->Height();
            switch (kind) {
                case TAlign::alTop:
                    c->PlaceAt(area.left, area.top, area.right - area.left, h);
                    area.top += c->Height();
                    break;
                case TAlign::alBottom:
                    c->PlaceAt(area.left, area.bottom - h, area.right - area.left, h);
                    area.bottom -= c->Height();
                    break;
                case TAlign::alLeft:
                    c->PlaceAt(area.left, area.top, w, area.bottom - area.top);
                    area.left += w;
                    break;
                case TAlign::alRight:
                    c->PlaceAt(area.right - w, area.top, w, area.bottom - area.top);
                    area.right -= w;
                    break;
                case TAlign::alClient:
                    c->PlaceAt(area.left, area.top, area.right - area.left, area.bottom - area.top);
                    break;
                case TAlign::alNone: break;
            }
            c->Realign();
            if (c->OnResize) c->OnResize(c);
        }
    };
    for (TAlign kind : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
        place(kind);
}

bool TControl::SetTextProperty(const std::string& prop, const std::string& value) {
    if (prop == "Caption" || prop == "Text") {
        SetCaption(value);
        return true;
    }
    if (prop == "Hint") {
        Hint = value;
        return true;
    }
    return false;
}

std::string TControl::GetTextProperty(const std::string& prop) const {
    if (prop == "Caption" || prop == "Text") return Caption();
    if (prop == "Hint") return Hint;
    return {};
}

std::wstring WindowTextW(HWND window) {
    if (!window) return {};
    std::wstring s(static_cast<size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    s.resize(static_cast<size_t>(std::max(0, ::GetWindowTextW(window, &s[0], static_cast<int>(s.size())))));
    return s;
}

UINT KeyboardShiftState() {
    return (::GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0) | (::GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0);
}

namespace {
int gDeadMessages = 0;
}  // namespace

int TControl::DeadMessages() { return gDeadMessages; }

void TControl::CountDeadMessage() { ++gDeadMessages; }

TControl::~TControl() {
    Unhook();
    FCanary = kDead;
}

void TControl::Subclass() {
    if (!Handle || FOldProc) return;
    // The user-data slot, not a window property: properties cost a trip to
    // the window server on every message under Wine.
    ::SetWindowLongPtrW(Handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // A wide procedure, before a wide one: typed characters and texts reach
    // the control as they are, never through the code page (which turns
    // what it cannot hold, and every double-byte character, into "?").
    FOldProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TControl::SubclassProc)));
}

void TControl::Unhook() {
    if (Handle && FOldProc && ::IsWindow(Handle) &&
        ::GetWindowLongPtrW(Handle, GWLP_USERDATA) == reinterpret_cast<LONG_PTR>(this)) {
        ::SetWindowLongPtrW(Handle, GWLP_USERDATA, 0);
        ::SetWindowLongPtrW(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FOldProc));
    }
    FOldProc = nullptr;
}

LRESULT TControl::CallOldProc(UINT msg, WPARAM wp, LPARAM lp) {
    return FOldProc ? ::CallWindowProcW(FOldProc, Handle, msg, wp, lp) : ::DefWindowProcW(Handle, msg, wp, lp);
}

bool TControl::RaiseKeyPress(const std::function<void(TObject*, wchar_t&)>& handler, WPARAM wp, LPARAM lp,
                             LRESULT& result) {
    const auto typed = static_cast<wchar_t>(wp);
    wchar_t key = typed;
    handler(this, key);
    if (key == typed) return false;
    result = key == 0 ? 0 : CallOldProc(WM_CHAR, key, lp);
    return true;
}

bool TControl::HandleWindowMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

LRESULT CALLBACK TControl::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<TControl*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return ::DefWindowProcW(hwnd, msg, wp, lp);
    if (!self->Alive()) {
        CountDeadMessage();
        return ::DefWindowProcW(hwnd, msg, wp, lp);
    }
    LRESULT result = 0;
    bool handled = false;
    try {
        handled = self->HandleWindowMessage(msg, wp, lp, result);
    } catch (...) {
        Application().HandleException();
        return 0;
    }
    if (handled) return result;
    WNDPROC old = self->FOldProc;
    if (msg == WM_NCDESTROY) {
        self->Unhook();
        self->Handle = nullptr;
    }
    return old ? ::CallWindowProcW(old, hwnd, msg, wp, lp) : ::DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- TPanel ----------------------------------------------------------------

namespace {

LRESULT CALLBACK PlainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return ::DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterPlainClass(HINSTANCE instance, const wchar_t* name, HCURSOR cursor, UINT style = 0) {
    WNDCLASSW wc{};
    wc.style = style;
    wc.lpfnWndProc = PlainProc;
    wc.hInstance = instance;
    wc.hCursor = cursor;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    ::RegisterClassW(&wc);
}

}  // namespace

void TPanel::RegisterClass(HINSTANCE instance) {
    RegisterPlainClass(instance, L"TessPanel", ::LoadCursor(nullptr, IDC_ARROW), CS_DBLCLKS);
}

bool TPanel::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_VSCROLL:
        case WM_HSCROLL:
        case WM_DRAWITEM:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
            result = ::SendMessageW(::GetParent(Handle), msg, wp, lp);
            return true;
        case WM_LBUTTONUP:
            MouseMessage(msg, wp, lp);
            if (OnClick) OnClick(this);
            return false;
        case WM_LBUTTONDBLCLK:
            if (OnDblClick) OnDblClick(this);
            return MouseMessage(WM_LBUTTONDOWN, wp, lp);
        case WM_RBUTTONDBLCLK:
            return MouseMessage(WM_RBUTTONDOWN, wp, lp);
        case WM_MBUTTONDBLCLK:
            return MouseMessage(WM_MBUTTONDOWN, wp, lp);
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_MOUSEMOVE:
            return MouseMessage(msg, wp, lp);
        case WM_SETFOCUS:
            if (OnEnter) OnEnter(this);
            return false;
        case WM_CONTEXTMENU:
            // Passed on naming the control that asked, so that its pop-up
            // menu opens (the system would name the panel instead).
            result = ::SendMessageW(::GetParent(Handle), msg, wp, lp);
            return true;
        case WM_CLOSE:
            // A child control asks its dialog to close (Esc in a multi-line edit).
            result = ::SendMessageW(::GetParent(Handle), msg, wp, lp);
            return true;
        case WM_SIZE:
            Realign();
            return false;
        case WM_ERASEBKGND:
            result = 1;  // painting covers the whole client area
            return true;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = ::BeginPaint(Handle, &ps);
            RECT r;
            ::GetClientRect(Handle, &r);
            if (!OnPaint) {
                Paint(dc, r);
            } else {
                HDC buffer = ::CreateCompatibleDC(dc);
                TGdiObject bitmap(::CreateCompatibleBitmap(dc, r.right, r.bottom));
                {
                    TSelectObject select(buffer, bitmap.Get());
                    Paint(buffer, r);
                    ::BitBlt(dc, 0, 0, r.right, r.bottom, buffer, 0, 0, SRCCOPY);
                }
                ::DeleteDC(buffer);
            }
            ::EndPaint(Handle, &ps);
            result = 0;
            return true;
        }
        case WM_SETTEXT:
            result = CallOldProc(msg, wp, lp);
            ::InvalidateRect(Handle, nullptr, TRUE);
            return true;
        default: return false;
    }
}

void TPanel::Paint(HDC dc, const RECT& r) {
    if (Color == CLR_INVALID) {
        ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    } else {
        TGdiObject brush(::CreateSolidBrush(Color));
        ::FillRect(dc, &r, static_cast<HBRUSH>(brush.Get()));
    }
    if (OnPaint) OnPaint(this, dc, r);
    RECT area = r;
    if (FBevel != TBevelCut::bvNone)
        ::DrawEdge(dc, &area, FBevel == TBevelCut::bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    const std::wstring text = WideCaption();
    if (!text.empty()) {
        TSelectObject font(dc, ::GetStockObject(DEFAULT_GUI_FONT));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
        ::DrawTextW(dc, text.c_str(), -1, &area, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

void TPanel::SetBevel(TBevelCut bevel) {
    if (bevel == FBevel) return;
    FBevel = bevel;
    ::InvalidateRect(Handle, nullptr, TRUE);
}

bool TPanel::MouseMessage(UINT msg, WPARAM wp, LPARAM lp) {
    const int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
    const UINT shift = KeyboardShiftState();
    const TMouseButton button = (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP)   ? TMouseButton::mbRight
                                : (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP) ? TMouseButton::mbMiddle
                                                                                 : TMouseButton::mbLeft;
    switch (msg) {
        case WM_MOUSEMOVE:
            if (OnMouseMove) OnMouseMove(this, static_cast<UINT>(wp), x, y);
            return false;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            ::SetCapture(Handle);  // the release comes here wherever the pointer is
            if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
            return false;
        default:
            if (::GetCapture() == Handle) ::ReleaseCapture();
            if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
            return false;
    }
}

// ---- TSplitter -------------------------------------------------------------

void TSplitter::RegisterClass(HINSTANCE instance) {
    RegisterPlainClass(instance, L"TessSplitter", ::LoadCursor(nullptr, IDC_SIZEWE));
}

bool TSplitter::HandleWindowMessage(UINT msg, WPARAM, LPARAM lp, LRESULT&) {
    switch (msg) {
        case WM_LBUTTONDOWN:
            if (!Control) return false;
            FDragging = true;
            FStartX = static_cast<int>(static_cast<short>(LOWORD(lp)));
            {
                POINT p{FStartX, 0};
                ::ClientToScreen(Handle, &p);
                FStartX = p.x;
            }
            FStartWidth = Control->Width();
            ::SetCapture(Handle);
            return true;
        case WM_MOUSEMOVE:
            if (FDragging) {
                POINT p{static_cast<short>(LOWORD(lp)), 0};
                ::ClientToScreen(Handle, &p);
                int w = FStartWidth + (p.x - FStartX);
                if (w < MinSize) w = MinSize;
                Control->SetBounds(0, 0, w, Control->Height());
                if (Owner) Owner->Realign();
            }
            return FDragging;
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            if (FDragging) {
                FDragging = false;
                if (msg == WM_LBUTTONUP) ::ReleaseCapture();
            }
            return false;
        default: return false;
    }
}

// ---- Buttons, edits, combo boxes -------------------------------------------

void TButton::HandleCommand(WORD code) {
    // The dialog manager sends Enter to the default button even when that
    // is disabled: a disabled button does nothing.
    if (code != BN_CLICKED || !Enabled()) return;
    if (OnClick) OnClick(this);
    if (ModalResult != 0 && Owner) Owner->ModalResult = ModalResult;
}

void TEdit::HandleCommand(WORD code) {
    if (code == EN_CHANGE && OnChange) OnChange(this);
}

std::wstring TEdit::WideText() const { return WindowTextW(Handle); }

void TEdit::SetWideText(const std::wstring& s) {
    if (Handle) ::SetWindowTextW(Handle, s.c_str());
}

bool TEdit::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg == WM_CHAR && OnKeyPress) {
        if (RaiseKeyPress(OnKeyPress, wp, lp, result)) return true;
    } else if (msg == WM_KEYDOWN && OnKeyDown) {
        WORD key = static_cast<WORD>(wp);
        OnKeyDown(this, key, KeyboardShiftState());
        if (key == 0) {
            result = 0;
            return true;
        }
    } else if (msg == WM_KEYUP && OnKeyUp) {
        WORD key = static_cast<WORD>(wp);
        OnKeyUp(this, key, KeyboardShiftState());
    }
    return false;
}

int TComboBox::ItemCount() const { return static_cast<int>(::SendMessageA(Handle, CB_GETCOUNT, 0, 0)); }

std::string TComboBox::Item(int index) const {
    const LRESULT len = ::SendMessageA(Handle, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (len == CB_ERR) return {};
    std::string s(static_cast<size_t>(len) + 1, '\0');
    ::SendMessageA(Handle, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(static_cast<size_t>(len));
    return s;
}

void TComboBox::AddItem(const std::string& s) {
    ::SendMessageA(Handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void TComboBox::InsertItem(int index, const std::string& s) {
    ::SendMessageA(Handle, CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(s.c_str()));
}

std::wstring TComboBox::WideText() const { return WindowTextW(Handle); }

void TComboBox::SetWideText(const std::wstring& s) {
    if (Handle) ::SetWindowTextW(Handle, s.c_str());
}

std::wstring TComboBox::WideItem(int index) const {
    const LRESULT len = ::SendMessageW(Handle, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (len == CB_ERR) return {};
    std::wstring s(static_cast<size_t>(len) + 1, L'\0');
    const LRESULT got =
        ::SendMessageW(Handle, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&s[0]));
    s.resize(got == CB_ERR ? 0 : static_cast<size_t>(got));
    return s;
}

void TComboBox::AddItem(const std::wstring& s) {
    ::SendMessageW(Handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}

void TComboBox::DeleteItem(int index) { ::SendMessageA(Handle, CB_DELETESTRING, static_cast<WPARAM>(index), 0); }

void TComboBox::ClearItems() { ::SendMessageA(Handle, CB_RESETCONTENT, 0, 0); }

int TComboBox::IndexOf(const std::string& s) const {
    for (int i = 0; i < ItemCount(); ++i)
        if (::lstrcmpiA(Item(i).c_str(), s.c_str()) == 0) return i;
    return -1;
}

void TComboBox::HandleCommand(WORD code) {
    // The box tells of a choice before it shows the chosen entry: the
    // handlers read the entry, not the text it had before.
    if (code == CBN_SELCHANGE) {
        const LRESULT chosen = ::SendMessageW(Handle, CB_GETCURSEL, 0, 0);
        if (chosen != CB_ERR) SetWideText(WideItem(static_cast<int>(chosen)));
    }
    if ((code == CBN_EDITCHANGE || code == CBN_SELCHANGE) && OnChange) OnChange(this);
    if (code == CBN_SELCHANGE && OnClick) OnClick(this);
    if (code == CBN_DROPDOWN && OnDropDown) OnDropDown(this);
}

TComboBox::~TComboBox() {
    if (FEdit && ::IsWindow(FEdit)) ::RemoveWindowSubclass(FEdit, EditProc, 1);
}

void TComboBox::WatchKeys() {
    if (FEdit) return;
    FEdit = ::GetWindow(Handle, GW_CHILD);
    if (FEdit) ::SetWindowSubclass(FEdit, EditProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TComboBox::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* box = reinterpret_cast<TComboBox*>(self);
    if (msg == WM_GETDLGCODE && lp && reinterpret_cast<const MSG*>(lp)->message == WM_KEYDOWN &&
        reinterpret_cast<const MSG*>(lp)->wParam == VK_RETURN)
        return ::DefSubclassProc(hwnd, msg, wp, lp) | DLGC_WANTALLKEYS;  // Enter goes to the box, not the dialog
    if (msg == WM_KEYDOWN && box->OnKeyDown) {
        WORD key = static_cast<WORD>(wp);
        box->OnKeyDown(box, key, KeyboardShiftState());
        if (key == 0) return 0;
    }
    if (msg == WM_NCDESTROY) {
        ::RemoveWindowSubclass(hwnd, EditProc, 1);
        box->FEdit = nullptr;
    }
    return ::DefSubclassProc(hwnd, msg, wp, lp);
}

void TComboBox::PlaceAt(int left, int top, int width, int) {
    // The height of a drop-down combo box is the height of its open list.
    ::SetWindowPos(Handle, nullptr, left, top, width < 0 ? 0 : width, 200, SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Image list -------------------------------------------------------------

TImageList::~TImageList() {
    if (Handle) ImageList_Destroy(Handle);
}

void TImageList::LoadStrip(HINSTANCE instance, int bitmapId) {
    if (Handle) ImageList_Destroy(Handle);
    Handle = ImageList_LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), 16, 0, RGB(255, 0, 255), IMAGE_BITMAP,
                                  LR_CREATEDIBSECTION);
}

// ---- Hourglass --------------------------------------------------------------

namespace {
int gHourGlassDepth = 0;
HCURSOR gSavedCursor = nullptr;
}  // namespace

THourGlass::THourGlass() {
    if (gHourGlassDepth++ == 0) gSavedCursor = ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
}

THourGlass::~THourGlass() {
    if (--gHourGlassDepth == 0) ::SetCursor(gSavedCursor ? gSavedCursor : ::LoadCursor(nullptr, IDC_ARROW));
}

bool THourGlass::Active() { return gHourGlassDepth > 0; }

}  // namespace classlib
