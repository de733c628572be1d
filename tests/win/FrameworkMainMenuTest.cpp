// The main menu as a form's system menu bar: its owner-drawn entries measured
// and drawn through the form, its commands run, item changes reported, and
// short cuts matched with their modifiers.
#include "Forms.h"
#include "Menus.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

class MainMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form_.reset(new TForm(nullptr));
        menu_ = new TMainMenu(form_.get());
        file_ = Add(menu_->Items(), "File");
        open_ = Add(file_, "Open");
        open_->OnClick = [this](TObject*) { ++clicks_; };
    }
    TMenuItem* Add(TMenuItem* parent, const char* caption)
    {
        auto* item = new TMenuItem(form_.get());
        item->SetCaption(caption);
        parent->Add(item);
        return item;
    }

    TOwnedComponent<TForm> form_;
    TMainMenu* menu_ = nullptr;
    TMenuItem* file_ = nullptr;
    TMenuItem* open_ = nullptr;
    int clicks_ = 0;
};

TEST_F(MainMenuTest, FormShowsTheBarAndRoutesOwnerDrawAndCommandsToTheMenu)
{
    menu_->SetOwnerDraw(true);
    int measured = 0, drawn = 0;
    menu_->OnMeasureItem = [&](TObject* s, TCanvas&, int& w, int& h) { measured += s == file_; w = 50; h = 20; };
    menu_->OnDrawItem = [&](TObject* s, TCanvas&, RECT, bool) { drawn += s == file_; };
    form_->SetMenu(menu_);
    const HWND wnd = form_->Handle();
    const HMENU bar = GetMenu(wnd);
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(GetMenuItemCount(bar), 1);
    EXPECT_NE(GetSubMenu(bar, 0), nullptr);

    // The system measures and draws the bar's entries itself too (Wine does
    // while laying the bar out): count only the messages sent here.
    PumpPending();
    const int measuredBefore = measured, drawnBefore = drawn;
    MEASUREITEMSTRUCT mis{ODT_MENU, 0, 0, 0, 0, reinterpret_cast<ULONG_PTR>(file_)};
    EXPECT_EQ(SendMessageA(wnd, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mis)), TRUE);
    EXPECT_EQ(mis.itemHeight, 20u);
    TTestDib dib(50, 20);
    DRAWITEMSTRUCT dis{ODT_MENU, 0, 0, 0, 0, nullptr, dib.Dc(), RECT{0, 0, 50, 20}, reinterpret_cast<ULONG_PTR>(file_)};
    SendMessageA(wnd, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&dis));
    EXPECT_EQ(measured, measuredBefore + 1);
    EXPECT_EQ(drawn, drawnBefore + 1);

    SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(open_->Command(), 0), 0);
    EXPECT_EQ(clicks_, 1);
    // An accelerator's notification code (1) or a control's command is not ours.
    SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(open_->Command(), 1), 0);
    EXPECT_EQ(clicks_, 1);

    // The menu going away takes the bar off the window.
    menu_->Free();
    EXPECT_EQ(form_->Menu(), nullptr);
    EXPECT_EQ(GetMenu(wnd), nullptr);
}

TEST_F(MainMenuTest, ItemChangesReachTheMenuOnlyWhenAValueChanges)
{
    int changes = 0;
    menu_->OnChange = [&](TObject* s) { changes += s == menu_; };
    open_->SetCaption("Open...");
    open_->SetEnabled(false);
    open_->SetEnabled(false);
    open_->SetCaption("Open...");
    EXPECT_EQ(changes, 2);
    Add(file_, "Close");
    EXPECT_EQ(changes, 3);

    // An item outside every menu tells nobody.
    TMenuItem* loose = new TMenuItem(form_.get());
    loose->SetCaption("x");
    EXPECT_EQ(changes, 3);
    menu_->OnChange = nullptr;
}

TEST_F(MainMenuTest, ShortCutNeedsItsModifiersAndAnEnabledItem)
{
    open_->SetShortCut(ShortCut('O', scCtrl));
    const MSG key{nullptr, WM_KEYDOWN, 'O', 0, 0, {}};
    EXPECT_FALSE(menu_->IsShortCut(key));  // Ctrl is up
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    EXPECT_TRUE(menu_->IsShortCut(key));
    EXPECT_EQ(clicks_, 1);
    file_->SetEnabled(false);  // a disabled parent hides its items' short cuts
    EXPECT_FALSE(menu_->IsShortCut(key));
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(clicks_, 1);
}

}  // namespace
