// GIF reader and LZW decoder.
#include "GifCore.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace gifcore {

namespace {

// A read cursor over the stream copied into memory.
struct Source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t pos = 0;
    std::size_t Left() const { return size - pos; }
    bool AtEnd() const { return pos >= size; }
    // Up to n bytes; the rest of dst is zero-filled. Returns the count read.
    std::size_t Read(void* dst, std::size_t n) {
        const std::size_t k = std::min(n, Left());
        if (k) std::memcpy(dst, data + pos, k);
        if (k < n) std::memset(static_cast<std::uint8_t*>(dst) + k, 0, n - k);
        pos += k;
        return k;
    }
    void ReadExact(void* dst, std::size_t n) {
        if (Read(dst, n) != n) RaiseGifError(msgStreamRead);
    }
    std::uint8_t Byte() {
        std::uint8_t b = 0;
        ReadExact(&b, 1);
        return b;
    }
    // Counts memory that reading takes for records; fails past the limit.
    std::size_t Taken = 0;
    void Take(std::size_t n) {
        Taken += n;
        if (Taken > kMaxReadRecords) RaiseGifError(msgCorruptData);
    }
};

unsigned Le16(const std::uint8_t* p) { return p[0] | (p[1] << 8); }

std::uint8_t NextIntroducer(Source& s) {
    std::uint8_t b = 0;
    while (!s.AtEnd()) {
        b = s.data[s.pos++];
        if (b != 0) return b;
    }
    return 0;
}

// One string per data sub-block; a sub-block cut by the end of the stream
// keeps the bytes that are there.
std::unique_ptr<Lines> ReadSubBlocks(Source& s) {
    auto list = std::make_unique<Lines>();
    while (!s.AtEnd()) {
        const std::size_t n = s.data[s.pos++];
        if (n == 0) break;
        const std::size_t k = std::min(n, s.Left());
        s.Take(sizeof(std::string) + (k > 15 ? k + 1 : 0));
        list->emplace_back(reinterpret_cast<const char*>(s.data + s.pos), k);
        s.pos += k;
    }
    return list;
}

std::unique_ptr<TExtension> ReadExtensionBlock(Source& s) {
    const std::uint8_t label = s.Byte();
    s.Take(sizeof(TExtension) + sizeof(Lines) + sizeof(void*));
    auto e = std::make_unique<TExtension>();
    std::size_t fixed = 0;
    switch (label) {
    case 0xF9: e->Kind = extGraphicControl; fixed = 6; break;
    case 0x01: e->Kind = extPlainText; fixed = 13; break;
    case 0xFF: e->Kind = extApplication; fixed = 12; break;
    case 0xFE: e->Kind = extComment; break;
    default: {
        char text[64];
        std::snprintf(text, sizeof text, GifMessageText(msgUnknownExtension), label);
        throw GifError(msgUnknownExtension, text);
    }
    }
    s.Read(e->HeaderBytes + 1, fixed);
    if (e->Kind != extGraphicControl) e->SubBlocks = ReadSubBlocks(s);
    return e;
}

std::unique_ptr<ExtensionList> ReadExtensionRun(Source& s, std::uint8_t& ch, GifScreen& screen) {
    std::unique_ptr<ExtensionList> list;
    while (ch == 0x21) {
        std::unique_ptr<TExtension> e = ReadExtensionBlock(s);
        if (e->Kind == extPlainText) list.reset();
        if (e->Kind == extPlainText || e->Kind == extApplication) {
            if (e->MarksLooping()) {
                const std::string& b = e->SubBlocks->front();
                screen.LoopFlag = true;
                screen.LoopCount = std::uint16_t(std::min(
                    unsigned(std::uint8_t(b[1])) | (unsigned(std::uint8_t(b[2])) << 8), 30000u));
            }
        } else {
            if (!list) list = std::make_unique<ExtensionList>();
            list->push_back(std::move(e));
        }
        if (s.AtEnd()) {
            ch = 0x3B;
            break;
        }
        ch = NextIntroducer(s);
    }
    if (list && list->empty()) list.reset();
    return list;
}

