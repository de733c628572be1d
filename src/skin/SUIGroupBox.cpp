#include "SUIGroupBox.h"

#include <cstdlib>

namespace {
constexpr TColor kDisabledCaption = 0x808080;
}

TsuiCustomGroupBox::TsuiCustomGroupBox(TComponent* AOwner) : TsuiSkinned<TsuiCustomPanel>(AOwner)
{
    TsuiCustomPanel::SetText(" ");  // the panel then draws no text of its own
    SetBounds(Left(), Top(), 185, 105);
    SetParentColor(true);
    SetTransparent(false);
    SetUIStyle(FormUIStyleOf(AOwner));
}

void TsuiCustomGroupBox::SetUIStyle(TsuiUIStyle value)
{
    StoreUIStyle(value);
    ApplyUIStyle(value, FileTheme());
}

void TsuiCustomGroupBox::ApplyUIStyle(TsuiUIStyle style, TsuiFileTheme* theme)
{
    ApplyStyleToChildren(*this, style, theme);
    SetBorderColor(StyleColor(ThemeItem::ControlBorderColor));
    Font().SetColor(StyleColor(ThemeItem::ControlFontColor));
}

void TsuiCustomGroupBox::FileThemeRemoved()
{
    ApplyStyleToChildren(*this, TsuiUIStyle::DeepBlue, nullptr);
    SetUIStyle(TsuiUIStyle::DeepBlue);
}

void TsuiCustomGroupBox::SetBorderColor(TColor value)
{
    borderColor_ = value;
    Invalidate();
}

void TsuiCustomGroupBox::SetCaption(const std::string& value)
{
    caption_ = value;
    Invalidate();
}

void TsuiCustomGroupBox::SetEnabled(bool value)
{
    TsuiCustomPanel::SetEnabled(value);
    for (int i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(value);
    Invalidate();
}

void TsuiCustomGroupBox::AdjustClientRect(RECT& rect)
{
    rect.left += 3;
    rect.right -= 3;
    rect.bottom -= 3;
    rect.top += FontHeight() + 5;
}

void TsuiCustomGroupBox::Paint()
{
    const RECT client = ClientRect();
    TBufferDC buffer(Canvas().Handle(), client);
    TCanvas& c = buffer.Canvas();
    if (Transparent()) {
        PaintPanel(c);
    } else {
        c.Brush().SetColor(Color());
        c.FillRect(client);
    }
    c.Font().Assign(Font());
    // One line round the frame, open at the top where the caption sits.
    const int y = FontHeight() / 2 + client.top + 1;
    const int end = caption_.empty() ? client.left : client.left + 6 + c.TextWidth(caption_);
    c.Pen().SetColor(borderColor_);
    c.MoveTo(client.left + 2, y);
    c.LineTo(client.left, y);
    c.LineTo(client.left, client.bottom - 1);
    c.LineTo(client.right - 1, client.bottom - 1);
    c.LineTo(client.right - 1, y);
    c.LineTo(end - 1, y);  // LineTo stops short of its end: the frame reaches x = end
    if (!Enabled()) c.Font().SetColor(kDisabledCaption);
    c.TextOut(5, 0, caption_);
}

void TsuiCustomGroupBox::WndProc(TMessage& m)
{
    if (m.Msg == CM_FONTCHANGED) {
        Realign();
        Invalidate();
    }
    TsuiSkinned<TsuiCustomPanel>::WndProc(m);
}
