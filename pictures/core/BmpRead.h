#pragma once
// Reading BMP files of every common form: core (12-byte) and info headers of
// 40, 52, 56, 108 and 124 bytes, 1 to 32 bits a pixel, bit fields, RLE4 and
// RLE8, rows bottom-up or top-down. Registry data and files reach it, so
// every size, offset and run is checked before it is used. Standard C++ only.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "PixelCap.h"

namespace bmpcore {

// A decoded picture: 24-bit BGR rows, bottom-up, each padded to 4 bytes.
struct BmpImage {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint8_t> Pixels;
};

// Largest picture decoded: the cap of every picture.
constexpr std::uint64_t kMaxPixels = picturecap::kMaxPixels;

// False for anything that is not a readable BMP file image; nothing larger
// than the cap is allocated. Compressed rows that end early leave the rest
// of the picture black.
bool ReadBMP(const std::uint8_t* data, std::size_t size, BmpImage& image, std::uint64_t maxPixels = kMaxPixels);

}  // namespace bmpcore
