#include "FollowFrame.h"

#include "ComObj.h"
#include "Geting.h"
#include "MapFileUnit.h"
#include "MovieElement.h"
#include "MovieUrl.h"
#include "OleCtrls.h"
#include "View.h"

namespace {

// The frame's source as the browser loads it: resolved against its page's base.
std::wstring FrameAddress(IHTMLFrameBase* frame, IHTMLDocument2* page)
{
    TBStr src;
    OleCheck(frame->get_src(src.put()));
    const std::string base = DocumentBase(page, DocumentAddress(page));
    return AnsiToWide(ResolveMovieURL(base, WideToAnsi(src.get())));
}

ComPtr<IHTMLFrameBase> FrameBaseOf(IHTMLElement* e)
{
    ComPtr<IHTMLFrameBase> frame;
    if (FAILED(e->QueryInterface(IID_IHTMLFrameBase, frame.put_void()))) frame.reset();
    return frame;
}

void NavigateUnlessShown(TWebBrowser& browser, const std::wstring& src)
{
    // A page already shown is not loaded again.
    if (browser.LocationURL() != src) browser.Navigate(src);
}

TFollowResult FollowInPreview(IPageHost& host, IHTMLFrameBase* frame, IHTMLDocument2* page)
{
    TfrmView* view = host.Preview();
    if (!view) return TFollowResult::frEnd;
    const RECT& hit = host.HitState().HitRect;
    view->SetBounds(hit.left, hit.top, view->Width(), view->Height());
    NavigateUnlessShown(*view->WebBrowser1, FrameAddress(frame, page));
    view->Show();
    return TFollowResult::frEnd;
}

// Hears of the overlay's end. The overlay frees itself when it is closed (its
// close action), which the person can do with Alt+F4 while it is the active
// window during the load; the follow-up must then not free it again.
class TOverlayWatch : public TComponent {
public:
    explicit TOverlayWatch(TfrmGeting* overlay) : TComponent(nullptr), overlay_(overlay) { FreeNotification(overlay); }
    const char* ClassName() const override { return "TOverlayWatch"; }
    // The overlay, or null once it has gone.
    TfrmGeting* Overlay() const { return overlay_; }
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        if (Operation == TOperation::opRemove && AComponent == overlay_) overlay_ = nullptr;
        TComponent::Notification(AComponent, Operation);
    }

private:
    TfrmGeting* overlay_;  // not owned
};

// The main-browser follow-up's state that must not outlive it: the please-wait
// overlay over the window under the cursor, the cursor held inside that window,
// and the paused hook. Ending it frees the overlay, lets the cursor go over the
// whole screen and enables the hook again, in that order, on every way out.
class TFollowSession {
public:
    TFollowSession(IPageHost& host) : host_(host)
    {
        HookLibrary().Disable();
        const RECT& hit = host.HitState().HitRect;
        auto* overlay = new TfrmGeting(nullptr);  // one per follow-up, freed by the session
        watch_.reset(new TOverlayWatch(overlay));
        overlay->AfterConstruction();
        overlay->SetBounds(hit.left, hit.top, hit.right - hit.left, hit.bottom - hit.top);
        overlay->Show();
        ClipCursor(&hit);
        screen_ = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    }
    ~TFollowSession()
    {
        if (TfrmGeting* overlay = watch_->Overlay()) overlay->Free();
        ClipCursor(&screen_);
        HookLibrary().Enable(host_.MainHandle());
    }
    TFollowSession(const TFollowSession&) = delete;
    TFollowSession& operator=(const TFollowSession&) = delete;

private:
    IPageHost& host_;
    TOwnedComponent<TOverlayWatch> watch_;
    RECT screen_{};
};

// Pumps messages until the browser reports a complete page; false when the
// bound ran out first.
bool WaitForComplete(TWebBrowser& browser)
{
    const DWORD start = GetTickCount();
    while (browser.ReadyState() != ReadyStateComplete) {
        Application()->ProcessMessages();
        if (GetTickCount() - start > FollowLoadTimeoutMs()) return false;
        // Wakes at once for any message; otherwise looks again 10 ms later
        // instead of spinning a core while the page loads.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

TFollowResult FollowInMainBrowser(IPageHost& host, ComPtr<IHTMLElement>& E, ComPtr<IHTMLDocument2>& D)
{
    TWebBrowser* browser = host.MainBrowser();
    {
        TFollowSession session(host);
        ComPtr<IHTMLFrameBase> frame = FrameBaseOf(E.get());
        if (!frame) return TFollowResult::frContinue;
        if (!browser) return TFollowResult::frEnd;
        NavigateUnlessShown(*browser, FrameAddress(frame.get(), D.get()));
        if (!WaitForComplete(*browser)) return TFollowResult::frEnd;
    }
    ComPtr<IDispatch> loaded = browser->Document();
    ComPtr<IHTMLDocument2> document;
    if (!loaded) throw EOleError(E_NOINTERFACE);
    OleCheck(loaded->QueryInterface(IID_IHTMLDocument2, document.put_void()));
    ComPtr<IHTMLElement> element;
    OleCheck(document->elementFromPoint(30, 30, element.put()));
    if (!element) return TFollowResult::frEnd;
    D = document;
    E = element;
    return TFollowResult::frContinue;
}

}  // namespace

DWORD& FollowLoadTimeoutMs()
{
    static DWORD bound = 30000;  // replaced only by tests
    return bound;
}

TFollowResult FollowFrame(IPageHost& host, ComPtr<IHTMLElement>& E, ComPtr<IHTMLDocument2>& D)
{
    ComPtr<IHTMLFrameBase> frame = FrameBaseOf(E.get());
    if (frame && host.AutoOpenURLChecked()) return FollowInPreview(host, frame.get(), D.get());
    return FollowInMainBrowser(host, E, D);
}
