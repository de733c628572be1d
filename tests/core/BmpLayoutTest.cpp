#include "BmpLayout.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// Field offsets from the start of the image.
constexpr std::size_t BitsOffsetField = 10, HeaderSizeField = 14, WidthField = 18, HeightField = 22,
                      PlanesField = 26, BitCountField = 28, CompressionField = 30, ColoursUsedField = 46;
constexpr std::uint32_t Rgb = 0, Rle8 = 1, Rle4 = 2, BitFields = 3, Jpeg = 4;

void PutU16(Bytes& b, std::size_t at, std::uint16_t v)
{
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void PutU32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// What the tests vary in an image. MakeBmp lays it out as a writer would: file
// header, info header, the masks after a 40-byte header that uses bit fields,
// the colour table, then exactly the pixel rows.
struct TBmpShape {
    std::uint32_t HeaderSize = 40;
    std::int32_t Width = 3;
    std::int32_t Height = 2;
    std::uint16_t BitsPerPixel = 24;
    std::uint32_t Compression = Rgb;
    std::uint32_t ColoursUsed = 0;   // the header field
    std::size_t PaletteEntries = 0;  // colour-table entries written
    std::uint32_t Masks[3] = {0, 0, 0};
};

std::size_t StrideOf(std::int64_t width, int bitsPerPixel)
{
    return static_cast<std::size_t>((width * bitsPerPixel + 31) / 32 * 4);
}

Bytes MakeBmp(const TBmpShape& s)
{
    const bool masksAfterHeader = s.Compression == BitFields && s.HeaderSize == 40;
    const std::size_t palette = 14 + s.HeaderSize + (masksAfterHeader ? 12 : 0);
    const std::size_t bits = palette + 4 * s.PaletteEntries;
    const std::int64_t rows = s.Height < 0 ? -std::int64_t{s.Height} : s.Height;
    Bytes b(bits + StrideOf(s.Width, s.BitsPerPixel) * static_cast<std::size_t>(rows));
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, 2, static_cast<std::uint32_t>(b.size()));
    PutU32(b, BitsOffsetField, static_cast<std::uint32_t>(bits));
    PutU32(b, HeaderSizeField, s.HeaderSize);
    PutU32(b, WidthField, static_cast<std::uint32_t>(s.Width));
    PutU32(b, HeightField, static_cast<std::uint32_t>(s.Height));
    PutU16(b, PlanesField, 1);
    PutU16(b, BitCountField, s.BitsPerPixel);
    PutU32(b, CompressionField, s.Compression);
    PutU32(b, ColoursUsedField, s.ColoursUsed);
    if (s.Compression == BitFields)
        for (int i = 0; i < 3; ++i) PutU32(b, 54 + 4 * i, s.Masks[i]);  // after or inside the header
    for (std::size_t i = palette; i < b.size(); ++i) b[i] = static_cast<std::uint8_t>(i * 7 + 1);
    return b;
}

Bytes Patched(Bytes b, std::size_t at, std::uint32_t v)
{
    PutU32(b, at, v);
    return b;
}

// ------------------------------------------------------------ accepted forms

struct TAcceptedCase {
    const char* Name;
    TBmpShape Shape;
    TBmpLayout Expected;
};

void ExpectLayout(const TBmpLayout& got, const TBmpLayout& want)
{
    EXPECT_EQ(got.Width, want.Width);
    EXPECT_EQ(got.Height, want.Height);
    EXPECT_EQ(got.TopDown, want.TopDown);
    EXPECT_EQ(got.BitsPerPixel, want.BitsPerPixel);
    EXPECT_EQ(got.BitFields, want.BitFields);
    if (want.BitFields) {
        for (int i = 0; i < 3; ++i) EXPECT_EQ(got.Masks[i], want.Masks[i]) << "mask " << i;
    }
    EXPECT_EQ(got.PaletteOffset, want.PaletteOffset);
    EXPECT_EQ(got.PaletteCount, want.PaletteCount);
    EXPECT_EQ(got.BitsOffset, want.BitsOffset);
    EXPECT_EQ(got.Stride, want.Stride);
}

