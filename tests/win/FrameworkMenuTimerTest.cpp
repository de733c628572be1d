// Timers and popup menus. A popup menu runs its own modal loop, so a thread
// timer (which that loop dispatches) plays the user and closes it.
#include "ExtCtrls.h"
#include "Menus.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <set>
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
DWORD g_menuStart = 0;

void CALLBACK MenuTick(HWND, UINT, UINT_PTR, DWORD)
{
    const ULONGLONG elapsed = GetTickCount() - g_menuStart;
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
        g_menuStart = GetTickCount();
        const UINT_PTR timer = SetTimer(nullptr, 0, 10, MenuTick);
        menu->Popup(120, 90);
        KillTimer(nullptr, timer);
        g_menuTick = nullptr;
        return GetTickCount() - g_menuStart;
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

// A program that rebuilds its menus: 70,000 items come and go, 500 alive at a
// time; every live item keeps a distinct 16-bit command, and the menu built
// afterwards still routes the chosen command to its item.
TEST_F(PopupMenuTest, CommandsAreReusedAndStayDistinctAcrossManyRebuilds)
{
    const int before = LiveMenuCommands();
    std::deque<TOwnedComponent<TMenuItem>> live;
    std::set<UINT> inUse{a->Command(), line->Command(), b->Command()};
    int clashes = 0, outOfRange = 0;
    for (int i = 0; i < 70000; ++i) {
        live.emplace_back(new TMenuItem(nullptr));
        const UINT id = live.back()->Command();
        outOfRange += id == 0 || id > 0xFFFF;
        clashes += !inUse.insert(id).second;
        if (live.size() > 500) {
            inUse.erase(live.front()->Command());
            live.pop_front();
        }
    }
    EXPECT_EQ(clashes, 0);
    EXPECT_EQ(outOfRange, 0);
    live.clear();
    EXPECT_EQ(LiveMenuCommands(), before);

    auto* late = Add("Late");
    EXPECT_EQ(inUse.count(late->Command()), 0u);
    bool sent = false;
    PopupWith([&](ULONGLONG elapsed) {
        if (sent || elapsed < 20) return;
        sent = true;
        for (UINT key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) PostKey(key);  // A, B, Late
    });
    EXPECT_EQ(clicked, (std::vector<std::string>{"Late"}));
}

TEST(MenuCommands, AllNumbersTakenRaisesAndAFreedOneServesAgain)
{
    std::vector<TOwnedComponent<TMenuItem>> live;
    try {
        for (;;) live.emplace_back(new TMenuItem(nullptr));
    } catch (const EMenuError&) {
    }
    ASSERT_GT(live.size(), 60000u) << "far fewer commands than 16 bits allow";
    const UINT freed = live[1234]->Command();
    live[1234].reset();
    TOwnedComponent<TMenuItem> again(new TMenuItem(nullptr));
    EXPECT_EQ(again->Command(), freed);
}

TEST(ShortCutText, ModifiersInOrderAndNothingForNoKey)
{
    EXPECT_EQ(ShortCutToText(ShortCut('S', scCtrl)), "Ctrl+S");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_F12, scShift | scCtrl | scAlt)), "Shift+Ctrl+Alt+F12");
    EXPECT_EQ(ShortCutToText(0), "");
    EXPECT_EQ(ShortCutToText(ShortCut(VK_LBUTTON, scCtrl)), "") << "a key without a name gives no text";
}

// Two 8 x 8 images from one strip: a blue square on white (the mask colour), and white.
TEST(ImageList, MaskedImagesDrawTheirShapeEnabledAndGreyed)
{
    TBitmap::FreeKeptSections();  // only the handles in use are compared
    const int before = LiveHandlesTotal();
    {
        TOwnedComponent<TImageList> list(new TImageList(nullptr, 8, 8));
        EXPECT_EQ(LiveHandles(THandleKind::ImageList), 1);
        TBitmap strip(16, 8);
        strip.Canvas().Brush().SetColor(clWhite);
        strip.Canvas().FillRect(RECT{0, 0, 16, 8});
        strip.Canvas().Brush().SetColor(0xFF0000);
        strip.Canvas().FillRect(RECT{2, 2, 6, 6});
        EXPECT_EQ(list->AddMasked(strip, clWhite), 0);
        EXPECT_EQ(list->Count(), 2);
        EXPECT_EQ(strip.Pixel(0, 0), RGB(255, 255, 255)) << "the caller's picture was changed";

        const COLORREF ground = RGB(0x12, 0x34, 0x56);
        TTestDib shown(40, 20, ground);
        TCanvas canvas(shown.Dc());
        list->Draw(canvas, 0, 0, 0, true);
        list->Draw(canvas, 10, 0, 0, false);
        EXPECT_EQ(shown.Pixel(3, 3), RGB(0, 0, 255));
        EXPECT_EQ(shown.Pixel(0, 0), ground);
        EXPECT_EQ(shown.Pixel(10 + 3, 3), ColorToRGB(clBtnShadow));
        EXPECT_EQ(shown.Pixel(10 + 6, 6), ColorToRGB(clBtnHighlight)) << "no highlight below right of the shape";
    }
    EXPECT_EQ(LiveHandles(THandleKind::ImageList), 0);
    TBitmap::FreeKeptSections();
    EXPECT_EQ(LiveHandlesTotal(), before);
}

TEST(ImageList, MenuForgetsItsImagesWhenTheyGo)
{
    TOwnedComponent<TComponent> owner(new TComponent(nullptr));
    auto* menu = new TPopupMenu(owner.get());
    auto* list = new TImageList(owner.get());
    menu->SetImages(list);
    EXPECT_EQ(menu->Images(), list);
    list->Free();
    EXPECT_EQ(menu->Images(), nullptr);
}

}  // namespace
