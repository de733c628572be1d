// The nine-slice composed in memory against the GDI route it replaces: GDI's
// source-pixel mapping along each axis, every built-in button and check box
// frame at sizes below, at and above the picture through a shifted, clipped
// DC, and the targets and DC states that must keep or leave the memory route.
#include "SUIPublic.h"
#include "SUIThemes.h"
#include "StretchMap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

// ------------------------------------------------------------------ one axis

uint32_t* NewDib(HDC dc, int w, int h, bool topDown, HBITMAP& bitmap)
{
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = topDown ? -h : h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    SelectObject(dc, bitmap);
    return static_cast<uint32_t*>(bits);
}

class SkinStretchAxis : public ::testing::TestWithParam<TStretchAxis> {};

// A one-pixel-thick strip whose pixel k holds k + 1, stretched by GDI to every
// length: the value read back names the source pixel GDI took.
TEST_P(SkinStretchAxis, EverySourcePixelIsTheOneStretchBltTakes)
{
    const bool vertical = GetParam() == TStretchAxis::Vertical;
    int mismatches = 0;
    std::string first;
    for (int s = 1; s <= 48; ++s)
        for (int d = 1; d <= 48; ++d) {
            HDC from = CreateCompatibleDC(nullptr), to = CreateCompatibleDC(nullptr);
            HBITMAP a = nullptr, b = nullptr;
            uint32_t* src = NewDib(from, vertical ? 1 : s, vertical ? s : 1, true, a);
            uint32_t* dst = NewDib(to, vertical ? 1 : d, vertical ? d : 1, true, b);
            for (int k = 0; k < s; ++k) src[k] = k + 1;
            SetStretchBltMode(to, COLORONCOLOR);
            StretchBlt(to, 0, 0, vertical ? 1 : d, vertical ? d : 1, from, 0, 0, vertical ? 1 : s, vertical ? s : 1,
                       SRCCOPY);
            GdiFlush();
            for (int i = 0; i < d; ++i) {
                const int ours = StretchSourceOffset(s, d, i, GetParam()) + 1;
                if (static_cast<int>(dst[i]) == ours) continue;
                if (mismatches++ == 0)
                    first = std::to_string(s) + " -> " + std::to_string(d) + " at " + std::to_string(i) +
                            ": GDI " + std::to_string(dst[i]) + ", ours " + std::to_string(ours);
            }
            DeleteDC(from);
            DeleteDC(to);
            DeleteObject(a);
            DeleteObject(b);
        }
    EXPECT_EQ(mismatches, 0) << "first: " << first;
}

INSTANTIATE_TEST_SUITE_P(BothAxes, SkinStretchAxis,
                         ::testing::Values(TStretchAxis::Horizontal, TStretchAxis::Vertical));

// ------------------------------------------------------------------ targets

enum class TTargetKind { TopDownDib, BottomUpDib, DeviceBitmap };

// A memory DC drawing into a bitmap of one kind, prefilled with pixels that
// differ from their neighbours in every byte, the top one included.
class TTarget {
public:
    static constexpr int W = 230, H = 90;

    explicit TTarget(TTargetKind kind) : kind_(kind), dc_(CreateCompatibleDC(nullptr))
    {
        if (kind == TTargetKind::DeviceBitmap) {
            HDC screen = GetDC(nullptr);
            bitmap_ = CreateCompatibleBitmap(screen, W, H);
            ReleaseDC(nullptr, screen);
            SelectObject(dc_, bitmap_);
            std::vector<uint32_t> fill(W * H);
            for (int i = 0; i < W * H; ++i) fill[i] = Background(i % W, i / W);
            BITMAPINFO bi = TopDownInfo();
            SetDIBits(dc_, bitmap_, 0, H, fill.data(), &bi, DIB_RGB_COLORS);
        } else {
            bits_ = NewDib(dc_, W, H, kind == TTargetKind::TopDownDib, bitmap_);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) *Stored(x, y) = Background(x, y);
        }
        canvas_.SetHandle(dc_);
    }
    ~TTarget()
    {
        canvas_.SetHandle(nullptr);
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    TTarget(const TTarget&) = delete;
    TTarget& operator=(const TTarget&) = delete;

    HDC Dc() const { return dc_; }
    TCanvas& Canvas() { return canvas_; }

    // Row 0 first, whatever the bitmap's own row order.
    std::vector<uint32_t> Pixels() const
    {
        GdiFlush();
        std::vector<uint32_t> out(W * H);
        if (kind_ == TTargetKind::DeviceBitmap) {
            BITMAPINFO bi = TopDownInfo();
            GetDIBits(dc_, bitmap_, 0, H, out.data(), &bi, DIB_RGB_COLORS);
        } else {
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) out[y * W + x] = *Stored(x, y);
        }
        return out;
    }

