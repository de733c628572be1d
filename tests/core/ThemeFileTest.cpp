#include "ThemeFile.h"
#include "ThemeFileWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

const Bytes SmallBmp = {'B', 'M', 0x3A, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};

std::uint32_t U32At(const Bytes& b, std::size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t{b[at + 3]} << 24;
}

void PutU32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Field offsets inside a record.
constexpr std::size_t TypeField = 64, DataOffsetField = 65, DataSizeField = 69, NextField = 73;

std::size_t Record(std::size_t index)
{
    return TThemeFileWriter::RecordOffset(index);
}

// Whatever the image, everything loaded must point inside it, and no more
// entries than records fit side by side.
void ExpectSoundLoad(const TThemeFile& theme)
{
    const std::size_t size = theme.ImageSize();
    EXPECT_LE(theme.Entries().size(), size / ThemeRecordSize);
    for (const TThemeEntry& e : theme.Entries()) {
        ASSERT_LE(std::uint64_t{e.NameOffset} + ThemeRecordSize, size);
        ASSERT_LE(std::uint64_t{e.DataOffset} + e.DataSize, size);
        ASSERT_LE(e.NameLength, ThemeNameSize);
        ASSERT_LE(static_cast<int>(e.Type), 3);
    }
}

Bytes FourTypes()
{
    TThemeFileWriter w;
    w.AddPicture("ButtonImage", SmallBmp);
    w.AddInteger("FormBorderColor", 255);
    w.AddInteger("TitleBarButtonRightOffsetInt", -2);
    w.AddBooleanByte("ButtonTransparentBool", 2);
    w.AddBoolean("TitleBarButtonTransparentBool", false);
    w.AddString("Author", "a name with spaces");
    return w.Build();
}

}  // namespace

TEST(ThemeFile, LoadsAllFourEntryTypes)
{
    const TThemeFile theme(FourTypes());
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::Terminator);
    ASSERT_EQ(theme.Entries().size(), 6u);
    const auto picture = theme.FindPicture("ButtonImage");
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(Bytes(picture->begin(), picture->end()), SmallBmp);
    EXPECT_EQ(theme.GetInteger("FormBorderColor"), 255);
    EXPECT_EQ(theme.GetInteger("TitleBarButtonRightOffsetInt"), -2);
    EXPECT_TRUE(theme.GetBoolean("ButtonTransparentBool"));  // stored 2
    EXPECT_FALSE(theme.GetBoolean("TitleBarButtonTransparentBool"));
    EXPECT_EQ(theme.FindString("author"), "a name with spaces");
}

TEST(ThemeFile, MissingEntriesAndOtherTypesAnswerNothing)
{
    const TThemeFile theme(FourTypes());
    EXPECT_EQ(theme.GetInteger("FormMinWidthInt"), -1);
    EXPECT_FALSE(theme.GetBoolean("Nothing"));
    EXPECT_FALSE(theme.FindPicture("FormBorderColor").has_value());  // an integer, not a picture
    EXPECT_EQ(theme.GetInteger("ButtonTransparentBool"), -1);        // a boolean, not an integer
    EXPECT_FALSE(theme.FindString("ButtonImage").has_value());

    const TThemeFile none;
    EXPECT_EQ(none.GetInteger("FormBorderColor"), -1);
    EXPECT_TRUE(none.Entries().empty());
}

TEST(ThemeFile, TerminatorOnlyLoadsNothing)
{
    const Bytes image = TThemeFileWriter().Build();
    EXPECT_EQ(image.size(), ThemeHeaderSize + ThemeRecordSize);
    const TThemeFile theme(image);
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::Terminator);
    EXPECT_TRUE(theme.Entries().empty());
}

TEST(ThemeFile, DuplicateNamesDifferingInCaseFindTheFirst)
{
    const Bytes other = {'B', 'M', 9, 9};
    TThemeFileWriter w;
    w.AddPicture("ButtonImage", SmallBmp);
    w.AddPicture("BUTTONIMAGE", other);
    w.AddInteger("formbordercolor", 7);
    w.AddInteger("FormBorderColor", 8);
    const TThemeFile theme(w.Build());
    for (const char* name : {"ButtonImage", "buttonimage", "BUTTONIMAGE"}) {
        const auto p = theme.FindPicture(name);
        ASSERT_TRUE(p.has_value()) << name;
        EXPECT_EQ(Bytes(p->begin(), p->end()), SmallBmp) << name;
    }
    EXPECT_EQ(theme.GetInteger("FormBorderColor"), 7);
}

