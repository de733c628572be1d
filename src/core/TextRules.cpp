#include "TextRules.h"

#include <algorithm>

std::string LowerCase(std::string_view s)
{
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
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

bool IsLeadByte936(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

size_t CutAtCharacter936(std::string_view s, size_t maxBytes)
{
    size_t end = 0;
    while (end < s.size()) {
        const size_t width = IsLeadByte936(static_cast<unsigned char>(s[end])) && end + 1 < s.size() ? 2 : 1;
        if (end + width > maxBytes) break;
        end += width;
    }
    return end;
}
