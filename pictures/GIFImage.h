#pragma once
// The GIF picture class: an image of frames, one drawn at a time, decoded
// when its bitmap is first needed. Registered for the extension "gif" and
// the clipboard format "GIF Image".
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "GifCore.h"
#include "Graphics.h"

class TGIFImage;

// Damaged data marks a frame corrupt instead of failing.
extern bool GIFTolerateCorrupt;
// Reduction method for frames of more than 8 bits that are not grey.
extern int ColorReduction;
// The registered "GIF Image" clipboard format.
extern UINT GIFClipboardFormat;

class TGIFFrame : public classlib::TObject {
public:
    explicit TGIFFrame(TGIFImage* owner);
    ~TGIFFrame() override;
    TGIFFrame(const TGIFFrame&) = delete;
    TGIFFrame& operator=(const TGIFFrame&) = delete;

    TGIFImage* OwnerImage;
    std::unique_ptr<classlib::TBitmap> CachedBitmap;
    gifcore::GifFrameData Data;

    // The frame's bitmap, decoded on first use; stays a DIB section.
    classlib::TBitmap* GetBitmap();
    int PixelWidth() const;
    int PixelHeight() const;
    void FreshBitmap();
    void FreshItem();
    gifcore::Lines* CommentList(bool create) { return Data.CommentList(create); }
    void ReplaceComment(const gifcore::Lines& lines);
    void DrawInto(HDC dc, const RECT& rect, bool transparent);

    void Assign(const TGIFFrame* source);
    // None, a TGIFImage, or any other graphic.
    void AssignGraphic(const classlib::TGraphic* source);
    bool AssignTo(classlib::TGraphic* dest);
    void EncodeBitmap();

private:
    void Recompute();
    HBITMAP FMask = nullptr;  // white where the decoded index is the transparent one
    int FMaskIndex = -1;
};

class TGIFImage : public classlib::TGraphic {
public:
    TGIFImage();
    ~TGIFImage() override;
    const char* ClassName() const override { return "TGIFImage"; }

    void Assign(const classlib::TGraphic* source) override;
    void AssignFrame(const TGIFFrame* frame);
    bool AssignTo(classlib::TGraphic* dest) const override;
    void Draw(HDC dc, const RECT& rect) override;
    bool Equals(const classlib::TGraphic* other) const override;
    bool GetEmpty() const override;
    int GetWidth() const override;
    int GetHeight() const override;
    HPALETTE GetPalette() const override;
    bool GetTransparent() const override;
    void SetWidth(int) override;
    void SetHeight(int) override;
    void WriteData(classlib::TBytes& out) override;
    void LoadFromStream(const std::uint8_t* data, std::size_t size) override;
    void SaveToStream(classlib::TBytes& out) override;
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

    int AddFrame(const classlib::TGraphic* graphic);
    int FrameCount() const { return int(Frames.size()); }
    TGIFFrame* FrameAt(int index) const;
    classlib::TBitmap* CurrentBitmap();
    void Reset();
    void ClearFrames() { Frames.clear(); }
    void RecomputeScreen();
    void EncodeFrames();
    void ReadGIFStream(const std::uint8_t* data, std::size_t count, bool decodeFirst);
    classlib::TBytes WriteGIFStream(bool lengthPrefix);
    void ReportProgress(int stage, int percent, const std::string& message) { Progress(stage, percent, message); }

    gifcore::GifScreen Screen;  // shared screen data, version, logical size, loop
    std::vector<std::unique_ptr<TGIFFrame>> Frames;
    int ActiveFrame = -1;
};
