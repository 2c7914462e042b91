#include "ExtCtrls.h"

namespace classlib {

void TImage::SetPicture(std::unique_ptr<TGraphic> picture) {
    FPicture = std::move(picture);
    if (Handle) ::InvalidateRect(Handle, nullptr, TRUE);
}

bool TImage::HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (msg != WM_PAINT) return TPanel::HandleWindowMessage(msg, wp, lp, result);
    PAINTSTRUCT ps;
    HDC dc = ::BeginPaint(Handle, &ps);
    RECT r;
    ::GetClientRect(Handle, &r);
    ::FillRect(dc, &r, ::GetSysColorBrush(COLOR_BTNFACE));
    if (FPicture && !FPicture->GetEmpty()) {
        RECT to = r;
        if (!Stretch) {
            to.right = to.left + FPicture->GetWidth();
            to.bottom = to.top + FPicture->GetHeight();
        }
        ::SetStretchBltMode(dc, COLORONCOLOR);
        try {
            FPicture->Draw(dc, to);
        } catch (const std::exception&) {
            // A picture that cannot draw itself leaves the background.
        }
    }
    ::EndPaint(Handle, &ps);
    result = 0;
    return true;
}

}  // namespace classlib
