// The skin helpers on real bitmaps and windows: frames cut from strips,
// nine-slice drawing with its exact offsets and magenta key, tiling from the
// canvas origin, a control painting its parent's background, and the window
// and property helpers.
#include "SUIMgr.h"
#include "SUIPublic.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr COLORREF kBackground = RGB(0x12, 0x34, 0x56);

void Fill(TBitmap& b, int w, int h, const std::function<COLORREF(int, int)>& colour)
{
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.Canvas().SetPixel(x, y, colour(x, y));
}

void FillSolid(TBitmap& b, int w, int h, COLORREF c)
{
    Fill(b, w, h, [c](int, int) { return c; });
}

// ------------------------------------------------------------------ CutSlice

// Column x of the strip has red x: the frame a pixel came from can be read back.
void MakeStrip(TBitmap& strip, int width, int height)
{
    Fill(strip, width, height, [](int x, int y) { return RGB(x, y, 7); });
}

TEST(SkinCutSlice, EighteenFramesOfASeventyTwoPixelStripAreFourColumnsEach)
{
    TBitmap strip, frame;
    MakeStrip(strip, 72, 5);
    CutSlice(strip, frame, 18, 1);
    ASSERT_EQ(frame.Width(), 4);
    ASSERT_EQ(frame.Height(), 5);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(frame.Pixel(x, 4), RGB(x, 4, 7)) << x;
    CutSlice(strip, frame, 18, 18);
    ASSERT_EQ(frame.Width(), 4);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(frame.Pixel(x, 0), RGB(68 + x, 0, 7)) << x;
}

TEST(SkinCutSlice, LeftOverColumnsBelongToNoFrameAndCountZeroTakesTheWhole)
{
    TBitmap strip, frame;
    MakeStrip(strip, 74, 3);  // 74 / 18 = 4: columns 72 and 73 are in no frame
    CutSlice(strip, frame, 18, 18);
    EXPECT_EQ(frame.Pixel(3, 0), RGB(71, 0, 7));
    CutSlice(strip, frame, 0, 1);
    EXPECT_EQ(frame.Width(), 74);
    EXPECT_EQ(frame.Pixel(73, 2), RGB(73, 2, 7));
}

TEST(SkinCutSlice, ANonExistentFrameOrAnEmptySourceLeavesAnEmptyTarget)
{
    TBitmap strip, frame, empty;
    MakeStrip(strip, 12, 3);
    FillSolid(frame, 3, 3, RGB(1, 2, 3));
    CutSlice(strip, frame, 4, 5);
    EXPECT_TRUE(frame.Empty());
    FillSolid(frame, 3, 3, RGB(1, 2, 3));
    CutSlice(empty, frame, 4, 1);
    EXPECT_TRUE(frame.Empty());
}

TEST(SkinCutSlice, SourceAndTargetMayBeTheSameBitmap)
{
    TBitmap strip;
    MakeStrip(strip, 40, 2);
    CutSlice(strip, strip, 4, 3);
    ASSERT_EQ(strip.Width(), 10);
    EXPECT_EQ(strip.Pixel(0, 1), RGB(20, 1, 7));
    EXPECT_EQ(strip.Pixel(9, 1), RGB(29, 1, 7));
}

// ------------------------------------------------------------------ DrawNineSlice

// A 21 x 21 picture whose source areas each have their own colour: with
// hw = hh = 10 the far corners start at column and row 12, the left edge is
// row 10, the right edge row 11, the top edge and the centre columns 10-11.
namespace nine {
constexpr COLORREF TopLeft = RGB(200, 0, 0), TopRight = RGB(0, 200, 0), BottomLeft = RGB(0, 0, 200),
                   BottomRight = RGB(200, 200, 0), Top = RGB(0, 200, 200), Left = RGB(100, 50, 0),
                   Right = RGB(50, 100, 0), Centre = RGB(90, 90, 90), Bottom = RGB(0, 50, 100),
                   Unused = RGB(1, 1, 1);
}

COLORREF NineRegion(int x, int y)
{
    using namespace nine;
    const bool middleColumns = x == 10 || x == 11;
    if (middleColumns) return y < 10 ? Top : y == 10 ? Centre : Bottom;
    if (y < 10) return x < 10 ? TopLeft : TopRight;
    if (y == 10) return x < 10 ? Left : Unused;
    if (y == 11) return x < 10 ? Unused : Right;
    return x < 10 ? BottomLeft : BottomRight;
}

