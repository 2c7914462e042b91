#pragma once
// Progress bars, pictures, group boxes and speed buttons.
#include <memory>

#include "Components.h"
#include "Graphics.h"

namespace classlib {

class TProgressBar : public TControl {
public:
    void SetRange(int min, int max);
    int Position() const;
    void SetPosition(int position);
};

// A static control that shows a bitmap; it owns the bitmap it shows.
class TStaticImage : public TControl {
public:
    ~TStaticImage() override;
    // Shows a bitmap resource of the program.
    void LoadBitmap(HINSTANCE instance, int bitmapId);
    // Shows a copy of another image's bitmap.
    void Assign(const TStaticImage& source);
    HBITMAP Bitmap() const { return FBitmap; }

private:
    void SetBitmap(HBITMAP bitmap);
    HBITMAP FBitmap = nullptr;
};

class TGroupBox : public TControl {};

// A small button beside an edit that acts at once (no default-button role).
class TSpeedButton : public TButton {};

// The image control: a panel that shows one picture stretched to its size.
class TImage : public TPanel {
public:
    // The picture shown; none shows the bare background.
    TGraphic* Picture() const { return FPicture.get(); }
    void SetPicture(std::unique_ptr<TGraphic> picture);
    bool Stretch = true;
    bool HandleWindowMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::unique_ptr<TGraphic> FPicture;
};

}  // namespace classlib
