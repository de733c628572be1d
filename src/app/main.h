#pragma once
// The main window: owns what lives for the whole run (the hook link, the
// notification-area icon, the options read by the hit test, the hidden preview
// browser, the save dialog) and turns each hook report into a caption update and
// a hit test. After start it shrinks into the bottom-right corner and leaves the
// taskbar; the notification-area icon brings it back.
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "Forms.h"
#include "HitState.h"
#include "MapFileUnit.h"
#include "Menus.h"
#include "ShrinkPlan.h"
#include "StdCtrls.h"

#include <shellapi.h>

class TfrmGet;

constexpr UINT WM_TRAYNOTIFY = WM_USER + 0x20;  // 0x420, the icon's callback message
constexpr UINT TrayIconId = 200;
constexpr int DesignedHeightCut = 118;  // the preview group stays below the visible area

// Module-level state of the main unit.
extern UINT HookMessage;             // "WM_QUORVEL", registered at creation
extern HANDLE MouseMapHandle;        // the shared mouse record's mapping
extern TMouseShare* MouseShare;      // its view, or null when not mapped
extern TBoundsI RestoreBounds;       // where the window returns from the tray

// Stand-in for the skinned frame until the skinned controls exist: the frame's
// background and border, a title strip with the caption, and the rule that its
// caption is also the window's caption.
class TFramePanel : public TCustomPanel {
public:
    explicit TFramePanel(TComponent* AOwner);
    const char* ClassName() const override { return "TFramePanel"; }
    void SetText(const std::string& v) override;
    TColor BorderColor() const { return borderColor_; }
    void SetBorderColor(TColor v) { borderColor_ = v; Invalidate(); }
    TFont& TitleFont() { return titleFont_; }

protected:
    void Paint() override;

private:
    TColor borderColor_ = clGray;
    TFont titleFont_;
};

class TfrmMain : public TForm {
public:
    explicit TfrmMain(TComponent* AOwner);
    const char* ClassName() const override { return "TfrmMain"; }

    // Components, in declaration order.
    TSaveDialog* SaveDialog1;
    TMenuItem* Q1;
    TMenuItem* N1;
    TMenuItem* H1;
    TTimer* Timer1;
    TFramePanel* suiForm1;
    TPopupMenu* PopupMenu1;
    TGroupBox* GroupBox1;
    TButton* btnAbout;
    TButton* btnSrc;
    TButton* btnQuit;
    TGroupBox* GroupBox2;
    TCheckBox* cbTransParent;
    TCheckBox* cbFor3721;
    TGroupBox* GroupBox3;
    TCheckBox* cbFindIFRame;
    TCheckBox* cbAutoOpenURL;

    // What the hit test left: HitRect, LastWnd, PageURL, MoviePath.
    THitState Hit;
    std::string MovieURL;  // the save flow's resolved address

    // The grab toolbar, once it exists (not owned).
    void SetToolbar(TfrmGet* toolbar);
    TfrmGet* Toolbar() const { return frmGet_; }

    void InspectPoint(int x, int y);
    void WndProc(TMessage& m) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void suitempbtnSrcClick(TObject* Sender);
    void suitempbtnAboutClick(TObject* Sender);
    void suitempbtnQuitClick(TObject* Sender);
    void Q1Click(TObject* Sender);
    void H1Click(TObject* Sender);
    void WMTrayNotify(TMessage& m);
    void AddTrayIcon();
    void RemoveTrayIcon();
    void ShrinkToCorner();
    void AppMinimize(TObject* Sender);

    // Shell_NotifyIconA, replaceable so tests can watch the icon.
    using TNotifyIconCall = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAA data);
    static TNotifyIconCall NotifyIcon;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    void BuildLayout();
    void BuildMenu();
    void HookReport();
    void RestoreFromTray();

    TfrmGet* frmGet_ = nullptr;  // not owned
};

// The hook report caption, "鼠标位置: X = %d, Y = %d".
std::string MousePositionCaption(int x, int y);
