#include "MovieReferences.h"
#include "MovieMaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>

namespace {

using Bytes = std::vector<uint8_t>;
using Kind = TReferenceKind;

struct TExpected {
    std::string Text;
    TReferenceKind Kind;
    std::string Where;
    bool operator==(const TExpected&) const = default;
};

std::ostream& operator<<(std::ostream& out, const TExpected& e)
{
    return out << "{\"" << e.Text << "\", " << static_cast<int>(e.Kind) << ", \"" << e.Where << "\"}";
}

std::vector<TExpected> Found(const TMovieScan& scan)
{
    std::vector<TExpected> out;
    for (const TMovieReference& r : scan.References) out.push_back({r.Text, r.Kind, r.Where});
    return out;
}

Bytes Movie(std::span<const uint8_t> tags, char signature = 'F', uint8_t version = 10)
{
    TMovieRecipe recipe;
    recipe.Signature = signature;
    recipe.Version = version;
    return MakeMovie(recipe, tags);
}

TMovieScan Scan(const Bytes& movie) { return ScanMovieReferences(movie); }

Bytes Push(std::initializer_list<std::string> strings) { return PushStringsAction(strings); }

// One tag of each kind the scan reads, each holding references and strings that are none.
Bytes EveryKindTags(uint8_t version)
{
    return Joined({
        SwfTag(69, std::vector<uint8_t>{0x08, 0, 0, 0}),  // FileAttributes
        ImportAssetsTag("lib/shared.swf"),
        ImportAssetsTag("fonts.swf", true),
        DoActionTag(Joined({
            ConstantPoolAction({"gotoAndPlay", "config/settings.xml", "_root.menu", "Stage.width", "3.14"}),
            PushOtherValuesAction(1),
            Push({"intro.swf", "menu", "http://cdn.example.com/a.mp3", "javascript:go()"}),
            GetUrlAction("pages/next.html", "_blank"),
            DefineFunctionAction("load", Push({"inside/function.txt"})),
            ActionRecord(0x07),  // stop
        })),
        DoInitActionTag(3, Push({"init.xml"})),
        DefineSpriteTag(3, Joined({
                               DoActionTag(Push({"sprite/a.jpg"})),
                               PlaceObject2Tag(version, 1, {{0x01, Push({"clip/load.txt"})}}),
                               DefineSpriteTag(4, DoActionTag(Push({"deeper.png"}))),
                           })),
        DefineButtonTag(5, GetUrlAction("button1.html", "")),
        DefineButton2Tag(6, {Push({"over.mp3"}), GetUrlAction("press/target.php?x=1", "_self")}),
        PlaceObject2Tag(version, 2,
                        {{0x02, Push({"enter.swf"})}, {ClipEventKeyPressFlag | 0x04, Push({"key.swf"}), 13}}),
        PlaceObject3Tag(version, 3, {{0x01, Push({"po3/clip.xml"})}}),
        SwfTag(36, MovieBody(3000)),  // a bitmap's worth of bytes
        DoAbcTag("frame1", {"flash.display:Sprite", "http://adobe.com/AS3/2006/builtin", "assets/logo.png", "loadConfig",
                            "data.json"}),
        DoAbcTag("", {"old/abc.swf", ""}, true),
        DoActionTag(Push({"intro.swf", "config/settings.xml"})),  // seen already
        SwfTag(1, {}),                                             // ShowFrame
        EndTag(),
    });
}

const std::vector<TExpected> EveryKindExpected = {
    {"lib/shared.swf", Kind::ImportedAssets, "ImportAssets"},
    {"fonts.swf", Kind::ImportedAssets, "ImportAssets2"},
    {"config/settings.xml", Kind::Action, "DoAction"},
    {"intro.swf", Kind::Action, "DoAction"},
    {"http://cdn.example.com/a.mp3", Kind::Action, "DoAction"},
    {"pages/next.html", Kind::Action, "DoAction"},
    {"inside/function.txt", Kind::Action, "DoAction"},
    {"init.xml", Kind::Action, "DoInitAction"},
    {"sprite/a.jpg", Kind::Action, "DefineSprite 3/DoAction"},
    {"clip/load.txt", Kind::Action, "DefineSprite 3/PlaceObject2"},
    {"deeper.png", Kind::Action, "DefineSprite 3/DefineSprite 4/DoAction"},
    {"button1.html", Kind::Action, "DefineButton"},
    {"over.mp3", Kind::Action, "DefineButton2"},
    {"press/target.php?x=1", Kind::Action, "DefineButton2"},
    {"enter.swf", Kind::Action, "PlaceObject2"},
    {"key.swf", Kind::Action, "PlaceObject2"},
    {"po3/clip.xml", Kind::Action, "PlaceObject3"},
    {"assets/logo.png", Kind::Abc, "DoABC"},
    {"data.json", Kind::Abc, "DoABC"},
    {"old/abc.swf", Kind::Abc, "DoABC"},
};

void PutLE32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> 8 * i);
}

}  // namespace

