// GIF data model and the in-memory BMP form.
#include "GifCore.h"

#include <algorithm>
#include <cstring>

namespace gifcore {

const char* GifMessageText(int code) {
    switch (code) {
    case msgUnknownVersion: return "Unknown GIF version";
    case msgEncodingError: return "GIF image encoding error";
    case msgCorruptData: return "GIF encoded data is corrupt";
    case msgCodeSize: return "GIF code size not in range 2 to 9";
    case msgColorCount: return "Wrong number of colors; must be a power of 2";
    case msgUnknownExtension: return "Unrecognized extension block: %.2x";
    case msgNoData: return "No GIF Data to write";
    case msgSizeChange: return "Cannot change the Size of a GIF image";
    case msgDescription: return "CompuServe GIF Image";
    default: return "Stream read error";
    }
}

void RaiseGifError(int code) { throw GifError(code, GifMessageText(code)); }

const std::uint8_t* TableEntries::Entry(int i) const {
    static const std::uint8_t zeros[3] = {0, 0, 0};
    if (i < 0 || !p_ || 3 * std::size_t(i) + 3 > p_->size()) return zeros;
    return p_->data() + 3 * std::size_t(i);
}

std::uint8_t& TableEntries::operator[](int byte) {
    const std::size_t need = std::size_t(std::max(byte, 0)) + 1;
    if (!p_ || p_.use_count() > 1 || p_->size() < need) {
        const std::size_t size = std::max(Size(), need > Size() ? std::max<std::size_t>(need, 768) : need);
        auto fresh = std::make_shared<std::vector<std::uint8_t>>(size, 0);
        if (p_) std::copy(p_->begin(), p_->end(), fresh->begin());
        p_ = std::move(fresh);
    }
    return (*p_)[std::size_t(byte)];
}

std::uint8_t* TableEntries::Resize(std::size_t n) {
    n = std::min<std::size_t>(n, 768);
    auto fresh = std::make_shared<std::vector<std::uint8_t>>(n, 0);
    if (p_) std::copy(p_->begin(), p_->begin() + std::ptrdiff_t(std::min(n, p_->size())), fresh->begin());
    p_ = std::move(fresh);
    return p_->data();
}

std::uint32_t TableEntryToColor(const std::uint8_t* rgb) {
    return rgb[0] | (std::uint32_t(rgb[1]) << 8) | (std::uint32_t(rgb[2]) << 16);
}

int ColorIndexInTable(const GifColorTable& table, std::uint32_t color) {
    if (color == clNone) return -1;
    const int count = std::clamp(table.EntryCount, 0, 256);
    for (int i = 0; i < count; ++i)
        if (TableEntryToColor(table.Entry(i)) == (color & 0xFFFFFF)) return i;
    return -1;
}

int ColorCountToBits(int count) {
    for (int b = 1; b <= 8; ++b)
        if (count == (1 << b)) return b;
    RaiseGifError(msgColorCount);
}

int BitsForCount(int count) {
    int b = 1;
    while (b < 8 && (1 << b) < count) ++b;
    return b;
}

void TableToRGBQuads(const GifColorTable& table, std::uint8_t* quads) {
    std::memset(quads, 128, 1024);
    const int count = std::clamp(table.EntryCount, 0, 256);
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* rgb = table.Entry(i);
        quads[4 * i] = rgb[2];
        quads[4 * i + 1] = rgb[1];
        quads[4 * i + 2] = rgb[0];
        quads[4 * i + 3] = 0;
    }
}

bool TExtension::MarksLooping() const {
    if (Kind != extApplication || !SubBlocks || SubBlocks->empty()) return false;
    // Block size 11, and all eleven bytes of identifier and code compared.
    if (HeaderBytes[1] != 11) return false;
    const char* id = reinterpret_cast<const char*>(HeaderBytes + 2);
    if (std::memcmp(id, "NETSCAPE2.0", 11) != 0 && std::memcmp(id, "ANIMEXTS1.0", 11) != 0) return false;
    const std::string& first = SubBlocks->front();
    return first.size() >= 3 && first[0] == 1;
}

void TExtension::Assign(const TExtension& source) {
    if (&source == this) return;
    Kind = source.Kind;
    std::memcpy(HeaderBytes, source.HeaderBytes, sizeof HeaderBytes);
    if (source.SubBlocks) {
        if (!SubBlocks) SubBlocks = std::make_unique<Lines>();
        *SubBlocks = *source.SubBlocks;
    }
}

TExtension* LastExtensionOfKind(const ExtensionList* list, int kind) {
    if (!list) return nullptr;
    for (auto it = list->rbegin(); it != list->rend(); ++it)
        if (*it && (*it)->Kind == kind) return it->get();
    return nullptr;
}

GifFrameData::GifFrameData() : FrameItem(new TGIFItem) {}

