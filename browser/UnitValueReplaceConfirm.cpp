#include "UnitValueReplaceConfirm.h"

#include "UnitMain.h"
#include "resource.h"

using namespace classlib;

TfrmValueReplaceConfirm* frmValueReplaceConfirm = nullptr;

void TfrmValueReplaceConfirm::BindComponents() {
    Bind(lblInfo, IDC_VCONFIRM_LBLINFO, "lblInfo");
    Bind(btnYes, IDC_VCONFIRM_BTNYES, "btnYes").ModalResult = mrYes;
    Bind(btnAll, IDC_VCONFIRM_BTNALL, "btnAll").ModalResult = mrYesToAll;
    Bind(btnNo, IDC_VCONFIRM_BTNNO, "btnNo").ModalResult = mrNo;
    Bind(btnNotToAll, IDC_VCONFIRM_BTNNOTTOALL, "btnNotToAll").ModalResult = mrNoToAll;
    Bind(btnCancel, IDCANCEL, "btnCancel").ModalResult = mrCancel;
    DefaultButton = &btnYes;
    CancelButton = &btnCancel;
}

void TfrmValueReplaceConfirm::FormCreate() {
    btnYes.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnAll.SetGlyph(frmMain->imglstMain, iiGlyphAll);
    btnNo.SetGlyph(frmMain->imglstMain, iiGlyphNo);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    CenterOnScreen();
}
