#include "Graphics.h"

#include "BmpLayout.h"
#include "CriticalSection.h"
#include "WideText.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>
#include <vector>

COLORREF ColorToRGB(TColor color)
{
    if ((color & 0xFF000000) == 0xFF000000)
        return GetSysColor(static_cast<int>(color & 0xFF));
    return color & 0x00FFFFFF;
}

// ---------------------------------------------------------------- TFont

TFont::TFont() = default;

void TFont::Assign(const TFont& other)
{
    if (this == &other) return;
    const bool changed = name_ != other.name_ || height_ != other.height_ || style_ != other.style_ ||
                         color_ != other.color_ || charset_ != other.charset_;
    name_ = other.name_;
    height_ = other.height_;
    style_ = other.style_;
    color_ = other.color_;
    charset_ = other.charset_;
    if (changed) {
        stale_ = true;
        if (OnChange) OnChange();
    }
}

int TFont::Size() const { return -MulDiv(height_, 72, 96); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, 96, 72)); }

HFONT TFont::Handle()
{
    if (!handle_ || stale_) {
        stale_ = false;
        LOGFONTA lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
        lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
        lf.lfCharSet = charset_;
        lf.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(lf.lfFaceName, name_.c_str(), LF_FACESIZE);
        handle_.reset(CreateFontIndirectA(&lf));
    }
    return handle_.get();
}

// ---------------------------------------------------------------- TPen, TBrush

HPEN TPen::Handle()
{
    if (!handle_ || stale_) {
        stale_ = false;
        int style = PS_SOLID;
        switch (style_) {
        case TPenStyle::psDash: style = PS_DASH; break;
        case TPenStyle::psDot: style = PS_DOT; break;
        case TPenStyle::psClear: style = PS_NULL; break;
        default: break;
        }
        handle_.reset(CreatePen(style, width_, ColorToRGB(color_)));
    }
    return handle_.get();
}

HBRUSH TBrush::Handle()
{
    if (!handle_ || stale_) {
        stale_ = false;
        if (pattern_ && !pattern_->Empty()) {
            handle_.reset(CreatePatternBrush(pattern_->Handle()));
            return handle_.get();
        }
        LOGBRUSH lb{};
        lb.lbStyle = style_ == TBrushStyle::bsClear ? BS_NULL : BS_SOLID;
        lb.lbColor = ColorToRGB(color_);
        handle_.reset(CreateBrushIndirect(&lb));
    }
    return handle_.get();
}

// ---------------------------------------------------------------- TCanvas

void TCanvas::SetHandle(HDC dc)
{
    if (dc == dc_) return;
    RestoreObjects();
    dc_ = dc;
}

void TCanvas::RestoreObjects()
{
    if (!dc_) return;
    if (oldFont_) SelectObject(dc_, oldFont_);
    if (oldPen_) SelectObject(dc_, oldPen_);
    if (oldBrush_) SelectObject(dc_, oldBrush_);
    oldFont_ = oldPen_ = oldBrush_ = nullptr;
}

// Each selection keeps the DC's original object the first time, so RestoreObjects
// can hand the DC back as it came; our handles may then be freed safely. Before
// asking for a handle the DC's own object goes back in: asking may replace (and
// delete) the handle selected now.
void TCanvas::SelectFont()
{
    if (oldFont_) SelectObject(dc_, oldFont_);
    HGDIOBJ old = SelectObject(dc_, font_.Handle());
    if (!oldFont_) oldFont_ = old;
    SetTextColor(dc_, ColorToRGB(font_.Color()));
}

void TCanvas::SelectPen()
{
    if (oldPen_) SelectObject(dc_, oldPen_);
    HGDIOBJ old = SelectObject(dc_, pen_.Handle());
    if (!oldPen_) oldPen_ = old;
}

void TCanvas::SelectBrush()
{
    if (oldBrush_) SelectObject(dc_, oldBrush_);
    HGDIOBJ old = SelectObject(dc_, brush_.Handle());
    if (!oldBrush_) oldBrush_ = old;
}

// FillRect and FrameRect take the brush without selecting it; the DC's own brush
// goes back in first all the same, since asking may delete ours.
void TCanvas::FillRect(const RECT& r)
{
    if (brush_.Style() == TBrushStyle::bsClear) return;
    UnselectBrush();
    ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r)
{
    UnselectBrush();
    ::FrameRect(dc_, &r, brush_.Handle());
}

void TCanvas::UnselectBrush()
{
    if (!oldBrush_) return;
    SelectObject(dc_, oldBrush_);
    oldBrush_ = nullptr;
}

