#pragma once
// The picture title bar of a skinned window and its buttons. The bar is put
// together from picture sections, places its buttons from the right and left
// edges, draws the caption between them (shortened with "..." when it does not
// fit), moves its window when dragged, maximizes it on a double click and
// sizes it from its top edge. Hover and press are not stored per button: the
// bar works them out from the cursor at every paint.
#include "ExtCtrls.h"
#include "Menus.h"
#include "SUIPopupMenu.h"
#include "SUIPublic.h"

#include <memory>
#include <vector>

class TsuiTitleBar;
class TsuiTitleBarPopupMenu;

enum class TsuiTitleBarAlign : uint8_t { suiLeft, suiRight, suiClient };
enum class TsuiTitleBarBtnType : uint8_t { suiMax, suiMin, suiClose, suiHelp, suiControlBox, suiCustom };

using TsuiTitleBarButtonClickEvent = std::function<void(TObject* Sender, int ButtonIndex)>;

// A typed list of the bar's items; every change of an item repaints the bar.
template <class TItem>
class TsuiTitleBarItems {
public:
    explicit TsuiTitleBarItems(TsuiTitleBar& bar) : bar_(bar) {}
    TsuiTitleBar& Bar() const { return bar_; }
    int Count() const { return static_cast<int>(items_.size()); }
    TItem* Items(int index) const { return items_[index].get(); }
    TItem* Add()
    {
        items_.push_back(std::make_unique<TItem>(*this));
        Changed();
        return items_.back().get();
    }
    void Clear()
    {
        items_.clear();
        Changed();
    }
    // Copies every item through its setters.
    void Assign(const TsuiTitleBarItems& other)
    {
        if (&other == this) return;
        Clear();
        for (int i = 0; i < other.Count(); ++i) Add()->Assign(*other.Items(i));
    }
    void Changed();

private:
    TsuiTitleBar& bar_;  // not owned: the bar owns this list
    std::vector<std::unique_ptr<TItem>> items_;
};

class TsuiTitleBarSection {
public:
    explicit TsuiTitleBarSection(TsuiTitleBarItems<TsuiTitleBarSection>& owner) : owner_(owner) {}
    int Width() const { return width_; }
    void SetWidth(int value);
    TsuiTitleBarAlign Align() const { return align_; }
    // A second client section is refused with a message.
    void SetAlign(TsuiTitleBarAlign value);
    TBitmap& Picture() { return picture_; }
    void SetPicture(const TBitmap& value);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool value);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    void Assign(TsuiTitleBarSection& other);

private:
    TsuiTitleBarItems<TsuiTitleBarSection>& owner_;  // not owned
    int width_ = 10;
    TsuiTitleBarAlign align_ = TsuiTitleBarAlign::suiLeft;
    TBitmap picture_;
    bool stretch_ = false;
    bool autoSize_ = false;
};

class TsuiTitleBarButton {
public:
    explicit TsuiTitleBarButton(TsuiTitleBarItems<TsuiTitleBarButton>& owner);
    bool Visible() const { return visible_; }
    void SetVisible(bool value);
    TsuiTitleBarBtnType ButtonType() const { return type_; }
    // A second control box is refused with a message.
    void SetButtonType(TsuiTitleBarBtnType value);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);
    int Top() const { return top_; }
    void SetTop(int value);
    TsuiUIStyle UIStyle() const { return uiStyle_; }
    void SetUIStyle(TsuiUIStyle value);
    TBitmap& PicNormal() { return picNormal_; }
    TBitmap& PicMouseOn() { return picMouseOn_; }
    TBitmap& PicMouseDown() { return picMouseDown_; }
    void SetPicNormal(const TBitmap& value);
    void SetPicMouseOn(const TBitmap& value);
    void SetPicMouseDown(const TBitmap& value);
    // Not owned.
    TPopupMenu* ControlBoxMenu() const { return controlBoxMenu_; }
    void SetControlBoxMenu(TPopupMenu* value) { controlBoxMenu_ = value; }
    void Assign(TsuiTitleBarButton& other);

    void PerformAction();
    void RefreshMaximizePictures();
    void LoadStylePictures();

private:
    void LoadFrames(int first);
    TsuiTitleBar& Bar() const { return owner_.Bar(); }

    TsuiTitleBarItems<TsuiTitleBarButton>& owner_;  // not owned
    bool visible_ = true;
    TsuiTitleBarBtnType type_ = TsuiTitleBarBtnType::suiCustom;
    bool transparent_ = false;
    int top_ = 2;
    TsuiUIStyle uiStyle_ = TsuiUIStyle::DeepBlue;
    TBitmap picNormal_, picMouseOn_, picMouseDown_;
    TPopupMenu* controlBoxMenu_ = nullptr;  // not owned
};

using TsuiTitleBarSections = TsuiTitleBarItems<TsuiTitleBarSection>;
using TsuiTitleBarButtons = TsuiTitleBarItems<TsuiTitleBarButton>;

