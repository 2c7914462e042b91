#include "Forms.h"

#include <algorithm>

#include "Dialogs.h"
#include "Seams.h"
#include "StdCtrls.h"
#include "Text.h"

namespace classlib {

namespace {

// Our forms by window, for the message loop.
std::vector<std::pair<HWND, TForm*>>& FormWindows() {
    static std::vector<std::pair<HWND, TForm*>> forms;
    return forms;
}

TForm* FormOf(HWND hwnd) {
    if (!hwnd) return nullptr;
    HWND root = ::GetAncestor(hwnd, GA_ROOT);
    for (const auto& f : FormWindows())
        if (f.first == root) return f.second;
    return nullptr;
}

void ForgetForm(HWND hwnd) {
    auto& forms = FormWindows();
    for (auto it = forms.begin(); it != forms.end(); ++it)
        if (it->first == hwnd) {
            forms.erase(it);
            return;
        }
}

// The forms running a modal loop, the innermost last.
std::vector<TForm*>& ModalForms() {
    static std::vector<TForm*> forms;
    return forms;
}

// Puts every other window of the program out of reach of mouse and keyboard
// while a modal form runs, and gives back what it took when it ends.
class TOutOfReach {
public:
    TOutOfReach(HWND modal, HWND owner) : FModal(modal), FOwner(owner) {
        ::EnumThreadWindows(::GetCurrentThreadId(), &TOutOfReach::Take, reinterpret_cast<LPARAM>(this));
        if (owner && ::IsWindowEnabled(owner) &&
            std::find(FTaken.begin(), FTaken.end(), owner) == FTaken.end())
            FTaken.push_back(owner);
        for (HWND h : FTaken) ::EnableWindow(h, FALSE);
    }
    ~TOutOfReach() {
        for (HWND h : FTaken)
            if (::IsWindow(h)) ::EnableWindow(h, TRUE);
    }
    TOutOfReach(const TOutOfReach&) = delete;
    TOutOfReach& operator=(const TOutOfReach&) = delete;

private:
    static BOOL CALLBACK Take(HWND h, LPARAM self) {
        auto* me = reinterpret_cast<TOutOfReach*>(self);
        if (h != me->FModal && ::IsWindowVisible(h) && ::IsWindowEnabled(h)) me->FTaken.push_back(h);
        return TRUE;
    }
    HWND FModal, FOwner;
    std::vector<HWND> FTaken;
};

bool IsKeyMessage(UINT msg) { return msg >= WM_KEYFIRST && msg <= WM_KEYLAST; }

bool IsEditWindow(HWND hwnd) {
    wchar_t cls[64] = {};
    ::GetClassNameW(hwnd, cls, 64);
    return ::lstrcmpiW(cls, L"Edit") == 0 || ::lstrcmpiW(cls, RICHEDIT_CLASSW) == 0;
}

}  // namespace

// ---- TForm -------------------------------------------------------------------

TForm::~TForm() {
    if (Handle) {
        // Too late for the form's own handlers: let the window go quietly.
        ForgetForm(Handle);
        ::SetWindowLongPtrA(Handle, DWLP_USER, 0);
        ::DestroyWindow(Handle);
        Handle = nullptr;
    }
}

void TForm::DestroyHandle() {
    // The dialog procedure forgets the form on WM_NCDESTROY.
    if (Handle) ::DestroyWindow(Handle);
}

void TForm::Create(int templateId, HWND owner) {
    // Made by the wide function, so every control of the form is a Unicode
    // window: typed text arrives as typed, also what the code page cannot hold.
    HWND hwnd = ::CreateDialogParamW(Application().Instance, MAKEINTRESOURCEW(templateId), owner, &TForm::DialogProc,
                                     reinterpret_cast<LPARAM>(this));
    if (!hwnd) throw EInvalidOperation("Cannot create form " + std::to_string(templateId));
    ShowHints();
}

void TForm::ShowHints() {
    if (!Handle) return;
    auto addTool = [this](HWND window, TControl* control) {
        if (!FToolTip) {
            FToolTip = ::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                         WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                                         CW_USEDEFAULT, CW_USEDEFAULT, Handle, nullptr, Application().Instance, nullptr);
            if (!FToolTip) return;
            // Long hints (the wildcard syntax) wrap instead of running off the screen.
            ::SendMessageW(FToolTip, TTM_SETMAXTIPWIDTH, 0, 400);
        }
        TTTOOLINFOW tool{};
        tool.cbSize = TTTOOLINFOW_V2_SIZE;  // understood by every version of the common controls
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = Handle;
        tool.uId = reinterpret_cast<UINT_PTR>(window);
        tool.lpszText = LPSTR_TEXTCALLBACKW;
        if (::SendMessageW(FToolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool))) FHintTools[window] = control;
    };
    for (TComponent* component : FComponents) {
        auto* control = dynamic_cast<TControl*>(component);
        if (!control || !control->Handle || control->Hint.empty() || dynamic_cast<TToolButton*>(control)) continue;
        if (!FHintTools.count(control->Handle)) addTool(control->Handle, control);
        for (HWND inner = ::GetWindow(control->Handle, GW_CHILD); inner; inner = ::GetWindow(inner, GW_HWNDNEXT))
            if (!FControls.count(inner) && !FHintTools.count(inner)) addTool(inner, control);
    }
}

