// libFuzzer target for the reference scan (built and run by scripts/fuzz.sh).
// The input is read three ways: as an uncompressed movie for the scan, as a
// file for ExpandMovie (then its result scanned too), and as FlashVars text.
// Beyond not crashing under the sanitizers: every reference looks like one,
// appears once and is text of the input itself (the scan copies, it never
// makes up); the bounds hold; the expanded movie's header tells its length,
// and a plain file expands to its own start; a cut of the input finds no
// reference the whole does not.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "MovieReferences.h"

namespace {

void Require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "movie references fuzz: %s\n", what);
        std::abort();
    }
}

constexpr size_t MaxExpanded = 1u << 20;

std::set<std::string> Check(const TMovieScan& scan, std::span<const std::uint8_t> movie)
{
    const std::string_view text(reinterpret_cast<const char*>(movie.data()), movie.size());
    Require(scan.MovieBytes == movie.size(), "movie bytes miscounted");
    Require(scan.References.size() <= MaxMovieReferences, "more references than the bound");
    Require(!scan.Read || (movie.size() > 8 && movie[0] == 'F'), "read what is no plain movie");
    std::set<std::string> texts;
    for (const TMovieReference& r : scan.References) {
        Require(LooksLikeReference(r.Text), "a reference that does not look like one");
        Require(texts.insert(r.Text).second, "a reference twice");
        Require(text.find(r.Text) != std::string_view::npos, "a reference that is not in the movie");
        const bool imported = r.Where.ends_with("ImportAssets") || r.Where.ends_with("ImportAssets2");
        Require((r.Kind == TReferenceKind::Abc) == r.Where.ends_with("DoABC"), "an ABC string elsewhere");
        Require((r.Kind == TReferenceKind::ImportedAssets) == imported, "an import elsewhere");
        Require(r.Kind != TReferenceKind::FlashVars, "FlashVars in a movie");
        for (const TReferenceTarget& t :
             ReferenceTargets(r, "http://site.example/games/page.html", "http://cdn.example/swf/m.swf")) {
            Require(!t.Address.empty() && t.Address.find('#') == std::string::npos, "a target with a fragment");
        }
    }
    return texts;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    const std::set<std::string> whole = Check(ScanMovieReferences(input), input);

    // A cut finds nothing the whole does not: strings end where their record says.
    const TMovieScan half = ScanMovieReferences(input.first(size / 2));
    const std::set<std::string> found = Check(half, input.first(size / 2));
    if (whole.size() < MaxMovieReferences)
        for (const std::string& s : found) Require(whole.contains(s), "a cut found what the whole did not");

    if (const auto m = ExpandMovie(input, MaxExpanded)) {
        const std::vector<std::uint8_t>& b = m->Bytes;
        Require(b.size() >= 8 && b.size() <= MaxExpanded, "expanded past the bound");
        Require(b[0] == 'F' && b[1] == 'W' && b[2] == 'S' && b[3] == data[3], "the header is not plain");
        Require((b[4] | b[5] << 8 | b[6] << 16 | std::uint32_t{b[7]} << 24) == b.size(), "the length is not the size");
        Require(!m->Cut || b.size() == MaxExpanded, "cut below the bound");
        if (data[0] == 'F') Require(std::equal(b.begin() + 8, b.end(), data + 8), "a plain movie changed");
        Check(ScanMovieReferences(b), b);
    } else {
        Require(size < 8 || data[0] != 'F' || data[1] != 'W' || data[2] != 'S', "a plain movie gave nothing");
    }

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::set<std::string> vars;
    for (const TMovieReference& r : FlashVarsReferences(text, "FlashVars")) {
        Require(LooksLikeReference(r.Text), "a FlashVars value that does not look like a reference");
        Require(vars.insert(r.Text).second, "a FlashVars value twice");
        Require(r.Kind == TReferenceKind::FlashVars && r.Where == "FlashVars", "FlashVars mislabelled");
    }
    return 0;
}
