// Colour reduction: histogram, median cut, truncation, channel pattern, grey.
#include "ColorReduce.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace gifcore {

namespace {

// ---- Level tables of the truncation methods ---------------------------------

struct Levels {
    std::array<std::uint8_t, 8> values{};
    int count = 0;
    std::array<std::uint8_t, 256> nearest{};  // value -> level number
};

Levels MakeLevels(std::initializer_list<int> list) {
    Levels l;
    for (int v : list) l.values[std::size_t(l.count++)] = std::uint8_t(v);
    for (int v = 0; v < 256; ++v) {
        int best = 0;
        for (int i = 1; i < l.count; ++i)
            if (std::abs(v - l.values[std::size_t(i)]) < std::abs(v - l.values[std::size_t(best)])) best = i;
        l.nearest[std::size_t(v)] = std::uint8_t(best);
    }
    return l;
}

const Levels& Levels4() { static const Levels l = MakeLevels({0, 85, 170, 255}); return l; }
const Levels& Levels6() { static const Levels l = MakeLevels({0, 51, 102, 153, 204, 255}); return l; }
const Levels& Levels7() { static const Levels l = MakeLevels({0, 43, 85, 128, 170, 213, 255}); return l; }
const Levels& Levels8() { static const Levels l = MakeLevels({0, 36, 73, 109, 146, 182, 219, 255}); return l; }

void SetEntry(std::uint8_t* palette, int i, int r, int g, int b) {
    palette[4 * i] = std::uint8_t(b);
    palette[4 * i + 1] = std::uint8_t(g);
    palette[4 * i + 2] = std::uint8_t(r);
    palette[4 * i + 3] = 0;
}

// Calls f(blue, green, red) -> index for every pixel in memory order and
// writes the index in place.
template <class F>
void ReduceRows(std::int32_t width, std::int32_t height, std::uint8_t* pixels, F f) {
    const std::size_t in = RowBytes24(width), out = RowBytes32(std::uint64_t(width) * 8);
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* src = pixels + std::size_t(y) * in;
        std::uint8_t* dst = pixels + std::size_t(y) * out;
        for (std::int32_t x = 0; x < width; ++x, src += 3) dst[x] = f(src[0], src[1], src[2]);
        std::memset(dst + width, 0, out - std::size_t(width));
    }
}

// ---- Method 0: histogram ----------------------------------------------------

class Histogram {
public:
    static constexpr int kEntries = 2049;
    static constexpr int kSlots = 8192;  // open addressing, under a quarter full
    struct Entry {
        std::uint8_t b, g, r;
        std::int32_t count;
        std::uint8_t index;
    };

    Histogram() { slots_.fill(0xFFFF); }

    // Adds pixels of a raw colour. False when the table is full.
    bool Count(std::uint8_t b, std::uint8_t g, std::uint8_t r, std::int32_t pixels) {
        b &= mb_; g &= mg_; r &= mr_;
        std::size_t slot = Hash(r, g, b);
        while (slots_[slot] != 0xFFFF) {
            Entry& e = entries_[slots_[slot]];
            if (e.r == r && e.g == g && e.b == b) {
                e.count += pixels;
                return true;
            }
            slot = (slot + 1) & (kSlots - 1);
        }
        if (entries_.size() == kEntries) return false;
        slots_[slot] = std::uint16_t(entries_.size());
        entries_.push_back(Entry{b, g, r, pixels, 0});
        return true;
    }

    // One mask loses its lowest bit; entries that now coincide are merged
    // into the first, so the order stays that of first appearance.
    void Coarsen() {
        if (mr_ < mg_) mg_ = std::uint8_t(mg_ << 1);
        else if (mr_ > mb_) mr_ = std::uint8_t(mr_ << 1);
        else mb_ = std::uint8_t(mb_ << 1);
        std::vector<Entry> old;
        old.swap(entries_);
        slots_.fill(0xFFFF);
        for (const Entry& e : old) {
            const std::size_t at = Lookup(e.b & mb_, e.g & mg_, e.r & mr_);
            if (slots_[at] != 0xFFFF) {
                entries_[slots_[at]].count += e.count;
            } else {
                slots_[at] = std::uint16_t(entries_.size());
                entries_.push_back(Entry{std::uint8_t(e.b & mb_), std::uint8_t(e.g & mg_), std::uint8_t(e.r & mr_),
                                         e.count, 0});
            }
        }
    }

