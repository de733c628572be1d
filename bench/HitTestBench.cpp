// The hit test's own cost under Wine, against the fake page:
//  1. a cursor report that ends in the skip tests, less the window lookup it
//     cannot avoid (target: 2 us or less);
//  2. a whole inspection over a windowed movie, less the 10 ms pause and less
//     what the fake page itself takes to answer the same calls (target: 1 ms
//     or less of our own);
//  3. 100,000 cursor reports of a random walk over the page with DOM calls
//     failing at random: the time, the references left on the fake objects
//     (must be 0) and the live handles in use before and after (must match).
// Prints numbers only; the exit code reports leaks, never timing.
//
//   hit_test_bench.exe [reports] [seed]
#include "BenchClock.h"
#include "CursorWalk.h"
#include "DocumentOfWindow.h"
#include "FakeBrowser.h"
#include "FakeCom.h"
#include "FakePage.h"
#include "FlashControl.h"
#include "Get.h"
#include "HitTest.h"
#include "MapFileUnit.h"
#include "PageHost.h"
#include "View.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

namespace {

int g_hookPauses = 0;  // main-browser follow-ups pause the hook once each
bool __stdcall NoHook(HWND) { return true; }
bool __stdcall NoUnhook()
{
    ++g_hookPauses;
    return true;
}

double Median(std::vector<double> v)
{
    if (v.empty()) return 0.0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2.0;
}

DWORD KernelHandles()
{
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    return n;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

ComPtr<IDispatch> Keep(IDispatch* d)
{
    d->AddRef();
    return ComPtr<IDispatch>::Attach(d);
}

// The main window's part, as the tests' host plays it.
class TBenchHost : public IPageHost {
public:
    TBenchHost()
    {
        main_ = Application()->CreateForm<TForm>();
        main_->SetBounds(800, 650, 150, 80);
        browser_ = new TWebBrowser(main_);  // owned by the form; no window, the fake is its control
        browser_->SetControlDispatch(Keep(MainBrowserFake.Dispatch()));
        get_ = Application()->CreateForm<TfrmGet>();
        get_->SetHitState(&Hit);
        view_ = Application()->CreateForm<TfrmView>();
        view_->WebBrowser1->SetControlDispatch(Keep(PreviewBrowserFake.Dispatch()));
    }
    ~TBenchHost() override
    {
        ReleaseBrowsers();
        view_->Free();
        get_->Free();
        main_->Free();
    }
    TBenchHost(const TBenchHost&) = delete;
    TBenchHost& operator=(const TBenchHost&) = delete;

    HWND MainHandle() override { return main_->Handle(); }
    THitState& HitState() override { return Hit; }
    bool TransParentChecked() override { return TransParent; }
    bool FindIFrameChecked() override { return FindIFrame; }
    bool AutoOpenURLChecked() override { return AutoOpenURL; }
    TfrmGet* Toolbar() override { return HasToolbar ? get_ : nullptr; }
    TfrmView* Preview() override { return view_; }
    TWebBrowser* MainBrowser() override { return browser_; }

    void ReleaseBrowsers()
    {
        browser_->SetControlDispatch({});
        view_->WebBrowser1->SetControlDispatch({});
    }
    void HidePreview() { view_->Hide(); }
    // The windows the preview and the toolbar make when first shown.
    void WarmUp()
    {
        view_->Show();
        get_->Show();
        Pump();  // painted once
        view_->Hide();
        get_->Hide();
    }

    THitState Hit;
    bool TransParent = false, FindIFrame = false, AutoOpenURL = false, HasToolbar = true;
    TFakeBrowser MainBrowserFake;
    TFakeBrowser PreviewBrowserFake;

private:
    TForm* main_ = nullptr;
    TWebBrowser* browser_ = nullptr;
    TfrmGet* get_ = nullptr;
    TfrmView* view_ = nullptr;
};

// What the fake page costs by itself for the calls a whole inspection over a
// movie makes: the request, ObjectFromLresult, the way to IHTMLDocument2, the
// element, its tag (read twice), the Flash interface, the movie and the URL.
double FixtureRouteUs(HWND content, POINT client)
{
    using TObjectFromLresult = HRESULT(WINAPI*)(LRESULT, REFIID, WPARAM, void**);
    static const auto objectFromLresult = reinterpret_cast<TObjectFromLresult>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("oleacc.dll"), "ObjectFromLresult")));
    static const UINT request = RegisterWindowMessageA("WM_HTML_GETOBJECT");
    const double t0 = NowUs();
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(content, request, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer);
    ComPtr<IHTMLDocument> document;
    objectFromLresult(static_cast<LRESULT>(answer), IID_IHTMLDocument, 0, document.put_void());
    ComPtr<IDispatch> script;
    document->get_Script(script.put());
    ComPtr<IHTMLWindow2> window;
    script->QueryInterface(IID_IHTMLWindow2, window.put_void());
    ComPtr<IHTMLDocument2> document2;
    window->get_document(document2.put());
    ComPtr<IHTMLElement> element;
    document2->elementFromPoint(client.x, client.y, element.put());
    for (int i = 0; i < 2; ++i) {
        BSTR tag = nullptr;
        element->get_tagName(&tag);
        SysFreeString(tag);
    }
    ComPtr<IShockwaveFlash> flash;
    element->QueryInterface(IID_IShockwaveFlash, flash.put_void());
    BSTR movie = nullptr, url = nullptr;
    flash->get_Movie(&movie);
    document2->get_URL(&url);
    SysFreeString(movie);
    SysFreeString(url);
    return NowUs() - t0;
}

