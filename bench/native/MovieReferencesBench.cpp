// The reference scan. Target: 100 MB/s or more on a realistic movie.
//
//   MovieReferences/Realistic   an uncompressed movie of about 8 MB: bitmap
//                               and shape tags (about 60% of the bytes, passed
//                               over by their length), 1500 frame actions of
//                               constant pools, pushes and functions, 300
//                               sprites with clip actions, one ABC block of
//                               30,000 strings; about 4,000 references in all
//   MovieReferences/ActionsOnly the same without the bitmaps and shapes: the
//                               rate of reading action code and ABC strings
//   ExpandMovie/Cws, /Zws       the realistic movie compressed (zlib level 6;
//                               the fixture's LZMA of literals only), expanded
//                               whole (the first buffer, 4 x the LZMA data,
//                               holds it: one decoding)
//   ExpandMovie/ZwsSparse       8 MB of mostly zero bytes in LZMA (about 30:1):
//                               the first buffer fills and ZWS decodes again
//                               into one twice the size each time
//   DecodeLzma/ZwsSparseOnce    the same stream decoded once into a buffer of
//                               the right size: what the doubling costs over it
// Rates are in MB (10^6 bytes) of uncompressed movie a second ("MBps").
#include <benchmark/benchmark.h>

#include <string>

#include "LzmaDecoder.h"
#include "MovieMaker.h"
#include "MovieReferences.h"

