// Windowed controls and forms on real windows: creation order, bounds, painting
// into a memory DC, client size, constraints, closing and destruction.
#include "Forms.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using TLog = std::vector<std::string>;

// Logs its name when its window exists, before its children's windows are made.
template <class Base>
class TCreationLog : public Base {
public:
    TCreationLog(TComponent* owner, const std::string& name, TLog& log) : Base(owner), log_(log)
    {
        this->SetName(name);
    }

protected:
    void CreateWindowDone() override
    {
        log_.push_back(this->Name());
        Base::CreateWindowDone();
    }

private:
    TLog& log_;
};

// Fills its client area with one colour.
class TSolid : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    COLORREF fill = RGB(255, 0, 0);

protected:
    void Paint() override
    {
        Canvas().Brush().SetColor(fill);
        Canvas().FillRect(ClientRect());
    }
};

// Fills far beyond its bounds on purpose: its parent must clip it.
class TBlock : public TGraphicControl {
public:
    using TGraphicControl::TGraphicControl;
    COLORREF fill = RGB(0, 255, 0);

protected:
    void Paint() override
    {
        Canvas().Brush().SetColor(fill);
        Canvas().FillRect(RECT{-50, -50, 500, 500});
    }
};

class WinControl : public ::testing::Test {
protected:
    void TearDown() override
    {
        Application()->FreeForms();
        Application()->ResetTerminated();
        PumpPending();
    }

    // A form owned by the application but not its main form.
    static TForm* NewForm() { return new TForm(Application()); }

    template <class T>
    static T* Child(TWinControl* parent, int l, int t, int w, int h)
    {
        auto* c = new T(parent);
        c->SetParent(parent);
        c->SetBounds(l, t, w, h);
        return c;
    }
};

