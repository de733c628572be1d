#include "BmpLayout.h"

namespace {

constexpr std::size_t FileHeaderSize = 14;
constexpr std::size_t InfoHeaderSize = 40;
constexpr std::uint32_t CompressionNone = 0;
constexpr std::uint32_t CompressionBitFields = 3;

std::uint32_t U32(std::span<const std::uint8_t> b, std::size_t at)
{
    return std::uint32_t{b[at]} | std::uint32_t{b[at + 1]} << 8 | std::uint32_t{b[at + 2]} << 16 |
           std::uint32_t{b[at + 3]} << 24;
}

std::uint16_t U16(std::span<const std::uint8_t> b, std::size_t at)
{
    return static_cast<std::uint16_t>(b[at] | b[at + 1] << 8);
}

bool KnownInfoHeaderSize(std::uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool KnownBitCount(int bits)
{
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

// Whether [offset, offset + length) lies inside a buffer of `size` bytes,
// without overflowing.
bool Inside(std::size_t size, std::size_t offset, std::uint64_t length)
{
    return offset <= size && length <= size - offset;
}

}  // namespace

namespace {

// The info header at `infoAt` and what follows it. bitsOffset: where the file
// header says the rows start, or nothing when they follow the colour table
// (the packed form of bitmap resources).
std::optional<TBmpLayout> ReadLayoutAt(std::span<const std::uint8_t> image, std::size_t infoAt,
                                       std::optional<std::size_t> bitsOffset)
{
    const std::size_t size = image.size();
    if (!Inside(size, infoAt, InfoHeaderSize)) return std::nullopt;
    const std::uint32_t headerSize = U32(image, infoAt);
    if (!KnownInfoHeaderSize(headerSize) || !Inside(size, infoAt, headerSize)) return std::nullopt;

    TBmpLayout layout;
    const auto width = static_cast<std::int32_t>(U32(image, infoAt + 4));
    const auto height = static_cast<std::int32_t>(U32(image, infoAt + 8));
    const std::uint16_t planes = U16(image, infoAt + 12);
    layout.BitsPerPixel = U16(image, infoAt + 14);
    const std::uint32_t compression = U32(image, infoAt + 16);
    const std::uint32_t coloursUsed = U32(image, infoAt + 32);
    if (planes != 1 || !KnownBitCount(layout.BitsPerPixel)) return std::nullopt;
    // INT32_MIN has no positive counterpart; every other height does.
    if (width <= 0 || height == 0 || height == INT32_MIN) return std::nullopt;
    layout.Width = width;
    layout.TopDown = height < 0;
    layout.Height = height < 0 ? -height : height;
    if (std::int64_t{layout.Width} * layout.Height > MaxBmpPixels) return std::nullopt;

    std::size_t next = infoAt + headerSize;
    if (compression == CompressionBitFields) {
        if (layout.BitsPerPixel != 16 && layout.BitsPerPixel != 32) return std::nullopt;
        layout.BitFields = true;
        // The longer headers hold the masks; the 40-byte one is followed by them.
        const std::size_t masksAt = infoAt + InfoHeaderSize;
        if (headerSize == InfoHeaderSize) {
            if (!Inside(size, masksAt, 12)) return std::nullopt;
            next += 12;
        }
        for (int i = 0; i < 3; ++i) layout.Masks[i] = U32(image, masksAt + 4 * i);
    } else if (compression != CompressionNone) {
        return std::nullopt;
    }

    if (layout.BitsPerPixel <= 8) {
        const std::size_t full = std::size_t{1} << layout.BitsPerPixel;
        layout.PaletteCount = coloursUsed == 0 ? full : coloursUsed;
        if (layout.PaletteCount > full) return std::nullopt;
    }
    layout.PaletteOffset = next;
    if (!Inside(size, next, std::uint64_t{layout.PaletteCount} * 4)) return std::nullopt;

    const std::size_t afterPalette = next + layout.PaletteCount * 4;
    layout.BitsOffset = bitsOffset.value_or(afterPalette);
    layout.Stride = (static_cast<std::size_t>(layout.Width) * layout.BitsPerPixel + 31) / 32 * 4;
    if (layout.BitsOffset < afterPalette) return std::nullopt;
    if (!Inside(size, layout.BitsOffset, std::uint64_t{layout.Stride} * layout.Height)) return std::nullopt;
    return layout;
}

}  // namespace

std::optional<TBmpLayout> ReadBmpLayout(std::span<const std::uint8_t> image)
{
    if (image.size() < FileHeaderSize || image[0] != 'B' || image[1] != 'M') return std::nullopt;
    return ReadLayoutAt(image, FileHeaderSize, U32(image, 10));
}

std::optional<TBmpLayout> ReadPackedDibLayout(std::span<const std::uint8_t> dib)
{
    return ReadLayoutAt(dib, 0, std::nullopt);
}
