#pragma once
// The speed button: a windowless picture button. Being windowless matters: the
// window under the cursor over it is its parent's, so a toolbar made of them
// stays one window for WindowFromPoint.
#include "Controls.h"

class TSpeedButton : public TGraphicControl {
public:
    explicit TSpeedButton(TComponent* AOwner);
    const char* ClassName() const override { return "TSpeedButton"; }

    // The picture; its bottom-left pixel is the transparent colour.
    TBitmap& Glyph() { return glyph_; }
    void GlyphChanged();
    bool Flat() const { return flat_; }
    void SetFlat(bool v) { flat_ = v; Invalidate(); }
    bool Pressed() const { return pressed_; }

    void WndProc(TMessage& m) override;

protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    TBitmap glyph_;
    bool flat_ = false;
    bool pressed_ = false;
};
