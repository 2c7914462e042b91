#include "MaskedDraw.h"

#include "GifCore.h"
#include "Seams.h"

#include <vector>

using namespace classlib;

void DrawBitmapMasked(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, HPALETTE palette,
                      COLORREF transparent, HBITMAP mask) {
    HDC invDC = ::CreateCompatibleDC(dst), maskDC = ::CreateCompatibleDC(dst);
    HDC workDC = ::CreateCompatibleDC(dst), copyDC = ::CreateCompatibleDC(dst);
    HBITMAP invBmp = ::CreateBitmap(sw, sh, 1, 1, nullptr);
    HBITMAP maskBmp = ::CreateBitmap(sw, sh, 1, 1, nullptr);
    HBITMAP workBmp = ::CreateCompatibleBitmap(dst, w, h);
    HBITMAP copyBmp = ::CreateCompatibleBitmap(dst, sw, sh);
    HGDIOBJ oldInv = ::SelectObject(invDC, invBmp), oldMask = ::SelectObject(maskDC, maskBmp);
    HGDIOBJ oldWork = ::SelectObject(workDC, workBmp), oldCopy = ::SelectObject(copyDC, copyBmp);
    HPALETTE oldDst = nullptr, oldCopyPal = nullptr, oldMaskPal = nullptr, oldWorkPal = nullptr;
    if (palette) {
        oldDst = ::SelectPalette(dst, palette, TRUE);
        ::RealizePalette(dst);
        oldCopyPal = ::SelectPalette(copyDC, palette, FALSE);
        ::RealizePalette(copyDC);
        oldMaskPal = ::SelectPalette(maskDC, palette, FALSE);
        ::RealizePalette(maskDC);
        oldWorkPal = ::SelectPalette(workDC, palette, TRUE);
        ::RealizePalette(workDC);
    }
    ::SetMapMode(src, ::GetMapMode(dst));
    ::SetMapMode(copyDC, ::GetMapMode(dst));
    ::BitBlt(copyDC, 0, 0, sw, sh, src, sx, sy, SRCCOPY);
    if (mask) {
        HDC given = ::CreateCompatibleDC(dst);
        HGDIOBJ old = ::SelectObject(given, mask);
        ::BitBlt(maskDC, 0, 0, sw, sh, given, sx, sy, SRCCOPY);
        ::SelectObject(given, old);
        ::DeleteDC(given);
    } else {
        const COLORREF oldBk = ::SetBkColor(copyDC, transparent | 0x02000000);
        ::BitBlt(maskDC, 0, 0, sw, sh, copyDC, 0, 0, SRCCOPY);
        ::SetBkColor(copyDC, oldBk);
    }
    ::BitBlt(invDC, 0, 0, sw, sh, maskDC, 0, 0, NOTSRCCOPY);
    ::BitBlt(workDC, 0, 0, w, h, dst, x, y, SRCCOPY);
    // Monochrome to colour: white (1) becomes the background colour, black the text colour.
    ::SetBkColor(workDC, RGB(255, 255, 255));
    ::SetTextColor(workDC, RGB(0, 0, 0));
    ::SetBkColor(copyDC, RGB(255, 255, 255));
    ::SetTextColor(copyDC, RGB(0, 0, 0));
    ::SetStretchBltMode(workDC, COLORONCOLOR);
    ::StretchBlt(workDC, 0, 0, w, h, maskDC, 0, 0, sw, sh, SRCAND);
    ::BitBlt(copyDC, 0, 0, sw, sh, invDC, 0, 0, SRCAND);
    ::StretchBlt(workDC, 0, 0, w, h, copyDC, 0, 0, sw, sh, SRCPAINT);
    ::BitBlt(dst, x, y, w, h, workDC, 0, 0, SRCCOPY);
    if (palette) {
        ::SelectPalette(workDC, oldWorkPal, TRUE);
        ::SelectPalette(maskDC, oldMaskPal, TRUE);
        ::SelectPalette(copyDC, oldCopyPal, TRUE);
        ::SelectPalette(dst, oldDst, TRUE);
    }
    ::SelectObject(invDC, oldInv);
    ::SelectObject(maskDC, oldMask);
    ::SelectObject(workDC, oldWork);
    ::SelectObject(copyDC, oldCopy);
    ::DeleteObject(invBmp);
    ::DeleteObject(maskBmp);
    ::DeleteObject(workBmp);
    ::DeleteObject(copyBmp);
    ::DeleteDC(invDC);
    ::DeleteDC(maskDC);
    ::DeleteDC(workDC);
    ::DeleteDC(copyDC);
}

