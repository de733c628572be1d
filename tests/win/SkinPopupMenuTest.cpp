// The skinned popup menu: its style-derived values, the theme component going
// away, and items measured and drawn into memory DCs with the pixels read back.
#include "SUIMenuPaint.h"
#include "SUIPopupMenu.h"
#include "SUIThemes.h"
#include "TestSupport.h"
#include "ThemeFileWriter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using I = TsuiUIStyle;
constexpr I kStyles[] = {I::MacOS, I::WinXP, I::DeepBlue, I::Protein, I::BlueGlass};
constexpr int kW = 160, kH = 21;
constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);

COLORREF Rgb(TColor c) { return ColorToRGB(c); }

class PopupMenu : public ::testing::Test {
protected:
    // A menu loaded with its items, as a form builds it.
    TsuiPopupMenu* MakeMenu(I style, std::initializer_list<const char*> captions)
    {
        TLoadScope load(*owner_);
        auto* menu = new TsuiPopupMenu(owner_.get());
        menu->SetUIStyle(style);
        for (const char* caption : captions) {
            auto* item = new TMenuItem(owner_.get());
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        return menu;
    }

    // Draws one item over a prefilled DIB through the handler the item got.
    static void Draw(TMenuItem* item, TTestDib& dib, bool selected)
    {
        ASSERT_TRUE(item->OnDrawItem) << "the item was given no draw handler";
        TCanvas canvas(dib.Dc());
        item->OnDrawItem(item, canvas, RECT{0, 0, kW, kH}, selected);
    }

    static int Count(const TTestDib& dib, COLORREF colour, RECT area = RECT{0, 0, kW, kH})
    {
        int n = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) n += dib.Pixel(x, y) == colour;
        return n;
    }

    static int Differences(const TTestDib& a, const TTestDib& b)
    {
        int n = 0;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) n += a.Pixel(x, y) != b.Pixel(x, y);
        return n;
    }

    TOwnedComponent<TComponent> owner_{new TComponent(nullptr)};
};

class PopupMenuByStyle : public PopupMenu, public ::testing::WithParamInterface<I> {};

// ------------------------------------------------------------------ values

TEST_F(PopupMenu, MacOSKeepsItsHeightsUntilAnotherStyleResetsThem)
{
    auto* menu = new TsuiPopupMenu(owner_.get());
    static_cast<TPopupMenu*>(menu)->SetOwnerDraw(false);
    EXPECT_TRUE(menu->OwnerDraw()) << "an assignment through the framework class switched owner draw off";
    menu->SetUIStyle(I::MacOS);
    EXPECT_EQ(menu->MenuItemHeight(), 20);
    EXPECT_EQ(menu->SeparatorHeight(), 12);
    EXPECT_EQ(menu->SeparatorColor(), clBlack);
    menu->SetMenuItemHeight(30);
    menu->SetSeparatorHeight(9);
    EXPECT_EQ(menu->MenuItemHeight(), 20);
    EXPECT_EQ(menu->SeparatorHeight(), 12);

    menu->SetUIStyle(I::WinXP);
    EXPECT_EQ(menu->MenuItemHeight(), 21);
    EXPECT_EQ(menu->SeparatorHeight(), 5);
    menu->SetMenuItemHeight(30);
    EXPECT_EQ(menu->MenuItemHeight(), 30);
}

TEST_F(PopupMenu, ThemeColoursUntilTheThemeGoesThenDeepBlue)
{
    TThemeFileWriter w;
    w.AddInteger("MenuSelectedBackgroundColor", 0x0D0E0F);
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string path = std::string(folder) + "vk_popup_theme_" + std::to_string(GetCurrentProcessId()) + ".sui";
    const auto bytes = w.Build();
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    auto* theme = new TsuiFileTheme(owner_.get());
    theme->SetThemeFile(path);
    DeleteFileA(path.c_str());
    ASSERT_TRUE(theme->IsLoaded());

    auto* menu = new TsuiPopupMenu(owner_.get());
    menu->SetUIStyle(I::FromThemeFile);
    menu->SetFileTheme(theme);
    EXPECT_EQ(menu->SelectedColor(), 0x0D0E0Fu);
    theme->Free();
    EXPECT_EQ(menu->FileTheme(), nullptr);
    EXPECT_EQ(menu->UIStyle(), I::DeepBlue);
    EXPECT_EQ(menu->SelectedColor(), GetBuiltInColor(I::DeepBlue, ThemeItem::MenuSelectedBackgroundColor));
}

