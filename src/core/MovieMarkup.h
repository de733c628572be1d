#pragma once
// Which markup names a Flash movie, read from an EMBED's or OBJECT's attributes
// without the control's help.
#include <optional>
#include <string>
#include <string_view>

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
