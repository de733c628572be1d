// The skinned push button, check box and group box on real windows: pixels
// read back from memory DCs, input through real messages and the
// application's keyboard routing.
#include "Forms.h"
#include "SUIButton.h"
#include "SUIGroupBox.h"
#include "SUIThemes.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>

namespace {

using I = TsuiUIStyle;
constexpr I kStyles[] = {I::MacOS, I::WinXP, I::DeepBlue, I::Protein, I::BlueGlass};
constexpr COLORREF kMagenta = RGB(255, 0, 255);

class SkinnedControl : public ::testing::Test {
protected:
    void SetUp() override
    {
        form_.reset(new TForm(nullptr));
        form_->SetBounds(40, 40, 400, 300);
        form_->Font().SetCharset(GB2312_CHARSET);
        form_->Font().SetHeight(-12);
        form_->Show();
    }
    void TearDown() override
    {
        form_.reset();
        Application()->ProcessMessages();
        SetKeyboardState(std::array<BYTE, 256>{}.data());
    }

    template <class T>
    T* Make(TWinControl* parent, int x, int y, int w, int h, I style = I::WinXP)
    {
        auto* c = new T(form_.get());
        c->SetParent(parent ? parent : form_.get());
        if constexpr (requires { c->SetUIStyle(style); }) c->SetUIStyle(style);
        c->SetBounds(x, y, w, h);
        return c;
    }

    // Posts a key to the focused window and lets the application route it.
    static void Key(UINT msg, WPARAM key)
    {
        PostMessageA(GetFocus(), msg, key, 0);
        Application()->ProcessMessages();
    }
    static void Press(TWinControl* c, int x = 5, int y = 5)
    {
        SendMessageA(c->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    }
    static void Release(TWinControl* c, int x = 5, int y = 5)
    {
        SendMessageA(c->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }

    TOwnedComponent<TForm> form_;
};

class SkinnedControlByStyle : public SkinnedControl, public ::testing::WithParamInterface<I> {};

// ------------------------------------------------------------------ buttons

// Each state paints its frame of the strip, nine-sliced over the button's
// colour, pixel for pixel.
TEST_P(SkinnedControlByStyle, ButtonPaintsTheFrameOfEachState)
{
    auto* b = Make<TsuiButton>(nullptr, 10, 10, 75, 25, GetParam());
    b->SetTransparent(false);
    const auto expectFrame = [&](int frame, const char* state) {
        TBitmap picture, want(75, 25);
        GetBuiltInBitmap(GetParam(), ThemeItem::ButtonImage, &picture, frame, 3);
        want.Canvas().Brush().SetColor(b->Color());
        want.Canvas().FillRect(RECT{0, 0, 75, 25});
        DrawNineSlice(picture, want.Canvas(), RECT{0, 0, 75, 25}, true);
        TTestDib shown(75, 25);
        shown.PrintClient(b->Handle());
        int wrong = 0;
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 75; ++x) wrong += shown.Pixel(x, y) != want.Pixel(x, y);
        EXPECT_EQ(wrong, 0) << state;
    };
    expectFrame(1, "normal");
    b->Perform(CM_MOUSEENTER);
    expectFrame(2, "mouse on");
    Press(b);
    expectFrame(3, "pressed");
    Release(b, -20, -20);
    b->Perform(CM_MOUSELEAVE);
    b->SetEnabled(false);
    expectFrame(1, "disabled");
}

TEST_P(SkinnedControlByStyle, StyleDecidesTransparencyAndFocusLook)
{
    auto* b = Make<TsuiButton>(nullptr, 10, 10, 75, 25, GetParam());
    b->SetCaption("W");
    const bool boldFocus = GetParam() == I::MacOS || GetParam() == I::BlueGlass;
    EXPECT_EQ(b->Transparent(), boldFocus) << "the built-in styles make exactly these two transparent";
    b->SetTransparent(!b->Transparent());
    b->SetUIStyle(GetParam());
    EXPECT_EQ(b->Transparent(), boldFocus) << "a style assigned later resets Transparent";

    TTestDib before(75, 25);
    before.PrintClient(b->Handle());
    b->SetFocus();
    TTestDib focused(75, 25);
    focused.PrintClient(b->Handle());
    // The dotted rectangle runs 2 pixels inside the edge; MacOS and BlueGlass
    // make the caption bold instead and leave that line alone.
    int changedOnLine = 0;
    for (int x = 2; x < 73; ++x) changedOnLine += before.Pixel(x, 2) != focused.Pixel(x, 2);
    if (boldFocus)
        EXPECT_EQ(changedOnLine, 0);
    else
        EXPECT_GT(changedOnLine, 30);
}

INSTANTIATE_TEST_SUITE_P(AllStyles, SkinnedControlByStyle, ::testing::ValuesIn(kStyles));

TEST_F(SkinnedControl, PressLeaveAndReturnShowsMouseOnAndStillClicks)
{
    auto* b = Make<TsuiButton>(nullptr, 10, 10, 75, 25);
    b->SetMouseContinuouslyDownInterval(10);
    int clicks = 0, exits = 0, ticks = 0, ticksInClick = -1;
    b->OnClick = [&](TObject*) {
        const int before = ticks;
        PumpUntil([] { return false; }, 80);
        ticksInClick = ticks - before;
        ++clicks;
    };
    b->OnMouseExit = [&](TObject*) { ++exits; };
    b->Perform(CM_MOUSEENTER);
    Press(b);
    EXPECT_TRUE(b->Pressed());
    SendMessageA(b->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-5, 40));
    EXPECT_FALSE(b->Pressed());
    EXPECT_FALSE(b->MouseIn());
    EXPECT_EQ(exits, 1) << "the cursor left the button";
    SendMessageA(b->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(20, 10));
    EXPECT_TRUE(b->MouseIn());
    EXPECT_FALSE(b->Pressed()) << "back over it the button shows mouse on, not pressed";
    b->OnMouseContinuouslyDown = [&](TObject*) { ++ticks; };
    Release(b, 20, 10);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ticksInClick, 0) << "the repeat ends before OnClick runs";
    EXPECT_TRUE(b->Focused()) << "a click takes the focus";
    b->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(exits, 2);
    // Tools find the button by its text and press it as they press any button.
    b->SetCaption("停止(&S)");
    char text[32] = {};
    GetWindowTextA(b->Handle(), text, sizeof(text));
    EXPECT_STREQ(text, "停止(&S)");
    SendMessageA(b->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2);
    b->SetEnabled(false);
    SendMessageA(b->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 2) << "a disabled button ignores automation as it ignores the mouse";
}

