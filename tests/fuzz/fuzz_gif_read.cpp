// Fuzz target for the GIF reader and decoder: read the input as a GIF and
// decode every frame. Any outcome but a picture error is a fault. Frames are
// capped at 2^22 pixels; FUZZ_GIF_PROGRAM_CAP=1 uses the program's cap.
#include "GifCore.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::uint64_t cap =
        std::getenv("FUZZ_GIF_PROGRAM_CAP") ? gifcore::kMaxFramePixels : (std::uint64_t(1) << 22);
    gifcore::GifScreen screen;
    std::vector<gifcore::GifFrameData> frames;
    try {
        gifcore::ReadGIFStream(data, size, screen, frames);
    } catch (const gifcore::GifError&) {
    }
    for (auto& f : frames) {
        try {
            gifcore::Bytes bmp = gifcore::BuildDIBStream(f, true, cap);
            gifcore::BmpView view;
            if (!bmp.empty() && !gifcore::ParseBMP(bmp.data(), bmp.size(), view)) std::abort();
        } catch (const gifcore::GifError&) {
        }
    }
    return 0;
}
