// The saved-world list and what opening a world reads from its folder.
#include "save/catalogue.h"

#include "temp_dir.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace {

class Catalogue : public InTempDir {
protected:
    // A world folder last played at the given second; the first makes ./saves.
    static void make_world(const std::string &name, long seconds)
    {
        ASSERT_EQ(makedir(("./saves/" + name).c_str()), 1) << name;
        timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, ("saves/" + name).c_str(), times, 0), 0);
    }
    static std::string find()
    {
        testing::internal::CaptureStdout();
        find_worlds(&ctlg);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(Catalogue, ListsTheMostRecentlyPlayedFirstInTheFontsLetters)
{
    make_world("alpha", 1000);
    make_world("beta", 3000);
    make_world("\xd0\xbc\xd0\xb8\xd1\x80", 2000);   // "мир" in UTF-8
    make_world(std::string(63, 'n'), 100);           // the longest name a chunk path holds
    make_world(std::string(64, 'x'), 4000);          // one byte more
    write_file("saves/notes.txt", "a plain file is not a world");
    std::string out = find();
    std::string listed;
    for (int k = 0; k < ctlg.count; k++)
        listed += std::string(ctlg.worlds[k].shown) + "|";
    EXPECT_EQ(listed, "beta|\xec\xe8\xf0|alpha|" + std::string(63, 'n') + "|");
    EXPECT_NE(out.find(std::string(64, 'x') + " is not listed: its name is longer than 63 bytes \n"), std::string::npos);
}

TEST_F(Catalogue, PastItsRoomTheListLeavesOutTheOldest)
{
    // Made in an order whose oldest are in the middle, whatever order the folder lists.
    for (int i = 0; i < CATALOGUE_MAX + 6; i++) {
        int age = (i + CATALOGUE_MAX / 2) % (CATALOGUE_MAX + 6);
        make_world("w" + std::to_string(age), 10000 + age);
    }
    std::string out = find();
    ASSERT_EQ(ctlg.count, CATALOGUE_MAX);
    EXPECT_STREQ(ctlg.worlds[CATALOGUE_MAX - 1].disk_name, "w6");
    EXPECT_NE(out.find("6 worlds of ./saves played longest ago are not listed \n"), std::string::npos);
}

// The size class kept in the folder, else the one its chunk files need, else
// the one chosen; what a killed game left half written goes.
TEST_F(Catalogue, AWorldOpensAtItsOwnSizeWithoutLeftovers)
{
    struct { const char *size_file, *chunk; int chosen, played; } cases[] = {
        {nullptr, nullptr, 2, 2},
        {"2\n", "3-3-4.qrb", 1, 2},
        {nullptr, "12-4-4.qrb", 1, 2},
        {nullptr, "0-25-4.qrb", 1, 3},
        {nullptr, "19-0-4.qrb.damaged", 1, 2},
        {nullptr, "9-9-4.qrb", 3, 1},
    };
    for (const auto &c : cases) {
        ASSERT_EQ(system("rm -rf saves && mkdir -p saves/w"), 0);
        write_file("saves/w/1-1-4.qrb.tmp", "half");
        if (c.size_file)
            write_file("saves/w/size", c.size_file);
        if (c.chunk)
            write_file(std::string("saves/w/") + c.chunk, "x");
        remove_leftover_tmp("w");
        EXPECT_EQ(world_size_class("w", c.chosen), c.played) << c.chunk;
        EXPECT_EQ(world_size_class("w", 1), c.played) << c.chunk;   // kept for the next start
        EXPECT_EQ(access("saves/w/1-1-4.qrb.tmp", F_OK), -1);
    }
}

}  // namespace
