#pragma once
// Which entry of the browser's cache holds a movie, by its address and the
// response headers kept with it.
#include <string>
#include <string_view>

// The value of the Content-Type line of raw response headers; empty without one.
std::string HeaderContentType(std::string_view headers);

// Whether a cache entry holds a movie: its headers or address say so, or say
// it cannot (a type of its own that is not Flash), or only the file's first
// bytes can tell (no type, or a generic binary one).
enum class TCacheVerdict { Movie, NotMovie, LookAtFile };
TCacheVerdict CacheEntryVerdict(std::string_view url, std::string_view headers);
