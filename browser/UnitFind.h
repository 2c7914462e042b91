#pragma once
// The find dialog: the search text and the search options. Every change of
// an option goes straight into the main window's FFindOptions.
#include "Forms.h"
#include "StdCtrls.h"

class TfrmFind : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblFindItem;
    classlib::TEdit edtItem;
    classlib::TControl grpbxView, grpbxDataType;
    // Tags 1 to 8 tell the option controls apart in chckbxKeyClick.
    classlib::TCheckBox chckbxKey, chckbxValue, chckbxData, chckbxWildCharSurport, chckbxWholeWordsOnly,
        chckbxDataString, chckbxDataDword;
    classlib::TRadioGroup rdgrpCondition;  // 0 below the selected key, 1 all keys
    classlib::TBitBtn btnOk, btnCancel;

    // The accepted search text (a pattern with wildcards); never empty after OK.
    std::string FindItem;  // in UTF-8: what the search matches in

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void chckbxKeyClick(classlib::TObject* sender);
    void btnOkClick(classlib::TObject* sender);
    void btnCancelClick(classlib::TObject* sender);
    void edtItemKeyDown(classlib::TObject* sender, WORD& key, UINT shift);

protected:
    void BindComponents() override;
    void FormCreate() override;

private:
    void UpdateOkButton();
};

extern TfrmFind* frmFind;
