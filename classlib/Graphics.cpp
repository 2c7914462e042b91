#include "Graphics.h"

#include "BmpRead.h"

#include "GifCore.h"

#include <algorithm>
#include <cstring>

#include "Files.h"

namespace classlib {

std::uint32_t ColorToRGB(std::uint32_t color) {
    if ((color & 0xFF000000u) == 0x80000000u) return ::GetSysColor(int(color & 0xFF));
    return color & 0xFFFFFF;
}

void Abort() { throw EAbort(); }

BITMAPINFOHEADER DibHeader(int width, int height, int bits) {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(BITMAPINFOHEADER);
    h.biWidth = width;
    h.biHeight = height;
    h.biPlanes = 1;
    h.biBitCount = WORD(bits);
    h.biCompression = BI_RGB;
    return h;
}

// ---- TGraphic ----------------------------------------------------------------

void TGraphic::AssignError(const TGraphic* source) const {
    throw EInvalidOperation(std::string("Cannot assign a ") + (source ? source->ClassName() : "nil") + " to a " +
                            ClassName());
}

void TGraphic::Assign(const TGraphic* source) {
    if (source && source->AssignTo(this)) return;
    AssignError(source);
}

bool TGraphic::AssignTo(TGraphic*) const { return false; }

bool TGraphic::Equals(const TGraphic* other) const {
    if (!other || std::strcmp(other->ClassName(), ClassName()) != 0) return false;
    if (GetEmpty() || other->GetEmpty()) return GetEmpty() && other->GetEmpty();
    TBytes a, b;
    const_cast<TGraphic*>(this)->SaveToStream(a);
    const_cast<TGraphic*>(other)->SaveToStream(b);
    return a == b;
}

void TGraphic::ReadData(const std::uint8_t* data, std::size_t size) {
    if (size < 4) throw EInvalidGraphicOperation("Stream read error");
    const std::uint32_t n = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24);
    if (n > size - 4) throw EInvalidGraphicOperation("Stream read error");
    LoadFromStream(data + 4, n);
}

void TGraphic::WriteData(TBytes& out) {
    TBytes body;
    SaveToStream(body);
    const std::uint32_t n = std::uint32_t(body.size());
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(n >> (8 * i)));
    out.insert(out.end(), body.begin(), body.end());
}

void TGraphic::LoadFromFile(const std::wstring& path) {
    TBytes data;
    ReadWholeFile(path, data);
    LoadFromStream(data.data(), data.size());
}

void TGraphic::SaveToFile(const std::wstring& path) {
    TBytes data;
    SaveToStream(data);
    SaveWholeFile(path, data.data(), data.size());
}

void TGraphic::Changed() {
    Modified = true;
    if (OnChange) OnChange(this);
}

void TGraphic::Progress(int stage, int percent, const std::string& message) {
    if (OnProgress) OnProgress(this, stage, percent, message);
}

// ---- TBitmap -----------------------------------------------------------------

