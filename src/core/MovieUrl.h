#pragma once
// Turns a movie's address as the page writes it into an absolute URL against
// the page's URL, the way the save flow does it: a few textual rules, not a
// full URL resolver.
#include <optional>
#include <string>
#include <string_view>

struct TResolvedMovie {
    std::string MovieURL;   // the absolute URL
    std::string Remainder;  // the movie path after its "./" and "../" were processed
};

// Nothing when either input is empty. Base is the page URL up to its last "/";
// a leading "./" is dropped; each leading "../" climbs one "/" of Base (Base
// stays as it is when it has no "/" left); any other "../" is deleted; the
// remainder is joined with one "/" unless it starts with one (an empty
// remainder counts as not starting with "/"). A remainder whose first five
// characters are "HTTP:" in any case is the URL itself.
std::optional<TResolvedMovie> ResolveMovieURL(std::string_view pageURL, std::string_view moviePath);