// A press cut short by another window taking the mouse, or by the focus moving
// while Space is held, leaves the button unpressed, silent and without a repeat.
TEST_F(SkinnedControl, CutShortPressReturnsToNormalWithoutRepeatOrClick)
{
    auto* b = Make<TsuiButton>(nullptr, 10, 10, 75, 25);
    auto* other = Make<TsuiButton>(nullptr, 10, 50, 75, 25);
    b->SetMouseContinuouslyDownInterval(10);
    int clicks = 0, ticks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    b->OnMouseContinuouslyDown = [&](TObject*) { ++ticks; };
    b->Perform(CM_MOUSEENTER);
    Press(b);
    ASSERT_TRUE(PumpUntil([&] { return ticks > 0; }));
    SetCapture(other->Handle());  // a dialog or Alt+Tab takes the mouse
    ReleaseCapture();
    EXPECT_FALSE(b->Pressed());
    EXPECT_TRUE(b->MouseIn()) << "the cursor is still over it: the mouse-on picture";
    const int atLoss = ticks;
    PumpUntil([] { return false; }, 100);
    EXPECT_EQ(ticks, atLoss) << "no repeat after the capture went";
    Release(b);
    EXPECT_EQ(clicks, 0);

    SetForegroundWindow(form_->Handle());
    b->SetFocus();
    Key(WM_KEYDOWN, VK_SPACE);
    ASSERT_TRUE(b->Pressed());
    other->SetFocus();
    EXPECT_FALSE(b->Pressed()) << "the focus left while Space was held";
    Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(clicks, 0);
}

