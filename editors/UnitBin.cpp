#include "UnitBin.h"

#include <algorithm>
#include <cstdio>

#include "UnitMain.h"
#include "resource.h"

using namespace classlib;

TfrmBin* frmBin = nullptr;

namespace {

const COLORREF kCream = RGB(255, 251, 240);
const int kVisibleLines = 16;  // lines of the view
const int kBytesPerLine = 16;

// Edit and rich edit controls answer the same selection and line messages.
TTextRange GetSel(HWND h) {
    DWORD start = 0, end = 0;
    ::SendMessageA(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end) - static_cast<int>(start)};
}

void SetSel(HWND h, TTextRange r) { ::SendMessageA(h, EM_SETSEL, r.Start, r.Start + r.Length); }

void Replace(HWND h, TTextRange r, const std::string& text) {
    SetSel(h, r);
    ::SendMessageA(h, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

int LineCount(HWND h) { return static_cast<int>(::SendMessageA(h, EM_GETLINECOUNT, 0, 0)); }

int FirstVisible(HWND h) { return static_cast<int>(::SendMessageA(h, EM_GETFIRSTVISIBLELINE, 0, 0)); }

void ScrollBy(HWND h, int lines) {
    if (lines != 0) ::SendMessageA(h, EM_LINESCROLL, 0, lines);
}

int TextLength(HWND h) { return static_cast<int>(::SendMessageA(h, WM_GETTEXTLENGTH, 0, 0)); }

// Lines from..to-1 of the address column, joined by CR LF.
std::string AddressLines(int from, int to) {
    std::string s;
    s.reserve(static_cast<size_t>(std::max(to - from, 0)) * 10);
    char buf[16];
    for (int i = from; i < to; ++i) {
        if (i > from) s += "\r\n";
        std::snprintf(buf, sizeof buf, "%08X", static_cast<unsigned>(i) * kBytesPerLine);
        s += buf;
    }
    return s;
}

// Widths of the columns' text from the font: the hex column holds 16 bytes
// a line and never 17, the character column 16 characters.
struct TColumnMetrics {
    int Address = 0, Hex = 0, Chars = 0, LineHeight = 0;
};

TColumnMetrics MeasureColumns(HWND window, HFONT font) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, font);
    auto width = [dc](const std::string& s) {
        SIZE size{};
        ::GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &size);
        return static_cast<int>(size.cx);
    };
    // Widest and narrowest characters each column can show.
    char wideDigit = '0', narrowDigit = '0', wideChar = '.', narrowChar = '.';
    for (const char* d = "0123456789ABCDEF"; *d; ++d) {
        if (width(std::string(1, *d)) > width(std::string(1, wideDigit))) wideDigit = *d;
        if (width(std::string(1, *d)) < width(std::string(1, narrowDigit))) narrowDigit = *d;
    }
    for (int b = 1; b < 256; ++b) {
        const char c = THexEditModel::CharOf(static_cast<std::uint8_t>(b));
        if (width(std::string(1, c)) > width(std::string(1, wideChar))) wideChar = c;
        if (width(std::string(1, c)) < width(std::string(1, narrowChar))) narrowChar = c;
    }
    auto between = [](int fits, int overflows) { return overflows > fits ? (fits + overflows) / 2 : fits + 1; };
    std::string line, longer;
    for (int i = 0; i < kBytesPerLine; ++i) {
        line += std::string(2, wideDigit) + " ";
        longer += std::string(2, narrowDigit) + " ";
    }
    longer += std::string(2, narrowDigit);
    TColumnMetrics m;
    m.Hex = between(width(line), width(longer));
    m.Chars = between(width(std::string(kBytesPerLine, wideChar)), width(std::string(kBytesPerLine + 1, narrowChar)));
    m.Address = between(width(std::string(8, wideDigit)), width(std::string(9, narrowDigit)));
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc, &tm);
    m.LineHeight = tm.tmHeight;
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return m;
}

// Sizes an edit control so that its formatting rectangle is width x height.
void FitFormatRect(HWND h, int width, int height) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        RECT window{}, format{};
        ::GetWindowRect(h, &window);
        ::SendMessageA(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        const int dw = width - (format.right - format.left), dh = height - (format.bottom - format.top);
        if (dw == 0 && dh == 0) return;
        ::SetWindowPos(h, nullptr, 0, 0, window.right - window.left + dw, window.bottom - window.top + dh,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

int TextWidth(HWND window, const std::string& text) {
    HDC dc = ::GetDC(window);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(window, WM_GETFONT, 0, 0)));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(window, dc);
    return size.cx;
}

}  // namespace