// ---------------------------------------------------------------------------
// The scan

TEST(MovieReferences, EveryKindOfTagGivesItsReferencesOnceInOrder)
{
    // Clip event flags are 4 bytes from SWF 6, 2 before.
    for (uint8_t version : {5, 6, 10}) {
        SCOPED_TRACE(int{version});
        const Bytes movie = Movie(EveryKindTags(version), 'F', version);
        const TMovieScan scan = Scan(movie);
        EXPECT_EQ(Found(scan), EveryKindExpected);
        EXPECT_TRUE(scan.Read);
        EXPECT_FALSE(scan.Cut);
        EXPECT_EQ(scan.MovieBytes, movie.size());
    }
}

TEST(MovieReferences, EachCompressionGivesTheSameScan)
{
    const Bytes plain = Movie(EveryKindTags(10));
    for (char sig : {'F', 'C', 'Z'}) {
        SCOPED_TRACE(sig);
        const std::optional<TExpandedMovie> m = ExpandMovie(Movie(EveryKindTags(10), sig));
        ASSERT_TRUE(m);
        EXPECT_FALSE(m->Cut);
        EXPECT_EQ(m->Bytes, plain);
        const TMovieScan scan = Scan(m->Bytes);
        EXPECT_EQ(Found(scan), EveryKindExpected);
        EXPECT_TRUE(scan.Read);
    }
}

TEST(MovieReferences, WhatIsNoMovieGivesNothing)
{
    const Bytes compressed = Movie(EveryKindTags(10), 'C');
    const Bytes empty = Movie({});
    const Bytes stageCut(empty.begin(), empty.begin() + 12);
    for (const Bytes& b : {Bytes{}, Bytes{'F', 'W', 'S'}, Bytes{'F', 'W', 'S', 9, 8, 0, 0, 0}, compressed, stageCut}) {
        const TMovieScan scan = ScanMovieReferences(b);
        EXPECT_FALSE(scan.Read);
        EXPECT_TRUE(scan.References.empty());
        EXPECT_EQ(scan.MovieBytes, b.size());
    }
    // The stage alone, no tags: walked to the data's end.
    EXPECT_TRUE(Scan(Movie({})).Read);
}

// ---------------------------------------------------------------------------
// Bounds

TEST(MovieReferencesBounds, ATagRunningPastTheEndIsReadAsFarAsItGoes)
{
    const Bytes first = DoActionTag(Push({"first.swf"}));
    Bytes tags = Joined({first, SwfTag(12, Joined({Push({"cut/tag.swf"}), Bytes(80, 0)}))});
    PutLE32(tags, first.size() + 2, 100000);  // the second tag's long length
    const TMovieScan scan = Scan(Movie(tags));
    EXPECT_EQ(scan.References.size(), 2u);
    EXPECT_FALSE(scan.Read);
    EXPECT_FALSE(scan.Cut);

    // A header cut in the middle.
    const Bytes head = Joined({DoActionTag(Push({"first.swf"})), Bytes{0x3F, 0x03, 0x10}});
    EXPECT_FALSE(Scan(Movie(head)).Read);
    EXPECT_FALSE(Scan(Movie(Joined({DoActionTag(Push({"first.swf"})), Bytes{0x3F}}))).Read);
}

