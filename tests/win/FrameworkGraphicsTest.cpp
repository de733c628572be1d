// Bitmaps, canvases and fonts, read back pixel by pixel; and our own count of
// live GDI handles, since GetGuiResources is a stub under Wine.
#include "Buttons.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "StdCtrls.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0), kBlue = RGB(0, 0, 255), kMagenta = RGB(255, 0, 255);

void Fill(TBitmap& b, const RECT& r, COLORREF c)
{
    b.Canvas().Brush().SetColor(c);
    b.Canvas().FillRect(r);
}

TEST(Bitmap, SizeScanLinesAndCanvasShareOnePixelBuffer)
{
    TBitmap b(4, 3);
    ASSERT_NE(b.ScanLine(0), nullptr);
    EXPECT_EQ(b.Pixel(3, 2), RGB(0, 0, 0));
    b.ScanLine(1)[2] = 0x00112233;  // 0x00RRGGBB
    EXPECT_EQ(b.Pixel(2, 1), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(b.Canvas().Pixel(2, 1), RGB(0x11, 0x22, 0x33));

    Fill(b, RECT{1, 0, 3, 2}, RGB(10, 20, 30));
    EXPECT_EQ(b.ScanLine(1)[1], 0x000A141Eu);
    EXPECT_EQ(b.Pixel(0, 0), RGB(0, 0, 0));
    EXPECT_EQ(b.Pixel(3, 1), RGB(0, 0, 0));
    EXPECT_EQ(b.Pixel(4, 0), CLR_INVALID);

    // A new size gives new black pixels, and the canvas draws into them.
    b.SetSize(2, 5);
    EXPECT_EQ(b.Pixel(1, 1), RGB(0, 0, 0));
    Fill(b, RECT{0, 4, 2, 5}, kBlue);
    EXPECT_EQ(b.Pixel(1, 4), kBlue);
    EXPECT_EQ(b.ScanLine(4)[0], 0x000000FFu);
    // So does a size it had before (its section serves again).
    b.SetSize(4, 3);
    EXPECT_EQ(b.Pixel(2, 1), RGB(0, 0, 0));
    EXPECT_EQ(b.Pixel(1, 0), RGB(0, 0, 0));
}

TEST(Bitmap, DrawWithTransparentColourSkipsKeyedPixels)
{
    TBitmap glyph(3, 1);
    glyph.Canvas().SetPixel(0, 0, clFuchsia);
    glyph.Canvas().SetPixel(1, 0, kRed);
    glyph.Canvas().SetPixel(2, 0, clFuchsia);
    TBitmap target(5, 3);
    Fill(target, RECT{0, 0, 5, 3}, kBlue);

    glyph.SetTransparentColor(clFuchsia);
    target.Canvas().Draw(1, 1, glyph);
    EXPECT_EQ(target.Pixel(1, 1), kBlue);
    EXPECT_EQ(target.Pixel(2, 1), kRed);
    EXPECT_EQ(target.Pixel(3, 1), kBlue);

    glyph.SetTransparentColor(clNone);
    target.Canvas().Draw(1, 2, glyph);
    EXPECT_EQ(target.Pixel(1, 2), kMagenta);
    EXPECT_EQ(target.Pixel(4, 2), kBlue);
}

TEST(Bitmap, AssignPartCopiesThatRegionOnly)
{
    TBitmap source(4, 4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) source.ScanLine(y)[x] = static_cast<uint32_t>(x + 10 * y + 1);

    TBitmap part;
    part.AssignPart(source, RECT{1, 2, 3, 4});
    ASSERT_EQ(part.Width(), 2);
    ASSERT_EQ(part.Height(), 2);
    EXPECT_EQ(part.ScanLine(0)[0], 22u);
    EXPECT_EQ(part.ScanLine(0)[1], 23u);
    EXPECT_EQ(part.ScanLine(1)[0], 32u);
    EXPECT_EQ(part.ScanLine(1)[1], 33u);

    // Beyond the source's edge the part stays black.
    part.AssignPart(source, RECT{3, 3, 5, 5});
    EXPECT_EQ(part.ScanLine(0)[0], 34u);
    EXPECT_EQ(part.ScanLine(0)[1], 0u);
    EXPECT_EQ(part.ScanLine(1)[0], 0u);
}

// Writes a 3x2 24-bit bottom-up BMP whose top-left pixel is red and
// bottom-right one blue; the rest green.
std::string WriteTestBmp()
{
    char dir[MAX_PATH], path[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "vkb", 0, path);
    const int stride = 12;  // 3 pixels * 3 bytes, padded to 4
    BITMAPFILEHEADER fh{};
    BITMAPINFOHEADER ih{};
    ih.biSize = sizeof(ih);
    ih.biWidth = 3;
    ih.biHeight = 2;
    ih.biPlanes = 1;
    ih.biBitCount = 24;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(ih);
    fh.bfSize = fh.bfOffBits + stride * 2;
    unsigned char rows[2][stride] = {};
    for (auto& row : rows)
        for (int x = 0; x < 3; ++x) row[x * 3 + 1] = 0xFF;  // green (bytes are B, G, R)
    rows[1][0] = 0x00, rows[1][1] = 0x00, rows[1][2] = 0xFF;   // file's last row is the top: red at x 0
    rows[0][6] = 0xFF, rows[0][7] = 0x00, rows[0][8] = 0x00;   // bottom row: blue at x 2
    FILE* f = std::fopen(path, "wb");
    std::fwrite(&fh, sizeof(fh), 1, f);
    std::fwrite(&ih, sizeof(ih), 1, f);
    std::fwrite(rows, sizeof(rows), 1, f);
    std::fclose(f);
    return path;
}

TEST(Bitmap, LoadFromFileReadsBmpTopRowFirst)
{
    const std::string path = WriteTestBmp();
    TBitmap b;
    ASSERT_TRUE(b.LoadFromFile(path));
    DeleteFileA(path.c_str());
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 2);
    EXPECT_EQ(b.Pixel(0, 0), kRed);
    EXPECT_EQ(b.Pixel(2, 1), kBlue);
    EXPECT_EQ(b.Pixel(1, 0), RGB(0, 255, 0));

    EXPECT_FALSE(b.LoadFromFile(path));  // gone now
}