void DrawBitmapTransparent(HDC dc, TBitmap& bitmap, std::uint32_t transparent, int dx, int dy, int dw, int dh, int sx,
                           int sy, int sw, int sh, HBITMAP mask) {
    if (bitmap.GetEmpty()) return;
    if (dw < 1) dw = bitmap.GetWidth();
    if (dh < 1) dh = bitmap.GetHeight();
    if (sw < 1 || sh < 1) {
        sx = sy = 0;
        sw = bitmap.GetWidth();
        sh = bitmap.GetHeight();
    }
    const bool mono = bitmap.Monochrome();
    if (!mono) ::SetStretchBltMode(dc, COLORONCOLOR);
    HDC src = bitmap.Canvas();
    if (transparent == clNone && !mask) {
        ::StretchBlt(dc, dx, dy, dw, dh, src, sx, sy, sw, sh, SRCCOPY);
        return;
    }
    if (transparent == clDefault) transparent = ::GetPixel(src, 0, bitmap.GetHeight() - 1);
    const COLORREF rgb = mono ? RGB(255, 255, 255) : ColorToRGB(transparent);
    DrawBitmapMasked(dc, dx, dy, dw, dh, src, sx, sy, sw, sh, bitmap.GetPalette(), rgb, mask);
}

void DrawBitmapRectMasked(HDC dc, int dx, int dy, int dw, int dh, const RECT& source, TBitmap& bitmap,
                          std::uint32_t transparent, HBITMAP mask) {
    DrawBitmapTransparent(dc, bitmap, transparent, dx, dy, dw, dh, source.left, source.top, source.right - source.left,
                          source.bottom - source.top, mask);
}

HBITMAP IndexMask(TBitmap& bitmap, int index) {
    DIBSECTION ds{};
    if (index < 0 || bitmap.GetEmpty() || ::GetObject(bitmap.Handle(), sizeof ds, &ds) != sizeof ds ||
        ds.dsBmih.biBitCount > 8 || !ds.dsBm.bmBits)
        return nullptr;
    const int w = bitmap.GetWidth(), h = bitmap.GetHeight(), bits = ds.dsBmih.biBitCount;
    const bool bottomUp = ds.dsBmih.biHeight > 0;
    const std::size_t inRow = gifcore::RowBytes32(std::uint64_t(w) * bits);
    const std::size_t outRow = gifcore::RowBytes32(std::uint64_t(w));
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[2];
    } info{};
    info.h = DibHeader(w, h, 1);
    info.colors[1] = RGBQUAD{255, 255, 255, 0};
    std::vector<std::uint8_t> rows(outRow * std::size_t(h), 0);
    const auto* pixels = static_cast<const std::uint8_t*>(ds.dsBm.bmBits);
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* in = pixels + std::size_t(bottomUp ? y : h - 1 - y) * inRow;
        std::uint8_t* out = rows.data() + std::size_t(y) * outRow;
        for (int x = 0; x < w; ++x)
            if (int(gifcore::PixelAt(in, x, bits)) == index) out[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
    }
    HBITMAP mask = ::CreateBitmap(w, h, 1, 1, nullptr);
    HDC dc = ::GetDC(nullptr);
    ::SetDIBits(dc, mask, 0, UINT(h), rows.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    ::ReleaseDC(nullptr, dc);
    return mask;
}

void ShowNotImplemented() {
    ::SetCursor(::LoadCursor(nullptr, IDC_ARROW));
    Seams().MessageBox(nullptr, "Function not yet implemented", "Information", MB_OK | MB_ICONINFORMATION);
    Abort();
}
