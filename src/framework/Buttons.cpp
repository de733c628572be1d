#include "Buttons.h"

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 23, 22); }

void TSpeedButton::GlyphChanged()
{
    if (!glyph_.Empty()) glyph_.SetTransparentColor(glyph_.Pixel(0, glyph_.Height() - 1));
    Invalidate();
}

void TSpeedButton::WndProc(TMessage& m)
{
    if (m.Msg == WM_CANCELMODE && pressed_) {  // the press ended without a release
        pressed_ = false;
        Invalidate();
    }
    TGraphicControl::WndProc(m);
    if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) Invalidate();
}

void TSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == TMouseButton::mbLeft) {
        pressed_ = true;
        Invalidate();
    }
    TGraphicControl::MouseDown(button, shift, x, y);
}

void TSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == TMouseButton::mbLeft && pressed_) {
        pressed_ = false;
        Invalidate();
    }
    TGraphicControl::MouseUp(button, shift, x, y);
}

void TSpeedButton::Paint()
{
    TCanvas& c = Canvas();
    RECT r = ClientRect();
    c.Brush().SetColor(Parent() ? Parent()->Color() : Color());
    c.FillRect(r);
    // Flat buttons show an edge only under the mouse, sunken while pressed.
    if (pressed_)
        DrawEdge(c.Handle(), &r, BDR_SUNKENOUTER, BF_RECT);
    else if (!flat_ || MouseInControl())
        DrawEdge(c.Handle(), &r, BDR_RAISEDINNER, BF_RECT);
    if (glyph_.Empty()) return;
    const int offset = pressed_ ? 1 : 0;
    const int x = (Width() - glyph_.Width()) / 2 + offset;
    const int y = (Height() - glyph_.Height()) / 2 + offset;
    c.Draw(x, y, glyph_);
}
