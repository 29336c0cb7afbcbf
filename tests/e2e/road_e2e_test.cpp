// The player's road through the real game: first start, the menus, a world
// named in Russian, walking, digging, collecting, placing, leaving, and the
// world reopened from the list with its edits.
#include "game_fixture.h"

#include <cstdio>

namespace {

using E2eRoad = GameTest;

const char *const WORLD = "saves/\xd0\xbc\xd0\xb8\xd1\x80\xd1\x91";   // "мирё"

TEST_F(E2eRoad, StartMenusCreatePlayLeaveAndReopen)
{
    start_game();
    std::string cfg = file("cfg");
    ASSERT_EQ(cfg.size(), 40u);
    EXPECT_EQ(i32(cfg, 4), 800);
    EXPECT_EQ(i32(cfg, 8), 600);
    EXPECT_EQ(cfg.substr(24, 4), std::string("rus", 4));
    click_menu(160, 400);   // the language page: Russian
    click_menu(400, 265);   // New game
    click_menu(400, 515);   // Create world: the create page
    for (int i = 0; i < 10; i++)
        xs_key("BackSpace");
    for (const char *key : {"Cyrillic_em", "Cyrillic_i", "Cyrillic_er", "Cyrillic_io"})
        xs_key(key);
    click_menu(400, 515);   // Create world
    ASSERT_TRUE(wait_output((std::string("./") + WORLD + "world size 10 \n").c_str())) << xs_output();
    ASSERT_TRUE(wait_output("created ", 36));

    // Moves longer than the window reaches, the first from where the click
    // left the pointer: each is taken and the pointer put back, down to the feet.
    ASSERT_TRUE(look(0, 400, 3)) << "the pointer left the window";
    ASSERT_TRUE(look(240, 0, 1));   // facing straight along the world's y axis again
    xs_key("Tab");
    ASSERT_TRUE(wait_output("chenged fly 0 \n")) << "the keys no longer reach the game";
    ASSERT_TRUE(wait_still());
    // Seed 83: two flat blocks behind the start, then a bump that stops the walk.
    xs_key_held("s", true);
    xs_sleep(1.5);
    xs_key_held("s", false);
    ASSERT_TRUE(wait_still());
    // Grass breaks after 2.8 s; the player drops into the hole and collects
    // the box, whose earth goes to the first free cell, 8.
    xs_button(1, true);
    EXPECT_TRUE(wait_until(20, [&] { return count_in_cell(7); })) << "no box collected";
    xs_button(1, false);
    xs_key("8");
    ASSERT_TRUE(look(0, -100, 5));   // 30 degrees down: the grass next to the hole
    xs_button(3, true);
    xs_sleep(0.05);
    xs_button(3, false);
    EXPECT_TRUE(wait_until(5, [&] { return !count_in_cell(7); })) << "the placed block is still in its cell";
    screenshot("road-played");

    // With the focus elsewhere the pointer is free to leave the window.
    xs_focus(0);
    int x = 0, y = 0;
    EXPECT_TRUE(wait_until(3, [&] {
        xs_move_by(0, 400);
        return xs_pointer(window, &x, &y) && y >= 600;
    })) << "the pointer is held without the focus";
    xs_focus(window);
    quit();

    std::string world = std::string(run_dir) + "/" + WORLD;
    std::vector<std::string> files = chunk_files(world);
    EXPECT_GE(files.size(), 36u);
    for (const std::string &f : files)
        EXPECT_EQ(read_file(world + "/" + f).size(), (size_t)CHUNK_FILE_BYTES) << f;
    // The walk ended two blocks behind the start: grass gone there, and
    // earth on the grass next to it.
    std::vector<std::string> dug = columns(world, EARTH, EARTH), placed = columns(world, EARTH, GRASS);
    EXPECT_EQ(dug, std::vector<std::string>{"4-4-4.qrb 56 58"}) << "the start is at 56 56";
    EXPECT_EQ(placed, std::vector<std::string>{"4-4-4.qrb 56 57"});

    // The next start asks for a window larger than the screen: it is fitted,
    // and the world, opened from the list, comes from its files.
    cfg = file("cfg");
    cfg.replace(4, 8, "\xff\x7f\0\0\xff\x7f\0\0", 8);
    FILE *f = fopen((std::string(run_dir) + "/cfg").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(cfg.data(), 1, cfg.size(), f);
    fclose(f);
    start_game();
    int w = 0, h = 0;
    ASSERT_TRUE(xs_window_size(window, &w, &h));
    EXPECT_LE(w, 1024);
    EXPECT_LE(h, 768);
    click_menu(400, 265);   // New game: the list
    click_menu(250, 235);   // its one world
    ASSERT_TRUE(wait_output("loaded ", 36)) << xs_output();
    EXPECT_EQ(count("created "), 0);
    quit(true);   // the window manager's close button
    EXPECT_EQ(columns(world, EARTH, EARTH), dug);
    EXPECT_EQ(columns(world, EARTH, GRASS), placed);
}

}  // namespace
