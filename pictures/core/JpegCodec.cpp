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

// Decodes into a malloc'ed block; the caller frees it. No C++ object is
// alive across the library's frames.
bool Decode(const std::uint8_t* data, std::size_t size, std::uint64_t maxPixels, std::uint8_t** pixels,
            JDIMENSION* width, JDIMENSION* height) {
    jpeg_decompress_struct info;
    ErrorJump errors;
    std::uint8_t* volatile block = nullptr;
    info.err = nullptr;
    SetUpErrors(errors);
    info.err = &errors.Manager;
    if (setjmp(errors.Back)) {
        jpeg_destroy_decompress(&info);
        std::free(block);
        return false;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = kMaxMemory;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) longjmp(errors.Back, 1);
    if (info.image_width == 0 || info.image_height == 0 ||
        std::uint64_t(info.image_width) * info.image_height > maxPixels)
        longjmp(errors.Back, 1);
    if (info.num_components != 1 && info.num_components != 3) longjmp(errors.Back, 1);
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const std::size_t row = RowBytes(info.output_width);
    block = static_cast<std::uint8_t*>(std::calloc(row * info.output_height, 1));
    if (!block) longjmp(errors.Back, 1);
    while (info.output_scanline < info.output_height) {
        JSAMPROW line = block + row * (info.output_height - 1 - info.output_scanline);
        if (jpeg_read_scanlines(&info, &line, 1) != 1) break;  // data ended: the rest stays black
    }
    jpeg_abort_decompress(&info);
    *width = info.output_width;
    *height = info.output_height;
    jpeg_destroy_decompress(&info);
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