struct TNineCanvas {
    TBitmap target;
    TNineCanvas() { FillSolid(target, 70, 50, kBackground); }
    COLORREF At(int x, int y) { return target.Pixel(x, y); }
};

TEST(SkinNineSlice, CornersKeepTheirSizeEdgesAndCentreStretchAtTheExactOffsets)
{
    TBitmap picture;
    Fill(picture, 21, 21, NineRegion);
    TNineCanvas c;
    DrawNineSlice(picture, c.target.Canvas(), RECT{0, 0, 60, 40}, false);
    using namespace nine;
    // Corner A: 10 x 10 at the origin, not scaled.
    EXPECT_EQ(c.At(0, 0), TopLeft);
    EXPECT_EQ(c.At(9, 9), TopLeft);
    EXPECT_EQ(c.At(10, 0), Top);
    EXPECT_EQ(c.At(0, 10), Left);
    // Corners B, D, E are one pixel smaller on their far side (9 rows / columns).
    EXPECT_EQ(c.At(0, 30), Left);
    EXPECT_EQ(c.At(0, 31), BottomLeft);
    EXPECT_EQ(c.At(8, 39), BottomLeft);
    EXPECT_EQ(c.At(50, 0), Top);
    EXPECT_EQ(c.At(51, 0), TopRight);
    EXPECT_EQ(c.At(59, 9), TopRight);
    EXPECT_EQ(c.At(51, 31), BottomRight);
    EXPECT_EQ(c.At(59, 39), BottomRight);
    // Edges and centre fill what lies between; the centre stops one row above
    // E's top and the bottom edge starts one pixel left of A and above B.
    EXPECT_EQ(c.At(55, 20), Right);
    EXPECT_EQ(c.At(30, 5), Top);
    EXPECT_EQ(c.At(30, 20), Centre);
    EXPECT_EQ(c.At(30, 29), Centre);
    EXPECT_EQ(c.At(30, 30), Bottom);
    EXPECT_EQ(c.At(9, 35), Bottom);
    EXPECT_EQ(c.At(30, 39), Bottom);
    // Nothing beyond the rectangle.
    EXPECT_EQ(c.At(60, 20), kBackground);
    EXPECT_EQ(c.At(30, 40), kBackground);
}

TEST(SkinNineSlice, MagentaIsSkippedInTheCentreAlwaysAndInCornersOnlyWithTheFlag)
{
    TBitmap picture;
    Fill(picture, 21, 21, [](int x, int y) {
        const COLORREF c = NineRegion(x, y);
        return c == nine::Centre || c == nine::TopLeft ? kMagenta : c;
    });
    for (bool transparentCorners : {false, true}) {
        TNineCanvas c;
        DrawNineSlice(picture, c.target.Canvas(), RECT{0, 0, 60, 40}, transparentCorners);
        EXPECT_EQ(c.At(30, 20), kBackground) << transparentCorners;
        EXPECT_EQ(c.At(5, 5), transparentCorners ? kBackground : kMagenta);
        EXPECT_EQ(c.At(55, 5), nine::TopRight);
    }
}

TEST(SkinNineSlice, AnEmptyRectangleOrPictureDrawsNothing)
{
    TBitmap picture, empty;
    Fill(picture, 21, 21, NineRegion);
    for (const RECT& r : {RECT{0, 0, 0, 0}, RECT{0, 0, 60, 0}, RECT{0, 0, 0, 40}}) {
        TNineCanvas c;
        DrawNineSlice(picture, c.target.Canvas(), r, true);
        for (int y = 0; y < 50; y += 7)
            for (int x = 0; x < 70; x += 7) ASSERT_EQ(c.At(x, y), kBackground) << x << "," << y;
    }
    TNineCanvas c;
    DrawNineSlice(empty, c.target.Canvas(), RECT{0, 0, 60, 40}, false);
    EXPECT_EQ(c.At(0, 0), kBackground);
    EXPECT_EQ(c.At(30, 20), kBackground);
}

// ------------------------------------------------------------------ TileDraw

COLORREF TilePixel(int x, int y) { return RGB(10 + x * 20, 10 + y * 30, 99); }

