#pragma once
// Text rules of the hit test that need no window: the class-name trim and the
// movie path read out of a "player" element's markup.
#include <optional>
#include <string>
#include <string_view>

// Drops leading and trailing spaces and control characters.
std::string TrimClassName(std::string_view name);

// The movie path of a "player" element, or nothing when its markup is empty or
// names no ".swf" (the element then goes on to the Flash object test). The path
// starts five characters after the first "src=" (the attribute and the quote
// assumed to follow it; at the fifth character when there is no "src=") and
// runs up to and including the first ".swf" after that start (the first three
// characters when there is none). An unquoted value loses its first character.
std::optional<std::string> PlayerMoviePath(std::string_view outerHTML);