void ReadImage(Source& s, GifFrameData& frame, GifScreen& screen, bool tolerate) {
    TGIFItem& item = *frame.FrameItem;
    item.PackedData = std::make_unique<Bytes>();
    Bytes& packed = *item.PackedData;
    std::uint8_t desc[9];
    s.ReadExact(desc, 9);
    frame.InterlaceFlag = (desc[8] & 0x40) != 0;
    frame.CorruptMark = false;
    if (desc[8] & 0x80) {
        item.PixelBits = std::uint8_t((desc[8] & 7) + 1);
        frame.HasLocalTable = true;
        item.LocalTable = GifColorTable();
        item.LocalTable.EntryCount = 1 << item.PixelBits;
        const std::size_t bytes = 3 * std::size_t(item.LocalTable.EntryCount);
        s.Take(bytes);
        s.ReadExact(item.LocalTable.RGBEntries.Resize(bytes), bytes);
    } else {
        frame.HasLocalTable = false;
        item.LocalTable = GifColorTable();
    }
    // The code size byte and the sub-blocks lie together in the stream:
    // found first, then copied as they are in one piece.
    const std::size_t begin = s.pos;
    s.Byte();
    while (!s.AtEnd()) {
        const std::size_t n = s.data[s.pos];
        if (n > s.Left() - 1) {
            frame.CorruptMark = true;
            break;
        }
        s.pos += 1 + n;
        if (n == 0) break;
    }
    packed.assign(s.data + begin, s.data + s.pos);
    if (frame.CorruptMark) s.pos = s.size;
    if (frame.CorruptMark && !tolerate) RaiseGifError(msgStreamRead);

    std::int32_t width = std::int32_t(Le16(desc + 4));
    std::int32_t height = std::int32_t(Le16(desc + 6));
    if (width == 0) width = screen.LogicalWidth;
    if (height == 0) height = screen.LogicalHeight;
    if (width == 0 || height == 0) frame.CorruptMark = true;  // nothing to show
    frame.OriginX = std::int32_t(Le16(desc));
    frame.OriginY = std::int32_t(Le16(desc + 2));
    item.ItemWidth = width;
    item.ItemHeight = height;
    item.DescriptorFlags = desc[8];
    if (!frame.HasLocalTable) item.LocalTable = screen.GlobalData->GlobalTable;

    frame.DelayMs = 0;
    if (frame.Extensions) {
        for (const auto& e : *frame.Extensions) {
            if (!e || e->Kind != extGraphicControl) continue;
            const std::uint8_t packedByte = e->HeaderBytes[2];
            const int index = e->HeaderBytes[5];
            if (packedByte & 1) {
                if (index < item.LocalTable.EntryCount) {
                    frame.KeyColor = TableEntryToColor(item.LocalTable.Entry(index));
                    frame.TransparentIndex = index;
                }
            } else {
                frame.KeyColor = clNone;
                frame.TransparentIndex = -1;
            }
            const unsigned delay = Le16(e->HeaderBytes + 3) * 10u;
            frame.DelayMs = std::uint16_t(std::min(65535u, std::max<unsigned>(delay, frame.DelayMs)));
            frame.DisposalCode = std::uint8_t((packedByte >> 2) & 7);
        }
    }
}

}  // namespace

