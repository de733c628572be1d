#include "SUIButton.h"

#include "SUIThemes.h"
#include "SkinGeometry.h"

#include <algorithm>

namespace {
constexpr UINT_PTR kRepeatTimer = 1;
constexpr TColor kDisabledText = 0x808080;
// What the picture step gets when the style has no picture to give.
constexpr int kMissingPictureWidth = 74;
constexpr int kMissingPictureHeight = 21;

bool IsSpaceOrEnter(WORD key) { return key == VK_SPACE || key == VK_RETURN; }

// A copy of the picture in grey, keeping the mask colour: the disabled look
// of a glyph that has no disabled image of its own.
void GreyOut(TBitmap& picture, uint32_t mask)
{
    for (int y = 0; y < picture.Height(); ++y) {
        uint32_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            if ((row[x] & 0xFFFFFF) == mask) continue;
            const uint32_t r = (row[x] >> 16) & 0xFF, g = (row[x] >> 8) & 0xFF, b = row[x] & 0xFF;
            const uint32_t grey = 0x80 + (r * 30 + g * 59 + b * 11) / 100 / 2;
            row[x] = (grey << 16) | (grey << 8) | grey;
        }
    }
}
}  // namespace

// ============================================================= TsuiCustomButton

TsuiCustomButton::TsuiCustomButton(TComponent* AOwner) : TsuiSkinned<TCustomControl>(AOwner)
{
    clickEvents_ = true;
    SetParentColor(true);
    SetTabStop(true);
    SetUIStyle(FormUIStyleOf(AOwner));
}

TsuiCustomButton::~TsuiCustomButton() { StopRepeat(); }

void TsuiCustomButton::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.ClassStyle = 0;  // no double clicks: a double click is two clicks
}

void TsuiCustomButton::SetUIStyle(TsuiUIStyle value)
{
    StoreUIStyle(value);
    UIStyleChanged();
    Invalidate();
}

void TsuiCustomButton::SetCaption(const std::string& value)
{
    caption_ = value;
    // The window text follows, for tools that find buttons by their text.
    if (Text() != value) TCustomControl::SetText(value);
    CaptionChanged();
    Invalidate();
}

void TsuiCustomButton::SetAutoSize(bool value)
{
    autoSize_ = value;
    ApplyAutoSize();
    Invalidate();
}

void TsuiCustomButton::SetTransparent(bool value)
{
    transparent_ = value;
    TransparentChanged();
    Invalidate();
}

void TsuiCustomButton::TransparentChanged()
{
    pictureTransparent_ = transparent_;
    Invalidate();
}

void TsuiCustomButton::SetDefault(bool value)
{
    default_ = value;
    // Default buttons redraw when they hear where the focus is.
    TForm* form = HostFormOf(*this);
    if (HandleAllocated() && form)
        form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->ActiveControl()));
}

void TsuiCustomButton::SetFocusedRectMargin(int value)
{
    focusedRectMargin_ = value;
    Invalidate();
}

void TsuiCustomButton::SetEnabled(bool value)
{
    TCustomControl::SetEnabled(value);
    EnabledChanged();
    Invalidate();
}

void TsuiCustomButton::FontChanged() { Invalidate(); }

// The whole strip of the built-in style: the theme file is not asked.
void TsuiCustomButton::ApplyAutoSize()
{
    if (!autoSize_) return;
    TBitmap strip;
    try {
        GetBuiltInBitmap(UIStyle(), ThemeItem::ButtonImage, &strip, 0, 0);
    } catch (const EResNotFound&) {
        // measured as a missing picture below
    }
    const int height = strip.Height() ? strip.Height() : kMissingPictureHeight;
    const int width = strip.Width() ? strip.Width() : kMissingPictureWidth;
    SetBounds(Left(), Top(), width / 3, height);
}

// ------------------------------------------------------------------ painting

