#pragma once
// Colours, fonts, pens, brushes, canvases and 32-bit bitmaps. Every GDI object
// is created lazily from the attributes and owned by a handle wrapper. A change
// of attributes keeps the old handle until a new one is asked for: a canvas may
// still have it selected, and a selected object must not be deleted (Windows
// refuses and the handle leaks), so the canvas puts the DC's own object back
// before it asks.
#include "Classes.h"
#include "Handles.h"

#include <cstdint>
#include <span>
#include <string>

// 0x00BBGGRR; a value whose high byte is 0xFF names a system colour (its low byte).
using TColor = uint32_t;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBtnFace = 0xFF000000 | COLOR_BTNFACE;
constexpr TColor clBtnText = 0xFF000000 | COLOR_BTNTEXT;
constexpr TColor clBtnShadow = 0xFF000000 | COLOR_BTNSHADOW;
constexpr TColor clBtnHighlight = 0xFF000000 | COLOR_BTNHIGHLIGHT;
constexpr TColor clWindow = 0xFF000000 | COLOR_WINDOW;
constexpr TColor clWindowText = 0xFF000000 | COLOR_WINDOWTEXT;
constexpr TColor clHighlight = 0xFF000000 | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = 0xFF000000 | COLOR_HIGHLIGHTTEXT;
constexpr TColor clGrayText = 0xFF000000 | COLOR_GRAYTEXT;
constexpr TColor clMenu = 0xFF000000 | COLOR_MENU;

// Resolves system colours to the 0x00BBGGRR value GDI takes.
COLORREF ColorToRGB(TColor color);

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;

class TFont {
public:
    TFont();
    TFont(const TFont& other) { Assign(other); }
    TFont& operator=(const TFont& other) { Assign(other); return *this; }

    void Assign(const TFont& other);
    HFONT Handle();  // created on first use after a change

    const std::string& Name() const { return name_; }
    void SetName(const std::string& v) { Change(name_, v); }
    // Character height in pixels; negative values exclude the internal leading.
    int Height() const { return height_; }
    void SetHeight(int v) { Change(height_, v); }
    // Size in points at 96 pixels per inch.
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v) { Change(style_, v); }
    TColor Color() const { return color_; }
    void SetColor(TColor v) { Change(color_, v); }
    uint8_t Charset() const { return charset_; }
    void SetCharset(uint8_t v) { Change(charset_, v); }

    std::function<void()> OnChange;

private:
    template <class T>
    void Change(T& field, const T& value)
    {
        if (field == value) return;
        field = value;
        stale_ = true;
        if (OnChange) OnChange();
    }

    std::string name_ = "MS Sans Serif";
    int height_ = -11;
    TFontStyles style_ = 0;
    TColor color_ = clWindowText;
    uint8_t charset_ = DEFAULT_CHARSET;
    TFontHandle handle_;
    bool stale_ = false;  // handle_ no longer matches the attributes
};

enum class TPenStyle { psSolid, psDash, psDot, psClear };

class TPen {
public:
    HPEN Handle();
    TColor Color() const { return color_; }
    void SetColor(TColor v) { if (v != color_) { color_ = v; stale_ = true; } }
    int Width() const { return width_; }
    void SetWidth(int v) { if (v != width_) { width_ = v; stale_ = true; } }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle v) { if (v != style_) { style_ = v; stale_ = true; } }

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
    TPenHandle handle_;
    bool stale_ = false;
};

enum class TBrushStyle { bsSolid, bsClear };

class TBitmap;

// A solid or clear brush, or a pattern brush when a bitmap is given (the
// pattern is copied when the handle is made: the bitmap may go afterwards).
class TBrush {
public:
    HBRUSH Handle();
    TColor Color() const { return color_; }
    void SetColor(TColor v) { if (v != color_) { color_ = v; stale_ = true; } }
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle v) { if (v != style_) { style_ = v; stale_ = true; } }
    // Not owned; null goes back to the solid or clear style.
    void SetBitmap(const TBitmap* pattern) { pattern_ = pattern; stale_ = true; }

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = TBrushStyle::bsSolid;
    const TBitmap* pattern_ = nullptr;  // not owned; read when the handle is made
    TBrushHandle handle_;
    bool stale_ = false;
};
struct TBmpLayout;

