// skin_preview: draws the built-in pictures the way the skinned controls put
// them together, through the skin library's own GDI helpers, so a person can
// check the Windows side at a glance. One band per style: a 320-pixel title bar
// (left and right ends, the client picture stretched between them, control box,
// minimise, maximise and close at the style's offsets), the four check-box and
// radio frames, and the three button states stretched to 100 x 28 by
// DrawNineSlice, on the style's control background.
//
//   skin_preview.exe OUTPUT.bmp        (32-bit BMP)
#include "BmpWrite.h"
#include "SUIPublic.h"
#include "SUIThemes.h"

#include <cstdio>
#include <vector>

namespace {

constexpr int kWidth = 580, kBand = 80;

void DrawTitleBar(TsuiUIStyle style, TCanvas& canvas, int top)
{
    TBitmap left, client, right;
    GetBuiltInBitmap(style, ThemeItem::TitleBarLeftImage, &left, 0, 0);
    GetBuiltInBitmap(style, ThemeItem::TitleBarClientImage, &client, 0, 0);
    GetBuiltInBitmap(style, ThemeItem::TitleBarRightImage, &right, 0, 0);
    constexpr int width = 320;
    canvas.Draw(0, top, left);
    canvas.StretchDraw(RECT{left.Width(), top, width - right.Width(), top + client.Height()}, client);
    canvas.Draw(width - right.Width(), top, right);

    const bool transparent = GetBuiltInBool(style, ThemeItem::TitleBarButtonTransparentBool);
    const int y = top + GetBuiltInInt(style, ThemeItem::TitleBarButtonTopInt);
    // Frames come three to a glyph: control box, help, maximise, restore,
    // minimise, close.
    const auto button = [&](int glyph, int x) {
        TBitmap b;
        GetBuiltInBitmap(style, ThemeItem::TitleBarButtonImage, &b, glyph * 3 + 1, 18);
        if (transparent) b.SetTransparentColor(clFuchsia);
        canvas.Draw(x, y, b);
        return b.Width();
    };
    const int buttonWidth = button(0, GetBuiltInInt(style, ThemeItem::TitleBarButtonLeftOffsetInt));
    int x = width + GetBuiltInInt(style, ThemeItem::TitleBarButtonRightOffsetInt) - right.Width() / 2;
    for (int glyph : {5, 2, 4}) {  // close, maximise, minimise from the right
        x -= buttonWidth;
        button(glyph, x);
    }
}

void DrawStyle(TsuiUIStyle style, TCanvas& canvas, int top)
{
    canvas.Brush().SetColor(GetBuiltInColor(style, ThemeItem::ControlBackgroundColor));
    canvas.FillRect(RECT{0, top, kWidth, top + kBand});
    DrawTitleBar(style, canvas, top + 4);

    const bool transparentButton = GetBuiltInBool(style, ThemeItem::ButtonTransparentBool);
    for (int state = 1; state <= 3; ++state) {
        TBitmap frame, button(100, 28);
        GetBuiltInBitmap(style, ThemeItem::ButtonImage, &frame, state, 3);
        // The button draws onto what lies behind it.
        const int x = 250 + (state - 1) * 108, y = top + 44;
        BitBlt(button.Canvas().Handle(), 0, 0, 100, 28, canvas.Handle(), x, y, SRCCOPY);
        DrawNineSlice(frame, button.Canvas(), RECT{0, 0, 100, 28}, transparentButton);
        canvas.Draw(x, y, button);
    }
    for (int item : {ThemeItem::CheckBoxImage, ThemeItem::RadioButtonImage})
        for (int state = 1; state <= 4; ++state) {
            TBitmap frame;
            GetBuiltInBitmap(style, item, &frame, state, 4);
            frame.SetTransparentColor(clFuchsia);
            canvas.Draw(10 + (state - 1) * 24 + (item == ThemeItem::RadioButtonImage ? 110 : 0), top + 50, frame);
        }
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: skin_preview OUTPUT.bmp\n");
        return 2;
    }
    const TsuiUIStyle styles[] = {TsuiUIStyle::MacOS, TsuiUIStyle::WinXP, TsuiUIStyle::DeepBlue, TsuiUIStyle::Protein,
                                  TsuiUIStyle::BlueGlass};
    TBitmap sheet(kWidth, kBand * 5);
    for (int i = 0; i < 5; ++i) DrawStyle(styles[i], sheet.Canvas(), i * kBand);
    if (!WriteBmp(sheet, argv[1])) {
        std::fprintf(stderr, "skin_preview: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
