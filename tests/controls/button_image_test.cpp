// Which of a button's images shows in which state.
#include <gtest/gtest.h>
#include "controls/button_image.h"

namespace {

TEST(ButtonImage, PressedThenHoverThenDisabledWithTheNormalFallBack) {
    const int first[4] = {0, 2, 1, 3};
    const int second[4] = {4, 6, 5, 7};
    const int sparse[4] = {0, -1, -1, -1};
    EXPECT_EQ(ChooseButtonImage(first, {}), 0);
    EXPECT_EQ(ChooseButtonImage(first, {true, true, true}), 2);
    EXPECT_EQ(ChooseButtonImage(first, {false, true, true}), 1);
    EXPECT_EQ(ChooseButtonImage(first, {false, false, true}), 3);
    EXPECT_EQ(ChooseButtonImage(second, {false, false, true}), 7);
    EXPECT_EQ(ChooseButtonImage(sparse, {true, false, false}), 0);
    EXPECT_EQ(ChooseButtonImage(sparse, {false, false, true}), 0);
}

}  // namespace
