#pragma once
// The one limit on the size of a decoded picture, for every picture form:
// checked before any pixel memory is taken. Standard C++ only.
#include <cstdint>

namespace picturecap {

// At most 2^26 pixels (8192 x 8192 or any shape of that area).
constexpr std::uint64_t kMaxPixels = std::uint64_t(1) << 26;

// True for a width and height (neither negative) whose area is within the cap.
inline bool Fits(std::int64_t width, std::int64_t height, std::uint64_t cap = kMaxPixels) {
    return width >= 0 && height >= 0 && std::uint64_t(width) * std::uint64_t(height) <= cap;
}

}  // namespace picturecap
