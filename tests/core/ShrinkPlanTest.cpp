#include "ShrinkPlan.h"

#include <gtest/gtest.h>

TEST(ShrinkSteps, EndsNearBottomRightWithRemainderSize)
{
    const TBoundsI start{714, 530, 296, 237};
    const auto plan = ShrinkSteps(start, 1024, 768);
    ASSERT_EQ(plan.size(), 30u);
    const TBoundsI& last = plan.back();
    EXPECT_EQ(last.Left, 714 + 30 * ((1024 - 714) / 30));
    EXPECT_EQ(last.Top, 530 + 30 * ((768 - 530) / 30));
    EXPECT_GE(last.Left, 1024 - 29);
    EXPECT_LE(last.Left, 1024);
    EXPECT_GE(last.Top, 768 - 29);
    EXPECT_EQ(last.Width, 296 % 30);
    EXPECT_EQ(last.Height, 237 % 30);
}

TEST(ShrinkSteps, StepsAreEqualAndMonotonic)
{
    const auto plan = ShrinkSteps({100, 50, 300, 200}, 1280, 1024);
    for (size_t i = 1; i < plan.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(plan[i].Left - plan[i - 1].Left, (1280 - 100) / 30);
        EXPECT_EQ(plan[i - 1].Width - plan[i].Width, 10);
    }
}

TEST(ShrinkSteps, DivisionTruncatesTowardZeroOffScreen)
{
    // A window right of and below the screen moves back by steps rounded toward zero.
    const auto plan = ShrinkSteps({1100, 800, 29, 59}, 1024, 768);
    EXPECT_EQ(plan.front().Left, 1100 + (-76 / 30));   // -2, not -3
    EXPECT_EQ(plan.front().Top, 800 + (-32 / 30));     // -1
    EXPECT_EQ(plan.back().Width, 29);                  // 29 / 30 == 0: never shrinks
    EXPECT_EQ(plan.back().Height, 59 - 30);
}

TEST(ShrinkSteps, NoStepsGivesEmptyPlan)
{
    EXPECT_TRUE(ShrinkSteps({0, 0, 10, 10}, 100, 100, 0).empty());
}
