#pragma once
// Pictures: the graphic base class, bitmaps on DIB sections, and the picture
// registry that maps file extensions and clipboard formats to classes.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Components.h"
#include "Exceptions.h"

namespace classlib {

using TBytes = std::vector<std::uint8_t>;

// Colour values: 0x00BBGGRR, or none / default.
constexpr std::uint32_t clNone = 0x1FFFFFFF;
constexpr std::uint32_t clDefault = 0x20000000;
// System colours (high byte 0x80) become RGB; others keep their RGB part.
std::uint32_t ColorToRGB(std::uint32_t color);

class EInvalidGraphicOperation : public Exception {
public:
    using Exception::Exception;
};

// The silent abort: ends an operation without a message.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};
[[noreturn]] void Abort();

// A BI_RGB info header of that size and depth (positive height: bottom-up rows).
BITMAPINFOHEADER DibHeader(int width, int height, int bits);

enum class TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

class TGraphic : public TObject {
public:
    ~TGraphic() override = default;
    virtual const char* ClassName() const = 0;

    // Takes over the source's picture (none for a null source). The default
    // asks the source to assign itself, else fails with "Cannot assign".
    virtual void Assign(const TGraphic* source);
    // Assigns this picture to the destination; false when it cannot.
    virtual bool AssignTo(TGraphic* dest) const;
    virtual void Draw(HDC dc, const RECT& rect) = 0;
    virtual bool Equals(const TGraphic* other) const;
    virtual bool GetEmpty() const = 0;
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual HPALETTE GetPalette() const { return nullptr; }
    virtual bool GetTransparent() const { return FTransparent; }
    virtual void SetTransparent(bool value) { FTransparent = value; }
    virtual void SetWidth(int width) = 0;
    virtual void SetHeight(int height) = 0;
    // Picture streaming: a 32-bit length and the data.
    virtual void ReadData(const std::uint8_t* data, std::size_t size);
    virtual void WriteData(TBytes& out);
    virtual void LoadFromStream(const std::uint8_t* data, std::size_t size) = 0;
    virtual void SaveToStream(TBytes& out) = 0;
    virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) = 0;
    virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) = 0;

    // The picture of a file, by its real name; saving leaves the old file
    // when it fails. Both throw EFileError (Files.h) naming the file.
    void LoadFromFile(const std::wstring& path);
    void SaveToFile(const std::wstring& path);

    bool Modified = false;
    bool PaletteModified = false;
    std::function<void(TGraphic*)> OnChange;
    // Progress: stage 0 starting, 1 running, 2 ending.
    std::function<void(TGraphic*, int stage, int percent, const std::string& message)> OnProgress;

protected:
    void Changed();
    void Progress(int stage, int percent, const std::string& message);
    [[noreturn]] void AssignError(const TGraphic* source) const;

private:
    bool FTransparent = false;
};

// A bitmap held as a DIB section (or an adopted device-dependent bitmap).
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    ~TBitmap() override;
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    const char* ClassName() const override { return "TBitmap"; }

    void Assign(const TGraphic* source) override;
    void Draw(HDC dc, const RECT& rect) override;
    bool GetEmpty() const override { return FHandle == nullptr || FWidth == 0 || FHeight == 0; }
    int GetWidth() const override { return FWidth; }
    int GetHeight() const override { return FHeight; }
    HPALETTE GetPalette() const override { return FPalette; }
    void SetWidth(int width) override { SetSize(width, FHeight); }
    void SetHeight(int height) override { SetSize(FWidth, height); }
    void LoadFromStream(const std::uint8_t* data, std::size_t size) override;
    void SaveToStream(TBytes& out) override;
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

    // A new picture of that size in the bitmap's depth (24 bits when empty),
    // filled with the brush colour.
    void SetSize(int width, int height);
    // Takes ownership of a bitmap handle (DIB section or device-dependent).
    void TakeHandle(HBITMAP handle);
    HBITMAP Handle() const { return FHandle; }
    // A memory device context with the bitmap selected, kept until the bitmap changes.
    HDC Canvas();
    TPixelFormat PixelFormat() const;
    bool Monochrome() const;
    void SetMonochrome(bool value);
    // The BMP image at the bitmap's own depth (8 bits and below), else at 24 bits.
    TBytes SaveToBMP();
    // The BMP image at 1, 4, 8 or 24 bits, the platform mapping the colours.
    TBytes SaveToBMPAt(int bits);
    // The palette of a DIB section of 8 bits or fewer (RGBQUADs), else empty.
    std::vector<RGBQUAD> ColorTable();

    std::uint32_t BrushColor = 0xFFFFFF;
    std::uint32_t TransparentColor = clDefault;

private:
    void FreeHandle();
    void ReleaseCanvas();
    HBITMAP FHandle = nullptr;
    HPALETTE FPalette = nullptr;
    HDC FCanvas = nullptr;
    HGDIOBJ FOldBitmap = nullptr;
    int FWidth = 0;
    int FHeight = 0;
};

// ---- Picture registry --------------------------------------------------------

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;

void RegisterFileFormat(const std::string& extension, const std::string& description, const std::string& className,
                        TGraphicFactory factory);
void RegisterClipboardFormat(UINT format, const std::string& className, TGraphicFactory factory);
void UnregisterGraphicClass(const std::string& className);
// A new graphic for a file extension (without the dot, any case) or a
// clipboard format; none when no class is registered for it.
std::unique_ptr<TGraphic> GraphicForExtension(const std::string& extension);
std::unique_ptr<TGraphic> GraphicForClipboardFormat(UINT format);
std::string FileFormatDescription(const std::string& extension);

}  // namespace classlib
