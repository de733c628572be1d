#include "SkinPictures.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <string_view>

#include "UIStyle.h"

namespace {

using Rgb = std::uint32_t;

// ---------------------------------------------------------------- colours

int R(Rgb c) { return (c >> 16) & 0xFF; }
int G(Rgb c) { return (c >> 8) & 0xFF; }
int B(Rgb c) { return c & 0xFF; }
Rgb MakeRgb(int r, int g, int b)
{
    auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    return (Rgb(clamp(r)) << 16) | (Rgb(clamp(g)) << 8) | Rgb(clamp(b));
}
Rgb Mix(Rgb a, Rgb b, double t)
{
    t = std::clamp(t, 0.0, 1.0);
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return MakeRgb(m(R(a), R(b)), m(G(a), G(b)), m(B(a), B(b)));
}
Rgb Lighten(Rgb c, double t) { return Mix(c, 0xFFFFFF, t); }
Rgb Darken(Rgb c, double t) { return Mix(c, 0x000000, t); }
// A colour that is never exactly magenta, so that drawn pixels are never keyed out.
Rgb Safe(Rgb c) { return c == kSkinMagenta ? 0xFE00FF : c; }

// Piecewise-linear gradient over t in 0..1.
struct Stop {
    double T;
    Rgb C;
};
Rgb Ramp(std::initializer_list<Stop> stops, double t)
{
    const Stop* prev = stops.begin();
    if (t <= prev->T) return prev->C;
    for (const Stop* s = stops.begin() + 1; s != stops.end(); ++s) {
        if (t <= s->T) return Mix(prev->C, s->C, (t - prev->T) / std::max(1e-9, s->T - prev->T));
        prev = s;
    }
    return prev->C;
}

// ---------------------------------------------------------------- shapes
// Shapes are signed distance functions in pixel units (negative inside); a
// pixel's coverage is sampled 4 x 4. On a drawn pixel the shape is blended by
// its coverage; on a magenta (transparent) pixel it is drawn or not, never
// blended, so no pink fringe appears around transparent pictures.

using Sdf = std::function<double(double, double)>;
using Paint = std::function<Rgb(double, double)>;

Sdf RoundBox(double x0, double y0, double x1, double y1, double r)
{
    return [=](double x, double y) {
        const double cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
        const double hx = (x1 - x0) / 2 - r, hy = (y1 - y0) / 2 - r;
        const double qx = std::abs(x - cx) - hx, qy = std::abs(y - cy) - hy;
        const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - r;
    };
}
Sdf Circle(double cx, double cy, double r)
{
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - r; };
}
Sdf Segment(double ax, double ay, double bx, double by, double halfWidth)
{
    return [=](double x, double y) {
        const double dx = bx - ax, dy = by - ay;
        const double len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? std::clamp(((x - ax) * dx + (y - ay) * dy) / len2, 0.0, 1.0) : 0.0;
        return std::hypot(x - (ax + t * dx), y - (ay + t * dy)) - halfWidth;
    };
}
Sdf Union(std::vector<Sdf> parts)
{
    return [parts = std::move(parts)](double x, double y) {
        double d = 1e9;
        for (const auto& p : parts) d = std::min(d, p(x, y));
        return d;
    };
}
Sdf Polyline(const std::vector<std::pair<double, double>>& pts, double halfWidth)
{
    std::vector<Sdf> segs;
    for (std::size_t i = 1; i < pts.size(); ++i)
        segs.push_back(Segment(pts[i - 1].first, pts[i - 1].second, pts[i].first, pts[i].second, halfWidth));
    return Union(std::move(segs));
}
Sdf Outline(Sdf shape, double halfWidth)
{
    return [=](double x, double y) { return std::abs(shape(x, y)) - halfWidth; };
}
// Axis-aligned pixel rectangle [x0, x1) x [y0, y1), no anti-aliasing needed.
Sdf Rect(double x0, double y0, double x1, double y1) { return RoundBox(x0, y0, x1, y1, 0); }

void Fill(TSkinBitmap& b, const Sdf& shape, const Paint& paint, double alpha = 1.0)
{
    for (int y = 0; y < b.Height; ++y)
        for (int x = 0; x < b.Width; ++x) {
            // Cheap reject: far outside the shape.
            if (shape(x + 0.5, y + 0.5) > 1.5) continue;
            int inside = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (shape(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4) <= 0) ++inside;
            if (inside == 0) continue;
            const double cov = inside / 16.0 * alpha;
            const Rgb c = Safe(paint(x + 0.5, y + 0.5));
            const Rgb dst = b.At(x, y);
            if (dst == kSkinMagenta) {
                if (inside >= 8) b.Set(x, y, c);
            } else {
                b.Set(x, y, Safe(Mix(dst, c, cov)));
            }
        }
}
void Fill(TSkinBitmap& b, const Sdf& shape, Rgb colour, double alpha = 1.0)
{
    Fill(b, shape, [colour](double, double) { return colour; }, alpha);
}
// Vertical gradient over rows y0..y1 of the shape.
Paint VGrad(double y0, double y1, std::initializer_list<Stop> stops)
{
    std::vector<Stop> s(stops);
    return [=](double, double y) {
        const double t = (y - y0) / std::max(1e-9, y1 - y0);
        const Stop* prev = &s.front();
        if (t <= prev->T) return prev->C;
        for (std::size_t i = 1; i < s.size(); ++i) {
            if (t <= s[i].T) return Mix(prev->C, s[i].C, (t - prev->T) / std::max(1e-9, s[i].T - prev->T));
            prev = &s[i];
        }
        return prev->C;
    };
}

