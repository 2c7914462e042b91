// The portable GIF reader, decoder, writer, encoder and colour reduction.
#include "ColorReduce.h"
#include "GifCore.h"
#include "GifFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/allocator_interface.h>
#define GIF_TEST_HEAP_BYTES 1
#endif
#endif

using namespace gifcore;
using namespace giftest;

namespace {

struct Picture {
    GifScreen screen;
    std::vector<GifFrameData> frames;
};

Picture Read(const Bytes& b, bool tolerate = true) {
    Picture p;
    ReadGIFStream(b.data(), b.size(), p.screen, p.frames, tolerate);
    return p;
}

// Decoded indices of a frame, top row first; corrupt set for damaged data.
Bytes Indices(GifFrameData& f, bool* corrupt = nullptr, bool tolerate = true) {
    const TGIFItem& item = *f.FrameItem;
    Bytes out;
    const bool c = DecodeGIFIndices(item.PackedData->data(), item.PackedData->size(), item.ItemWidth,
                                    item.ItemHeight, f.InterlaceFlag, item.PixelBits, out, tolerate);
    if (corrupt) *corrupt = c;
    return out;
}

Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// One 4-colour frame (code size 2) of w x h made from the codes.
Bytes FourColour(unsigned w, unsigned h, const Bytes& codes, bool terminator = true) {
    return OneFrame(w, h, 2, ImageData(2, codes, terminator));
}

}  // namespace

TEST(GifReader, HeaderScreenAndBlockStructure)
{
    Bytes b = FourColour(2, 2, Codes({{4, 3}, {0, 3}, {1, 3}, {6, 3}, {5, 3}}));
    b[3] = '8'; b[4] = '9'; b[5] = 'A';
    b[0] = 'g'; b[1] = 'i'; b[2] = 'f';
    EXPECT_EQ(Read(b).screen.GifVersion, 2);
    b[4] = '8';
    EXPECT_EQ(ErrorOf([&] { Read(b); }), "Unknown GIF version");
    EXPECT_TRUE(Read(Bytes()).frames.empty());

    // A stream that ends right after the table: no frames, no failure.
    const Bytes head = Head(4, 4, 2);
    EXPECT_TRUE(Read(head).frames.empty());
    // A stray byte after the table with more bytes after it fails; after the last image it ends reading.
    EXPECT_EQ(ErrorOf([&] { Read(Cat(head, {0x55, 0x00, 0x3B})); }), "Stream read error");
    b[4] = '9';
    b.back() = 0x55;
    EXPECT_EQ(Read(Cat(b, {0x21})).frames.size(), 1u);
    EXPECT_EQ(ErrorOf([&] { Read(Cat(head, {0x21, 0x33, 0x00})); }), "Unrecognized extension block: 33");
}

