#include "SUIImagePanel.h"

#include "SUIPublic.h"

TsuiCustomPanel::TsuiCustomPanel(TComponent* AOwner) : TCustomPanel(AOwner)
{
    SetBevelOuter(TPanelBevel::bvNone);
}

void TsuiCustomPanel::SetTransparent(bool value)
{
    transparent_ = value;
    if (!picture_.Empty()) picture_.SetTransparentColor(value ? clFuchsia : clNone);
    Invalidate();
}

void TsuiCustomPanel::SetCaptionPos(int x, int y)
{
    captionX_ = x;
    captionY_ = y;
    Invalidate();
}

void TsuiCustomPanel::SetPictureMode(uint8_t value)
{
    pictureMode_ = value;
    Invalidate();
}

void TsuiCustomPanel::SetAlignment(TPanelAlignment value)
{
    alignment_ = value;
    Invalidate();
}

void TsuiCustomPanel::SetText(const std::string& value)
{
    TCustomPanel::SetText(value);
    CaptionAreaChanged();
}

// Only a panel hosted in a plain parent window, not a parent control, fills
// its background here; ours always paint it in Paint.
void TsuiCustomPanel::FillBackground()
{
    if (Parent() || !HandleAllocated() || !GetParent(Handle())) return;
    TWindowDC dc(Handle());
    TCanvas c(dc.get());
    c.Brush().SetColor(Color());
    c.FillRect(ClientRect());
}

void TsuiCustomPanel::PictureChanged()
{
    if (!picture_.Empty()) {
        if (autoSize_) {
            const TAlign a = Align();
            const bool keepWidth = a == TAlign::alTop || a == TAlign::alBottom || a == TAlign::alClient;
            const bool keepHeight = a == TAlign::alLeft || a == TAlign::alRight || a == TAlign::alClient;
            SetBounds(Left(), Top(), keepWidth ? Width() : picture_.Width(), keepHeight ? Height() : picture_.Height());
        }
        const TColor key = transparent_ ? clFuchsia : clNone;
        if (picture_.TransparentColor() != key) picture_.SetTransparentColor(key);
    }
    FillBackground();
    Invalidate();
}

void TsuiCustomPanel::PaintPanel(TCanvas& canvas)
{
    const RECT client = ClientRect();
    if (transparent_) PaintParentBackground(canvas, *this);
    if (!picture_.Empty()) {
        switch (pictureMode_) {
        case 1: canvas.StretchDraw(client, picture_); break;
        case 2: TileDraw(canvas, picture_, client); break;
        default: canvas.Draw(0, 0, picture_); break;
        }
    } else if (!transparent_) {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(client);
    }
    if (IsBlankText(Caption())) return;
    canvas.Font().Assign(Font());
    if (captionX_ == -1 || captionY_ == -1) {
        const UINT align = alignment_ == TPanelAlignment::taLeftJustify    ? DT_LEFT
                           : alignment_ == TPanelAlignment::taRightJustify ? DT_RIGHT
                                                                           : DT_CENTER;
        canvas.TextRect(client, Caption(), DT_SINGLELINE | DT_VCENTER | align);
    } else {
        canvas.TextOut(captionX_, captionY_, Caption());
    }
}

void TsuiCustomPanel::Paint()
{
    TBufferDC buffer(Canvas().Handle(), ClientRect());
    PaintPanel(buffer.Canvas());
}

void TsuiCustomPanel::WndProc(TMessage& m)
{
    if (m.Msg == WM_SIZE) Invalidate();  // a resize repaints the whole panel
    TCustomPanel::WndProc(m);
}
