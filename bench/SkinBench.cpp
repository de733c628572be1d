// What the skinned controls pay for their pictures at every paint, under Wine:
//  1. GetBuiltInBitmap of a button strip, cut to one frame (the controls do it
//     at each paint), per style;
//  2. the same load without the cut, to see what the cut adds;
//  3. DrawNineSlice of a button frame over a 120 x 30 button;
//  4. a 75 x 25 MacOS button frame nine-sliced onto a 75 x 25 buffer through
//     the GDI route and composed in memory, in the same run, with the ratio
//     (the push button repaints through it at every state change: 0.3 ms a
//     whole repaint is the aim).
// Prints microseconds per call; each figure is the median of 9 rounds.
//
//   skin_bench.exe [calls per round]
#include "BenchClock.h"
#include "SUIPublic.h"
#include "SUIThemes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

double MedianUsPerCall(int calls, const std::function<void()>& call)
{
    std::vector<double> rounds;
    for (int round = 0; round < 9; ++round) {
        const double start = NowUs();
        for (int i = 0; i < calls; ++i) call();
        rounds.push_back((NowUs() - start) / calls);
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[rounds.size() / 2];
}

const char* StyleName(TsuiUIStyle style)
{
    switch (style) {
    case TsuiUIStyle::MacOS: return "MacOS";
    case TsuiUIStyle::WinXP: return "WinXP";
    case TsuiUIStyle::DeepBlue: return "DeepBlue";
    case TsuiUIStyle::Protein: return "Protein";
    case TsuiUIStyle::BlueGlass: return "BlueGlass";
    default: return "?";
    }
}

}  // namespace

int main(int argc, char** argv)
{
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    for (auto style : {TsuiUIStyle::MacOS, TsuiUIStyle::WinXP, TsuiUIStyle::DeepBlue, TsuiUIStyle::Protein,
                       TsuiUIStyle::BlueGlass}) {
        TBitmap frame, whole;
        const double sliced = MedianUsPerCall(calls, [&] {
            GetBuiltInBitmap(style, ThemeItem::ButtonImage, &frame, 2, 3);
        });
        const double plain = MedianUsPerCall(calls, [&] {
            GetBuiltInBitmap(style, ThemeItem::ButtonImage, &whole, 0, 0);
        });
        TBitmap canvas(120, 30);
        const double nine = MedianUsPerCall(calls, [&] {
            DrawNineSlice(frame, canvas.Canvas(), RECT{0, 0, 120, 30}, true);
        });
        std::printf("skin %-9s button %3dx%-2d: GetBuiltInBitmap frame 2 of 3 %.1f us/call, whole strip %.1f "
                    "us/call, DrawNineSlice 120x30 %.1f us/call\n",
                    StyleName(style), whole.Width(), whole.Height(), sliced, plain, nine);
    }

    TBitmap frame, buffer(75, 25);
    GetBuiltInBitmap(TsuiUIStyle::MacOS, ThemeItem::ButtonImage, &frame, 1, 3);
    const RECT rect{0, 0, 75, 25};
    const double gdi = MedianUsPerCall(calls, [&] { DrawNineSliceGdi(frame, buffer.Canvas(), rect, true); });
    bool direct = true;
    const double memory = MedianUsPerCall(calls, [&] {
        direct = DrawNineSliceDirect(frame, buffer.Canvas(), rect, true) && direct;
    });
    std::printf("nine-slice MacOS button %dx%d onto 75x25: GDI route %.1f us/call, in memory %.1f us/call%s, "
                "GDI / memory %.1f x\n",
                frame.Width(), frame.Height(), gdi, memory, direct ? "" : " (NOT TAKEN)", gdi / memory);
    return 0;
}
