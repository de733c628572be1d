#pragma once
// Drawing helpers of the skinned popup and main menus: owner-draw handlers for a
// whole item tree, plain colour frames and fills, the separator line, the
// MacOS menu pictures, the frame around an open menu window and the system's
// menu font.
#include "Graphics.h"
#include "Menus.h"

// Gives the item and every item below it (depth first) the two handlers.
void SetMenuDrawHandlers(TMenuItem& item, const TMenuMeasureItemEvent& measure, const TMenuDrawItemEvent& draw);

void FrameRectColor(TCanvas& canvas, const RECT& r, TColor colour);
void FillRectColor(TCanvas& canvas, const RECT& r, TColor colour);
// A line two pixels below the top, from left + indent + 4 to right - 2.
void DrawMenuSeparator(TCanvas& canvas, const RECT& r, TColor colour, int indent);

// The MacOS menu pictures stretched into r: the bar strip (its top 12 rows),
// the selected entry (top 20 rows) and the bar background (top 20 rows).
void DrawMacMenuBarStrip(TCanvas& canvas, const RECT& r);
void DrawMacMenuSelection(TCanvas& canvas, const RECT& r);
void DrawMacMenuBarBack(TCanvas& canvas, const RECT& r);

// Draws on the screen around a menu window: an outer frame in colour1, an
// inner white frame, and colour2 along the bottom and right edges and the top.
void DrawMenuWindowFrame(HWND window, TColor colour1, TColor colour2);

// The system's menu font and menu text colour; the font stays as it is when
// the system metrics cannot be read.
void AssignMenuFont(TFont& font);
