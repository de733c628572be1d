#include "SUIMenuPaint.h"

#include "SUIThemes.h"

namespace {

// The MacOS menu pictures are drawn from their top rows only.
void StretchTopRows(TCanvas& canvas, const RECT& r, const char* picture, int rows)
{
    TBitmap whole;
    LoadSkinPicture(whole, picture);
    TBitmap top;
    top.AssignPart(whole, RECT{0, 0, whole.Width(), rows});
    canvas.StretchDraw(r, top);
}

// The record size of the metrics before Windows Vista added a field: every
// Windows version and Wine take it.
constexpr UINT kNonClientMetricsSize = 340;

}  // namespace

void SetMenuDrawHandlers(TMenuItem& item, const TMenuMeasureItemEvent& measure, const TMenuDrawItemEvent& draw)
{
    item.OnDrawItem = draw;
    item.OnMeasureItem = measure;
    for (int i = 0; i < item.Count(); ++i) SetMenuDrawHandlers(*item.Items(i), measure, draw);
}

void FrameRectColor(TCanvas& canvas, const RECT& r, TColor colour)
{
    canvas.Brush().SetColor(colour);
    canvas.FrameRect(r);
}

void FillRectColor(TCanvas& canvas, const RECT& r, TColor colour)
{
    canvas.Brush().SetColor(colour);
    canvas.FillRect(r);
}

void DrawMenuSeparator(TCanvas& canvas, const RECT& r, TColor colour, int indent)
{
    canvas.Pen().SetColor(colour);
    canvas.MoveTo(r.left + indent + 4, r.top + 2);
    canvas.LineTo(r.right - 2, r.top + 2);
}

void DrawMacMenuBarStrip(TCanvas& canvas, const RECT& r) { StretchTopRows(canvas, r, "MACOS_MENU_BAR", 12); }
void DrawMacMenuSelection(TCanvas& canvas, const RECT& r) { StretchTopRows(canvas, r, "MACOS_MENU_SELECT", 20); }
void DrawMacMenuBarBack(TCanvas& canvas, const RECT& r) { StretchTopRows(canvas, r, "MACOS_MENU_BAR", 20); }

void DrawMenuWindowFrame(HWND window, TColor colour1, TColor colour2)
{
    RECT w;
    if (!GetWindowRect(window, &w)) return;
    TWindowDC screen(GetDesktopWindow());
    TCanvas canvas(screen.get());
    FrameRectColor(canvas, RECT{w.left, w.top + 1, w.right - 1, w.bottom - 1}, colour1);
    FrameRectColor(canvas, RECT{w.left + 1, w.top + 2, w.right - 2, w.bottom - 2}, clWhite);
    canvas.Pen().SetColor(colour2);
    canvas.MoveTo(w.left, w.bottom - 1);
    canvas.LineTo(w.right - 1, w.bottom - 1);
    canvas.LineTo(w.right - 1, w.top);
    canvas.LineTo(w.right, w.top);
    canvas.LineTo(w.left, w.top);
}

void AssignMenuFont(TFont& font)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = kNonClientMetricsSize;
    if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) return;
    const LOGFONTA& menu = metrics.lfMenuFont;
    TFont made;
    made.SetName(menu.lfFaceName);
    made.SetHeight(menu.lfHeight);
    made.SetCharset(menu.lfCharSet);
    made.SetStyle(static_cast<TFontStyles>((menu.lfWeight >= FW_BOLD ? fsBold : 0) | (menu.lfItalic ? fsItalic : 0) |
                                           (menu.lfUnderline ? fsUnderline : 0) |
                                           (menu.lfStrikeOut ? fsStrikeOut : 0)));
    made.SetColor(0xFF000000 | COLOR_MENUTEXT);
    font.Assign(made);
}
