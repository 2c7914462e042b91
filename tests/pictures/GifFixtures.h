#pragma once
// Hand-made GIF streams for the picture tests.
#include "GifCore.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace giftest {

using gifcore::Bytes;

inline void Put16(Bytes& b, unsigned v) { b.insert(b.end(), {std::uint8_t(v), std::uint8_t(v >> 8)}); }

// Codes packed least significant bit first, each with its own width.
struct CodePacker {
    Bytes bytes;
    std::uint64_t acc = 0;
    int bits = 0;
    void Put(unsigned code, int width) {
        acc |= std::uint64_t(code) << bits;
        for (bits += width; bits >= 8; bits -= 8, acc >>= 8) bytes.push_back(std::uint8_t(acc));
    }
    Bytes Done() {
        if (bits > 0) bytes.push_back(std::uint8_t(acc));
        bits = 0;
        return bytes;
    }
};

inline Bytes Codes(std::initializer_list<std::pair<unsigned, int>> codes) {
    CodePacker p;
    for (auto [code, width] : codes) p.Put(code, width);
    return p.Done();
}

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
    b.insert(b.end(), {bits ? std::uint8_t(0x80 | (bits - 1)) : std::uint8_t(0), 0, 0});
    for (int i = 0; bits && i < (1 << bits); ++i) {
        const std::uint32_t c = std::size_t(i) < colours.size() ? colours[std::size_t(i)]
                                                                  : std::uint32_t(i * 0x010101);
        b.insert(b.end(), {std::uint8_t(c), std::uint8_t(c >> 8), std::uint8_t(c >> 16)});
    }
    return b;
}

inline void Gce(Bytes& b, unsigned packed, unsigned delay, unsigned index) {
    b.insert(b.end(), {0x21, 0xF9, 4, std::uint8_t(packed), std::uint8_t(delay), std::uint8_t(delay >> 8),
                       std::uint8_t(index), 0});
}

inline void Image(Bytes& b, unsigned w, unsigned h, const Bytes& data, unsigned flags = 0) {
    b.push_back(0x2C);
    for (unsigned v : {0u, 0u, w, h}) Put16(b, v);
    b.push_back(std::uint8_t(flags));
    b.insert(b.end(), data.begin(), data.end());
}

// A one-frame GIF: Head(w, h, bits), the frame with its image data, the trailer.
inline Bytes OneFrame(unsigned w, unsigned h, int bits, const Bytes& data, unsigned flags = 0) {
    Bytes b = Head(w, h, bits);
    Image(b, w, h, data, flags);
    b.push_back(0x3B);
    return b;
}

// A grey BMP (entry i = i, i, i) of indices given top row first, at 1, 4 or 8 bits.
inline Bytes IndexBmp(int w, int h, int bits, const Bytes& topDown) {
    std::uint8_t pal[1024] = {};
    for (int i = 0; i < 256; ++i) pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = std::uint8_t(i);
    const std::size_t row = gifcore::RowBytes32(std::uint64_t(w) * unsigned(bits));
    Bytes rows(row * std::size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* r = rows.data() + std::size_t(h - 1 - y) * row;
            const unsigned v = topDown[std::size_t(y) * std::size_t(w) + std::size_t(x)];
            if (bits == 8) r[x] = std::uint8_t(v);
            else if (bits == 4) r[x / 2] |= std::uint8_t(x % 2 ? v : v << 4);
            else r[x / 8] |= std::uint8_t(v << (7 - x % 8));
        }
    return gifcore::BuildBMP(w, h, bits, pal, 1u << bits, rows.data());
}

// The BMP encoded as a one-frame GIF.
inline Bytes EncodeBmp(const Bytes& bmp) {
    gifcore::GifScreen screen;
    std::vector<gifcore::GifFrameData> frames(1);
    gifcore::EncodeDIBStream(frames[0], screen, bmp.data(), bmp.size());
    gifcore::UpdateExtensions(frames[0], screen);
    std::vector<gifcore::GifFrameData*> list{&frames[0]};
    return gifcore::WriteGIFStream(screen, list, false);
}

// The message of what f throws, or "".
inline std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

}  // namespace giftest