private:
    static uint32_t Background(int x, int y)
    {
        return static_cast<uint32_t>(x * 0x01030507u + y * 0x0B0D1113u) ^ ((x & y & 1) ? 0x80000000u : 0u);
    }
    static BITMAPINFO TopDownInfo()
    {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(bi.bmiHeader), W, -H, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        return bi;
    }
    uint32_t* Stored(int x, int y) const
    {
        return bits_ + (kind_ == TTargetKind::TopDownDib ? y : H - 1 - y) * W + x;
    }

    TTargetKind kind_;
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    uint32_t* bits_ = nullptr;
    TCanvas canvas_;
};

// How the caller left the DC: a shifted viewport and a clip rectangle (in
// logical coordinates; empty for none).
struct TPlacement {
    const char* Name;
    POINT Viewport;
    RECT Clip;
};

void Apply(HDC dc, const TPlacement& p)
{
    SetViewportOrgEx(dc, p.Viewport.x, p.Viewport.y, nullptr);
    if (!IsRectEmpty(&p.Clip)) IntersectClipRect(dc, p.Clip.left, p.Clip.top, p.Clip.right, p.Clip.bottom);
}

::testing::AssertionResult SamePixels(const std::vector<uint32_t>& gdi, const std::vector<uint32_t>& ours)
{
    int mismatches = 0, at = -1;
    for (size_t i = 0; i < gdi.size(); ++i)
        if (gdi[i] != ours[i] && mismatches++ == 0) at = static_cast<int>(i);
    if (mismatches == 0) return ::testing::AssertionSuccess();
    char first[96];
    wsprintfA(first, "%d pixels differ, first at (%d, %d): GDI %08x, ours %08x", mismatches, at % TTarget::W,
              at / TTarget::W, gdi[at], ours[at]);
    return ::testing::AssertionFailure() << first;
}

// ------------------------------------------------------------------ built-in frames

constexpr TPlacement kPlacements[] = {
    {"as is", {0, 0}, {}},
    {"shifted and clipped", {9, 6}, {5, 4, 150, 40}},
    {"off the left and top", {-3, -2}, {}},
    {"off the right and bottom", {40, 45}, {}},
};

class SkinNineSliceRoutes : public ::testing::TestWithParam<TsuiUIStyle> {
protected:
    // Draws the frame both ways onto equal targets and compares every pixel.
    void ExpectSameAsGdi(TBitmap& frame, SIZE size, bool corners, const TPlacement& place, const std::string& what)
    {
        const RECT rect{0, 0, size.cx, size.cy};
        TTarget gdi(TTargetKind::TopDownDib), ours(TTargetKind::TopDownDib);
        Apply(gdi.Dc(), place);
        Apply(ours.Dc(), place);
        DrawNineSliceGdi(frame, gdi.Canvas(), rect, corners);
        ASSERT_TRUE(DrawNineSliceDirect(frame, ours.Canvas(), rect, corners)) << what;
        EXPECT_TRUE(SamePixels(gdi.Pixels(), ours.Pixels()))
            << what << " " << size.cx << "x" << size.cy << " corners " << corners << ", " << place.Name;
    }

    void ExpectStripSameAsGdi(int item, int count, const char* name)
    {
        for (int k = 1; k <= count; ++k) {
            TBitmap frame;
            GetBuiltInBitmap(GetParam(), item, &frame, k, count);
            ASSERT_FALSE(frame.Empty()) << name << " " << k;
            const SIZE sizes[] = {{75, 25}, {80, 27}, {12, 9}, {200, 60}, {1, 1}, {frame.Width(), frame.Height()}};
            for (const SIZE& size : sizes)
                for (bool corners : {false, true})
                    for (const TPlacement& place : kPlacements)
                        ExpectSameAsGdi(frame, size, corners, place, std::string(name) + " " + std::to_string(k));
        }
    }
};

TEST_P(SkinNineSliceRoutes, ButtonFramesComposeToTheGdiPixels)
{
    ExpectStripSameAsGdi(ThemeItem::ButtonImage, 3, "button");
}

TEST_P(SkinNineSliceRoutes, CheckBoxFramesComposeToTheGdiPixels)
{
    ExpectStripSameAsGdi(ThemeItem::CheckBoxImage, 4, "check box");
}

