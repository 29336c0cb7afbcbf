// The real game in a fresh run folder on a private X server, for one test.
#pragma once
#include "temp_dir.h"
#include "xsession.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

class GameTest : public ::testing::Test {
protected:
    std::string run_dir;
    Window window = 0;

    void SetUp() override
    {
        ASSERT_TRUE(xs_start_server()) << "Xvfb did not start";
        run_dir = xs_make_run_dir();
        ASSERT_FALSE(run_dir.empty());
    }
    void TearDown() override
    {
        xs_kill_game(SIGKILL);
        xs_stop_server();
        if (!run_dir.empty() && !HasFailure()) {
            std::string cmd = "rm -rf '" + run_dir + "'";
            if (system(cmd.c_str()) != 0)
                fprintf(stderr, "could not remove %s\n", run_dir.c_str());
        }
    }
    // Starts the game (the one just built, or exe) and waits for its window and its first frames.
    void start_game(const char *exe = nullptr)
    {
        ASSERT_TRUE(xs_launch(run_dir, exe));
        window = xs_find_window("Quarrow, v0.10, win32", 20);
        ASSERT_NE(window, 0u) << xs_output();
        ASSERT_TRUE(xs_wait_output("max texture size ", 20)) << xs_output();
        xs_focus(window);
        ASSERT_TRUE(wait_first_frame(10));
    }
    // First start, a new world: the language page, New game, Create world
    // twice; then waits for the 36 chunks round the camera.
    void start_new_world(const char *exe = nullptr)
    {
        start_game(exe);
        click_menu(160, 400);
        click_menu(400, 265);
        click_menu(400, 515);
        click_menu(400, 515);
        ASSERT_TRUE(xs_wait_output("world size 10 \n", 10)) << xs_output();
        for (int i = 0; i < 200 && xs_count_output("created ") < 36; i++)
            xs_sleep(0.1);
    }
    // The window holds more than the clear colour once a frame was swapped in.
    bool wait_first_frame(double timeout_s)
    {
        for (double t = 0; t < timeout_s; t += 0.05) {
            xs_image img;
            if (xs_screenshot(window, &img) && xs_distinct_colours(img) > 1)
                return true;
            xs_sleep(0.05);
        }
        return false;
    }
    void quit_and_wait()
    {
        xs_focus(window);
        xs_key("Escape");
        int status = -100;
        ASSERT_TRUE(xs_wait_exit(10, &status));
        EXPECT_EQ(status, 0);
    }
    std::string file(const std::string &relative) { return read_file(run_dir + "/" + relative); }
    static int i32(const std::string &bytes, size_t at)
    {
        if (bytes.size() < at + 4)
            return -12345;
        return (int)((unsigned)(unsigned char)bytes[at] | (unsigned)(unsigned char)bytes[at + 1] << 8 |
                     (unsigned)(unsigned char)bytes[at + 2] << 16 | (unsigned)(unsigned char)bytes[at + 3] << 24);
    }
    // Moves the pointer over a menu point (in 800 x 600 menu units) and clicks.
    void click_menu(int x, int y)
    {
        int w = 800, h = 600;
        xs_window_size(window, &w, &h);
        xs_move(window, x * w / 800, y * h / 600);
        xs_sleep(0.15);
        xs_click(1);
        xs_sleep(0.3);
    }
    // Mouse look: every motion away from the centre turns the view by a tenth
    // of its distance, then the game puts the pointer back. Pitch stops at 80
    // degrees down and 100 up, so enough moves one way give a known view.
    // Each move waits for the warp back, so no motion is merged with the next
    // when the machine is busy and the angle comes out as counted.
    void look(int dy, int moves)
    {
        int w = 800, h = 600;
        xs_window_size(window, &w, &h);
        for (int i = 0; i < moves; i++) {
            xs_move(window, w / 2, h / 2 + dy);
            int x = 0, y = 0;
            for (double t = 0; t < 3; t += 0.01) {
                if (xs_pointer(window, &x, &y) && x == w / 2 && y == h / 2)
                    break;
                xs_sleep(0.01);
            }
            xs_sleep(0.03);
        }
        xs_sleep(0.3);
    }
    xs_image screenshot(const char *name)
    {
        xs_image img;
        EXPECT_TRUE(xs_screenshot(window, &img));
        xs_write_png(xs_artefact_dir() + "/" + name + ".png", img);
        return img;
    }
    // Near-white pixels of hot-bar cell i: its count and, when selected, its frame.
    int white_in_cell(const xs_image &img, int i)
    {
        int n = 0, x0 = 210 + 38 * i;
        for (int y = 568; y < 598; y++)
            for (int x = x0 + 3; x < x0 + 31; x++) {
                const unsigned char *p = img.at(x, y);
                n += p[0] > 215 && p[1] > 215 && p[2] > 215;
            }
        return n;
    }
    // Waits until hot-bar cell i shows a count (the scene behind it is never that white).
    bool wait_count_in_cell(int i, double timeout_s)
    {
        for (double t = 0; t < timeout_s; t += 0.2) {
            xs_image now;
            if (xs_screenshot(window, &now) && white_in_cell(now, i) > 8)
                return true;
            xs_sleep(0.2);
        }
        return false;
    }
    bool wait_file_i32(const char *relative, size_t at, int value, double timeout_s)
    {
        for (double t = 0; t < timeout_s; t += 0.05) {
            if (i32(file(relative), at) == value)
                return true;
            xs_sleep(0.05);
        }
        return false;
    }
};