TEST(GifReader, ExtensionsDelaysLoopAndComments)
{
    Bytes data = ImageData(2, Codes({{4, 3}, {0, 3}, {5, 3}}));
    Bytes b = Head(1, 1, 2, {0x000000, 0x0000FF, 0x00FF00, 0xFF0000});
    // Loop extension: block size 11 and all eleven bytes compared.
    const char loop[] = "\x21\xFF\x0BNETSCAPE2.0\x03\x01\xE8\x03\x00";
    b.insert(b.end(), loop, loop + 19);
    Gce(b, 0x01 | (2 << 2), 5, 2);
    Gce(b, 0x01, 3, 7);  // index outside the table: transparency stays
    b.insert(b.end(), {0x21, 0xFE, 2, 'h', 'i', 0});
    Image(b, 1, 1, data);
    b.insert(b.end(), {0x21, 0xFE, 1, 'a', 0, 0x21, 0xFE, 1, 'b', 0});
    b.push_back(0x3B);
    Picture p = Read(b);
    ASSERT_EQ(p.frames.size(), 1u);
    EXPECT_TRUE(p.screen.LoopFlag);
    EXPECT_EQ(p.screen.LoopCount, 1000);
    GifFrameData& f = p.frames[0];
    EXPECT_EQ(f.DelayMs, 50);
    EXPECT_EQ(f.KeyColor, 0x00FF00u);
    EXPECT_EQ(f.TransparentIndex, 2);
    ASSERT_TRUE(f.Extensions);
    EXPECT_EQ(f.Extensions->size(), 3u);  // two graphic controls and the comment, no loop
    EXPECT_EQ(p.screen.GlobalData->CommentLines, (Lines{"a", "\r\n\r\n", "b"}));

    // Block size 10 is no loop extension; a cut application sub-block keeps its bytes.
    const char loop10[] = "\x21\xFF\x0ANETSCAPE2.0\x03\x01\xE8";
    EXPECT_FALSE(Read(Cat(Head(1, 1, 2), Bytes(loop10, loop10 + 17))).screen.LoopFlag);
    // A comment cut by the end of the stream keeps the bytes present.
    EXPECT_EQ(Read(Cat(Head(1, 1, 2), {0x21, 0xFE, 5, 'a', 'b'})).screen.GlobalData->CommentLines, Lines{"ab"});
    // Delays clamp at 65,535 ms.
    Bytes d = Head(1, 1, 2);
    Gce(d, 0, 60000, 0);
    Image(d, 1, 1, data);
    EXPECT_EQ(Read(d).frames[0].DelayMs, 65535);
    // A short screen descriptor is zero-filled; a frame still 0 wide is corrupt and empty.
    Bytes s{'G', 'I', 'F', '8', '7', 'a', 3};
    EXPECT_EQ(Read(s).screen.LogicalWidth, 3);
    Picture pz = Read(OneFrame(0, 0, 2, data));
    ASSERT_EQ(pz.frames.size(), 1u);
    EXPECT_TRUE(BuildDIBStream(pz.frames[0]).empty());
    EXPECT_TRUE(pz.frames[0].CorruptMark);
}

TEST(GifDecoder, CodeStreamsAndInterlace)
{
    // clear, 0, 1, 6, end -> 0 1 0 1; code 8 right after 6 is 6 + its first pixel.
    Picture p = Read(FourColour(4, 1, Codes({{4, 3}, {0, 3}, {1, 3}, {6, 3}, {5, 3}})));
    EXPECT_EQ(Indices(p.frames[0]), (Bytes{0, 1, 0, 1}));
    p = Read(FourColour(7, 1, Codes({{4, 3}, {0, 3}, {1, 3}, {6, 3}, {8, 4}, {5, 4}})));
    EXPECT_EQ(Indices(p.frames[0]), (Bytes{0, 1, 0, 1, 0, 1, 0}));
    // Interlaced height 5: stream rows land on 0, 4, 2, 1, 3.
    p = Read(OneFrame(1, 5, 2, ImageData(2, Codes({{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {0, 4}, {5, 4}})), 0x40));
    EXPECT_EQ(Indices(p.frames[0]), (Bytes{0, 3, 2, 0, 1}));
}

TEST(GifDecoder, DamagedCodeStreams)
{
    const struct {
        unsigned w;
        Bytes codes, want;
        bool corrupt;
    } cases[] = {
        {2, Codes({{6, 3}, {0, 3}}), {0, 0}, true},  // starts as if just cleared: a first code >= clear + 2
        {2, Codes({{4, 3}, {4, 3}, {2, 3}, {3, 3}, {5, 3}}), {2, 3}, false},  // a clear clears again
        {2, Codes({{4, 3}, {5, 3}, {1, 3}}), {0, 0}, true},                   // an end code after a clear ends
        {4, Codes({{4, 3}, {1, 3}, {7, 3}, {5, 3}}), {1, 0, 0, 0}, true},     // a code above the next free code
        {2, Codes({{4, 3}, {1, 3}, {2, 3}}), {1, 2}, false},                  // all rows done, no end code
    };
    bool corrupt = false;
    for (const auto& c : cases) {
        Picture p = Read(FourColour(c.w, 1, c.codes));
        EXPECT_EQ(Indices(p.frames[0], &corrupt), c.want);
        EXPECT_EQ(corrupt, c.corrupt);
    }
    // Rows missing: corrupt, strict mode fails.
    Picture p = Read(FourColour(6, 1, Codes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}}), false));
    EXPECT_EQ(Indices(p.frames[0], &corrupt), (Bytes{1, 2, 3, 0, 0, 0}));
    EXPECT_TRUE(corrupt);
    EXPECT_EQ(ErrorOf([&] { Indices(p.frames[0], nullptr, false); }), "Stream read error");
    // Code size 1: corrupt, read as size 2 up to the first code after the one following a clear.
    p = Read(OneFrame(3, 1, 2, ImageData(1, Codes({{4, 3}, {1, 3}, {2, 3}, {5, 3}}))));
    EXPECT_EQ(Indices(p.frames[0], &corrupt), (Bytes{1, 0, 0}));
    EXPECT_TRUE(corrupt);
    EXPECT_EQ(ErrorOf([&] { Indices(p.frames[0], nullptr, false); }), "GIF code size not in range 2 to 9");
    // A sub-block running past the end of the source marks the frame; none of its bytes are kept.
    Bytes cut = Head(2, 1, 2);
    Image(cut, 2, 1, Bytes{2, 9, 1, 2});
    p = Read(cut);
    EXPECT_TRUE(p.frames[0].CorruptMark);
    EXPECT_EQ(*p.frames[0].FrameItem->PackedData, Bytes{2});
    EXPECT_EQ(ErrorOf([&] { Read(cut, false); }), "Stream read error");
}

