// The BMP reader on hand-made files of each form, and on damaged ones.
#include <gtest/gtest.h>

#include "BmpRead.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The values as little-endian words of n bytes each.
Bytes Le(int n, std::initializer_list<std::uint32_t> values) {
    Bytes b;
    for (std::uint32_t v : values)
        for (int i = 0; i < n; ++i) b.push_back(std::uint8_t(v >> 8 * i));
    return b;
}

// A BMP file: header of headerSize bytes (bit-field masks inside it from 52
// bytes on), then extra (masks or palette), then the pixel data.
Bytes MakeBmp(std::uint32_t headerSize, std::int32_t w, std::int32_t h, unsigned bits, std::uint32_t compression,
              const Bytes& extra, const Bytes& pixels, const std::uint32_t* masks = nullptr) {
    Bytes b{'B', 'M'};
    auto put = [&b](int n, std::initializer_list<std::uint32_t> values) {
        const Bytes v = Le(n, values);
        b.insert(b.end(), v.begin(), v.end());
    };
    put(4, {0, 0, 14 + headerSize + std::uint32_t(extra.size()), headerSize});
    if (headerSize == 12) {
        put(2, {std::uint32_t(w), std::uint32_t(h), 1, bits});
    } else {
        put(4, {std::uint32_t(w), std::uint32_t(h)});
        put(2, {1, bits});
        put(4, {compression, 0, 0, 0, 0, 0});
        for (std::uint32_t at = 40; at < headerSize; at += 4) put(4, {masks && at < 52 ? masks[(at - 40) / 4] : 0});
    }
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

// The colour at x, y (y from the top) as 0xRRGGBB.
std::uint32_t At(const bmpcore::BmpImage& img, int x, int yFromTop) {
    const std::size_t row = (std::size_t(img.Width) * 3 + 3) & ~std::size_t(3);
    const std::uint8_t* p = img.Pixels.data() + std::size_t(img.Height - 1 - yFromTop) * row + std::size_t(x) * 3;
    return std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
}

const Bytes kPalette4 = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};  // black, red, green, blue

}  // namespace

TEST(BmpReadTest, EveryHeaderDepthAndRowOrderGivesTheSamePicture) {
    // 2 x 2: top row red, green; bottom row blue, black.
    const std::uint32_t want[2][2] = {{0xFF0000, 0x00FF00}, {0x0000FF, 0x000000}};
    const std::uint32_t rgba[3] = {0xFF000000, 0x00FF0000, 0x0000FF00};
    const std::uint32_t wide[3] = {0xFFFFFFF0, 0x0000000C, 0x00000003};
    const std::pair<const char*, Bytes> files[] = {
        {"24 bits bottom-up", MakeBmp(40, 2, 2, 24, 0, {}, {255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0})},
        {"24 bits top-down", MakeBmp(124, 2, -2, 24, 0, {}, {0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0})},
        {"8 bits", MakeBmp(40, 2, 2, 8, 0, kPalette4, {3, 0, 0, 0, 1, 2, 0, 0})},
        {"core header", MakeBmp(12, 2, 2, 8, 0, {0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0}, {3, 0, 0, 0, 1, 2, 0, 0})},
        {"4 bits", MakeBmp(40, 2, 2, 4, 0, kPalette4, {0x30, 0, 0, 0, 0x12, 0, 0, 0})},
        {"16 bits 565", MakeBmp(40, 2, 2, 16, 3, Le(4, {0xF800, 0x07E0, 0x001F}), Le(2, {0x001F, 0, 0xF800, 0x07E0}))},
        {"16 bits 555", MakeBmp(40, 2, 2, 16, 0, {}, Le(2, {0x001F, 0, 0x7C00, 0x03E0}))},
        {"32 bits fields in a 56-byte header",
         MakeBmp(56, 2, 2, 32, 3, {}, Le(4, {0x0000FF00, 0, 0xFF000000, 0x00FF0000}), rgba)},
        {"32 bits, a 28-bit red field",
         MakeBmp(56, 2, 2, 32, 3, {}, Le(4, {0x00000003, 0, 0xFFFFFFF0, 0x0000000C}), wide)},
        {"32 bits 108", MakeBmp(108, 2, 2, 32, 0, {}, Le(4, {0xFF, 0, 0xFF0000, 0xFF00}))},
        // RLE8: bottom row by a run, top row by an absolute group one pixel too long.
        {"RLE8", MakeBmp(40, 2, 2, 8, 1, kPalette4, {1, 3, 0, 0, 0, 3, 1, 2, 0, 0, 0, 1})},
        {"RLE4", MakeBmp(40, 2, 2, 4, 2, kPalette4, {1, 0x30, 0, 0, 2, 0x12, 0, 1})},
    };
    for (const auto& [name, file] : files) {
        bmpcore::BmpImage img;
        ASSERT_TRUE(bmpcore::ReadBMP(file.data(), file.size(), img)) << name;
        ASSERT_EQ(img.Width, 2) << name;
        ASSERT_EQ(img.Height, 2) << name;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 2; ++x) EXPECT_EQ(At(img, x, y), want[y][x]) << name << " at " << x << "," << y;
    }
}

TEST(BmpReadTest, DamagedAndHostileFilesFailOrStayInsideThePicture) {
    bmpcore::BmpImage img;
    auto read = [&img](const Bytes& file) { return bmpcore::ReadBMP(file.data(), file.size(), img); };
    const Bytes good = MakeBmp(40, 2, 2, 24, 0, {}, Bytes(16, 0));
    ASSERT_TRUE(read(good));
    EXPECT_FALSE(read({'B', 'M'}));
    for (std::size_t cut = 0; cut < good.size(); ++cut) EXPECT_FALSE(bmpcore::ReadBMP(good.data(), cut, img)) << cut;
    EXPECT_FALSE(bmpcore::ReadBMP(MakeBmp(64, 2, 2, 24, 0, {}, Bytes(16, 0)).data(), 70 + 16, img));  // header size
    EXPECT_FALSE(read(MakeBmp(40, 65535, 65535, 8, 1, kPalette4, {0, 1})));  // RLE: tiny data, too many pixels
    EXPECT_FALSE(read(MakeBmp(40, 0, 2, 24, 0, {}, {})));                    // zero wide
    EXPECT_FALSE(read(MakeBmp(40, 2, 2, 24, 4, {}, Bytes(16, 0))));          // JPEG inside
    // Runs and deltas past the row and the picture, an absolute group past the
    // data's end: dropped, never written outside the picture.
    ASSERT_TRUE(read(MakeBmp(40, 2, 2, 8, 1, kPalette4, {255, 1, 0, 2, 200, 200, 5, 2, 0, 0, 0, 9, 1})));
    EXPECT_EQ(At(img, 0, 1), 0xFF0000u);
    EXPECT_EQ(At(img, 1, 1), 0xFF0000u);
}
