// A world started from the menu is streamed in round the camera and drawn.
#include "game_fixture.h"

#include <cstring>

namespace {

class World : public GameTest {
protected:
    // Starts a new world through the menu: New game, Create world, Create world.
    void start_new_world()
    {
        start_game();
        click_menu(160, 400);   // first start: the language page
        click_menu(400, 265);
        click_menu(400, 515);
        click_menu(400, 515);
        ASSERT_TRUE(xs_wait_output("world size 10 \n", 10)) << xs_output();
    }
    // Share of pixels in a rectangle for which test holds.
    template <typename F>
    double share(const xs_image &img, int x0, int y0, int x1, int y1, F test)
    {
        int yes = 0, all = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++, all++)
                yes += test(img.at(x, y));
        return (double)yes / all;
    }
};

TEST_F(World, ThirtySixChunksAreBuiltAndTheGroundAndSkyAreDrawn)
{
    start_new_world();
    for (int i = 0; i < 200 && xs_count_output("created ") < 36; i++)
        xs_sleep(0.1);
    ASSERT_EQ(xs_count_output("created "), 36) << xs_output();
    EXPECT_EQ(xs_count_output("created 0,3 3 3 \n"), 1);
    EXPECT_EQ(xs_count_output("created 35,5 5 6 \n"), 1);
    // Let the morning come up a little: the sky brightens with the world clock.
    xs_sleep(6);
    look(-200, 12);   // straight up and past it: only sky
    xs_image up = screenshot("world-sky");
    const unsigned char *sky = up.at(400, 300);
    EXPECT_GE(sky[2], sky[0]);
    EXPECT_GT(sky[2], 40) << "the morning sky is not dark any more";
    EXPECT_GT(xs_fraction_near(up, 0, 0, 800, 600, sky[0], sky[1], sky[2], 8), 0.8);
    look(200, 12);    // 80 degrees down: the ground below
    xs_image down = screenshot("world-ground");
    double grass = share(down, 0, 0, 800, 560, [](const unsigned char *p) {
        return p[1] > p[0] + 8 && p[1] > p[2] + 8;
    });
    EXPECT_GT(grass, 0.3) << "grass share " << grass;
    look(-100, 5);    // 30 degrees down, for the picture in the README
    screenshot("world");
    EXPECT_TRUE(xs_wait_title(window, "Quarrow, v0.10, win32, FPS: ", 3));
    int fps = atoi(xs_title(window).c_str() + strlen("Quarrow, v0.10, win32, FPS: "));
    EXPECT_GT(fps, 0);
    RecordProperty("fps", fps);
    quit_and_wait();
}

}  // namespace
