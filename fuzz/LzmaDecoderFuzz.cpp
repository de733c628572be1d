// libFuzzer target for the LZMA decoder (built and run by scripts/fuzz.sh): the
// input is the five property bytes, then the stream. Beyond not crashing under
// the sanitizers and never reading past the input: a small buffer (fewer
// literal tables than contexts) must decode the same bytes as the start of a
// large one, and a stream cut short must give a start of the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "LzmaDecoder.h"

namespace {

void Require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "LZMA decoder fuzz: %s\n", what);
        std::abort();
    }
}

// A copy of exactly the bytes given, so that AddressSanitizer sees any read past them.
TLzmaResult Decode(const std::uint8_t* data, std::size_t streamBytes, std::vector<std::uint8_t>& out)
{
    std::vector<std::uint8_t> stream(data + LzmaPropertyBytes, data + LzmaPropertyBytes + streamBytes);
    const TLzmaResult r = DecodeLzma(std::span<const std::uint8_t, LzmaPropertyBytes>(data, LzmaPropertyBytes),
                                     stream, out);
    Require(r.Produced <= out.size() && (r.Stop == TLzmaStop::Full) == (r.Produced == out.size() && !out.empty()),
            "produced and stop disagree");
    return r;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < LzmaPropertyBytes) return 0;
    const std::size_t stream = size - LzmaPropertyBytes;
    std::vector<std::uint8_t> large(2048), small(21), cut(2048);
    const TLzmaResult whole = Decode(data, stream, large);
    const TLzmaResult start = Decode(data, stream, small);
    const std::size_t common = std::min(whole.Produced, start.Produced);
    Require(std::memcmp(large.data(), small.data(), common) == 0, "a smaller buffer decodes other bytes");
    if (whole.Produced >= small.size())
        Require(start.Stop == TLzmaStop::Full, "a smaller buffer stops before it is full");
    else
        Require(start.Stop == whole.Stop && start.Produced == whole.Produced, "a smaller buffer stops elsewhere");

    const TLzmaResult part = Decode(data, stream / 2, cut);
    Require(part.Stop == TLzmaStop::NeedInput ? part.Produced <= whole.Produced
                                              : part.Stop == whole.Stop && part.Produced == whole.Produced,
            "a cut stream stops elsewhere");
    Require(std::memcmp(large.data(), cut.data(), part.Produced) == 0, "a cut stream decodes other bytes");
    return 0;
}
