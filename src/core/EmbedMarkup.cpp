#include "EmbedMarkup.h"

#include "MovieUrl.h"
#include "TextRules.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <set>

namespace {

// A start or end tag, its name in lower case.
struct TTag {
    std::string Name;
    bool End = false;
    std::vector<TMarkupAttribute> Attributes;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }

bool SameNoCase(std::string_view a, std::string_view b) { return a.size() == b.size() && LowerCase(a) == LowerCase(b); }

// A name that reads back as itself wherever it is written: the reader drops
// any other, so what it gives can always be written out again.
bool IsAttributeName(std::string_view name)
{
    return !name.empty() && std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 0x20 || c == ' ' || std::string_view("\"'<>/=").find(c) != std::string_view::npos;
    });
}

void AppendUtf8(std::string& out, uint32_t cp)
{
    static constexpr uint8_t kLead[] = {0x00, 0xC0, 0xE0, 0xF0};
    const int tail = cp < 0x80 ? 0 : cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
    out += static_cast<char>(kLead[tail] | cp >> (6 * tail));
    for (int k = tail - 1; k >= 0; --k) out += static_cast<char>(0x80 | (cp >> (6 * k) & 0x3F));
}

int DigitValue(char c, int base)
{
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return base == 16 && lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// A numeric character reference at s ("&#39;", "&#x27;", the ";" may be
// missing as browsers allow): appends what it stands for and gives its length,
// 0 when s holds none. NUL, surrogates and numbers beyond Unicode stand for
// U+FFFD, as in HTML.
size_t NumericReference(std::string_view s, std::string& out)
{
    const bool hex = s.size() > 2 && (s[2] == 'x' || s[2] == 'X');
    const int base = hex ? 16 : 10;
    size_t i = hex ? 3 : 2;
    const size_t digits = i;
    uint32_t cp = 0;
    for (int d; i < s.size() && (d = DigitValue(s[i], base)) >= 0; ++i) cp = std::min<uint32_t>(cp * base + d, 0x110000);
    if (i == digits) return 0;
    if (i < s.size() && s[i] == ';') ++i;
    AppendUtf8(out, cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF) ? 0xFFFD : cp);
    return i;
}

// An attribute's value with its character references decoded; a named one
// the reader does not know stays as written.
std::string Decoded(std::string_view s)
{
    static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&nbsp;", "\xC2\xA0"}};
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const std::string_view rest = s.substr(i);
        const auto named = std::find_if(std::begin(kNamed), std::end(kNamed), [&](const auto& n) { return rest.starts_with(n.first); });
        if (named != std::end(kNamed)) {
            out += named->second;
            i += named->first.size();
        } else if (const size_t used = rest.starts_with("&#") ? NumericReference(rest, out) : 0) {
            i += used;
        } else {
            out += s[i++];
        }
    }
    return out;
}

void SkipBlanks(std::string_view& rest)
{
    while (!rest.empty() && IsBlank(rest[0])) rest.remove_prefix(1);
}

// Takes the first n characters off rest (all of it when n is npos).
std::string_view TakeFront(std::string_view& rest, size_t n)
{
    const std::string_view front = rest.substr(0, n);
    rest.remove_prefix(front.size());
    return front;
}

// A value after "=": quoted in either way, or unquoted up to a blank or ">".
// Markup cut short inside quotes gives what there is.
std::string_view ReadValue(std::string_view& rest)
{
    SkipBlanks(rest);
    if (!rest.empty() && (rest[0] == '"' || rest[0] == '\'')) {
        const char quote = rest[0];
        rest.remove_prefix(1);
        const std::string_view value = TakeFront(rest, rest.find(quote));
        if (!rest.empty()) rest.remove_prefix(1);
        return value;
    }
    size_t end = 0;
    while (end < rest.size() && !IsBlank(rest[end]) && rest[end] != '>') ++end;
    return TakeFront(rest, end);
}

// The attributes up to the tag's ">" (taken too), as HTML reads them: a name
// written twice counts the first time.
std::vector<TMarkupAttribute> ReadAttributes(std::string_view& rest)
{
    std::vector<TMarkupAttribute> attributes;
    std::set<std::string> seen;
    for (;;) {
        while (!rest.empty() && (IsBlank(rest[0]) || rest[0] == '/')) rest.remove_prefix(1);
        if (rest.empty() || rest[0] == '>') break;
        // A name is at least one character, even a "=".
        size_t end = 1;
        while (end < rest.size() && !IsBlank(rest[end]) && std::string_view("/>=").find(rest[end]) == std::string_view::npos) ++end;
        const std::string name(TakeFront(rest, end));
        SkipBlanks(rest);
        std::string_view value;
        if (!rest.empty() && rest[0] == '=') {
            rest.remove_prefix(1);
            value = ReadValue(rest);
        }
        if (IsAttributeName(name) && seen.insert(LowerCase(name)).second) attributes.push_back({name, Decoded(value)});
    }
    if (!rest.empty()) rest.remove_prefix(1);
    return attributes;
}

