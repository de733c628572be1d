#pragma once
// Builds theme files (the layout is described in ThemeFile.h): the core of the
// theme_writer tool, and how tests make their theme files in memory.
//
// The image is laid out as header, then every record in chain order (the
// terminator last), then the entries' data in the same order. Bytes 0-7 of the
// header carry the signature "VKTHEME" with a NUL, bytes 8-11 the format version
// and bytes 16-19 the entry count; readers need none of them.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

constexpr std::uint32_t ThemeWriterVersion = 1;

class TThemeFileWriter {
public:
    // Names longer than 64 bytes or holding a NUL byte cannot be stored and throw
    // std::invalid_argument. Entries keep the order they were added in.
    void AddPicture(std::string_view name, std::span<const std::uint8_t> bmpImage);
    void AddInteger(std::string_view name, std::int32_t value);
    void AddBoolean(std::string_view name, bool value);
    void AddBooleanByte(std::string_view name, std::uint8_t stored);
    void AddString(std::string_view name, std::string_view text);
    // Any type byte and any data, for files the other calls cannot make.
    void AddRaw(std::string_view name, std::uint8_t type, std::span<const std::uint8_t> data);

    std::size_t EntryCount() const { return entries_.size(); }
    std::string_view EntryName(std::size_t index) const { return entries_.at(index).Name; }
    std::uint8_t EntryType(std::size_t index) const { return entries_.at(index).Type; }
    // Throws std::length_error when the image would not fit 32-bit offsets.
    std::vector<std::uint8_t> Build() const;

    // Where Build puts record `index` (the terminator is record EntryCount()).
    static std::size_t RecordOffset(std::size_t index);

private:
    struct TPending {
        std::string Name;
        std::uint8_t Type = 0;
        std::vector<std::uint8_t> Data;
    };
    std::vector<TPending> entries_;
};

// One line of the theme_writer's value list, added to `writer`:
//   int NAME=VALUE       decimal (optionally signed) or 0x hexadecimal
//   colour NAME=#RRGGBB  stored as the integer 0x00BBGGRR ("color" too; a plain
//                        number is taken as it is)
//   bool NAME=VALUE      true, false, yes, no, or a stored byte 0-255
//   string NAME=TEXT     TEXT is everything after the '=', spaces included
// Blank lines and lines starting with '#' or ';' add nothing. Returns false and
// says why in `error` for a line it cannot read.
bool AddThemeValueLine(TThemeFileWriter& writer, std::string_view line, std::string& error);
