#include "MovieUrl.h"

#include "TextRules.h"

#include <cctype>
#include <optional>

namespace {

// An address cut into its five parts as RFC 3986 appendix B reads them.
struct TUrlParts {
    std::string Scheme;  // in lower case, empty without one
    std::optional<std::string> Authority;
    std::string Path;
    std::optional<std::string> Query;
    std::optional<std::string> Fragment;
};

bool IsSchemeCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'; }

// The scheme's length before its ":", or 0 when the text does not begin with one.
size_t SchemeLength(std::string_view s)
{
    if (s.empty() || !std::isalpha(static_cast<unsigned char>(s[0]))) return 0;
    size_t n = 1;
    while (n < s.size() && IsSchemeCharacter(s[n])) ++n;
    return n < s.size() && s[n] == ':' ? n : 0;
}

bool IsWebScheme(std::string_view scheme) { return scheme == "http" || scheme == "https"; }

// Takes off what follows the first mark, and the mark; nothing when there is none.
std::optional<std::string> CutFrom(std::string& s, char mark)
{
    const size_t at = s.find(mark);
    if (at == std::string::npos) return std::nullopt;
    std::string tail = s.substr(at + 1);
    s.resize(at);
    return tail;
}

TUrlParts Split(std::string_view text)
{
    TUrlParts p;
    const size_t scheme = SchemeLength(text);
    if (scheme) {
        p.Scheme = LowerCase(text.substr(0, scheme));
        text.remove_prefix(scheme + 1);
    }
    std::string rest(text);
    p.Fragment = CutFrom(rest, '#');
    p.Query = CutFrom(rest, '?');
    if (rest.starts_with("//")) {
        const size_t end = rest.find('/', 2);
        p.Authority = rest.substr(2, end == std::string::npos ? std::string::npos : end - 2);
        rest.erase(0, end == std::string::npos ? rest.size() : end);
    }
    p.Path = std::move(rest);
    return p;
}

// The reference as the browser takes it from the page: white space around it
// dropped, tabs and line breaks inside it taken out.
std::string Cleaned(std::string_view reference)
{
    reference = Trim(reference);
    std::string out;
    out.reserve(reference.size());
    for (char c : reference)
        if (c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

// Web addresses are read with "\" as "/" up to their query, as the browser reads them.
void SlashesForBackslashes(std::string& s)
{
    const size_t end = s.find_first_of("?#");
    for (size_t i = 0; i < s.size() && i < end; ++i)
        if (s[i] == '\\') s[i] = '/';
}

// RFC 3986 5.2.4: "." and ".." segments taken out of a path; ".." above the
// top stays at the top.
std::string RemoveDotSegments(std::string_view in)
{
    std::string out;
    while (!in.empty()) {
        if (in.starts_with("../")) {
            in.remove_prefix(3);
        } else if (in.starts_with("./")) {
            in.remove_prefix(2);
        } else if (in.starts_with("/./")) {
            in.remove_prefix(2);
        } else if (in == "/.") {
            in = "/";
        } else if (in.starts_with("/../") || in == "/..") {
            in = in.size() == 3 ? std::string_view("/") : in.substr(3);
            const size_t slash = out.rfind('/');
            out.resize(slash == std::string::npos ? 0 : slash);
        } else if (in == "." || in == "..") {
            in = {};
        } else {
            const size_t next = in.find('/', 1);
            const size_t n = next == std::string_view::npos ? in.size() : next;
            out += in.substr(0, n);
            in.remove_prefix(n);
        }
    }
    return out;
}

// RFC 3986 5.2.3: a relative path joined to the base's.
std::string Merge(const TUrlParts& base, const std::string& path)
{
    if (base.Authority && base.Path.empty()) return "/" + path;
    const size_t slash = base.Path.rfind('/');
    return slash == std::string::npos ? path : base.Path.substr(0, slash + 1) + path;
}

// RFC 3986 5.2.2, the target's parts from the base's and the reference's.
TUrlParts Target(const TUrlParts& base, TUrlParts r)
{
    if (!r.Scheme.empty()) {
        r.Path = RemoveDotSegments(r.Path);
        return r;
    }
    TUrlParts t;
    t.Scheme = base.Scheme;
    t.Fragment = std::move(r.Fragment);
    if (r.Authority) {
        t.Authority = std::move(r.Authority);
        t.Path = RemoveDotSegments(r.Path);
        t.Query = std::move(r.Query);
        return t;
    }
    t.Authority = base.Authority;
    if (r.Path.empty()) {
        t.Path = base.Path;
        t.Query = r.Query ? std::move(r.Query) : base.Query;
    } else {
        t.Path = RemoveDotSegments(r.Path.starts_with('/') ? r.Path : Merge(base, r.Path));
        t.Query = std::move(r.Query);
    }
    return t;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// s begins with "%" and two hex digits.
bool IsEscape(std::string_view s) { return s.size() >= 3 && s[0] == '%' && HexValue(s[1]) >= 0 && HexValue(s[2]) >= 0; }

// The host in lower case (user and password as written), without the
// scheme's default port or an empty one.
std::string CanonicalAuthority(const std::string& scheme, const std::string& authority)
{
    const size_t at = authority.rfind('@');
    const size_t hostBegin = at == std::string::npos ? 0 : at + 1;
    std::string host = authority.substr(hostBegin);
    // Lower case but for the hex digits of escapes, which stay as written.
    for (size_t i = 0; i < host.size(); ++i)
        if (IsEscape(std::string_view(host).substr(i)))
            i += 2;
        else
            host[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(host[i])));
    const std::string defaultPort = scheme == "http" ? ":80" : scheme == "https" ? ":443" : "";
    // "h:80:" and "h:80:80" too: what is written back must read the same.
    for (;;) {
        if (host.ends_with(':'))
            host.pop_back();
        else if (!defaultPort.empty() && host.ends_with(defaultPort))
            host.resize(host.size() - defaultPort.size());
        else
            break;
    }
    return authority.substr(0, hostBegin) + host;
}

// The text with the bytes needs picks as "%XX" escapes.
template <typename TNeeds>
std::string EscapedWhere(std::string_view s, TNeeds needs)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (!needs(u)) {
            out += c;
            continue;
        }
        out += '%';
        out += kHex[u >> 4];
        out += kHex[u & 15];
    }
    return out;
}

// Spaces and control characters as the browser sends them: "%20", "%01".
std::string BlanksEscaped(const std::string& s)
{
    return EscapedWhere(s, [](unsigned char u) { return u <= 0x20 || u == 0x7F; });
}

std::string Composed(const TUrlParts& t, bool withFragment)
{
    std::string out;
    if (!t.Scheme.empty()) out += t.Scheme + ":";
    if (t.Authority) out += "//" + CanonicalAuthority(t.Scheme, *t.Authority);
    if (t.Authority && t.Path.empty() && IsWebScheme(t.Scheme))
        out += "/";
    else if (!t.Authority && t.Path.starts_with("//"))
        out += "/." + t.Path;  // read back, "//" would begin an authority
    else if (t.Scheme.empty() && !t.Authority && SchemeLength(t.Path))
        out += "./" + t.Path;  // and "a:" a scheme
    else
        out += t.Path;
    if (t.Query) out += "?" + *t.Query;
    out = BlanksEscaped(out);
    if (withFragment && t.Fragment) out += "#" + *t.Fragment;
    return out;
}

// The reference's parts, read as the browser reads a reference on a page
// with the base's scheme.
TUrlParts ReferenceParts(std::string_view reference, const std::string& baseScheme)
{
    std::string text = Cleaned(reference);
    const size_t scheme = SchemeLength(text);
    const std::string refScheme = LowerCase(std::string_view(text).substr(0, scheme));
    if (IsWebScheme(scheme ? refScheme : baseScheme)) SlashesForBackslashes(text);
    TUrlParts r = Split(text);
    // "http:g" on an http page: the scheme says nothing the base does not.
    if (!r.Scheme.empty() && r.Scheme == baseScheme && !r.Authority && IsWebScheme(r.Scheme)) r.Scheme.clear();
    return r;
}

}  // namespace

