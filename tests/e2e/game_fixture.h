// The real game in a fresh run folder on a private X server, for one test.
#pragma once
#include "temp_dir.h"
#include "xsession.h"

#include <gtest/gtest.h>

#include <dirent.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

constexpr long CHUNK_FILE_BYTES = 524288;
constexpr int GRASS = 1, EARTH = 3;

// True once done() holds, polled until timeout_s has passed.
inline bool wait_until(double timeout_s, const std::function<bool()> &done)
{
    for (double t = 0; t < timeout_s; t += 0.05) {
        if (done())
            return true;
        xs_sleep(0.05);
    }
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
    // Starts the game and waits for its window and a first frame in it.
    void start_game(const char *exe = nullptr)
    {
        ASSERT_TRUE(xs_launch(run_dir, exe));
        window = xs_find_window("Quarrow, v0.10, win32", 20);
        ASSERT_NE(window, 0u) << xs_output();
        ASSERT_TRUE(wait_until(20, [&] { return shown(window) && count("max texture size ") == 1; }));
        xs_focus(window);
    }
    static bool shown(Window w)
    {
        xs_image img;
        return xs_screenshot(w, &img) && xs_distinct_colours(img) > 1;
    }
    // First start: the language page, then New game and Create world twice.
    void start_new_world(const char *exe = nullptr)
    {
        start_game(exe);
        for (int y : {-400, 265, 515, 515})
            click_menu(y < 0 ? 160 : 400, y < 0 ? -y : y);
        ASSERT_TRUE(wait_output("created ", 36)) << xs_output();
    }
    // Moves the pointer over a menu point (in 800 x 600 menu units) and clicks.
    void click_menu(int x, int y)
    {
        int w = 800, h = 600;
        xs_window_size(window, &w, &h);
        xs_move(window, x * w / 800, y * h / 600);
        xs_sleep(0.15);
        xs_button(1, true);
        xs_button(1, false);
        xs_sleep(0.3);
    }
    void quit(bool by_close = false)
    {
        by_close ? xs_close_window(window) : xs_key("Escape");
        int status = -100;
        ASSERT_TRUE(xs_wait_exit(20, &status));
        EXPECT_EQ(status, 0);
    }
    int count(const char *needle)
    {
        std::string text = xs_output();
        int n = 0;
        for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
            n++;
        return n;
    }
    bool wait_output(const char *needle, int n = 1, double timeout_s = 30)
    {
        return wait_until(timeout_s, [&] { return count(needle) >= n; });
    }
    // Mouse look: the view turns by a tenth of each move's length, which
    // the game takes back by warping the pointer to the centre; pitch
    // stops at 80 degrees down. Each move waits for that warp, so none is
    // merged with the next on a busy machine.
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
            if (!xs_screenshot(window, &b) || a.rgb.size() != b.rgb.size())
                return false;
            size_t moved = 0;
            for (size_t i = 0; i < a.rgb.size(); i++)
                moved += abs(a.rgb[i] - b.rgb[i]) > 8;
            return moved < a.rgb.size() / 100;
        });
    }
    // Whether hot-bar cell i shows a count: near-white pixels the scene behind never has.
    bool count_in_cell(int i)
    {
        xs_image img;
        if (!xs_screenshot(window, &img))
            return false;
        int n = 0, x0 = 210 + 38 * i;
        for (int y = 568; y < 598; y++)
            for (int x = x0 + 3; x < x0 + 31; x++)
                n += img.at(x, y)[0] > 215 && img.at(x, y)[1] > 215 && img.at(x, y)[2] > 215;
        return n > 8;
    }
    void screenshot(const char *name)
    {
        xs_image img;
        if (xs_screenshot(window, &img))
            xs_write_png(xs_artefact_dir() + "/" + name + ".png", img);
    }
    std::string file(const std::string &relative) { return read_file(std::string(run_dir) + "/" + relative); }
    static int i32(const std::string &bytes, size_t at)
    {
        if (bytes.size() < at + 4)
            return -12345;
        const unsigned char *b = (const unsigned char *)bytes.data() + at;
        return (int)(b[0] | b[1] << 8 | b[2] << 16 | (unsigned)b[3] << 24);
    }
    // Names of the chunk files in a world folder.
    static std::vector<std::string> chunk_files(const std::string &folder)
    {
        std::vector<std::string> names;
        DIR *d = opendir(folder.c_str());
        while (dirent *e = d ? readdir(d) : nullptr)
            if (std::string(e->d_name).find(".qrb") != std::string::npos)
                names.push_back(e->d_name);
        if (d)
            closedir(d);
        return names;
    }
    static int block(const std::string &chunk, int lx, int ly, int lz)
    {
        size_t at = 2 * (((size_t)lx * 64 + ly) * 64 + lz);
        return (unsigned char)chunk[at] | (unsigned char)chunk[at + 1] << 8;
    }
    // Columns of the ground level's chunk files whose top block is `top`
    // over `under`, as "file lx ly". The generator tops every column with grass.
    static std::vector<std::string> columns(const std::string &folder, int top, int under)
    {
        std::vector<std::string> found;
        for (const std::string &f : chunk_files(folder)) {
            std::string c = read_file(folder + "/" + f);
            if (f.find("-4.qrb") == std::string::npos || c.size() != CHUNK_FILE_BYTES)
                continue;
            for (int lx = 0; lx < 64; lx++)
                for (int ly = 0; ly < 64; ly++) {
                    int z = 63;
                    while (z > 0 && !block(c, lx, ly, z))
                        z--;
                    if (block(c, lx, ly, z) == top && block(c, lx, ly, z - 1) == under)
                        found.push_back(f + " " + std::to_string(lx) + " " + std::to_string(ly));
                }
        }
        return found;
    }
};
