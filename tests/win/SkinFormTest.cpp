// The skinned form frame on a real form under Wine: layout inside the border,
// the style's border and face, maximising, edge sizing and its error cases.
#include "Dialogs.h"
#include "SUIButton.h"
#include "SUIForm.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

namespace {

using I = TsuiUIStyle;

class SkinForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedHook_ = SetMessageBoxHook([this](const TMessageBoxRequest& r) {
            boxes_.push_back(r.Text);
            return IDOK;
        });
        savedMessage_ = Application()->OnMessage;
        Application()->OnMessage = nullptr;
    }
    void TearDown() override
    {
        form_.reset();
        Application()->ProcessMessages();
        Application()->OnMessage = savedMessage_;
        SetMessageBoxHook(savedHook_);
    }

    TsuiForm* MakeFrame(TFormBorderStyle border, I style = I::DeepBlue)
    {
        form_.reset(new TForm(nullptr));
        form_->SetBorderStyle(border);
        form_->SetBounds(40, 40, 320, 240);
        auto* frame = new TsuiForm(form_.get());
        frame->SetParent(form_.get());
        frame->SetUIStyle(style);
        form_->Show();
        return frame;
    }
    LRESULT HitAt(int x, int y)
    {
        const POINT s = form_->ClientToScreen(POINT{x, y});
        return SendMessageA(form_->Handle(), WM_NCHITTEST, 0, MAKELPARAM(s.x, s.y));
    }

    TOwnedComponent<TForm> form_;
    std::vector<std::string> boxes_;
    TMessageBoxHook savedHook_;
    TMessageEvent savedMessage_;
};

TEST_F(SkinForm, FrameFillsTheClientAreaInsideItsBorder)
{
    TsuiForm* frame = MakeFrame(TFormBorderStyle::bsSizeable);
    EXPECT_EQ(GetWindowLongPtrA(form_->Handle(), GWL_STYLE) & WS_CAPTION, 0) << "the form's own caption is gone";
    frame->SetBorderWidth(3);
    EXPECT_EQ(frame->Left(), 3);
    EXPECT_EQ(frame->Top(), 0) << "the title bar covers the top border";
    EXPECT_EQ(frame->Width(), form_->ClientWidth() - 6);
    EXPECT_EQ(frame->Height(), form_->ClientHeight() - 3);
    frame->SetFrameHeight(100);
    EXPECT_EQ(form_->Height(), 104);
    frame->SetTitleBarVisible(false);
    EXPECT_EQ(frame->Top(), 3);
    frame->SetCaption("预览");
    EXPECT_EQ(frame->TitleBar().Caption(), "预览");
    EXPECT_EQ(form_->Caption(), "预览");
}

TEST_F(SkinForm, StyleGivesBorderWidthAndFaceOrDeepBlueWithoutATheme)
{
    TsuiForm* frame = MakeFrame(TFormBorderStyle::bsSingle, I::WinXP);
    EXPECT_EQ(frame->BorderColor(), 0x00C82C00u);
    EXPECT_EQ(frame->BorderWidth(), 3);
    EXPECT_EQ(frame->Color(), 0x00DEEBEFu);
    EXPECT_EQ(frame->TitleBar().UIStyle(), I::WinXP);
    // A button made on the form takes the frame's style, Transparent included.
    for (I style : {I::WinXP, I::MacOS, I::BlueGlass}) {
        frame->SetUIStyle(style);
        auto* button = new TsuiButton(form_.get());
        EXPECT_EQ(button->UIStyle(), style);
        EXPECT_EQ(button->Transparent(), style != I::WinXP);
        button->Free();
    }
    frame->SetUIStyle(I::FromThemeFile);
    EXPECT_EQ(frame->BorderColor(), 0u);
    EXPECT_EQ(frame->BorderWidth(), 1);
    EXPECT_EQ(frame->Color(), 0x00E8E8E8u);
}

// A child anywhere shows the MacOS face's 8 x 4 pattern behind it in step
// with the face around it.
TEST_F(SkinForm, FacePatternBehindAChildLinesUpWithTheFaceAroundIt)
{
    TsuiForm* frame = MakeFrame(TFormBorderStyle::bsSingle, I::MacOS);
    auto* child = new TCustomControl(form_.get());
    child->SetParent(frame);
    child->SetBounds(13, 39, 16, 8);
    TTestDib face(frame->Width(), frame->Height()), behind(16, 8);
    face.PrintClient(frame->Handle());
    TCanvas canvas(behind.Dc());
    PaintParentBackground(canvas, *child);
    int wrong = 0;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x) wrong += behind.Pixel(x, y) != face.Pixel(13 + x, 39 + y);
    EXPECT_EQ(wrong, 0);
}

