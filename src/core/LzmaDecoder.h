#pragma once
// Decodes the start of a raw LZMA stream, as an LZMA movie carries it after its
// 17-byte header: the five property bytes (lc/lp/pb, dictionary size) apart,
// no size field, the end marker optional.
//
// It decodes into the caller's buffer and stops when that is full: matches
// reach back only into what it wrote there, so the buffer is the whole window
// and nothing is allocated from the stream's own numbers beyond one literal
// table per byte of that buffer at most. It never reads past the input.
#include <cstddef>
#include <cstdint>
#include <span>

enum class TLzmaStop : uint8_t {
    Full,       // the buffer is full
    NeedInput,  // the input ended first: what was written is right, more needs more input
    EndMarker,  // the stream's end marker came first
    BadData,    // properties out of range, or data no encoder writes
};

struct TLzmaResult {
    TLzmaStop Stop = TLzmaStop::BadData;
    size_t Produced = 0;
};

constexpr size_t LzmaPropertyBytes = 5;

// Each decoded bit takes at most one input byte, and a packet of one literal or
// match takes at most 48 bits (a match: 2 kind bits, 10 of length, 6 of slot,
// 26 direct, 4 aligned) for at least one byte: with the 5 bytes of the range
// coder's start, this many input bytes always decode n bytes when the stream is good.
constexpr size_t LzmaInputFor(size_t n) { return 5 + 48 * n; }

TLzmaResult DecodeLzma(std::span<const uint8_t, LzmaPropertyBytes> properties, std::span<const uint8_t> stream,
                       std::span<uint8_t> out);