void SkipRoute(TBenchHost& host, TFakePage& page, HWND movieWindow)
{
    const RECT r = page.ScreenRect();
    InspectPoint(host, r.left + 100, r.top + 80);  // takes up the movie's window
    if (host.Hit.LastWnd != movieWindow) std::printf("  (the movie's window was not taken up)\n");
    const int requests = page.GetObjectRequests();
    constexpr int kSamples = 20000;
    std::vector<double> inspect, lookup;
    inspect.reserve(kSamples);
    lookup.reserve(kSamples);
    for (int i = 0; i < kSamples; ++i) {
        const POINT p{r.left + 40 + i % 150, r.top + 60 + (i / 150) % 100};
        double t0 = NowUs();
        InspectPoint(host, p.x, p.y);
        inspect.push_back(NowUs() - t0);
        t0 = NowUs();
        volatile HWND w = WindowFromPoint(p);
        (void)w;
        lookup.push_back(NowUs() - t0);
    }
    const double a = Median(inspect), b = Median(lookup);
    std::printf("1. report ending in the skip tests (%d samples, same movie window)\n", kSamples);
    std::printf("   InspectPoint median %.3f us, WindowFromPoint alone median %.3f us\n", a, b);
    std::printf("   own cost %.3f us (target <= 2 us); documents asked meanwhile: %d\n", a - b,
                page.GetObjectRequests() - requests);
}

void FullInspection(TBenchHost& host, TFakePage& page)
{
    const RECT r = page.ScreenRect();
    const POINT at{r.left + 100, r.top + 80};
    const POINT client{100, 80};
    constexpr int kSamples = 40;
    std::vector<double> full, bare, route, pause, hide, place;
    for (int i = 0; i < kSamples; ++i) {
        host.Hit.LastWnd = nullptr;
        double t0 = NowUs();
        InspectPoint(host, at.x, at.y);
        full.push_back(NowUs() - t0);

        host.HasToolbar = false;
        host.Hit.LastWnd = nullptr;
        t0 = NowUs();
        InspectPoint(host, at.x, at.y);
        bare.push_back(NowUs() - t0);
        host.HasToolbar = true;

        route.push_back(FixtureRouteUs(page.ContentWindow(), client));
        t0 = NowUs();
        host.Toolbar()->Hide();
        hide.push_back(NowUs() - t0);
        t0 = NowUs();
        host.Toolbar()->PlaceToolbar(false, page.ContentWindow(), client);
        place.push_back(NowUs() - t0);
        t0 = NowUs();
        Sleep(InspectPauseMs);
        pause.push_back(NowUs() - t0);
    }
    const double f = Median(full) / 1000, n = Median(bare) / 1000, q = Median(route) / 1000,
                 s = Median(pause) / 1000;
    std::printf("2. whole inspection over a windowed movie (%d samples, medians)\n", kSamples);
    std::printf("   InspectPoint %.3f ms (without toolbar %.3f ms); fake page's own answers %.3f ms; "
                "Sleep(%lu) measured %.3f ms\n",
                f, n, q, InspectPauseMs, s);
    std::printf("   own cost = %.3f - %lu - %.3f = %.3f ms (target <= 1 ms); with the measured pause %.3f ms;"
                " toolbar hide and placement %.3f ms of it\n",
                f, InspectPauseMs, q, f - InspectPauseMs - q, f - s - q, f - n);
    std::printf("   the toolbar alone: hide %.3f ms, PlaceToolbar %.3f ms\n", Median(hide) / 1000,
                Median(place) / 1000);
    std::printf("   MoviePath \"%s\", PageURL \"%s\"\n", host.Hit.MoviePath.c_str(), host.Hit.PageURL.c_str());
}

