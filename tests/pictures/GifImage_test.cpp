// The GIF picture classes on Windows: masked drawing, clipboard, bitmaps of
// other depths, and bitmaps saved as GIF.
#include "ColorDepth.h"
#include "GIFImage.h"
#include "GifFixtures.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <new>

using namespace classlib;
using namespace giftest;

namespace {

// A 32-bit DIB section filled with one colour, with the image drawn on it stretched to w x h.
struct Target {
    Target(int w, int h, COLORREF fill, TGIFImage& image) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bmp = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        dc = ::CreateCompatibleDC(nullptr);
        old = ::SelectObject(dc, bmp);
        HBRUSH brush = ::CreateSolidBrush(fill);
        const RECT r{0, 0, w, h};
        ::FillRect(dc, &r, brush);
        ::DeleteObject(brush);
        image.Draw(dc, r);
    }
    ~Target() {
        ::SelectObject(dc, old);
        ::DeleteDC(dc);
        ::DeleteObject(bmp);
    }
    COLORREF At(int x, int y) const { return ::GetPixel(dc, x, y); }  // 0x00BBGGRR
    HBITMAP bmp;
    HDC dc;
    HGDIOBJ old;
};

void Load(TGIFImage& image, const Bytes& gif) { image.LoadFromStream(gif.data(), gif.size()); }

std::size_t gFailAbove = SIZE_MAX;  // larger allocations fail

}  // namespace

// From malloc(): the library's delete frees with free().
void* operator new(std::size_t size) {
    if (size > gFailAbove) throw std::bad_alloc();
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

TEST(GifImageDrawing, TransparencyByIndexStretchedOntoABackground)
{
    // Entries 1 and 2 share a colour; entry 2 is transparent. Pixels 1 2 / 2 1.
    Bytes b = Head(2, 2, 2, {0x0000FF, 0x563412, 0x563412, 0xFFFFFF});
    Gce(b, 1, 0, 2);
    Image(b, 2, 2, ImageData(2, Codes({{4, 3}, {1, 3}, {2, 3}, {2, 3}, {1, 4}})));
    b.push_back(0x3B);
    TGIFImage image;
    Load(image, b);
    const Target t(6, 6, RGB(0, 255, 0), image);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(t.At(x, y), (x / 3 + y / 3) % 2 ? 0x00FF00u : 0x563412u) << x << "," << y;

    // A 2-colour frame masks its transparent entry (black here), not white.
    Bytes m = Head(2, 1, 1, {0x000000, 0xFFFFFF});
    Gce(m, 1, 0, 0);
    Image(m, 2, 1, ImageData(2, Codes({{4, 3}, {0, 3}, {1, 3}})));
    TGIFImage mono;
    Load(mono, m);
    const Target t2(4, 2, RGB(0, 0, 255), mono);
    EXPECT_EQ(t2.At(0, 0), 0xFF0000u);
    EXPECT_EQ(t2.At(3, 1), 0xFFFFFFu);

    // Opaque when the image's transparent flag is off.
    image.SetTransparent(false);
    EXPECT_EQ(Target(2, 2, RGB(0, 255, 0), image).At(1, 0), 0x563412u);

    // A current frame past the list, or a frame that cannot be decoded, draws nothing.
    image.ActiveFrame = 5;
    EXPECT_EQ(Target(2, 2, RGB(0, 255, 0), image).At(0, 0), 0x00FF00u);
    const Bytes n = OneFrame(1, 1, 0, ImageData(2, Codes({{4, 3}, {0, 3}})));
    TGIFImage broken;
    EXPECT_EQ(ErrorOf([&] { Load(broken, n); }), "Wrong number of colors; must be a power of 2");
    broken.ReadGIFStream(n.data(), n.size(), false);
    EXPECT_EQ(Target(2, 2, RGB(0, 255, 0), broken).At(0, 0), 0x00FF00u);
}

TEST(GifImageClasses, AssignmentSizesAndStreaming)
{
    TBitmap bitmap;
    bitmap.SetSize(100, 50);
    TGIFImage image;
    image.Assign(&bitmap);
    EXPECT_EQ(image.FrameCount(), 1);
    EXPECT_EQ(image.Screen.GifVersion, 1);
    EXPECT_EQ(image.Screen.LogicalWidth, 100);
    image.AddFrame(&bitmap);
    EXPECT_EQ(image.Screen.GifVersion, 2);
    EXPECT_EQ(ErrorOf([&] { image.SetWidth(5); }), "Cannot change the Size of a GIF image");
    TGIFImage copy;
    copy.Assign(&image);
    EXPECT_TRUE(copy.Equals(&image));
    // Registered under "gif" and the "GIF Image" clipboard format.
    EXPECT_NE(dynamic_cast<TGIFImage*>(GraphicForExtension("GIF").get()), nullptr);
    EXPECT_NE(dynamic_cast<TGIFImage*>(GraphicForClipboardFormat(::RegisterClipboardFormatA("GIF Image")).get()), nullptr);

    // Screen sizes clamp at 65,535 and undecoded frames are measured, not decoded.
    Bytes b = Head(1, 1, 2);
    Image(b, 65535, 1, ImageData(2, Codes({{4, 3}, {0, 3}})));
    TGIFImage wide;
    wide.ReadGIFStream(b.data(), b.size(), false);
    wide.Frames[0]->Data.OriginX = 100;
    wide.RecomputeScreen();
    EXPECT_EQ(wide.Screen.LogicalWidth, 65535);
    EXPECT_FALSE(wide.Frames[0]->CachedBitmap);

    // A length prefix above the bytes present is refused.
    const std::uint8_t data[] = {0xFF, 0xFF, 0xFF, 0x7F, 'G', 'I', 'F'};
    EXPECT_EQ(ErrorOf([&] { wide.ReadData(data, sizeof data); }), "Stream read error");
}

TEST(GifImageClipboard, RoundTrip)
{
    Bytes b = Head(3, 1, 2, {0x000000, 0x0000FF, 0x00FF00, 0xFF0000});
    Image(b, 3, 1, ImageData(2, Codes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 4}})));
    b.push_back(0x3B);
    TGIFImage image;
    Load(image, b);
    HWND wnd = ::CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(::OpenClipboard(wnd));
    ::EmptyClipboard();
    UINT format = 0;
    HANDLE data = nullptr;
    HPALETTE palette = nullptr;
    image.SaveToClipboardFormat(format, data, palette);
    ::SetClipboardData(format, data);
    ::CloseClipboard();

    TGIFImage back;
    back.LoadFromClipboardFormat(CF_BITMAP, nullptr, nullptr);
    ASSERT_EQ(back.FrameCount(), 1);
    EXPECT_EQ(*back.Frames[0]->Data.FrameItem->PackedData, *image.Frames[0]->Data.FrameItem->PackedData);
    EXPECT_EQ(back.GetWidth(), 3);
    ::OpenClipboard(wnd);
    ::EmptyClipboard();
    ::CloseClipboard();
    ::DestroyWindow(wnd);
}

