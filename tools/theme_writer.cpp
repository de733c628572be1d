// theme_writer: makes a theme file from a folder of BMP pictures and a list of
// values. Built natively (build/<dir>/tools/native/theme_writer).
//
//   theme_writer -o OUTPUT [-p PICTURE_FOLDER] [-v VALUE_FILE]...
//                [--int NAME=VALUE] [--colour NAME=#RRGGBB] [--bool NAME=VALUE]
//                [--string NAME=TEXT]...
//
//   -o OUTPUT          the theme file to write (replaced when it exists)
//   -p PICTURE_FOLDER  every *.bmp in it (any letter case of the extension)
//                      becomes a picture entry named after the file without
//                      ".bmp", e.g. ButtonImage.bmp -> ButtonImage; taken in
//                      file-name order. A file that does not start with "BM" is
//                      refused.
//   -v VALUE_FILE      one value per line: "int NAME=VALUE", "colour NAME=#RRGGBB",
//                      "bool NAME=true|false|0-255", "string NAME=TEXT";
//                      blank lines and lines starting with '#' or ';' are skipped
//   --int/--colour/--bool/--string NAME=VALUE
//                      one value each, as in a value file
//
// Pictures come first in the file, then the values in the order given. Names
// that are not theme items, or whose kind differs from the item's (a picture for
// a colour item, say), are written all the same with a warning: the controls
// look items up by name and would not find them. Colours are integer entries.
// Exit status 0 on success, 1 on any error (nothing is written then).
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ThemeFile.h"
#include "ThemeFileWriter.h"
#include "UIStyle.h"

namespace fs = std::filesystem;

namespace {

[[noreturn]] void Fail(const std::string& message)
{
    std::cerr << "theme_writer: " << message << "\n";
    std::exit(1);
}

void Usage()
{
    std::cerr << "usage: theme_writer -o OUTPUT [-p PICTURE_FOLDER] [-v VALUE_FILE]...\n"
                 "                    [--int NAME=VALUE] [--colour NAME=#RRGGBB] [--bool NAME=VALUE]\n"
                 "                    [--string NAME=TEXT]...\n";
    std::exit(1);
}

std::vector<std::uint8_t> ReadWhole(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        Fail("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Warn(const std::string& message)
{
    std::cerr << "theme_writer: warning: " << message << "\n";
}

// Tells when an entry would not be found by the controls.
void CheckName(std::string_view name, TThemeEntryType type)
{
    const int item = ThemeItemByName(name);
    if (item == 0) {
        Warn("'" + std::string(name) + "' is not a theme item name");
        return;
    }
    const TThemeItemKind kind = ThemeItemKindOf(item);
    const bool fits = (type == TThemeEntryType::Picture && kind == TThemeItemKind::Bitmap) ||
                      (type == TThemeEntryType::Integer &&
                       (kind == TThemeItemKind::Integer || kind == TThemeItemKind::Colour)) ||
                      (type == TThemeEntryType::Boolean && kind == TThemeItemKind::Boolean) ||
                      type == TThemeEntryType::String;
    if (!fits)
        Warn("'" + std::string(name) + "' is given with a kind the item does not have");
}

void AddPictures(TThemeFileWriter& writer, const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (entry.is_regular_file() && ext == ".bmp")
            files.push_back(entry.path());
    }
    if (ec)
        Fail("cannot list " + folder.string() + ": " + ec.message());
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
        const std::vector<std::uint8_t> bmp = ReadWhole(file);
        if (bmp.size() < 2 || bmp[0] != 'B' || bmp[1] != 'M')
            Fail(file.string() + " is not a BMP file");
        writer.AddPicture(file.stem().string(), bmp);
    }
}

int Run(int argc, char** argv)
{
    std::string output;
    TThemeFileWriter writer;
    std::vector<std::pair<std::string, std::string>> values;  // (line, where it came from)
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc)
            Usage();
        const std::string next = argv[++i];
        if (arg == "-o") {
            output = next;
        } else if (arg == "-p") {
            AddPictures(writer, next);
        } else if (arg == "-v") {
            std::ifstream in(next);
            if (!in)
                Fail("cannot read " + next);
            std::string line;
            for (int n = 1; std::getline(in, line); ++n)
                values.emplace_back(line, next + ":" + std::to_string(n));
        } else if (arg == "--int" || arg == "--colour" || arg == "--color" || arg == "--bool" || arg == "--string") {
            values.emplace_back(arg.substr(2) + " " + next, arg);
        } else {
            Usage();
        }
    }
    if (output.empty())
        Usage();
    for (const auto& [line, where] : values) {
        std::string error;
        if (!AddThemeValueLine(writer, line, error))
            Fail(where + ": " + error);
    }
    for (std::size_t i = 0; i < writer.EntryCount(); ++i)
        CheckName(writer.EntryName(i), static_cast<TThemeEntryType>(writer.EntryType(i)));

    const std::vector<std::uint8_t> image = writer.Build();
    std::ofstream out(output, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    out.close();
    if (!out)
        Fail("cannot write " + output);
    std::cout << output << ": " << writer.EntryCount() << " entries, " << image.size() << " bytes\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        Fail(e.what());
    }
}
