#include "ColorDepth.h"

#include "ColorReduce.h"
#include "MaskedDraw.h"

using namespace classlib;

TBytes ConvertBitmapDepth(TBitmap& bitmap, TPixelFormat target, int method) {
    if (!bitmap.Handle()) throw EInvalidGraphicOperation("Bitmap image is not valid");
    if (bitmap.PixelFormat() == target && method != gifcore::rmGrey && target != TPixelFormat::pf24bit)
        return bitmap.SaveToBMP();
    switch (target) {
    case TPixelFormat::pf1bit: return bitmap.SaveToBMPAt(1);
    case TPixelFormat::pf4bit: return bitmap.SaveToBMPAt(4);
    case TPixelFormat::pf24bit: return bitmap.SaveToBMPAt(24);
    case TPixelFormat::pf8bit: break;
    default: ShowNotImplemented();
    }
    TBytes bmp24 = bitmap.SaveToBMPAt(24);
    gifcore::BmpView view;
    if (!gifcore::ParseBMP(bmp24.data(), bmp24.size(), view, true) || view.Bits != 24) ShowNotImplemented();
    TBytes rows(view.Pixels, view.Pixels + view.RowBytes * std::size_t(view.Height));
    return gifcore::ReduceToBMP8(method, view.Width, view.Height, rows.data());
}
