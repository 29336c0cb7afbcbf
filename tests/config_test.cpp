// Settings file: first run, files the game did not write, and round trips.
#include "app/config.h"

#include "temp_dir.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// Every test runs in a fresh folder, where "cfg" is the only file.
class ConfigFile : public InTempDir {
protected:
    void SetUp() override
    {
        InTempDir::SetUp();
        st_page = 0;
    }
    static std::string read_cfg() { return read_file("cfg"); }
    static void write_cfg(const unsigned char *bytes, size_t n)
    {
        write_file("cfg", std::string((const char *)bytes, n));
    }
};

const unsigned char DEFAULT_BYTES[CFG_BYTES] = {
    0, 0, 0, 0,   0x20, 3, 0, 0,   0x58, 2, 0, 0,   30, 0, 0, 0,   30, 0, 0, 0,
    1, 0, 0, 0,   'r', 'u', 's', 0,   1, 0, 0, 0,   1, 0, 0, 0,   0, 0, 0, 0,
};

TEST_F(ConfigFile, FirstRunWritesTheDefaultsAndOpensTheLanguagePage)
{
    load();
    std::string bytes = read_cfg();
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ(memcmp(bytes.data(), DEFAULT_BYTES, CFG_BYTES), 0);
    EXPECT_EQ(st_page, 1);
    game_param *p = get_par_str();
    EXPECT_EQ(p->window_width, 800);
    EXPECT_EQ(p->window_height, 600);
    EXPECT_EQ(p->window_x, 0);   // the stored position is never used
    EXPECT_EQ(p->window_y, 0);
    EXPECT_STREQ(p->language, "rus");

    // Second start: the file is there, the menu opens normally, the next write stores 0, 0.
    st_page = 0;
    load();
    EXPECT_EQ(st_page, 0);
    ASSERT_EQ(save(), 1);
    bytes = read_cfg();
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ(bytes[12], 0);
    EXPECT_EQ(bytes[16], 0);
}

TEST_F(ConfigFile, ResizeValuesAndEveryFieldRoundTrip)
{
    load();
    game_param *p = get_par_str();
    p->window_width = 1024;
    p->window_height = 768;
    p->view_distance = 3;
    memcpy(p->language, "eng", 4);
    p->world_counter = 70000;
    p->fog_enabled = 0;
    ASSERT_EQ(save(), 1);
    std::string bytes = read_cfg();
    ASSERT_EQ(bytes.size(), 40u);
    EXPECT_EQ((unsigned char)bytes[4], 0x00);
    EXPECT_EQ((unsigned char)bytes[5], 0x04);   // 1024 little-endian
    EXPECT_EQ((unsigned char)bytes[8], 0x00);
    EXPECT_EQ((unsigned char)bytes[9], 0x03);   // 768
    load();
    EXPECT_EQ(p->window_width, 1024);
    EXPECT_EQ(p->window_height, 768);
    EXPECT_EQ(p->view_distance, 3);
    EXPECT_STREQ(p->language, "eng");
    EXPECT_EQ(p->world_counter, 70000);
    EXPECT_EQ(p->fog_enabled, 0);
}

TEST_F(ConfigFile, ShortFileKeepsDefaultsForWhatItLacks)
{
    // Width complete, height cut in half: height takes its default.
    const unsigned char shortfile[10] = {0, 0, 0, 0, 0x00, 0x05, 0, 0, 0x10, 0x01};
    write_cfg(shortfile, sizeof shortfile);
    load();
    game_param *p = get_par_str();
    EXPECT_EQ(p->window_width, 1280);
    EXPECT_EQ(p->window_height, 600);
    EXPECT_EQ(p->view_distance, 1);
    EXPECT_STREQ(p->language, "rus");
    EXPECT_EQ(p->world_counter, 1);
    EXPECT_EQ(p->fog_enabled, 1);
    EXPECT_EQ(st_page, 0);   // the file existed
    EXPECT_EQ(read_cfg().size(), 10u);   // reading never rewrites the file

    write_cfg(shortfile, 0);
    load();
    EXPECT_EQ(p->window_width, 800);
    EXPECT_EQ(read_cfg().size(), 0u);
}

