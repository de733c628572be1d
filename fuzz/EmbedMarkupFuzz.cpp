// libFuzzer target for the embedding markup (built and run by scripts/fuzz.sh).
// The input is an element's outer HTML. Beyond not crashing under the
// sanitizers: what the reader gives, written into the embedding page, reads
// back the same from the page's body; with a relink that rewrites everything,
// every address and every FlashVars value reads back rewritten; and the
// default markup for a link made of the input's first line carries that link.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "EmbedMarkup.h"
#include "TextRules.h"

namespace {

void Require(bool ok, const char* what, std::string_view text)
{
    if (!ok) {
        std::fprintf(stderr, "markup fuzz: %s: %.*s\n", what, static_cast<int>(text.size()), text.data());
        std::abort();
    }
}

bool Same(const std::vector<TMarkupAttribute>& a, const std::vector<TMarkupAttribute>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const TMarkupAttribute& x, const TMarkupAttribute& y) { return x.Name == y.Name && x.Value == y.Value; });
}

bool Same(const TEmbedElement& a, const TEmbedElement& b)
{
    return a.Tag == b.Tag && Same(a.Attributes, b.Attributes) && Same(a.Params, b.Params);
}

// The markup the page's body begins with.
std::optional<TEmbedMarkup> ReadBack(const std::string& page)
{
    const size_t body = page.find("<body>\n");
    return body == std::string::npos ? std::nullopt : ParseEmbedMarkup(std::string_view(page).substr(body + 7));
}

bool IsAddress(std::string_view name)
{
    const std::string lower = LowerCase(name);
    return lower == "src" || lower == "data" || lower == "movie" || lower == "base";
}

// Every value in values is "R": addresses as they are, FlashVars pair by pair.
void RequireRewritten(const std::vector<TMarkupAttribute>& values, const std::string& page)
{
    for (const TMarkupAttribute& v : values) {
        if (IsAddress(v.Name)) Require(v.Value == "R", "an address is not relinked", page);
        if (LowerCase(v.Name) != "flashvars") continue;
        for (size_t begin = 0; begin <= v.Value.size();) {
            const size_t end = std::min(v.Value.find('&', begin), v.Value.size());
            const std::string_view pair = std::string_view(v.Value).substr(begin, end - begin);
            const size_t equals = pair.find('=');
            Require(equals == std::string_view::npos || pair.substr(equals) == "=R", "a FlashVars value is not relinked", page);
            begin = end + 1;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view html(reinterpret_cast<const char*>(data), size);
    const auto keep = [](std::string_view) { return std::optional<std::string>(); };
    const auto rewrite = [](std::string_view) { return std::optional<std::string>("R"); };

    if (const auto markup = ParseEmbedMarkup(html)) {
        Require(markup->Outer.Tag == "OBJECT" || markup->Outer.Tag == "EMBED", "an outer tag of another name", html);
        Require(!markup->Inner || markup->Outer.Tag == "OBJECT", "an EMBED inside an EMBED", html);
        const std::string page = EmbeddingPageHtml(*markup, keep, html, html);
        const auto back = ReadBack(page);
        Require(back && Same(back->Outer, markup->Outer) && back->Inner.has_value() == markup->Inner.has_value() &&
                    (!back->Inner || Same(*back->Inner, *markup->Inner)),
                "written and read again it changes", page);
        const std::string rewritten = EmbeddingPageHtml(*markup, rewrite, "", "");
        const auto relinked = ReadBack(rewritten);
        Require(relinked.has_value(), "the relinked page's markup does not read", rewritten);
        RequireRewritten(relinked->Outer.Attributes, rewritten);
        RequireRewritten(relinked->Outer.Params, rewritten);
        if (relinked->Inner) RequireRewritten(relinked->Inner->Attributes, rewritten);
    }

    const std::string link(html.substr(0, html.find('\n')));
    const auto fallback = ReadBack(EmbeddingPageHtml(DefaultEmbedMarkup(link, size % 3 * 100, 0), keep, "", ""));
    Require(fallback && ParamOf(fallback->Outer, "movie") == link && fallback->Inner &&
                AttributeOf(*fallback->Inner, "src") == link,
            "the default markup loses its link", link);
    (void)LeadingPageHtml(link, link);
    return 0;
}