TEST_F(SkinnedControl, HeldButtonRepeatsUntilReleasedAndNegativeIntervalRepeatsToo)
{
    for (int interval : {20, -5}) {
        auto* b = Make<TsuiButton>(nullptr, 10, 10, 75, 25);
        b->SetMouseContinuouslyDownInterval(interval);
        int ticks = 0;
        b->OnMouseContinuouslyDown = [&](TObject* sender) {
            EXPECT_EQ(sender, b);
            ++ticks;
        };
        Press(b);
        EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }, 3000)) << interval;
        Release(b);
        const int atRelease = ticks;
        PumpUntil([] { return false; }, 150);
        EXPECT_EQ(ticks, atRelease) << "released: no more repeats";
        b->Free();
    }
}

TEST_F(SkinnedControl, RealDoubleClickIsTwoClicks)
{
    auto* b = Make<TsuiButton>(nullptr, 10, 10, 75, 25);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    SetForegroundWindow(form_->Handle());
    const POINT at = b->ClientToScreen(POINT{20, 10});
    SetCursorPos(at.x, at.y);
    INPUT in[5] = {};
    const DWORD flags[5] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_LEFTDOWN,
                            MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 5; ++i) {
        in[i].type = INPUT_MOUSE;
        in[i].mi.dwFlags = flags[i];
    }
    SendInput(5, in, sizeof(INPUT));
    EXPECT_TRUE(PumpUntil([&] { return clicks == 2; }));
}

