// The game as a player starts it: the window, the settings file, the frame
// rate in the title, a picture on screen, and every way out.
#include "game_fixture.h"

#include <cstring>

namespace {

using Startup = GameTest;

TEST_F(Startup, FirstStartOpensTheWindowAndWritesTheDefaults)
{
    start_game();
    int w = 0, h = 0;
    ASSERT_TRUE(xs_window_size(window, &w, &h));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(xs_title(window).rfind("Quarrow, v0.10, win32", 0), 0u);

    std::string cfg = file("cfg");
    ASSERT_EQ(cfg.size(), 40u);
    EXPECT_EQ(i32(cfg, 0), 0);
    EXPECT_EQ(i32(cfg, 4), 800);
    EXPECT_EQ(i32(cfg, 8), 600);
    // The position is written as 30, 30 and rewritten as 0, 0 by the first resize.
    EXPECT_TRUE(i32(cfg, 12) == 30 || i32(cfg, 12) == 0);
    EXPECT_EQ(i32(cfg, 12), i32(cfg, 16));
    EXPECT_EQ(i32(cfg, 20), 1);
    EXPECT_EQ(memcmp(cfg.data() + 24, "rus", 4), 0);
    EXPECT_EQ(i32(cfg, 28), 1);
    EXPECT_EQ(i32(cfg, 32), 1);
    EXPECT_EQ(i32(cfg, 36), 0);

    EXPECT_TRUE(xs_wait_title(window, "Quarrow, v0.10, win32, FPS: ", 5)) << xs_title(window);
    int fps = atoi(xs_title(window).c_str() + strlen("Quarrow, v0.10, win32, FPS: "));
    EXPECT_GT(fps, 0);
    EXPECT_LE(fps, 81);

    xs_image shot = screenshot("startup");
    EXPECT_GT(xs_distinct_colours(shot), 50) << "the window shows a flat colour";
    quit_and_wait();
}

TEST_F(Startup, ClosingTheWindowEndsTheGame)
{
    start_game();
    ASSERT_TRUE(xs_close_window(window));
    int status = -100;
    ASSERT_TRUE(xs_wait_exit(10, &status));
    EXPECT_EQ(status, 0);
}

TEST_F(Startup, ResizingRewritesTheSettings)
{
    start_game();
    xs_resize(window, 1024, 768);
    EXPECT_TRUE(wait_file_i32("cfg", 4, 1024, 5));
    EXPECT_TRUE(wait_file_i32("cfg", 8, 768, 5));
    EXPECT_EQ(file("cfg").size(), 40u);
    EXPECT_EQ(i32(file("cfg"), 12), 0);
    quit_and_wait();
    // The next start opens at the stored size.
    start_game();
    int w = 0, h = 0;
    ASSERT_TRUE(xs_window_size(window, &w, &h));
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    quit_and_wait();
}

TEST_F(Startup, AStoredWindowSizeTooBigForTheScreenStillOpens)
{
    // 32767 x 32767 made every start crash inside the X library.
    std::string cfg(40, '\0');
    const unsigned char head[] = {0, 0, 0, 0, 0xff, 0x7f, 0, 0, 0xff, 0x7f, 0, 0};
    cfg.replace(0, sizeof head, (const char *)head, sizeof head);
    cfg[20] = 1;
    cfg.replace(24, 3, "eng");
    cfg[28] = 1;
    FILE *f = fopen((run_dir + "/cfg").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fwrite(cfg.data(), 1, cfg.size(), f);
    fclose(f);
    start_game();
    int w = 0, h = 0;
    ASSERT_TRUE(xs_window_size(window, &w, &h));
    EXPECT_LE(w, 1024);   // the private server's screen
    EXPECT_LE(h, 768);
    // The size the window got is what cfg holds from now on.
    EXPECT_TRUE(wait_file_i32("cfg", 4, w, 5));
    quit_and_wait();
}

}  // namespace
