// libFuzzer target for the address resolver (built and run by scripts/fuzz.sh).
// The input is a base and a reference, split at the first byte's value. Beyond
// not crashing under the sanitizers: a resolved web address has no dot segment
// left in its path, reads the same when resolved again against anything, and
// the cache's form of it is a fixed point.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "MovieUrl.h"

namespace {

void Require(bool ok, const char* what, std::string_view text)
{
    if (!ok) {
        std::fprintf(stderr, "address fuzz: %s: %.*s\n", what, static_cast<int>(text.size()), text.data());
        std::abort();
    }
}

bool HasDotSegment(std::string_view path)
{
    for (size_t begin = 0; begin <= path.size();) {
        const size_t end = std::min(path.find('/', begin), path.size());
        const std::string_view segment = path.substr(begin, end - begin);
        if (segment == "." || segment == "..") return true;
        begin = end + 1;
    }
    return false;
}

// The path of an address that starts with "http://" or "https://".
std::string_view WebPath(std::string_view url)
{
    const size_t authority = url.find("//") + 2;
    const size_t path = std::min(url.find('/', authority), url.size());
    const size_t end = std::min(url.find_first_of("?#", path), url.size());
    return path < end ? url.substr(path, end - path) : std::string_view();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const std::string_view all(reinterpret_cast<const char*>(data + 1), size - 1);
    const size_t cut = std::min<size_t>(data[0], all.size());
    const std::string_view base = all.substr(0, cut), reference = all.substr(cut);

    const std::string url = ResolveMovieURL(base, reference);
    const bool web = url.starts_with("http://") || url.starts_with("https://");
    if (web) {
        const std::string_view path = WebPath(url);
        if (url.find('/', url.find("//") + 2) < std::min(url.find_first_of("?#"), url.size()))
            Require(!HasDotSegment(path), "a dot segment left in the path", url);
        Require(ResolveMovieURL("http://other.test/x/y", url) == url, "resolved again it changes", url);
    }
    const std::string cached = CachedAddress(url);
    Require(CachedAddress(cached) == cached, "the cache's form is no fixed point", url);
    return 0;
}
