// Fuzz target for the GIF writer and encoder.
//
// 1. Every frame the input decodes to is encoded again and decodes to the
//    same indices, as long as the input's pixel budget lasts.
// 2. The picture read from the input, written and read back, has the same
//    frames: size, origin, table, compressed data, delay and transparency.
#include "GifCore.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

using namespace gifcore;

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Pixels that re-encoding may decode for one input, all frames together:
// each frame decoded is encoded, decoded again and compared, so a cap on
// each frame alone lets a few kilobytes of large frames take many seconds.
// A frame larger than what is left is not re-encoded.
constexpr std::uint64_t kBudget = std::uint64_t(1) << 22;

void EncodeAgain(GifFrameData& f, std::uint64_t& budget) {
    Bytes bmp;
    try {
        bmp = BuildDIBStream(f, true, budget);
    } catch (const GifError&) {
        return;
    }
    BmpView view;
    if (bmp.empty()) return;
    Check(ParseBMP(bmp.data(), bmp.size(), view));
    budget -= std::uint64_t(view.Width) * std::uint64_t(view.Height);
    GifFrameData copy;
    GifScreen screen;
    EncodeDIBStream(copy, screen, bmp.data(), bmp.size());
    Bytes again = BuildDIBStream(copy, true, kBudget);
    Check(!copy.CorruptMark);
    BmpView back;
    Check(ParseBMP(again.data(), again.size(), back));
    Check(back.Width == view.Width && back.Height == view.Height);
    for (std::int32_t y = 0; y < view.Height; ++y)
        for (std::int32_t x = 0; x < view.Width; ++x)
            Check(PixelAt(view.Pixels + y * view.RowBytes, x, view.Bits) ==
                  PixelAt(back.Pixels + y * back.RowBytes, x, back.Bits));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    GifScreen screen;
    std::vector<GifFrameData> frames;
    try {
        ReadGIFStream(data, size, screen, frames);
    } catch (const GifError&) {
    }
    std::uint64_t budget = kBudget;
    for (auto& f : frames) EncodeAgain(f, budget);

    std::vector<GifFrameData*> list;
    for (auto& f : frames) {
        UpdateExtensions(f, screen);
        list.push_back(&f);
    }
    Bytes written;
    try {
        written = WriteGIFStream(screen, list, false);
    } catch (const GifError&) {
        return 0;
    }
    GifScreen screen2;
    std::vector<GifFrameData> frames2;
    ReadGIFStream(written.data(), written.size(), screen2, frames2);
    Check(frames2.size() == frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
        const GifFrameData &a = frames[i], &b = frames2[i];
        const TGIFItem &ia = *a.FrameItem, &ib = *b.FrameItem;
        Check(ia.ItemWidth == ib.ItemWidth && ia.ItemHeight == ib.ItemHeight);
        Check(a.OriginX == b.OriginX && a.OriginY == b.OriginY && a.InterlaceFlag == b.InterlaceFlag);
        Check(*ia.PackedData == *ib.PackedData);
        Check(a.DelayMs / 10 == b.DelayMs / 10);
        Check(a.MaskIndex() == b.MaskIndex());
        const int n = std::min(ia.LocalTable.EntryCount, ib.LocalTable.EntryCount);
        for (int i = 0; i < n; ++i) Check(std::memcmp(ia.LocalTable.Entry(i), ib.LocalTable.Entry(i), 3) == 0);
    }
    return 0;
}
