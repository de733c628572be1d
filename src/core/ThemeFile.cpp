#include "ThemeFile.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t ReadU32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

// Marks the bytes that records have taken, one bit per byte of the image: the
// chain may not come back to any of them. Records at most a byte apart would
// otherwise let a small file yield one entry per byte, and a loop would never end.
class TRecordMap {
public:
    explicit TRecordMap(std::size_t bytes) : words_((bytes + 63) / 64, 0) {}

    // True when [first, first + count) held no record yet; then takes it.
    bool Claim(std::size_t first, std::size_t count)
    {
        for (std::size_t pass = 0; pass < 2; ++pass) {
            std::size_t bit = first;
            const std::size_t end = first + count;
            while (bit < end) {
                const std::size_t word = bit / 64, shift = bit % 64;
                const std::size_t n = std::min<std::size_t>(64 - shift, end - bit);
                const std::uint64_t mask = (n == 64 ? ~std::uint64_t{0} : ((std::uint64_t{1} << n) - 1)) << shift;
                if (pass == 0 && (words_[word] & mask) != 0)
                    return false;
                if (pass == 1)
                    words_[word] |= mask;
                bit += n;
            }
        }
        return true;
    }

private:
    std::vector<std::uint64_t> words_;
};

// Entries of at most 20 bytes for records of 77, even with the vector's spare
// capacity, plus the record map's size / 8, stay below the image's size.
static_assert(sizeof(TThemeEntry) <= 20);

bool LiesInside(std::uint64_t offset, std::uint64_t size, std::uint64_t total)
{
    return offset <= total && size <= total - offset;
}

char FoldAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool ThemeNamesEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    return true;
}

TThemeFile::TThemeFile(std::vector<std::uint8_t> image) : image_(std::move(image))
{
    Load();
}

TThemeFile TThemeFile::FromBytes(std::span<const std::uint8_t> image)
{
    return TThemeFile(std::vector<std::uint8_t>(image.begin(), image.end()));
}

void TThemeFile::Load()
{
    const std::uint8_t* const base = image_.data();
    const std::uint64_t size = image_.size();
    end_ = TThemeChainEnd::NoHeader;
    // The header length only has to cover the first-entry offset; a longer
    // header is fine as long as the file holds it.
    if (size < ThemeHeaderSize)
        return;
    const std::uint32_t headerLength = ReadU32(base + 12);
    if (headerLength < ThemeHeaderSize || headerLength > size)
        return;

    // Records live at 32-bit offsets, so bytes past 4 GiB + one record are never
    // claimed by one.
    TRecordMap taken(static_cast<std::size_t>(std::min<std::uint64_t>(size, (std::uint64_t{1} << 32) + ThemeRecordSize)));
    std::uint32_t at = ReadU32(base + 20);
    for (;;) {
        if (!LiesInside(at, ThemeRecordSize, size)) {
            end_ = TThemeChainEnd::RecordOutside;
            return;
        }
        if (!taken.Claim(at, ThemeRecordSize)) {
            end_ = TThemeChainEnd::RecordRevisited;
            return;
        }
        const std::uint8_t* record = base + at;
        const std::uint32_t next = ReadU32(record + 73);
        if (next == 0) {
            end_ = TThemeChainEnd::Terminator;
            return;
        }
        const std::uint8_t type = record[64];
        if (type <= static_cast<std::uint8_t>(TThemeEntryType::String)) {
            TThemeEntry entry;
            entry.NameOffset = at;
            const void* nul = std::memchr(record, 0, ThemeNameSize);
            entry.NameLength = static_cast<std::uint8_t>(nul ? static_cast<const std::uint8_t*>(nul) - record : ThemeNameSize);
            entry.Type = static_cast<TThemeEntryType>(type);
            entry.DataOffset = ReadU32(record + 65);
            entry.DataSize = ReadU32(record + 69);
            if (!LiesInside(entry.DataOffset, entry.DataSize, size)) {
                end_ = TThemeChainEnd::DataOutside;
                return;
            }
            const std::uint8_t* data = base + entry.DataOffset;
            if (entry.Type == TThemeEntryType::Integer) {
                std::uint8_t bytes[4] = {0, 0, 0, 0};
                std::memcpy(bytes, data, std::min<std::uint32_t>(entry.DataSize, 4));
                entry.Value = static_cast<std::int32_t>(ReadU32(bytes));
            } else if (entry.Type == TThemeEntryType::Boolean) {
                entry.Value = entry.DataSize > 0 ? data[0] : 0;
            }
            entries_.push_back(entry);
        }
        at = next;
    }
}

std::string_view TThemeFile::NameOf(const TThemeEntry& entry) const
{
    return {reinterpret_cast<const char*>(image_.data()) + entry.NameOffset, entry.NameLength};
}

std::span<const std::uint8_t> TThemeFile::DataOf(const TThemeEntry& entry) const
{
    return {image_.data() + entry.DataOffset, entry.DataSize};
}

const TThemeEntry* TThemeFile::Find(TThemeEntryType type, std::string_view name) const
{
    for (const TThemeEntry& e : entries_)
        if (e.Type == type && ThemeNamesEqual(NameOf(e), name))
            return &e;
    return nullptr;
}

std::optional<std::span<const std::uint8_t>> TThemeFile::FindPicture(std::string_view name) const
{
    if (const TThemeEntry* e = Find(TThemeEntryType::Picture, name))
        return DataOf(*e);
    return std::nullopt;
}

std::int32_t TThemeFile::GetInteger(std::string_view name) const
{
    const TThemeEntry* e = Find(TThemeEntryType::Integer, name);
    return e ? e->Value : -1;
}

bool TThemeFile::GetBoolean(std::string_view name) const
{
    const TThemeEntry* e = Find(TThemeEntryType::Boolean, name);
    return e && e->Value != 0;
}

std::optional<std::string_view> TThemeFile::FindString(std::string_view name) const
{
    if (const TThemeEntry* e = Find(TThemeEntryType::String, name)) {
        const auto data = DataOf(*e);
        return std::string_view(reinterpret_cast<const char*>(data.data()), data.size());
    }
    return std::nullopt;
}
