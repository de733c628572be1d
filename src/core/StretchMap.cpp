#include "StretchMap.h"

#include <algorithm>
#include <cstdint>

// GDI steps through the longer axis with a Bresenham line whose first error
// term is 3 dy - 2 dx: each destination pixel i samples the source at its
// centre, (i + 1/2) s / d, and a centre landing exactly on a pixel border takes
// the pixel before it. In closed form (64-bit: lengths come from window sizes)
//   enlarge (s <= d):  i -> ceil((2i + 1) s / 2d) - 1
//   shrink  (s > d):   source j goes to ceil((2j + 1) d / 2s) - 1, and of the
//                      source pixels that share one destination pixel rows keep
//                      the first (later rows of the group are skipped) while
//                      columns keep the last (each overwrites the one before).

namespace {

using I64 = std::int64_t;

I64 CeilDiv(I64 a, I64 b)  // b > 0
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

I64 FloorDiv(I64 a, I64 b)  // b > 0
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

int EffectiveStretchSource(int sourceLength, int destLength)
{
    return destLength == 1 && sourceLength > 1 ? sourceLength - 1 : sourceLength;
}

bool StretchMerges(int sourceLength, int destLength)
{
    return EffectiveStretchSource(sourceLength, destLength) > destLength;
}

int StretchSourceOffset(int sourceLength, int destLength, int index, TStretchAxis axis)
{
    const I64 s = EffectiveStretchSource(sourceLength, destLength);
    const I64 d = destLength;
    const I64 i = index;
    I64 j = 0;
    if (s <= d)
        j = CeilDiv((2 * i + 1) * s, 2 * d) - 1;
    else if (axis == TStretchAxis::Vertical)
        j = CeilDiv(2 * s * i + 1 - d, 2 * d);  // first source row of the group
    else
        j = FloorDiv(2 * s * (i + 1) - d, 2 * d);  // last source column of the group
    return static_cast<int>(std::clamp<I64>(j, 0, s - 1));
}
