#pragma once
// The movies of one page as the whole-page grab lists them: one row per
// address (compared by MovieAddressKey), in the order they were found, the
// page's elements first, then the URL cache. A cache entry gives a row a
// cached copy; on its own it makes a row only when it holds a movie and its
// host is the page's or one of its frames'.
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class TFoundIn { Page, Frame, CacheOnly };

// The page a movie was found in, for a complete save.
struct TMovieOrigin {
    std::string PageAddress;  // the document's own address
    std::string PageBase;     // what its addresses resolve against
    std::string Markup;       // the element's outer HTML; empty for a movie only the cache has
};

struct TGrabItem {
    std::string Address;    // absolute
    TFoundIn Found = TFoundIn::Page;
    std::string CacheFile;  // the cached copy; empty when there is none
    int64_t Size = -1;      // bytes, -1 when not known
    TMovieOrigin Origin;
    bool Cached() const { return !CacheFile.empty(); }
};

class TGrabList {
public:
    // A document's address (the page's or a frame's): its host counts as the page's.
    void AddHost(std::string_view url);
    bool HostWanted(std::string_view url) const;

    // The page's own document: the origin of the movies only the cache has.
    void SetPage(TMovieOrigin page) { page_ = std::move(page); }
    // A movie element; false when its address is already listed.
    bool AddElement(const std::string& address, TFoundIn found, TMovieOrigin origin = {});
    // Whether the address has a row already.
    bool Listed(std::string_view url) const;
    // One cache entry of a wanted host: it is the cached copy of a listed movie
    // (the first entry of an address wins), or a row of its own when isMovie.
    void AddCacheEntry(const std::string& url, const std::string& file, int64_t size, bool isMovie);

    const std::vector<TGrabItem>& Items() const { return items_; }

private:
    std::set<std::string> hosts_;
    TMovieOrigin page_;
    std::vector<TGrabItem> items_;
    std::unordered_map<std::string, size_t> byKey_;  // MovieAddressKey -> index into items_
};
