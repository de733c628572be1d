// The movie check. Targets: a 64 MiB zlib movie at least 200 MB/s; a header
// alone under 10 us.
//
//   MovieCheck/Cws64MiB     a zlib movie whose file is about 64 MiB (its body
//                           compresses about as a movie's does), read through
//                           the chunked reader from memory; bytes are the file's,
//                           the "inflated" counter the movie's own rate
//   MovieCheck/Fws64MiB     the same movie stored plain: the reading alone
//   MovieHeader/...         the first 512 bytes of a movie, the header and stage
//                           read (a zlib header costs zlib's set-up, an LZMA
//                           header the decoder's model for its first 21 bytes)
#include <benchmark/benchmark.h>

#include <cstring>

#include "MovieCheck.h"
#include "MovieMaker.h"

namespace {

constexpr size_t FileSize = 64u << 20;

const std::vector<uint8_t>& Movie(char signature)
{
    static std::vector<uint8_t> cws, fws;
    std::vector<uint8_t>& movie = signature == 'C' ? cws : fws;
    if (movie.empty()) {
        TMovieRecipe recipe;
        recipe.Signature = signature;
        recipe.Level = 1;  // only the making is faster: inflating any level costs the same
        // The body compresses to about half (noise between runs of text): the file comes to about 64 MiB.
        const size_t body = signature == 'C' ? FileSize / 100 * 197 : FileSize - 21;
        movie = MakeMovie(recipe, MovieBody(body));
    }
    return movie;
}

void CheckWhole(benchmark::State& state, char signature)
{
    const std::vector<uint8_t>& movie = Movie(signature);
    uint64_t inflated = 0;
    for (auto _ : state) {
        size_t at = 0;
        const TMovieInfo m = CheckMovie([&](uint8_t* buffer, size_t capacity) {
            const size_t n = std::min(capacity, movie.size() - at);
            std::memcpy(buffer, movie.data() + at, n);
            at += n;
            return n;
        });
        if (m.Verdict != TMovieVerdict::Complete) state.SkipWithError("the made movie is not complete");
        inflated += m.MovieBytes;
        benchmark::DoNotOptimize(m);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(movie.size()));
    state.counters["file_MiB"] = double(movie.size()) / (1 << 20);
    state.counters["movie_MBps"] = benchmark::Counter(double(inflated) / 1e6, benchmark::Counter::kIsRate);
}

void CheckHeader(benchmark::State& state, char signature)
{
    // The first 512 bytes of a small movie: enough for zlib's block header and the stage.
    TMovieRecipe recipe;
    recipe.Signature = signature;
    const std::vector<uint8_t> movie = MakeMovie(recipe, MovieBody(100000));
    const std::vector<uint8_t> head(movie.begin(), movie.begin() + 512);
    for (auto _ : state) {
        const TMovieInfo m = CheckMovie(head);
        if (!m.HasStage) state.SkipWithError("no stage read");
        benchmark::DoNotOptimize(m);
    }
}

}  // namespace

BENCHMARK_CAPTURE(CheckWhole, Cws64MiB, 'C')->Name("MovieCheck/Cws64MiB")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckWhole, Fws64MiB, 'F')->Name("MovieCheck/Fws64MiB")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckHeader, Cws, 'C')->Name("MovieHeader/Cws")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CheckHeader, Fws, 'F')->Name("MovieHeader/Fws")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(CheckHeader, Zws, 'Z')->Name("MovieHeader/Zws")->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
