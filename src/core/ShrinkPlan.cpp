#include "ShrinkPlan.h"

std::vector<TBoundsI> ShrinkSteps(const TBoundsI& start, int screenWidth, int screenHeight, int steps)
{
    std::vector<TBoundsI> plan;
    if (steps <= 0)
        return plan;
    // C++ division truncates toward zero, as the animation requires for windows
    // that start right of or below the screen.
    const int dx = (screenWidth - start.Left) / steps;
    const int dy = (screenHeight - start.Top) / steps;
    const int dw = start.Width / steps;
    const int dh = start.Height / steps;
    plan.reserve(steps);
    TBoundsI b = start;
    for (int i = 0; i < steps; ++i) {
        b.Left += dx;
        b.Top += dy;
        b.Width -= dw;
        b.Height -= dh;
        plan.push_back(b);
    }
    return plan;
}