    void ChoosePalette(int wanted, std::uint8_t* palette) {
        const int n = int(entries_.size());
        int i = 0;
        for (; i < wanted && i < n; ++i) {
            int best = 0;
            for (int k = 1; k < n; ++k)
                if (entries_[std::size_t(k)].count > entries_[std::size_t(best)].count) best = k;
            Entry& e = entries_[std::size_t(best)];
            e.index = std::uint8_t(i);
            e.count = 0;
            SetEntry(palette, i, e.r, e.g, e.b);
        }
        for (int k = i; k < 256; ++k) {
            std::memset(palette + 4 * k, 128, 3);
            palette[4 * k + 3] = 0;
        }
        for (Entry& e : entries_) {
            if (e.count == 0) continue;
            int best = 0;
            int bestDistance = 0x30000;
            for (int k = 0; k < wanted; ++k) {
                const int dr = e.r - palette[4 * k + 2], dg = e.g - palette[4 * k + 1], db = e.b - palette[4 * k];
                const int d = dr * dr + dg * dg + db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = k;
                }
            }
            e.index = std::uint8_t(best);
        }
    }

    std::uint8_t IndexOf(std::uint8_t b, std::uint8_t g, std::uint8_t r) const {
        const std::size_t at = Lookup(b & mb_, g & mg_, r & mr_);
        return slots_[at] == 0xFFFF ? 0 : entries_[slots_[at]].index;
    }

    std::uint8_t mr_ = 0xFF, mg_ = 0xFF, mb_ = 0xFF;

private:
    static std::size_t Hash(unsigned r, unsigned g, unsigned b) {
        return ((r << 16 | g << 8 | b) * 2654435761u) >> 19;
    }
    std::size_t Lookup(unsigned b, unsigned g, unsigned r) const {
        std::size_t slot = Hash(r, g, b);
        while (slots_[slot] != 0xFFFF) {
            const Entry& e = entries_[slots_[slot]];
            if (e.r == r && e.g == g && e.b == b) break;
            slot = (slot + 1) & (kSlots - 1);
        }
        return slot;
    }
    std::vector<Entry> entries_;
    std::array<std::uint16_t, kSlots> slots_{};
};

void ReducePopular(std::int32_t width, std::int32_t height, std::uint8_t* pixels, std::uint8_t* palette,
                   int wanted) {
    auto h = std::make_unique<Histogram>();
    const std::size_t in = RowBytes24(width);
    std::uint32_t lastRaw = 0xFFFFFFFFu;  // a run of one colour is counted at once
    std::int32_t run = 0;
    auto flush = [&] {
        if (run == 0) return;
        const std::uint8_t b = std::uint8_t(lastRaw), g = std::uint8_t(lastRaw >> 8), r = std::uint8_t(lastRaw >> 16);
        while (!h->Count(b, g, r, run)) h->Coarsen();
        run = 0;
    };
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* p = pixels + std::size_t(y) * in;
        for (std::int32_t x = 0; x < width; ++x, p += 3) {
            const std::uint32_t raw = p[0] | (p[1] << 8) | (std::uint32_t(p[2]) << 16);
            if (raw != lastRaw) {
                flush();
                lastRaw = raw;
            }
            ++run;
        }
    }
    flush();
    h->ChoosePalette(wanted, palette);
    lastRaw = 0xFFFFFFFFu;
    std::uint8_t lastIndex = 0;
    ReduceRows(width, height, pixels, [&](std::uint8_t b, std::uint8_t g, std::uint8_t r) {
        const std::uint32_t raw = b | (g << 8) | (std::uint32_t(r) << 16);
        if (raw != lastRaw) {
            lastRaw = raw;
            lastIndex = h->IndexOf(b, g, r);
        }
        return lastIndex;
    });
}

// ---- Method 1: median cut ---------------------------------------------------

struct Cell {
    std::uint8_t nib[3];  // red, green, blue
    std::uint8_t box;
    std::int32_t count;
};

