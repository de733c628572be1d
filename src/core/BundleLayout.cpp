#include "BundleLayout.h"

#include "MovieFileName.h"
#include "MovieUrl.h"
#include "TextRules.h"

#include <algorithm>

namespace {

// Windows takes 255 characters in a name; 200 bytes of UTF-8 are never more.
constexpr size_t kPartMax = 200;
// MAX_PATH is 260 UTF-16 units, never fewer than a path's UTF-8 bytes: 240
// leaves 20 for the folder the save is put in (a deeper one needs the long
// paths Windows 10 allows). A clash's " (9999)" is kept room for.
constexpr size_t kPathMax = 240;
constexpr size_t kNumberRoom = 7;
// The room a file's name keeps when its folders are deep.
constexpr size_t kPartMin = 16;

std::vector<std::string_view> Split(std::string_view s, char mark)
{
    std::vector<std::string_view> parts;
    for (size_t begin = 0;;) {
        const size_t end = s.find(mark, begin);
        parts.push_back(s.substr(begin, end == std::string_view::npos ? std::string_view::npos : end - begin));
        if (end == std::string_view::npos) return parts;
        begin = end + 1;
    }
}

// An address's bytes that are no UTF-8 (a page in another code page writes
// them raw) as %XX, so that every path is UTF-8.
std::string Utf8OrEscaped(std::string_view written)
{
    std::string out;
    for (size_t i = 0; i < written.size();) {
        const size_t length = Utf8CharacterLength(written, i);
        // A byte that begins no character is above "~".
        out += length == 0 ? PercentEncoded(written.substr(i, 1), "") : std::string(written.substr(i, length));
        i += length == 0 ? 1 : length;
    }
    return out;
}

// A segment as a file gets it: its escapes decoded where that gives UTF-8.
std::string Readable(std::string_view segment)
{
    const auto decoded = PercentDecoded(segment);
    return decoded && IsUtf8(*decoded) ? *decoded : Utf8OrEscaped(segment);
}

// A name Windows takes, never empty: "", "." and ".." lose their dots and
// become "_".
std::string SafePart(std::string_view name, size_t maxBytes = kPartMax)
{
    return CutFileName(WindowsSafeName(name), maxBytes, CutAtUtf8Character, "_");
}

// Folders that leave no room for a name of kPartMin bytes go, the deepest
// first; which ones depends on the folders alone, so that the files of one
// folder stay together (they then sit higher than their addresses say: better
// than not saved). The name is cut to what is left.
void FitPath(std::vector<std::string>& parts)
{
    constexpr size_t max = kPathMax - kNumberRoom;
    std::string name = std::move(parts.back());
    parts.pop_back();
    size_t kept = 0, length = 0;
    while (kept < parts.size() && length + parts[kept].size() + 1 + kPartMin <= max) length += parts[kept++].size() + 1;
    parts.resize(kept);
    if (length + name.size() > max) name = SafePart(name, max - length);
    parts.push_back(std::move(name));
}

// The parts of the path of an address in the cache's form: the server's first
// when it is not the page's. Nothing for an address that is not http or https.
std::optional<std::vector<std::string>> PartsOf(const std::string& address, const std::string& pageServer)
{
    const std::string server = UrlHost(address);
    if (server.empty() || !(address.starts_with("http://") || address.starts_with("https://"))) return std::nullopt;
    std::vector<std::string> parts;
    if (server != pageServer) parts.push_back(SafePart(server));  // "host:8080" gives "host_8080"
    const size_t pathBegin = std::min(address.find('/', address.find("//") + 2), address.size());
    const std::string_view path = WithoutQuery(std::string_view(address).substr(pathBegin));
    std::vector<std::string_view> segments = Split(path.empty() ? path : path.substr(1), '/');
    const std::string_view last = segments.back();
    segments.pop_back();
    for (std::string_view segment : segments) parts.push_back(SafePart(Readable(segment)));
    std::string name = last.empty() ? "index.html" : Readable(last);
    const size_t query = address.find('?');
    if (query != std::string::npos && query + 1 < address.size())
        name += "@" + Utf8OrEscaped(std::string_view(address).substr(query + 1));
    parts.push_back(SafePart(name));
    return parts;
}

std::string Folded(std::string_view s) { return LowerCase(s); }

}  // namespace

TBundleLayout::TBundleLayout(std::string_view pageAddress)
    : pageAddress_(CachedAddress(pageAddress)), pageServer_(UrlHost(pageAddress_))
{
}

std::optional<std::string> TBundleLayout::PathOf(std::string_view address)
{
    const std::string key = CachedAddress(address);
    if (const auto known = byAddress_.find(key); known != byAddress_.end()) return known->second;
    auto parts = PartsOf(key, pageServer_);
    if (!parts) return std::nullopt;
    FitPath(*parts);
    return byAddress_[key] = Take(*parts);
}

std::string TBundleLayout::PagePath()
{
    if (!pagePath_.empty()) return pagePath_;
    auto parts = PartsOf(pageAddress_, pageServer_).value_or(std::vector<std::string>{"page.htm"});
    std::string& name = parts.back();
    if (!EndsWithNoCase(name, ".htm") && !EndsWithNoCase(name, ".html")) name = SafePart(name + ".htm");
    FitPath(parts);
    return pagePath_ = Take(parts);
}

std::string TBundleLayout::RootName(std::string_view wanted) { return Take({SafePart(wanted)}); }

std::string TBundleLayout::FolderOf(std::string_view path)
{
    const size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1));
}

// The path for parts in folders that keep going where their first file made
// them go; a name a file or folder has taken, in any case, is numbered.
std::string TBundleLayout::Take(const std::vector<std::string>& parts)
{
    std::string folder, asNamed;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        asNamed += Folded(parts[i]) + "/";
        auto [at, added] = folderAs_.try_emplace(asNamed);
        if (added) {
            at->second = folder + FreeName(folder, parts[i]) + "/";
            taken_.insert(Folded(at->second));
        }
        folder = at->second;
    }
    std::string path = folder + FreeName(folder, parts.back());
    taken_.insert(Folded(path));
    return path;
}

std::string TBundleLayout::FreeName(const std::string& folder, const std::string& name) const
{
    const auto taken = [&](const std::string& candidate) {
        const std::string path = Folded(folder + candidate);
        return taken_.contains(path) || taken_.contains(path + "/");
    };
    int number = 1;
    if (auto free = UniqueFileName(name, taken, number)) return *free;
    // More of one name than UniqueFileName counts to: taken_ is finite.
    for (size_t n = taken_.size();; ++n)
        if (std::string candidate = name + "~" + std::to_string(n); !taken(candidate)) return candidate;
}

std::string RelativeLink(std::string_view fromPath, std::string_view toPath)
{
    std::vector<std::string_view> from = Split(fromPath, '/');
    from.pop_back();
    const std::vector<std::string_view> to = Split(toPath, '/');
    size_t common = 0;
    while (common < from.size() && common + 1 < to.size() && Folded(from[common]) == Folded(to[common])) ++common;
    std::string link;
    for (size_t i = common; i < from.size(); ++i) link += "../";
    // "%", "#" and "?" would begin an escape, a fragment and a query, ":" a
    // scheme, and a "\" stands for "/" to the browser.
    for (size_t i = common; i < to.size(); ++i) link += PercentEncoded(to[i], "%#?:\\") + (i + 1 < to.size() ? "/" : "");
    return link.empty() ? "./" : link;
}
