// The grab toolbar and the preview window as windows: placement, looks, the
// three windowless buttons clicked through the toolbar's own window, and the
// preview hiding when the cursor leaves it.
#include "PageTestHost.h"

#include "Product.h"

namespace {

class Toolbar : public InspectTest {
protected:
    HWND Bar() const { return host_->Get->Handle(); }

    void ShowAt(int x, int y)
    {
        host_->Hit.HitRect = RECT{x, y, x + 300, y + 200};
        host_->Get->PlaceToolbar(false, page_->ContentWindow(), POINT{0, 0});
        ASSERT_TRUE(ToolbarShown());
    }

    // A click in the toolbar's client area, as the system sends it.
    void ClickAt(int x)
    {
        SendMessageA(Bar(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 13));
        SendMessageA(Bar(), WM_LBUTTONUP, 0, MAKELPARAM(x, 13));
    }
};

TEST_F(Toolbar, IsASmallLayeredToolWindowOnTopThatBelongsToTheDesktop)
{
    EXPECT_FALSE(ToolbarShown()) << "hidden until a movie is found";
    const RECT r = WindowRectOf(Bar());
    EXPECT_EQ(r.right - r.left, 79);
    EXPECT_EQ(r.bottom - r.top, 26);
    const LONG ex = GetWindowLongA(Bar(), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW) << "kept off the taskbar";
    EXPECT_TRUE(ex & WS_EX_TOPMOST);
    COLORREF key = 0;
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(Bar(), &key, &alpha, &flags));
    EXPECT_EQ(alpha, 220);
    EXPECT_EQ(flags, static_cast<DWORD>(LWA_ALPHA));
    // Made with the desktop window as its parent: Wine, like Windows, then gives
    // it no owner at all; it never belongs to the application's windows.
    const HWND owner = GetWindow(Bar(), GW_OWNER);
    EXPECT_TRUE(owner == nullptr || owner == GetDesktopWindow());
    RecordProperty("toolbar_owner_is_desktop", owner == GetDesktopWindow() ? 1 : 0);
    EXPECT_EQ(GetAncestor(Bar(), GA_ROOT), Bar());
    EXPECT_FALSE(GetWindowLongA(Bar(), GWL_STYLE) & WS_CAPTION);
}

TEST_F(Toolbar, GoesToHitRectCornerOrToTheCursorPointAndStaysOnTop)
{
    host_->Hit.HitRect = RECT{200, 150, 500, 400};
    host_->Get->PlaceToolbar(false, page_->ContentWindow(), POINT{5, 5});
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(WindowRectOf(Bar()), (RECT{200, 150, 279, 176}));
    EXPECT_EQ(WindowFromPoint(POINT{200, 150}), Bar()) << "above the page";

    // At the cursor: C is in the content window's client coordinates.
    host_->Get->PlaceToolbar(true, page_->ContentWindow(), POINT{40, 30});
    EXPECT_EQ(WindowRectOf(Bar()), (RECT{pageRect_.left + 40, pageRect_.top + 30, pageRect_.left + 119,
                                         pageRect_.top + 56}));
    // Above a topmost window shown later too (the preview).
    host_->View->SetBounds(pageRect_.left, pageRect_.top, host_->View->Width(), host_->View->Height());
    host_->View->Show();
    host_->Get->PlaceToolbar(false, page_->ContentWindow(), POINT{0, 0});
    EXPECT_EQ(WindowFromPoint(POINT{201, 151}), Bar());
}