// What begins at a "<" in rest: a tag, or markup that is passed over (a
// comment, a declaration, a "<" that begins nothing), which gives nothing.
std::optional<TTag> ReadMarkup(std::string_view& rest)
{
    if (rest.starts_with("<!--")) {
        const size_t end = rest.find("-->", 4);
        TakeFront(rest, end == std::string_view::npos ? end : end + 3);
        return std::nullopt;
    }
    const bool end = rest.starts_with("</");
    const size_t nameAt = end ? 2 : 1;
    if (nameAt >= rest.size() || !std::isalpha(static_cast<unsigned char>(rest[nameAt]))) {
        // "<!DOCTYPE ...>", "<?xml ...>", "</ >" run to their ">"; a lone "<" is text.
        const bool bogus = end || rest.starts_with("<!") || rest.starts_with("<?");
        const size_t close = rest.find('>');
        TakeFront(rest, !bogus ? 1 : close == std::string_view::npos ? close : close + 1);
        return std::nullopt;
    }
    rest.remove_prefix(nameAt);
    size_t nameEnd = 0;
    while (nameEnd < rest.size() && !IsBlank(rest[nameEnd]) && rest[nameEnd] != '/' && rest[nameEnd] != '>') ++nameEnd;
    TTag tag{LowerCase(TakeFront(rest, nameEnd)), end, {}};
    tag.Attributes = ReadAttributes(rest);
    return tag;
}

std::string AttributeNamed(const std::vector<TMarkupAttribute>& attributes, std::string_view name)
{
    const auto found = std::find_if(attributes.begin(), attributes.end(),
                                    [&](const TMarkupAttribute& a) { return SameNoCase(a.Name, name); });
    return found == attributes.end() ? std::string() : found->Value;
}

// An OBJECT's content up to its end tag: its own PARAMs (not those of an
// OBJECT inside it, the fallback some pages nest) and the first EMBED.
void ReadObjectContent(std::string_view& rest, TEmbedMarkup& markup)
{
    int depth = 1;
    for (size_t lt; (lt = rest.find('<')) != std::string_view::npos;) {
        rest.remove_prefix(lt);
        const std::optional<TTag> tag = ReadMarkup(rest);
        if (!tag) continue;
        if (tag->Name == "object") {
            depth += tag->End ? -1 : 1;
            if (depth == 0) return;
            continue;
        }
        if (tag->End) continue;
        if (tag->Name == "param" && depth == 1) {
            std::string name = AttributeNamed(tag->Attributes, "name");
            if (!name.empty()) markup.Outer.Params.push_back({std::move(name), AttributeNamed(tag->Attributes, "value")});
        } else if (tag->Name == "embed" && !markup.Inner) {
            markup.Inner = TEmbedElement{"EMBED", tag->Attributes, {}};
        }
    }
}

// The value the player is given by name: the OBJECT's PARAM, else its EMBED's attribute.
std::string PlayerValue(const TEmbedMarkup& markup, std::string_view name)
{
    if (markup.Outer.Tag != "OBJECT") return AttributeOf(markup.Outer, name);
    std::string value = ParamOf(markup.Outer, name);
    return value.empty() && markup.Inner ? AttributeOf(*markup.Inner, name) : value;
}

