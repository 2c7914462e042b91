#pragma once
// GIF data model, reader, LZW decoder, writer, LZW encoder and the in-memory
// BMP form that frames are handed over in. Standard C++ only: the Windows
// picture classes wrap these, and the native build tests and fuzzes them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "PixelCap.h"

namespace gifcore {

using Bytes = std::vector<std::uint8_t>;
using Lines = std::vector<std::string>;

// Colour values: 0x00BBGGRR, or one of these.
constexpr std::uint32_t clNone = 0x1FFFFFFF;
constexpr std::uint32_t clDefault = 0x20000000;

// Message numbers of the program's string table; 0 is the stream read error.
enum GifMessage {
    msgStreamRead = 0,
    msgUnknownVersion = 61092,
    msgEncodingError = 61093,
    msgCorruptData = 61094,
    msgCodeSize = 61095,
    msgColorCount = 61096,
    msgUnknownExtension = 61097,
    msgNoData = 61098,
    msgSizeChange = 61099,
    msgDescription = 61100,
};

const char* GifMessageText(int code);

// Every failure of the picture code. The Windows classes turn it into the
// class library's invalid-graphic-operation error with the same text.
class GifError : public std::runtime_error {
public:
    GifError(int code, const std::string& text) : std::runtime_error(text), Code(code) {}
    int Code;
};

[[noreturn]] void RaiseGifError(int code);

// Largest frame that is decoded: the cap of every picture.
constexpr std::uint64_t kMaxFramePixels = picturecap::kMaxPixels;

// What reading a stream may take besides the compressed data it copies: the
// records of frames, extensions and sub-blocks, and the colour tables. A
// stream of very many small blocks fails with the frame-too-large error.
constexpr std::size_t kMaxReadRecords = std::size_t(64) << 20;
// What one frame's records are counted as (with the Windows frame object).
constexpr std::size_t kFrameRecordBytes = 512;

// ---- Shared, counted objects ------------------------------------------------

class SharedImage {
public:
    virtual ~SharedImage() = default;
    int RefCount = 0;
};

// A counted reference; no copy on change: every holder sees every change.
template <class T>
class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : p_(p) { if (p_) ++p_->RefCount; }
    Ref(const Ref& o) : p_(o.p_) { if (p_) ++p_->RefCount; }
    Ref(Ref&& o) noexcept : p_(o.p_) { o.p_ = nullptr; }
    Ref& operator=(Ref o) noexcept { std::swap(p_, o.p_); return *this; }
    ~Ref() { Release(); }
    void Release() {
        if (p_ && --p_->RefCount == 0) delete p_;
        p_ = nullptr;
    }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

// The entries of a colour table, red, green and blue each. Copies share them
// until one of the copies writes, and a table holds only the entries it was
// given: a frame's table costs what the stream gave it. Entries past those
// read as zeros.
class TableEntries {
public:
    // Entry i, 3 bytes.
    const std::uint8_t* Entry(int i) const;
    // A byte to write (room for all 256 entries is made when needed).
    std::uint8_t& operator[](int byte);
    // Exactly n bytes (at most 768) of its own, the entries kept; returns them.
    std::uint8_t* Resize(std::size_t n);
    std::size_t Size() const { return p_ ? p_->size() : 0; }
    const std::uint8_t* Data() const { return p_ ? p_->data() : nullptr; }

private:
    std::shared_ptr<std::vector<std::uint8_t>> p_;
};

struct GifColorTable {
    std::int32_t EntryCount = 0;
    TableEntries RGBEntries;
    const std::uint8_t* Entry(int i) const { return RGBEntries.Entry(i); }
};

std::uint32_t TableEntryToColor(const std::uint8_t* rgb);
// -1 for none; else the first entry below EntryCount with that RGB value.
int ColorIndexInTable(const GifColorTable& table, std::uint32_t color);
// 2..256 (powers of 2) give 1..8; anything else fails.
int ColorCountToBits(int count);
// Smallest b >= 1 with 2^b >= count.
int BitsForCount(int count);
void TableToRGBQuads(const GifColorTable& table, std::uint8_t* quads);

struct TGIFData : SharedImage {
    Lines CommentLines;
    std::uint8_t AspectByte = 0;
    std::uint8_t PixelBits = 0;
    std::uint8_t ColorResolution = 0;
    GifColorTable GlobalTable;
};

struct TGIFItem : SharedImage {
    std::unique_ptr<Bytes> PackedData;  // may be absent
    std::int32_t ItemWidth = 0;
    std::int32_t ItemHeight = 0;
    std::uint8_t DescriptorFlags = 0;
    std::uint8_t PixelBits = 0;
    GifColorTable LocalTable;
};

enum ExtensionKind : std::uint8_t { extGraphicControl = 0, extPlainText = 1, extApplication = 2, extComment = 3 };

struct TExtension {
    std::uint8_t Kind = extGraphicControl;
    std::unique_ptr<Lines> SubBlocks;  // may be absent
    std::uint8_t HeaderBytes[14] = {};
    bool MarksLooping() const;
    void Assign(const TExtension& source);
};

using ExtensionList = std::vector<std::unique_ptr<TExtension>>;
TExtension* LastExtensionOfKind(const ExtensionList* list, int kind);

// The portable part of one frame (one image block).
struct GifFrameData {
    GifFrameData();
    Ref<TGIFItem> FrameItem;
    std::unique_ptr<ExtensionList> Extensions;  // may be absent
    std::int32_t OriginX = 0;
    std::int32_t OriginY = 0;
    bool InterlaceFlag = false;
    bool CorruptMark = false;
    bool GreyFlag = false;
    bool HasLocalTable = false;
    std::uint32_t KeyColor = clNone;
    // The entry the stream marked transparent; kept while KeyColor is its colour.
    int TransparentIndex = -1;
    std::uint16_t DelayMs = 0;
    std::uint8_t DisposalCode = 0;