std::vector<HWND> ChildWindows(HWND parent)
{
    std::vector<HWND> out;
    for (HWND w = GetWindow(parent, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) out.push_back(w);
    return out;
}

using TBounds = std::array<int, 4>;  // left, top, width, height

TBounds BoundsOf(const TControl* c) { return TBounds{c->Left(), c->Top(), c->Width(), c->Height()}; }

RECT RectInParent(HWND wnd)
{
    RECT r;
    GetWindowRect(wnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(wnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

TEST_F(WinControl, WindowsAreMadeParentFirstThenChildrenInTabOrder)
{
    TLog log;
    auto* form = new TCreationLog<TForm>(Application(), "form", log);
    auto* p1 = new TCreationLog<TCustomControl>(form, "p1", log);
    auto* g = new TCreationLog<TCustomControl>(form, "g", log);
    auto* p2 = new TCreationLog<TCustomControl>(form, "p2", log);
    auto* p3 = new TCreationLog<TCustomControl>(form, "p3", log);
    p1->SetParent(form);
    g->SetParent(p1);
    p2->SetParent(form);
    p3->SetParent(form);
    p3->SetTabOrder(0);

    form->HandleNeeded();

    EXPECT_EQ(log, (TLog{"form", "p3", "p1", "g", "p2"}));
    EXPECT_EQ((std::vector<int>{p3->TabOrder(), p1->TabOrder(), p2->TabOrder()}), (std::vector<int>{0, 1, 2}));
    // The dialog manager walks the window order, so it must match the tab order.
    EXPECT_EQ(ChildWindows(form->Handle()), (std::vector<HWND>{p3->Handle(), p1->Handle(), p2->Handle()}));

    p2->SetTabOrder(0);
    EXPECT_EQ((std::vector<int>{p2->TabOrder(), p3->TabOrder(), p1->TabOrder()}), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ChildWindows(form->Handle()), (std::vector<HWND>{p2->Handle(), p3->Handle(), p1->Handle()}));
}

TEST_F(WinControl, BoundsFollowTheWindowAndOriginsFollowTheParent)
{
    TForm* form = NewForm();
    form->SetBounds(50, 60, 300, 200);
    auto* panel = Child<TCustomControl>(form, 10, 20, 100, 50);
    auto* dot = Child<TGraphicControl>(panel, 5, 6, 4, 4);
    form->HandleNeeded();
    const HWND wnd = panel->Handle();

    MoveWindow(wnd, 30, 40, 60, 70, FALSE);
    EXPECT_EQ(BoundsOf(panel), (TBounds{30, 40, 60, 70}));
    SetWindowPos(wnd, nullptr, 0, 0, 80, 90, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(BoundsOf(panel), (TBounds{30, 40, 80, 90}));
    SetWindowPos(form->Handle(), nullptr, 70, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_EQ(form->Left(), 70);
    EXPECT_EQ(form->Top(), 80);

    panel->SetBounds(1, 2, 30, 40);
    EXPECT_EQ(RectInParent(wnd), (RECT{1, 2, 31, 42}));

    POINT formClient{0, 0};
    ClientToScreen(form->Handle(), &formClient);
    EXPECT_EQ(panel->ClientOrigin(), (POINT{formClient.x + 1, formClient.y + 2}));
    EXPECT_EQ(dot->ClientOrigin(), (POINT{formClient.x + 6, formClient.y + 8}));
    EXPECT_EQ(dot->ScreenToClient(dot->ClientToScreen(POINT{3, 1})), (POINT{3, 1}));
}

TEST_F(WinControl, PrintClientPaintsControlThenGraphicChildrenClippedAtTheirOffset)
{
    TForm* form = NewForm();
    auto* box = Child<TSolid>(form, 0, 0, 40, 30);
    auto* block = Child<TBlock>(box, 10, 5, 6, 4);
    auto* hidden = Child<TBlock>(box, 20, 20, 5, 5);
    hidden->fill = RGB(0, 0, 255);
    hidden->Hide();
    TTestDib dib(50, 40);
    const COLORREF untouched = dib.Pixel(45, 35);
    const HGDIOBJ font = GetCurrentObject(dib.Dc(), OBJ_FONT);
    const HGDIOBJ brush = GetCurrentObject(dib.Dc(), OBJ_BRUSH);
    // Paint covers the whole client area, so erasing does nothing and says done.
    EXPECT_EQ(SendMessageA(box->Handle(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.Dc()), 0), 1);
    EXPECT_EQ(dib.Pixel(0, 0), untouched);

    dib.PrintClient(box->Handle());

    const COLORREF red = RGB(255, 0, 0), green = RGB(0, 255, 0);
    EXPECT_EQ(dib.Pixel(0, 0), red);
    EXPECT_EQ(dib.Pixel(39, 29), red);
    EXPECT_EQ(dib.Pixel(40, 29), untouched);
    EXPECT_EQ(dib.Pixel(10, 5), green);
    EXPECT_EQ(dib.Pixel(15, 8), green);
    EXPECT_EQ(dib.Pixel(16, 8), red);
    EXPECT_EQ(dib.Pixel(15, 9), red);
    EXPECT_EQ(dib.Pixel(9, 5), red);
    EXPECT_EQ(dib.Pixel(22, 22), red) << "a hidden graphic child was painted";
    // The DC comes back as it was given.
    POINT org{-1, -1};
    GetViewportOrgEx(dib.Dc(), &org);
    EXPECT_EQ(org, (POINT{0, 0}));
    EXPECT_EQ(GetCurrentObject(dib.Dc(), OBJ_FONT), font);
    EXPECT_EQ(GetCurrentObject(dib.Dc(), OBJ_BRUSH), brush);

    block->SetLeft(30);
    TTestDib again(50, 40);
    again.PrintClient(box->Handle());
    EXPECT_EQ(again.Pixel(10, 5), red);
    EXPECT_EQ(again.Pixel(35, 8), green);
}

TEST_F(WinControl, FormPaintsItsColourResolvedFromSystemColour)
{
    TForm* form = NewForm();
    form->SetClientSize(30, 20);
    TTestDib dib(30, 20);
    dib.PrintClient(form->Handle());
    EXPECT_EQ(dib.Pixel(29, 19), GetSysColor(COLOR_BTNFACE));

    form->SetColor(RGB(1, 2, 3));
    dib.PrintClient(form->Handle());
    EXPECT_EQ(dib.Pixel(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(ColorToRGB(clHighlight), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(ColorToRGB(RGB(9, 8, 7)), RGB(9, 8, 7));
}

TEST_F(WinControl, FreeingControlDestroysItsWindowAndEveryChildWindow)
{
    TForm* form = NewForm();
    auto* panel = Child<TCustomControl>(form, 0, 0, 50, 50);
    TOwnedComponent<TCustomControl> guest(new TCustomControl(nullptr));  // owned elsewhere, parented here
    guest->SetParent(panel);
    const HWND panelWnd = panel->Handle();
    const HWND guestWnd = guest->Handle();
    const HWND raw = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 5, 5, panelWnd, nullptr, nullptr, nullptr);
    ASSERT_TRUE(IsWindow(raw));

    panel->Free();

    EXPECT_FALSE(IsWindow(panelWnd));
    EXPECT_FALSE(IsWindow(guestWnd));
    EXPECT_FALSE(IsWindow(raw));
    EXPECT_FALSE(guest->HandleAllocated());
    EXPECT_EQ(guest->Parent(), nullptr);
    EXPECT_EQ(form->ControlCount(), 0);

    const HWND formWnd = form->Handle();
    form->Free();
    EXPECT_FALSE(IsWindow(formWnd));
}

// ------------------------------------------------------------------- forms

TEST_F(WinControl, SetClientSizeGivesExactlyThatClientArea)
{
    const TFormBorderStyle styles[] = {TFormBorderStyle::bsSizeable, TFormBorderStyle::bsSingle,
                                       TFormBorderStyle::bsDialog, TFormBorderStyle::bsToolWindow,
                                       TFormBorderStyle::bsSizeToolWin, TFormBorderStyle::bsNone};
    for (TFormBorderStyle style : styles) {
        for (int when = 0; when < 3; ++when) {
            SCOPED_TRACE(testing::Message() << "style " << static_cast<int>(style) << ", case " << when);
            TOwnedComponent<TForm> form(new TForm(nullptr));
            if (when != 2) form->SetBorderStyle(style);  // 0: before the window, 1: the window made with it
            if (when != 0) form->HandleNeeded();
            if (when == 2) form->SetBorderStyle(style);  // 2: the frame changed on a live window
            form->SetClientSize(217, 131);
            RECT r;
            GetClientRect(form->Handle(), &r);
            EXPECT_EQ(r, (RECT{0, 0, 217, 131}));
            EXPECT_EQ(form->ClientWidth(), 217);
            EXPECT_EQ(form->ClientHeight(), 131);
        }
    }
}

TEST_F(WinControl, ConstraintsAnswerMinMaxInfoAndBoundResizing)
{
    TOwnedComponent<TForm> form(new TForm(nullptr));
    form->Constraints() = TSizeConstraints{200, 0, 0, 300};
    form->HandleNeeded();

    MINMAXINFO info{};
    info.ptMinTrackSize = POINT{11, 12};
    info.ptMaxTrackSize = POINT{3001, 3002};
    SendMessageA(form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize, (POINT{200, 12}));
    EXPECT_EQ(info.ptMaxTrackSize, (POINT{3001, 300}));

    form->SetBounds(10, 10, 50, 900);
    EXPECT_EQ(form->Width(), 200);
    EXPECT_EQ(form->Height(), 300);
}

TEST_F(WinControl, FormMadeBelowItsMinimumWidthIsWidenedWhenItsWindowIsMade)
{
    TOwnedComponent<TForm> form(new TForm(nullptr));
    form->SetBounds(0, 0, 150, 100);
    form->Constraints().MinWidth = 260;
    form->HandleNeeded();
    RECT r;
    GetWindowRect(form->Handle(), &r);
    EXPECT_EQ(r.right - r.left, 260);
    EXPECT_EQ(form->Width(), 260);
}

TEST_F(WinControl, CloseHidesFormUnlessOnCloseKeepsIt)
{
    TOwnedComponent<TForm> form(new TForm(nullptr));
    TCloseAction answer = TCloseAction::caNone;
    int asked = 0;
    form->OnClose = [&](TObject*, TCloseAction& action) {
        ++asked;
        action = answer;
    };
    form->Show();
    ASSERT_TRUE(IsWindowVisible(form->Handle()));

    SendMessageA(form->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));

    answer = TCloseAction::caHide;
    form->Close();
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(form->Visible());
    EXPECT_TRUE(form->HandleAllocated());

    auto* freed = new TForm(nullptr);
    bool destroyed = false;
    freed->OnDestroy = [&](TObject*) { destroyed = true; };
    freed->OnClose = [](TObject*, TCloseAction& action) { action = TCloseAction::caFree; };
    freed->Show();
    const HWND wnd = freed->Handle();
    SendMessageA(wnd, WM_CLOSE, 0, 0);
    // Freed once the messages waiting now are handled, not inside Close: the
    // caller of Close may be one of the form's own handlers.
    EXPECT_FALSE(destroyed);
    EXPECT_FALSE(IsWindowVisible(wnd));
    Application()->ProcessMessages();
    EXPECT_TRUE(destroyed);
    EXPECT_FALSE(IsWindow(wnd));
}

}  // namespace
