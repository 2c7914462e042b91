#include "GIFImage.h"

#include "ColorDepth.h"
#include "MaskedDraw.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace classlib;
using gifcore::GifError;

bool GIFTolerateCorrupt = true;
int ColorReduction = 0;
UINT GIFClipboardFormat = 0;

namespace {

// Runs picture code, turning its errors into the class library's.
template <class F>
auto Guarded(F f) -> decltype(f()) {
    try {
        return f();
    } catch (const GifError& e) {
        throw EInvalidGraphicOperation(e.what());
    }
}

[[noreturn]] void Raise(int code) { throw EInvalidGraphicOperation(gifcore::GifMessageText(code)); }

int Clamp16(long long v) { return int(std::clamp<long long>(v, 0, 65535)); }

// Registration at start-up, removal at the end.
struct GifRegistration {
    GifRegistration() {
        GIFClipboardFormat = ::RegisterClipboardFormatA("GIF Image");
        auto make = [] { return std::unique_ptr<TGraphic>(new TGIFImage); };
        RegisterFileFormat("gif", gifcore::GifMessageText(gifcore::msgDescription), "TGIFImage", make);
        RegisterClipboardFormat(GIFClipboardFormat, "TGIFImage", make);
    }
    ~GifRegistration() { UnregisterGraphicClass("TGIFImage"); }
} registration;

}  // namespace

// ---- TGIFFrame -----------------------------------------------------------------

TGIFFrame::TGIFFrame(TGIFImage* owner) : OwnerImage(owner) {}

TGIFFrame::~TGIFFrame() {
    if (FMask) ::DeleteObject(FMask);
}

void TGIFFrame::FreshBitmap() {
    CachedBitmap = std::make_unique<TBitmap>();
    if (FMask) ::DeleteObject(FMask);
    FMask = nullptr;
    FMaskIndex = -1;
}

void TGIFFrame::FreshItem() { Data.FreshItem(); }

TBitmap* TGIFFrame::GetBitmap() {
    if (CachedBitmap && !CachedBitmap->GetEmpty()) return CachedBitmap.get();
    FreshBitmap();
    if (!Data.FrameItem->PackedData) return CachedBitmap.get();
    gifcore::ProgressFn progress;
    if (OwnerImage)
        progress = [this](int stage, int percent, const std::string& message) {
            OwnerImage->ReportProgress(stage, percent, message);
        };
    const TBytes bmp =
        Guarded([&] { return gifcore::BuildDIBStream(Data, GIFTolerateCorrupt, gifcore::kMaxFramePixels, &progress); });
    if (!bmp.empty()) CachedBitmap->LoadFromStream(bmp.data(), bmp.size());
    return CachedBitmap.get();
}

// Undecoded frames count by their stored size; nothing is decoded here.
int TGIFFrame::PixelWidth() const {
    if (CachedBitmap && !CachedBitmap->GetEmpty()) return CachedBitmap->GetWidth();
    return Data.FrameItem->PackedData ? Data.FrameItem->ItemWidth : 0;
}

int TGIFFrame::PixelHeight() const {
    if (CachedBitmap && !CachedBitmap->GetEmpty()) return CachedBitmap->GetHeight();
    return Data.FrameItem->PackedData ? Data.FrameItem->ItemHeight : 0;
}

void TGIFFrame::ReplaceComment(const gifcore::Lines& lines) { *CommentList(true) = lines; }

void TGIFFrame::DrawInto(HDC dc, const RECT& rect, bool transparent) {
    TBitmap* bitmap = GetBitmap();
    if (bitmap->GetEmpty()) return;
    if (Data.KeyColor != clNone && transparent) {
        // Frames with decoded indices are masked by index, not by colour.
        const int index = Data.FrameItem->PackedData ? Data.MaskIndex() : -1;
        if (index != FMaskIndex) {
            if (FMask) ::DeleteObject(FMask);
            FMask = IndexMask(*bitmap, index);
            FMaskIndex = index;
        }
        const RECT source{0, 0, bitmap->GetWidth(), bitmap->GetHeight()};
        DrawBitmapRectMasked(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, source, *bitmap,
                             Data.KeyColor, FMask);
    } else {
        bitmap->Draw(dc, rect);
    }
}

