#include "GrabRules.h"

#include "MovieUrl.h"
#include "SaveReport.h"

#include <algorithm>
#include <array>

namespace {

// Room for a suggested name: Windows takes 255 characters in a name, and a
// folder is put before it.
constexpr size_t kSuggestedNameMax = 200;

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCase(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

std::string_view Trim(std::string_view s)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

bool EndsWithNoCase(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && LowerCase(s.substr(s.size() - tail.size())) == tail;
}

std::string_view WithoutQuery(std::string_view url)
{
    const size_t end = url.find_first_of("?#");
    return end == std::string_view::npos ? url : url.substr(0, end);
}

// The Flash control's class id, with or without "clsid:" and braces.
bool IsFlashClassId(std::string_view classId)
{
    std::string id = LowerCase(Trim(classId));
    std::erase_if(id, [](char c) { return c == '{' || c == '}'; });
    if (id.starts_with("clsid:")) id.erase(0, 6);
    return id == "d27cdb6e-ae6d-11cf-96b8-444553540000";
}

// Scheme end and authority range of an absolute address, when it has them.
struct TAuthority {
    size_t begin = 0, end = 0;
};
std::optional<TAuthority> AuthorityOf(std::string_view url)
{
    const size_t scheme = url.find("://");
    if (scheme == std::string_view::npos || scheme == 0) return std::nullopt;
    const size_t begin = scheme + 3;
    size_t end = url.find_first_of("/?#", begin);
    if (end == std::string_view::npos) end = url.size();
    return TAuthority{begin, end};
}

bool IsLeadByte936(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Length of the longest prefix of s of at most max bytes that ends on a character boundary.
size_t CutAtCharacter(std::string_view s, size_t max)
{
    size_t i = 0;
    while (i < s.size()) {
        const size_t step = IsLeadByte936(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
        if (i + step > max) break;
        i += step;
    }
    return i;
}

bool IsDeviceName(std::string_view name)
{
    const std::string stem = LowerCase(name.substr(0, name.find('.')));
    static const std::array<const char*, 4> plain{"con", "prn", "aux", "nul"};
    if (std::find(plain.begin(), plain.end(), stem) != plain.end()) return true;
    return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' &&
           stem[3] <= '9';
}

bool ForbiddenInFileName(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || std::string_view("<>:\"/\\|?*").find(c) != std::string_view::npos;
}

// The last path segment of an address, its query and fragment left out.
std::string_view LastSegment(std::string_view url)
{
    std::string_view path = WithoutQuery(Trim(url));
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The text with its %XX escapes decoded; nothing when one is not two hex digits.
std::optional<std::string> PercentDecoded(std::string_view s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '%') {
            out += s[i];
            continue;
        }
        const int high = i + 2 < s.size() ? HexValue(s[i + 1]) : -1, low = high < 0 ? -1 : HexValue(s[i + 2]);
        if (low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// Well-formed UTF-8: no stray continuation byte, no sequence cut short, no
// overlong form of an ASCII character.
bool IsUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const size_t length = c < 0x80 ? 1 : c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
        if (length == 0 || i + length > s.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if (!IsContinuationByte(static_cast<unsigned char>(s[i + k]))) return false;
        i += length;
    }
    return true;
}

size_t CutAtUtf8Character(std::string_view s, size_t max)
{
    if (s.size() <= max) return s.size();
    size_t cut = max;
    while (cut > 0 && IsContinuationByte(static_cast<unsigned char>(s[cut]))) --cut;
    return cut;
}

// A file name Windows takes: forbidden characters replaced by "_", trailing
// dots and spaces dropped, a device name given a leading "_", at most maxBytes
// bytes (cut where cut says a character ends) and ".swf" added when the name
// does not end in it; "movie.swf" when nothing is left.
std::string SafeFileName(std::string name, size_t maxBytes, size_t (*cutAt)(std::string_view, size_t))
{
    std::replace_if(name.begin(), name.end(), ForbiddenInFileName, '_');
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (name.empty()) name = "movie";
    if (IsDeviceName(name)) name.insert(0, "_");
    const bool hasExtension = EndsWithNoCase(name, ".swf");
    const std::string_view stem = std::string_view(name).substr(0, name.size() - (hasExtension ? 4 : 0));
    const size_t room = maxBytes > 4 ? maxBytes - 4 : 1;
    std::string cut(stem.substr(0, cutAt(stem, room)));
    while (!cut.empty() && (cut.back() == '.' || cut.back() == ' ')) cut.pop_back();
    if (cut.empty()) cut = "movie";
    return cut + (hasExtension ? name.substr(name.size() - 4) : std::string(".swf"));
}

}  // namespace

std::optional<std::string> MarkupMovieAddress(const TMovieMarkup& m)
{
    const std::string tag = LowerCase(Trim(m.Tag));
    const bool flashType = IsFlashContentType(m.Type);
    bool movie = false;
    if (tag == "embed")
        movie = flashType || PathEndsWithSwf(Trim(m.Src));
    else if (tag == "object")
        movie = flashType || IsFlashClassId(m.ClassId) || PathEndsWithSwf(Trim(m.Data)) ||
                PathEndsWithSwf(Trim(m.MovieParam));
    if (!movie) return std::nullopt;
    for (const std::string* address : {&m.Src, &m.Data, &m.MovieParam}) {
        const std::string_view a = Trim(*address);
        if (!a.empty()) return std::string(a);
    }
    return std::string();
}

bool IsFlashContentType(std::string_view type)
{
    const size_t semicolon = type.find(';');
    if (semicolon != std::string_view::npos) type = type.substr(0, semicolon);
    return LowerCase(Trim(type)) == "application/x-shockwave-flash";
}

bool PathEndsWithSwf(std::string_view url) { return EndsWithNoCase(WithoutQuery(url), ".swf"); }

std::string HeaderContentType(std::string_view headers)
{
    size_t start = 0;
    while (start < headers.size()) {
        size_t end = headers.find('\n', start);
        if (end == std::string_view::npos) end = headers.size();
        const std::string_view line = headers.substr(start, end - start);
        const size_t colon = line.find(':');
        if (colon != std::string_view::npos && LowerCase(Trim(line.substr(0, colon))) == "content-type")
            return std::string(Trim(line.substr(colon + 1)));
        start = end + 1;
    }
    return {};
}

TCacheVerdict CacheEntryVerdict(std::string_view url, std::string_view headers)
{
    const std::string type = HeaderContentType(headers);
    if (IsFlashContentType(type) || PathEndsWithSwf(url)) return TCacheVerdict::Movie;
    const std::string bare = LowerCase(Trim(type.substr(0, type.find(';'))));
    if (bare.empty() || bare == "application/octet-stream" || bare == "text/plain") return TCacheVerdict::LookAtFile;
    return TCacheVerdict::NotMovie;
}

std::string UrlHost(std::string_view url)
{
    const auto a = AuthorityOf(url);
    if (!a) return {};
    std::string_view host = url.substr(a->begin, a->end - a->begin);
    const size_t at = host.rfind('@');
    if (at != std::string_view::npos) host.remove_prefix(at + 1);
    std::string server = LowerCase(host);
    const std::string scheme = LowerCase(url.substr(0, a->begin));
    if (scheme == "http://" && server.ends_with(":80")) server.resize(server.size() - 3);
    if (scheme == "https://" && server.ends_with(":443")) server.resize(server.size() - 4);
    return server;
}

std::string MovieAddressKey(std::string_view url) { return CachedAddress(url); }

std::string SafeMovieFileName(std::string_view url, size_t maxBytes)
{
    return SafeFileName(std::string(LastSegment(url)), maxBytes, CutAtCharacter);
}

std::string SuggestedFileName(std::string_view url)
{
    const std::string_view segment = LastSegment(url);
    const auto decoded = PercentDecoded(segment);
    const bool useDecoded = decoded && IsUtf8(*decoded) && std::none_of(decoded->begin(), decoded->end(), ForbiddenInFileName);
    return SafeFileName(useDecoded ? *decoded : std::string(segment), kSuggestedNameMax, CutAtUtf8Character);
}

std::optional<std::string> UniqueFileName(const std::string& name,
                                          const std::function<bool(const std::string&)>& taken, int& number)
{
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string ext = dot == std::string::npos ? std::string() : name.substr(dot);
    for (number = std::max(number, 1); number <= MaxFileNumber; ++number) {
        std::string candidate = number == 1 ? name : stem + " (" + std::to_string(number) + ")" + ext;
        if (!taken(candidate)) return candidate;
    }
    return std::nullopt;
}

std::string GrabStatusText(size_t movies, int deniedFrames, int withoutSource)
{
    std::string text = "找到 " + std::to_string(movies) + " 个Flash";
    if (deniedFrames > 0) text += "，" + std::to_string(deniedFrames) + " 个框架无法读取";
    if (withoutSource > 0) text += "，" + std::to_string(withoutSource) + " 个Flash元素没有地址";
    return text;
}

std::string DownloadFailureReason(const TDownloadOutcome& o)
{
    const bool success = o.Status >= 200 && o.Status < 300;
    switch (o.End) {
    case TDownloadEnd::EndOfData:
        if (!success) return "服务器回答 " + std::to_string(o.Status);
        if (!DownloadComplete(o))
            return "只收到 " + std::to_string(o.Received) + " / " + std::to_string(o.ContentLength) + " 字节";
        return {};
    case TDownloadEnd::Unreachable: return "无法连接服务器";
    case TDownloadEnd::Refused: return "服务器拒绝了用户名和密码";
    case TDownloadEnd::NoContentType: return "服务器的回答没有内容类型";
    case TDownloadEnd::ReadFailed: return "下载中断";
    case TDownloadEnd::Stopped: return "下载被停止";
    case TDownloadEnd::BadAnswer: return "服务器的回答无法识别";
    case TDownloadEnd::FileError: return "无法写入文件";
    case TDownloadEnd::Running: break;
    }
    return "下载没有结束";
}

std::string GrabReportText(const TGrabSummary& s)
{
    std::string text = "已保存 " + std::to_string(s.Saved) + " 个Flash文件";
    if (s.FromCache > 0) text += "（其中 " + std::to_string(s.FromCache) + " 个来自缓存）";
    text += "。";
    for (const auto& [file, problem] : s.Unsound) text += "\r\n" + file + "（已保留）：" + problem;
    if (!s.Failures.empty()) text += "\r\n" + std::to_string(s.Failures.size()) + " 个没有保存：";
    for (const auto& [address, reason] : s.Failures) text += "\r\n" + address + "：" + reason;
    if (s.NotStarted > 0) text += "\r\n已取消，" + std::to_string(s.NotStarted) + " 个没有保存。";
    return text;
}
