// The picture title bar and its buttons on real windows under Wine: frames,
// layout, caption, hot buttons, commands and the host form's region.
#include "Dialogs.h"
#include "Forms.h"
#include "SUIThemes.h"
#include "SUITitleBar.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using I = TsuiUIStyle;
using B = TsuiTitleBarBtnType;
constexpr I kStyles[] = {I::MacOS, I::WinXP, I::DeepBlue, I::Protein, I::BlueGlass};

// Stands in for the skinned frame the bar may sit on.
class TFakeFrame : public TCustomControl, public ISkinnedFormFrame {
public:
    using TCustomControl::TCustomControl;
    bool HostWasSizeable() const override { return sizeable; }
    bool sizeable = true;
};

bool SamePixels(TBitmap& a, TBitmap& b)
{
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.ScanLine(y)[x] != b.ScanLine(y)[x]) return false;
    return true;
}

class TitleBar : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedHook_ = SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            boxes_.push_back(r.Text);
            return IDOK;
        });
        form_.reset(new TForm(nullptr));
        form_->SetBounds(30, 30, 300, 200);
        form_->Show();
        SetCursorPos(1000, 740);  // away from every bar
    }
    void TearDown() override
    {
        form_.reset();
        Application()->ProcessMessages();
        SetMessageBoxHook(savedHook_);
    }

    TsuiTitleBar* Make(I style, TWinControl* parent = nullptr)
    {
        auto* bar = new TsuiTitleBar(form_.get());
        bar->SetParent(parent ? parent : form_.get());
        bar->SetUIStyle(style);
        return bar;
    }
    static TsuiTitleBarButton* Find(TsuiTitleBar* bar, B type)
    {
        for (int i = 0; i < bar->Buttons().Count(); ++i)
            if (bar->Buttons().Items(i)->ButtonType() == type) return bar->Buttons().Items(i);
        return nullptr;
    }
    static void ExpectFrame(TsuiTitleBarButton* b, I style, int first)
    {
        TBitmap want;
        GetBuiltInBitmap(style, ThemeItem::TitleBarButtonImage, &want, first, 18);
        EXPECT_TRUE(SamePixels(b->PicNormal(), want)) << "frame " << first;
        GetBuiltInBitmap(style, ThemeItem::TitleBarButtonImage, &want, first + 2, 18);
        EXPECT_TRUE(SamePixels(b->PicMouseDown(), want)) << "frame " << first + 2;
    }
    // Puts the real cursor at a point of the bar and repaints, which works out the hot button.
    static void Hover(TsuiTitleBar* bar, POINT p)
    {
        const POINT s = bar->ClientToScreen(p);
        // Wine's X server reports the old position back for a while after a
        // move: set it until it stays put for 50 ms.
        auto there = [&] {
            POINT now{};
            GetCursorPos(&now);
            return now.x == s.x && now.y == s.y;
        };
        for (int tries = 0; tries < 40; ++tries) {
            SetCursorPos(s.x, s.y);
            PumpUntil([] { return false; }, 50);
            if (there()) break;
        }
        bar->Repaint();
    }

    TOwnedComponent<TForm> form_;
    std::vector<std::string> boxes_;
    TMessageBoxHook savedHook_;
};

class TitleBarByStyle : public TitleBar, public ::testing::WithParamInterface<I> {};