void TGIFFrame::Recompute() {
    if (OwnerImage) OwnerImage->RecomputeScreen();
}

void TGIFFrame::Assign(const TGIFFrame* source) {
    if (source == this) return;
    if (!source) {
        AssignGraphic(nullptr);
        return;
    }
    Data.FrameItem = source->Data.FrameItem;
    Data.HasLocalTable = source->OwnerImage == OwnerImage ? source->Data.HasLocalTable : true;
    Data.OriginX = source->Data.OriginX;
    Data.OriginY = source->Data.OriginY;
    Data.InterlaceFlag = source->Data.InterlaceFlag;
    if (source->CachedBitmap) {
        FreshBitmap();
        CachedBitmap->Assign(source->CachedBitmap.get());
    }
    Data.KeyColor = source->Data.KeyColor;
    Data.TransparentIndex = source->Data.TransparentIndex;
    Data.DelayMs = source->Data.DelayMs;
    Data.DisposalCode = source->Data.DisposalCode;
    Data.GreyFlag = source->Data.GreyFlag;
    Data.CorruptMark = source->Data.CorruptMark;
    const gifcore::Lines* comment = const_cast<TGIFFrame*>(source)->CommentList(false);
    if (comment && !comment->empty()) ReplaceComment(*comment);
    Recompute();
}

void TGIFFrame::AssignGraphic(const TGraphic* source) {
    if (auto* image = dynamic_cast<const TGIFImage*>(source)) {
        if (image->Frames.empty()) {
            source = nullptr;
        } else {
            Assign(image->FrameAt(std::max(image->ActiveFrame, 0)));
            return;
        }
    }
    if (!source || source->GetEmpty()) {
        FreshItem();
        CachedBitmap.reset();
        Recompute();
        return;
    }
    FreshItem();
    FreshBitmap();
    const auto* sourceBitmap = dynamic_cast<const TBitmap*>(source);
    try {
        CachedBitmap->Assign(source);
        if (sourceBitmap) CachedBitmap->SetMonochrome(sourceBitmap->Monochrome());
    } catch (const Exception&) {
        // Drawn by hand instead.
        FreshBitmap();
        CachedBitmap->BrushColor = 0xFF00FF;
        CachedBitmap->SetSize(source->GetWidth(), source->GetHeight());
        const RECT r{0, 0, source->GetWidth(), source->GetHeight()};
        const_cast<TGraphic*>(source)->Draw(CachedBitmap->Canvas(), r);
    }
    if (source->GetTransparent()) {
        if (sourceBitmap) {
            std::uint32_t key = sourceBitmap->TransparentColor;
            if (key == clDefault)
                key = ::GetPixel(CachedBitmap->Canvas(), 0, CachedBitmap->GetHeight() - 1);
            Data.KeyColor = key == clNone ? clNone : ColorToRGB(key);
        } else {
            Data.KeyColor = ::GetNearestColor(CachedBitmap->Canvas(), ColorToRGB(CachedBitmap->BrushColor));
        }
    }
    Recompute();
}

bool TGIFFrame::AssignTo(TGraphic* dest) {
    if (auto* image = dynamic_cast<TGIFImage*>(dest)) {
        image->AssignFrame(this);
        return true;
    }
    if (!dest) return false;
    dest->Assign(GetBitmap());
    if (auto* bitmap = dynamic_cast<TBitmap*>(dest); bitmap && Data.KeyColor != clNone) {
        bitmap->TransparentColor = ::GetNearestColor(bitmap->Canvas(), ColorToRGB(Data.KeyColor));
        bitmap->SetTransparent(true);
    }
    return true;
}

