// Playing as a player does: walk, dig the block underfoot, collect its box,
// choose a hot-bar cell and place the block again.
#include "game_fixture.h"

#include <X11/keysym.h>

#include <cstring>

namespace {

class Play : public GameTest {
protected:
    // Pixels that changed between two pictures inside a rectangle.
    static int changed(const xs_image &a, const xs_image &b, int x0, int y0, int x1, int y1)
    {
        int n = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++)
                n += memcmp(a.at(x, y), b.at(x, y), 3) != 0;
        return n;
    }
    // White pixels on the top edge of hot-bar cell i: its frame when selected.
    static int white_frame(const xs_image &img, int i)
    {
        int n = 0;
        int x0 = 210 + 38 * i;
        for (int x = x0 + 2; x < x0 + 32; x++) {
            const unsigned char *p = img.at(x, 566);
            n += p[0] > 230 && p[1] > 230 && p[2] > 230;
        }
        return n;
    }
};

TEST_F(Play, DigCollectSelectAndPlace)
{
    start_new_world();
    xs_focus(window);
    xs_key("Tab");
    ASSERT_TRUE(xs_wait_output("chenged fly 0 \n", 5)) << xs_output();
    xs_sleep(2.5);   // fall to the ground
    look(200, 12);   // straight down, as far as the view goes
    xs_image before = screenshot("play-before");
    // The hot bar: cell 0 selected, its stack of 40 written under the icon.
    EXPECT_GT(white_frame(before, 0), 20);
    EXPECT_LT(white_frame(before, 7), 5);

    // Grass breaks after 176 steps (2.8 s); the player drops into the hole and
    // collects the box, whose earth goes to the first free cell, 7.
    xs_button_down(1);
    EXPECT_TRUE(wait_count_in_cell(7, 15));
    xs_button_up(1);
    xs_sleep(0.3);
    xs_image after = screenshot("play-dug");
    // The earth box went to the first free cell, 7: its icon and count appear.
    EXPECT_GT(changed(before, after, 210 + 38 * 7 + 3, 568, 210 + 38 * 7 + 31, 598), 50);

    xs_key("8");
    xs_sleep(0.3);
    xs_image chosen = screenshot("play-cell-8");
    EXPECT_GT(white_frame(chosen, 7), 20);
    EXPECT_LT(white_frame(chosen, 0), 5);

    look(-100, 4);   // 40 degrees down: the ground ahead, not the own cell
    int lines_before = xs_count_output(" \n");
    xs_click(3);
    xs_sleep(0.5);
    xs_image placed = screenshot("play");
    EXPECT_GT(xs_count_output(" \n"), lines_before) << xs_output();
    // The cell's only block went into the world: the cell is empty again.
    EXPECT_GT(changed(chosen, placed, 210 + 38 * 7 + 3, 568, 210 + 38 * 7 + 31, 598), 50);
    quit_and_wait();
}

}  // namespace