TEST_P(TitleBarByStyle, StyleLoadGivesSectionsButtonsAndHeight)
{
    TsuiTitleBar* bar = Make(GetParam());
    ASSERT_EQ(bar->Sections().Count(), 3);
    TBitmap left;
    GetBuiltInBitmap(GetParam(), ThemeItem::TitleBarLeftImage, &left, 0, 0);
    EXPECT_EQ(bar->Height(), left.Height());
    EXPECT_EQ(bar->Sections().Items(0)->Width(), left.Width());
    EXPECT_EQ(bar->Sections().Items(1)->Align(), TsuiTitleBarAlign::suiRight);
    EXPECT_TRUE(bar->Sections().Items(2)->Stretch());
    EXPECT_EQ(bar->LeftBtnXOffset(), GetBuiltInInt(GetParam(), ThemeItem::TitleBarButtonLeftOffsetInt));
    EXPECT_EQ(form_->Constraints().MinWidth, GetBuiltInInt(GetParam(), ThemeItem::FormMinWidthInt));
    ExpectFrame(Find(bar, B::suiControlBox), GetParam(), 1);
    ExpectFrame(Find(bar, B::suiClose), GetParam(), 16);
    ExpectFrame(Find(bar, B::suiMin), GetParam(), 13);
    ExpectFrame(Find(bar, B::suiMax), GetParam(), 7);
    EXPECT_EQ(Find(bar, B::suiClose)->Top(), GetBuiltInInt(GetParam(), ThemeItem::TitleBarButtonTopInt));
    EXPECT_EQ(bar->Font().Color(), GetParam() == I::MacOS ? clBlack : clWhite);

    // A user button keeps its pictures and place; only Transparent follows the style.
    TsuiTitleBarButton* own = bar->Buttons().Add();
    TBitmap mine(5, 5);
    own->SetPicNormal(mine);
    own->SetTop(9);
    bar->SetUIStyle(GetParam() == I::WinXP ? I::MacOS : I::WinXP);
    EXPECT_EQ(own->PicNormal().Width(), 5);
    EXPECT_EQ(own->Top(), 9);
    EXPECT_EQ(own->Transparent(),
              GetBuiltInBool(GetParam() == I::WinXP ? I::MacOS : I::WinXP, ThemeItem::TitleBarButtonTransparentBool));
}

INSTANTIATE_TEST_SUITE_P(AllStyles, TitleBarByStyle, ::testing::ValuesIn(kStyles));

TEST_F(TitleBar, MaximiseButtonShowsRestoreFramesWhileTheFormIsMaximised)
{
    TsuiTitleBar* bar = Make(I::DeepBlue);
    TsuiTitleBarButton* max = Find(bar, B::suiMax);
    ExpectFrame(max, I::DeepBlue, 7);
    max->PerformAction();
    EXPECT_EQ(form_->WindowState(), TWindowState::wsMaximized);
    ExpectFrame(max, I::DeepBlue, 10);
    // Not on a skinned frame: the work area, one pixel short at the bottom.
    const RECT area = QueryWorkArea();
    EXPECT_EQ(form_->Height(), area.bottom - area.top - 1);
    max->PerformAction();
    EXPECT_EQ(form_->WindowState(), TWindowState::wsNormal);
    ExpectFrame(max, I::DeepBlue, 7);
}

TEST_F(TitleBar, MacOSButtonsStandFromTheRightEdgeAndInvisibleOnesTakeNoRoom)
{
    TsuiTitleBar* bar = Make(I::MacOS);
    Find(bar, B::suiMax)->SetVisible(false);
    ASSERT_EQ(bar->RightBtnXOffset(), -2);
    const int W = bar->Width();
    // Close first (rightmost), then minimise; the invisible maximise is skipped.
    Hover(bar, POINT{W - 19 + 3, 6});
    EXPECT_EQ(bar->HotButton(), 1);
    Hover(bar, POINT{W - 37 + 3, 6});
    EXPECT_EQ(bar->HotButton(), 3);
    Hover(bar, POINT{W - 55 + 3, 6});
    EXPECT_EQ(bar->HotButton(), -1) << "the invisible button never becomes hot";
    Hover(bar, POINT{3 + 3, 6});
    EXPECT_EQ(bar->HotButton(), 0) << "the control box at the left offset";
}

