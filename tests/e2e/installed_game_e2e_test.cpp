// The player's road through the installed game started from an empty folder:
// first start, menus, a world named in Russian, walk, dig, collect, place,
// leave, reopen; cfg and saves in the player's folder and nowhere else.
#include "game_fixture.h"

#include <signal.h>

#include <fstream>

namespace {

using E2eInstalledGame = GameTest;

const char *const WORLD = "saves/\xd0\xbc\xd0\xb8\xd1\x80\xd1\x91";   // "мирё"

TEST_F(E2eInstalledGame, StartMenusCreatePlayLeaveAndReopen)
{
    std::string base = std::string(run_dir) + "-install", mine = base + "/xdg/quarrow/", exe = base + "/games/quarrow";
    ASSERT_EQ(system(("rm -rf " + std::string(run_dir) + "/* && mkdir -p " + base + "/home").c_str()), 0);
    ASSERT_EQ(system(("'" QUARROW_CMAKE "' --install '" QUARROW_BUILD_DIR "' --prefix " + base + " >/dev/null").c_str()), 0);
    setenv("HOME", (base + "/home").c_str(), 1);
    setenv("XDG_DATA_HOME", (base + "/xdg").c_str(), 1);
    start_game(exe.c_str());
    for (const char *name : {"lang/eng.txt", "font.tga", "world/standart/ground.tga"})
        EXPECT_TRUE(read_file(mine + name) == read_file(std::string(QUARROW_DATA_DIR "/") + name)) << name;
    std::string cfg = read_file(mine + "cfg");   // the defaults: 800 x 600, Russian
    ASSERT_EQ(cfg.size(), 40u);
    EXPECT_EQ(cfg.substr(4, 4) + cfg.substr(8, 4), std::string("\x20\x03\0\0\x58\x02\0\0", 8));
    EXPECT_EQ(cfg.substr(24, 4), std::string("rus", 4));
    click_menu(160, 400);   // the language page: Russian
    click_menu(400, 265);   // New game
    click_menu(400, 515);   // Create world: the create page
    for (int i = 0; i < 10; i++)
        xs_key("BackSpace");
    for (const char *key : {"Cyrillic_em", "Cyrillic_i", "Cyrillic_er", "Cyrillic_io"})
        xs_key(key);
    click_menu(310, 515);   // Create world, left of the centre: mouse look must start from the centre
    ASSERT_TRUE(wait_output(std::string("./") + WORLD + "world size 10 \n")) << output();
    ASSERT_TRUE(wait_output("created ", 36));

    // Moves past the window's edge, the first from where the click left the pointer.
    ASSERT_TRUE(look(0, 400, 3)) << "the pointer left the window";   // down at the feet
    ASSERT_TRUE(look(330, 0, 1));   // undoing the turns of the menu clicks: facing along y
    xs_key("Tab");
    ASSERT_TRUE(wait_output("chenged fly 0 \n")) << "the keys no longer reach the game";
    ASSERT_TRUE(wait_still());
    // Seed 83: two flat blocks behind the start, then a bump that stops the walk.
    xs_key_held("s", true);
    xs_sleep(1.5);
    xs_key_held("s", false);
    // Grass breaks after 2.8 s; the player drops into the hole and collects
    // the box, whose earth goes to the first free cell, 8.
    xs_button(1, true);
    EXPECT_TRUE(wait_until(20, [&] { return count_in_cell(7); })) << "no box collected";
    xs_button(1, false);
    xs_key("8");
    ASSERT_TRUE(look(0, -100, 5));   // 30 degrees down: the grass next to the hole
    click(3);
    EXPECT_TRUE(wait_until(5, [&] { return !count_in_cell(7); })) << "the placed block is still in its cell";

    // With the focus elsewhere the pointer is free to leave the window.
    xs_focus(0);
    int x = 0, y = 0;
    EXPECT_TRUE(wait_until(3, [&] {
        xs_move_by(0, 400);
        return xs_pointer(window, &x, &y) && y >= 600;
    })) << "the pointer is held without the focus";
    xs_focus(window);
    EXPECT_TRUE(wait_until(3, [&] {
        xs_move_by(0, 400);
        return xs_pointer(window, &x, &y) && y < 600;
    })) << "the pointer is not held again with the focus back";
    quit();

    std::string world = mine + WORLD, chunk = world + "/4-4-4.qrb";
    EXPECT_GE(chunk_files(world).size(), 36u);
    // The walk ended two blocks behind the start (56 56): grass gone there,
    // and earth on the grass next to it.
    const std::vector<std::string> dug{"56 58"}, placed{"56 57"};
    EXPECT_EQ(columns(chunk, EARTH, EARTH), dug);
    EXPECT_EQ(columns(chunk, EARTH, GRASS), placed);

    // The next start asks for a window larger than the screen: it is fitted,
    // and the world, opened from the list, comes from its files.
    cfg = read_file(mine + "cfg");
    cfg.replace(4, 8, "\xff\x7f\0\0\xff\x7f\0\0", 8);
    std::ofstream(mine + "cfg", std::ios::binary) << cfg;
    start_game(exe.c_str());
    int w = 0, h = 0;
    EXPECT_TRUE(xs_window_size(window, &w, &h) && w <= 1024 && h <= 768) << w << " x " << h;
    click_menu(400, 265);   // New game: the list
    click_menu(250, 235);   // its one world
    ASSERT_TRUE(wait_output("loaded ", 36)) << output();
    EXPECT_EQ(count("created "), 0);
    quit(SIGTERM);
    EXPECT_EQ(columns(chunk, EARTH, EARTH), dug);
    EXPECT_EQ(columns(chunk, EARTH, GRASS), placed);
    EXPECT_EQ(run_command("find " + base + " " + run_dir + " -name cfg -o -name '*.qrb' -o -name saves | grep -v '^" +
                          mine + "'").text, "");
    EXPECT_EQ(system(("rm -rf " + base).c_str()), 0);
}

}  // namespace