TEST(Font, HandleIsRemadeAfterAChangeAndTheOldOneDeleted)
{
    TFont font;
    int changes = 0;
    font.OnChange = [&] { ++changes; };
    const HFONT first = font.Handle();
    ASSERT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_FONT));
    EXPECT_EQ(font.Handle(), first);
    const int live = LiveHandles(THandleKind::Font);

    font.SetHeight(-20);
    font.SetHeight(-20);
    EXPECT_EQ(changes, 1);
    LOGFONTA lf{};
    ASSERT_TRUE(GetObjectA(font.Handle(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfHeight, -20);
    EXPECT_EQ(GetObjectType(first), 0u);
    EXPECT_EQ(LiveHandles(THandleKind::Font), live);

    font.SetStyle(fsBold | fsItalic);
    ASSERT_TRUE(GetObjectA(font.Handle(), sizeof(lf), &lf));
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_TRUE(lf.lfItalic);

    TFont copy;
    copy.Assign(font);
    EXPECT_NE(copy.Handle(), font.Handle()) << "a copy must own its own handle";
    EXPECT_EQ(copy.Size(), font.Size());
}

// Changing a canvas's font, pen or brush while the DC holds the old handle must
// not delete it under the DC: Windows refuses and the handle leaks. Wine deletes
// it once it is no longer selected, so our own count and GetObjectType at the
// right moment are what show the mistake here.
TEST(Canvas, FontPenOrBrushChangedWhileSelectedIsNotDeletedUnderTheDC)
{
    TTestDib dib(40, 20);
    const HDC dc = dib.Dc();
    const int fonts = LiveHandles(THandleKind::Font), pens = LiveHandles(THandleKind::Pen);
    const int brushes = LiveHandles(THandleKind::Brush);
    {
        TCanvas c(dc);
        c.TextOut(0, 0, "a");
        c.MoveTo(0, 0);
        c.LineTo(5, 5);
        c.Rectangle(30, 0, 35, 5);
        const HGDIOBJ oldFont = GetCurrentObject(dc, OBJ_FONT);
        const HGDIOBJ oldPen = GetCurrentObject(dc, OBJ_PEN);
        const HGDIOBJ oldBrush = GetCurrentObject(dc, OBJ_BRUSH);
        c.Font().SetHeight(-20);
        c.Pen().SetColor(kRed);
        c.Brush().SetColor(kBlue);
        EXPECT_EQ(LiveHandles(THandleKind::Font), fonts + 1) << "font deleted while selected";
        EXPECT_EQ(LiveHandles(THandleKind::Pen), pens + 1) << "pen deleted while selected";

        c.TextOut(0, 0, "b");
        c.LineTo(9, 9);
        EXPECT_EQ(dib.Pixel(8, 8), kRed);
        EXPECT_EQ(GetObjectType(oldFont), 0u);
        EXPECT_EQ(GetObjectType(oldPen), 0u);
        c.FillRect(RECT{20, 10, 22, 12});
        EXPECT_EQ(dib.Pixel(21, 11), kBlue);
        EXPECT_EQ(GetObjectType(oldBrush), 0u) << "brush deleted while selected";
    }
    EXPECT_EQ(LiveHandles(THandleKind::Font), fonts);
    EXPECT_EQ(LiveHandles(THandleKind::Pen), pens);
    EXPECT_EQ(LiveHandles(THandleKind::Brush), brushes);
}

// Forms with every kind of control, painted for real and into a memory DC, then
// freed: every counted handle is given back.
TEST(Handles, FormsWithPaintingGiveBackEveryHandle)
{
    TBitmap::FreeKeptSections();
    std::array<int, static_cast<int>(THandleKind::Count)> before{};
    for (int k = 0; k < static_cast<int>(before.size()); ++k) before[k] = LiveHandles(static_cast<THandleKind>(k));
    std::vector<HGDIOBJ> objects;

    for (int round = 0; round < 2; ++round) {
        auto* form = new TForm(Application());
        form->SetClientSize(200, 120);
        auto* panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 100, 40);
        panel->SetCaption("panel");
        auto* button = new TButton(form);
        button->SetParent(panel);
        auto* box = new TCheckBox(form);
        box->SetParent(form);
        box->SetBounds(0, 50, 80, 17);
        auto* group = new TGroupBox(form);
        group->SetParent(form);
        group->SetBounds(100, 0, 90, 60);
        group->SetCaption("group");
        auto* speed = new TSpeedButton(form);
        speed->SetParent(group);
        speed->SetBounds(10, 20, 23, 22);
        speed->Glyph().SetSize(8, 8);
        speed->GlyphChanged();
        form->Show();
        UpdateWindow(form->Handle());
        PumpPending();
        TTestDib dib(200, 120);
        dib.PrintClient(form->Handle());
        dib.PrintClient(group->Handle());
        objects.push_back(reinterpret_cast<HGDIOBJ>(SendMessageA(button->Handle(), WM_GETFONT, 0, 0)));
        objects.push_back(speed->Glyph().Handle());
        Application()->FreeForms();
    }

    TBitmap::FreeKeptSections();
    for (int k = 0; k < static_cast<int>(before.size()); ++k)
        EXPECT_EQ(LiveHandles(static_cast<THandleKind>(k)), before[k]) << "handle kind " << k;
    for (HGDIOBJ h : objects) EXPECT_EQ(GetObjectType(h), 0u);
}

}  // namespace
