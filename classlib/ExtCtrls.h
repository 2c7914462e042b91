#pragma once
// Progress bars, pictures, group boxes and speed buttons.
#include "Components.h"

namespace classlib {

class TProgressBar : public TControl {
public:
    void SetRange(int min, int max);
    int Position() const;
    void SetPosition(int position);
};

// A static control that shows a bitmap; it owns the bitmap it shows.
class TImage : public TControl {
public:
    ~TImage() override;
    // Shows a bitmap resource of the program.
    void LoadBitmap(HINSTANCE instance, int bitmapId);
    // Shows a copy of another image's bitmap.
    void Assign(const TImage& source);
    HBITMAP Bitmap() const { return FBitmap; }

private:
    void SetBitmap(HBITMAP bitmap);
    HBITMAP FBitmap = nullptr;
};

class TGroupBox : public TControl {};

// A small button beside an edit that acts at once (no default-button role).
class TSpeedButton : public TButton {};

}  // namespace classlib
