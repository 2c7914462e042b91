// The portable GIF reader, decoder, writer, encoder and colour reduction.
#include "ColorReduce.h"
#include "GifCore.h"
#include "GifFixtures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <random>

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

Bytes Codes(std::initializer_list<std::pair<unsigned, int>> codes) {
    CodePacker p;
    for (auto [code, width] : codes) p.Put(code, width);
    return p.Done();
}

// One 4-colour frame (code size 2) of w x h made from the codes.
Bytes FourColour(unsigned w, unsigned h, const Bytes& codes, bool terminator = true) {
    Bytes b = Head(w, h, 2);
    Image(b, w, h, ImageData(2, codes, terminator));
    b.push_back(0x3B);
    return b;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const GifError& e) {
        return e.what();
    }
    return "";
}

Bytes Bmp8(int w, int h, const std::vector<std::uint8_t>& topDown, int colours = 256) {
    std::uint8_t pal[1024] = {};
    for (int i = 0; i < colours; ++i) pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = std::uint8_t(i);
    const std::size_t row = RowBytes32(std::uint64_t(w) * 8);
    Bytes rows(row * std::size_t(h), 0);
    for (int y = 0; y < h; ++y)
        std::memcpy(rows.data() + std::size_t(h - 1 - y) * row, topDown.data() + std::size_t(y) * w, std::size_t(w));
    return BuildBMP(w, h, 8, pal, 256, rows.data());
}

// Encodes a BMP into a fresh one-frame picture and writes it.
Bytes EncodeOne(const Bytes& bmp, Picture& p) {
    p.frames.resize(1);
    EncodeDIBStream(p.frames[0], p.screen, bmp.data(), bmp.size());
    UpdateExtensions(p.frames[0], p.screen);
    std::vector<GifFrameData*> list{&p.frames[0]};
    return WriteGIFStream(p.screen, list, false);
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
    Bytes head = Head(4, 4, 2);
    EXPECT_TRUE(Read(head).frames.empty());
    // A stray byte after the table with more bytes after it fails; after the last image it ends reading.
    Bytes stray = head;
    stray.insert(stray.end(), {0x55, 0x00, 0x3B});
    EXPECT_EQ(ErrorOf([&] { Read(stray); }), "Stream read error");
    Bytes good = FourColour(2, 2, Codes({{4, 3}, {0, 3}, {1, 3}, {6, 3}, {5, 3}}));
    good.back() = 0x55;
    good.push_back(0x21);
    EXPECT_EQ(Read(good).frames.size(), 1u);
    // An unknown extension label.
    Bytes ext = head;
    ext.insert(ext.end(), {0x21, 0x33, 0x00});
    EXPECT_EQ(ErrorOf([&] { Read(ext); }), "Unrecognized extension block: 33");
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
    Bytes c = Head(1, 1, 2);
    const char loop10[] = "\x21\xFF\x0ANETSCAPE2.0\x03\x01\xE8";
    c.insert(c.end(), loop10, loop10 + 17);
    EXPECT_FALSE(Read(c).screen.LoopFlag);
    // A comment cut by the end of the stream keeps the bytes present.
    Bytes cutComment = Head(1, 1, 2);
    cutComment.insert(cutComment.end(), {0x21, 0xFE, 5, 'a', 'b'});
    EXPECT_EQ(Read(cutComment).screen.GlobalData->CommentLines, Lines{"ab"});
    // Delays clamp at 65,535 ms.
    Bytes d = Head(1, 1, 2);
    Gce(d, 0, 60000, 0);
    Image(d, 1, 1, data);
    EXPECT_EQ(Read(d).frames[0].DelayMs, 65535);
    // A short screen descriptor is zero-filled; a frame still 0 wide is corrupt and empty.
    Bytes s{'G', 'I', 'F', '8', '7', 'a', 3};
    EXPECT_EQ(Read(s).screen.LogicalWidth, 3);
    Bytes z = Head(0, 0, 2);
    Image(z, 0, 0, data);
    Picture pz = Read(z);
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
    Bytes b = Head(1, 5, 2);
    Image(b, 1, 5, ImageData(2, Codes({{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {0, 4}, {5, 4}})), 0x40);
    p = Read(b);
    EXPECT_EQ(Indices(p.frames[0]), (Bytes{0, 3, 2, 0, 1}));
    // A 256-colour frame with code size 2: roots are the codes below the clear code.
    Bytes r = Head(3, 1, 8);
    Image(r, 3, 1, ImageData(2, Codes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 3}})));
    p = Read(r);
    bool corrupt = true;
    EXPECT_EQ(Indices(p.frames[0], &corrupt), (Bytes{1, 2, 3}));
    EXPECT_FALSE(corrupt);
}

