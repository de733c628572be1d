// The hit test over the fake page: the skip tests, movies with and without a
// window of their own, "player" markup, failing DOM calls, a report nested in a
// message box, and a random walk with random failures.
#include "CursorWalk.h"
#include "PageTestHost.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace {

constexpr char kPageUrl[] = "http://127.0.0.1/page/index.html";

// The page: a windowed movie, a windowless one and a plain DIV; the rest of the
// content window holds no element.
class HitTest : public InspectTest {
protected:
    void SetUp() override
    {
        InspectTest::SetUp();
        if (HasFatalFailure()) return;
        movie_ = page_->AddFlash({20, 20, 220, 170}, L"movies/intro.swf", true);
        windowless_ = page_->AddFlash({300, 20, 500, 170}, L"flash/banner.swf", false);
        div_ = page_->AddElement({20, 300, 220, 450}, L"DIV", L"<div>text</div>");
    }

    POINT InMovie() const { return OnPage(120, 100); }
    POINT InWindowless() const { return OnPage(400, 100); }
    POINT InDiv() const { return OnPage(100, 350); }

    HWND Content() const { return page_->ContentWindow(); }

    TFakeItem movie_, windowless_, div_;
};

TEST_F(HitTest, WindowedMovieGetsToolbarAtItsCornerUntilCursorGoesToAnotherWindow)
{
    Report(InMovie());
    const RECT movieRect = WindowRectOf(movie_.window);
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(WindowRectOf(host_->Get->Handle()), (RECT{movieRect.left, movieRect.top, movieRect.left + 79,
                                                        movieRect.top + 26}));
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");
    EXPECT_EQ(host_->Hit.PageURL, kPageUrl);
    // The movie's own window is the one taken up, not the content window.
    EXPECT_EQ(host_->Hit.LastWnd, movie_.window);
    EXPECT_EQ(host_->Hit.HitRect, movieRect);
    EXPECT_EQ(page_->LiveReferences(), 0);

    // Further moves inside the movie ask nothing; over the toolbar it stays.
    Report(OnPage(200, 150));
    Report(POINT{movieRect.left + 3, movieRect.top + 3});
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(page_->GetObjectRequests(), 1);

    // Another window hides it; the last movie's values stay for the save flow.
    Report(InDiv());
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(host_->Hit.LastWnd, Content());
    EXPECT_EQ(host_->Hit.HitRect, pageRect_);
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");
    EXPECT_EQ(host_->Hit.PageURL, kPageUrl);
    EXPECT_EQ(page_->GetObjectRequests(), 2);
}

TEST_F(HitTest, MovieWithoutOwnWindowGetsToolbarAtContentWindowCorner)
{
    // Strings are stored in the system code page (936 here).
    page_->SetUrl(L"http://127.0.0.1/页面/index.html");
    Report(InWindowless());
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(ToolbarTopLeft(), TopLeft(pageRect_));
    EXPECT_EQ(host_->Hit.LastWnd, Content());
    EXPECT_EQ(host_->Hit.MoviePath, "flash/banner.swf");
    EXPECT_EQ(host_->Hit.PageURL, "http://127.0.0.1/\xD2\xB3\xC3\xE6/index.html");
    // A BASE element moves what the movie's address resolves against.
    page_->AddBase(L"/site/");
    ReportFresh(InWindowless());
    EXPECT_EQ(host_->Hit.PageURL, "http://127.0.0.1/site/");

    // A plain element and an empty spot in the same window: nothing recognised.
    ReportFresh(InDiv());
    EXPECT_FALSE(ToolbarShown());
    ReportFresh(OnPage(600, 400));
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(host_->Hit.MoviePath, "flash/banner.swf");
    EXPECT_EQ(page_->Calls(TDomCall::ElementFromPoint), 4);
}

