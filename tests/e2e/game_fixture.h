// The real game in a fresh run folder on a private X server, for one test.
#pragma once
#include "temp_dir.h"
#include "xsession.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <numeric>

constexpr size_t CHUNK_FILE_BYTES = 524288;
constexpr int GRASS = 1, EARTH = 3;
constexpr double START_X = 200;   // a new world's player stands there, facing along y

// True once done() holds, polled until timeout_s has passed.
inline bool wait_until(double timeout_s, const std::function<bool()> &done)
{
    // By the clock, not by rounds: a slow done() must not stretch the wait past the test's timeout.
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout_s);
    for (; std::chrono::steady_clock::now() < end; xs_sleep(0.05))
        if (done())
            return true;
    return done();
}

class GameTest : public ::testing::Test {
protected:
    char run_dir[64] = "/tmp/quarrow-run-XXXXXX";
    Window window = 0;
    int width = 800, height = 600;   // the window's, at its first frame

    void SetUp() override
    {
        ASSERT_TRUE(xs_start_server()) << "Xvfb did not start";
        ASSERT_NE(mkdtemp(run_dir), nullptr);
        ASSERT_EQ(system(("cp -r '" QUARROW_DATA_DIR "/.' " + std::string(run_dir)).c_str()), 0);
    }
    void TearDown() override
    {
        xs_stop_server();
        if (!HasFailure() && system(("rm -rf " + std::string(run_dir)).c_str()) != 0)
            ADD_FAILURE() << "could not remove " << run_dir;
    }
    // Starts the game and waits for its first frame: a picture where some pixel differs from the one before it.
    void start_game(const char *exe = nullptr)
    {
        ASSERT_TRUE(xs_launch(run_dir, exe));
        ASSERT_TRUE(wait_until(20, [&] { return (window = xs_find_window("Quarrow, v0.10, win32")); })) << output();
        xs_image img;
        ASSERT_TRUE(wait_until(20, [&] {
            img = xs_screenshot(window);
            return img.width && !std::equal(img.rgb.begin() + 3, img.rgb.end(), img.rgb.begin());
        }));
        width = img.width;
        height = img.height;
        xs_focus(window);
    }
    // A click on a menu point, in 800 x 600 menu units.
    void click_menu(int x, int y)
    {
        xs_move(window, x * width / 800, y * height / 600);
        xs_sleep(0.15), xs_key("Button1", 0.05), xs_sleep(0.3);
    }
    // Escape pauses a game: its pause page's Quit game, or a signal, ends it well either way.
    void quit(int sig = 0)
    {
        if (!sig)
            escape_and_click(355);
        EXPECT_EQ(xs_end_game(sig, 20), 0);
    }
    // Escape, then a button of the pause page (the main menu's column) once the pointer is let go.
    void escape_and_click(int y) { xs_key("Escape"), xs_sleep(0.3), click_menu(400, y); }
    std::string output() const { return read_file(std::string(run_dir) + "/stdout.txt"); }
    int count(const char *needle) const
    {
        std::string text = output();
        int n = 0;
        for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
            n++;
        return n;
    }
    bool wait_output(const std::string &needle, int n = 1) { return wait_until(30, [&] { return count(needle.c_str()) >= n; }); }
    // Mouse look: the view turns by a tenth of each move's length and the game warps the pointer back to the
    // centre; pitch stops at 80 degrees down. Each move waits for that warp, so none is merged with the next.
    bool look(int dx, int dy, int moves)
    {
        int x = 0, y = 0;
        for (int i = 0; i < moves; i++) {
            xs_move(0, dx, dy);
            if (!wait_until(3, [&] { return xs_pointer(window, &x, &y) && x == width / 2 && y == height / 2; }))
                return false;
        }
        return true;
    }
    // As a walker looking down at the feet, once the picture is still (landed), digs the grass underfoot (rock would
    // not break): it breaks after 2.8 s, the player drops in and collects the box, its earth in the first free cell, 8.
    void dig_at_feet()
    {
        ASSERT_TRUE(look(0, 400, 3)) << "the pointer left the window";
        xs_key("Tab");
        ASSERT_TRUE(wait_output("chenged fly 0 \n")) << "the keys no longer reach the game";
        // Two pictures a quarter second apart differ in under 1 % of their pixels.
        ASSERT_TRUE(wait_until(15, [&] {
            xs_image a = xs_screenshot(window);
            xs_sleep(0.25);
            xs_image b = xs_screenshot(window);
            return a.width && a.rgb.size() == b.rgb.size() &&
                   std::inner_product(a.rgb.begin(), a.rgb.end(), b.rgb.begin(), size_t(0), std::plus<size_t>(),
                                      [](int p, int q) { return abs(p - q) > 8; }) < a.rgb.size() / 100;
        }));
        xs_key_held("Button1", true);
        EXPECT_TRUE(wait_until(20, [&] { return count_in_cell(7); })) << "no box collected";
        xs_key_held("Button1", false);
    }
    // Whether hot-bar cell i shows a count: near-white pixels the scene never has (the overlay fills the window).
    bool count_in_cell(int i)
    {
        xs_image img = xs_screenshot(window);
        int n = 0;
        for (int y = 568; img.width && y < 598; y++)
            for (int x = 213 + 38 * i; x < 241 + 38 * i; x++) {
                const unsigned char *p = img.at(x * img.width / 800, y * img.height / 600);
                n += p[0] > 215 && p[1] > 215 && p[2] > 215;
            }
        return n > 8;
    }
    // Blue of the sky at the screen's centre, looking straight up: it follows the clock.
    int sky_blue()
    {
        xs_image img = xs_screenshot(window);
        return img.width ? img.at(img.width / 2, img.height / 3)[2] : -1;
    }
    typedef std::pair<int, int> column;   // lx, ly in its chunk
    // Columns of a ground-level chunk file whose top block is `top` over `under`; the generator tops all with grass.
    static std::vector<column> columns(const std::string &chunk_file, int top, int under)
    {
        std::vector<column> found;
        std::string c = read_file(chunk_file);
        auto id = [&](int lx, int ly, int lz) { return c[2 * ((lx * 64 + ly) * 64 + lz)]; };
        for (int lx = 0; c.size() == CHUNK_FILE_BYTES && lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++) {
                int z = 63;
                while (z > 0 && !id(lx, ly, z))
                    z--;
                if (id(lx, ly, z) == top && id(lx, ly, z - 1) == under)
                    found.push_back({lx, ly});
            }
        return found;
    }
};
