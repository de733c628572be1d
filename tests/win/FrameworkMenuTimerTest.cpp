// Timers and popup menus. A popup menu runs its own modal loop, so a thread
// timer (which that loop dispatches) plays the user and closes it.
#include "ExtCtrls.h"
#include "Menus.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEST(Timer, FiresOnlyWhileEnabled)
{
    TOwnedComponent<TTimer> timer(new TTimer(nullptr));
    timer->SetEnabled(false);
    timer->SetInterval(10);
    int ticks = 0;
    timer->OnTimer = [&](TObject* sender) {
        EXPECT_EQ(sender, timer.get());
        ++ticks;
    };
    EXPECT_FALSE(PumpUntil([&] { return ticks > 0; }, 100));

    timer->SetEnabled(true);
    EXPECT_TRUE(PumpUntil([&] { return ticks >= 3; }));

    // Stopped from its own event: no tick after that one.
    ticks = 0;
    timer->OnTimer = [&](TObject*) {
        ++ticks;
        timer->SetEnabled(false);
    };
    EXPECT_TRUE(PumpUntil([&] { return ticks > 0; }));
    PumpUntil([] { return false; }, 60);
    EXPECT_EQ(ticks, 1);
}

// What the timer does inside the menu's loop; a plain function because a
// TIMERPROC carries no context.
std::function<void(ULONGLONG elapsed)> g_menuTick;
ULONGLONG g_menuStart = 0;

void CALLBACK MenuTick(HWND, UINT, UINT_PTR, DWORD)
{
    const ULONGLONG elapsed = GetTickCount64() - g_menuStart;
    if (elapsed > 2000) EndMenu();  // never leave a test hanging in the loop
    else if (g_menuTick) g_menuTick(elapsed);
}

class PopupMenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        menu = new TPopupMenu(owner.get());
        a = Add("A");
        line = Add("-");
        b = Add("B");
    }

    TMenuItem* Add(const std::string& caption)
    {
        auto* item = new TMenuItem(owner.get());
        item->SetCaption(caption);
        item->OnClick = [this, caption](TObject*) { clicked.push_back(caption); };
        menu->Items()->Add(item);
        return item;
    }

    // Opens the menu; tick runs every 10 ms inside its loop until it closes.
    ULONGLONG PopupWith(std::function<void(ULONGLONG)> tick)
    {
        g_menuTick = std::move(tick);
        g_menuStart = GetTickCount64();
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, MenuTick);
        menu->Popup(120, 90);
        KillTimer(nullptr, timer);
        g_menuTick = nullptr;
        return GetTickCount64() - g_menuStart;
    }

    void PostKey(UINT key) { PostMessageA(menu->WindowHandle(), WM_KEYDOWN, key, 0); }

    TOwnedComponent<TComponent> owner{new TComponent(nullptr)};
    TPopupMenu* menu = nullptr;
    TMenuItem *a = nullptr, *line = nullptr, *b = nullptr;
    std::vector<std::string> clicked;
};

TEST_F(PopupMenuTest, OwnerDrawMeasuresAndDrawsThroughItemEvents)
{
    menu->SetOwnerDraw(true);
    std::map<std::string, int> measured;
    std::map<std::string, RECT> drawn;
    for (TMenuItem* item : {a, line, b}) {
        item->OnMeasureItem = [&, item](TObject* sender, TCanvas& canvas, int& w, int& h) {
            EXPECT_EQ(sender, item);
            EXPECT_NE(canvas.Handle(), nullptr);
            ++measured[item->Caption()];
            w = 120;
            h = item->IsLine() ? 7 : 23;
        };
        item->OnDrawItem = [&, item](TObject*, TCanvas& canvas, RECT r, bool) {
            canvas.Brush().SetColor(RGB(0, 128, 0));
            canvas.FillRect(r);
            drawn[item->Caption()] = r;
        };
    }

    PopupWith([&](ULONGLONG elapsed) {
        if ((drawn.count("A") && drawn.count("B")) || elapsed > 1000) EndMenu();
    });

    EXPECT_GE(measured["A"], 1);
    EXPECT_GE(measured["-"], 1);
    EXPECT_GE(measured["B"], 1);
    ASSERT_EQ(drawn.count("A"), 1u) << "no WM_DRAWITEM reached the item";
    ASSERT_EQ(drawn.count("B"), 1u);
    const RECT ra = drawn["A"], rb = drawn["B"];
    EXPECT_EQ(ra.bottom - ra.top, 23);
    EXPECT_GE(ra.right - ra.left, 120);
    EXPECT_GE(rb.top, ra.bottom + 7) << "the separator's measured height is missing between the items";
    EXPECT_TRUE(clicked.empty());
}

TEST_F(PopupMenuTest, KeysChooseAnItemPastTheSeparatorAndRunItsOnClick)
{
    for (bool ownerDraw : {false, true}) {
        SCOPED_TRACE(ownerDraw ? "owner-drawn" : "plain");
        clicked.clear();
        menu->SetOwnerDraw(ownerDraw);
        bool sent = false;
        const ULONGLONG took = PopupWith([&](ULONGLONG) {
            if (sent) return;
            sent = true;
            PostKey(VK_DOWN);  // A
            PostKey(VK_DOWN);  // past the separator to B
            PostKey(VK_RETURN);
        });
        // Click runs before Popup returns.
        EXPECT_EQ(clicked, (std::vector<std::string>{"B"}));
        EXPECT_LT(took, 2000u) << "the menu only closed on the safety timeout";
    }
}

TEST_F(PopupMenuTest, MenuClosedWithoutChoiceClicksNothing)
{
    PopupWith([&](ULONGLONG) { EndMenu(); });
    EXPECT_TRUE(clicked.empty());

    PopupWith([&](ULONGLONG) { PostKey(VK_ESCAPE); });
    EXPECT_TRUE(clicked.empty());
}

}  // namespace