struct Box {
    std::uint8_t lower[3];
    std::uint8_t extent[3];
    std::vector<std::uint16_t> cells;
    std::int64_t pixels;
};

int MedianCut(std::int32_t width, std::int32_t height, std::uint8_t* pixels, std::uint8_t* palette, int wanted) {
    std::vector<Cell> cells(4096);
    for (int i = 0; i < 4096; ++i) {
        cells[std::size_t(i)].nib[0] = std::uint8_t(i >> 8);
        cells[std::size_t(i)].nib[1] = std::uint8_t((i >> 4) & 15);
        cells[std::size_t(i)].nib[2] = std::uint8_t(i & 15);
        cells[std::size_t(i)].count = 0;
        cells[std::size_t(i)].box = 0;
    }
    const std::size_t in = RowBytes24(width);
    std::vector<std::uint16_t> cellOf(std::size_t(width) * std::size_t(height));
    for (std::int32_t y = 0; y < height; ++y) {
        const std::uint8_t* p = pixels + std::size_t(height - 1 - y) * in;
        std::uint16_t* c = cellOf.data() + std::size_t(y) * std::size_t(width);
        for (std::int32_t x = 0; x < width; ++x, p += 3) {
            const unsigned n = (p[2] & 0xF0u) * 16 + (p[1] & 0xF0u) + (p[0] & 0xF0u) / 16;
            ++cells[n].count;
            c[x] = std::uint16_t(n);
        }
    }
    std::vector<Box> boxes(1);
    boxes[0] = Box{{0, 0, 0}, {255, 255, 255}, {}, std::int64_t(width) * height};
    for (int i = 0; i < 4096; ++i)
        if (cells[std::size_t(i)].count > 0) boxes[0].cells.push_back(std::uint16_t(i));

    while (int(boxes.size()) < wanted) {
        int which = -1, channel = 0, largest = -1;
        for (std::size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].cells.size() < 2) continue;
            for (int ch = 0; ch < 3; ++ch)
                if (boxes[b].extent[ch] > largest) {
                    largest = boxes[b].extent[ch];
                    which = int(b);
                    channel = ch;
                }
        }
        if (which < 0) break;
        Box& box = boxes[std::size_t(which)];
        std::stable_sort(box.cells.begin(), box.cells.end(), [&](std::uint16_t a, std::uint16_t b) {
            return cells[a].nib[channel] < cells[b].nib[channel];
        });
        const std::int64_t half = box.pixels / 2;
        std::size_t split = 1;
        std::int64_t firstPixels = cells[box.cells[0]].count;
        while (split + 1 < box.cells.size() && half - firstPixels - cells[box.cells[split]].count >= 0)
            firstPixels += cells[box.cells[split++]].count;
        Box fresh;
        std::memcpy(fresh.lower, box.lower, 3);
        std::memcpy(fresh.extent, box.extent, 3);
        fresh.cells.assign(box.cells.begin() + std::ptrdiff_t(split), box.cells.end());
        fresh.pixels = box.pixels - firstPixels;
        box.cells.resize(split);
        box.pixels = firstPixels;
        const std::uint8_t newLower = std::uint8_t(cells[fresh.cells.front()].nib[channel] * 16);
        fresh.extent[channel] = std::uint8_t(box.lower[channel] + box.extent[channel] - newLower);
        fresh.lower[channel] = newLower;
        box.extent[channel] = std::uint8_t(cells[box.cells.back()].nib[channel] * 16 - box.lower[channel]);
        boxes.push_back(std::move(fresh));
    }
    for (int i = int(boxes.size()); i < wanted; ++i) std::memset(palette + 4 * i, 0, 4);
    for (std::size_t b = 0; b < boxes.size(); ++b) {
        const Box& box = boxes[b];
        if (box.cells.empty()) continue;
        unsigned sum[3] = {0, 0, 0};
        for (std::uint16_t c : box.cells) {
            cells[c].box = std::uint8_t(b);
            for (int ch = 0; ch < 3; ++ch) sum[ch] += cells[c].nib[ch];
        }
        const unsigned n = unsigned(box.cells.size());
        int rgb[3];
        for (int ch = 0; ch < 3; ++ch) rgb[ch] = int((sum[ch] * 16 + 15) / n);
        if (rgb[0] <= 16 && rgb[1] <= 16 && rgb[2] <= 16) rgb[0] = rgb[1] = rgb[2] = 0;
        SetEntry(palette, int(b), rgb[0], rgb[1], rgb[2]);
    }
    const std::size_t out = RowBytes32(std::uint64_t(width) * 8);
    std::memset(pixels, 0, out * std::size_t(height));
    for (std::int32_t r = 0; r < height; ++r) {
        const std::uint16_t* c = cellOf.data() + std::size_t(height - 1 - r) * std::size_t(width);
        std::uint8_t* dst = pixels + std::size_t(r) * out;
        for (std::int32_t x = 0; x < width; ++x) dst[x] = cells[c[x]].box;
    }
    return int(boxes.size());
}

