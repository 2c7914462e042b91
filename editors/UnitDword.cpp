#include "UnitDword.h"

#include <cstdio>

#include "LanguageTexts.h"
#include "UnitMain.h"
#include "resource.h"
#include "zrvString.h"

using namespace classlib;

TfrmDword* frmDword = nullptr;

namespace {

const COLORREF kCream = RGB(255, 251, 240);

std::string HexText(DWORD v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08lX", static_cast<unsigned long>(v));
    return buf;
}

}  // namespace

bool ParseDwordText(const std::string& text, bool hex, DWORD& value) {
    if (text.empty() || (hex && text.size() > 8)) return false;
    std::uint64_t v = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (hex && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (hex && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return false;
        v = v * (hex ? 16 : 10) + static_cast<std::uint64_t>(digit);
        if (v > 0xFFFFFFFFull) return false;
    }
    value = static_cast<DWORD>(v);
    return true;
}

void TfrmDword::BindComponents() {
    Bind(lblName, IDC_DWORD_LBLNAME, "lblName");
    Bind(edtName, IDC_DWORD_EDTNAME, "edtName");
    Bind(lblData, IDC_DWORD_LBLDATA, "lblData");
    Bind(edtValue, IDC_DWORD_EDTVALUE, "edtValue");
    Bind(rdgrpDataType, IDC_DWORD_RDGRPDATATYPE, "rdgrpDataType");
    Bind(btnOk, IDOK, "btnOk");
    Bind(btnCancel, IDCANCEL, "btnCancel");

    lblName.FocusControl = &edtName;
    lblData.FocusControl = &edtValue;
    rdgrpDataType.Columns = 2;
    rdgrpDataType.SetItems({LanguageDefault("frmDword.rdgrpDataType.Dec"), LanguageDefault("frmDword.rdgrpDataType.Hex")});
    rdgrpDataType.SetItemIndex(0);
    btnOk.ModalResult = mrNone;  // OK closes only with a valid number
    btnCancel.ModalResult = mrCancel;
    DefaultButton = &btnOk;
    CancelButton = &btnCancel;

    OnShow = Handler(this, &TfrmDword::FormShow);
    rdgrpDataType.OnClick = Handler(this, &TfrmDword::rdgrpDataTypeClick);
    edtValue.OnKeyPress = [this](TObject* s, wchar_t& key) { edtValueKeyPress(s, key); };
    btnOk.OnClick = Handler(this, &TfrmDword::btnOkClick);
}

void TfrmDword::FormCreate() {
    btnOk.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    CenterOnScreen();
}

INT_PTR TfrmDword::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    if (msg == WM_CTLCOLORSTATIC) {
        handled = true;
        const COLORREF back = reinterpret_cast<HWND>(lp) == edtName.Handle ? kCream : CLR_INVALID;
        return PaintStatic(reinterpret_cast<HDC>(wp), CLR_INVALID, back);
    }
    return TForm::WindowMessage(msg, wp, lp, handled);
}

void TfrmDword::FormShow(TObject*) {
    rdgrpDataType.SetItemIndex(0);
    edtValue.SetFocus();
    ::SendMessageA(edtValue.Handle, EM_SETSEL, 0, -1);
}

void TfrmDword::rdgrpDataTypeClick(TObject*) {
    // The text was written in the other base; an unreadable one becomes 0.
    const std::string text = edtValue.Text();
    if (text.empty()) return;
    const bool toHex = rdgrpDataType.ItemIndex() == 1;
    DWORD v = 0;
    if (!ParseDwordText(text, !toHex, v)) {
        edtValue.SetText("0");
        return;
    }
    edtValue.SetText(toHex ? HexText(v) : std::to_string(static_cast<unsigned long>(v)));
}

void TfrmDword::edtValueKeyPress(TObject*, wchar_t& key) {
    if (key == L'\b' || key == L'\r' || key == 27) return;
    // Numbers are written in ASCII digits and letters only.
    if (key >= 0x80) {
        key = 0;
        return;
    }
    // The text as it will be with the key typed over the selection.
    DWORD start = 0, end = 0;
    ::SendMessageA(edtValue.Handle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    std::string candidate = edtValue.Text();
    start = std::min<DWORD>(start, static_cast<DWORD>(candidate.size()));
    end = std::max(start, std::min<DWORD>(end, static_cast<DWORD>(candidate.size())));
    candidate.replace(start, end - start, 1, static_cast<char>(key));
    DWORD v = 0;
    if (!ParseDwordText(candidate, rdgrpDataType.ItemIndex() == 1, v)) key = 0;
}

void TfrmDword::btnOkClick(TObject*) {
    const std::string text = edtValue.Text();
    DWORD v = 0;
    if (!text.empty() && !ParseDwordText(text, rdgrpDataType.ItemIndex() == 1, v)) {
        // The text is shown as the error; the dialog stays open and Value keeps what it held.
        Application().ShowException(EConvertError(text));
        edtValue.SetFocus();
        return;
    }
    Value = v;
    ModalResult = mrOk;
}