INSTANTIATE_TEST_SUITE_P(AllStyles, SkinNineSliceRoutes,
                         ::testing::Values(TsuiUIStyle::MacOS, TsuiUIStyle::WinXP, TsuiUIStyle::DeepBlue,
                                           TsuiUIStyle::Protein, TsuiUIStyle::BlueGlass));

// ------------------------------------------------------------------ other targets and DC states

// Draws a MacOS button frame with DrawNineSlice and with the GDI route after
// `prepare` set both DCs up the same way; answers whether the memory route
// took the drawing.
bool DrawBothWays(TTargetKind kind, void (*prepare)(HDC), std::vector<uint32_t>& gdiPixels,
                  std::vector<uint32_t>& pixels)
{
    TBitmap frame;
    GetBuiltInBitmap(TsuiUIStyle::MacOS, ThemeItem::ButtonImage, &frame, 2, 3);
    const RECT rect{0, 0, 150, 50};
    TTarget gdi(kind), ours(kind), probe(kind);
    for (HDC dc : {gdi.Dc(), ours.Dc(), probe.Dc()}) {
        Apply(dc, kPlacements[1]);
        prepare(dc);
    }
    DrawNineSliceGdi(frame, gdi.Canvas(), rect, true);
    DrawNineSlice(frame, ours.Canvas(), rect, true);
    gdiPixels = gdi.Pixels();
    pixels = ours.Pixels();
    return DrawNineSliceDirect(frame, probe.Canvas(), rect, true);
}

struct TTargetCase {
    const char* Name;
    TTargetKind Kind;
    bool Direct;
};

class SkinNineSliceTargets : public ::testing::TestWithParam<TTargetCase> {};

TEST_P(SkinNineSliceTargets, DrawTheGdiPixelsInMemoryOrThroughGdi)
{
    std::vector<uint32_t> gdi, ours;
    EXPECT_EQ(DrawBothWays(GetParam().Kind, [](HDC) {}, gdi, ours), GetParam().Direct);
    EXPECT_TRUE(SamePixels(gdi, ours));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SkinNineSliceTargets,
                         ::testing::Values(TTargetCase{"TopDown", TTargetKind::TopDownDib, true},
                                           TTargetCase{"BottomUp", TTargetKind::BottomUpDib, true},
                                           TTargetCase{"DeviceDependent", TTargetKind::DeviceBitmap, false}),
                         [](const auto& c) { return std::string(c.param.Name); });

struct TDcStateCase {
    const char* Name;
    void (*Prepare)(HDC);
    bool Direct;
};

class SkinNineSliceDcStates : public ::testing::TestWithParam<TDcStateCase> {};

TEST_P(SkinNineSliceDcStates, DrawTheGdiPixelsInMemoryOrThroughGdi)
{
    for (TTargetKind kind : {TTargetKind::TopDownDib, TTargetKind::BottomUpDib}) {
        std::vector<uint32_t> gdi, ours;
        EXPECT_EQ(DrawBothWays(kind, GetParam().Prepare, gdi, ours), GetParam().Direct);
        EXPECT_TRUE(SamePixels(gdi, ours)) << static_cast<int>(kind);
    }
}

void TwoRectangleClip(HDC dc)
{
    ExcludeClipRect(dc, 30, 10, 60, 20);  // a hole: no longer one rectangle
}
void ScaledTwice(HDC dc)
{
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 1, 1, nullptr);
    SetViewportExtEx(dc, 2, 2, nullptr);
}
void WorldShift(HDC dc)
{
    SetGraphicsMode(dc, GM_ADVANCED);
    const XFORM shift{1, 0, 0, 1, 7, 3};
    SetWorldTransform(dc, &shift);
}
void Mirrored(HDC dc) { SetLayout(dc, LAYOUT_RTL); }
void WindowOrigin(HDC dc) { SetWindowOrgEx(dc, 11, -4, nullptr); }
void NothingVisible(HDC dc) { IntersectClipRect(dc, 300, 300, 300, 300); }

INSTANTIATE_TEST_SUITE_P(States, SkinNineSliceDcStates,
                         ::testing::Values(TDcStateCase{"ClipWithAHole", TwoRectangleClip, false},
                                           TDcStateCase{"ScalingMapMode", ScaledTwice, false},
                                           TDcStateCase{"WorldTransform", WorldShift, false},
                                           TDcStateCase{"RightToLeft", Mirrored, false},
                                           TDcStateCase{"ShiftedWindowOrigin", WindowOrigin, true},
                                           TDcStateCase{"EmptyClip", NothingVisible, true}),
                         [](const auto& c) { return std::string(c.param.Name); });

}  // namespace
