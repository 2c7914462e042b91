#include "UnitReplaceConfirm.h"

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
    CenterOnScreen();
}

void TfrmReplaceConfirm::FormShow(TObject*) { btnAll.SetVisible(ShowAllButton); }
