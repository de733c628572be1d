// libFuzzer target for the movie check (built and run by scripts/fuzz.sh).
// Beyond not crashing under the sanitizers: the verdict must not depend on how
// the file is cut into chunks, every field must agree with the verdict, and
// nothing may claim more bytes than the file has (or, inflated, than the header
// allows; decoded from LZMA, than the stage needs). The fuzzer's memory limit
// holds the check to its fixed buffers.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <span>

#include "MovieCheck.h"

namespace {

void Require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "movie check fuzz: %s\n", what);
        std::abort();
    }
}

bool Same(const TMovieInfo& a, const TMovieInfo& b)
{
    return a.Verdict == b.Verdict && a.Fault == b.Fault && a.Compression == b.Compression &&
           a.HeaderRead == b.HeaderRead && a.Version == b.Version && a.DeclaredLength == b.DeclaredLength &&
           a.LengthKnown == b.LengthKnown &&
           a.MovieBytes == b.MovieBytes && a.DeclaredCompressed == b.DeclaredCompressed &&
           a.CompressedBytes == b.CompressedBytes && a.FileBytes == b.FileBytes && a.HasStage == b.HasStage &&
           a.StageXMin == b.StageXMin && a.StageXMax == b.StageXMax && a.StageYMin == b.StageYMin &&
           a.StageYMax == b.StageYMax && a.FrameRate == b.FrameRate && a.FrameCount == b.FrameCount;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TMovieInfo whole = CheckMovie(std::span<const std::uint8_t>(data, size));

    // Chunks of 1 to 64 bytes, their sizes taken from the input itself.
    TMovieCheck check;
    for (std::size_t at = 0, i = 0; at < size; ++i) {
        const std::size_t n = std::min<std::size_t>(size - at, 1 + data[i % size] % 64);
        check.Feed({data + at, n});
        at += n;
    }
    Require(Same(check.Finish(), whole), "the verdict depends on the chunks");

    const TMovieInfo& m = whole;
    Require(m.FileBytes == size, "file length miscounted");
    const bool signature = size >= 3 && (data[0] == 'F' || data[0] == 'C' || data[0] == 'Z') && data[1] == 'W' &&
                           data[2] == 'S';
    Require((m.Verdict == TMovieVerdict::NoMovie) == !signature, "signature judged wrongly");
    Require(m.HeaderRead == (signature && size >= (data[0] == 'Z' ? 17u : 8u)), "header read from too few bytes");
    Require(m.Verdict != TMovieVerdict::Damaged || m.Fault != TMovieFault::None, "damage without a fault");
    Require(m.Verdict == TMovieVerdict::Damaged || m.Fault == TMovieFault::None, "a fault that is not damage");
    if (m.Compression == TMovieCompression::Zlib && m.HeaderRead)
        Require(m.MovieBytes <= std::max<std::uint64_t>(std::uint64_t{m.DeclaredLength} + 1, 8),
                "inflated far past the declared length");
    else if (m.Compression == TMovieCompression::Lzma && m.Verdict == TMovieVerdict::Damaged)
        Require(m.MovieBytes == size || m.MovieBytes <= 8 + 21, "decoded past the stage");
    else
        Require(m.MovieBytes == size, "movie bytes differ from the file");
    Require(m.LengthKnown || (m.Compression == TMovieCompression::None && m.Verdict != TMovieVerdict::Damaged),
            "only a plain movie's length may be unknown");
    if (m.Verdict == TMovieVerdict::Complete) {
        Require(m.HeaderRead, "complete without a header");
        if (m.Compression == TMovieCompression::Lzma)
            Require(m.CompressedBytes >= m.DeclaredCompressed && m.CompressedBytes == size - 17, "LZMA data miscounted");
        else
            Require(m.MovieBytes >= m.DeclaredLength || !m.LengthKnown, "complete with missing bytes");
        Require(m.HasStage, "complete without a stage");
        if (m.Compression == TMovieCompression::Zlib) Require(m.MovieBytes == m.DeclaredLength, "zlib length");
    }
    if (m.HasStage)
        Require(m.Compression == TMovieCompression::Lzma ? m.FileBytes >= 17 + 5 : m.MovieBytes >= 8 + 1 + 4,
                "stage from nothing");
    return 0;
}
