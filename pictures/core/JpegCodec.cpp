#include "JpegCodec.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

namespace jpegcore {

namespace {

// The error manager with the place to jump back to. Only plain data lives
// in the frames between setjmp and the library's calls.
struct ErrorJump {
    jpeg_error_mgr Manager;
    std::jmp_buf Back;
};

extern "C" void JumpOnError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<ErrorJump*>(info->err)->Back, 1);
}
extern "C" void Silent(j_common_ptr) {}

void SetUpErrors(ErrorJump& errors) {
    jpeg_std_error(&errors.Manager);
    errors.Manager.error_exit = JumpOnError;
    errors.Manager.output_message = Silent;
}

std::size_t RowBytes(std::size_t width) { return (width * 3 + 3) & ~std::size_t(3); }

// One row of CMYK samples to BGR. Adobe's files store the inks inverted
// (255 is no ink); others store them as they are.
void CmykToBgr(const std::uint8_t* cmyk, std::uint8_t* bgr, JDIMENSION width, bool inverted) {
    for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        // What is left of each light after its ink and the black, rounded.
        bgr[0] = std::uint8_t((y * k + 127) / 255);
        bgr[1] = std::uint8_t((m * k + 127) / 255);
        bgr[2] = std::uint8_t((c * k + 127) / 255);
    }
}

// Decodes into a malloc'ed block; the caller frees it. No C++ object is
// alive across the library's frames.
bool Decode(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels, std::uint8_t** pixels,
            JDIMENSION* width, JDIMENSION* height) {
    jpeg_decompress_struct info;
    ErrorJump errors;
    std::uint8_t* volatile block = nullptr;
    std::uint8_t* volatile line = nullptr;  // one CMYK row
    info.err = nullptr;
    SetUpErrors(errors);
    info.err = &errors.Manager;
    if (setjmp(errors.Back)) {
        jpeg_destroy_decompress(&info);
        std::free(block);
        std::free(line);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxMemory;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) longjmp(errors.Back, 1);
    if (info.image_width == 0 || info.image_height == 0 ||
        !picturecap::Fits(info.image_width, info.image_height, maxPixels))
        longjmp(errors.Back, 1);
    const bool fourInks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (fourInks) {
        if (info.num_components != 4) longjmp(errors.Back, 1);
        info.out_color_space = JCS_CMYK;  // YCCK comes back as CMYK too
    } else {
        if (info.num_components != 1 && info.num_components != 3) longjmp(errors.Back, 1);
        info.out_color_space = JCS_EXT_BGR;
    }
    const bool inverted = info.saw_Adobe_marker != 0;
    jpeg_start_decompress(&info);
    const std::size_t row = RowBytes(info.output_width);
    block = static_cast<std::uint8_t*>(std::calloc(row * info.output_height, 1));
    if (!block) longjmp(errors.Back, 1);
    if (fourInks) {
        line = static_cast<std::uint8_t*>(std::malloc(std::size_t(info.output_width) * 4));
        if (!line) longjmp(errors.Back, 1);
    }
    while (info.output_scanline < info.output_height) {
        std::uint8_t* target = block + row * (info.output_height - 1 - info.output_scanline);
        JSAMPROW into = fourInks ? line : target;
        if (jpeg_read_scanlines(&info, &into, 1) != 1) break;  // data ended: the rest stays black
        if (fourInks) CmykToBgr(line, target, info.output_width, inverted);
    }
    jpeg_abort_decompress(&info);
    *width = info.output_width;
    *height = info.output_height;
    jpeg_destroy_decompress(&info);
    std::free(line);
    *pixels = block;
    return true;
}

bool Encode(const std::uint8_t* pixels, JDIMENSION width, JDIMENSION height, unsigned char** out,
            unsigned long* outSize) {
    jpeg_compress_struct info;
    ErrorJump errors;
    SetUpErrors(errors);
    info.err = &errors.Manager;
    if (setjmp(errors.Back)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, out, outSize);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    const std::size_t row = RowBytes(width);
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = const_cast<std::uint8_t*>(pixels) + row * (height - 1 - info.next_scanline);
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

bool ReadJPEG(const std::uint8_t* data, std::size_t size, JpegImage& image, std::uint64_t maxPixels) {
    if (!data || size == 0) return false;
    std::uint8_t* pixels = nullptr;
    JDIMENSION width = 0, height = 0;
    if (!Decode(data, size, maxPixels, &pixels, &width, &height)) return false;
    image.Width = std::int32_t(width);
    image.Height = std::int32_t(height);
    image.Pixels.assign(pixels, pixels + RowBytes(width) * height);
    std::free(pixels);
    return true;
}

bool WriteJPEG(const JpegImage& image, std::vector<std::uint8_t>& out) {
    if (image.Width <= 0 || image.Height <= 0 ||
        image.Pixels.size() < RowBytes(std::size_t(image.Width)) * std::size_t(image.Height))
        return false;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = Encode(image.Pixels.data(), JDIMENSION(image.Width), JDIMENSION(image.Height), &buffer, &size);
    if (ok) out.assign(buffer, buffer + size);
    std::free(buffer);
    return ok;
}

}  // namespace jpegcore
