// Nine-slice drawing, two ways. The GDI route blits each piece with StretchBlt
// or TransparentBlt and is the reference. Under Wine a TransparentBlt costs
// about 50 us, so when the canvas draws into a 32-bit DIB section (our
// off-screen buffers always do) the pieces are composed straight in its bits,
// landing on exactly the pixels the GDI route would.
#include "SUIPublic.h"

#include "SkinGeometry.h"
#include "StretchMap.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
// The key as a DIB pixel. TransparentBlt compares all 32 bits: magenta with a
// non-zero top byte is drawn like any other colour.
constexpr uint32_t kMagentaPixel = 0x00FF00FF;
// TransparentBlt builds its result by masking with black and white, which
// clears the top byte of every pixel of the piece, drawn or kept.
constexpr uint32_t kColourBits = 0x00FFFFFF;

TRectI ToRectI(const RECT& r) { return TRectI{r.left, r.top, r.right, r.bottom}; }

// One nine-slice piece, stretched straight from the picture (colour-on-colour,
// so magenta stays exactly magenta), opaque or with magenta left out.
void DrawNinePiece(HDC source, HDC target, const TNineSlicePiece& piece)
{
    const TRectI& s = piece.Source;
    const TRectI& d = piece.Dest;
    if (piece.Transparent) {
        TransparentBlt(target, d.Left, d.Top, d.Width(), d.Height(), source, s.Left, s.Top, s.Width(), s.Height(),
                       kMagenta);
    } else {
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, d.Left, d.Top, d.Width(), d.Height(), source, s.Left, s.Top, s.Width(), s.Height(),
                   SRCCOPY);
    }
}

// The bits a memory DC draws into, and where its drawing may land on them.
struct TDirectTarget {
    uint8_t* Bits = nullptr;  // the first row in memory
    LONG RowBytes = 0;
    int Height = 0;
    bool TopDown = false;
    POINT Origin{};  // device position of logical (0, 0)
    RECT Visible{};  // device pixels a drawing may change

    uint32_t* Row(int y) const
    {
        const int stored = TopDown ? y : Height - 1 - y;
        return reinterpret_cast<uint32_t*>(Bits + static_cast<ptrdiff_t>(stored) * RowBytes);
    }
};

// Logical coordinates are device coordinates plus a shift: no scaling mapping
// mode, world transform or right-to-left mirroring.
bool MapsByShiftOnly(HDC dc)
{
    XFORM xf{};
    if (GetMapMode(dc) != MM_TEXT || GetLayout(dc) != 0 || !GetWorldTransform(dc, &xf)) return false;
    return xf.eM11 == 1.0f && xf.eM12 == 0.0f && xf.eM21 == 0.0f && xf.eM22 == 1.0f && xf.eDx == 0.0f &&
           xf.eDy == 0.0f;
}

// GetObject reports a positive dsBmih.biHeight for top-down sections too, so
// the row order is read back instead: a marker put where row y would lie in a
// top-down section, and GDI's own GetPixel of row y, tell whether it is there.
// The probe pixel lies inside the clip (GetPixel answers nothing outside it)
// and in a row that a bottom-up section would keep elsewhere.
bool IsTopDown(HDC dc, const TDirectTarget& target)
{
    const RECT& v = target.Visible;
    if (IsRectEmpty(&v)) return true;  // nothing will be drawn
    int y = v.top;
    if (y == target.Height - 1 - y) y = v.bottom - 1;
    if (y == target.Height - 1 - y) return true;  // only the middle row, stored alike both ways
    const auto at = [&](int row) {
        return reinterpret_cast<uint32_t*>(target.Bits + static_cast<ptrdiff_t>(row) * target.RowBytes) + v.left;
    };
    uint32_t* pixel = at(y);
    GdiFlush();
    const uint32_t saved = *pixel;
    // Unlike the pixel a bottom-up section shows there in every colour bit.
    const uint32_t marker = (*at(target.Height - 1 - y) ^ kColourBits) & kColourBits;
    *pixel = marker;
    const COLORREF seen = GetPixel(dc, v.left - target.Origin.x, y - target.Origin.y);
    *pixel = saved;
    return seen == RGB((marker >> 16) & 0xFF, (marker >> 8) & 0xFF, marker & 0xFF);
}

// The 32-bit DIB section selected into dc when the DC's state lets us write
// its bits ourselves: nothing for a device-dependent bitmap (GetObject answers
// only a BITMAP), another pixel format, a scaling or mirroring DC, or a clip
// region that is no rectangle.
std::optional<TDirectTarget> DirectTargetOf(HDC dc)
{
    if (GetObjectType(dc) != OBJ_MEMDC || !MapsByShiftOnly(dc)) return std::nullopt;
    DIBSECTION dib{};
    if (GetObjectA(GetCurrentObject(dc, OBJ_BITMAP), sizeof dib, &dib) != sizeof dib) return std::nullopt;
    if (dib.dsBm.bmBitsPixel != 32 || !dib.dsBm.bmBits || dib.dsBmih.biCompression != BI_RGB) return std::nullopt;
    RECT clip{};
    const int kind = GetClipBox(dc, &clip);
    if (kind != SIMPLEREGION && kind != NULLREGION) return std::nullopt;

    TDirectTarget target;
    target.Bits = static_cast<uint8_t*>(dib.dsBm.bmBits);
    target.RowBytes = dib.dsBm.bmWidthBytes;
    target.Height = dib.dsBm.bmHeight;
    LPtoDP(dc, &target.Origin, 1);
    if (kind == SIMPLEREGION) {
        // The clip box is in logical coordinates; the bits end where the bitmap does.
        OffsetRect(&clip, target.Origin.x, target.Origin.y);
        const RECT bounds{0, 0, dib.dsBm.bmWidth, dib.dsBm.bmHeight};
        IntersectRect(&target.Visible, &clip, &bounds);
    }
    target.TopDown = IsTopDown(dc, target);
    return target;
}

