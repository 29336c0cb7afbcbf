// The installed game, started from any folder, keeps cfg and saves in the
// player's own folder and nowhere else, and a termination signal saves the world.
#include "game_fixture.h"

#include <signal.h>
#include <sys/stat.h>

#include <sstream>

namespace {

using E2eInstalled = GameTest;

TEST_F(E2eInstalled, KeepsCfgAndSavesInThePlayersFolderOnly)
{
    // The working folder starts empty: nothing in it is the game's.
    ASSERT_EQ(system(("rm -rf " + std::string(run_dir) + "/*").c_str()), 0);
    std::string base = std::string(run_dir) + "-install";
    std::string prefix = base + "/prefix", home = base + "/home", mine = base + "/xdg/quarrow/";
    ASSERT_EQ(system(("mkdir -p " + home).c_str()), 0);
    std::string install = "'" QUARROW_CMAKE "' --install '" QUARROW_BUILD_DIR "' --prefix " + prefix + " >/dev/null";
    ASSERT_EQ(system(install.c_str()), 0);
    setenv("HOME", home.c_str(), 1);
    setenv("XDG_DATA_HOME", (base + "/xdg").c_str(), 1);
    start_new_world((prefix + "/games/quarrow").c_str());
    xs_kill_game(SIGTERM);
    int status = -100;
    ASSERT_TRUE(xs_wait_exit(20, &status));
    EXPECT_EQ(status, 0);

    EXPECT_EQ(read_file(mine + "cfg").size(), 40u);
    for (const char *name : {"lang/eng.txt", "font.tga", "world/standart/ground.tga"})
        EXPECT_TRUE(read_file(mine + name) == read_file(std::string(QUARROW_DATA_DIR "/") + name)) << name;
    EXPECT_GE(chunk_files(mine + "saves/world 1").size(), 36u) << "the world was not saved on the signal";
    std::string kept = run_command("find " + base + " " + run_dir + " -name cfg -o -name '*.qrb' -o -name saves").text;
    std::istringstream lines(kept);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.compare(0, mine.size(), mine), 0) << line;
    if (!HasFailure()) {
        EXPECT_EQ(system(("rm -rf " + base).c_str()), 0);
    }
}

}  // namespace
