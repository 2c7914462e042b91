// GIF decode and encode against giflib, and the colour reductions against
// ImageMagick, on a 3000 x 2000 plasma picture made at bench time.
#include "ColorReduce.h"
#include "GifCore.h"

#include <gif_lib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

using namespace gifcore;
using Clock = std::chrono::steady_clock;

namespace {

double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

Bytes Load(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct MemReader {
    const Bytes* data;
    std::size_t pos;
};

int ReadMem(GifFileType* gif, GifByteType* buf, int n) {
    auto* m = static_cast<MemReader*>(gif->UserData);
    const std::size_t k = std::min<std::size_t>(std::size_t(n), m->data->size() - m->pos);
    std::memcpy(buf, m->data->data() + m->pos, k);
    m->pos += k;
    return int(k);
}

int WriteMem(GifFileType* gif, const GifByteType* buf, int n) {
    static_cast<Bytes*>(gif->UserData)->insert(static_cast<Bytes*>(gif->UserData)->end(), buf, buf + n);
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    const std::string bmpPath = dir + "/plasma.bmp", gifPath = dir + "/plasma.gif", mpc = dir + "/plasma.mpc";
    const std::string make = "convert -size 3000x2000 -seed 7 plasma:fractal -type TrueColor bmp3:'" + bmpPath +
                             "' && convert '" + bmpPath + "' +dither -colors 256 '" + gifPath + "' && convert '" +
                             bmpPath + "' '" + mpc + "'";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "making the pictures failed\n");
        return 1;
    }
    const Bytes gif = Load(gifPath);
    std::printf("GIF of 3000 x 2000, %zu bytes\n", gif.size());

    // giflib decode.
    auto t = Clock::now();
    MemReader reader{&gif, 0};
    int error = 0;
    GifFileType* in = DGifOpen(&reader, ReadMem, &error);
    if (!in || DGifSlurp(in) != GIF_OK) return 1;
    const double giflibDecode = Since(t);
    const SavedImage& image = in->SavedImages[0];
    const int w = image.ImageDesc.Width, h = image.ImageDesc.Height;
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : in->SColorMap;

    // Our decode: read and build the frame's BMP image.
    t = Clock::now();
    GifScreen screen;
    std::vector<GifFrameData> frames;
    ReadGIFStream(gif.data(), gif.size(), screen, frames);
    Bytes bmp = BuildDIBStream(frames[0]);
    const double ourDecode = Since(t);
    std::printf("decode:  ours %.3f s, giflib DGifSlurp %.3f s, ratio %.2f\n", ourDecode, giflibDecode,
                ourDecode / giflibDecode);

    // giflib encode, line by line.
    t = Clock::now();
    Bytes theirs;
    GifFileType* out = EGifOpen(&theirs, WriteMem, &error);
    EGifPutScreenDesc(out, w, h, 8, 0, map);
    EGifPutImageDesc(out, 0, 0, w, h, false, nullptr);
    for (int y = 0; y < h; ++y) EGifPutLine(out, image.RasterBits + std::size_t(y) * w, w);
    EGifCloseFile(out, &error);
    const double giflibEncode = Since(t);

    // Our encode from the BMP image.
    t = Clock::now();
    GifScreen screen2;
    std::vector<GifFrameData> frames2(1);
    EncodeDIBStream(frames2[0], screen2, bmp.data(), bmp.size());
    std::vector<GifFrameData*> list{&frames2[0]};
    const Bytes ours = WriteGIFStream(screen2, list, false);
    const double ourEncode = Since(t);
    std::printf("encode:  ours %.3f s, giflib EGifPutLine %.3f s, ratio %.2f\n", ourEncode, giflibEncode,
                ourEncode / giflibEncode);
    std::printf("size:    ours %zu bytes, giflib %zu bytes, ratio %.4f\n", ours.size(), theirs.size(),
                double(ours.size()) / double(theirs.size()));
    DGifCloseFile(in, &error);

    // Colour reduction of the 24-bit picture.
    const Bytes bmp24 = Load(bmpPath);
    BmpView view;
    if (!ParseBMP(bmp24.data(), bmp24.size(), view, true)) return 1;
    t = Clock::now();
    const std::string magick = "convert '" + mpc + "' +dither -colors 256 '" + dir + "/magick.gif'";
    if (std::system(magick.c_str()) != 0) return 1;
    const double magickTime = Since(t);
    std::printf("ImageMagick +dither -colors 256 from MPC: %.3f s\n", magickTime);
    static const char* names[] = {"histogram", "median cut", "7R8G4B", "6R6G6B", "channel pattern", "grey"};
    for (int method = 0; method <= 5; ++method) {
        Bytes rows(view.Pixels, view.Pixels + view.RowBytes * std::size_t(view.Height));
        t = Clock::now();
        const Bytes reduced = ReduceToBMP8(method, view.Width, view.Height, rows.data());
        const double s = Since(t);
        std::printf("reduce %-16s %.3f s, %.3f of ImageMagick's\n", names[method], s, s / magickTime);
    }
    return 0;
}