void ReadGIFStream(const std::uint8_t* data, std::size_t size, GifScreen& screen,
                   std::vector<GifFrameData>& frames, bool tolerate) {
    screen.Reset();
    frames.clear();
    if (size == 0) return;
    Source s{data, size};
    TGIFData& global = *screen.GlobalData;

    std::uint8_t head[6];
    const std::size_t got = s.Read(head, 6);
    auto lower = [](std::uint8_t c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    auto same = [&](const std::uint8_t* p, const char* text) {
        for (int i = 0; i < 3; ++i)
            if (lower(p[i]) != lower(std::uint8_t(text[i]))) return false;
        return true;
    };
    if (got < 6 || !same(head, "GIF")) RaiseGifError(msgUnknownVersion);
    if (same(head + 3, "87a")) screen.GifVersion = 1;
    else if (same(head + 3, "89a")) screen.GifVersion = 2;
    else RaiseGifError(msgUnknownVersion);

    std::uint8_t lsd[7];
    s.Read(lsd, 7);
    screen.LogicalWidth = std::uint16_t(Le16(lsd));
    screen.LogicalHeight = std::uint16_t(Le16(lsd + 2));
    global.AspectByte = lsd[6];
    global.PixelBits = std::uint8_t((lsd[4] & 7) + 1);
    global.ColorResolution = std::uint8_t(((lsd[4] >> 4) & 7) + 1);
    if (lsd[4] & 0x80) {
        global.GlobalTable.EntryCount = 1 << global.PixelBits;
        const std::size_t bytes = 3 * std::size_t(global.GlobalTable.EntryCount);
        s.Read(global.GlobalTable.RGBEntries.Resize(bytes), bytes);
        if (lsd[5] < global.GlobalTable.EntryCount)
            screen.BackColor = TableEntryToColor(global.GlobalTable.Entry(lsd[5]));
    }

    std::uint8_t ch = NextIntroducer(s);
    while (ch != 0 && ch != 0x3B && !s.AtEnd()) {
        std::unique_ptr<ExtensionList> list = ReadExtensionRun(s, ch, screen);
        if (ch == 0x2C) {
            s.Take(kFrameRecordBytes);
            GifFrameData frame;
            if (global.GlobalTable.EntryCount > 0)
                frame.FrameItem->PixelBits = std::uint8_t(ColorCountToBits(global.GlobalTable.EntryCount));
            frame.Extensions = std::move(list);
            ReadImage(s, frame, screen, tolerate);
            frames.push_back(std::move(frame));
            ch = s.AtEnd() ? 0x3B : NextIntroducer(s);
            if (ch != 0x21 && ch != 0x2C && ch != 0x3B) ch = 0;
        } else {
            if (global.CommentLines.empty() && list) {
                for (const auto& e : *list) {
                    if (!e || e->Kind != extComment || !e->SubBlocks) continue;
                    if (!global.CommentLines.empty()) global.CommentLines.push_back("\r\n\r\n");
                    global.CommentLines.insert(global.CommentLines.end(), e->SubBlocks->begin(),
                                               e->SubBlocks->end());
                }
            }
            if (ch != 0 && ch != 0x3B) RaiseGifError(msgStreamRead);
        }
    }
}

// ---- LZW decoding -----------------------------------------------------------

namespace {

// Codes, least significant bit first, read straight from the image data's
// sub-blocks (a code may span two of them); never reads past the data.
class CodeReader {
public:
    CodeReader(const std::uint8_t* data, std::size_t size) : start_(data), p_(data + 1), end_(data + size) {}
    // False when the data is used up before the code is whole.
    bool Next(unsigned width, unsigned& code) {
        if (bits_ < width) {
            Fill();
            if (bits_ < width) return false;
        }
        code = unsigned(acc_) & ((1u << width) - 1);
        acc_ >>= width;
        bits_ -= width;
        return true;
    }
    // True once after each new sub-block.
    bool TakeNewBlock() {
        const bool b = newBlock_;
        newBlock_ = false;
        return b;
    }
    int Percent() const { return int(std::uint64_t(p_ - start_) * 100 / std::uint64_t(end_ - start_)); }

private:
    void Fill() {
        if (left_ >= 8) {
            // Whole bytes while the sub-block has eight or more left.
            std::uint64_t v;
            std::memcpy(&v, p_, 8);
            const unsigned k = (63 - bits_) >> 3;
            acc_ |= (v & ((std::uint64_t(1) << (8 * k)) - 1)) << bits_;
            p_ += k;
            left_ -= k;
            bits_ += 8 * k;
            return;
        }
        while (bits_ <= 56) {
            if (left_ == 0) {
                if (done_ || p_ >= end_) {
                    done_ = true;
                    return;
                }
                left_ = *p_++;
                const std::size_t have = std::size_t(end_ - p_);
                if (left_ > have) left_ = have;
                if (left_ == 0) {
                    done_ = true;
                    return;
                }
                newBlock_ = true;
            }
            acc_ |= std::uint64_t(*p_++) << bits_;
            bits_ += 8;
            --left_;
        }
    }
    const std::uint8_t* start_;
    const std::uint8_t* p_;
    const std::uint8_t* end_;
    std::size_t left_ = 0;  // bytes left in the current sub-block
    std::uint64_t acc_ = 0;
    unsigned bits_ = 0;
    bool done_ = false;
    bool newBlock_ = false;
};

// Image row of each row in stream order.
struct RowOrder {
    std::int32_t height;
    bool interlace;
    int pass = 0;
    std::int32_t row = 0;
    std::int32_t Next() {
        if (!interlace) return ++row;
        static const int step[4] = {8, 8, 4, 2};
        static const int start[4] = {0, 4, 2, 1};
        row += step[pass];
        while (row >= height && pass < 3) {
            ++pass;
            row = start[pass];
        }
        return row;
    }
};

// Where the decoded rows go, one byte a pixel: Row gives the place for an
// image row, Done hands it back with the count of pixels written to it.
// Stable rows stay as written, so strings decoded earlier can be copied
// from them.
class RowSink {
public:
    RowSink(bool stable, const std::uint8_t* end) : Stable(stable), End(end) {}
    virtual std::uint8_t* Row(std::int32_t imageRow) = 0;
    virtual void Done(std::int32_t imageRow, std::int32_t filled) = 0;
    const bool Stable;
    const std::uint8_t* const End;  // the end of the stable rows' memory

protected:
    ~RowSink() = default;
};

// Decodes the LZW image data into the sink's rows in stream order; returns
// the corrupt flag.
bool DecodeRows(const std::uint8_t* data, std::size_t size, std::int32_t width, std::int32_t height,
                bool interlace, int pixelBits, bool tolerate, RowSink& sink, const ProgressFn* progress) {
    if (size == 0) RaiseGifError(msgStreamRead);
    int s = data[0];
    bool corrupt = false;
    const bool badSize = s < 2 || s > 9;
    if (badSize) {
        // Read as far as the first code that is neither a clear code nor the one after it.
        if (!tolerate) RaiseGifError(msgCodeSize);
        s = std::clamp(s, 2, 9);
    }
    const unsigned clear = 1u << s;
    const unsigned endCode = clear + 1;
    const unsigned pixelMask = (1u << std::clamp(pixelBits, 1, 8)) - 1;

    std::uint16_t prefix[4096];
    std::uint8_t suffix[4096], first[4096];
    std::uint16_t length[4096];
    std::uint8_t stack[4097];
    // Where each code's string already stands whole in the rows, or null.
    const std::uint8_t* where[4096];
    for (unsigned c = 0; c < clear; ++c) {
        suffix[c] = first[c] = std::uint8_t(c & pixelMask);
        length[c] = 1;
        prefix[c] = 0;
    }

    unsigned codeWidth = unsigned(s) + 1;
    unsigned limit = 1u << codeWidth;
    unsigned nextFree = clear + 2;
    bool tableFull = false;
    bool justCleared = true;  // decoding starts as if just cleared
    unsigned prev = 0;
    const std::uint8_t* prevAt = nullptr;  // where the previous string was written whole
    std::int32_t prevLen = 0;
    const bool stable = sink.Stable;
    const std::uint8_t* const end = sink.End;

    CodeReader reader(data, size);
    const bool report = progress && *progress;
    int lastPercent = -1;

    RowOrder order{height, interlace};
    std::int32_t imageRow = 0;
    std::int32_t x = 0;
    std::uint8_t* row = width > 0 && height > 0 ? sink.Row(0) : nullptr;
    auto nextRow = [&] {
        sink.Done(imageRow, width);
        x = 0;
        imageRow = order.Next();
        row = imageRow < height ? sink.Row(imageRow) : nullptr;
    };

    unsigned code = 0;
    while (row) {
        if (!reader.Next(codeWidth, code)) break;  // data used up
        if (report && reader.TakeNewBlock()) {
            const int percent = reader.Percent();
            if (percent != lastPercent) {
                lastPercent = percent;
                (*progress)(1, percent, std::string());
            }
        }
        if (code == clear) {
            codeWidth = unsigned(s) + 1;
            limit = 1u << codeWidth;
            nextFree = clear + 2;
            tableFull = false;
            justCleared = true;
            continue;
        }
        if (code == endCode) break;
        if (justCleared) {
            if (code > endCode) {
                corrupt = true;
                break;
            }
            prevAt = row + x;
            prevLen = 1;
            row[x++] = suffix[code];
            if (x == width) nextRow();
            prev = code;
            justCleared = false;
            continue;
        }
        if (badSize || code > nextFree || (code == nextFree && tableFull)) {
            corrupt = true;
            break;
        }
        std::uint8_t* const at = row + x;
        // The new string (the previous one and this one's first pixel) stands
        // whole where the previous one was written when this one follows it.
        const std::uint8_t* const newAt = stable && prevAt && prevAt + prevLen == at ? prevAt : nullptr;
        if (code == nextFree) {
            // The string of the previous code and its own first pixel.
            prefix[code] = std::uint16_t(prev);
            suffix[code] = first[prev];
            first[code] = first[prev];
            length[code] = std::uint16_t(length[prev] + 1);
            where[code] = newAt;
        } else if (!tableFull) {
            prefix[nextFree] = std::uint16_t(prev);
            suffix[nextFree] = first[code];
            first[nextFree] = first[prev];
            length[nextFree] = std::uint16_t(length[prev] + 1);
            where[nextFree] = newAt;
        }
        const std::int32_t len = length[code];
        unsigned c = code;
        if (len <= width - x) {
            if (c >= clear && where[c]) {
                // Copied from where it stands; its last pixel may be the one
                // written now, so that one comes from the table.
                const std::uint8_t* from = where[c];
                if (len <= 9 && x + 8 <= width && from + 8 <= end) {
                    // A short one in one move of eight bytes: what lands past
                    // the string lies ahead in the row and is written over.
                    std::uint64_t v;
                    std::memcpy(&v, from, 8);
                    std::memcpy(at, &v, 8);
                } else {
                    std::memcpy(at, from, std::size_t(len - 1));
                }
                at[len - 1] = suffix[c];
            } else {
                // Written backwards from its last pixel, in place.
                std::uint8_t* q = at + len - 1;
                while (c >= clear) {
                    *q-- = suffix[c];
                    c = prefix[c];
                }
                *q = suffix[c];
            }
            prevAt = at;
            x += len;
            if (x == width) nextRow();
        } else {
            // The string runs on into the next rows.
            std::uint8_t* q = stack + len;
            while (c >= clear) {
                *--q = suffix[c];
                c = prefix[c];
            }
            *--q = suffix[c];
            for (std::int32_t i = 0; i < len && row; ++i) {
                row[x++] = stack[i];
                if (x == width) nextRow();
            }
            prevAt = nullptr;
        }
        prevLen = len;
        if (!tableFull) {
            ++nextFree;
            if (nextFree >= limit) {
                if (codeWidth == 12) {
                    tableFull = true;
                } else {
                    ++codeWidth;
                    limit <<= 1;
                }
            }
        }
        prev = code;
    }
    if (row) {
        // Rows missing: what arrived of this row stays, the rest is 0.
        std::memset(row + x, 0, std::size_t(width - x));
        sink.Done(imageRow, x);
        corrupt = true;
    }
    if (badSize) corrupt = true;
    return corrupt;
}

// Runs the decoder with the progress reports around it.
bool DecodeReported(const std::uint8_t* data, std::size_t size, std::int32_t width, std::int32_t height,
                    bool interlace, int pixelBits, bool tolerate, RowSink& sink, const ProgressFn* progress) {
    const bool report = progress && *progress;
    if (report) (*progress)(0, 0, std::string());
    bool corrupt = false;
    try {
        corrupt = DecodeRows(data, size, width, height, interlace, pixelBits, tolerate, sink, progress);
        if (corrupt && !tolerate) RaiseGifError(msgStreamRead);
    } catch (const GifError& e) {
        if (report) (*progress)(2, 0, e.what());
        throw;
    }
    if (report) (*progress)(2, 100, std::string());
    return corrupt;
}

// Bottom-up rows of 8 bits: the decoder writes straight into them.
class DirectRows final : public RowSink {
public:
    explicit DirectRows(const DecodeTarget& t)
        : RowSink(true, t.Pixels + RowBytes32(std::uint64_t(t.Width) * 8) * std::size_t(t.Height)), t_(t),
          rowBytes_(RowBytes32(std::uint64_t(t.Width) * 8)) {}
    std::uint8_t* Row(std::int32_t imageRow) override {
        return t_.Pixels + std::size_t(t_.Height - 1 - imageRow) * rowBytes_;
    }
    void Done(std::int32_t, std::int32_t) override {}

private:
    const DecodeTarget& t_;
    std::size_t rowBytes_;
};

// Bottom-up rows of 1 or 4 bits: each row is decoded into one row of bytes
// and packed from there.
class PackedRows final : public RowSink {
public:
    explicit PackedRows(const DecodeTarget& t)
        : RowSink(false, nullptr), t_(t), rowBytes_(RowBytes32(std::uint64_t(t.Width) * unsigned(t.Bits))), line_(std::size_t(t.Width)) {}
    std::uint8_t* Row(std::int32_t) override { return line_.data(); }
    void Done(std::int32_t imageRow, std::int32_t filled) override {
        std::uint8_t* dst = t_.Pixels + std::size_t(t_.Height - 1 - imageRow) * rowBytes_;
        const std::uint8_t* src = line_.data();
        if (t_.Bits == 4) {
            std::int32_t x = 0;
            for (; x + 1 < filled; x += 2) dst[x >> 1] = std::uint8_t((src[x] << 4) | (src[x + 1] & 0x0F));
            if (x < filled) dst[x >> 1] = std::uint8_t(src[x] << 4);
        } else {
            for (std::int32_t x = 0; x < filled; x += 8) {
                unsigned b = 0;
                const std::int32_t n = std::min<std::int32_t>(8, filled - x);
                for (std::int32_t k = 0; k < n; ++k) b |= unsigned(src[x + k] & 1) << (7 - k);
                dst[x >> 3] = std::uint8_t(b);
            }
        }
    }

private:
    const DecodeTarget& t_;
    std::size_t rowBytes_;
    Bytes line_;
};

// Top-down rows of one byte a pixel.
class IndexRows final : public RowSink {
public:
    IndexRows(std::uint8_t* p, std::int32_t width, std::int32_t height)
        : RowSink(true, p + std::size_t(width) * std::size_t(height)), p_(p), width_(width) {}
    std::uint8_t* Row(std::int32_t imageRow) override { return p_ + std::size_t(imageRow) * std::size_t(width_); }
    void Done(std::int32_t, std::int32_t) override {}

private:
    std::uint8_t* p_;
    std::int32_t width_;
};

}  // namespace

bool DecodeGIFData(const std::uint8_t* data, std::size_t size, const DecodeTarget& target, bool interlace,
                   int pixelBits, bool tolerate, const ProgressFn* progress) {
    if (target.Bits == 8) {
        DirectRows rows(target);
        return DecodeReported(data, size, target.Width, target.Height, interlace, pixelBits, tolerate, rows,
                              progress);
    }
    PackedRows rows(target);
    return DecodeReported(data, size, target.Width, target.Height, interlace, pixelBits, tolerate, rows, progress);
}

bool DecodeGIFIndices(const std::uint8_t* data, std::size_t size, int width, int height, bool interlace,
                      int pixelBits, Bytes& indices, bool tolerate) {
    const std::uint64_t pixels = std::uint64_t(std::max(width, 0)) * std::uint64_t(std::max(height, 0));
    if (pixels > std::uint64_t(SIZE_MAX / 2)) RaiseGifError(msgCorruptData);
    indices.assign(std::size_t(pixels), 0);
    IndexRows rows(indices.data(), std::max(width, 0), std::max(height, 0));
    return DecodeReported(data, size, std::max(width, 0), std::max(height, 0), interlace, pixelBits, tolerate, rows,
                          nullptr);
}

Bytes BuildDIBStream(GifFrameData& frame, bool tolerate, std::uint64_t maxPixels, const ProgressFn* progress) {
    TGIFItem& item = *frame.FrameItem;
    int depth;
    if (item.PixelBits == 1) depth = 1;
    else if (item.PixelBits >= 2 && item.PixelBits <= 4) depth = 4;
    else if (item.PixelBits >= 5 && item.PixelBits <= 8) depth = 8;
    else RaiseGifError(msgColorCount);
    if (item.ItemWidth <= 0 || item.ItemHeight <= 0) {
        frame.CorruptMark = true;
        return Bytes();
    }
    if (!picturecap::Fits(item.ItemWidth, item.ItemHeight, maxPixels)) RaiseGifError(msgCorruptData);
    std::uint8_t quads[1024];
    TableToRGBQuads(item.LocalTable, quads);
    Bytes bmp = BuildBMP(item.ItemWidth, item.ItemHeight, depth, quads, 1u << depth, nullptr);
    DecodeTarget target;
    target.Width = item.ItemWidth;
    target.Height = item.ItemHeight;
    target.Bits = depth;
    target.Pixels = bmp.data() + 54 + 4 * (std::size_t(1) << depth);
    const Bytes empty;
    const Bytes& packed = item.PackedData ? *item.PackedData : empty;
    if (DecodeGIFData(packed.data(), packed.size(), target, frame.InterlaceFlag, item.PixelBits, tolerate, progress))
        frame.CorruptMark = true;
    return bmp;
}

}  // namespace gifcore
