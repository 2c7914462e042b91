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
    lblInfo.SetBounds(8, 8, 214, 150);
    lblInfoFlow.SetBounds(8, 48, 214, 150);
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
        const std::string text = label->Caption();
        ::DrawTextA(dc, text.c_str(), -1, &r, DT_LEFT | DT_NOPREFIX);
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
