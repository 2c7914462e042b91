#include "UnitStr.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "UnitMain.h"
#include "resource.h"
#include "zrvTextSplice.h"

using namespace classlib;

TfrmStr* frmStr = nullptr;

namespace {

const COLORREF kCream = RGB(255, 251, 240);

}  // namespace

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

void TfrmStr::SetData(const std::vector<BYTE>& stored) {
    FOriginal = stored;
    FStored.assign(stored.size() / 2, u'\0');
    if (!FStored.empty()) std::memcpy(&FStored[0], stored.data(), FStored.size() * 2);
    FOddByte.assign(reinterpret_cast<const char*>(stored.data()) + FStored.size() * 2, stored.size() % 2);
    const std::u16string shown = EditorText(FStored);
    mmValue.SetWideText(std::wstring(shown.begin(), shown.end()));
    mmValue.SetModified(false);
    UpdateLength();
}

std::vector<BYTE> TfrmStr::Data() const {
    if (!mmValue.Modified()) return FOriginal;
    const std::wstring text = mmValue.WideText();
    const std::u16string spliced = SpliceEdit(FStored, std::u16string(text.begin(), text.end()));
    std::vector<BYTE> out(spliced.size() * 2 + FOddByte.size());
    if (!spliced.empty()) std::memcpy(out.data(), spliced.data(), spliced.size() * 2);
    if (!FOddByte.empty()) out.back() = static_cast<BYTE>(FOddByte[0]);
    return out;
}

void TfrmStr::UpdateLength() {
    lblLength.SetCaption(frmMain->sLengthName + ":" + std::to_string(mmValue.TextLength()) + "  " +
                         frmMain->sBytesName);
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
    std::ifstream in(opndlgMain.FileName, std::ios::binary);
    if (!in) throw EInvalidOperation("Cannot open file " + opndlgMain.FileName);
    const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw EInvalidOperation("Cannot read file " + opndlgMain.FileName);
    mmValue.LoadContent(content);
    mmValue.SetModified(true);
    UpdateLength();
}

void TfrmStr::btnSaveClick(TObject*) {
    if (!svdlgMain.Execute()) return;
    const std::string rtf = mmValue.RtfText();
    std::ofstream out(svdlgMain.FileName, std::ios::binary | std::ios::trunc);
    if (!out) throw EInvalidOperation("Cannot create file " + svdlgMain.FileName);
    out.write(rtf.data(), static_cast<std::streamsize>(rtf.size()));
    out.close();
    if (!out) throw EInvalidOperation("Cannot write file " + svdlgMain.FileName);
}
