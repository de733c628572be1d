// The skinned main menu on a skinned frame: it takes the form's own menu
// away, the frame's bar shows its top-level items in order below the title
// bar, item and font changes reach the bar, short cuts run their items only
// while the form is the active one, and a pressed button opens its drop-down.
#include "ExtCtrls.h"
#include "Forms.h"
#include "SUIForm.h"
#include "SUIMainMenu.h"
#include "SUIMenuBar.h"
#include "SUIMenuPaint.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

using I = TsuiUIStyle;

class MainMenu : public ::testing::Test {
protected:
    void SetUp() override
    {
        form_.reset(new TForm(nullptr));
        form_->SetBounds(40, 40, 360, 240);
        frame_ = new TsuiForm(form_.get());
        frame_->SetParent(form_.get());
        form_->Show();
        SetForegroundWindow(form_->Handle());
        PumpPending();
    }
    void TearDown() override
    {
        form_.reset();
        Application()->ProcessMessages();
    }

    // File (Open F5, Save), Edit (disabled), Help: loaded as a form builds it.
    TsuiMainMenu* MakeMenu()
    {
        TLoadScope load(*form_);
        auto* menu = new TsuiMainMenu(form_.get());
        file_ = Add(menu->Items(), "&File");
        open_ = Add(file_, "Open");
        open_->SetShortCut(VK_F5);
        open_->OnClick = [this](TObject*) { ++opened_; };
        Add(file_, "Save");
        Add(menu->Items(), "Edit")->SetEnabled(false);
        Add(menu->Items(), "Help");
        return menu;
    }
    TMenuItem* Add(TMenuItem* parent, const char* caption)
    {
        auto* item = new TMenuItem(form_.get());
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    }
    MSG KeyDown(WORD key) const { return MSG{form_->Handle(), WM_KEYDOWN, key, 0, 0, {}}; }

    TOwnedComponent<TForm> form_;
    TsuiForm* frame_ = nullptr;
    TMenuItem* file_ = nullptr;
    TMenuItem* open_ = nullptr;
    int opened_ = 0;
};

TEST_F(MainMenu, TakesTheFormsOwnMenuAndGivesItselfToTheFrame)
{
    TOwnedComponent<TMainMenu> plain(new TMainMenu(nullptr));
    Add(plain->Items(), "Plain");
    form_->SetMenu(plain.get());
    ASSERT_NE(GetMenu(form_->Handle()), nullptr);

    TsuiMainMenu* menu = MakeMenu();
    EXPECT_EQ(form_->Menu(), nullptr);
    EXPECT_EQ(GetMenu(form_->Handle()), nullptr);
    EXPECT_EQ(frame_->Menu(), menu);
    EXPECT_EQ(menu->Frame(), frame_);
    ASSERT_NE(frame_->MenuBar(), nullptr);

    // Clearing the menu takes the bar away and the back-reference with it;
    // a new assignment makes a bar of MenuBarHeight again.
    frame_->SetMenu(nullptr);
    EXPECT_EQ(frame_->MenuBar(), nullptr);
    EXPECT_EQ(menu->Frame(), nullptr);
    frame_->SetMenuBarHeight(26);
    frame_->SetMenu(menu);
    ASSERT_NE(frame_->MenuBar(), nullptr);
    EXPECT_EQ(frame_->MenuBar()->Height(), 26);

    // The menu going away leaves the frame without a bar, not with a dangling one.
    menu->Free();
    EXPECT_EQ(frame_->Menu(), nullptr);
    EXPECT_EQ(frame_->MenuBar(), nullptr);
}

TEST_F(MainMenu, BarShowsTheItemsInOrderBelowTheTitleBarAndShrinksTheClientArea)
{
    auto* panel = new TPanel(form_.get());
    panel->SetParent(frame_);
    panel->SetAlign(TAlign::alClient);
    const int before = panel->Height();
    MakeMenu();
    TsuiMenuBar* bar = frame_->MenuBar();
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(bar->ButtonCount(), 3);
    EXPECT_EQ(bar->Button(0).caption, "&File");
    EXPECT_EQ(bar->Button(1).caption, "Edit");
    EXPECT_EQ(bar->Button(2).caption, "Help");
    EXPECT_FALSE(bar->Button(1).enabled);
    EXPECT_LT(bar->Button(0).bounds.right, bar->Button(2).bounds.right);
    EXPECT_EQ(bar->Button(0).bounds.right, bar->Button(1).bounds.left);
    EXPECT_EQ(bar->Top(), frame_->TitleBar().Height());
    EXPECT_EQ(bar->Height(), frame_->MenuBarHeight());
    EXPECT_EQ(panel->Height(), before - frame_->MenuBarHeight());

    frame_->RebuildMenuBar();
    frame_->RebuildMenuBar();
    EXPECT_EQ(bar->ButtonCount(), 3);

    frame_->SetMenuBarHeight(30);
    EXPECT_EQ(bar->Button(0).bounds.bottom, 30);
    EXPECT_EQ(panel->Height(), before - 30);
    frame_->SetMenu(nullptr);
    EXPECT_EQ(panel->Height(), before);
}

