// GIF decode and encode against giflib, and the colour reductions against
// ImageMagick, on 3000 x 2000 plasma pictures made at bench time (kept in the
// work folder for the next run).
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
        const int w = image.ImageDesc.Width, h = image.ImageDesc.Height;
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : in->SColorMap;

        auto ourEncode = [&]() -> Bytes {
            GifScreen screen2;
            std::vector<GifFrameData> frames2(1);
            EncodeDIBStream(frames2[0], screen2, bmp.data(), bmp.size());
            std::vector<GifFrameData*> list{&frames2[0]};
            return WriteGIFStream(screen2, list, false);
        };
        auto giflibEncode = [&]() -> Bytes {
            Bytes theirs;
            int e = 0;
            GifFileType* out = EGifOpen(&theirs, WriteMem, &e);
            EGifPutScreenDesc(out, w, h, 8, 0, map);
            EGifPutImageDesc(out, 0, 0, w, h, false, nullptr);
            for (int y = 0; y < h; ++y) EGifPutLine(out, image.RasterBits + std::size_t(y) * w, w);
            EGifCloseFile(out, &e);
            return theirs;
        };
        auto timed = [](const std::function<Bytes()>& f) {
            return [f] {
                const double t = Now();
                const Bytes b = f();
                const double s = Since(t);
                return b.empty() ? -1.0 : s;
            };
        };
        const auto encode = Rounds({timed(ourEncode), timed(giflibEncode)});
        PrintPair("  encode:", encode[0], "giflib EGifPutLine", encode[1]);
        const std::size_t ourSize = ourEncode().size(), theirSize = giflibEncode().size();
        std::printf("  size:   ours %zu bytes, giflib %zu bytes, ratio %.4f\n", ourSize, theirSize,
                    double(ourSize) / double(theirSize));
        DGifCloseFile(in, &error);
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
