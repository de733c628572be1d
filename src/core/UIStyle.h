#pragma once
// The style model every skinned control shares: the style enumeration, the 42
// numbered theme items with their names and kinds, the values of the five
// built-in styles, and the rule that picks between a theme file and the
// built-in table. Pure data and rules; the pictures themselves live in the skin
// library.
#include <cstdint>
#include <string_view>

enum class TsuiUIStyle : std::uint8_t {
    FromThemeFile = 0,  // every item comes from the control's FileTheme
    MacOS = 1,
    WinXP = 2,
    DeepBlue = 3,       // the default, and the fallback when a theme file is unusable
    Protein = 4,
    BlueGlass = 5,
};

// Kinds are numbered as the theme-file tools know them.
enum class TThemeItemKind : std::uint8_t {
    Integer = 0,
    Colour = 1,  // 0x00BBGGRR, red in the low byte
    Bitmap = 2,  // the name of a bitmap resource of the program
    Boolean = 3,
};

// Theme item numbers. The name of each item is also its entry name in a theme file.
namespace ThemeItem {
constexpr int ButtonImage = 1;
constexpr int ButtonTransparentBool = 2;
constexpr int CheckBoxImage = 3;
constexpr int RadioButtonImage = 4;
constexpr int TitleBarButtonImage = 5;
constexpr int TitleBarButtonTransparentBool = 6;
constexpr int TitleBarButtonLeftOffsetInt = 7;
constexpr int TitleBarButtonRightOffsetInt = 8;
constexpr int TitleBarButtonTopInt = 9;
constexpr int TitleBarLeftImage = 10;
constexpr int TitleBarClientImage = 11;
constexpr int TitleBarRightImage = 12;
constexpr int FormMinWidthInt = 13;
constexpr int FormRoundCornerInt = 14;
constexpr int FormBackgroundColor = 15;
constexpr int FormBorderColor = 16;
constexpr int FormBorderWidthInt = 17;
constexpr int MenuSelectedBorderColor = 18;
constexpr int MenuSelectedBackgroundColor = 19;
constexpr int MenuSelectedFontColor = 20;
constexpr int MenuBackgroundColor = 21;
constexpr int MenuFontColor = 22;
constexpr int MenuBarColor = 23;
constexpr int ProgressBarImage = 24;
constexpr int ControlBorderColor = 25;
constexpr int ControlBackgroundColor = 26;
constexpr int ControlFontColor = 27;
constexpr int TrackBarBarImage = 28;
constexpr int TrackBarSliderImage = 29;
constexpr int TrackBarSliderVImage = 30;
constexpr int ScrollBarBackgroundColor = 31;
constexpr int ScrollBarButtonImage = 32;
constexpr int ScrollBarSliderImage = 33;
constexpr int CheckListBoxImage = 34;
constexpr int ToolBarButtonBorderColor = 35;
constexpr int ToolBarButtonBackgroundColor = 36;
constexpr int ToolBarButtonDownBackgroundColor = 37;
constexpr int ScrollButtonImage = 38;
constexpr int TabControlTabImage = 39;
constexpr int TabControlBarImage = 40;
constexpr int SideChannelHandleImage = 41;
constexpr int SideChannelBarImage = 42;
constexpr int First = 1;
constexpr int Last = 42;
constexpr int Count = 42;
}  // namespace ThemeItem

// Numbers outside 1..42 are no item: their name is empty and, since every kind
// is a real kind, ask IsThemeItem before trusting ThemeItemKindOf.
bool IsThemeItem(int item);
std::string_view ThemeItemName(int item);
TThemeItemKind ThemeItemKindOf(int item);
// The item whose name equals `name` exactly, or 0.
int ThemeItemByName(std::string_view name);

// Styles 1..5 have a column in the built-in table; FromThemeFile and any other
// byte value have none.
bool IsBuiltInStyle(TsuiUIStyle style);

// Built-in lookups. An item of another kind, an item number outside 1..42 or a
// style without a column gives the fixed "nothing" answer of each kind: colour
// 0, integer -1, boolean false, bitmap resource name empty.
std::uint32_t GetBuiltInColor(TsuiUIStyle style, int item);
std::int32_t GetBuiltInInt(TsuiUIStyle style, int item);
bool GetBuiltInBool(TsuiUIStyle style, int item);
std::string_view GetBuiltInBitmapName(TsuiUIStyle style, int item);

// Where a control reads its items from. UseThemeFile true: the file theme's
// lookups. False: the built-in table under Style.
struct TStyleSource {
    bool UseThemeFile = false;
    TsuiUIStyle Style = TsuiUIStyle::DeepBlue;
    bool operator==(const TStyleSource&) const = default;
};

// A style other than FromThemeFile is used as it is. FromThemeFile uses the file
// theme only when one is given and its file loaded (themeLoaded is false when
// the control has no file theme); otherwise the control falls back to DeepBlue.
TStyleSource ResolveUIStyle(TsuiUIStyle style, bool themeLoaded);