TSkinBitmap JoinFrames(const std::vector<TSkinBitmap>& frames)
{
    TSkinBitmap out(static_cast<int>(frames.size()) * frames.front().Width, frames.front().Height);
    for (std::size_t i = 0; i < frames.size(); ++i)
        for (int y = 0; y < out.Height; ++y)
            for (int x = 0; x < frames[i].Width; ++x)
                out.Set(static_cast<int>(i) * frames[i].Width + x, y, frames[i].At(x, y));
    return out;
}

// ---------------------------------------------------------------- styles

enum class St { MacOS, WinXP, DeepBlue, Protein, BlueGlass };
constexpr St kStyles[] = {St::MacOS, St::WinXP, St::DeepBlue, St::Protein, St::BlueGlass};

TsuiUIStyle ToUIStyle(St s)
{
    switch (s) {
    case St::MacOS: return TsuiUIStyle::MacOS;
    case St::WinXP: return TsuiUIStyle::WinXP;
    case St::DeepBlue: return TsuiUIStyle::DeepBlue;
    case St::Protein: return TsuiUIStyle::Protein;
    case St::BlueGlass: return TsuiUIStyle::BlueGlass;
    }
    return TsuiUIStyle::DeepBlue;
}
std::string Name(St s, int item) { return std::string(GetBuiltInBitmapName(ToUIStyle(s), item)); }
// Table colours are 0x00BBGGRR; pictures are 0x00RRGGBB.
Rgb TableColour(St s, int item)
{
    const std::uint32_t c = GetBuiltInColor(ToUIStyle(s), item);
    return MakeRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}
Rgb ControlBack(St s) { return TableColour(s, ThemeItem::ControlBackgroundColor); }

// The few colours every element of a style is built from.
struct Palette {
    Rgb Border;        // outline of buttons and boxes
    Rgb FaceTop, FaceBottom;
    Rgb HotTop, HotBottom;
    Rgb DownTop, DownBottom;
    Rgb Accent, AccentDark;  // selection, progress, checked
    Rgb Glyph;              // arrows and marks on faces
    double Radius;
    bool Gloss;             // a bright upper half (glass)
};

Palette PaletteOf(St s)
{
    switch (s) {
    case St::MacOS:
        return {0x8A8A8A, 0xFDFDFD, 0xDCDCDC, 0xE6F3FF, 0xA9D2F7, 0xB5D7F5, 0x6FAEE8,
                0x5AA2EA, 0x2A6FC4, 0x3A3A3A, 4.0, true};
    case St::WinXP:
        return {0x003C74, 0xFFFFFF, 0xE5E4DC, 0xFFFFFF, 0xF0EFE8, 0xD8D6CC, 0xE9E8E0,
                0x3C8CF0, 0x1F5FD0, 0x1F3F7F, 3.0, false};
    case St::DeepBlue:
        return {0x1A2757, 0xE9EDF8, 0xB6C1DE, 0xF4F7FF, 0xC7D4F2, 0x9AA8CF, 0xC2CCE6,
                0x4A5CB0, 0x253679, 0x1A2757, 2.0, false};
    case St::Protein:
        return {0x9099A6, 0xFFFFFF, 0xECEFF3, 0xFFFFFF, 0xD3E4F8, 0xE6EBF1, 0xC4CFDC,
                0x5B8FD6, 0x2D5F9E, 0x3C4656, 3.0, false};
    case St::BlueGlass:
        return {0x1D4F91, 0xE1F0FD, 0x8EC2F0, 0xF0FAFF, 0xA9DDFB, 0x74A9DD, 0xB3D6F4,
                0x3A8AE0, 0x1A5AB0, 0x0C2F63, 6.0, true};
    }
    return PaletteOf(St::DeepBlue);
}

// A bevelled face: 1-pixel border, gradient inside, optional gloss, and a
// light inner rim at the top.
void DrawFace(TSkinBitmap& b, double x0, double y0, double x1, double y1, double r, Rgb border, Rgb top,
              Rgb bottom, bool gloss)
{
    Fill(b, RoundBox(x0, y0, x1, y1, r), border);
    const double ir = std::max(0.0, r - 1);
    if (gloss) {
        Fill(b, RoundBox(x0 + 1, y0 + 1, x1 - 1, y1 - 1, ir),
             VGrad(y0 + 1, y1 - 1,
                   {{0.0, Lighten(top, 0.5)}, {0.48, top}, {0.52, Mix(top, bottom, 0.55)}, {1.0, bottom}}));
    } else {
        Fill(b, RoundBox(x0 + 1, y0 + 1, x1 - 1, y1 - 1, ir), VGrad(y0 + 1, y1 - 1, {{0.0, top}, {1.0, bottom}}));
    }
    // Soft highlight along the top inside edge.
    Fill(b, Segment(x0 + ir + 1.5, y0 + 1.5, x1 - ir - 1.5, y0 + 1.5, 0.5), 0xFFFFFF, 0.55);
}

// ---------------------------------------------------------------- push buttons

struct ButtonSize {
    int W, H;
};
ButtonSize ButtonSizeOf(St s)
{
    switch (s) {
    case St::MacOS: return {84, 23};
    case St::WinXP: return {18, 21};
    case St::DeepBlue: return {74, 21};
    case St::Protein: return {74, 21};
    case St::BlueGlass: return {77, 27};
    }
    return {74, 21};
}
bool ButtonTransparent(St s) { return GetBuiltInBool(ToUIStyle(s), ThemeItem::ButtonTransparentBool); }