TEST(GifDecoder, DamagedCodeStreams)
{
    bool corrupt = false;
    // Starts as if just cleared: a first code at or above clear + 2 is corrupt.
    Picture p = Read(FourColour(2, 1, Codes({{6, 3}, {0, 3}})));
    Indices(p.frames[0], &corrupt);
    EXPECT_TRUE(corrupt);
    // After a clear an end code ends; a clear clears again.
    p = Read(FourColour(2, 1, Codes({{4, 3}, {4, 3}, {2, 3}, {3, 3}, {5, 3}})));
    EXPECT_EQ(Indices(p.frames[0], &corrupt), (Bytes{2, 3}));
    EXPECT_FALSE(corrupt);
    p = Read(FourColour(2, 1, Codes({{4, 3}, {5, 3}, {1, 3}})));
    EXPECT_EQ(Indices(p.frames[0], &corrupt), (Bytes{0, 0}));
    EXPECT_TRUE(corrupt);
    // A code above the next free code.
    p = Read(FourColour(4, 1, Codes({{4, 3}, {1, 3}, {7, 3}, {5, 3}})));
    EXPECT_EQ(Indices(p.frames[0], &corrupt), (Bytes{1, 0, 0, 0}));
    EXPECT_TRUE(corrupt);
    // All rows done without an end code: success; rows missing: corrupt, strict mode fails.
    p = Read(FourColour(2, 1, Codes({{4, 3}, {1, 3}, {2, 3}})));
    EXPECT_EQ(Indices(p.frames[0], &corrupt), (Bytes{1, 2}));
    EXPECT_FALSE(corrupt);
    p = Read(FourColour(6, 1, Codes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {0, 4}}), false));
    EXPECT_EQ(Indices(p.frames[0], &corrupt), (Bytes{1, 2, 3, 0, 0, 0}));
    EXPECT_TRUE(corrupt);
    EXPECT_EQ(ErrorOf([&] { Indices(p.frames[0], nullptr, false); }), "Stream read error");
    // Code size 1: corrupt, read as size 2 up to the first code after the one following a clear.
    Bytes b = Head(3, 1, 2);
    Image(b, 3, 1, ImageData(1, Codes({{4, 3}, {1, 3}, {2, 3}, {5, 3}})));
    p = Read(b);
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
    Bytes b = Head(65535, 65535, 2);
    Image(b, 65535, 65535, ImageData(2, Codes({{4, 3}, {0, 3}})));
    Picture p = Read(b);
    EXPECT_EQ(p.screen.LogicalWidth, 65535);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ErrorOf([&] { BuildDIBStream(p.frames[0]); }), "GIF encoded data is corrupt");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    // Neither table: pixel bits 0 cannot be built.
    Bytes n = Head(1, 1, 0);
    Image(n, 1, 1, ImageData(2, Codes({{4, 3}, {0, 3}})));
    p = Read(n);
    EXPECT_EQ(ErrorOf([&] { BuildDIBStream(p.frames[0]); }), "Wrong number of colors; must be a power of 2");
}