TEST_F(HitTest, TransparentOptionPutsToolbarAtCursorAndIgnoresTheRestOfTheWindow)
{
    host_->TransParent = true;
    const POINT at = InMovie();
    Report(at);
    ASSERT_TRUE(ToolbarShown());
    EXPECT_EQ(WindowRectOf(host_->Get->Handle()), (RECT{at.x, at.y, at.x + 79, at.y + 26}));
    // The cursor lies on the toolbar's top-left pixel, and only there.
    EXPECT_EQ(WindowFromPoint(at), host_->Get->Handle());
    EXPECT_NE(WindowFromPoint(POINT{at.x - 1, at.y}), host_->Get->Handle());
    EXPECT_NE(WindowFromPoint(POINT{at.x, at.y - 1}), host_->Get->Handle());
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");

    // The next report finds the toolbar; elsewhere in the movie window nothing
    // is asked, even outside HitRect.
    Report(at);
    host_->Hit.HitRect = RECT{0, 0, 1, 1};
    Report(OnPage(210, 160));
    EXPECT_EQ(page_->GetObjectRequests(), 1);
    EXPECT_EQ(ToolbarTopLeft(), at);
    EXPECT_EQ(host_->Hit.LastWnd, movie_.window);

    // A movie without own window, after another window: at the cursor as well.
    const POINT other = InWindowless();
    Report(other);
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(ToolbarTopLeft(), other);
    EXPECT_EQ(host_->Hit.MoviePath, "flash/banner.swf");
}

TEST_F(HitTest, ReportsOverOurOwnWindowsChangeNothing)
{
    Report(InMovie());
    ASSERT_TRUE(ToolbarShown());
    const THitState before = host_->Hit;
    const auto unchanged = [&](const char* where) {
        SCOPED_TRACE(where);
        EXPECT_EQ(host_->Hit.LastWnd, before.LastWnd);
        EXPECT_EQ(host_->Hit.HitRect, before.HitRect);
        EXPECT_TRUE(ToolbarShown());
        EXPECT_EQ(page_->GetObjectRequests(), 1);
    };

    const POINT overMain{host_->MainBounds.left + 20, host_->MainBounds.top + 20};
    ASSERT_EQ(WindowFromPoint(overMain), host_->Main->Handle());
    Report(overMain);
    unchanged("main window");

    // The toolbar's buttons draw inside its own window: over one of them the
    // window found is still the toolbar.
    const RECT bar = WindowRectOf(host_->Get->Handle());
    const POINT overHelp{bar.left + 53 + 13, bar.top + 13};
    ASSERT_EQ(WindowFromPoint(overHelp), host_->Get->Handle());
    Report(overHelp);
    unchanged("help button");
    Report(TopLeft(bar));
    unchanged("toolbar corner");

    // A child of the main window is not the main window: taken up, and the
    // report ends at the class test.
    const POINT overChild{host_->MainBounds.right - 20, host_->MainBounds.top + 20};
    ASSERT_EQ(WindowFromPoint(overChild), host_->MainChild->Handle());
    Report(overChild);
    EXPECT_EQ(host_->Hit.LastWnd, host_->MainChild->Handle());
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(page_->GetObjectRequests(), 1);
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");
}

TEST_F(HitTest, SameWindowIsSkippedOnlyInsideHitRectWithoutTransparentOption)
{
    Report(InMovie());
    const RECT movieRect = host_->Hit.HitRect;
    // HitRect decides: left and top inclusive, right and bottom exclusive.
    host_->Hit.HitRect = RECT{150, 150, 200, 200};
    Report(POINT{150, 150});
    Report(POINT{199, 199});
    EXPECT_EQ(page_->GetObjectRequests(), 1);
    Report(POINT{200, 160});
    EXPECT_EQ(page_->GetObjectRequests(), 2);
    EXPECT_EQ(host_->Hit.HitRect, movieRect);
    host_->Hit.HitRect = RECT{150, 150, 200, 200};
    Report(POINT{160, 200});
    EXPECT_EQ(page_->GetObjectRequests(), 3);
    EXPECT_TRUE(ToolbarShown());

    // A rectangle that holds the point is no skip when the window differs.
    host_->Hit.HitRect = pageRect_;
    Report(InDiv());
    EXPECT_EQ(page_->GetObjectRequests(), 4);
    EXPECT_FALSE(ToolbarShown());
}

TEST_F(HitTest, NoToolbarYetStillRecordsTheMovie)
{
    host_->HasToolbar = false;
    Report(InMovie());
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");
    EXPECT_EQ(host_->Hit.PageURL, kPageUrl);
    EXPECT_FALSE(ToolbarShown());
    // Nor does a report with no window under it break anything.
    Report(POINT{-20000, -20000});
    EXPECT_EQ(host_->Hit.LastWnd, WindowFromPoint(POINT{-20000, -20000}));
}

