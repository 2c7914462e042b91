#pragma once
// The PE checksum of a file made of parts, for the payload tool and its
// test. Standard C++ only.
#include <cstdint>
#include <cstring>
#include <vector>

using Bytes = std::vector<unsigned char>;

inline std::uint32_t Get32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

// The offset of the PE checksum field; 0 when the image is no PE file.
inline size_t ChecksumOffset(const Bytes& image) {
    if (image.size() < 0x40 || image[0] != 'M' || image[1] != 'Z') return 0;
    const std::uint32_t pe = Get32(image, 0x3C);
    if (pe + 24 + 68 > image.size() || std::memcmp(&image[pe], "PE\0\0", 4) != 0) return 0;
    return pe + 24 + 64;  // the same place in PE32 and PE32+ optional headers
}

// The PE checksum: 16-bit one's-complement-style sum of the file with the
// checksum field taken as zero, plus the file's length.
inline std::uint32_t PeChecksum(const std::vector<const Bytes*>& parts, size_t checksumAt) {
    std::uint64_t sum = 0;
    size_t pos = 0;
    int pending = -1;  // a low byte waiting for its high byte across parts
    for (const Bytes* part : parts) {
        for (unsigned char c : *part) {
            unsigned v = (pos >= checksumAt && pos < checksumAt + 4) ? 0 : c;
            if (pending < 0) {
                pending = static_cast<int>(v);
            } else {
                sum += static_cast<unsigned>(pending) | (v << 8);
                sum = (sum & 0xFFFF) + (sum >> 16);
                pending = -1;
            }
            ++pos;
        }
    }
    if (pending >= 0) {
        sum += static_cast<unsigned>(pending);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + pos);
}

