#pragma once
// Hand-made GIF streams for the picture tests.
#include "GifCore.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace giftest {

using gifcore::Bytes;

inline void Put16(Bytes& b, unsigned v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}

// Codes packed least significant bit first, each with its own width.
struct CodePacker {
    Bytes bytes;
    std::uint64_t acc = 0;
    int bits = 0;
    void Put(unsigned code, int width) {
        acc |= std::uint64_t(code) << bits;
        bits += width;
        while (bits >= 8) {
            bytes.push_back(std::uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    Bytes Done() {
        if (bits > 0) bytes.push_back(std::uint8_t(acc));
        bits = 0;
        return bytes;
    }
};

// Image data: code size byte, the code bytes in sub-blocks, terminator.
inline Bytes ImageData(int codeSize, const Bytes& codes, bool terminator = true) {
    Bytes out{std::uint8_t(codeSize)};
    for (std::size_t i = 0; i < codes.size(); i += 255) {
        const std::size_t n = std::min<std::size_t>(255, codes.size() - i);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), codes.begin() + std::ptrdiff_t(i), codes.begin() + std::ptrdiff_t(i + n));
    }
    if (terminator) out.push_back(0);
    return out;
}

// Header, screen and a global table of 2^bits entries (entry i = i, i, i
// unless colours are given).
inline Bytes Head(unsigned w, unsigned h, int bits, const std::vector<std::uint32_t>& colours = {}) {
    Bytes b{'G', 'I', 'F', '8', '9', 'a'};
    Put16(b, w);
    Put16(b, h);
    b.push_back(bits ? std::uint8_t(0x80 | (bits - 1)) : 0);
    b.push_back(0);
    b.push_back(0);
    for (int i = 0; bits && i < (1 << bits); ++i) {
        const std::uint32_t c = std::size_t(i) < colours.size() ? colours[std::size_t(i)]
                                                                  : std::uint32_t(i * 0x010101);
        b.push_back(std::uint8_t(c));
        b.push_back(std::uint8_t(c >> 8));
        b.push_back(std::uint8_t(c >> 16));
    }
    return b;
}

inline void Gce(Bytes& b, unsigned packed, unsigned delay, unsigned index) {
    const std::uint8_t ext[] = {0x21, 0xF9, 4, std::uint8_t(packed), std::uint8_t(delay), std::uint8_t(delay >> 8),
                                std::uint8_t(index), 0};
    b.insert(b.end(), ext, ext + sizeof ext);
}

inline void Image(Bytes& b, unsigned w, unsigned h, const Bytes& data, unsigned flags = 0) {
    b.push_back(0x2C);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, w);
    Put16(b, h);
    b.push_back(std::uint8_t(flags));
    b.insert(b.end(), data.begin(), data.end());
}

}  // namespace giftest
