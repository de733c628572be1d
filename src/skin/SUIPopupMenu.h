#pragma once
// The skinned popup menu: always owner-drawn, every item measured and painted
// here in the colours of a style or a theme file, with a coloured bar down the
// left side, a framed highlight for the selected item, a check mark picture
// and optional item images.
#include "Menus.h"
#include "SUIPublic.h"

class TsuiPopupMenu : public TsuiSkinned<TPopupMenu> {
public:
    // Raises EResNotFound when the program has no "MENU_CHECKED" picture.
    explicit TsuiPopupMenu(TComponent* AOwner);
    ~TsuiPopupMenu() override;
    const char* ClassName() const override { return "TsuiPopupMenu"; }

    // Stays owner-drawn whatever is assigned.
    void SetOwnerDraw(bool) override {}
    // Sets the bar width, the heights, the separator colour and the six menu
    // colours the style (or the theme file) gives.
    void SetUIStyle(TsuiUIStyle value) override;

    int MenuItemHeight() const { return menuItemHeight_; }
    void SetMenuItemHeight(int v);  // ignored while the style is MacOS
    int SeparatorHeight() const { return separatorHeight_; }
    void SetSeparatorHeight(int v);  // ignored while the style is MacOS
    int BarWidth() const { return barWidth_; }
    void SetBarWidth(int v) { barWidth_ = v; }
    TColor BarColor() const { return barColor_; }
    void SetBarColor(TColor v) { barColor_ = v; }
    TColor Color() const { return color_; }
    void SetColor(TColor v) { color_ = v; }
    TColor SeparatorColor() const { return separatorColor_; }
    void SetSeparatorColor(TColor v) { separatorColor_ = v; }
    TColor SelectedBorderColor() const { return selectedBorderColor_; }
    void SetSelectedBorderColor(TColor v) { selectedBorderColor_ = v; }
    TColor SelectedColor() const { return selectedColor_; }
    void SetSelectedColor(TColor v) { selectedColor_ = v; }
    TColor SelectedFontColor() const { return selectedFontColor_; }
    void SetSelectedFontColor(TColor v) { selectedFontColor_ = v; }
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor v) { fontColor_ = v; }
    // Kept for the stored form; drawing does not use it.
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor v) { borderColor_ = v; }
    bool FlatMenu() const { return flatMenu_; }
    void SetFlatMenu(bool v) { flatMenu_ = v; }
    const std::string& FontName() const { return fontName_; }
    // The font's four tell the menu's watcher (a bar showing the items follows).
    void SetFontName(const std::string& v) { fontName_ = v; FontChanged(); }
    int FontSize() const { return fontSize_; }
    void SetFontSize(int v) { fontSize_ = v; FontChanged(); }
    uint8_t FontCharset() const { return fontCharset_; }
    void SetFontCharset(uint8_t v) { fontCharset_ = v; FontChanged(); }
    bool UseSystemFont() const { return useSystemFont_; }
    void SetUseSystemFont(bool v) { useSystemFont_ = v; FontChanged(); }

    // The owner-draw handlers every item gets at the end of loading.
    void DoMeasureItem(TObject* Sender, TCanvas& ACanvas, int& Width, int& Height);
    void DoDrawItem(TObject* Sender, TCanvas& ACanvas, RECT ARect, bool Selected);

    // The check mark shared by every skinned popup menu; it lives while one does.
    static const TImageList* CheckMarkImages();

    // Gives the items present now the two handlers (only these: items added
    // later draw as the framework draws them).
    void Loaded() override;

protected:
    void BeforeDestruction() override;
    // The drawing's check mark (image 0) and item images; a menu with a check
    // mark list of its own answers these.
    virtual const TImageList* CheckMarks() const { return CheckMarkImages(); }
    virtual TImageList* ItemImages() const { return Images(); }

private:
    bool IsMacOS() const { return UIStyle() == TsuiUIStyle::MacOS; }
    void FontChanged()
    {
        if (!Destroying()) MenuChanged(nullptr, false);
    }
    bool HasImage(const TMenuItem& item) const;
    void DrawBarAndBackground(TCanvas& canvas, const RECT& r);
    void SetItemFont(TCanvas& canvas, const TMenuItem& item);

    int menuItemHeight_ = 21;
    int separatorHeight_ = 21;
    int barWidth_ = 0;
    TColor barColor_ = clBtnFace;
    TColor color_ = clWhite;
    TColor separatorColor_ = clGray;
    TColor selectedBorderColor_ = clHighlight;
    TColor selectedColor_ = clHighlight;
    TColor selectedFontColor_ = clWhite;
    TColor fontColor_ = clWhite;
    TColor borderColor_ = clBlack;
    bool flatMenu_ = false;
    std::string fontName_ = "MS Sans Serif";
    int fontSize_ = 8;
    uint8_t fontCharset_ = DEFAULT_CHARSET;
    bool useSystemFont_ = true;
};
