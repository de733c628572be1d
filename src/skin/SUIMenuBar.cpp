#include "SUIMenuBar.h"

#include "SUIForm.h"
#include "SUIMenuPaint.h"
#include "SUIPopupMenu.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr int kButtonPadding = 8;  // each side of a caption
constexpr TColor kDisabledTextColor = 0x808080;

// The letter after a single "&": the one Alt opens.
char Mnemonic(const std::string& caption)
{
    for (size_t i = 0; i + 1 < caption.size(); ++i) {
        if (caption[i] != '&') continue;
        if (caption[i + 1] != '&') return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
        ++i;
    }
    return 0;
}

}  // namespace

TsuiMenuBar::TsuiMenuBar(TsuiForm* frame) : TCustomControl(frame), frame_(frame)
{
    // Sized first: placing an aligned control lays its siblings out.
    SetHeight(frame->MenuBarHeight());
    SetColor(frame->MenuBarColor());
    SetParent(frame);
    SetAlign(TAlign::alTop);
}

void TsuiMenuBar::ForgetButtons()
{
    for (const TButton& b : buttons_) RemoveFreeNotification(b.item);
    buttons_.clear();
    hot_ = selected_ = -1;
}

void TsuiMenuBar::Rebuild()
{
    ForgetButtons();
    ++rebuilds_;
    if (TPopupMenu* menu = frame_->Menu(); menu && menu->Items()) {
        TMenuItem* root = menu->Items();
        for (int i = 0; i < root->Count(); ++i) {
            TMenuItem* item = root->Items(i);
            if (!item->Visible()) continue;
            buttons_.push_back(TButton{item, item->Caption(), item->Enabled(), RECT{}});
            FreeNotification(item);
        }
    }
    Measure();
}

// An item dying without a word to its menu (its form goes) takes its button.
void TsuiMenuBar::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == TOperation::opRemove) {
        const auto gone = std::remove_if(buttons_.begin(), buttons_.end(),
                                         [&](const TButton& b) { return b.item == AComponent; });
        if (gone != buttons_.end()) {
            buttons_.erase(gone, buttons_.end());
            hot_ = selected_ = -1;
            if (!Destroying()) Measure();
        }
    }
    TCustomControl::Notification(AComponent, Operation);
}

void TsuiMenuBar::RefreshCaptions()
{
    for (TButton& b : buttons_) {
        b.caption = b.item->Caption();
        b.enabled = b.item->Enabled();
    }
    Measure();
}

// Buttons are as wide as their captions in the bar's font, as high as the bar.
void TsuiMenuBar::LayoutButtons(TCanvas& canvas)
{
    int x = 0;
    for (TButton& b : buttons_) {
        std::string shown;
        for (size_t i = 0; i < b.caption.size(); ++i)
            if (b.caption[i] != '&' || (i + 1 < b.caption.size() && b.caption[++i] == '&')) shown += b.caption[i];
        const int w = canvas.TextWidth(shown) + 2 * kButtonPadding;
        b.bounds = RECT{x, 0, x + w, Height()};
        x += w;
    }
}

void TsuiMenuBar::Measure()
{
    TWindowDC screen(nullptr);
    TCanvas canvas(screen.get());
    canvas.Font().Assign(Font());
    LayoutButtons(canvas);
    Invalidate();
}

int TsuiMenuBar::ButtonAt(POINT p) const
{
    for (size_t i = 0; i < buttons_.size(); ++i)
        if (PtInRect(&buttons_[i].bounds, p)) return static_cast<int>(i);
    return -1;
}

void TsuiMenuBar::SetHot(int i)
{
    if (i == hot_) return;
    hot_ = i;
    Invalidate();
}

void TsuiMenuBar::OpenButton(int i)
{
    TPopupMenu* menu = frame_->Menu();
    if (!menu || i < 0 || i >= ButtonCount() || !buttons_[i].enabled) return;
    if (buttons_[i].item->Count() == 0) {
        buttons_[i].item->Click();  // may free the form and us: nothing is touched after it
        return;
    }
    selected_ = i;
    Repaint();
    const POINT at = ClientToScreen(POINT{buttons_[i].bounds.left, buttons_[i].bounds.bottom});
    const TAliveFlag alive = AliveFlag();
    menu->PopupItem(buttons_[i].item, at.x, at.y);
    // The chosen item's Click may have freed the form, and us with it.
    if (!*alive) return;
    selected_ = -1;
    Invalidate();
}

bool TsuiMenuBar::OpenByKey(WORD key)
{
    for (int i = 0; i < ButtonCount(); ++i) {
        const bool match = key == VK_F10 ? buttons_[i].enabled : Mnemonic(buttons_[i].caption) == static_cast<char>(key);
        if (match && buttons_[i].enabled) {
            OpenButton(i);
            return true;
        }
    }
    return false;
}

void TsuiMenuBar::DrawButton(TCanvas& canvas, const TButton& b, bool hot, bool selected)
{
    const auto* skinned = dynamic_cast<const TsuiPopupMenu*>(frame_->Menu());
    const TsuiUIStyle style = skinned ? skinned->UIStyle() : frame_->UIStyle();
    TsuiFileTheme* theme = skinned ? skinned->FileTheme() : frame_->FileTheme();
    RECT r = b.bounds;
    if (!b.enabled) {
        canvas.Font().SetColor(kDisabledTextColor);
    } else if (!hot && !selected) {
        canvas.Font().SetColor(skinned ? skinned->FontColor() : clBtnText);
    } else if (style == TsuiUIStyle::MacOS) {
        DrawMacMenuSelection(canvas, r);
        r.bottom += 2;
        canvas.Font().SetColor(GetStyleColor(theme, style, ThemeItem::MenuSelectedFontColor));
    } else {
        // A pressed button sits 2 pixels narrower, its caption 2 pixels on.
        if (selected) r.right -= 2;
        FillRectColor(canvas, r, GetStyleColor(theme, style, ThemeItem::MenuSelectedBackgroundColor));
        FrameRectColor(canvas, r, GetStyleColor(theme, style, ThemeItem::MenuSelectedBorderColor));
        if (selected) r.left += 2;
        r.top += 2;
        canvas.Font().SetColor(GetStyleColor(theme, style, ThemeItem::MenuSelectedFontColor));
    }
    canvas.TextRect(r, b.caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void TsuiMenuBar::PaintTo(TCanvas& c)
{
    const RECT client = ClientRect();
    const auto* skinned = dynamic_cast<const TsuiPopupMenu*>(frame_->Menu());
    const TsuiUIStyle style = skinned ? skinned->UIStyle() : frame_->UIStyle();
    if (style == TsuiUIStyle::MacOS)
        DrawMacMenuBarBack(c, client);
    else
        FillRectColor(c, client, frame_->MenuBarColor());
    c.Font().Assign(Font());
    LayoutButtons(c);
    for (int i = 0; i < ButtonCount(); ++i) {
        const bool enabled = buttons_[i].enabled;
        DrawButton(c, buttons_[i], enabled && i == hot_, enabled && i == selected_);
    }
}

void TsuiMenuBar::Paint()
{
    TBufferDC buffer(Canvas().Handle(), ClientRect());
    PaintTo(buffer.Canvas());
}

void TsuiMenuBar::WndProc(TMessage& m)
{
    switch (m.Msg) {
    case WM_MOUSEMOVE: SetHot(ButtonAt(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)})); break;
    case CM_MOUSELEAVE: SetHot(-1); break;
    case WM_LBUTTONDOWN: OpenButton(ButtonAt(POINT{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)})); return;
    default: break;
    }
    TCustomControl::WndProc(m);
}