TEST(GifImageDepth, BitFieldSectionsReachTheMethodsAsPlainRows)
{
    const std::uint32_t colours[4] = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080};  // 0x00BBGGRR
    for (int bits : {32, 16}) {
        struct {
            BITMAPINFOHEADER h;
            DWORD masks[3];
        } info{{sizeof(BITMAPINFOHEADER), 4, 2, 1, WORD(bits), DWORD(bits == 16 ? BI_BITFIELDS : BI_RGB), 0, 0, 0, 0, 0},
               {0xF800, 0x07E0, 0x001F}};
        void* pixels = nullptr;
        HBITMAP h = ::CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels, nullptr, 0);
        ASSERT_NE(h, nullptr);
        for (int i = 0; i < 8; ++i) {
            const std::uint32_t c = colours[(i % 4 + i / 4) % 4];
            const unsigned r = c & 0xFF, g = (c >> 8) & 0xFF, bl = (c >> 16) & 0xFF;
            if (bits == 32)
                static_cast<std::uint32_t*>(pixels)[i] = (r << 16) | (g << 8) | bl;
            else
                static_cast<std::uint16_t*>(pixels)[i] = std::uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (bl >> 3));
        }
        TBitmap bitmap;
        bitmap.TakeHandle(h);
        {
            // A depth it does not offer: the notice, then the silent abort.
            MessageBoxRecorder boxes;
            EXPECT_THROW(ConvertBitmapDepth(bitmap, TPixelFormat::pf15bit, 0), EAbort);
            ASSERT_EQ(boxes.Boxes.size(), 1u);
            EXPECT_EQ(boxes.Boxes[0].Text, "Function not yet implemented");
        }
        const TBytes bmp24 = ConvertBitmapDepth(bitmap, TPixelFormat::pf24bit, 0);
        const TBytes bmp8 = ConvertBitmapDepth(bitmap, TPixelFormat::pf8bit, 0);
        gifcore::BmpView v, v8;
        ASSERT_TRUE(gifcore::ParseBMP(bmp24.data(), bmp24.size(), v, true)) << bits;
        ASSERT_EQ(v.Bits, 24);
        ASSERT_TRUE(gifcore::ParseBMP(bmp8.data(), bmp8.size(), v8)) << bits;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const std::uint8_t* p = v.Pixels + y * v.RowBytes + 3 * x;
                const std::uint32_t got = p[2] | (p[1] << 8) | (std::uint32_t(p[0]) << 16);
                const std::uint32_t mask = bits == 16 ? 0xF8FCF8u : 0xFFFFFFu;
                EXPECT_EQ(got & mask, colours[(x + y) % 4] & mask) << bits << " bits at " << x << "," << y;
                const std::uint8_t* q = v8.Palette + 4 * v8.Pixels[y * v8.RowBytes + x];
                EXPECT_EQ(std::uint32_t(q[2] | (q[1] << 8) | (q[0] << 16)), got);
            }
    }
}

