// libFuzzer target for the theme-file parser (built and run by scripts/fuzz.sh).
// Beyond not crashing under the sanitizers, every load must stay inside the
// image, keep no more entries than records fit side by side, answer lookups with
// the first entry of a name, and survive a round trip through the writer.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
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
        writer.AddRaw(name, static_cast<std::uint8_t>(e.Type), bytes);
    }

    const TThemeFile again(writer.Build());
    Require(again.ChainEnd() == TThemeChainEnd::Terminator, "rewritten file does not load whole");
    Require(again.Entries().size() == entries.size(), "rewritten file lost entries");
    for (std::size_t i = 0; i < entries.size(); ++i)
        Require(SameEntry(theme, entries[i], again, again.Entries()[i]), "rewritten entry differs");
    return 0;
}
