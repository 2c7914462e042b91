#pragma once
// The DWORD editor: one DWORD value, typed in decimal or hexadecimal.
#include <cstdint>

#include "Forms.h"
#include "StdCtrls.h"

class TfrmDword : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblName, lblData;
    classlib::TEdit edtName, edtValue;
    classlib::TRadioGroup rdgrpDataType;  // 0 decimal, 1 hexadecimal
    classlib::TBitBtn btnOk, btnCancel;

    // The edited value: set by the caller, changed only by an OK whose text
    // is a valid number.
    DWORD Value = 0;

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void rdgrpDataTypeClick(classlib::TObject* sender);
    void edtValueKeyPress(classlib::TObject* sender, wchar_t& key);
    void btnOkClick(classlib::TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;
};

// Reads a DWORD: in decimal 0 to 4294967295, in hex one to eight hex digits
// (either case); nothing else, no signs or blanks. The empty text is not a
// number here.
bool ParseDwordText(const std::string& text, bool hex, DWORD& value);

extern TfrmDword* frmDword;
