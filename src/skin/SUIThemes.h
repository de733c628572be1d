#pragma once
// The built-in styles' pictures, loaded from the program's bitmap resources by
// the names the style table gives (GetBuiltInColor, GetBuiltInInt and
// GetBuiltInBool answer from the table itself, in UIStyle.h).
#include "Graphics.h"
#include "UIStyle.h"

// Loads the item's picture of a built-in style into target. sliceCount 0 takes
// the whole picture, leaving target as it was for an item that is no picture or
// a style without pictures; otherwise target gets frame sliceIndex of
// sliceCount (0 x 0 when there is no picture to cut). A missing resource raises
// EResNotFound. No target: nothing happens.
void GetBuiltInBitmap(TsuiUIStyle style, int item, TBitmap* target, int sliceIndex, int sliceCount);

// Loads a fixed skin picture that is not in the table (MACOS_MENU_BAR, ...).
void LoadSkinPicture(TBitmap& target, const char* name);