TEST_F(Toolbar, AboutAndHelpHideTheToolbarThenOpenBoxesItOwns)
{
    std::vector<bool> shownAtBox;
    onBox_ = [&](const TMessageBoxRequest&) { shownAtBox.push_back(ToolbarShown()); };
    int saves = 0;
    host_->Get->OnSave = [&](TObject*) { ++saves; };

    ShowAt(300, 200);
    ClickAt(27 + 13);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].Text, "本程序为从缓存中读取Flash文件，因此请确保网页打开完毕后再进行操作");
    EXPECT_EQ(boxes_[0].Caption, MakerWebAddress);
    EXPECT_EQ(boxes_[0].Flags, 0x40u);
    EXPECT_EQ(boxes_[0].Owner, Bar());
    EXPECT_FALSE(shownAtBox[0]) << "the box opened over a visible toolbar";

    ShowAt(300, 200);
    ClickAt(53 + 13);
    ASSERT_EQ(boxes_.size(), 2u);
    const std::string help = std::string("请确保含有Flash的网页打开完成后，\r\n") +
                             "启动本系统，当您的鼠标移动到Flash的上方的时候，会\r\n" +
                             "自动出现存盘提示符，点保存即可，\r\n" + "如果您在使用过程中有任何问题，请发信至" +
                             MakerEmail + "\r\n" + "或登陆" + MakerWebAddress + "论坛发贴";
    EXPECT_EQ(boxes_[1].Text, help);
    EXPECT_EQ(boxes_[1].Caption, std::string(MakerWebAddress) + MakerName);
    EXPECT_EQ(boxes_[1].Flags, 0x40u);
    EXPECT_EQ(boxes_[1].Owner, Bar());
    EXPECT_FALSE(shownAtBox[1]);
    EXPECT_EQ(saves, 0);
}

TEST_F(Toolbar, SaveHidesTheToolbarThenRaisesOnSave)
{
    std::vector<bool> shownAtSave;
    TObject* sender = nullptr;
    host_->Get->OnSave = [&](TObject* s) {
        sender = s;
        shownAtSave.push_back(ToolbarShown());
    };
    ShowAt(300, 200);
    ClickAt(1 + 13);
    ASSERT_EQ(shownAtSave.size(), 1u);
    EXPECT_FALSE(shownAtSave[0]);
    EXPECT_EQ(sender, host_->Get);
    EXPECT_TRUE(boxes_.empty());

    // The first column left of the buttons is no button; the last one is Help's.
    ShowAt(300, 200);
    ClickAt(0);
    EXPECT_EQ(shownAtSave.size(), 1u);
    EXPECT_TRUE(ToolbarShown());
    ClickAt(78);
    EXPECT_EQ(boxes_.size(), 1u);
}

// Under Wine a cursor moved out of one of our windows can snap back to where it
// was once the window's pending pointer events are read (seen near the edges of
// the preview); setting it again after they were read makes it stay.
bool MoveCursorExactly(int x, int y)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        SetCursorPos(x, y);
        for (int i = 0; i < 3; ++i) {
            PumpPending();
            Sleep(5);
        }
        POINT at{};
        GetCursorPos(&at);
        if (at.x == x && at.y == y) return true;
    }
    return false;
}

class PreviewWindow : public InspectTest {};

TEST_F(PreviewWindow, IsATopmostFixedWindowOfTheDesignedSize)
{
    TfrmView* view = host_->View;
    EXPECT_FALSE(Visible(view->Handle()));
    RECT client{};
    GetClientRect(view->Handle(), &client);
    EXPECT_EQ(client.right, 351);
    EXPECT_EQ(client.bottom, 263);
    EXPECT_TRUE(GetWindowLongA(view->Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongA(view->Handle(), GWL_STYLE) & WS_THICKFRAME);
    char caption[128] = {};
    GetWindowTextA(view->Handle(), caption, sizeof caption);
    EXPECT_STREQ(caption, "IFRAME内容预览，将鼠标放置到上面可实现抓捕");
}

TEST_F(PreviewWindow, HidesWhenTheCursorHasLeftItsRectangleOnly)
{
    TfrmView* view = host_->View;
    view->SetBounds(200, 150, view->Width(), view->Height());
    view->Show();
    const RECT r = WindowRectOf(view->Handle());
    const auto leaveWithCursorAt = [&](int x, int y) {
        EXPECT_TRUE(MoveCursorExactly(x, y)) << "the cursor did not stay at " << x << ", " << y;
        SendMessageA(view->Handle(), CM_MOUSELEAVE, 0, 0);
        return Visible(view->Handle());
    };
    // Left and top inclusive, right and bottom exclusive.
    EXPECT_TRUE(leaveWithCursorAt(r.left, r.top));
    EXPECT_TRUE(leaveWithCursorAt(r.right - 1, r.bottom - 1));
    EXPECT_FALSE(leaveWithCursorAt(r.right, r.top + 10));
    view->Show();
    EXPECT_FALSE(leaveWithCursorAt(r.left + 10, r.bottom));
    view->Show();
    EXPECT_FALSE(leaveWithCursorAt(r.left - 1, r.top));
}

}  // namespace