TEST(MovieReferencesBounds, CountsAndLengthsPastTheirEndStopAtIt)
{
    // A constant pool that claims 60000 strings and has two.
    Bytes pool = ConstantPoolAction({"a/one.swf", "a/two.swf"});
    pool[3] = 0x60;
    pool[4] = 0xEA;
    // A push whose length runs past its tag.
    Bytes push = Push({"b/in.swf"});
    push[1] = 0xFF;
    push[2] = 0xFF;
    // A string pool that claims more than it has, in an ABC block.
    Bytes abc = DoAbcTag("", {"c/abc.swf"}, true);
    const uint8_t count[] = {2, 9, 'c'};
    *std::search(abc.begin(), abc.end(), std::begin(count), std::end(count)) = 0x7F;
    const Bytes tags = Joined({DoActionTag(pool), SwfTag(12, push), abc, EndTag()});
    const TMovieScan scan = Scan(Movie(tags));
    EXPECT_EQ(Found(scan), (std::vector<TExpected>{{"a/one.swf", Kind::Action, "DoAction"},
                                                   {"a/two.swf", Kind::Action, "DoAction"},
                                                   {"b/in.swf", Kind::Action, "DoAction"},
                                                   {"c/abc.swf", Kind::Abc, "DoABC"}}));
    EXPECT_TRUE(scan.Read);

    // A string without its null at the tag's end is no string.
    const Bytes open = Joined({SwfTag(12, Bytes{0x96, 6, 0, 0, 'x', '.', 's', 'w', 'f'}), EndTag()});
    EXPECT_TRUE(Scan(Movie(open)).References.empty());
    // Button condition offsets past the end, a DefineButton2 without actions.
    Bytes button = DefineButton2Tag(6, {Push({"d/b.mp3"}), Push({"d/c.mp3"})});
    const Bytes none = DefineButton2Tag(7, {});
    const size_t header = (button[0] & 0x3F) == 0x3F ? 6 : 2;
    button[header + 3] = 0xF0;  // the action offset, past the tag
    button[header + 4] = 0xFF;
    EXPECT_TRUE(Scan(Movie(Joined({button, none, EndTag()}))).References.empty());
}

TEST(MovieReferencesBounds, SpritesDeeperThanTheBoundArePassedOver)
{
    constexpr unsigned Levels = 40;
    Bytes inner = DoActionTag(Push({"level/" + std::to_string(Levels) + ".swf"}));
    for (unsigned i = Levels; i-- > 0;)
        inner = DefineSpriteTag(static_cast<uint16_t>(i),
                                Joined({DoActionTag(Push({"level/" + std::to_string(i) + ".swf"})), inner}));
    const TMovieScan scan = Scan(Movie(Joined({inner, EndTag()})));
    ASSERT_EQ(scan.References.size(), MaxSpriteNesting);
    EXPECT_EQ(scan.References.back().Text, "level/" + std::to_string(MaxSpriteNesting - 1) + ".swf");
    EXPECT_EQ(scan.References[2].Where, "DefineSprite 0/DefineSprite 1/DefineSprite 2/DoAction");
    EXPECT_TRUE(scan.Cut);
    EXPECT_TRUE(scan.Read);
}

// Files that once troubled the movie check or the scan (scripts/fuzz.sh keeps them).
TEST(MovieReferencesBounds, KeptRegressionFilesExpandAndScan)
{
    namespace fs = std::filesystem;
    for (const char* folder : {VENDRAKE_MOVIE_REGRESSIONS, VENDRAKE_REFERENCE_REGRESSIONS}) {
        if (!fs::is_directory(folder)) continue;
        for (const auto& entry : fs::directory_iterator(folder)) {
            std::ifstream in(entry.path(), std::ios::binary);
            const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
            const TMovieScan direct = ScanMovieReferences(file);
            for (const TMovieReference& r : direct.References) EXPECT_TRUE(LooksLikeReference(r.Text));
            if (const auto m = ExpandMovie(file, 1u << 20)) {
                EXPECT_LE(m->Bytes.size(), 1u << 20);
                ScanMovieReferences(m->Bytes);
            }
        }
    }
}

// ---------------------------------------------------------------------------
// Expanding

TEST(ExpandMovie, EachKindGivesThePlainMovie)
{
    // The second body is mostly zero bytes, which LZMA packs about 30-fold:
    // the buffer fills and is doubled several times.
    Bytes sparse(3u << 20, 0);
    for (size_t i = 0; i < sparse.size(); i += 37) sparse[i] = static_cast<uint8_t>('a' + i % 23);
    const Bytes dense = MovieBody(3u << 20);
    for (bool isSparse : {false, true}) {
        const Bytes& body = isSparse ? sparse : dense;
        const Bytes plain = Movie(body);
        for (char sig : {'F', 'C', 'Z'}) {
            SCOPED_TRACE(sig);
            const Bytes file = Movie(body, sig);
            const auto m = ExpandMovie(file);
            ASSERT_TRUE(m);
            EXPECT_FALSE(m->Cut);
            EXPECT_TRUE(m->Bytes == plain);
            if (sig == 'Z' && isSparse) {
                EXPECT_GT(plain.size(), 8 * (file.size() - 17));  // past the first buffer, 4 times the stream
            }
        }
    }
}

