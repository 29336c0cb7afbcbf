// A game killed outright, at any moment of play or of its exit save, leaves
// every chunk file whole and keeps every edit older than the autosave period.
#include "save_fixture.h"

#include <signal.h>

#include <ctime>
#include <random>

namespace {

constexpr double AUTOSAVE_S = 30;   // the game's autosave age, in seconds

class Killing : public WorldFolderTest {
protected:
    std::mt19937 random{(unsigned)time(nullptr)};

    double between(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }

    void reopen()
    {
        open_world_1();
        wait_for("loaded ", 1);
    }
    // Ends the game at once and reaps it.
    void kill_now() { xs_kill_game(SIGKILL); }
    // What must hold after any kill: whole files only, none set aside, the edit kept.
    void expect_world_intact(const char *when)
    {
        std::vector<std::string> files = chunk_files();
        EXPECT_GE(files.size(), 36u) << when;
        for (const std::string &f : files)
            EXPECT_EQ(size_of(f), 524288) << when << ": " << f;
        EXPECT_TRUE(files_ending(".damaged").empty()) << when;
        EXPECT_EQ(top_id(file("saves/world 1/4-4-4.qrb"), 56, 56), 3) << when;
        EXPECT_EQ(xs_count_output("damaged"), 0) << when << xs_output();
    }
};

TEST_F(Killing, NoKillTearsAFileOrLosesAnOldEdit)
{
    unsigned seed = random();
    random.seed(seed);
    SCOPED_TRACE("kill moments from seed " + std::to_string(seed));
    create_world_1();
    xs_key("Tab");
    xs_sleep(2.5);   // fall to the ground
    look(200, 12);   // down at the ground under the feet
    xs_button_down(1);
    // The grass block breaks and its box lands in hot-bar cell 7.
    ASSERT_TRUE(wait_count_in_cell(7, 15));
    xs_button_up(1);
    // Standing still: only the autosave can write the edit before the kill.
    xs_sleep(AUTOSAVE_S + 8);
    kill_now();
    expect_world_intact("killed after the autosave period");

    for (int round = 0; round < 4; round++) {
        reopen();
        xs_key_down("w");   // flying on: chunks are left behind and written
        xs_sleep(between(0.5, 6));
        kill_now();
        xs_key_up("w");
        expect_world_intact("killed while playing");
    }
    for (int round = 0; round < 3; round++) {
        reopen();
        xs_key_down("w");
        xs_sleep(between(2, 5));
        xs_key_up("w");
        xs_key("Escape");
        xs_sleep(between(0, 0.3));
        kill_now();
        expect_world_intact("killed during the exit save");
    }
}

}  // namespace
