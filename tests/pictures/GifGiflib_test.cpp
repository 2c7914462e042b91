// The reader and the writer against giflib, on GIFs made at test time by
// ImageMagick, pamtogif and gifbuild (tests/pictures/make_gifs.sh).
#include "GifCore.h"
#include "GifFixtures.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

using namespace gifcore;

namespace {

std::string Folder() {
    static std::string dir;
    if (dir.empty()) {
        dir = std::string(GIF_WORK_DIR);
        const std::string cmd = "sh '" GIF_SCRIPT "' '" + dir + "'";
        if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << "making the test pictures failed";
    }
    return dir;
}

Bytes Load(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

struct GiflibFrame {
    int width, height, left, top;
    Bytes indices;
    int transparent = -1;
};

// giflib's frames of a GIF held in memory.
bool GiflibRead(const Bytes& data, std::vector<GiflibFrame>& frames) {
    struct Cursor { const Bytes* data; std::size_t pos; } cursor{&data, 0};
    auto reader = [](GifFileType* gif, GifByteType* buf, int n) -> int {
        auto* c = static_cast<Cursor*>(gif->UserData);
        const int k = int(std::min<std::size_t>(std::size_t(n), c->data->size() - c->pos));
        std::memcpy(buf, c->data->data() + c->pos, std::size_t(k));
        c->pos += std::size_t(k);
        return k;
    };
    int error = 0;
    GifFileType* gif = DGifOpen(&cursor, reader, &error);
    if (!gif) return false;
    const bool ok = DGifSlurp(gif) == GIF_OK;
    for (int i = 0; ok && i < gif->ImageCount; ++i) {
        const SavedImage& s = gif->SavedImages[i];
        GiflibFrame f{s.ImageDesc.Width, s.ImageDesc.Height, s.ImageDesc.Left, s.ImageDesc.Top,
                      Bytes(s.RasterBits, s.RasterBits + std::size_t(s.ImageDesc.Width) * s.ImageDesc.Height)};
        GraphicsControlBlock gcb;
        if (DGifSavedExtensionToGCB(gif, i, &gcb) == GIF_OK) f.transparent = gcb.TransparentColor;
        frames.push_back(std::move(f));
    }
    DGifCloseFile(gif, &error);
    return ok;
}

Bytes OurIndices(GifFrameData& f, bool& corrupt) {
    const TGIFItem& item = *f.FrameItem;
    Bytes out;
    corrupt = DecodeGIFIndices(item.PackedData->data(), item.PackedData->size(), item.ItemWidth, item.ItemHeight,
                               f.InterlaceFlag, item.PixelBits, out);
    return out;
}

void Compare(const std::string& name, const Bytes& data) {
    SCOPED_TRACE(name);
    std::vector<GiflibFrame> theirs;
    ASSERT_TRUE(GiflibRead(data, theirs));
    GifScreen screen;
    std::vector<GifFrameData> ours;
    ReadGIFStream(data.data(), data.size(), screen, ours);
    ASSERT_EQ(ours.size(), theirs.size());
    for (std::size_t i = 0; i < ours.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ours[i].FrameItem->ItemWidth, theirs[i].width);
        EXPECT_EQ(ours[i].FrameItem->ItemHeight, theirs[i].height);
        EXPECT_EQ(ours[i].OriginX, theirs[i].left);
        EXPECT_EQ(ours[i].OriginY, theirs[i].top);
        EXPECT_EQ(ours[i].MaskIndex(), theirs[i].transparent);
        bool corrupt = true;
        EXPECT_EQ(OurIndices(ours[i], corrupt), theirs[i].indices);
        EXPECT_FALSE(corrupt);
    }
}

// A one-frame picture of our encoder from top-down indices at 1, 4 or 8 bits.
Bytes OurGif(int w, int h, int bits, const Bytes& topDown) {
    std::uint8_t pal[1024] = {};
    for (int i = 0; i < 256; ++i) pal[4 * i] = pal[4 * i + 1] = pal[4 * i + 2] = std::uint8_t(i);
    const std::size_t row = RowBytes32(std::uint64_t(w) * bits);
    Bytes rows(row * std::size_t(h), 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* r = rows.data() + std::size_t(h - 1 - y) * row;
            const unsigned v = topDown[std::size_t(y) * w + x];
            if (bits == 8) r[x] = std::uint8_t(v);
            else if (bits == 4) r[x / 2] |= std::uint8_t(x % 2 ? v : v << 4);
            else r[x / 8] |= std::uint8_t(v << (7 - x % 8));
        }
    Bytes bmp = BuildBMP(w, h, bits, pal, 1u << bits, rows.data());
    GifScreen screen;
    std::vector<GifFrameData> frames(1);
    EncodeDIBStream(frames[0], screen, bmp.data(), bmp.size());
    std::vector<GifFrameData*> list{&frames[0]};
    return WriteGIFStream(screen, list, false);
}

// Pixels after which the encoder assigns code 4,094 (8-bit data).
std::size_t PixelsToCode4094(const Bytes& px) {
    std::map<std::pair<int, int>, int> table;
    int prefix = px[0], last = 257;
    for (std::size_t i = 1; i < px.size(); ++i) {
        auto it = table.find({prefix, px[i]});
        if (it != table.end()) {
            prefix = it->second;
            continue;
        }
        table[{prefix, px[i]}] = ++last;
        if (last == 4094) return i + 1;
        prefix = px[i];
    }
    return 0;
}

}  // namespace