TEST_F(MainMenu, ItemChangesRefreshTheButtonsWithoutARebuild)
{
    TsuiMainMenu* menu = MakeMenu();
    TsuiMenuBar* bar = frame_->MenuBar();
    const int rebuilds = bar->Rebuilds();
    file_->SetCaption("Datei");
    menu->Items()->Items(1)->SetEnabled(true);
    EXPECT_EQ(bar->Button(0).caption, "Datei");
    EXPECT_TRUE(bar->Button(1).enabled);
    EXPECT_EQ(bar->Rebuilds(), rebuilds);
}

// Reads the bar's buttons when it dies: between its owner's items and its menu.
class TBarProbe : public TComponent {
public:
    TBarProbe(TComponent* owner, TsuiForm* frame, int& seen) : TComponent(owner), frame_(frame), seen_(seen) {}
    ~TBarProbe() override { seen_ = frame_->MenuBar() ? frame_->MenuBar()->ButtonCount() : -1; }

private:
    TsuiForm* frame_;
    int& seen_;
};

// Whatever kind of menu the frame shows, its bar follows the items added and
// freed, and a top-level item without sub-items runs its click from its
// button and from its Alt+letter.
TEST_F(MainMenu, BarFollowsTheItemsOfAnyMenuAndClicksItemsWithoutSubItems)
{
    TPopupMenu* plain = new TMainMenu(form_.get());
    TPopupMenu* popup = new TPopupMenu(form_.get());
    for (TPopupMenu* menu : {plain, popup, static_cast<TPopupMenu*>(MakeMenu())}) {
        frame_->SetMenu(menu);
        TsuiMenuBar* bar = frame_->MenuBar();
        const int before = bar->ButtonCount();
        TMenuItem* go = Add(menu->Items(), "&Go");
        ASSERT_EQ(bar->ButtonCount(), before + 1) << menu->ClassName();
        EXPECT_EQ(bar->Button(before).caption, "&Go");
        int clicks = 0;
        go->OnClick = [&](TObject*) { ++clicks; };
        const RECT b = bar->Button(before).bounds;
        SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((b.left + b.right) / 2, 5));
        EXPECT_TRUE(bar->OpenByKey('G')) << "the key is taken only when it did something";
        EXPECT_EQ(clicks, 2) << menu->ClassName();
        go->Free();
        EXPECT_EQ(bar->ButtonCount(), before) << menu->ClassName();
    }
    // Items dying with their owner tell their menu nothing: the bar still lets them go.
    int seen = -2;
    {
        TOwnedComponent<TComponent> holder(new TComponent(nullptr));
        auto* menu = new TPopupMenu(holder.get());
        new TBarProbe(holder.get(), frame_, seen);
        auto* item = new TMenuItem(holder.get());
        item->SetCaption("Gone");
        menu->Items()->Add(item);
        frame_->SetMenu(menu);
        ASSERT_EQ(frame_->MenuBar()->ButtonCount(), 1);
    }
    EXPECT_EQ(seen, 0);
}

TEST_F(MainMenu, ImagesHideTheCheckMarkListAndNoneKeepsCheckMarks)
{
    TsuiMainMenu* menu = MakeMenu();
    EXPECT_EQ(menu->Images(), nullptr);
    auto drawn = [&](bool checked) {
        open_->SetChecked(checked);
        TTestDib dib(160, 21);
        TCanvas canvas(dib.Dc());
        open_->OnDrawItem(open_, canvas, RECT{0, 0, 160, 21}, false);
        int dark = 0;  // the mark's pixels in the bar, left of the caption
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 24; ++x) dark += GetRValue(dib.Pixel(x, y)) < 0x60;
        return dark;
    };
    ASSERT_TRUE(open_->OnDrawItem);
    EXPECT_GT(drawn(true), drawn(false));
    menu->SetImages(nullptr);
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_GT(drawn(true), drawn(false));

    auto* list = new TImageList(form_.get());
    menu->SetImages(list);
    EXPECT_EQ(menu->Images(), list);
}