// Methods 2 and 3: each channel to its nearest level; the rest of the palette grey.
int Truncate(const Levels& lr, const Levels& lg, const Levels& lb, std::int32_t width, std::int32_t height,
             std::uint8_t* pixels, std::uint8_t* palette) {
    const int rStep = lg.count * lb.count, gStep = lb.count;
    std::memset(palette, 128, 1024);
    for (int r = 0; r < lr.count; ++r)
        for (int g = 0; g < lg.count; ++g)
            for (int b = 0; b < lb.count; ++b)
                SetEntry(palette, rStep * r + gStep * g + b, lr.values[std::size_t(r)], lg.values[std::size_t(g)],
                         lb.values[std::size_t(b)]);
    ReduceRows(width, height, pixels, [&](std::uint8_t b, std::uint8_t g, std::uint8_t r) {
        return std::uint8_t(rStep * lr.nearest[r] + gStep * lg.nearest[g] + lb.nearest[b]);
    });
    return lr.count * rStep;
}

}  // namespace

int ReduceColors(int method, std::int32_t width, std::int32_t height, std::uint8_t* pixels, std::uint8_t* palette) {
    if (width <= 0 || height <= 0) return 0;
    switch (method) {
    case rmPopular:
        ReducePopular(width, height, pixels, palette, 256);
        return 0;
    case rmMedianCut:
        return MedianCut(width, height, pixels, palette, 256);
    case rm7R8G4B:
        return Truncate(Levels7(), Levels8(), Levels4(), width, height, pixels, palette);
    case rm6R6G6B:
        return Truncate(Levels6(), Levels6(), Levels6(), width, height, pixels, palette);
    case rmChannelPattern: {
        std::memset(palette, 0, 1024);
        for (int k = 0; k < 64; ++k) {
            SetEntry(palette, k, 4 * k, 0, 0);
            SetEntry(palette, 64 + k, 0, 4 * k, 0);
            SetEntry(palette, 128 + k, 0, 0, 4 * k);
        }
        const std::size_t in = RowBytes24(width), out = RowBytes32(std::uint64_t(width) * 8);
        for (std::int32_t y = 0; y < height; ++y) {
            const std::uint8_t* src = pixels + std::size_t(y) * in;
            std::uint8_t* dst = pixels + std::size_t(y) * out;
            for (std::int32_t x = 0; x < width; ++x, src += 3) {
                const int d = int((std::int64_t(y) + x) % 3);
                dst[x] = d == 0 ? std::uint8_t(src[2] / 4) : d == 1 ? std::uint8_t(src[1] / 4 + 64)
                                                                    : std::uint8_t(src[0] / 4 + 128);
            }
            std::memset(dst + width, 0, out - std::size_t(width));
        }
        return 0;
    }
    case rmGrey:
        for (int i = 0; i < 256; ++i) SetEntry(palette, i, i, i, i);
        ReduceRows(width, height, pixels, [](std::uint8_t b, std::uint8_t g, std::uint8_t r) {
            return std::uint8_t((77u * r + 150u * g + 29u * b) / 256u);
        });
        return 0;
    default:
        return 0;
    }
}

Bytes ReduceToBMP8(int method, std::int32_t width, std::int32_t height, std::uint8_t* rows24) {
    std::uint8_t palette[1024] = {};
    const int important = ReduceColors(method, width, height, rows24, palette);
    return BuildBMP(width, height, 8, palette, 256, rows24, std::uint32_t(important));
}

}  // namespace gifcore
