#pragma once
// The built-in skin pictures, drawn in code. Every picture a skinned control
// loads by resource name is made here: the bitmap items of the five built-in
// styles and the fixed names (form backgrounds, the MacOS menu strips and the
// menu check mark). The generator in tools/native writes them as 24-bit BMP
// files for the resource script; the tests check names, strip layouts and the
// transparent key.
#include <cstdint>
#include <string>
#include <vector>

// Pixels are 0x00RRGGBB (as written #RRGGBB). Magenta reads the same in either
// byte order, and it is the one colour the skin treats as transparent.
constexpr std::uint32_t kSkinMagenta = 0x00FF00FF;

struct TSkinBitmap {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint32_t> Pixels;  // row by row from the top

    TSkinBitmap() = default;
    TSkinBitmap(int width, int height, std::uint32_t fill = kSkinMagenta)
        : Width(width), Height(height), Pixels(static_cast<std::size_t>(width) * height, fill) {}
    std::uint32_t At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
    void Set(int x, int y, std::uint32_t c) { Pixels[static_cast<std::size_t>(y) * Width + x] = c; }
};

struct TSkinPicture {
    std::string Name;   // resource name, e.g. "MACOS_BUTTON"
    int Frames = 1;     // equal-width frames side by side
    TSkinBitmap Bitmap;
    int FrameWidth() const { return Frames > 0 ? Bitmap.Width / Frames : Bitmap.Width; }
};

// Every built-in picture, each name once, in a stable order (style by style,
// then the fixed names).
std::vector<TSkinPicture> BuildBuiltInSkinPictures();

// A bottom-up 24-bit BMP (BITMAPFILEHEADER + BITMAPINFOHEADER, rows padded to 4 bytes).
std::vector<std::uint8_t> EncodeBmp24(const TSkinBitmap& bitmap);

// The resource script lines: NAME BITMAP "NAME.bmp", one per picture.
std::string SkinPicturesResourceScript(const std::vector<TSkinPicture>& pictures);