    void FreshItem();
    // The entry to mask: the stored index while KeyColor is still its colour,
    // else the first entry of KeyColor's colour; -1 for none.
    int MaskIndex() const;
    Lines* CommentList(bool create);
};

// Screen-level state of an image.
struct GifScreen {
    GifScreen();
    Ref<TGIFData> GlobalData;
    std::uint8_t GifVersion = 0;  // 0 none, 1 "87a", 2 "89a"
    std::uint16_t LogicalWidth = 0;
    std::uint16_t LogicalHeight = 0;
    std::uint32_t BackColor = clNone;
    bool LoopFlag = false;
    std::uint16_t LoopCount = 1;
    void Reset();
};

// ---- Reading ---------------------------------------------------------------

// Replaces screen and frames with the GIF in data[0..size). Frames read
// before a failure stay in the list.
void ReadGIFStream(const std::uint8_t* data, std::size_t size, GifScreen& screen,
                   std::vector<GifFrameData>& frames, bool tolerate = true);

// Stage 0 starting, 1 running, 2 ending.
using ProgressFn = std::function<void(int stage, int percent, const std::string& message)>;

struct DecodeTarget {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    int Bits = 8;                  // 1, 4 or 8
    std::uint8_t* Pixels = nullptr;  // bottom-up rows padded to 4 bytes, zero-filled
};

// Decodes LZW image data (code size byte, sub-blocks). Returns the corrupt
// flag; fails instead when tolerate is false.
bool DecodeGIFData(const std::uint8_t* data, std::size_t size, const DecodeTarget& target,
                   bool interlace, int pixelBits, bool tolerate, const ProgressFn* progress = nullptr);

// Decodes into one byte per pixel, top row first, as a reference form.
bool DecodeGIFIndices(const std::uint8_t* data, std::size_t size, int width, int height, bool interlace,
                      int pixelBits, Bytes& indices, bool tolerate = true);

// The frame's decoded pixels as a BMP image; empty for a frame 0 wide or high
// (which it marks corrupt). Sets CorruptMark when the data is damaged.
Bytes BuildDIBStream(GifFrameData& frame, bool tolerate = true, std::uint64_t maxPixels = kMaxFramePixels,
                     const ProgressFn* progress = nullptr);

// ---- BMP images in memory -------------------------------------------------

struct BmpView {
    std::int32_t Width = 0;
    std::int32_t Height = 0;   // positive: rows bottom-up
    int Bits = 0;
    std::uint32_t PaletteCount = 0;
    const std::uint8_t* Palette = nullptr;  // RGBQUADs
    const std::uint8_t* Pixels = nullptr;
    std::size_t RowBytes = 0;
};

std::size_t RowBytes32(std::uint64_t bitsInRow);
// A BMP file image: file header, 40-byte info header, palette of 2^bits
// entries (bits <= 8), bottom-up rows.
Bytes BuildBMP(std::int32_t width, std::int32_t height, int bits, const std::uint8_t* palette,
               std::uint32_t paletteCount, const std::uint8_t* pixels, std::uint32_t importantColors = 0);
// Validates headers, sizes and bit count (1, 4, 8 or 24 as allowed), and that
// the palette and the rows lie inside the data.
bool ParseBMP(const std::uint8_t* data, std::size_t size, BmpView& view, bool allow24 = false);
inline unsigned PixelAt(const std::uint8_t* row, std::int32_t x, int bits) {
    if (bits == 8) return row[x];
    if (bits == 4) return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}

// ---- Writing ---------------------------------------------------------------

// Brings the frame's graphic control extension in step with its fields and
// drops empty comments; raises the version when extensions remain.
void UpdateExtensions(GifFrameData& frame, GifScreen& screen);
// Fills the frame's table and compressed data from a BMP image of 1, 4 or 8
// bits; "GIF image encoding error" for anything else.
void EncodeDIBStream(GifFrameData& frame, GifScreen& screen, const std::uint8_t* bmp, std::size_t size,
                     const ProgressFn* progress = nullptr);
// LZW image data of bottom-up rows (code size byte, sub-blocks, terminator).
void EncodeGIFData(Bytes& out, std::int32_t width, std::int32_t height, int bits, const std::uint8_t* pixels,
                   const ProgressFn* progress = nullptr);
// The GIF stream of screen and frames (every frame must hold its data).
Bytes WriteGIFStream(GifScreen& screen, std::vector<GifFrameData*>& frames, bool lengthPrefix);
// Logical screen from frame sizes (undecoded frames by their item size), clamped.
void RecomputeScreen(GifScreen& screen, const std::vector<GifFrameData*>& frames);

}  // namespace gifcore
