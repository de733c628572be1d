// skin_pictures: writes the built-in skin pictures as 24-bit BMP files and the
// resource script fragment that names them. Built natively
// (build/<dir>/tools/native/skin_pictures).
//
//   skin_pictures OUTPUT_FOLDER
//
// Writes OUTPUT_FOLDER/<NAME>.bmp for every picture and
// OUTPUT_FOLDER/skin_pictures.rc with one line NAME BITMAP "NAME.bmp" each.
// With --list it prints "NAME WIDTHxHEIGHT FRAMES" per picture instead.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "SkinPictures.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const void* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 || std::string(argv[1]) == "-h" || std::string(argv[1]) == "--help") {
        std::fprintf(stderr, "usage: skin_pictures OUTPUT_FOLDER | --list\n");
        return 2;
    }
    const auto pictures = BuildBuiltInSkinPictures();
    if (std::string(argv[1]) == "--list") {
        for (const auto& p : pictures)
            std::printf("%s %dx%d %d\n", p.Name.c_str(), p.Bitmap.Width, p.Bitmap.Height, p.Frames);
        return 0;
    }
    const std::filesystem::path folder(argv[1]);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        std::fprintf(stderr, "skin_pictures: cannot create %s: %s\n", folder.string().c_str(), ec.message().c_str());
        return 1;
    }
    for (const auto& p : pictures) {
        const auto bytes = EncodeBmp24(p.Bitmap);
        if (!WriteFile(folder / (p.Name + ".bmp"), bytes.data(), bytes.size())) {
            std::fprintf(stderr, "skin_pictures: cannot write %s.bmp\n", p.Name.c_str());
            return 1;
        }
    }
    const std::string rc = SkinPicturesResourceScript(pictures);
    if (!WriteFile(folder / "skin_pictures.rc", rc.data(), rc.size())) {
        std::fprintf(stderr, "skin_pictures: cannot write skin_pictures.rc\n");
        return 1;
    }
    std::printf("skin_pictures: %zu pictures written to %s\n", pictures.size(), folder.string().c_str());
    return 0;
}
