#include "UnitBin.h"

#include <algorithm>
#include <fstream>

#include "GIFImage.h"
#include "Jpeg.h"
#include "UnitBinFind.h"
#include "LanguageTexts.h"
#include "UnitMain.h"
#include "resource.h"
#include "zrvDialog.h"
#include "zrvImage.h"
#include "zrvString.h"
#include "Seams.h"
#include "StringList.h"

using namespace classlib;

TfrmBin* frmBin = nullptr;

namespace {

const COLORREF kCream = RGB(255, 251, 240);
const int kVisibleLines = 16;  // lines of the view
const int kBytesPerLine = THexEditModel::kBytesPerLine;
const int kHexPerLine = THexEditModel::kHexPerLine;

int FirstVisible(HWND h) { return static_cast<int>(::SendMessageA(h, EM_GETFIRSTVISIBLELINE, 0, 0)); }

// Sets a column's text unless it shows that text already.
template <class C>
void ShowText(C& column, const std::string& text, std::string& shown) {
    if (text == shown) return;
    column.SetText(text);
    shown = text;
}

// Widths of the columns' text from the font: the hex column holds 16 bytes
// a line and never 17, the character column 16 characters.
struct TColumnMetrics {
    int Address = 0, Hex = 0, Chars = 0, LineHeight = 0;
};

TColumnMetrics MeasureColumns(HWND window, HFONT font) {
    const TWindowDC windowDC(window, font);
    HDC dc = windowDC.Get();
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

// The picture a file holds, by its extension, as the picture page would show
// it after loading the file; throws when it holds none.
std::unique_ptr<TGraphic> DecodePictureFile(const std::string& fileName);

int TextWidth(HWND window, const std::string& text) {
    const TWindowDC dc(window);
    SIZE size{};
    ::GetTextExtentPoint32A(dc.Get(), text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
}

}  // namespace

// ---- Binding table -------------------------------------------------------------

void TfrmBin::BindComponents() {
    RegisterLanguageFields(*this, "frmBin", {{&smsgUnknownImageFormat, "smsgUnknownImageFormat"}});
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
    Register(opndlgMain, "opndlgMain");
    Bind(imgMain, IDC_BIN_IMGMAIN, "imgMain", TAlign::alNone, &pgImage);
    Bind(lblInfo, IDC_BIN_LBLINFO, "lblInfo", TAlign::alNone, &pgImage);
    Bind(btnImageLoad, IDC_BIN_BTNIMAGELOAD, "btnImageLoad", TAlign::alNone, &pgImage);
    Bind(btnImageSave, IDC_BIN_BTNIMAGESAVE, "btnImageSave", TAlign::alNone, &pgImage);
    Register(opnpicdlgMain, "opnpicdlgMain");
    Register(svpicdlgMain, "svpicdlgMain");
    opnpicdlgMain.Filter =
        "All (*.gif;*.jpg;*.jpeg;*.bmp)|*.gif;*.jpg;*.jpeg;*.bmp|"
        "Bitmaps (*.bmp)|*.bmp|CompuServe GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|"
        "JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp";
    opnpicdlgMain.Decode = [](const std::string& fileName) { return DecodePictureFile(fileName); };
    svpicdlgMain.Filter =
        "All (*.gif;*.jpg;*.jpeg;*.bmp)|*.gif;*.jpg;*.jpeg;*.bmp|CompuServe GIF Image (*.gif)|*.gif|"
        "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp";
    svpicdlgMain.DefaultExt = "bmp";
    svpicdlgMain.FileName = ".bmp";
    btnImageLoad.OnClick = Handler(this, &TfrmBin::btnImageLoadClick);
    btnImageSave.OnClick = Handler(this, &TfrmBin::btnImageSaveClick);
    Register(svdlgMain, "svdlgMain");
    pppmnHexValue.Load(*this, IDM_BINPOPUP, true);
    Register(pppmnHexValue, "pppmnHexValue");
    pppmnHexValueCut = pppmnHexValue.Bind(ID_PPPMNHEXVALUECUT, "pppmnHexValueCut");
    pppmnHexValueCopy = pppmnHexValue.Bind(ID_PPPMNHEXVALUECOPY, "pppmnHexValueCopy");
    pppmnHexValuePaste = pppmnHexValue.Bind(ID_PPPMNHEXVALUEPASTE, "pppmnHexValuePaste");
    pppmnitmHexValuePrint = pppmnHexValue.Bind(ID_PPPMNITMHEXVALUEPRINT, "pppmnitmHexValuePrint");
    pppmnitmHexValueFind = pppmnHexValue.Bind(ID_PPPMNITMHEXVALUEFIND, "pppmnitmHexValueFind");
    pppmnitmHexValueFindNext = pppmnHexValue.Bind(ID_PPPMNITMHEXVALUEFINDNEXT, "pppmnitmHexValueFindNext");
    pppmnHexValueDelete = pppmnHexValue.Bind(ID_PPPMNHEXVALUEDELETE, "pppmnHexValueDelete");
    pppmnHexValue.OnPopup = Handler(this, &TfrmBin::pppmnHexValuePopup);
    pppmnHexValueCut->OnClick = Handler(this, &TfrmBin::pppmnHexValueCutClick);
    pppmnHexValueCopy->OnClick = Handler(this, &TfrmBin::pppmnHexValueCopyClick);
    pppmnHexValuePaste->OnClick = Handler(this, &TfrmBin::pppmnHexValuePasteClick);
    pppmnitmHexValuePrint->OnClick = Handler(this, &TfrmBin::pppmnitmHexValuePrintClick);
    pppmnitmHexValueFind->OnClick = Handler(this, &TfrmBin::pppmnitmHexValueFindClick);
    pppmnitmHexValueFindNext->OnClick = Handler(this, &TfrmBin::pppmnitmHexValueFindNextClick);
    pppmnHexValueDelete->OnClick = Handler(this, &TfrmBin::pppmnHexValueDeleteClick);
    mmHexValue.PopupMenu = mm_HexValue.PopupMenu = mmValueString.PopupMenu = &pppmnHexValue;
    btnLoad.OnClick = Handler(this, &TfrmBin::btnLoadClick);
    btnSave.OnClick = Handler(this, &TfrmBin::btnSaveClick);

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
    mmHexValue.OnKeyPress = mm_HexValue.OnKeyPress = [this](TObject* s, wchar_t& k) { mmHexValueKeyPress(s, k); };
    mmHexValue.OnKeyDown = mm_HexValue.OnKeyDown = [this](TObject* s, WORD& k, UINT sh) { mmHexValueKeyDown(s, k, sh); };
    mmHexValue.OnKeyUp = mm_HexValue.OnKeyUp = [this](TObject* s, WORD& k, UINT sh) { mmHexValueKeyUp(s, k, sh); };
    mmHexValue.OnMouseDown = mm_HexValue.OnMouseDown = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) {
        mmHexValueMouseDown(s, b, sh, x, y);
    };
    mmHexValue.OnMouseMove = mm_HexValue.OnMouseMove = [this](TObject* s, UINT sh, int x, int y) {
        mmHexValueMouseMove(s, sh, x, y);
    };
    mmHexValue.OnMouseRelease = mm_HexValue.OnMouseUp = [this](TObject* s, TMouseButton b, UINT, int, int) {
        if (b == TMouseButton::mbLeft) mmHexValueMouseUp(s);
    };
    mmHexValue.OnEnter = mm_HexValue.OnEnter = Handler(this, &TfrmBin::mmHexValueEnter);
    mmHexValue.OnExit = mm_HexValue.OnExit = Handler(this, &TfrmBin::mmHexValueExit);
    mmValueString.OnChange = Handler(this, &TfrmBin::mmHexValueChange);
    mmAddress.OnChange = Handler(this, &TfrmBin::mmHexValueChange);
    mmValueString.OnKeyPress = [this](TObject* s, wchar_t& k) { mmValueStringKeyPress(s, k); };
    mmValueString.OnKeyDown = [this](TObject* s, WORD& k, UINT sh) { mmValueStringKeyDown(s, k, sh); };
    mmValueString.OnKeyUp = [this](TObject* s, WORD& k, UINT sh) { mmValueStringKeyUp(s, k, sh); };
    mmValueString.OnMouseDown = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) {
        mmValueStringMouseDown(s, b, sh, x, y);
    };
    mmValueString.OnMouseMove = [this](TObject* s, UINT sh, int x, int y) { mmValueStringMouseMove(s, sh, x, y); };
    mmValueString.OnMouseRelease = [this](TObject* s, TMouseButton b, UINT, int, int) {
        if (b == TMouseButton::mbLeft) mmValueStringMouseUp(s);
    };
    // The columns show the lines in view: the form places caret and selection.
    mmHexValue.ProgramSelects = mm_HexValue.ProgramSelects = mmValueString.ProgramSelects = true;
    mmAddress.ProgramSelects = true;
    for (TRichEdit* rich : {&mmAddress, &mmHexValue, &mmValueString})
        rich->OnMouseWheel = [this](TObject* s, int delta) { ColumnMouseWheel(s, delta); };
    mm_HexValue.OnMouseWheel = [this](TObject* s, int delta) { ColumnMouseWheel(s, delta); };
    mmValueString.OnEnter = Handler(this, &TfrmBin::mmValueStringEnter);
    mmValueString.OnExit = Handler(this, &TfrmBin::mmValueStringExit);
    mmAddress.OnEnter = Handler(this, &TfrmBin::mmAddressEnter);
    mmAddress.OnMouseDown = [this](TObject* s, TMouseButton b, UINT sh, int x, int y) { mmAddressMouseDown(s, b, sh, x, y); };
    scrbrIndex.OnScroll = Handler(this, &TfrmBin::scrbrIndexScroll);
    scrbrIndex.OnEnter = Handler(this, &TfrmBin::scrbrIndexEnter);
    scrbrIndex.OnExit = Handler(this, &TfrmBin::scrbrIndexExit);
    tmrIndexLine.OnTimer = Handler(this, &TfrmBin::tmrIndexLineTimer);
}

