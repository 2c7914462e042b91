// GIF writer and LZW encoder.
#include "GifCore.h"

#include <algorithm>
#include <cstring>

namespace gifcore {

namespace {

void Put16(Bytes& out, unsigned v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

// Lines as data sub-blocks (cut to 255 bytes, empty lines left out), then the terminator.
void PutLines(Bytes& out, const Lines* lines) {
    if (lines)
        for (const std::string& line : *lines) {
            const std::size_t n = std::min<std::size_t>(line.size(), 255);
            if (n == 0) continue;
            out.push_back(std::uint8_t(n));
            out.insert(out.end(), line.begin(), line.begin() + std::ptrdiff_t(n));
        }
    out.push_back(0);
}

// At most what PutLines writes.
std::size_t LinesSize(const Lines* lines) {
    std::size_t n = 1;
    if (lines)
        for (const std::string& line : *lines) n += 1 + std::min<std::size_t>(line.size(), 255);
    return n;
}

// A colour table of 2^bits entries, padded with zeros.
void PutTable(Bytes& out, const GifColorTable& table, int bits) {
    const std::size_t have = std::min(3 * std::size_t(std::clamp(table.EntryCount, 0, 256)), table.RGBEntries.Size());
    const std::size_t size = 3 * (std::size_t(1) << bits);
    const std::uint8_t* entries = table.RGBEntries.Data();
    if (entries) out.insert(out.end(), entries, entries + std::min(have, size));
    out.insert(out.end(), size - std::min(have, size), 0);
}

// Packs codes least significant bit first into 255-byte data sub-blocks.
class CodeWriter {
public:
    explicit CodeWriter(Bytes& out) : out_(out) {}
    void Put(unsigned code, int width) {
        acc_ |= std::uint64_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            block_[fill_++] = std::uint8_t(acc_);
            acc_ >>= 8;
            bits_ -= 8;
            if (fill_ == 255) Flush();
        }
    }
    void Finish() {
        if (bits_ > 0) {
            block_[fill_++] = std::uint8_t(acc_);
            bits_ = 0;
            if (fill_ == 255) Flush();
        }
        Flush();
        out_.push_back(0);
    }

private:
    void Flush() {
        if (fill_ == 0) return;
        out_.push_back(std::uint8_t(fill_));
        out_.insert(out_.end(), block_, block_ + fill_);
        fill_ = 0;
    }
    Bytes& out_;
    std::uint64_t acc_ = 0;
    int bits_ = 0;
    std::uint8_t block_[255];
    int fill_ = 0;
};

// The encoder's string tables: the code of the string (prefix code, pixel),
// 0 for none (no string ever has a code below the end code).
//
// Pictures of 256 colours: open addressing over (prefix << 8) | pixel.
class HashedStrings {
public:
    HashedStrings() : keys_(kSlots, kEmpty), codes_(kSlots, 0) {}
    void Clear() { std::fill(keys_.begin(), keys_.end(), kEmpty); }
    // Remembers the slot where the string would be added.
    unsigned Find(unsigned prefix, unsigned pixel) {
        const std::uint32_t key = (std::uint32_t(prefix) << 8) | pixel;
        std::size_t slot = (key * 2654435761u) >> (32 - kBits);
        while (keys_[slot] != kEmpty && keys_[slot] != key) slot = (slot + 1) & (kSlots - 1);
        slot_ = slot;
        return keys_[slot] == kEmpty ? 0 : codes_[slot];
    }
    // Adds the string the last Find missed.
    void Add(unsigned prefix, unsigned pixel, unsigned code) {
        keys_[slot_] = (std::uint32_t(prefix) << 8) | pixel;
        codes_[slot_] = std::uint16_t(code);
    }

private:
    static constexpr int kBits = 14;
    static constexpr std::size_t kSlots = std::size_t(1) << kBits;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFFu;
    std::vector<std::uint32_t> keys_;
    std::vector<std::uint16_t> codes_;
    std::size_t slot_ = 0;
};

// Pictures of 2 or 16 colours: a row of 2^bits entries for every code, read
// directly. Every pixel of a picture costs one lookup, and in a hashed table
// that is a hash, a probe and a compare over a table larger than the first-
// level cache; these rows are 16 KB for 2 colours, and one read each.
template <int Bits>
class DirectStrings {
public:
    DirectStrings() : next_(std::size_t(4096) << Bits, 0) {}
    // Only the rows of the single pixels are read before they are written:
    // every other code's row is emptied when the code is given out.
    void Clear() { std::fill(next_.begin(), next_.begin() + (std::ptrdiff_t(1) << Bits << Bits), 0); }
    unsigned Find(unsigned prefix, unsigned pixel) const { return next_[(prefix << Bits) | pixel]; }
    void Add(unsigned prefix, unsigned pixel, unsigned code) {
        next_[(prefix << Bits) | pixel] = std::uint16_t(code);
        std::fill_n(next_.begin() + (std::ptrdiff_t(code) << Bits), 1 << Bits, 0);
    }

private:
    std::vector<std::uint16_t> next_;
};

// One row of 1 or 4 bits as one byte a pixel.
void UnpackRow(const std::uint8_t* row, std::int32_t width, int bits, std::uint8_t* line) {
    const std::int32_t whole = bits == 4 ? width / 2 : width / 8;
    if (bits == 4) {
        for (std::int32_t i = 0; i < whole; ++i) {
            line[2 * i] = row[i] >> 4;
            line[2 * i + 1] = row[i] & 0x0F;
        }
    } else {
        for (std::int32_t i = 0; i < whole; ++i)
            for (int k = 0; k < 8; ++k) line[8 * i + k] = (row[i] >> (7 - k)) & 1;
    }
    for (std::int32_t x = whole * (8 / bits); x < width; ++x) line[x] = std::uint8_t(PixelAt(row, x, bits));
}

template <class Strings>
void Compress(Bytes& out, std::int32_t width, std::int32_t height, int bits, const std::uint8_t* pixels,
              const ProgressFn* progress) {
    const bool report = progress && *progress;
    if (report) (*progress)(0, 0, std::string());
    const int b = std::max(bits + 1, 3);
    out.push_back(std::uint8_t(b - 1));
    const unsigned clear = 1u << (b - 1);
    const unsigned endCode = clear + 1;
    unsigned last = endCode;
    unsigned capacity = 1u << b;
    int codeWidth = b;
    Strings table;
    table.Clear();
    CodeWriter writer(out);
    writer.Put(clear, codeWidth);

    const std::size_t rowBytes = RowBytes32(std::uint64_t(width) * bits);
    Bytes line(bits == 8 ? 0 : std::size_t(width));
    bool open = false;
    unsigned prefix = 0;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = pixels + std::size_t(height - 1 - y) * rowBytes;
        if (bits != 8) {
            UnpackRow(row, width, bits, line.data());
            row = line.data();
        }
        for (std::int32_t x = 0; x < width; ++x) {
            const unsigned p = row[x];
            if (!open) {
                prefix = p;
                open = true;
                continue;
            }
            const unsigned code = table.Find(prefix, p);
            if (code != 0) {
                prefix = code;
                continue;
            }
            writer.Put(prefix, codeWidth);
            ++last;
            table.Add(prefix, p, last);
            prefix = p;
            if (last >= capacity) {
                capacity <<= 1;
                ++codeWidth;
            } else if (last > 4093) {
                writer.Put(prefix, codeWidth);
                writer.Put(clear, codeWidth);
                open = false;
                last = endCode;
                codeWidth = b;
                capacity = 1u << b;
                table.Clear();
            }
        }
        if (report) (*progress)(1, int(std::int64_t(y + 1) * 100 / height), std::string());
    }
    if (open) writer.Put(prefix, codeWidth);
    writer.Put(endCode, codeWidth);
    writer.Finish();
    if (report) (*progress)(2, 100, std::string());
}

}  // namespace

