// Fuzz target for the JPEG reader (our wrapper over libjpeg): any input
// either fails or gives a picture of exactly its rows.
#include "JpegCodec.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    jpegcore::JpegImage img;
    if (jpegcore::ReadJPEG(data, size, img, std::uint64_t(1) << 22)) {
        const std::size_t row = (std::size_t(img.Width) * 3 + 3) & ~std::size_t(3);
        if (img.Pixels.size() != row * std::size_t(img.Height)) std::abort();
    }
    return 0;
}
