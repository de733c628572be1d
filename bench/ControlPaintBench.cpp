// What a full repaint of a skinned control costs under Wine, the copy to the
// window included, each beside the floor Wine sets in the same run: the same
// repaint of a plain custom control that only fills its colour.
//  - a 75 x 25 transparent MacOS push button standing in its group box (so
//    each paint also paints the box behind it) and an auto-sized check box,
//    each redrawn through RedrawWindow on a shown form;
//  - the main window's MacOS title bar with its sections and buttons
//    (target 1 ms);
//  - one owner-drawn item of the notification-area menu, drawn through the
//    menu's WM_DRAWITEM onto a shown window's DC (target 0.2 ms);
//  - the whole skinned main window, frame and every child (target 3 ms),
//    also against the same tree of windows drawing nothing but a colour.
// Every paint cuts its pictures afresh, as the controls always do (from
// pictures decoded once per process, into sections earlier paints let go).
// Prints milliseconds per repaint, the median of 9 rounds, and the ratio to
// the floor.
// Ends with 1 when a control is missing or has no size.
//
//   control_paint_bench.exe [repaints per round]
#include "BenchClock.h"
#include "SUIButton.h"
#include "SUIGroupBox.h"
#include "main.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

bool __stdcall NoHook(HWND) { return true; }
bool __stdcall NoUnhook() { return true; }
BOOL WINAPI NoIcon(DWORD, PNOTIFYICONDATAW) { return TRUE; }

double MedianMsPerCall(int calls, const std::function<void()>& call)
{
    std::vector<double> rounds;
    for (int round = 0; round < 9; ++round) {
        const double start = NowUs();
        for (int i = 0; i < calls; ++i) call();
        rounds.push_back((NowUs() - start) / calls / 1000.0);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

double MedianMsPerRepaint(int repaints, HWND window, UINT flags = 0)
{
    return MedianMsPerCall(repaints, [&] {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | flags);
    });
}

// One item of an owner-drawn menu as Windows asks for it while the menu is
// open: measured once, then drawn through the menu's window onto a DC of a
// shown window (the menu's own window is the system's, so this stands in for it).
class TMenuItemDraw {
public:
    TMenuItemDraw(TPopupMenu& menu, TMenuItem& item, HWND onto) : menu_(menu), item_(item), dc_(onto)
    {
        MEASUREITEMSTRUCT mis{};
        mis.CtlType = ODT_MENU;
        mis.itemID = 1;
        mis.itemData = reinterpret_cast<ULONG_PTR>(&item);
        SendMessageA(menu.WindowHandle(), WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis));
        width_ = static_cast<int>(mis.itemWidth);
        height_ = static_cast<int>(mis.itemHeight);
    }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void Draw()
    {
        DRAWITEMSTRUCT dis{};
        dis.CtlType = ODT_MENU;
        dis.itemID = 1;
        dis.itemAction = ODA_DRAWENTIRE;
        dis.hwndItem = nullptr;
        dis.hDC = dc_.get();
        dis.rcItem = RECT{0, 0, width_, height_};
        dis.itemData = reinterpret_cast<ULONG_PTR>(&item_);
        SendMessageA(menu_.WindowHandle(), WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    }

private:
    TPopupMenu& menu_;
    TMenuItem& item_;
    TWindowDC dc_;
    int width_ = 0, height_ = 0;
};

// The same tree of windows as a given one, each window only filling its
// colour: what Wine's machinery alone costs to repaint that many windows.
class TBareTree {
public:
    explicit TBareTree(HWND original)
    {
        static const bool registered = RegisterBareClass();
        (void)registered;
        RECT r;
        GetWindowRect(original, &r);
        const LONG style = GetWindowLongA(original, GWL_STYLE) & ~WS_CHILD;
        const LONG exStyle = GetWindowLongA(original, GWL_EXSTYLE);
        top_ = CreateWindowExA(exStyle, kClass, "", style, r.right + 20, r.top, r.right - r.left,
                               r.bottom - r.top, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        Mirror(original, top_);
    }
    ~TBareTree() { DestroyWindow(top_); }
    HWND Handle() const { return top_; }
    int Windows() const { return windows_; }

private:
    static LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_ERASEBKGND) return 1;
        if (msg != WM_PAINT) return DefWindowProcA(wnd, msg, wParam, lParam);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
        EndPaint(wnd, &ps);
        return 0;
    }
    static bool RegisterBareClass()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kClass;
        return RegisterClassA(&wc) != 0;
    }
    void Mirror(HWND from, HWND onto)
    {
        ++windows_;
        for (HWND child = GetWindow(from, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;
            RECT r;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, from, reinterpret_cast<POINT*>(&r), 2);
            const LONG style = GetWindowLongA(child, GWL_STYLE) & (WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN |
                                                                  WS_CLIPSIBLINGS | WS_BORDER);
            HWND copy = CreateWindowExA(0, kClass, "", style, r.left, r.top, r.right - r.left,
                                        r.bottom - r.top, onto, nullptr, GetModuleHandleA(nullptr), nullptr);
            Mirror(child, copy);
        }
    }

    static constexpr const char* kClass = "VkBarePaintWindow";
    HWND top_ = nullptr;
    int windows_ = 0;
};