void EncodeGIFData(Bytes& out, std::int32_t width, std::int32_t height, int bits, const std::uint8_t* pixels,
                   const ProgressFn* progress) {
    if (bits == 1) Compress<DirectStrings<1>>(out, width, height, bits, pixels, progress);
    else if (bits == 4) Compress<DirectStrings<4>>(out, width, height, bits, pixels, progress);
    else Compress<HashedStrings>(out, width, height, bits, pixels, progress);
}

void UpdateExtensions(GifFrameData& frame, GifScreen& screen) {
    TExtension* gce = LastExtensionOfKind(frame.Extensions.get(), extGraphicControl);
    if (!gce && (frame.DelayMs != 0 || frame.KeyColor != clNone || frame.DisposalCode != 0)) {
        if (!frame.Extensions) frame.Extensions = std::make_unique<ExtensionList>();
        auto fresh = std::make_unique<TExtension>();
        fresh->Kind = extGraphicControl;
        fresh->HeaderBytes[1] = 4;
        gce = fresh.get();
        frame.Extensions->push_back(std::move(fresh));
    }
    if (gce) {
        std::uint8_t* h = gce->HeaderBytes;
        const unsigned delay = frame.DelayMs / 10u;
        h[3] = std::uint8_t(delay);
        h[4] = std::uint8_t(delay >> 8);
        const int index = frame.MaskIndex();
        if (index >= 0) {
            h[5] = std::uint8_t(index);
            h[2] |= 1;
        } else {
            h[2] &= std::uint8_t(~1u);
        }
        h[2] = std::uint8_t((h[2] & 0xE3) | ((frame.DisposalCode & 7) << 2));
    }
    if (frame.Extensions) {
        ExtensionList& list = *frame.Extensions;
        for (std::size_t i = list.size(); i-- > 0;) {
            const auto& e = list[i];
            if (e && e->Kind == extComment && (!e->SubBlocks || e->SubBlocks->empty()))
                list.erase(list.begin() + std::ptrdiff_t(i));
        }
        if (std::any_of(list.begin(), list.end(), [](const auto& e) { return e != nullptr; }))
            screen.GifVersion = 2;
    }
}

