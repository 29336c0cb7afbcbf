// Keys in play, starting a world from the menu (its folder, size and counter), and the player kept with the world.
#include "app/config.h"
#include "app/engine.h"
#include "app/input.h"
#include "app/loop.h"
#include "gl_context.h"
#include "gui/gui.h"
#include "gui/inventory_page.h"
#include "gui/lang.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "platform/platform.h"
#include "player/cells.h"
#include "player/physics.h"
#include "render/frame.h"
#include "save/catalogue.h"
#include "save/player_file.h"
#include "save/saver.h"
#include "temp_dir.h"
#include "world/game_start.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <chrono>
#include <signal.h>
#include <sys/resource.h>

namespace {

// A name field takes what is typed, and the game to come gets none of it.
TEST(Input, KeysTypedIntoANameReachOnlyTheName)
{
    gui = 1;
    g_level(PAGE_CREATE);
    t_field[t_world_name].text[0] = '\0';
    fly_mode = 1;
    jump = 0;
    cells_active = 2;
    for (unsigned char key : {'\t', ' ', '5', 'w'}) {
        Key(key, 0, 0);
        EXPECT_EQ(keys[key], 0) << (int)key;
    }
    EXPECT_STREQ(t_field[t_world_name].text, " 5w");
    EXPECT_EQ(fly_mode, 1);
    EXPECT_EQ(jump, 0);
    EXPECT_EQ(cells_active, 2);
    g_level(PAGE_MAIN);
}

// E opens the page over the game and E or Escape closes it; while it is open
// keys and clicks are the page's.
TEST(Input, ETogglesTheInventoryPage)
{
    ASSERT_TRUE(gl_context_open());
    game = 1;
    gui = 0;
    jump = 0;
    for (unsigned char close : {'E', '\x1b'}) {
        Key('e', 0, 0);
        EXPECT_EQ(inv_page_is_open(), 1);
        Key(' ', 0, 0);
        mouse_down(GLUT_LEFT_BUTTON);
        EXPECT_EQ(jump, 0);
        EXPECT_EQ(gamer[0].dig_button, 0);
        Key(close, 0, 0);
        EXPECT_EQ(inv_page_is_open(), 0) << (int)close;
    }
    game = 0;
}

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

// A world folder with one chunk file under the start column: air but for a
// column of earth up to lz 30 there (the ground: feet at 64 * 4 + 31), rock
// at lz 40 ... 45 six blocks along x, and a single rock at lz 40 six blocks
// along x and y.
class PlayerKept : public InTempDir {
protected:
    static constexpr double GROUND_EYE = 64 * 4 + 31 + 1.0;
    std::string chunk;

