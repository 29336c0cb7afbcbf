// Keyboard and pointer routing in the menu.
#include "app/input.h"

#include "app/config.h"
#include "app/engine.h"
#include "player/physics.h"

#include <gtest/gtest.h>

namespace {

TEST(Input, KeysAreHeldUntilReleasedAndDigitsChooseCells)
{
    testing::internal::CaptureStdout();
    Key('w', 0, 0);
    EXPECT_EQ(keys['w'], 1);
    KeyUp('w', 0, 0);
    EXPECT_EQ(keys['w'], 0);
    Key('3', 0, 0);
    EXPECT_EQ(cells_active, 2);
    Key('0', 0, 0);
    EXPECT_EQ(cells_active, 9);
    Key(255, 0, 0);
    EXPECT_EQ(keys[255], 1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "119 \n");
}

TEST(Input, ReleasingALetterInTheOtherCaseReleasesIt)
{
    // Shift let go before the letter, or pressed while it is held.
    const struct {
        unsigned char press, release;
    } cases[] = {{'W', 'w'}, {'w', 'W'}, {'A', 'a'}, {'d', 'D'}};
    testing::internal::CaptureStdout();
    for (const auto &c : cases) {
        Key(c.press, 0, 0);
        KeyUp(c.release, 0, 0);
        EXPECT_EQ(keys[c.press], 0) << c.press;
        EXPECT_EQ(keys[c.release], 0) << c.press;
    }
    testing::internal::GetCapturedStdout();
}

TEST(Input, TabTogglesFlyingAndSpaceJumps)
{
    int first = fly_mode;
    testing::internal::CaptureStdout();
    Key(9, 0, 0);
    Key(9, 0, 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(fly_mode, first);
    EXPECT_EQ(out, "chenged fly " + std::to_string(!first) + " \nchenged fly " + std::to_string(first) + " \n");
    jump = 0;
    Key(32, 0, 0);
    EXPECT_EQ(jump, 1);
}

TEST(Input, MenuPointerIsScaledAndTheCentreIsDropped)
{
    gui = 1;
    game_param *p = get_par_str();
    p->window_width = 1600;
    p->window_height = 1200;
    PassiveMotion(400, 300);
    EXPECT_EQ(mouse_x, 200);
    EXPECT_EQ(mouse_y, 150);
    EXPECT_EQ(sm_x, -400);
    EXPECT_EQ(sm_y, -300);
    PassiveMotion(800, 600);   // the centre: the warp's own event
    EXPECT_EQ(mouse_x, 200);
    EXPECT_EQ(sm_x, -400);
    PassiveMotion(1599, 1199);
    EXPECT_EQ(mouse_x, 799);
    EXPECT_EQ(mouse_y, 599);
}

}  // namespace