TEST(GifDecoder, HugeFramesFailBeforeTakingMemory)
{
    Picture p = Read(FourColour(65535, 65535, Codes({{4, 3}, {0, 3}})));
    EXPECT_EQ(p.screen.LogicalWidth, 65535);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf([&] { BuildDIBStream(p.frames[0]); }), "GIF encoded data is corrupt");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    // Neither table: pixel bits 0 cannot be built.
    p = Read(OneFrame(1, 1, 0, ImageData(2, Codes({{4, 3}, {0, 3}}))));
    EXPECT_EQ(ErrorOf([&] { BuildDIBStream(p.frames[0]); }), "Wrong number of colors; must be a power of 2");
}

TEST(GifReader, CutAndFlippedStreamsNeverCrash)
{
    std::mt19937 rng(5);
    std::vector<std::uint8_t> pixels(37 * 11);
    for (auto& v : pixels) v = std::uint8_t(rng() % 7);
    const Bytes gif = EncodeBmp(IndexBmp(37, 11, 8, pixels));
    for (std::size_t cut = 0; cut <= gif.size(); ++cut)
        for (int flip = -1; flip < 13; ++flip) {
            Bytes b(gif.begin(), gif.begin() + std::ptrdiff_t(cut));
            if (flip >= 0 && std::size_t(flip) < b.size()) b[std::size_t(flip)] ^= 0xA5;
            try {
                Picture p = Read(b);
                for (auto& f : p.frames) BuildDIBStream(f);
            } catch (const GifError&) {
            }
        }
}

