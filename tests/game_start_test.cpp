// Keys in play, and starting a world from the menu: its folder, size and counter.
#include "app/config.h"
#include "app/engine.h"
#include "app/input.h"
#include "app/loop.h"
#include "gl_context.h"
#include "gui/gui.h"
#include "gui/lang.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "platform/platform.h"
#include "player/physics.h"
#include "render/frame.h"
#include "save/catalogue.h"
#include "save/saver.h"
#include "temp_dir.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <chrono>
#include <signal.h>
#include <sys/resource.h>

namespace {

TEST(Input, DigitsChooseCellsAndALetterIsReleasedInEitherCase)
{
    Key('0', 0, 0);
    EXPECT_EQ(cells_active, 9);
    // As pressed, Shift let go before the letter, or pressed while it is held.
    const unsigned char press_release[][2] = {{'w', 'w'}, {'W', 'w'}, {'w', 'W'}};
    for (const auto &k : press_release) {
        Key(k[0], 0, 0);
        KeyUp(k[1], 0, 0);
        EXPECT_EQ(keys[k[0]], 0) << k[0];
    }
}

// Flying, W and S move along the view and back, A and D to its left and right,
// with Shift held or not.
TEST(Input, WasdMoveAlongAndAcrossTheView)
{
    ASSERT_TRUE(gl_engine_open());
    gui = game = 0;
    fly_mode = 1;
    c_rot_x = 0;
    for (float yaw : {0.0f, 90.0f}) {
        c_rot_y = yaw;
        double moved[4][2];
        const char *const pairs[] = {"wW", "aA", "sS", "dD"};
        for (int shift = 0; shift < 2; shift++)
            for (int k = 0; k < 4; k++) {
                unsigned char key = (unsigned char)pairs[k][shift];
                keys[key] = 1;
                camera_x = camera_y = camera_z = 100;
                timer = 0;
                Display();
                keys[key] = 0;
                moved[k][0] = camera_x - 100;
                moved[k][1] = camera_y - 100;
                EXPECT_EQ(camera_z, 100) << key;
            }
        // Facing along +y at yaw 0, the player's left is +x.
        double forward[2] = {yaw == 0 ? 0.0 : -1.0, yaw == 0 ? 1.0 : 0.0}, left[2] = {forward[1], -forward[0]};
        const double *expected[4] = {forward, left, forward, left};
        for (int k = 0; k < 4; k++) {
            double sign = k < 2 ? 1 : -1, length = k % 2 ? 0.12 : 0.2;
            EXPECT_NEAR(moved[k][0], sign * length * expected[k][0], 0.01) << pairs[k] << " at yaw " << yaw;
            EXPECT_NEAR(moved[k][1], sign * length * expected[k][1], 0.01) << pairs[k] << " at yaw " << yaw;
        }
    }
    fly_mode = 0;
}

// However quickly a frame is drawn, the next waits its turn: at most 80 a
// second, on a clock that keeps the system's time.
TEST(Loop, FramesAreAnEightiethOfASecondApartAtLeast)
{
    ASSERT_TRUE(gl_engine_open());
    gui = game = 0;   // next to nothing to draw
    start_clocks();
    using ms = std::chrono::duration<double, std::milli>;
    auto before_start = std::chrono::steady_clock::now();
    double start = plat_clock_ms();
    auto after_start = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; i++) {
        timer = 0;   // no physics owed: every pass draws
        Display();
    }
    auto before_end = std::chrono::steady_clock::now();
    double elapsed = plat_clock_ms() - start;
    auto after_end = std::chrono::steady_clock::now();
    EXPECT_GE(elapsed, 20 * 1000.0 / FRAME_CAP);
    // Whole milliseconds, read between two readings of the system's clock.
    EXPECT_GE(elapsed, ms(before_end - after_start).count() - 1);
    EXPECT_LE(elapsed, ms(after_end - before_start).count() + 1);
}

// Clicks the middle of a button; what the click printed.
std::string click(const button &b)
{
    g_set_mouse(b.x + b.w / 2, b.y + b.h / 2);
    testing::internal::CaptureStdout();
    mouse_down(GLUT_LEFT_BUTTON);
    return testing::internal::GetCapturedStdout();
}

// Creates a world 20 columns wide from the create page.
std::string create()
{
    g_level(PAGE_CREATE);
    g_set_mouse(400, 390 + 15);   // the size list's second item
    g_mouse_down();
    return click(btt[b_create_world]);
}

using GameStart = InTempDir;

TEST_F(GameStart, AWorldIsPlayedOnceItsFolderIsMadeAndReopensAtItsSize)
{
    ASSERT_TRUE(gl_context_open());
    load();   // no cfg here: the defaults
    game_param *p = get_par_str();
    g_set_par_str(p);
    write_file("saves", "a file where the folder goes");
    EXPECT_NE(create().find("cannot be created"), std::string::npos);
    EXPECT_EQ(game, 0);
    remove("saves");
    p->world_counter = INT32_MAX;   // as a foreign cfg may hold it
    std::string out = create();
    EXPECT_EQ(out.rfind("./saves/world 2147483647world size 20 \n", 0), 0u) << out;
    EXPECT_EQ(read_file("cfg")[28], 1);   // the counter starts over, and is kept
    world_size = 10;
    catalogue worlds;
    find_worlds(&worlds);
    g_setctlg(&worlds);
    gui = 1;
    game = 0;
    g_level(PAGE_WORLDS);
    click(btt[play_w[0]]);
    EXPECT_EQ(game, 1);
    EXPECT_EQ(world_size, 20);
}

// While a chunk cannot be written the game says so on the screen, and stops
// saying it once the chunk is on disk.
TEST_F(GameStart, TheScreenSaysSoWhileAChunkCannotBeSaved)
{
    ASSERT_TRUE(gl_engine_open());
    ASSERT_EQ(system("mkdir -p saves/w"), 0);
    world_size = 10;
    testing::internal::CaptureStdout();
    initialize_world();
    init_save_load(world, cubes, 10, "w");
    testing::internal::GetCapturedStdout();
    std::fill_n(&cubes[0].blocks[0][0][0], CHUNK_BLOCKS, 3);
    cubes[0].loaded = 1;
    *world_entry(4, 4, 4) = 0;
    chunk_changed(4, 4, 4);
    camera_x = camera_y = 200;   // the chunk stays in view
    camera_z = 285;
    rlimit old_limit, small = {1000, RLIM_INFINITY};
    getrlimit(RLIMIT_FSIZE, &old_limit);
    small.rlim_max = old_limit.rlim_max;
    signal(SIGXFSZ, SIG_IGN);
    game = 1;
    gui = 0;
    for (bool full : {true, false}) {
        setrlimit(RLIMIT_FSIZE, full ? &small : &old_limit);
        testing::internal::CaptureStdout();
        int saved = save_w(4, 4, 4);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(saved, !full);
        EXPECT_EQ(draws_text(e_render, lang_get(PHRASE_SAVING_FAILS), 400, 530, 16), full);
    }
    cubes[0].loaded = 0;
    game = 0;
}

}  // namespace
