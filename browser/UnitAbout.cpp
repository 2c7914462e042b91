#include "UnitAbout.h"

#include <algorithm>

#include "Seams.h"
#include "UnitMain.h"
#include "resource.h"

using namespace classlib;

TfrmAbout* frmAbout = nullptr;

namespace {

const COLORREF kBackground = RGB(0, 128, 192);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kAqua = RGB(0, 255, 255);

const char kInfoText[] =
    "Thanks for using.This is a powrful Registry \n"
    "management tool.\n"
    "We hope this program can help you  \n"
    "manage your system and make it become \n"
    "more and more powerful,optimize and \n"
    "Interesting.It is easy to use .If you \n"
    "want to know more about this software.\n"
    "you can refer to the help file or visit our\n"
    "homepage:\n" TESSMOREL_HOMEPAGE;

void SetTop(TControl& control, int top) {
    const RECT r = control.BoundsRect();
    control.SetBounds(r.left, top, r.right - r.left, r.bottom - r.top);
}

int Top(const TControl& control) { return control.BoundsRect().top; }

// The text with a line break put in wherever a line, blanks at its end
// aside, would run past width in the font selected into dc: after the last
// blank that lets it fit, or after as many characters as fit.
std::string WrapLines(HDC dc, const std::string& text, int width) {
    std::string wrapped;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        for (;;) {
            const size_t inked = line.find_last_not_of(' ') + 1;  // 0 for a blank line
            int fit = 0;
            SIZE size{};
            ::GetTextExtentExPointA(dc, line.c_str(), static_cast<int>(inked), width, &fit, nullptr, &size);
            if (static_cast<size_t>(fit) >= inked) break;
            const size_t blank = fit > 0 ? line.rfind(' ', static_cast<size_t>(fit)) : std::string::npos;
            const size_t cut = blank != std::string::npos && blank > 0 ? blank : std::max<size_t>(fit, 1);
            wrapped += line.substr(0, cut) + "\n";
            const size_t next = line.find_first_not_of(' ', cut);
            line = next == std::string::npos ? std::string() : line.substr(next);
        }
        wrapped += line;
        if (end < text.size()) wrapped += "\n";
        start = end + 1;
    }
    return wrapped;
}

}  // namespace

void TfrmAbout::BindComponents() {
    Bind(pnlMain, IDC_ABOUT_PNLMAIN, "pnlMain");
    Bind(pnlInfo, IDC_ABOUT_PNLINFO, "pnlInfo", TAlign::alNone, &pnlMain);
    Bind(lblInfo, IDC_ABOUT_LBLINFO, "lblInfo", TAlign::alNone, &pnlInfo);
    Bind(lblInfoFlow, IDC_ABOUT_LBLINFOFLOW, "lblInfoFlow", TAlign::alNone, &pnlInfo);
    Bind(lblProductname, IDC_ABOUT_LBLPRODUCTNAME, "lblProductname", TAlign::alNone, &pnlMain);
    Bind(lblCopyright, IDC_ABOUT_LBLCOPYRIGHT, "lblCopyright", TAlign::alNone, &pnlMain);
    Bind(lblWarning, IDC_ABOUT_LBLWARNING, "lblWarning", TAlign::alNone, &pnlMain);
    Bind(Label1, IDC_ABOUT_LABEL1, "Label1", TAlign::alNone, &pnlMain);
    Bind(btnOk, IDOK, "btnOk").ModalResult = mrOk;
    Register(tmrInfo, "tmrInfo");
    tmrInfo.Interval = 100;
    DefaultButton = &btnOk;
    OnShow = Handler(this, &TfrmAbout::FormShow);
    OnHide = Handler(this, &TfrmAbout::FormHide);
    tmrInfo.OnTimer = Handler(this, &TfrmAbout::tmrInfoTimer);
    Label1.OnClick = Handler(this, &TfrmAbout::Label1Click);
    pnlMain.OnEnter = Handler(this, &TfrmAbout::pnlMainEnter);
    pnlMain.OnDblClick = Handler(this, &TfrmAbout::pnlMainDblClick);
    pnlInfo.OnPaint = [this](TObject* s, HDC dc, const RECT& r) { pnlInfoPaint(s, dc, r); };
}

