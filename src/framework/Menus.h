#pragma once
// Menu items and the popup menu. Items are components of the form; a menu keeps
// a tree of them and builds the system menu from it each time it opens. With
// OwnerDraw set, every item is measured and drawn through its events (or the
// menu's), which is how the skinned menus paint.
#include "Controls.h"
#include "UtilWindow.h"

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <vector>

class TMenuItem;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas& ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas& ACanvas, RECT ARect, bool Selected)>;

// A short-cut key as menus store it: the virtual key in the low byte and the
// modifier bits above it; 0 is none.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut ShortCut(WORD key, TShortCut modifiers) { return static_cast<TShortCut>((key & 0xFF) | modifiers); }
// "Shift+Ctrl+Alt+Key" as far as the bits say; empty for none or a key without a name.
std::string ShortCutToText(TShortCut shortCut);

// Raised when every menu command number is held by a live item.
class EMenuError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Live menu command numbers. A command travels in the low word of WM_COMMAND,
// so numbers are 16-bit; an item gives its number back when it dies, and the
// freed numbers are handed out again oldest first, after the never-used ones,
// so a program that rebuilds its menus never runs out.
int LiveMenuCommands();

// Images of one size, drawn with a mask. The list is a component of its owner
// and holds the image list handle.
class TImageList : public TComponent {
public:
    explicit TImageList(TComponent* AOwner, int width = 16, int height = 16);
    const char* ClassName() const override { return "TImageList"; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const;
    HIMAGELIST Handle() const { return list_.get(); }
    // Adds the picture (one image per Width() columns) with every pixel of
    // maskColor transparent; the index of the first image added, or -1.
    int AddMasked(TBitmap& picture, TColor maskColor);
    // Draws image `index` with its mask; greyed draws its shape in the
    // button-shadow colour over a highlight shadow, as disabled entries look.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;

private:
    void DrawShape(HDC dc, int x, int y, int index, COLORREF colour) const;

    int width_, height_;
    TImageListHandle list_;
};

class TMenuItem : public TComponent {
public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;
    const char* ClassName() const override { return "TMenuItem"; }

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }
    bool IsLine() const { return caption_ == "-"; }
    bool Checked() const { return checked_; }
    void SetChecked(bool v) { checked_ = v; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    bool Visible() const { return visible_; }
    void SetVisible(bool v) { visible_ = v; }
    bool Default() const { return default_; }
    void SetDefault(bool v) { default_ = v; }
    // Index into the menu's Images; -1 for none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int v) { imageIndex_ = v; }
    TShortCut ShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut v) { shortCut_ = v; }
    UINT Command() const { return command_; }

    void Add(TMenuItem* item);
    void Remove(TMenuItem* item);
    int Count() const { return static_cast<int>(items_.size()); }
    TMenuItem* Items(int i) const { return items_[i]; }
    TMenuItem* ParentItem() const { return parent_; }
    TMenuItem* FindByCommand(UINT command);

    virtual void Click();
    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;

private:
    std::string caption_;
    bool checked_ = false, enabled_ = true, visible_ = true, default_ = false;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    UINT command_;
    TMenuItem* parent_ = nullptr;     // not owned
    std::vector<TMenuItem*> items_;   // not owned (components of the form)
};

class TPopupMenu : public TComponent {
public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;
    const char* ClassName() const override { return "TPopupMenu"; }

    TMenuItem* Items() const { return items_; }
    bool OwnerDraw() const { return ownerDraw_; }
    virtual void SetOwnerDraw(bool v) { ownerDraw_ = v; }
    // Not owned: dropped when the list goes away.
    TImageList* Images() const { return images_; }
    void SetImages(TImageList* list);
    // Opens the menu at a screen point and returns when it closes; the chosen
    // item's Click runs before Popup returns.
    virtual void Popup(int X, int Y);
    POINT PopupPoint() const { return popupPoint_; }
    // The window that receives the menu's measure and draw messages.
    HWND WindowHandle() const { return window_->Handle(); }

    TNotifyEvent OnPopup;
    // Used for items that have no measure or draw handler of their own.
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    virtual void MeasureItem(TMenuItem* item, int& width, int& height);
    virtual void DrawItem(TMenuItem* item, TCanvas& canvas, RECT rect, bool selected);

private:
    TMenuHandle BuildMenu(TMenuItem* parent);
    bool MenuMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);

    TMenuItem* items_;  // owned as our component
    TImageList* images_ = nullptr;  // not owned
    bool ownerDraw_ = false;
    POINT popupPoint_{};
    std::unique_ptr<TUtilWindow> window_;
};
