#include "SUIThemes.h"

#include "Controls.h"
#include "SUIPublic.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

// A picture of the program's resources as 32-bit pixels, rows top down.
struct TDecodedPicture {
    int Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
};

const TDecodedPicture& DecodedSkinPicture(const char* name)
{
    // Decoded once per process: the resources never change, and decoding one
    // cost more than the rest of a button's paint (measured under Wine). Pixels,
    // not bitmaps, are kept, so the cache holds no GDI handle. Painting is the
    // user-interface thread's alone.
    static std::map<std::string, TDecodedPicture> decoded;
    const auto found = decoded.find(name);
    if (found != decoded.end()) return found->second;
    TBitmap picture;
    picture.LoadFromResource(MainInstance(), name);  // a missing one raises, and nothing is kept
    TDecodedPicture d{picture.Width(), picture.Height(), {}};
    if (const uint32_t* bits = picture.ScanLine(0)) d.Pixels.assign(bits, bits + size_t(d.Width) * d.Height);
    return decoded.emplace(name, std::move(d)).first->second;
}

}  // namespace

void LoadSkinPicture(TBitmap& target, const char* name)
{
    const TDecodedPicture& d = DecodedSkinPicture(name);
    target.SetSize(d.Width, d.Height);
    if (uint32_t* bits = target.ScanLine(0); bits && !d.Pixels.empty())
        std::memcpy(bits, d.Pixels.data(), d.Pixels.size() * sizeof(uint32_t));
}

void GetBuiltInBitmap(TsuiUIStyle style, int item, TBitmap* target, int sliceIndex, int sliceCount)
{
    if (!target) return;
    const std::string name(GetBuiltInBitmapName(style, item));
    if (sliceCount == 0) {
        if (!name.empty()) LoadSkinPicture(*target, name.c_str());
        return;
    }
    TBitmap strip;
    if (!name.empty()) LoadSkinPicture(strip, name.c_str());
    CutSlice(strip, *target, sliceCount, sliceIndex);
}
