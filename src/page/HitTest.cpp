#include "HitTest.h"

#include "ComObj.h"
#include "DocumentOfWindow.h"
#include "FollowFrame.h"
#include "Get.h"
#include "HitRules.h"
#include "MovieElement.h"

namespace {

std::string ClassNameOf(HWND w)
{
    char name[256] = {};
    GetClassNameA(w, name, sizeof(name));
    return TrimClassName(name);
}

std::string TagName(IHTMLElement* e)
{
    TBStr tag;
    OleCheck(e->get_tagName(tag.put()));
    return WideToAnsi(tag.get());
}

std::string OuterHTML(IHTMLElement* e)
{
    TBStr html;
    OleCheck(e->get_outerHTML(html.put()));
    return WideToAnsi(html.get());
}

// The movie the toolbar now saves. Written together, movie first: a failing
// read of the page's address leaves the older page in place.
void RememberMovie(THitState& s, const std::string& path, std::string markup, IHTMLDocument2* d)
{
    s.MoviePath = path;
    s.MovieMarkup = std::move(markup);
    const std::string address = DocumentAddress(d);
    s.PageURL = DocumentBase(d, address);  // what the movie's address resolves against
    s.DocumentURL = address;
}

bool InsideHalfOpen(const RECT& r, POINT p)
{
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The toolbar's buttons are windowless, but a window of its own inside it would
// still count as the toolbar.
bool IsToolbarWindow(TfrmGet* toolbar, HWND w)
{
    if (!toolbar || !toolbar->HandleAllocated() || !w) return false;
    return w == toolbar->Handle() || GetAncestor(w, GA_ROOT) == toolbar->Handle();
}

bool SkipReport(IPageHost& host, HWND W, POINT P)
{
    const THitState& s = host.HitState();
    if (W == host.MainHandle()) return true;
    const bool transparent = host.TransParentChecked();
    if (!transparent && W == s.LastWnd && InsideHalfOpen(s.HitRect, P)) return true;
    if (transparent && W == s.LastWnd) return true;
    return IsToolbarWindow(host.Toolbar(), W);
}

void HideToolbar(IPageHost& host)
{
    if (TfrmGet* toolbar = host.Toolbar()) toolbar->Hide();
}

// Steps 13 to 18: a "player" element of a movie with a transparent background.
// True when the element was dealt with; false sends it on to the Flash object test.
bool PlayerTest(IPageHost& host, IHTMLElement* E, IHTMLDocument2* D, HWND W, POINT C)
{
    if (TagName(E) != "player") return false;
    const auto path = PlayerMoviePath(OuterHTML(E));
    if (!path) return false;
    TfrmGet* toolbar = host.Toolbar();
    if (toolbar && host.TransParentChecked()) {
        toolbar->PlaceToolbar(true, W, C);
        THitState& s = host.HitState();
        RememberMovie(s, *path, {}, D);  // a player's markup embeds no movie the way an OBJECT does
    }
    return true;
}

void FlashTest(IPageHost& host, IHTMLElement* E, IHTMLDocument2* D, HWND W, POINT C)
{
    // The control first: what it plays is the movie under the cursor (a script
    // may have loaded another than the markup names), and one element costs
    // one proxy at most. A movie that names no address has nothing to save.
    const auto movie = MovieOfElement(E, TMovieSource::Control);
    if (!movie || movie->empty()) return;
    if (TfrmGet* toolbar = host.Toolbar()) toolbar->PlaceToolbar(host.TransParentChecked(), W, C);
    RememberMovie(host.HitState(), *movie, ElementMarkup(E), D);
}

void InspectUnguarded(IPageHost& host, int x, int y)
{
    const POINT P{x, y};
    HWND W = WindowFromPoint(P);
    if (SkipReport(host, W, P)) return;
    THitState& s = host.HitState();
    s.LastWnd = W;
    GetWindowRect(W, &s.HitRect);
    HideToolbar(host);
    if (!W) return;
    std::string cls = ClassNameOf(W);
    if (cls == FlashMovieClass) {
        // The movie's own window: its page is the parent's, while LastWnd and
        // HitRect stay the movie's so the toolbar goes to the movie's corner.
        W = GetParent(W);
        cls = ClassNameOf(W);
    }
    if (cls != BrowserContentClass) return;
    s.LastPage = W;  // the page the whole-page grab acts on
    POINT C = P;
    ScreenToClient(W, &C);
    ComPtr<IHTMLDocument2> D = GetDocumentOfWindow(W);
    if (!D) return;
    Sleep(InspectPauseMs);
    ComPtr<IHTMLElement> E;
    OleCheck(D->elementFromPoint(C.x, C.y, E.put()));
    if (!E) return;
    const std::string tag = TagName(E.get());
    if ((tag == "IFRAME" || tag == "FRAME") && host.FindIFrameChecked()) {
        if (FollowFrame(host, E, D) == TFollowResult::frEnd) return;
    }
    if (PlayerTest(host, E.get(), D.get(), W, C)) return;
    FlashTest(host, E.get(), D.get(), W, C);
}

}  // namespace

void InspectPoint(IPageHost& host, int x, int y)
{
    try {
        InspectUnguarded(host, x, y);
    } catch (...) {
        try {
            HideToolbar(host);
        } catch (...) {
            // nothing more can be done for this report
        }
    }
}
