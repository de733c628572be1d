#include "SUIPopupMenu.h"

#include "SUIMenuPaint.h"
#include "SUIThemes.h"

namespace {

constexpr TColor kDisabledTextColor = 0x808080;
constexpr TColor kSeparatorColor = 0x848284;

// The check mark list lives while a skinned popup menu does: made by the
// first, freed with the last, so no image list outlives the forms and a
// missing picture is an error of the menu's creation, where it can be caught.
TOwnedComponent<TImageList> g_checkMarks;
int g_checkMarkUsers = 0;

void AcquireCheckMarks()
{
    if (g_checkMarkUsers == 0) {
        TBitmap mark;
        LoadSkinPicture(mark, "MENU_CHECKED");
        TOwnedComponent<TImageList> list(new TImageList(nullptr));
        list->AddMasked(mark, clWhite);
        g_checkMarks = std::move(list);
    }
    ++g_checkMarkUsers;
}

void ReleaseCheckMarks()
{
    if (--g_checkMarkUsers == 0) g_checkMarks.reset();
}

}  // namespace

TsuiPopupMenu::TsuiPopupMenu(TComponent* AOwner) : TsuiSkinned<TPopupMenu>(AOwner)
{
    AcquireCheckMarks();
    TPopupMenu::SetOwnerDraw(true);
    SetUIStyle(FormUIStyleOf(AOwner));
}

TsuiPopupMenu::~TsuiPopupMenu() { ReleaseCheckMarks(); }

const TImageList* TsuiPopupMenu::CheckMarkImages() { return g_checkMarks.get(); }

// The form owns the items and usually frees them after the menu: they must
// not keep handlers that point here.
void TsuiPopupMenu::BeforeDestruction()
{
    if (TMenuItem* root = Items())
        for (int i = 0; i < root->Count(); ++i) SetMenuDrawHandlers(*root->Items(i), {}, {});
    TsuiSkinned<TPopupMenu>::BeforeDestruction();
}

void TsuiPopupMenu::Loaded()
{
    TsuiSkinned<TPopupMenu>::Loaded();
    TMenuItem* root = Items();
    if (!root) return;
    const TMenuMeasureItemEvent measure = [this](TObject* s, TCanvas& c, int& w, int& h) { DoMeasureItem(s, c, w, h); };
    const TMenuDrawItemEvent draw = [this](TObject* s, TCanvas& c, RECT r, bool sel) { DoDrawItem(s, c, r, sel); };
    for (int i = 0; i < root->Count(); ++i) SetMenuDrawHandlers(*root->Items(i), measure, draw);
}

void TsuiPopupMenu::SetUIStyle(TsuiUIStyle value)
{
    StoreUIStyle(value);
    barWidth_ = 26;
    if (value == TsuiUIStyle::MacOS) {
        menuItemHeight_ = 20;
        separatorHeight_ = 12;
        separatorColor_ = clBlack;
    } else {
        menuItemHeight_ = 21;
        separatorHeight_ = 5;
        separatorColor_ = kSeparatorColor;
    }
    barColor_ = StyleColor(ThemeItem::MenuBarColor);
    color_ = StyleColor(ThemeItem::MenuBackgroundColor);
    fontColor_ = StyleColor(ThemeItem::MenuFontColor);
    selectedBorderColor_ = StyleColor(ThemeItem::MenuSelectedBorderColor);
    selectedColor_ = StyleColor(ThemeItem::MenuSelectedBackgroundColor);
    selectedFontColor_ = StyleColor(ThemeItem::MenuSelectedFontColor);
}

// MacOS draws its items from fixed pictures of these heights.
void TsuiPopupMenu::SetMenuItemHeight(int v)
{
    if (!IsMacOS()) menuItemHeight_ = v;
}

void TsuiPopupMenu::SetSeparatorHeight(int v)
{
    if (!IsMacOS()) separatorHeight_ = v;
}

// A negative index is no image either: it would reach the image list as one.
bool TsuiPopupMenu::HasImage(const TMenuItem& item) const
{
    const TImageList* images = ItemImages();
    return item.ImageIndex() >= 0 && images && item.ImageIndex() < images->Count();
}