TEST(GifAgainstGiflib, GeneratedPicturesDecodeToGiflibsIndices)
{
    const std::string dir = Folder();
    DIR* d = opendir(dir.c_str());
    ASSERT_NE(d, nullptr);
    int count = 0;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name.size() < 4 || name.substr(name.size() - 4) != ".gif") continue;
        const Bytes gif = Load(dir + "/" + name);
        Compare(name, gif);
        ++count;
        // Cut at every offset: an error or a corrupt frame, never a crash.
        for (std::size_t cut = 0; cut < gif.size(); cut += 1 + gif.size() / 400) {
            GifScreen screen;
            std::vector<GifFrameData> frames;
            try {
                ReadGIFStream(gif.data(), cut, screen, frames);
                for (auto& f : frames) BuildDIBStream(f);
            } catch (const GifError&) {
            }
        }
    }
    closedir(d);
    EXPECT_GE(count, 25);
}

TEST(GifAgainstGiflib, ByteFixtures)
{
    using namespace giftest;
    // A 256-colour frame with code size 2 and one with code size 4.
    for (int size : {2, 4}) {
        Bytes b = Head(5, 1, 8);
        const unsigned clear = 1u << size;
        // Widths grow as the table fills, as a decoder counts them.
        CodePacker q;
        unsigned next = clear + 2, width = unsigned(size) + 1;
        q.Put(clear, int(width));
        const unsigned seq[] = {1, 2, 3, 1, 2};
        for (int i = 0; i < 5; ++i) {
            q.Put(seq[i], int(width));
            if (i > 0 && ++next == (1u << width) && width < 12) ++width;
        }
        q.Put(clear + 1, int(width));
        Image(b, 5, 1, ImageData(size, q.Done()));
        b.push_back(0x3B);
        Compare("code size " + std::to_string(size), b);
    }
    // A transparent entry sharing another entry's colour.
    Bytes t = Head(2, 1, 2, {0, 0x808080, 0x808080, 0});
    Gce(t, 1, 0, 2);
    CodePacker c;
    for (auto [code, w] : {std::pair{4u, 3}, {1u, 3}, {2u, 3}, {5u, 3}}) c.Put(code, w);
    Image(t, 2, 1, ImageData(2, c.Done()));
    t.push_back(0x3B);
    Compare("shared colour", t);
}

TEST(GifAgainstGiflib, GiflibReadsOurEncoderBack)
{
    std::mt19937 rng(11);
    for (int bits : {1, 4, 8}) {
        for (int flat = 0; flat < 2; ++flat) {
            const int w = 311, h = 97;
            Bytes px(std::size_t(w) * h);
            for (auto& v : px) v = flat ? std::uint8_t((1u << bits) - 1) : std::uint8_t(rng() & ((1u << bits) - 1));
            Bytes gif = OurGif(w, h, bits, px);
            std::vector<GiflibFrame> theirs;
            ASSERT_TRUE(GiflibRead(gif, theirs)) << bits;
            ASSERT_EQ(theirs.size(), 1u);
            EXPECT_EQ(theirs[0].indices, px) << bits << " bits, flat " << flat;
        }
    }
    // The last pixel completes code 4,094: emitted once, then clear and end.
    Bytes px(20000);
    for (auto& v : px) v = std::uint8_t(rng());
    const std::size_t n = PixelsToCode4094(px);
    ASSERT_GT(n, 0u);
    px.resize(n);
    Bytes gif = OurGif(int(n), 1, 8, px);
    std::vector<GiflibFrame> theirs;
    ASSERT_TRUE(GiflibRead(gif, theirs));
    EXPECT_EQ(theirs[0].indices, px);
}
