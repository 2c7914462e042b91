#pragma once
// The question asked when a pasted value already exists: Yes, Yes To All,
// No, No To All or Cancel.
#include "Forms.h"
#include "StdCtrls.h"

class TfrmValueReplaceConfirm : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblInfo;
    classlib::TBitBtn btnYes, btnAll, btnNo, btnNotToAll, btnCancel;

protected:
    void BindComponents() override;
    void FormCreate() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
};

extern TfrmValueReplaceConfirm* frmValueReplaceConfirm;
