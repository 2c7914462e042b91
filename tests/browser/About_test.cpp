// The About box: the scrolling text's positions, the pinned-mode gesture,
// the timer's life with the box and the home page link.
#include "BrowserFixture.h"
#include "UnitAbout.h"

using namespace classlib;

namespace {

int Top(const TControl& c) { return c.BoundsRect().top; }

void Ticks(int n) {
    for (int i = 0; i < n; ++i) frmAbout->tmrInfoTimer(&frmAbout->tmrInfo);
}

void DoubleClick(TControl& c) {
    ::SendMessageA(c.Handle, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 170));
    ::SendMessageA(c.Handle, WM_LBUTTONUP, 0, MAKELPARAM(100, 170));
}

// Rows of the text viewport, painted on black, that carry text colour.
std::vector<bool> TextRows() {
    const RECT r{0, 0, frmAbout->pnlInfo.Width(), frmAbout->pnlInfo.Height()};
    HDC screen = ::GetDC(nullptr);
    HDC dc = ::CreateCompatibleDC(screen);
    TGdiObject bitmap(::CreateCompatibleBitmap(screen, r.right, r.bottom));
    std::vector<bool> rows(static_cast<size_t>(r.bottom));
    {
        TSelectObject select(dc, bitmap.Get());
        ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        frmAbout->pnlInfo.OnPaint(&frmAbout->pnlInfo, dc, r);
        for (int y = 0; y < r.bottom; ++y)
            for (int x = 0; x < r.right && !rows[y]; ++x) rows[y] = ::GetPixel(dc, x, y) != RGB(0, 0, 0);
    }
    ::DeleteDC(dc);
    ::ReleaseDC(nullptr, screen);
    return rows;
}

}  // namespace

class AboutTest : public BrowserTest {
protected:
    // Opens the box from the Help menu; inside runs while it is shown.
    void WhileShown(const std::function<void()>& inside) {
        ScriptDialogs([&](TForm& form) {
            EXPECT_EQ(&form, frmAbout);
            inside();
            return int(mrOk);
        });
        frmMain->mnitmAbout->Click();
    }
};

TEST_F(AboutTest, TheTextCopiesScrollOneBehindTheOtherWhileShown) {
    StartProgram();
    EXPECT_FALSE(frmAbout->tmrInfo.Enabled());
    WhileShown([] {
        EXPECT_TRUE(frmAbout->tmrInfo.Enabled());
        EXPECT_EQ(Top(frmAbout->lblInfo), 20);
        EXPECT_EQ(Top(frmAbout->lblInfoFlow), 150);
        EXPECT_EQ(frmAbout->lblInfo.Height(), 150);
        // Painted where the model says: nothing above the first copy's top.
        const std::vector<bool> rows = TextRows();
        EXPECT_EQ(std::count(rows.begin(), rows.begin() + 20, true), 0);
        EXPECT_GT(std::count(rows.begin() + 20, rows.begin() + 36, true), 0);

        Ticks(1);  // the second copy is put right below the first
        EXPECT_EQ(Top(frmAbout->lblInfo), 19);
        EXPECT_EQ(Top(frmAbout->lblInfoFlow), 169);
        Ticks(169);  // the first copy's bottom edge reaches the top
        EXPECT_EQ(Top(frmAbout->lblInfo), -150);
        EXPECT_EQ(Top(frmAbout->lblInfoFlow), 0);
        EXPECT_TRUE(frmAbout->FInfoMoving);
        Ticks(1);  // the second copy takes over; the first waits a tick
        EXPECT_FALSE(frmAbout->FInfoMoving);
        EXPECT_EQ(Top(frmAbout->lblInfoFlow), -1);
        EXPECT_EQ(Top(frmAbout->lblInfo), -150);
        Ticks(1);  // and then follows below it
        EXPECT_EQ(Top(frmAbout->lblInfoFlow), -2);
        EXPECT_EQ(Top(frmAbout->lblInfo), 148);
    });
    // Hidden, the text stops where it is; the next showing starts it afresh.
    EXPECT_FALSE(frmAbout->tmrInfo.Enabled());
    EXPECT_EQ(Top(frmAbout->lblInfoFlow), -2);
    EXPECT_EQ(Top(frmAbout->lblInfo), 148);
    WhileShown([] {
        EXPECT_TRUE(frmAbout->tmrInfo.Enabled());
        EXPECT_TRUE(frmAbout->FInfoMoving);
        EXPECT_EQ(Top(frmAbout->lblInfo), 20);
        EXPECT_EQ(Top(frmAbout->lblInfoFlow), 150);
    });
}

TEST_F(AboutTest, TheTenthDoubleClickTogglesPinnedModeAcrossShowings) {
    StartProgram();
    TPanel& panel = frmAbout->pnlMain;
    WhileShown([&] {
        for (int i = 0; i < 9; ++i) DoubleClick(panel);
        EXPECT_FALSE(frmMain->FPinned);
        DoubleClick(panel);
        EXPECT_TRUE(frmMain->FPinned);
        for (int i = 0; i < 10; ++i) DoubleClick(panel);
        EXPECT_FALSE(frmMain->FPinned);
        for (int i = 0; i < 4; ++i) DoubleClick(panel);
    });
    WhileShown([&] {  // the count survives the closing
        for (int i = 0; i < 5; ++i) DoubleClick(panel);
        EXPECT_FALSE(frmMain->FPinned);
        DoubleClick(panel);
        EXPECT_TRUE(frmMain->FPinned);
        // Entering the panel starts the count again.
        for (int i = 0; i < 9; ++i) DoubleClick(panel);
        ::SendMessageA(panel.Handle, WM_SETFOCUS, 0, 0);
        DoubleClick(panel);
        EXPECT_TRUE(frmMain->FPinned);
        EXPECT_EQ(frmAbout->FDblClickCount, 1);
    });
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(AboutTest, TheLinkOpensTheHomePageThroughTheShell) {
    std::vector<std::pair<HWND, std::string>> opened;
    Seams().ShellExecute = [&](HWND owner, const std::string& verb, const std::string& file, int show) {
        EXPECT_EQ(verb, "open");
        EXPECT_EQ(show, SW_SHOWNORMAL);
        opened.emplace_back(owner, file);
        return reinterpret_cast<HINSTANCE>(2);  // a failure, which is not reported
    };
    StartProgram();
    frmMain->mnitmHomepage->Click();
    TLabel& link = frmAbout->Label1;
    WhileShown([&] {
        // A click on the label reaches the box through its panel.
        ::SendMessageA(frmAbout->pnlMain.Handle, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(link.Handle), STN_CLICKED),
                       reinterpret_cast<LPARAM>(link.Handle));
    });
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[1].first, frmAbout->Handle);
    EXPECT_EQ(opened[1].second, opened[0].second);
    EXPECT_EQ(link.Caption(), opened[0].second);
    const std::string text = frmAbout->lblInfo.Caption();
    EXPECT_EQ(text.substr(text.rfind('\n') + 1), opened[0].second);
    EXPECT_TRUE(Boxes.Boxes.empty());
}
