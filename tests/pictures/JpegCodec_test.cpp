// The JPEG wrapper: a round trip, a file cut inside its scan, and files that
// must fail without taking memory.
#include <gtest/gtest.h>

#include <cstdlib>

#include "JpegCodec.h"

TEST(JpegCodecTest, RoundTripCutAndDamagedFiles) {
    jpegcore::JpegImage in, out, cut;
    in.Width = 203;
    in.Height = 145;
    const std::size_t row = (std::size_t(203) * 3 + 3) & ~std::size_t(3);
    in.Pixels.assign(row * 145, 0);
    for (int y = 0; y < 145; ++y)
        for (int x = 0; x < 203; ++x) {
            std::uint8_t* p = in.Pixels.data() + std::size_t(y) * row + std::size_t(x) * 3;
            p[0] = std::uint8_t(x * 255 / 203), p[1] = std::uint8_t(y * 255 / 145), p[2] = 200;
        }
    std::vector<std::uint8_t> file;
    ASSERT_TRUE(jpegcore::WriteJPEG(in, file));
    ASSERT_TRUE(jpegcore::ReadJPEG(file.data(), file.size(), out));
    ASSERT_EQ(out.Width, 203);
    ASSERT_EQ(out.Height, 145);
    ASSERT_EQ(out.Pixels.size(), in.Pixels.size());
    long worst = 0;
    for (std::size_t i = 0; i < in.Pixels.size(); ++i) worst = std::max(worst, std::labs(long(in.Pixels[i]) - out.Pixels[i]));
    EXPECT_LT(worst, 40);
    // Cut inside the scan: the picture keeps its size and its top rows.
    ASSERT_TRUE(jpegcore::ReadJPEG(file.data(), file.size() * 3 / 4, cut));
    EXPECT_EQ(cut.Height, 145);
    EXPECT_LT(std::labs(long(cut.Pixels[144 * row + 2]) - out.Pixels[144 * row + 2]), 10);  // the top row

    EXPECT_FALSE(jpegcore::ReadJPEG(file.data(), 20, out));  // the headers cut
    const std::vector<std::uint8_t> junk(100, 0x42);
    EXPECT_FALSE(jpegcore::ReadJPEG(junk.data(), junk.size(), out));
    EXPECT_FALSE(jpegcore::ReadJPEG(nullptr, 0, out));
    // 65535 x 65535 in the frame header: refused before any pixel memory.
    for (std::size_t i = 0; i + 8 < file.size(); ++i)
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = file[i + 6] = file[i + 7] = file[i + 8] = 0xFF;
            break;
        }
    EXPECT_FALSE(jpegcore::ReadJPEG(file.data(), file.size(), out));
}
