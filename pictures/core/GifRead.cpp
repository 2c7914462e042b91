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
        list->emplace_back(reinterpret_cast<const char*>(s.data + s.pos), k);
        s.pos += k;
    }
    return list;
}

std::unique_ptr<TExtension> ReadExtensionBlock(Source& s) {
    const std::uint8_t label = s.Byte();
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
        s.ReadExact(item.LocalTable.RGBEntries, 3 * std::size_t(item.LocalTable.EntryCount));
    } else {
        frame.HasLocalTable = false;
        item.LocalTable = GifColorTable();
    }
    packed.push_back(s.Byte());
    // The image data sub-blocks, copied as they are.
    while (!s.AtEnd()) {
        const std::size_t n = s.data[s.pos];
        if (n > s.Left() - 1) {
            frame.CorruptMark = true;
            s.pos = s.size;
            break;
        }
        packed.insert(packed.end(), s.data + s.pos, s.data + s.pos + 1 + n);
        s.pos += 1 + n;
        if (n == 0) break;
    }
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
                    frame.KeyColor = TableEntryToColor(item.LocalTable.RGBEntries + 3 * index);
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
        s.Read(global.GlobalTable.RGBEntries, 3 * std::size_t(global.GlobalTable.EntryCount));
        if (lsd[5] < global.GlobalTable.EntryCount)
            screen.BackColor = TableEntryToColor(global.GlobalTable.RGBEntries + 3 * lsd[5]);
    }

    std::uint8_t ch = NextIntroducer(s);
    while (ch != 0 && ch != 0x3B && !s.AtEnd()) {
        std::unique_ptr<ExtensionList> list = ReadExtensionRun(s, ch, screen);
        if (ch == 0x2C) {
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

// The image data's sub-blocks joined into one run of code bytes; never reads
// past the data. Returns the minimum code size byte.
int JoinSubBlocks(const std::uint8_t* data, std::size_t size, Bytes& codes) {
    codes.clear();
    if (size == 0) RaiseGifError(msgStreamRead);
    std::size_t pos = 1;
    while (pos < size) {
        const std::size_t n = data[pos++];
        if (n == 0) break;
        const std::size_t k = std::min(n, size - pos);
        codes.insert(codes.end(), data + pos, data + pos + k);
        pos += k;
    }
    return data[0];
}

// Decodes into one index per pixel in stream order; returns how many pixels
// were written and sets corrupt for damaged data.
std::size_t DecodeLinear(const std::uint8_t* data, std::size_t size, std::uint8_t* out, std::size_t total,
                         int pixelBits, bool tolerate, bool& corrupt, const ProgressFn* progress) {
    Bytes codes;
    int s = JoinSubBlocks(data, size, codes);
    corrupt = false;
    const bool badSize = s < 2 || s > 9;
    if (badSize) {
        // Read as far as the first code that is neither a clear code nor the one after it.
        if (!tolerate) RaiseGifError(msgCodeSize);
        s = std::clamp(s, 2, 9);
    }
    const unsigned clear = 1u << s;
    const unsigned endCode = clear + 1;
    const unsigned pixelMask = (1u << std::clamp(pixelBits, 1, 8)) - 1;

    std::vector<std::uint16_t> prefix(4096, 0);
    std::vector<std::uint8_t> suffix(4096, 0), first(4096, 0);
    std::vector<std::uint16_t> length(4096, 1);
    for (unsigned c = 0; c < clear; ++c) suffix[c] = first[c] = std::uint8_t(c & pixelMask);

    int width = s + 1;
    unsigned mask = (1u << width) - 1;
    unsigned nextFree = clear + 2;
    bool tableFull = false;
    bool justCleared = true;  // decoding starts as if just cleared
    unsigned prev = 0;

    const std::uint8_t* bytes = codes.data();
    const std::size_t nbytes = codes.size();
    const std::uint64_t totalBits = std::uint64_t(nbytes) * 8;
    std::uint64_t bitPos = 0;
    std::size_t o = 0;
    int lastPercent = -1;

    while (o < total) {
        if (bitPos + unsigned(width) > totalBits) break;  // data used up
        const std::size_t p = std::size_t(bitPos >> 3);
        std::uint32_t v = bytes[p];
        if (p + 1 < nbytes) v |= std::uint32_t(bytes[p + 1]) << 8;
        if (p + 2 < nbytes) v |= std::uint32_t(bytes[p + 2]) << 16;
        const unsigned code = (v >> (bitPos & 7)) & mask;
        bitPos += unsigned(width);

        if (code == clear) {
            width = s + 1;
            mask = (1u << width) - 1;
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
            out[o++] = suffix[code];
            prev = code;
            justCleared = false;
            continue;
        }
        if (badSize || code > nextFree || (code == nextFree && tableFull)) {
            corrupt = true;
            break;
        }
        if (code == nextFree) {
            // The string of the previous code and its own first pixel.
            prefix[code] = std::uint16_t(prev);
            suffix[code] = first[prev];
            first[code] = first[prev];
            length[code] = std::uint16_t(length[prev] + 1);
        } else if (!tableFull) {
            prefix[nextFree] = std::uint16_t(prev);
            suffix[nextFree] = first[code];
            first[nextFree] = first[prev];
            length[nextFree] = std::uint16_t(length[prev] + 1);
        }
        // Write the string backwards from its last pixel.
        const std::size_t len = length[code];
        unsigned c = code;
        if (o + len <= total) {
            std::uint8_t* q = out + o + len - 1;
            while (c >= clear) {
                *q-- = suffix[c];
                c = prefix[c];
            }
            *q = suffix[c];
            o += len;
        } else {
            std::size_t at = o + len - 1;
            while (true) {
                if (at < total) out[at] = suffix[c];
                if (c < clear) break;
                c = prefix[c];
                --at;
            }
            o = total;
        }
        if (!tableFull) {
            ++nextFree;
            if (nextFree > mask) {
                if (width == 12) tableFull = true;
                else {
                    ++width;
                    mask = (1u << width) - 1;
                }
            }
        }
        prev = code;
        if (progress && *progress && nbytes) {
            const int percent = int(bitPos * 100 / totalBits);
            if (percent != lastPercent) {
                lastPercent = percent;
                (*progress)(1, percent, std::string());
            }
        }
    }
    if (o < total || badSize) corrupt = true;  // rows missing
    return o;
}

// Image row of the i-th row in stream order.
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

bool DecodeChecked(const std::uint8_t* data, std::size_t size, std::int32_t width, std::int32_t height,
                   int pixelBits, bool tolerate, Bytes& linear, const ProgressFn* progress) {
    const std::uint64_t pixels = std::uint64_t(std::max(width, 0)) * std::uint64_t(std::max(height, 0));
    if (pixels > std::uint64_t(SIZE_MAX / 2)) RaiseGifError(msgCorruptData);
    const std::size_t total = std::size_t(pixels);
    linear.assign(total, 0);
    bool corrupt = false;
    if (progress && *progress) (*progress)(0, 0, std::string());
    try {
        DecodeLinear(data, size, linear.data(), total, pixelBits, tolerate, corrupt, progress);
        if (corrupt && !tolerate) RaiseGifError(msgStreamRead);
    } catch (const GifError& e) {
        if (progress && *progress) (*progress)(2, 0, e.what());
        throw;
    }
    if (progress && *progress) (*progress)(2, 100, std::string());
    return corrupt;
}

}  // namespace

bool DecodeGIFData(const std::uint8_t* data, std::size_t size, const DecodeTarget& target, bool interlace,
                   int pixelBits, bool tolerate, const ProgressFn* progress) {
    Bytes linear;
    const bool corrupt =
        DecodeChecked(data, size, target.Width, target.Height, pixelBits, tolerate, linear, progress);
    const std::size_t rowBytes = RowBytes32(std::uint64_t(target.Width) * target.Bits);
    RowOrder order{target.Height, interlace};
    std::int32_t row = 0;
    for (std::int32_t i = 0; i < target.Height && row < target.Height; ++i, row = order.Next()) {
        const std::uint8_t* src = linear.data() + std::size_t(i) * std::size_t(target.Width);
        std::uint8_t* dst = target.Pixels + std::size_t(target.Height - 1 - row) * rowBytes;
        if (target.Bits == 8) {
            std::memcpy(dst, src, std::size_t(target.Width));
        } else if (target.Bits == 4) {
            for (std::int32_t x = 0; x < target.Width; ++x)
                dst[x >> 1] = (x & 1) ? std::uint8_t(dst[x >> 1] | (src[x] & 0x0F)) : std::uint8_t(src[x] << 4);
        } else {
            for (std::int32_t x = 0; x < target.Width; ++x)
                dst[x >> 3] = (x & 7) ? std::uint8_t(dst[x >> 3] | ((src[x] & 1) << (7 - (x & 7))))
                                      : std::uint8_t((src[x] & 1) << 7);
        }
    }
    return corrupt;
}

bool DecodeGIFIndices(const std::uint8_t* data, std::size_t size, int width, int height, bool interlace,
                      int pixelBits, Bytes& indices, bool tolerate) {
    Bytes linear;
    const bool corrupt = DecodeChecked(data, size, width, height, pixelBits, tolerate, linear, nullptr);
    if (!interlace) {
        indices.swap(linear);
        return corrupt;
    }
    indices.assign(linear.size(), 0);
    RowOrder order{height, true};
    std::int32_t row = 0;
    for (int i = 0; i < height && row < height; ++i, row = order.Next())
        std::memcpy(indices.data() + std::size_t(row) * width, linear.data() + std::size_t(i) * width,
                    std::size_t(width));
    return corrupt;
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
    if (std::uint64_t(item.ItemWidth) * std::uint64_t(item.ItemHeight) > maxPixels) RaiseGifError(msgCorruptData);
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