TEST_F(MainMenu, UseSystemFontSwitchesTheBarsFont)
{
    TsuiMainMenu* menu = MakeMenu();
    TsuiMenuBar* bar = frame_->MenuBar();
    TFont system;
    AssignMenuFont(system);
    EXPECT_EQ(bar->Font().Name(), system.Name());
    const int narrow = bar->Button(2).bounds.right - bar->Button(2).bounds.left;

    menu->SetFontName("Courier New");
    menu->SetFontSize(24);
    menu->SetUseSystemFont(false);
    EXPECT_EQ(bar->Font().Name(), "Courier New");
    EXPECT_GT(bar->Button(2).bounds.right - bar->Button(2).bounds.left, narrow);

    const int wide = bar->Button(2).bounds.right - bar->Button(2).bounds.left;
    menu->SetFontSize(36);
    EXPECT_GT(bar->Button(2).bounds.right - bar->Button(2).bounds.left, wide) << "a later size reaches the bar";
    menu->SetFontName("Arial");
    EXPECT_EQ(bar->Font().Name(), "Arial");

    menu->SetUseSystemFont(true);
    EXPECT_EQ(bar->Font().Name(), system.Name());
    EXPECT_EQ(bar->Button(2).bounds.right - bar->Button(2).bounds.left, narrow);
}

TEST_F(MainMenu, ShortCutRunsItsItemOnlyWhileTheFormIsActive)
{
    MakeMenu();
    EXPECT_EQ(SendMessageA(form_->Handle(), WM_KEYDOWN, VK_F5, 0), 1);
    EXPECT_EQ(opened_, 1);
    EXPECT_FALSE(frame_->MenuShortCut(KeyDown(VK_F6)));
    open_->SetEnabled(false);
    EXPECT_FALSE(frame_->MenuShortCut(KeyDown(VK_F5)));
    open_->SetEnabled(true);

    TOwnedComponent<TForm> other(new TForm(nullptr));
    other->Show();
    SetForegroundWindow(other->Handle());
    PumpPending();
    ASSERT_FALSE(form_->Active());
    EXPECT_EQ(SendMessageA(form_->Handle(), WM_KEYDOWN, VK_F5, 0), 0);
    EXPECT_EQ(opened_, 1);
}

// Read while the drop-down's modal loop runs, then the menu is closed.
struct TOpenProbe {
    TsuiMenuBar* bar = nullptr;
    int selected = -2;
    COLORREF rightEdge = 0, fill = 0;
};
TOpenProbe* g_probe = nullptr;

void CALLBACK ProbeOpenMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    g_probe->selected = g_probe->bar->SelectedIndex();
    const RECT b = g_probe->bar->Button(0).bounds;
    TTestDib dib(g_probe->bar->Width(), g_probe->bar->Height());
    TCanvas canvas(dib.Dc());
    g_probe->bar->PaintTo(canvas);
    g_probe->rightEdge = dib.Pixel(b.right - 1, b.bottom / 2);
    g_probe->fill = dib.Pixel(b.right - 4, b.bottom / 2);
    EndMenu();
}

TEST_F(MainMenu, PressedButtonOpensItsDropDownDrawnTwoPixelsNarrower)
{
    TsuiMainMenu* menu = MakeMenu();
    menu->SetUIStyle(I::WinXP);
    TsuiMenuBar* bar = frame_->MenuBar();
    TOpenProbe probe;
    probe.bar = bar;
    g_probe = &probe;
    const RECT b = bar->Button(0).bounds;
    SetTimer(nullptr, 0, 150, ProbeOpenMenu);
    SendMessageA(bar->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM((b.left + b.right) / 2, 5));
    g_probe = nullptr;
    EXPECT_EQ(probe.selected, 0);
    const COLORREF fill = ColorToRGB(GetStyleColor(nullptr, I::WinXP, ThemeItem::MenuSelectedBackgroundColor));
    EXPECT_EQ(probe.fill, fill);
    EXPECT_EQ(probe.rightEdge, ColorToRGB(frame_->MenuBarColor()));
    EXPECT_EQ(bar->SelectedIndex(), -1);

    // F10 opens the first button; a disabled button's letter opens nothing.
    probe = TOpenProbe{bar};
    g_probe = &probe;
    SetTimer(nullptr, 0, 150, ProbeOpenMenu);
    EXPECT_TRUE(bar->OpenByKey(VK_F10));
    g_probe = nullptr;
    EXPECT_EQ(probe.selected, 0);
    EXPECT_FALSE(bar->OpenByKey('E'));
}

}  // namespace