// A transparent piece whose stretch merges source pixels comes out of
// TransparentBlt's own StretchBlt, which runs in the default BLACKONWHITE mode
// and ANDs the merged pixels together. Nine-slice plans never ask for such a
// shrink of more than 2 to 1 (which is a plain copy), so those pieces simply
// keep the GDI route.
bool NeedsGdi(const TNineSlicePiece& piece)
{
    const TRectI& s = piece.Source;
    const TRectI& d = piece.Dest;
    return piece.Transparent && (StretchMerges(s.Width(), d.Width()) || StretchMerges(s.Height(), d.Height()));
}

class TPieceComposer {
public:
    TPieceComposer(TBitmap& picture, const TDirectTarget& target) : picture_(picture), target_(target) {}

    void Compose(const TNineSlicePiece& piece)
    {
        const TRectI& s = piece.Source;
        const TRectI& d = piece.Dest;
        // 64-bit: a piece may lie far outside the bitmap.
        const int64_t left = int64_t{d.Left} + target_.Origin.x, top = int64_t{d.Top} + target_.Origin.y;
        const RECT& v = target_.Visible;
        const int x0 = static_cast<int>(std::max<int64_t>(left, v.left));
        const int x1 = static_cast<int>(std::min<int64_t>(left + d.Width(), v.right));
        const int y0 = static_cast<int>(std::max<int64_t>(top, v.top));
        const int y1 = static_cast<int>(std::min<int64_t>(top + d.Height(), v.bottom));
        if (x0 >= x1 || y0 >= y1) return;

        columns_.resize(static_cast<size_t>(x1 - x0));
        for (int x = x0; x < x1; ++x)
            columns_[x - x0] =
                s.Left + StretchSourceOffset(s.Width(), d.Width(), static_cast<int>(x - left), TStretchAxis::Horizontal);
        for (int y = y0; y < y1; ++y) {
            const int row = s.Top + StretchSourceOffset(s.Height(), d.Height(), static_cast<int>(y - top),
                                                        TStretchAxis::Vertical);
            const uint32_t* from = picture_.ScanLine(row);
            uint32_t* to = target_.Row(y) + x0;
            if (piece.Transparent)
                KeyRow(from, to);
            else
                CopyRow(from, to);
        }
    }

private:
    void CopyRow(const uint32_t* from, uint32_t* to) const
    {
        for (const int column : columns_) *to++ = from[column];
    }

    void KeyRow(const uint32_t* from, uint32_t* to) const
    {
        for (const int column : columns_) {
            const uint32_t pixel = from[column];
            *to = (pixel == kMagentaPixel ? *to : pixel) & kColourBits;
            ++to;
        }
    }

    TBitmap& picture_;
    const TDirectTarget& target_;
    std::vector<int> columns_;  // picture column for each visible target column
};

}  // namespace

void DrawNineSliceGdi(TBitmap& bitmap, TCanvas& canvas, const RECT& rect, bool transparentCorners)
{
    const TNineSlicePlan plan = NineSlicePlan(bitmap.Width(), bitmap.Height(), ToRectI(rect), transparentCorners);
    if (plan.Pieces().empty()) return;
    const HDC source = bitmap.Canvas().Handle();
    for (const TNineSlicePiece& piece : plan.Pieces()) DrawNinePiece(source, canvas.Handle(), piece);
}

bool DrawNineSliceDirect(TBitmap& bitmap, TCanvas& canvas, const RECT& rect, bool transparentCorners)
{
    const HDC dc = canvas.Handle();
    const std::optional<TDirectTarget> target = DirectTargetOf(dc);
    // The picture drawn onto itself would read pixels it has already written.
    if (!target || target->Bits == reinterpret_cast<uint8_t*>(bitmap.ScanLine(0))) return false;
    const TNineSlicePlan plan = NineSlicePlan(bitmap.Width(), bitmap.Height(), ToRectI(rect), transparentCorners);
    // Earlier GDI drawing into either bitmap may still be queued.
    GdiFlush();
    TPieceComposer composer(bitmap, *target);
    for (const TNineSlicePiece& piece : plan.Pieces()) {
        if (!NeedsGdi(piece)) {
            composer.Compose(piece);
            continue;
        }
        DrawNinePiece(bitmap.Canvas().Handle(), dc, piece);
        GdiFlush();
    }
    return true;
}

void DrawNineSlice(TBitmap& bitmap, TCanvas& canvas, const RECT& rect, bool transparentCorners)
{
    if (!DrawNineSliceDirect(bitmap, canvas, rect, transparentCorners))
        DrawNineSliceGdi(bitmap, canvas, rect, transparentCorners);
}
