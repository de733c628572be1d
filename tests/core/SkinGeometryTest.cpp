#include "SkinGeometry.h"

#include <gtest/gtest.h>

#include <climits>

using P = TNinePiece;

TEST(CutSlicePlan, EighteenFramesOfASeventyTwoPixelStrip)
{
    EXPECT_EQ(CutSlicePlan(72, 17, 18, 1), (TSlicePlan{{0, 0, 4, 17}, 4, 17}));
    EXPECT_EQ(CutSlicePlan(72, 17, 18, 18), (TSlicePlan{{68, 0, 72, 17}, 4, 17}));
    // Columns that do not make a whole frame belong to none.
    EXPECT_EQ(CutSlicePlan(75, 17, 18, 18), (TSlicePlan{{68, 0, 72, 17}, 4, 17}));
    EXPECT_EQ(CutSlicePlan(60, 13, 4, 3), (TSlicePlan{{30, 0, 45, 13}, 15, 13}));
}

TEST(CutSlicePlan, NoCountTakesTheWholePictureAndMissingFramesTakeNothing)
{
    EXPECT_EQ(CutSlicePlan(84, 23, 0, 1), (TSlicePlan{{0, 0, 84, 23}, 84, 23}));
    EXPECT_EQ(CutSlicePlan(84, 23, -3, 0), (TSlicePlan{{0, 0, 84, 23}, 84, 23}));
    EXPECT_EQ(CutSlicePlan(72, 17, 18, 0), TSlicePlan{});
    EXPECT_EQ(CutSlicePlan(72, 17, 18, 19), TSlicePlan{});
    EXPECT_EQ(CutSlicePlan(72, 17, 18, INT_MAX), TSlicePlan{});
    // An empty picture gives empty frames, 0 x 0 as the built-in lookups promise.
    EXPECT_EQ(CutSlicePlan(0, 0, 4, 2), (TSlicePlan{{0, 0, 0, 0}, 0, 0}));
}

TEST(TileDrawPlan, CoversOneTileMoreFromTheCanvasOrigin)
{
    const TTilePlan plan = TileDrawPlan(10, 7, {0, 0, 25, 14});
    EXPECT_EQ(plan.Columns, 4);  // x = 0, 10, 20, 30: all below 10 + 25
    EXPECT_EQ(plan.Rows, 3);     // y = 0, 7, 14: all below 7 + 14
    EXPECT_EQ(plan.Origin(3, 2), (TPointI{30, 14}));
    EXPECT_EQ(TileDrawPlan(10, 7, {0, 0, 30, 7}).Columns, 4);
    // Only the rectangle's size counts; tiles still start at 0.
    const TTilePlan shifted = TileDrawPlan(10, 7, {5, 3, 25, 17});
    EXPECT_EQ(shifted.Columns, 3);
    EXPECT_EQ(shifted.Origin(0, 0), (TPointI{0, 0}));
    EXPECT_EQ(TileDrawPlan(10, 7, {0, 0, 0, 0}).Count(), 1);
}

TEST(TileDrawPlan, EmptyPicturesAndExtremeRectanglesEnd)
{
    EXPECT_EQ(TileDrawPlan(0, 7, {0, 0, 100, 100}).Count(), 0);
    EXPECT_EQ(TileDrawPlan(10, 0, {0, 0, 100, 100}).Count(), 0);
    EXPECT_EQ(TileDrawPlan(-4, 7, {0, 0, 100, 100}).Count(), 0);
    EXPECT_EQ(TileDrawPlan(10, 7, {0, 0, -10, 5}).Columns, 0);
    const TTilePlan huge = TileDrawPlan(1, 1, {INT_MIN, INT_MIN, INT_MAX, INT_MAX});
    EXPECT_EQ(huge.Columns, INT_MAX);
    EXPECT_EQ(huge.Origin(huge.Columns - 1, 0).X, INT_MAX - 1);
    const TTilePlan wide = TileDrawPlan(1000, 1, {0, 0, INT_MAX, 1});
    EXPECT_GE(wide.Origin(wide.Columns - 1, 0).X, INT_MAX - 1000);
}

