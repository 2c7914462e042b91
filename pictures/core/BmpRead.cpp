#include "BmpRead.h"

#include <cstring>

namespace bmpcore {

namespace {

std::uint32_t Get16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t Get32(const std::uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    unsigned Shift = 0;
    std::uint64_t Max = 0;
    std::uint32_t Mask = 0;
    explicit Channel(std::uint32_t mask = 0) : Mask(mask) {
        if (!mask) return;
        while (!((mask >> Shift) & 1)) ++Shift;
        Max = mask >> Shift;
    }
    std::uint8_t Of(std::uint32_t pixel) const {
        if (!Max) return 0;
        // In 64 bits: a field may be up to 32 bits wide.
        return std::uint8_t(std::uint64_t((pixel & Mask) >> Shift) * 255 / Max);
    }
};

class Decoder {
public:
    Decoder(BmpImage& image, const std::uint32_t* palette, std::uint32_t paletteCount)
        : FImage(image), FPalette(palette), FCount(paletteCount),
          FRow(((std::size_t(image.Width) * 3) + 3) & ~std::size_t(3)) {}
    // Row y counts from the bottom.
    void Put(std::int64_t x, std::int64_t y, std::uint8_t b, std::uint8_t g, std::uint8_t r) {
        if (x < 0 || y < 0 || x >= FImage.Width || y >= FImage.Height) return;
        std::uint8_t* p = FImage.Pixels.data() + std::size_t(y) * FRow + std::size_t(x) * 3;
        p[0] = b;
        p[1] = g;
        p[2] = r;
    }
    void PutIndex(std::int64_t x, std::int64_t y, std::uint32_t index) {
        const std::uint32_t c = index < FCount ? FPalette[index] : 0;
        Put(x, y, std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16));
    }

private:
    BmpImage& FImage;
    const std::uint32_t* FPalette;
    std::uint32_t FCount;
    std::size_t FRow;
};

// RLE8 and RLE4: runs and absolute groups, each checked against the data's
// end; pixels outside the picture are dropped.
void DecodeRLE(const std::uint8_t* p, const std::uint8_t* end, int bits, std::int32_t height, Decoder& out) {
    std::int64_t x = 0, y = 0;  // y from the bottom
    while (end - p >= 2 && y < height) {
        const unsigned count = p[0], value = p[1];
        p += 2;
        if (count > 0) {
            for (unsigned i = 0; i < count; ++i) {
                const unsigned index = bits == 8 ? value : (i & 1) ? (value & 0x0F) : (value >> 4);
                out.PutIndex(x++, y, index);
            }
            continue;
        }
        if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            return;
        } else if (value == 2) {  // move right and up
            if (end - p < 2) return;
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // absolute group of value pixels, padded to 16 bits
            const std::size_t bytes = bits == 8 ? value : (value + 1) / 2;
            const std::size_t padded = (bytes + 1) & ~std::size_t(1);
            if (std::size_t(end - p) < bytes) return;
            for (unsigned i = 0; i < value; ++i) {
                const unsigned index = bits == 8 ? p[i] : (i & 1) ? (p[i / 2] & 0x0F) : (p[i / 2] >> 4);
                out.PutIndex(x++, y, index);
            }
            p += std::size_t(end - p) < padded ? std::size_t(end - p) : padded;
        }
    }
}

}  // namespace

bool ReadBMP(const std::uint8_t* data, std::size_t size, BmpImage& image, std::uint64_t maxPixels) {
    if (!data || size < 14 + 12 || data[0] != 'B' || data[1] != 'M') return false;
    const std::uint32_t offset = Get32(data + 10);
    const std::uint32_t headerSize = Get32(data + 14);
    const std::uint8_t* h = data + 14;
    if (!(headerSize == 12 || headerSize == 40 || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
          headerSize == 124) ||
        headerSize > size - 14)
        return false;
    std::int64_t width, height;
    unsigned bits;
    std::uint32_t compression = 0, used = 0;
    if (headerSize == 12) {
        width = Get16(h + 4);
        height = Get16(h + 6);
        bits = Get16(h + 10);
    } else {
        width = std::int32_t(Get32(h + 4));
        height = std::int32_t(Get32(h + 8));
        bits = Get16(h + 14);
        compression = Get32(h + 16);
        used = Get32(h + 32);
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || !picturecap::Fits(width, height, maxPixels)) return false;
    if (!(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32)) return false;
    const bool rle = compression == 1 || compression == 2;
    if (compression == 1 && bits != 8) return false;
    if (compression == 2 && bits != 4) return false;
    if (compression == 3 && bits != 16 && bits != 32) return false;
    if (compression > 3 || (rle && topDown)) return false;

    // Bit fields: in the header from 52 bytes on, else after a 40-byte header.
    std::size_t tableStart = 14 + headerSize;
    std::uint32_t masks[3] = {0, 0, 0};
    if (compression == 3) {
        const std::uint8_t* m = h + 40;
        if (headerSize == 40) {
            if (size < tableStart + 12) return false;
            m = data + tableStart;
            tableStart += 12;
        }
        for (int i = 0; i < 3; ++i) masks[i] = Get32(m + 4 * i);
    } else if (bits == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bits == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }

    // The colour table: 3-byte entries after a core header, else 4-byte.
    std::uint32_t palette[256] = {};
    std::uint32_t entries = 0;
    if (bits <= 8) {
        const std::uint32_t full = 1u << bits;
        entries = used == 0 || used > full ? full : used;
        const std::size_t entrySize = headerSize == 12 ? 3 : 4;
        // A table cut short by the pixel offset keeps the entries before it.
        const std::uint64_t tableEnd = offset < tableStart + entries * entrySize ? offset : tableStart + entries * entrySize;
        if (tableEnd > size || offset < tableStart) return false;
        entries = std::uint32_t((tableEnd - tableStart) / entrySize);
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* e = data + tableStart + i * entrySize;
            palette[i] = std::uint32_t(e[0]) | std::uint32_t(e[1]) << 8 | std::uint32_t(e[2]) << 16;
        }
    }
    if (offset < tableStart || offset > size) return false;

    const std::uint64_t srcRow = ((std::uint64_t(width) * bits + 31) / 32) * 4;
    if (!rle && srcRow * std::uint64_t(height) > size - offset) return false;

    image.Width = std::int32_t(width);
    image.Height = std::int32_t(height);
    const std::size_t outRow = ((std::size_t(width) * 3) + 3) & ~std::size_t(3);
    image.Pixels.assign(outRow * std::size_t(height), 0);
    Decoder out(image, palette, entries);
    const std::uint8_t* pixels = data + offset;
    if (rle) {
        DecodeRLE(pixels, data + size, int(bits), image.Height, out);
        return true;
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (std::int64_t row = 0; row < height; ++row) {
        const std::uint8_t* src = pixels + std::size_t(row) * std::size_t(srcRow);
        const std::int64_t y = topDown ? height - 1 - row : row;
        for (std::int64_t x = 0; x < width; ++x) {
            switch (bits) {
                case 1: out.PutIndex(x, y, (src[x >> 3] >> (7 - (x & 7))) & 1); break;
                case 4: out.PutIndex(x, y, (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4)); break;
                case 8: out.PutIndex(x, y, src[x]); break;
                case 24: out.Put(x, y, src[3 * x], src[3 * x + 1], src[3 * x + 2]); break;
                default: {
                    const std::uint32_t v = bits == 16 ? Get16(src + 2 * x) : Get32(src + 4 * x);
                    out.Put(x, y, blue.Of(v), green.Of(v), red.Of(v));
                }
            }
        }
    }
    return true;
}

}  // namespace bmpcore
