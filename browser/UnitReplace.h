#pragma once
// The replace dialog: the text to find, its replacement and the items to
// replace in. It keeps its state in its controls; the main window reads them.
#include "Forms.h"
#include "StdCtrls.h"

class TfrmReplace : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblTestToFind, lblReplaceWith;
    classlib::TEdit edtFind, edtReplace;
    classlib::TControl grpbxReplaceItem;
    classlib::TCheckBox chckbxKey, chckbxValue, chckbxData, chckbxWholeWords;  // Tags 1 to 3 on the items
    classlib::TBitBtn btnReplace, btnReplaceAll, btnCancel;

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void edtFindKeyUp(classlib::TObject* sender, WORD& key, UINT shift);
    void edtReplaceKeyPress(classlib::TObject* sender, wchar_t& key);
    void edtReplaceKeyUp(classlib::TObject* sender, WORD& key, UINT shift);
    void chckbxKeyClick(classlib::TObject* sender);

    // Both replace buttons: enabled exactly when there is a text to find,
    // an item to replace in, and a replacement unless key names are
    // replaced (a key name cannot become empty).
    void UpdateButtons();

protected:
    void BindComponents() override;
    void FormCreate() override;
};

extern TfrmReplace* frmReplace;
