// The menu as a player uses it: language, options, creating a world,
// reopening it from the list, and the exit button.
#include "game_fixture.h"

#include <sys/stat.h>

#include <cstring>

namespace {

class Menu : public GameTest {
protected:
    // Share of lit (caption-bright) pixels in a rectangle of the 800 x 600 menu.
    double lit(const xs_image &img, int x0, int y0, int x1, int y1)
    {
        int on = 0, all = 0;
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++, all++) {
                const unsigned char *p = img.at(x, y);
                on += p[0] > 140 && p[1] > 140 && p[2] > 140;
            }
        return (double)on / all;
    }
    // A settings file as the game writes it, so the menu opens on the main page.
    void write_cfg(const char *language)
    {
        unsigned char b[40] = {0};
        b[5] = 3;      // 800
        b[4] = 0x20;
        b[9] = 2;      // 600
        b[8] = 0x58;
        b[20] = 1;
        memcpy(b + 24, language, 3);
        b[28] = 1;
        b[32] = 1;
        FILE *f = fopen((run_dir + "/cfg").c_str(), "wb");
        ASSERT_NE(f, nullptr);
        fwrite(b, 1, sizeof b, f);
        fclose(f);
    }
    bool is_dir(const std::string &relative)
    {
        struct stat st;
        return stat((run_dir + "/" + relative).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
};

TEST_F(Menu, LanguageThenOptionsThenExit)
{
    start_game();
    xs_image language = screenshot("menu-language");
    // The two language pictures stand where the page puts them.
    EXPECT_GT(xs_distinct_colours(language), 100);
    EXPECT_EQ(file("cfg").substr(24, 3), "rus");

    click_menu(650, 400);   // the English picture
    ASSERT_TRUE(wait_file_i32("cfg", 24, 'e' | 'n' << 8 | 'g' << 16, 5)) << xs_output();
    xs_sleep(0.3);
    xs_image main_menu = screenshot("menu-main-eng");
    // Each of the six captions is drawn in the font; left of them is only background.
    for (int k = 0; k < 6; k++)
        EXPECT_GT(lit(main_menu, 300, 252 + 30 * k, 500, 278 + 30 * k), 0.01) << "caption " << k;
    EXPECT_LT(lit(main_menu, 20, 250, 280, 430), 0.001);

    click_menu(400, 325);   // Options
    click_menu(400, 265);   // view distance: 2
    click_menu(400, 265);   // view distance: 3
    click_menu(400, 335);   // fog: off
    xs_image options = screenshot("menu-options");
    EXPECT_GT(lit(options, 250, 252, 550, 282), 0.02);
    click_menu(400, 515);   // Save
    ASSERT_TRUE(wait_file_i32("cfg", 20, 3, 5));
    EXPECT_EQ(i32(file("cfg"), 32), 0);

    click_menu(400, 415);   // Exit
    int status = -100;
    ASSERT_TRUE(xs_wait_exit(10, &status));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(i32(file("cfg"), 20), 3);
}

TEST_F(Menu, RussianMenuShowsCyrillicCaptions)
{
    start_game();
    click_menu(160, 400);   // the Russian picture
    xs_sleep(0.4);
    xs_image img = screenshot("menu-main-rus");
    for (int k = 0; k < 6; k++)
        EXPECT_GT(lit(img, 300, 252 + 30 * k, 500, 278 + 30 * k), 0.01) << "caption " << k;
    quit_and_wait();
}

TEST_F(Menu, CreateAWorldAndOpenItAgainFromTheList)
{
    write_cfg("eng");
    start_game();
    click_menu(400, 265);   // New game: the world list
    xs_image empty_list = screenshot("menu-world-list-empty");
    EXPECT_GT(lit(empty_list, 200, 222, 600, 252), 0.02) << "the no-worlds line";
    click_menu(400, 515);   // Create world: the create page
    for (int i = 0; i < 7; i++)
        xs_key("BackSpace");
    xs_type("e2e world");
    click_menu(400, 405);   // size: medium
    xs_image create = screenshot("menu-create");
    EXPECT_GT(lit(create, 250, 252, 550, 282), 0.02) << "the typed name";
    click_menu(400, 515);   // Create world
    ASSERT_TRUE(xs_wait_output("./saves/e2e worldworld size 20 \n", 10)) << xs_output();
    EXPECT_TRUE(is_dir("saves/e2e world"));
    EXPECT_TRUE(wait_file_i32("cfg", 28, 2, 5));
    ASSERT_TRUE(xs_wait_output("created ", 10));
    quit_and_wait();

    // The next start lists the world; its button starts it again, as wide as it was made.
    start_game();
    click_menu(400, 265);
    xs_image list = screenshot("menu-world-list");
    EXPECT_GT(lit(list, 150, 222, 350, 250), 0.02) << "the world's button";
    click_menu(250, 235);
    ASSERT_TRUE(xs_wait_output("./saves/e2e worldworld size 20 \n", 10)) << xs_output();
    quit_and_wait();
    EXPECT_EQ(i32(file("cfg"), 28), 3);
}

TEST_F(Menu, PointerEventAtTheCentreIsIgnored)
{
    write_cfg("eng");
    start_game();
    xs_move(window, 400, 415);   // over Exit
    xs_sleep(0.2);
    // The centre lies on the second button; an event there is taken for the
    // game's own pointer warp and dropped, so the menu cursor stays on Exit.
    xs_move(window, 400, 300);
    xs_sleep(0.2);
    xs_click(1);
    int status = -100;
    ASSERT_TRUE(xs_wait_exit(10, &status)) << "the click did not reach Exit";
    EXPECT_EQ(status, 0);
}

}  // namespace
