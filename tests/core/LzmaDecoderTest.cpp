#include "LzmaDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TLzmaResult Decode(const Bytes& packed, size_t streamBytes, Bytes& out)
{
    return DecodeLzma(std::span<const uint8_t, LzmaPropertyBytes>(packed.data(), LzmaPropertyBytes),
                      {packed.data() + LzmaPropertyBytes, streamBytes}, out);
}

}  // namespace

// Streams written by another implementation (make_movies.py --lzma): noise, runs,
// repeats further back than 2^14, several lc/lp/pb. Whole, to the end marker, into
// a buffer smaller than the literal contexts, and from a stream cut to a third.
TEST(LzmaDecoder, StreamsFromAnotherEncoderDecodeWholeOrInPart)
{
    namespace fs = std::filesystem;
    int streams = 0;
    for (const auto& entry : fs::directory_iterator(VENDRAKE_LZMA_STREAMS)) {
        if (entry.path().extension() != ".lzma") continue;
        SCOPED_TRACE(entry.path().filename().string());
        const Bytes packed = ReadFile(entry.path());
        const Bytes expected = ReadFile(fs::path(entry.path()).replace_extension(".out"));
        const size_t stream = packed.size() - LzmaPropertyBytes;
        ++streams;

        Bytes out(expected.size() + 1);
        TLzmaResult r = Decode(packed, stream, out);
        EXPECT_EQ(r.Stop, TLzmaStop::EndMarker);
        ASSERT_EQ(r.Produced, expected.size());
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), out.begin()));

        out.assign(std::min<size_t>(expected.size(), 10), 0);
        r = Decode(packed, stream, out);
        EXPECT_EQ(r.Stop, TLzmaStop::Full);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), expected.begin()));

        out.assign(expected.size(), 0);
        r = Decode(packed, stream / 3, out);
        EXPECT_EQ(r.Stop, TLzmaStop::NeedInput);
        EXPECT_LT(r.Produced, expected.size());
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + r.Produced, expected.begin()));
    }
    EXPECT_EQ(streams, 6);

    Bytes out(4);
    const Bytes badProperties = {225, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(Decode(badProperties, 6, out).Stop, TLzmaStop::BadData) << "pb 5 would index past the model";
}
