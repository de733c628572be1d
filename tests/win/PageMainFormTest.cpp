// The hit test reached the way the program reaches it: a hook report in the
// shared mouse record, the hook message to the real main window, the options
// read from its check boxes, the toolbar it was given.
#include "PageTestHost.h"
#include "main.h"

namespace {

BOOL WINAPI NoIcon(DWORD, PNOTIFYICONDATAW) { return TRUE; }

class InspectThroughMainForm : public InspectTest {
protected:
    void SetUp() override
    {
        InspectTest::SetUp();
        if (HasFatalFailure()) return;
        host_.reset();  // the real main window is the host here
        savedIcon_ = TfrmMain::NotifyIcon;
        TfrmMain::NotifyIcon = &NoIcon;
        form_ = Application()->CreateForm<TfrmMain>();
        form_->Timer1->SetEnabled(false);
        toolbar_ = Application()->CreateForm<TfrmGet>();
        toolbar_->SetHitState(&form_->Hit);
        form_->SetToolbar(toolbar_);
        movie_ = page_->AddFlash({20, 20, 220, 170}, L"movies/intro.swf", true);
        page_->AddElement({20, 300, 220, 450}, L"DIV", L"<div></div>");
    }

    void TearDown() override
    {
        if (toolbar_) toolbar_->Free();
        if (form_) form_->Free();
        TfrmMain::NotifyIcon = savedIcon_;
        InspectTest::TearDown();
    }

    void HookReport(POINT p)
    {
        ASSERT_NE(MouseShare, nullptr);
        MouseShare->X = p.x;
        MouseShare->Y = p.y;
        SendMessageA(form_->Handle(), HookMessage, 0, 0);
    }

    TfrmMain* form_ = nullptr;
    TfrmGet* toolbar_ = nullptr;
    TFakeItem movie_;

private:
    TfrmMain::TNotifyIconCall savedIcon_ = nullptr;
};

TEST_F(InspectThroughMainForm, HoveringAMovieShowsTheToolbarAndRecordsIt)
{
    HookReport(OnPage(120, 100));
    const RECT movieRect = WindowRectOf(movie_.window);
    EXPECT_TRUE(Visible(toolbar_->Handle()));
    EXPECT_EQ(TopLeft(WindowRectOf(toolbar_->Handle())), TopLeft(movieRect));
    EXPECT_EQ(form_->Hit.MoviePath, "movies/intro.swf");
    EXPECT_EQ(form_->Hit.PageURL, "http://127.0.0.1/page/index.html");
    EXPECT_EQ(form_->Hit.LastWnd, movie_.window);
    EXPECT_EQ(page_->GetObjectRequests(), 1);

    HookReport(OnPage(100, 350));
    EXPECT_FALSE(Visible(toolbar_->Handle()));
    EXPECT_EQ(form_->Hit.MoviePath, "movies/intro.swf");

    // The option is read from the check box at each report.
    form_->cbTransParent->SetChecked(true);
    const POINT at = OnPage(150, 120);
    HookReport(at);
    EXPECT_TRUE(Visible(toolbar_->Handle()));
    EXPECT_EQ(TopLeft(WindowRectOf(toolbar_->Handle())), at);
    EXPECT_TRUE(boxes_.empty());
}

}  // namespace
