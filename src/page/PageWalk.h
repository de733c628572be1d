#pragma once
// The whole-page walk: every Flash movie (OBJECT, EMBED and the "player"
// elements the hit test knows) of a page's document and of every frame and
// IFRAME document reachable through the DOM (each document once, to a bounded
// depth), its address made absolute against its own document's address as the
// save flow does, then every URL cache entry that is one of
// those movies' cached copy or a movie of its own from the page's or a frame's
// host (the movies the page's movies loaded). A frame that denies its document
// or an element that cannot be read is counted, never reported one by one.
// Documents, frames and elements are read late-bound (MovieElement.h says why).
#include "ComObj.h"
#include "GrabList.h"

#include <mshtml.h>

#include <vector>

struct TPageWalkResult {
    TGrabList Movies;
    int DeniedFrames = 0;   // frames whose document could not be had
    int WithoutSource = 0;  // movie elements without an address, or that could not be read
    int Documents = 0;      // documents walked
    int CutLists = 0;       // element lists longer than the walk reads (MaxCollectionItems)
};

class TPageWalk {
public:
    static constexpr int MaxDepth = 16;  // frames inside frames beyond this are not entered

    // The page's own document must answer; its failures raise. Frames and
    // elements that fail are counted in the result.
    TPageWalkResult Run(IDispatch* page);

private:
    void WalkDocument(IDispatch* document, int depth);
    void WalkMovies(IDispatch* all, const TMovieOrigin& page, TFoundIn found);
    void WalkFrames(IDispatch* all, const std::string& base, int depth);
    void EnterFrame(IDispatch* frame, const std::string& base, int depth);
    void WalkCache();
    bool FirstVisit(IDispatch* document);

    TPageWalkResult result_;
    std::vector<ComPtr<IUnknown>> seen_;  // identities of the documents walked, held for the walk
};