namespace {

void ExpectPiece(const TNineSlicePlan& plan, P piece, TRectI source, TRectI dest)
{
    const TNineSlicePiece* p = plan.Find(piece);
    ASSERT_NE(p, nullptr) << int(piece);
    EXPECT_EQ(p->Source, source) << int(piece);
    EXPECT_EQ(p->Dest, dest) << int(piece);
}

}  // namespace

TEST(NineSlicePlan, ButtonStretchedLargerUsesTheExactAsymmetricOffsets)
{
    // An 84 x 23 button picture (hw 42, hh 11) over 100 x 40 (HW 50, HH 20).
    const TNineSlicePlan plan = NineSlicePlan(84, 23, {0, 0, 100, 40}, false);
    ASSERT_EQ(plan.PieceCount, 9);
    const P order[] = {P::TopLeft, P::BottomLeft, P::LeftEdge, P::TopRight, P::BottomRight,
                       P::RightEdge, P::TopEdge, P::Centre, P::BottomEdge};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(plan.Pieces()[i].Piece, order[i]) << i;

    // Far-side corners are one pixel smaller: they start at bw - hw + 1 and H - HH + 1.
    ExpectPiece(plan, P::TopLeft, {0, 0, 42, 11}, {0, 0, 42, 11});
    ExpectPiece(plan, P::BottomLeft, {0, 13, 42, 23}, {0, 30, 42, 40});
    ExpectPiece(plan, P::TopRight, {43, 0, 84, 11}, {59, 0, 100, 11});
    ExpectPiece(plan, P::BottomRight, {43, 13, 84, 23}, {59, 30, 100, 40});
    EXPECT_EQ(plan.E, (TRectI{59, 30, 100, 40}));

    ExpectPiece(plan, P::LeftEdge, {0, 11, 42, 12}, {0, 11, 42, 30});
    ExpectPiece(plan, P::RightEdge, {43, 12, 84, 13}, {59, 11, 100, 30});   // ends at hh + 2
    ExpectPiece(plan, P::TopEdge, {42, 0, 43, 11}, {42, 0, 59, 11});
    ExpectPiece(plan, P::Centre, {42, 11, 43, 12}, {42, 11, 59, 29});       // stops at E.top - 1
    ExpectPiece(plan, P::BottomEdge, {42, 12, 43, 23}, {41, 29, 59, 40});   // one left of A, one above B
}

TEST(NineSlicePlan, SmallRectangleTrimsSourcesTowardTheirOuterSides)
{
    // 84 x 23 over 30 x 10 (HW 15, HH 5): corners shrink, edges trim.
    const TNineSlicePlan plan = NineSlicePlan(84, 23, {0, 0, 30, 10}, false);
    ExpectPiece(plan, P::TopLeft, {0, 0, 15, 5}, {0, 0, 15, 5});
    ExpectPiece(plan, P::BottomLeft, {0, 19, 15, 23}, {0, 6, 15, 10});
    ExpectPiece(plan, P::TopRight, {70, 0, 84, 5}, {16, 0, 30, 5});
    ExpectPiece(plan, P::BottomRight, {70, 19, 84, 23}, {16, 6, 30, 10});
    ExpectPiece(plan, P::LeftEdge, {0, 11, 15, 12}, {0, 5, 15, 6});        // keeps the left columns
    ExpectPiece(plan, P::RightEdge, {70, 12, 84, 13}, {16, 5, 30, 6});     // keeps the right columns
    ExpectPiece(plan, P::TopEdge, {42, 0, 43, 5}, {15, 0, 16, 5});         // keeps the top rows
    ExpectPiece(plan, P::BottomEdge, {42, 18, 43, 23}, {14, 5, 16, 10});   // keeps the bottom rows
    EXPECT_EQ(plan.Find(P::Centre), nullptr);  // E.top - 1 == A.bottom: no rows
    EXPECT_EQ(plan.PieceCount, 8);
}

TEST(NineSlicePlan, TransparencyOnlyOptionalForCorners)
{
    for (bool flag : {false, true}) {
        const TNineSlicePlan plan = NineSlicePlan(84, 23, {0, 0, 100, 40}, flag);
        for (const TNineSlicePiece& p : plan.Pieces()) {
            const bool corner = p.Piece == P::TopLeft || p.Piece == P::BottomLeft || p.Piece == P::TopRight ||
                                p.Piece == P::BottomRight;
            EXPECT_EQ(p.Transparent, corner ? flag : true) << int(p.Piece);
        }
    }
}

