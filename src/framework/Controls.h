#pragma once
// Controls: TControl (a rectangle with a parent, text, font and colour),
// TGraphicControl (windowless, painted and fed mouse input by its parent),
// TWinControl (one HWND) and TCustomControl (a window with its own canvas).
//
// Each windowed object is bound to its HWND (GWLP_USERDATA) on the window's
// first message, handed over in a thread-local while CreateWindowExW runs:
// top-level windows get WM_GETMINMAXINFO even before WM_NCCREATE. Windows of
// system classes (BUTTON) are subclassed after creation instead. One static thunk catches every exception so none crosses a
// frame that Windows owns.
#include "Classes.h"
#include "Graphics.h"

#include <windowsx.h>

#include <functional>
#include <string>
#include <vector>

struct TMessage {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
    LRESULT Result;
};

// Framework notifications, in the private range the controls share.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGKEY = CM_BASE + 6;
constexpr UINT CM_DIALOGCHAR = CM_BASE + 7;
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 9;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 10;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 13;
constexpr UINT CM_COLORCHANGED = CM_BASE + 14;
constexpr UINT CM_FONTCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
// Sent down from the top window to every control when the focus moved; LParam
// is the control that has it now.
constexpr UINT CM_FOCUSCHANGED = CM_BASE + 21;
// Posted to the application window: free the components waiting for release.
constexpr UINT CM_RELEASE = CM_BASE + 22;
// Notifications reflected from a parent back to the child window that sent them.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;  // MK_* flags of the mouse message; keys add ssAlt
constexpr TShiftState ssAlt = 0x1000;
// The shift keys held now, as MK_SHIFT, MK_CONTROL and ssAlt.
TShiftState KeyboardShiftState();
// Whether ch is the accelerator of a caption: the character after a single
// "&", compared without letter case.
bool IsAccel(unsigned ch, const std::string& caption);
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TWndMethod = std::function<void(TMessage&)>;

class TWinControl;

class TControl : public TComponent {
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;
    const char* ClassName() const override { return "TControl"; }

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* AParent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    RECT BoundsRect() const { return RECT{left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect() const { return RECT{0, 0, width_, height_}; }
    int ClientWidth() const { RECT r = ClientRect(); return r.right - r.left; }
    int ClientHeight() const { RECT r = ClientRect(); return r.bottom - r.top; }
    virtual POINT ClientOrigin() const;  // screen position of the client's top-left corner
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool v);
    // Caption and Text are the same string (code page 936 bytes).
    const std::string& Caption() const { return text_; }
    void SetCaption(const std::string& v) { SetText(v); }
    const std::string& Text() const { return text_; }
    virtual void SetText(const std::string& v);
    TFont& Font() { return font_; }
    void SetFont(const TFont& f) { font_.Assign(f); }
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    TAlign Align() const { return align_; }
    // The parent lays out its aligned children again.
    void SetAlign(TAlign v);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& v) { hint_ = v; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool v) { showHint_ = v; }
    bool MouseInControl() const { return mouseInControl_; }

    virtual void Invalidate();
    void Repaint();
    // Sends a message straight to the control's window procedure.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // The window procedure in use: WndProc unless a hook replaced it.
    TWndMethod WindowProc() const;
    void SetWindowProc(TWndMethod proc) { windowProc_ = std::move(proc); }
    void Dispatch(TMessage& m);
    virtual void WndProc(TMessage& m);
    virtual void DefaultHandler(TMessage& m);
    virtual void Click();

    TNotifyEvent OnClick;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    // Called after the bounds fields changed (the window already moved).
    virtual void Resized() {}
    void SetBoundsFields(int l, int t, int w, int h);
    // Whether a press and release of the left button inside the control clicks it.
    bool clickEvents_ = false;

private:
    friend class TWinControl;  // keeps parent_ in step with its list of children
    // False when a user event freed the control.
    bool MouseButton(TMessage& m, TMouseButton button, bool down);
    void CMMouseEnter(TMessage& m);
    void CMMouseLeave(TMessage& m);
    void ParentFontChanged();
    void ParentColorChanged();

    TWinControl* parent_ = nullptr;  // not owned
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string text_;
    TFont font_;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    bool parentFont_ = true;
    TAlign align_ = TAlign::alNone;
    std::string hint_;
    bool showHint_ = false;
    bool mouseInControl_ = false;
    bool clicked_ = false;
    TWndMethod windowProc_;
};