void TGIFFrame::EncodeBitmap() {
    if (!CachedBitmap || CachedBitmap->GetEmpty()) Raise(gifcore::msgNoData);
    TBytes bmp;
    const TPixelFormat format = CachedBitmap->PixelFormat();
    if (format == TPixelFormat::pf1bit || format == TPixelFormat::pf4bit || format == TPixelFormat::pf8bit) {
        bmp = CachedBitmap->SaveToBMP();
    } else {
        const int method = Data.GreyFlag ? 5 : ColorReduction;
        bmp = ConvertBitmapDepth(*CachedBitmap, TPixelFormat::pf8bit, method);
        if (method == 5) Data.GreyFlag = true;
    }
    gifcore::ProgressFn progress;
    if (OwnerImage)
        progress = [this](int stage, int percent, const std::string& message) {
            OwnerImage->ReportProgress(stage, percent, message);
        };
    try {
        Guarded([&] { gifcore::EncodeDIBStream(Data, OwnerImage->Screen, bmp.data(), bmp.size(), &progress); });
    } catch (const EAbort&) {
        FreshItem();
        throw;
    }
}

// ---- TGIFImage -----------------------------------------------------------------

TGIFImage::TGIFImage() {
    Reset();
    SetTransparent(true);
}

TGIFImage::~TGIFImage() { OnChange = nullptr; }

void TGIFImage::Reset() {
    Screen.Reset();
    ClearFrames();
    ActiveFrame = -1;
}

TGIFFrame* TGIFImage::FrameAt(int index) const {
    if (index < 0 || index >= FrameCount())
        throw EInvalidOperation("List index out of bounds (" + std::to_string(index) + ")");
    return Frames[std::size_t(index)].get();
}

void TGIFImage::Assign(const TGraphic* source) {
    if (source == this) return;
    if (!source) {
        Reset();
        Changed();
        return;
    }
    if (auto* image = dynamic_cast<const TGIFImage*>(source)) {
        Screen = image->Screen;  // shares the screen data
        ClearFrames();
        for (const auto& f : image->Frames) {
            auto frame = std::make_unique<TGIFFrame>(this);
            frame->Assign(f.get());
            frame->Data.HasLocalTable = f->Data.HasLocalTable;
            Frames.push_back(std::move(frame));
        }
        Screen.LogicalWidth = image->Screen.LogicalWidth;
        Screen.LogicalHeight = image->Screen.LogicalHeight;
        ActiveFrame = image->ActiveFrame;
        Changed();
        return;
    }
    if (dynamic_cast<const TBitmap*>(source)) {
        Reset();
        AddFrame(source);
        Changed();
        return;
    }
    TGraphic::Assign(source);
}

void TGIFImage::AssignFrame(const TGIFFrame* frame) {
    Reset();
    if (frame->OwnerImage) {
        const gifcore::TGIFData& from = *frame->OwnerImage->Screen.GlobalData;
        gifcore::TGIFData& to = *Screen.GlobalData;
        to.AspectByte = from.AspectByte;
        to.PixelBits = from.PixelBits;
        to.ColorResolution = from.ColorResolution;
        to.GlobalTable = from.GlobalTable;
    }
    Frames.push_back(std::make_unique<TGIFFrame>(this));
    ActiveFrame = FrameCount() - 1;
    Frames.back()->Assign(frame);
    if (Screen.GifVersion == 0) Screen.GifVersion = 1;
    Changed();
}

int TGIFImage::AddFrame(const TGraphic* graphic) {
    Frames.push_back(std::make_unique<TGIFFrame>(this));
    ActiveFrame = FrameCount() - 1;
    const int index = ActiveFrame;
    Frames.back()->AssignGraphic(graphic);
    if (Screen.GifVersion == 0) Screen.GifVersion = 1;
    if (FrameCount() > 1) Screen.GifVersion = 2;
    return index;
}