TEST_F(TitleBar, CaptionFitsOrIsCutToTheLongestPrefixWithDots)
{
    auto width = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };
    EXPECT_EQ(ShortenCaption("Vendrake", 56, width), "Vendrake");
    EXPECT_EQ(ShortenCaption("Vendrake", 55, width), "Vend...");
    EXPECT_EQ(ShortenCaption("Vendrake", 10, width), "") << "no room even for the dots";
    // Two-byte characters are cut whole.
    EXPECT_EQ(ShortenCaption("\xB1\xEA\xCC\xE2\xC0\xB8", 40, width), "\xB1\xEA...");
    // A long caption costs a few measurements, not one per character.
    int measured = 0;
    const auto counted = [&](const std::string& s) { return ++measured, width(s); };
    EXPECT_EQ(ShortenCaption(std::string(200, 'x'), 700, counted), std::string(97, 'x') + "...");
    EXPECT_LE(measured, 10);
}

TEST_F(TitleBar, CaptionStartsAfterTheLeftGroup)
{
    TsuiTitleBar* bar = Make(I::WinXP);
    bar->SetCaption("W");
    // The first column where the bar with its caption differs from the bar without.
    auto firstInk = [&] {
        TTestDib empty(bar->Width(), bar->Height()), shown(bar->Width(), bar->Height());
        bar->SetCaption("");
        empty.PrintClient(bar->Handle());
        bar->SetCaption("W");
        shown.PrintClient(bar->Handle());
        for (int x = 0; x < bar->Width(); ++x)
            for (int y = 0; y < bar->Height(); ++y)
                if (shown.Pixel(x, y) != empty.Pixel(x, y)) return x;
        return -1;
    };
    Find(bar, B::suiControlBox)->SetVisible(false);
    bar->SetLeftBtnXOffset(0);
    const int without = firstInk();
    EXPECT_GE(without, 6);
    EXPECT_LE(without, 8);
    Find(bar, B::suiControlBox)->SetVisible(true);
    bar->SetDrawAppIcon(true);
    bar->SetLeftBtnXOffset(10);
    EXPECT_GE(firstInk(), 31) << "LeftBtnXOffset + 21";
}

TEST_F(TitleBar, OnlyOneClientSectionAndOneControlBox)
{
    TsuiTitleBar* bar = Make(I::DeepBlue);
    bar->Sections().Items(0)->SetAlign(TsuiTitleBarAlign::suiClient);
    EXPECT_EQ(bar->Sections().Items(0)->Align(), TsuiTitleBarAlign::suiLeft);
    Find(bar, B::suiClose)->SetButtonType(B::suiControlBox);
    EXPECT_EQ(Find(bar, B::suiClose)->ButtonType(), B::suiClose);
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0], "Sorry, only one section's Align property can be \"suiClient\"");
    EXPECT_EQ(boxes_[1], "Sorry, only one button's ButtonType property can be \"suiControlBox\"");
}

TEST_F(TitleBar, RightSectionIsLeftOutWithoutRoom)
{
    TsuiTitleBar* bar = Make(I::DeepBlue);
    bar->Sections().Clear();
    TBitmap red(10, bar->Height() ? bar->Height() : 20), blue(10, red.Height());
    red.Canvas().Brush().SetColor(0x0000FF);
    red.Canvas().FillRect(RECT{0, 0, 10, red.Height()});
    blue.Canvas().Brush().SetColor(0xFF0000);
    blue.Canvas().FillRect(RECT{0, 0, 10, red.Height()});
    TsuiTitleBarSection* left = bar->Sections().Add();
    left->SetPicture(red);
    left->SetWidth(bar->Width() - 5);
    TsuiTitleBarSection* right = bar->Sections().Add();
    right->SetPicture(blue);
    right->SetAlign(TsuiTitleBarAlign::suiRight);
    TBitmap shot(bar->Width(), bar->Height());
    bar->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.Canvas().Handle()));
    EXPECT_NE(shot.Pixel(bar->Width() - 2, 1), RGB(0, 0, 255)) << "no room: the right section is not drawn";
    left->SetWidth(50);
    bar->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot.Canvas().Handle()));
    EXPECT_EQ(shot.Pixel(bar->Width() - 2, 1), RGB(0, 0, 255));
}