namespace {

struct DibInfo {
    BITMAPINFOHEADER header;
    RGBQUAD colors[256];
};

HPALETTE PaletteOf(const RGBQUAD* colors, int count) {
    if (count <= 0) return nullptr;
    std::vector<std::uint8_t> buf(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * std::size_t(count));
    auto* lp = reinterpret_cast<LOGPALETTE*>(buf.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = WORD(count);
    for (int i = 0; i < count; ++i)
        lp->palPalEntry[i] = PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
    return ::CreatePalette(lp);
}

// Every picture is refused above the cap before its pixel memory is taken.
void CheckPixelCap(int width, int height) {
    if (!picturecap::Fits(std::max(width, 0), std::max(height, 0)))
        throw EInvalidGraphicOperation("Bitmap image is too large");
}

}  // namespace

TBitmap::~TBitmap() { FreeHandle(); }

void TBitmap::ReleaseCanvas() {
    if (FCanvas) {
        ::SelectObject(FCanvas, FOldBitmap);
        ::DeleteDC(FCanvas);
        FCanvas = nullptr;
    }
}

void TBitmap::FreeHandle() {
    ReleaseCanvas();
    if (FHandle) ::DeleteObject(FHandle);
    if (FPalette) ::DeleteObject(FPalette);
    FHandle = nullptr;
    FPalette = nullptr;
    FWidth = FHeight = 0;
}

void TBitmap::TakeHandle(HBITMAP handle) {
    FreeHandle();
    FHandle = handle;
    BITMAP bm{};
    if (handle && ::GetObject(handle, sizeof bm, &bm)) {
        FWidth = bm.bmWidth;
        FHeight = bm.bmHeight;
    }
    const std::vector<RGBQUAD> table = ColorTable();
    FPalette = PaletteOf(table.data(), int(table.size()));
    Changed();
}

HDC TBitmap::Canvas() {
    if (!FCanvas) {
        FCanvas = ::CreateCompatibleDC(nullptr);
        FOldBitmap = FHandle ? ::SelectObject(FCanvas, FHandle) : nullptr;
    }
    return FCanvas;
}

TPixelFormat TBitmap::PixelFormat() const {
    DIBSECTION ds{};
    if (!FHandle || ::GetObject(FHandle, sizeof ds, &ds) != sizeof ds) return TPixelFormat::pfDevice;
    switch (ds.dsBmih.biBitCount) {
    case 1: return TPixelFormat::pf1bit;
    case 4: return TPixelFormat::pf4bit;
    case 8: return TPixelFormat::pf8bit;
    case 16:
        return ds.dsBmih.biCompression == BI_BITFIELDS && ds.dsBitfields[1] == 0x7E0 ? TPixelFormat::pf16bit
                                                                                        : TPixelFormat::pf15bit;
    case 24: return TPixelFormat::pf24bit;
    case 32: return TPixelFormat::pf32bit;
    default: return TPixelFormat::pfCustom;
    }
}

bool TBitmap::Monochrome() const {
    BITMAP bm{};
    return FHandle && ::GetObject(FHandle, sizeof bm, &bm) && bm.bmBitsPixel == 1 && bm.bmPlanes == 1;
}

void TBitmap::SetMonochrome(bool value) {
    if (value == Monochrome() || GetEmpty()) return;
    TBytes bmp = SaveToBMP();
    if (!value) {
        LoadFromStream(bmp.data(), bmp.size());  // stays a 1-bit DIB section with its colours
        return;
    }
    HBITMAP mono = ::CreateBitmap(FWidth, FHeight, 1, 1, nullptr);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, mono);
    ::BitBlt(dc, 0, 0, FWidth, FHeight, Canvas(), 0, 0, SRCCOPY);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    TakeHandle(mono);
}

std::vector<RGBQUAD> TBitmap::ColorTable() {
    DIBSECTION ds{};
    if (!FHandle || ::GetObject(FHandle, sizeof ds, &ds) != sizeof ds || ds.dsBmih.biBitCount > 8) return {};
    std::vector<RGBQUAD> table(std::size_t(1) << ds.dsBmih.biBitCount);
    HDC dc = Canvas();
    const UINT n = ::GetDIBColorTable(dc, 0, UINT(table.size()), table.data());
    table.resize(n);
    return table;
}

void TBitmap::SetSize(int width, int height) {
    if (width == FWidth && height == FHeight && FHandle) return;
    CheckPixelCap(width, height);
    DibInfo info{};
    int bits = 24;
    DIBSECTION ds{};
    std::vector<RGBQUAD> table = ColorTable();
    if (FHandle && ::GetObject(FHandle, sizeof ds, &ds) == sizeof ds) bits = ds.dsBmih.biBitCount;
    if (bits == 16 || bits == 32) bits = 24;
    info.header = DibHeader(std::max(width, 0), std::max(height, 0), bits);
    std::copy(table.begin(), table.end(), info.colors);
    FreeHandle();
    if (width <= 0 || height <= 0) {
        FWidth = std::max(width, 0);
        FHeight = std::max(height, 0);
        Changed();
        return;
    }
    void* bitsPtr = nullptr;
    HBITMAP h = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bitsPtr, nullptr, 0);
    if (!h) throw EInvalidGraphicOperation("Out of system resources");
    TakeHandle(h);
    HBRUSH brush = ::CreateSolidBrush(ColorToRGB(BrushColor));
    RECT r{0, 0, width, height};
    ::FillRect(Canvas(), &r, brush);
    ::DeleteObject(brush);
}

void TBitmap::LoadFromStream(const std::uint8_t* data, std::size_t size) {
    gifcore::BmpView view;
    gifcore::Bytes converted;
    if (!gifcore::ParseBMP(data, size, view, true)) {
        // Any other form of BMP is read into plain 24-bit rows first.
        bmpcore::BmpImage image;
        if (!bmpcore::ReadBMP(data, size, image)) throw EInvalidGraphicOperation("Bitmap image is not valid");
        converted = gifcore::BuildBMP(image.Width, image.Height, 24, nullptr, 0, image.Pixels.data());
        if (!gifcore::ParseBMP(converted.data(), converted.size(), view, true))
            throw EInvalidGraphicOperation("Bitmap image is not valid");
    }
    CheckPixelCap(view.Width, view.Height);
    DibInfo info{};
    info.header = DibHeader(view.Width, view.Height, view.Bits);
    info.header.biClrUsed = view.PaletteCount;
    if (view.PaletteCount) std::memcpy(info.colors, view.Palette, 4 * std::size_t(view.PaletteCount));
    void* bits = nullptr;
    HBITMAP h = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!h) throw EInvalidGraphicOperation("Out of system resources");
    std::memcpy(bits, view.Pixels, view.RowBytes * std::size_t(view.Height));
    TakeHandle(h);
}