TSkinPicture MakeButton(St s)
{
    const auto [w, h] = ButtonSizeOf(s);
    const Palette p = PaletteOf(s);
    const Rgb corner = ButtonTransparent(s) ? kSkinMagenta : ControlBack(s);
    std::vector<TSkinBitmap> frames;
    for (int state = 0; state < 3; ++state) {
        TSkinBitmap f(w, h, corner);
        const Rgb top = state == 0 ? p.FaceTop : state == 1 ? p.HotTop : p.DownTop;
        const Rgb bottom = state == 0 ? p.FaceBottom : state == 1 ? p.HotBottom : p.DownBottom;
        double r = p.Radius;
        if (s == St::MacOS) r = 9.0;   // a soft lozenge
        if (s == St::BlueGlass) r = 7.0;
        Rgb border = p.Border;
        if (s == St::MacOS && state > 0) border = 0x4C7FB5;
        if (s == St::BlueGlass && state == 1) border = 0x2A6DBF;
        if (s == St::Protein && state > 0) border = p.Accent;
        if (s == St::DeepBlue && state == 2) border = 0x0D1638;
        // Pressed faces read sunken: the gradient runs dark at the top.
        if (state == 2 && !p.Gloss)
            DrawFace(f, 0, 0, w, h, r, border, bottom, top, false);
        else
            DrawFace(f, 0, 0, w, h, r, border, top, bottom, p.Gloss);
        if (s == St::WinXP && state == 1) {
            // The warm hover rim.
            Fill(f, Outline(RoundBox(1.5, 1.5, w - 1.5, h - 1.5, 2.0), 0.9),
                 VGrad(1, h - 1, {{0.0, 0xFFF0CF}, {0.5, 0xFCD279}, {1.0, 0xE5971F}}));
        }
        if (s == St::WinXP && state == 0) {
            // Shadowed lower edge of the resting face.
            Fill(f, Segment(2.5, h - 2.5, w - 2.5, h - 2.5, 0.5), 0xD6D0C5);
        }
        if (s == St::DeepBlue) {
            // A navy keel along the bottom gives the light face its style colour.
            const Rgb keel = state == 1 ? 0x4A5CB0 : state == 2 ? 0x1A2757 : 0x2E3F86;
            Fill(f, Rect(1, h - 3, w - 1, h - 1), keel);
        }
        if (s == St::MacOS && state == 2) {
            Fill(f, Segment(r, 1.5, w - r, 1.5, 0.5), 0x2A5F9A, 0.6);
        }
        frames.push_back(std::move(f));
    }
    return {Name(s, ThemeItem::ButtonImage), 3, JoinFrames(frames)};
}

// ---------------------------------------------------------------- check boxes and radio buttons

ButtonSize BoxFrameSize(St s) { return s == St::MacOS ? ButtonSize{15, 17} : ButtonSize{13, 13}; }

struct BoxLook {
    Rgb Border, FaceTop, FaceBottom, CheckedTop, CheckedBottom, Mark;
    Rgb DisBorder, DisFace, DisMark;
};
BoxLook BoxLookOf(St s)
{
    switch (s) {
    case St::MacOS:
        return {0x7A7A7A, 0xFFFFFF, 0xDADADA, 0xBFE0FF, 0x5FA6EC, 0x102B4C, 0xB8B8B8, 0xF2F2F2, 0xA5A5A5};
    case St::WinXP:
        return {0x1C5180, 0xDCDCD7, 0xFFFFFF, 0xDCDCD7, 0xFFFFFF, 0x21A121, 0xCAC8BB, 0xFFFFFF, 0xCAC8BB};
    case St::DeepBlue:
        return {0x1A2757, 0xFFFFFF, 0xD5DCEE, 0xFFFFFF, 0xD5DCEE, 0x1A2E80, 0xA3A9B8, 0xF1F1F1, 0xA3A9B8};
    case St::Protein:
        return {0x7F8A99, 0xFFFFFF, 0xEDF0F4, 0xFFFFFF, 0xE3ECF7, 0x2D5F9E, 0xC3C8CF, 0xF7F7F7, 0xB9BFC8};
    case St::BlueGlass:
        return {0x1D4F91, 0xF4FAFF, 0xB9DAF6, 0xE8F4FF, 0x8EC2F0, 0x0C2F63, 0xA9B7C8, 0xEEF2F6, 0x9AA8BA};
    }
    return BoxLookOf(St::DeepBlue);
}

void DrawCheckMark(TSkinBitmap& f, double x0, double y0, double size, Rgb c, double halfWidth)
{
    Fill(f,
         Polyline({{x0 + size * 0.18, y0 + size * 0.52}, {x0 + size * 0.42, y0 + size * 0.76},
                   {x0 + size * 0.84, y0 + size * 0.22}},
                  halfWidth),
         c);
}

TSkinPicture MakeBoxStrip(St s, bool radio, const std::string& name, ButtonSize size)
{
    const BoxLook k = BoxLookOf(s);
    const Rgb outside = radio ? kSkinMagenta : ControlBack(s);
    std::vector<TSkinBitmap> frames;
    // Frames: checked, unchecked, checked disabled, unchecked disabled.
    for (int frame = 1; frame <= 4; ++frame) {
        const bool checked = frame == 1 || frame == 3;
        const bool enabled = frame <= 2;
        TSkinBitmap f(size.W, size.H, outside);
        const double bx = (size.W - 13) / 2.0, by = (size.H - 13) / 2.0;
        const Rgb border = enabled ? k.Border : k.DisBorder;
        Paint face = enabled ? (checked ? VGrad(by, by + 13, {{0, k.CheckedTop}, {1, k.CheckedBottom}})
                                        : VGrad(by, by + 13, {{0, k.FaceTop}, {1, k.FaceBottom}}))
                             : Paint([c = k.DisFace](double, double) { return c; });
        const Rgb mark = enabled ? k.Mark : k.DisMark;
        if (radio) {
            Fill(f, Circle(bx + 6.5, by + 6.5, 6.5), border);
            Fill(f, Circle(bx + 6.5, by + 6.5, 5.5), face);
            if (s == St::MacOS || s == St::BlueGlass)
                Fill(f, Circle(bx + 6.5, by + 4.0, 2.6), 0xFFFFFF, enabled ? 0.5 : 0.2);
            if (checked) Fill(f, Circle(bx + 6.5, by + 6.5, 2.6), mark);
        } else {
            const double r = s == St::MacOS ? 3.0 : (s == St::Protein || s == St::BlueGlass) ? 2.0 : 0.0;
            Fill(f, RoundBox(bx, by, bx + 13, by + 13, r), border);
            Fill(f, RoundBox(bx + 1, by + 1, bx + 12, by + 12, std::max(0.0, r - 1)), face);
            if (checked) DrawCheckMark(f, bx + 1.0, by + 1.0, 11.0, mark, s == St::WinXP ? 1.25 : 1.1);
        }
        frames.push_back(std::move(f));
    }
    return {name, 4, JoinFrames(frames)};
}