TEST(NineSlicePlan, FarCornersFollowTheRectanglesRightAndBottom)
{
    const TNineSlicePlan plan = NineSlicePlan(84, 23, {10, 5, 110, 45}, false);
    EXPECT_EQ(plan.A, (TRectI{0, 0, 42, 11}));  // the near corner stays at the canvas origin
    EXPECT_EQ(plan.E, (TRectI{69, 35, 110, 45}));
}

TEST(NineSlicePlan, EmptyRectangleOrBitmapDrawsNothing)
{
    EXPECT_EQ(NineSlicePlan(84, 23, {0, 0, 0, 0}, true).PieceCount, 0);
    EXPECT_EQ(NineSlicePlan(0, 0, {0, 0, 100, 40}, true).PieceCount, 0);
    EXPECT_EQ(NineSlicePlan(84, 23, {50, 50, 10, 10}, true).PieceCount, 0);
    EXPECT_EQ(NineSlicePlan(84, 23, {0, 0, 100, 40}, true).A, (TRectI{0, 0, 42, 11}));
    EXPECT_EQ(NineSlicePlan(84, 23, {0, 0, 1, 40}, true).A, TRectI{});
}

TEST(NineSlicePlan, EvenHeightTakesTheMiddleRowInsteadOfNothing)
{
    // bh 20: the left edge's and the centre's sources (rows 10 to 10) hold no row.
    const TNineSlicePlan plan = NineSlicePlan(20, 20, {0, 0, 40, 40}, false);
    ExpectPiece(plan, P::LeftEdge, {0, 10, 10, 11}, {0, 10, 10, 31});
    ExpectPiece(plan, P::Centre, {10, 10, 11, 11}, {10, 10, 31, 30});
}

TEST(NineSlicePlan, TinyPicturesNeverReadOutsideThemselves)
{
    for (int bw = 0; bw <= 4; ++bw)
        for (int bh = 0; bh <= 4; ++bh) {
            const TNineSlicePlan plan = NineSlicePlan(bw, bh, {0, 0, 50, 50}, true);
            for (const TNineSlicePiece& p : plan.Pieces()) {
                SCOPED_TRACE(testing::Message() << bw << "x" << bh << " piece " << int(p.Piece));
                EXPECT_FALSE(p.Source.IsEmpty());
                EXPECT_FALSE(p.Dest.IsEmpty());
                EXPECT_GE(p.Source.Left, 0);
                EXPECT_GE(p.Source.Top, 0);
                EXPECT_LE(p.Source.Right, bw);
                EXPECT_LE(p.Source.Bottom, bh);
            }
        }
}

TEST(NineSlicePlan, ExtremeRectangleStaysInRange)
{
    const TNineSlicePlan plan = NineSlicePlan(84, 23, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, false);
    EXPECT_EQ(plan.PieceCount, 9);
    EXPECT_EQ(plan.E, (TRectI{INT_MAX - 41, INT_MAX - 10, INT_MAX, INT_MAX}));
}

// A 75 x 25 button, caption 30 x 13, glyph 16 x 16, spacing 4; odd sums show
// the halvings rounding towards zero.
TEST(GlyphLayoutPlan, PlacesGlyphAndCaptionForEachLayout)
{
    EXPECT_EQ(GlyphLayoutPlan(0, 75, 25, 30, 13, 16, 16, 4), (TGlyphPlan{{12, 4}, {32, 6}}));
    EXPECT_EQ(GlyphLayoutPlan(1, 75, 25, 30, 13, 16, 16, 4), (TGlyphPlan{{46, 4}, {12, 6}}));
    EXPECT_EQ(GlyphLayoutPlan(2, 75, 45, 30, 13, 16, 16, 4), (TGlyphPlan{{29, 6}, {22, 26}}));
    EXPECT_EQ(GlyphLayoutPlan(3, 75, 45, 30, 13, 16, 16, 4), (TGlyphPlan{{29, 23}, {22, 6}}));
    // A glyph wider than the button goes left of the origin rather than wrapping.
    EXPECT_EQ(GlyphLayoutPlan(0, 10, 10, 30, 13, 16, 16, 4).Glyph, (TPointI{-20, -3}));
}
