#pragma once
// The skin library's base panel: a flicker-free container painted off screen
// that can show its parent's background through itself, carry a picture drawn
// at the origin, stretched or tiled, and a one-line text.
#include "ExtCtrls.h"

#include <memory>

enum class TPanelAlignment { taLeftJustify, taRightJustify, taCenter };

class TsuiCustomPanel : public TCustomPanel {
public:
    explicit TsuiCustomPanel(TComponent* AOwner);
    const char* ClassName() const override { return "TsuiCustomPanel"; }

    // The picture; after changing it, call PictureChanged (what a picture's
    // change notification does).
    TBitmap& Picture() { return picture_; }
    bool Transparent() const { return transparent_; }
    virtual void SetTransparent(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value) { autoSize_ = value; }
    // -1 in either places the text by Alignment.
    void SetCaptionPos(int x, int y);
    // 0 at the origin, 1 stretched over the client area, 2 tiled.
    uint8_t PictureMode() const { return pictureMode_; }
    void SetPictureMode(uint8_t value);
    TPanelAlignment Alignment() const { return alignment_; }
    void SetAlignment(TPanelAlignment value);
    void SetText(const std::string& value) override;

    virtual void FillBackground();
    virtual void CaptionAreaChanged() {}
    virtual void PictureChanged();
    void WndProc(TMessage& m) override;

protected:
    void Paint() override;
    // Composes the panel (background, picture, text) onto a canvas.
    void PaintPanel(TCanvas& canvas);

private:
    TBitmap picture_;
    bool transparent_ = false;
    bool autoSize_ = false;
    int captionX_ = -1, captionY_ = -1;
    uint8_t pictureMode_ = 0;
    TPanelAlignment alignment_ = TPanelAlignment::taCenter;
};