TEST(GifReader, CutAndFlippedStreamsNeverCrash)
{
    std::mt19937 rng(5);
    std::vector<std::uint8_t> pixels(37 * 11);
    for (auto& v : pixels) v = std::uint8_t(rng() % 7);
    Picture src;
    Bytes gif = EncodeOne(Bmp8(37, 11, pixels), src);
    for (std::size_t cut = 0; cut <= gif.size(); ++cut) {
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
}

TEST(GifWriter, EncoderCodesAndRoundTrips)
{
    // Code sizes: 1-bit images use 2, 4-bit 4, 8-bit 8.
    for (int bits : {1, 4, 8}) {
        Bytes rows(RowBytes32(std::uint64_t(bits) * 3), 0);
        Bytes out;
        EncodeGIFData(out, 3, 1, bits, rows.data());
        EXPECT_EQ(out[0], bits == 1 ? 2 : bits);
    }
    // Random data through the reset after code 4,094, and flat data.
    std::mt19937 rng(1);
    for (int flat = 0; flat < 2; ++flat) {
        std::vector<std::uint8_t> pixels(301 * 97);
        for (auto& v : pixels) v = flat ? 9 : std::uint8_t(rng());
        Picture p;
        Bytes gif = EncodeOne(Bmp8(301, 97, pixels), p);
        Picture back = Read(gif);
        ASSERT_EQ(back.frames.size(), 1u);
        bool corrupt = true;
        EXPECT_EQ(Indices(back.frames[0], &corrupt), Bytes(pixels.begin(), pixels.end()));
        EXPECT_FALSE(corrupt);
        EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF87a");
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

    // A frame reaching past 65,535 is refused.
    f.OriginX = 65535;
    EXPECT_EQ(ErrorOf([&] { WriteGIFStream(p.screen, list, false); }), "GIF image encoding error");
    std::vector<GifFrameData*> none;
    EXPECT_EQ(ErrorOf([&] { WriteGIFStream(p.screen, none, false); }), "No GIF Data to write");
}

TEST(GifWriter, EncodeDIBStreamValidatesItsBmp)
{
    Bytes good = Bmp8(5, 3, std::vector<std::uint8_t>(15, 1));
    GifFrameData f;
    GifScreen s;
    auto fails = [&](Bytes bmp) {
        return ErrorOf([&] { EncodeDIBStream(f, s, bmp.data(), bmp.size()); }) == "GIF image encoding error";
    };
    EXPECT_FALSE(fails(good));
    Bytes bad = good;
    bad[28] = 24;  // bit count
    EXPECT_TRUE(fails(bad));
    bad = good;
    bad[14] = 12;  // header size
    EXPECT_TRUE(fails(bad));
    bad = good;
    bad[22] = 0x40;  // height past the rows
    EXPECT_TRUE(fails(bad));
    EXPECT_TRUE(fails(Bytes(good.begin(), good.begin() + 60)));
    bad = good;
    bad[10] = 0xFF;
    bad[11] = 0xFF;  // pixel offset outside
    EXPECT_TRUE(fails(bad));
}

TEST(ColorReduce, MethodsKeepTheirPalettes)
{
    // Method 0 keeps up to 256 colours exactly, by decreasing frequency.
    const int w = 5, h = 2;
    std::uint8_t px[RowBytes24(w) * h] = {};
    auto set = [&](int x, int y, int r, int g, int b) {
        std::uint8_t* p = px + std::size_t(y) * RowBytes24(w) + 3 * x;
        p[0] = std::uint8_t(b); p[1] = std::uint8_t(g); p[2] = std::uint8_t(r);
    };
    for (int x = 0; x < w; ++x) set(x, 0, 10, 20, 30);
    for (int x = 0; x < w; ++x) set(x, 1, x < 2 ? 200 : 10, 100, 50);
    Bytes bmp = ReduceToBMP8(rmPopular, w, h, px);
    BmpView v;
    ASSERT_TRUE(ParseBMP(bmp.data(), bmp.size(), v));
    EXPECT_EQ(v.Palette[2], 10);   // most frequent first
    EXPECT_EQ(v.Palette[4 + 2], 10);
    EXPECT_EQ(v.Palette[8 + 2], 200);
    EXPECT_EQ(v.Palette[12], 128);  // the rest grey
    EXPECT_EQ(v.Pixels[0], 0);
    EXPECT_EQ(v.Pixels[v.RowBytes], 2);

    // Method 0 on many colours drops the lowest blue bit first.
    const int big = 64;
    std::vector<std::uint8_t> many(RowBytes24(big) * big);
    for (int y = 0; y < big; ++y)
        for (int x = 0; x < big; ++x) {
            std::uint8_t* p = many.data() + std::size_t(y) * RowBytes24(big) + 3 * x;
            p[0] = std::uint8_t(x * 4 + (y & 1)); p[1] = std::uint8_t(y * 4); p[2] = 7;
        }
    bmp = ReduceToBMP8(rmPopular, big, big, many.data());
    ASSERT_TRUE(ParseBMP(bmp.data(), bmp.size(), v));
    EXPECT_EQ(v.Palette[2], 4);  // red lost two bits, blue three
    EXPECT_EQ(v.Palette[4], 8);

    // Median cut on one colour; on many equal cells the sort ends.
    std::uint8_t one[RowBytes24(2) * 1] = {50, 100, 200, 50, 100, 200};
    bmp = ReduceToBMP8(rmMedianCut, 2, 1, one);
    ASSERT_TRUE(ParseBMP(bmp.data(), bmp.size(), v));
    EXPECT_EQ(v.Palette[0], 63);
    EXPECT_EQ(v.Palette[1], 111);
    EXPECT_EQ(v.Palette[2], 207);
    EXPECT_EQ(bmp[50], 1);  // important colours
    std::vector<std::uint8_t> grid(RowBytes24(256) * 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 256; ++x) {
            std::uint8_t* p = grid.data() + std::size_t(y) * RowBytes24(256) + 3 * x;
            p[0] = std::uint8_t(y * 16); p[1] = std::uint8_t(x & 0xF0); p[2] = std::uint8_t(x << 4);
        }
    bmp = ReduceToBMP8(rmMedianCut, 256, 16, grid.data());
    EXPECT_EQ(bmp[50] | bmp[51] << 8, 256);

    // Truncation levels, grey and the channel pattern.
    std::uint8_t t[RowBytes24(3)] = {26, 25, 22, 0, 0, 21, 0, 0, 0};
    ReduceToBMP8(rm6R6G6B, 3, 1, t);
    EXPECT_EQ(t[0], 36 * 0 + 6 * 0 + 1);
    std::uint8_t red[4] = {0, 0, 255, 0};
    bmp = ReduceToBMP8(rmGrey, 1, 1, red);
    EXPECT_EQ(bmp[54 + 1024], 76);
    std::uint8_t white[RowBytes24(3)];
    std::memset(white, 255, sizeof white);
    ReduceToBMP8(rmChannelPattern, 3, 1, white);
    EXPECT_EQ(white[0], 63);
    EXPECT_EQ(white[1], 127);
    EXPECT_EQ(white[2], 191);
}
