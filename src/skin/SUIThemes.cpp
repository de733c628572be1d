#include "SUIThemes.h"

#include "Controls.h"
#include "SUIPublic.h"
#include "SkinGeometry.h"

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

// The columns of a decoded picture, full height, into a bitmap of their size:
// the one bitmap a cut frame needs.
void CopyColumns(const TDecodedPicture& d, const TSlicePlan& plan, TBitmap& target)
{
    target.SetSize(plan.Width, plan.Height);
    uint32_t* bits = target.ScanLine(0);
    if (!bits || d.Pixels.empty()) return;
    const int w = plan.Source.Width();
    for (int y = 0; y < plan.Height; ++y)
        std::memcpy(bits + size_t(y) * plan.Width, d.Pixels.data() + size_t(y) * d.Width + plan.Source.Left,
                    size_t(w) * sizeof(uint32_t));
}

}  // namespace

void LoadSkinPicture(TBitmap& target, const char* name)
{
    const TDecodedPicture& d = DecodedSkinPicture(name);
    CopyColumns(d, CutSlicePlan(d.Width, d.Height, 0, 0), target);
}

void GetBuiltInBitmap(TsuiUIStyle style, int item, TBitmap* target, int sliceIndex, int sliceCount)
{
    if (!target) return;
    const std::string name(GetBuiltInBitmapName(style, item));
    if (sliceCount == 0) {
        if (!name.empty()) LoadSkinPicture(*target, name.c_str());
        return;
    }
    static const TDecodedPicture none;
    const TDecodedPicture& d = name.empty() ? none : DecodedSkinPicture(name.c_str());
    CopyColumns(d, CutSlicePlan(d.Width, d.Height, sliceCount, sliceIndex), *target);
}