void TfrmAbout::FormCreate() {
    SetClientSize(362, 228);
    pnlMain.Color = kBackground;
    pnlMain.SetBevel(TBevelCut::bvLowered);
    pnlMain.SetBounds(5, 7, 352, 186);
    pnlInfo.Color = RGB(0, 0, 0);
    pnlInfo.SetBevel(TBevelCut::bvLowered);
    pnlInfo.SetBounds(8, 8, 217, 113);
    lblInfo.SetCaption(kInfoText);
    lblInfoFlow.SetCaption(kInfoText);
    lblInfo.FontColor = lblInfoFlow.FontColor = kAqua;
    lblProductname.SetBounds(234, 20, 110, 54);
    lblProductname.FontColor = kWhite;
    lblCopyright.SetBounds(8, 127, 336, 16);
    lblWarning.SetBounds(8, 145, 336, 16);
    lblCopyright.FontColor = lblWarning.FontColor = kWhite;
    Label1.SetCaption(TESSMOREL_HOMEPAGE);
    Label1.FontColor = kAqua;
    Label1.Cursor = HandPointCursor();
    btnOk.SetBounds(128, 200, 97, 22);
    btnOk.SetGlyph(frmMain->imglstMain, iiGlyphOk);
    auto setFont = [](TControl& c, const TGdiObject& font) {
        ::SendMessageA(c.Handle, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    };
    setFont(lblInfo, FInfoFont);
    setFont(lblInfoFlow, FInfoFont);
    // The lines wrap at the viewport's right edge (inside its bevel), so
    // that a font wider than the one the box was laid out for cuts nothing
    // off; each copy is as tall as its text then is, at least as designed.
    RECT viewport{};
    ::GetClientRect(pnlInfo.Handle, &viewport);
    const int textLeft = 8;
    RECT needed{};
    {
        TWindowDC dc(pnlInfo.Handle, FInfoFont.Get());
        FInfoLines = WrapLines(dc.Get(), kInfoText, std::min(214, static_cast<int>(viewport.right) - 1 - textLeft));
        ::DrawTextA(dc.Get(), FInfoLines.c_str(), -1, &needed, DT_CALCRECT | DT_NOPREFIX);
    }
    const int textHeight = std::max(150, static_cast<int>(needed.bottom));
    lblInfo.SetBounds(textLeft, 8, 214, textHeight);
    lblInfoFlow.SetBounds(textLeft, 48, 214, textHeight);
    setFont(lblProductname, FProductFont);
    setFont(lblCopyright, FNoticeFont);
    setFont(lblWarning, FNoticeFont);
    setFont(Label1, FLinkFont);
    // The link is as wide as its text, so only the address itself is clickable.
    SIZE extent{};
    const std::string link = Label1.Caption();
    ::GetTextExtentPoint32A(TWindowDC(Label1.Handle).Get(), link.c_str(), static_cast<int>(link.size()), &extent);
    const int linkW = std::min<int>(extent.cx + 2, 336);
    Label1.SetBounds(8 + (336 - linkW) / 2, 164, linkW, 20);
    FDblClickCount = 0;
    CenterOnScreen();
}

INT_PTR TfrmAbout::WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) {
    if (msg == WM_CTLCOLORDLG) {
        handled = true;
        return PaintStatic(reinterpret_cast<HDC>(wp), CLR_INVALID, kBackground);
    }
    if (msg == WM_CTLCOLORSTATIC) {
        const HWND from = reinterpret_cast<HWND>(lp);
        for (TLabel* label : {&lblProductname, &lblCopyright, &lblWarning, &Label1}) {
            if (from != label->Handle) continue;
            handled = true;
            return PaintStatic(reinterpret_cast<HDC>(wp), label->FontColor, kBackground);
        }
    }
    return TForm::WindowMessage(msg, wp, lp, handled);
}

void TfrmAbout::FormShow(TObject*) {
    tmrInfo.SetEnabled(true);
    SetTop(lblInfo, 20);
    SetTop(lblInfoFlow, lblInfo.Height());
    FInfoMoving = true;
    ::InvalidateRect(pnlInfo.Handle, nullptr, FALSE);
}

void TfrmAbout::FormHide(TObject*) { tmrInfo.SetEnabled(false); }

void TfrmAbout::tmrInfoTimer(TObject*) {
    TLabel& moving = FInfoMoving ? lblInfo : lblInfoFlow;
    TLabel& follower = FInfoMoving ? lblInfoFlow : lblInfo;
    if (Top(moving) + moving.Height() > 0) {
        SetTop(moving, Top(moving) - 1);
        SetTop(follower, Top(moving) + moving.Height());
    } else {
        // The moving copy has left at the top: the other one, right below
        // it, moves on, and the old one is put below it from the next tick.
        FInfoMoving = !FInfoMoving;
        SetTop(follower, Top(follower) - 1);
    }
    ::InvalidateRect(pnlInfo.Handle, nullptr, FALSE);
}

void TfrmAbout::pnlInfoPaint(TObject*, HDC dc, const RECT& client) {
    const int saved = ::SaveDC(dc);
    ::IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    TSelectObject font(dc, FInfoFont.Get());
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, lblInfo.FontColor);
    for (TLabel* label : {&lblInfo, &lblInfoFlow}) {
        RECT r = label->BoundsRect();
        if (r.bottom <= client.top || r.top >= client.bottom) continue;
        ::DrawTextA(dc, FInfoLines.c_str(), -1, &r, DT_LEFT | DT_NOPREFIX);
    }
    ::RestoreDC(dc, saved);
}

void TfrmAbout::Label1Click(TObject*) { Seams().ShellExecute(Handle, "open", TESSMOREL_HOMEPAGE, SW_SHOWNORMAL); }

void TfrmAbout::pnlMainEnter(TObject*) { FDblClickCount = 0; }

void TfrmAbout::pnlMainDblClick(TObject*) {
    if (FDblClickCount >= 9) {
        FDblClickCount = 0;
        frmMain->FPinned = !frmMain->FPinned;
    } else {
        ++FDblClickCount;
    }
}
