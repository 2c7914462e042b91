#include "UnitFind.h"

#include "LanguageTexts.h"
#include "UnitMain.h"
#include "resource.h"
#include "zrvDialog.h"
#include "zrvString.h"

using namespace classlib;

TfrmFind* frmFind = nullptr;

namespace {

enum TFindOptionTag { ftKeys = 1, ftValueNames, ftData, ftCondition, ftWildcards, ftWholeWords, ftStrings, ftDwords };

}  // namespace

void TfrmFind::BindComponents() {
    Bind(lblFindItem, IDC_FIND_LBLFINDITEM, "lblFindItem");
    Bind(edtItem, IDC_FIND_EDTITEM, "edtItem");
    Bind(grpbxView, IDC_FIND_GRPBXVIEW, "grpbxView");
    Bind(chckbxKey, IDC_FIND_CHCKBXKEY, "chckbxKey").Tag = ftKeys;
    Bind(chckbxValue, IDC_FIND_CHCKBXVALUE, "chckbxValue").Tag = ftValueNames;
    Bind(chckbxData, IDC_FIND_CHCKBXDATA, "chckbxData").Tag = ftData;
    Bind(rdgrpCondition, IDC_FIND_RDGRPCONDITION, "rdgrpCondition").Tag = ftCondition;
    Bind(chckbxWildCharSurport, IDC_FIND_CHCKBXWILDCHARSURPORT, "chckbxWildCharSurport").Tag = ftWildcards;
    Bind(chckbxWholeWordsOnly, IDC_FIND_CHCKBXWHOLEWORDSONLY, "chckbxWholeWordsOnly").Tag = ftWholeWords;
    Bind(grpbxDataType, IDC_FIND_GRPBXDATATYPE, "grpbxDataType");
    Bind(chckbxDataString, IDC_FIND_CHCKBXDATASTRING, "chckbxDataString").Tag = ftStrings;
    Bind(chckbxDataDword, IDC_FIND_CHCKBXDATADWORD, "chckbxDataDword").Tag = ftDwords;
    Bind(btnOk, IDOK, "btnOk");
    Bind(btnCancel, IDCANCEL, "btnCancel");

    lblFindItem.FocusControl = &edtItem;
    rdgrpCondition.SetItems(
        {LanguageDefault("frmFind.rdgrpCondition.SpecialKey"), LanguageDefault("frmFind.rdgrpCondition.AllKey")});
    chckbxDataString.SetChecked(true);  // disabled in the form: strings are always searched
    chckbxWildCharSurport.Hint =
        "\"*\" matches any characters, \"\\*\" a star, \"\\\\\" a backslash";
    btnCancel.ModalResult = mrCancel;
    DefaultButton = &btnOk;
    CancelButton = &btnCancel;

    OnShow = Handler(this, &TfrmFind::FormShow);
    // The title-bar button cancels the dialog as its Cancel button does.
    OnCloseQuery = [this](TObject* s, bool&) { btnCancelClick(s); };
    for (TCheckBox* box : {&chckbxKey, &chckbxValue, &chckbxData, &chckbxWildCharSurport, &chckbxWholeWordsOnly,
                           &chckbxDataString, &chckbxDataDword})
        box->OnClick = Handler(this, &TfrmFind::chckbxKeyClick);
    rdgrpCondition.OnClick = Handler(this, &TfrmFind::chckbxKeyClick);
    auto keyDown = [this](TObject* s, WORD& key, UINT shift) { edtItemKeyDown(s, key, shift); };
    edtItem.OnKeyDown = chckbxKey.OnKeyDown = chckbxValue.OnKeyDown = chckbxData.OnKeyDown =
        chckbxWildCharSurport.OnKeyDown = keyDown;
    btnOk.OnClick = Handler(this, &TfrmFind::btnOkClick);
    btnCancel.OnClick = Handler(this, &TfrmFind::btnCancelClick);
}

void TfrmFind::FormCreate() {
    btnOk.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    CenterOnScreen();
}

void TfrmFind::FormShow(TObject*) {
    TFindOptions& o = frmMain->FFindOptions;
    chckbxKey.SetChecked(o.MatchKeys);
    chckbxValue.SetChecked(o.MatchValueNames);
    chckbxData.SetChecked(o.MatchData);
    rdgrpCondition.SetItemIndex(o.FromCurrentKey ? 0 : 1);
    chckbxWildCharSurport.SetChecked(o.Wildcards);
    chckbxDataString.SetChecked(o.MatchStrings);
    if (o.Wildcards) o.WholeWords = false;
    chckbxWholeWordsOnly.SetChecked(o.WholeWords);
    chckbxWholeWordsOnly.SetEnabled(!o.Wildcards);
    if (!o.MatchData) o.MatchDwords = false;
    chckbxDataDword.SetChecked(o.MatchDwords);
    chckbxDataDword.SetEnabled(o.MatchData);
    UpdateOkButton();
    edtItem.SetFocus();
}

void TfrmFind::chckbxKeyClick(TObject* sender) {
    TFindOptions& o = frmMain->FFindOptions;
    auto* component = dynamic_cast<TComponent*>(sender);
    auto* box = dynamic_cast<TCheckBox*>(sender);
    const bool on = box && box->Checked();
    switch (component ? component->Tag : 0) {
        case ftKeys: o.MatchKeys = on; break;
        case ftValueNames: o.MatchValueNames = on; break;
        case ftData:
            o.MatchData = on;
            chckbxDataDword.SetEnabled(on);
            if (!on) {
                chckbxDataDword.SetChecked(false);
                o.MatchDwords = false;
            }
            break;
        case ftCondition: o.FromCurrentKey = rdgrpCondition.ItemIndex() == 0; break;
        case ftWildcards:
            o.Wildcards = on;
            chckbxWholeWordsOnly.SetEnabled(!on);
            if (on) {
                chckbxWholeWordsOnly.SetChecked(false);
                o.WholeWords = false;
            }
            break;
        case ftWholeWords: o.WholeWords = on; break;
        case ftStrings: o.MatchStrings = on; break;
        case ftDwords: o.MatchDwords = on; break;
        default: break;
    }
    UpdateOkButton();
}

void TfrmFind::UpdateOkButton() {
    const TFindOptions& o = frmMain->FFindOptions;
    btnOk.SetEnabled((o.MatchKeys || o.MatchValueNames || o.MatchData) && (o.MatchStrings || o.MatchDwords));
}

void TfrmFind::btnOkClick(TObject*) {
    const std::string text = ToUtf8(edtItem.WideText());
    FindItem = chckbxWildCharSurport.Checked() ? WildToPattern(text) : text;
    if (FindItem.empty()) {
        NotifyError("Find item could not be empty string");
        return;
    }
    ModalResult = mrOk;
}

void TfrmFind::btnCancelClick(TObject*) { frmMain->FFindState.FoundKind = fkNone; }

void TfrmFind::edtItemKeyDown(TObject*, WORD& key, UINT) {
    if (key == VK_RETURN) {
        key = 0;
        if (btnOk.Enabled()) btnOk.HandleCommand(BN_CLICKED);
    } else if (key == VK_ESCAPE) {
        key = 0;
        btnCancel.HandleCommand(BN_CLICKED);
    }
}
