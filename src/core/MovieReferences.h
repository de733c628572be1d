#pragma once
// What a movie may load while it plays, read from the movie itself as a player
// reads it: the strings of its action code (ActionScript 1/2: the constant
// pools and pushed strings of frame, init, button and clip actions, inside
// sprites too; ActionScript 3: the string constants of each ABC block), the
// addresses of the assets it imports, and the page's FlashVars. A string
// counts when it names a file or an address; it is resolved as the player
// resolves it.
//
// Everything is bounded by the input: nothing is allocated from a length read
// from the file, and the scan's work grows with the movie's own size.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Where a reference was seen.
enum class TReferenceKind : uint8_t {
    Action,         // ActionScript 1/2: a constant pool entry or a pushed string
    Abc,            // ActionScript 3: a string constant
    ImportedAssets, // the address an ImportAssets tag loads its assets from
    FlashVars,      // a value of the page's FlashVars, or of the movie address's query
};

struct TMovieReference {
    std::string Text;     // as the movie (or the page) gives it
    TReferenceKind Kind = TReferenceKind::Action;
    std::string Where;    // the tag it was seen in, for the record: "DoAction", "DefineSprite 3/DoAction", ...
};

struct TMovieScan {
    std::vector<TMovieReference> References;  // each text once, in the order first seen
    bool Read = false;     // the movie could be decompressed and its tags walked to their end
    bool Cut = false;      // a bound stopped the scan early (size, nesting, count of strings)
    uint64_t MovieBytes = 0;  // uncompressed bytes of the movie scanned, its 8-byte header included
};

// The movie uncompressed: its 8-byte header ("FWS", version, length) and body,
// from a plain, zlib (CWS) or LZMA (ZWS) file. The buffer grows with what the
// data decodes to, never by the declared length alone, and stops at maxBytes
// (the result is then cut; Cut says so). Nothing when the file is no movie or
// its compressed data is broken before anything of the body came out.
struct TExpandedMovie {
    std::vector<uint8_t> Bytes;
    bool Cut = false;
};
constexpr size_t MaxExpandedMovie = 256u << 20;
std::optional<TExpandedMovie> ExpandMovie(std::span<const uint8_t> file, size_t maxBytes = MaxExpandedMovie);

// The references of an uncompressed movie (what ExpandMovie gives).
TMovieScan ScanMovieReferences(std::span<const uint8_t> movie);

// The pairs of URL-encoded text ("a=b&c=d", "+" for a space, %XX escapes),
// names and values decoded; a part without "=" is a name with an empty value.
std::vector<std::pair<std::string, std::string>> UrlEncodedPairs(std::string_view text);

// The references among the values of FlashVars (and of a movie address's
// query), kind FlashVars, Where "FlashVars" (or "query").
std::vector<TMovieReference> FlashVarsReferences(std::string_view flashVars, std::string_view where);

// Whether a string names a file or an address: an address with a web scheme
// (http, https, file), or a relative path whose last segment has a file
// extension. Identifiers, dotted property paths ("_root.menu", "Stage.width"),
// numbers, text with blanks and script schemes (javascript:, mailto:,
// asfunction:, event:, FSCommand:) do not.
bool LooksLikeReference(std::string_view s);

// An absolute address a reference may stand for, in the order they are tried.
struct TReferenceTarget {
    std::string Address;     // absolute, as the browser's cache keeps it (CachedAddress)
    bool PlayerRule = true;  // the address the player asks for; false: a second reading, taken only from the cache
};

// How the player resolves a reference: against the base the page gives the
// movie (its "base" PARAM resolved against the page, else the page's own
// base), except for the kinds it resolves against the movie's own address.
// The other reading follows as a second target when it differs.
std::vector<TReferenceTarget> ReferenceTargets(const TMovieReference& reference, std::string_view playerBase,
                                               std::string_view movieAddress);
