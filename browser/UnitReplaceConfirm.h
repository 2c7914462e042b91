#pragma once
// The confirmation of one replacement: Yes, No, Cancel, and All during
// Replace All. The main window fills lblKey and lblInfo before each showing.
#include "Forms.h"
#include "StdCtrls.h"

class TfrmReplaceConfirm : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblFoundItemAt, lblKey;
    classlib::TMemo lblInfo;  // the question, read-only, scrolling when long
    classlib::TBitBtn btnAll, btnYes, btnNo, btnCancel;

    // Set by the main window before each showing.
    bool ShowAllButton = false;

    void FormShow(classlib::TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;

private:
    // The key label grows to show the whole path, the window with it.
    void FitKeyLabel();
    RECT FKeyBounds{}, FInfoBounds{};
    std::vector<std::pair<classlib::TControl*, RECT>> FBelow;  // moved down with the growth
    SIZE FClientSize{};
};

extern TfrmReplaceConfirm* frmReplaceConfirm;