// A control without a window of its own; its parent paints it and routes mouse
// messages to it.
class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* AOwner);
    const char* ClassName() const override { return "TGraphicControl"; }
    TCanvas& Canvas() { return canvas_; }
    // Paints into dc, whose origin is the control's top-left corner.
    void PaintTo(HDC dc);

protected:
    virtual void Paint() {}

private:
    TCanvas canvas_;
};

struct TCreateParams {
    std::string Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    UINT ClassStyle = CS_DBLCLKS;
    // Our own window class; empty for a system class, named in SysClassName.
    std::string WinClassName;
    std::string SysClassName;
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;
    const char* ClassName() const override { return "TWinControl"; }

    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded();
    void DestroyHandle();
    // The object behind one of our windows, or null for any other window.
    static TWinControl* FindControl(HWND wnd);
    // A window of a system class (BUTTON) that we subclassed.
    bool IsSystemClass() const { return oldProc_ != nullptr; }

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int i) const { return controls_[i]; }
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    // The topmost visible graphic child at a client point, or null.
    TControl* ControlAtPos(POINT p) const;

    int TabOrder() const { return tabOrder_; }
    void SetTabOrder(int v);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    bool Focused() const;
    virtual bool CanFocus() const;
    void SetFocus();
    // The next (or previous) control after `current` among this window's
    // descendants that take the focus with Tab, in tab order, wrapping round.
    TWinControl* FindNextControl(TWinControl* current, bool forward) const;

    // Lays the aligned children out in the client rectangle that
    // AdjustClientRect leaves: top, bottom, left and right ones in turn take
    // their strip, the client-aligned ones the rest.
    void Realign();
    virtual void AdjustClientRect(RECT& rect) { (void)rect; }

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetVisible(bool v) override;
    void SetEnabled(bool v) override;
    void SetText(const std::string& v) override;
    RECT ClientRect() const override;
    POINT ClientOrigin() const override;
    void Invalidate() override;
    void Update();
    void WndProc(TMessage& m) override;
    void DefaultHandler(TMessage& m) override;
    // Paints the windowless children into dc (client coordinates).
    void PaintControls(HDC dc);

    static LRESULT CALLBACK StdWndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

protected:
    void BeforeDestruction() override;
    void Resized() override { Realign(); }
    virtual void AlignControls(RECT& rect);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // Focus gained and lost; the base runs OnEnter and OnExit.
    virtual void DoEnter();
    virtual void DoExit();
    // Sends the message to each child until one sets a result.
    void Broadcast(TMessage& m);
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    // Runs once the window exists, before the children's windows are made.
    virtual void CreateWindowDone() {}
    // Paints the control itself (dc in client coordinates); then PaintControls runs.
    virtual void PaintWindow(HDC) {}
    // Brush for WM_CTLCOLOR* answers and background fills: the control's Color.
    HBRUSH ColorBrush();

private:
    void WMPaint(TMessage& m);
    void WMWindowPosChanged(TMessage& m);
    void WMNCDestroy(TMessage& m);
    void WMMouseMove(TMessage& m);
    void WMMouseLeave(TMessage& m);
    void WMCaptureChanged(TMessage& m);
    void WMSetFocus(TMessage& m);
    void WMKey(TMessage& m);
    void AppendTabStops(std::vector<TWinControl*>& list) const;
    bool RouteMouseToGraphic(TMessage& m);
    bool ReflectToChild(TMessage& m, HWND child, UINT reflected);
    void UpdateHover(TControl* over);
    void ApplyFont();

    HWND handle_ = nullptr;          // owned: destroyed with the object
    WNDPROC oldProc_ = nullptr;      // system class procedure, when subclassed
    std::vector<TControl*> controls_;  // not owned (owners destroy them)
    TControl* captureControl_ = nullptr;  // not owned: graphic child holding the mouse
    TControl* hoverControl_ = nullptr;    // not owned: graphic child under the mouse
    bool trackingLeave_ = false;
    int tabOrder_ = -1;
    bool tabStop_ = false;
    TBrush colorBrush_;
};

// A window with its own canvas and a Paint of its own. The background is never
// erased by the system: Paint covers the whole client area.
class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* AOwner);
    const char* ClassName() const override { return "TCustomControl"; }
    TCanvas& Canvas() { return canvas_; }
    void WndProc(TMessage& m) override;

protected:
    void PaintWindow(HDC dc) override;
    // Default: fills the client area with Color.
    virtual void Paint();

private:
    TCanvas canvas_;
};

HINSTANCE MainInstance();
