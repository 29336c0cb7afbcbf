// The saved-world list and world folders.
#include "save/catalogue.h"

#include "temp_dir.h"

#include <sys/stat.h>

#include "platform/platform.h"

namespace {

using Catalogue = InTempDir;

TEST_F(Catalogue, ListsWorldFoldersSortedByName)
{
    mkdir("saves", 0755);
    mkdir("saves/beta", 0755);
    mkdir("saves/alpha", 0755);
    mkdir("saves/world 100%s", 0755);
    mkdir("saves/nineteen-chars-name", 0755);    // 19: listed
    mkdir("saves/twenty-one-chars-name", 0755);    // 21: too long for a world name
    write_file("saves/notes.txt", "a plain file is not a world");
    catalogue c;
    testing::internal::CaptureStdout();
    find_worlds(&c);
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(c.count, 4);
    EXPECT_STREQ(c.names[0], "alpha");
    EXPECT_STREQ(c.names[1], "beta");
    EXPECT_STREQ(c.names[2], "nineteen-chars-name");
    EXPECT_STREQ(c.names[3], "world 100%s");
    EXPECT_STREQ(c.paths[0], "./saves/alpha");
    EXPECT_STREQ(c.paths[3], "./saves/world 100%s");
    EXPECT_EQ(out, "./saves/alpha\n./saves/beta\n./saves/nineteen-chars-name\n./saves/world 100%s\n");
}

TEST_F(Catalogue, ShowsTheFirstSixteenOfMany)
{
    mkdir("saves", 0755);
    // Made in reverse order so the listing order is not the name order.
    for (int i = 20; i >= 1; i--) {
        char name[32];
        snprintf(name, sizeof name, "saves/w%02d", i);
        mkdir(name, 0755);
    }
    catalogue c;
    testing::internal::CaptureStdout();
    find_worlds(&c);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(c.count, 16);
    EXPECT_STREQ(c.names[0], "w01");
    EXPECT_STREQ(c.names[15], "w16");
}

TEST_F(Catalogue, NoSavesFolderAndFolderCreation)
{
    catalogue c;
    c.count = 9;
    find_worlds(&c);
    EXPECT_EQ(c.count, 0);
    // Starting a world makes ./saves too, so the world is saved.
    EXPECT_EQ(makedir("./saves/alpha"), 1);
    EXPECT_TRUE(plat_is_dir("saves/alpha"));
    write_file("saves/alpha/0-0-0.qrb", "x");
    EXPECT_EQ(makedir("./saves/alpha"), 1);   // an existing world is kept as it is
    EXPECT_TRUE(plat_file_exists("saves/alpha/0-0-0.qrb"));
    // "." and ".." are skipped by name wherever the listing puts them.
    EXPECT_EQ(plat_dir_open("saves"), 1);
    char name[64];
    int entries = 0;
    while (plat_dir_next(name, sizeof name)) {
        EXPECT_STRNE(name, ".");
        EXPECT_STRNE(name, "..");
        entries++;
    }
    plat_dir_close();
    EXPECT_EQ(entries, 1);
}

TEST_F(Catalogue, AWorldIsPlayedAtTheSizeKeptInItsFolder)
{
    struct world {
        const char *what;
        const char *size_file;   // null: none
        const char *chunk;       // a chunk file in the folder, or null
        int chosen, played;
    } cases[] = {
        {"new world", nullptr, nullptr, 2, 2},
        {"size kept", "2\n", "3-3-4.qrb", 1, 2},
        {"older world, chunk in column 12", nullptr, "12-4-4.qrb", 1, 2},
        {"older world, chunk in row 25", nullptr, "0-25-4.qrb", 1, 3},
        {"older world, only a set-aside file", nullptr, "19-0-4.qrb.damaged", 1, 2},
        {"older world, narrow", nullptr, "9-9-4.qrb", 3, 1},
        {"size file unreadable", "x", "15-0-4.qrb", 1, 2},
    };
    mkdir("saves", 0755);
    for (const world &w : cases) {
        EXPECT_EQ(system("rm -rf saves/w && mkdir saves/w"), 0);
        if (w.size_file)
            write_file("saves/w/size", w.size_file);
        if (w.chunk)
            write_file((std::string("saves/w/") + w.chunk).c_str(), "x");
        EXPECT_EQ(world_size_class("w", w.chosen), w.played) << w.what;
        // Kept for the next start, whatever is chosen then.
        EXPECT_EQ(read_file("saves/w/size"), std::to_string(w.played) + "\n") << w.what;
        EXPECT_EQ(world_size_class("w", 1), w.played) << w.what;
    }
}

TEST_F(Catalogue, TemporaryFilesOfAKilledGameAreRemoved)
{
    mkdir("saves", 0755);
    mkdir("saves/w", 0755);
    write_file("saves/w/1-1-4.qrb", "kept");
    write_file("saves/w/1-1-4.qrb.tmp", "half");
    write_file("saves/w/2-1-4.qrb.tmp", "half");
    write_file("saves/w/size.tmp", "2");
    remove_leftover_tmp("w");
    EXPECT_EQ(read_file("saves/w/1-1-4.qrb"), "kept");
    EXPECT_FALSE(plat_file_exists("saves/w/1-1-4.qrb.tmp"));
    EXPECT_FALSE(plat_file_exists("saves/w/2-1-4.qrb.tmp"));
    EXPECT_FALSE(plat_file_exists("saves/w/size.tmp"));
}

}  // namespace
