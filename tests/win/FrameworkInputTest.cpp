// Input: mouse messages routed to windowless children, the real cursor over
// them, and notifications of system buttons reflected back to their controls.
#include "Buttons.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(Application());
        form->SetBounds(100, 100, 300, 200);
        button = new TSpeedButton(form);
        button->SetParent(form);
        button->SetBounds(20, 10, 23, 22);
        button->OnClick = [this](TObject* sender) {
            EXPECT_EQ(sender, button);
            ++clicks;
        };
        button->OnMouseEnter = [this](TObject*) { ++enters; };
        button->OnMouseLeave = [this](TObject*) { ++leaves; };
        form->HandleNeeded();
    }

    void TearDown() override
    {
        Application()->FreeForms();
        PumpPending();
    }

    void Send(UINT msg, WPARAM keys, int x, int y) { SendMessageA(form->Handle(), msg, keys, MAKELPARAM(x, y)); }

    TForm* form = nullptr;
    TSpeedButton* button = nullptr;
    int clicks = 0, enters = 0, leaves = 0;
};

void SendButton(DWORD flags)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    SendInput(1, &in, sizeof(in));
}

TEST_F(InputTest, PressAndReleaseOverSpeedButtonClicksItOnce)
{
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 30, 20);
    EXPECT_TRUE(button->Pressed());
    EXPECT_EQ(GetCapture(), form->Handle()) << "the form holds the mouse for its windowless child";
    Send(WM_LBUTTONUP, 0, 31, 21);

    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(GetCapture(), nullptr);

    Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 150);  // beside the button
    Send(WM_LBUTTONUP, 0, 200, 150);
    EXPECT_EQ(clicks, 1);
}

TEST_F(InputTest, ReleaseAwayFromSpeedButtonDoesNotClickIt)
{
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 30, 20);
    Send(WM_MOUSEMOVE, MK_LBUTTON, 200, 150);
    Send(WM_LBUTTONUP, 0, 200, 150);
    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->Pressed());
    EXPECT_EQ(GetCapture(), nullptr);

    // Pressed elsewhere and released over the button: no click either.
    Send(WM_LBUTTONDOWN, MK_LBUTTON, 200, 150);
    Send(WM_LBUTTONUP, 0, 30, 20);
    EXPECT_EQ(clicks, 0);
}

TEST_F(InputTest, MouseOverSpeedButtonEntersAndLeavesIt)
{
    Send(WM_MOUSEMOVE, 0, 30, 20);
    EXPECT_TRUE(button->MouseInControl());
    Send(WM_MOUSEMOVE, 0, 35, 25);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(leaves, 0);

    Send(WM_MOUSEMOVE, 0, 200, 150);
    EXPECT_FALSE(button->MouseInControl());
    EXPECT_EQ(leaves, 1);

    Send(WM_MOUSEMOVE, 0, 30, 20);
    Send(WM_MOUSELEAVE, 0, 0, 0);  // the mouse left the form straight from the button
    EXPECT_FALSE(button->MouseInControl());
    EXPECT_EQ(enters, 2);
    EXPECT_EQ(leaves, 2);
}

// The real cursor: the window under it is the form, and a real click reaches
// the button through the form's capture.
TEST_F(InputTest, RealCursorOverSpeedButtonFindsTheFormAndClicks)
{
    form->Show();
    const POINT over = button->ClientToScreen(POINT{11, 11});
    SetCursorPos(over.x, over.y);
    EXPECT_EQ(WindowFromPoint(over), form->Handle());
    EXPECT_TRUE(PumpUntil([&] { return button->MouseInControl(); })) << "no enter from the real cursor";

    SendButton(MOUSEEVENTF_LEFTDOWN);
    SendButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));

    const POINT away = form->ClientToScreen(POINT{-40, -40});
    SetCursorPos(away.x, away.y);
    EXPECT_TRUE(PumpUntil([&] { return !button->MouseInControl(); })) << "no leave from the real cursor";
    EXPECT_EQ(clicks, 1);
}

// ----------------------------------------------------------------- reflection

TEST_F(InputTest, ButtonClickReachesItsOnClickOnce)
{
    auto* push = new TButton(form);
    push->SetParent(form);
    push->SetBounds(50, 50, 75, 25);
    int pushed = 0;
    push->OnClick = [&](TObject*) { ++pushed; };

    SendMessageA(push->Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(pushed, 1);

    // The real mouse: the button takes the capture itself and clicks on release.
    form->Show();
    const POINT over = push->ClientToScreen(POINT{10, 10});
    SetCursorPos(over.x, over.y);
    SendButton(MOUSEEVENTF_MOVE);
    SendButton(MOUSEEVENTF_LEFTDOWN);
    EXPECT_TRUE(PumpUntil([&] { return GetCapture() == push->Handle(); }));
    SendButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return pushed == 2; }));
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(InputTest, CheckBoxStateFollowsClicksAndEarlyAssignment)
{
    auto* box = new TCheckBox(form);
    int clicked = 0;
    box->OnClick = [&](TObject*) { ++clicked; };
    box->SetChecked(true);  // before the window exists
    box->SetBounds(50, 100, 97, 17);
    box->SetParent(form);
    ASSERT_TRUE(box->HandleAllocated());
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);

    SendMessageA(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_FALSE(box->Checked());
    SendMessageA(box->Handle(), BM_CLICK, 0, 0);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(clicked, 3);

    box->SetChecked(false);
    EXPECT_EQ(SendMessageA(box->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

}  // namespace
