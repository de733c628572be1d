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
    bool Read = false;     // the movie's tags, a sprite's too, were walked to their End tag or the data's end
    bool Cut = false;      // a bound left something out (nesting, count of references)
    uint64_t MovieBytes = 0;  // uncompressed bytes of the movie scanned, its 8-byte header included
};

// The scan's bounds: references kept (one more sets Cut and ends the
// collecting; the tags are still walked for Read), and sprites within sprites
// (a DefineSprite deeper than this is passed over, and sets Cut).
constexpr size_t MaxMovieReferences = 10000;
constexpr unsigned MaxSpriteNesting = 16;

// The movie uncompressed: its 8-byte header ("FWS", version, length) and body,
// from a plain, zlib (CWS) or LZMA (ZWS) file. The buffer grows with what the
// data decodes to, never by the declared length alone, and stops at maxBytes
// (the header counted, 8 at least; the result is then cut; Cut says so).
// It also stops at the declared length; a plain movie whose declared length is
// shorter than its header and stage runs to the file's end, as players take it.
// A stream that ends or breaks early gives what came out before. The header is
// written anew: "FWS", the version, the length of what came out. Nothing when
// the file is no movie (or a ZWS file shorter than its 17-byte header) or its
// compressed data is broken before anything of the body came out.
struct TExpandedMovie {
    std::vector<uint8_t> Bytes;
    bool Cut = false;
};
constexpr size_t MaxExpandedMovie = 256u << 20;
std::optional<TExpandedMovie> ExpandMovie(std::span<const uint8_t> file, size_t maxBytes = MaxExpandedMovie);

// The references of an uncompressed movie (what ExpandMovie gives): an "FWS"
// header, the stage, then tags up to the data's end (the declared length is
// not read). Tags of no interest are passed over by their length. A tag that
// runs past the data's end is read as far as it goes (Read is then false).
// Strings are read from:
//   DoAction, DoInitAction, DefineButton, DefineButton2 (its condition
//   actions), PlaceObject2/3 (their clip actions; event flags of 2 bytes
//   before SWF 6, 4 from 6); DefineSprite's own tags, to MaxSpriteNesting.
//   Action records are walked one by one to the end of their tag or record
//   (function and with bodies are inline): ActionConstantPool's strings,
//   ActionPush's strings (constant indices point into the pool, read already)
//   and ActionGetURL's address and target.
//   DoABC (82, and the older 72): the string constants of the ABC block.
//   ImportAssets, ImportAssets2: the address.
// Where: the tag's name, after "DefineSprite ID/" for each sprite it is in.
TMovieScan ScanMovieReferences(std::span<const uint8_t> movie);

// The pairs of URL-encoded text ("a=b&c=d", "+" for a space, %XX escapes),
// names and values decoded; a part without "=" is a name with an empty value,
// empty parts are left out, a "%" without two hex digits stays as it is.
std::vector<std::pair<std::string, std::string>> UrlEncodedPairs(std::string_view text);

// The references among the values of FlashVars (and of a movie address's
// query, a leading "?" dropped), kind FlashVars, Where "FlashVars" (or
// "query"): each text once, at most MaxMovieReferences.
std::vector<TMovieReference> FlashVarsReferences(std::string_view flashVars, std::string_view where);

// Whether a string names a file or an address: an address with a web scheme
// (http, https, file), or a relative path whose last segment has a file
// extension. Identifiers, dotted property paths ("_root.menu", "Stage.width"),
// numbers, text with blanks and script schemes (javascript:, mailto:,
// asfunction:, event:, FSCommand:) do not. In detail:
//   - at most 2048 bytes; no blanks, control characters, quotes, "<", ">" or "*";
//   - "http://" or "https://" and a host, or "file:" and more (any case),
//     but for the namespace names of ActionScript 3 and XML, which no one
//     loads (http://adobe.com/AS3/..., http://www.adobe.com/2006/...,
//     http://ns.adobe.com/..., http://www.macromedia.com/2003/...,
//     http://www.w3.org/...); any other scheme is no reference;
//   - else the path (before "?" and "#") ends in a segment "name.ext", ext of
//     1-5 ASCII letters and digits, one letter at least; and the path has a
//     "/" (or "\") in it, or (not beginning with "_root", "_level",
//     "_parent" or "this.") ext is a kind of file movies load: swf, xml,
//     txt, json, jpg, png, gif, mp3, flv, mp4, css, html, php, ... .
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
//   - ActionScript (loadMovie, loadVariables, XML.load, LoadVars, Loader and
//     URLRequest) and FlashVars: the player base is the player's rule;
//   - video played by NetStream (and the FLV playback components), a path
//     ending in .flv, .f4v, .f4p, .f4a, .mp4, .m4v, .m4a, .mov or .3gp, and
//     ImportAssets addresses (the library loads beside the importing movie):
//     the movie's own address is;
//   - an absolute reference gives one target.
// An empty playerBase is a movie playing on its own: its own address is the
// base. Each address is resolved by ResolveMovieURL and kept as CachedAddress
// gives it (no fragment); none when neither base gives one.
std::vector<TReferenceTarget> ReferenceTargets(const TMovieReference& reference, std::string_view playerBase,
                                               std::string_view movieAddress);
