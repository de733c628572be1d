#include "FrameDesign.h"

void DesignMacFrame(TsuiForm& frame, std::initializer_list<TsuiTitleBarBtnType> buttons, int width, int height)
{
    constexpr TColor kFace = 0xE7E7E7;
    constexpr int kButtonTop = 4;
    frame.SetUIStyle(TsuiUIStyle::MacOS);
    frame.SetUIStyleAutoUpdateSub(false);
    frame.SetBorderColor(0x7F7F7F);
    frame.SetBorderWidth(1);
    frame.SetColor(kFace);
    TsuiTitleBar& bar = frame.TitleBar();
    bar.Buttons().Clear();
    for (TsuiTitleBarBtnType type : buttons) {
        TsuiTitleBarButton* b = bar.Buttons().Add();
        b->SetUIStyle(TsuiUIStyle::MacOS);
        b->SetButtonType(type);
        b->SetTop(kButtonTop);
    }
    TFont title;
    title.SetName("Tahoma");
    title.SetHeight(-11);
    title.SetStyle(fsBold);
    title.SetColor(clBlack);
    bar.SetFont(title);
    frame.SetTitleBarDrawAppIcon(false);
    frame.SetMenuBarColor(kFace);
    frame.SetMenuBarHeight(22);
    frame.SetRoundCorner(0);
    frame.SetFrameWidth(width);
    frame.SetFrameHeight(height);
}