bool TGIFImage::AssignTo(TGraphic* dest) const {
    if (auto* image = dynamic_cast<TGIFImage*>(dest)) {
        image->Assign(this);
        return true;
    }
    if (!dest) return false;
    auto* self = const_cast<TGIFImage*>(this);
    if (GetEmpty()) dest->Assign(nullptr);
    else if (ActiveFrame < 0 || ActiveFrame >= FrameCount()) dest->Assign(self->CurrentBitmap());
    else return Frames[std::size_t(ActiveFrame)]->AssignTo(dest);
    return true;
}

TBitmap* TGIFImage::CurrentBitmap() {
    if (!Frames.empty()) {
        const int i = ActiveFrame < 0 || ActiveFrame >= FrameCount() ? 0 : ActiveFrame;
        return Frames[std::size_t(i)]->GetBitmap();
    }
    ActiveFrame = 0;
    TBitmap empty;
    Assign(&empty);
    return Frames.front()->GetBitmap();
}

bool TGIFImage::GetEmpty() const {
    if (Frames.empty()) return true;
    const int i = std::max(ActiveFrame, 0);
    if (i >= FrameCount()) return true;
    const TGIFFrame& f = *Frames[std::size_t(i)];
    if (f.CachedBitmap) return false;
    return !f.Data.FrameItem->PackedData || f.Data.FrameItem->PackedData->empty();
}

int TGIFImage::GetWidth() const {
    if (GetEmpty() || ActiveFrame < 0 || ActiveFrame >= FrameCount()) return 0;
    return Frames[std::size_t(ActiveFrame)]->GetBitmap()->GetWidth();
}

int TGIFImage::GetHeight() const {
    if (GetEmpty() || ActiveFrame < 0 || ActiveFrame >= FrameCount()) return 0;
    return Frames[std::size_t(ActiveFrame)]->GetBitmap()->GetHeight();
}

HPALETTE TGIFImage::GetPalette() const {
    if (Frames.empty()) return nullptr;
    return const_cast<TGIFImage*>(this)->CurrentBitmap()->GetPalette();
}

bool TGIFImage::GetTransparent() const {
    if (!TGraphic::GetTransparent()) return false;
    return std::any_of(Frames.begin(), Frames.end(), [](const auto& f) { return f->Data.KeyColor != clNone; });
}

void TGIFImage::SetWidth(int) { Raise(gifcore::msgSizeChange); }
void TGIFImage::SetHeight(int) { Raise(gifcore::msgSizeChange); }

bool TGIFImage::Equals(const TGraphic* other) const {
    auto* image = dynamic_cast<const TGIFImage*>(other);
    return image && image->Screen.GlobalData.get() == Screen.GlobalData.get();
}

void TGIFImage::Draw(HDC dc, const RECT& rect) {
    if (ActiveFrame < 0 || ActiveFrame >= FrameCount()) return;
    try {
        Frames[std::size_t(ActiveFrame)]->DrawInto(dc, rect, GetTransparent());
    } catch (const EInvalidGraphicOperation&) {
        // A frame that cannot be decoded draws nothing,
    } catch (const std::bad_alloc&) {
        // nor one whose pixels find no memory; the next paint tries again.
    }
}

void TGIFImage::RecomputeScreen() {
    long long w = 0, h = 0;
    for (const auto& f : Frames) {
        w = std::max<long long>(w, (long long)f->PixelWidth() + f->Data.OriginX);
        h = std::max<long long>(h, (long long)f->PixelHeight() + f->Data.OriginY);
    }
    Screen.LogicalWidth = std::uint16_t(Clamp16(w));
    Screen.LogicalHeight = std::uint16_t(Clamp16(h));
}

void TGIFImage::EncodeFrames() {
    for (const auto& f : Frames) {
        gifcore::TGIFItem& item = *f->Data.FrameItem;
        if (!item.PackedData || item.PackedData->empty()) {
            item.PackedData.reset();
            f->EncodeBitmap();
        }
        gifcore::UpdateExtensions(f->Data, Screen);
    }
}