void TsuiCustomButton::LoadStatePicture(TBitmap& state)
{
    try {
        if (!Enabled())
            LoadDisabledPicture(state);
        else if (pressed_)
            LoadMouseDownPicture(state);
        else if (mouseIn_)
            LoadMouseOnPicture(state);
        else
            LoadNormalPicture(state);
    } catch (...) {
        state.SetSize(0, 0);
    }
    if (state.Empty()) {
        // A picture that cannot be had paints a plain face; caption and focus still follow.
        state.SetSize(kMissingPictureWidth, kMissingPictureHeight);
        state.Canvas().Brush().SetColor(Color());
        state.Canvas().FillRect(RECT{0, 0, kMissingPictureWidth, kMissingPictureHeight});
    }
}

void TsuiCustomButton::Paint()
{
    TBitmap state;
    LoadStatePicture(state);
    state.SetTransparentColor(pictureTransparent_ ? state.Pixel(0, 0) : clNone);
    const RECT client = ClientRect();
    TBufferDC buffer(Canvas().Handle(), client);
    TCanvas& c = buffer.Canvas();
    if (transparent_) {
        PaintParentBackground(c, *this);
    } else {
        c.Brush().SetColor(Color());
        c.FillRect(client);
    }
    PaintPicture(c, state);
    if (Focused() && TabStop()) PaintFocus(c);
    c.Font().Assign(Font());
    if (!IsBlankText(caption_)) PaintCaption(c, caption_);
}

void TsuiCustomButton::PaintPicture(TCanvas& canvas, TBitmap& state)
{
    if (state.Empty()) return;
    if (!Enabled()) GreyOut(state, *state.ScanLine(0) & 0xFFFFFF);
    canvas.Draw(0, 0, state);
}

void TsuiCustomButton::PaintCaption(TCanvas& canvas, const std::string& text)
{
    canvas.Font().Assign(Font());
    if (boldCaption_) canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
    const RECT client = ClientRect();
    const RECT shifted{client.left + 1, client.top + 1, client.right + 1, client.bottom + 1};
    constexpr UINT format = DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    if (!Enabled()) {
        canvas.Font().SetColor(clWhite);
        canvas.TextRect(shifted, text, format);
        canvas.Font().SetColor(kDisabledText);
        canvas.TextRect(client, text, format);
    } else {
        canvas.TextRect(pressed_ ? shifted : client, text, format);
    }
    boldCaption_ = false;
}

void TsuiCustomButton::PaintFocus(TCanvas& canvas)
{
    const int m = focusedRectMargin_;
    canvas.DrawFocusRect(RECT{m, m, ClientWidth() - m, ClientHeight() - m});
}

// -------------------------------------------------------------------- input

void TsuiCustomButton::MouseEntered()
{
    if (mouseIn_) return;
    mouseIn_ = true;
    Invalidate();
}

void TsuiCustomButton::MouseLeft()
{
    StopRepeat();
    LeaveButton();
}

// The cursor is off the button: the normal picture, and OnMouseExit when it
// had been over it. False when the handler freed the button.
bool TsuiCustomButton::LeaveButton()
{
    const bool wasIn = mouseIn_;
    if (mouseIn_ || pressed_) Invalidate();
    mouseIn_ = false;
    pressed_ = false;
    if (!wasIn || !OnMouseExit) return true;
    const TAliveFlag alive = AliveFlag();
    OnMouseExit(this);
    return *alive;
}

// The press ended without a release (the mouse taken by another window, the
// focus gone while Space was held): no click, no repeat, the picture of the
// cursor's place.
void TsuiCustomButton::CancelPress()
{
    StopRepeat();
    if (!pressed_) return;
    pressed_ = false;
    Invalidate();
}

void TsuiCustomButton::StartRepeat()
{
    if (repeating_) return;
    // A zero interval repeats as fast as window timers go.
    repeating_ = SetTimer(Handle(), kRepeatTimer, static_cast<UINT>(std::max(repeatInterval_, 0)), nullptr) != 0;
}

