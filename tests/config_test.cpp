// Settings file: first run, files the game did not write, a full disk.
#include "app/config.h"

#include "temp_dir.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>

namespace {

using ConfigFile = InTempDir;

const unsigned char DEFAULTS[CFG_BYTES] = {
    0, 0, 0, 0,   0x20, 3, 0, 0,   0x58, 2, 0, 0,   30, 0, 0, 0,   30, 0, 0, 0,
    1, 0, 0, 0,   'r', 'u', 's', 0,   1, 0, 0, 0,   1, 0, 0, 0,   0, 0, 0, 0,
};

TEST_F(ConfigFile, FirstRunWritesTheDefaultsAndOpensTheLanguagePage)
{
    load();
    EXPECT_EQ(read_file("cfg"), std::string((const char *)DEFAULTS, CFG_BYTES));
    EXPECT_EQ(st_page, 1);
}

TEST_F(ConfigFile, FieldsAreReadAndValuesOutOfRangeBroughtBack)
{
    struct {
        int length, offset;
        const char *stored;   // four bytes at offset, in a file cut to length
        int32_t game_param::*field;
        int32_t loaded;
    } cases[] = {
        {40, 4, "\x00\x04\x00\x00", &game_param::window_width, 1024},
        {40, 8, "\xff\x7f\x00\x00", &game_param::window_height, WINDOW_EDGE_MAX},
        {40, 4, "\xff\xff\xff\xff", &game_param::window_width, 800},
        {10, 8, "\x00\x04\x00\x00", &game_param::window_height, 600},   // cut inside the field
        {40, 20, "\x03\x00\x00\x00", &game_param::view_distance, 3},
        {40, 20, "\x04\x00\x00\x00", &game_param::view_distance, 1},
        {40, 28, "\x70\x11\x01\x00", &game_param::world_counter, 70000},
        {40, 32, "\x00\x00\x00\x00", &game_param::fog_enabled, 0},
        {40, 32, "\x02\x00\x00\x00", &game_param::fog_enabled, 1},
        {40, 24, "eng\0", nullptr, 0},
        {40, 24, "engl", nullptr, 0},   // no NUL: the default language
    };
    for (const auto &c : cases) {
        std::string bytes((const char *)DEFAULTS, CFG_BYTES);
        bytes.replace(c.offset, 4, c.stored, 4);
        write_file("cfg", bytes.substr(0, c.length));
        load();
        game_param *p = get_par_str();
        if (c.field)
            EXPECT_EQ(p->*c.field, c.loaded) << c.offset << " " << c.length;
        else
            EXPECT_STREQ(p->language, c.stored[3] ? "rus" : "eng");
    }
}

TEST_F(ConfigFile, AFailedWriteKeepsTheOldSettings)
{
    load();
    // A full disk, as a file size limit of 20 bytes.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = {20, old_limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    get_par_str()->world_counter = 8;
    EXPECT_EQ(save(), 0);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    EXPECT_EQ(read_file("cfg"), std::string((const char *)DEFAULTS, CFG_BYTES));
    EXPECT_EQ(access("cfg.tmp", F_OK), -1);
}

TEST_F(ConfigFile, AFifoInPlaceOfCfgIsNotWaitedOn)
{
    ASSERT_EQ(mkfifo("cfg", 0600), 0);
    testing::internal::CaptureStdout();
    load();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cfg is not a regular file, the default settings are used \n");
}

}  // namespace