// Streams from Python's lzma module (matches, repeats, the end marker) in a ZWS header.
TEST(ExpandMovie, ReadsRealLzmaStreams)
{
    namespace fs = std::filesystem;
    int streams = 0;
    for (const auto& entry : fs::directory_iterator(VENDRAKE_LZMA_STREAMS)) {
        if (entry.path().extension() != ".lzma") continue;
        SCOPED_TRACE(entry.path().filename().string());
        auto read = [](const fs::path& path) {
            std::ifstream in(path, std::ios::binary);
            return Bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        };
        const Bytes packed = read(entry.path());
        const Bytes expected = read(fs::path(entry.path()).replace_extension(".out"));
        Bytes file = {'Z', 'W', 'S', 11, 0, 0, 0, 0, 0, 0, 0, 0};
        PutLE32(file, 4, static_cast<uint32_t>(8 + expected.size()));
        PutLE32(file, 8, static_cast<uint32_t>(packed.size() - 5));
        file.insert(file.end(), packed.begin(), packed.end());
        for (size_t max : {size_t{1} << 30, 8 + expected.size() / 2}) {
            const auto m = ExpandMovie(file, max);
            ASSERT_TRUE(m);
            const size_t n = std::min(max, 8 + expected.size());
            ASSERT_EQ(m->Bytes.size(), n);
            EXPECT_EQ(m->Cut, n < 8 + expected.size());
            EXPECT_TRUE(std::equal(m->Bytes.begin() + 8, m->Bytes.end(), expected.begin()));
        }
        // A declared length past the end marker: the movie ends at the marker.
        PutLE32(file, 4, static_cast<uint32_t>(100 + expected.size()));
        EXPECT_EQ(ExpandMovie(file)->Bytes.size(), 8 + expected.size());
        ++streams;
    }
    EXPECT_GT(streams, 0);
}

TEST(ExpandMovie, StopsAtMaxBytesAndSaysSo)
{
    const Bytes plain = Movie(MovieBody(5000));
    for (char sig : {'F', 'C', 'Z'}) {
        SCOPED_TRACE(sig);
        const Bytes file = Movie(MovieBody(5000), sig);
        for (size_t max : {size_t{0}, size_t{8}, size_t{100}, plain.size() - 1, plain.size(), plain.size() + 1}) {
            SCOPED_TRACE(max);
            const auto m = ExpandMovie(file, max);
            ASSERT_TRUE(m);
            const size_t n = std::min(std::max<size_t>(max, 8), plain.size());
            ASSERT_EQ(m->Bytes.size(), n);
            EXPECT_EQ(m->Cut, n < plain.size());
            EXPECT_TRUE(std::equal(m->Bytes.begin() + 8, m->Bytes.end(), plain.begin() + 8));
            EXPECT_EQ(m->Bytes[3], 10);
            EXPECT_EQ(m->Bytes[4] | m->Bytes[5] << 8 | m->Bytes[6] << 16 | m->Bytes[7] << 24, static_cast<int>(n));
        }
    }
}

TEST(ExpandMovie, WhatIsNoMovieOrBrokenFromTheStartGivesNothing)
{
    Bytes zws = Movie(MovieBody(100), 'Z');
    Bytes badProperties = zws;
    badProperties[12] = 0xFF;
    const Bytes notZlib = {'C', 'W', 'S', 9, 100, 0, 0, 0, 'n', 'o', 't', ' ', 'z', 'l', 'i', 'b'};
    const Bytes page = {'<', 'h', 't', 'm', 'l', '>', ' ', ' ', ' ', ' '};
    for (const Bytes& b : {Bytes{}, Bytes{'F', 'W', 'S', 9}, page, notZlib, Bytes(zws.begin(), zws.begin() + 16),
                           badProperties}) {
        EXPECT_FALSE(ExpandMovie(b));
    }
    // A compressed file cut after its header is no broken one: it gives the header alone.
    for (const Bytes& cut : {Bytes(zws.begin(), zws.begin() + 17), Bytes{'C', 'W', 'S', 10, 100, 0, 0, 0}}) {
        const auto m = ExpandMovie(cut);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->Bytes, (Bytes{'F', 'W', 'S', 10, 8, 0, 0, 0}));
        EXPECT_FALSE(m->Cut);
    }
}

// ---------------------------------------------------------------------------
// What counts as a reference

struct TLooksRow {
    const char* Text;
    bool Reference;
};

class LooksLikeReferenceTable : public ::testing::TestWithParam<TLooksRow> {};

