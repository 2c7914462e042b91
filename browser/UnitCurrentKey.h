#pragma once
// The Current Key dialog: the selected key's path and long name in
// read-only edits, for copying.
#include "Forms.h"
#include "StdCtrls.h"

class TfrmCurrentKey : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblShortName, lblLongName;
    classlib::TEdit edtShortName, edtLongName;
    classlib::TBitBtn btnOk;

    // ---- Handlers ----
    void edtLongNameKeyDown(classlib::TObject* sender, WORD& key, UINT shift);

protected:
    void BindComponents() override;
    void FormCreate() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
};

extern TfrmCurrentKey* frmCurrentKey;
