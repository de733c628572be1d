// Loading a 32 MiB theme file from memory. Target: at least 1 GB/s.
//
//   ThemeParse/...  the parse alone, on an image the TThemeFile takes over (the
//                   reader reads the file straight into that buffer)
//   ThemeLoad/...   copying the image into a fresh buffer and parsing it: the
//                   copy's page faults on a new 32 MiB block usually cost more
//                   than the parse
//
//   .../Pictures      large pictures, where real themes spend their bytes, plus
//                     the non-picture items; the parser never touches picture bytes
//   .../SmallEntries  the same size in entries of a few bytes each: the
//                     per-record cost
#include <benchmark/benchmark.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ThemeFile.h"
#include "ThemeFileWriter.h"

namespace {

constexpr std::size_t TargetSize = 32u << 20;

std::vector<std::uint8_t> PictureTheme()
{
    TThemeFileWriter writer;
    std::vector<std::uint8_t> bmp(64u << 10);
    bmp[0] = 'B';
    bmp[1] = 'M';
    for (std::size_t i = 2; i < bmp.size(); ++i)
        bmp[i] = static_cast<std::uint8_t>(i * 31);
    for (int i = 0; std::size_t(i + 1) * bmp.size() < TargetSize; ++i)
        writer.AddPicture("Picture" + std::to_string(i), bmp);
    writer.AddInteger("FormBorderWidthInt", 3);
    writer.AddInteger("FormBorderColor", 0x00C82C00);
    writer.AddBoolean("ButtonTransparentBool", true);
    // One last picture makes the file exactly 32 MiB.
    std::size_t used = TThemeFileWriter::RecordOffset(writer.EntryCount() + 2) + 4 + 4 + 1;
    used += (writer.EntryCount() - 3) * bmp.size();
    bmp.resize(TargetSize - used);
    writer.AddPicture("Filler", bmp);
    return writer.Build();
}

std::vector<std::uint8_t> SmallEntryTheme()
{
    TThemeFileWriter writer;
    const std::uint8_t smallBmp[16] = {'B', 'M'};
    // Each entry costs a 77-byte record plus its data.
    for (int i = 0; TThemeFileWriter::RecordOffset(writer.EntryCount() + 2) + writer.EntryCount() * 8 < TargetSize; ++i) {
        const std::string name = "Entry" + std::to_string(i);
        switch (i % 4) {
        case 0: writer.AddInteger(name, i); break;
        case 1: writer.AddBoolean(name, i % 3 == 0); break;
        case 2: writer.AddString(name, "text"); break;
        default: writer.AddPicture(name, smallBmp); break;
        }
    }
    return writer.Build();
}

const std::vector<std::uint8_t>& Image(bool pictures)
{
    static const std::vector<std::uint8_t> picture = PictureTheme();
    static const std::vector<std::uint8_t> small = SmallEntryTheme();
    return pictures ? picture : small;
}

void Finish(benchmark::State& state, const std::vector<std::uint8_t>& image)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * image.size()));
    state.counters["MiB"] = static_cast<double>(image.size()) / (1 << 20);
}

void BM_Parse(benchmark::State& state)
{
    const auto& image = Image(state.range(0) != 0);
    std::optional<TThemeFile> theme;
    for (auto _ : state) {
        state.PauseTiming();
        theme.reset();
        std::vector<std::uint8_t> copy = image;
        state.ResumeTiming();
        theme.emplace(std::move(copy));
        benchmark::DoNotOptimize(theme->Entries().data());
        if (theme->ChainEnd() != TThemeChainEnd::Terminator)
            state.SkipWithError("theme did not load whole");
    }
    Finish(state, image);
}

void BM_Load(benchmark::State& state)
{
    const auto& image = Image(state.range(0) != 0);
    for (auto _ : state) {
        TThemeFile theme = TThemeFile::FromBytes(image);
        benchmark::DoNotOptimize(theme.Entries().data());
        if (theme.ChainEnd() != TThemeChainEnd::Terminator)
            state.SkipWithError("theme did not load whole");
    }
    Finish(state, image);
}

}  // namespace

BENCHMARK(BM_Parse)->Name("ThemeParse/Pictures")->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Parse)->Name("ThemeParse/SmallEntries")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Name("ThemeLoad/Pictures")->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Load)->Name("ThemeLoad/SmallEntries")->Arg(0)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