// ------------------------------------------------------------------ measuring

// An item is as wide as its caption and short cut in the font it is drawn in,
// whatever font the measuring canvas came with; a dash is a line.
TEST_F(PopupMenu, ItemsAreMeasuredInTheirDrawingFontAndDashAsSeparator)
{
    TMenuItem* line = nullptr;
    TsuiPopupMenu* menu = nullptr;
    {
        TLoadScope load(*owner_);
        menu = new TsuiPopupMenu(owner_.get());
        line = new TMenuItem(owner_.get());
        line->SetCaption("-");
        line->Add(new TMenuItem(owner_.get()));
        menu->Items()->Add(line);
    }
    ASSERT_TRUE(line->OnMeasureItem);
    TWindowDC screen(nullptr);
    TCanvas canvas(screen.get());
    int w = 0, h = 0;
    line->OnMeasureItem(line, canvas, w, h);
    EXPECT_EQ(h, menu->SeparatorHeight());

    auto* item = new TMenuItem(owner_.get());
    item->SetCaption("A long caption of the menu");
    item->SetShortCut(ShortCut('S', scCtrl));
    menu->Items()->Add(item);
    menu->SetUseSystemFont(false);
    menu->SetFontName("Arial");
    menu->SetFontSize(20);
    canvas.Font().SetName("Arial");
    canvas.Font().SetSize(20);
    canvas.Font().SetCharset(menu->FontCharset());
    const int want = canvas.TextWidth(item->Caption()) + canvas.TextWidth("Ctrl+S") + menu->BarWidth() + 40;
    canvas.Font().Assign(TFont());
    menu->DoMeasureItem(item, canvas, w, h);
    EXPECT_EQ(w, want);
}

TEST_F(PopupMenu, ItemsFreedAfterTheMenuKeepNoHandlersOfIt)
{
    auto* menu = MakeMenu(I::DeepBlue, {"A"});
    TMenuItem* item = menu->Items()->Items(0);
    ASSERT_TRUE(item->OnDrawItem);
    menu->Free();
    EXPECT_FALSE(item->OnDrawItem) << "the item would call into a freed menu";
    EXPECT_FALSE(item->OnMeasureItem);
}

// ------------------------------------------------------------------ drawing

// Bar, background, selection fill, frame and text in the style's colours.
TEST_P(PopupMenuByStyle, ItemPaintsBarFillFrameAndText)
{
    const I style = GetParam();
    auto* menu = MakeMenu(style, {"WWW"});
    TMenuItem* item = menu->Items()->Items(0);
    const RECT text{30, 4, 60, 18};

    TTestDib normal(kW, kH), selected(kW, kH);
    Draw(item, normal, false);
    Draw(item, selected, true);
    if (style == I::MacOS) {
        // MacOS draws both backgrounds from its pictures.
        TBitmap back(kW, kH), pick(kW, kH);
        DrawMacMenuBarBack(back.Canvas(), RECT{0, 0, kW, kH});
        DrawMacMenuSelection(pick.Canvas(), RECT{0, 0, kW, kH});
        EXPECT_EQ(normal.Pixel(2, 10), back.Pixel(2, 10));
        EXPECT_EQ(selected.Pixel(2, 10), pick.Pixel(2, 10));
    } else {
        EXPECT_EQ(normal.Pixel(25, 10), Rgb(GetBuiltInColor(style, ThemeItem::MenuBarColor)));
        EXPECT_EQ(normal.Pixel(26, 10), Rgb(GetBuiltInColor(style, ThemeItem::MenuBackgroundColor)));
        EXPECT_EQ(selected.Pixel(kW - 1, kH - 1), Rgb(GetBuiltInColor(style, ThemeItem::MenuSelectedBorderColor)));
        EXPECT_EQ(selected.Pixel(2, 10), Rgb(GetBuiltInColor(style, ThemeItem::MenuSelectedBackgroundColor)));
    }
    EXPECT_GT(Count(normal, Rgb(GetBuiltInColor(style, ThemeItem::MenuFontColor)), text), 5);
    EXPECT_GT(Count(selected, Rgb(GetBuiltInColor(style, ThemeItem::MenuSelectedFontColor)), text), 5);
}

