#include "UnitCurrentKey.h"

#include "UnitMain.h"
#include "resource.h"

using namespace classlib;

TfrmCurrentKey* frmCurrentKey = nullptr;

namespace {

const COLORREF kCream = RGB(255, 251, 240);

}  // namespace

void TfrmCurrentKey::BindComponents() {
    Bind(lblShortName, IDC_CURKEY_LBLSHORTNAME, "lblShortName");
    Bind(edtShortName, IDC_CURKEY_EDTSHORTNAME, "edtShortName");
    Bind(lblLongName, IDC_CURKEY_LBLLONGNAME, "lblLongName");
    Bind(edtLongName, IDC_CURKEY_EDTLONGNAME, "edtLongName");
    Bind(btnOk, IDOK, "btnOk").ModalResult = mrOk;
    DefaultButton = &btnOk;
    CancelButton = &btnOk;
    auto keyDown = [this](TObject* s, WORD& key, UINT shift) { edtLongNameKeyDown(s, key, shift); };
    edtShortName.OnKeyDown = edtLongName.OnKeyDown = keyDown;
}

void TfrmCurrentKey::FormCreate() {
    btnOk.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    CenterOnScreen();
}

INT_PTR TfrmCurrentKey::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    if (msg == WM_CTLCOLORSTATIC) {
        handled = true;
        const HWND control = reinterpret_cast<HWND>(lp);
        const bool edit = control == edtShortName.Handle || control == edtLongName.Handle;
        return PaintStatic(reinterpret_cast<HDC>(wp), CLR_INVALID, edit ? kCream : CLR_INVALID);
    }
    return TForm::WindowMessage(msg, wp, lp, handled);
}

void TfrmCurrentKey::edtLongNameKeyDown(TObject*, WORD& key, UINT) {
    if (key != VK_RETURN && key != VK_ESCAPE) return;
    key = 0;
    btnOk.HandleCommand(BN_CLICKED);
}