// ---- Creation and layout -----------------------------------------------------------

void TfrmBin::FormCreate() {
    FCopyData = ZRVHexCopyData();
    opndlgMain.OwnerWindow = svdlgMain.OwnerWindow = Handle;
    opnpicdlgMain.OwnerWindow = svpicdlgMain.OwnerWindow = Handle;
    btnImageLoad.SetGlyph(frmMain->imglstMain, 8);
    btnImageSave.SetGlyph(frmMain->imglstMain, 9);
    FRichHex = frmMain->FVersionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT;
    for (TRichEdit* rich : {&mmAddress, &mmHexValue, &mmValueString}) {
        rich->Setup();  // no length limit, change events
        rich->SetProgramEditsOnly(true);
    }
    mm_HexValue.RemoveLimit();
    mm_HexValue.ProgramEditsOnly = true;
    mmAddress.SetBackground(::GetSysColor(COLOR_BTNFACE));
    mmHexValue.SetVisible(FRichHex);
    mm_HexValue.SetVisible(!FRichHex);
    lblData.FocusControl = &HexColumn();
    btnLoad.SetGlyph(frmMain->imglstMain, 8);
    btnSave.SetGlyph(frmMain->imglstMain, 9);
    btnOK.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    btnCancel.SetGlyph(frmMain->imglstMain, iiGlyphCancel);
    tbstMain.SetTabs({LanguageDefault("frmBin.tbstMain.Main"), LanguageDefault("frmBin.tbstMain.ViewAsImage")});
    SetColumnFont("Courier New", -12);
    ntbkMain.SetPageIndex(0);
}

