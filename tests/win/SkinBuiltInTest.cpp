// The built-in styles' pictures as the controls load them from the program's
// resources (frame counts and sizes, the answers for items that are no
// picture), and the menu drawing helpers.
#include "Menus.h"
#include "SUIMenuPaint.h"
#include "SUIThemes.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr COLORREF kBackground = RGB(0x12, 0x34, 0x56);

void FillSolid(TBitmap& b, int w, int h, COLORREF c)
{
    b.SetSize(w, h);
    b.Canvas().Brush().SetColor(c);
    b.Canvas().FillRect(RECT{0, 0, w, h});
}

bool FramesDiffer(TBitmap& a, TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return true;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return true;
    return false;
}

struct TFrameSizes {
    TsuiUIStyle Style;
    SIZE TitleButton;  // one of 18 frames
    SIZE Button;       // one of 3 frames
    SIZE CheckBox;     // one of 4 frames, radio buttons alike
};

class SkinBuiltInStyle : public ::testing::TestWithParam<TFrameSizes> {};

// Whether our picture holds exactly what the system's own loader makes of the
// same resource (we read the resource in place instead).
::testing::AssertionResult SameAsSystemLoader(TBitmap& picture, const std::string& name)
{
    TBitmapHandle loaded(static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(nullptr), name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info{};
    if (!loaded || !GetObjectA(loaded.get(), sizeof(info), &info)) return ::testing::AssertionFailure() << "no " << name;
    if (info.bmWidth != picture.Width() || info.bmHeight != picture.Height())
        return ::testing::AssertionFailure() << name << " is " << info.bmWidth << "x" << info.bmHeight;
    TMemoryDC dc;
    TSelectObject selected(dc.get(), loaded.get());
    for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x)
            if (GetPixel(dc.get(), x, y) != picture.Pixel(x, y))
                return ::testing::AssertionFailure() << name << " differs at " << x << "," << y;
    return ::testing::AssertionSuccess();
}

TEST_P(SkinBuiltInStyle, EveryPictureItemLoadsFromTheResourcesPixelForPixel)
{
    const TsuiUIStyle style = GetParam().Style;
    for (int item = ThemeItem::First; item <= ThemeItem::Last; ++item) {
        if (ThemeItemKindOf(item) != TThemeItemKind::Bitmap) continue;
        TBitmap picture;
        ASSERT_NO_THROW(GetBuiltInBitmap(style, item, &picture, 0, 0)) << ThemeItemName(item);
        EXPECT_TRUE(SameAsSystemLoader(picture, std::string(GetBuiltInBitmapName(style, item))));
    }
}

TEST_P(SkinBuiltInStyle, StripsCutIntoFramesOfTheirControlsSize)
{
    const TFrameSizes& sizes = GetParam();
    const auto expectFrame = [&](int item, int count, SIZE size) {
        TBitmap whole, frame;
        GetBuiltInBitmap(sizes.Style, item, &whole, 0, 0);
        EXPECT_EQ(whole.Width(), size.cx * count) << ThemeItemName(item);
        GetBuiltInBitmap(sizes.Style, item, &frame, count, count);
        EXPECT_EQ(frame.Width(), size.cx) << ThemeItemName(item);
        EXPECT_EQ(frame.Height(), size.cy) << ThemeItemName(item);
    };
    expectFrame(ThemeItem::TitleBarButtonImage, 18, sizes.TitleButton);
    expectFrame(ThemeItem::ButtonImage, 3, sizes.Button);
    expectFrame(ThemeItem::CheckBoxImage, 4, sizes.CheckBox);
    expectFrame(ThemeItem::RadioButtonImage, 4, sizes.CheckBox);
}

TEST_P(SkinBuiltInStyle, NormalMouseOnAndPressedFramesLookDifferent)
{
    const TsuiUIStyle style = GetParam().Style;
    TBitmap normal, over, pressed;
    GetBuiltInBitmap(style, ThemeItem::ButtonImage, &normal, 1, 3);
    GetBuiltInBitmap(style, ThemeItem::ButtonImage, &over, 2, 3);
    GetBuiltInBitmap(style, ThemeItem::ButtonImage, &pressed, 3, 3);
    EXPECT_TRUE(FramesDiffer(normal, over));
    EXPECT_TRUE(FramesDiffer(over, pressed));
    EXPECT_TRUE(FramesDiffer(normal, pressed));
    TBitmap checked, unchecked;
    GetBuiltInBitmap(style, ThemeItem::CheckBoxImage, &checked, 1, 4);
    GetBuiltInBitmap(style, ThemeItem::CheckBoxImage, &unchecked, 2, 4);
    EXPECT_TRUE(FramesDiffer(unchecked, checked));
}

