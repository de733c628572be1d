#include "UIStyle.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using S = TsuiUIStyle;
namespace I = ThemeItem;

TEST(ThemeItems, NamesAreUniqueAndMatchTheirNumbers)
{
    std::set<std::string> names;
    for (int item = I::First; item <= I::Last; ++item) {
        const std::string name(ThemeItemName(item));
        ASSERT_FALSE(name.empty()) << item;
        EXPECT_TRUE(names.insert(name).second) << name;
        EXPECT_EQ(ThemeItemByName(name), item);
    }
    EXPECT_EQ(ThemeItemName(I::FormBorderColor), "FormBorderColor");
    EXPECT_EQ(ThemeItemName(I::SideChannelBarImage), "SideChannelBarImage");
    EXPECT_EQ(ThemeItemName(0), "");
    EXPECT_EQ(ThemeItemName(43), "");
    EXPECT_EQ(ThemeItemByName("buttonimage"), 0);  // exact spelling only
}

TEST(ThemeItems, KindsSpotCheck)
{
    EXPECT_EQ(ThemeItemKindOf(I::ButtonTransparentBool), TThemeItemKind::Boolean);
    EXPECT_EQ(ThemeItemKindOf(I::TitleBarButtonRightOffsetInt), TThemeItemKind::Integer);
    EXPECT_EQ(ThemeItemKindOf(I::MenuBarColor), TThemeItemKind::Colour);
    EXPECT_EQ(ThemeItemKindOf(I::ScrollButtonImage), TThemeItemKind::Bitmap);
    int count[4] = {};
    for (int item = I::First; item <= I::Last; ++item)
        ++count[static_cast<int>(ThemeItemKindOf(item))];
    EXPECT_EQ(count[0], 6);   // integers
    EXPECT_EQ(count[1], 15);  // colours
    EXPECT_EQ(count[2], 19);  // bitmaps
    EXPECT_EQ(count[3], 2);   // booleans
}

TEST(BuiltInTable, IntegersIncludingNegativeOffsets)
{
    EXPECT_EQ(GetBuiltInInt(S::MacOS, I::TitleBarButtonRightOffsetInt), -2);
    EXPECT_EQ(GetBuiltInInt(S::WinXP, I::TitleBarButtonRightOffsetInt), -2);
    EXPECT_EQ(GetBuiltInInt(S::BlueGlass, I::TitleBarButtonRightOffsetInt), -3);
    EXPECT_EQ(GetBuiltInInt(S::BlueGlass, I::FormMinWidthInt), 270);
    EXPECT_EQ(GetBuiltInInt(S::WinXP, I::FormRoundCornerInt), 13);
    EXPECT_EQ(GetBuiltInInt(S::BlueGlass, I::TitleBarButtonTopInt), 6);
}

TEST(BuiltInTable, ColoursAreStoredRedInTheLowByte)
{
    EXPECT_EQ(GetBuiltInColor(S::WinXP, I::FormBorderColor), 0x00C82C00u);     // #002CC8
    EXPECT_EQ(GetBuiltInColor(S::WinXP, I::FormBackgroundColor), 0x00DEEBEFu); // #EFEBDE
    EXPECT_EQ(GetBuiltInColor(S::BlueGlass, I::MenuSelectedBorderColor), 0x00EC5E5Eu);
    EXPECT_EQ(GetBuiltInColor(S::MacOS, I::MenuBackgroundColor), 0x00000000u);
    EXPECT_EQ(GetBuiltInColor(S::WinXP, I::ToolBarButtonDownBackgroundColor), 0x00E1AC93u);
}

TEST(BuiltInTable, Booleans)
{
    EXPECT_TRUE(GetBuiltInBool(S::MacOS, I::ButtonTransparentBool));
    EXPECT_FALSE(GetBuiltInBool(S::DeepBlue, I::ButtonTransparentBool));
    EXPECT_FALSE(GetBuiltInBool(S::MacOS, I::TitleBarButtonTransparentBool));
    EXPECT_TRUE(GetBuiltInBool(S::Protein, I::TitleBarButtonTransparentBool));
}

