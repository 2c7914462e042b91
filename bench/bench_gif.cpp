// GIF decode and encode against giflib, and the colour reductions against
// ImageMagick, on a 3000 x 2000 plasma picture made at bench time. Each
// comparison runs its contenders side by side in rotated rounds.
#include "BenchHarness.h"
#include "ColorReduce.h"
#include "GifCore.h"

#include <gif_lib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

using namespace gifcore;

namespace {

const int kRounds = 5;

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

    // Decoding: giflib's whole file into memory; ours, the file read and the
    // frame's BMP image built.
    bench::Rotation decode;
    const bench::Samples& giflibDecode = decode.Add("giflib", [&] {
        const auto start = bench::Clock::now();
        MemReader reader{&gif, 0};
        int error = 0;
        GifFileType* in = DGifOpen(&reader, ReadMem, &error);
        const bool ok = in && DGifSlurp(in) == GIF_OK;
        const double t = bench::Since(start);
        if (in) DGifCloseFile(in, &error);
        return ok ? t : -1;
    });
    Bytes bmp;
    const bench::Samples& ourDecode = decode.Add("ours", [&] {
        const auto start = bench::Clock::now();
        GifScreen screen;
        std::vector<GifFrameData> frames;
        ReadGIFStream(gif.data(), gif.size(), screen, frames);
        if (frames.empty()) return -1.0;
        bmp = BuildDIBStream(frames[0]);
        return bench::Since(start);
    });
    decode.Run(kRounds);
    std::printf("decode, %d rounds in rotated order\n", kRounds);
    bench::PrintSeconds("giflib DGifSlurp", giflibDecode);
    bench::PrintSeconds("ours", ourDecode, "ratio", giflibDecode);

    // Encoding the same picture: giflib line by line from its decoded
    // raster, ours from the BMP image.
    MemReader reader{&gif, 0};
    int error = 0;
    GifFileType* in = DGifOpen(&reader, ReadMem, &error);
    if (!in || DGifSlurp(in) != GIF_OK || bmp.empty()) return 1;
    const SavedImage& image = in->SavedImages[0];
    const int w = image.ImageDesc.Width, h = image.ImageDesc.Height;
    const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : in->SColorMap;
    bench::Rotation encode;
    Bytes theirs, ours;
    const bench::Samples& giflibEncode = encode.Add("giflib", [&] {
        return bench::Time([&] {
            theirs.clear();
            int e = 0;
            GifFileType* out = EGifOpen(&theirs, WriteMem, &e);
            if (!out) return false;
            EGifPutScreenDesc(out, w, h, 8, 0, map);
            EGifPutImageDesc(out, 0, 0, w, h, false, nullptr);
            for (int y = 0; y < h; ++y) EGifPutLine(out, image.RasterBits + std::size_t(y) * w, w);
            return EGifCloseFile(out, &e) == GIF_OK;
        });
    });
    const bench::Samples& ourEncode = encode.Add("ours", [&] {
        return bench::Time([&] {
            GifScreen screen;
            std::vector<GifFrameData> frames(1);
            EncodeDIBStream(frames[0], screen, bmp.data(), bmp.size());
            std::vector<GifFrameData*> list{&frames[0]};
            ours = WriteGIFStream(screen, list, false);
            return !ours.empty();
        });
    });
    encode.Run(kRounds);
    DGifCloseFile(in, &error);
    std::printf("encode, %d rounds in rotated order\n", kRounds);
    bench::PrintSeconds("giflib EGifPutLine", giflibEncode);
    bench::PrintSeconds("ours", ourEncode, "ratio", giflibEncode);
    std::printf("size:    ours %zu bytes, giflib %zu bytes, ratio %.4f\n", ours.size(), theirs.size(),
                double(ours.size()) / double(theirs.size()));

    // Colour reduction of the 24-bit picture, against ImageMagick started
    // on the same picture (its start-up included).
    const Bytes bmp24 = Load(bmpPath);
    BmpView view;
    if (!ParseBMP(bmp24.data(), bmp24.size(), view, true)) return 1;
    const std::string magick = "convert '" + mpc + "' +dither -colors 256 '" + dir + "/magick.gif'";
    bench::Rotation reduce;
    const bench::Samples& magickTime =
        reduce.Add("magick", [&] { return bench::Time([&] { return std::system(magick.c_str()) == 0; }); });
    static const char* names[] = {"histogram", "median cut", "7R8G4B", "6R6G6B", "channel pattern", "grey"};
    std::vector<const bench::Samples*> methods;
    for (int method = 0; method <= 5; ++method)
        methods.push_back(&reduce.Add(names[method], [&, method] {
            Bytes rows(view.Pixels, view.Pixels + view.RowBytes * std::size_t(view.Height));
            return bench::Time([&] { return !ReduceToBMP8(method, view.Width, view.Height, rows.data()).empty(); });
        }));
    reduce.Run(3);
    std::printf("colour reduction to 256 colours, 3 rounds in rotated order\n");
    bench::PrintSeconds("ImageMagick -colors 256 (from MPC)", magickTime);
    for (int method = 0; method <= 5; ++method)
        bench::PrintSeconds((std::string("reduce ") + names[method]).c_str(), *methods[std::size_t(method)],
                            "to ImageMagick", magickTime);
    return 0;
}
