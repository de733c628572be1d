#pragma once
// The helpers every skinned control shares: where its style comes from, how
// skin pictures are cut, tiled and stretched, how a control borrows its parent's
// background, and a few window and property helpers. Free functions; nothing
// here keeps state between calls.
#include "Forms.h"
#include "Graphics.h"
#include "UIStyle.h"

#include <string_view>

#include "SUIMgr.h"

// What a skinned control publishes so that the style helpers and the theme
// component can set its style by name. Every skinned control implements it; the
// two properties are the only ones set through it.
class ISkinnable {
public:
    virtual TsuiUIStyle UIStyle() const = 0;
    virtual void SetUIStyle(TsuiUIStyle value) = 0;
    // Not owned: the control drops it when the theme component goes away.
    virtual TsuiFileTheme* FileTheme() const = 0;
    virtual void SetFileTheme(TsuiFileTheme* value) = 0;

protected:
    ~ISkinnable() = default;
};

// Items of a control's style, from the file theme when the style resolves to
// it (ResolveUIStyle below), else from the built-in table. A picture is frame
// `index` of `count` (count 0: the whole picture); a missing built-in picture
// raises EResNotFound.
void GetStylePicture(const TsuiFileTheme* theme, TsuiUIStyle style, int item, TBitmap& target, int index, int count);
TColor GetStyleColor(const TsuiFileTheme* theme, TsuiUIStyle style, int item);
bool GetStyleBool(const TsuiFileTheme* theme, TsuiUIStyle style, int item);
int GetStyleInt(const TsuiFileTheme* theme, TsuiUIStyle style, int item);

// What every skinned control shares: its style, the theme component it
// refers to without owning it, and the fall-back to DeepBlue when that
// component goes away. The control's own SetUIStyle does what a new style
// means for it.
template <class TBase>
class TsuiSkinned : public TBase, public ISkinnable {
public:
    using TBase::TBase;
    TsuiUIStyle UIStyle() const override { return uiStyle_; }
    TsuiFileTheme* FileTheme() const override { return fileTheme_; }
    // Stores the theme, then assigns the style again so it takes effect.
    void SetFileTheme(TsuiFileTheme* value) override
    {
        if (value != fileTheme_) {
            if (fileTheme_) this->RemoveFreeNotification(fileTheme_);
            fileTheme_ = value;
            if (fileTheme_) this->FreeNotification(fileTheme_);
        }
        SetUIStyle(uiStyle_);
    }
    void Notification(TComponent* component, TOperation operation) override
    {
        if (operation == TOperation::opRemove && component == fileTheme_) {
            fileTheme_ = nullptr;
            FileThemeRemoved();
        }
        TBase::Notification(component, operation);
    }

protected:
    virtual void FileThemeRemoved() { SetUIStyle(TsuiUIStyle::DeepBlue); }
    void StoreUIStyle(TsuiUIStyle value) { uiStyle_ = value; }
    void StylePicture(int item, TBitmap& target, int index, int count) const
    {
        GetStylePicture(fileTheme_, uiStyle_, item, target, index, count);
    }
    TColor StyleColor(int item) const { return GetStyleColor(fileTheme_, uiStyle_, item); }
    bool StyleBool(int item) const { return GetStyleBool(fileTheme_, uiStyle_, item); }

private:
    TsuiUIStyle uiStyle_ = TsuiUIStyle::DeepBlue;
    TsuiFileTheme* fileTheme_ = nullptr;  // not owned
};

// The form a control stands on (its top parent), or null.
TForm* HostFormOf(const TControl& control);
// Whether the text is empty once blanks are trimmed.
bool IsBlankText(const std::string& text);

// The skinned form frame a bar may stand on. The bar asks it through this
// interface only (the frame lives above the bar).
class ISkinnedFormFrame {
public:
    // Whether the host form had a sizeable border when the frame was made.
    virtual bool HostWasSizeable() const = 0;

protected:
    ~ISkinnedFormFrame() = default;
};

// Style source: true when the items come from the file theme, false when they
// come from the built-in table under `effective` (DeepBlue when FromThemeFile
// has no loaded theme to read).
bool ResolveUIStyle(const TsuiFileTheme* theme, TsuiUIStyle style, TsuiUIStyle& effective);

// The UIStyle of the first TsuiForm among a form's direct child controls;
// DeepBlue for anything else. Skinned controls take it as their first style.
TsuiUIStyle FormUIStyleOf(const TComponent* component);

// Frame `index` (from 1) of a strip of `count` equal frames, copied into target,
// which takes the frame's size. Source and target may be the same bitmap.
void CutSlice(const TBitmap& source, TBitmap& target, int count, int index);

// Draws a picture over rect keeping its corners at their size and stretching
// the rest; magenta pixels stay undrawn in the edges and the centre, and in the
// corners when transparentCorners is set. Placed against the canvas origin.
// Composed in memory when DrawNineSliceDirect can, through GDI otherwise.
void DrawNineSlice(TBitmap& bitmap, TCanvas& canvas, const RECT& rect, bool transparentCorners);
// The reference: every piece through StretchBlt (COLORONCOLOR) or TransparentBlt.
void DrawNineSliceGdi(TBitmap& bitmap, TCanvas& canvas, const RECT& rect, bool transparentCorners);
// The same pixels written straight into the canvas's 32-bit DIB section, top-down
// or bottom-up, through its shift of origin and its clip rectangle. False, with
// nothing drawn, when the canvas draws into anything else or scales, mirrors or
// clips to a region that is no rectangle.
bool DrawNineSliceDirect(TBitmap& bitmap, TCanvas& canvas, const RECT& rect, bool transparentCorners);

// Repeats the picture from the canvas origin, one tile beyond rect each way.
void TileDraw(TCanvas& canvas, TBitmap& picture, const RECT& rect);

// Lets the control's parent erase and paint into the control's canvas, shifted
// so the parent's pixels line up: the control then looks transparent.
void PaintParentBackground(TCanvas& canvas, TControl& control);

// Right and bottom edges count as inside.
bool PointInRectInclusive(POINT p, const RECT& r);
// The screen without the task bar.
RECT QueryWorkArea();
// Left, top, width, height, set in that order.
void SetFormBounds(TForm& form, const RECT& r);
// Whether a form should take menu short-cut keys now.
bool IsFormActive(TForm* form);

// Whether the component publishes a property of that name (letter case aside).
bool HasPublishedProperty(const TComponent* component, std::string_view name);
// Gives each direct child that publishes FileTheme and UIStyle the theme, then
// the style; grandchildren follow through their parents' own setters.
void ApplyStyleToChildren(const TWinControl& container, TsuiUIStyle style, TsuiFileTheme* theme);