// ---- Binding table -------------------------------------------------------------

void TfrmBin::BindComponents() {
    Bind(tbstMain, IDC_BIN_TBSTMAIN, "tbstMain");
    Bind(ntbkMain, IDC_BIN_NTBKMAIN, "ntbkMain");
    Bind(pgMain, IDC_BIN_PGMAIN, "pgMain", TAlign::alClient, &ntbkMain);
    Bind(pgImage, IDC_BIN_PGIMAGE, "pgImage", TAlign::alClient, &ntbkMain);
    Bind(lblName, IDC_BIN_LBLNAME, "lblName", TAlign::alNone, &pgMain);
    Bind(edtName, IDC_BIN_EDTNAME, "edtName", TAlign::alNone, &pgMain);
    Bind(lblData, IDC_BIN_LBLDATA, "lblData", TAlign::alNone, &pgMain);
    Bind(lblLength, IDC_BIN_LBLLENGTH, "lblLength", TAlign::alNone, &pgMain);
    Bind(lblMax, IDC_BIN_LBLMAX, "lblMax", TAlign::alNone, &pgMain);
    Bind(pnlValue, IDC_BIN_PNLVALUE, "pnlValue", TAlign::alNone, &pgMain);
    Bind(mmAddress, IDC_BIN_MMADDRESS, "mmAddress", TAlign::alNone, &pnlValue);
    Bind(mmHexValue, IDC_BIN_MMHEXVALUE, "mmHexValue", TAlign::alNone, &pnlValue);
    Bind(mm_HexValue, IDC_BIN_MM_HEXVALUE, "mm_HexValue", TAlign::alNone, &pnlValue);
    Bind(mmValueString, IDC_BIN_MMVALUESTRING, "mmValueString", TAlign::alNone, &pnlValue);
    Bind(scrbrIndex, IDC_BIN_SCRBRINDEX, "scrbrIndex", TAlign::alNone, &pnlValue);
    Bind(btnLoad, IDC_BIN_BTNLOAD, "btnLoad", TAlign::alNone, &pgMain);
    Bind(btnSave, IDC_BIN_BTNSAVE, "btnSave", TAlign::alNone, &pgMain);
    Bind(btnOK, IDOK, "btnOK", TAlign::alNone, &pgMain);
    Bind(btnCancel, IDCANCEL, "btnCancel", TAlign::alNone, &pgMain);
    Register(tmrIndexLine, "tmrIndexLine");

    mmHexValue.Tag = mm_HexValue.Tag = 1;
    mmValueString.Tag = 2;
    lblName.FocusControl = &edtName;
    lblData.FocusControl = &mmHexValue;
    lblMax.FontColor = RGB(255, 0, 0);
    btnLoad.Hint = "Don't load to large file to registry,or your system's speed will be slowly.";
    btnOK.ModalResult = mrOk;
    btnCancel.ModalResult = mrCancel;
    DefaultButton = &btnOK;
    CancelButton = &btnCancel;
    ntbkMain.Pages = {&pgMain, &pgImage};
    tmrIndexLine.Interval = 10;

    OnShow = Handler(this, &TfrmBin::FormShow);
    OnHide = Handler(this, &TfrmBin::FormHide);
    tbstMain.OnChange = Handler(this, &TfrmBin::tbstMainChange);
    // Both hex columns carry the same handlers.
    mmHexValue.OnChange = mm_HexValue.OnChange = Handler(this, &TfrmBin::mmHexValueChange);
    mmHexValue.OnKeyPress = mm_HexValue.OnKeyPress = [this](TObject* s, char& k) { mmHexValueKeyPress(s, k); };
    mmHexValue.OnKeyDown = mm_HexValue.OnKeyDown = [this](TObject* s, WORD& k, UINT sh) { mmHexValueKeyDown(s, k, sh); };
    mmHexValue.OnKeyUp = mm_HexValue.OnKeyUp = [this](TObject* s, WORD& k, UINT sh) { mmHexValueKeyUp(s, k, sh); };
    mmHexValue.OnMouseDown = mm_HexValue.OnMouseDown = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) {
        mmHexValueMouseDown(s, b, sh, x, y);
    };
    mmHexValue.OnMouseMove = mm_HexValue.OnMouseMove = [this](TObject* s, UINT sh, int x, int y) {
        mmHexValueMouseMove(s, sh, x, y);
    };
    mmHexValue.OnMouseUp = Handler(this, &TfrmBin::mmHexValueMouseUp);
    mm_HexValue.OnMouseUp = [this](TObject* s, TMouseButton, UINT, int, int) { mmHexValueMouseUp(s); };
    mmHexValue.OnEnter = mm_HexValue.OnEnter = Handler(this, &TfrmBin::mmHexValueEnter);
    mmHexValue.OnExit = mm_HexValue.OnExit = Handler(this, &TfrmBin::mmHexValueExit);
    mmValueString.OnChange = Handler(this, &TfrmBin::mmValueStringChange);
    mmValueString.OnKeyPress = [this](TObject* s, char& k) { mmValueStringKeyPress(s, k); };
    mmValueString.OnKeyDown = [this](TObject* s, WORD& k, UINT sh) { mmValueStringKeyDown(s, k, sh); };
    mmValueString.OnKeyUp = [this](TObject* s, WORD& k, UINT sh) { mmValueStringKeyUp(s, k, sh); };
    mmValueString.OnMouseDown = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) {
        mmValueStringMouseDown(s, b, sh, x, y);
    };
    mmValueString.OnMouseMove = [this](TObject* s, UINT sh, int x, int y) { mmValueStringMouseMove(s, sh, x, y); };
    mmValueString.OnMouseUp = Handler(this, &TfrmBin::mmValueStringMouseUp);
    mmValueString.OnEnter = Handler(this, &TfrmBin::mmValueStringEnter);
    mmValueString.OnExit = Handler(this, &TfrmBin::mmValueStringExit);
    mmAddress.OnEnter = Handler(this, &TfrmBin::mmAddressEnter);
    scrbrIndex.OnScroll = Handler(this, &TfrmBin::scrbrIndexScroll);
    scrbrIndex.OnEnter = Handler(this, &TfrmBin::scrbrIndexEnter);
    scrbrIndex.OnExit = Handler(this, &TfrmBin::scrbrIndexExit);
    tmrIndexLine.OnTimer = Handler(this, &TfrmBin::tmrIndexLineTimer);
}

