// The menu as a player uses it: language, options, creating a world,
// reopening it from the list, and the exit button.
#include "game_fixture.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <functional>

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
    // A world folder last played at the given second.
    void make_world(const std::string &name, long seconds)
    {
        std::string path = run_dir + "/saves/" + name;
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
        timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    // Opens the create page from the main menu and types name over the default.
    void type_new_world_name(const char *name)
    {
        click_menu(400, 265);   // New game
        click_menu(400, 515);   // Create world
        for (int i = 0; i < 20; i++)
            xs_key("BackSpace");
        xs_type(name);
    }
    // A screenshot once the page shows what ready says (a busy machine draws
    // the page a few frames after the click), or the last one after 5 s.
    xs_image screenshot_when(const char *name, const std::function<bool(const xs_image &)> &ready)
    {
        xs_image img;
        for (double t = 0; t < 5; t += 0.1) {
            if (xs_screenshot(window, &img) && ready(img))
                break;
            xs_sleep(0.1);
        }
        return screenshot(name);
    }
    // Pixels of the warm colour the create page writes its refusals in.
    static int warm(const xs_image &img)
    {
        int n = 0;
        for (int y = 448; y < 482; y++)
            for (int x = 100; x < 700; x++) {
                const unsigned char *p = img.at(x, y);
                n += p[0] > 180 && p[1] < 170 && p[2] < 150;
            }
        return n;
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

TEST_F(Menu, FortyWorldsAreListedPageByPageAndEveryOneOpens)
{
    write_cfg("eng");
    // "world 1" was played longest ago; every tenth world has a name as long as the field takes.
    for (int i = 1; i <= 40; i++) {
        char name[32];
        snprintf(name, sizeof name, i % 10 == 0 ? "a nineteen char w%02d" : "world %d", i);
        make_world(name, 100000 + i);
    }
    start_game();
    click_menu(400, 265);   // New game
    xs_image first = screenshot_when("menu-world-list-40-first-page",
                                     [&](const xs_image &img) { return lit(img, 430, 432, 630, 458) > 0.01; });
    // Sixteen captions, the most recent first, both columns inside the screen
    // and every caption inside its button: nothing between the columns.
    for (int k = 0; k < 16; k++) {
        int x = k < 8 ? 170 : 430, y = 220 + 30 * (k % 8);
        EXPECT_GT(lit(first, x, y + 2, x + 200, y + 28), 0.01) << "button " << k;
    }
    EXPECT_LT(lit(first, 372, 220, 428, 460), 0.001) << "a caption spills between the columns";
    EXPECT_LT(lit(first, 632, 220, 800, 460), 0.001) << "a caption spills right of the list";
    click_menu(640, 515);   // next page
    click_menu(640, 515);   // last page
    xs_image last = screenshot_when("menu-world-list-40-last-page",
                                    [&](const xs_image &img) { return lit(img, 430, 220, 630, 460) < 0.001; });
    for (int k = 0; k < 8; k++)
        EXPECT_GT(lit(last, 170, 222 + 30 * k, 370, 248 + 30 * k), 0.01) << "button " << k;
    EXPECT_LT(lit(last, 430, 220, 630, 460), 0.001) << "the last page holds eight worlds";
    click_menu(270, 445);   // its last button: the world played longest ago
    ASSERT_TRUE(xs_wait_output("./saves/world 1world size 10 \n", 10)) << xs_output();
    quit_and_wait();
}

TEST_F(Menu, ATakenNameIsRefusedOnThePageAndTheFieldStaysEditable)
{
    write_cfg("eng");
    make_world("world 1", 1000);
    start_game();
    type_new_world_name("world 1");
    click_menu(400, 515);   // Create world
    xs_image refused = screenshot_when("menu-create-name-taken", [](const xs_image &img) { return warm(img) > 50; });
    EXPECT_GT(warm(refused), 50) << "no message under the lists";
    EXPECT_FALSE(xs_wait_output("world size", 0.5)) << "a taken name started a game";
    xs_key("BackSpace");
    xs_type("7");
    click_menu(400, 515);
    ASSERT_TRUE(xs_wait_output("./saves/world 7world size 10 \n", 10)) << xs_output();
    EXPECT_TRUE(is_dir("saves/world 7"));
    quit_and_wait();
}

TEST_F(Menu, AWorldFolderThatCannotBeMadeIsReportedAndNotPlayed)
{
    write_cfg("eng");
    // ./saves is a plain file: no world folder can be made inside it.
    ASSERT_EQ(rmdir((run_dir + "/saves").c_str()), 0);
    FILE *f = fopen((run_dir + "/saves").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fclose(f);
    start_game();
    type_new_world_name("lost");
    click_menu(400, 515);
    ASSERT_TRUE(xs_wait_output("./saves/lost cannot be created \n", 10)) << xs_output();
    xs_image refused = screenshot_when("menu-create-no-folder", [](const xs_image &img) { return warm(img) > 50; });
    EXPECT_GT(warm(refused), 50) << "no message under the lists";
    EXPECT_EQ(xs_count_output("world size"), 0);
    EXPECT_EQ(i32(file("cfg"), 28), 1);   // no world was started
    quit_and_wait();
}

TEST_F(Menu, CyrillicKeysTypeANameThatIsUtf8OnDisk)
{
    write_cfg("rus");
    start_game();
    type_new_world_name("");
    for (const char *key : {"Cyrillic_em", "Cyrillic_i", "Cyrillic_er", "Cyrillic_io"})
        xs_key(key);
    xs_sleep(0.3);
    screenshot("menu-create-cyrillic-name");
    click_menu(400, 515);   // Create world
    const std::string utf8 = "\xd0\xbc\xd0\xb8\xd1\x80\xd1\x91";   // "мирё"
    ASSERT_TRUE(xs_wait_output(("./saves/" + utf8 + "world size 10 \n").c_str(), 10)) << xs_output();
    EXPECT_TRUE(is_dir("saves/" + utf8));
    quit_and_wait();
}

}  // namespace
