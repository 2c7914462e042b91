#pragma once
// JPEG reading and writing through libjpeg. Errors inside the library come
// back to these functions by longjmp and turn into a false result; warnings
// are silent, so a file cut inside its scan gives the rows that decoded.
// Standard C++ only.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "PixelCap.h"

namespace jpegcore {

// 24-bit BGR rows, bottom-up, each padded to 4 bytes.
struct JpegImage {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint8_t> Pixels;
};

constexpr std::uint64_t kMaxPixels = picturecap::kMaxPixels;
// The most memory the library may take for one picture.
constexpr long kMaxMemory = 256L << 20;

// Grey, colour, and CMYK or YCCK JPEGs (turned into RGB); false for anything
// else or larger than maxPixels.
bool ReadJPEG(const std::uint8_t* data, std::size_t size, JpegImage& image, std::uint64_t maxPixels = kMaxPixels);
// Encodes rows of the form above with the library's default settings.
bool WriteJPEG(const JpegImage& image, std::vector<std::uint8_t>& out);

}  // namespace jpegcore