std::string HtmlEscaped(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// FlashVars with each pair's value, decoded as the player decodes it, passed
// through relink and written back encoded; the pairs relink leaves alone stay
// as the page wrote them, to the byte.
std::string RelinkedFlashVars(std::string_view vars, const TRelink& relink)
{
    std::string out;
    for (size_t begin = 0; begin <= vars.size();) {
        const size_t end = std::min(vars.find('&', begin), vars.size());
        const std::string_view pair = vars.substr(begin, end - begin);
        const size_t equals = pair.find('=');
        std::optional<std::string> relinked;
        if (equals != std::string_view::npos) {
            std::string value(pair.substr(equals + 1));
            std::replace(value.begin(), value.end(), '+', ' ');
            relinked = relink(PercentDecoded(value).value_or(value));
        }
        out += relinked ? std::string(pair.substr(0, equals + 1)) + PercentEncoded(*relinked, "%&=+#\"'<>") : std::string(pair);
        if (end < vars.size()) out += '&';
        begin = end + 1;
    }
    return out;
}

// A value as the page writes it: addresses and FlashVars relinked.
std::string WrittenValue(std::string_view name, const std::string& value, const TRelink& relink)
{
    for (std::string_view address : {"src", "data", "movie", "base"})
        if (SameNoCase(name, address)) return relink(value).value_or(value);
    return SameNoCase(name, "flashvars") ? RelinkedFlashVars(value, relink) : value;
}

void WriteElement(std::string& out, const TEmbedElement& element, const TRelink& relink)
{
    const bool object = element.Tag == "OBJECT";
    out += object ? "<OBJECT" : "<EMBED";
    for (const TMarkupAttribute& a : element.Attributes)
        if (IsAttributeName(a.Name)) out += " " + a.Name + "=\"" + HtmlEscaped(WrittenValue(a.Name, a.Value, relink)) + "\"";
    out += ">\n";
    if (!object) return;
    for (const TMarkupAttribute& p : element.Params)
        out += "<PARAM NAME=\"" + HtmlEscaped(p.Name) + "\" VALUE=\"" + HtmlEscaped(WrittenValue(p.Name, p.Value, relink)) + "\">\n";
}

// No DOCTYPE: the page is read in quirks mode, as the pages movies were made
// for were, where a height of "100%" fills the window.
std::string DocumentStart(std::string_view title, std::string_view headExtra)
{
    return "<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n<title>" +
           HtmlEscaped(title) + "</title>\n" + std::string(headExtra) + "</head>\n<body>\n";
}

constexpr char kDocumentEnd[] = "</body>\n</html>\n";

}  // namespace

std::optional<TEmbedMarkup> ParseEmbedMarkup(std::string_view outerHtml)
{
    std::string_view rest = Trim(outerHtml);
    if (!rest.starts_with('<')) return std::nullopt;
    const std::optional<TTag> tag = ReadMarkup(rest);
    if (!tag || tag->End || (tag->Name != "object" && tag->Name != "embed")) return std::nullopt;
    TEmbedMarkup markup;
    markup.Outer = {tag->Name == "object" ? "OBJECT" : "EMBED", tag->Attributes, {}};
    if (tag->Name == "object") ReadObjectContent(rest, markup);
    return markup;
}

std::string AttributeOf(const TEmbedElement& element, std::string_view name) { return AttributeNamed(element.Attributes, name); }

std::string ParamOf(const TEmbedElement& element, std::string_view name) { return AttributeNamed(element.Params, name); }

std::string FlashVarsOf(const TEmbedMarkup& markup) { return PlayerValue(markup, "flashvars"); }

std::string BaseOf(const TEmbedMarkup& markup) { return PlayerValue(markup, "base"); }

std::string EmbeddingPageHtml(const TEmbedMarkup& markup, const TRelink& relink, std::string_view title,
                              std::string_view base)
{
    std::string out = DocumentStart(title, base.empty() ? std::string() : "<base href=\"" + HtmlEscaped(base) + "\">\n");
    WriteElement(out, markup.Outer, relink);
    if (markup.Outer.Tag == "OBJECT") {
        if (markup.Inner) WriteElement(out, *markup.Inner, relink);
        out += "</OBJECT>\n";
    }
    return out + kDocumentEnd;
}

TEmbedMarkup DefaultEmbedMarkup(std::string_view movieLink, int width, int height)
{
    const std::string w = width > 0 ? std::to_string(width) : "100%";
    const std::string h = height > 0 ? std::to_string(height) : "100%";
    const std::string link(movieLink);
    TEmbedMarkup markup;
    markup.Outer = {"OBJECT",
                    {{"classid", "clsid:D27CDB6E-AE6D-11cf-96B8-444553540000"}, {"width", w}, {"height", h}},
                    {{"movie", link}, {"quality", "high"}}};
    markup.Inner = TEmbedElement{
        "EMBED", {{"src", link}, {"quality", "high"}, {"type", "application/x-shockwave-flash"}, {"width", w}, {"height", h}}, {}};
    return markup;
}

std::string LeadingPageHtml(std::string_view link, std::string_view title)
{
    const std::string href = HtmlEscaped(link);
    return DocumentStart(title, "<meta http-equiv=\"refresh\" content=\"0; url=" + href + "\">\n") + "<p><a href=\"" + href +
           "\">" + HtmlEscaped(title.empty() ? link : title) + "</a></p>\n" + kDocumentEnd;
}
