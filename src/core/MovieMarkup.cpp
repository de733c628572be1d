#include "MovieMarkup.h"

#include "MovieUrl.h"
#include "TextRules.h"

namespace {

// The Flash control's class id, with or without "clsid:" and braces.
bool IsFlashClassId(std::string_view classId)
{
    std::string id = LowerCase(Trim(classId));
    std::erase_if(id, [](char c) { return c == '{' || c == '}'; });
    if (id.starts_with("clsid:")) id.erase(0, 6);
    return id == "d27cdb6e-ae6d-11cf-96b8-444553540000";
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
