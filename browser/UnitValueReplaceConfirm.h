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
};

extern TfrmValueReplaceConfirm* frmValueReplaceConfirm;
