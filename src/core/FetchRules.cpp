#include "FetchRules.h"

#include "TextRules.h"

#include <array>
#include <cstdlib>

int LastCharPos(char ch, std::string_view s)
{
    for (size_t i = s.size(); i > 0; --i)
        if (s[i - 1] == ch) return static_cast<int>(i);
    return 0;
}

std::string NormalizeUrlPath(std::string_view path)
{
    std::string p(path);
    const int k = LastCharPos('/', p);
    if (k > 0 && static_cast<size_t>(k) < p.size() && p.find('.', static_cast<size_t>(k)) == std::string::npos)
        p += '/';
    return p.empty() ? std::string("/") : p;
}

std::string HostDomainOf(std::string_view host, std::string_view previous)
{
    const int c = LastCharPos('.', host);
    if (c <= 1) return std::string(previous);
    const std::string_view head = host.substr(0, static_cast<size_t>(c - 1));
    const int d = LastCharPos('.', head);
    return std::string(d > 0 ? host.substr(static_cast<size_t>(d)) : head);
}

std::string ReplaceBreakTags(std::string_view text)
{
    static constexpr std::string_view tag = "<br>";
    std::string out;
    out.reserve(text.size());
    size_t from = 0;
    for (size_t at; (at = text.find(tag, from)) != std::string_view::npos; from = at + tag.size()) {
        out.append(text.substr(from, at - from));
        out += "\r\n";
    }
    out.append(text.substr(from));
    return out;
}

uint32_t CacheEntryFlag(TFilterOption o)
{
    static constexpr std::array<uint32_t, FilterOptionCount> flags = {
        0x00000001,  // NORMAL_CACHE_ENTRY
        0x00000002,  // STABLE_CACHE_ENTRY
        0x00000004,  // STICKY_CACHE_ENTRY
        0x00100000,  // COOKIE_CACHE_ENTRY
        0x00200000,  // URLHISTORY_CACHE_ENTRY
        0x00000010,  // TRACK_OFFLINE_CACHE_ENTRY
        0x00000020,  // TRACK_ONLINE_CACHE_ENTRY
        0x00010000,  // SPARSE_CACHE_ENTRY
        0x00020000,  // OCX_CACHE_ENTRY
    };
    const auto i = static_cast<size_t>(o);
    return i < flags.size() ? flags[i] : 0;
}

uint32_t FilterMaskOf(TFilterOptions options)
{
    uint32_t mask = 0;
    for (int i = 0; i < FilterOptionCount; ++i) {
        const auto o = static_cast<TFilterOption>(i);
        if (options & FilterOptionBit(o)) mask += CacheEntryFlag(o);
    }
    return mask;
}

const char* SearchPatternText(TSearchPattern pattern)
{
    switch (pattern) {
    case TSearchPattern::spCookies: return "Cookie:";
    case TSearchPattern::spHistory: return "Visited:";
    case TSearchPattern::spUrl: return "";
    case TSearchPattern::spAll: break;
    }
    return nullptr;
}

std::optional<int32_t> ParseDecimal(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return std::nullopt;
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
    return static_cast<int32_t>(value);
}

namespace {
// Days from 1 January 1970 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool LeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
}  // namespace

std::optional<double> EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                     int millisecond)
{
    static constexpr int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
    const int last = monthDays[month - 1] + (month == 2 && LeapYear(year) ? 1 : 0);
    if (day > last) return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return std::nullopt;
    // 30 December 1899 is day 0.
    const int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                         DaysFromCivil(1899, 12, 30);
    const double time = ((hour * 60.0 + minute) * 60.0 + second + millisecond / 1000.0) / 86400.0;
    const auto whole = static_cast<double>(days);
    return days >= 0 ? whole + time : whole - time;
}

namespace {
bool IsDelimiter(char c) { return c == '\\' || c == '/'; }

// Positions of the path delimiters, skipping the second byte of every
// double-byte character.
std::vector<size_t> DelimiterPositions(std::string_view path, bool withDrive)
{
    std::vector<size_t> at;
    for (size_t i = 0; i < path.size(); ++i) {
        if (IsLeadByte936(static_cast<unsigned char>(path[i]))) {
            ++i;
            continue;
        }
        if (IsDelimiter(path[i]) || (withDrive && path[i] == ':')) at.push_back(i);
    }
    return at;
}
}  // namespace

std::string DirectoryPart(std::string_view path)
{
    const std::vector<size_t> at = DelimiterPositions(path, true);
    return at.empty() ? std::string() : std::string(path.substr(0, at.back() + 1));
}

std::vector<std::string> DirectoryChain(std::string_view dir)
{
    const std::vector<size_t> at = DelimiterPositions(dir, false);
    // Length of the part that cannot be created: a drive, a UNC server and share, a root.
    size_t fixed = 0;
    if (dir.size() >= 2 && IsDelimiter(dir[0]) && IsDelimiter(dir[1])) {
        // \\server\share\ : everything up to the delimiter after the share.
        fixed = at.size() >= 4 ? at[3] + 1 : dir.size();
    } else if (dir.size() >= 2 && dir[1] == ':' && !IsLeadByte936(static_cast<unsigned char>(dir[0]))) {
        fixed = dir.size() >= 3 && IsDelimiter(dir[2]) ? 3 : 2;
    } else if (!dir.empty() && IsDelimiter(dir[0])) {
        fixed = 1;
    }
    std::vector<std::string> chain;
    size_t begin = fixed;  // start of the current name
    auto add = [&](size_t end) {
        if (end > begin) chain.emplace_back(dir.substr(0, end));
    };
    for (size_t p : at) {
        if (p < fixed) continue;
        add(p);
        begin = p + 1;
    }
    add(dir.size());
    return chain;
}