const TAcceptedCase kAccepted[] = {
    {"Rgb24BottomUp", {.Width = 3, .Height = 2},
     {.Width = 3, .Height = 2, .BitsPerPixel = 24, .PaletteOffset = 54, .BitsOffset = 54, .Stride = 12}},
    {"Rgb24TopDown", {.Width = 3, .Height = -2},
     {.Width = 3, .Height = 2, .TopDown = true, .BitsPerPixel = 24, .PaletteOffset = 54, .BitsOffset = 54,
      .Stride = 12}},
    {"Palette8FullTable", {.Width = 5, .Height = 3, .BitsPerPixel = 8, .PaletteEntries = 256},
     {.Width = 5, .Height = 3, .BitsPerPixel = 8, .PaletteOffset = 54, .PaletteCount = 256, .BitsOffset = 1078,
      .Stride = 8}},
    {"Palette8ShortTable", {.Width = 5, .Height = 3, .BitsPerPixel = 8, .ColoursUsed = 5, .PaletteEntries = 5},
     {.Width = 5, .Height = 3, .BitsPerPixel = 8, .PaletteOffset = 54, .PaletteCount = 5, .BitsOffset = 74,
      .Stride = 8}},
    {"Palette1", {.Width = 33, .Height = 2, .BitsPerPixel = 1, .PaletteEntries = 2},
     {.Width = 33, .Height = 2, .BitsPerPixel = 1, .PaletteOffset = 54, .PaletteCount = 2, .BitsOffset = 62,
      .Stride = 8}},
    {"Palette4", {.Width = 9, .Height = -1, .BitsPerPixel = 4, .PaletteEntries = 16},
     {.Width = 9, .Height = 1, .TopDown = true, .BitsPerPixel = 4, .PaletteOffset = 54, .PaletteCount = 16,
      .BitsOffset = 118, .Stride = 8}},
    {"Rgb16", {.Width = 3, .Height = 1, .BitsPerPixel = 16},
     {.Width = 3, .Height = 1, .BitsPerPixel = 16, .PaletteOffset = 54, .BitsOffset = 54, .Stride = 8}},
    {"BitFields16MasksAfter40ByteHeader",
     {.Width = 3, .Height = 2, .BitsPerPixel = 16, .Compression = BitFields, .Masks = {0xF800, 0x07E0, 0x001F}},
     {.Width = 3, .Height = 2, .BitsPerPixel = 16, .BitFields = true, .Masks = {0xF800, 0x07E0, 0x001F},
      .PaletteOffset = 66, .BitsOffset = 66, .Stride = 8}},
    {"BitFields32MasksAfter40ByteHeader",
     {.Width = 2, .Height = 2, .BitsPerPixel = 32, .Compression = BitFields,
      .Masks = {0xFF0000, 0xFF00, 0xFF}},
     {.Width = 2, .Height = 2, .BitsPerPixel = 32, .BitFields = true, .Masks = {0xFF0000, 0xFF00, 0xFF},
      .PaletteOffset = 66, .BitsOffset = 66, .Stride = 8}},
    {"BitFields32MasksInside108ByteHeader",
     {.HeaderSize = 108, .Width = 2, .Height = -2, .BitsPerPixel = 32, .Compression = BitFields,
      .Masks = {0xFF, 0xFF00, 0xFF0000}},
     {.Width = 2, .Height = 2, .TopDown = true, .BitsPerPixel = 32, .BitFields = true,
      .Masks = {0xFF, 0xFF00, 0xFF0000}, .PaletteOffset = 122, .BitsOffset = 122, .Stride = 8}},
    {"BitFields16MasksInside52ByteHeader",
     {.HeaderSize = 52, .Width = 1, .Height = 1, .BitsPerPixel = 16, .Compression = BitFields,
      .Masks = {0x7C00, 0x03E0, 0x001F}},
     {.Width = 1, .Height = 1, .BitsPerPixel = 16, .BitFields = true, .Masks = {0x7C00, 0x03E0, 0x001F},
      .PaletteOffset = 66, .BitsOffset = 66, .Stride = 4}},
    {"Rgb32With124ByteHeader", {.HeaderSize = 124, .Width = 1, .Height = 3, .BitsPerPixel = 32},
     {.Width = 1, .Height = 3, .BitsPerPixel = 32, .PaletteOffset = 138, .BitsOffset = 138, .Stride = 4}},
    {"Palette8With56ByteHeader", {.HeaderSize = 56, .Width = 4, .Height = 1, .BitsPerPixel = 8,
                                   .ColoursUsed = 2, .PaletteEntries = 2},
     {.Width = 4, .Height = 1, .BitsPerPixel = 8, .PaletteOffset = 70, .PaletteCount = 2, .BitsOffset = 78,
      .Stride = 4}},
};

void PrintTo(const TAcceptedCase& c, std::ostream* os) { *os << c.Name; }

class BmpLayoutAccepted : public ::testing::TestWithParam<TAcceptedCase> {};

TEST_P(BmpLayoutAccepted, GivesTheFieldsOfTheImage)
{
    const Bytes image = MakeBmp(GetParam().Shape);
    const auto layout = ReadBmpLayout(image);
    ASSERT_TRUE(layout.has_value());
    ExpectLayout(*layout, GetParam().Expected);
    EXPECT_EQ(layout->BitsOffset + layout->Stride * static_cast<std::size_t>(layout->Height), image.size());
}