void EncodeDIBStream(GifFrameData& frame, GifScreen& screen, const std::uint8_t* bmp, std::size_t size,
                     const ProgressFn* progress) {
    BmpView view;
    if (!ParseBMP(bmp, size, view) || view.Width > 65535 || view.Height > 65535) RaiseGifError(msgEncodingError);
    frame.InterlaceFlag = false;
    TGIFItem& item = *frame.FrameItem;
    item.LocalTable = GifColorTable();
    item.LocalTable.EntryCount = 1 << view.Bits;
    for (std::uint32_t i = 0; i < view.PaletteCount; ++i) {
        item.LocalTable.RGBEntries[3 * i] = view.Palette[4 * i + 2];
        item.LocalTable.RGBEntries[3 * i + 1] = view.Palette[4 * i + 1];
        item.LocalTable.RGBEntries[3 * i + 2] = view.Palette[4 * i];
    }
    frame.TransparentIndex = -1;
    auto packed = std::make_unique<Bytes>();
    // Room for the bytes the pixels take as they are (more than their codes
    // take but for noise), so that the data is not copied as it grows.
    const std::uint64_t raw = (std::uint64_t(view.Width) * std::uint64_t(view.Height) * unsigned(view.Bits) + 7) / 8;
    packed->reserve(std::size_t(std::min<std::uint64_t>(raw, 1u << 24)) + 64);
    EncodeGIFData(*packed, view.Width, view.Height, view.Bits, view.Pixels, progress);
    item.PackedData = std::move(packed);
    item.PixelBits = std::uint8_t(BitsForCount(item.LocalTable.EntryCount));
    TGIFData& global = *screen.GlobalData;
    if (global.GlobalTable.EntryCount == 0) {
        global.GlobalTable = item.LocalTable;
        global.PixelBits = item.PixelBits;
        frame.HasLocalTable = false;
    } else {
        frame.HasLocalTable = true;
    }
    item.ItemWidth = view.Width;
    item.ItemHeight = view.Height;
    screen.LogicalWidth = std::uint16_t(std::min<std::int64_t>(
        65535, std::max<std::int64_t>(screen.LogicalWidth, std::int64_t(view.Width) + frame.OriginX)));
    screen.LogicalHeight = std::uint16_t(std::min<std::int64_t>(
        65535, std::max<std::int64_t>(screen.LogicalHeight, std::int64_t(view.Height) + frame.OriginY)));
}

void RecomputeScreen(GifScreen& screen, const std::vector<GifFrameData*>& frames) {
    std::int64_t w = 0, h = 0;
    for (const GifFrameData* f : frames) {
        if (!f) continue;
        w = std::max<std::int64_t>(w, std::int64_t(f->FrameItem->ItemWidth) + f->OriginX);
        h = std::max<std::int64_t>(h, std::int64_t(f->FrameItem->ItemHeight) + f->OriginY);
    }
    screen.LogicalWidth = std::uint16_t(std::clamp<std::int64_t>(w, 0, 65535));
    screen.LogicalHeight = std::uint16_t(std::clamp<std::int64_t>(h, 0, 65535));
}