const TControl* TForm::HintOwner(HWND tool) const {
    auto it = FHintTools.find(tool);
    if (it == FHintTools.end() || !it->second->Alive()) return nullptr;
    return it->second;
}

void TForm::Register(TComponent& component, const std::string& name) {
    component.Name = name;
    component.Owner = this;
    FComponents.push_back(&component);
    if (auto* menu = dynamic_cast<TMenu*>(&component)) FMenus.push_back(menu);
}

void TForm::BindControl(TControl& control, int id, const std::string& name, TAlign align, TControl* parent) {
    control.Handle = ::GetDlgItem(Handle, id);
    if (!control.Handle) throw EInvalidOperation("Control " + name + " is missing from its form");
    control.Align = align;
    control.Parent = parent;
    Register(control, name);
    FControls[control.Handle] = &control;
    if (parent) {
        ::SetParent(control.Handle, parent->Handle);
        parent->Children.push_back(&control);
    } else {
        Children.push_back(&control);
    }
    control.Subclass();
}

void TForm::ControlWindowChanged(TControl& control, HWND oldWindow) {
    FControls.erase(oldWindow);
    FControls[control.Handle] = &control;
}

TComponent* TForm::FindComponent(const std::string& name) const {
    for (TComponent* c : FComponents)
        if (::lstrcmpiA(c->Name.c_str(), name.c_str()) == 0) return c;
    return nullptr;
}

void TForm::RegisterText(std::string& field, const std::string& name) { FTexts.emplace_back(name, &field); }

std::string* TForm::FindText(const std::string& name) const {
    for (const auto& t : FTexts)
        if (t.first == name) return t.second;
    return nullptr;
}

TControl* TForm::ControlOf(HWND hwnd) const {
    auto it = FControls.find(hwnd);
    if (it == FControls.end()) return nullptr;
    if (!it->second->Alive()) {
        CountDeadMessage();
        return nullptr;
    }
    return it->second;
}

TMenuItem* TForm::MenuItemOfCommand(int id) const {
    for (TMenu* m : FMenus)
        if (TMenuItem* item = m->FindByCommand(id)) return item;
    return nullptr;
}

void TForm::Show() {
    ShowHints();
    if (OnShow) OnShow(this);
    ::ShowWindow(Handle, SW_SHOW);
}

void TForm::Hide() {
    ::ShowWindow(Handle, SW_HIDE);
    if (OnHide) OnHide(this);
}