// ---------------------------------------------------------------- title bar

int TitleBarHeight(St s)
{
    switch (s) {
    case St::MacOS: return 22;
    case St::WinXP: return 30;
    case St::DeepBlue: return 23;
    case St::Protein: return 23;
    case St::BlueGlass: return 30;
    }
    return 23;
}
int TitleButtonSize(St s) { return s == St::MacOS ? 17 : s == St::WinXP ? 21 : 19; }

// The title bar's background, row by row (the middle section; the end caps add
// the frame's edges).
Rgb TitleRow(St s, int y)
{
    const int h = TitleBarHeight(s);
    const double t = (y + 0.5) / h;
    switch (s) {
    case St::MacOS: {
        if (y == 0) return 0x7F7F7F;
        if (y == h - 1) return 0x8C8C8C;
        const Rgb base = Ramp({{0.0, 0xF7F7F7}, {1.0, 0xC9C9C9}}, t);
        return (y % 2 == 0) ? Darken(base, 0.025) : base;  // fine pinstripes
    }
    case St::WinXP:
        if (y == h - 1) return 0x0039A8;
        return Ramp({{0.0, 0x3A8CFF}, {0.12, 0x0A66F0}, {0.5, 0x0057E5}, {0.85, 0x0052DA}, {1.0, 0x0047C4}}, t);
    case St::DeepBlue:
        if (y == 0) return 0x4B5E9F;
        if (y == h - 1) return 0x070C22;
        return Ramp({{0.0, 0x2E4182}, {1.0, 0x111B45}}, t);
    case St::Protein:
        if (y == 0) return 0xA9C3E3;
        if (y == h - 1) return 0x35557F;
        return Ramp({{0.0, 0x7398C6}, {1.0, 0x4A6D9C}}, t);
    case St::BlueGlass:
        if (y == 0) return 0xDDEEFF;
        if (y == h - 1) return 0x1B4F93;
        return Ramp({{0.0, 0xB1D9FB}, {0.46, 0x78B6EE}, {0.5, 0x3E8BDD}, {1.0, 0x2B70C6}}, t);
    }
    return 0;
}

TSkinBitmap TitleStrip(St s, int w)
{
    TSkinBitmap b(w, TitleBarHeight(s));
    for (int y = 0; y < b.Height; ++y)
        for (int x = 0; x < w; ++x) b.Set(x, y, TitleRow(s, y));
    return b;
}

// One end cap; `left` puts the frame's edge at column 0, otherwise at the last column.
TSkinPicture MakeTitleEnd(St s, bool left)
{
    const int w = 8;
    TSkinBitmap b = TitleStrip(s, w);
    const int edge = left ? 0 : w - 1;
    const int inner = left ? 1 : w - 2;
    Rgb border = TableColour(s, ThemeItem::FormBorderColor);
    for (int y = 0; y < b.Height; ++y) {
        if (s == St::WinXP) {
            // The thick XP frame continues up the bar, lighter at the very edge.
            b.Set(edge, y, Mix(TitleRow(s, y), 0x002CC8, 0.65));
            b.Set(inner, y, Mix(TitleRow(s, y), 0x002CC8, 0.35));
            b.Set(left ? 2 : w - 3, y, Mix(TitleRow(s, y), 0x4A98FF, 0.25));
        } else {
            b.Set(edge, y, border);
            b.Set(inner, y, Mix(TitleRow(s, y), 0xFFFFFF, s == St::MacOS ? 0.5 : 0.22));
        }
    }
    if (s == St::MacOS)
        for (int x = 0; x < w; ++x) b.Set(x, 0, border);
    return {Name(s, left ? ThemeItem::TitleBarLeftImage : ThemeItem::TitleBarRightImage), 1, std::move(b)};
}

TSkinPicture MakeTitleClient(St s)
{
    return {Name(s, ThemeItem::TitleBarClientImage), 1, TitleStrip(s, 8)};
}

enum class Glyph { ControlBox, Help, Max, Restore, Min, Close };