TEST_F(TitleBar, ReleaseActsOnTheButtonUnderTheCursorOnly)
{
    TsuiTitleBar* bar = Make(I::MacOS);
    bool closed = false;
    form_->OnClose = [&](TObject*, TCloseAction& a) {
        closed = true;
        a = TCloseAction::caNone;
    };
    const int W = bar->Width();
    Hover(bar, POINT{W - 16, 6});  // over close
    TTestDib mouseOn(W, bar->Height());
    mouseOn.PrintClient(bar->Handle());
    SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(W - 16, 6));
    EXPECT_EQ(GetCapture(), bar->Handle()) << "a release outside the bar must reach it";
    Hover(bar, POINT{W / 2, 30});  // away from every button
    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(W / 2, 30));
    EXPECT_FALSE(closed);
    // A press whose mouse another window takes leaves no pressed frame behind.
    Hover(bar, POINT{W - 16, 6});
    SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(W - 16, 6));
    SetCapture(form_->Handle());
    ReleaseCapture();
    Hover(bar, POINT{W - 16, 6});
    TTestDib later(W, bar->Height());
    later.PrintClient(bar->Handle());
    int differ = 0;
    for (int y = 0; y < bar->Height(); ++y)
        for (int x = W - 40; x < W; ++x) differ += later.Pixel(x, y) != mouseOn.Pixel(x, y);
    EXPECT_EQ(differ, 0) << "the hover shows mouse on, not pressed";
    Hover(bar, POINT{W - 16, 6});
    SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(W - 16, 6));
    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(W - 16, 6));
    EXPECT_TRUE(closed);
}

// A press on the bar away from its buttons hands the drag to the system,
// unless the form is maximised.
TEST_F(TitleBar, DragStartsOnlyOnFreeBarOfANormalForm)
{
    TsuiTitleBar* bar = Make(I::DeepBlue);
    int drags = 0;
    form_->SetWindowProc([&, f = form_.get()](TMessage& m) {
        if (m.Msg == WM_NCLBUTTONDOWN && m.WParam == HTCAPTION) {
            ++drags;
            return;
        }
        f->WndProc(m);
    });
    const POINT free{bar->Width() / 2, 5};
    Hover(bar, free);
    SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(free.x, free.y));
    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(free.x, free.y));
    EXPECT_EQ(drags, 1);
    form_->SetWindowState(TWindowState::wsMaximized);
    Hover(bar, free);
    SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(free.x, free.y));
    SendMessageA(bar->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(free.x, free.y));
    EXPECT_EQ(drags, 1);
    form_->SetWindowProc(nullptr);
}

TEST_F(TitleBar, TopEdgeSizesTheFormOnlyOnASizeableFrame)
{
    auto* frame = new TFakeFrame(form_.get());
    frame->SetParent(form_.get());
    frame->SetBounds(0, 0, form_->ClientWidth(), 150);
    TsuiTitleBar* bar = Make(I::DeepBlue, frame);
    auto hit = [&](int x, int y) {
        const POINT s = bar->ClientToScreen(POINT{x, y});
        return SendMessageA(bar->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.x, s.y));
    };
    EXPECT_EQ(hit(2, 2), HTTOPLEFT);
    EXPECT_EQ(hit(form_->ClientWidth() - 2, 2), HTTOPRIGHT);
    EXPECT_EQ(hit(100, 4), HTTOP);
    EXPECT_EQ(hit(100, 5), HTCLIENT);
    frame->sizeable = false;
    EXPECT_EQ(hit(100, 2), HTCLIENT);
    frame->sizeable = true;
    form_->SetWindowState(TWindowState::wsMaximized);
    EXPECT_EQ(hit(100, 2), HTCLIENT) << "a maximised form offers no sizing";
}

