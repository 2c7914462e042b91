// The JPEG wrapper: a round trip, a file cut inside its scan, files that
// must fail without taking memory, and four-ink files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

extern "C" {
#include <jpeglib.h>
}

#include "JpegCodec.h"

namespace {

// A 32 x 16 four-ink JPEG: magenta on the left, orange under a quarter of
// black on the right. Files with Adobe's marker store the inks inverted.
std::vector<std::uint8_t> FourInkJpeg(J_COLOR_SPACE stored, bool adobe) {
    static const std::uint8_t inks[2][4] = {{0, 255, 0, 0}, {0, 128, 255, 64}};  // c m y k, 0 to 255
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 32, info.image_height = 16, info.input_components = 4, info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    jpeg_set_quality(&info, 95, TRUE);
    info.write_Adobe_marker = adobe;
    jpeg_start_compress(&info, TRUE);
    std::uint8_t line[32 * 4];
    for (int i = 0; i < 32 * 4; ++i) line[i] = std::uint8_t(adobe ? 255 - inks[i >= 64][i % 4] : inks[i >= 64][i % 4]);
    for (JSAMPROW row = line; info.next_scanline < 16;) jpeg_write_scanlines(&info, &row, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

}  // namespace

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

TEST(JpegCodecTest, FourInkFilesComeAsRgb) {
    const std::uint32_t want[2] = {0xFF00FF, 0xBF5F00};  // 0xRRGGBB of each half
    const std::pair<J_COLOR_SPACE, bool> forms[] = {{JCS_CMYK, true}, {JCS_YCCK, true}, {JCS_CMYK, false}};
    for (const auto& [stored, adobe] : forms) {
        const std::vector<std::uint8_t> file = FourInkJpeg(stored, adobe);
        jpegcore::JpegImage img;
        ASSERT_TRUE(jpegcore::ReadJPEG(file.data(), file.size(), img)) << stored << adobe;
        ASSERT_EQ(std::make_pair(img.Width, img.Height), std::make_pair(32, 16));
        for (int half = 0; half < 2; ++half)
            for (int c = 0; c < 3; ++c) {  // B G R, in the middle row of rows of 96 bytes
                const long got = img.Pixels[8 * 96 + (half * 16 + 8) * 3 + c], expected = (want[half] >> (8 * c)) & 0xFF;
                EXPECT_LE(std::labs(got - expected), 8) << stored << adobe << " half " << half << " channel " << c;
            }
    }
}