TEST_P(SkinBuiltInStyle, TitleBarPicturesAreAsHighAsTheBar)
{
    const TsuiUIStyle style = GetParam().Style;
    TBitmap left, client, right;
    GetBuiltInBitmap(style, ThemeItem::TitleBarLeftImage, &left, 0, 0);
    GetBuiltInBitmap(style, ThemeItem::TitleBarClientImage, &client, 0, 0);
    GetBuiltInBitmap(style, ThemeItem::TitleBarRightImage, &right, 0, 0);
    EXPECT_EQ(left.Height(), client.Height());
    EXPECT_EQ(right.Height(), client.Height());
    // The title buttons sit inside the bar at the style's top offset.
    TBitmap button;
    GetBuiltInBitmap(style, ThemeItem::TitleBarButtonImage, &button, 1, 18);
    EXPECT_LE(GetBuiltInInt(style, ThemeItem::TitleBarButtonTopInt) + button.Height(), client.Height());
}

INSTANTIATE_TEST_SUITE_P(AllStyles, SkinBuiltInStyle,
                         ::testing::Values(TFrameSizes{TsuiUIStyle::MacOS, {17, 17}, {84, 23}, {15, 17}},
                                           TFrameSizes{TsuiUIStyle::WinXP, {21, 21}, {18, 21}, {13, 13}},
                                           TFrameSizes{TsuiUIStyle::DeepBlue, {19, 19}, {74, 21}, {13, 13}},
                                           TFrameSizes{TsuiUIStyle::Protein, {19, 19}, {74, 21}, {13, 13}},
                                           TFrameSizes{TsuiUIStyle::BlueGlass, {19, 19}, {77, 27}, {13, 13}}));

TEST(SkinBuiltInBitmap, ItemsThatAreNoPictureLeaveTheTargetOrCutFromNothing)
{
    TBitmap target;
    FillSolid(target, 3, 3, kBackground);
    GetBuiltInBitmap(TsuiUIStyle::DeepBlue, ThemeItem::FormBorderColor, &target, 0, 0);
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.Pixel(1, 1), kBackground);
    GetBuiltInBitmap(TsuiUIStyle::FromThemeFile, ThemeItem::ButtonImage, &target, 0, 0);
    EXPECT_EQ(target.Width(), 3);
    GetBuiltInBitmap(static_cast<TsuiUIStyle>(9), ThemeItem::ButtonImage, &target, 0, 0);
    EXPECT_EQ(target.Width(), 3);
    GetBuiltInBitmap(TsuiUIStyle::DeepBlue, ThemeItem::FormBorderColor, &target, 1, 4);
    EXPECT_TRUE(target.Empty());
    GetBuiltInBitmap(TsuiUIStyle::MacOS, ThemeItem::ButtonImage, nullptr, 1, 3);  // nothing to load into
}

TEST(SkinBuiltInBitmap, TheFixedPicturesLoadAndAMissingNameRaises)
{
    for (const char* name :
         {"MACOS_FORM_BACKGROUND", "PROTEIN_FORM_BACKGROUND", "MACOS_MENU_BAR", "MACOS_MENU_SELECT", "MENU_CHECKED"}) {
        TBitmap picture;
        ASSERT_NO_THROW(LoadSkinPicture(picture, name)) << name;
        EXPECT_FALSE(picture.Empty()) << name;
    }
    TBitmap picture;
    EXPECT_THROW(LoadSkinPicture(picture, "NO_SUCH_PICTURE"), EResNotFound);
}

TEST(SkinBuiltInBitmap, TheSharedScrollButtonIsOnePicture)
{
    TBitmap deepBlue, protein;
    GetBuiltInBitmap(TsuiUIStyle::DeepBlue, ThemeItem::ScrollButtonImage, &deepBlue, 0, 0);
    GetBuiltInBitmap(TsuiUIStyle::Protein, ThemeItem::ScrollButtonImage, &protein, 0, 0);
    EXPECT_FALSE(deepBlue.Empty());
    EXPECT_FALSE(FramesDiffer(deepBlue, protein));
}

// ------------------------------------------------------------------ menus

