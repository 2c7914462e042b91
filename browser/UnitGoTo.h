#pragma once
// The Go To dialog: a root chosen from a radio group and a key path typed
// in. It keeps both from one use to the next.
#include "Forms.h"
#include "StdCtrls.h"

class TfrmGoTo : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TRadioGroup rdgrpHKey;
    classlib::TLabel lblKey;
    classlib::TEdit edtKey;
    classlib::TBitBtn btnOk, btnCancel;
    classlib::TControl Image1;

    HKEY RootKey = HKEY_LOCAL_MACHINE;
    // The outcome of the most recent GoToKey, whoever called it.
    bool GoToDone = false;

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void rdgrpHKeyClick(classlib::TObject* sender);
    void edtKeyKeyDown(classlib::TObject* sender, WORD& key, UINT shift);

protected:
    void BindComponents() override;
    void FormCreate() override;
};

extern TfrmGoTo* frmGoTo;
