#pragma once
// The confirmation of one replacement: Yes, No, Cancel, and All during
// Replace All. The main window fills lblKey and lblInfo before each showing.
#include "Forms.h"
#include "StdCtrls.h"

class TfrmReplaceConfirm : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblFoundItemAt, lblKey, lblInfo;
    classlib::TBitBtn btnAll, btnYes, btnNo, btnCancel;

    // Set by the main window before each showing.
    bool ShowAllButton = false;

    void FormShow(classlib::TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;
};

extern TfrmReplaceConfirm* frmReplaceConfirm;
