#pragma once
// Top-level forms and the application object. Forms are owned by the
// application; their windows are owned by the application's hidden top-level
// window, which is the one that carries the taskbar button.
#include "Controls.h"
#include "UtilWindow.h"

#include <memory>
#include <utility>
#include <vector>

class TMainMenu;

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint8_t;
enum class TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TCloseAction { caNone, caHide, caFree, caMinimize };
using TModalResult = int;

struct TSizeConstraints {
    int MinWidth = 0, MinHeight = 0, MaxWidth = 0, MaxHeight = 0;  // 0: no limit
};

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;

class TForm : public TCustomControl {
public:
    explicit TForm(TComponent* AOwner);
    ~TForm() override;
    const char* ClassName() const override { return "TForm"; }

    // Runs OnCreate once the most derived constructor has built the layout.
    void AfterConstruction();

    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle v);
    TBorderIcons BorderIcons() const { return borderIcons_; }
    void SetBorderIcons(TBorderIcons v);
    TSizeConstraints& Constraints() { return constraints_; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState v);
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult v) { modalResult_ = v; }
    // Sizes the window so that its client area gets these dimensions.
    void SetClientWidth(int v);
    void SetClientHeight(int v);
    void SetClientSize(int w, int h);

    // The menu shown as the window's system menu bar, or null. Its owner-draw
    // and command messages arriving at the form go to the menu.
    TMainMenu* Menu() const { return menu_; }
    void SetMenu(TMainMenu* menu);

    // Whether the form's window is the active one (it had WM_ACTIVATE last).
    bool Active() const { return active_; }

    void Show();
    // Shows the form at a place, in front, without taking the activation from
    // the window the user works in (tool windows over another program's window).
    void ShowAtWithoutActivation(int left, int top);
    void Close();
    // Frees the form once the messages waiting now have been handled: safe
    // from inside the form's own event handlers.
    void Release();
    void BringToFront();
    // The control that has (or last had) the focus inside this form, or null.
    TWinControl* ActiveControl() const { return activeControl_; }
    void Notification(TComponent* AComponent, TOperation Operation) override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
    TCloseEvent OnClose;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;

    void WndProc(TMessage& m) override;

protected:
    void BeforeDestruction() override;
    void CreateParams(TCreateParams& params) override;
    void SetVisible(bool v) override;

private:
    void WMGetMinMaxInfo(TMessage& m);
    void WMSysCommand(TMessage& m);
    bool MenuMessage(TMessage& m);
    void CMFocusChanged(TMessage& m);
    void CMDialogKey(TMessage& m);
    void RecreateFrame();
    void StyleFromBorder(DWORD& style, DWORD& exStyle) const;

    TFormBorderStyle borderStyle_ = TFormBorderStyle::bsSizeable;
    TBorderIcons borderIcons_ = biSystemMenu | biMinimize | biMaximize;
    TSizeConstraints constraints_;
    TWindowState windowState_ = TWindowState::wsNormal;
    TModalResult modalResult_ = 0;
    bool created_ = false;
    bool active_ = false;
    TWinControl* activeControl_ = nullptr;  // not owned
    TMainMenu* menu_ = nullptr;  // not owned
    // The bar given to the window; taken back before the window dies, which
    // would otherwise destroy it a second time.
    TMenuHandle menuBar_;
};

using TMessageEvent = std::function<void(MSG& Msg, bool& Handled)>;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;
    const char* ClassName() const override { return "TApplication"; }

    void Initialize() {}
    // Creates a form owned by the application; the first one becomes the main form.
    template <class T>
    T* CreateForm()
    {
        T* form = new T(this);  // owned by the application
        if (!mainForm_) mainForm_ = form;
        form->AfterConstruction();
        return form;
    }

    HWND Handle();
    TForm* MainForm() const { return mainForm_; }
    // Whether the window the user works in belongs to this program.
    bool Active() const;
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& v);
    HICON Icon();

    void Minimize();
    void Restore();
    void BringToFront();
    // Processes every waiting message, then returns.
    void ProcessMessages();
    // Processes one message, waiting for it if none is there (idle first).
    void HandleMessage();
    // What runs when no message waits: enter and leave notices for the
    // control under the cursor.
    void Idle();
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Destroys every form (last created first) and the application window.
    void FreeForms();
    // Forgets an earlier Terminate (tests that close main forms one after another).
    void ResetTerminated() { terminated_ = false; }
    // Frees the component when the message posted now arrives (deferred
    // release); a component freed before then is simply forgotten.
    void ReleaseLater(TComponent* component);
    // Keyboard routing of our forms: dialog keys and characters go to the
    // form and its controls before the focused window sees them. True when
    // one of them took the message.
    bool IsKeyMsg(const MSG& msg);

    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;
    TMessageEvent OnMessage;

    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool ProcessMessage(MSG& msg);
    void DoMouseIdle();
    void SetMouseControl(TControl* control);
    void ReleasePending();
    bool AppWindowMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The forms other than the main form, with whether each is on screen, and
    // putting such a record back after the system changed it.
    std::vector<std::pair<HWND, bool>> OtherFormsShown() const;
    static void PutBackShown(const std::vector<std::pair<HWND, bool>>& shown);

    std::unique_ptr<TUtilWindow> window_;
    TForm* mainForm_ = nullptr;  // not owned separately: one of our components
    TControl* mouseControl_ = nullptr;  // not owned: the control under the cursor when last idle
    std::vector<HWND> hiddenOnMinimize_;  // the main form, when minimise hid it
    std::vector<TComponent*> pendingRelease_;  // not owned until released: freed by ReleasePending
    std::string title_;
    bool terminated_ = false;
    bool idleOwed_ = true;    // a message other than a synchronised call came since the last idle
    bool wokeEmpty_ = false;  // the last wait ended and no message has been processed since
};

// The process's application object, made on first use.
TApplication* Application();
