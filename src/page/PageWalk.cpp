#include "PageWalk.h"

#include "CacheVerdict.h"
#include "IECache.h"
#include "MovieElement.h"
#include "MovieFile.h"
#include "MovieUrl.h"
#include "WideText.h"

#include <mshtmdid.h>

namespace {


// The document a frame element shows, or null when it cannot be had (another
// site's document, a frame still empty).
ComPtr<IDispatch> FrameDocument(IDispatch* frame)
{
    try {
        const ComPtr<IDispatch> window = DispatchCall(frame, DISPID_IHTMLFRAMEBASE2_CONTENTWINDOW).Object();
        return window ? DispatchCall(window.get(), DISPID_IHTMLWINDOW2_DOCUMENT).Object() : nullptr;
    } catch (const EOleError&) {
        return {};
    }
}

// The entries a browser keeps pages' files in.
constexpr TFilterOptions kCacheTypes =
    FilterOptionBit(TFilterOption::NORMAL_ENTRY) | FilterOptionBit(TFilterOption::STICKY_ENTRY) |
    FilterOptionBit(TFilterOption::TRACK_OFFLINE_ENTRY) | FilterOptionBit(TFilterOption::TRACK_ONLINE_ENTRY);

}  // namespace

TPageWalkResult TPageWalk::Run(IDispatch* page)
{
    result_ = TPageWalkResult{};
    seen_.clear();
    WalkDocument(page, 0);
    WalkCache();
    seen_.clear();
    return std::move(result_);
}

bool TPageWalk::FirstVisit(IDispatch* document)
{
    ComPtr<IUnknown> identity;
    OleCheck(document->QueryInterface(IID_IUnknown, identity.put_void()));
    for (const ComPtr<IUnknown>& s : seen_)
        if (s.get() == identity.get()) return false;
    seen_.push_back(std::move(identity));
    return true;
}

void TPageWalk::WalkDocument(IDispatch* document, int depth)
{
    if (!FirstVisit(document)) return;
    const std::string address = DocumentAddress(document);
    result_.Movies.AddHost(address);
    const std::string base = DocumentBase(document, address);
    if (base != address) result_.Movies.AddHost(base);  // what the page loads from its base is cached under that host
    ++result_.Documents;
    const ComPtr<IDispatch> all = DispatchCall(document, DISPID_IHTMLDOCUMENT2_ALL).Object();
    if (!all) return;
    if (depth == 0) result_.Movies.SetPage({address, base, {}});
    WalkMovies(all.get(), {address, base, {}}, depth == 0 ? TFoundIn::Page : TFoundIn::Frame);
    WalkFrames(all.get(), base, depth);
}

void TPageWalk::WalkMovies(IDispatch* all, const TMovieOrigin& page, TFoundIn found)
{
    for (const std::string tag : {"OBJECT", "EMBED", "player"}) {
        const bool cut = ForEachElement(ElementsTagged(all, tag).get(), [&](IDispatch* e) {
            try {
                // The markup first: it is read late-bound, while the control's
                // Movie costs a typed proxy per element (MovieElement.h).
                const auto movie = tag == "player" ? PlayerMovieOf(e) : MovieOfElement(e, TMovieSource::Markup, tag);
                if (!movie) return true;
                const std::string address = ResolveMovieURL(page.PageBase, *movie);
                if (address.empty()) {
                    ++result_.WithoutSource;
                    return true;
                }
                if (result_.Movies.Listed(address)) return true;
                // Its markup, for a complete save: one more call, for each movie only.
                TMovieOrigin origin = page;
                origin.Markup = ElementMarkup(e);
                result_.Movies.AddElement(address, found, std::move(origin));
            } catch (const EOleError&) {
                ++result_.WithoutSource;
            }
            return true;
        });
        if (cut) ++result_.CutLists;
    }
}

void TPageWalk::WalkFrames(IDispatch* all, const std::string& base, int depth)
{
    for (const char* tag : {"IFRAME", "FRAME"}) {
        const bool cut = ForEachElement(ElementsTagged(all, tag).get(), [&](IDispatch* frame) {
            EnterFrame(frame, base, depth);
            return true;
        });
        if (cut) ++result_.CutLists;
    }
}

void TPageWalk::EnterFrame(IDispatch* frame, const std::string& base, int depth)
{
    // Its source's host counts even when its document is denied: what its
    // movies loaded is in the cache under that host.
    try {
        result_.Movies.AddHost(ResolveMovieURL(base, DispatchCall(frame, DISPID_IHTMLFRAMEBASE_SRC).Text()));
    } catch (const EOleError&) {
        // a frame whose source cannot be read adds no host
    }
    if (depth + 1 > MaxDepth) return;
    const ComPtr<IDispatch> inner = FrameDocument(frame);
    if (!inner) {
        ++result_.DeniedFrames;
        return;
    }
    try {
        WalkDocument(inner.get(), depth + 1);
    } catch (const EOleError&) {
        ++result_.DeniedFrames;  // a document that answers nothing more (still loading, gone)
    }
}

void TPageWalk::WalkCache()
{
    TIECache cache(nullptr);
    cache.SetFilterOptions(kCacheTypes);
    cache.SetSearchPattern(TSearchPattern::spUrl);
    TGrabList& movies = result_.Movies;
    cache.OnEntry = [&](TObject*, bool&) {
        const TEntryInfo& e = cache.EntryInfo();
        const auto size = static_cast<int64_t>(static_cast<uint32_t>(e.Size));
        if (movies.Listed(e.SourceUrlName)) {
            movies.AddCacheEntry(e.SourceUrlName, e.LocalFileName, size, true);
            return;
        }
        if (e.LocalFileName.empty() || !movies.HostWanted(e.SourceUrlName)) return;
        const TCacheVerdict verdict = CacheEntryVerdict(e.SourceUrlName, e.HeaderInfo);
        const bool movie = verdict == TCacheVerdict::Movie ||
                           (verdict == TCacheVerdict::LookAtFile && FileBeginsAsMovie(ToWide(e.LocalFileName, CP_ACP)));
        movies.AddCacheEntry(e.SourceUrlName, e.LocalFileName, size, movie);
    };
    cache.EnumerateEntries(0);
}
