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

// A 32 x 16 four-ink JPEG: the left half of one ink mix, the right of
// another (inks 0 to 255 each, c m y k). Adobe's files store them inverted.
std::vector<std::uint8_t> FourInkJpeg(J_COLOR_SPACE stored, bool adobe, const std::uint8_t left[4],
                                      const std::uint8_t right[4]) {
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = 32;
    info.image_height = 16;
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, stored);
    jpeg_set_quality(&info, 95, TRUE);
    info.write_Adobe_marker = adobe;
    jpeg_start_compress(&info, TRUE);
    std::uint8_t line[32 * 4];
    for (int x = 0; x < 32; ++x)
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t ink = (x < 16 ? left : right)[i];
            line[4 * x + i] = adobe ? std::uint8_t(255 - ink) : ink;
        }
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = line;
        jpeg_write_scanlines(&info, &row, 1);
    }
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
    const std::uint8_t magenta[4] = {0, 255, 0, 0}, orangeShade[4] = {0, 128, 255, 64};
    // 0xRRGGBB: magenta, and orange under a quarter of black.
    const std::uint32_t want[2] = {0xFF00FF, 0xBF5F00};
    const struct {
        const char* name;
        J_COLOR_SPACE stored;
        bool adobe;
    } forms[] = {{"CMYK, Adobe", JCS_CMYK, true}, {"YCCK, Adobe", JCS_YCCK, true}, {"CMYK, plain", JCS_CMYK, false}};
    for (const auto& form : forms) {
        const std::vector<std::uint8_t> file = FourInkJpeg(form.stored, form.adobe, magenta, orangeShade);
        jpegcore::JpegImage img;
        ASSERT_TRUE(jpegcore::ReadJPEG(file.data(), file.size(), img)) << form.name;
        ASSERT_EQ(img.Width, 32);
        ASSERT_EQ(img.Height, 16);
        const std::size_t row = (std::size_t(32) * 3 + 3) & ~std::size_t(3);
        for (int half = 0; half < 2; ++half) {
            const std::uint8_t* p = img.Pixels.data() + 8 * row + std::size_t(half * 16 + 8) * 3;  // BGR
            for (int c = 0; c < 3; ++c) {
                const long expected = long((want[half] >> (8 * c)) & 0xFF);
                EXPECT_LE(std::labs(long(p[c]) - expected), 8) << form.name << " half " << half << " channel " << c;
            }
        }
    }
}