TBytes TGIFImage::WriteGIFStream(bool lengthPrefix) {
    if (Frames.empty()) Raise(gifcore::msgNoData);
    EncodeFrames();
    RecomputeScreen();
    std::vector<gifcore::GifFrameData*> list;
    for (const auto& f : Frames) list.push_back(&f->Data);
    return Guarded([&] { return gifcore::WriteGIFStream(Screen, list, lengthPrefix); });
}

void TGIFImage::SaveToStream(TBytes& out) {
    const TBytes gif = WriteGIFStream(false);
    out.insert(out.end(), gif.begin(), gif.end());
}

void TGIFImage::WriteData(TBytes& out) {
    const TBytes gif = WriteGIFStream(true);
    out.insert(out.end(), gif.begin(), gif.end());
}

void TGIFImage::LoadFromStream(const std::uint8_t* data, std::size_t size) { ReadGIFStream(data, size, true); }

void TGIFImage::ReadGIFStream(const std::uint8_t* data, std::size_t count, bool decodeFirst) {
    Reset();
    std::vector<gifcore::GifFrameData> read;
    auto adopt = [&] {
        for (auto& d : read) {
            Frames.push_back(std::make_unique<TGIFFrame>(this));
            Frames.back()->Data = std::move(d);
        }
    };
    try {
        gifcore::ReadGIFStream(data, count, Screen, read, GIFTolerateCorrupt);
    } catch (const GifError& e) {
        adopt();
        throw EInvalidGraphicOperation(e.what());
    }
    adopt();
    if (!Frames.empty()) {
        ActiveFrame = 0;
        if (decodeFirst) {
            try {
                CurrentBitmap();
            } catch (...) {
                Frames.erase(Frames.begin());
                throw;
            }
        }
    }
    PaletteModified = true;
    Changed();
}

void TGIFImage::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) {
    const bool opened = ::OpenClipboard(nullptr) != FALSE;
    struct Closer {
        bool open;
        ~Closer() { if (open) ::CloseClipboard(); }
    } closer{opened};
    HANDLE gif = ::GetClipboardData(GIFClipboardFormat);
    if (!gif) {
        TBitmap bitmap;
        bitmap.LoadFromClipboardFormat(format, data, palette);
        Assign(&bitmap);
        return;
    }
    const std::size_t size = ::GlobalSize(gif);
    const auto* p = static_cast<const std::uint8_t*>(::GlobalLock(gif));
    if (!p) throw EInvalidGraphicOperation("Stream read error");
    TBytes copy(p, p + size);
    ::GlobalUnlock(gif);
    if (copy.size() < 4) throw EInvalidGraphicOperation("Stream read error");
    const std::uint32_t n = copy[0] | (copy[1] << 8) | (copy[2] << 16) | (std::uint32_t(copy[3]) << 24);
    if (n > copy.size() - 4) throw EInvalidGraphicOperation("Stream read error");
    ReadGIFStream(copy.data() + 4, n, false);
    if (!Frames.empty()) {
        ActiveFrame = 0;
        if (HANDLE bitmap = ::GetClipboardData(CF_BITMAP)) {
            Frames[0]->FreshBitmap();
            Frames[0]->CachedBitmap->LoadFromClipboardFormat(CF_BITMAP, bitmap, palette);
        }
    }
}

void TGIFImage::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
    format = 0;
    data = nullptr;
    palette = nullptr;
    if (Frames.empty()) return;
    Frames[0]->GetBitmap()->SaveToClipboardFormat(format, data, palette);
    for (const auto& f : Frames)
        if (!f->Data.FrameItem->PackedData || f->Data.FrameItem->PackedData->empty()) return;
    const TBytes gif = WriteGIFStream(true);
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, gif.size());
    if (!block) return;
    void* p = ::GlobalLock(block);
    if (!p) {
        ::GlobalFree(block);
        return;
    }
    std::memcpy(p, gif.data(), gif.size());
    ::GlobalUnlock(block);
    if (!::SetClipboardData(GIFClipboardFormat, block)) {
        ::GlobalFree(block);
        throw EInvalidGraphicOperation("Cannot open clipboard");
    }
}
