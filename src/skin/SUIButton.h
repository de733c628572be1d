#pragma once
// The skinned push button and check box. Both paint themselves completely off
// screen at every paint, from the style's picture strip cut afresh each time:
// only the decoded resource pictures (LoadSkinPicture) and the bitmaps' memory
// (TBitmap) are kept between paints.
#include "Controls.h"
#include "Forms.h"
#include "SUIPublic.h"

// A dialog push button drawn from the three-frame ButtonImage strip (normal,
// mouse on, pressed; the normal frame also serves for disabled). It tracks the
// mouse and the keyboard focus, repeats OnMouseContinuouslyDown while held,
// and answers Space, Enter, its accelerator and, as Default or Cancel, the
// form's Enter and Escape.
class TsuiCustomButton : public TsuiSkinned<TCustomControl> {
public:
    explicit TsuiCustomButton(TComponent* AOwner);
    ~TsuiCustomButton() override;
    const char* ClassName() const override { return "TsuiCustomButton"; }

    void SetUIStyle(TsuiUIStyle value) override;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value) { cancel_ = value; }
    bool Default() const { return default_; }
    void SetDefault(bool value);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult value) { modalResult_ = value; }
    int FocusedRectMargin() const { return focusedRectMargin_; }
    void SetFocusedRectMargin(int value);
    int MouseContinuouslyDownInterval() const { return repeatInterval_; }
    void SetMouseContinuouslyDownInterval(int value) { repeatInterval_ = value; }
    unsigned ResHandle() const { return 0; }
    void SetResHandle(unsigned) {}
    void SetEnabled(bool value) override;

    // Whether the button is held down, and whether the cursor is over it.
    bool Pressed() const { return pressed_; }
    bool MouseIn() const { return mouseIn_; }

    void Click() override;
    void WndProc(TMessage& m) override;

    TNotifyEvent OnMouseExit;
    TNotifyEvent OnMouseContinuouslyDown;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;

    virtual void ApplyAutoSize();
    virtual void CaptionChanged() {}
    virtual void FontChanged();
    virtual void TransparentChanged();
    virtual void EnabledChanged() {}
    virtual void UIStyleChanged() {}
    virtual void PaintPicture(TCanvas& canvas, TBitmap& state);
    virtual void PaintCaption(TCanvas& canvas, const std::string& text);
    virtual void PaintFocus(TCanvas& canvas);
    virtual void LoadNormalPicture(TBitmap& graphic) { StylePicture(ThemeItem::ButtonImage, graphic, 1, 3); }
    virtual void LoadMouseOnPicture(TBitmap& graphic) { StylePicture(ThemeItem::ButtonImage, graphic, 2, 3); }
    virtual void LoadMouseDownPicture(TBitmap& graphic) { StylePicture(ThemeItem::ButtonImage, graphic, 3, 3); }
    virtual void LoadDisabledPicture(TBitmap& graphic) { StylePicture(ThemeItem::ButtonImage, graphic, 1, 3); }

    bool boldCaption_ = false;  // set by the focus step, used and cleared by the caption step

private:
    void LoadStatePicture(TBitmap& state);
    void MouseEntered();
    void MouseLeft();
    void CancelPress();
    bool LeaveButton();
    void StartRepeat();
    void StopRepeat();
    bool DialogKey(TMessage& m);
    bool DialogChar(TMessage& m);

    bool autoSize_ = false;
    std::string caption_;
    bool cancel_ = false;
    bool default_ = false;
    bool transparent_ = false;
    TModalResult modalResult_ = 0;
    bool pictureTransparent_ = false;
    bool repeating_ = false;  // the repeat timer runs on our window
    int repeatInterval_ = 100;
    int focusedRectMargin_ = 2;
    bool mouseIn_ = false;
    bool pressed_ = false;
};

enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

// The button windows use: the state picture nine-sliced over any size, an
// optional glyph beside, above or below the caption, and focus shown as a bold
// caption in MacOS and BlueGlass, as a dotted rectangle elsewhere.
class TsuiButton : public TsuiCustomButton {
public:
    explicit TsuiButton(TComponent* AOwner);
    const char* ClassName() const override { return "TsuiButton"; }

    TBitmap& Glyph() { return glyph_; }
    void SetGlyph(const TBitmap& value);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout value);
    int Spacing() const { return spacing_; }
    void SetSpacing(int value);

protected:
    void UIStyleChanged() override;
    void PaintPicture(TCanvas& canvas, TBitmap& state) override;
    void PaintCaption(TCanvas& canvas, const std::string& text) override;
    void PaintFocus(TCanvas& canvas) override;

private:
    void PaintGlyph(TCanvas& canvas);

    TBitmap glyph_;
    TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
    POINT captionPos_{0, 0};
    int spacing_ = 4;
};

enum class TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A check box drawn from the four-frame CheckBoxImage strip (checked and
// unchecked, enabled and disabled), its caption beside the mark and a dotted
// focus rectangle round the caption. OnClick reports every change of Checked.
class TsuiCheckBox : public TsuiSkinned<TCustomControl> {
public:
    explicit TsuiCheckBox(TComponent* AOwner);
    const char* ClassName() const override { return "TsuiCheckBox"; }

    void SetUIStyle(TsuiUIStyle value) override;
    bool Checked() const { return checked_; }
    void SetChecked(bool value);
    TCheckBoxState State() const { return checked_ ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked; }
    void SetState(TCheckBoxState value) { SetChecked(value == TCheckBoxState::cbChecked); }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    void SetEnabled(bool value) override;

    void Click() override;
    void WndProc(TMessage& m) override;

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void KeyUp(WORD& key, TShiftState shift) override;

    virtual bool ShowsFocus() const { return TabStop() && Focused(); }
    virtual bool IsPictureTransparent() const { return false; }
    virtual int PictureItem() const { return ThemeItem::CheckBoxImage; }
    virtual void CheckedChanged();
    virtual void BeforeToggle() {}
    virtual void Toggle();
    virtual bool ToggleOnKey() const { return true; }

private:
    bool DialogChar(TMessage& m);

    bool checked_ = false;
    bool transparent_ = false;
    bool autoSize_ = true;
};