    void SetUp() override
    {
        InTempDir::SetUp();
        ASSERT_TRUE(gl_context_open());
        ASSERT_EQ(system("mkdir -p saves/w"), 0);
        chunk.assign(CHUNK_FILE_BYTES, '\0');
        for (int lz = 0; lz <= 30; lz++)
            chunk[2 * ((56 * 64 + 56) * 64 + lz)] = 3;
        for (int lz = 40; lz <= 45; lz++)
            chunk[2 * ((50 * 64 + 56) * 64 + lz)] = 2;
        chunk[2 * ((50 * 64 + 50) * 64 + 40)] = 2;   // one block over a free cell
        snprintf(w_param.name, sizeof w_param.name, "w");
        w_param.player_value = 1;
        world_size = 10;
        vision_range = 1;
        if (!player_cells)
            player_cells = init_cells(10, 5);
    }
    void TearDown() override
    {
        for (cube_slot &c : cubes) {
            free(c.vertices), free(c.tex_coords), free(c.normals);
            c.vertices = c.tex_coords = c.normals = nullptr;
        }
        game = 0;
        InTempDir::TearDown();
    }
};

// The player comes back as it was written, lifted out of a block it would
// be inside; without a usable file it stands on the start column's ground
// with the starting stock, and a damaged file is set aside.
TEST_F(PlayerKept, AReopenedWorldHasItsPlayerBackOrStartsOnTheGround)
{
    player_save saved = {};
    saved.fly = 0;
    saved.chosen_cell = 7;
    saved.pitch = -12.5f;
    saved.yaw = 403.25f;
    saved.cells[0] = {1, 12};
    saved.cells[49] = {0x0102, 40};   // an id no table holds
    const double NEW = -1, GENERATED = -2;   // want_eye: the start column's ground, from the file or the generator
    const struct {
        const char *what;
        int file;               // 0 none, 1 the one saved
        int bad_at, bad_value;  // a byte changed
        int size;               // bytes the file is cut or padded to, -1 as written
        double x, y, eye, clock;
        double want_eye;
    } cases[] = {
        {"a folder from before the file", 0, 0, 0, -1, 0, 0, 0, 0, NEW},
        {"a new world", 0, 0, 0, -1, 0, 0, 0, 0, GENERATED},
        {"where it was left", 1, 0, 0, -1, 250.25, -61.5, 500.75, 754.5, 500.75},
        {"at the first moment of the day", 1, 0, 0, -1, 250.25, -61.5, 500.75, 0, 500.75},
        {"past the world's edge", 1, 0, 0, -1, 640.0 - 64 + 1.5, 100, 500, 754.5, 500},
        {"inside a block", 1, 0, 0, -1, 206.1, 200.2, 64 * 4 + 41.5, 754.5, 64 * 4 + 46 + 1.0},
        {"the head in a block", 1, 0, 0, -1, 206.1, 206.1, 64 * 4 + 40.5, 754.5, 64 * 4 + 41 + 1.0},
        {"a short file", 1, 0, 0, 100, 250.25, -61.5, 500.75, 754.5, NEW},
        {"an empty file", 1, 0, 0, 0, 250.25, -61.5, 500.75, 754.5, NEW},
        {"a place in no world", 1, 0, 0, -1, 1e30, -61.5, 500.75, 754.5, NEW},
        {"a mode no game writes", 1, 6, 2, -1, 250.25, -61.5, 500.75, 754.5, NEW},
        {"a stack over 40", 1, 50, 41, -1, 250.25, -61.5, 500.75, 754.5, NEW},
        {"version 1 with more bytes", 1, 0, 0, 210, 250.25, -61.5, 500.75, 754.5, NEW},
        {"a later version: the part this one knows", 1, 4, 2, 210, 250.25, -61.5, 500.75, 754.5, 500.75},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(system("rm -f saves/w/player* saves/w/4-4-4.qrb"), 0);
        if (c.want_eye != GENERATED)
            write_file("saves/w/4-4-4.qrb", chunk);
        saved.x = c.x, saved.y = c.y, saved.z = c.eye, saved.clock = c.clock;
        if (c.file) {
            ASSERT_EQ(write_player_file("w", &saved), 1);
        }
        std::string bytes = read_file("saves/w/player");
        if (c.bad_at)
            bytes[c.bad_at] = (char)c.bad_value;
        if (c.size >= 0)
            bytes.resize((size_t)c.size);
        if (c.bad_at || c.size >= 0)
            write_file("saves/w/player", bytes);
        player_cells->slots[5] = {3, 1};   // what the run held before: never kept
        fly_mode = 1;
        cells_active = 0;
        testing::internal::CaptureStdout();
        e_init_game();
        game = 1;
        std::string said = testing::internal::GetCapturedStdout();
        EXPECT_EQ(gamer[0].x, camera_x);
        EXPECT_EQ(gamer[0].y, camera_y);
        if (c.want_eye < 0) {
            EXPECT_EQ(camera_x, START_X);
            EXPECT_EQ(camera_y, START_Y);
            if (c.want_eye == NEW) {
                EXPECT_EQ(camera_z, GROUND_EYE);
            }
            // Standing on the highest block of the column, the body free.
            int feet = (int)camera_z - 1;
            auto id = [&](int k) { return held_block(4, 4, k / 64, 56, 56, k % 64); };
            EXPECT_EQ(camera_z, feet + 1.0);
            EXPECT_TRUE(id(feet - 1) > 0 && id(feet) == 0 && id(feet + 1) == 0) << feet;
            EXPECT_EQ(camera_rot_x, 0);
            EXPECT_EQ(fly_mode, 1);   // the mode chosen
            EXPECT_EQ(world_clock, 0);
            // The starting stock: 40 earth three times, 40 grass, 40 rock three times.
            const int kit[] = {3, 3, 3, 1, 2, 2, 2, 0, 0, 0, 0};
            for (int k = 0; k < 11; k++)
                EXPECT_TRUE(player_cells->slots[k].id == kit[k] && (!kit[k] || player_cells->slots[k].count == 40)) << k;
            EXPECT_EQ(player_cells->slots[49].id, 0);
            std::string damaged = "player file ./saves/w/player is damaged (" +
                                  std::to_string(c.size >= 0 ? c.size : 198) +
                                  " bytes), moved to ./saves/w/player.damaged \n";
            EXPECT_EQ(said.find(damaged) != std::string::npos, c.file != 0) << said;
            if (c.want_eye == NEW) {
                EXPECT_EQ(read_file("saves/w/4-4-4.qrb"), chunk);
            }
            continue;
        }
        EXPECT_NEAR(camera_x, c.x > 576 ? c.x - 640 : c.x, 0.005);
        EXPECT_EQ(camera_y, c.y);
        EXPECT_EQ(camera_z, c.want_eye);
        EXPECT_EQ(camera_rot_x, saved.pitch);
        EXPECT_EQ(camera_rot_y, saved.yaw);
        EXPECT_EQ(gamer[0].z, c.want_eye - 1.0);   // walking: the feet under the eye
        EXPECT_EQ(fly_mode, 0);
        EXPECT_EQ(cells_active, 7);
        EXPECT_EQ(world_clock, c.clock);
        for (int k = 0; k < 50; k++)
            EXPECT_TRUE(player_cells->slots[k].id == saved.cells[k].id && player_cells->slots[k].count == saved.cells[k].count) << k;
        // Written back as it came, the unknown id with it.
        std::string before = read_file("saves/w/player");
        remove("saves/w/player");
        leave_world();
        std::string after = read_file("saves/w/player");
        if (c.want_eye == c.eye && c.x < 576 && c.size < 0) {
            EXPECT_EQ(after, before);
        }
        EXPECT_EQ(after.substr(0, 6), std::string("QRPL\1\0", 6));
        // Cells from offset 48, three bytes each: an empty one is all zero.
        EXPECT_EQ(after.substr(48, 6), std::string("\1\0\x0c\0\0\0", 6));
        EXPECT_EQ(after.substr(48 + 3 * 49), std::string("\x02\x01\x28", 3));
        // A stack in hand on the inventory page is written in its cell.
        inv_page_open();
        inv_page_click(PAGE_GRID_X + 1, PAGE_HOT_BAR_Y + 1);
        remove("saves/w/player");
        ASSERT_EQ(keep_player(), 1);
        inv_page_close();
        EXPECT_EQ(read_file("saves/w/player").substr(48, 3), std::string("\1\0\x0c", 3));
        EXPECT_EQ(after.size(), (size_t)PLAYER_FILE_BYTES);
    }
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