// The page's "player" elements: a movie set to a transparent background, whose
// markup names its file.
class PlayerMarkup : public HitTest {
protected:
    void SetUp() override
    {
        HitTest::SetUp();
        if (HasFatalFailure()) return;
        page_->AddElement({300, 300, 400, 350}, L"player", L"<player src=\"a/b.swf\" width=100></player>");
        page_->AddElement({400, 300, 500, 350}, L"player", L"<player src=a/b.swf width=100></player>");
        // A player that is also a Flash object: the markup decides when it names a .swf.
        page_->AddFlash({300, 350, 400, 400}, L"movies/x.swf", false, L"player", L"<player data=1></player>");
        page_->AddFlash({400, 350, 500, 400}, L"movies/y.swf", false, L"player",
                        L"<player src='y.swf'></player>");
        // The tag comparison is case-sensitive: "PLAYER" is no player.
        page_->AddElement({500, 300, 600, 350}, L"PLAYER", L"<PLAYER src=\"c.swf\"></PLAYER>");
    }

    POINT Quoted() const { return OnPage(350, 320); }
    POINT Unquoted() const { return OnPage(450, 320); }
    POINT FlashWithoutSwf() const { return OnPage(350, 370); }
    POINT FlashWithSwf() const { return OnPage(450, 370); }
    POINT UpperCase() const { return OnPage(550, 320); }
};

TEST_F(PlayerMarkup, WithTransparentOptionThePathComesFromTheMarkup)
{
    host_->TransParent = true;
    ReportFresh(Quoted());
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(ToolbarTopLeft(), Quoted());
    EXPECT_EQ(host_->Hit.MoviePath, "a/b.swf");
    EXPECT_EQ(host_->Hit.PageURL, kPageUrl);

    // Unquoted, the value loses its first character.
    ReportFresh(Unquoted());
    EXPECT_EQ(host_->Hit.MoviePath, "/b.swf");
    ReportFresh(FlashWithSwf());
    EXPECT_EQ(host_->Hit.MoviePath, "y.swf");
    // No ".swf" in the markup: on to the Flash object test.
    ReportFresh(FlashWithoutSwf());
    EXPECT_EQ(host_->Hit.MoviePath, "movies/x.swf");
    EXPECT_EQ(ToolbarTopLeft(), FlashWithoutSwf());

    ReportFresh(UpperCase());
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(host_->Hit.MoviePath, "movies/x.swf");
    // Four players' markup and the recognised Flash object's, kept for a complete save.
    EXPECT_EQ(page_->Calls(TDomCall::OuterHTML), 5) << "an upper-case tag's markup is not read";
}

TEST_F(PlayerMarkup, WithoutTransparentOptionAPlayerShowsAndStoresNothing)
{
    for (const POINT p : {Quoted(), Unquoted(), FlashWithSwf()}) {
        ReportFresh(p);
        EXPECT_FALSE(ToolbarShown());
        EXPECT_EQ(host_->Hit.MoviePath, "");
    }
    EXPECT_EQ(page_->Calls(TDomCall::Url), 0);
    EXPECT_EQ(page_->Calls(TDomCall::Movie), 0) << "the Flash object test was reached";

    // Without a ".swf" in its markup it is tested as a Flash object like any element.
    ReportFresh(FlashWithoutSwf());
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(ToolbarTopLeft(), TopLeft(pageRect_));
    EXPECT_EQ(host_->Hit.MoviePath, "movies/x.swf");
}

TEST_F(PlayerMarkup, WithoutToolbarNothingIsStored)
{
    host_->TransParent = true;
    host_->HasToolbar = false;
    ReportFresh(Quoted());
    EXPECT_EQ(host_->Hit.MoviePath, "");
    EXPECT_EQ(host_->Hit.PageURL, "");
}

// EMBED and OBJECT elements whose host refuses the Flash interface: the markup
// names the movie, and the element is grabbed as a Flash object would be.
TEST_F(HitTest, EmbedOrObjectWithoutTheControlIsRecognisedByItsMarkup)
{
    page_->AddEmbed({300, 200, 400, 250}, {{L"TYPE", L"application/x-shockwave-flash"}, {L"src", L"/site/movies/b"}});
    page_->AddEmbed({400, 200, 500, 250}, {{L"src", L"clip.SWF?x=1"}});
    page_->AddObject({500, 200, 600, 250}, {{L"classid", L"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000"}},
                     {{L"quality", L"high"}, {L"Movie", L"obj/m.swf"}});
    page_->AddEmbed({300, 250, 400, 300}, {{L"type", L"application/x-shockwave-flash"}});  // no source
    page_->AddEmbed({400, 250, 500, 300}, {{L"type", L"audio/midi"}, {L"src", L"song.mid"}});

    struct TCase {
        POINT At;
        const char* Movie;  // nullptr: nothing is recognised
    };
    for (const TCase& c : {TCase{OnPage(350, 220), "/site/movies/b"}, TCase{OnPage(450, 220), "clip.SWF?x=1"},
                           TCase{OnPage(550, 220), "obj/m.swf"}, TCase{OnPage(350, 270), nullptr},
                           TCase{OnPage(450, 270), nullptr}}) {
        host_->Hit.MoviePath = "before";
        ReportFresh(c.At);
        EXPECT_EQ(ToolbarShown(), c.Movie != nullptr) << c.At.x << "," << c.At.y;
        EXPECT_EQ(host_->Hit.MoviePath, c.Movie ? c.Movie : "before");
        EXPECT_EQ(host_->Hit.LastPage, Content());
    }
    EXPECT_EQ(host_->Hit.PageURL, kPageUrl);
    EXPECT_EQ(page_->Calls(TDomCall::Movie), 0);
}