// A glyph centred in a square of side `sz` at (ox, oy); `hw` is the stroke's half width.
void DrawGlyph(TSkinBitmap& f, Glyph g, double ox, double oy, double sz, Rgb c, double hw, double alpha = 1.0)
{
    const double cx = ox + sz / 2, cy = oy + sz / 2;
    const double a = sz * 0.25;  // half extent of the glyph
    switch (g) {
    case Glyph::Close:
        Fill(f, Union({Segment(cx - a, cy - a, cx + a, cy + a, hw), Segment(cx - a, cy + a, cx + a, cy - a, hw)}), c,
             alpha);
        break;
    case Glyph::Min:
        Fill(f, Segment(cx - a, cy + a * 0.75, cx + a, cy + a * 0.75, hw), c, alpha);
        break;
    case Glyph::Max: {
        const double x0 = std::round(cx - a) , y0 = std::round(cy - a), x1 = std::round(cx + a), y1 = std::round(cy + a);
        Fill(f, Union({Outline(Rect(x0, y0, x1, y1), hw * 0.5 + 0.02), Rect(x0, y0, x1, y0 + 2 * hw)}), c, alpha);
        break;
    }
    case Glyph::Restore: {
        const double s2 = std::round(a * 1.4);
        const double bx = std::round(cx - a) , by = std::round(cy - a) + std::round(a * 0.6);
        const double fx = bx + std::round(a * 0.6), fy = std::round(cy - a);
        // Back window: only the parts not covered by the front one.
        Fill(f, Union({Segment(fx, fy, fx + s2, fy, hw), Segment(fx + s2, fy, fx + s2, fy + s2, hw * 0.6)}), c, alpha);
        Fill(f, Union({Outline(Rect(bx, by, bx + s2, by + s2), hw * 0.5 + 0.02), Rect(bx, by, bx + s2, by + 2 * hw * 0.8)}), c,
             alpha);
        break;
    }
    case Glyph::Help:
        Fill(f,
             Polyline({{cx - a * 0.75, cy - a * 0.45}, {cx - a * 0.5, cy - a * 0.9}, {cx, cy - a * 1.05},
                       {cx + a * 0.55, cy - a * 0.88}, {cx + a * 0.75, cy - a * 0.45}, {cx + a * 0.45, cy - a * 0.05},
                       {cx, cy + a * 0.2}, {cx, cy + a * 0.45}},
                      hw * 0.9),
             c, alpha);
        Fill(f, Circle(cx, cy + a * 0.95, hw * 1.1), c, alpha);
        break;
    case Glyph::ControlBox:
        // The window menu: three short lines.
        for (int i = -1; i <= 1; ++i) Fill(f, Segment(cx - a, cy + i * a * 0.75, cx + a, cy + i * a * 0.75, hw * 0.8), c, alpha);
        break;
    }
}

TSkinPicture MakeTitleButtons(St s)
{
    const int n = TitleButtonSize(s);
    const int top = GetBuiltInInt(ToUIStyle(s), ThemeItem::TitleBarButtonTopInt);
    const bool transparent = GetBuiltInBool(ToUIStyle(s), ThemeItem::TitleBarButtonTransparentBool);
    const Glyph order[] = {Glyph::ControlBox, Glyph::Help, Glyph::Max, Glyph::Restore, Glyph::Min, Glyph::Close};
    std::vector<TSkinBitmap> frames;
    for (Glyph g : order)
        for (int state = 0; state < 3; ++state) {
            TSkinBitmap f(n, n, kSkinMagenta);
            if (!transparent)  // an opaque button stands on the bar's own rows
                for (int y = 0; y < n; ++y)
                    for (int x = 0; x < n; ++x) f.Set(x, y, TitleRow(s, std::min(top + y, TitleBarHeight(s) - 1)));
            const double N = n;
            switch (s) {
            case St::MacOS: {
                // Round gems: red close, amber minimise, green zoom, blue help, graphite menu.
                Rgb gem = g == Glyph::Close ? 0xE2453C
                        : g == Glyph::Min ? 0xE9A93A
                        : (g == Glyph::Max || g == Glyph::Restore) ? 0x46B04A
                        : g == Glyph::Help ? 0x4C8FDB : 0x9AA1AA;
                if (state == 1) gem = Lighten(gem, 0.12);
                if (state == 2) gem = Darken(gem, 0.25);
                const double c = N / 2, r = 6.5;
                Fill(f, Circle(c, c, r), Darken(gem, 0.35));
                Fill(f, Circle(c, c, r - 1), VGrad(c - r, c + r, {{0.0, Darken(gem, 0.1)}, {0.6, gem}, {1.0, Lighten(gem, 0.45)}}));
                Fill(f, RoundBox(c - 3.6, c - r + 1.2, c + 3.6, c - 1.5, 2.2), 0xFFFFFF, 0.55);
                DrawGlyph(f, g, 2, 2, N - 4, Darken(gem, 0.65), 0.75, state == 0 ? 0.6 : 1.0);
                break;
            }
            case St::WinXP: {
                const bool close = g == Glyph::Close;
                Rgb t0 = close ? 0xE9866A : 0x6FA6FF, t1 = close ? 0xD2451F : 0x2A6BF0, t2 = close ? 0xB9300F : 0x1C56DA;
                if (state == 1) {
                    t0 = Lighten(t0, 0.2);
                    t1 = Lighten(t1, 0.18);
                    t2 = Lighten(t2, 0.15);
                }
                if (state == 2) {
                    std::swap(t0, t2);
                    t0 = Darken(t0, 0.15);
                }
                Fill(f, RoundBox(0, 0, N, N, 3.0), 0xFFFFFF);
                Fill(f, RoundBox(1, 1, N - 1, N - 1, 2.0), VGrad(1, N - 1, {{0.0, t0}, {0.45, t1}, {1.0, t2}}));
                DrawGlyph(f, g, 2, 2, N - 4, 0xFFFFFF, 1.15);
                break;
            }
            case St::DeepBlue: {
                Rgb t0 = 0x3D56A6, t1 = 0x1E2F6E;
                if (state == 1) {
                    t0 = g == Glyph::Close ? 0xD1545A : 0x5C78CF;
                    t1 = g == Glyph::Close ? 0x8E1F27 : 0x2E469A;
                }
                if (state == 2) {
                    t0 = 0x0F1940;
                    t1 = g == Glyph::Close ? 0x6E1820 : 0x22357A;
                }
                Fill(f, RoundBox(0.5, 0.5, N - 0.5, N - 0.5, 2.0), 0x0A1233);
                Fill(f, RoundBox(1.5, 1.5, N - 1.5, N - 1.5, 1.0), VGrad(1, N - 1, {{0.0, t0}, {1.0, t1}}));
                const double d = state == 2 ? 1.0 : 0.0;
                DrawGlyph(f, g, 2.5 + d, 2.5 + d, N - 5, state == 0 ? 0xC9D3F2 : 0xFFFFFF, 0.95);
                break;
            }
            case St::Protein: {
                // A soft pad that brightens under the mouse and sinks when pressed.
                Rgb p0 = 0x8AABD3, p1 = 0x5F83B2, glyph = 0xFFFFFF;
                if (g == Glyph::Close && state > 0) {
                    p0 = state == 1 ? 0xF08A80 : 0xB8433A;
                    p1 = state == 1 ? 0xD9544A : 0x8F2E27;
                } else if (state == 1) {
                    p0 = 0xB9D2EF;
                    p1 = 0x86A8D3;
                } else if (state == 2) {
                    p0 = 0x3E5F8C;
                    p1 = 0x54769F;
                }
                Fill(f, RoundBox(1, 1, N - 1, N - 1, 4.0), 0x3A5A86);
                Fill(f, RoundBox(2, 2, N - 2, N - 2, 3.0), VGrad(2, N - 2, {{0.0, p0}, {1.0, p1}}));
                DrawGlyph(f, g, 3, 3, N - 6, glyph, 0.95);
                break;
            }
            case St::BlueGlass: {
                const bool close = g == Glyph::Close;
                Rgb hi = close ? 0xFFC2B8 : 0xD8F0FF, mid = close ? 0xE0533F : 0x3C92E6, lo = close ? 0xA2200F : 0x1753A8;
                if (state == 1) {
                    hi = Lighten(hi, 0.3);
                    mid = Lighten(mid, 0.22);
                    lo = Lighten(lo, 0.25);
                }
                if (state == 2) {
                    mid = Darken(mid, 0.25);
                    lo = Darken(lo, 0.2);
                    hi = Darken(hi, 0.15);
                }
                const double c = N / 2;
                Fill(f, Circle(c, c, c - 0.5), close ? 0x7A1A0E : 0x123F7E);
                Fill(f, Circle(c, c, c - 1.5), VGrad(1, N - 1, {{0.0, mid}, {0.55, lo}, {1.0, Lighten(mid, 0.35)}}));
                Fill(f, RoundBox(c - 5.5, 2.2, c + 5.5, c - 0.5, 4.0), VGrad(2, c, {{0.0, hi}, {1.0, Mix(hi, mid, 0.7)}}), 0.85);
                DrawGlyph(f, g, 3, 3, N - 6, 0xFFFFFF, 1.0);
                break;
            }
            }
            if (transparent) f.Set(0, n - 1, kSkinMagenta);  // the key is the bottom-left pixel
            frames.push_back(std::move(f));
        }
    return {Name(s, ThemeItem::TitleBarButtonImage), 18, JoinFrames(frames)};
}