// ---- Creation and layout -----------------------------------------------------------

void TfrmBin::FormCreate() {
    FRichHex = frmMain->FVersionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT;
    for (TRichEdit* rich : {&mmAddress, &mmHexValue, &mmValueString}) {
        rich->Setup();  // no length limit, change events
        rich->SetProgramEditsOnly(true);
    }
    mm_HexValue.RemoveLimit();
    mm_HexValue.ProgramEditsOnly = true;
    ::SendMessageA(mmAddress.Handle, EM_SETBKGNDCOLOR, 0, ::GetSysColor(COLOR_BTNFACE));
    mmHexValue.SetVisible(FRichHex);
    mm_HexValue.SetVisible(!FRichHex);
    lblData.FocusControl = &HexColumn();
    btnLoad.SetGlyph(frmMain->imglstMain, 8);
    btnSave.SetGlyph(frmMain->imglstMain, 9);
    btnOK.SetGlyph(frmMain->imglstMain, 32);
    btnCancel.SetGlyph(frmMain->imglstMain, 35);
    tbstMain.SetTabs({"Main", "View As Image"});
    SetColumnFont("Courier New", -12);
    ntbkMain.SetPageIndex(0);
}

void TfrmBin::SetColumnFont(const std::string& face, int height) {
    auto font = std::make_unique<TGdiObject>(CreateTextFont(face.c_str(), height, FIXED_PITCH | FF_MODERN));
    for (HWND h : {mmAddress.Handle, mmHexValue.Handle, mm_HexValue.Handle, mmValueString.Handle})
        ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font->Get()), TRUE);
    FColumnFont = std::move(font);
    LayOut();
    if (FShowing) {
        RebuildAddresses();
        HexTextChanged();
    }
}

