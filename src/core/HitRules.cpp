#include "HitRules.h"

#include "TextRules.h"

std::string TrimClassName(std::string_view name) { return std::string(Trim(name)); }

std::optional<std::string> PlayerMoviePath(std::string_view s)
{
    if (s.empty() || s.find(".swf") == std::string_view::npos) return std::nullopt;
    // 0-based: "src=" at i means the path starts at i + 5; absent, at 4.
    const size_t src = s.find("src=");
    const size_t start = src == std::string_view::npos ? 4 : src + 5;
    const std::string_view rest = start < s.size() ? s.substr(start) : std::string_view{};
    const size_t swf = rest.find(".swf");
    const size_t length = swf == std::string_view::npos ? 3 : swf + 4;
    return std::string(rest.substr(0, length));
}