TBytes TBitmap::SaveToBMP() {
    if (GetEmpty()) return TBytes();
    DIBSECTION ds{};
    const bool dib = ::GetObject(FHandle, sizeof ds, &ds) == sizeof ds;
    if (dib && ds.dsBmih.biBitCount <= 8 && ds.dsBm.bmBits) {
        const int bits = ds.dsBmih.biBitCount;
        const std::vector<RGBQUAD> table = ColorTable();
        const std::size_t row = gifcore::RowBytes32(std::uint64_t(FWidth) * bits);
        TBytes rows(row * std::size_t(FHeight));
        const bool bottomUp = ds.dsBmih.biHeight > 0;
        for (int y = 0; y < FHeight; ++y)
            std::memcpy(rows.data() + std::size_t(y) * row,
                        static_cast<const std::uint8_t*>(ds.dsBm.bmBits) +
                            std::size_t(bottomUp ? y : FHeight - 1 - y) * row,
                        row);
        return gifcore::BuildBMP(FWidth, FHeight, bits, reinterpret_cast<const std::uint8_t*>(table.data()),
                                 std::uint32_t(table.size()), rows.data());
    }
    return SaveToBMPAt(24);
}

TBytes TBitmap::SaveToBMPAt(int bits) {
    if (GetEmpty()) return TBytes();
    // A fresh BI_RGB header, so bit-field and device bitmaps come as plain rows.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colors[256];
    } info{};
    info.h = DibHeader(FWidth, FHeight, bits);
    const std::size_t row = gifcore::RowBytes32(std::uint64_t(FWidth) * unsigned(bits));
    TBytes rows(row * std::size_t(FHeight));
    ReleaseCanvas();  // GetDIBits wants the bitmap outside any device context
    HDC screen = ::GetDC(nullptr);
    HPALETTE old = FPalette ? ::SelectPalette(screen, FPalette, FALSE) : nullptr;
    if (FPalette) ::RealizePalette(screen);
    const int lines = ::GetDIBits(screen, FHandle, 0, UINT(FHeight), rows.data(),
                                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    if (FPalette) ::SelectPalette(screen, old, FALSE);
    ::ReleaseDC(nullptr, screen);
    if (lines != FHeight) throw EInvalidGraphicOperation("Bitmap image is not valid");
    const std::uint32_t entries = bits <= 8 ? (1u << bits) : 0;
    return gifcore::BuildBMP(FWidth, FHeight, bits, reinterpret_cast<const std::uint8_t*>(info.colors), entries,
                             rows.data());
}

void TBitmap::SaveToStream(TBytes& out) {
    const TBytes bmp = SaveToBMP();
    out.insert(out.end(), bmp.begin(), bmp.end());
}

void TBitmap::Assign(const TGraphic* source) {
    if (source == this) return;
    if (!source) {
        FreeHandle();
        Changed();
        return;
    }
    if (auto* bmp = dynamic_cast<const TBitmap*>(source)) {
        TBitmap* src = const_cast<TBitmap*>(bmp);
        TransparentColor = src->TransparentColor;
        SetTransparent(src->GetTransparent());
        if (src->GetEmpty()) {
            FreeHandle();
            Changed();
            return;
        }
        DIBSECTION ds{};
        if (::GetObject(src->FHandle, sizeof ds, &ds) == sizeof ds && ds.dsBm.bmBits) {
            // A copy of the DIB section in its own format, bit fields included.
            struct {
                BITMAPINFOHEADER h;
                DWORD masks[3];
                RGBQUAD colors[256];
            } info{};
            info.h = ds.dsBmih;
            info.h.biHeight = ds.dsBm.bmHeight;
            if (ds.dsBmih.biCompression == BI_BITFIELDS) std::memcpy(info.masks, ds.dsBitfields, sizeof info.masks);
            const std::vector<RGBQUAD> table = src->ColorTable();
            RGBQUAD* colors = ds.dsBmih.biCompression == BI_BITFIELDS ? info.colors : reinterpret_cast<RGBQUAD*>(info.masks);
            std::copy(table.begin(), table.end(), colors);
            void* bits = nullptr;
            HBITMAP h = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits,
                                           nullptr, 0);
            if (!h) throw EInvalidGraphicOperation("Out of system resources");
            std::memcpy(bits, ds.dsBm.bmBits, std::size_t(ds.dsBm.bmWidthBytes) * std::size_t(ds.dsBm.bmHeight));
            TakeHandle(h);
            return;
        }
        TBytes data = src->SaveToBMP();
        if (src->Monochrome()) {
            HBITMAP mono = ::CreateBitmap(src->FWidth, src->FHeight, 1, 1, nullptr);
            HDC dc = ::CreateCompatibleDC(nullptr);
            HGDIOBJ old = ::SelectObject(dc, mono);
            ::BitBlt(dc, 0, 0, src->FWidth, src->FHeight, src->Canvas(), 0, 0, SRCCOPY);
            ::SelectObject(dc, old);
            ::DeleteDC(dc);
            TakeHandle(mono);
            return;
        }
        LoadFromStream(data.data(), data.size());
        return;
    }
    TGraphic::Assign(source);
}