TEST_F(ConfigFile, OutOfRangeValuesAreBroughtBack)
{
    unsigned char bytes[CFG_BYTES];
    memcpy(bytes, DEFAULT_BYTES, CFG_BYTES);
    bytes[4] = bytes[5] = bytes[6] = bytes[7] = 0xff;   // width -1
    memset(bytes + 8, 0, 4);                            // height 0
    bytes[20] = 4;                                      // view distance 4
    memcpy(bytes + 24, "engl", 4);                      // no NUL
    bytes[28] = 0xff; bytes[29] = 0xff; bytes[30] = 0xff; bytes[31] = 0x7f;   // counter kept
    bytes[32] = 2;                                      // fog 2
    write_cfg(bytes, CFG_BYTES);
    load();
    game_param *p = get_par_str();
    EXPECT_EQ(p->window_width, 800);
    EXPECT_EQ(p->window_height, 600);
    EXPECT_EQ(p->view_distance, 1);
    EXPECT_STREQ(p->language, "rus");
    EXPECT_EQ(p->world_counter, 0x7fffffff);
    EXPECT_EQ(p->fog_enabled, 1);

    bytes[20] = 0;   // view distance 0
    bytes[32] = 0;   // fog off is a value the game writes
    memcpy(bytes + 24, "eng", 4);
    write_cfg(bytes, CFG_BYTES);
    load();
    EXPECT_EQ(p->view_distance, 1);
    EXPECT_EQ(p->fog_enabled, 0);
    EXPECT_STREQ(p->language, "eng");
}

TEST_F(ConfigFile, AnyFileContentGivesUsableSettings)
{
    // Sizes that crashed the window system or overflowed its buffers come
    // back within what a window can be.
    unsigned char bytes[100];
    memcpy(bytes, DEFAULT_BYTES, CFG_BYTES);
    bytes[4] = 0xff; bytes[5] = 0x7f; bytes[6] = 0; bytes[7] = 0;         // width 32767
    bytes[8] = 0xff; bytes[9] = 0xff; bytes[10] = 0xff; bytes[11] = 0x7f; // height INT32_MAX
    write_cfg(bytes, CFG_BYTES);
    load();
    game_param *p = get_par_str();
    EXPECT_EQ(p->window_width, WINDOW_EDGE_MAX);
    EXPECT_EQ(p->window_height, WINDOW_EDGE_MAX);
    fit_window_to_screen(p, 1024, 768);
    EXPECT_EQ(p->window_width, 1024);
    EXPECT_EQ(p->window_height, 768);
    fit_window_to_screen(p, 0, -1);   // screen unknown: kept
    EXPECT_EQ(p->window_width, 1024);

    unsigned int seed = 12345;
    for (int round = 0; round < 500; round++) {
        size_t n = (size_t)(rand_r(&seed) % 100);
        for (size_t i = 0; i < n; i++)
            bytes[i] = (unsigned char)rand_r(&seed);
        write_cfg(bytes, n);
        load();
        ASSERT_GE(p->window_width, 1) << round;
        ASSERT_LE(p->window_width, WINDOW_EDGE_MAX) << round;
        ASSERT_GE(p->window_height, 1) << round;
        ASSERT_LE(p->window_height, WINDOW_EDGE_MAX) << round;
        ASSERT_GE(p->view_distance, 1) << round;
        ASSERT_LE(p->view_distance, 3) << round;
        ASSERT_TRUE(p->fog_enabled == 0 || p->fog_enabled == 1) << round;
        ASSERT_NE(memchr(p->language, 0, sizeof p->language), nullptr) << round;
        ASSERT_EQ(read_cfg().size(), n) << round;
    }
}

TEST_F(ConfigFile, AFailedWriteKeepsTheOldSettings)
{
    load();
    game_param *p = get_par_str();
    memcpy(p->language, "eng", 4);
    p->world_counter = 7;
    ASSERT_EQ(save(), 1);
    std::string before = read_cfg();
    // A full disk, as a file size limit of 20 bytes.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit, small = {20, 20};
    getrlimit(RLIMIT_FSIZE, &old_limit);
    small.rlim_max = old_limit.rlim_max;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    p->world_counter = 8;
    int saved = save();
    setrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(saved, 0);
    EXPECT_EQ(read_cfg(), before);
    EXPECT_EQ(access("cfg.tmp", F_OK), -1);   // nothing left behind
}

TEST_F(ConfigFile, AFifoInPlaceOfCfgIsNotWaitedOn)
{
    ASSERT_EQ(mkfifo("cfg", 0600), 0);
    testing::internal::CaptureStdout();
    load();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cfg is not a regular file, the default settings are used \n");
    EXPECT_EQ(get_par_str()->window_width, 800);
    EXPECT_STREQ(get_par_str()->language, "rus");
}

}  // namespace
