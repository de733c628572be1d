// What a full repaint of a skinned control costs under Wine, the copy to the
// window included: a 75 x 25 transparent MacOS push button standing in its
// group box (so each paint also paints the box behind it) and an auto-sized
// check box, each redrawn through RedrawWindow on a shown form. Every paint
// cuts its picture afresh, as the controls always do. Prints milliseconds per
// repaint, the median of 9 rounds, beside the floor Wine sets: the same
// repaint of a plain custom control that only fills its colour.
//
//   control_paint_bench.exe [repaints per round]
#include "BenchClock.h"
#include "SUIButton.h"
#include "SUIGroupBox.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double MedianMsPerRepaint(int repaints, HWND window)
{
    std::vector<double> rounds;
    for (int round = 0; round < 9; ++round) {
        const double start = NowUs();
        for (int i = 0; i < repaints; ++i) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        rounds.push_back((NowUs() - start) / repaints / 1000.0);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    const int repaints = argc > 1 ? std::max(1, std::atoi(argv[1])) : 500;
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

    std::printf("control paint: MacOS button 75x25 transparent over its group box %.3f ms/repaint (%s)\n",
                MedianMsPerRepaint(repaints, button->Handle()), button->Transparent() ? "transparent" : "opaque");
    std::printf("control paint: MacOS check box, auto size %dx%d %.3f ms/repaint\n", box->Width(), box->Height(),
                MedianMsPerRepaint(repaints, box->Handle()));
    std::printf("control paint: floor, plain custom control 75x25 filling its colour %.3f ms/repaint\n",
                MedianMsPerRepaint(repaints, plain->Handle()));
    return 0;
}