TEST(GifWriter, TablesTransparencySizesAndVersion)
{
    // Entries 1 and 2 share one colour; the stream marks entry 2 transparent.
    Bytes b = Head(2, 1, 2, {0, 0x123456, 0x123456, 0xFFFFFF});
    Gce(b, 1, 25, 2);
    Image(b, 2, 1, ImageData(2, Codes({{4, 3}, {1, 3}, {2, 3}, {5, 3}})));
    b.push_back(0x3B);
    Picture p = Read(b);
    GifFrameData& f = p.frames[0];
    EXPECT_EQ(f.MaskIndex(), 2);
    UpdateExtensions(f, p.screen);
    std::vector<GifFrameData*> list{&f};
    Picture back = Read(WriteGIFStream(p.screen, list, false));
    EXPECT_EQ(back.frames[0].TransparentIndex, 2);
    EXPECT_EQ(back.frames[0].DelayMs, 250);
    // A key colour in no entry clears the bit and leaves the index byte.
    f.KeyColor = 0x010203;
    UpdateExtensions(f, p.screen);
    const TExtension* gce = LastExtensionOfKind(f.Extensions.get(), extGraphicControl);
    EXPECT_EQ(gce->HeaderBytes[2] & 1, 0);
    EXPECT_EQ(gce->HeaderBytes[5], 2);

    // A local table is announced only with entries, written as 3 x 2^b bytes.
    f.HasLocalTable = true;
    f.FrameItem->LocalTable.EntryCount = 3;
    Bytes w = WriteGIFStream(p.screen, list, true);
    Picture local = Read(Bytes(w.begin() + 4, w.end()));
    EXPECT_TRUE(local.frames[0].HasLocalTable);
    EXPECT_EQ(local.frames[0].FrameItem->LocalTable.EntryCount, 4);
    EXPECT_EQ(std::uint32_t(w[0] | w[1] << 8 | w[2] << 16 | w[3] << 24), w.size() - 4);
    f.FrameItem->LocalTable.EntryCount = 0;
    local = Read(WriteGIFStream(p.screen, list, false));
    EXPECT_FALSE(local.frames[0].HasLocalTable);

    // Code sizes: 1-bit images use 2, 4-bit 4, 8-bit 8.
    for (int bits : {1, 4, 8}) {
        Bytes rows(RowBytes32(std::uint64_t(bits) * 3), 0), out;
        EncodeGIFData(out, 3, 1, bits, rows.data());
        EXPECT_EQ(out[0], bits == 1 ? 2 : bits);
    }

    // A frame reaching past 65,535 is refused.
    f.OriginX = 65535;
    EXPECT_EQ(ErrorOf([&] { WriteGIFStream(p.screen, list, false); }), "GIF image encoding error");
    std::vector<GifFrameData*> none;
    EXPECT_EQ(ErrorOf([&] { WriteGIFStream(p.screen, none, false); }), "No GIF Data to write");
}

TEST(GifWriter, EncodeDIBStreamValidatesItsBmp)
{
    const Bytes good = IndexBmp(5, 3, 8, Bytes(15, 1));
    GifFrameData f;
    GifScreen s;
    auto error = [&](const Bytes& bmp) { return ErrorOf([&] { EncodeDIBStream(f, s, bmp.data(), bmp.size()); }); };
    EXPECT_EQ(error(good), "");
    EXPECT_EQ(error(Bytes(good.begin(), good.begin() + 60)), "GIF image encoding error");
    // Bit count, header size, height past the rows, pixel offset outside.
    for (auto [at, v] : {std::pair{28, 24}, {14, 12}, {22, 0x40}, {11, 0xFF}}) {
        Bytes bad = good;
        bad[std::size_t(at)] = std::uint8_t(v);
        EXPECT_EQ(error(bad), "GIF image encoding error") << at;
    }
}

