#include "Jpeg.h"

#include "GifCore.h"
#include "JpegCodec.h"

namespace classlib {

namespace {

struct JpegRegistration {
    JpegRegistration() {
        auto make = [] { return std::unique_ptr<TGraphic>(new TJPEGImage); };
        RegisterFileFormat("jpg", "JPEG Image File", "TJPEGImage", make);
        RegisterFileFormat("jpeg", "JPEG Image File", "TJPEGImage", make);
    }
    ~JpegRegistration() { UnregisterGraphicClass("TJPEGImage"); }
} registration;

}  // namespace

void TJPEGImage::Assign(const TGraphic* source) {
    if (auto* jpeg = dynamic_cast<const TJPEGImage*>(source)) {
        FBitmap.Assign(&jpeg->FBitmap);
    } else if (auto* bitmap = dynamic_cast<const TBitmap*>(source)) {
        FBitmap.Assign(bitmap);
    } else if (source && !source->GetEmpty()) {
        // Any other picture is drawn into a bitmap of its size.
        TBitmap drawn;
        drawn.SetSize(source->GetWidth(), source->GetHeight());
        const RECT all{0, 0, source->GetWidth(), source->GetHeight()};
        const_cast<TGraphic*>(source)->Draw(drawn.Canvas(), all);
        FBitmap.Assign(&drawn);
    } else {
        FBitmap.Assign(nullptr);
    }
    Changed();
}

bool TJPEGImage::AssignTo(TGraphic* dest) const {
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest)) {
        bitmap->Assign(&FBitmap);
        return true;
    }
    return false;
}

void TJPEGImage::LoadFromStream(const std::uint8_t* data, std::size_t size) {
    jpegcore::JpegImage image;
    if (!jpegcore::ReadJPEG(data, size, image)) throw EInvalidGraphicOperation("JPEG image is not valid");
    const TBytes bmp = gifcore::BuildBMP(image.Width, image.Height, 24, nullptr, 0, image.Pixels.data());
    FBitmap.LoadFromStream(bmp.data(), bmp.size());
    Changed();
}

void TJPEGImage::SaveToStream(TBytes& out) {
    if (GetEmpty()) throw EInvalidGraphicOperation("No picture to write");
    const TBytes bmp = FBitmap.SaveToBMPAt(24);
    gifcore::BmpView view;
    if (!gifcore::ParseBMP(bmp.data(), bmp.size(), view, true)) throw EInvalidGraphicOperation("No picture to write");
    jpegcore::JpegImage image;
    image.Width = view.Width;
    image.Height = view.Height;
    image.Pixels.assign(view.Pixels, view.Pixels + view.RowBytes * std::size_t(view.Height));
    TBytes file;
    if (!jpegcore::WriteJPEG(image, file)) throw EInvalidGraphicOperation("JPEG encoding failed");
    out.insert(out.end(), file.begin(), file.end());
}

void TJPEGImage::LoadFromClipboardFormat(UINT, HANDLE, HPALETTE) {
    throw EInvalidGraphicOperation("Unsupported clipboard format");
}

void TJPEGImage::SaveToClipboardFormat(UINT&, HANDLE&, HPALETTE&) {
    throw EInvalidGraphicOperation("Unsupported clipboard format");
}

}  // namespace classlib