TEST_P(LooksLikeReferenceTable, Judges)
{
    EXPECT_EQ(LooksLikeReference(GetParam().Text), GetParam().Reference) << GetParam().Text;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LooksLikeReferenceTable,
    ::testing::Values(
        // Addresses with a web scheme, in any case.
        TLooksRow{"http://www.example.com/movies/intro.swf", true}, TLooksRow{"HTTPS://cdn.example.com", true},
        TLooksRow{"http://example.com/cgi-bin/score?id=", true}, TLooksRow{"file:///C:/games/data.xml", true},
        TLooksRow{"FILE:data.xml", true}, TLooksRow{"http://", false},
        TLooksRow{"http:intro.swf", false},
        // Namespace names of ActionScript 3 and XML.
        TLooksRow{"http://adobe.com/AS3/2006/builtin", false},
        TLooksRow{"http://www.adobe.com/2006/flex/mx/internal", false},
        TLooksRow{"http://www.w3.org/1999/xhtml", false}, TLooksRow{"http://ns.adobe.com/xap/1.0/", false},
        TLooksRow{"http://www.adobe.com/products/flashplayer/", true},
        // Script and other schemes.
        TLooksRow{"javascript:openWindow('a.html')", false},
        TLooksRow{"mailto:info@example.com", false}, TLooksRow{"asfunction:_root.show,a.jpg", false},
        TLooksRow{"event:link.swf", false}, TLooksRow{"FSCommand:quit", false},
        TLooksRow{"rtmp://media.example.com/vod/clip.flv", false},
        TLooksRow{"flash.display:Sprite", false},
        // Relative and root-relative paths.
        TLooksRow{"intro.swf", true}, TLooksRow{"data/level1.xml", true},
        TLooksRow{"/top.xml", true}, TLooksRow{"../shared/lib.swf", true}, TLooksRow{"images\\bg.jpg", true},
        TLooksRow{"//cdn.example.com/a.png", true}, TLooksRow{"scores.php?game=3&level=2", true},
        TLooksRow{"dir/file.abc", true},
        TLooksRow{"music/%E6%AD%8C.mp3", true}, TLooksRow{"\xE6\xAD\x8C/\xE6\x9B\xB2.mp3", true},
        TLooksRow{"movie.f4v", true}, TLooksRow{"data.json", true},
        // Dotted paths, identifiers, numbers, names without a known kind.
        TLooksRow{"_root.menu", false}, TLooksRow{"_level0.loader.xml", false},
        TLooksRow{"_parent.clip.swf", false}, TLooksRow{"this.txt", false}, TLooksRow{"Stage.width", false},
        TLooksRow{"mc.gotoAndPlay", false}, TLooksRow{"flash.events.Event", false}, TLooksRow{"www.example.com", false},
        TLooksRow{"gotoAndPlay", false}, TLooksRow{"3.14", false}, TLooksRow{"v1.2", false},
        TLooksRow{"text/xml", false}, TLooksRow{"application/x-www-form-urlencoded", false},
        TLooksRow{"a/b.toolong", false}, TLooksRow{"a/.swf", false}, TLooksRow{"dir/", false},
        TLooksRow{"?x=a.swf", false}, TLooksRow{"", false}, TLooksRow{".", false},
        // Blanks, controls, quotes, markup, patterns.
        TLooksRow{"my movie.swf", false}, TLooksRow{" intro.swf", false}, TLooksRow{"a\tb.swf", false},
        TLooksRow{"say \"a.swf\"", false}, TLooksRow{"<a href=x.swf>", false},
        TLooksRow{"*.jpg", false}, TLooksRow{"*.jpg;*.png", false}));

// ---------------------------------------------------------------------------
// Resolving

struct TTargetsRow {
    const char* Name;
    const char* Text;
    TReferenceKind Kind;
    const char* PlayerBase;
    const char* Movie;
    std::vector<std::pair<std::string, bool>> Targets;
};

void PrintTo(const TTargetsRow& row, std::ostream* out) { *out << row.Name; }

class ReferenceTargetsTable : public ::testing::TestWithParam<TTargetsRow> {};

TEST_P(ReferenceTargetsTable, Resolves)
{
    const TTargetsRow& row = GetParam();
    std::vector<std::pair<std::string, bool>> got;
    for (const TReferenceTarget& t : ReferenceTargets({row.Text, row.Kind, "DoAction"}, row.PlayerBase, row.Movie))
        got.emplace_back(t.Address, t.PlayerRule);
    EXPECT_EQ(got, row.Targets);
}

