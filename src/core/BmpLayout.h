#pragma once
// Reading the layout of a Windows bitmap file image (BMP, file header first)
// or of a bitmap resource before any byte of it goes to GDI. Theme files carry
// their pictures as such images, and a theme file is untrusted input: the
// layout is accepted only when every byte GDI will read (header, masks, colour
// table, pixel rows) lies inside the image, so a malformed picture is refused
// instead of read out of bounds.
//
// Accepted: an info header of 40 bytes or one of its longer versions (52, 56,
// 108, 124 bytes), 1, 4, 8, 16, 24 or 32 bits per pixel, uncompressed or with
// bit-field masks (16 and 32 bits), rows stored bottom-up or top-down.
// Run-length compression and the old 12-byte core header are refused: our
// writer never makes them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

struct TBmpLayout {
    int Width = 0;
    int Height = 0;            // always positive; TopDown tells the row order
    bool TopDown = false;
    int BitsPerPixel = 0;
    bool BitFields = false;    // the three masks follow
    std::uint32_t Masks[3] = {0, 0, 0};
    std::size_t PaletteOffset = 0;   // colour table: 4 bytes an entry
    std::size_t PaletteCount = 0;
    std::size_t BitsOffset = 0;      // first stored row
    std::size_t Stride = 0;          // bytes a row, rounded up to 4
};

// Pictures larger than this many pixels are refused: a skin picture is a few
// thousand pixels, and the target bitmap takes 4 bytes for each.
constexpr std::int64_t MaxBmpPixels = std::int64_t{1} << 26;

std::optional<TBmpLayout> ReadBmpLayout(std::span<const std::uint8_t> image);
// The same for a packed bitmap (info header first, the rows right after the
// colour table): the form a bitmap resource is stored in.
std::optional<TBmpLayout> ReadPackedDibLayout(std::span<const std::uint8_t> dib);