TEST(SkinMenuPaint, FramesFillsAndSeparatorsPutTheirPixelsExactly)
{
    TBitmap b;
    FillSolid(b, 40, 20, kBackground);
    FrameRectColor(b.Canvas(), RECT{2, 2, 12, 10}, RGB(255, 0, 0));
    EXPECT_EQ(b.Pixel(2, 2), RGB(255, 0, 0));
    EXPECT_EQ(b.Pixel(11, 9), RGB(255, 0, 0));
    EXPECT_EQ(b.Pixel(5, 5), kBackground);
    EXPECT_EQ(b.Pixel(12, 5), kBackground);
    FillRectColor(b.Canvas(), RECT{20, 2, 30, 10}, RGB(0, 255, 0));
    EXPECT_EQ(b.Pixel(25, 5), RGB(0, 255, 0));
    EXPECT_EQ(b.Pixel(30, 5), kBackground);

    // From (left + indent + 4, top + 2) up to, not including, right - 2.
    DrawMenuSeparator(b.Canvas(), RECT{0, 12, 40, 20}, RGB(0, 0, 255), 3);
    EXPECT_EQ(b.Pixel(6, 14), kBackground);
    EXPECT_EQ(b.Pixel(7, 14), RGB(0, 0, 255));
    EXPECT_EQ(b.Pixel(37, 14), RGB(0, 0, 255));
    EXPECT_EQ(b.Pixel(38, 14), kBackground);
    EXPECT_EQ(b.Pixel(20, 13), kBackground);
}

TEST(SkinMenuPaint, MacMenuPicturesAreDrawnFromTheirTopRows)
{
    TBitmap bar, select;
    LoadSkinPicture(bar, "MACOS_MENU_BAR");
    LoadSkinPicture(select, "MACOS_MENU_SELECT");
    ASSERT_GE(bar.Height(), 20);
    ASSERT_GE(select.Height(), 20);
    const auto rowsMatch = [](TBitmap& drawn, TBitmap& picture, int rows) {
        for (int y = 0; y < rows; ++y)
            for (int x = 0; x < picture.Width(); ++x)
                if (drawn.Pixel(x, y) != picture.Pixel(x, y)) return false;
        return true;
    };
    TBitmap out;
    FillSolid(out, bar.Width(), 12, kBackground);
    DrawMacMenuBarStrip(out.Canvas(), RECT{0, 0, bar.Width(), 12});
    EXPECT_TRUE(rowsMatch(out, bar, 12));
    FillSolid(out, bar.Width(), 20, kBackground);
    DrawMacMenuBarBack(out.Canvas(), RECT{0, 0, bar.Width(), 20});
    EXPECT_TRUE(rowsMatch(out, bar, 20));
    FillSolid(out, select.Width(), 20, kBackground);
    DrawMacMenuSelection(out.Canvas(), RECT{0, 0, select.Width(), 20});
    EXPECT_TRUE(rowsMatch(out, select, 20));
}

TEST(SkinMenuPaint, DrawHandlersReachEveryItemOfTheTree)
{
    TComponent owner(nullptr);
    auto* root = new TMenuItem(&owner);
    auto* a = new TMenuItem(&owner);
    auto* a1 = new TMenuItem(&owner);
    auto* b = new TMenuItem(&owner);
    root->Add(a);
    a->Add(a1);
    root->Add(b);
    int measured = 0, drawn = 0;
    SetMenuDrawHandlers(*root, [&](TObject*, TCanvas&, int&, int&) { ++measured; },
                        [&](TObject*, TCanvas&, RECT, bool) { ++drawn; });
    TBitmap b1(1, 1);
    int w = 0, h = 0;
    for (TMenuItem* item : {root, a, a1, b}) {
        ASSERT_TRUE(item->OnMeasureItem && item->OnDrawItem);
        item->OnMeasureItem(item, b1.Canvas(), w, h);
        item->OnDrawItem(item, b1.Canvas(), RECT{}, false);
    }
    EXPECT_EQ(measured, 4);
    EXPECT_EQ(drawn, 4);
}

TEST(SkinMenuPaint, TheMenuFontIsTheSystemsMenuFont)
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = 340;
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 340, &metrics, 0));
    TFont font;
    font.SetName("Some Other Face");
    font.SetHeight(-40);
    AssignMenuFont(font);
    EXPECT_EQ(font.Name(), std::string(metrics.lfMenuFont.lfFaceName));
    EXPECT_EQ(font.Height(), metrics.lfMenuFont.lfHeight);
    EXPECT_EQ(ColorToRGB(font.Color()), GetSysColor(COLOR_MENUTEXT));
}

}  // namespace
