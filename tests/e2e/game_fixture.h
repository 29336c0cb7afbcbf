// The real game in a fresh run folder on a private X server, for one test.
#pragma once
#include "temp_dir.h"
#include "xsession.h"

#include <glob.h>

#include <functional>

constexpr size_t CHUNK_FILE_BYTES = 524288;
constexpr int GRASS = 1, EARTH = 3;

// True once done() holds, polled until timeout_s has passed.
inline bool wait_until(double timeout_s, const std::function<bool()> &done)
{
    for (double t = 0; t < timeout_s; t += 0.05, xs_sleep(0.05))
        if (done())
            return true;
    return done();
}

class GameTest : public ::testing::Test {
protected:
    char run_dir[64] = "/tmp/quarrow-run-XXXXXX";
    Window window = 0;

    void SetUp() override
    {
        ASSERT_TRUE(xs_start_server()) << "Xvfb did not start";
        ASSERT_NE(mkdtemp(run_dir), nullptr);
        ASSERT_EQ(system(("cp -r '" QUARROW_DATA_DIR "/.' " + std::string(run_dir)).c_str()), 0);
    }
    void TearDown() override
    {
        xs_stop_server();
        if (!HasFailure()) {
            EXPECT_EQ(system(("rm -rf " + std::string(run_dir)).c_str()), 0);
        }
    }
    // Starts the game and waits for a first frame in its window.
    void start_game(const char *exe = nullptr)
    {
        ASSERT_TRUE(xs_launch(run_dir, exe));
        window = xs_find_window("Quarrow, v0.10, win32", 20);
        ASSERT_NE(window, 0u) << output();
        xs_image img;
        ASSERT_TRUE(wait_until(20, [&] { return xs_screenshot(window, &img) && !uniform(img); }));
        xs_focus(window);
    }
    // One colour all over: nothing drawn yet.
    static bool uniform(const xs_image &img)
    {
        for (size_t i = 3; i < img.rgb.size(); i++)
            if (img.rgb[i] != img.rgb[i % 3])
                return false;
        return true;
    }
    // A click on a menu point, in 800 x 600 menu units.
    void click_menu(int x, int y)
    {
        int w = 800, h = 600;
        xs_window_size(window, &w, &h);
        xs_move(window, x * w / 800, y * h / 600);
        xs_sleep(0.15);
        click(1);
        xs_sleep(0.3);
    }
    void click(int button)
    {
        xs_button(button, true);
        xs_sleep(0.05);
        xs_button(button, false);
    }
    // Escape, or a signal.
    void quit(int sig = 0)
    {
        sig ? xs_kill_game(sig) : xs_key("Escape");
        int status = -100;
        ASSERT_TRUE(xs_wait_exit(20, &status));
        EXPECT_EQ(status, 0);
    }
    // Everything the game has printed so far.
    std::string output() const { return read_file(std::string(run_dir) + "/stdout.txt"); }
    int count(const char *needle) const
    {
        std::string text = output();
        int n = 0;
        for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
            n++;
        return n;
    }
    bool wait_output(const std::string &needle, int n = 1)
    {
        return wait_until(30, [&] { return count(needle.c_str()) >= n; });
    }
    // Mouse look: the view turns by a tenth of each move's length and the
    // game warps the pointer back to the centre; pitch stops at 80 degrees
    // down. Each move waits for that warp, so none is merged with the next.
    bool look(int dx, int dy, int moves)
    {
        int w = 800, h = 600, x = 0, y = 0;
        xs_window_size(window, &w, &h);
        for (int i = 0; i < moves; i++) {
            xs_move_by(dx, dy);
            if (!wait_until(3, [&] { return xs_pointer(window, &x, &y) && x == w / 2 && y == h / 2; }))
                return false;
        }
        return true;
    }
    // Waits until two pictures a quarter second apart differ in under 1 % of
    // their pixels: the player has landed or stopped.
    bool wait_still()
    {
        xs_image a, b;
        return wait_until(15, [&] {
            xs_screenshot(window, &a);
            xs_sleep(0.25);
            size_t moved = 0;
            if (!xs_screenshot(window, &b) || a.rgb.size() != b.rgb.size())
                return false;
            for (size_t i = 0; i < a.rgb.size(); i++)
                moved += abs(a.rgb[i] - b.rgb[i]) > 8;
            return moved < a.rgb.size() / 100;
        });
    }
    // Whether hot-bar cell i shows a count: near-white pixels the scene behind never has.
    bool count_in_cell(int i)
    {
        xs_image img;
        int n = 0;
        if (!xs_screenshot(window, &img))
            return false;
        // The overlay is stretched over the whole window.
        for (int y = 568; y < 598; y++)
            for (int x = 213 + 38 * i; x < 241 + 38 * i; x++) {
                const unsigned char *p = img.at(x * img.width / 800, y * img.height / 600);
                n += p[0] > 215 && p[1] > 215 && p[2] > 215;
            }
        return n > 8;
    }
    // Blue of the sky at the screen's centre, looking straight up: it follows the clock.
    int sky_blue()
    {
        xs_image img;
        return xs_screenshot(window, &img) ? img.at(img.width / 2, img.height / 3)[2] : -1;
    }
    static std::vector<std::string> chunk_files(const std::string &folder)
    {
        glob_t g;
        std::vector<std::string> names;
        if (glob((folder + "/*.qrb").c_str(), 0, nullptr, &g) == 0)
            names.assign(g.gl_pathv, g.gl_pathv + g.gl_pathc);
        globfree(&g);
        return names;
    }
    // Columns of a ground-level chunk file whose top block is `top` over
    // `under`, as "lx ly". The generator tops every column with grass.
    static std::vector<std::string> columns(const std::string &chunk_file, int top, int under)
    {
        std::vector<std::string> found;
        std::string c = read_file(chunk_file);
        auto id = [&](int lx, int ly, int lz) { return c[2 * ((lx * 64 + ly) * 64 + lz)]; };
        for (int lx = 0; c.size() == CHUNK_FILE_BYTES && lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++) {
                int z = 63;
                while (z > 0 && !id(lx, ly, z))
                    z--;
                if (id(lx, ly, z) == top && id(lx, ly, z - 1) == under)
                    found.push_back(std::to_string(lx) + " " + std::to_string(ly));
            }
        return found;
    }
};