void TsuiPopupMenu::DoMeasureItem(TObject* Sender, TCanvas& ACanvas, int& Width, int& Height)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    // By caption alone: a "-" with sub-items is still measured as a line.
    Height = item->IsLine() ? separatorHeight_ : menuItemHeight_;
    SetItemFont(ACanvas, *item);  // the font the item is drawn in
    Width = ACanvas.TextWidth(item->Caption()) + ACanvas.TextWidth(ShortCutToText(item->ShortCut())) + barWidth_ +
            40;
}

void TsuiPopupMenu::DrawBarAndBackground(TCanvas& canvas, const RECT& r)
{
    if (barWidth_ > 0) FillRectColor(canvas, RECT{r.left, r.top, r.left + barWidth_, r.bottom}, barColor_);
    FillRectColor(canvas, RECT{r.left + barWidth_, r.top, r.right, r.bottom}, color_);
}

void TsuiPopupMenu::SetItemFont(TCanvas& canvas, const TMenuItem& item)
{
    TFont& font = canvas.Font();
    if (useSystemFont_) {
        AssignMenuFont(font);
    } else {
        font.SetName(fontName_);
        font.SetSize(fontSize_);
        font.SetCharset(fontCharset_);
    }
    if (!item.Enabled())
        font.SetColor(kDisabledTextColor);
    else
        font.SetColor(fontColor_);
    if (item.Default()) font.SetStyle(font.Style() | fsBold);
}

void TsuiPopupMenu::DoDrawItem(TObject* Sender, TCanvas& ACanvas, RECT ARect, bool Selected)
{
    auto* item = dynamic_cast<TMenuItem*>(Sender);
    if (!item) return;
    const RECT& r = ARect;
    if (flatMenu_)
        if (HWND window = WindowFromDC(ACanvas.Handle()))
            DrawMenuWindowFrame(window, clBlack, StyleColor(ThemeItem::FormBackgroundColor));

    if (item->IsLine()) {
        if (IsMacOS()) {
            DrawMacMenuBarStrip(ACanvas, r);
        } else {
            DrawBarAndBackground(ACanvas, r);
            DrawMenuSeparator(ACanvas, r, separatorColor_, barWidth_);
        }
        return;
    }

    // The system reports a disabled item under the cursor as selected too.
    const bool selected = Selected && item->Enabled();
    if (selected) {
        if (IsMacOS()) {
            DrawMacMenuSelection(ACanvas, r);
        } else {
            FillRectColor(ACanvas, r, selectedColor_);
            FrameRectColor(ACanvas, r, selectedBorderColor_);
        }
    } else if (IsMacOS()) {
        DrawMacMenuBarBack(ACanvas, r);
    } else {
        DrawBarAndBackground(ACanvas, r);
    }

    // The canvas draws text without background.
    SetItemFont(ACanvas, *item);
    if (selected) ACanvas.Font().SetColor(selectedFontColor_);
    ACanvas.TextRect(RECT{r.left + barWidth_ + 4, r.top + 4, r.right, r.bottom}, item->Caption(), DT_SINGLELINE);
    const std::string keys = ShortCutToText(item->ShortCut());
    if (!keys.empty()) ACanvas.TextOut(r.right - ACanvas.TextWidth(keys) - 16, r.top + 4, keys);

    const bool image = HasImage(*item);
    if (item->Checked()) {
        if (image) {
            FrameRectColor(ACanvas, RECT{r.left + 2, r.top + 1, r.left + 21, r.top + 20}, clBlack);
            FillRectColor(ACanvas, RECT{r.left + 3, r.top + 2, r.left + 20, r.top + 19}, selectedColor_);
        } else {
            CheckMarks()->Draw(ACanvas, r.left + 4, r.top + 3, 0, item->Enabled());
        }
    }
    if (image) ItemImages()->Draw(ACanvas, r.left + 4, r.top + 3, item->ImageIndex(), item->Enabled());
}