TEST(SkinTileDraw, TilesStartAtTheCanvasOriginAndReachOneTileBeyondTheRectangle)
{
    TBitmap tile, target;
    Fill(tile, 7, 5, TilePixel);
    FillSolid(target, 40, 30, kBackground);
    TileDraw(target.Canvas(), tile, RECT{10, 10, 20, 12});  // 10 x 2 at (10, 10)
    // x < 7 + 10 gives tiles at 0, 7, 14 (up to column 20); y < 5 + 2 gives rows 0, 5.
    EXPECT_EQ(target.Pixel(0, 0), TilePixel(0, 0));
    EXPECT_EQ(target.Pixel(20, 9), TilePixel(6, 4));
    EXPECT_EQ(target.Pixel(15, 7), TilePixel(1, 2));
    EXPECT_EQ(target.Pixel(21, 0), kBackground);
    EXPECT_EQ(target.Pixel(0, 10), kBackground);
}

TEST(SkinTileDraw, APictureOfZeroWidthOrHeightDrawsNothing)
{
    TBitmap empty, target;
    FillSolid(target, 10, 10, kBackground);
    TileDraw(target.Canvas(), empty, RECT{0, 0, 10, 10});
    EXPECT_EQ(target.Pixel(0, 0), kBackground);
    EXPECT_EQ(target.Pixel(9, 9), kBackground);
}

// ------------------------------------------------------------------ controls

// A parent whose pixels tell their own position: red left of x = 40, blue from
// there, with a green band from y = 20.
class TStripedParent : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        Canvas().Brush().SetColor(RGB(255, 0, 0));
        Canvas().FillRect(RECT{0, 0, 40, Height()});
        Canvas().Brush().SetColor(RGB(0, 0, 255));
        Canvas().FillRect(RECT{40, 0, Width(), Height()});
        Canvas().Brush().SetColor(RGB(0, 255, 0));
        Canvas().FillRect(RECT{0, 20, Width(), 25});
    }
};

// A windowless control that paints its parent behind itself. The parent's
// paint paints it again, which must not come back round for ever.
class TSeeThrough : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    int paints = 0;

protected:
    void Paint() override
    {
        ++paints;
        PaintParentBackground(Canvas(), *this);
    }
};

// A stand-in for a skinned control: records what the style helpers set.
class TSkinnedProbe : public TCustomControl, public ISkinnable {
public:
    TSkinnedProbe(TComponent* owner, const char* className, std::vector<std::string>* log = nullptr)
        : TCustomControl(owner), className_(className), log_(log)
    {
    }
    const char* ClassName() const override { return className_; }
    TsuiUIStyle UIStyle() const override { return style_; }
    void SetUIStyle(TsuiUIStyle v) override
    {
        style_ = v;
        if (log_) log_->push_back(Name() + ".UIStyle=" + std::to_string(static_cast<int>(v)));
    }
    TsuiFileTheme* FileTheme() const override { return theme_; }
    void SetFileTheme(TsuiFileTheme* v) override
    {
        theme_ = v;
        if (log_) log_->push_back(Name() + ".FileTheme");
    }

private:
    const char* className_;
    std::vector<std::string>* log_;
    TsuiUIStyle style_ = TsuiUIStyle::DeepBlue;
    TsuiFileTheme* theme_ = nullptr;
};

// A skinned frame as the helpers see one.
class TFrameProbe : public TSkinnedProbe, public ISkinnedFormFrame {
public:
    explicit TFrameProbe(TComponent* owner) : TSkinnedProbe(owner, "TsuiForm") {}
    bool HostWasSizeable() const override { return false; }
};

class SkinControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = new TForm(Application());
        form->SetBounds(50, 50, 300, 200);
        parent = Place(new TStripedParent(form), form, 10, 10, 120, 60);
    }
    void TearDown() override
    {
        Application()->FreeForms();
        PumpPending();
    }
    template <class T>
    static T* Place(T* control, TWinControl* into, int l, int t, int w, int h)
    {
        control->SetParent(into);
        control->SetBounds(l, t, w, h);
        return control;
    }

    TForm* form = nullptr;
    TStripedParent* parent = nullptr;
};

TEST_F(SkinControls, PaintParentBackgroundShowsTheParentPixelsBehindTheControl)
{
    auto* child = Place(new TSkinnedProbe(form, "TPlain"), parent, 30, 15, 20, 10);
    form->Show();
    TBitmap into;
    FillSolid(into, 20, 10, kBackground);
    PaintParentBackground(into.Canvas(), *child);
    EXPECT_EQ(into.Pixel(0, 0), RGB(255, 0, 0));    // parent (30, 15)
    EXPECT_EQ(into.Pixel(9, 0), RGB(255, 0, 0));    // parent (39, 15)
    EXPECT_EQ(into.Pixel(10, 0), RGB(0, 0, 255));   // parent (40, 15)
    EXPECT_EQ(into.Pixel(5, 5), RGB(0, 255, 0));    // parent (35, 20)
    // The DC is handed back as it was given: origin and clipping untouched.
    POINT origin{};
    GetViewportOrgEx(into.Canvas().Handle(), &origin);
    EXPECT_EQ(origin, (POINT{0, 0}));
    TRegionHandle clip(CreateRectRgn(0, 0, 0, 0));
    EXPECT_EQ(GetClipRgn(into.Canvas().Handle(), clip.get()), 0);
}