void TfrmBin::SetColumnFont(const std::string& face, int height) {
    auto font = std::make_unique<TGdiObject>(CreateTextFont(face.c_str(), height, FIXED_PITCH | FF_MODERN));
    for (HWND h : {mmAddress.Handle, mmHexValue.Handle, mm_HexValue.Handle, mmValueString.Handle})
        ::SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font->Get()), TRUE);
    FColumnFont = std::move(font);
    LayOut();
    FShownHex.clear();
    FShownChars.clear();
    FShownAddresses.clear();
    Render();
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
    ::GetTextMetricsA(TWindowDC(Handle).Get(), &tm);
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
    // The picture page: the picture across the top, its buttons in the row of the others.
    const int imageH = 305;
    y = std::max(y, imageH + 2 * gap);
    btnLoad.SetBounds(margin, y, loadW, buttonH);
    btnSave.SetBounds(margin + loadW + gap, y, saveW, buttonH);
    btnCancel.SetBounds(clientW - margin - cancelW, y, cancelW, buttonH);
    btnOK.SetBounds(clientW - margin - cancelW - gap - okW, y, okW, buttonH);
    imgMain.SetBounds(0, 0, clientW, imageH);
    lblInfo.SetBounds(16, 136, clientW - 32, textH);
    ::SetWindowPos(lblInfo.Handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const int imageLoadW = buttonW(btnImageLoad), imageSaveW = buttonW(btnImageSave);
    btnImageLoad.SetBounds(margin, y, imageLoadW, buttonH);
    btnImageSave.SetBounds(margin + imageLoadW + gap, y, imageSaveW, buttonH);
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

// ---- The whole texts and the selections ------------------------------------------

TTextRange TfrmBin::TCaret::Range() const {
    return {std::min(Anchor, Caret), std::abs(Caret - Anchor)};
}

TControl& TfrmBin::HexColumn() {
    if (FRichHex) return mmHexValue;
    return mm_HexValue;
}

void TfrmBin::SetHexColumnText(const std::string& text) {
    FModel.SetHexText(text);
    FHex = TCaret();
    FChars = TCaret();
    FTop = 0;
    Render();
}

TTextRange TfrmBin::HexSelection() const { return FHex.Range(); }

TTextRange TfrmBin::CharSelection() const { return FChars.Range(); }

void TfrmBin::SelectHex(int anchor, int caret) {
    FHex.Anchor = std::clamp(anchor, 0, FModel.HexLength());
    FHex.Caret = std::clamp(caret, 0, FModel.HexLength());
    ShowLine(LineOfPosition(FHex.Caret, kHexPerLine));
    Render();
}

void TfrmBin::SelectChars(int anchor, int caret) {
    FChars.Anchor = std::clamp(anchor, 0, FModel.ByteCount());
    FChars.Caret = std::clamp(caret, 0, FModel.ByteCount());
    ShowLine(LineOfPosition(FChars.Caret, kBytesPerLine));
    Render();
}

// ---- Showing the lines in view ------------------------------------------------------

void TfrmBin::ShowLine(int line) {
    if (line < FTop)
        FTop = line;
    else if (line >= FTop + kVisibleLines)
        FTop = line - kVisibleLines + 1;
}

void TfrmBin::Render() {
    const int lines = FModel.LineCount();
    FTop = std::clamp(FTop, 0, std::max(lines - kVisibleLines, 0));
    FRendering = true;
    if (FRichHex)
        ShowText(mmHexValue, FModel.HexLines(FTop, kVisibleLines), FShownHex);
    else
        ShowText(mm_HexValue, FModel.HexLines(FTop, kVisibleLines), FShownHex);
    ShowText(mmValueString, FModel.CharLines(FTop, kVisibleLines), FShownChars);
    ShowText(mmAddress, THexEditModel::AddressLines(FTop, std::min(kVisibleLines, lines - FTop)), FShownAddresses);
    ShowSelections();
    FRendering = false;
    scrbrIndex.SetMax(std::max(lines - kVisibleLines, 0));
    scrbrIndex.SetPosition(FTop);
    UpdateLength();
}

void TfrmBin::ShowSelections() {
    // The parts of the selections in view; a caret out of view sits at the edge.
    auto clip = [](int pos, int base, const std::string& shown) {
        return std::clamp(pos - base, 0, static_cast<int>(shown.size()));
    };
    const int hexBase = FTop * kHexPerLine, charBase = FTop * kBytesPerLine;
    ::SendMessageA(HexHandle(), EM_SETSEL, clip(FHex.Anchor, hexBase, FShownHex), clip(FHex.Caret, hexBase, FShownHex));
    ::SendMessageA(mmValueString.Handle, EM_SETSEL, clip(FChars.Anchor, charBase, FShownChars),
                   clip(FChars.Caret, charBase, FShownChars));
}

void TfrmBin::UpdateLength() {
    lblLength.SetCaption(frmMain->sLengthName + ":" + std::to_string(FModel.ByteCount()) + "  " +
                         frmMain->sBytesName);
}

void TfrmBin::mmHexValueChange(TObject*) {
    // Only the program changes the columns; anything else is put right.
    if (!FRendering) {
        FShownHex.clear();
        FShownChars.clear();
        Render();
    }
}

// ---- Show and hide --------------------------------------------------------------------

void TfrmBin::FormShow(TObject*) {
    lblName.SetVisible(!HideValueName);
    edtName.SetVisible(!HideValueName);
    tbstMain.SetTabIndex(0);
    ntbkMain.SetPageIndex(0);
    FHexSelecting = FCharSelecting = FMirrorBusy = false;
    FFindFound = false;
    FAutoScroll = 0;
    imgMain.SetPicture(nullptr);
    ShowInfo("");
    lblMax.SetCaption(frmMain->FVersionInfo.dwMajorVersion > 4
                          ? std::string()
                          : frmMain->sMaxLengthName + ":16384  " + frmMain->sBytesName);
    FHex = TCaret();
    FChars = TCaret();
    FTop = 0;
    FShowing = true;
    Render();
    tmrIndexLine.SetEnabled(true);
}

void TfrmBin::FormHide(TObject*) {
    FShowing = false;
    FHexSelecting = FCharSelecting = false;
    tmrIndexLine.SetEnabled(false);
    scrbrIndex.SetPosition(0);
    scrbrIndex.SetMax(0);
}

void TfrmBin::tbstMainChange(TObject*) {
    THourGlass wait;
    if (ntbkMain.PageIndex() == 0) {
        ShowPicture();
        ntbkMain.SetPageIndex(1);
    } else {
        ntbkMain.SetPageIndex(0);
    }
    tbstMain.SetTabIndex(ntbkMain.PageIndex());
}

// ---- Editing ---------------------------------------------------------------------------

void TfrmBin::ApplyEdit(const THexEdit& edit, bool hexLeads) {
    FHex.Anchor = FHex.Caret = edit.HexSelection.Start;
    FChars.Anchor = FChars.Caret = edit.CharSelection.Start;
    ShowLine(hexLeads ? LineOfPosition(FHex.Caret, kHexPerLine) : LineOfPosition(FChars.Caret, kBytesPerLine));
    Render();
}

void TfrmBin::SelectAll() {
    FHex = {0, FModel.HexLength()};
    FChars = {0, FModel.ByteCount()};
    ShowSelections();
}

bool TfrmBin::Navigate(bool hex, WORD key, UINT shift) {
    TCaretMove move;
    switch (key) {
        case VK_LEFT: move = TCaretMove::Left; break;
        case VK_RIGHT: move = TCaretMove::Right; break;
        case VK_UP: move = TCaretMove::Up; break;
        case VK_DOWN: move = TCaretMove::Down; break;
        case VK_HOME: move = TCaretMove::LineStart; break;
        case VK_END: move = TCaretMove::LineEnd; break;
        case VK_PRIOR: move = TCaretMove::PageUp; break;
        case VK_NEXT: move = TCaretMove::PageDown; break;
        default: return false;
    }
    TCaret& sel = hex ? FHex : FChars;
    const int perLine = hex ? kHexPerLine : kBytesPerLine;
    const int length = hex ? FModel.HexLength() : FModel.ByteCount();
    sel.Caret = MoveCaret(move, sel.Caret, length, perLine, kVisibleLines - 1);
    if (!(shift & MK_SHIFT)) sel.Anchor = sel.Caret;
    if (move == TCaretMove::PageUp) FTop -= kVisibleLines - 1;
    if (move == TCaretMove::PageDown) FTop += kVisibleLines - 1;
    ShowLine(LineOfPosition(sel.Caret, perLine));
    Render();
    return true;
}

// ---- Selections ------------------------------------------------------------------------------

void TfrmBin::MirrorHexToChars() {
    if (FMirrorBusy) return;
    FMirrorBusy = true;
    const TTextRange r = THexEditModel::HexToChars(FHex.Range());
    FChars = {r.Start, r.Start + r.Length};
    ShowSelections();
    FMirrorBusy = false;
}

void TfrmBin::MirrorCharsToHex() {
    if (FMirrorBusy) return;
    FMirrorBusy = true;
    const TTextRange r = THexEditModel::CharsToHex(FChars.Range());
    FHex = {r.Start, r.Start + r.Length};
    ShowSelections();
    FMirrorBusy = false;
}

void TfrmBin::SnapHexSelection() {
    const TTextRange sel = FHex.Range();
    if (sel.Length <= 0) return;
    const TTextRange snapped = THexEditModel::SnapHexSelection(sel, FModel.HexLength());
    FHex = {snapped.Start, snapped.Start + snapped.Length};
    ShowSelections();
}

int TfrmBin::PositionAt(HWND column, int x, int y, bool hex) {
    RECT client{};
    ::GetClientRect(column, &client);
    const int inside = CharFromPos(column, x, std::clamp(y, 0, std::max<int>(client.bottom - 1, 0)));
    const int base = FTop * (hex ? kHexPerLine : kBytesPerLine);
    return std::clamp(base + inside, 0, hex ? FModel.HexLength() : FModel.ByteCount());
}

void TfrmBin::DragTo(HWND column, int x, int y, bool hex) {
    RECT client{};
    ::GetClientRect(column, &client);
    FAutoScroll = y < 0 ? -1 : y >= client.bottom ? 1 : 0;
    TCaret& sel = hex ? FHex : FChars;
    sel.Caret = PositionAt(column, x, y, hex);
    ShowLine(LineOfPosition(sel.Caret, hex ? kHexPerLine : kBytesPerLine));
    Render();
}

// ---- Both columns ----------------------------------------------------------------------------
// The hex and the character column edit, select and mirror the same way; they
// differ in the model's operation and in which selection leads.

HWND TfrmBin::ColumnHandle(bool hex) const { return hex ? HexHandle() : mmValueString.Handle; }

bool& TfrmBin::Selecting(bool hex) { return hex ? FHexSelecting : FCharSelecting; }

void TfrmBin::MirrorFrom(bool hex) {
    if (hex)
        MirrorHexToChars();
    else
        MirrorCharsToHex();
}

void TfrmBin::ColumnKeyPress(bool hex, wchar_t& key) {
    const wchar_t typed = key;
    key = 0;  // the columns never type by themselves
    if (Selecting(hex)) return;
    THexEdit edit;
    if (hex) {
        if (typed < 0x80 && FModel.TypeHexDigit(static_cast<char>(typed), FHex.Range(), edit)) ApplyEdit(edit, hex);
        return;
    }
    // A character goes in as its byte in the code page; one the code page
    // holds only as two bytes, or not at all, has no single byte to be.
    std::string bytes;
    if (!ToAnsiExact(std::wstring(1, typed), bytes) || bytes.size() != 1) {
        ::MessageBeep(MB_OK);
        return;
    }
    if (FModel.TypeChar(static_cast<unsigned char>(bytes[0]), FChars.Range(), edit)) ApplyEdit(edit, hex);
}

void TfrmBin::ColumnKeyDown(bool hex, WORD& key, UINT shift) {
    if (key == VK_DELETE) {
        key = 0;
        if (Selecting(hex)) return;
        THexEdit edit;
        if (hex ? FModel.DeleteHex(FHex.Range(), edit) : FModel.DeleteChars(FChars.Range(), edit))
            ApplyEdit(edit, hex);
        return;
    }
    if (shift & MK_CONTROL) {
        if (key == 'A') SelectAll();
        key = 0;  // no clipboard, undo or other shortcut of the control
        return;
    }
    if (Navigate(hex, key, shift)) key = 0;
}

void TfrmBin::ColumnKeyUp(bool hex, WORD key, UINT shift) {
    if (shift & MK_SHIFT) MirrorFrom(hex);
    if (key == VK_SHIFT) {
        if (hex) {
            SnapHexSelection();
            FHexSelecting = false;
        }
        MirrorFrom(hex);
    }
}

void TfrmBin::ColumnMouseDown(bool hex, TMouseButton button, UINT shift, int x, int y) {
    if (button != TMouseButton::mbLeft) return;
    HWND column = ColumnHandle(hex);
    ::SetFocus(column);
    ::SetCapture(column);
    Selecting(hex) = true;
    TCaret& sel = hex ? FHex : FChars;
    sel.Caret = PositionAt(column, x, y, hex);
    if (!(shift & MK_SHIFT)) sel.Anchor = sel.Caret;
    ShowSelections();
    MirrorFrom(hex);
}

void TfrmBin::ColumnMouseMove(bool hex, int x, int y) {
    if (!Selecting(hex)) return;
    DragTo(ColumnHandle(hex), x, y, hex);
    MirrorFrom(hex);
}

void TfrmBin::ColumnMouseUp(bool hex) {
    if (::GetCapture() == ColumnHandle(hex)) ::ReleaseCapture();
    if (hex && FHexSelecting) SnapHexSelection();
    FHexSelecting = FCharSelecting = false;
    FAutoScroll = 0;
    MirrorFrom(hex);
}

void TfrmBin::mmHexValueKeyPress(TObject*, wchar_t& key) { ColumnKeyPress(true, key); }

void TfrmBin::mmHexValueKeyDown(TObject*, WORD& key, UINT shift) { ColumnKeyDown(true, key, shift); }

void TfrmBin::mmHexValueKeyUp(TObject*, WORD& key, UINT shift) { ColumnKeyUp(true, key, shift); }

void TfrmBin::mmHexValueMouseDown(TObject*, TMouseButton button, UINT shift, int x, int y) {
    ColumnMouseDown(true, button, shift, x, y);
}

void TfrmBin::mmHexValueMouseMove(TObject*, UINT, int x, int y) { ColumnMouseMove(true, x, y); }

void TfrmBin::mmHexValueMouseUp(TObject*) { ColumnMouseUp(true); }

void TfrmBin::mmHexValueEnter(TObject*) { FHexLeads = true; }

void TfrmBin::mmHexValueExit(TObject*) { FHexLeads = false; }

void TfrmBin::mmValueStringKeyPress(TObject*, wchar_t& key) { ColumnKeyPress(false, key); }

void TfrmBin::mmValueStringKeyDown(TObject*, WORD& key, UINT shift) { ColumnKeyDown(false, key, shift); }

void TfrmBin::mmValueStringKeyUp(TObject*, WORD& key, UINT shift) { ColumnKeyUp(false, key, shift); }

void TfrmBin::mmValueStringMouseDown(TObject*, TMouseButton button, UINT shift, int x, int y) {
    ColumnMouseDown(false, button, shift, x, y);
}

void TfrmBin::mmValueStringMouseMove(TObject*, UINT, int x, int y) { ColumnMouseMove(false, x, y); }

void TfrmBin::mmValueStringMouseUp(TObject*) { ColumnMouseUp(false); }

void TfrmBin::mmValueStringEnter(TObject*) { FHexLeads = false; }

void TfrmBin::mmValueStringExit(TObject*) { FHexLeads = true; }

void TfrmBin::mmAddressEnter(TObject*) { HexColumn().SetFocus(); }

void TfrmBin::mmAddressMouseDown(TObject*, TMouseButton button, UINT, int x, int y) {
    // A click on an address puts the hex caret at the start of its line.
    if (button == TMouseButton::mbLeft) {
        const int index = CharFromPos(mmAddress.Handle, x, y);
        const int line = FTop + static_cast<int>(::SendMessageA(mmAddress.Handle, EM_EXLINEFROMCHAR, 0, index));
        const int pos = std::min(line * kHexPerLine, FModel.HexLength());
        FHex = {pos, pos};
        MirrorHexToChars();
    }
    HexColumn().SetFocus();
}

// ---- Scrolling ------------------------------------------------------------------------------

void TfrmBin::ScrollColumnsTo(int line) {
    const int lines = FModel.LineCount();
    if (lines <= kVisibleLines) {
        FTop = 0;
        Render();
        return;
    }
    FTop = std::clamp(line, 0, lines - kVisibleLines);
    Render();
}

void TfrmBin::ColumnMouseWheel(TObject*, int delta) {
    ScrollColumnsTo(FTop - delta / WHEEL_DELTA * 3);
}

void TfrmBin::SyncFrom(HWND leader) {
    if (!::IsWindowVisible(Handle) || !::IsWindowVisible(HexHandle()) || !::IsWindowEnabled(HexHandle())) return;
    // The columns hold the lines in view only; one that scrolled by itself
    // (the caret put at its edge) moves the view instead.
    const int moved = FirstVisible(leader);
    if (moved != 0) {
        FShownHex.clear();
        FShownChars.clear();
        FShownAddresses.clear();
        ScrollColumnsTo(FTop + moved);
    }
}

void TfrmBin::SyncFromHexColumn() { SyncFrom(HexHandle()); }

void TfrmBin::SyncFromCharColumn() { SyncFrom(mmValueString.Handle); }

void TfrmBin::tmrIndexLineTimer(TObject*) {
    // A drag that holds the mouse above or below the columns scrolls them,
    // a line every 50 ms.
    if ((FHexSelecting || FCharSelecting) && FAutoScroll != 0) {
        if (++FTicks % 5 == 0) {
            POINT at{};
            ::GetCursorPos(&at);
            HWND column = ColumnHandle(FHexSelecting);
            ::ScreenToClient(column, &at);
            FTop += FAutoScroll;
            DragTo(column, at.x, at.y, FHexSelecting);
            MirrorFrom(FHexSelecting);
        }
        return;
    }
    if (FHexLeads)
        SyncFromHexColumn();
    else
        SyncFromCharColumn();
}

void TfrmBin::scrbrIndexScroll(TObject*) { ScrollColumnsTo(scrbrIndex.Position()); }

void TfrmBin::scrbrIndexEnter(TObject*) { tmrIndexLine.SetEnabled(false); }

void TfrmBin::scrbrIndexExit(TObject*) { tmrIndexLine.SetEnabled(FShowing); }

// ---- Copy buffer, find and print -------------------------------------------------------------

void TfrmBin::UpdatePopupState() {
    const bool selected = FHex.Range().Length >= 1;
    pppmnHexValueCut->SetEnabled(selected);
    pppmnHexValueCopy->SetEnabled(selected);
    pppmnHexValueDelete->SetEnabled(selected);
    pppmnHexValuePaste->SetEnabled(FCopyData.HasData);
    pppmnitmHexValuePrint->SetEnabled(FModel.ByteCount() > 0);
}

void TfrmBin::pppmnHexValuePopup(TObject*) { UpdatePopupState(); }

bool TfrmBin::CopySelection() {
    UpdatePopupState();
    if (!pppmnHexValueCopy->Enabled()) return false;
    SnapHexSelection();
    MirrorHexToChars();
    const std::string text = FModel.CopyHex(FHex.Range());
    if (text.empty()) return false;
    FCopyData.HasData = true;
    FCopyData.HexText = text;
    return true;
}

void TfrmBin::DeleteSelection() {
    THexEdit edit;
    if (FModel.CopyHex(FHex.Range()).empty() || !FModel.DeleteHex(FHex.Range(), edit)) return;
    ApplyEdit(edit, true);
}

void TfrmBin::pppmnHexValueCopyClick(TObject*) { CopySelection(); }

void TfrmBin::pppmnHexValueCutClick(TObject*) {
    if (CopySelection()) DeleteSelection();
}

void TfrmBin::pppmnHexValueDeleteClick(TObject*) {
    UpdatePopupState();
    if (!pppmnHexValueDelete->Enabled()) return;
    SnapHexSelection();
    DeleteSelection();
}

void TfrmBin::pppmnHexValuePasteClick(TObject*) {
    if (!FCopyData.HasData) return;
    THexEdit edit;
    if (FModel.PasteHex(FCopyData.HexText, FHex.Range(), edit)) ApplyEdit(edit, true);
}

bool TfrmBin::FindFrom(int from) {
    const std::string pattern = TrimSpaces(frmBinFind->edtHex.Text());
    const int hit = FModel.FindHex(pattern, from);
    if (hit < 0) return false;
    // The hit as the whole bytes it touches, in both columns.
    const int end = hit + static_cast<int>(pattern.size());
    const int first = hit % 3 == 2 ? hit / 3 + 1 : hit / 3;
    const int count = (end - 1) / 3 - first + 1;
    if (count > 0) {
        const TTextRange hex = THexEditModel::CharsToHex({first, count});
        FHex = {hex.Start, hex.Start + hex.Length};
        FChars = {first, first + count};
    } else {
        FHex = {hit, end};  // blanks only
        FChars = {first, first};
    }
    ShowLine(LineOfPosition(FHex.Caret, kHexPerLine));
    ShowLine(LineOfPosition(FHex.Anchor, kHexPerLine));
    Render();
    return true;
}

void TfrmBin::pppmnitmHexValueFindClick(TObject*) {
    if (frmBinFind->ShowModal() != mrOk) return;
    FFindFound = FindFrom(FHex.Range().Start);
    if (!FFindFound) NotifyInfo(frmMain->msgNotFound);
}

void TfrmBin::pppmnitmHexValueFindNextClick(TObject*) {
    if (!FFindFound) {
        pppmnitmHexValueFind->Click();
        return;
    }
    const TTextRange sel = FHex.Range();
    if (!FindFrom(sel.Start + sel.Length)) NotifyInfo(frmMain->msgFindActionFinish);
}

void TfrmBin::pppmnitmHexValuePrintClick(TObject*) {
    UpdatePopupState();
    if (!pppmnitmHexValuePrint->Enabled()) return;
    TPrintJob job;
    job.Title = edtName.WideText() + L"   hex content";
    job.Text = ToWide(FModel.HexText());
    std::string error;
    if (!Seams().Print(job, error)) NotifyError(error);
}

// ---- Files -------------------------------------------------------------------------------------

TfrmBin::TLoad TfrmBin::LoadData(const std::string& fileName) {
    THourGlass wait;
    const HANDLE h = ::CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return TLoad::Failed;
    struct TCloser {
        HANDLE H;
        ~TCloser() { ::CloseHandle(H); }
    } closer{h};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(h, &size) || size.QuadPart > 0x7FFFFFFF / 3) return TLoad::Failed;
    if (size.QuadPart > 0xFFFF && !QueryYesNo(frmMain->msgLargeFileQuery)) return TLoad::Declined;
    try {
        std::vector<std::uint8_t> bytes(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
            if (!::ReadFile(h, bytes.data() + done, chunk, &got, nullptr)) return TLoad::Failed;
            if (got == 0) break;
            done += got;
        }
        bytes.resize(done);
        FModel.SetBytes(std::move(bytes));
    } catch (const std::bad_alloc&) {
        return TLoad::Failed;
    }
    FHex = TCaret();
    FChars = TCaret();
    FTop = 0;
    Render();
    return TLoad::Loaded;
}