Bytes WriteGIFStream(GifScreen& screen, std::vector<GifFrameData*>& frames, bool lengthPrefix) {
    if (frames.empty()) RaiseGifError(msgNoData);
    TGIFData& global = *screen.GlobalData;
    Bytes out;
    // At most what the stream takes, made room for at once: a stream that
    // outgrew its vector at its last byte would be copied whole.
    std::size_t room = 4 + 13 + 6 * 256 + 19 + LinesSize(&global.CommentLines) + 3;
    for (const GifFrameData* frame : frames) {
        const TGIFItem& item = *frame->FrameItem;
        room += 10 + (item.PackedData ? item.PackedData->size() : 0);
        if (frame->HasLocalTable) room += 6 * std::size_t(std::clamp(item.LocalTable.EntryCount, 0, 256));
        if (frame->Extensions)
            for (const auto& e : *frame->Extensions)
                if (e) room += 2 + 13 + LinesSize(e->SubBlocks.get());
    }
    out.reserve(room);
    if (lengthPrefix) out.insert(out.end(), 4, 0);
    const std::size_t start = out.size();
    if (!global.CommentLines.empty()) screen.GifVersion = 2;
    const char* head = screen.GifVersion == 2 ? "GIF89a" : "GIF87a";
    out.insert(out.end(), head, head + 6);

    Put16(out, screen.LogicalWidth);
    Put16(out, screen.LogicalHeight);
    const int count = global.GlobalTable.EntryCount;
    int tableBits = 0;
    if (count > 0) {
        tableBits = ColorCountToBits(count);
        out.push_back(std::uint8_t(0x80 | ((tableBits - 1) << 4) | (tableBits - 1)));
    } else {
        out.push_back(0);
    }
    int background = 0;
    if (count > 0 && screen.BackColor != clNone)
        background = std::max(0, ColorIndexInTable(global.GlobalTable, screen.BackColor));
    out.push_back(std::uint8_t(background));
    out.push_back(global.AspectByte);
    if (count > 0) PutTable(out, global.GlobalTable, tableBits);

    if (screen.LoopFlag && frames.size() > 1) {
        static const char loop[] = "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        out.insert(out.end(), loop, loop + 16);
        Put16(out, screen.LoopCount);
        out.push_back(0);
    }

    static const std::uint8_t labels[4] = {0xF9, 0x01, 0xFF, 0xFE};
    for (GifFrameData* frame : frames) {
        TGIFItem& item = *frame->FrameItem;
        if (!item.PackedData || item.PackedData->empty()) RaiseGifError(msgNoData);
        if (frame->OriginX < 0 || frame->OriginY < 0 || item.ItemWidth < 0 || item.ItemHeight < 0 ||
            std::int64_t(frame->OriginX) + item.ItemWidth > 65535 ||
            std::int64_t(frame->OriginY) + item.ItemHeight > 65535)
            RaiseGifError(msgEncodingError);
        if (frame->Extensions)
            for (const auto& e : *frame->Extensions) {
                if (!e || e->Kind > extComment) continue;
                out.push_back(0x21);
                out.push_back(labels[e->Kind]);
                static const std::size_t fixed[4] = {6, 13, 12, 0};
                out.insert(out.end(), e->HeaderBytes + 1, e->HeaderBytes + 1 + fixed[e->Kind]);
                if (e->Kind != extGraphicControl) PutLines(out, e->SubBlocks.get());
            }
        out.push_back(0x2C);
        Put16(out, unsigned(frame->OriginX));
        Put16(out, unsigned(frame->OriginY));
        Put16(out, unsigned(item.ItemWidth));
        Put16(out, unsigned(item.ItemHeight));
        const bool local = frame->HasLocalTable && item.LocalTable.EntryCount > 0;
        std::uint8_t packed = frame->InterlaceFlag ? 0x40 : 0;
        if (local) {
            item.PixelBits = std::uint8_t(BitsForCount(item.LocalTable.EntryCount));
            packed |= std::uint8_t(0x80 | (item.PixelBits - 1));
        }
        out.push_back(packed);
        if (local) PutTable(out, item.LocalTable, item.PixelBits);
        out.insert(out.end(), item.PackedData->begin(), item.PackedData->end());
    }
    if (!global.CommentLines.empty()) {
        out.push_back(0x21);
        out.push_back(0xFE);
        PutLines(out, &global.CommentLines);
    }
    out.push_back(0x3B);
    if (lengthPrefix) {
        const std::uint32_t n = std::uint32_t(out.size() - start);
        for (int i = 0; i < 4; ++i) out[std::size_t(i)] = std::uint8_t(n >> (8 * i));
    }
    return out;
}

}  // namespace gifcore
