// Draws the tray menu's kinds of entries in the five built-in styles, side by
// side, through the skinned popup menu's own measure and draw handlers, and
// writes the picture as a BMP for a person to look at; with a second file, the
// title bar's window menu too (its bar has no minimise button, so that entry
// shows disabled, and the Close entry is drawn selected):
//   wine64 menu_preview.exe tray.bmp [titlebar.bmp]
#include "BmpWrite.h"
#include "SUIPopupMenu.h"
#include "SUITitleBar.h"

#include <algorithm>
#include <cstdio>

namespace {

struct TEntry {
    const char* Caption;
    bool Selected, Enabled, Default, Checked, Image;
};

constexpr TEntry kEntries[] = {
    {"设置(&Q)", false, true, false, false, false},  {"Selected", true, true, false, false, false},
    {"Disabled", true, false, false, false, false}, {"Default", false, true, true, false, false},
    {"Checked", false, true, false, true, false},   {"-", false, true, false, false, false},
    {"Image", false, true, false, false, true},     {"Image checked", false, true, false, true, true},
    {"退出(&H)", false, true, false, false, false},
};
constexpr TsuiUIStyle kStyles[] = {TsuiUIStyle::MacOS, TsuiUIStyle::WinXP, TsuiUIStyle::DeepBlue,
                                   TsuiUIStyle::Protein, TsuiUIStyle::BlueGlass};
constexpr int kColumn = 170, kGap = 10;

// A 16 x 16 picture: a framed green square on white, the mask colour.
void AddSquare(TImageList& list)
{
    TBitmap square(16, 16);
    TCanvas& c = square.Canvas();
    c.Brush().SetColor(clWhite);
    c.FillRect(RECT{0, 0, 16, 16});
    c.Brush().SetColor(0x206020);
    c.FillRect(RECT{2, 2, 14, 14});
    c.Brush().SetColor(0x30C030);
    c.FillRect(RECT{4, 4, 12, 12});
    list.AddMasked(square, clWhite);
}

// Draws a menu's items at x through their own handlers; returns the height.
template <class Selected>
int DrawItems(TPopupMenu& menu, TBitmap& out, int x, bool measureOnly, Selected selected)
{
    TWindowDC screen(nullptr);
    TCanvas measure(screen.get());
    int y = measureOnly ? 0 : kGap;
    for (int i = 0; i < menu.Items()->Count(); ++i) {
        TMenuItem* item = menu.Items()->Items(i);
        int w = 0, h = 0;
        item->OnMeasureItem(item, measure, w, h);
        if (!measureOnly) item->OnDrawItem(item, out.Canvas(), RECT{x, y, x + kColumn, y + h}, selected(i));
        y += h;
    }
    return measureOnly ? y : y - kGap;
}

// Draws one style's menu at x into the picture; returns its height.
int DrawStyle(TsuiUIStyle style, TBitmap& out, int x, bool measureOnly)
{
    TOwnedComponent<TComponent> owner(new TComponent(nullptr));
    TsuiPopupMenu* menu = nullptr;
    {
        TLoadScope load(*owner);
        menu = new TsuiPopupMenu(owner.get());
        menu->SetUIStyle(style);
        auto* images = new TImageList(owner.get());
        AddSquare(*images);
        menu->SetImages(images);
        for (const TEntry& e : kEntries) {
            auto* item = new TMenuItem(owner.get());
            item->SetCaption(e.Caption);
            item->SetEnabled(e.Enabled);
            item->SetDefault(e.Default);
            item->SetChecked(e.Checked);
            item->SetImageIndex(e.Image ? 0 : -1);
            if (e.Image) item->SetShortCut(ShortCut('S', scCtrl));
            menu->Items()->Add(item);
        }
    }
    return DrawItems(*menu, out, x, measureOnly, [](int i) { return kEntries[i].Selected; });
}

int DrawTitleBarMenu(TsuiUIStyle style, TBitmap& out, int x, bool measureOnly)
{
    TOwnedComponent<TsuiTitleBar> bar(new TsuiTitleBar(nullptr));
    bar->SetUIStyle(style);
    for (int i = 0; i < bar->Buttons().Count(); ++i)
        if (bar->Buttons().Items(i)->ButtonType() == TsuiTitleBarBtnType::suiMin)
            bar->Buttons().Items(i)->SetButtonType(TsuiTitleBarBtnType::suiHelp);
    bar->TitleBarMenu()->UpdateItems();
    return DrawItems(*bar->TitleBarMenu(), out, x, measureOnly, [](int i) { return i == 3; });
}

// The five styles side by side, on grey.
bool WriteSheet(const char* path, int (*draw)(TsuiUIStyle, TBitmap&, int, bool))
{
    int height = 0;
    for (TsuiUIStyle style : kStyles) {
        TBitmap none;
        height = std::max(height, draw(style, none, 0, true));
    }
    TBitmap out(5 * kColumn + 6 * kGap, height + 2 * kGap);
    out.Canvas().Brush().SetColor(0x808080);
    out.Canvas().FillRect(RECT{0, 0, out.Width(), out.Height()});
    for (int i = 0; i < 5; ++i) draw(kStyles[i], out, kGap + i * (kColumn + kGap), false);
    if (!WriteBmp(out, path)) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return false;
    }
    std::printf("%s\n", path);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    bool ok = WriteSheet(argc > 1 ? argv[1] : "menu_preview.bmp", DrawStyle);
    if (argc > 2) ok = WriteSheet(argv[2], DrawTitleBarMenu) && ok;
    return ok ? 0 : 1;
}