bool TfrmBin::LoadDataFromFile(const std::string& fileName) { return LoadData(fileName) == TLoad::Loaded; }

namespace {

// Writes the whole file or leaves the old one; false when it could not.
bool WriteWhole(const std::string& fileName, const std::vector<std::uint8_t>& bytes) {
    try {
        SaveTextFile(fileName, std::string(bytes.begin(), bytes.end()));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

bool TfrmBin::SaveDataToFile(const std::string& fileName) {
    THourGlass wait;
    return WriteWhole(fileName, FModel.Bytes());
}

void TfrmBin::btnLoadClick(TObject*) {
    if (!opndlgMain.Execute()) return;
    if (LoadData(opndlgMain.FileName) == TLoad::Failed) NotifyError("Open file failed!");
}

void TfrmBin::btnSaveClick(TObject*) {
    if (!svdlgMain.Execute()) return;
    if (!SaveDataToFile(svdlgMain.FileName)) NotifyError("Save to file failed!");
}

// ---- The picture page --------------------------------------------------------------------------

namespace {

// A picture class for a file extension (without the dot); none for others.
std::unique_ptr<TGraphic> PictureFor(std::string extension) {
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "bmp") return std::make_unique<TBitmap>();
    if (extension == "jpg" || extension == "jpeg") return std::make_unique<TJPEGImage>();
    return GraphicForExtension(extension);
}

std::string ExtensionOf(const std::string& fileName) {
    const size_t dot = fileName.find_last_of('.');
    const size_t slash = fileName.find_last_of("\\/:");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string();
    return fileName.substr(dot + 1);
}

bool HasPixels(TGraphic* picture) {
    return picture && !picture->GetEmpty() && picture->GetWidth() > 0 && picture->GetHeight() > 0;
}

// The picture of the bytes, decoded from memory; throws when they hold none.
std::unique_ptr<TGraphic> DecodePicture(std::unique_ptr<TGraphic> picture, const std::vector<std::uint8_t>& bytes) {
    if (!picture) throw EInvalidGraphicOperation("Unknown picture format");
    picture->LoadFromStream(bytes.data(), bytes.size());
    // A GIF decodes its frame now, so that damage shows here and not when drawn;
    // one without any image (cut after its colour table) holds no picture.
    if (auto* gif = dynamic_cast<TGIFImage*>(picture.get())) {
        if (gif->FrameCount() == 0) throw EInvalidGraphicOperation("No image in the GIF");
        gif->CurrentBitmap();
    }
    if (!HasPixels(picture.get())) throw EInvalidGraphicOperation("Empty picture");
    return picture;
}

std::unique_ptr<TGraphic> DecodePictureFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary | std::ios::ate);
    if (!in) throw EInvalidGraphicOperation("Cannot open the picture file");
    const std::streamoff size = in.tellg();
    // No bigger than the editor would load as data.
    if (size < 0 || size > 0x7FFFFFFF / 3) throw EInvalidGraphicOperation("The picture file is too large");
    TBytes bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) throw EInvalidGraphicOperation("Cannot read the picture file");
    return DecodePicture(PictureFor(ExtensionOf(fileName)), bytes);
}

}  // namespace

