#include "PageWalk.h"

#include "GrabRules.h"
#include "IECache.h"
#include "MovieElement.h"
#include "MovieFile.h"
#include "WideText.h"

namespace {

std::string DocumentAddress(IHTMLDocument2* d)
{
    TBStr url;
    OleCheck(d->get_URL(url.put()));
    return WideToAnsi(url.get());
}

std::string Absolute(const std::string& base, const std::string& address)
{
    return AbsoluteMovieAddress(base, address);
}

// The elements of one tag name, as a collection; null when there are none.
ComPtr<IHTMLElementCollection> Tagged(IHTMLElementCollection* all, const wchar_t* tag)
{
    TBStr name{std::wstring(tag)};
    VARIANT v{};
    v.vt = VT_BSTR;
    v.bstrVal = name.get();
    ComPtr<IDispatch> found;
    OleCheck(all->tags(v, found.put()));
    ComPtr<IHTMLElementCollection> list;
    if (found) found->QueryInterface(IID_IHTMLElementCollection, list.put_void());
    return list;
}

// The entries a browser keeps pages' files in.
constexpr TFilterOptions kCacheTypes =
    FilterOptionBit(TFilterOption::NORMAL_ENTRY) | FilterOptionBit(TFilterOption::STICKY_ENTRY) |
    FilterOptionBit(TFilterOption::TRACK_OFFLINE_ENTRY) | FilterOptionBit(TFilterOption::TRACK_ONLINE_ENTRY);

}  // namespace

ComPtr<IHTMLDocument2> FrameDocument(IHTMLElement* frame)
{
    ComPtr<IHTMLFrameBase2> base;
    if (FAILED(frame->QueryInterface(IID_IHTMLFrameBase2, base.put_void())) || !base) return {};
    ComPtr<IHTMLWindow2> window;
    if (FAILED(base->get_contentWindow(window.put())) || !window) return {};
    ComPtr<IHTMLDocument2> document;
    if (FAILED(window->get_document(document.put()))) return {};
    return document;
}

TPageWalkResult TPageWalk::Run(IHTMLDocument2* page)
{
    static const GUID kBrowserTypeLibrary = {
        0x3050f1c5, 0x98b5, 0x11cf, {0xbb, 0x82, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x0b}};
    ComPtr<ITypeLib> keepLoaded;
    if (KeepBrowserTypeLibrary) LoadRegTypeLib(kBrowserTypeLibrary, 4, 0, LOCALE_NEUTRAL, keepLoaded.put());
    result_ = TPageWalkResult{};
    seen_.clear();
    WalkDocument(page, 0);
    WalkCache();
    seen_.clear();
    return std::move(result_);
}

bool TPageWalk::FirstVisit(IHTMLDocument2* document)
{
    ComPtr<IUnknown> identity;
    OleCheck(document->QueryInterface(IID_IUnknown, identity.put_void()));
    for (const ComPtr<IUnknown>& s : seen_)
        if (s.get() == identity.get()) return false;
    seen_.push_back(std::move(identity));
    return true;
}

void TPageWalk::WalkDocument(IHTMLDocument2* document, int depth)
{
    if (!FirstVisit(document)) return;
    const std::string base = DocumentAddress(document);
    result_.Movies.AddHost(base);
    ++result_.Documents;
    ComPtr<IHTMLElementCollection> all;
    OleCheck(document->get_all(all.put()));
    if (!all) return;
    WalkMovies(all.get(), base, depth == 0 ? TFoundIn::Page : TFoundIn::Frame);
    WalkFrames(all.get(), base, depth);
}

void TPageWalk::WalkMovies(IHTMLElementCollection* all, const std::string& base, TFoundIn found)
{
    for (const wchar_t* tag : {L"OBJECT", L"EMBED"}) {
        ForEachElement(Tagged(all, tag).get(), [&](IHTMLElement* e) {
            try {
                const auto movie = MovieOfElement(e);
                if (!movie) return true;
                const std::string address = Absolute(base, *movie);
                if (address.empty())
                    ++result_.WithoutSource;
                else
                    result_.Movies.AddElement(address, found);
            } catch (const EOleError&) {
                ++result_.WithoutSource;
            }
            return true;
        });
    }
}

void TPageWalk::WalkFrames(IHTMLElementCollection* all, const std::string& base, int depth)
{
    for (const wchar_t* tag : {L"IFRAME", L"FRAME"})
        ForEachElement(Tagged(all, tag).get(), [&](IHTMLElement* frame) {
            EnterFrame(frame, base, depth);
            return true;
        });
}

void TPageWalk::EnterFrame(IHTMLElement* frame, const std::string& base, int depth)
{
    // Its source's host counts even when its document is denied: what its
    // movies loaded is in the cache under that host.
    ComPtr<IHTMLFrameBase> frameBase;
    if (SUCCEEDED(frame->QueryInterface(IID_IHTMLFrameBase, frameBase.put_void())) && frameBase) {
        TBStr src;
        if (SUCCEEDED(frameBase->get_src(src.put()))) result_.Movies.AddHost(Absolute(base, WideToAnsi(src.get())));
    }
    if (depth + 1 > MaxDepth) return;
    ComPtr<IHTMLDocument2> inner = FrameDocument(frame);
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