void TCanvas::Rectangle(int l, int t, int r, int b)
{
    SelectPen();
    SelectBrush();
    ::Rectangle(dc_, l, t, r, b);
}

void TCanvas::RoundRect(int l, int t, int r, int b, int w, int h)
{
    SelectPen();
    SelectBrush();
    ::RoundRect(dc_, l, t, r, b, w, h);
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(dc_, x, y, nullptr); }

void TCanvas::LineTo(int x, int y)
{
    SelectPen();
    ::LineTo(dc_, x, y);
}

// Text output leaves the DC as it found it: a buffer DC is shared by several
// paint steps, and a background mode left behind would change the next one.
template <class Output>
void TCanvas::WithTextState(Output output)
{
    const int oldMode = SetBkMode(dc_, TRANSPARENT);
    const COLORREF oldColour = GetTextColor(dc_);
    SelectFont();
    output();
    SetTextColor(dc_, oldColour);
    SetBkMode(dc_, oldMode);
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    const std::wstring wide = ToWide(text);
    WithTextState([&] { ::TextOutW(dc_, x, y, wide.data(), static_cast<int>(wide.size())); });
}

void TCanvas::TextRect(RECT r, const std::string& text, UINT format)
{
    const std::wstring wide = ToWide(text);
    WithTextState([&] { DrawTextW(dc_, wide.data(), static_cast<int>(wide.size()), &r, format); });
}

void TCanvas::DrawFocusRect(const RECT& r)
{
    // The dots take the text and background colours: black on white, XORed.
    const COLORREF oldText = SetTextColor(dc_, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(dc_, RGB(255, 255, 255));
    ::DrawFocusRect(dc_, &r);
    SetBkColor(dc_, oldBack);
    SetTextColor(dc_, oldText);
}

SIZE TCanvas::TextExtent(const std::string& text)
{
    SelectFont();
    SIZE s{};
    const std::wstring wide = ToWide(text);  // measured as TextOut draws it
    GetTextExtentPoint32W(dc_, wide.data(), static_cast<int>(wide.size()), &s);
    return s;
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap)
{
    StretchDraw(RECT{x, y, x + bitmap.Width(), y + bitmap.Height()}, bitmap);
}

void TCanvas::StretchDraw(const RECT& dest, TBitmap& bitmap)
{
    if (bitmap.Empty()) return;
    HDC src = bitmap.Canvas().Handle();
    const int w = dest.right - dest.left, h = dest.bottom - dest.top;
    if (bitmap.TransparentColor() != clNone) {
        TransparentBlt(dc_, dest.left, dest.top, w, h, src, 0, 0, bitmap.Width(), bitmap.Height(),
                       ColorToRGB(bitmap.TransparentColor()));
    } else if (w == bitmap.Width() && h == bitmap.Height()) {
        BitBlt(dc_, dest.left, dest.top, w, h, src, 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc_, COLORONCOLOR);
        StretchBlt(dc_, dest.left, dest.top, w, h, src, 0, 0, bitmap.Width(), bitmap.Height(), SRCCOPY);
    }
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& src)
{
    SetStretchBltMode(dc_, COLORONCOLOR);
    StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, source.Handle(),
               src.left, src.top, src.right - src.left, src.bottom - src.top, SRCCOPY);
}

// ---------------------------------------------------------------- TBitmap

namespace {

std::atomic<bool> binOpen{false};  // false before the bin is made and once it is gone

// Sections of the sizes that paints make again and again (a control's buffer,
// a cut frame) wait here for the next bitmap of that size: touching fresh
// section memory costs more than most drawing into it (about 10 us a page on
// the machines we measure under Wine). Bounded; any thread may use it.
class TSectionBin {
public:
    struct TSection {
        TBitmapHandle Bitmap;
        uint32_t* Bits = nullptr;
        int Width = 0, Height = 0;
        size_t Pixels() const { return size_t(Width) * size_t(Height); }
    };

    TSectionBin() { binOpen = true; }
    ~TSectionBin() { binOpen = false; }

    // Null at exit once the bin has gone: bitmaps freed after it free their sections.
    static TSectionBin* Open()
    {
        static TSectionBin bin;
        return binOpen ? &bin : nullptr;
    }