void TsuiCustomButton::StopRepeat()
{
    if (!repeating_) return;
    repeating_ = false;
    if (HandleAllocated()) KillTimer(Handle(), kRepeatTimer);
}

void TsuiCustomButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button == TMouseButton::mbLeft) {
        pressed_ = true;
        StartRepeat();
        Invalidate();
    }
    TCustomControl::MouseDown(button, shift, x, y);
}

void TsuiCustomButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    // The repeat ends with the press, wherever the button is released (a press
    // that left and came back is no longer "pressed" when the click comes).
    if (button == TMouseButton::mbLeft) StopRepeat();
    TCustomControl::MouseUp(button, shift, x, y);
}

void TsuiCustomButton::MouseMove(TShiftState shift, int x, int y)
{
    if (x < 0 || y < 0 || x > Width() || y > Height()) {
        if (!LeaveButton()) return;
    } else {
        MouseEntered();  // back over the button while it held the mouse
    }
    TCustomControl::MouseMove(shift, x, y);
}

void TsuiCustomButton::KeyDown(WORD& key, TShiftState shift)
{
    if (IsSpaceOrEnter(key) && Focused() && Enabled()) {
        pressed_ = true;
        Invalidate();
    }
    TCustomControl::KeyDown(key, shift);
}

void TsuiCustomButton::KeyUp(WORD& key, TShiftState shift)
{
    if (IsSpaceOrEnter(key) && Focused() && pressed_ && Enabled()) {
        pressed_ = false;
        Invalidate();
        Click();
        return;  // the click may have freed us
    }
    TCustomControl::KeyUp(key, shift);
}

bool TsuiCustomButton::DialogKey(TMessage& m)
{
    const bool wanted = (m.WParam == VK_RETURN && default_) || (m.WParam == VK_ESCAPE && cancel_);
    if (!wanted || KeyboardShiftState() != 0 || !CanFocus()) return false;
    m.Result = 1;
    Click();
    return true;
}

bool TsuiCustomButton::DialogChar(TMessage& m)
{
    if (!IsAccel(static_cast<unsigned>(m.WParam), caption_) || !Enabled()) return false;
    m.Result = 1;
    Click();
    return true;
}

void TsuiCustomButton::Click()
{
    CancelPress();
    if (TabStop() && CanFocus() && Enabled()) SetFocus();
    if (TForm* form = HostFormOf(*this)) form->SetModalResult(modalResult_);
    TCustomControl::Click();  // last: the handler may free the button
}

void TsuiCustomButton::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_MOUSEENTER: if (m.LParam == 0) MouseEntered(); break;
    case CM_MOUSELEAVE: if (m.LParam == 0) MouseLeft(); break;
    case CM_DIALOGKEY: if (DialogKey(m)) return; break;
    case CM_DIALOGCHAR: if (DialogChar(m)) return; break;
    case CM_TEXTCHANGED: if (Text() != caption_) SetCaption(Text()); break;
    case BM_CLICK: if (Enabled()) Click(); return;  // what automation sends a push button
    case CM_FONTCHANGED: FontChanged(); break;
    case WM_SETFOCUS: case CM_FOCUSCHANGED: Invalidate(); break;
    case WM_KILLFOCUS: CancelPress(); Invalidate(); break;
    case WM_CANCELMODE: CancelPress(); break;
    case WM_CAPTURECHANGED: if (reinterpret_cast<HWND>(m.LParam) != Handle()) CancelPress(); break;
    case WM_TIMER:
        if (m.WParam == kRepeatTimer) {
            if (OnMouseContinuouslyDown) OnMouseContinuouslyDown(this);
            return;
        }
        break;
    default: break;
    }
    TsuiSkinned<TCustomControl>::WndProc(m);
}

// ================================================================= TsuiButton

TsuiButton::TsuiButton(TComponent* AOwner) : TsuiCustomButton(AOwner)
{
    SetBounds(Left(), Top(), 80, 27);
    // The base's style assignment could not reach our override yet.
    UIStyleChanged();
}

