#include "UnitBinFind.h"

#include "UnitMain.h"
#include "resource.h"
#include "zrvString.h"

using namespace classlib;

TfrmBinFind* frmBinFind = nullptr;

void TfrmBinFind::BindComponents() {
    Bind(lblText, IDC_BINFIND_LBLTEXT, "lblText");
    Bind(edtText, IDC_BINFIND_EDTTEXT, "edtText");
    Bind(lblHex, IDC_BINFIND_LBLHEX, "lblHex");
    Bind(edtHex, IDC_BINFIND_EDTHEX, "edtHex");
    Bind(btnFind, IDOK, "btnFind").ModalResult = mrOk;
    Bind(btnCancel, IDCANCEL, "btnCancel").ModalResult = mrCancel;
    lblText.FocusControl = &edtText;
    lblHex.FocusControl = &edtHex;
    DefaultButton = &btnFind;
    CancelButton = &btnCancel;
    edtText.OnChange = Handler(this, &TfrmBinFind::edtTextChange);
    edtHex.OnKeyPress = [this](TObject* s, wchar_t& k) { edtHexKeyPress(s, k); };
    btnFind.OnClick = Handler(this, &TfrmBinFind::btnFindClick);
}

void TfrmBinFind::FormCreate() {
    FFont = std::make_unique<TGdiObject>(::CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                                                       FIXED_PITCH | FF_MODERN, "Courier New"));
    for (TControl* c : {static_cast<TControl*>(&lblText), static_cast<TControl*>(&edtText),
                        static_cast<TControl*>(&lblHex), static_cast<TControl*>(&edtHex)})
        ::SendMessageA(c->Handle, WM_SETFONT, reinterpret_cast<WPARAM>(FFont->Get()), TRUE);
    btnFind.SetGlyph(frmMain->imglstMain, 26);
    btnCancel.SetGlyph(frmMain->imglstMain, 35);
    CenterOnScreen();
}

void TfrmBinFind::edtTextChange(TObject*) {
    // The text is searched as its bytes in the code page: a character that
    // has none (typed or pasted) is refused, never searched as some other.
    const std::wstring typed = edtText.WideText();
    std::string text;
    if (!ToAnsiExact(typed, text)) {
        std::wstring kept;
        for (wchar_t c : typed)
            if (FitsCodePage(std::wstring(1, c))) kept += c;
        ::MessageBeep(MB_OK);
        edtText.SetWideText(kept);  // comes back here with what is kept
        ::SendMessageW(edtText.Handle, EM_SETSEL, kept.size(), static_cast<LPARAM>(kept.size()));
        return;
    }
    edtHex.SetText(BytesToHexSep(text.data(), static_cast<int>(text.size()), ' '));
}

void TfrmBinFind::edtHexKeyPress(TObject*, wchar_t& key) {
    if (key >= L'a' && key <= L'z') key = static_cast<wchar_t>(key - L'a' + L'A');
    if (key != ' ') return;
    // A blank tidies the hex text into whole pairs first, and the text edit
    // follows without writing the hex edit back.
    const TNotifyEvent onChange = edtText.OnChange;
    edtText.OnChange = nullptr;
    std::string hex = edtHex.Text();
    while (hex.find("  ") != std::string::npos) hex = ReplaceAll(hex, "  ", " ");
    const std::vector<std::uint8_t> bytes = HexToBytes(hex);
    edtHex.SetText(BytesToHexSep(bytes, ' '));
    std::string text;
    for (std::uint8_t b : bytes) {
        if (b == 0) break;
        text += static_cast<char>(b);
    }
    edtText.SetText(text);
    edtText.OnChange = onChange;
    // The blank goes after the text.
    const auto end = static_cast<WPARAM>(edtHex.Text().size());
    ::SendMessageA(edtHex.Handle, EM_SETSEL, end, static_cast<LPARAM>(end));
}

void TfrmBinFind::btnFindClick(TObject*) { edtHex.SetText(TrimSpaces(edtHex.Text())); }
