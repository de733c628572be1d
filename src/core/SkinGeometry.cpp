#include "SkinGeometry.h"

#include <algorithm>
#include <climits>

namespace {

// The arithmetic runs in 64 bits: rectangles come from window sizes and picture
// sizes from theme files, and neither is trusted to stay small.
using I64 = std::int64_t;

struct TRect64 {
    I64 Left = 0, Top = 0, Right = 0, Bottom = 0;
    I64 Width() const { return Right - Left; }
    I64 Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
};

int Narrow(I64 v)
{
    return static_cast<int>(std::clamp<I64>(v, INT_MIN, INT_MAX));
}

TRectI Narrow(const TRect64& r)
{
    return {Narrow(r.Left), Narrow(r.Top), Narrow(r.Right), Narrow(r.Bottom)};
}

TRect64 Widen(const TRectI& r)
{
    return {r.Left, r.Top, r.Right, r.Bottom};
}

I64 NonNegative(I64 v)
{
    return v < 0 ? 0 : v;
}

}  // namespace

TSlicePlan CutSlicePlan(int pictureWidth, int pictureHeight, int count, int index)
{
    const int pw = std::max(pictureWidth, 0);
    const int ph = std::max(pictureHeight, 0);
    if (count <= 0)
        return {{0, 0, pw, ph}, pw, ph};
    if (index < 1 || index > count)
        return {};
    const int w = pw / count;
    // index <= count keeps w * index within the picture width.
    return {{w * (index - 1), 0, w * index, ph}, w, ph};
}

TTilePlan TileDrawPlan(int pictureWidth, int pictureHeight, const TRectI& rect)
{
    TTilePlan plan;
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return plan;  // a zero step would never end the loop
    plan.TileWidth = pictureWidth;
    plan.TileHeight = pictureHeight;
    // How many of 0, step, 2 step, ... lie below step + extent; positions stay
    // within int.
    const auto steps = [](I64 step, I64 extent) {
        const I64 limit = step + extent;
        if (limit <= 0)
            return 0;
        const I64 n = (limit + step - 1) / step;
        return static_cast<int>(std::min<I64>({n, I64{INT_MAX} / step + 1, I64{INT_MAX}}));
    };
    plan.Columns = steps(pictureWidth, I64{rect.Right} - rect.Left);
    plan.Rows = steps(pictureHeight, I64{rect.Bottom} - rect.Top);
    return plan;
}

const TNineSlicePiece* TNineSlicePlan::Find(TNinePiece piece) const
{
    for (const TNineSlicePiece& p : Pieces())
        if (p.Piece == piece)
            return &p;
    return nullptr;
}

namespace {

class TNineSliceBuilder {
public:
    TNineSliceBuilder(int bitmapWidth, int bitmapHeight, const TRectI& rect, bool transparentCorners)
        : bw_(std::max(bitmapWidth, 0)), bh_(std::max(bitmapHeight, 0)), rect_(Widen(rect)),
          transparentCorners_(transparentCorners)
    {
        hw_ = bw_ / 2;
        hh_ = bh_ / 2;
        HW_ = rect_.Width() / 2;
        HH_ = rect_.Height() / 2;
    }

    TNineSlicePlan Build()
    {
        const I64 bw = bw_, bh = bh_, hw = hw_, hh = hh_;
        // Each corner is as large as both its source area and its destination
        // area allow. The far-side areas start one pixel further in (at bw - hw + 1
        // and H - HH + 1), so corners B, D and E are one pixel smaller than A
        // along the far side.
        const I64 nearW = std::min(hw, HW_), nearH = std::min(hh, HH_);
        const I64 farW = std::min(hw - 1, HW_ - 1), farH = std::min(hh - 1, HH_ - 1);
        const I64 R = rect_.Right, B = rect_.Bottom;

        A_ = Corner(TNinePiece::TopLeft, nearW, nearH, [&](I64 w, I64 h) {
            return std::pair{TRect64{0, 0, w, h}, TRect64{0, 0, w, h}};
        });
        // Without corner A every other corner is left out too (none is larger),
        // and only the bottom edge would remain, as a stray pixel at (-1, -1).
        if (A_.IsEmpty())
            return plan_;
        B_ = Corner(TNinePiece::BottomLeft, nearW, farH, [&](I64 w, I64 h) {
            return std::pair{TRect64{0, bh - h, w, bh}, TRect64{0, B - h, w, B}};
        });
        Edge(TNinePiece::LeftEdge, {0, hh, hw, bh - hh}, {0, A_.Bottom, A_.Right, B_.Top}, TrimWidthKeepLeft);
        D_ = Corner(TNinePiece::TopRight, farW, nearH, [&](I64 w, I64 h) {
            return std::pair{TRect64{bw - w, 0, bw, h}, TRect64{R - w, 0, R, h}};
        });
        E_ = Corner(TNinePiece::BottomRight, farW, farH, [&](I64 w, I64 h) {
            return std::pair{TRect64{bw - w, bh - h, bw, bh}, TRect64{R - w, B - h, R, B}};
        });
        // The right edge's source really ends at row hh + 2, unlike the left
        // edge's (bh - hh); the centre stops one row above corner E, and the
        // bottom edge starts one pixel left of A and one above B. The pictures
        // are drawn for exactly these offsets.
        Edge(TNinePiece::RightEdge, {bw - hw + 1, bh - hh, bw, hh + 2}, {D_.Left, D_.Bottom, D_.Right, E_.Top},
             TrimWidthKeepRight);
        Edge(TNinePiece::TopEdge, {hw, 0, bw - hw + 1, hh}, {A_.Right, 0, D_.Left, A_.Bottom}, TrimHeightKeepTop);
        Edge(TNinePiece::Centre, {hw, hh, bw - hw + 1, bh - hh}, {A_.Right, A_.Bottom, D_.Left, E_.Top - 1}, NoTrim);
        Edge(TNinePiece::BottomEdge, {hw, bh - hh, bw - hw + 1, bh}, {A_.Right - 1, B_.Top - 1, E_.Left, E_.Bottom},
             TrimHeightKeepBottom);

        plan_.A = Narrow(A_);
        plan_.B = Narrow(B_);
        plan_.D = Narrow(D_);
        plan_.E = Narrow(E_);
        return plan_;
    }

private:
    enum TTrim { NoTrim, TrimWidthKeepLeft, TrimWidthKeepRight, TrimHeightKeepTop, TrimHeightKeepBottom };

