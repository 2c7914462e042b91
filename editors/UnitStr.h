#pragma once
// The string editor: one string or expandable-string value, as plain text.
#include "Dialogs.h"
#include "Forms.h"
#include "RichEdit.h"
#include "StdCtrls.h"

#include <string>
#include <vector>

class TfrmStr : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblName, lblData, lblLength, lblMax;
    classlib::TEdit edtName;
    classlib::TRichEdit mmValue;
    classlib::TBitBtn btnPrint, btnLoad, btnSave, btnOk, btnCancel;
    classlib::TOpenDialog opndlgMain;
    classlib::TSaveDialog svdlgMain;

    // The data exactly as stored (UTF-16 bytes, every NUL and an odd last
    // byte included). The editor shows it up to its first NUL, as plain
    // text. Data() gives back the stored bytes with the user's edit put in:
    // every character and line break the user did not edit, and everything
    // from the first NUL on, stay exactly as stored.
    void SetData(const std::vector<BYTE>& stored);
    std::vector<BYTE> Data() const;

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void mmValueChange(classlib::TObject* sender);
    void btnLoadClick(classlib::TObject* sender);
    void btnSaveClick(classlib::TObject* sender);

protected:
    void BindComponents() override;
    void FormCreate() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;

private:
    void UpdateLength();
    std::u16string FStored;  // the data's UTF-16 units
    std::string FOddByte;    // a last byte that makes no unit
    std::vector<BYTE> FOriginal;
    classlib::TGdiObject FFont{classlib::CreateTextFont("Times New Roman", -12)};
};


extern TfrmStr* frmStr;