TEST_F(TitleBar, RoundCornerGivesTheHostARegionRoundedAtTheTopOnly)
{
    auto* frame = new TFakeFrame(form_.get());
    frame->SetParent(form_.get());
    TsuiTitleBar* bar = Make(I::DeepBlue, frame);
    bar->SetRoundCorner(13);
    TRegionHandle region(CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(GetWindowRgn(form_->Handle(), region.get()), ERROR);
    const RECT c = form_->ClientRect();
    EXPECT_FALSE(PtInRegion(region.get(), 0, 0)) << "top-left corner cut";
    EXPECT_FALSE(PtInRegion(region.get(), c.right - 1, 0));
    EXPECT_TRUE(PtInRegion(region.get(), 0, c.bottom - 1)) << "bottom corners square";
    EXPECT_TRUE(PtInRegion(region.get(), c.right - 1, c.bottom - 1));
    // A round rectangle region leaves out its right and bottom lines, which the
    // extra pixel given to it makes up for: the region covers the client area.
    RECT box{};
    GetRgnBox(region.get(), &box);
    EXPECT_EQ(box, c);
}

// The main form minimises through the system command (the application hides
// itself from the task bar there); any other form is shown minimised.
TEST_F(TitleBar, MinimiseTakesTheMainFormsPathOrShowsOthersMinimised)
{
    TsuiTitleBar* bar = Make(I::DeepBlue);
    Find(bar, B::suiMin)->PerformAction();
    EXPECT_TRUE(IsIconic(form_->Handle()));

    TForm* main = Application()->CreateForm<TForm>();
    ASSERT_EQ(Application()->MainForm(), main);
    main->Show();
    int minimises = 0;
    main->SetWindowProc([&, main](TMessage& m) {
        if (m.Msg == WM_SYSCOMMAND && (m.WParam & 0xFFF0) == SC_MINIMIZE) {
            ++minimises;
            return;
        }
        main->WndProc(m);
    });
    auto* mainBar = new TsuiTitleBar(main);
    mainBar->SetParent(main);
    mainBar->TitleBarMenu()->Items()->Items(0)->Click();
    EXPECT_EQ(minimises, 1);
    EXPECT_FALSE(IsIconic(main->Handle()));
    main->SetWindowProc(nullptr);
    main->Free();
}

TEST_F(TitleBar, MenuEntriesFollowTheKindsOfButtonEvenInvisibleOnes)
{
    TsuiTitleBar* bar = Make(I::MacOS);
    TsuiTitleBarPopupMenu* menu = bar->TitleBarMenu();
    ASSERT_EQ(menu->Items()->Count(), 4);
    EXPECT_EQ(menu->Items()->Items(0)->Caption(), "Mi&nimize");
    EXPECT_EQ(menu->Items()->Items(1)->Caption(), "Ma&ximize/Restore");
    EXPECT_TRUE(menu->Items()->Items(2)->IsLine());
    EXPECT_EQ(menu->Items()->Items(3)->Caption(), "&Close");
    EXPECT_EQ(menu->UIStyle(), I::MacOS);
    Find(bar, B::suiMax)->SetVisible(false);
    Find(bar, B::suiClose)->SetButtonType(B::suiHelp);
    menu->UpdateItems();
    EXPECT_TRUE(menu->Items()->Items(0)->Enabled());
    EXPECT_TRUE(menu->Items()->Items(1)->Enabled()) << "an invisible maximise button still counts";
    EXPECT_FALSE(menu->Items()->Items(3)->Enabled());
    menu->Items()->Items(1)->Click();
    EXPECT_EQ(form_->WindowState(), TWindowState::wsMaximized);
}

TEST_F(TitleBar, CustomBarIgnoresStyleChanges)
{
    TsuiTitleBar* bar = Make(I::WinXP);
    bar->SetCustom(true);
    bar->Sections().Clear();
    bar->SetUIStyle(I::MacOS);
    EXPECT_EQ(bar->UIStyle(), I::MacOS);
    EXPECT_EQ(bar->Sections().Count(), 0);
    EXPECT_EQ(Find(bar, B::suiClose)->UIStyle(), I::WinXP);
}

}  // namespace
