#include "MovieUrl.h"

#include <cctype>

namespace {

// Everything before the last "/", or the whole text when it has none.
std::string_view CutAtLastSlash(std::string_view s)
{
    const size_t slash = s.rfind('/');
    return slash == std::string_view::npos ? s : s.substr(0, slash);
}

bool StartsWith(std::string_view s, std::string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

void EraseAll(std::string& s, std::string_view what)
{
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at)) s.erase(at, what.size());
}

bool IsHttpAddress(std::string_view s)
{
    static constexpr std::string_view scheme = "HTTP:";
    if (s.size() < scheme.size()) return false;
    for (size_t i = 0; i < scheme.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(s[i])) != scheme[i]) return false;
    return true;
}

}  // namespace

std::optional<TResolvedMovie> ResolveMovieURL(std::string_view pageURL, std::string_view moviePath)
{
    if (pageURL.empty() || moviePath.empty()) return std::nullopt;
    std::string_view base = CutAtLastSlash(pageURL);
    std::string path(moviePath);
    if (StartsWith(path, "./")) path.erase(0, 2);
    while (StartsWith(path, "../")) {
        path.erase(0, 3);
        base = CutAtLastSlash(base);
    }
    EraseAll(path, "../");
    TResolvedMovie result;
    result.MovieURL = std::string(base);
    if (path.empty() || path[0] != '/') result.MovieURL += '/';
    result.MovieURL += path;
    if (IsHttpAddress(path)) result.MovieURL = path;
    result.Remainder = std::move(path);
    return result;
}