TEST(BuiltInTable, BitmapResourceNamesAsTheResourcesSpellThem)
{
    EXPECT_EQ(GetBuiltInBitmapName(S::DeepBlue, I::ButtonImage), "DEEPBLUE_BUTTON");
    EXPECT_EQ(GetBuiltInBitmapName(S::WinXP, I::TitleBarButtonImage), "WINXP_TITLEBTN");
    EXPECT_EQ(GetBuiltInBitmapName(S::BlueGlass, I::ScrollBarSliderImage), "BLUEGLASS_SCROLLBAR_TRACK");
    EXPECT_EQ(GetBuiltInBitmapName(S::Protein, I::SideChannelHandleImage), "PROTEIN_SIDECHENNEL_HANDLE");
    EXPECT_EQ(GetBuiltInBitmapName(S::MacOS, I::SideChannelBarImage), "MACOS_SIDECHENNEL_BAR");
    EXPECT_EQ(GetBuiltInBitmapName(S::MacOS, I::ScrollButtonImage), "MACOS_SCROLLBUTTON");
    EXPECT_EQ(GetBuiltInBitmapName(S::WinXP, I::ScrollButtonImage), "WINXP_SCROLLBUTTON");
    for (S s : {S::DeepBlue, S::Protein, S::BlueGlass})
        EXPECT_EQ(GetBuiltInBitmapName(s, I::ScrollButtonImage), "MORE_SCROLLBUTTON");
}

TEST(BuiltInTable, WrongKindGivesTheNothingAnswer)
{
    EXPECT_EQ(GetBuiltInInt(S::DeepBlue, I::FormBackgroundColor), -1);
    EXPECT_EQ(GetBuiltInColor(S::DeepBlue, I::FormBorderWidthInt), 0u);
    EXPECT_FALSE(GetBuiltInBool(S::MacOS, I::FormBorderWidthInt));  // 1 as integer, not a boolean
    EXPECT_EQ(GetBuiltInInt(S::MacOS, I::ButtonTransparentBool), -1);
    EXPECT_EQ(GetBuiltInBitmapName(S::WinXP, I::FormBorderColor), "");
}

TEST(BuiltInTable, StylesAndItemsWithoutEntry)
{
    const S outside = static_cast<S>(6);
    for (S s : {S::FromThemeFile, outside}) {
        EXPECT_EQ(GetBuiltInInt(s, I::FormMinWidthInt), -1);
        EXPECT_EQ(GetBuiltInColor(s, I::FormBorderColor), 0u);
        EXPECT_FALSE(GetBuiltInBool(s, I::ButtonTransparentBool));
        EXPECT_EQ(GetBuiltInBitmapName(s, I::ButtonImage), "");
    }
    for (int item : {0, -1, 43, 1000}) {
        EXPECT_EQ(GetBuiltInInt(S::MacOS, item), -1);
        EXPECT_EQ(GetBuiltInColor(S::MacOS, item), 0u);
        EXPECT_EQ(GetBuiltInBitmapName(S::MacOS, item), "");
    }
}

TEST(ResolveUIStyle, BuiltInStylesIgnoreTheTheme)
{
    for (bool loaded : {false, true}) {
        EXPECT_EQ(ResolveUIStyle(S::MacOS, loaded), (TStyleSource{false, S::MacOS}));
        EXPECT_EQ(ResolveUIStyle(S::BlueGlass, loaded), (TStyleSource{false, S::BlueGlass}));
    }
}

TEST(ResolveUIStyle, FromThemeFileNeedsALoadedFileElseDeepBlue)
{
    EXPECT_EQ(ResolveUIStyle(S::FromThemeFile, true), (TStyleSource{true, S::FromThemeFile}));
    EXPECT_EQ(ResolveUIStyle(S::FromThemeFile, false), (TStyleSource{false, S::DeepBlue}));
}