    // The newest kept section of exactly that size, black again; empty when none is.
    TSection Take(int width, int height)
    {
        TSection found;
        {
            TCriticalSection::TLock lock(lock_);
            const auto it = std::find_if(kept_.rbegin(), kept_.rend(),
                                         [&](const TSection& k) { return k.Width == width && k.Height == height; });
            if (it == kept_.rend()) return found;
            found = std::move(*it);
            kept_.erase(std::next(it).base());
            pixels_ -= found.Pixels();
        }
        GdiFlush();
        std::memset(found.Bits, 0, found.Pixels() * sizeof(uint32_t));
        return found;
    }

    void Put(TSection section)
    {
        if (section.Pixels() > kMostPixels) return;
        TCriticalSection::TLock lock(lock_);
        pixels_ += section.Pixels();
        kept_.push_back(std::move(section));
        while (pixels_ > kMostPixels || kept_.size() > kMostKept) {
            pixels_ -= kept_.front().Pixels();
            kept_.erase(kept_.begin());
        }
    }

    void Clear()
    {
        TCriticalSection::TLock lock(lock_);
        kept_.clear();
        pixels_ = 0;
    }

private:
    static constexpr size_t kMostPixels = 1 << 20;  // 4 MB in all
    static constexpr size_t kMostKept = 64;         // GDI handles are few: 10,000 a process
    TCriticalSection lock_;
    std::vector<TSection> kept_;  // the oldest first
    size_t pixels_ = 0;
};

}  // namespace

TBitmap::~TBitmap()
{
    ReleaseDC();
    KeepSection();
}

void TBitmap::FreeKeptSections()
{
    if (TSectionBin* bin = TSectionBin::Open()) bin->Clear();
}

void TBitmap::KeepSection()
{
    TSectionBin* bin = TSectionBin::Open();
    if (bin && bitmap_ && bits_) bin->Put({std::move(bitmap_), bits_, width_, height_});
    bitmap_.reset();
    bits_ = nullptr;
}

void TBitmap::ReleaseDC()
{
    canvas_.reset();
    if (dc_ && oldBitmap_) SelectObject(dc_->get(), oldBitmap_);
    oldBitmap_ = nullptr;
    dc_.reset();
}

void TBitmap::SetSize(int width, int height)
{
    ReleaseDC();
    KeepSection();
    width_ = height_ = 0;
    if (width <= 0 || height <= 0) return;
    TSectionBin* bin = TSectionBin::Open();
    if (TSectionBin::TSection kept = bin ? bin->Take(width, height) : TSectionBin::TSection{}; kept.Bitmap) {
        bitmap_ = std::move(kept.Bitmap);
        bits_ = kept.Bits;
        width_ = width;
        height_ = height;
        return;
    }
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_) return;
    bits_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
}

TCanvas& TBitmap::Canvas()
{
    if (!canvas_) {
        dc_ = std::make_unique<TMemoryDC>();
        if (bitmap_) oldBitmap_ = SelectObject(dc_->get(), bitmap_.get());
        canvas_ = std::make_unique<TCanvas>(dc_->get());
    }
    return *canvas_;
}

uint32_t* TBitmap::ScanLine(int row)
{
    GdiFlush();
    return bits_ ? bits_ + static_cast<size_t>(row) * width_ : nullptr;
}

COLORREF TBitmap::Pixel(int x, int y)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
    const uint32_t v = ScanLine(y)[x];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void TBitmap::FromHandle(HBITMAP source)
{
    BITMAP info{};
    if (!source || !GetObjectA(source, sizeof(info), &info)) {
        SetSize(0, 0);
        return;
    }
    SetSize(info.bmWidth, info.bmHeight);
    TMemoryDC srcDC;
    TSelectObject sel(srcDC.get(), source);
    BitBlt(Canvas().Handle(), 0, 0, width_, height_, srcDC.get(), 0, 0, SRCCOPY);
}

