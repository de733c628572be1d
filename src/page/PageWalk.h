#pragma once
// The whole-page walk: every Flash movie of a page's document and of every
// frame and IFRAME document reachable through the DOM (each document once, to
// a bounded depth), its address made absolute against its own document's
// address as the save flow does, then every URL cache entry that is one of
// those movies' cached copy or a movie of its own from the page's or a frame's
// host (the movies the page's movies loaded). A frame that denies its document
// or an element that cannot be read is counted, never reported one by one.
#include "ComObj.h"
#include "GrabList.h"

#include <mshtml.h>

#include <vector>

struct TPageWalkResult {
    TGrabList Movies;
    int DeniedFrames = 0;   // frames whose document could not be had
    int WithoutSource = 0;  // movie elements without an address, or that could not be read
    int Documents = 0;      // documents walked
};

class TPageWalk {
public:
    static constexpr int MaxDepth = 16;  // frames inside frames beyond this are not entered

    // The page's own document must answer; its failures raise. Frames and
    // elements that fail are counted in the result.
    TPageWalkResult Run(IHTMLDocument2* page);

    // Under Wine each new proxy of a page in another process reads the
    // browser's type library again unless it stays loaded, so the walk holds
    // it; the benchmark turns this off to measure the difference.
    bool KeepBrowserTypeLibrary = true;

private:
    void WalkDocument(IHTMLDocument2* document, int depth);
    void WalkMovies(IHTMLElementCollection* all, const std::string& base, TFoundIn found);
    void WalkFrames(IHTMLElementCollection* all, const std::string& base, int depth);
    void EnterFrame(IHTMLElement* frame, const std::string& base, int depth);
    void WalkCache();
    bool FirstVisit(IHTMLDocument2* document);

    TPageWalkResult result_;
    std::vector<ComPtr<IUnknown>> seen_;  // identities of the documents walked, held for the walk
};

// The document a frame element shows, or null when it cannot be had (another
// site's document, a frame still empty).
ComPtr<IHTMLDocument2> FrameDocument(IHTMLElement* frame);
