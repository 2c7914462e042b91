// Fuzz target for the GIF reader and decoder: read the input as a GIF and
// decode its frames. Any outcome but a picture error is a fault. The frames
// of one input decode 2^22 pixels in all, so that a few kilobytes of large
// frames cannot take seconds; a frame larger than what is left fails as one
// past the cap. FUZZ_GIF_PROGRAM_CAP=1 gives them the program's cap instead.
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
    std::uint64_t budget = cap;
    for (auto& f : frames) {
        try {
            gifcore::Bytes bmp = gifcore::BuildDIBStream(f, true, budget);
            gifcore::BmpView view;
            if (!bmp.empty() && !gifcore::ParseBMP(bmp.data(), bmp.size(), view)) std::abort();
            if (!bmp.empty()) budget -= std::uint64_t(view.Width) * std::uint64_t(view.Height);
        } catch (const gifcore::GifError&) {
        }
    }
    return 0;
}