namespace {

std::string Identifier(uint32_t& x)
{
    static const char* const Names[] = {"gotoAndPlay", "onRelease", "_root.menu.item", "Stage.width", "score",
                                        "this._x", "loadMovie", "getURL", "level", "onEnterFrame", "3.5",
                                        "player.name", "hitTest", "Math.random", "_parent.bar", "visible"};
    x = x * 1664525u + 1013904223u;
    return std::string(Names[x >> 28]) + std::to_string(x >> 20 & 0xFF);
}

TSwfBytes FrameActions(unsigned n, uint32_t& x)
{
    std::vector<std::string> pool;
    for (int i = 0; i < 60; ++i) pool.push_back(Identifier(x));
    pool.push_back("data/level" + std::to_string(n) + ".xml");
    pool.push_back("sounds/s" + std::to_string(n % 50) + ".mp3");
    TSwfBytes body = ConstantPoolAction(pool);
    for (int i = 0; i < 12; ++i) {
        const TSwfBytes push = i % 3 ? PushOtherValuesAction(static_cast<uint16_t>(i)) : PushStringsAction({Identifier(x)});
        body.insert(body.end(), push.begin(), push.end());
        for (uint8_t code : {0x1C, 0x4E, 0x52, 0x17}) body.push_back(code);  // get, member, call, pop
    }
    const TSwfBytes function = DefineFunctionAction("f" + std::to_string(n),
                                                    Joined({PushStringsAction({"menu/item" + std::to_string(n) + ".swf",
                                                                               Identifier(x)}),
                                                            ActionRecord(0x99, TSwfBytes{0x10, 0x00})}));
    body.insert(body.end(), function.begin(), function.end());
    return DoActionTag(body);
}

TSwfBytes Sprite(unsigned n, uint32_t& x)
{
    TSwfBytes tags;
    for (uint16_t depth = 1; depth <= 3; ++depth) {
        const TSwfBytes place = PlaceObject2Tag(
            10, depth, {{0x01, PushStringsAction({Identifier(x), "clips/c" + std::to_string(n) + ".swf"})},
                        {0x02, PushOtherValuesAction(depth)}});
        tags.insert(tags.end(), place.begin(), place.end());
    }
    const TSwfBytes action = DoActionTag(PushStringsAction({Identifier(x), Identifier(x)}));
    tags.insert(tags.end(), action.begin(), action.end());
    return DefineSpriteTag(static_cast<uint16_t>(1000 + n), tags);
}

TSwfBytes AbcBlock(uint32_t& x)
{
    std::vector<std::string> strings;
    for (unsigned i = 0; i < 30000; ++i)
        strings.push_back(i % 100 == 0 ? "assets/a" + std::to_string(i) + ".png" : "flash.display:" + Identifier(x));
    return DoAbcTag("frame1", strings);
}

TSwfBytes MovieOf(bool filler)
{
    uint32_t x = 7;
    TSwfBytes body;
    auto add = [&body](const TSwfBytes& tag) { body.insert(body.end(), tag.begin(), tag.end()); };
    for (unsigned i = 0; i < 1500; ++i) {
        if (filler && i % 25 == 0) add(SwfTag(36, MovieBody(80000, i)));  // a bitmap
        if (filler && i % 2 == 0) add(SwfTag(2, MovieBody(1300, i)));    // a shape
        add(FrameActions(i, x));
        if (i % 5 == 0) add(Sprite(i / 5, x));
        add(SwfTag(1, {}));  // ShowFrame
        if (i == 700) add(AbcBlock(x));
    }
    add(EndTag());
    TMovieRecipe recipe;
    recipe.Version = 10;
    return MakeMovie(recipe, body);
}

const TSwfBytes& Realistic(bool filler)
{
    static const TSwfBytes withFiller = MovieOf(true), actionsOnly = MovieOf(false);
    return filler ? withFiller : actionsOnly;
}

void Scan(benchmark::State& state, bool filler)
{
    const TSwfBytes& movie = Realistic(filler);
    size_t references = 0;
    for (auto _ : state) {
        const TMovieScan scan = ScanMovieReferences(movie);
        if (!scan.Read || scan.Cut) state.SkipWithError("the made movie was not read whole");
        references = scan.References.size();
        benchmark::DoNotOptimize(scan);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(movie.size()));
    state.counters["movie_MB"] = double(movie.size()) / 1e6;
    state.counters["references"] = double(references);
    state.counters["MBps"] = benchmark::Counter(double(movie.size()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void Expand(benchmark::State& state, char signature)
{
    TMovieRecipe recipe;
    recipe.Signature = signature;
    recipe.Version = 10;
    const TSwfBytes& plain = Realistic(true);
    const TSwfBytes file = MakeMovie(recipe, std::span(plain).subspan(21));  // the body after header and stage
    for (auto _ : state) {
        const auto m = ExpandMovie(file);
        if (!m || m->Bytes.size() != plain.size()) state.SkipWithError("the movie did not expand whole");
        benchmark::DoNotOptimize(m);
    }
    state.counters["file_MB"] = double(file.size()) / 1e6;
    state.counters["MBps"] = benchmark::Counter(double(plain.size()) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

TSwfBytes SparseBody()
{
    TSwfBytes body(8u << 20, 0);
    const TSwfBytes text = MovieBody(200000);
    for (size_t i = 0; i < text.size(); ++i) body[i * 41] = text[i];
    return body;
}

void ExpandSparse(benchmark::State& state)
{
    TMovieRecipe recipe;
    recipe.Signature = 'Z';
    const TSwfBytes file = MakeMovie(recipe, SparseBody());
    size_t size = 0;
    for (auto _ : state) {
        const auto m = ExpandMovie(file);
        if (!m || m->Cut) state.SkipWithError("the movie did not expand whole");
        size = m ? m->Bytes.size() : 0;
        benchmark::DoNotOptimize(m);
    }
    state.counters["file_MB"] = double(file.size()) / 1e6;
    state.counters["MBps"] = benchmark::Counter(double(size) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void DecodeSparseOnce(benchmark::State& state)
{
    TMovieRecipe recipe;
    recipe.Signature = 'Z';
    const TSwfBytes file = MakeMovie(recipe, SparseBody());
    const size_t body = (file[4] | file[5] << 8 | file[6] << 16 | size_t{file[7]} << 24) - 8;
    for (auto _ : state) {
        std::vector<uint8_t> out(body);
        const TLzmaResult r = DecodeLzma(std::span<const uint8_t, LzmaPropertyBytes>(file.data() + 12, 5),
                                         std::span(file).subspan(17), out);
        if (r.Produced != body) state.SkipWithError("the stream did not decode whole");
        benchmark::DoNotOptimize(out);
    }
    state.counters["MBps"] = benchmark::Counter(double(body + 8) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

BENCHMARK_CAPTURE(Scan, Realistic, true)->Name("MovieReferences/Realistic")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Scan, ActionsOnly, false)->Name("MovieReferences/ActionsOnly")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Expand, Cws, 'C')->Name("ExpandMovie/Cws")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Expand, Zws, 'Z')->Name("ExpandMovie/Zws")->Unit(benchmark::kMillisecond);
BENCHMARK(ExpandSparse)->Name("ExpandMovie/ZwsSparse")->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeSparseOnce)->Name("DecodeLzma/ZwsSparseOnce")->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
