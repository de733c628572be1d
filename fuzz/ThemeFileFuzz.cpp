// libFuzzer target for the theme-file parser (built and run by scripts/fuzz.sh).
// Beyond not crashing under the sanitizers, every load must stay inside the
// image, keep no more entries than records fit side by side, answer lookups with
// the first entry of a name, and survive a round trip through the writer. The
// BMP layout reader runs on every picture entry and on the raw input too: a
// layout it accepts must keep every byte GDI will read inside the image.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "BmpLayout.h"
#include "ThemeFile.h"
#include "ThemeFileWriter.h"

namespace {

void Require(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "theme file fuzz: %s\n", what);
        std::abort();
    }
}

bool SameEntry(const TThemeFile& a, const TThemeEntry& x, const TThemeFile& b, const TThemeEntry& y)
{
    const auto dx = a.DataOf(x), dy = b.DataOf(y);
    return a.NameOf(x) == b.NameOf(y) && x.Type == y.Type && x.Value == y.Value && dx.size() == dy.size() &&
           (dx.empty() || std::memcmp(dx.data(), dy.data(), dx.size()) == 0);
}

// Reads the layout of an image held in a buffer of its own exact size, so that
// AddressSanitizer reports a read one byte past it (an entry's data inside the
// whole file image would hide that).
void CheckBmpLayout(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> image(data, data + size);
    // The packed form of bitmap resources: the rows must lie inside too.
    if (const auto packed = ReadPackedDibLayout(image))
        Require(std::uint64_t{packed->BitsOffset} + std::uint64_t{packed->Stride} * packed->Height <= size &&
                    packed->PaletteOffset + packed->PaletteCount * 4 <= packed->BitsOffset,
                "packed bitmap rows outside the image");
    const auto layout = ReadBmpLayout(image);
    if (!layout) return;
    Require(layout->Width > 0 && layout->Height > 0, "bmp layout with an empty size");
    Require(std::int64_t{layout->Width} * layout->Height <= MaxBmpPixels, "bmp layout over the pixel limit");
    const std::uint64_t rowBits = std::uint64_t{static_cast<std::uint32_t>(layout->Width)} * layout->BitsPerPixel;
    Require(layout->Stride >= (rowBits + 7) / 8, "bmp row stride shorter than a row");
    Require(layout->Stride % 4 == 0, "bmp row stride not a multiple of 4");
    Require(layout->PaletteOffset >= 14 + 40, "bmp colour table inside the headers");
    Require(layout->PaletteCount <= 256 && (layout->BitsPerPixel <= 8 || layout->PaletteCount == 0),
            "bmp colour table too long");
    Require(std::uint64_t{layout->PaletteOffset} + layout->PaletteCount * 4 <= layout->BitsOffset,
            "bmp pixel rows overlap the colour table");
    Require(std::uint64_t{layout->BitsOffset} + std::uint64_t{layout->Stride} * layout->Height <= size,
            "bmp pixel rows outside the image");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CheckBmpLayout(data, size);
    const TThemeFile theme = TThemeFile::FromBytes({data, size});
    const auto entries = theme.Entries();
    Require(entries.size() <= size / ThemeRecordSize, "more entries than records fit");
    if (theme.ChainEnd() == TThemeChainEnd::NoHeader)
        Require(entries.empty(), "entries without a header");

    TThemeFileWriter writer;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const TThemeEntry& e = entries[i];
        Require(std::uint64_t{e.NameOffset} + ThemeRecordSize <= size, "record outside the image");
        Require(std::uint64_t{e.DataOffset} + e.DataSize <= size, "data outside the image");
        Require(e.NameLength <= ThemeNameSize, "name longer than its field");
        const std::string_view name = theme.NameOf(e);
        Require(name.find('\0') == std::string_view::npos, "name holds its terminator");

        // The lookup of this name and type finds this entry or an earlier one of the same name.
        const TThemeEntry* first = nullptr;
        for (std::size_t j = 0; j <= i && !first; ++j)
            if (entries[j].Type == e.Type && ThemeNamesEqual(theme.NameOf(entries[j]), name))
                first = &entries[j];
        switch (e.Type) {
        case TThemeEntryType::Picture: {
            const auto p = theme.FindPicture(name);
            Require(p && p->data() == theme.DataOf(*first).data(), "picture lookup");
            break;
        }
        case TThemeEntryType::Integer:
            Require(theme.GetInteger(name) == first->Value, "integer lookup");
            break;
        case TThemeEntryType::Boolean:
            Require(theme.GetBoolean(name) == (first->Value != 0), "boolean lookup");
            break;
        case TThemeEntryType::String:
            Require(theme.FindString(name).has_value(), "string lookup");
            break;
        }
        const auto bytes = theme.DataOf(e);
        if (e.Type == TThemeEntryType::Picture) CheckBmpLayout(bytes.data(), bytes.size());
        writer.AddRaw(name, static_cast<std::uint8_t>(e.Type), bytes);
    }

    const TThemeFile again(writer.Build());
    Require(again.ChainEnd() == TThemeChainEnd::Terminator, "rewritten file does not load whole");
    Require(again.Entries().size() == entries.size(), "rewritten file lost entries");
    for (std::size_t i = 0; i < entries.size(); ++i)
        Require(SameEntry(theme, entries[i], again, again.Entries()[i]), "rewritten entry differs");
    return 0;
}