// One DOM call fails while a movie is being recognised. Before, a first movie
// was recognised on a page whose URL then changed.
struct TDomFailure {
    const char* Name;
    TDomCall Call;
    HRESULT Result;
    bool OnPlayer;              // over a "player" element with the transparent option
    const char* MovieAfterward;  // new when the failure comes after MoviePath was written
};

void PrintTo(const TDomFailure& f, std::ostream* os) { *os << f.Name; }

class FailingDomCall : public HitTest, public ::testing::WithParamInterface<TDomFailure> {};

TEST_P(FailingDomCall, HidesToolbarAndKeepsEarlierValues)
{
    const TDomFailure& f = GetParam();
    page_->AddElement({300, 300, 400, 350}, L"player", L"<player src=\"a/b.swf\"></player>");
    Report(InMovie());
    ASSERT_TRUE(ToolbarShown());
    page_->SetUrl(L"http://127.0.0.1/other.html");

    page_->FailCall(f.Call, f.Result);
    host_->TransParent = f.OnPlayer;
    const POINT at = f.OnPlayer ? OnPage(350, 320) : InWindowless();
    Report(at);
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(host_->Hit.MoviePath, f.MovieAfterward);
    EXPECT_EQ(host_->Hit.PageURL, kPageUrl);
    // What step 3 wrote stays.
    EXPECT_EQ(host_->Hit.LastWnd, Content());
    EXPECT_EQ(host_->Hit.HitRect, pageRect_);
    EXPECT_GE(page_->Failures(), 1);
    EXPECT_TRUE(boxes_.empty());

    // The page answers again: the same spot is recognised.
    page_->FailCall(f.Call, S_OK);
    ReportFresh(at);
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(host_->Hit.PageURL, "http://127.0.0.1/other.html");
}

INSTANTIATE_TEST_SUITE_P(
    Calls, FailingDomCall,
    ::testing::Values(TDomFailure{"Script", TDomCall::Script, E_FAIL, false, "movies/intro.swf"},
                      TDomFailure{"WindowDocument", TDomCall::Document, E_FAIL, false, "movies/intro.swf"},
                      TDomFailure{"ElementFromPoint", TDomCall::ElementFromPoint, E_FAIL, false, "movies/intro.swf"},
                      TDomFailure{"NoElement", TDomCall::ElementFromPoint, S_FALSE, false, "movies/intro.swf"},
                      TDomFailure{"TagName", TDomCall::TagName, E_ACCESSDENIED, false, "movies/intro.swf"},
                      TDomFailure{"OuterHTML", TDomCall::OuterHTML, E_FAIL, true, "movies/intro.swf"},
                      TDomFailure{"Movie", TDomCall::Movie, E_FAIL, false, "movies/intro.swf"},
                      TDomFailure{"Url", TDomCall::Url, E_FAIL, false, "flash/banner.swf"},
                      TDomFailure{"PlayerUrl", TDomCall::Url, E_FAIL, true, "a/b.swf"}),
    [](const ::testing::TestParamInfo<TDomFailure>& param) { return std::string(param.param.Name); });

TEST_F(HitTest, PageWithoutDocumentEndsWithToolbarHidden)
{
    Report(InMovie());
    ASSERT_TRUE(ToolbarShown());
    page_->SetAnswer(TGetObjectAnswer::Zero);
    Report(InWindowless());
    EXPECT_FALSE(ToolbarShown());
    EXPECT_EQ(host_->Hit.LastWnd, Content());
    EXPECT_EQ(page_->Calls(TDomCall::ElementFromPoint), 1);
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");
}

