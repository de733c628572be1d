#include "ThemeFileWriter.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <optional>
#include <stdexcept>

#include "TextRules.h"
#include "ThemeFile.h"

namespace {

void PutU32(std::uint8_t* p, std::uint64_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// Decimal int32, or 0x followed by up to 32 bits of hexadecimal (so colours such
// as 0x00C82C00 can be written as they are stored).
std::optional<std::int32_t> ParseInt(std::string_view text)
{
    text = Trim(text);
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t v = 0;
        const auto [p, ec] = std::from_chars(text.data() + 2, text.data() + text.size(), v, 16);
        if (ec != std::errc() || p != text.data() + text.size() || v > 0xFFFFFFFFu)
            return std::nullopt;
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    }
    if (!text.empty() && text[0] == '+')
        text.remove_prefix(1);
    std::int32_t v = 0;
    const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 10);
    if (text.empty() || ec != std::errc() || p != text.data() + text.size())
        return std::nullopt;
    return v;
}

std::optional<std::int32_t> ParseColour(std::string_view text)
{
    text = Trim(text);
    if (text.empty() || text[0] != '#')
        return ParseInt(text);
    if (text.size() != 7)
        return std::nullopt;
    std::uint32_t rgb = 0;
    const auto [p, ec] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
    if (ec != std::errc() || p != text.data() + 7)
        return std::nullopt;
    const std::uint32_t r = rgb >> 16 & 0xFF, g = rgb >> 8 & 0xFF, b = rgb & 0xFF;
    return static_cast<std::int32_t>(b << 16 | g << 8 | r);
}

std::optional<std::uint8_t> ParseBoolByte(std::string_view text)
{
    const std::string word = LowerCase(Trim(text));
    if (word == "true" || word == "yes")
        return 1;
    if (word == "false" || word == "no")
        return 0;
    std::uint32_t v = 0;
    const auto [p, ec] = std::from_chars(word.data(), word.data() + word.size(), v, 10);
    if (word.empty() || ec != std::errc() || p != word.data() + word.size() || v > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(v);
}

}  // namespace

void TThemeFileWriter::AddRaw(std::string_view name, std::uint8_t type, std::span<const std::uint8_t> data)
{
    if (name.size() > ThemeNameSize)
        throw std::invalid_argument("theme entry name longer than 64 bytes: " + std::string(name));
    if (name.find('\0') != std::string_view::npos)
        throw std::invalid_argument("theme entry name holds a NUL byte");
    entries_.push_back({std::string(name), type, std::vector<std::uint8_t>(data.begin(), data.end())});
}

void TThemeFileWriter::AddPicture(std::string_view name, std::span<const std::uint8_t> bmpImage)
{
    AddRaw(name, static_cast<std::uint8_t>(TThemeEntryType::Picture), bmpImage);
}

void TThemeFileWriter::AddInteger(std::string_view name, std::int32_t value)
{
    std::uint8_t bytes[4];
    PutU32(bytes, static_cast<std::uint32_t>(value));
    AddRaw(name, static_cast<std::uint8_t>(TThemeEntryType::Integer), bytes);
}

void TThemeFileWriter::AddBoolean(std::string_view name, bool value)
{
    AddBooleanByte(name, value ? 1 : 0);
}

void TThemeFileWriter::AddBooleanByte(std::string_view name, std::uint8_t stored)
{
    AddRaw(name, static_cast<std::uint8_t>(TThemeEntryType::Boolean), std::span(&stored, 1));
}

void TThemeFileWriter::AddString(std::string_view name, std::string_view text)
{
    AddRaw(name, static_cast<std::uint8_t>(TThemeEntryType::String),
           std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::size_t TThemeFileWriter::RecordOffset(std::size_t index)
{
    return ThemeHeaderSize + index * ThemeRecordSize;
}

std::vector<std::uint8_t> TThemeFileWriter::Build() const
{
    std::uint64_t total = RecordOffset(entries_.size() + 1);
    for (const TPending& e : entries_)
        total += e.Data.size();
    if (total > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("theme file larger than 4 GiB");

    std::vector<std::uint8_t> image(static_cast<std::size_t>(total), 0);
    std::uint8_t* header = image.data();
    std::memcpy(header, "VKTHEME", 8);
    PutU32(header + 8, ThemeWriterVersion);
    PutU32(header + 12, ThemeHeaderSize);
    PutU32(header + 16, entries_.size());
    PutU32(header + 20, RecordOffset(0));

    std::size_t dataAt = RecordOffset(entries_.size() + 1);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const TPending& e = entries_[i];
        std::uint8_t* record = image.data() + RecordOffset(i);
        std::memcpy(record, e.Name.data(), e.Name.size());
        record[64] = e.Type;
        PutU32(record + 65, dataAt);
        PutU32(record + 69, e.Data.size());
        PutU32(record + 73, RecordOffset(i + 1));
        if (!e.Data.empty())
            std::memcpy(image.data() + dataAt, e.Data.data(), e.Data.size());
        dataAt += e.Data.size();
    }
    // The terminator record stays all zero: next offset 0 ends the chain.
    return image;
}

bool AddThemeValueLine(TThemeFileWriter& writer, std::string_view line, std::string& error)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == '#' || trimmed[0] == ';')
        return true;

    const std::size_t space = trimmed.find_first_of(" \t");
    const std::size_t eq = trimmed.find('=');
    if (space == std::string_view::npos || eq == std::string_view::npos || eq < space) {
        error = "expected 'KIND NAME=VALUE': " + std::string(trimmed);
        return false;
    }
    const std::string kind = LowerCase(trimmed.substr(0, space));
    const std::string_view name = Trim(trimmed.substr(space, eq - space));
    // Strings keep their value verbatim: everything after '=' on the original line.
    const std::string_view value = line.substr(static_cast<std::size_t>(trimmed.data() - line.data()) + eq + 1);
    if (name.empty()) {
        error = "missing entry name: " + std::string(trimmed);
        return false;
    }
    try {
        if (kind == "int" || kind == "integer") {
            const auto v = ParseInt(value);
            if (!v) {
                error = "not a 32-bit integer: " + std::string(trimmed);
                return false;
            }
            writer.AddInteger(name, *v);
        } else if (kind == "colour" || kind == "color") {
            const auto v = ParseColour(value);
            if (!v) {
                error = "not a colour (#RRGGBB or a number): " + std::string(trimmed);
                return false;
            }
            writer.AddInteger(name, *v);
        } else if (kind == "bool" || kind == "boolean") {
            const auto v = ParseBoolByte(value);
            if (!v) {
                error = "not a boolean (true, false, yes, no or 0-255): " + std::string(trimmed);
                return false;
            }
            writer.AddBooleanByte(name, *v);
        } else if (kind == "string") {
            writer.AddString(name, value);
        } else {
            error = "unknown kind '" + kind + "' (int, colour, bool, string): " + std::string(trimmed);
            return false;
        }
    } catch (const std::invalid_argument& e) {
        error = e.what();
        return false;
    }
    return true;
}
