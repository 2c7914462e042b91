#include "UnitStr.h"

#include "Files.h"
#include "UnitMain.h"
#include "resource.h"

using namespace classlib;

TfrmStr* frmStr = nullptr;

namespace {

const COLORREF kCream = RGB(255, 251, 240);

}  // namespace

std::string KeepLineBreaks(const std::string& edited, const std::string& original) {
    if (original.find("\r\n") != std::string::npos) return edited;
    const bool lf = original.find('\n') != std::string::npos, cr = original.find('\r') != std::string::npos;
    if (lf == cr) return edited;  // none at all, or both kinds alone
    const char single = lf ? '\n' : '\r';
    std::string out;
    out.reserve(edited.size());
    for (size_t i = 0; i < edited.size(); ++i) {
        if (edited[i] == '\r' && i + 1 < edited.size() && edited[i + 1] == '\n') {
            out += single;
            ++i;
        } else {
            out += edited[i];
        }
    }
    return out;
}

void TfrmStr::BindComponents() {
    Bind(lblName, IDC_STR_LBLNAME, "lblName");
    Bind(edtName, IDC_STR_EDTNAME, "edtName");
    Bind(lblData, IDC_STR_LBLDATA, "lblData");
    Bind(lblLength, IDC_STR_LBLLENGTH, "lblLength");
    Bind(lblMax, IDC_STR_LBLMAX, "lblMax");
    Bind(mmValue, IDC_STR_MMVALUE, "mmValue");
    Bind(btnPrint, IDC_STR_BTNPRINT, "btnPrint");
    Bind(btnLoad, IDC_STR_BTNLOAD, "btnLoad");
    Bind(btnSave, IDC_STR_BTNSAVE, "btnSave");
    Bind(btnOk, IDOK, "btnOk");
    Bind(btnCancel, IDCANCEL, "btnCancel");
    Register(opndlgMain, "opndlgMain");
    Register(svdlgMain, "svdlgMain");

    lblName.FocusControl = &edtName;
    lblData.FocusControl = &mmValue;
    lblMax.FontColor = RGB(255, 0, 0);
    btnOk.ModalResult = mrOk;
    btnCancel.ModalResult = mrCancel;
    DefaultButton = &btnOk;
    CancelButton = &btnCancel;
    opndlgMain.Filter = "Text file|*.txt";
    svdlgMain.Filter = "Text file|*.txt";
    svdlgMain.DefaultExt = "txt";

    OnShow = Handler(this, &TfrmStr::FormShow);
    mmValue.OnChange = Handler(this, &TfrmStr::mmValueChange);
    btnLoad.OnClick = Handler(this, &TfrmStr::btnLoadClick);
    btnSave.OnClick = Handler(this, &TfrmStr::btnSaveClick);
}

void TfrmStr::FormCreate() {
    mmValue.Setup();
    btnPrint.SetGlyph(frmMain->imglstMain, 14);
    btnLoad.SetGlyph(frmMain->imglstMain, 8);
    btnSave.SetGlyph(frmMain->imglstMain, 9);
    btnOk.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    ::SendMessageA(mmValue.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont.Get()), TRUE);
    opndlgMain.OwnerWindow = svdlgMain.OwnerWindow = Handle;
    CenterOnScreen();
}

INT_PTR TfrmStr::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    if (msg == WM_CTLCOLORSTATIC) {
        const auto dc = reinterpret_cast<HDC>(wp);
        const auto from = reinterpret_cast<HWND>(lp);
        handled = true;
        if (from == edtName.Handle) return PaintStatic(dc, CLR_INVALID, kCream);
        if (from == lblMax.Handle) return PaintStatic(dc, lblMax.FontColor, CLR_INVALID);
        return PaintStatic(dc, CLR_INVALID, CLR_INVALID);
    }
    return TForm::WindowMessage(msg, wp, lp, handled);
}

void TfrmStr::SetData(const std::string& data) {
    FOriginal = data;
    mmValue.SetText(data);
    mmValue.SetModified(false);
    UpdateLength();
}

std::string TfrmStr::Data() const {
    if (!mmValue.Modified()) return FOriginal;
    return KeepLineBreaks(mmValue.Text(), FOriginal);
}

void TfrmStr::UpdateLength() {
    lblLength.SetCaption(frmMain->sLengthName + ":" + std::to_string(Data().size()) + "  " + frmMain->sBytesName);
}

void TfrmStr::FormShow(TObject*) {
    const std::string max = frmMain->FVersionInfo.dwMajorVersion < 5 ? ":16383 " : ":531706 ";
    lblMax.SetCaption(frmMain->sMaxLengthName + max + frmMain->sBytesName);
    UpdateLength();
    mmValue.SetFocus();
}

void TfrmStr::mmValueChange(TObject*) { UpdateLength(); }

void TfrmStr::btnLoadClick(TObject*) {
    if (!opndlgMain.Execute()) return;
    std::string content;
    ReadWholeFile(opndlgMain.FileName, content);  // raises naming the file; the text stays
    mmValue.LoadContent(content);
    mmValue.SetModified(true);
    UpdateLength();
}

void TfrmStr::btnSaveClick(TObject*) {
    if (!svdlgMain.Execute()) return;
    // A new file replaces the old one only once it is written whole.
    SaveTextFile(svdlgMain.FileName, mmValue.RtfText());
}