void TfrmBin::LayOut() {
    const int margin = 6, gap = 6;
    // The value panel: three columns of 16 lines and the scroll bar.
    const TColumnMetrics m = MeasureColumns(Handle, static_cast<HFONT>(FColumnFont->Get()));
    const int textHeight = kVisibleLines * m.LineHeight;
    FitFormatRect(mmAddress.Handle, m.Address, textHeight);
    FitFormatRect(mmHexValue.Handle, m.Hex, textHeight);
    FitFormatRect(mm_HexValue.Handle, m.Hex, textHeight);
    FitFormatRect(mmValueString.Handle, m.Chars, textHeight);
    const int addressW = mmAddress.Width(), hexW = FRichHex ? mmHexValue.Width() : mm_HexValue.Width(),
              charsW = mmValueString.Width(), barW = ::GetSystemMetrics(SM_CXVSCROLL);
    const int panelH = std::max({mmAddress.Height(), mmHexValue.Height(), mm_HexValue.Height(), mmValueString.Height()});
    mmAddress.SetBounds(0, 0, addressW, mmAddress.Height());
    mmHexValue.SetBounds(addressW, 0, mmHexValue.Width(), mmHexValue.Height());
    mm_HexValue.SetBounds(addressW, 0, mm_HexValue.Width(), mm_HexValue.Height());
    mmValueString.SetBounds(addressW + hexW, 0, charsW, mmValueString.Height());
    scrbrIndex.SetBounds(addressW + hexW + charsW, 0, barW, panelH);
    const int panelW = addressW + hexW + charsW + barW;

    // The page: name row, data row, the panel, the buttons.
    TEXTMETRICA tm{};
    {
        HDC dc = ::GetDC(Handle);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(Handle, WM_GETFONT, 0, 0)));
        ::GetTextMetricsA(dc, &tm);
        ::SelectObject(dc, old);
        ::ReleaseDC(Handle, dc);
    }
    const int textH = tm.tmHeight, editH = textH + 8, buttonH = textH + 12;
    const int clientW = std::max(panelW + 2 * margin, 485);
    const int labelW = std::max(TextWidth(lblName.Handle, lblName.Caption()), TextWidth(lblData.Handle, lblData.Caption())) + 8;
    int y = margin;
    lblName.SetBounds(margin, y + (editH - textH) / 2, labelW, textH);
    edtName.SetBounds(margin + labelW, y, clientW - 2 * margin - labelW, editH);
    y += editH + gap;
    lblData.SetBounds(margin, y, labelW, textH);
    lblLength.SetBounds(margin + labelW, y, 200, textH);
    lblMax.SetBounds(clientW - margin - 220, y, 220, textH);
    y += textH + 4;
    pnlValue.SetBounds(margin, y, panelW, panelH);
    y += panelH + 2 * gap;
    auto buttonW = [&](TButton& b) { return std::max(TextWidth(b.Handle, b.Caption()) + 44, 84); };
    const int loadW = buttonW(btnLoad), saveW = buttonW(btnSave), okW = buttonW(btnOK), cancelW = buttonW(btnCancel);
    btnLoad.SetBounds(margin, y, loadW, buttonH);
    btnSave.SetBounds(margin + loadW + gap, y, saveW, buttonH);
    btnCancel.SetBounds(clientW - margin - cancelW, y, cancelW, buttonH);
    btnOK.SetBounds(clientW - margin - cancelW - gap - okW, y, okW, buttonH);
    const int pageH = y + buttonH + margin;

    RECT tab{};
    TabCtrl_GetItemRect(tbstMain.Handle, 0, &tab);
    const int tabH = tab.bottom + 2;
    tbstMain.SetBounds(0, 0, clientW, tabH);
    ntbkMain.SetBounds(0, tabH, clientW, pageH);
    SetClientSize(clientW, tabH + pageH);
    CenterOnScreen();
}

INT_PTR TfrmBin::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    switch (msg) {
        case WM_VSCROLL:
            if (reinterpret_cast<HWND>(lp) == scrbrIndex.Handle) {
                scrbrIndex.Scroll(LOWORD(wp));
                handled = true;
                return 0;
            }
            break;
        case WM_DRAWITEM:
            if (DrawOwnerButton(lp)) {
                handled = true;
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC: {
            const auto dc = reinterpret_cast<HDC>(wp);
            const auto from = reinterpret_cast<HWND>(lp);
            handled = true;
            if (from == edtName.Handle) return PaintStatic(dc, CLR_INVALID, kCream);
            if (from == lblMax.Handle) return PaintStatic(dc, lblMax.FontColor, CLR_INVALID);
            return PaintStatic(dc, CLR_INVALID, CLR_INVALID);
        }
        default: break;
    }
    return TForm::WindowMessage(msg, wp, lp, handled);
}

