#include "ExtCtrls.h"

namespace classlib {

void TProgressBar::SetRange(int min, int max) { ::SendMessageA(Handle, PBM_SETRANGE32, min, max); }

int TProgressBar::Position() const { return static_cast<int>(::SendMessageA(Handle, PBM_GETPOS, 0, 0)); }

void TProgressBar::SetPosition(int position) { ::SendMessageA(Handle, PBM_SETPOS, position, 0); }

TStaticImage::~TStaticImage() {
    if (FBitmap) ::DeleteObject(FBitmap);
}

void TStaticImage::SetBitmap(HBITMAP bitmap) {
    HGDIOBJ old = reinterpret_cast<HGDIOBJ>(
        ::SendMessageA(Handle, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    // The control may hand back a bitmap of its own making; ours is freed
    // here either way.
    if (old && old != FBitmap && old != bitmap) ::DeleteObject(old);
    if (FBitmap && FBitmap != bitmap) ::DeleteObject(FBitmap);
    FBitmap = bitmap;
}

void TStaticImage::LoadBitmap(HINSTANCE instance, int bitmapId) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) throw EInvalidOperation("Cannot load picture " + std::to_string(bitmapId));
    SetBitmap(bitmap);
}

void TStaticImage::Assign(const TStaticImage& source) {
    if (!source.FBitmap) return;
    HBITMAP copy = static_cast<HBITMAP>(::CopyImage(source.FBitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!copy) throw EInvalidOperation("Cannot copy a picture");
    SetBitmap(copy);
}

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
        // Its size may decode the picture too: a picture that cannot be
        // measured or drawn (damaged, or no memory) leaves the background.
        try {
            RECT to = r;
            if (!Stretch) {
                to.right = to.left + FPicture->GetWidth();
                to.bottom = to.top + FPicture->GetHeight();
            }
            ::SetStretchBltMode(dc, COLORONCOLOR);
            FPicture->Draw(dc, to);
        } catch (const std::exception&) {
        }
    }
    ::EndPaint(Handle, &ps);
    result = 0;
    return true;
}

}  // namespace classlib