int Stress(int reports, uint32_t seed)
{
    // Only the handles in use are compared: the sections bitmaps let go are
    // kept for later ones, more of them after the walk's paints.
    TBitmap::FreeKeptSections();
    const int handlesBefore = LiveHandlesTotal();
    const DWORD kernelBefore = KernelHandles();
    int leaked = 0;
    double ms = 0;
    int requests = 0, failures = 0, followUps = 0, frames = 0;
    int walkHandles[3] = {};
    {
        TBenchHost host;
        TFakePage page;
        page.SetUrl(L"http://127.0.0.1/page/index.html");
        // Side by side, so that the cursor leaving the movie's window enters
        // the frame, the windowless movie or the player at once.
        page.AddFlash({20, 20, 220, 170}, L"movies/intro.swf", true);
        page.AddFrame({220, 20, 300, 170}, L"IFRAME", L"inner.html");
        page.AddFlash({300, 20, 500, 170}, L"flash/banner.swf", false);
        page.AddElement({20, 170, 220, 300}, L"player", L"<player src=\"p.swf\"></player>");
        page.AddElement({20, 300, 220, 450}, L"DIV", L"<div></div>");
        TFakePageOptions innerOptions;
        innerOptions.screen = RECT{780, 100, 1000, 300};
        TFakePage inner(innerOptions);
        inner.SetUrl(L"http://127.0.0.1/page/inner.html");
        inner.AddFlash({0, 0, 100, 100}, L"inner.swf", false);
        host.MainBrowserFake.SetDocument(&inner);
        host.MainBrowserFake.SetPollsUntilComplete(2);
        host.PreviewBrowserFake.SetDocument(&inner);
        page.FailRandomly(0.05, seed);
        inner.FailRandomly(0.05, seed + 1);

        // The walk covers the page, the frame's page, our main window and all
        // that shows on the way: toolbar, preview, overlay.
        TCursorWalk walk(seed, RECT{60, 60, 1000, 740}, 4);
        host.WarmUp();
        const int ownBefore = LiveHandlesTotal();
        const int pausesBefore = g_hookPauses;
        int halfway = 0;
        const double t0 = NowUs();
        for (int i = 0; i < reports; ++i) {
            if (i % 500 == 0) {
                host.TransParent = walk.Draw(0, 1) == 1;
                host.FindIFrame = walk.Draw(0, 2) != 0;
                host.AutoOpenURL = walk.Draw(0, 1) == 1;
                host.HidePreview();
            }
            const POINT p = walk.Next();
            InspectPoint(host, p.x, p.y);
            if (i % 1000 == 0) Pump();
            if (i == reports / 2) halfway = LiveHandlesTotal();
        }
        ms = (NowUs() - t0) / 1000;
        Pump();
        walkHandles[0] = ownBefore;
        walkHandles[1] = halfway;
        walkHandles[2] = LiveHandlesTotal();
        requests = page.GetObjectRequests() + inner.GetObjectRequests();
        failures = page.Failures() + inner.Failures();
        followUps = g_hookPauses - pausesBefore;
        frames = page.Calls(TDomCall::Src);
        host.ReleaseBrowsers();
        leaked = page.LiveReferences() + inner.LiveReferences() + host.MainBrowserFake.LiveReferences() +
                 host.PreviewBrowserFake.LiveReferences();
        host.MainBrowserFake.SetDocument(nullptr);
        host.PreviewBrowserFake.SetDocument(nullptr);
    }
    Pump();
    TBitmap::FreeKeptSections();
    std::printf("3. %d random-walk reports with DOM calls failing at 5%% (seed %u)\n", reports, seed);
    std::printf("   %.1f s in all, %.3f ms per report; %d reached a document, %d DOM calls failed;"
                " %d frames followed, %d of them in the hidden browser\n",
                ms / 1000, ms / reports, requests, failures, frames, followUps);
    std::printf("   references left on the fake objects: %d (must be 0); fake objects alive after: %d\n", leaked,
                FakeComObjectsAlive());
    std::printf("   live handles with the forms up: %d before the walk, %d halfway, %d after\n", walkHandles[0],
                walkHandles[1], walkHandles[2]);
    std::printf("   live handles held by our wrappers: %d before, %d after; process kernel handles: %lu before, %lu after"
                " (0 where GetProcessHandleCount is a stub)\n",
                handlesBefore, LiveHandlesTotal(), kernelBefore, KernelHandles());
    RECT clip{};
    GetClipCursor(&clip);
    std::printf("   cursor clip afterwards: %ld,%ld-%ld,%ld\n", clip.left, clip.top, clip.right, clip.bottom);
    return leaked == 0 && FakeComObjectsAlive() == 0 && LiveHandlesTotal() == handlesBefore ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const int reports = argc > 1 ? std::atoi(argv[1]) : 100000;
    const uint32_t seed = argc > 2 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 20240611u;
    HookLibrary() = THookLibrary{&NoHook, &NoUnhook};
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    {
        TBenchHost host;
        TFakePage page;
        page.SetUrl(L"http://127.0.0.1/page/index.html");
        const TFakeItem movie = page.AddFlash({20, 20, 220, 170}, L"movies/intro.swf", true);
        Pump();
        SkipRoute(host, page, movie.window);
        FullInspection(host, page);
        host.ReleaseBrowsers();
    }
    Pump();
    const int result = Stress(reports, seed);
    Application()->FreeForms();
    CoUninitialize();
    return result;
}
