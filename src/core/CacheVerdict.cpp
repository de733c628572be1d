#include "CacheVerdict.h"

#include "MovieMarkup.h"
#include "TextRules.h"

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
