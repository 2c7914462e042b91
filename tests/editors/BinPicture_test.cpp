// The binary editor's picture page: pictures decoded from the edited bytes,
// the unknown-format text, saving by extension and loading a picture file.
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "EditorFixture.h"
#include "zrvString.h"

using namespace classlib;

class BinPictureTest : public EditorTest {
protected:
    void SetUp() override {
        const char* dir = std::getenv("TESSMOREL_PICTURES");
        if (!dir) GTEST_SKIP() << "TESSMOREL_PICTURES names no folder of test pictures";
        Dir = dir;
        for (char& c : Dir)
            if (c == '/') c = '\\';
        StartProgram();
        ::ShowWindow(frmBin->Handle, SW_SHOWNA);
        frmBin->FormShow(frmBin);
        Seams().OpenFileName = [this](OPENFILENAMEW& ofn) { return PickFile(ofn, ToWide(Chosen)); };
        Seams().SaveFileName = Seams().OpenFileName;
    }
    std::string Path(const std::string& name) const { return Dir + "\\" + name; }
    // Shows the bytes on the picture page; the picture's size, or 0 x 0.
    std::pair<int, int> View(const std::string& bytes) {
        frmBin->SetHexColumnText(BytesToHex(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
        frmBin->tbstMainChange(nullptr);
        EXPECT_EQ(frmBin->ntbkMain.PageIndex(), 1);
        TGraphic* shown = frmBin->imgMain.Picture();
        const std::pair<int, int> size = shown ? std::make_pair(shown->GetWidth(), shown->GetHeight()) : std::make_pair(0, 0);
        EXPECT_EQ(frmBin->lblInfo.Caption(), shown ? "" : "Unknow Image format!");
        frmBin->tbstMainChange(nullptr);  // back to the hex page
        EXPECT_EQ(frmBin->ntbkMain.PageIndex(), 0);
        return size;
    }
    std::string Dir, Chosen;
};

TEST_F(BinPictureTest, EveryKindShowsFromTheBytesAndAnythingElseShowsTheUnknownText) {
    const std::pair<int, int> picture{40, 30}, none{0, 0};
    for (const char* name : {"v5.bmp", "v3.bmp", "rle8.bmp", "colour.jpg", "grey.jpg", "pic.gif"})
        EXPECT_EQ(View(ReadFile(Path(name))), picture) << name;
    std::string gif = ReadFile(Path("pic.gif"));
    gif[0] = 'g', gif[1] = 'i', gif[2] = 'f';
    const std::string jpeg = ReadFile(Path("colour.jpg"));
    for (const std::string& bytes : {std::string(), std::string("BM"), gif, jpeg.substr(0, 9)})
        EXPECT_EQ(View(bytes), none) << bytes.substr(0, 3);
    EXPECT_EQ(View(jpeg.substr(0, jpeg.size() - 40)), picture);  // cut inside its scan: what decoded
    EXPECT_TRUE(Boxes.Boxes.empty());
}

TEST_F(BinPictureTest, SavingGoesByTheExtensionAndNeedsAPicture) {
    const std::string gif = ReadFile(Path("pic.gif"));
    frmBin->SetHexColumnText(BytesToHex(std::vector<std::uint8_t>(gif.begin(), gif.end())));
    frmBin->tbstMainChange(nullptr);
    ASSERT_NE(frmBin->imgMain.Picture(), nullptr);
    for (const char* name : {"saved.gif", "saved.jpg", "saved.jpeg", "saved.bmp"}) {
        Chosen = Path(name);
        ::DeleteFileA(Chosen.c_str());
        Click(frmBin->btnImageSave);
        EXPECT_NE(ReadFile(Chosen), "") << name;
    }
    EXPECT_TRUE(Boxes.Boxes.empty());
    // A read-only target stays as it was.
    Chosen = Path("readonly.bmp");
    WriteFile(Chosen, "old");
    FilesToRemove.push_back(Chosen);
    ::SetFileAttributesA(Chosen.c_str(), FILE_ATTRIBUTE_READONLY);
    Click(frmBin->btnImageSave);
    ::SetFileAttributesA(Chosen.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFile(Chosen), "old");
    // No picture shown: an error and no file.
    frmBin->tbstMainChange(nullptr);
    View("not a picture");
    frmBin->tbstMainChange(nullptr);
    Chosen = Path("nothing.bmp");
    ::DeleteFileA(Chosen.c_str());
    Click(frmBin->btnImageSave);
    EXPECT_EQ(::GetFileAttributesA(Chosen.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(Boxes.Boxes.size(), 2u);  // the read-only target and no picture
    for (const auto& box : Boxes.Boxes) EXPECT_EQ(box.Text, "Save picturen fialed");
}

TEST_F(BinPictureTest, LoadingAPictureFileReplacesTheBytesAndReportsAMismatch) {
    frmBin->tbstMainChange(nullptr);
    Chosen = Path("colour.jpg");
    Click(frmBin->btnImageLoad);
    const std::string jpeg = ReadFile(Chosen);
    EXPECT_EQ(frmBin->Model().Bytes(), std::vector<std::uint8_t>(jpeg.begin(), jpeg.end()));
    ASSERT_NE(frmBin->imgMain.Picture(), nullptr);
    EXPECT_TRUE(Boxes.Boxes.empty());
    // A .jpg that holds a GIF: the bytes are loaded, the picture is refused with a box.
    Chosen = Path("gif-inside.jpg");
    FilesToRemove.push_back(Chosen);
    const std::string gif = ReadFile(Path("pic.gif"));
    WriteFile(Chosen, gif);
    Click(frmBin->btnImageLoad);
    EXPECT_EQ(frmBin->Model().Bytes(), std::vector<std::uint8_t>(gif.begin(), gif.end()));
    EXPECT_EQ(frmBin->imgMain.Picture(), nullptr);
    EXPECT_EQ(Boxes.Boxes.size(), 1u);
}

TEST_F(BinPictureTest, AGifWithoutAnImageShowsTheUnknownTextAndSaveLeavesTheFile) {
    // Cut after its colour table: a screen, colours, no image.
    const std::string gif = ReadFile(Path("pic.gif"));
    const auto flags = static_cast<unsigned char>(gif[10]);
    EXPECT_EQ(View(gif.substr(0, 13 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0u))), std::make_pair(0, 0));
    frmBin->tbstMainChange(nullptr);
    const std::string bitmap = ReadFile(Path("v3.bmp"));
    for (const char* name : {"kept.bmp", "kept.gif", "kept.jpg"}) {
        Chosen = Path(name);
        WriteFile(Chosen, bitmap);
        FilesToRemove.push_back(Chosen);
        Click(frmBin->btnImageSave);
        EXPECT_TRUE(ReadFile(Chosen) == bitmap) << name << " was written over";
    }
    ASSERT_EQ(Boxes.Boxes.size(), 3u);
    for (const auto& box : Boxes.Boxes) EXPECT_EQ(box.Text, "Save picturen fialed");
}

TEST_F(BinPictureTest, ThePictureDialogsOfferPicturesAndTheOpenOnePreviewsWithOurReaders) {
    std::vector<std::pair<std::string, bool>> shown;  // the filter's patterns, and whether a preview hooks in
    Seams().OpenFileName = Seams().SaveFileName = [&](OPENFILENAMEW& ofn) {
        std::string patterns;
        for (const wchar_t* p = ofn.lpstrFilter; *p; p += std::wcslen(p) + 1) {
            p += std::wcslen(p) + 1;  // past the description
            patterns += ToAnsi(p) + "|";
        }
        shown.emplace_back(patterns, (ofn.Flags & OFN_ENABLEHOOK) != 0);
        return false;
    };
    Click(frmBin->btnImageLoad);
    Click(frmBin->btnImageSave);
    ASSERT_EQ(shown.size(), 2u);
    for (const auto& [p, hooked] : shown) {
        EXPECT_EQ(p.find("*.gif;*.jpg;*.jpeg;*.bmp|"), 0u) << p;
        for (const char* one : {"|*.bmp|", "|*.gif|", "|*.jpg|", "|*.jpeg|"}) EXPECT_NE(p.find(one), std::string::npos) << p;
    }
    EXPECT_TRUE(shown[0].second);
    EXPECT_FALSE(shown[1].second);

    TOpenPictureDialog& dialog = frmBin->opnpicdlgMain;
    for (const char* name : {"pic.gif", "colour.jpg", "v3.bmp"}) {
        ASSERT_TRUE(dialog.PreviewFile(ToWide(Path(name)))) << name;
        EXPECT_EQ(dialog.PreviewPicture() ? dialog.PreviewPicture()->GetWidth() : 0, 40) << name;
    }
    // Nothing for a folder, a missing file, damage or a picture under the wrong extension.
    const std::string wrong = Path("preview-gif.jpg"), damaged = Path("preview-damaged.bmp");
    FilesToRemove = {wrong, damaged};
    WriteFile(wrong, ReadFile(Path("pic.gif")));
    WriteFile(damaged, ReadFile(Path("v3.bmp")).substr(0, 30));
    for (const std::string& name : {Dir, Path("missing.bmp"), wrong, damaged}) {
        EXPECT_FALSE(dialog.PreviewFile(ToWide(name))) << name;
        EXPECT_EQ(dialog.PreviewPicture(), nullptr);
    }
    EXPECT_TRUE(Boxes.Boxes.empty());
}
