#pragma once
// The skinned form frame: a panel on a form that takes the form's own caption
// and border away, fills the client area but for a border it paints itself,
// carries the picture title bar along its top and hosts the form's controls.
// It hooks the form's window procedure (the old one runs first) to keep the
// layout in step with sizing, activation and maximising, and makes the
// borderless form sizeable again from its edges.
#include "SUITitleBar.h"

class TsuiMenuBar;

class TsuiForm : public TsuiSkinned<TCustomPanel>, public ISkinnedFormFrame, public IMenuWatcher {
public:
    explicit TsuiForm(TComponent* AOwner);
    ~TsuiForm() override;
    const char* ClassName() const override { return "TsuiForm"; }

    void SetUIStyle(TsuiUIStyle value) override;
    // A repeated assignment of the same theme does nothing.
    void SetFileTheme(TsuiFileTheme* value) override;
    bool HostWasSizeable() const override { return savedBorderStyle_ == TFormBorderStyle::bsSizeable; }

    TsuiTitleBar& TitleBar() { return *titleBar_; }
    bool UIStyleAutoUpdateSub() const { return autoUpdateSub_; }
    void SetUIStyleAutoUpdateSub(bool value) { autoUpdateSub_ = value; }
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor value);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int value);
    bool TitleBarVisible() const { return titleBar_->Visible(); }
    void SetTitleBarVisible(bool value);
    // The title bar's caption, which is the form's caption too.
    const std::string& Caption() const { return titleBar_->Caption(); }
    void SetCaption(const std::string& value);
    TCustomPanel* FormPanel() const { return formPanel_; }
    void SetFormPanel(TCustomPanel* value);
    TColor MenuBarColor() const { return menuBarColor_; }
    void SetMenuBarColor(TColor value);
    int MenuBarHeight() const { return menuBarHeight_; }
    void SetMenuBarHeight(int value);

    // The menu shown in the bar below the title bar; the bar exists exactly
    // while a menu is set. A skinned main menu learns which frame shows it.
    TPopupMenu* Menu() const { return menu_; }
    void SetMenu(TPopupMenu* value);
    TsuiMenuBar* MenuBar() const { return menuBar_; }
    // The buttons made afresh from the menu's top-level items.
    void RebuildMenuBar();
    // Each button takes its item's caption and enabled flag.
    void RefreshMenuBarCaptions();
    // The bar's font from a skinned menu (the system menu font or its own).
    void ApplyMenuFont();
    // The menu's items or font changed: the bar follows.
    void MenuItemsChanged(TPopupMenu* menu, bool rebuild) override;
    // A key-down that is a short cut of the menu while this form is the active
    // one runs the item's click; true then.
    bool MenuShortCut(const MSG& msg);
    // The frame's size; the form grows by the border round it.
    void SetFrameWidth(int value);
    void SetFrameHeight(int value);
    int RoundCorner() const { return titleBar_->RoundCorner(); }
    void SetRoundCorner(int value) { titleBar_->SetRoundCorner(value); }
    bool TitleBarDrawAppIcon() const { return titleBar_->DrawAppIcon(); }
    void SetTitleBarDrawAppIcon(bool value) { titleBar_->SetDrawAppIcon(value); }
    const char* Version() const { return "4.30"; }

    // Places the frame in the form's client area and paints the border.
    void Layout();
    void PaintBorder();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& m) override;

protected:
    void Paint() override;
    void FileThemeRemoved() override;

private:
    void HookForm();
    void FormWndProc(TMessage& m);
    void FormPaint(TMessage& m);
    void PaintBorderOn(HDC dc);
    void FormSized();
    void FormHitTest(TMessage& m);
    void AppMessage(MSG& msg, bool& handled);

    TForm* form_ = nullptr;  // not owned: the form that carries the frame
    TsuiTitleBar* titleBar_ = nullptr;  // owned as our component
    TsuiMenuBar* menuBar_ = nullptr;  // owned as our component, or none
    TPopupMenu* menu_ = nullptr;  // not owned
    TWndMethod oldFormProc_;
    TFormBorderStyle savedBorderStyle_ = TFormBorderStyle::bsSizeable;
    TColor borderColor_ = clBlack;
    TCustomPanel* formPanel_ = nullptr;  // not owned
    int borderWidth_ = 1;
    TColor menuBarColor_ = clBtnFace;
    int menuBarHeight_ = 22;
    bool ownsMessageHook_ = false;
    bool autoUpdateSub_ = false;
    RECT savedBounds_{};
    bool createdMaximized_ = false;
};
