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

// Windows drops them from the end of a name, so that "a." and "a" are one file.
void DropTrailingDotsAndSpaces(std::string& name)
{
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
}

// The last path segment of an address, its query and fragment left out.
std::string_view LastSegment(std::string_view url)
{
    std::string_view path = WithoutQuery(Trim(url));
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

// The name cut to at most maxBytes bytes in its stem, ext kept; fallback
// for a stem that is cut to nothing.
std::string CutStem(std::string_view stem, std::string_view ext, size_t maxBytes, TCutAt cutAt, std::string_view fallback)
{
    const size_t room = maxBytes > ext.size() ? maxBytes - ext.size() : 1;
    std::string cut(stem.substr(0, cutAt(stem, room)));
    DropTrailingDotsAndSpaces(cut);
    return (cut.empty() ? std::string(fallback) : cut) + std::string(ext);
}

// SafeMovieFileName's rules, with ".swf" added when the name does not end in
// it and "movie.swf" when nothing is left.
std::string SafeSwfName(std::string_view name, size_t maxBytes, TCutAt cutAt)
{
    std::string safe = WindowsSafeName(name);
    if (safe.empty()) safe = "movie";
    const bool hasExtension = EndsWithNoCase(safe, ".swf");
    const size_t stem = safe.size() - (hasExtension ? 4 : 0);
    return CutStem(std::string_view(safe).substr(0, stem), hasExtension ? std::string_view(safe).substr(stem) : ".swf",
                   maxBytes, cutAt, "movie");
}

}  // namespace

std::string WindowsSafeName(std::string_view name)
{
    std::string safe(name);
    std::replace_if(safe.begin(), safe.end(), ForbiddenInFileName, '_');
    DropTrailingDotsAndSpaces(safe);
    if (IsDeviceName(safe)) safe.insert(0, "_");
    return safe;
}

std::string CutFileName(std::string_view name, size_t maxBytes, TCutAt cutAt, std::string_view fallback)
{
    const size_t dot = name.rfind('.');
    // A name that is mostly what follows its last dot (or begins with its only
    // one, ".htaccess") is cut as a whole.
    const bool hasExtension = dot != std::string_view::npos && dot > 0 && name.size() - dot < maxBytes / 2;
    const size_t stem = hasExtension ? dot : name.size();
    return CutStem(name.substr(0, stem), name.substr(stem), maxBytes, cutAt, fallback);
}

std::string SafeMovieFileName(std::string_view url, size_t maxBytes)
{
    return SafeSwfName(LastSegment(url), maxBytes, CutAtCharacter936);
}

std::string SuggestedFileName(std::string_view url)
{
    const std::string_view segment = LastSegment(url);
    const auto decoded = PercentDecoded(segment);
    const bool useDecoded = decoded && IsUtf8(*decoded) && std::none_of(decoded->begin(), decoded->end(), ForbiddenInFileName);
    return SafeSwfName(useDecoded ? std::string_view(*decoded) : segment, kSuggestedNameMax, CutAtUtf8Character);
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
