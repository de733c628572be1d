// Following IFRAME and FRAME elements: in the preview window, or in the hidden
// browser under the please-wait overlay while the cursor is held and the hook
// paused; and how every way out of the latter puts things back.
#include "FollowFrame.h"
#include "PageTestHost.h"

#include <climits>

namespace {

constexpr wchar_t kInnerSrc[] = L"inner/page.html";  // relative: the browser is given it resolved
constexpr wchar_t kInnerUrlLoaded[] = L"http://127.0.0.1/page/inner/page.html";
constexpr char kInnerUrl[] = "http://127.0.0.1/page/inner/page.html";

RECT Screen() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

RECT ClipRect()
{
    RECT r{};
    GetClipCursor(&r);
    return r;
}

HWND Overlay() { return FindWindowA("TfrmGeting", nullptr); }

bool RunningUnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// Known Wine gap (Wine 8.0): in a 32-bit process ClipCursor changes nothing,
// GetClipCursor keeps answering the whole screen. Named so that the test fails
// once Wine holds the cursor there too.
bool WineIgnoresClipCursor() { return sizeof(void*) == 4 && RunningUnderWine(); }

std::string WindowText(HWND h)
{
    char text[256] = {};
    GetWindowTextA(h, text, sizeof text);
    return text;
}

// What the test saw of the overlay while the follow-up waited.
struct TDuringWait {
    bool Seen = false;
    HWND Overlay = nullptr;
    bool Visible = false;
    RECT Rect{};
    LONG ExStyle = 0;
    HWND Owner = nullptr;
    BOOL LayeredRead = FALSE;
    BYTE Alpha = 0;
    DWORD LayeredFlags = 0;
    std::string PanelText;
    RECT Clip{};
    int Polls = 0;
};

// An IFRAME and a FRAME on the page, a movie beside them, and the frame's page:
// a second fake page whose only element is a movie exactly at (30, 30).
class FollowFrameTest : public InspectTest {
protected:
    void SetUp() override
    {
        InspectTest::SetUp();
        if (HasFatalFailure()) return;
        // Right of and below where the preview window appears (the page's corner).
        page_->AddFrame({450, 300, 600, 450}, L"IFRAME", kInnerSrc);
        page_->AddFrame({450, 120, 600, 250}, L"FRAME", L"../other.htm");
        page_->AddFlash({20, 20, 220, 170}, L"movies/intro.swf", false);
        TFakePageOptions options;
        options.screen = RECT{780, 100, 1000, 300};
        inner_ = std::make_unique<TFakePage>(options);
        inner_->SetUrl(L"http://127.0.0.1/page/inner/page.html");
        inner_->AddFlash({30, 30, 31, 31}, L"inner.swf", false);
        host_->MainBrowserFake.SetDocument(inner_.get());
        host_->PreviewBrowserFake.SetDocument(inner_.get());
    }

    void TearDown() override
    {
        if (host_) {
            host_->ReleaseBrowsers();
            host_->MainBrowserFake.SetDocument(nullptr);
            host_->PreviewBrowserFake.SetDocument(nullptr);
        }
        if (inner_) {
            EXPECT_EQ(inner_->LiveReferences(), 0) << "a reference to the frame's page was kept";
        }
        inner_.reset();
        InspectTest::TearDown();
    }

    POINT AtIFrame() const { return OnPage(520, 380); }
    POINT AtFrame() const { return OnPage(520, 180); }
    POINT AtMovie() const { return OnPage(100, 100); }

    // Notes the overlay, the cursor clip and the hook when the wait first pumps.
    void WatchTheWait()
    {
        RunWhenDispatched([this] {
            TDuringWait& w = during_;
            w.Seen = true;
            w.Overlay = Overlay();
            w.Visible = Visible(w.Overlay);
            w.Rect = WindowRectOf(w.Overlay);
            w.ExStyle = GetWindowLongA(w.Overlay, GWL_EXSTYLE);
            w.Owner = GetWindow(w.Overlay, GW_OWNER);
            COLORREF key = 0;
            w.LayeredRead = GetLayeredWindowAttributes(w.Overlay, &key, &w.Alpha, &w.LayeredFlags);
            w.PanelText = WindowText(GetWindow(w.Overlay, GW_CHILD));
            w.Clip = ClipRect();
            w.Polls = host_->MainBrowserFake.ReadyStatePolls();
            HookRecord().Events.push_back("wait");
            // Wine lets a clip go by itself when the active window is destroyed,
            // and the overlay is active now: with another window active, only the
            // follow-up's own release can free the cursor afterwards.
            SetForegroundWindow(host_->Main->Handle());
        });
    }