// ---------------------------------------------------------------- other controls
// Pictures for the control set's other controls (progress, track and scroll
// bars, tabs, check lists, side channels). They follow the same palettes.

TSkinPicture MakeProgress(St s)
{
    const Palette p = PaletteOf(s);
    TSkinBitmap b(16, 14, 0);
    Fill(b, Rect(0, 0, 16, 14), VGrad(0, 14, {{0.0, Lighten(p.Accent, 0.55)}, {0.45, p.Accent}, {1.0, p.AccentDark}}));
    Fill(b, Rect(0, 1, 16, 5), 0xFFFFFF, p.Gloss ? 0.35 : 0.18);
    Fill(b, Rect(14, 0, 16, 14), Darken(p.AccentDark, 0.1), 0.35);  // segment gap
    return {Name(s, ThemeItem::ProgressBarImage), 1, std::move(b)};
}

TSkinPicture MakeTrackBar(St s)
{
    const Palette p = PaletteOf(s);
    TSkinBitmap b(20, 6, ControlBack(s));
    Fill(b, RoundBox(0, 0, 20, 6, 2.5), Darken(p.Border, 0.1));
    Fill(b, RoundBox(1, 1, 19, 5, 1.5), VGrad(1, 5, {{0.0, Darken(p.FaceBottom, 0.15)}, {1.0, p.FaceTop}}));
    return {Name(s, ThemeItem::TrackBarBarImage), 1, std::move(b)};
}

TSkinPicture MakeSlider(St s, bool vertical)
{
    const Palette p = PaletteOf(s);
    const int w = vertical ? 19 : 11, h = vertical ? 11 : 19;
    std::vector<TSkinBitmap> frames;
    for (int state = 0; state < 3; ++state) {
        TSkinBitmap f(w, h);
        const Rgb top = state == 0 ? p.FaceTop : state == 1 ? p.HotTop : p.DownTop;
        const Rgb bottom = state == 0 ? p.FaceBottom : state == 1 ? p.HotBottom : p.DownBottom;
        DrawFace(f, 0, 0, w, h, 3.0, state == 0 ? p.Border : p.AccentDark, top, bottom, p.Gloss);
        for (int i = -1; i <= 1; ++i)  // grip
            if (vertical)
                Fill(f, Segment(w / 2.0 + i * 3, 3, w / 2.0 + i * 3, h - 3, 0.5), Darken(bottom, 0.35));
            else
                Fill(f, Segment(3, h / 2.0 + i * 3, w - 3, h / 2.0 + i * 3, 0.5), Darken(bottom, 0.35));
        frames.push_back(std::move(f));
    }
    return {Name(s, vertical ? ThemeItem::TrackBarSliderVImage : ThemeItem::TrackBarSliderImage), 3, JoinFrames(frames)};
}

