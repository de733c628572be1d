#pragma once
// The main window: owns what lives for the whole run (the hook link, the
// notification-area icon, the options read by the hit test, the hidden preview
// browser, the save dialog) and turns each hook report into a caption update and
// a hit test. After start it shrinks into the bottom-right corner and leaves the
// taskbar; the notification-area icon brings it back.
#include "BundleSaver.h"
#include "Dialogs.h"
#include "ExtCtrls.h"
#include "FollowFrame.h"
#include "Forms.h"
#include "HitState.h"
#include "IECache.h"
#include "MapFileUnit.h"
#include "Menus.h"
#include "OleCtrls.h"
#include "PageHost.h"
#include "SUIButton.h"
#include "SUIForm.h"
#include "SUIGroupBox.h"
#include "SUIPopupMenu.h"
#include "SaveReport.h"
#include "ShrinkPlan.h"
#include "StdCtrls.h"

#include <shellapi.h>

class TfrmGet;
class TfrmView;
class TMFHttpGet;

constexpr UINT WM_TRAYNOTIFY = WM_USER + 0x20;  // 0x420, the icon's callback message
constexpr UINT TrayIconId = 200;
constexpr UINT WM_SAVEREPORT = WM_APP + 0x21;  // posted when a finished download has news for the user
constexpr UINT WM_BUNDLEDONE = WM_APP + 0x22;  // posted by a complete save at its end; lParam: the saver
constexpr int SaveCompleteFilter = 2;          // the save dialog's file type "Flash动画，完整 (*.htm)"
constexpr int DesignedHeightCut = 118;
// The balloon's title and text fields, less their terminating zero.
constexpr size_t BalloonTitleMax = std::size(NOTIFYICONDATAW{}.szInfoTitle) - 1;
constexpr size_t BalloonTextMax = std::size(NOTIFYICONDATAW{}.szInfo) - 1;  // the preview group stays below the visible area

// Module-level state of the main unit.
extern UINT HookMessage;             // "WM_QUORVEL", registered at creation
extern HANDLE MouseMapHandle;        // the shared mouse record's mapping
extern TMouseShare* MouseShare;      // its view, or null when not mapped
extern TBoundsI RestoreBounds;       // where the window returns from the tray

class TfrmMain : public TForm, public IPageHost {
public:
    explicit TfrmMain(TComponent* AOwner);
    ~TfrmMain() override;
    const char* ClassName() const override { return "TfrmMain"; }

    // Components, in declaration order.
    TSaveDialog* SaveDialog1 = nullptr;
    TIECache* IECache1 = nullptr;
    TMenuItem* A1 = nullptr;  // the whole-page grab, first in the menu
    TMenuItem* Q1 = nullptr;
    TMenuItem* N1 = nullptr;
    TMenuItem* H1 = nullptr;
    TTimer* Timer1 = nullptr;
    TsuiForm* suiForm1 = nullptr;
    TsuiPopupMenu* PopupMenu1 = nullptr;
    TsuiGroupBox* GroupBox1 = nullptr;
    TsuiButton* btnAbout = nullptr;
    TsuiButton* btnSrc = nullptr;
    TsuiButton* btnQuit = nullptr;
    TGroupBox* GroupBox2 = nullptr;
    TsuiCheckBox* cbTransParent = nullptr;
    TsuiCheckBox* cbFor3721 = nullptr;
    TGroupBox* GroupBox3 = nullptr;
    TWebBrowser* WebBrowser1 = nullptr;
    TsuiCheckBox* cbFindIFRame = nullptr;
    TsuiCheckBox* cbAutoOpenURL = nullptr;

    // What the hit test left: HitRect, LastWnd, PageURL, MoviePath.
    THitState Hit;
    std::string MovieURL;  // the save flow's resolved address
    // The user's last choice between the movie alone and the movie complete,
    // in the save dialog or the whole-page window; each starts with it.
    bool SaveCompleteChosen = false;

    // The grab toolbar and the preview window, once they exist (not owned).
    void SetToolbar(TfrmGet* toolbar);
    void SetPreview(TfrmView* preview);