void TsuiButton::SetGlyph(const TBitmap& value)
{
    glyph_.Assign(value);
    Invalidate();
}

void TsuiButton::SetLayout(TButtonLayout value)
{
    layout_ = value;
    Invalidate();
}

void TsuiButton::SetSpacing(int value)
{
    spacing_ = value;
    Invalidate();
}

void TsuiButton::UIStyleChanged() { SetTransparent(StyleBool(ThemeItem::ButtonTransparentBool)); }

void TsuiButton::PaintPicture(TCanvas& canvas, TBitmap& state)
{
    canvas.Font().Assign(Font());
    // Magenta is the pictures' key colour and is never shown: an opaque button
    // has its Color already under the picture, so its corners are keyed too.
    DrawNineSlice(state, canvas, ClientRect(), true);
    if (!glyph_.Empty()) PaintGlyph(canvas);
}

void TsuiButton::PaintGlyph(TCanvas& canvas)
{
    const SIZE text = canvas.TextExtent(Caption());
    const bool twoImages = glyph_.Width() == 2 * glyph_.Height();
    const int gw = twoImages ? glyph_.Height() : glyph_.Width();
    const TGlyphPlan plan = GlyphLayoutPlan(static_cast<int>(layout_), Width(), Height(), text.cx, text.cy, gw,
                                            glyph_.Height(), spacing_);
    captionPos_ = POINT{plan.Caption.X, plan.Caption.Y};
    const int shift = Pressed() ? 1 : 0;
    // The image list's way: the glyph's top-left pixel is the mask colour of
    // both images.
    const uint32_t mask = *glyph_.ScanLine(0) & 0xFFFFFF;
    TBitmap image;
    const int index = twoImages && !Enabled() ? 1 : 0;
    image.AssignPart(glyph_, RECT{index * gw, 0, index * gw + gw, glyph_.Height()});
    if (!twoImages && !Enabled()) GreyOut(image, mask);
    image.SetTransparentColor(glyph_.Pixel(0, 0));
    canvas.Draw(plan.Glyph.X + shift, plan.Glyph.Y + shift, image);
}

void TsuiButton::PaintCaption(TCanvas& canvas, const std::string& text)
{
    if (Glyph().Empty()) {
        TsuiCustomButton::PaintCaption(canvas, text);
        return;
    }
    canvas.Font().Assign(Font());
    constexpr UINT format = DT_SINGLELINE;
    auto at = [&](int x, int y) { return RECT{x, y, Width(), Height()}; };
    if (!Enabled()) {
        canvas.Font().SetColor(clWhite);
        canvas.TextRect(at(captionPos_.x + 1, captionPos_.y + 1), text, format);
        canvas.Font().SetColor(kDisabledText);
        canvas.TextRect(at(captionPos_.x, captionPos_.y), text, format);
        return;
    }
    if (Pressed()) captionPos_ = POINT{captionPos_.x + 1, captionPos_.y + 1};
    canvas.TextRect(at(captionPos_.x, captionPos_.y), text, format);
}

void TsuiButton::PaintFocus(TCanvas& canvas)
{
    if (UIStyle() == TsuiUIStyle::MacOS || UIStyle() == TsuiUIStyle::BlueGlass) {
        boldCaption_ = true;
        return;
    }
    TsuiCustomButton::PaintFocus(canvas);
}

// ================================================================ TsuiCheckBox

TsuiCheckBox::TsuiCheckBox(TComponent* AOwner) : TsuiSkinned<TCustomControl>(AOwner)
{
    clickEvents_ = true;
    SetBounds(Left(), Top(), 93, 17);
    SetTabStop(true);
    SetColor(clWindow);
    SetParentColor(true);
    SetUIStyle(FormUIStyleOf(AOwner));
}

void TsuiCheckBox::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    params.ClassStyle = 0;  // a double click is two clicks
}

void TsuiCheckBox::SetUIStyle(TsuiUIStyle value)
{
    StoreUIStyle(value);
    Invalidate();
}

