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

size_t Utf8CharacterLength(std::string_view s, size_t at)
{
    const auto byte = [&](size_t k) { return at + k < s.size() ? static_cast<unsigned char>(s[at + k]) : 0; };
    if (at >= s.size()) return 0;
    const unsigned char c = byte(0);
    if (c < 0x80) return 1;
    const size_t length = c >= 0xC2 && c < 0xE0 ? 2 : c >= 0xE0 && c < 0xF0 ? 3 : c >= 0xF0 && c < 0xF5 ? 4 : 0;
    if (length == 0) return 0;
    // The second byte's range is narrower after E0 (overlong), ED (surrogates),
    // F0 (overlong) and F4 (beyond U+10FFFF).
    const unsigned char low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    if (byte(1) < low || byte(1) > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if ((byte(k) & 0xC0) != 0x80) return 0;
    return length;
}

bool IsUtf8(std::string_view s)
{
    for (size_t i = 0; i < s.size();) {
        const size_t length = Utf8CharacterLength(s, i);
        if (length == 0) return false;
        i += length;
    }
    return true;
}

size_t CutAtUtf8Character(std::string_view s, size_t maxBytes)
{
    if (s.size() <= maxBytes) return s.size();
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    return cut;
}