TEST(ThemeFile, NamesUseTheWholeFieldAndFoldOnlyAscii)
{
    const std::string longName(64, 'N');
    TThemeFileWriter w;
    w.AddInteger(longName, 64);
    w.AddInteger("Colour=Red", 5);  // an '=' in a name is just a character
    w.AddInteger("\xB0\xB4\xC5\xA5", 936);  // code-page-936 bytes are compared as they are
    const TThemeFile theme(w.Build());
    EXPECT_EQ(theme.GetInteger(longName), 64);
    EXPECT_EQ(theme.GetInteger(std::string(63, 'N')), -1);
    EXPECT_EQ(theme.GetInteger("colour=red"), 5);
    EXPECT_EQ(theme.GetInteger("Colour"), -1);
    EXPECT_EQ(theme.GetInteger("\xB0\xB4\xC5\xA5"), 936);
    EXPECT_EQ(theme.GetInteger("\xB0\x94\xC5\xA5"), -1);  // 0xB4 is not 0x94 with a case
}

TEST(ThemeFile, OddSizedNumbersReadAtMostTheirWidth)
{
    TThemeFileWriter w;
    const std::uint8_t two[] = {0x34, 0x12};
    const std::uint8_t eight[] = {0xFE, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4};
    const std::uint8_t three[] = {0, 1, 1};
    w.AddRaw("Short", 1, two);
    w.AddRaw("Long", 1, eight);
    w.AddRaw("Empty", 1, {});
    w.AddRaw("BoolEmpty", 2, {});
    w.AddRaw("BoolLong", 2, three);
    const TThemeFile theme(w.Build());
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::Terminator);
    EXPECT_EQ(theme.GetInteger("Short"), 0x1234);
    EXPECT_EQ(theme.GetInteger("Long"), -2);
    EXPECT_EQ(theme.GetInteger("Empty"), 0);
    EXPECT_FALSE(theme.GetBoolean("BoolEmpty"));
    EXPECT_FALSE(theme.GetBoolean("BoolLong"));  // only the first byte counts
}

TEST(ThemeFile, UnknownTypesAreSkippedWithoutLookingAtTheirData)
{
    TThemeFileWriter w;
    w.AddRaw("Future", 7, SmallBmp);
    w.AddInteger("After", 1);
    Bytes image = w.Build();
    PutU32(image, Record(0) + DataSizeField, 0xFFFFFFFF);  // would end the chain for a known type
    const TThemeFile theme(image);
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::Terminator);
    ASSERT_EQ(theme.Entries().size(), 1u);
    EXPECT_EQ(theme.GetInteger("After"), 1);
}

TEST(ThemeFile, RecordsAndDataMayLieAnywhereInAnyOrder)
{
    // Header, then data, then the chain running backwards through the file.
    Bytes image(400, 0xEE);
    PutU32(image, 12, 24);
    image[24] = 42;  // a one-byte integer's data
    const auto putRecord = [&](std::size_t at, const char* name, std::uint8_t type, std::uint32_t data,
                               std::uint32_t size, std::uint32_t next) {
        std::memset(&image[at], 0, ThemeNameSize);
        std::memcpy(&image[at], name, std::strlen(name));
        image[at + TypeField] = type;
        PutU32(image, at + DataOffsetField, data);
        PutU32(image, at + DataSizeField, size);
        PutU32(image, at + NextField, next);
    };
    putRecord(300, "First", 1, 24, 1, 150);
    putRecord(150, "Second", 3, 25, 3, 40);
    putRecord(40, "", 0, 0, 0, 0);
    PutU32(image, 20, 300);
    const TThemeFile theme(image);
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::Terminator);
    EXPECT_EQ(theme.GetInteger("First"), 42);
    EXPECT_EQ(theme.FindString("Second"), "\xEE\xEE\xEE");
}

TEST(ThemeFile, HeaderNeedsOnlyItsLengthAndFirstOffset)
{
    Bytes image = FourTypes();
    for (std::size_t i : {0, 5, 11, 16, 19})
        image[i] = 0xA5;  // signature, version and count are not required
    EXPECT_EQ(TThemeFile(image).Entries().size(), 6u);
    PutU32(image, 12, 100);  // a longer header is fine while the file holds it
    EXPECT_EQ(TThemeFile(image).Entries().size(), 6u);
}