void TBitmap::Draw(HDC dc, const RECT& rect) {
    if (GetEmpty()) return;
    const int oldMode = ::SetStretchBltMode(dc, COLORONCOLOR);
    HPALETTE oldPal = FPalette ? ::SelectPalette(dc, FPalette, TRUE) : nullptr;
    if (FPalette) ::RealizePalette(dc);
    ::StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, Canvas(), 0, 0, FWidth,
                 FHeight, SRCCOPY);
    if (FPalette) ::SelectPalette(dc, oldPal, TRUE);
    ::SetStretchBltMode(dc, oldMode);
}

void TBitmap::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE) {
    if (format != CF_BITMAP || !data) throw EInvalidGraphicOperation("Unsupported clipboard format");
    BITMAP bm{};
    if (!::GetObject(data, sizeof bm, &bm)) throw EInvalidGraphicOperation("Bitmap image is not valid");
    TBitmap copy;
    copy.SetSize(bm.bmWidth, bm.bmHeight);
    HDC src = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(src, data);
    ::BitBlt(copy.Canvas(), 0, 0, bm.bmWidth, bm.bmHeight, src, 0, 0, SRCCOPY);
    ::SelectObject(src, old);
    ::DeleteDC(src);
    Assign(&copy);
}

void TBitmap::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
    format = CF_BITMAP;
    palette = nullptr;
    data = nullptr;
    if (GetEmpty()) return;
    HDC screen = ::GetDC(nullptr);
    HBITMAP copy = ::CreateCompatibleBitmap(screen, FWidth, FHeight);
    ::ReleaseDC(nullptr, screen);
    HDC dc = ::CreateCompatibleDC(nullptr);
    HGDIOBJ old = ::SelectObject(dc, copy);
    ::BitBlt(dc, 0, 0, FWidth, FHeight, Canvas(), 0, 0, SRCCOPY);
    ::SelectObject(dc, old);
    ::DeleteDC(dc);
    data = copy;
}

// ---- Picture registry ----------------------------------------------------------

namespace {

struct Registration {
    std::string extension;  // lower case; empty for a clipboard format
    UINT format = 0;
    std::string description;
    std::string className;
    TGraphicFactory factory;
};

std::vector<Registration>& Registry() {
    static std::vector<Registration> list;
    return list;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = char(c + 32);
    return s;
}

}  // namespace

void RegisterFileFormat(const std::string& extension, const std::string& description, const std::string& className,
                        TGraphicFactory factory) {
    Registry().push_back({Lower(extension), 0, description, className, std::move(factory)});
}

void RegisterClipboardFormat(UINT format, const std::string& className, TGraphicFactory factory) {
    Registry().push_back({std::string(), format, std::string(), className, std::move(factory)});
}

void UnregisterGraphicClass(const std::string& className) {
    auto& list = Registry();
    list.erase(std::remove_if(list.begin(), list.end(), [&](const Registration& r) { return r.className == className; }),
               list.end());
}

std::unique_ptr<TGraphic> GraphicForExtension(const std::string& extension) {
    const std::string ext = Lower(extension);
    for (const Registration& r : Registry())
        if (!r.extension.empty() && r.extension == ext) return r.factory();
    return nullptr;
}

std::unique_ptr<TGraphic> GraphicForClipboardFormat(UINT format) {
    for (const Registration& r : Registry())
        if (r.extension.empty() && r.format == format) return r.factory();
    return nullptr;
}

std::string FileFormatDescription(const std::string& extension) {
    const std::string ext = Lower(extension);
    for (const Registration& r : Registry())
        if (r.extension == ext && !ext.empty()) return r.description;
    return std::string();
}

}  // namespace classlib