TEST_F(SkinControls, PaintParentBackgroundWithoutParentLeavesTheCanvas)
{
    TSkinnedProbe orphan(nullptr, "TPlain");
    TBitmap into;
    FillSolid(into, 4, 4, kBackground);
    PaintParentBackground(into.Canvas(), orphan);
    EXPECT_EQ(into.Pixel(0, 0), kBackground);
}

TEST_F(SkinControls, AWindowlessControlPaintingItsParentDoesNotRecurse)
{
    auto* child = Place(new TSeeThrough(form), parent, 35, 15, 20, 10);
    form->Show();
    TBitmap into;
    FillSolid(into, 20, 10, kBackground);
    PaintParentBackground(into.Canvas(), *child);
    EXPECT_EQ(into.Pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(into.Pixel(10, 0), RGB(0, 0, 255));
    // The parent painted once more, and the control within it once, cut short.
    EXPECT_EQ(child->paints, 1);
}

TEST_F(SkinControls, FormUIStyleOfReadsTheFirstDirectSkinnedFrame)
{
    EXPECT_EQ(FormUIStyleOf(nullptr), TsuiUIStyle::DeepBlue);
    EXPECT_EQ(FormUIStyleOf(parent), TsuiUIStyle::DeepBlue);  // not a form
    EXPECT_EQ(FormUIStyleOf(form), TsuiUIStyle::DeepBlue);    // no frame
    auto* nested = Place(new TFrameProbe(form), parent, 0, 0, 5, 5);
    nested->SetUIStyle(TsuiUIStyle::Protein);
    EXPECT_EQ(FormUIStyleOf(form), TsuiUIStyle::DeepBlue);    // a grandchild does not count
    Place(new TSkinnedProbe(form, "TsuiButton"), form, 0, 0, 5, 5)->SetUIStyle(TsuiUIStyle::WinXP);
    Place(new TSkinnedProbe(form, "TsuiForm"), form, 0, 0, 5, 5)->SetUIStyle(TsuiUIStyle::Protein);  // a name is no frame
    auto* frame = Place(new TFrameProbe(form), form, 0, 0, 5, 5);
    frame->SetUIStyle(TsuiUIStyle::MacOS);
    Place(new TFrameProbe(form), form, 0, 0, 5, 5)->SetUIStyle(TsuiUIStyle::BlueGlass);
    EXPECT_EQ(FormUIStyleOf(form), TsuiUIStyle::MacOS);
}

TEST_F(SkinControls, ApplyStyleToChildrenSetsThemeThenStyleOnDirectSkinnedChildrenInOrder)
{
    std::vector<std::string> log;
    auto* a = Place(new TSkinnedProbe(form, "TsuiA", &log), parent, 0, 0, 5, 5);
    a->SetName("a");
    Place(new TStripedParent(form), parent, 0, 0, 5, 5);  // publishes neither
    auto* b = Place(new TSkinnedProbe(form, "TsuiB", &log), parent, 0, 0, 5, 5);
    b->SetName("b");
    auto* inner = Place(new TSkinnedProbe(form, "TsuiC", &log), b, 0, 0, 2, 2);
    inner->SetName("c");
    log.clear();
    TsuiFileTheme theme(nullptr);
    ApplyStyleToChildren(*parent, TsuiUIStyle::WinXP, &theme);
    EXPECT_EQ(log, (std::vector<std::string>{"a.FileTheme", "a.UIStyle=2", "b.FileTheme", "b.UIStyle=2"}));
    EXPECT_EQ(a->FileTheme(), &theme);
    EXPECT_EQ(inner->UIStyle(), TsuiUIStyle::DeepBlue);
}

TEST_F(SkinControls, HasPublishedPropertyKnowsTheStyleProperties)
{
    auto* skinned = new TSkinnedProbe(form, "TsuiA");
    EXPECT_TRUE(HasPublishedProperty(skinned, "UIStyle"));
    EXPECT_TRUE(HasPublishedProperty(skinned, "filetheme"));
    EXPECT_FALSE(HasPublishedProperty(skinned, "Caption"));
    EXPECT_FALSE(HasPublishedProperty(parent, "UIStyle"));
    EXPECT_FALSE(HasPublishedProperty(nullptr, "UIStyle"));
}

TEST_F(SkinControls, SetFormBoundsPlacesAndSizesTheForm)
{
    SetFormBounds(*form, RECT{20, 30, 420, 330});
    EXPECT_EQ(form->BoundsRect(), (RECT{20, 30, 420, 330}));
    form->Show();
    RECT onScreen;
    GetWindowRect(form->Handle(), &onScreen);
    EXPECT_EQ(onScreen.right - onScreen.left, 400);
    EXPECT_EQ(onScreen.bottom - onScreen.top, 300);
}

TEST_F(SkinControls, WithoutAMainFormIsFormActiveIsTheFormsOwnActiveFlag)
{
    ASSERT_EQ(Application()->MainForm(), nullptr);
    auto* other = new TForm(Application());
    other->SetBounds(400, 50, 200, 100);
    form->Show();
    other->Show();
    SetForegroundWindow(form->Handle());
    ASSERT_TRUE(PumpUntil([&] { return form->Active(); }));
    EXPECT_TRUE(IsFormActive(form));
    EXPECT_FALSE(IsFormActive(other));
    EXPECT_FALSE(IsFormActive(nullptr));
    SetForegroundWindow(other->Handle());
    ASSERT_TRUE(PumpUntil([&] { return other->Active() && !form->Active(); }));
    EXPECT_FALSE(IsFormActive(form));
    EXPECT_TRUE(IsFormActive(other));
}

TEST_F(SkinControls, WithAMainFormTheMainFormAndAnMdiFrameAnswerForTheApplication)
{
    Application()->FreeForms();
    auto* main = Application()->CreateForm<TForm>();
    main->SetBounds(50, 50, 300, 200);
    auto* other = new TForm(Application());
    other->SetBounds(400, 50, 200, 100);
    main->Show();
    other->Show();
    SetForegroundWindow(other->Handle());
    ASSERT_TRUE(PumpUntil([&] { return other->Active() && Application()->Active(); }));
    EXPECT_TRUE(IsFormActive(main));     // the main form answers while the program is active
    EXPECT_TRUE(IsFormActive(nullptr));
    EXPECT_TRUE(IsFormActive(other));
    SetForegroundWindow(main->Handle());
    ASSERT_TRUE(PumpUntil([&] { return main->Active(); }));
    EXPECT_FALSE(IsFormActive(other));

    // An MDI client inside the main form makes it a multiple-document frame:
    // a form that is not its active child falls back to its own flag.
    CLIENTCREATESTRUCT client{nullptr, 1000};
    HWND mdi = CreateWindowExA(0, "MDICLIENT", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, main->Handle(),
                               nullptr, GetModuleHandleA(nullptr), &client);
    ASSERT_NE(mdi, nullptr);
    EXPECT_TRUE(IsFormActive(main));
    EXPECT_FALSE(IsFormActive(other));
    SetForegroundWindow(other->Handle());
    ASSERT_TRUE(PumpUntil([&] { return other->Active(); }));
    EXPECT_TRUE(IsFormActive(other));
}

// ------------------------------------------------------------------ geometry

TEST(SkinGeometryHelpers, PointInRectInclusiveCountsRightAndBottomEdges)
{
    const RECT r{10, 20, 30, 40};
    EXPECT_TRUE(PointInRectInclusive(POINT{10, 20}, r));
    EXPECT_TRUE(PointInRectInclusive(POINT{30, 40}, r));
    EXPECT_TRUE(PointInRectInclusive(POINT{30, 20}, r));
    EXPECT_FALSE(PointInRectInclusive(POINT{31, 30}, r));
    EXPECT_FALSE(PointInRectInclusive(POINT{20, 19}, r));
    EXPECT_FALSE(PointInRectInclusive(POINT{9, 41}, r));
}

TEST(SkinGeometryHelpers, TheWorkAreaLiesOnTheScreen)
{
    const RECT work = QueryWorkArea();
    EXPECT_LT(work.left, work.right);
    EXPECT_LT(work.top, work.bottom);
    EXPECT_GE(work.left, 0);
    EXPECT_LE(work.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(work.bottom, GetSystemMetrics(SM_CYSCREEN));
}

}  // namespace