// Enter and Escape click the Default and the Cancel button wherever the focus
// is, and only without Shift, Ctrl or Alt; Space and Enter press the focused
// button, which clicks on the key's release.
TEST_F(SkinnedControl, DialogKeysReachDefaultAndCancelOnlyWithoutModifiers)
{
    auto* ok = Make<TsuiButton>(nullptr, 10, 10, 75, 25);
    auto* cancel = Make<TsuiButton>(nullptr, 100, 10, 75, 25);
    auto* other = Make<TsuiButton>(nullptr, 190, 10, 75, 25);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    cancel->SetModalResult(2);
    int okClicks = 0, cancelClicks = 0, otherClicks = 0;
    ok->OnClick = [&](TObject*) { ++okClicks; };
    cancel->OnClick = [&](TObject*) { ++cancelClicks; };
    other->OnClick = [&](TObject*) { ++otherClicks; };
    SetForegroundWindow(form_->Handle());
    other->SetFocus();

    Key(WM_KEYDOWN, VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    Key(WM_KEYDOWN, VK_ESCAPE);
    EXPECT_EQ(cancelClicks, 1);
    EXPECT_EQ(form_->ModalResult(), 2) << "the click hands its modal result to the form";

    std::array<BYTE, 256> keys{};
    for (int modifier : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
        keys.fill(0);
        keys[modifier] = 0x80;
        SetKeyboardState(keys.data());
        other->SetFocus();
        Key(WM_KEYDOWN, VK_RETURN);
        Key(WM_KEYDOWN, VK_ESCAPE);
    }
    keys.fill(0);
    SetKeyboardState(keys.data());
    EXPECT_EQ(okClicks, 1);
    EXPECT_EQ(cancelClicks, 1);

    ok->SetDefault(false);
    other->SetFocus();
    Key(WM_KEYDOWN, VK_SPACE);
    EXPECT_TRUE(other->Pressed());
    EXPECT_EQ(otherClicks, 0);
    Key(WM_KEYUP, VK_SPACE);
    EXPECT_EQ(otherClicks, 1);
    Key(WM_KEYDOWN, VK_RETURN);
    Key(WM_KEYUP, VK_RETURN);
    EXPECT_EQ(otherClicks, 2) << "with no default button Enter presses the focused one";
}

TEST_F(SkinnedControl, AcceleratorsClickEnabledControlsOnly)
{
    auto* stop = Make<TsuiButton>(nullptr, 10, 10, 75, 25);
    stop->SetCaption("停止(&S)");
    auto* box = Make<TsuiCheckBox>(nullptr, 10, 50, 150, 21);
    box->SetCaption("选项(&X)");
    auto* off = Make<TsuiButton>(nullptr, 100, 10, 75, 25);
    off->SetCaption("&Quit");
    off->SetEnabled(false);
    int stops = 0, offs = 0;
    stop->OnClick = [&](TObject*) { ++stops; };
    off->OnClick = [&](TObject*) { ++offs; };
    SetForegroundWindow(form_->Handle());
    stop->SetFocus();

    Key(WM_CHAR, 's');
    Key(WM_SYSCHAR, 'S');
    EXPECT_EQ(stops, 2);
    Key(WM_CHAR, 'x');
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(box->Focused());
    Key(WM_CHAR, 'q');
    EXPECT_EQ(offs, 0);
    EXPECT_TRUE(IsAccel('a', "A&&B&a")) << "&& is a plain ampersand";
    EXPECT_FALSE(IsAccel('b', "A&&B"));
}

TEST_F(SkinnedControl, TabWalksSkinnedControlsInTabOrderAcrossContainers)
{
    auto* group = Make<TsuiGroupBox>(nullptr, 0, 0, 300, 100);
    auto* a = Make<TsuiButton>(group, 10, 20, 75, 25);
    auto* b = Make<TsuiButton>(group, 100, 20, 75, 25);
    auto* c = Make<TsuiCheckBox>(nullptr, 10, 150, 100, 21);
    b->SetTabOrder(0);  // b, a inside the group; the group before the check box
    SetForegroundWindow(form_->Handle());
    b->SetFocus();
    Key(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(a->Focused());
    Key(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(c->Focused());
    Key(WM_KEYDOWN, VK_TAB);
    EXPECT_TRUE(b->Focused());
    EXPECT_EQ(form_->ActiveControl(), b);
}

// The title bar's close button will free its form from its click; nothing
// may touch the button or the form after that.
TEST_F(SkinnedControl, ClickThatFreesItsFormTouchesNothingAfterwards)
{
    auto* form = new TForm(nullptr);
    form->Show();
    auto* close = new TsuiButton(form);
    close->SetParent(form);
    close->SetBounds(5, 5, 75, 25);
    bool freed = false, touchedAfter = false;
    close->OnClick = [&](TObject*) {
        form->Free();
        freed = true;
    };
    close->OnMouseUp = [&](TObject*, TMouseButton, TShiftState, int, int) { touchedAfter = freed; };
    const HWND wnd = close->Handle();
    Press(close);
    SendMessageA(wnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(freed);
    EXPECT_FALSE(touchedAfter);
    EXPECT_FALSE(IsWindow(wnd));
}

TEST_F(SkinnedControl, MissingPictureStillDrawsCaption)
{
    TsuiFileTheme theme(nullptr);  // no file: every picture is missing
    auto* b = Make<TsuiButton>(nullptr, 10, 10, 75, 25, I::FromThemeFile);
    b->SetFileTheme(&theme);
    b->SetCaption("WWW");
    TTestDib shown(75, 25);
    shown.PrintClient(b->Handle());
    const COLORREF face = shown.Pixel(2, 2);
    int ink = 0;
    for (int x = 20; x < 55; ++x) ink += shown.Pixel(x, 12) != face;
    EXPECT_GT(ink, 3);
}

TEST_F(SkinnedControl, GlyphOfTwoImagesShowsTheSecondWhenDisabled)
{
    auto* b = Make<TsuiButton>(nullptr, 10, 10, 100, 40);
    TBitmap glyph(32, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 32; ++x) glyph.ScanLine(y)[x] = x < 16 ? 0x0000FF : 0x00FF00;  // blue, then green
    glyph.ScanLine(0)[0] = 0xFF00FF;  // the mask colour is the top-left pixel
    b->SetGlyph(glyph);
    b->SetLayout(TButtonLayout::blGlyphTop);
    // With no caption the glyph sits at ((W - 16) / 2, (H - (th + 16 + 4)) / 2).
    TTestDib on(100, 40);
    on.PrintClient(b->Handle());
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(b->Font());
    const int th = measure.Canvas().TextHeight("");
    const int gx = 42, gy = (40 - (th + 20)) / 2;
    EXPECT_EQ(on.Pixel(gx + 8, gy + 8), RGB(0, 0, 255));
    EXPECT_NE(on.Pixel(gx, gy), kMagenta) << "masked";
    b->SetEnabled(false);
    TTestDib off(100, 40);
    off.PrintClient(b->Handle());
    EXPECT_EQ(off.Pixel(gx + 8, gy + 8), RGB(0, 255, 0));
}

// --------------------------------------------------------------- check boxes

TEST_P(SkinnedControlByStyle, CheckBoxShowsTheFrameOfItsStateAndSizesItself)
{
    auto* box = Make<TsuiCheckBox>(nullptr, 10, 10, 93, 17, GetParam());
    box->SetCaption("设置了3721的私隐策略");
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(box->Font());
    const int th = measure.Canvas().TextHeight("W");
    const int tw = measure.Canvas().TextWidth(box->Caption());
    for (int frame : {2, 1, 3, 4}) {
        box->SetChecked(frame % 2 == 1);
        box->SetEnabled(frame <= 2);
        TTestDib first(300, 40);
        first.PrintClient(box->Handle());  // the first paint sizes the box
        TBitmap picture;
        GetBuiltInBitmap(GetParam(), ThemeItem::CheckBoxImage, &picture, frame, 4);
        EXPECT_EQ(box->Height(), std::max(th + 2, picture.Height()) + 4);
        EXPECT_EQ(box->Width(), picture.Width() + 8 + tw);
        TTestDib shown(300, 40);
        shown.PrintClient(box->Handle());
        const int top = (box->Height() - picture.Height()) / 2;
        int wrong = 0;
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < picture.Width(); ++x) wrong += shown.Pixel(1 + x, top + y) != picture.Pixel(x, y);
        EXPECT_EQ(wrong, 0) << "frame " << frame;
    }
    if (GetParam() == I::MacOS && box->Font().Height() == -12) {
        EXPECT_EQ(box->Height(), 21);
    }
}

TEST_F(SkinnedControl, CheckBoxReportsEveryChangeButNotWhileLoading)
{
    auto* box = Make<TsuiCheckBox>(nullptr, 10, 10, 100, 21);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    {
        TLoadScope load(*form_);
        box->SetChecked(true);
    }
    EXPECT_EQ(clicks, 0) << "a stored value is no change";
    box->SetChecked(true);
    EXPECT_EQ(clicks, 0);
    box->SetState(TCheckBoxState::cbGrayed);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 1);
    Press(box);
    Release(box);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicks, 2) << "one user click, one OnClick";
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
    SetForegroundWindow(form_->Handle());
    box->SetFocus();
    Key(WM_KEYUP, VK_RETURN);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 3);
    box->SetEnabled(false);
    SendMessageA(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box->Checked()) << "a disabled box ignores automation";
    EXPECT_EQ(clicks, 3);
}