// Bitmap resources are read in place: the packed bitmap the module holds goes
// straight into our section, without the section and device context a
// LoadImage would make first (the skinned controls load their pictures at
// every paint). Forms we do not read ourselves still go through LoadImage.
bool TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name)
{
    HRSRC found = FindResourceA(instance, name.c_str(), MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    HGLOBAL loaded = found ? LoadResource(instance, found) : nullptr;
    const auto* data = loaded ? static_cast<const uint8_t*>(LockResource(loaded)) : nullptr;
    if (!data) return false;
    const std::span<const uint8_t> dib(data, SizeofResource(instance, found));
    if (const auto layout = ReadPackedDibLayout(dib)) return LoadDib(dib, *layout);
    TBitmapHandle viaSystem(static_cast<HBITMAP>(
        LoadImageA(instance, name.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!viaSystem) return false;
    FromHandle(viaSystem.get());
    return !Empty();
}

void TBitmap::LoadFromResource(HINSTANCE instance, const std::string& name)
{
    if (!LoadFromResourceName(instance, name)) throw EResNotFound("Resource " + name + " not found");
}

namespace {

// A BITMAPINFO with room for the masks and a full colour table, so the longer
// header versions of an image can be handed to GDI as the plain 40-byte one.
struct TDibInfo {
    BITMAPINFOHEADER Header;
    RGBQUAD Colours[256];
};

}  // namespace

bool TBitmap::LoadFromStream(std::span<const uint8_t> image)
{
    const auto layout = ReadBmpLayout(image);
    return layout && LoadDib(image, *layout);
}

bool TBitmap::LoadDib(std::span<const uint8_t> image, const TBmpLayout& layout)
{
    auto info = std::make_unique<TDibInfo>();
    BITMAPINFOHEADER& h = info->Header;
    h.biSize = sizeof(h);
    h.biWidth = layout.Width;
    h.biHeight = layout.TopDown ? -layout.Height : layout.Height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(layout.BitsPerPixel);
    h.biCompression = layout.BitFields ? BI_BITFIELDS : BI_RGB;
    h.biClrUsed = static_cast<DWORD>(layout.PaletteCount);
    if (layout.BitFields)
        std::memcpy(info->Colours, layout.Masks, sizeof(layout.Masks));
    else
        std::memcpy(info->Colours, image.data() + layout.PaletteOffset, layout.PaletteCount * sizeof(RGBQUAD));

    // Decoded into a section of its own first: GDI may still refuse an image
    // whose layout we accept (Wine does for bit-field masks that are all zero),
    // and a refused image must leave this picture as it was. The new section is
    // in no DC yet, as SetDIBits requires.
    TBitmap loaded(layout.Width, layout.Height);
    if (loaded.Empty()) return false;
    const int rows = SetDIBits(nullptr, loaded.bitmap_.get(), 0, static_cast<UINT>(loaded.height_),
                               image.data() + layout.BitsOffset, reinterpret_cast<const BITMAPINFO*>(info.get()),
                               DIB_RGB_COLORS);
    if (rows <= 0) return false;
    ReleaseDC();
    std::swap(bitmap_, loaded.bitmap_);  // `loaded` lets the old section go
    std::swap(bits_, loaded.bits_);
    std::swap(width_, loaded.width_);
    std::swap(height_, loaded.height_);
    return true;
}

bool TBitmap::LoadFromFile(const std::string& path)
{
    TBitmapHandle loaded(static_cast<HBITMAP>(
        LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION | LR_LOADFROMFILE)));
    if (!loaded) return false;
    FromHandle(loaded.get());
    return !Empty();
}

void TBitmap::Assign(const TBitmap& other)
{
    if (this == &other) return;
    AssignPart(other, RECT{0, 0, other.width_, other.height_});
    transparentColor_ = other.transparentColor_;
}

void TBitmap::AssignPart(const TBitmap& other, const RECT& part)
{
    const int w = part.right - part.left, h = part.bottom - part.top;
    SetSize(w, h);
    if (Empty() || !other.bits_) return;
    GdiFlush();
    for (int y = 0; y < h; ++y) {
        const int sy = part.top + y;
        if (sy < 0 || sy >= other.height_) continue;
        for (int x = 0; x < w; ++x) {
            const int sx = part.left + x;
            if (sx >= 0 && sx < other.width_)
                bits_[static_cast<size_t>(y) * w + x] = other.bits_[static_cast<size_t>(sy) * other.width_ + sx];
        }
    }
}

// ---------------------------------------------------------------- TBufferDC

TBufferDC::TBufferDC(HDC target, const RECT& area) : target_(target), area_(area)
{
    // Only what the target can show is composed: a parent painting behind one
    // small child has the child's clip rectangle.
    RECT clip{};
    if (GetClipBox(target, &clip) != NULLREGION && clip.right > clip.left) IntersectRect(&area_, &area, &clip);
    buffer_.SetSize(std::max(0L, area_.right - area_.left), std::max(0L, area_.bottom - area_.top));
    if (!buffer_.Empty()) SetViewportOrgEx(buffer_.Canvas().Handle(), -area_.left, -area_.top, nullptr);
}

TBufferDC::~TBufferDC()
{
    if (buffer_.Empty()) return;
    BitBlt(target_, area_.left, area_.top, buffer_.Width(), buffer_.Height(), buffer_.Canvas().Handle(), area_.left,
           area_.top, SRCCOPY);
}