TEST(ThemeFileBadInput, ShortOrImpossibleHeaderLoadsNoItem)
{
    const Bytes good = FourTypes();
    for (std::size_t size : {0, 15, 16, 23}) {
        const TThemeFile theme = TThemeFile::FromBytes(std::span(good).first(size));
        EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::NoHeader) << size;
        EXPECT_TRUE(theme.Entries().empty()) << size;
    }
    for (std::uint32_t length : {0u, 23u, static_cast<std::uint32_t>(good.size() + 1), 0xFFFFFFFFu}) {
        Bytes image = good;
        PutU32(image, 12, length);
        const TThemeFile theme(image);
        EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::NoHeader) << length;
        EXPECT_TRUE(theme.Entries().empty()) << length;
    }
}

TEST(ThemeFileBadInput, ChainComingBackEndsThere)
{
    Bytes image = FourTypes();
    PutU32(image, Record(5) + NextField, static_cast<std::uint32_t>(Record(0)));  // last entry back to the first
    TThemeFile theme(image);
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::RecordRevisited);
    EXPECT_EQ(theme.Entries().size(), 6u);
    EXPECT_EQ(theme.GetInteger("FormBorderColor"), 255);

    PutU32(image, Record(0) + NextField, static_cast<std::uint32_t>(Record(0)));  // a record naming itself
    theme = TThemeFile(image);
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::RecordRevisited);
    EXPECT_EQ(theme.Entries().size(), 1u);
}

TEST(ThemeFileBadInput, RecordsOverlappingOneAlreadyReadEndTheChain)
{
    // One byte on from a record is a different offset but the same bytes: a file
    // chained that way would yield one entry per byte.
    Bytes image = FourTypes();
    PutU32(image, Record(1) + NextField, static_cast<std::uint32_t>(Record(1) + 1));
    const TThemeFile theme(image);
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::RecordRevisited);
    EXPECT_EQ(theme.Entries().size(), 2u);
}

TEST(ThemeFileBadInput, DataPastTheEndEndsTheChainKeepingEarlierItems)
{
    const Bytes good = FourTypes();
    for (const auto& [field, value] : {std::pair{DataSizeField, 0xFFFFFFFFu}, std::pair{DataSizeField, 0x7FFFFFFFu},
                                       std::pair{DataOffsetField, 0xFFFFFFF0u},
                                       std::pair{DataSizeField, static_cast<std::uint32_t>(good.size())}}) {
        Bytes image = good;
        PutU32(image, Record(2) + field, value);
        const TThemeFile theme(image);
        EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::DataOutside) << field << " " << value;
        EXPECT_EQ(theme.Entries().size(), 2u);
        EXPECT_EQ(theme.GetInteger("FormBorderColor"), 255);
        EXPECT_EQ(theme.GetInteger("TitleBarButtonRightOffsetInt"), -1);
    }
    // Data that ends exactly at the end of the file is inside.
    Bytes image = good;
    const std::uint32_t lastData = U32At(image, Record(5) + DataOffsetField);
    PutU32(image, Record(5) + DataSizeField, static_cast<std::uint32_t>(image.size() - lastData));
    EXPECT_EQ(TThemeFile(image).ChainEnd(), TThemeChainEnd::Terminator);
}

TEST(ThemeFileBadInput, RecordPastTheEndEndsTheChain)
{
    Bytes image = FourTypes();
    PutU32(image, Record(3) + NextField, static_cast<std::uint32_t>(image.size() - ThemeRecordSize + 1));
    TThemeFile theme(image);
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::RecordOutside);
    EXPECT_EQ(theme.Entries().size(), 4u);

    PutU32(image, 20, 0xFFFFFFFF);  // the first record already
    theme = TThemeFile(image);
    EXPECT_EQ(theme.ChainEnd(), TThemeChainEnd::RecordOutside);
    EXPECT_TRUE(theme.Entries().empty());
}

TEST(ThemeFileBadInput, RandomDamageNeverReadsOutsideOrMultipliesEntries)
{
    // A quick, fixed-seed version of what the fuzz target does for longer.
    const Bytes good = FourTypes();
    std::mt19937 random(20240605);
    for (int round = 0; round < 3000; ++round) {
        Bytes image = good;
        const int flips = 1 + round % 8;
        for (int i = 0; i < flips; ++i) {
            const std::size_t at = random() % image.size();
            // Offsets are where damage matters most: often write a plausible one.
            if (random() % 2 && at + 4 <= image.size())
                PutU32(image, at, static_cast<std::uint32_t>(random() % (image.size() + 8)));
            else
                image[at] = static_cast<std::uint8_t>(random());
        }
        if (round % 5 == 0)
            image.resize(random() % (image.size() + 1));
        SCOPED_TRACE(round);
        ExpectSoundLoad(TThemeFile(image));
    }
}