// Arrow pointing up (0), down (1), left (2) or right (3).
void DrawArrow(TSkinBitmap& f, int dir, double cx, double cy, double a, Rgb c)
{
    std::vector<std::pair<double, double>> pts;
    switch (dir) {
    case 0: pts = {{cx - a, cy + a / 2}, {cx, cy - a / 2}, {cx + a, cy + a / 2}}; break;
    case 1: pts = {{cx - a, cy - a / 2}, {cx, cy + a / 2}, {cx + a, cy - a / 2}}; break;
    case 2: pts = {{cx + a / 2, cy - a}, {cx - a / 2, cy}, {cx + a / 2, cy + a}}; break;
    default: pts = {{cx - a / 2, cy - a}, {cx + a / 2, cy}, {cx - a / 2, cy + a}}; break;
    }
    Fill(f, Polyline(pts, 0.9), c);
}

// Frames: for each direction (up, down, left, right) normal, mouse on, pressed.
TSkinPicture MakeArrowButtons(St s, const std::string& name, int w, int h, int directions)
{
    const Palette p = PaletteOf(s);
    std::vector<TSkinBitmap> frames;
    for (int dir = 0; dir < directions; ++dir)
        for (int state = 0; state < 3; ++state) {
            TSkinBitmap f(w, h, ControlBack(s));
            const Rgb top = state == 0 ? p.FaceTop : state == 1 ? p.HotTop : p.DownTop;
            const Rgb bottom = state == 0 ? p.FaceBottom : state == 1 ? p.HotBottom : p.DownBottom;
            DrawFace(f, 0, 0, w, h, std::min(p.Radius, 3.0), state == 0 ? p.Border : p.AccentDark, top, bottom, p.Gloss);
            const double d = state == 2 ? 0.5 : 0.0;
            DrawArrow(f, dir, w / 2.0 + d, h / 2.0 + d, std::min(w, h) * 0.22, p.Glyph);
            frames.push_back(std::move(f));
        }
    return {name, directions * 3, JoinFrames(frames)};
}

TSkinPicture MakeScrollThumb(St s)
{
    const Palette p = PaletteOf(s);
    std::vector<TSkinBitmap> frames;
    for (int state = 0; state < 3; ++state) {
        TSkinBitmap f(16, 16, ControlBack(s));
        const Rgb top = state == 0 ? p.FaceTop : state == 1 ? p.HotTop : p.DownTop;
        const Rgb bottom = state == 0 ? p.FaceBottom : state == 1 ? p.HotBottom : p.DownBottom;
        DrawFace(f, 0, 0, 16, 16, std::min(p.Radius, 4.0), state == 0 ? p.Border : p.AccentDark, top, bottom, p.Gloss);
        for (int i = -1; i <= 1; ++i) Fill(f, Segment(5, 8 + i * 2.5, 11, 8 + i * 2.5, 0.5), Darken(bottom, 0.35));
        frames.push_back(std::move(f));
    }
    return {Name(s, ThemeItem::ScrollBarSliderImage), 3, JoinFrames(frames)};
}

TSkinPicture MakeTab(St s)
{
    const Palette p = PaletteOf(s);
    std::vector<TSkinBitmap> frames;
    // Frames: normal, mouse on, selected.
    for (int state = 0; state < 3; ++state) {
        TSkinBitmap f(60, 21, kSkinMagenta);
        const Rgb top = state == 2 ? Lighten(ControlBack(s), 0.6) : state == 1 ? p.HotTop : p.FaceTop;
        const Rgb bottom = state == 2 ? ControlBack(s) : state == 1 ? p.HotBottom : p.FaceBottom;
        const double y0 = state == 2 ? 0 : 2;
        Fill(f, RoundBox(0, y0, 60, 26, 4.0), p.Border);
        Fill(f, RoundBox(1, y0 + 1, 59, 27, 3.0), VGrad(y0, 21, {{0.0, top}, {1.0, bottom}}));
        if (state == 2) Fill(f, Rect(3, 1, 57, 3), p.Accent);
        frames.push_back(std::move(f));
    }
    return {Name(s, ThemeItem::TabControlTabImage), 3, JoinFrames(frames)};
}

TSkinPicture MakeTabLine(St s)
{
    const Palette p = PaletteOf(s);
    TSkinBitmap b(8, 4, ControlBack(s));
    Fill(b, Rect(0, 0, 8, 1), p.Border);
    Fill(b, Rect(0, 1, 8, 3), Lighten(ControlBack(s), 0.5));
    return {Name(s, ThemeItem::TabControlBarImage), 1, std::move(b)};
}

TSkinPicture MakeSideHandle(St s)
{
    const Palette p = PaletteOf(s);
    std::vector<TSkinBitmap> frames;
    for (int state = 0; state < 3; ++state) {
        TSkinBitmap f(8, 40, ControlBack(s));
        const Rgb top = state == 0 ? p.FaceTop : state == 1 ? p.HotTop : p.DownTop;
        const Rgb bottom = state == 0 ? p.FaceBottom : state == 1 ? p.HotBottom : p.DownBottom;
        DrawFace(f, 0, 0, 8, 40, 3.0, p.Border, top, bottom, false);
        for (int i = -2; i <= 2; ++i) Fill(f, Circle(4, 20 + i * 4, 0.9), Darken(bottom, 0.45));
        frames.push_back(std::move(f));
    }
    return {Name(s, ThemeItem::SideChannelHandleImage), 3, JoinFrames(frames)};
}

TSkinPicture MakeSideBar(St s)
{
    const Palette p = PaletteOf(s);
    TSkinBitmap b(8, 40, 0);
    Fill(b, Rect(0, 0, 8, 40), [&](double x, double) { return Ramp({{0.0, p.FaceTop}, {1.0, p.FaceBottom}}, x / 8); });
    Fill(b, Rect(7, 0, 8, 40), p.Border);
    return {Name(s, ThemeItem::SideChannelBarImage), 1, std::move(b)};
}

// ---------------------------------------------------------------- fixed names

TSkinPicture MakeMacFormBackground()
{
    TSkinBitmap b(8, 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) b.Set(x, y, y % 2 == 0 ? 0xEAEAEA : 0xE3E3E3);
    return {"MACOS_FORM_BACKGROUND", 1, std::move(b)};
}

