#include "SUITitleBar.h"

#include "Dialogs.h"
#include "WideText.h"

#include <memory>

namespace {
constexpr int kTitleButtonFrames = 18;
constexpr int kControlBoxIconAdvance = 21;  // the 16 x 16 icon and its margins
constexpr int kCaptionStartWithoutLeftGroup = 6;
constexpr int kSizingEdge = 4;  // the top pixels that size the window (y <= 4)

// First frame (normal; mouse on and mouse down follow) of each button type.
int FirstFrameOf(TsuiTitleBarBtnType type, bool maximized)
{
    switch (type) {
    case TsuiTitleBarBtnType::suiMax: return maximized ? 10 : 7;
    case TsuiTitleBarBtnType::suiMin: return 13;
    case TsuiTitleBarBtnType::suiClose: return 16;
    case TsuiTitleBarBtnType::suiHelp: return 4;
    case TsuiTitleBarBtnType::suiControlBox: return 1;
    default: return 0;
    }
}

void MinimizeHost(TForm* host)
{
    if (!host) return;
    if (host == Application()->MainForm())
        SendMessageA(host->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else
        ShowWindow(host->Handle(), SW_SHOWMINIMIZED);
}
}  // namespace

template <class TItem>
void TsuiTitleBarItems<TItem>::Changed()
{
    bar_.Invalidate();
}

template class TsuiTitleBarItems<TsuiTitleBarSection>;
template class TsuiTitleBarItems<TsuiTitleBarButton>;

std::string ShortenCaption(const std::string& caption, int space, const std::function<int(const std::string&)>& width)
{
    if (width(caption) <= space) return caption;
    // ends[k]: the bytes of the first k characters; a lead byte of the code
    // page starts a two-byte character.
    std::vector<size_t> ends{0};
    for (size_t i = 0; i < caption.size(); ++i) {
        if (IsDBCSLeadByteEx(ProgramCodePage, static_cast<BYTE>(caption[i])) && i + 1 < caption.size()) ++i;
        ends.push_back(i + 1);
    }
    // The most characters that fit with the dots; the width grows with the
    // count, so the range is halved (a measurement is a call into GDI).
    size_t fits = 0, most = ends.size() - 1;
    while (fits < most) {
        const size_t mid = (fits + most + 1) / 2;
        if (width(caption.substr(0, ends[mid]) + "...") <= space)
            fits = mid;
        else
            most = mid - 1;
    }
    return fits == 0 ? std::string() : caption.substr(0, ends[fits]) + "...";
}

// ============================================================ sections

void TsuiTitleBarSection::SetWidth(int value)
{
    width_ = value;
    owner_.Changed();
}

void TsuiTitleBarSection::SetAlign(TsuiTitleBarAlign value)
{
    if (value == TsuiTitleBarAlign::suiClient) {
        for (int i = 0; i < owner_.Count(); ++i)
            if (owner_.Items(i)->align_ == TsuiTitleBarAlign::suiClient) {
                ShowMessage("Sorry, only one section's Align property can be \"suiClient\"");
                return;
            }
        stretch_ = true;
    }
    align_ = value;
    owner_.Changed();
}

void TsuiTitleBarSection::SetPicture(const TBitmap& value)
{
    picture_.Assign(value);
    if (!picture_.Empty() && autoSize_) width_ = picture_.Width();
    owner_.Changed();
}

void TsuiTitleBarSection::SetStretch(bool value)
{
    stretch_ = align_ == TsuiTitleBarAlign::suiClient ? true : value;
    owner_.Changed();
}

void TsuiTitleBarSection::SetAutoSize(bool value)
{
    autoSize_ = value;
    if (!picture_.Empty()) width_ = picture_.Width();
    owner_.Changed();
}

void TsuiTitleBarSection::Assign(TsuiTitleBarSection& other)
{
    SetWidth(other.width_);
    SetAlign(other.align_);
    SetPicture(other.picture_);
    SetStretch(other.stretch_);
    SetAutoSize(other.autoSize_);
}

// ============================================================= buttons

TsuiTitleBarButton::TsuiTitleBarButton(TsuiTitleBarItems<TsuiTitleBarButton>& owner) : owner_(owner)
{
    SetUIStyle(TsuiUIStyle::DeepBlue);
}

void TsuiTitleBarButton::SetVisible(bool value)
{
    visible_ = value;
    owner_.Changed();
}

void TsuiTitleBarButton::SetButtonType(TsuiTitleBarBtnType value)
{
    if (value == TsuiTitleBarBtnType::suiControlBox)
        for (int i = 0; i < owner_.Count(); ++i)
            if (owner_.Items(i)->type_ == TsuiTitleBarBtnType::suiControlBox) {
                ShowMessage("Sorry, only one button's ButtonType property can be \"suiControlBox\"");
                return;
            }
    type_ = value;
    LoadStylePictures();
    owner_.Changed();
}

void TsuiTitleBarButton::SetTransparent(bool value)
{
    transparent_ = value;
    owner_.Changed();
}

void TsuiTitleBarButton::SetTop(int value)
{
    top_ = value;
    owner_.Changed();
}

void TsuiTitleBarButton::SetUIStyle(TsuiUIStyle value)
{
    uiStyle_ = value;
    LoadStylePictures();
}

void TsuiTitleBarButton::SetPicNormal(const TBitmap& value)
{
    picNormal_.Assign(value);
    owner_.Changed();
}

void TsuiTitleBarButton::SetPicMouseOn(const TBitmap& value)
{
    picMouseOn_.Assign(value);
    owner_.Changed();
}

void TsuiTitleBarButton::SetPicMouseDown(const TBitmap& value)
{
    picMouseDown_.Assign(value);
    owner_.Changed();
}

void TsuiTitleBarButton::Assign(TsuiTitleBarButton& other)
{
    SetVisible(other.visible_);
    SetButtonType(other.type_);
    SetTransparent(other.transparent_);
    SetTop(other.top_);
    SetUIStyle(other.uiStyle_);
    SetPicNormal(other.picNormal_);
    SetPicMouseOn(other.picMouseOn_);
    SetPicMouseDown(other.picMouseDown_);
    controlBoxMenu_ = other.controlBoxMenu_;
}

void TsuiTitleBarButton::LoadFrames(int first)
{
    const TsuiFileTheme* theme = Bar().FileTheme();
    GetStylePicture(theme, uiStyle_, ThemeItem::TitleBarButtonImage, picNormal_, first, kTitleButtonFrames);
    GetStylePicture(theme, uiStyle_, ThemeItem::TitleBarButtonImage, picMouseOn_, first + 1, kTitleButtonFrames);
    GetStylePicture(theme, uiStyle_, ThemeItem::TitleBarButtonImage, picMouseDown_, first + 2, kTitleButtonFrames);
}

void TsuiTitleBarButton::LoadStylePictures()
{
    const TsuiFileTheme* theme = Bar().FileTheme();
    SetTransparent(GetStyleBool(theme, uiStyle_, ThemeItem::TitleBarButtonTransparentBool));
    if (type_ == TsuiTitleBarBtnType::suiCustom) return;
    LoadFrames(FirstFrameOf(type_, false));
    SetTop(GetStyleInt(theme, uiStyle_, ThemeItem::TitleBarButtonTopInt));
    if (type_ == TsuiTitleBarBtnType::suiMax) RefreshMaximizePictures();
}

void TsuiTitleBarButton::RefreshMaximizePictures()
{
    if (type_ != TsuiTitleBarBtnType::suiMax || Bar().Custom()) return;
    LoadFrames(FirstFrameOf(type_, Bar().HostMaximized()));
}

void TsuiTitleBarButton::PerformAction()
{
    TsuiTitleBar& bar = Bar();
    TForm* host = bar.HostForm();
    if (!host) return;
    switch (type_) {
    case TsuiTitleBarBtnType::suiMax:
        if (bar.HostMaximized()) {
            host->SetWindowState(TWindowState::wsNormal);
        } else {
            host->SetWindowState(TWindowState::wsMaximized);
            if (!bar.Frame()) {
                RECT area = QueryWorkArea();
                area.bottom -= 1;
                SetFormBounds(*host, area);
            }
        }
        RefreshMaximizePictures();
        break;
    case TsuiTitleBarBtnType::suiMin: MinimizeHost(host); break;
    case TsuiTitleBarBtnType::suiClose: host->Close(); break;
    case TsuiTitleBarBtnType::suiControlBox:
        if (controlBoxMenu_) {
            const POINT p = bar.ClientToScreen(POINT{0, bar.Height()});
            controlBoxMenu_->Popup(p.x, p.y);
        }
        break;
    default: break;
    }
}

// =========================================================== title bar

TsuiTitleBar::TsuiTitleBar(TComponent* AOwner) : TsuiSkinned<TCustomPanel>(AOwner)
{
    SetBevelOuter(TPanelBevel::bvNone);
    menu_ = new TsuiTitleBarPopupMenu(*this);
    sections_ = std::make_unique<TsuiTitleBarSections>(*this);
    buttons_ = std::make_unique<TsuiTitleBarButtons>(*this);
    for (auto type : {TsuiTitleBarBtnType::suiControlBox, TsuiTitleBarBtnType::suiClose, TsuiTitleBarBtnType::suiMax,
                      TsuiTitleBarBtnType::suiMin})
        buttons_->Add()->SetButtonType(type);
    SetAlign(TAlign::alTop);
    Font().SetName("Tahoma");
    Font().SetStyle(fsBold);
    Font().SetColor(clWhite);
    SetUIStyle(FormUIStyleOf(AOwner));
}

TsuiTitleBar::~TsuiTitleBar()
{
    buttons_.reset();
    sections_.reset();
}

const ISkinnedFormFrame* TsuiTitleBar::Frame() const { return dynamic_cast<const ISkinnedFormFrame*>(Parent()); }

bool TsuiTitleBar::HostMaximized() const
{
    const TForm* host = HostForm();
    return host && host->WindowState() == TWindowState::wsMaximized;
}

void TsuiTitleBar::SetFileTheme(TsuiFileTheme* value)
{
    applyingTheme_ = true;
    TsuiSkinned<TCustomPanel>::SetFileTheme(value);  // assigns the style again
    applyingTheme_ = false;
}

void TsuiTitleBar::SetUIStyle(TsuiUIStyle value)
{
    StoreUIStyle(value);
    if (!custom_) LoadStyle();
}

void TsuiTitleBar::LoadStyle()
{
    sections_->Clear();
    // Every value from the theme file or the effective built-in style.
    TsuiUIStyle effective;
    const TsuiFileTheme* theme = FileTheme();
    const TsuiUIStyle source = ResolveUIStyle(theme, UIStyle(), effective) ? TsuiUIStyle::FromThemeFile : effective;
    auto section = [&](int item) {
        TsuiTitleBarSection* s = sections_->Add();
        TBitmap p;
        GetStylePicture(theme, source, item, p, 0, 0);
        s->SetPicture(p);
        return s;
    };
    section(ThemeItem::TitleBarLeftImage)->SetAutoSize(true);
    TsuiTitleBarSection* right = section(ThemeItem::TitleBarRightImage);
    right->SetAutoSize(true);
    right->SetAlign(TsuiTitleBarAlign::suiRight);
    section(ThemeItem::TitleBarClientImage)->SetAlign(TsuiTitleBarAlign::suiClient);

    leftBtnXOffset_ = GetStyleInt(theme, source, ThemeItem::TitleBarButtonLeftOffsetInt);
    rightBtnXOffset_ = GetStyleInt(theme, source, ThemeItem::TitleBarButtonRightOffsetInt);
    cornerLineColor_ = GetStyleColor(theme, source, ThemeItem::FormBorderColor);
    TBitmap strip;
    GetStylePicture(theme, source, ThemeItem::TitleBarButtonImage, strip, 0, 0);
    buttonPictureHeight_ = strip.Height();
    captionTop_ = GetStyleInt(theme, source, ThemeItem::TitleBarButtonTopInt);
    if (TForm* host = HostForm()) host->Constraints().MinWidth = GetStyleInt(theme, source, ThemeItem::FormMinWidthInt);
    roundCorner_ = GetStyleInt(theme, source, ThemeItem::FormRoundCornerInt);
    for (int i = 0; i < buttons_->Count(); ++i) buttons_->Items(i)->SetUIStyle(source);
    UpdateMenuStyle(source);
    if (Frame()) ApplyRoundCorner();
    if (!applyingTheme_) Font().SetColor(UIStyle() == TsuiUIStyle::MacOS ? clBlack : clWhite);
    SetAutoSize(true);
    Invalidate();
}

void TsuiTitleBar::SetAutoSize(bool value)
{
    autoSize_ = value && sections_->Count() > 0;
    if (sections_->Count() > 0) SetHeight(sections_->Items(0)->Picture().Height());
}

void TsuiTitleBar::SetButtonInterval(int value)
{
    buttonInterval_ = value;
    Invalidate();
}

void TsuiTitleBar::SetCaption(const std::string& value)
{
    caption_ = value;
    Invalidate();
}

void TsuiTitleBar::SetFormActive(bool value)
{
    formActive_ = value;
    Invalidate();
}

void TsuiTitleBar::SetLeftBtnXOffset(int value)
{
    leftBtnXOffset_ = value;
    Invalidate();
}

void TsuiTitleBar::SetRightBtnXOffset(int value)
{
    rightBtnXOffset_ = value;
    Invalidate();
}

void TsuiTitleBar::SetDrawAppIcon(bool value)
{
    drawAppIcon_ = value;
    if (value && !appIcon_)
        appIcon_.reset(static_cast<HICON>(LoadImageA(MainInstance(), "MAINICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    Invalidate();
}

void TsuiTitleBar::SetRoundCorner(int value)
{
    roundCorner_ = value;
    if (Frame()) ApplyRoundCorner();
}

void TsuiTitleBar::RefreshMaximizeButtons()
{
    for (int i = 0; i < buttons_->Count(); ++i)
        if (buttons_->Items(i)->ButtonType() == TsuiTitleBarBtnType::suiMax) buttons_->Items(i)->RefreshMaximizePictures();
}

// Only the two top corners are rounded: squares fill the bottom ones again.
void TsuiTitleBar::ApplyRoundCorner()
{
    TForm* host = HostForm();
    if (!Frame() || !host || !host->HandleAllocated()) return;
    const RECT c = host->ClientRect();
    const int r = roundCorner_;
    TRegionHandle region(CreateRoundRectRgn(c.left, c.top, c.right + 1, c.bottom + 1, r, r));
    TRegionHandle left(CreateRectRgn(c.left, c.bottom - 2 * r, c.left + 2 * r, c.bottom));
    TRegionHandle right(CreateRectRgn(c.right - 2 * r, c.bottom - 2 * r, c.right, c.bottom));
    CombineRgn(region.get(), region.get(), left.get(), RGN_OR);
    CombineRgn(region.get(), region.get(), right.get(), RGN_OR);
    SetWindowRgn(host->Handle(), region.release(), TRUE);  // the window owns it now
}

// -------------------------------------------------------------- painting

void TsuiTitleBar::Paint()
{
    TBitmap bitmap(Width(), Height());
    if (bitmap.Empty()) return;
    bitmap.Canvas().Brush().SetStyle(TBrushStyle::bsClear);
    bitmap.Canvas().Font().Assign(Font());
    PaintSections(bitmap);
    PaintButtonsAndCaption(bitmap);
    if (UIStyle() != TsuiUIStyle::WinXP && roundCorner_ != 0 && Frame()) {
        TCanvas& c = bitmap.Canvas();
        c.Pen().SetColor(cornerLineColor_);
        // Only the top edge and the two upper corners fall inside the bar.
        c.RoundRect(-1, 0, Width() + 1, Height() + 50, roundCorner_ + 1, roundCorner_);
    }
    BitBlt(Canvas().Handle(), 0, 0, Width(), Height(), bitmap.Canvas().Handle(), 0, 0, SRCCOPY);
}

void TsuiTitleBar::PaintSections(TBitmap& bitmap)
{
    const int W = bitmap.Width(), H = bitmap.Height();
    TCanvas& c = bitmap.Canvas();
    int left = -1, right = W + 1;
    TsuiTitleBarSection* client = nullptr;
    auto draw = [&](TsuiTitleBarSection& s, const RECT& r) {
        TBitmap& p = s.Picture();
        if (p.Empty()) return;
        if (s.Stretch())
            c.StretchDraw(r, p);
        else
            BitBlt(c.Handle(), r.left, r.top, s.Width(), H, p.Canvas().Handle(), 0, 0, SRCCOPY);
    };
    for (int i = 0; i < sections_->Count(); ++i) {
        TsuiTitleBarSection& s = *sections_->Items(i);
        switch (s.Align()) {
        case TsuiTitleBarAlign::suiLeft:
            draw(s, RECT{left + 1, 0, left + 1 + s.Width(), H});
            left += s.Width();
            break;
        case TsuiTitleBarAlign::suiRight:
            if (W - left < s.Width()) break;  // no room right of the left sections
            draw(s, RECT{right - 1 - s.Width(), 0, right - 1, H});
            right -= s.Width();
            break;
        case TsuiTitleBarAlign::suiClient: client = &s; break;
        }
    }
    if (client && !client->Picture().Empty()) c.StretchDraw(RECT{left + 1, 0, right - 1, H}, client->Picture());
}

bool TsuiTitleBar::PaintButton(TCanvas& canvas, TsuiTitleBarButton& button, int x, POINT cursor, int index)
{
    TBitmap& normal = button.PicNormal();
    const RECT r{x, button.Top(), x + normal.Width(), button.Top() + normal.Height()};
    const bool hot = PointInRectInclusive(cursor, r);
    if (hot) hotButton_ = index;
    TBitmap& shown = !hot ? normal : mouseDown_ ? button.PicMouseDown() : button.PicMouseOn();
    TBitmap scratch(normal.Width(), normal.Height());
    if (scratch.Empty()) return hot;
    BitBlt(scratch.Canvas().Handle(), 0, 0, scratch.Width(), scratch.Height(), shown.Canvas().Handle(), 0, 0, SRCCOPY);
    if (button.Transparent())
        scratch.SetTransparentColor(scratch.Pixel(0, scratch.Height() - 1));
    canvas.Draw(x, button.Top(), scratch);
    return hot;
}

void TsuiTitleBar::PaintButtonsAndCaption(TBitmap& bitmap)
{
    POINT cursor{};
    GetCursorPos(&cursor);
    cursor = HandleAllocated() ? ScreenToClient(cursor) : POINT{-10000, -10000};
    hotButton_ = -1;
    TCanvas& c = bitmap.Canvas();
    int x = bitmap.Width() + 1 + rightBtnXOffset_;
    int controlBox = -1;
    for (int i = 0; i < buttons_->Count(); ++i) {
        TsuiTitleBarButton& b = *buttons_->Items(i);
        if (!b.Visible()) continue;
        if (b.ButtonType() == TsuiTitleBarBtnType::suiControlBox) {
            controlBox = i;
            continue;
        }
        x -= b.PicNormal().Width() + 1 + buttonInterval_;
        PaintButton(c, b, x, cursor, i);
    }
    int lx = leftBtnXOffset_;
    if (controlBox >= 0) {
        TsuiTitleBarButton& b = *buttons_->Items(controlBox);
        if (drawAppIcon_) {
            const RECT r{lx, b.Top(), lx + b.PicNormal().Width(), b.Top() + b.PicNormal().Height()};
            if (PointInRectInclusive(cursor, r)) hotButton_ = controlBox;
            if (appIcon_) DrawIconEx(c.Handle(), lx + 3, b.Top(), appIcon_.get(), 16, 16, 0, nullptr, DI_NORMAL);
            lx += kControlBoxIconAdvance;
        } else {
            PaintButton(c, b, lx, cursor, controlBox);
            lx += b.PicNormal().Width() + 5;
        }
    }
    if (lx == 0) lx = kCaptionStartWithoutLeftGroup;
    PaintCaption(c, lx, x);
}

void TsuiTitleBar::UpdateMenuStyle(TsuiUIStyle effective)
{
    menu_->SetUIStyle(effective);
    menu_->SetFileTheme(FileTheme());
}

void TsuiTitleBar::PopupTitleBarMenu() { PopupTitleBarMenuAt(ClientToScreen(POINT{0, Height()})); }

void TsuiTitleBar::PopupTitleBarMenuAt(POINT p) { menu_->Popup(p.x, p.y); }

// ================================================================ window menu

namespace {
// The menu's captions are string resources of the program (SkinPictures.rc).
constexpr UINT kMinimizeText = 61200, kMaximizeText = 61201, kCloseText = 61202;

std::string ResourceString(UINT id, const char* fallback)
{
    char text[128];
    const int n = LoadStringA(MainInstance(), id, text, sizeof(text));
    return n > 0 ? std::string(text, static_cast<size_t>(n)) : std::string(fallback);
}
}  // namespace

TsuiTitleBarPopupMenu::TsuiTitleBarPopupMenu(TsuiTitleBar& bar) : TsuiPopupMenu(&bar), bar_(bar)
{
    AddItem(kMinimizeText, "Mi&nimize", [this](TObject*) { MinimizeHost(bar_.HostForm()); });
    AddItem(kMaximizeText, "Ma&ximize/Restore", [this](TObject*) {
        for (int i = 0; i < bar_.Buttons().Count(); ++i)
            if (bar_.Buttons().Items(i)->ButtonType() == TsuiTitleBarBtnType::suiMax)
                bar_.Buttons().Items(i)->PerformAction();
    });
    AddItem(0, "-", nullptr);
    AddItem(kCloseText, "&Close", [this](TObject*) {
        if (TForm* host = bar_.HostForm()) host->Close();
    });
    TsuiPopupMenu::Loaded();  // the skinned handlers for the four items
}

TMenuItem* TsuiTitleBarPopupMenu::AddItem(UINT captionId, const char* fallback, TNotifyEvent click)
{
    auto* item = new TMenuItem(this);  // owned by the menu
    item->SetCaption(captionId ? ResourceString(captionId, fallback) : std::string(fallback));
    item->OnClick = std::move(click);
    Items()->Add(item);
    return item;
}

void TsuiTitleBarPopupMenu::Popup(int X, int Y)
{
    UpdateItems();
    TsuiPopupMenu::Popup(X, Y);
}

void TsuiTitleBarPopupMenu::UpdateItems()
{
    auto has = [&](TsuiTitleBarBtnType type) {
        for (int i = 0; i < bar_.Buttons().Count(); ++i)
            if (bar_.Buttons().Items(i)->ButtonType() == type) return true;
        return false;
    };
    Items()->Items(0)->SetEnabled(has(TsuiTitleBarBtnType::suiMin));
    Items()->Items(1)->SetEnabled(has(TsuiTitleBarBtnType::suiMax));
    Items()->Items(3)->SetEnabled(has(TsuiTitleBarBtnType::suiClose));
}

void TsuiTitleBar::PaintCaption(TCanvas& canvas, int left, int right)
{
    if (!formActive_) canvas.Font().SetColor(0xFF000000 | COLOR_INACTIVECAPTION);
    const std::string text =
        ShortenCaption(caption_, right - left, [&](const std::string& s) { return canvas.TextWidth(s); });
    const int y = (buttonPictureHeight_ - canvas.TextHeight(text.empty() ? "W" : text)) / 2 + captionTop_;
    canvas.TextOut(left, y, text);
}

// ----------------------------------------------------------------- mouse

void TsuiTitleBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    const TAliveFlag alive = AliveFlag();
    TsuiSkinned<TCustomPanel>::MouseDown(button, shift, x, y);
    if (!*alive || button != TMouseButton::mbLeft) return;
    mouseDown_ = true;
    Repaint();  // works out the hot button
    // The press holds the mouse, so that its release reaches us wherever it
    // happens; a drag hands it to the system below.
    SetCapture(Handle());
    TForm* host = HostForm();
    if (hotButton_ == -1 && host && !HostMaximized()) {
        // The system moves the window until the button is released.
        ReleaseCapture();
        SendMessageA(host->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, 0);
        if (!*alive) return;
        mouseDown_ = false;
    }
}

void TsuiTitleBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    const TAliveFlag alive = AliveFlag();
    TsuiSkinned<TCustomPanel>::MouseUp(button, shift, x, y);
    if (!*alive || button != TMouseButton::mbLeft) return;
    Repaint();  // the hot button under the release
    // The mouse is let go first: a dialog the button opens gets its clicks.
    EndPress();
    if (hotButton_ >= 0) ButtonReleased();  // may free the bar: nothing follows
}

// The press is over (released, or the mouse taken by another window): every
// later hover shows the mouse-on frame again.
void TsuiTitleBar::EndPress()
{
    const bool held = GetCapture() == Handle();
    mouseDown_ = false;
    Invalidate();
    if (held) ReleaseCapture();
}

void TsuiTitleBar::ButtonReleased()
{
    const int index = hotButton_;
    TsuiTitleBarButton& b = *buttons_->Items(index);
    if (b.ButtonType() == TsuiTitleBarBtnType::suiControlBox && !b.ControlBoxMenu()) {
        PopupTitleBarMenu();
        return;
    }
    const TsuiTitleBarBtnType type = b.ButtonType();
    const TAliveFlag alive = AliveFlag();
    b.PerformAction();
    if (!*alive) return;
    if (OnCustomBtnsClick && type == TsuiTitleBarBtnType::suiCustom)
        OnCustomBtnsClick(this, index);
    else if (OnHelpBtnClick && type == TsuiTitleBarBtnType::suiHelp)
        OnHelpBtnClick(this, index);
}

void TsuiTitleBar::DblClick()
{
    if (hotButton_ == -1) {
        for (int i = 0; i < buttons_->Count(); ++i)
            if (buttons_->Items(i)->ButtonType() == TsuiTitleBarBtnType::suiMax) {
                buttons_->Items(i)->PerformAction();
                return;
            }
    } else if (buttons_->Items(hotButton_)->ButtonType() == TsuiTitleBarBtnType::suiControlBox) {
        if (TForm* host = HostForm()) host->Close();
    }
}

void TsuiTitleBar::WMNCHitTest(TMessage& m)
{
    DefaultHandler(m);
    TForm* host = HostForm();
    if (!host || HostMaximized()) return;
    const ISkinnedFormFrame* frame = Frame();
    if (!frame || !frame->HostWasSizeable()) return;
    const POINT p = ScreenToClient(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)});
    if (p.y > kSizingEdge) return;
    if (p.x <= kSizingEdge)
        m.Result = HTTOPLEFT;
    else if (p.x > host->ClientWidth() - 5)
        m.Result = HTTOPRIGHT;
    else
        m.Result = HTTOP;
}

void TsuiTitleBar::ForwardToHost(TMessage& m)
{
    TForm* host = HostForm();
    if (host) m.Result = SendMessageA(host->Handle(), m.Msg, m.WParam, m.LParam);
}

void TsuiTitleBar::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_ERASEBKGND: m.Result = 1; return;
    case WM_NCHITTEST: WMNCHitTest(m); return;
    case WM_NCLBUTTONDOWN: case WM_NCLBUTTONUP: case WM_NCMOUSEMOVE: ForwardToHost(m); return;
    case WM_LBUTTONDBLCLK: {
        const TAliveFlag alive = AliveFlag();
        TsuiSkinned<TCustomPanel>::WndProc(m);
        if (*alive) DblClick();
        return;
    }
    case WM_MOUSEMOVE: case CM_MOUSELEAVE: case CM_FONTCHANGED: Invalidate(); break;
    case WM_CAPTURECHANGED: if (reinterpret_cast<HWND>(m.LParam) != Handle() && mouseDown_) EndPress(); break;
    case WM_CANCELMODE: if (mouseDown_) EndPress(); break;
    default: break;
    }
    TsuiSkinned<TCustomPanel>::WndProc(m);
}
