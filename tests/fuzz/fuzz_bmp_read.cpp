// Fuzz target for the BMP reader: any input either fails or gives a picture
// of exactly its rows; nothing is read or written outside the buffers.
#include "BmpRead.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    bmpcore::BmpImage img;
    // A smaller cap than the program's keeps each run fast.
    if (bmpcore::ReadBMP(data, size, img, std::uint64_t(1) << 22)) {
        const std::size_t row = (std::size_t(img.Width) * 3 + 3) & ~std::size_t(3);
        if (img.Pixels.size() != row * std::size_t(img.Height)) std::abort();
    }
    return 0;
}
