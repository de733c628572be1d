#include "HitRules.h"

std::string TrimClassName(std::string_view name)
{
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    size_t begin = 0, end = name.size();
    while (begin < end && blank(name[begin])) ++begin;
    while (end > begin && blank(name[end - 1])) --end;
    return std::string(name.substr(begin, end - begin));
}

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
