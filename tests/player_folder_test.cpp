// The installed game's own folder for cfg and saves: where it is, what it is
// filled with, and what it keeps.
#include "platform/platform.h"
#include "platform/player_folder.h"
#include "temp_dir.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

class PlayerFolder : public InTempDir {
protected:
    std::string data;
    std::string saved_home, saved_xdg;
    bool had_home = false, had_xdg = false;

    void SetUp() override
    {
        InTempDir::SetUp();
        if (HasFatalFailure())
            return;
        had_home = getenv("HOME") != nullptr;
        had_xdg = getenv("XDG_DATA_HOME") != nullptr;
        saved_home = had_home ? getenv("HOME") : "";
        saved_xdg = had_xdg ? getenv("XDG_DATA_HOME") : "";
        // An installed data folder: a picture at the top, phrases one folder down.
        data = std::string(dir) + "/installed";
        ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
        ASSERT_EQ(mkdir((data + "/lang").c_str(), 0755), 0);
        write_file((data + "/font.tga").c_str(), "font pixels");
        write_file((data + "/lang/eng.txt").c_str(), "New game\n");
        setenv("HOME", (std::string(dir) + "/home").c_str(), 1);
        unsetenv("XDG_DATA_HOME");
    }
    void TearDown() override
    {
        had_home ? setenv("HOME", saved_home.c_str(), 1) : unsetenv("HOME");
        had_xdg ? setenv("XDG_DATA_HOME", saved_xdg.c_str(), 1) : unsetenv("XDG_DATA_HOME");
        InTempDir::TearDown();
    }
    static std::string cwd()
    {
        char here[4096] = "";
        return getcwd(here, sizeof here) ? here : "";
    }
};

TEST_F(PlayerFolder, IsChosenMadeFilledAndEntered)
{
    struct {
        const char *xdg;      // XDG_DATA_HOME, below the temporary folder when it starts with '/'
        const char *folder;   // the player's folder below the temporary folder
    } cases[] = {
        {"/xdg", "/xdg/quarrow"},
        {nullptr, "/home/.local/share/quarrow"},
        // A relative XDG_DATA_HOME is invalid: the files must not land below the working folder.
        {"xdg", "/home/.local/share/quarrow"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.folder);
        ASSERT_EQ(chdir(dir), 0);
        if (!c.xdg)
            unsetenv("XDG_DATA_HOME");
        else
            setenv("XDG_DATA_HOME", c.xdg[0] == '/' ? (std::string(dir) + c.xdg).c_str() : c.xdg, 1);
        ASSERT_EQ(plat_use_player_folder(data.c_str()), 1);
        std::string folder = std::string(dir) + c.folder;
        EXPECT_EQ(cwd(), folder);
        EXPECT_EQ(read_file(folder + "/font.tga"), "font pixels");
        EXPECT_EQ(read_file(folder + "/lang/eng.txt"), "New game\n");
    }
}

TEST_F(PlayerFolder, NewInstalledDataReplacesTheOldCopyAndTheWorldsAndCfgStay)
{
    std::string folder = std::string(dir) + "/home/.local/share/quarrow";
    ASSERT_EQ(plat_use_player_folder(data.c_str()), 1);
    write_file("cfg", std::string(40, '\7'));
    ASSERT_EQ(mkdir("saves", 0755), 0);
    ASSERT_EQ(mkdir("saves/world 1", 0755), 0);
    write_file("saves/world 1/3-3-3.qrb", "blocks");
    write_file((data + "/lang/eng.txt").c_str(), "New game\nOptions\n");
    ASSERT_EQ(chdir(dir), 0);

    ASSERT_EQ(plat_use_player_folder(data.c_str()), 1);
    EXPECT_EQ(read_file(folder + "/lang/eng.txt"), "New game\nOptions\n");
    EXPECT_EQ(read_file(folder + "/cfg"), std::string(40, '\7'));
    EXPECT_EQ(read_file(folder + "/saves/world 1/3-3-3.qrb"), "blocks");
    EXPECT_FALSE(plat_file_exists((folder + "/lang/eng.txt.part").c_str()));
}

TEST_F(PlayerFolder, AFolderThatCannotBeMadeStopsTheGameWhereItWas)
{
    write_file("home", "a file where the home folder should be");
    EXPECT_EQ(plat_use_player_folder(data.c_str()), 0);
    EXPECT_EQ(cwd(), std::string(dir));
}

}  // namespace
