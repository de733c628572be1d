#include "MovieCheck.h"
#include "MovieMaker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using Bytes = std::vector<uint8_t>;

// The same file read through the chunked reader, step bytes at a time.
TMovieInfo CheckInSteps(const Bytes& file, size_t step)
{
    size_t at = 0;
    return CheckMovie([&](uint8_t* buffer, size_t capacity) {
        const size_t n = std::min({step, capacity, file.size() - at});
        std::memcpy(buffer, file.data() + at, n);
        at += n;
        return n;
    });
}

void ExpectSame(const TMovieInfo& a, const TMovieInfo& b, const char* how)
{
    EXPECT_EQ(a.Verdict, b.Verdict) << how;
    EXPECT_EQ(a.Fault, b.Fault) << how;
    EXPECT_EQ(a.HeaderRead, b.HeaderRead) << how;
    EXPECT_EQ(a.MovieBytes, b.MovieBytes) << how;
    EXPECT_EQ(a.CompressedBytes, b.CompressedBytes) << how;
    EXPECT_EQ(a.FileBytes, b.FileBytes) << how;
    EXPECT_EQ(a.HasStage, b.HasStage) << how;
    EXPECT_EQ(a.StageXMax, b.StageXMax) << how;
    EXPECT_EQ(a.FrameCount, b.FrameCount) << how;
}

Bytes Made(char signature, size_t bodySize = 300)
{
    TMovieRecipe recipe;
    recipe.Signature = signature;
    return MakeMovie(recipe, MovieBody(bodySize));
}

void PutLE32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> 8 * i);
}

}  // namespace

TEST(MovieCheck, WholeMoviesOfEachKindGiveTheirHeaderInOneChunkOrMany)
{
    for (char sig : {'F', 'C', 'Z'}) {
        SCOPED_TRACE(sig);
        const Bytes file = Made(sig, 200000);
        const TMovieInfo m = CheckMovie(file);
        EXPECT_EQ(m.Verdict, TMovieVerdict::Complete);
        EXPECT_EQ(m.Version, 9);
        EXPECT_EQ(m.DeclaredLength, 8u + 9 + 4 + 200000);  // 15-bit fields: a RECT of 9 bytes
        EXPECT_EQ(m.FileBytes, file.size());
        EXPECT_TRUE(m.HasStage);
        EXPECT_EQ(m.StageWidth(), 550);
        EXPECT_EQ(m.StageHeight(), 400);
        EXPECT_EQ(m.FrameRate, 24 << 8);
        EXPECT_EQ(m.FrameCount, 120);
        if (sig != 'Z')
            EXPECT_EQ(m.MovieBytes, m.DeclaredLength);
        else
            EXPECT_EQ(m.DeclaredCompressed, file.size() - 17);
        ExpectSame(CheckInSteps(file, 1), m, "byte by byte");
        ExpectSame(CheckInSteps(file, 4093), m, "odd chunks");
    }
    EXPECT_LT(Made('C', 200000).size(), 150000u) << "the made body should compress";

    TMovieRecipe recipe;
    recipe.Signature = 'C';
    EXPECT_EQ(CheckMovie(MakeMovie(recipe, Bytes(2000000))).Verdict, TMovieVerdict::Complete) << "a thousand to one";
}

// Files the fuzz target found troublesome (one: a cut zlib stream whose last
// bytes hold more than a buffer's worth, once lost when the input ran out):
// whole or byte by byte, the same verdict.
TEST(MovieCheck, KnownTroublesomeFilesGiveOneVerdictWhateverTheChunks)
{
    namespace fs = std::filesystem;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(VENDRAKE_MOVIE_REGRESSIONS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        ExpectSame(CheckInSteps(file, 1), CheckMovie(file), entry.path().filename().string().c_str());
        ++files;
    }
    EXPECT_GT(files, 0);
}

TEST(MovieCheck, EveryCutIsCutShortAndTheStageNeedsAllItsBytes)
{
    for (char sig : {'F', 'C', 'Z'}) {
        SCOPED_TRACE(sig);
        const Bytes file = Made(sig);
        const size_t header = sig == 'Z' ? 17 : 8;
        bool stageSeen = false;
        for (size_t cut = 0; cut < file.size(); ++cut) {
            const Bytes part(file.begin(), file.begin() + cut);
            const TMovieInfo m = CheckMovie(part);
            ASSERT_EQ(m.Verdict, cut < 3 ? TMovieVerdict::NoMovie : TMovieVerdict::CutShort) << "cut at " << cut;
            ASSERT_EQ(m.HeaderRead, cut >= header) << cut;
            ASSERT_EQ(m.FileBytes, cut);
            if (sig == 'F') {
                ASSERT_EQ(m.HasStage, cut >= 8 + 9 + 4) << cut;
            }
            if (sig == 'Z') {  // once the start decodes to the stage, more bytes keep it
                ASSERT_TRUE(m.HasStage || !stageSeen) << cut;
                stageSeen = m.HasStage;
            }
            if (sig == 'C' && m.HeaderRead) {
                ASSERT_LE(m.MovieBytes, m.DeclaredLength) << cut;
            }
        }
        EXPECT_EQ(stageSeen, sig == 'Z');
    }
    // Only the zlib checksum is missing: every byte of the movie inflated, yet the stream has not ended.
    const Bytes cws = Made('C');
    const TMovieInfo m = CheckMovie(Bytes(cws.begin(), cws.end() - 1));
    EXPECT_EQ(m.Verdict, TMovieVerdict::CutShort);
    EXPECT_EQ(m.MovieBytes, m.DeclaredLength);
}