// Leaves frombitmap.gif beside the test program with the bitmap's RGB bytes in
// frombitmap.rgb: giflib_check.sh has giflib read the GIF back to them.
TEST(GifImageDepth, BitmapSavedAsGifKeepsItsPixels)
{
    TBitmap bitmap;
    bitmap.SetSize(7, 5);
    HDC dc = bitmap.Canvas();
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) ::SetPixel(dc, x, y, (x * y) % 3 == 0 ? RGB(10, 20, 30) : RGB(200, 100, x * 30));
    TGIFImage image;
    image.Assign(&bitmap);
    char exe[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string base(exe, n);
    base = base.substr(0, base.find_last_of("\\/") + 1) + "frombitmap";
    image.SaveToFile(ToWide(base + ".gif"));
    std::ofstream rgb(base + ".rgb", std::ios::binary | std::ios::trunc);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) {
            const COLORREF c = ::GetPixel(dc, x, y);
            rgb << char(GetRValue(c)) << char(GetGValue(c)) << char(GetBValue(c));
        }
    EXPECT_TRUE(rgb.good());
}

TEST(GifImageDrawing, OutOfMemoryWhileDecodingDrawsNothingAndAFramePastTheListIsRefused)
{
    // A 2000 x 1000 frame, decoded when first drawn.
    Bytes b = Head(2000, 1000, 2, {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF});
    Image(b, 2000, 1000, ImageData(2, Codes({{4, 3}, {0, 3}, {5, 3}})));
    b.push_back(0x3B);
    TGIFImage image;
    image.ReadGIFStream(b.data(), b.size(), false);
    COLORREF painted = 0;
    gFailAbove = 1 << 18;
    EXPECT_NO_THROW(painted = Target(4, 4, RGB(0, 255, 0), image).At(0, 0));
    gFailAbove = SIZE_MAX;
    EXPECT_EQ(painted, 0x00FF00u);
    EXPECT_EQ(Target(4, 4, RGB(0, 255, 0), image).At(0, 3), 0x0000FFu);  // decoded now: entry 0, red

    image.ActiveFrame = 3;
    TGIFFrame frame(nullptr);
    EXPECT_EQ(ErrorOf([&] { frame.AssignGraphic(&image); }), "List index out of bounds (3)");
}

// A 1-bit 16384 x 16384 bitmap is 32 MB of rows but more than a gigabyte once
// shown; the test runs under a data limit too (CMakeLists).
TEST(BitmapPixelCap, PicturesAboveTheCapAreRefusedAndTheOldPictureStays)
{
    const std::uint8_t palette[8] = {0, 0, 0, 0, 255, 255, 255, 0};
    TBitmap bitmap;
    bitmap.SetSize(3, 2);
    {
        const Bytes huge = gifcore::BuildBMP(16384, 16384, 1, palette, 2, nullptr);
        EXPECT_EQ(ErrorOf([&] { bitmap.LoadFromStream(huge.data(), huge.size()); }), "Bitmap image is too large");
    }
    EXPECT_EQ(ErrorOf([&] { bitmap.SetSize(16384, 16384); }), "Bitmap image is too large");
    EXPECT_EQ(std::make_pair(bitmap.GetWidth(), bitmap.GetHeight()), std::make_pair(3, 2));
    const Bytes atCap = gifcore::BuildBMP(8192, 8192, 1, palette, 2, nullptr);
    bitmap.LoadFromStream(atCap.data(), atCap.size());
    EXPECT_EQ(bitmap.GetWidth(), 8192);
}
