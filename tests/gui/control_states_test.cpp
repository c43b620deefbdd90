#include "gui/control_states.h"

#include <gtest/gtest.h>

TEST(ControlStates, StateIndexAndCheckBoxSpritesFollowDisabledPressedHover) {
    EXPECT_EQ(3, GuiStateIndex(false, true, true));
    EXPECT_EQ(2, GuiStateIndex(true, true, true));
    EXPECT_EQ(1, GuiStateIndex(true, false, true));
    EXPECT_EQ(0, GuiStateIndex(true, false, false));
    EXPECT_EQ(6, CheckBoxSprite(false, true, true, true));
    EXPECT_EQ(6, CheckBoxSprite(false, false, false, false));
    EXPECT_EQ(0, CheckBoxSprite(true, false, false, false));
    EXPECT_EQ(1, CheckBoxSprite(true, true, false, false));
    EXPECT_EQ(3, CheckBoxSprite(true, true, true, true));  // pressed wins over hover
    EXPECT_EQ(4, CheckBoxSprite(true, false, false, true));
    EXPECT_EQ(5, CheckBoxSprite(true, true, false, true));
}

TEST(ControlStates, ProgressClipsTheBarAndTheWaitingSegmentSweepsBothWays) {
    EXPECT_EQ(0, ProgressClipWidth(360, 0));
    EXPECT_EQ(180, ProgressClipWidth(360, 50));
    EXPECT_EQ(360, ProgressClipWidth(360, 100));
    EXPECT_EQ(360, ProgressClipWidth(360, 250));  // never past the bar
    EXPECT_FLOAT_EQ(0, WaitingBarValue(0));
    EXPECT_FLOAT_EQ(100, WaitingBarValue(2500));
    EXPECT_FLOAT_EQ(50, WaitingBarValue(3750));
    EXPECT_FLOAT_EQ(0, WaitingBarValue(5000));
    EXPECT_EQ(10, WaitingBarSegmentX(10, 400, 100, WaitingBarValue(0)));      // left edge
    EXPECT_EQ(310, WaitingBarSegmentX(10, 400, 100, WaitingBarValue(2500)));  // right edge: 10 + 400 - 100
}
