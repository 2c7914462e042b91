// GIF decode and encode against giflib, and the colour reductions against
// ImageMagick, on 3000 x 2000 plasma pictures of 256 colours, and encoding
// alone on 8000 x 6000 pictures of 2 and 16 colours; all made at bench time
// (kept in the work folder for the next run).
//
// Every timed run happens in a child process forked from the same parent
// state, so each contender starts with the same heap (no large free blocks
// left over by an earlier run). Rounds rotate the order of the contenders;
// the minimum and the median of the rounds are printed. Times are CPU
// seconds (user and system, page faults included), which other work on a
// shared machine disturbs far less than the clock on the wall.
#include "ColorReduce.h"
#include "GifCore.h"

#include <gif_lib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using namespace gifcore;

namespace {

constexpr int kRounds = 11;

// CPU seconds of this process so far.
double Now() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}
double Since(double t) { return Now() - t; }

// CPU seconds of the waited-for children so far.
double ChildrenNow() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

Bytes Load(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

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

// Runs f in a forked child; f returns the seconds it measured (negative on failure).
double InChild(const std::function<double()>& f) {
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const double s = f();
        ssize_t ignored = write(fds[1], &s, sizeof s);
        (void)ignored;
        _exit(0);
    }
    close(fds[1]);
    double s = -1;
    if (read(fds[0], &s, sizeof s) != sizeof s) s = -1;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    return s;
}

struct Figures {
    double min = 0, median = 0;
};

Figures Of(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return {v.front(), v[v.size() / 2]};
}

// Rounds over the contenders, the order rotated each round.
std::vector<Figures> Rounds(const std::vector<std::function<double()>>& contenders, int rounds = kRounds) {
    const std::size_t n = contenders.size();
    std::vector<std::vector<double>> times(n);
    for (int r = 0; r < rounds; ++r)
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t i = (k + std::size_t(r)) % n;
            const double s = InChild(contenders[i]);
            if (s < 0) {
                std::fprintf(stderr, "a run failed\n");
                std::exit(1);
            }
            times[i].push_back(s);
        }
    std::vector<Figures> out;
    for (auto& t : times) out.push_back(Of(t));
    return out;
}

void PrintPair(const char* what, const Figures& ours, const char* theirName, const Figures& theirs) {
    std::printf("%s ours %.3f / %.3f s, %s %.3f / %.3f s (min / median), ratio %.2f / %.2f\n", what, ours.min,
                ours.median, theirName, theirs.min, theirs.median, ours.min / theirs.min,
                ours.median / theirs.median);
}

auto Timed(const std::function<Bytes()>& f) {
    return [f] {
        const double t = Now();
        const Bytes b = f();
        const double s = Since(t);
        return b.empty() ? -1.0 : s;
    };
}

// Encoding the picture, ours from its BMP image, giflib from one byte a
// pixel (rows top-down) with its colour map; then the sizes of both.
void CompareEncode(const Bytes& bmp, GifByteType* raster, int w, int h, const ColorMapObject* map) {
    auto ourEncode = [&]() -> Bytes {
        GifScreen screen;
        std::vector<GifFrameData> frames(1);
        EncodeDIBStream(frames[0], screen, bmp.data(), bmp.size());
        std::vector<GifFrameData*> list{&frames[0]};
        return WriteGIFStream(screen, list, false);
    };
    auto giflibEncode = [&]() -> Bytes {
        Bytes theirs;
        int e = 0;
        GifFileType* out = EGifOpen(&theirs, WriteMem, &e);
        EGifPutScreenDesc(out, w, h, 8, 0, map);
        EGifPutImageDesc(out, 0, 0, w, h, false, nullptr);
        for (int y = 0; y < h; ++y) EGifPutLine(out, raster + std::size_t(y) * w, w);
        EGifCloseFile(out, &e);
        return theirs;
    };
    // EGifPutLine masks the pixels of the line in place: the child makes the
    // rows its own before the clock starts, or giflib's time would hold the
    // copies of every page the child shares with the parent.
    auto giflibOwnRows = [&] {
        volatile GifByteType* rows = raster;
        for (std::size_t i = 0; i < std::size_t(w) * std::size_t(h); i += 4096) rows[i] = rows[i];
        return Timed(giflibEncode)();
    };
    const auto encode = Rounds({Timed(ourEncode), giflibOwnRows});
    PrintPair("  encode:", encode[0], "giflib EGifPutLine", encode[1]);
    const std::size_t ourSize = ourEncode().size(), theirSize = giflibEncode().size();
    std::printf("  size:   ours %zu bytes, giflib %zu bytes, ratio %.4f\n", ourSize, theirSize,
                double(ourSize) / double(theirSize));
}