#ifdef VENDRAKE_THEME_REGRESSIONS
// Files the fuzz target found troublesome, plus hand-made hostile files: each
// must load within the image's bounds.
TEST(ThemeFileBadInput, KnownTroublesomeFilesLoadSoundly)
{
    namespace fs = std::filesystem;
    const fs::path folder = VENDRAKE_THEME_REGRESSIONS;
    ASSERT_TRUE(fs::is_directory(folder)) << folder;
    int files = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md")
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes image{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        SCOPED_TRACE(entry.path().filename().string());
        ExpectSoundLoad(TThemeFile(image));
        ++files;
    }
    EXPECT_GT(files, 0);
}
#endif

TEST(ThemeFileWriter, HeaderAndChainLayout)
{
    const Bytes image = FourTypes();
    EXPECT_EQ(std::memcmp(image.data(), "VKTHEME", 8), 0);
    EXPECT_EQ(U32At(image, 8), ThemeWriterVersion);
    EXPECT_EQ(U32At(image, 12), ThemeHeaderSize);
    EXPECT_EQ(U32At(image, 16), 6u);
    EXPECT_EQ(U32At(image, 20), Record(0));
    EXPECT_EQ(U32At(image, Record(5) + NextField), Record(6));
    EXPECT_EQ(U32At(image, Record(6) + NextField), 0u);
    EXPECT_EQ(U32At(image, Record(0) + DataOffsetField), Record(7));  // data follows the terminator
}

TEST(ThemeFileWriter, RefusesNamesTheFormatCannotHold)
{
    TThemeFileWriter w;
    EXPECT_THROW(w.AddInteger(std::string(65, 'x'), 1), std::invalid_argument);
    EXPECT_THROW(w.AddInteger(std::string("a\0b", 3), 1), std::invalid_argument);
    EXPECT_NO_THROW(w.AddInteger(std::string(64, 'x'), 1));
    EXPECT_EQ(w.EntryCount(), 1u);
}

TEST(ThemeFileWriter, ValueLines)
{
    TThemeFileWriter w;
    std::string error;
    for (const char* line : {"int TitleBarButtonRightOffsetInt=-2", "int FormMinWidthInt = 0x10\r\n",
                             "colour FormBorderColor=#002CC8", "color MenuBarColor=255",
                             "bool ButtonTransparentBool=yes", "BOOL TitleBarButtonTransparentBool = 2",
                             "string Author= two  spaces ", "", "   ", "# a comment", "; another"})
        EXPECT_TRUE(AddThemeValueLine(w, line, error)) << line << ": " << error;
    const TThemeFile theme(w.Build());
    EXPECT_EQ(theme.Entries().size(), 7u);
    EXPECT_EQ(theme.GetInteger("TitleBarButtonRightOffsetInt"), -2);
    EXPECT_EQ(theme.GetInteger("FormMinWidthInt"), 16);
    EXPECT_EQ(theme.GetInteger("FormBorderColor"), 0x00C82C00);
    EXPECT_EQ(theme.GetInteger("MenuBarColor"), 255);
    EXPECT_TRUE(theme.GetBoolean("ButtonTransparentBool"));
    EXPECT_EQ(theme.Entries()[5].Value, 2);
    EXPECT_EQ(theme.FindString("Author"), " two  spaces ");
}

TEST(ThemeFileWriter, ValueLinesItCannotRead)
{
    for (const char* line : {"int X=2147483648", "int X=", "int X=12abc", "colour X=#12345", "colour X=#GG0000",
                             "bool X=256", "bool X=maybe", "float X=1.5", "int =3", "int X 3", "X=3",
                             "int 0123456789012345678901234567890123456789012345678901234567890123456789=1"}) {
        TThemeFileWriter w;
        std::string error;
        EXPECT_FALSE(AddThemeValueLine(w, line, error)) << line;
        EXPECT_FALSE(error.empty()) << line;
        EXPECT_EQ(w.EntryCount(), 0u) << line;
    }
}
