// The player's road through the installed game started from an empty folder: first start, menus, a world named in
// Russian after a Tab in its name, dig, collect, fly away, leave, reopen where the player was with what it carried at
// the same time of day, place what was collected; cfg and saves in the player's folder and nowhere else.
#include "game_fixture.h"

#include <fstream>

namespace {

using E2eInstalledGame = GameTest;

const char *const WORLD = "saves/\xd0\xbc\xd0\xb8\xd0\xa0\xd1\x91";   // "миРё": a capital too

TEST_F(E2eInstalledGame, StartMenusCreatePlayLeaveAndReopen)
{
    std::string base = std::string(run_dir) + "-install", mine = base + "/xdg/quarrow/", exe = base + "/games/quarrow";
    ASSERT_EQ(system(("rm -rf " + std::string(run_dir) + "/* && mkdir -p " + base + "/home && '" QUARROW_CMAKE
                      "' --install '" QUARROW_BUILD_DIR "' --prefix " + base + " >/dev/null").c_str()), 0);
    setenv("HOME", (base + "/home").c_str(), 1);
    setenv("XDG_DATA_HOME", (base + "/xdg").c_str(), 1);
    start_game(exe.c_str());
    for (const char *name : {"lang/eng.txt", "font.tga", "world/standart/ground.tga"})
        EXPECT_TRUE(read_file(mine + name) == read_file(std::string(QUARROW_DATA_DIR "/") + name)) << name;
    std::string cfg = read_file(mine + "cfg");   // the defaults: 800 x 600, Russian
    ASSERT_EQ(cfg.size(), 40u);
    EXPECT_EQ(cfg.substr(4, 8) + cfg.substr(24, 4), std::string("\x20\x03\0\0\x58\x02\0\0rus", 12));
    for (int y : {400, 265, 515})   // the language page: Russian; New game; Create world: the create page
        click_menu(y == 400 ? 160 : 400, y);
    // A Tab typed into the name, as in any form, must not reach the game.
    xs_key("Tab"), xs_key("space");
    for (int i = 0; i < 11; i++)   // what was typed, then the default name
        xs_key("BackSpace");
    xs_key("Cyrillic_em"), xs_key("Cyrillic_i");
    xs_key_held("Shift_L", true), xs_key("Cyrillic_er"), xs_key_held("Shift_L", false);   // a capital
    xs_key("Cyrillic_io");
    click_menu(310, 515);   // Create world, left of the centre: mouse look must start from the centre
    ASSERT_TRUE(wait_output(std::string("./") + WORLD + "world size 10 \n")) << output();
    ASSERT_TRUE(wait_output("created ", 36));
    EXPECT_EQ(count("chenged fly"), 0) << "the Tab typed into the name reached the game";

    // On the start column's grass; the look down passes the window's edge, first from where the click left it.
    ASSERT_NO_FATAL_FAILURE(dig_at_feet());
    // Away: flying along y and up looking straight up (the pitch stops 10 degrees past it), then falling as a walker.
    ASSERT_TRUE(look(0, -300, 7));   // 30 degrees a move, the pointer kept in the window
    xs_key("Tab"), xs_key("w", 1.5), xs_key("Tab");
    ASSERT_TRUE(wait_output("chenged fly 0 \n", 2));
    xs_sleep(2);   // the fall, which a view of the sky alone does not show
    // The sky above has left the dark of dawn.
    int sky = 0;
    EXPECT_TRUE(wait_until(20, [&] { return (sky = sky_blue()) > 60; })) << sky;
    std::string world = mine + WORLD;

    // With the focus elsewhere the pointer is free to leave the window; with it back, it is held again.
    for (Window focus : {Window(0), window}) {
        xs_focus(focus);
        int x = 0, y = 0;
        EXPECT_TRUE(wait_until(3, [&] {
            xs_move(0, 0, 400);
            return xs_pointer(window, &x, &y) && (y < 600) == (focus != 0);
        })) << (focus ? "the pointer is not held again with the focus back" : "the pointer is held without the focus");
    }
    quit();

    std::string chunk = world + "/4-4-4.qrb";
    EXPECT_GE(atoi(run_command("ls '" + world + "' | grep -c '[.]qrb$'").text.c_str()), 36);
    // Where the player was left, from its file: the column and its chunk file.
    std::string kept = read_file(world + "/player");
    ASSERT_EQ(kept.size(), 198u);
    double at[2];
    memcpy(at, kept.data() + 8, sizeof at);
    // Mouse look moved the view up and down only: every move went straight along y.
    EXPECT_EQ(at[0], START_X);
    int cx = (int)(at[0] / 64 + 1), cy = (int)(at[1] / 64 + 1);
    const column left_at{63 - (int)(at[0] - 64 * cx + 63.5), 63 - (int)(at[1] - 64 * cy + 63.5)};
    std::string left_chunk = world + "/" + std::to_string(cx) + "-" + std::to_string(cy) + "-4.qrb";
    EXPECT_TRUE(left_chunk != chunk || 56 - left_at.second >= 4) << "the player did not leave the start";
    // The start column (56 56) dug: the player stood on its ground.
    const std::vector<column> dug{{56, 56}};
    EXPECT_EQ(columns(chunk, EARTH, EARTH), dug);

    // Next start: a window asked larger than the screen is fitted; the world opened from the list comes from its files.
    cfg = read_file(mine + "cfg").replace(4, 8, "\xff\x7f\0\0\xff\x7f\0\0", 8);
    std::ofstream(mine + "cfg", std::ios::binary) << cfg;
    start_game(exe.c_str());
    EXPECT_TRUE(width <= 1024 && height <= 768) << width << " x " << height;
    click_menu(400, 265);   // New game: the list
    click_menu(250, 235);   // its one world
    ASSERT_TRUE(wait_output("loaded ", 36)) << output();
    EXPECT_EQ(count("created "), 0);
    // The first chunk loaded is the one under the player.
    std::string out = output(), under = "loaded 0," + std::to_string(cx) + " " + std::to_string(cy) + " 4 \n";
    EXPECT_EQ(out.find("loaded "), out.find(under)) << under << "is not the first chunk loaded";
    EXPECT_TRUE(count_in_cell(7)) << "the collected earth is not back in its cell";
    // The clock came back: the sky is as light as it was, not dawn's dark.
    ASSERT_TRUE(look(0, -300, 7));
    xs_sleep(0.3);
    EXPECT_GE(sky_blue(), sky - 8) << "the clock started over";
    // From its cell, looking down at the feet at the top of a jump, the earth goes onto the ground where the
    // player was left, or up to two blocks ahead (facing along y, the view slants ten degrees).
    ASSERT_TRUE(look(0, 300, 7));
    xs_key("8");
    EXPECT_TRUE(wait_until(10, [&] {
        xs_key_held("space", true), xs_sleep(0.2);
        xs_key("Button3", 0.05);
        xs_key_held("space", false), xs_sleep(0.5);
        return !count_in_cell(7);
    })) << "the collected earth was not placed";
    quit(SIGTERM);
    EXPECT_EQ(columns(chunk, EARTH, EARTH), dug);
    std::vector<column> placed = columns(left_chunk, EARTH, GRASS);
    int ahead = placed.size() == 1 && placed[0].first == left_at.first ? left_at.second - placed[0].second : -1;
    EXPECT_TRUE(ahead >= 0 && ahead <= 2)
        << testing::PrintToString(placed) << " placed, left at " << testing::PrintToString(left_at);
    EXPECT_EQ(run_command("find " + base + " " + run_dir + " -name cfg -o -name '*.qrb' -o -name saves | grep -v '^" +
                          mine + "'").text, "");
    EXPECT_EQ(system(("rm -rf " + base).c_str()), 0);
}

}  // namespace
