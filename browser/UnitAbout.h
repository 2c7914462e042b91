#pragma once
// The About box: the product's name and version, a thank-you text that
// scrolls upwards without end, the maker's notices and a link to the home
// page. Ten double-clicks on its main panel switch the main window's pinned
// mode.
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"

class TfrmAbout : public classlib::TForm {
public:
    // ---- Components ----
    classlib::TPanel pnlMain, pnlInfo;
    // The two copies of the scrolling text. Their windows stay hidden: they
    // hold the text and the positions, and pnlInfo paints both copies
    // itself, clipped to its area, so nothing smears while they move.
    classlib::TLabel lblInfo, lblInfoFlow;
    classlib::TLabel lblProductname, lblCopyright, lblWarning;
    classlib::TLabel Label1;  // the home page link
    classlib::TBitBtn btnOk;
    classlib::TTimer tmrInfo;

    bool FInfoMoving = true;  // lblInfo moves (else lblInfoFlow, and the other follows)
    int FDblClickCount = 0;
    // The labels' text as it is drawn: wrapped where a line would run past
    // the viewport's right edge in the font in use.
    std::string FInfoLines;

    // ---- Handlers ----
    void FormShow(classlib::TObject* sender);
    void FormHide(classlib::TObject* sender);
    void tmrInfoTimer(classlib::TObject* sender);
    void Label1Click(classlib::TObject* sender);
    void pnlMainEnter(classlib::TObject* sender);
    void pnlMainDblClick(classlib::TObject* sender);
    void pnlInfoPaint(classlib::TObject* sender, HDC dc, const RECT& client);

protected:
    void BindComponents() override;
    void FormCreate() override;
    INT_PTR WindowMessage(UINT msg, WPARAM wp, LPARAM lp, bool& handled) override;


private:
    // A serif face: where Times New Roman is missing the system picks a
    // serif font of its own, not a wider sans-serif one.
    static constexpr BYTE kSerif = VARIABLE_PITCH | FF_ROMAN;
    classlib::TGdiObject FInfoFont{classlib::CreateTextFont("Times New Roman", -12, kSerif)};
    classlib::TGdiObject FProductFont{classlib::CreateTextFont("Times New Roman", -14, kSerif, FW_BOLD)};
    classlib::TGdiObject FNoticeFont{classlib::CreateTextFont("Times New Roman", -12, kSerif, FW_BOLD)};
    classlib::TGdiObject FLinkFont{classlib::CreateTextFont("Times New Roman", -16, kSerif, FW_BOLD, true)};
};

extern TfrmAbout* frmAbout;
