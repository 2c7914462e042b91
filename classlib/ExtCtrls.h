#pragma once
// The image control: a panel that shows one picture stretched to its size.
#include <memory>

#include "Components.h"
#include "Graphics.h"

namespace classlib {

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
