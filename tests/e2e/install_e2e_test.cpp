// The installed game, started from any folder, keeps cfg and saves in the
// player's own folder and nowhere else.
#include "game_fixture.h"

#include <sys/stat.h>

#include <sstream>

namespace {

class Installed : public GameTest {
protected:
    char base[64] = "/tmp/quarrow-install-XXXXXX";   // prefix, home and XDG_DATA_HOME
    std::string prefix, home, xdg;

    void SetUp() override
    {
        GameTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_NE(mkdtemp(base), nullptr);
        prefix = std::string(base) + "/prefix";
        home = std::string(base) + "/home";
        xdg = std::string(base) + "/xdg";
        ASSERT_EQ(mkdir(home.c_str(), 0755), 0);
        // The working folder starts empty: nothing in it is the game's.
        ASSERT_EQ(system(("rm -rf '" + run_dir + "'/*").c_str()), 0);
        std::string install = "'" QUARROW_CMAKE "' --install '" QUARROW_BUILD_DIR "' --prefix '" + prefix + "' >/dev/null";
        ASSERT_EQ(system(install.c_str()), 0);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    }
    void TearDown() override
    {
        GameTest::TearDown();
        if (!HasFailure()) {
            EXPECT_EQ(system(("rm -rf '" + std::string(base) + "'").c_str()), 0);
        }
    }
};

TEST_F(Installed, KeepsCfgAndSavesInThePlayersFolderOnly)
{
    start_new_world((prefix + "/games/quarrow").c_str());
    quit_and_wait();

    std::string mine = xdg + "/quarrow/";
    EXPECT_EQ(read_file(mine + "cfg").size(), 40u);
    for (const char *name : {"lang/eng.txt", "font.tga", "world/standart/ground.tga"})
        EXPECT_TRUE(read_file(mine + name) == read_file(std::string(QUARROW_DATA_DIR "/") + name)) << name;
    std::string kept = run_command("find '" + std::string(base) + "' '" + run_dir +
                                 "' -name cfg -o -name '*.qrb' -o -name saves | sort").text;
    EXPECT_NE(kept.find(mine + "saves/world 1/"), std::string::npos) << kept;
    std::istringstream lines(kept);
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.compare(0, mine.size(), mine), 0) << line;
}

}  // namespace