// ---------------------------------------------------------------- group box

TEST_F(SkinnedControl, GroupBoxFrameLeavesRoomForItsCaption)
{
    auto* g = Make<TsuiGroupBox>(nullptr, 10, 10, 200, 60, I::MacOS);
    g->SetBorderColor(0x7F7F7F);
    g->SetCaption("操作");
    g->Font().SetHeight(-12);
    TBitmap measure(1, 1);
    measure.Canvas().Font().Assign(g->Font());
    const int tw = measure.Canvas().TextWidth("操作");
    TTestDib shown(200, 60);
    shown.PrintClient(g->Handle());
    const COLORREF line = RGB(0x7F, 0x7F, 0x7F);
    EXPECT_EQ(shown.Pixel(0, 7), line);
    EXPECT_EQ(shown.Pixel(2, 7), line);
    EXPECT_NE(shown.Pixel(4, 7), line) << "the gap for the caption";
    EXPECT_EQ(shown.Pixel(6 + tw, 7), line);
    EXPECT_NE(shown.Pixel(6 + tw - 1, 7), line);
    EXPECT_EQ(shown.Pixel(199, 30), line);
    EXPECT_EQ(shown.Pixel(100, 59), line);
    EXPECT_NE(shown.Pixel(100, 6), line);

    g->SetCaption("");
    TTestDib closed(200, 60);
    closed.PrintClient(g->Handle());
    EXPECT_EQ(closed.Pixel(4, 7), line) << "without a caption the frame is closed";
}