void GifFrameData::FreshItem() {
    FrameItem = Ref<TGIFItem>(new TGIFItem);
    GreyFlag = CorruptMark = false;
    KeyColor = clNone;
    TransparentIndex = -1;
    OriginX = OriginY = 0;
    InterlaceFlag = HasLocalTable = false;
    DelayMs = 0;
    DisposalCode = 0;
}

int GifFrameData::MaskIndex() const {
    if (KeyColor == clNone) return -1;
    const GifColorTable& table = FrameItem->LocalTable;
    if (TransparentIndex >= 0 && TransparentIndex < table.EntryCount &&
        TableEntryToColor(table.Entry(TransparentIndex)) == (KeyColor & 0xFFFFFF))
        return TransparentIndex;
    return ColorIndexInTable(table, KeyColor);
}

Lines* GifFrameData::CommentList(bool create) {
    TExtension* e = LastExtensionOfKind(Extensions.get(), extComment);
    if (!e && create) {
        if (!Extensions) Extensions = std::make_unique<ExtensionList>();
        auto fresh = std::make_unique<TExtension>();
        fresh->Kind = extComment;
        e = fresh.get();
        Extensions->push_back(std::move(fresh));
    }
    if (e && !e->SubBlocks && create) e->SubBlocks = std::make_unique<Lines>();
    return e ? e->SubBlocks.get() : nullptr;
}

GifScreen::GifScreen() : GlobalData(new TGIFData) {}

void GifScreen::Reset() {
    GlobalData = Ref<TGIFData>(new TGIFData);
    GifVersion = 0;
    LogicalWidth = LogicalHeight = 0;
    BackColor = clNone;
    LoopFlag = false;
    LoopCount = 1;
}

// ---- BMP ------------------------------------------------------------------

namespace {

void Put16(std::uint8_t* p, unsigned v) { p[0] = std::uint8_t(v); p[1] = std::uint8_t(v >> 8); }
void Put32(std::uint8_t* p, std::uint32_t v) { Put16(p, v & 0xFFFF); Put16(p + 2, v >> 16); }
std::uint32_t Get16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }
std::uint32_t Get32(const std::uint8_t* p) { return Get16(p) | (Get16(p + 2) << 16); }

}  // namespace

std::size_t RowBytes32(std::uint64_t bitsInRow) { return std::size_t((bitsInRow + 31) / 32 * 4); }

Bytes BuildBMP(std::int32_t width, std::int32_t height, int bits, const std::uint8_t* palette,
               std::uint32_t paletteCount, const std::uint8_t* pixels, std::uint32_t importantColors) {
    const std::uint32_t entries = bits <= 8 ? (1u << bits) : 0;
    const std::size_t row = RowBytes32(std::uint64_t(width) * bits);
    const std::size_t image = row * std::size_t(height);
    const std::size_t offset = 54 + 4 * std::size_t(entries);
    Bytes out(offset + image, 0);
    std::uint8_t* p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    Put32(p + 2, std::uint32_t(out.size()));
    Put32(p + 10, std::uint32_t(offset));
    Put32(p + 14, 40);
    Put32(p + 18, std::uint32_t(width));
    Put32(p + 22, std::uint32_t(height));
    Put16(p + 26, 1);
    Put16(p + 28, unsigned(bits));
    Put32(p + 34, std::uint32_t(image));
    Put32(p + 50, importantColors);
    if (palette && entries) std::memcpy(p + 54, palette, 4 * std::min(entries, paletteCount));
    if (pixels && image) std::memcpy(p + offset, pixels, image);
    return out;
}

bool ParseBMP(const std::uint8_t* data, std::size_t size, BmpView& view, bool allow24) {
    if (!data || size < 54 || data[0] != 'B' || data[1] != 'M') return false;
    const std::uint32_t offset = Get32(data + 10);
    const std::uint32_t headerSize = Get32(data + 14);
    const std::int32_t width = std::int32_t(Get32(data + 18));
    const std::int32_t height = std::int32_t(Get32(data + 22));
    const int bits = int(Get16(data + 28));
    const std::uint32_t compression = Get32(data + 30);
    if (headerSize < 40 || headerSize > size - 14 || compression != 0) return false;
    if (width <= 0 || height <= 0) return false;
    if (!(bits == 1 || bits == 4 || bits == 8 || (allow24 && bits == 24))) return false;
    std::uint32_t entries = 0;
    if (bits <= 8) {
        const std::uint32_t used = Get32(data + 46);
        entries = used == 0 || used > (1u << bits) ? (1u << bits) : used;
    }
    const std::uint64_t paletteEnd = 14 + std::uint64_t(headerSize) + 4ull * entries;
    const std::uint64_t row = RowBytes32(std::uint64_t(width) * bits);
    if (paletteEnd > size || offset < paletteEnd || offset > size) return false;
    if (row * std::uint64_t(height) > size - offset) return false;
    view.Width = width;
    view.Height = height;
    view.Bits = bits;
    view.PaletteCount = entries;
    view.Palette = data + 14 + headerSize;
    view.Pixels = data + offset;
    view.RowBytes = std::size_t(row);
    return true;
}

}  // namespace gifcore
