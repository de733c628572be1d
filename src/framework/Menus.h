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
class TPopupMenu;
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

    // These four tell the item's menu (MenuChanged) when the value changes,
    // so that a bar showing the item can follow.
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v);
    bool IsLine() const { return caption_ == "-"; }
    bool Checked() const { return checked_; }
    void SetChecked(bool v);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
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
    // The enabled, visible item below (or this one) whose short cut this is.
    TMenuItem* FindByShortCut(TShortCut shortCut);
    // The menu whose item tree this item belongs to, or null.
    TPopupMenu* Menu() const;

    virtual void Click();
    TNotifyEvent OnClick;
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;

private:
    friend class TPopupMenu;
    void Changed(bool rebuild);

    std::string caption_;
    bool checked_ = false, enabled_ = true, visible_ = true, default_ = false;
    int imageIndex_ = -1;
    TShortCut shortCut_ = 0;
    UINT command_;
    TMenuItem* parent_ = nullptr;     // not owned
    TPopupMenu* menu_ = nullptr;      // not owned: set on a menu's root item only
    std::vector<TMenuItem*> items_;   // not owned (components of the form)
};

// What shows a menu's items elsewhere (a form frame's bar of buttons) hears of
// every change of its tree and values, whatever kind of menu it is.
class IMenuWatcher {
public:
    virtual void MenuItemsChanged(TPopupMenu* menu, bool rebuild) = 0;

protected:
    ~IMenuWatcher() = default;
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
    // Opens the sub-menu of one item at a screen point (a menu bar's drop-down)
    // and returns when it closes; the chosen item's Click runs before the return.
    void PopupItem(TMenuItem* item, int X, int Y);
    // The window that receives the menu's measure and draw messages.
    HWND WindowHandle() const { return window_->Handle(); }
    // Measure and draw messages of our owner-drawn items that reach another
    // window (a form showing the menu as its bar); true when handled.
    bool HandleOwnerDraw(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A key-down message that is the short cut of an enabled item runs the
    // item's Click and gives true; the modifiers are read from the keyboard state.
    bool IsShortCut(const MSG& msg);
    // The system menu bar of these items (top-level entries, their sub-menus).
    TMenuHandle BuildMenuBar();
    // An item of the tree changed (rebuild: the tree itself, not only a value).
    virtual void MenuChanged(TMenuItem* Source, bool Rebuild);
    // Not owned: whoever sets it clears it before it goes.
    IMenuWatcher* Watcher() const { return watcher_; }
    void SetWatcher(IMenuWatcher* watcher) { watcher_ = watcher; }

    TNotifyEvent OnPopup;
    TNotifyEvent OnChange;
    // Used for items that have no measure or draw handler of their own.
    TMenuMeasureItemEvent OnMeasureItem;
    TMenuDrawItemEvent OnDrawItem;

    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    virtual void MeasureItem(TMenuItem* item, int& width, int& height);
    virtual void DrawItem(TMenuItem* item, TCanvas& canvas, RECT rect, bool selected);

private:
    TMenuHandle BuildMenu(TMenuItem* parent, bool bar = false);
    void Track(TMenuItem* parent, int X, int Y);

    TMenuItem* items_;  // owned as our component
    TImageList* images_ = nullptr;  // not owned
    IMenuWatcher* watcher_ = nullptr;  // not owned
    bool ownerDraw_ = false;
    POINT popupPoint_{};
    std::unique_ptr<TUtilWindow> window_;
};

// The menu a form shows along its top: the top-level items are the bar's
// entries and open their sub-menus. A form gets it through TForm::SetMenu; a
// skinned frame shows it in a bar of its own instead.
class TMainMenu : public TPopupMenu {
public:
    using TPopupMenu::TPopupMenu;
    const char* ClassName() const override { return "TMainMenu"; }
};
