#pragma once
// Rules of the retrieval layer that need no window and no network: URL part
// normalisation, the cache filter, the received-text rewrite, number and path
// parsing, and the date-time encoding of cache entry times.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// 1-based position of the last ch in s, scanning from the end; 0 when s is
// empty or holds no ch. Byte-wise: the characters looked for ('/', '.') never
// occur as the second byte of a code page 936 character.
int LastCharPos(char ch, std::string_view s);

// The URL path marked as a directory when its last segment has no dot:
// "/a/b" gives "/a/b/", "/a/b/page.htm" and "/a/b/" stay, "" gives "/".
std::string NormalizeUrlPath(std::string_view path);

// The last two labels of a host name without the last one's dot: "p.q.r" and
// "o.p.q.r" give "q.r", "q.r" gives "q". A host without a dot, or whose only
// dot is its first character, gives previous.
std::string HostDomainOf(std::string_view host, std::string_view previous);

// Received text with every "<br>" (exact case) turned into CR LF.
std::string ReplaceBreakTags(std::string_view text);

// ---------------------------------------------------------------- URL cache filter

// In this order; the ordinal is the bit in TFilterOptions.
enum class TFilterOption : uint8_t {
    NORMAL_ENTRY,
    STABLE_ENTRY,
    STICKY_ENTRY,
    COOKIE_ENTRY,
    URLHISTORY_ENTRY,
    TRACK_OFFLINE_ENTRY,
    TRACK_ONLINE_ENTRY,
    SPARSE_ENTRY,
    OCX_ENTRY,
};
constexpr int FilterOptionCount = 9;

// A set of TFilterOption: bit i stands for the member with ordinal i.
using TFilterOptions = uint16_t;
constexpr TFilterOptions FilterOptionBit(TFilterOption o) { return static_cast<TFilterOptions>(1u << static_cast<unsigned>(o)); }

// The WinInet cache-entry type flag a member stands for.
uint32_t CacheEntryFlag(TFilterOption o);
// The sum of the flags of the set's members.
uint32_t FilterMaskOf(TFilterOptions options);
// The filter applied by our own code when WinInet enumerates without one: an
// entry is taken when its type shares at least one flag with the mask.
constexpr bool EntryTypeMatches(uint32_t entryType, uint32_t mask) { return (entryType & mask) != 0; }

enum class TSearchPattern : uint8_t { spAll, spCookies, spHistory, spUrl };
// The pattern handed to WinInet: null for spAll (every entry), "" for spUrl.
const char* SearchPatternText(TSearchPattern pattern);

// ---------------------------------------------------------------- numbers and times

// A decimal integer as header values and status codes carry it: leading blanks,
// an optional sign, digits and nothing else, within 32 bits.
std::optional<int32_t> ParseDecimal(std::string_view text);

// Days since 30 December 1899 with the time of day as the fraction. Before that
// day the fraction is subtracted (-1.25 is 29 December 1899, 06:00), as the
// framework's date-time convention has it. Nothing for an impossible date.
std::optional<double> EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                                     int millisecond);

// ---------------------------------------------------------------- file paths

// The directory part of a path in code page 936, up to and including its last
// path delimiter ('\\', '/' or a drive's ':'); empty when it has none. The
// second byte of a double-byte character is never taken for a delimiter.
std::string DirectoryPart(std::string_view path);

// The directories that make up a directory part, outermost first, each without
// its trailing delimiter: "C:\\a\\b\\" gives "C:\\a", "C:\\a\\b". Drive roots
// and the server and share of a UNC path are not listed: they cannot be made.
std::vector<std::string> DirectoryChain(std::string_view directory);
