#pragma once
// The markup a page embeds a movie with, read from the element's outer HTML
// as the browser gives it (an OBJECT with its PARAMs and perhaps an EMBED
// inside, or an EMBED alone), and written out again for the page a complete
// save leaves beside the movie: the same attributes and PARAMs, the addresses
// the save has files for made relative.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TMarkupAttribute {
    std::string Name;   // as written, any case
    std::string Value;  // character references decoded
};

struct TEmbedElement {
    std::string Tag;  // "OBJECT" or "EMBED", upper case
    std::vector<TMarkupAttribute> Attributes;
    std::vector<TMarkupAttribute> Params;  // OBJECT only: its PARAM children in order
};

struct TEmbedMarkup {
    TEmbedElement Outer;                // the element itself
    std::optional<TEmbedElement> Inner; // an EMBED inside an OBJECT
};

// Nothing when the text does not begin (after blanks) with an OBJECT or EMBED
// start tag. Unquoted, single- and double-quoted values; unknown markup inside
// an OBJECT is passed over.
std::optional<TEmbedMarkup> ParseEmbedMarkup(std::string_view outerHtml);

// The value of an attribute or PARAM by name, compared without regard to case;
// empty when there is none.
std::string AttributeOf(const TEmbedElement& element, std::string_view name);
std::string ParamOf(const TEmbedElement& element, std::string_view name);

// What the player is given: FlashVars (the OBJECT's PARAM, else the EMBED's
// attribute) and base (likewise).
std::string FlashVarsOf(const TEmbedMarkup& markup);
std::string BaseOf(const TEmbedMarkup& markup);

// Rewrites one value the page wrote: given the value, the text to write
// instead, or nothing to keep it.
using TRelink = std::function<std::optional<std::string>(std::string_view value)>;

// The embedding page: a whole HTML document that embeds the movie as the page
// did. relink is asked for every address attribute or PARAM (src, data, movie,
// base) and for every value of FlashVars' pairs (re-encoded); base, when not
// empty, becomes the page's BASE element. Attributes and PARAMs keep their
// order, names and values otherwise; values are written HTML-escaped. The
// text comes and goes in UTF-8 and the page says so (meta charset).
std::string EmbeddingPageHtml(const TEmbedMarkup& markup, const TRelink& relink, std::string_view title,
                              std::string_view base);

// The markup for a movie the page gave none for (a movie found only in the
// cache): an OBJECT with an EMBED inside, both naming movieLink, with the
// stage's size when known (0: "100%").
TEmbedMarkup DefaultEmbedMarkup(std::string_view movieLink, int width, int height);

// The page at the folder's root that leads to the embedding page (link is
// relative), at once and by a link.
std::string LeadingPageHtml(std::string_view link, std::string_view title);