void Report(const char* what, double ms, double floor, double target = 0)
{
    std::printf("control paint: %s %.3f ms/repaint, %.1f x the floor", what, ms, floor > 0 ? ms / floor : 0.0);
    if (target > 0) std::printf(" (target %.1f ms: %s)", target, ms <= target ? "met" : "MISSED");
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    const int repaints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
    HookLibrary() = THookLibrary{&NoHook, &NoUnhook};
    TfrmMain::NotifyIcon = &NoIcon;

    TOwnedComponent<TForm> form(new TForm(nullptr));
    form->SetBounds(50, 50, 320, 200);
    auto* group = new TsuiGroupBox(form.get());
    group->SetParent(form.get());
    group->SetUIStyle(TsuiUIStyle::MacOS);
    group->SetBounds(8, 8, 273, 57);
    group->SetCaption("操作");
    auto* button = new TsuiButton(form.get());
    button->SetParent(group);
    button->SetUIStyle(TsuiUIStyle::MacOS);
    button->SetBounds(10, 24, 75, 25);
    button->SetCaption("停止(&S)");
    auto* box = new TsuiCheckBox(form.get());
    box->SetParent(form.get());
    box->SetUIStyle(TsuiUIStyle::MacOS);
    box->SetBounds(16, 100, 143, 21);
    box->SetCaption("设置了3721的私隐策略");
    auto* plain = new TCustomControl(form.get());
    plain->SetParent(form.get());
    plain->SetBounds(200, 100, 75, 25);
    form->Show();
    RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);

    TfrmMain* mainForm = Application()->CreateForm<TfrmMain>();
    mainForm->Timer1->SetEnabled(false);  // it would shrink the window into the corner
    mainForm->Show();
    Application()->ProcessMessages();
    TsuiTitleBar& bar = mainForm->suiForm1->TitleBar();
    TMenuItemDraw item(*mainForm->PopupMenu1, *mainForm->Q1, form->Handle());
    if (bar.Width() <= 0 || item.Width() <= 0 || item.Height() <= 0) {
        std::printf("control paint: the title bar (%d wide) or the menu item (%d x %d) has no size\n", bar.Width(),
                    item.Width(), item.Height());
        return 1;
    }

    const double floor = MedianMsPerRepaint(repaints, plain->Handle());
    std::printf("control paint: floor, plain custom control 75x25 filling its colour %.3f ms/repaint\n", floor);
    char what[160];
    Report("MacOS button 75x25 transparent over its group box", MedianMsPerRepaint(repaints, button->Handle()),
           floor);
    std::snprintf(what, sizeof(what), "MacOS check box, auto size %dx%d", box->Width(), box->Height());
    Report(what, MedianMsPerRepaint(repaints, box->Handle()), floor);
    std::snprintf(what, sizeof(what), "main window's MacOS title bar %dx%d, %d sections, %d buttons", bar.Width(),
                  bar.Height(), bar.Sections().Count(), bar.Buttons().Count());
    Report(what, MedianMsPerRepaint(repaints, bar.Handle()), floor, 1.0);
    std::snprintf(what, sizeof(what), "one owner-drawn tray-menu item %dx%d", item.Width(), item.Height());
    Report(what, MedianMsPerCall(repaints, [&] { item.Draw(); }), floor, 0.2);
    std::snprintf(what, sizeof(what), "whole skinned main window %dx%d", mainForm->Width(), mainForm->Height());
    const double whole = MedianMsPerRepaint(std::max(1, repaints / 10), mainForm->Handle(),
                                            RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    Report(what, whole, floor, 3.0);
    // Wine's floor is per window: the same tree of windows drawing nothing
    // but their colour is what the window count alone costs.
    TBareTree bareTree(mainForm->Handle());
    ShowWindow(bareTree.Handle(), SW_SHOWNOACTIVATE);
    Application()->ProcessMessages();
    const double bare = MedianMsPerRepaint(std::max(1, repaints / 10), bareTree.Handle(),
                                           RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    std::printf("control paint: the same %d windows bare, each filling its colour, %.3f ms/repaint; "
                "the skinned window %.1f x that\n",
                bareTree.Windows(), bare, whole / bare);
    mainForm->Free();
    return 0;
}