TEST_P(PopupMenuByStyle, DisabledItemIsNeverDrawnSelectedAndIsGrey)
{
    auto* menu = MakeMenu(GetParam(), {"WWW"});
    TMenuItem* item = menu->Items()->Items(0);
    item->SetEnabled(false);
    TTestDib normal(kW, kH), underCursor(kW, kH);
    Draw(item, normal, false);
    Draw(item, underCursor, true);
    EXPECT_EQ(Differences(normal, underCursor), 0);
    EXPECT_GT(Count(normal, kGrey, RECT{30, 4, 60, 18}), 5);
}

TEST_F(PopupMenu, CheckedItemShowsTheMarkOrABoxUnderItsImage)
{
    auto* menu = MakeMenu(I::DeepBlue, {"A", "B"});
    TMenuItem* plain = menu->Items()->Items(0);
    TMenuItem* withImage = menu->Items()->Items(1);
    plain->SetChecked(true);
    TTestDib marked(kW, kH);
    Draw(plain, marked, false);
    // The mark is black on the white of its picture, which is the mask.
    const RECT markArea{4, 3, 20, 19};
    EXPECT_GT(Count(marked, RGB(0, 0, 0), markArea), 5);
    EXPECT_EQ(Count(marked, RGB(255, 255, 255), markArea), 0) << "the mark's white background was drawn";

    // An image of one red square in the middle; white is its mask.
    auto* images = new TImageList(owner_.get());
    TBitmap picture(16, 16);
    picture.Canvas().Brush().SetColor(clWhite);
    picture.Canvas().FillRect(RECT{0, 0, 16, 16});
    picture.Canvas().Brush().SetColor(0x0000FF);
    picture.Canvas().FillRect(RECT{6, 6, 10, 10});
    ASSERT_EQ(images->AddMasked(picture, clWhite), 0);
    menu->SetImages(images);
    withImage->SetImageIndex(0);
    withImage->SetChecked(true);
    TTestDib boxed(kW, kH);
    Draw(withImage, boxed, false);
    EXPECT_EQ(boxed.Pixel(20, 19), RGB(0, 0, 0));
    EXPECT_EQ(boxed.Pixel(3, 2), Rgb(menu->SelectedColor()));
    EXPECT_EQ(boxed.Pixel(4 + 7, 3 + 7), RGB(255, 0, 0)) << "the image goes over the box";

    // An index past the list's end is no image: the check mark shows.
    withImage->SetImageIndex(1);
    TTestDib pastEnd(kW, kH);
    Draw(withImage, pastEnd, false);
    EXPECT_GT(Count(pastEnd, RGB(0, 0, 0), markArea), 5);
}

TEST_F(PopupMenu, DefaultItemIsBold)
{
    auto* menu = MakeMenu(I::WinXP, {"WWWW"});
    TMenuItem* item = menu->Items()->Items(0);
    TTestDib regular(kW, kH), bold(kW, kH);
    Draw(item, regular, false);
    item->SetDefault(true);
    Draw(item, bold, false);
    EXPECT_GT(Count(bold, RGB(0, 0, 0)), Count(regular, RGB(0, 0, 0)) + 10);
}

TEST_F(PopupMenu, TheCheckMarkListLivesWhileAMenuDoes)
{
    ASSERT_EQ(LiveHandles(THandleKind::ImageList), 0);
    auto* first = new TsuiPopupMenu(owner_.get());
    auto* second = new TsuiPopupMenu(owner_.get());
    EXPECT_EQ(LiveHandles(THandleKind::ImageList), 1);
    ASSERT_NE(TsuiPopupMenu::CheckMarkImages(), nullptr);
    EXPECT_EQ(TsuiPopupMenu::CheckMarkImages()->Count(), 1);
    first->Free();
    EXPECT_EQ(LiveHandles(THandleKind::ImageList), 1);
    second->Free();
    EXPECT_EQ(LiveHandles(THandleKind::ImageList), 0);
    EXPECT_EQ(TsuiPopupMenu::CheckMarkImages(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Styles, PopupMenuByStyle, ::testing::ValuesIn(kStyles));

}  // namespace
