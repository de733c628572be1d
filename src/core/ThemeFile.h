#pragma once
// Theme files: a binary container of named pictures, integers, booleans and
// strings that replaces the built-in style table. TThemeFile parses a whole file
// image held in memory; the skin library's reader reads the file and asks this
// class everything else.
//
// Layout (all numbers unsigned 32-bit little-endian, offsets from the start):
//   header, 24 bytes: 0-11 free (our writer puts a signature and version there),
//     12 header length (24), 16 free, 20 offset of the first entry record.
//   entry record, 77 bytes packed: 0 name (64 bytes, ended by the first NUL or by
//     the field's end), 64 type (0 picture, 1 integer, 2 boolean, 3 string, other
//     skipped), 65 data offset, 69 data size, 73 next record offset (0 ends).
// Records form a chain from the header; the record whose next offset is 0 ends
// it and its own entry is not loaded. Data: a picture is a BMP file image; an
// integer is a signed 32-bit little-endian value; a boolean one byte; a string
// its bytes without terminator.
//
// A theme file is untrusted input. Loading never reads outside the image and
// never loops:
// - a chain that comes back to a record already read (or to any byte of one)
//   ends there;
// - a record, or the data of a loaded entry, that does not lie wholly inside the
//   image ends the chain; the entries loaded so far stay;
// - a header shorter than 24 bytes, or whose length field is below 24 or beyond
//   the image, loads no entry.
// Besides the image itself, loading allocates less than the image's size:
// entries point into the image, records never share bytes (so there are at most
// size / 77 of them), and one bit per byte marks the records read.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

constexpr std::size_t ThemeHeaderSize = 24;
constexpr std::size_t ThemeRecordSize = 77;
constexpr std::size_t ThemeNameSize = 64;

enum class TThemeEntryType : std::uint8_t {
    Picture = 0,
    Integer = 1,
    Boolean = 2,
    String = 3,
};

// Why loading stopped.
enum class TThemeChainEnd : std::uint8_t {
    Terminator,      // a record with next offset 0: the file is whole
    NoHeader,        // nothing loaded: no usable header
    RecordOutside,   // a record reaches past the end of the image
    DataOutside,     // an entry's data reaches past the end of the image
    RecordRevisited, // the next record overlaps one already read (a loop)
};

// One loaded entry, pointing into the image the TThemeFile keeps.
struct TThemeEntry {
    std::uint32_t NameOffset = 0;
    std::uint8_t NameLength = 0;
    TThemeEntryType Type = TThemeEntryType::Picture;
    std::uint32_t DataOffset = 0;
    std::uint32_t DataSize = 0;
    // Integers: the value. Only the first 4 bytes of the data count, and fewer
    // bytes make the low bytes of a value that is otherwise 0. Booleans: the
    // stored byte (0 when the size is 0). Pictures and strings: 0.
    std::int32_t Value = 0;
};

class TThemeFile {
public:
    // No file: no entries, every lookup answers "missing".
    TThemeFile() = default;
    // Takes the file image and loads it at once.
    explicit TThemeFile(std::vector<std::uint8_t> image);
    // Loads a copy of the image.
    static TThemeFile FromBytes(std::span<const std::uint8_t> image);

    // Lookups compare names without regard to ASCII letter case and find the
    // first entry of the chain with that name and type.
    std::optional<std::span<const std::uint8_t>> FindPicture(std::string_view name) const;
    std::int32_t GetInteger(std::string_view name) const;  // -1 when missing
    bool GetBoolean(std::string_view name) const;          // false when missing
    std::optional<std::string_view> FindString(std::string_view name) const;

    // Loaded entries in chain order (records of unknown type are not among them).
    std::span<const TThemeEntry> Entries() const { return entries_; }
    std::string_view NameOf(const TThemeEntry& entry) const;
    std::span<const std::uint8_t> DataOf(const TThemeEntry& entry) const;
    TThemeChainEnd ChainEnd() const { return end_; }
    std::size_t ImageSize() const { return image_.size(); }

private:
    void Load();
    const TThemeEntry* Find(TThemeEntryType type, std::string_view name) const;

    std::vector<std::uint8_t> image_;
    std::vector<TThemeEntry> entries_;
    TThemeChainEnd end_ = TThemeChainEnd::NoHeader;
};

// ASCII-only case folding: names may hold code-page-936 bytes, which must not be
// folded as if they were Latin-1 letters.
bool ThemeNamesEqual(std::string_view a, std::string_view b);
