#pragma once
// Menu items and the popup menu. Items are components of the form; a menu keeps
// a tree of them and builds the system menu from it each time it opens. With
// OwnerDraw set, every item is measured and drawn through its events (or the
// menu's), which is how the skinned menus paint.
#include "Controls.h"
#include "UtilWindow.h"

#include <memory>
#include <vector>

class TMenuItem;
using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas& ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas& ACanvas, RECT ARect, bool Selected)>;

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
    void SetOwnerDraw(bool v) { ownerDraw_ = v; }
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
    bool ownerDraw_ = false;
    POINT popupPoint_{};
    std::unique_ptr<TUtilWindow> window_;
};
