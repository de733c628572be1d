#include "MovieFileName.h"

#include "MovieUrl.h"
#include "TextRules.h"

#include <algorithm>
#include <array>

namespace {

// Room for a suggested name: Windows takes 255 characters in a name, and a
// folder is put before it.
constexpr size_t kSuggestedNameMax = 200;

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

std::string SafeMovieFileName(std::string_view url, size_t maxBytes)
{
    return SafeFileName(std::string(LastSegment(url)), maxBytes, CutAtCharacter936);
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