void TsuiCheckBox::SetChecked(bool value)
{
    if (value == checked_) return;
    checked_ = value;
    Invalidate();
    CheckedChanged();
}

void TsuiCheckBox::CheckedChanged()
{
    if (!Loading() && OnClick) OnClick(this);
}

void TsuiCheckBox::SetTransparent(bool value)
{
    transparent_ = value;
    Invalidate();
}

void TsuiCheckBox::SetAutoSize(bool value)
{
    autoSize_ = value;
    Invalidate();
}

void TsuiCheckBox::SetEnabled(bool value)
{
    TCustomControl::SetEnabled(value);
    Invalidate();
}

void TsuiCheckBox::Toggle()
{
    BeforeToggle();
    SetChecked(!checked_);
}

void TsuiCheckBox::Paint()
{
    // Frames: 1 checked, 2 unchecked; 3 and 4 the same, disabled.
    const int frame = (checked_ ? 1 : 2) + (Enabled() ? 0 : 2);
    TBitmap picture;
    try {
        StylePicture(PictureItem(), picture, frame, 4);
    } catch (...) {
        picture.SetSize(0, 0);  // no mark to draw; the caption still is
    }
    picture.SetTransparentColor(IsPictureTransparent() ? picture.Pixel(0, 0) : clNone);
    // Measured on the control's own canvas: no bitmap is needed for that.
    TCanvas& measure = Canvas();
    measure.Font().Assign(Font());
    const int textHeight = measure.TextHeight("W");
    if (autoSize_) {
        const int height = std::max(textHeight + 2, picture.Height()) + 4;
        const int width = picture.Width() + 8 + measure.TextWidth(Caption());
        if (height != Height() || width != Width()) SetBounds(Left(), Top(), width, height);
    }
    const RECT client = ClientRect();
    TBufferDC buffer(Canvas().Handle(), client);
    TCanvas& c = buffer.Canvas();
    c.Font().Assign(Font());
    if (transparent_) {
        PaintParentBackground(c, *this);
    } else {
        c.Brush().SetColor(Color());
        c.FillRect(client);
    }
    c.Draw(1, (client.bottom - picture.Height()) / 2, picture);
    const int tx = picture.Width() + 4;
    const int ty = (client.bottom - textHeight) / 2;
    c.TextRect(RECT{tx, ty, client.right, client.bottom}, Caption(), DT_SINGLELINE);
    if (ShowsFocus()) c.DrawFocusRect(RECT{tx - 1, ty, client.right, ty + textHeight + 2});
}

// OnClick comes from the change of Checked, not from the click itself.
void TsuiCheckBox::Click()
{
    if (CanFocus() && Enabled()) SetFocus();
    Toggle();
}

void TsuiCheckBox::KeyUp(WORD& key, TShiftState shift)
{
    if (ToggleOnKey() && IsSpaceOrEnter(key) && Focused() && Enabled()) {
        Invalidate();
        Click();
        return;
    }
    TCustomControl::KeyUp(key, shift);
}

bool TsuiCheckBox::DialogChar(TMessage& m)
{
    if (!IsAccel(static_cast<unsigned>(m.WParam), Caption()) || !Enabled()) return false;
    if (CanFocus()) SetFocus();
    m.Result = 1;
    Click();
    return true;
}

void TsuiCheckBox::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case CM_DIALOGCHAR: if (DialogChar(m)) return; break;
    // What automation sends a check box.
    case BM_CLICK: if (Enabled()) Click(); return;
    case BM_GETCHECK: m.Result = checked_ ? BST_CHECKED : BST_UNCHECKED; return;
    case BM_SETCHECK: SetChecked(m.WParam == BST_CHECKED); return;
    case WM_SETFOCUS: case WM_KILLFOCUS: case CM_FOCUSCHANGED: case CM_FONTCHANGED: case CM_TEXTCHANGED:
        Invalidate();
        break;
    default: break;
    }
    TsuiSkinned<TCustomControl>::WndProc(m);
}
