// The player's road through the installed game started from an empty folder:
// first start, menus, a world named in Russian after a Tab in its name, dig,
// collect, fly away, place, leave, reopen where the player was with what it
// carried at the same time of day; cfg and saves in the player's folder and
// nowhere else.
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
    // A Tab typed into the name, as in any form, must not reach the game.
    for (const char *key : {"Tab", "space", "BackSpace"})
        xs_key(key);
    for (int i = 0; i < 10; i++)
        xs_key("BackSpace");
    for (const char *key : {"Cyrillic_em", "Cyrillic_i", "Cyrillic_er", "Cyrillic_io"})
        xs_key(key);
    click_menu(310, 515);   // Create world, left of the centre: mouse look must start from the centre
    ASSERT_TRUE(wait_output(std::string("./") + WORLD + "world size 10 \n")) << output();
    ASSERT_TRUE(wait_output("created ", 36));
    EXPECT_EQ(count("chenged fly"), 0) << "the Tab typed into the name reached the game";

    // Moves past the window's edge, the first from where the click left the pointer.
    ASSERT_TRUE(look(0, 400, 3)) << "the pointer left the window";   // down at the feet
    xs_key("Tab");
    ASSERT_TRUE(wait_output("chenged fly 0 \n")) << "the keys no longer reach the game";
    ASSERT_TRUE(wait_still());
    // Standing on the start column's grass: it breaks after 2.8 s, the
    // player drops into the hole and collects the box, whose earth goes to
    // the first free cell, 8. Inside rock nothing would break.
    xs_button(1, true);
    EXPECT_TRUE(wait_until(20, [&] { return count_in_cell(7); })) << "no box collected";
    xs_button(1, false);
    // Away from the start: flying along y and up, 20 degrees over the
    // horizon, then falling to the ground as a walker.
    ASSERT_TRUE(look(0, -500, 2));
    xs_key("Tab");
    xs_key_held("w", true);
    xs_sleep(1);
    xs_key_held("w", false);
    xs_key("Tab");
    ASSERT_TRUE(wait_output("chenged fly 0 \n", 2));
    ASSERT_TRUE(wait_still());

    // With the focus elsewhere the pointer is free to leave the window.
    xs_focus(0);
    int x = 0, y = 0;
    EXPECT_TRUE(wait_until(3, [&] {
        xs_move_by(0, 400);
        return xs_pointer(window, &x, &y) && y >= 600;
    })) << "the pointer is held without the focus";
    xs_focus(window);
    quit();

    std::string world = mine + WORLD, chunk = world + "/4-4-4.qrb";
    EXPECT_GE(chunk_files(world).size(), 36u);
    EXPECT_EQ(read_file(world + "/player").size(), 198u);
    // The start column (56 56) dug: the player stood on its ground.
    const std::vector<std::string> dug{"56 56"};
    EXPECT_EQ(columns(chunk, EARTH, EARTH), dug);

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
    EXPECT_TRUE(count_in_cell(7)) << "the collected earth is not back in its cell";
    // Digging at the feet: where the player was left, not at the start.
    ASSERT_TRUE(look(0, 500, 3));
    xs_button(1, true);
    xs_sleep(4);
    xs_button(1, false);
    quit(SIGTERM);
    std::vector<std::string> both = columns(chunk, EARTH, EARTH);
    ASSERT_EQ(both.size(), 2u) << "the player is not where it was left";
    EXPECT_TRUE(both[0] == dug[0] || both[1] == dug[0]);
    EXPECT_EQ(run_command("find " + base + " " + run_dir + " -name cfg -o -name '*.qrb' -o -name saves | grep -v '^" +
                          mine + "'").text, "");
    EXPECT_EQ(system(("rm -rf " + base).c_str()), 0);
}

}  // namespace