// ---- The hex column in use ---------------------------------------------------------

TControl& TfrmBin::HexColumn() {
    if (FRichHex) return mmHexValue;
    return mm_HexValue;
}

std::string TfrmBin::HexColumnText() const { return FRichHex ? mmHexValue.Text() : mm_HexValue.Text(); }

void TfrmBin::SetHexColumnText(const std::string& text) {
    FFilling = true;
    if (FRichHex)
        mmHexValue.SetText(text);
    else
        mm_HexValue.SetText(text);
    FModel.SetHexText(text);
    FModelStale = false;
    // The column shows the bytes in the one form: pairs and single blanks.
    const std::string normal = FModel.HexText();
    if (normal != text) {
        if (FRichHex)
            mmHexValue.SetText(normal);
        else
            mm_HexValue.SetText(normal);
    }
    FFilling = false;
    HexTextChanged();
}

const THexEditModel& TfrmBin::Model() {
    EnsureModel();
    return FModel;
}

void TfrmBin::EnsureModel() {
    if (!FModelStale) return;
    const std::string text = HexColumnText();
    FModel.SetHexText(text);
    FModelStale = false;
    const std::string normal = FModel.HexText();
    if (normal != text) SetHexColumnText(normal);
}

// ---- Show and hide --------------------------------------------------------------------

void TfrmBin::FormShow(TObject*) {
    lblName.SetVisible(!HideValueName);
    edtName.SetVisible(!HideValueName);
    tbstMain.SetTabIndex(0);
    ntbkMain.SetPageIndex(0);
    FHexSelecting = FCharSelecting = FMirrorBusy = false;
    mmAddress.SetText("");
    FAddressLines = 0;
    lblMax.SetCaption(frmMain->FVersionInfo.dwMajorVersion > 4
                          ? std::string()
                          : frmMain->sMaxLengthName + ":16384  " + frmMain->sBytesName);
    // The columns show exactly the model's bytes.
    EnsureModel();
    if (FCharsStale) {
        const std::string chars = FModel.CharText();
        if (mmValueString.Text() != chars) {
            FApplying = true;
            mmValueString.SetText(chars);
            FApplying = false;
        }
        FCharsStale = false;
    }
    SetSel(HexHandle(), {0, 0});
    SetSel(mmValueString.Handle, {0, 0});
    FShowing = true;
    RebuildAddresses();
    scrbrIndex.SetMax(FHexLines > kVisibleLines ? FHexLines - kVisibleLines : 0);
    scrbrIndex.SetPosition(0);
    FSyncedLine = 0;
    UpdateLength();
    tmrIndexLine.SetEnabled(true);
    FMirrorBusy = false;
}

void TfrmBin::FormHide(TObject*) {
    FShowing = false;
    tmrIndexLine.SetEnabled(false);
    scrbrIndex.SetPosition(0);
    scrbrIndex.SetMax(0);
}

void TfrmBin::tbstMainChange(TObject*) { ntbkMain.SetPageIndex(tbstMain.TabIndex()); }

// ---- Columns -------------------------------------------------------------------------------

void TfrmBin::RebuildAddresses() {
    FHexLines = LineCount(HexHandle());
    mmAddress.SetText(AddressLines(0, FHexLines));
    FAddressLines = FHexLines;
}

void TfrmBin::UpdateAddresses() {
    const int n = FHexLines, a = FAddressLines;
    if (n > a) {
        const std::string lines = (a > 0 ? "\r\n" : "") + AddressLines(a, n);
        const int end = mmAddress.TextLength();
        mmAddress.SetSelection(end, end);
        mmAddress.ReplaceSel(lines, false);
    } else if (n < a && n > 0) {
        const int cut = mmAddress.LineIndex(n - 1) + 8;
        mmAddress.SetSelection(cut, mmAddress.TextLength());
        mmAddress.ReplaceSel("", false);
    }
    FAddressLines = n;
}

