#pragma once
// Plain integer point and rectangle for geometry plans, laid out like the Win32
// ones (right and bottom exclusive) so the drawing side converts them field by
// field.

struct TPointI {
    int X = 0;
    int Y = 0;
    bool operator==(const TPointI&) const = default;
};

struct TRectI {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    // No pixel inside: zero or negative in either direction.
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool operator==(const TRectI&) const = default;
};