    // The page inspection's operations; their code lives in the inspection layer.
    void InspectPoint(int x, int y);
    // The toolbar's Save: resolve, ask for a file, copy from the cache or download.
    void SaveMovie();
    void IECache1Entry(TObject* Sender, bool& Cancel);
    ComPtr<IHTMLDocument2> GetDocumentOfWindow(HWND window);
    TFollowResult FollowFrame(ComPtr<IHTMLElement>& E, ComPtr<IHTMLDocument2>& D);

    // What the inspection reads of the main window.
    HWND MainHandle() override { return Handle(); }
    THitState& HitState() override { return Hit; }
    bool TransParentChecked() override { return cbTransParent->Checked(); }
    bool FindIFrameChecked() override { return cbFindIFRame->Checked(); }
    bool AutoOpenURLChecked() override { return cbAutoOpenURL->Checked(); }
    TfrmGet* Toolbar() override { return frmGet_; }
    TfrmView* Preview() override { return frmView_; }
    TWebBrowser* MainBrowser() override { return WebBrowser1; }
    void WndProc(TMessage& m) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    void FormCreate(TObject* Sender);
    void FormClose(TObject* Sender, TCloseAction& Action);
    void FormDestroy(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void suitempbtnSrcClick(TObject* Sender);
    void suitempbtnAboutClick(TObject* Sender);
    void suitempbtnQuitClick(TObject* Sender);
    void A1Click(TObject* Sender);
    // The browser content window the cursor was over last, while it is still open.
    HWND LastPageWindow() const;
    void Q1Click(TObject* Sender);
    void H1Click(TObject* Sender);
    void WMTrayNotify(TMessage& m);
    void AddTrayIcon();
    void RemoveTrayIcon();
    void ShrinkToCorner();
    void AppMinimize(TObject* Sender);

    // Shell_NotifyIconW, replaceable so tests can watch the icon.
    using TNotifyIconCall = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);
    static TNotifyIconCall NotifyIcon;
    // MessageBeep, replaceable so tests can hear the "saved" beep.
    using TBeepCall = BOOL(WINAPI*)(UINT type);
    static TBeepCall Beep;
    // The shell's major version (shell32's DllGetVersion), replaceable so tests
    // can play a shell that shows no balloons.
    using TShellVersionCall = DWORD (*)();
    static TShellVersionCall ShellVersion;

protected:
    void CreateParams(TCreateParams& params) override;

private:
    void BuildLayout();
    void DownloadMovie();
    void SaveComplete();
    void BundleDone(LPARAM saver);
    void CopyMovieFromCache();
    void BuildMenu();
    void HookReport();
    void RestoreFromTray();
    // A running download shows its progress in the icon's tip; when it ends
    // the user hears the beep of a saved movie or gets a box saying what was kept.
    void WatchDownload(TMFHttpGet& request);
    void ForgetDownload(const TMFHttpGet* request);
    void DownloadProgress(TMFHttpGet* request, int contentLength, int received);
    void DownloadEnded(TMFHttpGet* request);
    void ShowSaveReports();
    void SetTrayTip(const std::string& tip);
    // The icon's record with its size, window, id and flags filled in.
    NOTIFYICONDATAW TrayRecord(UINT flags);
    // A whole movie was saved: the beep, and the balloon that describes it.
    void MovieSaved(const std::wstring& file, const TMovieInfo& movie);
    // The balloon at the icon; nothing on shells before version 5.
    void ShowTrayBalloon(const TBalloonText& text);

    TfrmGet* frmGet_ = nullptr;    // not owned
    TfrmView* frmView_ = nullptr;  // not owned
    struct TDownloadWatch {
        TMFHttpGet* Request;  // not owned: it frees itself after its end
        TProgressThrottle Tip;
    };
    std::vector<TDownloadWatch> downloads_;  // the downloads still running
    std::vector<std::string> saveReports_;   // boxes waiting for WM_SAVEREPORT
    std::vector<std::unique_ptr<TBundleSaver>> bundles_;  // the complete saves still running
};

// The major version of the running shell (shell32's DllGetVersion; 4 without it).
DWORD ShellMajorVersion();
// The size of the notification-icon record that shell takes.
DWORD TrayRecordSize(DWORD shellMajor);
// Puts tip (code page 936) into the record as UTF-16, cut to what its size holds.
void PutTrayTip(NOTIFYICONDATAW& nid, const std::string& tip);

// The hook report caption, "鼠标位置: X = %d, Y = %d".
std::string MousePositionCaption(int x, int y);
