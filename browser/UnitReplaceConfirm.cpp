#include "UnitReplaceConfirm.h"

#include <algorithm>

#include "UnitMain.h"
#include "resource.h"

using namespace classlib;

TfrmReplaceConfirm* frmReplaceConfirm = nullptr;

void TfrmReplaceConfirm::BindComponents() {
    Bind(lblFoundItemAt, IDC_CONFIRM_LBLFOUNDITEMAT, "lblFoundItemAt");
    Bind(lblKey, IDC_CONFIRM_LBLKEY, "lblKey");
    Bind(lblInfo, IDC_CONFIRM_LBLINFO, "lblInfo");
    Bind(btnAll, IDC_CONFIRM_BTNALL, "btnAll").ModalResult = mrAll;
    Bind(btnYes, IDC_CONFIRM_BTNYES, "btnYes").ModalResult = mrYes;
    Bind(btnNo, IDCANCEL, "btnNo").ModalResult = mrNo;  // also Esc
    Bind(btnCancel, IDC_CONFIRM_BTNCANCEL, "btnCancel").ModalResult = mrCancel;
    DefaultButton = &btnYes;
    CancelButton = &btnNo;
    OnShow = Handler(this, &TfrmReplaceConfirm::FormShow);
}

void TfrmReplaceConfirm::FormCreate() {
    btnAll.SetGlyph(frmMain->imglstMain, iiGlyphAll);
    btnYes.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnNo.SetGlyph(frmMain->imglstMain, iiGlyphNo);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    lblInfo.RemoveLimit();  // data of any length is shown whole
    FKeyBounds = lblKey.BoundsRect();
    for (TControl* c : std::initializer_list<TControl*>{&lblInfo, &btnAll, &btnYes, &btnNo, &btnCancel})
        FBelow.emplace_back(c, c->BoundsRect());
    RECT client{};
    ::GetClientRect(Handle, &client);
    FClientSize = {client.right, client.bottom};
    CenterOnScreen();
}

void TfrmReplaceConfirm::FormShow(TObject*) {
    btnAll.SetVisible(ShowAllButton);
    FitKeyLabel();
    btnYes.SetFocus();
}

void TfrmReplaceConfirm::FitKeyLabel() {
    const std::wstring text = lblKey.WideCaption();
    const int width = FKeyBounds.right - FKeyBounds.left, height = FKeyBounds.bottom - FKeyBounds.top;
    RECT need{0, 0, width, 0};
    HDC dc = ::GetDC(lblKey.Handle);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(lblKey.Handle, WM_GETFONT, 0, 0)));
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS);
    ::SelectObject(dc, old);
    ::ReleaseDC(lblKey.Handle, dc);
    // Grown by what the path needs, as far as the screen allows.
    RECT work{};
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{0, 0, FClientSize.cx, FClientSize.cy};
    ::AdjustWindowRectEx(&frame, static_cast<DWORD>(::GetWindowLongPtrA(Handle, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(::GetWindowLongPtrA(Handle, GWL_EXSTYLE)));
    const int room = std::max(0L, (work.bottom - work.top) - (frame.bottom - frame.top));
    const int extra = std::min(std::max(0, static_cast<int>(need.bottom) - height), room);
    lblKey.SetBounds(FKeyBounds.left, FKeyBounds.top, width, height + extra);
    for (const auto& [control, r] : FBelow)
        control->SetBounds(r.left, r.top + extra, r.right - r.left, r.bottom - r.top);
    SetClientSize(FClientSize.cx, FClientSize.cy + extra);
    CenterOnScreen();
}