    // Everything the main-browser follow-up took is given back.
    void ExpectRestored()
    {
        EXPECT_EQ(Overlay(), nullptr) << "the overlay outlived the follow-up";
        EXPECT_EQ(ClipRect(), Screen()) << "the cursor is still held";
        EXPECT_EQ(HookRecord().Disables(), 1);
        ASSERT_EQ(HookRecord().EnabledFor.size(), 1u) << "the hook was not enabled again";
        EXPECT_EQ(HookRecord().EnabledFor[0], host_->Main->Handle());
        EXPECT_EQ(HookRecord().Events.back(), "enable");
    }

    std::unique_ptr<TFakePage> inner_;
    TDuringWait during_;
};

TEST_F(FollowFrameTest, PreviewRouteOpensTheFrameOnceAtTheWindowCorner)
{
    host_->FindIFrame = true;
    host_->AutoOpenURL = true;
    TfrmView* view = host_->View;
    const int width = view->Width(), height = view->Height();
    Report(AtIFrame());
    EXPECT_TRUE(Visible(view->Handle()));
    EXPECT_EQ(WindowRectOf(view->Handle()),
              (RECT{pageRect_.left, pageRect_.top, pageRect_.left + width, pageRect_.top + height}));
    EXPECT_EQ(host_->PreviewBrowserFake.NavigatedUrls(), std::vector<std::wstring>{kInnerUrlLoaded});
    EXPECT_EQ(host_->PreviewBrowserFake.ReadyStatePolls(), 0) << "the preview route does not wait";
    EXPECT_EQ(host_->MainBrowserFake.Navigations(), 0);
    EXPECT_TRUE(HookRecord().Events.empty());
    EXPECT_EQ(Overlay(), nullptr);
    // The inspection ends there: nothing recognised, no toolbar.
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(host_->Hit.MoviePath, "");

    // Hovering the same frame again shows the page already loaded.
    view->Hide();
    ReportFresh(AtIFrame());
    EXPECT_TRUE(Visible(view->Handle()));
    EXPECT_EQ(host_->PreviewBrowserFake.Navigations(), 1);

    // A FRAME follows the same way, to its own src as written.
    ReportFresh(AtFrame());
    EXPECT_EQ(host_->PreviewBrowserFake.NavigatedUrls(), (std::vector<std::wstring>{kInnerUrlLoaded, L"http://127.0.0.1/other.htm"}));
    EXPECT_EQ(WindowRectOf(view->Handle()).left, pageRect_.left);
}

TEST_F(FollowFrameTest, MainBrowserRouteLoadsUnderTheOverlayThenTestsTheLoadedPage)
{
    host_->FindIFrame = true;
    host_->MainBrowserFake.SetPollsUntilComplete(3);
    WatchTheWait();
    Report(AtIFrame());

    ASSERT_TRUE(during_.Seen) << "the follow-up never pumped messages";
    EXPECT_NE(during_.Overlay, nullptr);
    EXPECT_TRUE(during_.Visible);
    EXPECT_EQ(during_.Rect, pageRect_) << "the overlay covers the window under the cursor";
    EXPECT_TRUE(during_.LayeredRead);
    EXPECT_EQ(during_.Alpha, 200);
    EXPECT_EQ(during_.LayeredFlags, static_cast<DWORD>(LWA_ALPHA));
    EXPECT_EQ(during_.ExStyle & (WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_TRUE(during_.Owner == nullptr || during_.Owner == GetDesktopWindow());
    RecordProperty("overlay_owner_is_desktop", during_.Owner == GetDesktopWindow() ? 1 : 0);
    EXPECT_EQ(during_.PanelText, "正在获得，请稍候......");
    if (WineIgnoresClipCursor())
        EXPECT_EQ(during_.Clip, Screen()) << "Wine now clips in 32-bit processes: drop WineIgnoresClipCursor";
    else
        EXPECT_EQ(during_.Clip, pageRect_) << "the cursor is held inside the window";
    EXPECT_GE(during_.Polls, 1);
    EXPECT_EQ(HookRecord().Events, (std::vector<std::string>{"disable", "wait", "enable"}));
    ExpectRestored();
    EXPECT_FALSE(IsWindow(during_.Overlay));

    EXPECT_EQ(host_->MainBrowserFake.NavigatedUrls(), std::vector<std::wstring>{kInnerUrlLoaded});
    EXPECT_GE(host_->MainBrowserFake.ReadyStatePolls(), 4);
    EXPECT_EQ(host_->PreviewBrowserFake.Navigations(), 0);
    // The loaded page's element at (30, 30) was tested in the frame's place; the
    // toolbar still goes to the corner of the window under the cursor.
    EXPECT_EQ(inner_->Calls(TDomCall::ElementFromPoint), 1);
    EXPECT_EQ(host_->Hit.MoviePath, "inner.swf");
    EXPECT_EQ(host_->Hit.PageURL, kInnerUrl);
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(ToolbarTopLeft(), TopLeft(pageRect_));
    EXPECT_EQ(host_->Hit.LastWnd, page_->ContentWindow());

    // The same frame again: the page is there already, nothing is loaded.
    ReportFresh(AtIFrame());
    EXPECT_EQ(host_->MainBrowserFake.Navigations(), 1);
    EXPECT_EQ(HookRecord().Disables(), 2);
    EXPECT_EQ(HookRecord().EnabledFor.size(), 2u);
    EXPECT_EQ(host_->Hit.MoviePath, "inner.swf");
}

TEST_F(FollowFrameTest, FrameWithoutFrameInterfaceGoesOnWithItsOwnElement)
{
    // An element named IFRAME that is no frame but a movie; with both options it
    // still takes the main-browser route, which finds no src and hands it back.
    page_->AddFlash({20, 300, 220, 450}, L"framed.swf", false, L"IFRAME");
    host_->FindIFrame = true;
    host_->AutoOpenURL = true;
    Report(OnPage(100, 400));
    EXPECT_EQ(host_->Hit.MoviePath, "framed.swf");
    EXPECT_EQ(host_->Hit.PageURL, "http://127.0.0.1/page/index.html");
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(host_->MainBrowserFake.Navigations(), 0);
    EXPECT_EQ(host_->PreviewBrowserFake.Navigations(), 0);
    EXPECT_FALSE(Visible(host_->View->Handle()));
    ExpectRestored();
}

TEST_F(FollowFrameTest, FramesAreNotFollowedWithoutTheOption)
{
    host_->AutoOpenURL = true;
    Report(AtIFrame());
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(host_->Hit.MoviePath, "");
    EXPECT_EQ(page_->Calls(TDomCall::Src), 0);
    EXPECT_EQ(host_->PreviewBrowserFake.Navigations() + host_->MainBrowserFake.Navigations(), 0);
    EXPECT_TRUE(HookRecord().Events.empty());
    EXPECT_FALSE(Visible(host_->View->Handle()));
}

// A report queued before the hook paused arrives during the wait: the cursor is
// over the overlay's panel, so it ends at the class test; the follow-up then
// finishes with its own element.
TEST_F(FollowFrameTest, ReportDuringTheWaitEndsAtTheOverlay)
{
    host_->FindIFrame = true;
    host_->MainBrowserFake.SetPollsUntilComplete(3);
    Report(AtMovie());
    ASSERT_TRUE(ToolbarShown());
    HWND nestedLastWnd = nullptr;
    bool toolbarDuring = true;
    RunWhenDispatched([&] {
        Report(AtIFrame());
        nestedLastWnd = host_->Hit.LastWnd;
        toolbarDuring = ToolbarShown();
    });
    ReportFresh(AtIFrame());
    ASSERT_NE(nestedLastWnd, nullptr);
    EXPECT_NE(nestedLastWnd, page_->ContentWindow());
    EXPECT_FALSE(toolbarDuring);
    EXPECT_EQ(host_->Hit.LastWnd, nestedLastWnd) << "the nested report's window stays the last one";
    EXPECT_EQ(host_->Hit.HitRect, pageRect_) << "the panel covered the content window exactly";
    EXPECT_EQ(host_->Hit.MoviePath, "inner.swf");
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(ToolbarTopLeft(), TopLeft(pageRect_));
    EXPECT_EQ(page_->GetObjectRequests(), 2) << "the nested report asked no document";
    ExpectRestored();
}

// A browser call fails somewhere in the main-browser follow-up.
struct TBrowserFailure {
    const char* Name;
    DISPID Dispid;       // 0: the frame's src fails instead
    int Navigations;     // made before the failure
};

void PrintTo(const TBrowserFailure& f, std::ostream* os) { *os << f.Name; }

class FailingBrowserCall : public FollowFrameTest, public ::testing::WithParamInterface<TBrowserFailure> {};

TEST_P(FailingBrowserCall, EndsQuietlyAndGivesEverythingBack)
{
    const TBrowserFailure& f = GetParam();
    host_->FindIFrame = true;
    Report(AtMovie());
    ASSERT_TRUE(ToolbarShown());
    if (f.Dispid != 0)
        host_->MainBrowserFake.FailInvoke(f.Dispid, E_FAIL);
    else
        page_->FailCall(TDomCall::Src, E_ACCESSDENIED);
    ReportFresh(AtIFrame());
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");
    EXPECT_EQ(host_->Hit.PageURL, "http://127.0.0.1/page/index.html");
    EXPECT_EQ(host_->MainBrowserFake.Navigations(), f.Navigations);
    EXPECT_TRUE(boxes_.empty());
    ExpectRestored();
}

INSTANTIATE_TEST_SUITE_P(Calls, FailingBrowserCall,
                         ::testing::Values(TBrowserFailure{"Src", 0, 0},
                                           TBrowserFailure{"LocationURL", fake_browser::kLocationURL, 0},
                                           TBrowserFailure{"Navigate", fake_browser::kNavigate, 0},
                                           TBrowserFailure{"ReadyState", fake_browser::kReadyState, 1},
                                           TBrowserFailure{"Document", fake_browser::kDocument, 1}),
                         [](const ::testing::TestParamInfo<TBrowserFailure>& param) {
                             return std::string(param.param.Name);
                         });

TEST_F(FollowFrameTest, LoadThatFailsDuringTheWaitGivesEverythingBack)
{
    host_->FindIFrame = true;
    host_->MainBrowserFake.SetPollsUntilComplete(INT_MAX);
    bool overlayDuring = false;
    int pollsAtFailure = 0;
    // The wait keeps pumping: a timer looks in now and then, and once the page
    // has been asked a few times it makes the browser fail.
    std::function<void()> look = [&] {
        if (host_->MainBrowserFake.ReadyStatePolls() < 5) {
            RunAfter(20, look);
            return;
        }
        overlayDuring = Overlay() != nullptr;
        pollsAtFailure = host_->MainBrowserFake.ReadyStatePolls();
        host_->MainBrowserFake.FailInvoke(fake_browser::kReadyState, E_FAIL);
    };
    RunAfter(20, look);
    const DWORD start = GetTickCount();
    Report(AtIFrame());
    EXPECT_GE(pollsAtFailure, 5);
    EXPECT_TRUE(overlayDuring);
    // A failing call is not counted: the wait ended at the first failure.
    EXPECT_EQ(host_->MainBrowserFake.ReadyStatePolls(), pollsAtFailure);
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_FALSE(ToolbarShown());
    ExpectRestored();
}

TEST_F(FollowFrameTest, PreviewBrowserFailureEndsQuietly)
{
    host_->FindIFrame = true;
    host_->AutoOpenURL = true;
    host_->PreviewBrowserFake.FailInvoke(fake_browser::kLocationURL, E_FAIL);
    Report(AtMovie());
    ReportFresh(AtIFrame());
    EXPECT_FALSE(ToolbarShown());
    EXPECT_FALSE(Visible(host_->View->Handle()));
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(HookRecord().Events.empty());
}

// The person presses Alt+F4 on the overlay (it is the active window while the
// page loads): the overlay frees itself on close, and the follow-up must not
// free it a second time.
TEST_F(FollowFrameTest, OverlayClosedDuringTheWaitIsNotFreedTwice)
{
    host_->FindIFrame = true;
    host_->MainBrowserFake.SetPollsUntilComplete(3);
    HWND closed = nullptr;
    bool hiddenAfterClose = false;
    RunWhenDispatched([&] {
        closed = Overlay();
        SendMessageA(closed, WM_CLOSE, 0, 0);
        hiddenAfterClose = !IsWindowVisible(closed);
    });
    Report(AtIFrame());
    ASSERT_NE(closed, nullptr);
    EXPECT_TRUE(hiddenAfterClose);
    Application()->ProcessMessages();
    EXPECT_FALSE(IsWindow(closed)) << "closing the overlay frees it";
    EXPECT_EQ(host_->Hit.MoviePath, "inner.swf");
    ExpectRestored();
}

// A page that never completes: the wait gives up after FollowLoadTimeoutMs
// (30 s). Too slow for every run; start it with --gtest_also_run_disabled_tests.
TEST_F(FollowFrameTest, LoadThatNeverCompletesGivesUpAfterTheBound)
{
    const DWORD saved = FollowLoadTimeoutMs();
    FollowLoadTimeoutMs() = 600;
    host_->FindIFrame = true;
    host_->MainBrowserFake.SetPollsUntilComplete(INT_MAX);
    const DWORD start = GetTickCount();
    Report(AtIFrame());
    const ULONGLONG elapsed = GetTickCount() - start;
    FollowLoadTimeoutMs() = saved;
    EXPECT_GE(elapsed, 600u);
    EXPECT_LT(elapsed, 600u + 1000u);
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(inner_->Calls(TDomCall::ElementFromPoint), 0);
    ExpectRestored();
}

}  // namespace
