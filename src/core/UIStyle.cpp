#include "UIStyle.h"

#include <array>

namespace {

using K = TThemeItemKind;

// One cell of the built-in table: integers, colours and booleans (0 or 1) as a
// number, pictures as the name of a bitmap resource.
struct TCell {
    std::int32_t Number = 0;
    std::string_view Resource;
};
constexpr TCell N(std::int32_t v) { return {v, {}}; }
constexpr TCell R(std::string_view name) { return {0, name}; }

struct TItemRow {
    std::string_view Name;
    TThemeItemKind Kind;
    std::array<TCell, 5> Styles;  // MacOS, WinXP, DeepBlue, Protein, BlueGlass
};

// Row n - 1 is item n. The resource names are spelled as the program's resources
// are named, SIDECHENNEL included, and three styles share MORE_SCROLLBUTTON.
constexpr std::array<TItemRow, ThemeItem::Count> Table{{
    {"ButtonImage", K::Bitmap, {R("MACOS_BUTTON"), R("WINXP_BUTTON"), R("DEEPBLUE_BUTTON"), R("PROTEIN_BUTTON"), R("BLUEGLASS_BUTTON")}},
    {"ButtonTransparentBool", K::Boolean, {N(1), N(0), N(0), N(0), N(1)}},
    {"CheckBoxImage", K::Bitmap, {R("MACOS_CHECKBOX"), R("WINXP_CHECKBOX"), R("DEEPBLUE_CHECKBOX"), R("PROTEIN_CHECKBOX"), R("BLUEGLASS_CHECKBOX")}},
    {"RadioButtonImage", K::Bitmap, {R("MACOS_RADIOBUTTON"), R("WINXP_RADIOBUTTON"), R("DEEPBLUE_RADIOBUTTON"), R("PROTEIN_RADIOBUTTON"), R("BLUEGLASS_RADIOBUTTON")}},
    {"TitleBarButtonImage", K::Bitmap, {R("MACOS_TITLEBTN"), R("WINXP_TITLEBTN"), R("DEEPBLUE_TITLEBTN"), R("PROTEIN_TITLEBTN"), R("BLUEGLASS_TITLEBTN")}},
    {"TitleBarButtonTransparentBool", K::Boolean, {N(0), N(0), N(0), N(1), N(1)}},
    {"TitleBarButtonLeftOffsetInt", K::Integer, {N(3), N(2), N(0), N(0), N(4)}},
    {"TitleBarButtonRightOffsetInt", K::Integer, {N(-2), N(-2), N(0), N(0), N(-3)}},
    {"TitleBarButtonTopInt", K::Integer, {N(4), N(5), N(2), N(2), N(6)}},
    {"TitleBarLeftImage", K::Bitmap, {R("MACOS_TITLE_LEFT"), R("WINXP_TITLE_LEFT"), R("DEEPBLUE_TITLE_LEFT"), R("PROTEIN_TITLE_LEFT"), R("BLUEGLASS_TITLE_LEFT")}},
    {"TitleBarClientImage", K::Bitmap, {R("MACOS_TITLE_CLIENT"), R("WINXP_TITLE_CLIENT"), R("DEEPBLUE_TITLE_CLIENT"), R("PROTEIN_TITLE_CLIENT"), R("BLUEGLASS_TITLE_CLIENT")}},
    {"TitleBarRightImage", K::Bitmap, {R("MACOS_TITLE_RIGHT"), R("WINXP_TITLE_RIGHT"), R("DEEPBLUE_TITLE_RIGHT"), R("PROTEIN_TITLE_RIGHT"), R("BLUEGLASS_TITLE_RIGHT")}},
    {"FormMinWidthInt", K::Integer, {N(130), N(150), N(130), N(130), N(270)}},
    {"FormRoundCornerInt", K::Integer, {N(0), N(13), N(0), N(0), N(11)}},
    {"FormBackgroundColor", K::Colour, {N(0x00E7E7E7), N(0x00DEEBEF), N(0x00E8E8E8), N(0x00FBFBFB), N(0x00E7E7E7)}},
    {"FormBorderColor", K::Colour, {N(0x007F7F7F), N(0x00C82C00), N(0x00000000), N(0x00000000), N(0x00000000)}},
    {"FormBorderWidthInt", K::Integer, {N(1), N(3), N(1), N(1), N(1)}},
    {"MenuSelectedBorderColor", K::Colour, {N(0x00C47339), N(0x00C66931), N(0x00A04A44), N(0x00C4302D), N(0x00EC5E5E)}},
    {"MenuSelectedBackgroundColor", K::Colour, {N(0x00C47339), N(0x00EFD3C6), N(0x00A04A44), N(0x00C4302D), N(0x00EC5E5E)}},
    {"MenuSelectedFontColor", K::Colour, {N(0x00FFFFFF), N(0x00000000), N(0x00FFFFFF), N(0x00FFFFFF), N(0x00FFFFFF)}},
    {"MenuBackgroundColor", K::Colour, {N(0x00000000), N(0x00FFFFFF), N(0x00FFFFFF), N(0x00FFFFFF), N(0x00E7E7E7)}},
    {"MenuFontColor", K::Colour, {N(0x00000000), N(0x00000000), N(0x00000000), N(0x00000000), N(0x00000000)}},
    {"MenuBarColor", K::Colour, {N(0x00000000), N(0x00CED3D6), N(0x00CED3D6), N(0x00CED3D6), N(0x00CED3D6)}},
    {"ProgressBarImage", K::Bitmap, {R("MACOS_PROGRESSBAR"), R("WINXP_PROGRESSBAR"), R("DEEPBLUE_PROGRESSBAR"), R("PROTEIN_PROGRESSBAR"), R("BLUEGLASS_PROGRESSBAR")}},
    {"ControlBorderColor", K::Colour, {N(0x007F7F7F), N(0x00686868), N(0x00000000), N(0x00000000), N(0x00000000)}},
    {"ControlBackgroundColor", K::Colour, {N(0x00E7E7E7), N(0x00DEEBEF), N(0x00E8E8E8), N(0x00FBFBFB), N(0x00E7E7E7)}},
    {"ControlFontColor", K::Colour, {N(0x00000000), N(0x00CF4602), N(0x00000000), N(0x00000000), N(0x00000000)}},
    {"TrackBarBarImage", K::Bitmap, {R("MACOS_TRACKBAR_BAR"), R("WINXP_TRACKBAR_BAR"), R("DEEPBLUE_TRACKBAR_BAR"), R("PROTEIN_TRACKBAR_BAR"), R("BLUEGLASS_TRACKBAR_BAR")}},
    {"TrackBarSliderImage", K::Bitmap, {R("MACOS_TRACKBAR_SLIDER"), R("WINXP_TRACKBAR_SLIDER"), R("DEEPBLUE_TRACKBAR_SLIDER"), R("PROTEIN_TRACKBAR_SLIDER"), R("BLUEGLASS_TRACKBAR_SLIDER")}},
    {"TrackBarSliderVImage", K::Bitmap, {R("MACOS_TRACKBAR_SLIDER_V"), R("WINXP_TRACKBAR_SLIDER_V"), R("DEEPBLUE_TRACKBAR_SLIDER_V"), R("PROTEIN_TRACKBAR_SLIDER_V"), R("BLUEGLASS_TRACKBAR_SLIDER_V")}},
    {"ScrollBarBackgroundColor", K::Colour, {N(0x00C9C9C9), N(0x00F9F9F9), N(0x00F5F5F5), N(0x00F5F5F5), N(0x00F4F4F4)}},
    {"ScrollBarButtonImage", K::Bitmap, {R("MACOS_SCROLLBAR_BUTTON"), R("WINXP_SCROLLBAR_BUTTON"), R("DEEPBLUE_SCROLLBAR_BUTTON"), R("PROTEIN_SCROLLBAR_BUTTON"), R("BLUEGLASS_SCROLLBAR_BUTTON")}},
    {"ScrollBarSliderImage", K::Bitmap, {R("MACOS_SCROLLBAR_TRACK"), R("WINXP_SCROLLBAR_TRACK"), R("DEEPBLUE_SCROLLBAR_TRACK"), R("PROTEIN_SCROLLBAR_TRACK"), R("BLUEGLASS_SCROLLBAR_TRACK")}},
    {"CheckListBoxImage", K::Bitmap, {R("MACOS_CHECKLIST"), R("WINXP_CHECKLIST"), R("DEEPBLUE_CHECKLIST"), R("PROTEIN_CHECKLIST"), R("BLUEGLASS_CHECKLIST")}},
    {"ToolBarButtonBorderColor", K::Colour, {N(0x00474747), N(0x00C66931), N(0x00474747), N(0x00474747), N(0x00474747)}},
    {"ToolBarButtonBackgroundColor", K::Colour, {N(0x00EFEFEF), N(0x00EFD3C6), N(0x00EFEFEF), N(0x00EFEFEF), N(0x00EFEFEF)}},
    {"ToolBarButtonDownBackgroundColor", K::Colour, {N(0x00D8D8D8), N(0x00E1AC93), N(0x00D8D8D8), N(0x00D8D8D8), N(0x00D8D8D8)}},
    {"ScrollButtonImage", K::Bitmap, {R("MACOS_SCROLLBUTTON"), R("WINXP_SCROLLBUTTON"), R("MORE_SCROLLBUTTON"), R("MORE_SCROLLBUTTON"), R("MORE_SCROLLBUTTON")}},
    {"TabControlTabImage", K::Bitmap, {R("MACOS_TAB"), R("WINXP_TAB"), R("DEEPBLUE_TAB"), R("PROTEIN_TAB"), R("BLUEGLASS_TAB")}},
    {"TabControlBarImage", K::Bitmap, {R("MACOS_TAB_LINE"), R("WINXP_TAB_LINE"), R("DEEPBLUE_TAB_LINE"), R("PROTEIN_TAB_LINE"), R("BLUEGLASS_TAB_LINE")}},
    {"SideChannelHandleImage", K::Bitmap, {R("MACOS_SIDECHENNEL_HANDLE"), R("WINXP_SIDECHENNEL_HANDLE"), R("DEEPBLUE_SIDECHENNEL_HANDLE"), R("PROTEIN_SIDECHENNEL_HANDLE"), R("BLUEGLASS_SIDECHENNEL_HANDLE")}},
    {"SideChannelBarImage", K::Bitmap, {R("MACOS_SIDECHENNEL_BAR"), R("WINXP_SIDECHENNEL_BAR"), R("DEEPBLUE_SIDECHENNEL_BAR"), R("PROTEIN_SIDECHENNEL_BAR"), R("BLUEGLASS_SIDECHENNEL_BAR")}},
}};

static_assert(Table[ThemeItem::TitleBarButtonRightOffsetInt - 1].Name == "TitleBarButtonRightOffsetInt");
static_assert(Table[ThemeItem::SideChannelBarImage - 1].Name == "SideChannelBarImage");

const TCell* CellOf(TsuiUIStyle style, int item, TThemeItemKind kind)
{
    if (!IsThemeItem(item) || !IsBuiltInStyle(style))
        return nullptr;
    const TItemRow& row = Table[item - 1];
    if (row.Kind != kind)
        return nullptr;
    return &row.Styles[static_cast<int>(style) - 1];
}

}  // namespace

