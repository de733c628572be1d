#include "SUIPublic.h"

#include "SUIMgr.h"
#include "SUIThemes.h"
#include "SkinGeometry.h"
#include "ThemeFile.h"

namespace {

RECT ToRect(const TRectI& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }
TRectI ToRectI(const RECT& r) { return TRectI{r.left, r.top, r.right, r.bottom}; }

// The main form is a multiple-document frame when it holds an MDI client window.
HWND MdiClientOf(TForm* form)
{
    if (!form || !form->HandleAllocated()) return nullptr;
    return FindWindowExA(form->Handle(), nullptr, "MDICLIENT", nullptr);
}

}  // namespace

bool ResolveUIStyle(const TsuiFileTheme* theme, TsuiUIStyle style, TsuiUIStyle& effective)
{
    const TStyleSource source = ResolveUIStyle(style, theme && theme->IsLoaded());
    effective = source.Style;
    return source.UseThemeFile;
}

void GetStylePicture(const TsuiFileTheme* theme, TsuiUIStyle style, int item, TBitmap& target, int index, int count)
{
    TsuiUIStyle effective;
    if (ResolveUIStyle(theme, style, effective))
        theme->GetPictureSlice(item, target, index, count);
    else
        GetBuiltInBitmap(effective, item, &target, index, count);
}

TColor GetStyleColor(const TsuiFileTheme* theme, TsuiUIStyle style, int item)
{
    TsuiUIStyle effective;
    if (ResolveUIStyle(theme, style, effective)) return theme->GetColor(item);
    return static_cast<TColor>(GetBuiltInColor(effective, item));
}

bool GetStyleBool(const TsuiFileTheme* theme, TsuiUIStyle style, int item)
{
    TsuiUIStyle effective;
    if (ResolveUIStyle(theme, style, effective)) return theme->GetBool(item);
    return GetBuiltInBool(effective, item);
}

int GetStyleInt(const TsuiFileTheme* theme, TsuiUIStyle style, int item)
{
    TsuiUIStyle effective;
    if (ResolveUIStyle(theme, style, effective)) return theme->GetInt(item);
    return GetBuiltInInt(effective, item);
}

TForm* HostFormOf(const TControl& control)
{
    const TControl* top = &control;
    while (top->Parent()) top = top->Parent();
    return dynamic_cast<TForm*>(const_cast<TControl*>(top));
}

bool IsBlankText(const std::string& text) { return text.find_first_not_of(' ') == std::string::npos; }

TsuiUIStyle FormUIStyleOf(const TComponent* component)
{
    const auto* form = dynamic_cast<const TForm*>(component);
    if (!form) return TsuiUIStyle::DeepBlue;
    for (int i = 0; i < form->ControlCount(); ++i) {
        TControl* child = form->Controls(i);
        const auto* skinned = dynamic_cast<const ISkinnable*>(child);
        if (skinned && dynamic_cast<const ISkinnedFormFrame*>(child)) return skinned->UIStyle();
    }
    return TsuiUIStyle::DeepBlue;
}

void CutSlice(const TBitmap& source, TBitmap& target, int count, int index)
{
    const TSlicePlan plan = CutSlicePlan(source.Width(), source.Height(), count, index);
    if (&source == &target) {
        TBitmap frame;
        frame.AssignPart(source, ToRect(plan.Source));
        target.Assign(frame);
    } else {
        target.AssignPart(source, ToRect(plan.Source));
    }
}

void TileDraw(TCanvas& canvas, TBitmap& picture, const RECT& rect)
{
    const TTilePlan plan = TileDrawPlan(picture.Width(), picture.Height(), ToRectI(rect));
    for (int column = 0; column < plan.Columns; ++column)
        for (int row = 0; row < plan.Rows; ++row) {
            const TPointI at = plan.Origin(column, row);
            canvas.Draw(at.X, at.Y, picture);
        }
}

void PaintParentBackground(TCanvas& canvas, TControl& control)
{
    TWinControl* parent = control.Parent();
    if (!parent || !parent->HandleAllocated()) return;
    // A windowless control is painted by its parent's paint, which would come
    // straight back here: the inner call draws nothing.
    thread_local const TControl* painting = nullptr;
    if (painting == &control) return;
    const TControl* outer = painting;
    painting = &control;

    HDC dc = canvas.Handle();
    const int saved = SaveDC(dc);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x - control.Left(), origin.y - control.Top(), nullptr);
    IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
    const HWND window = parent->Handle();
    SendMessageA(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SendMessageA(window, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    RestoreDC(dc, saved);
    painting = outer;
}

bool PointInRectInclusive(POINT p, const RECT& r)
{
    return r.left <= p.x && p.x <= r.right && r.top <= p.y && p.y <= r.bottom;
}

RECT QueryWorkArea()
{
    RECT r{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

void SetFormBounds(TForm& form, const RECT& r)
{
    form.SetLeft(r.left);
    form.SetTop(r.top);
    form.SetWidth(r.right - r.left);
    form.SetHeight(r.bottom - r.top);
}

bool IsFormActive(TForm* form)
{
    TForm* main = Application()->MainForm();
    if (!main) return form && form->Active();
    const HWND mdiClient = MdiClientOf(main);
    if (mdiClient && main == form) return true;
    if (!Application()->Active()) return false;
    if (!form || form == main) return true;
    if (mdiClient) {
        const auto active = reinterpret_cast<HWND>(SendMessageA(mdiClient, WM_MDIGETACTIVE, 0, 0));
        if (form->HandleAllocated() && active == form->Handle()) return true;
    }
    return form->Active();
}

bool HasPublishedProperty(const TComponent* component, std::string_view name)
{
    if (!dynamic_cast<const ISkinnable*>(component)) return false;
    // Property names are matched like theme entry names: ASCII letters in any case.
    return ThemeNamesEqual(name, "UIStyle") || ThemeNamesEqual(name, "FileTheme");
}

void ApplyStyleToChildren(const TWinControl& container, TsuiUIStyle style, TsuiFileTheme* theme)
{
    for (int i = 0; i < container.ControlCount(); ++i) {
        auto* skinned = dynamic_cast<ISkinnable*>(container.Controls(i));
        if (!skinned) continue;
        skinned->SetFileTheme(theme);
        skinned->SetUIStyle(style);
    }
}
