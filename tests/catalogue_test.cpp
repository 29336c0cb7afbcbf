// The saved-world list, world folders and the encodings of their names.
#include "save/catalogue.h"

#include "platform/platform.h"
#include "save/names.h"
#include "temp_dir.h"

#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>

#include <cstring>

namespace {

class Catalogue : public InTempDir {
protected:
    // A world folder last played at the given second.
    static void make_world(const std::string &name, long seconds)
    {
        std::string path = "saves/" + name;
        ASSERT_EQ(mkdir(path.c_str(), 0755), 0) << path;
        timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    }
    static std::string listed(const catalogue &c)
    {
        std::string s;
        for (int k = 0; k < c.count; k++)
            s += std::string(c.worlds[k].disk_name) + "|";
        return s;
    }
    static std::string find(catalogue *c)
    {
        testing::internal::CaptureStdout();
        find_worlds(c);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(Catalogue, MostRecentlyPlayedFirstAndNamesThatCannotBePlayed)
{
    mkdir("saves", 0755);
    make_world("alpha", 1000);
    make_world("beta", 3000);
    make_world("world 100%s", 2000);
    make_world("same time b", 500);
    make_world("same time a", 500);
    make_world(std::string(63, 'n'), 100);    // the longest name a chunk path holds
    make_world(std::string(64, 'x'), 4000);   // one byte more: reported, not listed
    make_world(std::string(255, 'y'), 4000);  // the longest a file system allows
    write_file("saves/notes.txt", "a plain file is not a world");
    static catalogue c;
    std::string out = find(&c);
    EXPECT_EQ(listed(c), "beta|world 100%s|alpha|same time a|same time b|" + std::string(63, 'n') + "|");
    for (char long_name : {'x', 'y'}) {
        std::string name(long_name == 'x' ? 64 : 255, long_name);
        EXPECT_NE(out.find("./saves/" + name + " is not listed: its name is longer than 63 bytes \n"), std::string::npos);
    }
    EXPECT_NE(out.find("./saves/beta\n./saves/world 100%s\n./saves/alpha\n./saves/same time a\n"
                       "./saves/same time b\n./saves/" + std::string(63, 'n') + "\n"), std::string::npos);

    // Playing a world brings it to the front of the next listing.
    touch_world("alpha");
    find(&c);
    EXPECT_STREQ(c.worlds[0].disk_name, "alpha");
}

TEST_F(Catalogue, AThousandWorldsAreAllListedAndPastTheRoomTheOldestGo)
{
    mkdir("saves", 0755);
    const int made = CATALOGUE_MAX + 6;
    for (int i = 0; i < made; i++)
        make_world("w" + std::to_string(i), 10000 + i);
    static catalogue c;
    std::string out = find(&c);
    ASSERT_EQ(c.count, CATALOGUE_MAX);
    EXPECT_STREQ(c.worlds[0].disk_name, ("w" + std::to_string(made - 1)).c_str());
    EXPECT_STREQ(c.worlds[CATALOGUE_MAX - 1].disk_name, "w6");
    EXPECT_NE(out.find("6 worlds of ./saves played longest ago are not listed \n"), std::string::npos);
}

TEST_F(Catalogue, NoSavesFolderFolderCreationAndTakenNames)
{
    static catalogue c;
    c.count = 9;
    find_worlds(&c);
    EXPECT_EQ(c.count, 0);
    // Starting a world makes ./saves too, so the world is saved.
    EXPECT_EQ(makedir("./saves/alpha"), 1);
    EXPECT_TRUE(plat_is_dir("saves/alpha"));
    write_file("saves/alpha/0-0-0.qrb", "x");
    EXPECT_EQ(makedir("./saves/alpha"), 1);   // an existing world is kept as it is
    EXPECT_TRUE(plat_file_exists("saves/alpha/0-0-0.qrb"));
    // A name is taken by a folder or by a plain file alike.
    write_file("saves/world 2", "");
    EXPECT_EQ(world_name_taken("alpha"), 1);
    EXPECT_EQ(world_name_taken("world 2"), 1);
    EXPECT_EQ(world_name_taken("world 3"), 0);
    EXPECT_EQ(makedir("./saves/world 2"), 0);
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
    EXPECT_EQ(entries, 2);
}

TEST_F(Catalogue, FolderNamesAreUtf8AndShownInTheFontsCp1251)
{
    mkdir("saves", 0755);
    make_world("\xd0\xbc\xd0\xb8\xd1\x80 \xe2\x84\x96 1", 300);   // "мир № 1" in UTF-8
    make_world("\xec\xe8\xf0", 200);                             // "мир" as CP1251 bytes, from an older game
    make_world("\xe4\xb8\x96", 100);                             // a character CP1251 has not
    make_world("two\nlines\\", 50);                             // made outside the game
    static catalogue c;
    find(&c);
    ASSERT_EQ(c.count, 4);
    EXPECT_STREQ(c.worlds[3].shown, "two?lines\\");   // drawn on one line, in its button
    EXPECT_STREQ(c.worlds[3].disk_name, "two\nlines\\");
    EXPECT_STREQ(c.worlds[0].shown, "\xec\xe8\xf0 \xb9 1");
    EXPECT_STREQ(c.worlds[1].shown, "\xec\xe8\xf0");
    EXPECT_STREQ(c.worlds[2].shown, "?");
    EXPECT_STREQ(c.worlds[1].disk_name, "\xec\xe8\xf0");   // opened under its own name
}

// Every byte a name can hold turns into the UTF-8 the C library makes of
// CP1251, and back to the same byte.
TEST(WorldNames, EveryCp1251ByteMatchesTheSystemConverterBothWays)
{
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    ASSERT_NE(cd, (iconv_t)-1);
    for (int b = 32; b < 256; b++) {
        if (b == CP1251_UNUSED || b == 127)
            continue;   // never typed into a name
        char in[2] = {(char)b, 0}, expected[8] = {0};
        char *src = in, *dst = expected;
        size_t left = 1, room = sizeof expected - 1;
        ASSERT_NE(iconv(cd, &src, &left, &dst, &room), (size_t)-1) << b;
        char disk[8], font[8];
        name_to_disk(in, disk, sizeof disk);
        EXPECT_STREQ(disk, expected) << b;
        name_to_font(disk, font, sizeof font);
        EXPECT_STREQ(font, in) << b;
    }
    iconv_close(cd);
    // Cut at a whole character: 3 Cyrillic letters need 7 bytes with the NUL.
    char small[6];
    EXPECT_EQ(name_to_disk("\xec\xe8\xf0", small, sizeof small), 4);
    EXPECT_STREQ(small, "\xd0\xbc\xd0\xb8");
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
