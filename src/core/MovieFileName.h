#pragma once
// The file names movies are saved under: made from their addresses, safe for
// Windows, never one already taken.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

// The rules those names share, for the name of any file or folder: characters
// Windows forbids replaced by "_", trailing dots and spaces dropped, a device
// name given a leading "_". Nothing is cut; an empty name stays empty.
std::string WindowsSafeName(std::string_view name);
// A safe name cut to at most maxBytes bytes where cutAt says a character ends
// (CutAtCharacter936, CutAtUtf8Character), its extension kept; fallback
// stands for a stem cut to nothing.
using TCutAt = size_t (*)(std::string_view, size_t);
std::string CutFileName(std::string_view name, size_t maxBytes, TCutAt cutAt, std::string_view fallback);
// The first of name (number 1), "stem (2).ext", "stem (3).ext", ... up to
// MaxFileNumber that taken() lets through, starting at number, which is left
// at the number of the name returned; nothing when every one is taken.
constexpr int MaxFileNumber = 9999;
std::optional<std::string> UniqueFileName(const std::string& name,
                                          const std::function<bool(const std::string&)>& taken, int& number);
