#pragma once
// The start-up shrink of the main window: a fixed number of equal steps that move
// the window toward the bottom-right corner of the screen while it shrinks.
#include <vector>

struct TBoundsI {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
    bool operator==(const TBoundsI&) const = default;
};

constexpr int ShrinkStepCount = 30;
constexpr int ShrinkStepPauseMs = 10;

// Every intermediate window bounds, first step first. Each step is an integer
// division rounding toward zero, so the last position lies within
// ShrinkStepCount - 1 pixels of the screen's right and bottom edges and the
// last size is the remainder of the start size.
std::vector<TBoundsI> ShrinkSteps(const TBoundsI& start, int screenWidth, int screenHeight,
                                  int steps = ShrinkStepCount);
