#pragma once
// The JPEG picture: decoded from memory into a 24-bit bitmap, written with
// the library's default settings. Registered for "jpg" and "jpeg".
#include "Graphics.h"

namespace classlib {

class TJPEGImage : public TGraphic {
public:
    const char* ClassName() const override { return "TJPEGImage"; }
    void Assign(const TGraphic* source) override;
    bool AssignTo(TGraphic* dest) const override;
    void Draw(HDC dc, const RECT& rect) override { FBitmap.Draw(dc, rect); }
    bool GetEmpty() const override { return FBitmap.GetEmpty(); }
    int GetWidth() const override { return FBitmap.GetWidth(); }
    int GetHeight() const override { return FBitmap.GetHeight(); }
    void SetWidth(int) override {}
    void SetHeight(int) override {}
    // "JPEG image is not valid" for anything libjpeg cannot read.
    void LoadFromStream(const std::uint8_t* data, std::size_t size) override;
    void SaveToStream(TBytes& out) override;
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

private:
    TBitmap FBitmap;
};

}  // namespace classlib
