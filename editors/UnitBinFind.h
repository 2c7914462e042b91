#pragma once
// The binary editor's find dialog: the search text as characters and as hex,
// kept in step. Both edits keep their texts from one use to the next; the
// accepted pattern is the hex edit's text.
#include <memory>

#include "Forms.h"
#include "StdCtrls.h"

class TfrmBinFind : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblText, lblHex;
    classlib::TEdit edtText, edtHex;
    classlib::TBitBtn btnFind, btnCancel;

    // ---- Handlers ----
    void edtTextChange(classlib::TObject* sender);
    void edtHexKeyPress(classlib::TObject* sender, wchar_t& key);
    void btnFindClick(classlib::TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;

private:
    std::unique_ptr<classlib::TGdiObject> FFont;
};

extern TfrmBinFind* frmBinFind;