std::string ResolveMovieURL(std::string_view base, std::string_view reference)
{
    if (Trim(base).empty() || Trim(reference).empty()) return {};
    TUrlParts b = ReferenceParts(base, {});
    b.Path = RemoveDotSegments(b.Path);  // a page's own address may hold them too
    return Composed(Target(b, ReferenceParts(reference, b.Scheme)), true);
}

std::string CachedAddress(std::string_view url)
{
    const std::string text = Cleaned(url);
    if (text.empty()) return {};
    TUrlParts p = ReferenceParts(text, {});
    p.Path = RemoveDotSegments(p.Path);
    return Composed(p, false);
}

std::string_view WithoutQuery(std::string_view url)
{
    const size_t end = url.find_first_of("?#");
    return end == std::string_view::npos ? url : url.substr(0, end);
}

std::string UrlHost(std::string_view url)
{
    const TUrlParts p = Split(Cleaned(url));
    if (p.Scheme.empty() || !p.Authority) return {};
    const std::string authority = CanonicalAuthority(p.Scheme, *p.Authority);
    return authority.substr(authority.rfind('@') + 1);
}

std::string MovieAddressKey(std::string_view url) { return CachedAddress(url); }

std::optional<std::string> PercentDecoded(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        if (!IsEscape(s.substr(i))) return std::nullopt;
        out += static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
        i += 2;
    }
    return out;
}

std::string PercentEncoded(std::string_view s, std::string_view also)
{
    return EscapedWhere(s, [&](unsigned char u) {
        return u <= 0x20 || u >= 0x7F || also.find(static_cast<char>(u)) != std::string_view::npos;
    });
}