void TfrmBin::UpdateLength() {
    const int bytes = (TextLength(HexHandle()) + 1) / 3;
    lblLength.SetCaption(frmMain->sLengthName + ":" + std::to_string(bytes) + "  " + frmMain->sBytesName);
}

void TfrmBin::mmHexValueChange(TObject*) {
    if (FFilling) return;
    if (!FApplying) FModelStale = true;  // set by someone else: read again when needed
    HexTextChanged();
}

void TfrmBin::HexTextChanged() {
    if (!FShowing) return;  // Show builds the rest
    FHexLines = LineCount(HexHandle());
    UpdateAddresses();
    if (FHexLines <= kVisibleLines) {
        scrbrIndex.SetPosition(0);
        scrbrIndex.SetMax(0);
    } else {
        scrbrIndex.SetMax(FHexLines - kVisibleLines);
    }
    UpdateLength();
}

void TfrmBin::mmValueStringChange(TObject*) {
    if (!FApplying) FCharsStale = true;
}

void TfrmBin::ApplyEdit(const THexEdit& edit) {
    FApplying = true;
    FMirrorBusy = true;
    Replace(HexHandle(), edit.HexRange, edit.HexText);
    Replace(mmValueString.Handle, edit.CharRange, edit.CharText);
    SetSel(HexHandle(), edit.HexSelection);
    SetSel(mmValueString.Handle, edit.CharSelection);
    FMirrorBusy = false;
    FApplying = false;
}

void TfrmBin::SelectAll() {
    EnsureModel();
    SetSel(HexHandle(), {0, FModel.HexLength()});
    SetSel(mmValueString.Handle, {0, FModel.ByteCount()});
}

// ---- Selections ------------------------------------------------------------------------------

void TfrmBin::MirrorHexToChars() {
    if (FMirrorBusy) return;
    FMirrorBusy = true;
    SetSel(mmValueString.Handle, THexEditModel::HexToChars(GetSel(HexHandle())));
    FMirrorBusy = false;
}

void TfrmBin::MirrorCharsToHex() {
    if (FMirrorBusy) return;
    FMirrorBusy = true;
    SetSel(HexHandle(), THexEditModel::CharsToHex(GetSel(mmValueString.Handle)));
    FMirrorBusy = false;
}

void TfrmBin::SnapHexSelection() {
    const TTextRange sel = GetSel(HexHandle());
    if (sel.Length <= 0) return;
    SetSel(HexHandle(), THexEditModel::SnapHexSelection(sel, TextLength(HexHandle())));
}

// ---- Hex column ------------------------------------------------------------------------------

void TfrmBin::mmHexValueKeyPress(TObject*, char& key) {
    const char typed = key;
    key = 0;  // the column never types by itself
    if (FHexSelecting) return;
    EnsureModel();
    THexEdit edit;
    if (FModel.TypeHexDigit(typed, GetSel(HexHandle()), edit)) ApplyEdit(edit);
}

void TfrmBin::mmHexValueKeyDown(TObject*, WORD& key, UINT shift) {
    if (key == VK_DELETE) {
        key = 0;
        if (FHexSelecting) return;
        EnsureModel();
        THexEdit edit;
        if (FModel.DeleteHex(GetSel(HexHandle()), edit)) ApplyEdit(edit);
        return;
    }
    if (shift & MK_CONTROL) {
        if (key == 'A') SelectAll();
        key = 0;  // no clipboard, undo or other shortcut of the control
    }
}

void TfrmBin::mmHexValueKeyUp(TObject*, WORD& key, UINT shift) {
    if (shift & MK_SHIFT) MirrorHexToChars();
    if (key == VK_SHIFT) {
        SnapHexSelection();
        FHexSelecting = false;
        MirrorHexToChars();
    }
}

void TfrmBin::mmHexValueMouseDown(TObject*, TMouseButton button, UINT, int, int) {
    if (button == TMouseButton::mbLeft) FHexSelecting = true;
}

void TfrmBin::mmHexValueMouseMove(TObject*, UINT, int, int) {
    if (FHexSelecting) MirrorHexToChars();
}

void TfrmBin::mmHexValueMouseUp(TObject*) {
    if (FHexSelecting) SnapHexSelection();
    FHexSelecting = FCharSelecting = false;
    MirrorHexToChars();
}