constexpr const char* Page = "http://site.example/games/play.html?id=3";
constexpr const char* Game = "http://site.example/swf/game.swf";

INSTANTIATE_TEST_SUITE_P(
    Rows, ReferenceTargetsTable,
    ::testing::Values(
        TTargetsRow{"PageBase", "data/level.xml", Kind::Action, Page, Game,
                    {{"http://site.example/games/data/level.xml", true},
                     {"http://site.example/swf/data/level.xml", false}}},
        TTargetsRow{"BaseParam", "data/level.xml", Kind::Action, "http://cdn.example/assets/", Game,
                    {{"http://cdn.example/assets/data/level.xml", true},
                     {"http://site.example/swf/data/level.xml", false}}},
        TTargetsRow{"FlashVarsAsActions", "skins/dark.swf", Kind::FlashVars, Page, Game,
                    {{"http://site.example/games/skins/dark.swf", true},
                     {"http://site.example/swf/skins/dark.swf", false}}},
        TTargetsRow{"VideoBesideTheMovie", "clips/intro.flv", Kind::Action, Page, Game,
                    {{"http://site.example/swf/clips/intro.flv", true},
                     {"http://site.example/games/clips/intro.flv", false}}},
        TTargetsRow{"XmlIsNoVideo", "clips/intro.xml", Kind::Action, Page, Game,
                    {{"http://site.example/games/clips/intro.xml", true},
                     {"http://site.example/swf/clips/intro.xml", false}}},
        TTargetsRow{"ImportedAssetsBesideTheMovie", "lib/shared.swf", Kind::ImportedAssets, Page, Game,
                    {{"http://site.example/swf/lib/shared.swf", true},
                     {"http://site.example/games/lib/shared.swf", false}}},
        TTargetsRow{"Absolute", "HTTP://Other.Example:80/x.swf#frame", Kind::Action, Page, Game,
                    {{"http://other.example/x.swf", true}}},
        TTargetsRow{"RootRelative", "/top.xml", Kind::Action, Page, Game, {{"http://site.example/top.xml", true}}},
        TTargetsRow{"MovieAlone", "data/level.xml", Kind::Action, "", Game,
                    {{"http://site.example/swf/data/level.xml", true}}},
        TTargetsRow{"NoAddresses", "data/level.xml", Kind::Action, "", "", {}}),
    [](const ::testing::TestParamInfo<TTargetsRow>& row) { return std::string(row.param.Name); });

// ---------------------------------------------------------------------------
// FlashVars

TEST(UrlEncodedPairs, DecodesNamesAndValues)
{
    using P = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(UrlEncodedPairs("a=b&c=d"), (P{{"a", "b"}, {"c", "d"}}));
    EXPECT_EQ(UrlEncodedPairs("title=Hello+World%21&x%20y=1%2B1"), (P{{"title", "Hello World!"}, {"x y", "1+1"}}));
    EXPECT_EQ(UrlEncodedPairs("flag&&=v&e="), (P{{"flag", ""}, {"", "v"}, {"e", ""}}));
    EXPECT_EQ(UrlEncodedPairs("p=100%&q=%zz%4"), (P{{"p", "100%"}, {"q", "%zz%4"}}));
    EXPECT_EQ(UrlEncodedPairs("u=a%3Db%26c"), (P{{"u", "a=b&c"}}));
    EXPECT_TRUE(UrlEncodedPairs("").empty());
}

TEST(FlashVarsReferences, TakesTheValuesThatAreReferencesOnce)
{
    const auto refs = FlashVarsReferences(
        "file=video%2Fa.flv&skin=skins/dark.swf&autostart=true&title=Hello+World&again=skins%2Fdark.swf"
        "&link=javascript%3Aplay()&config=http%3A%2F%2Fsite.example%2Fc.xml",
        "FlashVars");
    std::vector<TExpected> got;
    for (const TMovieReference& r : refs) got.push_back({r.Text, r.Kind, r.Where});
    EXPECT_EQ(got, (std::vector<TExpected>{{"video/a.flv", Kind::FlashVars, "FlashVars"},
                                           {"skins/dark.swf", Kind::FlashVars, "FlashVars"},
                                           {"http://site.example/c.xml", Kind::FlashVars, "FlashVars"}}));
    const auto query = FlashVarsReferences("?xml=data.xml", "query");
    ASSERT_EQ(query.size(), 1u);
    EXPECT_EQ(query[0].Text, "data.xml");
    EXPECT_EQ(query[0].Where, "query");
}
