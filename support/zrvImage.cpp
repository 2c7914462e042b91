#include "zrvImage.h"

#include <cstring>

int SniffImageType(const std::uint8_t* data, std::size_t size) {
    auto at = [&](std::size_t offset, const char* tag) {
        const std::size_t n = std::strlen(tag);
        return size >= offset + n && std::memcmp(data + offset, tag, n) == 0;
    };
    if (at(0, "BM")) return ikBitmap;
    if (at(0, "GIF")) return ikGIF;
    if (at(6, "JFIF")) return ikJPEG;
    return ikUnknown;
}