TSkinPicture MakeProteinFormBackground()
{
    TSkinBitmap b(8, 8, 0);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) b.Set(x, y, (x + y) % 8 == 0 ? 0xF3F5F8 : 0xFBFBFB);
    return {"PROTEIN_FORM_BACKGROUND", 1, std::move(b)};
}

// The menu bar is cut to 12 rows for the strip and to 20 for the bar's back:
// both cuts keep the top rows, so the gradient lives in the first 20.
TSkinPicture MakeMacMenuBar()
{
    TSkinBitmap b(8, 22, 0);
    for (int y = 0; y < 22; ++y)
        for (int x = 0; x < 8; ++x)
            b.Set(x, y, y >= 20 ? 0xA0A0A0 : Ramp({{0.0, 0xFFFFFF}, {0.5, 0xF1F1F1}, {1.0, 0xDCDCDC}}, y / 19.0));
    return {"MACOS_MENU_BAR", 1, std::move(b)};
}

TSkinPicture MakeMacMenuSelect()
{
    TSkinBitmap b(8, 20, 0);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 8; ++x)
            b.Set(x, y, Ramp({{0.0, 0x6FA8EC}, {0.5, 0x3F80D6}, {0.52, 0x3574CC}, {1.0, 0x2A63B8}}, y / 19.0));
    return {"MACOS_MENU_SELECT", 1, std::move(b)};
}

// Added to an image list with white as the mask: white is the only background,
// and the mark is drawn without blending so no grey fringe shows on a selection.
TSkinPicture MakeMenuChecked()
{
    TSkinBitmap b(16, 16, 0xFFFFFF);
    const Sdf mark = Polyline({{3.5, 8.0}, {6.5, 11.0}, {12.5, 4.5}}, 1.1);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            if (mark(x + 0.5, y + 0.5) <= 0.15) b.Set(x, y, 0x000000);
    return {"MENU_CHECKED", 1, std::move(b)};
}

}  // namespace

std::vector<TSkinPicture> BuildBuiltInSkinPictures()
{
    std::vector<TSkinPicture> out;
    for (St s : kStyles) {
        out.push_back(MakeButton(s));
        out.push_back(MakeBoxStrip(s, false, Name(s, ThemeItem::CheckBoxImage), BoxFrameSize(s)));
        out.push_back(MakeBoxStrip(s, true, Name(s, ThemeItem::RadioButtonImage), BoxFrameSize(s)));
        out.push_back(MakeTitleButtons(s));
        out.push_back(MakeTitleEnd(s, true));
        out.push_back(MakeTitleClient(s));
        out.push_back(MakeTitleEnd(s, false));
        out.push_back(MakeProgress(s));
        out.push_back(MakeTrackBar(s));
        out.push_back(MakeSlider(s, false));
        out.push_back(MakeSlider(s, true));
        out.push_back(MakeArrowButtons(s, Name(s, ThemeItem::ScrollBarButtonImage), 16, 16, 4));
        out.push_back(MakeScrollThumb(s));
        out.push_back(MakeBoxStrip(s, false, Name(s, ThemeItem::CheckListBoxImage), {13, 13}));
        out.push_back(MakeTab(s));
        out.push_back(MakeTabLine(s));
        out.push_back(MakeSideHandle(s));
        out.push_back(MakeSideBar(s));
        // Three styles share MORE_SCROLLBUTTON; it is drawn once, in DeepBlue's palette.
        if (s == St::MacOS || s == St::WinXP || s == St::DeepBlue)
            out.push_back(MakeArrowButtons(s, Name(s, ThemeItem::ScrollButtonImage), 16, 10, 2));
    }
    out.push_back(MakeMacFormBackground());
    out.push_back(MakeProteinFormBackground());
    out.push_back(MakeMacMenuBar());
    out.push_back(MakeMacMenuSelect());
    out.push_back(MakeMenuChecked());
    return out;
}

std::vector<std::uint8_t> EncodeBmp24(const TSkinBitmap& bitmap)
{
    const std::uint32_t stride = (static_cast<std::uint32_t>(bitmap.Width) * 3 + 3) & ~3u;
    const std::uint32_t imageSize = stride * static_cast<std::uint32_t>(bitmap.Height);
    const std::uint32_t fileSize = 14 + 40 + imageSize;
    std::vector<std::uint8_t> out;
    out.reserve(fileSize);
    auto u16 = [&](std::uint32_t v) {
        out.push_back(v & 0xFF);
        out.push_back((v >> 8) & 0xFF);
    };
    auto u32 = [&](std::uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    u32(fileSize);
    u32(0);
    u32(14 + 40);
    u32(40);
    u32(static_cast<std::uint32_t>(bitmap.Width));
    u32(static_cast<std::uint32_t>(bitmap.Height));  // positive: bottom-up rows
    u16(1);
    u16(24);
    u32(0);  // BI_RGB
    u32(imageSize);
    u32(2835);  // 72 dpi
    u32(2835);
    u32(0);
    u32(0);
    for (int y = bitmap.Height - 1; y >= 0; --y) {
        for (int x = 0; x < bitmap.Width; ++x) {
            const std::uint32_t c = bitmap.At(x, y);
            out.push_back(c & 0xFF);
            out.push_back((c >> 8) & 0xFF);
            out.push_back((c >> 16) & 0xFF);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(bitmap.Width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    return out;
}

std::string SkinPicturesResourceScript(const std::vector<TSkinPicture>& pictures)
{
    std::string out = "// Built-in skin pictures, written by tools/native/skin_pictures.\n";
    for (const auto& p : pictures) out += p.Name + " BITMAP \"" + p.Name + ".bmp\"\n";
    return out;
}
