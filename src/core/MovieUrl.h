#pragma once
// How the program reads a movie's address the way the browser does: one
// resolver for the single save, the whole-page grab and the frame follow-up,
// after RFC 3986 section 5 with the browser's own leniencies.
#include <optional>
#include <string>
#include <string_view>

// The absolute address a reference written in a page stands for, against the
// page's base (its first BASE element's href, else its own address). Empty when
// either is empty.
//
// As the browser reads them: white space around the reference is dropped and
// tabs and line breaks inside it are taken out; in http and https addresses a
// "\" before the query counts as "/"; "http:g" on an http page is relative
// (the RFC's compatible reading). Dot segments are removed from the path only;
// query and fragment stay as written. The result is in the form the browser
// keeps addresses in: scheme and host in lower case, the scheme's default port
// dropped, an empty path written "/", spaces and control characters before
// the fragment escaped ("%20").
std::string ResolveMovieURL(std::string_view base, std::string_view reference);

// An absolute address in the browser's form without its fragment: what its
// cache keeps the file under and what a server is asked for.
std::string CachedAddress(std::string_view url);

// The text with its %XX escapes decoded; nothing when a "%" is not followed by
// two hex digits.
std::optional<std::string> PercentDecoded(std::string_view s);

// The text with spaces, control characters, bytes above "~" and those in also
// as %XX escapes: a name or a value as an address or a query may hold it.
std::string PercentEncoded(std::string_view s, std::string_view also);

// The address without its query and fragment.
std::string_view WithoutQuery(std::string_view url);

// The server of an absolute address: its host in lower case with the port
// when it is not the scheme's default (another port is another site; a cache
// holding the same host's movies from other ports, as a test server's earlier
// runs leave them, does not count), without user and password; empty when the
// address has no "scheme://host".
std::string UrlHost(std::string_view url);
// The key under which two addresses are the same movie: the address as the
// browser's cache keeps it (CachedAddress).
std::string MovieAddressKey(std::string_view url);