// A message box pumps messages, so a queued report runs the hit test again
// before the box closes. Here the box about the missing library does so twice,
// the inner report finding the movie once the library is back.
TEST_F(HitTest, ReportsNestedInMessageBoxesLeaveConsistentState)
{
    const std::string library = AccessibilityLibraryName();
    AccessibilityLibraryName() = "vendrake-no-such-oleacc.dll";
    int depth = 0;
    onBox_ = [&](const TMessageBoxRequest&) {
        ++depth;
        if (depth == 1) {
            Report(InMovie());  // the library is still missing: a second box
        } else if (depth == 2) {
            AccessibilityLibraryName() = library;
            Report(InWindowless());
        }
    };
    Report(InDiv());
    EXPECT_EQ(depth, 2);
    ASSERT_EQ(boxes_.size(), 2u);
    // The innermost report decided; the outer ones ended without a document.
    EXPECT_EQ(host_->Hit.LastWnd, Content());
    EXPECT_EQ(host_->Hit.HitRect, WindowRectOf(host_->Hit.LastWnd));
    EXPECT_TRUE(ToolbarShown());
    EXPECT_EQ(ToolbarTopLeft(), TopLeft(pageRect_));
    EXPECT_EQ(host_->Hit.MoviePath, "flash/banner.swf");
    EXPECT_EQ(host_->Hit.PageURL, kPageUrl);

    // And the state carries on normally.
    Report(InMovie());
    EXPECT_EQ(host_->Hit.LastWnd, movie_.window);
    EXPECT_EQ(host_->Hit.MoviePath, "movies/intro.swf");
    EXPECT_EQ(boxes_.size(), 2u);
}

// The cursor wandering over the page, the frame's page and our own windows
// with DOM calls failing at random, frames followed both ways now and then.
// The long run is bench/HitTestBench.cpp; this one proves nothing is lost.
TEST_F(HitTest, RandomWalkWithRandomFailuresLosesNothing)
{
    TFakePageOptions innerOptions;
    innerOptions.screen = RECT{780, 100, 1000, 300};
    TFakePage inner(innerOptions);
    inner.SetUrl(L"http://127.0.0.1/page/inner.html");
    inner.AddFlash({0, 0, 100, 100}, L"inner.swf", false);
    // Beside the movie's window: leaving it, the cursor enters these at once.
    page_->AddFrame({220, 20, 300, 170}, L"IFRAME", L"inner.html");
    page_->AddElement({20, 170, 220, 300}, L"player", L"<player src=\"p.swf\"></player>");
    host_->MainBrowserFake.SetDocument(&inner);
    host_->MainBrowserFake.SetPollsUntilComplete(2);
    host_->PreviewBrowserFake.SetDocument(&inner);

    constexpr uint32_t kSeed = 20240611;
    RecordProperty("seed", static_cast<int>(kSeed));
    page_->FailRandomly(0.2, kSeed);
    inner.FailRandomly(0.2, kSeed + 1);
    // Long strides: more windows crossed in a short run.
    TCursorWalk walk(kSeed, RECT{60, 60, 1000, 740}, 12);
    for (int i = 0; i < 2000; ++i) {
        if (i % 100 == 0) {
            host_->TransParent = walk.Draw(0, 1) == 1;
            host_->FindIFrame = walk.Draw(0, 2) != 0;
            host_->AutoOpenURL = walk.Draw(0, 1) == 1;
            host_->View->Hide();
        }
        Report(walk.Next());
    }
    PumpPending();
    RecordProperty("document_requests", page_->GetObjectRequests());
    RecordProperty("dom_failures", page_->Failures() + inner.Failures());
    RecordProperty("frames_followed", page_->Calls(TDomCall::Src));
    RecordProperty("hidden_browser_follow_ups", HookRecord().Disables());
    EXPECT_GT(page_->GetObjectRequests(), 20) << "the walk hardly reached the page";
    EXPECT_GT(page_->Failures(), 0);
    EXPECT_EQ(FindWindowA("TfrmGeting", nullptr), nullptr);
    RECT clip{};
    GetClipCursor(&clip);
    EXPECT_EQ(clip, (RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
    EXPECT_EQ(static_cast<int>(HookRecord().EnabledFor.size()), HookRecord().Disables());
    host_->ReleaseBrowsers();
    EXPECT_EQ(inner.LiveReferences(), 0);
    host_->MainBrowserFake.SetDocument(nullptr);
    host_->PreviewBrowserFake.SetDocument(nullptr);
}

}  // namespace