// Every prefix that ends before the last pixel row does is refused, and reading
// it stays inside it: each prefix gets a buffer of its own exact size, so the
// native build's AddressSanitizer reports a read one byte past it. Bytes after
// the rows are allowed and change nothing.
TEST_P(BmpLayoutAccepted, RefusesEveryPrefixThatCutsThePixelRows)
{
    Bytes image = MakeBmp(GetParam().Shape);
    const std::size_t whole = image.size();
    image.insert(image.end(), {0xAA, 0xBB, 0xCC});
    for (std::size_t length = 0; length <= image.size(); ++length) {
        const Bytes prefix(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(length));
        const auto layout = ReadBmpLayout(prefix);
        if (length < whole) {
            EXPECT_FALSE(layout.has_value()) << "accepted the first " << length << " of " << whole << " bytes";
        } else {
            ASSERT_TRUE(layout.has_value()) << length << " bytes";
            ExpectLayout(*layout, GetParam().Expected);
        }
    }
}

// A bitmap resource holds the same image without its file header, the rows
// right after the colour table: the same layout, 14 bytes earlier, and the
// same refusal of every cut.
TEST_P(BmpLayoutAccepted, ThePackedFormOfAResourceGivesTheSameLayout)
{
    const Bytes image = MakeBmp(GetParam().Shape);
    const Bytes packed(image.begin() + 14, image.end());
    TBmpLayout want = GetParam().Expected;
    want.PaletteOffset -= 14;
    want.BitsOffset -= 14;
    for (std::size_t length = 0; length < packed.size(); ++length) {
        const Bytes prefix(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_FALSE(ReadPackedDibLayout(prefix).has_value()) << "accepted " << length << " of " << packed.size();
    }
    const auto layout = ReadPackedDibLayout(packed);
    ASSERT_TRUE(layout.has_value());
    ExpectLayout(*layout, want);
    EXPECT_FALSE(ReadBmpLayout(packed).has_value());  // no file header
    EXPECT_FALSE(ReadPackedDibLayout(image).has_value());  // "BM..." is no info header
}

INSTANTIATE_TEST_SUITE_P(Forms, BmpLayoutAccepted, ::testing::ValuesIn(kAccepted),
                         [](const auto& c) { return std::string(c.param.Name); });

TEST(BmpLayout, BitsMayStartAfterAGap)
{
    Bytes image = MakeBmp({.Width = 1, .Height = 1});
    image.insert(image.begin() + 54, 10, 0);
    PutU32(image, BitsOffsetField, 64);
    const auto layout = ReadBmpLayout(image);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->BitsOffset, 64u);
    EXPECT_EQ(layout->PaletteOffset, 54u);
}

// The pixel limit holds exactly at MaxBmpPixels. The images carry every row,
// so nothing but the count can refuse the one with a single pixel more
// (2^26 + 1 = 5 * 13421773).
TEST(BmpLayout, PixelCountLimitIsInclusive)
{
    constexpr std::int32_t side = 1 << 13;
    static_assert(std::int64_t{side} * side == MaxBmpPixels);
    EXPECT_TRUE(ReadBmpLayout(MakeBmp({.Width = side, .Height = side, .BitsPerPixel = 1, .PaletteEntries = 2}))
                    .has_value());

    constexpr std::int32_t wide = 13421773;
    static_assert(std::int64_t{wide} * 5 == MaxBmpPixels + 1);
    EXPECT_FALSE(ReadBmpLayout(MakeBmp({.Width = wide, .Height = 5, .BitsPerPixel = 1, .PaletteEntries = 2}))
                     .has_value());
    EXPECT_FALSE(ReadBmpLayout(MakeBmp({.Width = wide, .Height = -5, .BitsPerPixel = 1, .PaletteEntries = 2}))
                     .has_value());
}

// ------------------------------------------------------------ refusals

struct TRefusedCase {
    const char* Name;
    std::function<Bytes()> Make;
};

Bytes Rgb24() { return MakeBmp({.Width = 4, .Height = 4}); }
Bytes Palette8() { return MakeBmp({.Width = 4, .Height = 2, .BitsPerPixel = 8, .PaletteEntries = 256}); }
Bytes Fields16() { return MakeBmp({.Width = 2, .Height = 2, .BitsPerPixel = 16, .Compression = BitFields}); }

// An image with the 12-byte core header, long enough that the length of its
// headers is not what refuses it.
Bytes CoreHeader()
{
    Bytes b(14 + 12 + 4 * 12);
    b[0] = 'B';
    b[1] = 'M';
    PutU32(b, BitsOffsetField, 26);
    PutU32(b, HeaderSizeField, 12);
    PutU16(b, 18, 4);   // width
    PutU16(b, 20, 4);   // height
    PutU16(b, 22, 1);   // planes
    PutU16(b, 24, 24);  // bits per pixel
    return b;
}

