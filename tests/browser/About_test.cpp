// The About box: the scrolling text's positions, the pinned-mode gesture,
// the timer's life with the box and the home page link.
#include "BrowserFixture.h"
#include "UnitAbout.h"

using namespace classlib;

namespace {

// The tops of the text's two copies.
std::pair<int, int> Tops() { return {frmAbout->lblInfo.BoundsRect().top, frmAbout->lblInfoFlow.BoundsRect().top}; }

void Ticks(int n) {
    for (int i = 0; i < n; ++i) frmAbout->tmrInfoTimer(&frmAbout->tmrInfo);
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
    using P = std::pair<int, int>;
    WhileShown([] {
        Ticks(1);  // the second copy is put right below the first
        EXPECT_EQ(Tops(), P(19, 169));
        Ticks(170);  // past the first copy's bottom edge: the second takes over, the first waits a tick
        EXPECT_EQ(Tops(), P(-150, -1));
        Ticks(1);  // and then follows below it
        EXPECT_EQ(Tops(), P(148, -2));
    });
    // Hidden, the timer stops; the next showing starts the text afresh.
    EXPECT_FALSE(frmAbout->tmrInfo.Enabled());
    WhileShown([] { EXPECT_EQ(Tops(), P(20, 150)); });
}

TEST_F(AboutTest, TheTenthDoubleClickTogglesPinnedModeAcrossShowings) {
    StartProgram();
    TPanel& panel = frmAbout->pnlMain;
    // Double-clicks n times; pinned then or not.
    const auto clicks = [&](int n) {
        for (int i = 0; i < n; ++i) {
            ::SendMessageA(panel.Handle, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 170));
            ::SendMessageA(panel.Handle, WM_LBUTTONUP, 0, MAKELPARAM(100, 170));
        }
        return frmMain->FPinned;
    };
    WhileShown([&] {
        EXPECT_FALSE(clicks(9));
        EXPECT_TRUE(clicks(1));
        clicks(4);
    });
    WhileShown([&] {
        EXPECT_FALSE(clicks(6));  // the count survives the closing
        clicks(9);
        ::SendMessageA(panel.Handle, WM_SETFOCUS, 0, 0);  // entering the panel starts the count again
        EXPECT_FALSE(clicks(1));
    });
    EXPECT_EQ(::GetCapture(), nullptr);
}

TEST_F(AboutTest, TheLinkOpensTheHomePageThroughTheShell) {
    std::vector<std::pair<HWND, std::string>> opened;
    Seams().ShellExecute = [&](HWND owner, const std::string&, const std::string& file, int) {
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
}

// Painted on a wider area, in whatever font the system gave, no line of the
// scrolling text lies past the viewport's right edge (but for a serif's overhang).
TEST_F(AboutTest, TheScrollingLinesEndInsideTheViewport) {
    StartProgram();
    TPanel& viewport = frmAbout->pnlInfo;
    RECT client{};
    ::GetClientRect(viewport.Handle, &client);
    const RECT wider{0, 0, client.right + 16, client.bottom};
    const int width = wider.right, size = wider.right * wider.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -wider.bottom;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    TGdiObject bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ASSERT_TRUE(bits);
    auto* pixels = static_cast<DWORD*>(bits);
    HDC dc = ::CreateCompatibleDC(nullptr);
    int beyond = 0, inside = 0;
    WhileShown([&] {
        TSelectObject select(dc, bitmap.Get());
        for (int step = 0; step < 16; ++step, Ticks(12)) {
            std::fill_n(pixels, size, 0u);
            frmAbout->pnlInfoPaint(&viewport, dc, wider);
            ::GdiFlush();
            for (int i = 0; i < size; ++i)
                if (pixels[i]) (i % width >= client.right + 2 ? beyond : inside)++;
        }
    });
    ::DeleteDC(dc);
    EXPECT_GT(inside, 0);
    EXPECT_EQ(beyond, 0);
}
