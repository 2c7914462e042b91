#include "ExtCtrls.h"

namespace classlib {

void TProgressBar::SetRange(int min, int max) { ::SendMessageA(Handle, PBM_SETRANGE32, min, max); }

int TProgressBar::Position() const { return static_cast<int>(::SendMessageA(Handle, PBM_GETPOS, 0, 0)); }

void TProgressBar::SetPosition(int position) { ::SendMessageA(Handle, PBM_SETPOS, position, 0); }

TImage::~TImage() {
    if (FBitmap) ::DeleteObject(FBitmap);
}

void TImage::SetBitmap(HBITMAP bitmap) {
    HGDIOBJ old = reinterpret_cast<HGDIOBJ>(
        ::SendMessageA(Handle, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
    // The control may hand back a bitmap of its own making; ours is freed
    // here either way.
    if (old && old != FBitmap && old != bitmap) ::DeleteObject(old);
    if (FBitmap && FBitmap != bitmap) ::DeleteObject(FBitmap);
    FBitmap = bitmap;
}

void TImage::LoadBitmap(HINSTANCE instance, int bitmapId) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageA(instance, MAKEINTRESOURCEA(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) throw EInvalidOperation("Cannot load picture " + std::to_string(bitmapId));
    SetBitmap(bitmap);
}

void TImage::Assign(const TImage& source) {
    if (!source.FBitmap) return;
    HBITMAP copy = static_cast<HBITMAP>(::CopyImage(source.FBitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!copy) throw EInvalidOperation("Cannot copy a picture");
    SetBitmap(copy);
}

}  // namespace classlib