TEST(ColorReduce, MethodsKeepTheirPalettes)
{
    // 24-bit rows with pixel (x, y) = f(x, y) as 0xRRGGBB.
    auto rows = [](int w, int h, const std::function<std::uint32_t(int, int)>& f) {
        Bytes px(RowBytes24(w) * std::size_t(h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                std::uint8_t* p = px.data() + std::size_t(y) * RowBytes24(w) + 3 * x;
                const std::uint32_t c = f(x, y);
                p[0] = std::uint8_t(c), p[1] = std::uint8_t(c >> 8), p[2] = std::uint8_t(c >> 16);
            }
        return px;
    };
    BmpView v;
    // Method 0 keeps up to 256 colours exactly, by decreasing frequency, the rest grey.
    Bytes px = rows(5, 2, [](int x, int y) { return y == 0 ? 0x0A141Eu : x < 2 ? 0xC86432u : 0x0A6432u; });
    Bytes bmp = ReduceToBMP8(rmPopular, 5, 2, px.data());
    ASSERT_TRUE(ParseBMP(bmp.data(), bmp.size(), v));
    EXPECT_EQ((Bytes{v.Palette[2], v.Palette[6], v.Palette[10], v.Palette[12], v.Pixels[0], v.Pixels[v.RowBytes]}),
              (Bytes{10, 10, 200, 128, 0, 2}));
    // Method 0 on many colours drops the lowest blue bit first: red lost two bits, blue three.
    px = rows(64, 64, [](int x, int y) { return 0x070000u | unsigned(y * 4) << 8 | unsigned(x * 4 + (y & 1)); });
    bmp = ReduceToBMP8(rmPopular, 64, 64, px.data());
    ASSERT_TRUE(ParseBMP(bmp.data(), bmp.size(), v));
    EXPECT_EQ((Bytes{v.Palette[2], v.Palette[4]}), (Bytes{4, 8}));

    // Median cut on one colour (important colours 1); on many equal cells the sort ends.
    px = rows(2, 1, [](int, int) { return 0xC86432u; });
    bmp = ReduceToBMP8(rmMedianCut, 2, 1, px.data());
    ASSERT_TRUE(ParseBMP(bmp.data(), bmp.size(), v));
    EXPECT_EQ((Bytes{v.Palette[0], v.Palette[1], v.Palette[2], bmp[50]}), (Bytes{63, 111, 207, 1}));
    px = rows(256, 16, [](int x, int y) {
        return unsigned(std::uint8_t(x << 4)) << 16 | unsigned(x & 0xF0) << 8 | unsigned(y * 16);
    });
    bmp = ReduceToBMP8(rmMedianCut, 256, 16, px.data());
    EXPECT_EQ(bmp[50] | bmp[51] << 8, 256);

    // Grey reads the channels in BMP order: pure red is 76.
    std::uint8_t red[4] = {0, 0, 255, 0};
    bmp = ReduceToBMP8(rmGrey, 1, 1, red);
    EXPECT_EQ(bmp[54 + 1024], 76);
}

// A frame's records cost what it holds (the screen's table shared when it has
// none); a stream fails once its records pass the reader's limit.
TEST(GifReader, VeryManyFramesAreBounded)
{
    auto frames = [](std::size_t count, bool localTables) {
        Bytes b = Head(1, 1, 8);
        const Bytes data = ImageData(8, Codes({{256, 9}, {0, 9}, {257, 9}}));
        for (std::size_t i = 0; i < count; ++i) {
            Image(b, 1, 1, Bytes(), localTables ? 0x80 : 0);  // a local table of 2 entries
            if (localTables) b.insert(b.end(), 6, 0);
            b.insert(b.end(), data.begin(), data.end());
        }
        b.push_back(0x3B);
        return b;
    };
    for (bool local : {false, true}) {
        const Bytes many = frames(20000, local);
#ifdef GIF_TEST_HEAP_BYTES
        const std::size_t before = __sanitizer_get_current_allocated_bytes();
#endif
        Picture p = Read(many);
        ASSERT_EQ(p.frames.size(), 20000u);
#ifdef GIF_TEST_HEAP_BYTES
        EXPECT_LT((__sanitizer_get_current_allocated_bytes() - before) / 20000, 256u) << "local tables: " << local;
#endif
        EXPECT_EQ(TableEntryToColor(p.frames[19999].FrameItem->LocalTable.Entry(255)), local ? 0u : 0xFFFFFFu);
    }
    const Bytes tooMany = frames(kMaxReadRecords / kFrameRecordBytes + 10, false);
    Picture p;
    EXPECT_EQ(ErrorOf([&] { ReadGIFStream(tooMany.data(), tooMany.size(), p.screen, p.frames); }),
              "GIF encoded data is corrupt");
    EXPECT_GT(p.frames.size(), 100000u);  // the frames before the limit stay
}
