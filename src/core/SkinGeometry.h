#pragma once
// Where the skin pictures go: the rectangles that cutting a frame out of a strip,
// tiling a picture and drawing a nine-slice picture copy from and to. The skin
// library turns each plan into the actual blits; keeping the arithmetic here lets
// the native tests check every offset.
#include <array>
#include <cstdint>
#include <span>

#include "RectI.h"

// One frame of a strip of `count` equal-width frames side by side, numbered from
// 1. The frame width is the picture width divided by the count, rounded down, so
// columns left over at the right belong to no frame.
struct TSlicePlan {
    TRectI Source;   // the picture's columns to copy, full height
    int Width = 0;   // size the target is given before the copy
    int Height = 0;
    bool operator==(const TSlicePlan&) const = default;
};
// A count of 0 or less takes the whole picture (a strip of one frame). A frame
// number outside 1..count names no frame: the target becomes 0 x 0 and nothing
// is copied.
TSlicePlan CutSlicePlan(int pictureWidth, int pictureHeight, int count, int index);

// Tiles of one picture, anchored at the canvas origin rather than at the
// rectangle, covering one tile more than the rectangle in each direction:
// x = 0, pw, 2 pw, ... while x < pw + rect width, and the same for y.
struct TTilePlan {
    int TileWidth = 0;
    int TileHeight = 0;
    int Columns = 0;  // 0 for a picture of zero width or height: nothing is drawn
    int Rows = 0;
    TPointI Origin(int column, int row) const { return {column * TileWidth, row * TileHeight}; }
    std::int64_t Count() const { return std::int64_t{Columns} * Rows; }
};
TTilePlan TileDrawPlan(int pictureWidth, int pictureHeight, const TRectI& rect);

// Nine-slice drawing: the corners keep their size, the edges and the centre
// stretch. The pieces come in drawing order; a piece that would cover nothing is
// left out. Placement follows the canvas origin, with the far corners at
// rect.Right and rect.Bottom (callers pass a client rectangle starting at 0, 0).
enum class TNinePiece : std::uint8_t {
    TopLeft,      // corner A
    BottomLeft,   // corner B
    LeftEdge,
    TopRight,     // corner D
    BottomRight,  // corner E
    RightEdge,
    TopEdge,
    Centre,
    BottomEdge,
};

struct TNineSlicePiece {
    TNinePiece Piece = TNinePiece::TopLeft;
    TRectI Source;             // area of the bitmap, stretched onto Dest
    TRectI Dest;               // area of the canvas
    bool Transparent = false;  // magenta (0x00FF00FF) pixels stay undrawn
};

struct TNineSlicePlan {
    // Corner rectangles as drawn; empty (all zero) for a corner left out. The
    // edges and the centre are placed against them.
    TRectI A, B, D, E;
    std::array<TNineSlicePiece, 9> PieceSlots{};
    int PieceCount = 0;

    std::span<const TNineSlicePiece> Pieces() const { return {PieceSlots.data(), static_cast<std::size_t>(PieceCount)}; }
    const TNineSlicePiece* Find(TNinePiece piece) const;
};

// Corners are drawn with magenta transparent only when transparentCorners is
// set; edges and centre always are.
TNineSlicePlan NineSlicePlan(int bitmapWidth, int bitmapHeight, const TRectI& rect, bool transparentCorners);

// Where a push button puts its glyph and its caption, for glyph layouts left,
// right, top and bottom (0..3) of the caption, with W x H the button, tw x th
// the caption's extent, gw x gh one glyph image and S the spacing between
// them. Halvings round towards zero.
struct TGlyphPlan {
    TPointI Glyph;
    TPointI Caption;
    bool operator==(const TGlyphPlan&) const = default;
};
TGlyphPlan GlyphLayoutPlan(int layout, int W, int H, int tw, int th, int gw, int gh, int S);