void TfrmBin::ShowInfo(const std::string& text) {
    // The label lies over the picture: it shows only when it has something to say.
    lblInfo.SetCaption(text);
    lblInfo.SetVisible(!text.empty());
}

void TfrmBin::ShowPicture() {
    ShowInfo("");
    const std::vector<std::uint8_t>& bytes = FModel.Bytes();
    static const char* const kExtensions[] = {"", "bmp", "gif", "jpg"};
    const int kind = SniffImageType(bytes.data(), bytes.size());
    try {
        if (kind == ikUnknown) throw EInvalidGraphicOperation("Unknown picture format");
        imgMain.SetPicture(DecodePicture(PictureFor(kExtensions[kind]), bytes));
    } catch (const std::exception&) {
        imgMain.SetPicture(nullptr);
        ShowInfo(smsgUnknownImageFormat);
    }
}

bool TfrmBin::SavePictureToFile(const std::string& fileName) {
    try {
        TGraphic* shown = imgMain.Picture();
        if (!HasPixels(shown)) throw EInvalidGraphicOperation("No picture");
        TBitmap bitmap;
        bitmap.SetSize(shown->GetWidth(), shown->GetHeight());
        const RECT all{0, 0, shown->GetWidth(), shown->GetHeight()};
        shown->Draw(bitmap.Canvas(), all);
        std::string extension = ExtensionOf(fileName);
        for (char& c : extension) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        TBytes out;
        if (extension == "GIF" || extension == "JPG" || extension == "JPEG") {
            std::unique_ptr<TGraphic> picture = PictureFor(extension);
            if (!picture) throw EInvalidGraphicOperation("No picture class");
            picture->Assign(&bitmap);
            picture->SaveToStream(out);
        } else {
            bitmap.SaveToStream(out);
        }
        // Nothing to write is a failure: the file the name stands for stays as it was.
        if (out.empty()) throw EInvalidGraphicOperation("No picture written");
        return WriteWhole(fileName, out);
    } catch (const std::exception&) {
        return false;
    }
}

void TfrmBin::btnImageSaveClick(TObject*) {
    if (!svpicdlgMain.Execute()) return;
    if (!SavePictureToFile(svpicdlgMain.FileName)) NotifyError("Save picturen fialed");
}

void TfrmBin::btnImageLoadClick(TObject*) {
    if (!opnpicdlgMain.Execute()) return;
    ShowInfo("");
    if (LoadData(opnpicdlgMain.FileName) != TLoad::Loaded) return;
    // The picture comes from the bytes just loaded, by the file's extension;
    // a file that holds no such picture is reported, its bytes stay loaded.
    try {
        imgMain.SetPicture(DecodePicture(PictureFor(ExtensionOf(opnpicdlgMain.FileName)), FModel.Bytes()));
    } catch (...) {
        imgMain.SetPicture(nullptr);
        Application().HandleException();
    }
}