TEST(MovieCheck, LyingHeadersAreCutShortOrDamagedWithoutWorkBeyondTheFile)
{
    // A plain movie's length below its own header (0, or short of the stage) is
    // no length: players play it to the file's end.
    const Bytes fws = Made('F');
    const struct {
        uint32_t Declared;
        size_t Kept;
        TMovieVerdict Verdict;
        bool LengthKnown;
    } plain[] = {{0xFFFFFFFF, fws.size(), TMovieVerdict::CutShort, true},
                 {100, fws.size(), TMovieVerdict::Complete, true},  // bytes after the movie's end do not spoil it
                 {0, fws.size(), TMovieVerdict::Complete, false},
                 {20, fws.size(), TMovieVerdict::Complete, false},
                 {0, 20, TMovieVerdict::CutShort, false}};
    TMovieInfo m;
    for (const auto& p : plain) {
        Bytes b(fws.begin(), fws.begin() + p.Kept);
        PutLE32(b, 4, p.Declared);
        m = CheckMovie(b);
        EXPECT_EQ(m.Verdict, p.Verdict) << p.Declared;
        EXPECT_EQ(m.LengthKnown, p.LengthKnown) << p.Declared;
        EXPECT_EQ(m.MovieBytes, p.Kept) << p.Declared;
    }

    const Bytes cws = Made('C');
    const uint32_t length = 8 + 9 + 4 + 300;
    const struct {
        uint32_t Declared;
        TMovieFault Fault;
        uint64_t Inflated;
    } lies[] = {{length + 1, TMovieFault::EndsEarly, length},
                {0xFFFFFFFF, TMovieFault::EndsEarly, length},
                {length - 1, TMovieFault::LongerThanDeclared, length},
                {20, TMovieFault::LongerThanDeclared, 21},  // inflating stops one byte past the claim
                {7, TMovieFault::LengthBelowHeader, 8}};
    for (const auto& lie : lies) {
        Bytes b = cws;
        PutLE32(b, 4, lie.Declared);
        m = CheckMovie(b);
        EXPECT_EQ(m.Verdict, TMovieVerdict::Damaged) << lie.Declared;
        EXPECT_EQ(m.Fault, lie.Fault) << lie.Declared;
        EXPECT_EQ(m.MovieBytes, lie.Inflated) << lie.Declared;
    }
    for (size_t at : {size_t{8}, cws.size() - 1}) {  // the zlib header, the checksum
        Bytes b = cws;
        b[at] ^= 0x5A;
        EXPECT_EQ(CheckMovie(b).Fault, TMovieFault::BrokenData) << at;
    }

    Bytes zws = Made('Z');
    PutLE32(zws, 8, static_cast<uint32_t>(zws.size()));  // 17 bytes more than there are
    m = CheckMovie(zws);
    EXPECT_EQ(m.Verdict, TMovieVerdict::CutShort);
    EXPECT_EQ(m.CompressedBytes, zws.size() - 17);
    for (uint32_t declared : {3u, 20u}) {  // shorter than the header, than the header with its stage
        PutLE32(zws, 4, declared);
        EXPECT_EQ(CheckMovie(zws).Fault, TMovieFault::LengthBelowHeader) << declared;
    }
    zws = Made('Z');
    zws[17] = 1;  // a range coder always starts with 0
    EXPECT_EQ(CheckMovie(zws).Fault, TMovieFault::BrokenData);
    zws = Made('Z');
    zws.resize(17 + 8);  // the data declared is all there, yet ends inside the stage
    PutLE32(zws, 8, 8);
    m = CheckMovie(zws);
    EXPECT_EQ(m.Fault, TMovieFault::EndsEarly);
    EXPECT_EQ(m.MovieBytes, 8 + 3u);
}

TEST(MovieCheck, StageFieldsOfAnyWidthAndSignAndARectRunningOffTheEnd)
{
    TMovieRecipe recipe;
    recipe.XMin = -200;
    recipe.XMax = 10801;  // 550.05 pixels
    recipe.YMin = -(1 << 29);
    recipe.YMax = (1 << 29) + 30;  // 31-bit fields: a RECT of 17 bytes
    recipe.FrameRate = 0x0C80;
    const Bytes file = MakeMovie(recipe, {});
    TMovieInfo m = CheckMovie(file);
    EXPECT_EQ(m.Verdict, TMovieVerdict::Complete);
    EXPECT_EQ(m.StageXMin, -200);
    EXPECT_EQ(m.StageWidth(), 550);
    EXPECT_EQ(m.StageYMin, -(1 << 29));
    EXPECT_EQ(m.StageHeight(), 53687093);
    EXPECT_EQ(m.FrameRate, 0x0C80);

    // The field width alone claims 31 bits per value; the file ends inside them.
    const uint8_t shortRect[] = {'F', 'W', 'S', 6, 40, 0, 0, 0, 0xF8, 0, 0, 0, 1, 2};
    m = CheckMovie(shortRect);
    EXPECT_EQ(m.Verdict, TMovieVerdict::CutShort);
    EXPECT_FALSE(m.HasStage);

    for (const char* other : {"fws\x0a", "<html>", "GWS\x09", "CW"})
        EXPECT_EQ(CheckMovie({reinterpret_cast<const uint8_t*>(other), std::strlen(other)}).Verdict,
                  TMovieVerdict::NoMovie)
            << other;
}
