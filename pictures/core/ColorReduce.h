#pragma once
// Colour reduction of 24-bit pictures to 8-bit palette pictures. Pixels are
// bottom-up rows of blue, green, red padded to 4 bytes; every method writes
// its 8-bit rows (padded to 4 bytes) in place over the 24-bit ones and fills
// a 256-entry RGBQUAD palette.

#include "GifCore.h"

#include <cstdint>

namespace gifcore {

enum ReduceMethod {
    rmPopular = 0,     // most frequent colours, rest grey
    rmMedianCut = 1,   // box averages over a 4,096-cell grid, rest black
    rm7R8G4B = 2,      // fixed 224 colours
    rm6R6G6B = 3,      // fixed 216 colours
    rmChannelPattern = 4,
    rmGrey = 5,
};

// Returns the count of important colours for the info header (0: not set).
// An unknown method leaves pixels and palette untouched.
int ReduceColors(int method, std::int32_t width, std::int32_t height, std::uint8_t* pixels,
                 std::uint8_t* palette);

// The 8-bit BMP image of the 24-bit rows (which are reduced in place).
Bytes ReduceToBMP8(int method, std::int32_t width, std::int32_t height, std::uint8_t* rows24);

constexpr std::size_t RowBytes24(std::int32_t width) { return (std::size_t(width) * 3 + 3) & ~std::size_t(3); }

}  // namespace gifcore
