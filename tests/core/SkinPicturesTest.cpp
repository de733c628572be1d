#include "SkinPictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

#include "UIStyle.h"

namespace {

using S = TsuiUIStyle;
namespace I = ThemeItem;

const std::map<std::string, TSkinPicture>& Pictures()
{
    static const auto all = [] {
        std::map<std::string, TSkinPicture> m;
        for (auto& p : BuildBuiltInSkinPictures()) {
            const std::string name = p.Name;
            EXPECT_TRUE(m.emplace(name, std::move(p)).second) << "drawn twice: " << name;
        }
        return m;
    }();
    return all;
}

const TSkinPicture& Pic(S style, int item)
{
    const std::string name(GetBuiltInBitmapName(style, item));
    const auto it = Pictures().find(name);
    if (it == Pictures().end()) {
        ADD_FAILURE() << "no picture " << name;
        static const TSkinPicture none;
        return none;
    }
    return it->second;
}

// Frames a and b (1-based) of a strip look alike: fewer than 4% of their
// pixels differ by more than 24 levels in some channel.
bool FramesEqual(const TSkinPicture& p, int a, int b)
{
    const int w = p.FrameWidth();
    int differing = 0;
    for (int y = 0; y < p.Bitmap.Height; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t ca = p.Bitmap.At((a - 1) * w + x, y), cb = p.Bitmap.At((b - 1) * w + x, y);
            for (int shift : {0, 8, 16})
                if (std::abs(int((ca >> shift) & 0xFF) - int((cb >> shift) & 0xFF)) > 24) {
                    ++differing;
                    break;
                }
        }
    return differing * 25 < w * p.Bitmap.Height;
}

constexpr S kStyles[] = {S::MacOS, S::WinXP, S::DeepBlue, S::Protein, S::BlueGlass};

}  // namespace

TEST(SkinPictures, EveryNameTheControlsLoadIsDrawnAndNothingElse)
{
    std::set<std::string> wanted = {"MACOS_FORM_BACKGROUND", "PROTEIN_FORM_BACKGROUND", "MACOS_MENU_BAR",
                                    "MACOS_MENU_SELECT", "MENU_CHECKED"};
    for (S s : kStyles)
        for (int item = I::First; item <= I::Last; ++item)
            if (ThemeItemKindOf(item) == TThemeItemKind::Bitmap) wanted.insert(std::string(GetBuiltInBitmapName(s, item)));
    std::set<std::string> drawn;
    for (const auto& [name, p] : Pictures()) {
        drawn.insert(name);
        EXPECT_GT(p.Bitmap.Width, 0) << name;
        EXPECT_GT(p.Bitmap.Height, 0) << name;
        EXPECT_EQ(p.Bitmap.Pixels.size(), std::size_t(p.Bitmap.Width) * p.Bitmap.Height) << name;
        EXPECT_EQ(p.Bitmap.Width % p.Frames, 0) << name << ": frames of unequal width";
    }
    EXPECT_EQ(drawn, wanted);
    EXPECT_TRUE(drawn.count("MORE_SCROLLBUTTON"));
    EXPECT_TRUE(drawn.count("DEEPBLUE_SIDECHENNEL_BAR"));
}

TEST(SkinPictures, StripsHaveTheFrameCountsAndSizesTheControlsCut)
{
    struct Want {
        S Style;
        int Item, Frames, W, H;
    };
    const Want wants[] = {
        {S::MacOS, I::TitleBarButtonImage, 18, 17, 17},  {S::WinXP, I::TitleBarButtonImage, 18, 21, 21},
        {S::DeepBlue, I::TitleBarButtonImage, 18, 19, 19}, {S::Protein, I::TitleBarButtonImage, 18, 19, 19},
        {S::BlueGlass, I::TitleBarButtonImage, 18, 19, 19}, {S::MacOS, I::ButtonImage, 3, 84, 23},
        {S::WinXP, I::ButtonImage, 3, 18, 21},           {S::DeepBlue, I::ButtonImage, 3, 74, 21},
        {S::Protein, I::ButtonImage, 3, 74, 21},         {S::BlueGlass, I::ButtonImage, 3, 77, 27},
        {S::MacOS, I::CheckBoxImage, 4, 15, 17},         {S::MacOS, I::RadioButtonImage, 4, 15, 17},
        {S::WinXP, I::CheckBoxImage, 4, 13, 13},         {S::BlueGlass, I::RadioButtonImage, 4, 13, 13},
        {S::DeepBlue, I::CheckBoxImage, 4, 13, 13},      {S::Protein, I::RadioButtonImage, 4, 13, 13},
    };
    for (const auto& w : wants) {
        const TSkinPicture& p = Pic(w.Style, w.Item);
        SCOPED_TRACE(p.Name);
        EXPECT_EQ(p.Frames, w.Frames);
        EXPECT_EQ(p.Bitmap.Width, w.Frames * w.W);
        EXPECT_EQ(p.Bitmap.Height, w.H);
    }
}

TEST(SkinPictures, TitleBarFitsItsButtonsAndItsThreeSectionsShareOneHeight)
{
    for (S s : kStyles) {
        const int h = Pic(s, I::TitleBarLeftImage).Bitmap.Height;
        SCOPED_TRACE(Pic(s, I::TitleBarLeftImage).Name);
        EXPECT_EQ(Pic(s, I::TitleBarClientImage).Bitmap.Height, h);
        EXPECT_EQ(Pic(s, I::TitleBarRightImage).Bitmap.Height, h);
        const int top = GetBuiltInInt(s, I::TitleBarButtonTopInt);
        EXPECT_LE(top + Pic(s, I::TitleBarButtonImage).Bitmap.Height, h) << "buttons hang below the bar";
    }
}