class TsuiTitleBar : public TsuiSkinned<TCustomPanel> {
public:
    explicit TsuiTitleBar(TComponent* AOwner);
    ~TsuiTitleBar() override;
    const char* ClassName() const override { return "TsuiTitleBar"; }

    void SetUIStyle(TsuiUIStyle value) override;
    void SetFileTheme(TsuiFileTheme* value) override;
    bool Custom() const { return custom_; }
    void SetCustom(bool value) { custom_ = value; }
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TsuiTitleBarSections& Sections() { return *sections_; }
    void SetSections(const TsuiTitleBarSections& value) { sections_->Assign(value); }
    TsuiTitleBarButtons& Buttons() { return *buttons_; }
    void SetButtons(const TsuiTitleBarButtons& value) { buttons_->Assign(value); }
    int ButtonInterval() const { return buttonInterval_; }
    void SetButtonInterval(int value);
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    bool FormActive() const { return formActive_; }
    void SetFormActive(bool value);
    int LeftBtnXOffset() const { return leftBtnXOffset_; }
    void SetLeftBtnXOffset(int value);
    int RightBtnXOffset() const { return rightBtnXOffset_; }
    void SetRightBtnXOffset(int value);
    bool DrawAppIcon() const { return drawAppIcon_; }
    void SetDrawAppIcon(bool value);
    int RoundCorner() const { return roundCorner_; }
    void SetRoundCorner(int value);
    TsuiTitleBarPopupMenu* TitleBarMenu() const { return menu_; }

    // The index of the button under the cursor at the last paint, or -1.
    int HotButton() const { return hotButton_; }
    // The form the bar stands on, and whether it stands directly on a skinned frame.
    TForm* HostForm() const { return HostFormOf(*this); }
    const ISkinnedFormFrame* Frame() const;
    bool HostMaximized() const;

    void RefreshMaximizeButtons();
    void ApplyRoundCorner();
    // Opens the title bar's menu at a screen point.
    void PopupTitleBarMenuAt(POINT p);
    void WndProc(TMessage& m) override;

    TsuiTitleBarButtonClickEvent OnCustomBtnsClick;
    TsuiTitleBarButtonClickEvent OnHelpBtnClick;

protected:
    void Paint() override;
    virtual void PaintSections(TBitmap& bitmap);
    virtual void PaintButtonsAndCaption(TBitmap& bitmap);
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DblClick();
    void FileThemeRemoved() override { SetUIStyle(TsuiUIStyle::DeepBlue); }

private:
    void LoadStyle();
    // Draws one button at x in its state for the cursor; true when it is hot.
    bool PaintButton(TCanvas& canvas, TsuiTitleBarButton& button, int x, POINT cursor, int index);
    void PaintCaption(TCanvas& canvas, int left, int right);
    void ButtonReleased();
    void EndPress();
    void UpdateMenuStyle(TsuiUIStyle effective);
    void PopupTitleBarMenu();
    void WMNCHitTest(TMessage& m);
    void ForwardToHost(TMessage& m);

    std::unique_ptr<TsuiTitleBarSections> sections_;
    std::unique_ptr<TsuiTitleBarButtons> buttons_;
    TsuiTitleBarPopupMenu* menu_ = nullptr;  // owned as our component
    bool autoSize_ = false;
    int buttonInterval_ = 0;
    std::string caption_;
    bool formActive_ = true;
    int leftBtnXOffset_ = 0, rightBtnXOffset_ = 0;
    int roundCorner_ = 0;
    bool drawAppIcon_ = false;
    TIconHandle appIcon_;  // the program's icon, loaded when it is to be drawn
    bool applyingTheme_ = false;
    TColor cornerLineColor_ = clBlack;
    bool custom_ = false;
    bool mouseDown_ = false;
    int hotButton_ = -1;
    int buttonPictureHeight_ = 0;
    int captionTop_ = 0;
};

// The window menu the control box opens: Minimize, Maximize/Restore and
// Close, each enabled only while the bar has a button of that kind (visible
// or not).
class TsuiTitleBarPopupMenu : public TsuiPopupMenu {
public:
    explicit TsuiTitleBarPopupMenu(TsuiTitleBar& bar);
    const char* ClassName() const override { return "TsuiTitleBarPopupMenu"; }
    // Enables the entries for the kinds of button the bar has, then opens.
    void Popup(int X, int Y) override;
    void UpdateItems();

private:
    TMenuItem* AddItem(UINT captionId, const char* fallback, TNotifyEvent click);

    TsuiTitleBar& bar_;  // not owned: the bar owns this menu
};

// The caption cut to the longest prefix that fits `space` pixels together
// with "..." (whole characters of the code page), or the caption itself when
// it fits. An empty prefix gives "".
std::string ShortenCaption(const std::string& caption, int space, const std::function<int(const std::string&)>& width);
