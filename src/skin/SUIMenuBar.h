#pragma once
// The menu bar of a skinned form frame: one button per top-level item of the
// frame's menu, in menu order, drawn windowless inside the bar in the skin's
// menu colours. A click on a button (or Alt with its underlined letter, or
// F10 for the first) opens the item's drop-down menu below the button, or runs
// the item's click when it has no sub-items. The bar hears of every item it
// shows going away and drops its button.
#include "Menus.h"
#include "SUIPublic.h"

#include <string>
#include <vector>

class TsuiForm;

class TsuiMenuBar : public TCustomControl {
public:
    // Owned by the frame and placed on it below the title bar.
    explicit TsuiMenuBar(TsuiForm* frame);
    const char* ClassName() const override { return "TsuiMenuBar"; }

    struct TButton {
        TMenuItem* item;  // not owned, watched: a top-level item of the frame's menu
        std::string caption;
        bool enabled;
        RECT bounds;  // in the bar's client coordinates
    };
    // One button per visible top-level item, in menu order.
    void Rebuild();
    // Captions and enabled flags from the items, the buttons kept.
    void RefreshCaptions();
    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    const TButton& Button(int i) const { return buttons_[i]; }
    // How many times the buttons were made afresh.
    int Rebuilds() const { return rebuilds_; }
    int HotIndex() const { return hot_; }
    int SelectedIndex() const { return selected_; }
    // Opens button i's drop-down and returns when it closes, or runs the
    // click of an item without sub-items.
    void OpenButton(int i);
    // Alt+letter or F10: opens (or clicks) the matching button; false when none matches.
    bool OpenByKey(WORD key);
    // Lays the buttons out again in the bar's font (after it changed) and repaints.
    void Measure();
    // Draws the bar and its buttons onto a canvas of the bar's size.
    void PaintTo(TCanvas& canvas);

    void WndProc(TMessage& m) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

protected:
    void Paint() override;

private:
    void ForgetButtons();
    void LayoutButtons(TCanvas& canvas);
    int ButtonAt(POINT p) const;
    void SetHot(int i);
    void DrawButton(TCanvas& canvas, const TButton& button, bool hot, bool selected);

    TsuiForm* frame_;  // not owned: our owner
    std::vector<TButton> buttons_;
    int rebuilds_ = 0;
    int hot_ = -1;
    int selected_ = -1;
};
