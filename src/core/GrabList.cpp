#include "GrabList.h"

#include "MovieUrl.h"

void TGrabList::AddHost(std::string_view url)
{
    std::string host = UrlHost(url);
    if (!host.empty()) hosts_.insert(std::move(host));
}

bool TGrabList::HostWanted(std::string_view url) const { return hosts_.count(UrlHost(url)) != 0; }

bool TGrabList::AddElement(const std::string& address, TFoundIn found, TMovieOrigin origin)
{
    if (!byKey_.emplace(MovieAddressKey(address), items_.size()).second) return false;
    TGrabItem item;
    item.Address = address;
    item.Found = found;
    item.Origin = std::move(origin);
    items_.push_back(std::move(item));
    return true;
}

bool TGrabList::Listed(std::string_view url) const { return byKey_.count(MovieAddressKey(url)) != 0; }

void TGrabList::AddCacheEntry(const std::string& url, const std::string& file, int64_t size, bool isMovie)
{
    const auto found = byKey_.find(MovieAddressKey(url));
    if (found != byKey_.end()) {
        TGrabItem& item = items_[found->second];
        if (item.Cached()) return;
        item.CacheFile = file;
        item.Size = size;
        return;
    }
    if (!isMovie) return;
    byKey_.emplace(MovieAddressKey(url), items_.size());
    items_.push_back(TGrabItem{url, TFoundIn::CacheOnly, file, size, page_});
}