TEST_F(SkinnedControl, GroupBoxLaysOutEnablesAndRestylesItsDirectChildren)
{
    auto* g = Make<TsuiGroupBox>(nullptr, 10, 10, 200, 100);
    g->Font().SetHeight(-12);
    auto* inner = Make<TsuiGroupBox>(g, 0, 0, 50, 50);
    auto* grandchild = Make<TsuiButton>(inner, 0, 0, 20, 20, I::WinXP);
    auto* child = Make<TsuiButton>(g, 100, 30, 75, 25);
    inner->SetAlign(TAlign::alClient);
    EXPECT_EQ(inner->Left(), 3);
    EXPECT_EQ(inner->Top(), 17);
    EXPECT_EQ(inner->Width(), 194);
    EXPECT_EQ(inner->Height(), 80);

    child->SetEnabled(false);
    g->SetEnabled(false);
    EXPECT_FALSE(inner->Enabled());
    g->SetEnabled(true);
    EXPECT_TRUE(child->Enabled()) << "enabling the box enables every direct child";
    EXPECT_TRUE(grandchild->Enabled());

    g->SetUIStyle(I::Protein);
    EXPECT_EQ(child->UIStyle(), I::Protein);
    EXPECT_EQ(inner->UIStyle(), I::Protein);
    EXPECT_EQ(grandchild->UIStyle(), I::Protein) << "the inner box restyles its own children";
    EXPECT_EQ(g->BorderColor(), GetBuiltInColor(I::Protein, ThemeItem::ControlBorderColor));
    g->Font().SetHeight(-20);
    EXPECT_EQ(inner->Top(), 25) << "a font change lays the children out again";
}

TEST_F(SkinnedControl, TransparentControlsShowTheParentThrough)
{
    auto* back = Make<TsuiCustomPanel>(nullptr, 0, 0, 300, 200);
    back->Picture().SetSize(8, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) back->Picture().ScanLine(y)[x] = (x + y) % 2 ? 0x102030 : 0xC0D0E0;
    back->SetPictureMode(2);
    back->PictureChanged();
    auto* g = Make<TsuiGroupBox>(back, 10, 10, 200, 100);
    g->SetTransparent(true);
    auto* b = Make<TsuiButton>(g, 20, 30, 75, 25, I::MacOS);
    TBitmap frame;
    GetBuiltInBitmap(I::MacOS, ThemeItem::ButtonImage, &frame, 1, 3);
    ASSERT_EQ(frame.Pixel(0, 0), kMagenta);
    TTestDib box(200, 100), button(75, 25);
    box.PrintClient(g->Handle());
    button.PrintClient(b->Handle());
    EXPECT_EQ(box.Pixel(50, 50), back->Picture().Pixel(60 % 8, 60 % 8));
    EXPECT_EQ(button.Pixel(0, 0), box.Pixel(20, 30)) << "the button's corner shows the box behind it";
}

// Every paint makes and frees its buffers and pictures.
TEST_F(SkinnedControl, TenThousandRepaintsLeaveNoHandleBehind)
{
    auto* g = Make<TsuiGroupBox>(nullptr, 0, 0, 300, 120, I::MacOS);
    g->SetCaption("操作");
    auto* b = Make<TsuiButton>(g, 10, 24, 75, 25, I::MacOS);
    b->SetCaption("停止(&S)");
    auto* c = Make<TsuiCheckBox>(nullptr, 10, 150, 150, 21, I::MacOS);
    c->SetCaption("设置了3721的私隐策略");
    TTestDib target(300, 200);
    for (TWinControl* w : std::initializer_list<TWinControl*>{g, b, c}) target.PrintClient(w->Handle());
    const int before = LiveHandlesTotal();
    for (int i = 0; i < 10000; ++i)
        for (TWinControl* w : std::initializer_list<TWinControl*>{g, b, c}) target.PrintClient(w->Handle());
    EXPECT_EQ(LiveHandlesTotal(), before);
}

}  // namespace