// Raised by a picture load that names a resource the module does not have.
class EResNotFound : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Drawing surface over a device context it does not own. Its font, pen and brush
// are selected on demand and the DC's own objects are put back when the canvas
// lets go of it.
class TCanvas {
public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) { SetHandle(dc); }
    ~TCanvas() { SetHandle(nullptr); }
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc);

    TFont& Font() { return font_; }
    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }

    void FillRect(const RECT& r);
    void FrameRect(const RECT& r);
    void Rectangle(int l, int t, int r, int b);
    // Outline and fill as Rectangle, the corners rounded by a w x h ellipse.
    void RoundRect(int l, int t, int r, int b, int w, int h);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // Text is drawn with a transparent background; the DC's background mode
    // and text colour are put back afterwards.
    void TextOut(int x, int y, const std::string& text);
    // Draws text with DrawText flags inside r (transparent background).
    void TextRect(RECT r, const std::string& text, UINT format);
    // The dotted focus rectangle (drawn with XOR: drawing it twice removes it).
    void DrawFocusRect(const RECT& r);
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }
    void Draw(int x, int y, TBitmap& bitmap);
    void StretchDraw(const RECT& dest, TBitmap& bitmap);
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& src);
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
    void SetPixel(int x, int y, TColor c) { ::SetPixel(dc_, x, y, ColorToRGB(c)); }

private:
    void SelectFont();
    void SelectPen();
    void SelectBrush();
    void UnselectBrush();
    void RestoreObjects();
    template <class Output>
    void WithTextState(Output output);

    HDC dc_ = nullptr;  // not owned
    HGDIOBJ oldFont_ = nullptr, oldPen_ = nullptr, oldBrush_ = nullptr;
    TFont font_;
    TPen pen_;
    TBrush brush_;
};

// A 32-bit top-down DIB section with its own memory DC and canvas. A section
// the bitmap lets go (resized or freed) is kept for the next bitmap of its
// size, up to a few megabytes in all.
class TBitmap {
public:
    TBitmap() = default;
    TBitmap(int width, int height) { SetSize(width, height); }
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    ~TBitmap();

    void SetSize(int width, int height);  // contents become black
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    HBITMAP Handle() const { return bitmap_.get(); }
    TCanvas& Canvas();
    // Pixels as 0x00RRGGBB words, row 0 first.
    uint32_t* ScanLine(int row);
    COLORREF Pixel(int x, int y);

    // Loads a bitmap resource by name (false when there is none).
    bool LoadFromResourceName(HINSTANCE instance, const std::string& name);
    // The same, raising EResNotFound when there is none.
    void LoadFromResource(HINSTANCE instance, const std::string& name);
    // Loads a BMP file image (file header first). An image whose bytes do not
    // all lie where its headers say, or that uses a form we do not read, leaves
    // the picture as it was and answers false.
    bool LoadFromStream(std::span<const uint8_t> image);
    bool LoadFromFile(const std::string& path);
    void Assign(const TBitmap& other);
    // Copies a part of another bitmap into a new picture of that part's size.
    void AssignPart(const TBitmap& other, const RECT& part);

    // Frees the sections kept for later bitmaps: a leak check counts only the
    // handles in use.
    static void FreeKeptSections();

    // Colour that Draw treats as transparent (clNone: draw opaque).
    TColor TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColor c) { transparentColor_ = c; }

private:
    void FromHandle(HBITMAP source);
    void KeepSection();  // hands the section on for the next bitmap of its size
    bool LoadDib(std::span<const uint8_t> image, const TBmpLayout& layout);
    void ReleaseDC();

    TBitmapHandle bitmap_;
    uint32_t* bits_ = nullptr;  // owned by bitmap_
    int width_ = 0, height_ = 0;
    std::unique_ptr<TMemoryDC> dc_;
    HGDIOBJ oldBitmap_ = nullptr;
    std::unique_ptr<TCanvas> canvas_;
    TColor transparentColor_ = clNone;
};

// Off-screen composition: a 32-bit buffer for an area of a target DC, cut to
// what the target's clip box lets through. Everything is drawn into Canvas()
// in the target's coordinates; the destructor copies the buffer to the area
// in one block, so the target never shows a half-painted state.
class TBufferDC {
public:
    TBufferDC(HDC target, const RECT& area);
    ~TBufferDC();
    TBufferDC(const TBufferDC&) = delete;
    TBufferDC& operator=(const TBufferDC&) = delete;

    TCanvas& Canvas() { return buffer_.Canvas(); }
    TBitmap& Bitmap() { return buffer_; }

private:
    HDC target_;  // not owned
    RECT area_;
    TBitmap buffer_;
};
