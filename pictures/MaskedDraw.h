#pragma once
// Masked transparent stretch drawing and the "not implemented" notice.
#include <windows.h>

#include <cstdint>

#include "Graphics.h"

// Draws the source rectangle of src stretched into the destination
// rectangle; source pixels of the transparent RGB, or the white pixels of the
// given monochrome mask (source size) when there is one, leave the
// destination as it was. The destination is written once.
void DrawBitmapMasked(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, int sw, int sh, HPALETTE palette,
                      COLORREF transparent, HBITMAP mask = nullptr);

// Widths or heights below 1 take the bitmap's; the default colour stands for
// the bottom-left pixel's, none draws without a mask, and a monochrome bitmap
// masks white.
void DrawBitmapTransparent(HDC dc, classlib::TBitmap& bitmap, std::uint32_t transparent, int dx, int dy, int dw,
                           int dh, int sx, int sy, int sw, int sh, HBITMAP mask = nullptr);
void DrawBitmapRectMasked(HDC dc, int dx, int dy, int dw, int dh, const RECT& source, classlib::TBitmap& bitmap,
                          std::uint32_t transparent, HBITMAP mask = nullptr);

// A monochrome mask of a palette bitmap, white where the pixel holds the
// index; none for other bitmaps.
HBITMAP IndexMask(classlib::TBitmap& bitmap, int index);

// Shows "Function not yet implemented" and ends the operation silently.
[[noreturn]] void ShowNotImplemented();
