#pragma once
// Text rules of the whole-page grab that need no window: which markup names a
// Flash movie, which cached entry holds one, what host and what key an address
// has, the file name a movie is saved under, and the texts the user reads.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct TDownloadOutcome;

// What an EMBED or OBJECT element says about itself in its markup.
struct TMovieMarkup {
    std::string Tag;         // as the browser gives it, any case
    std::string Type;        // the type attribute
    std::string Src;         // EMBED's src
    std::string Data;        // OBJECT's data
    std::string ClassId;     // OBJECT's classid
    std::string MovieParam;  // OBJECT's PARAM named "movie" (or "src")
};

// An element names a movie when it is an EMBED with the Flash type or a
// source ending in ".swf", or an OBJECT with the Flash type, the Flash class id
// or a data or movie parameter ending in ".swf". Its address is the first of
// src, data and the movie parameter that is not empty; an empty address means
// a movie without a source. Nothing for any other element.
std::optional<std::string> MarkupMovieAddress(const TMovieMarkup& m);

// "application/x-shockwave-flash", in any case, parameters after ";" ignored.
bool IsFlashContentType(std::string_view type);
// The path of the address (query and fragment left out) ends in ".swf", any case.
bool PathEndsWithSwf(std::string_view url);
// The value of the Content-Type line of raw response headers; empty without one.
std::string HeaderContentType(std::string_view headers);

// Whether a cache entry holds a movie: its headers or address say so, or say
// it cannot (a type of its own that is not Flash), or only the file's first
// bytes can tell (no type, or a generic binary one).
enum class TCacheVerdict { Movie, NotMovie, LookAtFile };
TCacheVerdict CacheEntryVerdict(std::string_view url, std::string_view headers);

// The server of an absolute address: its host in lower case with the port
// when it is not the scheme's default (another port is another site; a cache
// holding the same host's movies from other ports, as a test server's earlier
// runs leave them, does not count), without user and password; empty when the
// address has no "scheme://host".
std::string UrlHost(std::string_view url);
// The key under which two addresses are the same movie: the address as the
// browser's cache keeps it (CachedAddress).
std::string MovieAddressKey(std::string_view url);

// The file name for a movie's address: its last path segment, with characters
// Windows forbids replaced by "_", trailing dots and spaces dropped, a device
// name (CON, NUL, COM1, ...) given a leading "_", at most maxBytes bytes (never
// cutting a double-byte character of code page 936) and ".swf" added when the
// name does not end in it. "movie.swf" when nothing is left.
std::string SafeMovieFileName(std::string_view url, size_t maxBytes = 100);
// The name the save dialog suggests for a movie's address, in UTF-8 (the
// address is read as UTF-8 too): its last path segment with its %XX escapes
// decoded where they decode to UTF-8 text that makes a valid file name
// ("city%20tour.swf" gives "city tour.swf"), else as written; then made safe as
// SafeMovieFileName makes it, cut at 200 bytes.
std::string SuggestedFileName(std::string_view url);
// The first of name (number 1), "stem (2).ext", "stem (3).ext", ... up to
// MaxFileNumber that taken() lets through, starting at number, which is left
// at the number of the name returned; nothing when every one is taken.
constexpr int MaxFileNumber = 9999;
std::optional<std::string> UniqueFileName(const std::string& name,
                                          const std::function<bool(const std::string&)>& taken, int& number);

// The status line below the list: how many movies, and what could not be read.
std::string GrabStatusText(size_t movies, int deniedFrames, int withoutSource);

// Why a download of the whole-page grab failed, in the user's words; empty
// when it came to its end with every byte of a 2xx answer.
std::string DownloadFailureReason(const TDownloadOutcome& o);

// What the box at the end of a whole-page save says.
struct TGrabSummary {
    int Saved = 0;
    int FromCache = 0;  // of Saved
    std::vector<std::pair<std::string, std::string>> Unsound;  // saved files that are no whole movie (kept): file, problem
    std::vector<std::pair<std::string, std::string>> Failures;  // address, reason
    int NotStarted = 0;  // left when the user cancelled
};
std::string GrabReportText(const TGrabSummary& s);
