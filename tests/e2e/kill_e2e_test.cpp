// A game killed outright, after the autosave period or during its exit
// save, leaves every chunk file whole and keeps every edit older than that period.
#include "game_fixture.h"

#include <cstdlib>
#include <ctime>

namespace {

using E2eKill = GameTest;

TEST_F(E2eKill, NoKillTearsAFileOrLosesAnOldEdit)
{
    unsigned seed = (unsigned)time(nullptr);
    srand(seed);
    SCOPED_TRACE("kill moments from seed " + std::to_string(seed));
    std::string saves = std::string(run_dir) + "/saves", world = saves + "/world 1";
    auto edit_kept = [&] { return columns(world + "/4-4-4.qrb", EARTH, EARTH).size() == 1; };
    std::string torn = "find " + saves + " -name '*.qrb' ! -size " + std::to_string(CHUNK_FILE_BYTES) + "c";
    auto expect_world_intact = [&](const char *when) {
        EXPECT_EQ(run_command(torn).text, "") << when << ": torn chunk files";
        EXPECT_TRUE(edit_kept()) << when;
        // Written at the autosave too, and as whole as the chunks.
        EXPECT_EQ(read_file(world + "/player").size(), 198u) << when;
    };
    start_game();
    for (int y : {400, 265, 515, 515})   // the language page, New game, Create world twice
        click_menu(y == 400 ? 160 : 400, y);
    ASSERT_TRUE(wait_output("created ", 36)) << output();
    ASSERT_NO_FATAL_FAILURE(dig_at_feet());
    // Standing still, only the autosave writes the edit (1 s after it, in tests).
    ASSERT_TRUE(wait_until(20, edit_kept)) << "no autosave";
    xs_end_game(SIGKILL, 10);
    expect_world_intact("killed after the autosave");

    start_game();
    EXPECT_EQ(count("max texture size 0 "), 0) << "the GL context is not asked";
    click_menu(400, 265);   // New game: the list
    click_menu(250, 235);   // world 1
    ASSERT_TRUE(wait_output("loaded ", 1));
    xs_key("w", 1 + rand() % 2000 / 1000.0);   // flying on: chunks are left behind and new ones made
    escape_and_click(325);   // Quit to title: world 1 written and let go
    ASSERT_TRUE(wait_output("left world 1 for the world list \n")) << output();
    expect_world_intact("left for the title");
    std::string first_world = run_command("cd '" + world + "' && md5sum *").text;
    // Into a second world in the same run (world 3: reopening world 1 moved the counter on).
    int made = count("created ");
    click_menu(400, 515), click_menu(400, 515);
    ASSERT_TRUE(wait_output("created ", made + 8)) << output();
    xs_key("w", 1 + rand() % 2000 / 1000.0);
    escape_and_click(355);   // Quit game
    xs_sleep(rand() % 300 / 1000.0);
    xs_end_game(SIGKILL, 10);
    expect_world_intact("killed during the second world's exit save");
    EXPECT_EQ(run_command("cd '" + world + "' && md5sum *").text, first_world) << "the second world wrote into the first";
    EXPECT_GE(atoi(run_command("ls " + saves + "/*/*.qrb | grep -c '/world 3/'").text.c_str()), 8);
    EXPECT_EQ(count("damaged"), 0) << output();
}

}  // namespace