const TRefusedCase kRefused[] = {
    {"BadSignature", [] { Bytes b = Rgb24(); b[1] = 'N'; return b; }},
    {"Rle8", [] { return Patched(Palette8(), CompressionField, Rle8); }},
    {"Rle4", [] { return MakeBmp({.Width = 4, .Height = 2, .BitsPerPixel = 4, .Compression = Rle4,
                                  .PaletteEntries = 16}); }},
    {"Jpeg", [] { return Patched(Rgb24(), CompressionField, Jpeg); }},
    {"BitFieldsOn24Bits", [] { return MakeBmp({.Width = 4, .Height = 4, .Compression = BitFields}); }},
    {"BitFieldsOn8Bits", [] { return MakeBmp({.Width = 4, .Height = 2, .BitsPerPixel = 8,
                                              .Compression = BitFields, .PaletteEntries = 256}); }},
    {"CoreHeader12Bytes", CoreHeader},
    {"UnknownHeaderSize64", [] { return MakeBmp({.HeaderSize = 64, .Width = 2, .Height = 2}); }},
    {"HeaderLongerThanImage", [] { return Patched(MakeBmp({.Width = 1, .Height = 1}), HeaderSizeField, 124); }},
    {"PlanesZero", [] { Bytes b = Rgb24(); PutU16(b, PlanesField, 0); return b; }},
    {"PlanesTwo", [] { Bytes b = Rgb24(); PutU16(b, PlanesField, 2); return b; }},
    {"BitsPerPixel3", [] { Bytes b = Rgb24(); PutU16(b, BitCountField, 3); return b; }},
    {"BitsPerPixel0", [] { Bytes b = Rgb24(); PutU16(b, BitCountField, 0); return b; }},
    {"ZeroWidth", [] { return Patched(Rgb24(), WidthField, 0); }},
    {"NegativeWidth", [] { return Patched(Rgb24(), WidthField, static_cast<std::uint32_t>(-4)); }},
    {"ZeroHeight", [] { return Patched(Rgb24(), HeightField, 0); }},
    {"HeightInt32Min", [] { return Patched(Rgb24(), HeightField, 0x80000000u); }},
    {"WidthAndHeightAtInt32Max", [] { return Patched(Patched(Rgb24(), WidthField, 0x7FFFFFFF),
                                                     HeightField, 0x7FFFFFFF); }},
    {"PaletteOf257For8Bits", [] { return MakeBmp({.Width = 4, .Height = 2, .BitsPerPixel = 8,
                                                  .ColoursUsed = 257, .PaletteEntries = 257}); }},
    {"PaletteOf3For1Bit", [] { return MakeBmp({.Width = 4, .Height = 2, .BitsPerPixel = 1,
                                               .ColoursUsed = 3, .PaletteEntries = 3}); }},
    {"PaletteCountAtUint32Max", [] { return Patched(Palette8(), ColoursUsedField, 0xFFFFFFFF); }},
    {"BitsOffsetInsideFileHeader", [] { return Patched(Rgb24(), BitsOffsetField, 2); }},
    {"BitsOffsetInsideInfoHeader", [] { return Patched(Rgb24(), BitsOffsetField, 53); }},
    {"BitsOffsetInsideMasks", [] { return Patched(Fields16(), BitsOffsetField, 54); }},
    {"BitsOffsetInsidePalette", [] { return Patched(Palette8(), BitsOffsetField, 54 + 4 * 255); }},
    {"BitsOffsetAtEnd", [] {
         Bytes b = Rgb24();
         return Patched(b, BitsOffsetField, static_cast<std::uint32_t>(b.size()));
     }},
    {"BitsOffsetAtUint32Max", [] { return Patched(Rgb24(), BitsOffsetField, 0xFFFFFFFF); }},
};

void PrintTo(const TRefusedCase& c, std::ostream* os) { *os << c.Name; }

class BmpLayoutRefused : public ::testing::TestWithParam<TRefusedCase> {};

TEST_P(BmpLayoutRefused, GivesNoLayout)
{
    const Bytes image = GetParam().Make();
    EXPECT_FALSE(ReadBmpLayout(image).has_value());
}

INSTANTIATE_TEST_SUITE_P(Images, BmpLayoutRefused, ::testing::ValuesIn(kRefused),
                         [](const auto& c) { return std::string(c.param.Name); });

// The refusals above are each one change to an image that is accepted as made.
TEST(BmpLayout, ImagesTheRefusalsStartFromAreAccepted)
{
    for (const Bytes& image : {Rgb24(), Palette8(), Fields16(),
                               MakeBmp({.Width = 4, .Height = 2, .BitsPerPixel = 4, .PaletteEntries = 16})})
        EXPECT_TRUE(ReadBmpLayout(image).has_value());
}

}  // namespace