double RunCommand(const std::string& command) {
    const double t = ChildrenNow();
    if (std::system(command.c_str()) != 0) return -1;
    return ChildrenNow() - t;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    static const int seeds[] = {7, 11, 23};
    std::printf("%d rounds, each run in a fresh child process; CPU seconds\n", kRounds);
    if (std::FILE* load = std::fopen("/proc/loadavg", "r")) {
        char text[64] = {};
        if (std::fgets(text, sizeof text, load)) std::printf("load average: %s", text);
        std::fclose(load);
    }

    // The first touch of fresh memory: 64 MB taken and written once over.
    const std::size_t touchMB = 64;
    auto firstTouch = [&] {
        const double t = Now();
        std::unique_ptr<std::uint8_t[]> fresh(new std::uint8_t[touchMB << 20]);
        std::memset(fresh.get(), 1, touchMB << 20);
        asm volatile("" : : "r"(fresh.get()) : "memory");  // the writes stay
        return Since(t);
    };
    const Figures touch = Rounds({firstTouch})[0];
    std::printf("first touch of fresh memory: %.2f / %.2f ms a megabyte (min / median)\n",
                touch.min * 1000 / double(touchMB), touch.median * 1000 / double(touchMB));
    for (int seed : seeds) {
        const std::string base = dir + "/plasma" + std::to_string(seed);
        const std::string bmpPath = base + ".bmp", gifPath = base + ".gif";
        if (!Exists(gifPath)) {
            const std::string make = "convert -size 3000x2000 -seed " + std::to_string(seed) +
                                     " plasma:fractal -type TrueColor bmp3:'" + bmpPath + "' && convert '" +
                                     bmpPath + "' +dither -colors 256 '" + gifPath + "' && convert '" + bmpPath +
                                     "' '" + base + ".mpc'";
            if (std::system(make.c_str()) != 0) {
                std::fprintf(stderr, "making the pictures failed\n");
                return 1;
            }
        }
        const Bytes gif = Load(gifPath);
        std::printf("plasma seed %d: GIF of 3000 x 2000, %zu bytes\n", seed, gif.size());

        // Decode: ours reads the stream and builds the frame's BMP image;
        // giflib reads the stream and slurps the raster.
        auto ourDecode = [&] {
            const double t = Now();
            GifScreen screen;
            std::vector<GifFrameData> frames;
            ReadGIFStream(gif.data(), gif.size(), screen, frames);
            const Bytes bmp = BuildDIBStream(frames[0]);
            const double s = Since(t);
            return bmp.empty() ? -1.0 : s;
        };
        auto giflibDecode = [&] {
            const double t = Now();
            MemReader reader{&gif, 0};
            int error = 0;
            GifFileType* in = DGifOpen(&reader, ReadMem, &error);
            if (!in || DGifSlurp(in) != GIF_OK) return -1.0;
            const double s = Since(t);
            DGifCloseFile(in, &error);
            return s;
        };
        const auto decode = Rounds({ourDecode, giflibDecode});
        PrintPair("  decode:", decode[0], "giflib DGifSlurp", decode[1]);

        // Decoding alone, into a bitmap whose memory the same run touched
        // before: what is left of the decode once the first touch is paid.
        auto ourWarmDecode = [&] {
            GifScreen screen;
            std::vector<GifFrameData> frames;
            ReadGIFStream(gif.data(), gif.size(), screen, frames);
            const Bytes bmp = BuildDIBStream(frames[0]);
            BmpView view;
            if (!ParseBMP(bmp.data(), bmp.size(), view)) return -1.0;
            const TGIFItem& item = *frames[0].FrameItem;
            DecodeTarget target;
            target.Width = view.Width;
            target.Height = view.Height;
            target.Bits = view.Bits;
            target.Pixels = const_cast<std::uint8_t*>(view.Pixels);
            const double t = Now();
            const bool corrupt = DecodeGIFData(item.PackedData->data(), item.PackedData->size(), target,
                                               frames[0].InterlaceFlag, item.PixelBits, true);
            const double s = Since(t);
            return corrupt ? -1.0 : s;
        };
        const Figures warm = Rounds({ourWarmDecode})[0];
        std::printf("  decode into touched memory: ours %.3f / %.3f s (min / median)\n", warm.min, warm.median);

        // Encode from what each decoder gave, made here once before the forks.
        GifScreen screen;
        std::vector<GifFrameData> frames;
        ReadGIFStream(gif.data(), gif.size(), screen, frames);
        const Bytes bmp = BuildDIBStream(frames[0]);
        MemReader reader{&gif, 0};
        int error = 0;
        GifFileType* in = DGifOpen(&reader, ReadMem, &error);
        if (!in || DGifSlurp(in) != GIF_OK) return 1;
        const SavedImage& image = in->SavedImages[0];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : in->SColorMap;
        CompareEncode(bmp, image.RasterBits, image.ImageDesc.Width, image.ImageDesc.Height, map);
        DGifCloseFile(in, &error);
    }

    // 8000 x 6000 pictures of 2 colours (grey plasma, dithered) and of 16
    // colours (plasma, not dithered), encoding only.
    const std::string mono = dir + "/plasma8000-2.bmp", sixteen = dir + "/plasma8000-16.bmp";
    if (!Exists(mono) || !Exists(sixteen)) {
        const std::string big = dir + "/plasma8000.bmp";
        const std::string make = "convert -size 8000x6000 -seed 7 plasma:fractal -type TrueColor bmp3:'" + big +
                                 "' && convert '" + big + "' -colorspace Gray -monochrome -compress none bmp3:'" +
                                 mono + "' && convert '" + big + "' +dither -colors 16 -compress none bmp3:'" +
                                 sixteen + "'; s=$?; rm -f '" + big + "'; exit $s";
        if (std::system(make.c_str()) != 0) {
            std::fprintf(stderr, "making the pictures failed\n");
            return 1;
        }
    }
    for (const std::string& path : {mono, sixteen}) {
        const Bytes bmp = Load(path);
        BmpView view;
        if (!ParseBMP(bmp.data(), bmp.size(), view) || view.Bits > 4) {
            std::fprintf(stderr, "%s is not a BMP image of 1 or 4 bits\n", path.c_str());
            return 1;
        }
        std::printf("%d colours: BMP of %d x %d, %d bit%s a pixel\n", 1 << view.Bits, view.Width, view.Height,
                    view.Bits, view.Bits > 1 ? "s" : "");
        Bytes raster(std::size_t(view.Width) * std::size_t(view.Height));
        for (std::int32_t y = 0; y < view.Height; ++y) {
            const std::uint8_t* row = view.Pixels + std::size_t(view.Height - 1 - y) * view.RowBytes;
            for (std::int32_t x = 0; x < view.Width; ++x)
                raster[std::size_t(y) * std::size_t(view.Width) + std::size_t(x)] =
                    std::uint8_t(PixelAt(row, x, view.Bits));
        }
        ColorMapObject* map = GifMakeMapObject(1 << view.Bits, nullptr);
        for (int i = 0; i < (1 << view.Bits); ++i) {
            const std::uint8_t* q = view.Palette + 4 * std::min<std::uint32_t>(std::uint32_t(i), view.PaletteCount - 1);
            map->Colors[i] = {q[2], q[1], q[0]};
        }
        CompareEncode(bmp, raster.data(), view.Width, view.Height, map);
        GifFreeMapObject(map);
    }

    // Colour reduction of the first 24-bit picture. ImageMagick is timed net
    // of its start-up and of reading the picture: the same command without
    // the reduction is subtracted, and neither writes a file.
    const std::string base = dir + "/plasma" + std::to_string(seeds[0]);
    const Bytes bmp24 = Load(base + ".bmp");
    BmpView view;
    if (!ParseBMP(bmp24.data(), bmp24.size(), view, true)) return 1;
    const std::string mpc = "'" + base + ".mpc'";
    // One thread, as ours.
    auto magickReduce = [&] { return RunCommand("MAGICK_THREAD_LIMIT=1 convert " + mpc + " +dither -colors 256 null:"); };
    auto magickBare = [&] { return RunCommand("MAGICK_THREAD_LIMIT=1 convert " + mpc + " null:"); };
    const int magickRounds = 5;
    const auto magick = Rounds({magickReduce, magickBare}, magickRounds);
    const double magickNet = magick[0].min - magick[1].min;
    const double magickNetMedian = magick[0].median - magick[1].median;
    std::printf("ImageMagick +dither -colors 256, net: %.3f / %.3f s (min / median; with start-up %.3f / %.3f s)\n",
                magickNet, magickNetMedian, magick[0].min, magick[0].median);
    static const char* names[] = {"histogram", "median cut", "7R8G4B", "6R6G6B", "channel pattern", "grey"};
    std::vector<std::function<double()>> methods;
    for (int method = 0; method <= 5; ++method)
        methods.push_back([&, method] {
            Bytes rows(view.Pixels, view.Pixels + view.RowBytes * std::size_t(view.Height));
            const double t = Now();
            const Bytes reduced = ReduceToBMP8(method, view.Width, view.Height, rows.data());
            const double s = Since(t);
            return reduced.empty() ? -1.0 : s;
        });
    const auto reduce = Rounds(methods, magickRounds);
    for (int method = 0; method <= 5; ++method)
        std::printf("reduce %-16s %.3f / %.3f s, %.3f / %.3f of ImageMagick's net time\n", names[method],
                    reduce[std::size_t(method)].min, reduce[std::size_t(method)].median,
                    reduce[std::size_t(method)].min / magickNet, reduce[std::size_t(method)].median / magickNetMedian);
    return 0;
}
