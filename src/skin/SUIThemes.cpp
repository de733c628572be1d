#include "SUIThemes.h"

#include "Controls.h"
#include "SUIPublic.h"

#include <string>

void LoadSkinPicture(TBitmap& target, const char* name)
{
    target.LoadFromResource(MainInstance(), name);
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