void TForm::SetTopMost(bool topMost) {
    FStayOnTop = topMost;
    ::SetWindowPos(Handle, topMost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::CenterOnScreen() {
    RECT r{};
    ::GetWindowRect(Handle, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    ::SetWindowPos(Handle, nullptr, (sw - w) / 2, (sh - h) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::SetClientSize(int width, int height) {
    RECT r{0, 0, width, height};
    ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongPtrA(Handle, GWL_STYLE)), ::GetMenu(Handle) != nullptr,
                         static_cast<DWORD>(::GetWindowLongPtrA(Handle, GWL_EXSTYLE)));
    ::SetWindowPos(Handle, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}

int TForm::ShowModal() {
    ModalResult = mrNone;
    ShowHints();
    if (Seams().ShowModal) {
        FModal = true;
        try {
            if (OnShow) OnShow(this);
            ModalResult = Seams().ShowModal(*this);
        } catch (...) {
            FModal = false;
            if (OnHide) OnHide(this);
            throw;
        }
        FModal = false;
        if (OnHide) OnHide(this);
        return ModalResult;
    }
    HWND owner = ::GetWindow(Handle, GW_OWNER);
    // When the form closes, the keyboard goes back to the window and control
    // that had it: with nested dialogs that is the dialog below, not the owner.
    const TFocusReturn focus(owner);
    {
        const TOutOfReach others(Handle, owner);
        FModal = true;
        ModalForms().push_back(this);
        struct TEnd {
            TForm* Form;
            ~TEnd() {
                auto& forms = ModalForms();
                forms.erase(std::remove(forms.begin(), forms.end(), Form), forms.end());
                Form->FModal = false;
            }
        } end{this};
        Show();
        ::SetActiveWindow(Handle);
        MSG msg;
        while (ModalResult == mrNone) {
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got <= 0) {
                ::PostQuitMessage(static_cast<int>(msg.wParam));
                ModalResult = mrCancel;
                break;
            }
            if (HandleDialogMessage(msg)) continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    Hide();
    return ModalResult;
}

void TForm::Close() {
    if (FClosing) return;
    bool canClose = true;
    if (OnCloseQuery) OnCloseQuery(this, canClose);
    if (!canClose) return;
    if (FModal) {
        ModalResult = mrCancel;
        return;
    }
    FClosing = true;
    try {
        if (OnClose) OnClose(this);
    } catch (...) {
        FClosing = false;
        throw;
    }
    if (Application().MainForm == this) {
        Application().Terminate();
    } else {
        Hide();
        FClosing = false;
    }
}

bool TForm::IsShortCut(const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    const WORD key = static_cast<WORD>(msg.wParam);
    const bool ctrl = ::GetKeyState(VK_CONTROL) < 0, alt = ::GetKeyState(VK_MENU) < 0,
               shift = ::GetKeyState(VK_SHIFT) < 0;
    // A key goes to the window that had the focus when it was pressed; the
    // focus may have moved since (another program's window came up).
    HWND focus = msg.hwnd;
    // A transient edit box (in-place label editing) keeps its editing keys;
    // an edit that is a component of the form leaves them to the menu.
    if (focus && IsEditWindow(focus) && !ControlOf(focus)) {
        // Editing keys belong to the edit box that has the focus.
        if (!ctrl && !alt && !(key >= VK_F1 && key <= VK_F24)) return false;
        if (ctrl && !alt && (key == 'C' || key == 'V' || key == 'X' || key == 'Z' || key == 'A' || key == VK_INSERT))
            return false;
    }
    if (TControl* c = ControlOf(focus); c && c->PopupMenu) {
        if (TMenuItem* item = c->PopupMenu->FindShortCut(key, ctrl, alt, shift)) {
            if (c->PopupMenu->OnPopup) c->PopupMenu->OnPopup(c->PopupMenu);
            if (item->Enabled()) item->Click();
            return true;
        }
    }
    if (Menu) {
        if (TMenuItem* item = Menu->FindShortCut(key, ctrl, alt, shift)) {
            TMenuItem* top = item;
            while (top->Parent && top->Parent != &Menu->Root) top = top->Parent;
            if (top != item) top->Click();  // lets the menu refresh its states
            if (item->Enabled()) item->Click();
            return true;
        }
    }
    return false;
}

bool TForm::HandleDialogMessage(MSG& msg) {
    // A key for a window that a modal form put out of reach (the focus was
    // left there) never acts: the modal form takes the keyboard back.
    if (IsKeyMessage(msg.message) && !ModalForms().empty()) {
        HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
        if (root && !::IsWindowEnabled(root)) {
            if (HWND modal = ModalForms().back()->Handle) ::SetActiveWindow(modal);
            return true;
        }
    }
    if (IsModelessDialogMessage(msg)) return true;
    TForm* form = FormOf(msg.hwnd);
    if (!form) return false;
    bool handled = false;
    Guarded([&] { handled = form->IsShortCut(msg); });
    if (handled) return true;
    if (form != Application().MainForm && ::IsDialogMessageW(form->Handle, &msg)) return true;
    return false;
}

INT_PTR CALLBACK TForm::DialogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TForm* self = reinterpret_cast<TForm*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<TForm*>(lp);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        FormWindows().emplace_back(hwnd, self);
        self->Handle = hwnd;
    }
    if (!self) return FALSE;
    if (msg == WM_NCDESTROY) {
        ForgetForm(hwnd);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        self->Handle = nullptr;
        self->FControls.clear();
        self->FToolTip = nullptr;  // destroyed with its owner
        self->FHintTools.clear();
        return FALSE;
    }
    bool handled = false;
    INT_PTR result = 0;
    try {
        result = self->Dispatch(msg, wp, lp, handled);
    } catch (...) {
        Application().HandleException();
        handled = true;
        result = 0;
    }
    if (!handled) return FALSE;
    if (msg == WM_NOTIFY || msg == WM_QUERYENDSESSION) {
        ::SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
    }
    if (msg == WM_INITDIALOG || msg == WM_CTLCOLORSTATIC || msg == WM_CTLCOLORDLG) return result;
    return TRUE;
}

INT_PTR TForm::WindowMessage(UINT msg, WPARAM, LPARAM lp, bool& handled) {
    // Buttons with glyphs draw themselves, on every form.
    handled = msg == WM_DRAWITEM && DrawOwnerButton(lp);
    return handled ? TRUE : 0;
}

INT_PTR TForm::Dispatch(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    handled = true;
    switch (msg) {
        case WM_INITDIALOG:
            BindComponents();
            FormCreate();
            return TRUE;
        case WM_COMMAND: {
            const int id = LOWORD(wp);
            HWND from = reinterpret_cast<HWND>(lp);
            if (from) {
                if (TControl* c = ControlOf(from)) {
                    if (auto* bar = dynamic_cast<TToolBar*>(c)) {
                        if (TToolButton* b = bar->ButtonById(id); b && b->OnClick) b->OnClick(b);
                    } else {
                        c->HandleCommand(HIWORD(wp));
                    }
                    return 0;
                }
            } else if (TMenuItem* item = MenuItemOfCommand(id)) {
                item->Click();
                return 0;
            }
            if (id == IDOK && DefaultButton && ::IsWindowEnabled(DefaultButton->Handle)) {
                DefaultButton->HandleCommand(BN_CLICKED);
                return 0;
            }
            if (id == IDCANCEL) {
                if (CancelButton)
                    CancelButton->HandleCommand(BN_CLICKED);
                else if (FModal)
                    ModalResult = mrCancel;
                return 0;
            }
            break;
        }
        case WM_NOTIFY: {
            auto* hdr = reinterpret_cast<NMHDR*>(lp);
            if ((hdr->code == TTN_GETDISPINFOA || hdr->code == TTN_GETDISPINFOW) && hdr->hwndFrom == FToolTip &&
                FToolTip) {
                const TControl* owner = HintOwner(reinterpret_cast<HWND>(hdr->idFrom));
                static std::string hint;  // must outlive this message
                static std::wstring wideHint;
                hint = owner ? owner->Hint : std::string();
                if (hdr->code == TTN_GETDISPINFOA) {
                    reinterpret_cast<NMTTDISPINFOA*>(lp)->lpszText = &hint[0];
                } else {
                    wideHint = ToWide(hint);
                    reinterpret_cast<NMTTDISPINFOW*>(lp)->lpszText = &wideHint[0];
                }
                return 0;
            }
            if (hdr->code == TTN_GETDISPINFOA || hdr->code == TTN_GETDISPINFOW) {
                for (TComponent* comp : FComponents) {
                    auto* b = dynamic_cast<TToolButton*>(comp);
                    if (b && static_cast<UINT_PTR>(b->CommandId) == hdr->idFrom) {
                        static std::string hint;  // must outlive this message
                        static std::wstring wideHint;
                        hint = b->Hint;
                        if (hdr->code == TTN_GETDISPINFOA) {
                            reinterpret_cast<NMTTDISPINFOA*>(lp)->lpszText = &hint[0];
                        } else {
                            wideHint = ToWide(hint);
                            reinterpret_cast<NMTTDISPINFOW*>(lp)->lpszText = &wideHint[0];
                        }
                        return 0;
                    }
                }
                break;
            }
            if (TControl* c = ControlOf(hdr->hwndFrom)) {
                bool done = false;
                const LRESULT r = c->HandleNotify(hdr, done);
                if (done) return r;
            }
            break;
        }
        case WM_SIZE:
            if (wp == SIZE_MINIMIZED) {
                if (Application().MainForm == this) Application().DoMinimize();
            } else {
                Realign();
            }
            return 0;
        case WM_CLOSE:
            Close();
            return 0;
        case WM_CONTEXTMENU: {
            TControl* c = ControlOf(reinterpret_cast<HWND>(wp));
            if (!c || !c->PopupMenu) break;
            int x = static_cast<short>(LOWORD(lp)), y = static_cast<short>(HIWORD(lp));
            if (x == -1 && y == -1) {
                RECT r{};
                ::GetWindowRect(c->Handle, &r);
                x = r.left + 10;
                y = r.top + 10;
            }
            c->PopupMenu->Popup(x, y);
            return 0;
        }
        case WM_INITMENUPOPUP: {
            if (Menu)
                if (TMenuItem* item = Menu->FindByMenu(reinterpret_cast<HMENU>(wp))) item->Click();
            return 0;
        }
        case WM_SETCURSOR:
            if (THourGlass::Active()) {
                ::SetCursor(::LoadCursor(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_QUERYENDSESSION:
            // Never stand in the way of a logoff or shutdown.
            return TRUE;
        case WM_ENDSESSION:
            if (wp && Application().MainForm == this && OnClose) {
                FEndingSession = true;
                try {
                    OnClose(this);
                } catch (...) {
                    FEndingSession = false;
                    throw;
                }
                FEndingSession = false;
            }
            return 0;
        case WM_DESTROY:
            if (Application().MainForm == this) ::PostQuitMessage(0);
            break;
        default: break;
    }
    handled = false;
    return WindowMessage(msg, wp, lp, handled);
}

// ---- TApplication --------------------------------------------------------------

TApplication& Application() {
    static TApplication app;
    return app;
}

void TApplication::Initialize(HINSTANCE instance) {
    Instance = instance;
    INITCOMMONCONTROLSEX icc{};
    icc.dwSize = sizeof icc;
    icc.dwICC = ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_COOL_CLASSES |
                ICC_USEREX_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES;
    ::InitCommonControlsEx(&icc);
    ::LoadLibraryA("riched20.dll");
    TPanel::RegisterClass(instance);
    TSplitter::RegisterClass(instance);
    FTerminated = false;
}

std::vector<TForm*> TApplication::Forms() const {
    std::vector<TForm*> forms;
    for (const auto& f : FForms) forms.push_back(f.Form.get());
    return forms;
}

void TApplication::Run() {
    if (MainForm) MainForm->Show();
    MSG msg;
    while (!FTerminated) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) break;
        if (MainForm && MainForm->HandleDialogMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void TApplication::ProcessMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            FTerminated = true;
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (MainForm && MainForm->HandleDialogMessage(msg)) continue;
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

void TApplication::Terminate() {
    FTerminated = true;
    ::PostQuitMessage(0);
}

void TApplication::ShowException(const std::exception& e) {
    std::string text = e.what();
    if (!text.empty() && text.back() != '.' && text.back() != '!' && text.back() != '?') text += '.';
    LastExceptionMessage = text;
    if (OnException) {
        OnException(nullptr);
        return;
    }
    Seams().MessageBox(MainForm ? MainForm->Handle : nullptr, text, Title, MB_OK | MB_ICONSTOP);
}

void TApplication::HandleException() {
    try {
        throw;
    } catch (const std::exception& e) {
        ShowException(e);
    } catch (...) {
        ShowException(std::runtime_error("Unknown error"));
    }
}

void TApplication::DoMinimize() {
    if (OnMinimize) OnMinimize(nullptr);
}

void TApplication::DestroyForms() {
    for (auto it = FForms.rbegin(); it != FForms.rend(); ++it) it->Form->DestroyHandle();
    for (auto it = FForms.rbegin(); it != FForms.rend(); ++it) {
        it->ResetRef();
        it->Form.reset();
    }
    FForms.clear();
    MainForm = nullptr;
}

}  // namespace classlib