void TfrmBin::mmHexValueEnter(TObject*) { FHexLeads = true; }

void TfrmBin::mmHexValueExit(TObject*) { FHexLeads = false; }

// ---- Character column ---------------------------------------------------------------------

void TfrmBin::mmValueStringKeyPress(TObject*, char& key) {
    const auto typed = static_cast<unsigned char>(key);
    key = 0;
    if (FCharSelecting) return;
    EnsureModel();
    THexEdit edit;
    if (FModel.TypeChar(typed, GetSel(mmValueString.Handle), edit)) ApplyEdit(edit);
}

void TfrmBin::mmValueStringKeyDown(TObject*, WORD& key, UINT shift) {
    if (key == VK_DELETE) {
        key = 0;
        if (FCharSelecting) return;
        EnsureModel();
        THexEdit edit;
        if (FModel.DeleteChars(GetSel(mmValueString.Handle), edit)) ApplyEdit(edit);
        return;
    }
    if (shift & MK_CONTROL) {
        if (key == 'A') SelectAll();
        key = 0;
    }
}

void TfrmBin::mmValueStringKeyUp(TObject*, WORD& key, UINT shift) {
    if (shift & MK_SHIFT) MirrorCharsToHex();
    if (key == VK_SHIFT) MirrorCharsToHex();
}

void TfrmBin::mmValueStringMouseDown(TObject*, TMouseButton button, UINT, int, int) {
    if (button == TMouseButton::mbLeft) FCharSelecting = true;
}

void TfrmBin::mmValueStringMouseMove(TObject*, UINT, int, int) {
    if (FCharSelecting) MirrorCharsToHex();
}

void TfrmBin::mmValueStringMouseUp(TObject*) {
    MirrorCharsToHex();
    FHexSelecting = FCharSelecting = false;
}

void TfrmBin::mmValueStringEnter(TObject*) { FHexLeads = false; }

void TfrmBin::mmValueStringExit(TObject*) { FHexLeads = true; }

void TfrmBin::mmAddressEnter(TObject*) { HexColumn().SetFocus(); }

// ---- Scrolling ------------------------------------------------------------------------------

void TfrmBin::ScrollColumnsTo(int line) {
    const int n = FHexLines;
    if (n <= kVisibleLines) {
        scrbrIndex.SetPosition(0);
        scrbrIndex.SetMax(0);
        FSyncedLine = 0;
        return;
    }
    line = std::clamp(line, 0, n - kVisibleLines);
    for (HWND h : {mmAddress.Handle, HexHandle(), mmValueString.Handle}) ScrollBy(h, line - FirstVisible(h));
    scrbrIndex.SetPosition(line);
    FSyncedLine = line;
}

void TfrmBin::SyncFrom(HWND leader) {
    if (!::IsWindowVisible(Handle) || !::IsWindowVisible(HexHandle()) || !::IsWindowEnabled(HexHandle())) return;
    ScrollColumnsTo(FirstVisible(leader));
}

void TfrmBin::SyncFromHexColumn() { SyncFrom(HexHandle()); }

void TfrmBin::SyncFromCharColumn() { SyncFrom(mmValueString.Handle); }

void TfrmBin::tmrIndexLineTimer(TObject*) {
    // A column scrolled since the last tick (by the wheel, say) leads, also
    // without the focus; otherwise the column with the focus does.
    const bool hexMoved = FirstVisible(HexHandle()) != FSyncedLine;
    const bool charsMoved = FirstVisible(mmValueString.Handle) != FSyncedLine;
    if (hexMoved && !charsMoved)
        SyncFromHexColumn();
    else if (charsMoved && !hexMoved)
        SyncFromCharColumn();
    else if (!hexMoved && FirstVisible(mmAddress.Handle) != FSyncedLine)
        SyncFrom(mmAddress.Handle);
    else if (FHexLeads)
        SyncFromHexColumn();
    else
        SyncFromCharColumn();
}

void TfrmBin::scrbrIndexScroll(TObject*) { ScrollColumnsTo(scrbrIndex.Position()); }

void TfrmBin::scrbrIndexEnter(TObject*) { tmrIndexLine.SetEnabled(false); }

void TfrmBin::scrbrIndexExit(TObject*) { tmrIndexLine.SetEnabled(FShowing); }