// What the screen shows of the border left, right and below the frame, read
// from the screen itself: the window's own DC does not tell under Wine.
class SkinFormOnScreen : public SkinForm, public ::testing::WithParamInterface<I> {
protected:
    // How many pixels of the three strips differ from the border colour.
    int WrongBorderPixels(const TsuiForm& frame)
    {
        Application()->ProcessMessages();
        PumpUntil([] { return false; }, 150);
        RECT r;
        GetWindowRect(form_->Handle(), &r);
        const int w = r.right - r.left, h = r.bottom - r.top, bw = frame.BorderWidth();
        TTestDib shown(w, h);
        BitBlt(shown.Dc(), 0, 0, w, h, TWindowDC(nullptr).get(), r.left, r.top, SRCCOPY);
        const COLORREF want = ColorToRGB(frame.BorderColor());
        int wrong = 0;
        for (int i = 0; i < bw; ++i) {
            for (int y = 40; y < h; y += 7) wrong += (shown.Pixel(i, y) != want) + (shown.Pixel(w - 1 - i, y) != want);
            for (int x = 0; x < w; x += 7) wrong += shown.Pixel(x, h - 1 - i) != want;
        }
        return wrong;
    }
};

TEST_P(SkinFormOnScreen, BorderIsOnTheScreenAfterShowResizeMaximiseRestoreAndBeingCovered)
{
    TsuiForm* frame = MakeFrame(TFormBorderStyle::bsSizeable, GetParam());
    EXPECT_EQ(WrongBorderPixels(*frame), 0) << "first show";
    form_->SetBounds(60, 50, 360, 260);
    EXPECT_EQ(WrongBorderPixels(*frame), 0) << "resized";
    form_->SetWindowState(TWindowState::wsMaximized);
    EXPECT_EQ(WrongBorderPixels(*frame), 0) << "maximised";
    form_->SetWindowState(TWindowState::wsMinimized);
    form_->SetWindowState(TWindowState::wsNormal);
    EXPECT_EQ(WrongBorderPixels(*frame), 0) << "restored";
    {
        TOwnedComponent<TForm> cover(new TForm(nullptr));  // takes the activation too
        cover->SetBounds(form_->Left() - 20, form_->Top() - 20, form_->Width() + 40, form_->Height() + 40);
        cover->Show();
        Application()->ProcessMessages();
    }
    EXPECT_EQ(WrongBorderPixels(*frame), 0) << "uncovered";
}

INSTANTIATE_TEST_SUITE_P(AllStyles, SkinFormOnScreen,
                         ::testing::Values(I::MacOS, I::WinXP, I::DeepBlue, I::Protein, I::BlueGlass));

TEST_F(SkinForm, MaximisedSingleBorderFormGetsTheWorkArea)
{
    MakeFrame(TFormBorderStyle::bsSingle);
    form_->SetWindowState(TWindowState::wsMaximized);
    const RECT area = QueryWorkArea();
    EXPECT_EQ(form_->BoundsRect(), area);
}

TEST_F(SkinForm, EdgesSizeABorderlessFormOnlyWhenItWasSizeable)
{
    MakeFrame(TFormBorderStyle::bsSizeable);
    const int W = form_->ClientWidth(), H = form_->ClientHeight();
    EXPECT_EQ(HitAt(1, 1), HTTOPLEFT);
    EXPECT_EQ(HitAt(W - 1, 1), HTTOPRIGHT);
    EXPECT_EQ(HitAt(W - 1, H - 1), HTBOTTOMRIGHT);
    EXPECT_EQ(HitAt(1, H - 1), HTBOTTOMLEFT);
    EXPECT_EQ(HitAt(1, H / 2), HTLEFT);
    EXPECT_EQ(HitAt(W - 1, H / 2), HTRIGHT);
    EXPECT_EQ(HitAt(W / 2, H - 1), HTBOTTOM);
    MakeFrame(TFormBorderStyle::bsSingle);
    EXPECT_NE(HitAt(1, 1), HTTOPLEFT) << "a fixed border is never offered for sizing";
}

TEST_F(SkinForm, OneFramePerFormAndNotItselfAsFormPanel)
{
    TsuiForm* frame = MakeFrame(TFormBorderStyle::bsSingle);
    try {
        new TsuiForm(form_.get());
        ADD_FAILURE() << "a second frame was made";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Sorry, You can create only one TsuiForm component in one form!");
    }
    frame->SetFormPanel(frame);
    EXPECT_EQ(frame->FormPanel(), nullptr);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0], "Sorry, you can't select the Form assign to FormPanel property");
    auto* panel = new TPanel(form_.get());
    panel->SetParent(frame);
    frame->SetFormPanel(panel);
    EXPECT_EQ(panel->Align(), TAlign::alClient);
    panel->Free();
    EXPECT_EQ(frame->FormPanel(), nullptr);
}

}  // namespace