bool IsThemeItem(int item)
{
    return item >= ThemeItem::First && item <= ThemeItem::Last;
}

std::string_view ThemeItemName(int item)
{
    return IsThemeItem(item) ? Table[item - 1].Name : std::string_view{};
}

TThemeItemKind ThemeItemKindOf(int item)
{
    return IsThemeItem(item) ? Table[item - 1].Kind : TThemeItemKind::Integer;
}

int ThemeItemByName(std::string_view name)
{
    for (int i = 0; i < ThemeItem::Count; ++i)
        if (Table[i].Name == name)
            return i + 1;
    return 0;
}

bool IsBuiltInStyle(TsuiUIStyle style)
{
    return style >= TsuiUIStyle::MacOS && style <= TsuiUIStyle::BlueGlass;
}

std::uint32_t GetBuiltInColor(TsuiUIStyle style, int item)
{
    const TCell* cell = CellOf(style, item, TThemeItemKind::Colour);
    return cell ? static_cast<std::uint32_t>(cell->Number) : 0u;
}

std::int32_t GetBuiltInInt(TsuiUIStyle style, int item)
{
    const TCell* cell = CellOf(style, item, TThemeItemKind::Integer);
    return cell ? cell->Number : -1;
}

bool GetBuiltInBool(TsuiUIStyle style, int item)
{
    const TCell* cell = CellOf(style, item, TThemeItemKind::Boolean);
    return cell && cell->Number != 0;
}

std::string_view GetBuiltInBitmapName(TsuiUIStyle style, int item)
{
    const TCell* cell = CellOf(style, item, TThemeItemKind::Bitmap);
    return cell ? cell->Resource : std::string_view{};
}

TStyleSource ResolveUIStyle(TsuiUIStyle style, bool themeLoaded)
{
    if (style != TsuiUIStyle::FromThemeFile)
        return {false, style};
    if (themeLoaded)
        return {true, style};
    return {false, TsuiUIStyle::DeepBlue};
}