    void Add(TNinePiece piece, const TRect64& source, const TRect64& dest, bool transparent)
    {
        plan_.PieceSlots[plan_.PieceCount++] = {piece, Narrow(source), Narrow(dest), transparent};
    }

    // Returns the rectangle covered, empty when the corner is left out.
    template <typename Place>
    TRect64 Corner(TNinePiece piece, I64 w, I64 h, Place place)
    {
        w = NonNegative(w);
        h = NonNegative(h);
        if (w == 0 || h == 0)
            return {};
        const auto [source, dest] = place(w, h);
        Add(piece, source, dest, transparentCorners_);
        return dest;
    }

    void Edge(TNinePiece piece, TRect64 source, const TRect64& dest, TTrim trim)
    {
        if (dest.IsEmpty())
            return;
        switch (trim) {
        case NoTrim:
            break;
        case TrimWidthKeepLeft:
            if (source.Width() > dest.Width())
                source.Right = source.Left + dest.Width();
            break;
        case TrimWidthKeepRight:
            if (source.Width() > dest.Width())
                source.Left = source.Right - dest.Width();
            break;
        case TrimHeightKeepTop:
            if (source.Height() > dest.Height())
                source.Bottom = source.Top + dest.Height();
            break;
        case TrimHeightKeepBottom:
            if (source.Height() > dest.Height())
                source.Top = source.Bottom - dest.Height();
            break;
        }
        // With an even picture height the left edge and the centre get a source
        // of no rows at all; stretching nothing would leave the piece's
        // uninitialised pixels on screen. Take the one middle row (or column)
        // instead. Tiny pictures can also put a source partly outside the
        // picture: only the part inside is read.
        if (source.Right <= source.Left)
            source.Right = source.Left + 1;
        if (source.Bottom <= source.Top)
            source.Bottom = source.Top + 1;
        source.Left = std::max<I64>(source.Left, 0);
        source.Top = std::max<I64>(source.Top, 0);
        source.Right = std::min<I64>(source.Right, bw_);
        source.Bottom = std::min<I64>(source.Bottom, bh_);
        if (source.IsEmpty())
            return;
        Add(piece, source, dest, true);
    }

    I64 bw_, bh_;
    TRect64 rect_;
    bool transparentCorners_;
    I64 hw_ = 0, hh_ = 0, HW_ = 0, HH_ = 0;
    TRect64 A_, B_, D_, E_;
    TNineSlicePlan plan_;
};

}  // namespace

TNineSlicePlan NineSlicePlan(int bitmapWidth, int bitmapHeight, const TRectI& rect, bool transparentCorners)
{
    return TNineSliceBuilder(bitmapWidth, bitmapHeight, rect, transparentCorners).Build();
}

TGlyphPlan GlyphLayoutPlan(int layout, int W, int H, int tw, int th, int gw, int gh, int S)
{
    TGlyphPlan p;
    switch (layout) {
    case 1:  // glyph right of the caption
        p.Glyph = {(W + tw + S - gw) / 2, (H - gh) / 2};
        p.Caption = {p.Glyph.X - tw - S, (H - th) / 2};
        break;
    case 2:  // glyph above
        p.Glyph = {(W - gw) / 2, (H - (th + gh + S)) / 2};
        p.Caption = {(W - tw) / 2, p.Glyph.Y + gh + S};
        break;
    case 3:  // glyph below
        p.Glyph = {(W - gw) / 2, (H + th + S - gh) / 2};
        p.Caption = {(W - tw) / 2, p.Glyph.Y - th - S};
        break;
    default:  // glyph left
        p.Glyph = {(W - (tw + gw + S)) / 2, (H - gh) / 2};
        p.Caption = {p.Glyph.X + gw + S, (H - th) / 2};
        break;
    }
    return p;
}