TEST(SkinPictures, StatesOfEveryStripAreVisiblyDifferent)
{
    for (S s : kStyles) {
        const TSkinPicture& button = Pic(s, I::ButtonImage);
        EXPECT_FALSE(FramesEqual(button, 1, 2)) << button.Name;
        EXPECT_FALSE(FramesEqual(button, 2, 3)) << button.Name;
        EXPECT_FALSE(FramesEqual(button, 1, 3)) << button.Name;
        const TSkinPicture& title = Pic(s, I::TitleBarButtonImage);
        for (int a = 1; a <= 18; ++a)
            for (int b = a + 1; b <= 18; ++b) EXPECT_FALSE(FramesEqual(title, a, b)) << title.Name << " " << a << "/" << b;
        for (int item : {I::CheckBoxImage, I::RadioButtonImage}) {
            const TSkinPicture& box = Pic(s, item);
            for (int a = 1; a <= 4; ++a)
                for (int b = a + 1; b <= 4; ++b) EXPECT_FALSE(FramesEqual(box, a, b)) << box.Name << " " << a << "/" << b;
        }
    }
}

TEST(SkinPictures, MagentaMarksExactlyTheTransparentPlaces)
{
    for (S s : kStyles) {
        // Buttons: rounded corners keyed out where the style draws them transparent,
        // the form's colour where it does not.
        const TSkinPicture& button = Pic(s, I::ButtonImage);
        const bool buttonKeyed = button.Bitmap.At(0, 0) == kSkinMagenta;
        EXPECT_EQ(buttonKeyed, GetBuiltInBool(s, I::ButtonTransparentBool)) << button.Name;
        // Title buttons: the bar keys out with the bottom-left pixel of each frame.
        const TSkinPicture& title = Pic(s, I::TitleBarButtonImage);
        const bool keyed = GetBuiltInBool(s, I::TitleBarButtonTransparentBool);
        for (int k = 0; k < 18; ++k) {
            const std::uint32_t bottomLeft = title.Bitmap.At(k * title.FrameWidth(), title.Bitmap.Height - 1);
            EXPECT_EQ(bottomLeft == kSkinMagenta, keyed) << title.Name << " frame " << k + 1;
        }
        // The centre of every drawn face is never the key colour.
        for (int k = 0; k < button.Frames; ++k)
            EXPECT_NE(button.Bitmap.At(k * button.FrameWidth() + button.FrameWidth() / 2, button.Bitmap.Height / 2),
                      kSkinMagenta);
    }
    // Pictures stretched or tiled whole have no key colour at all.
    for (const char* name : {"MACOS_FORM_BACKGROUND", "PROTEIN_FORM_BACKGROUND", "MACOS_MENU_BAR", "MACOS_MENU_SELECT",
                             "MACOS_TITLE_CLIENT", "WINXP_TITLE_LEFT", "BLUEGLASS_TITLE_RIGHT"})
        for (std::uint32_t c : Pictures().at(name).Bitmap.Pixels) ASSERT_NE(c, kSkinMagenta) << name;
}

TEST(SkinPictures, MenuCheckMarkIsBlackOnTheWhiteMask)
{
    const TSkinBitmap& b = Pictures().at("MENU_CHECKED").Bitmap;
    ASSERT_EQ(b.Width, 16);
    ASSERT_EQ(b.Height, 16);
    int black = 0;
    for (std::uint32_t c : b.Pixels) {
        EXPECT_TRUE(c == 0xFFFFFF || c == 0x000000) << std::hex << c;  // no grey fringe
        black += c == 0;
    }
    EXPECT_GT(black, 15);
    EXPECT_EQ(b.At(0, 0), 0xFFFFFFu);
}

TEST(SkinPictures, Bmp24LayoutIsBottomUpWithPaddedRows)
{
    TSkinBitmap b(3, 2, 0);
    b.Set(0, 0, 0x112233);  // top-left
    b.Set(2, 1, 0xAABBCC);  // bottom-right
    const auto bytes = EncodeBmp24(b);
    auto u32 = [&](std::size_t at) {
        return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8 | std::uint32_t(bytes[at + 2]) << 16 |
               std::uint32_t(bytes[at + 3]) << 24;
    };
    ASSERT_EQ(bytes.size(), 14u + 40u + 2u * 12u);  // 3 pixels = 9 bytes, padded to 12
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(u32(2), bytes.size());
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(18), 3u);
    EXPECT_EQ(u32(22), 2u);
    EXPECT_EQ(bytes[28], 24);
    // First stored row is the bottom one; pixels are blue, green, red.
    EXPECT_EQ(bytes[54 + 6], 0xCC);
    EXPECT_EQ(bytes[54 + 7], 0xBB);
    EXPECT_EQ(bytes[54 + 8], 0xAA);
    EXPECT_EQ(bytes[54 + 12], 0x33);
    EXPECT_EQ(bytes[54 + 13], 0x22);
    EXPECT_EQ(bytes[54 + 14], 0x11);
}

TEST(SkinPictures, ResourceScriptNamesEveryPictureByItsFile)
{
    const auto all = BuildBuiltInSkinPictures();
    const std::string rc = SkinPicturesResourceScript(all);
    for (const auto& p : all) EXPECT_NE(rc.find("\n" + p.Name + " BITMAP \"" + p.Name + ".bmp\"\n"), std::string::npos) << p.Name;
}
