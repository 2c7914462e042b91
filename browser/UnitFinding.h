#pragma once
// The search-progress window, shown beside the main window while a search
// runs: its timer lets messages through, its Cancel stops the search.
#include "Forms.h"
#include "StdCtrls.h"

class TfrmFinding : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblFinding, lblPleaseWait;
    classlib::TBitBtn btnCancel;
    classlib::TTimer tmrFinding;

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void FormHide(classlib::TObject* sender);
    void tmrFindingTimer(classlib::TObject* sender);
    void btnCancelClick(classlib::TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;
};

extern TfrmFinding* frmFinding;
