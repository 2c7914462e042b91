// The reader and the writer against giflib, on GIFs made at test time by
// ImageMagick, pamtogif and gifbuild (tests/pictures/make_gifs.sh).
#include "GifCore.h"
#include "GifFixtures.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

using namespace gifcore;
using namespace giftest;

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
        const GifFrameData& f = ours[i];
        const TGIFItem& item = *f.FrameItem;
        EXPECT_EQ((std::vector<int>{item.ItemWidth, item.ItemHeight, f.OriginX, f.OriginY, f.MaskIndex()}),
                  (std::vector<int>{theirs[i].width, theirs[i].height, theirs[i].left, theirs[i].top, theirs[i].transparent}));
        Bytes indices;
        EXPECT_FALSE(DecodeGIFIndices(item.PackedData->data(), item.PackedData->size(), item.ItemWidth, item.ItemHeight,
                                      f.InterlaceFlag, item.PixelBits, indices));
        EXPECT_EQ(indices, theirs[i].indices);
    }
}

// The indices of giflib's one frame of a GIF.
Bytes GiflibIndices(const Bytes& gif) {
    std::vector<GiflibFrame> theirs;
    EXPECT_TRUE(GiflibRead(gif, theirs));
    EXPECT_EQ(theirs.size(), 1u);
    return theirs.empty() ? Bytes() : theirs[0].indices;
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
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder())) {
        if (entry.path().extension() != ".gif") continue;
        std::ifstream file(entry.path(), std::ios::binary);
        Compare(entry.path().filename().string(),
                Bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
        ++count;
    }
    EXPECT_GE(count, 25);
}

TEST(GifAgainstGiflib, ByteFixtures)
{
    // A 256-colour frame with code size 2 (the width grows to 4 bits) and one with code size 4.
    const std::pair<int, Bytes> frames[] = {{2, Codes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {1, 4}, {2, 4}, {5, 4}})},
                                            {4, Codes({{16, 5}, {1, 5}, {2, 5}, {3, 5}, {1, 5}, {2, 5}, {17, 5}})}};
    for (const auto& [size, codes] : frames)
        Compare("code size " + std::to_string(size), OneFrame(5, 1, 8, ImageData(size, codes)));
    // A transparent entry sharing another entry's colour.
    Bytes t = Head(2, 1, 2, {0, 0x808080, 0x808080, 0});
    Gce(t, 1, 0, 2);
    Image(t, 2, 1, ImageData(2, Codes({{4, 3}, {1, 3}, {2, 3}, {5, 3}})));
    t.push_back(0x3B);
    Compare("shared colour", t);
}

TEST(GifAgainstGiflib, GiflibReadsOurEncoderBack)
{
    std::mt19937 rng(11);
    // Noise fills the string table several times over at every depth.
    for (int bits : {1, 4, 8}) {
        for (int flat = 0; flat < 2; ++flat) {
            const int w = 1001, h = 203;
            Bytes px(std::size_t(w) * h);
            for (auto& v : px) v = flat ? std::uint8_t((1u << bits) - 1) : std::uint8_t(rng() & ((1u << bits) - 1));
            EXPECT_EQ(GiflibIndices(EncodeBmp(IndexBmp(w, h, bits, px))), px) << bits << " bits, flat " << flat;
        }
    }
    // The last pixel completes code 4,094: emitted once, then clear and end.
    Bytes px(20000);
    for (auto& v : px) v = std::uint8_t(rng());
    const std::size_t n = PixelsToCode4094(px);
    ASSERT_GT(n, 0u);
    px.resize(n);
    EXPECT_EQ(GiflibIndices(EncodeBmp(IndexBmp(int(n), 1, 8, px))), px);
}
