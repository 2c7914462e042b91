#include "UnitReplace.h"

#include <algorithm>

#include "UnitMain.h"
#include "resource.h"

using namespace classlib;

TfrmReplace* frmReplace = nullptr;

void TfrmReplace::BindComponents() {
    Bind(lblTestToFind, IDC_REPLACE_LBLTESTTOFIND, "lblTestToFind");
    Bind(edtFind, IDC_REPLACE_EDTFIND, "edtFind");
    Bind(lblReplaceWith, IDC_REPLACE_LBLREPLACEWITH, "lblReplaceWith");
    Bind(edtReplace, IDC_REPLACE_EDTREPLACE, "edtReplace");
    Bind(grpbxReplaceItem, IDC_REPLACE_GRPBXREPLACEITEM, "grpbxReplaceItem");
    Bind(chckbxKey, IDC_REPLACE_CHCKBXKEY, "chckbxKey").Tag = 1;
    Bind(chckbxValue, IDC_REPLACE_CHCKBXVALUE, "chckbxValue").Tag = 2;
    Bind(chckbxData, IDC_REPLACE_CHCKBXDATA, "chckbxData").Tag = 3;
    Bind(chckbxWholeWords, IDC_REPLACE_CHCKBXWHOLEWORDS, "chckbxWholeWords");
    Bind(btnReplace, IDOK, "btnReplace");
    Bind(btnReplaceAll, IDC_REPLACE_BTNREPLACEALL, "btnReplaceAll");
    Bind(btnCancel, IDCANCEL, "btnCancel");

    lblTestToFind.FocusControl = &edtFind;
    lblReplaceWith.FocusControl = &edtReplace;
    for (TCheckBox* box : {&chckbxKey, &chckbxValue, &chckbxData}) {
        box->SetChecked(true);
        box->OnClick = Handler(this, &TfrmReplace::chckbxKeyClick);
    }
    btnReplace.ModalResult = mrOk;
    btnReplaceAll.ModalResult = mrAll;
    btnCancel.ModalResult = mrCancel;
    DefaultButton = &btnReplace;
    CancelButton = &btnCancel;

    OnShow = Handler(this, &TfrmReplace::FormShow);
    edtFind.OnKeyUp = [this](TObject* s, WORD& key, UINT shift) { edtFindKeyUp(s, key, shift); };
    edtReplace.OnKeyUp = [this](TObject* s, WORD& key, UINT shift) { edtReplaceKeyUp(s, key, shift); };
    edtReplace.OnKeyPress = [this](TObject* s, wchar_t& key) { edtReplaceKeyPress(s, key); };
}

void TfrmReplace::FormCreate() {
    btnReplace.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnReplaceAll.SetGlyph(frmMain->imglstMain, iiGlyphAll);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    CenterOnScreen();
}

void TfrmReplace::FormShow(TObject*) {
    UpdateButtons();
    edtFind.SetFocus();
}

void TfrmReplace::UpdateButtons() {
    const bool anyItem = chckbxKey.Checked() || chckbxValue.Checked() || chckbxData.Checked();
    const bool ok = !edtFind.WideText().empty() && anyItem && !(chckbxKey.Checked() && edtReplace.WideText().empty());
    btnReplace.SetEnabled(ok);
    btnReplaceAll.SetEnabled(ok);
}

void TfrmReplace::edtFindKeyUp(TObject*, WORD&, UINT) { UpdateButtons(); }

void TfrmReplace::edtReplaceKeyUp(TObject*, WORD&, UINT) { UpdateButtons(); }

void TfrmReplace::edtReplaceKeyPress(TObject*, wchar_t& key) {
    // Key names cannot hold a backslash.
    if (key == L'\\' && chckbxKey.Checked()) key = 0;
}

void TfrmReplace::chckbxKeyClick(TObject* sender) {
    if (sender == &chckbxKey && chckbxKey.Checked()) {
        std::wstring text = edtReplace.WideText();
        text.erase(std::remove(text.begin(), text.end(), L'\\'), text.end());
        edtReplace.SetWideText(text);
    }
    UpdateButtons();
}
