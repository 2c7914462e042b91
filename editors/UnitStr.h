#pragma once
// The string editor: one string or expandable-string value, as plain text.
#include "Dialogs.h"
#include "Forms.h"
#include "RichEdit.h"
#include "StdCtrls.h"

class TfrmStr : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TLabel lblName, lblData, lblLength, lblMax;
    classlib::TEdit edtName;
    classlib::TRichEdit mmValue;
    classlib::TBitBtn btnPrint, btnLoad, btnSave, btnOk, btnCancel;
    classlib::TOpenDialog opndlgMain;
    classlib::TSaveDialog svdlgMain;

    // The data, put in and read out as plain text: nothing in it is taken
    // for rich text. While the user has not changed the text, Data() gives
    // back exactly what SetData put in; after a change, line breaks are
    // written the way the original data wrote them.
    void SetData(const std::string& data);
    std::string Data() const;

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
    std::string FOriginal;
    classlib::TGdiObject FFont{classlib::CreateTextFont("Times New Roman", -12)};
};

// Text read from the editor, with its CR LF line breaks turned into the kind
// the original data used (LF or CR alone); unchanged when the original used
// CR LF or had no line break.
std::string KeepLineBreaks(const std::string& edited, const std::string& original);

extern TfrmStr* frmStr;
