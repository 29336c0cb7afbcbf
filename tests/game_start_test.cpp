// Keys in play, starting a world from the menu (its folder, size and counter), and the player kept with the world.
#include "game.h"
#include "gl_context.h"
#include "temp_dir.h"

#include <GL/freeglut.h>
#include <chrono>

namespace {

// A name field takes what is typed, and the game to come gets none of it (elsewhere Tab still switches the mode);
// in play, E opens the inventory page and E or Escape closes it: while it is open, keys and clicks are the page's.
TEST(Input, KeysReachOnlyWhatTheyAreForAndWasdMoveAlongAndAcrossTheView)
{
    ASSERT_TRUE(gl_context_open());
    gui = 1;
    g_level(PAGE_CREATE);
    t_field[t_world_name].text[0] = '\0';
    fly_mode = 1, jump = 0, cells_active = 2;
    for (unsigned char key : {'\t', ' ', '5', 'w'}) {
        Key(key, 0, 0);
        EXPECT_EQ(keys[key], 0) << (int)key;
    }
    EXPECT_STREQ(t_field[t_world_name].text, " 5w");
    EXPECT_TRUE(fly_mode == 1 && jump == 0 && cells_active == 2);
    g_level(PAGE_MAIN);
    Key('\t', 0, 0);   // a page without a field: Tab chooses the mode to play in
    EXPECT_EQ(fly_mode, 0);
    game = 1, gui = 0;
    for (unsigned char close : {'E', '\x1b'}) {
        Key('e', 0, 0);
        EXPECT_EQ(inv_page_is_open(), 1);
        Key(' ', 0, 0);
        mouse_down(GLUT_LEFT_BUTTON);
        EXPECT_TRUE(jump == 0 && gamer[0].dig_button == 0);
        Key(close, 0, 0);
        EXPECT_EQ(inv_page_is_open(), 0) << (int)close;
    }
    Key('0', 0, 0);   // the last hot-bar cell
    EXPECT_EQ(cells_active, 9);
    gui = 1;   // paused: Tab, Space and the digits wait for the game
    for (unsigned char key : {'\t', ' ', '5'})
        Key(key, 0, 0);
    EXPECT_TRUE(fly_mode == 0 && jump == 0 && cells_active == 9);
    gui = 0;
    // Flying, W and S move along the view and back, A and D to its left and right, with Shift held or not; a letter
    // is let go in either case (Shift let go before it, or pressed while it is held).
    ASSERT_TRUE(gl_engine_open());
    gui = game = 0, fly_mode = 1;
    // Facing along +y at yaw 0, the player's left is +x; looking 30 degrees down, W also sinks.
    const struct { char key; float yaw, pitch; double dx, dy, dz; } cases[] = {
        {'w', 0, 0, 0, 0.2, 0}, {'a', 0, 0, 0.12, 0, 0}, {'s', 0, 0, 0, -0.2, 0}, {'d', 0, 0, -0.12, 0, 0},
        {'w', 90, 0, -0.2, 0, 0}, {'a', 90, 0, 0, 0.12, 0}, {'s', 90, 0, 0.2, 0, 0}, {'d', 90, 0, 0, -0.12, 0},
        {'w', 0, 30, 0, 0.2, -0.1}, {'s', 0, 30, 0, -0.2, 0.1}, {'a', 0, 30, 0.12, 0, 0},
    };
    for (const auto &c : cases)
        for (unsigned char key : {c.key, (char)(c.key - 'a' + 'A')}) {
            c_rot_y = c.yaw, c_rot_x = c.pitch;
            Key(key, 0, 0);
            camera_x = camera_y = camera_z = 100, timer = 0;
            Display();
            KeyUp(key ^ ('a' - 'A'), 0, 0);   // the other case
            EXPECT_EQ(keys[key], 0) << key;
            EXPECT_TRUE(std::fabs(camera_x - 100 - c.dx) < 0.01 && std::fabs(camera_y - 100 - c.dy) < 0.01 &&
                        std::fabs(camera_z - 100 - c.dz) < 0.001) << key << " at yaw " << c.yaw << ", pitch " << c.pitch;
        }
    // Walking, the same keys push the walker that way (its velocity runs against the camera's axes).
    fly_mode = 0, c_rot_x = 0;
    for (int i = 0; i < 8; i++) {
        c_rot_y = cases[i].yaw;
        gamer[0].vel_x = gamer[0].vel_y = 0;
        Key(cases[i].key, 0, 0);
        timer = 0;
        Display();
        KeyUp(cases[i].key, 0, 0);
        EXPECT_TRUE(std::fabs(gamer[0].vel_x + 0.12 * cases[i].dx) < 1e-4 && std::fabs(gamer[0].vel_y + 0.12 * cases[i].dy) < 1e-4)
            << cases[i].key << " at yaw " << cases[i].yaw;
    }
}

// However quickly a frame is drawn, the next waits its turn: at most 80 a second, on a clock that keeps the system's time.
TEST(Loop, FramesAreAnEightiethOfASecondApartAtLeast)
{
    ASSERT_TRUE(gl_engine_open());
    gui = game = 0;   // next to nothing to draw
    start_clocks();
    auto now = [] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
    };
    auto busy = [] {   // processor time of this thread: the game's main loop
        timespec t;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
    };
    double before_start = now(), start = plat_clock_ms(), after_start = now(), busy_start = busy();
    for (int i = 0; i < 20; i++) {
        timer = 0;   // no physics owed: every pass draws
        Display();
    }
    double before_end = now(), elapsed = plat_clock_ms() - start, after_end = now();
    // It sleeps while it waits, leaving the processor to the X server and the renderer.
    EXPECT_LT(busy() - busy_start, elapsed / 2) << "the wait keeps the processor busy";
    // Read between two readings of the system's clock.
    EXPECT_TRUE(elapsed >= 20 * 1000.0 / FRAME_CAP && elapsed >= before_end - after_start - 1 &&
                elapsed <= after_end - before_start + 1) << elapsed;
    // Finer than a millisecond: counted in whole ones, the cap's wait of 12.5 ms lasts 13.
    double first = plat_clock_ms(), next = first;
    while (next == first)
        next = plat_clock_ms();
    EXPECT_LT(next - first, 0.5) << "the clock counts whole milliseconds";
    // The title shows how many frames a second were drawn since it last changed: a count over a little more than a
    // second, so the count or one less, and never more than the cap.
    int since = 0, changes = 0, shown = -1, counted = -2;
    for (int i = 0; i < 400 && changes < 2; i++, since++) {
        timer = 0;
        Display();
        XSync(glXGetCurrentDisplay(), 0);   // the game's title reaches the server before it is read
        std::string title;
        if (!xs_find_window("Quarrow, ", &title))
            continue;
        glutSetWindowTitle("quarrow gl tests");   // so that a title saying the same again is seen
        shown = atoi(title.substr(title.rfind(' ') + 1).c_str()), counted = since + 1;
        changes++, since = -1;
    }
    EXPECT_TRUE(changes == 2 && (shown == counted || shown == counted - 1) && shown <= FRAME_CAP)
        << shown << " shown, " << counted << " drawn";
    // The inventory page, once open, is drawn over the frame however much physics was owed when it opened.
    // Otherwise a pass that leaves more than a step owed draws nothing (here, the language page).
    const struct { bool page; double owed, drawn; } passes[] = {{true, 0, 1}, {true, 40, 1}, {false, 32, 1}, {false, 33, 0}};
    for (const auto &p : passes) {
        p.page ? inv_page_open() : inv_page_close();
        gui = !p.page;
        g_level(PAGE_LANGUAGE);
        timer = p.owed;
        EXPECT_EQ(p.page ? draws_text(Display, phrase_line(34).c_str(), 400, PAGE_ROWS_Y - 34, 16)
                         : draws_text(Display, phrase_line(7).c_str(), 165, 215, 22), p.drawn) << p.owed;
    }
    gui = 0;
}

// A world folder with one chunk file under the start column: air but for a column of earth up to the chunk's top
// there (the ground: feet at 64 * 5, in the chunk above), rock at lz 40 ... 45 six blocks along x, and a rock at lz 40 six along x and y.
class GameStart : public InTempDir {
protected:
    static constexpr double GROUND_EYE = 64 * 5 + 1.0;
    std::string chunk;

    void SetUp() override
    {
        InTempDir::SetUp();
        ASSERT_TRUE(gl_context_open());
        ASSERT_EQ(system("mkdir -p saves/w"), 0);
        chunk.assign(CHUNK_FILE_BYTES, '\0');
        for (int lz = 0; lz <= 63; lz++)
            chunk[2 * ((56 * 64 + 56) * 64 + lz)] = 3;
        for (int lz = 40; lz <= 45; lz++)
            chunk[2 * ((50 * 64 + 56) * 64 + lz)] = 2;
        chunk[2 * ((50 * 64 + 50) * 64 + 40)] = 2;   // one block over a free cell
        snprintf(w_param.name, sizeof w_param.name, "w");
        w_param.player_value = vision_range = 1, world_size = 10;
        player_cells = player_cells ? player_cells : init_cells(10, 5);
    }
    void TearDown() override { free_world(), game = 0, InTempDir::TearDown(); }
};
using PlayerKept = GameStart;

// A world is played once its folder is made, the counter starting over past its top, and reopens at its size.
TEST_F(GameStart, AWorldIsPlayedOnceItsFolderIsMadeAndReopensAtItsSize)
{
    load();   // no cfg here: the defaults
    g_set_par_str(get_par_str());
    get_par_str()->world_counter = INT32_MAX;   // as a foreign cfg may hold it
    ASSERT_EQ(system("rm -r saves && echo a file where the folder goes >saves"), 0);
    // Clicks the middle of a button; what the click printed.
    auto click = [](const button &b) {
        g_set_mouse(b.x + b.w / 2, b.y + b.h / 2);
        return said([] { mouse_down(GLUT_LEFT_BUTTON); });
    };
    const struct { const char *said; int played; } starts[] = {
        {"./saves/world 2147483647 cannot be created", 0}, {"./saves/world 2147483647world size 20 \n", 1}};
    for (const auto &s : starts) {
        g_level(PAGE_CREATE);
        g_set_mouse(400, 390 + 15);   // the size list's second item: 20 columns
        g_mouse_down();
        std::string out = click(btt[b_create_world]);
        EXPECT_TRUE(out.rfind(s.said, 0) == 0 && game == s.played && (s.played || notice == PHRASE_NO_FOLDER)) << out;
        remove("saves");   // the file in the way; a folder with a world in it stays
    }
    EXPECT_EQ(read_file("cfg")[28], 1);   // the counter starts over, and is kept
    world_size = 10;
    catalogue worlds;
    find_worlds(&worlds);
    g_setctlg(&worlds);
    gui = 1, game = 0;
    g_level(PAGE_WORLDS);
    click(btt[play_w[0]]);
    EXPECT_TRUE(game == 1 && world_size == 20) << world_size;
    Reshape(1000, 500);   // a new window size is the page's, and kept in cfg
    EXPECT_TRUE(window_width() == 1000 && read_file("cfg").substr(4, 8) == std::string("\xe8\x03\0\0\xf4\x01\0\0", 8));
    Reshape(800, 600);
    leave_to_title();   // the world is let go and the list shown, not the world
    EXPECT_TRUE(game == 0 && gui == 1 && lvl == PAGE_WORLDS && world == nullptr);
}

// The player comes back as it was written, lifted out of a block it would be inside; without a usable file it stands
// on the start column's ground with the starting stock, and a damaged file is set aside.
TEST_F(PlayerKept, AReopenedWorldHasItsPlayerBackOrStartsOnTheGround)
{
    player_save saved = {0, 0, 0, -12.5f, 403.25f, 0, 7, 0, {{1, 12}}};   // walking, cell 7 chosen
    saved.cells[49] = {0x0102, 40};   // an id no table holds
    const double NEW = -1, GENERATED = -2;   // want_eye: the start column's ground, from the file or the generator
    // file: 0 none, 1 the one saved, with a byte changed and cut or padded to size bytes (-1: as written).
    const struct { const char *what; int file, bad_at, bad_value, size; double x, y, eye, clock, want_eye; } cases[] = {
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
        {"a height in no world", 1, 0, 0, -1, 250.25, -61.5, 1e30, 754.5, NEW},
        {"a time of day in no world", 1, 0, 0, -1, 250.25, -61.5, 500.75, 1e30, NEW},
        {"a mode no game writes", 1, 6, 2, -1, 250.25, -61.5, 500.75, 754.5, NEW},
        {"a chosen cell past the hot bar", 1, 7, 10, -1, 250.25, -61.5, 500.75, 754.5, NEW},
        {"a stack over 40", 1, 50, 41, -1, 250.25, -61.5, 500.75, 754.5, NEW},
        {"version 1 with more bytes", 1, 0, 0, 210, 250.25, -61.5, 500.75, 754.5, NEW},
        {"a later version: the part this one knows", 1, 4, 2, 210, 250.25, -61.5, 500.75, 754.5, 500.75},
        {"a later version no longer than this one's", 1, 4, 2, -1, 250.25, -61.5, 500.75, 754.5, 500.75},
    };
    auto same = [](cell a, cell b) { return a.id == b.id && a.count == b.count; };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(system("rm -f saves/w/player* saves/w/4-4-4.qrb"), 0);
        if (c.want_eye != GENERATED)
            write_file("saves/w/4-4-4.qrb", chunk);
        saved.x = c.x, saved.y = c.y, saved.z = c.eye, saved.clock = c.clock;
        ASSERT_TRUE(!c.file || write_player_file("w", &saved) == 1);
        std::string bytes = read_file("saves/w/player");
        if (c.bad_at)
            bytes[c.bad_at] = (char)c.bad_value;
        bytes.resize(c.size >= 0 ? (size_t)c.size : bytes.size());
        if (c.file)
            write_file("saves/w/player", bytes);
        player_cells->slots[5] = {3, 1};   // what the run held before: never kept
        gamer[0].dig_button = gamer[0].place_request = fly_mode = 1, cells_active = 0;
        std::string out = said(e_init_game);
        game = 1;
        EXPECT_TRUE(gamer[0].x == camera_x && gamer[0].y == camera_y && gamer[0].dig_button == 0 && gamer[0].place_request == 0);
        if (c.want_eye < 0) {
            // Standing on the highest block of the start column, the body free, in the mode chosen.
            int feet = (int)camera_z - 1;
            auto id = [&](int k) { return held_block(4, 4, k / 64, 56, 56, k % 64); };
            EXPECT_TRUE(camera_x == START_X && camera_y == START_Y && (c.want_eye == GENERATED || camera_z == GROUND_EYE)) << camera_z;
            EXPECT_TRUE(id(feet - 1) > 0 && id(feet) <= 0 && id(feet + 1) <= 0) << feet;   // air, or a chunk still to come
            EXPECT_TRUE(camera_rot_x == 0 && fly_mode == 1 && world_clock == 0);
            // The starting stock: 40 earth three times, 40 grass, 40 rock three times.
            const cell kit[PLAYER_CELLS] = {{3, 40}, {3, 40}, {3, 40}, {1, 40}, {2, 40}, {2, 40}, {2, 40}};
            for (int k = 0; k < PLAYER_CELLS; k++)
                EXPECT_TRUE(same(player_cells->slots[k], kit[k])) << k;
            std::string damaged = "player file ./saves/w/player is damaged (" +
                std::to_string(c.size >= 0 ? c.size : 198) + " bytes), moved to ./saves/w/player.damaged \n";
            EXPECT_EQ(out.find(damaged) != std::string::npos, c.file != 0) << out;
            EXPECT_TRUE(c.want_eye == GENERATED || read_file("saves/w/4-4-4.qrb") == chunk);
            continue;
        }
        EXPECT_NEAR(camera_x, c.x > 576 ? c.x - 640 : c.x, 0.005);
        EXPECT_TRUE(camera_y == c.y && camera_z == c.want_eye && world_clock == c.clock) << camera_z;
        EXPECT_TRUE(camera_rot_x == saved.pitch && camera_rot_y == saved.yaw && fly_mode == 0 && cells_active == 7);
        EXPECT_EQ(gamer[0].z, c.want_eye - 1.0);   // walking: the feet under the eye
        for (int k = 0; k < PLAYER_CELLS; k++)
            EXPECT_TRUE(same(player_cells->slots[k], saved.cells[k])) << k;
        // Written back as it came, the unknown id with it.
        std::string before = read_file("saves/w/player");
        remove("saves/w/player");
        leave_world();
        std::string after = read_file("saves/w/player");
        EXPECT_TRUE(c.want_eye != c.eye || c.x > 576 || c.size >= 0 || c.bad_at || after == before);
        // Cells from offset 48, three bytes each: an empty one is all zero.
        EXPECT_EQ(after.substr(0, 6) + after.substr(48, 6) + after.substr(48 + 3 * 49),
                  std::string("QRPL\1\0" "\1\0\x0c\0\0\0" "\x02\x01\x28", 15));
        // A stack in hand on the inventory page is written in its cell; a flying player as flying.
        inv_page_open();
        inv_page_click(PAGE_GRID_X + 1, PAGE_HOT_BAR_Y + 1);
        remove("saves/w/player");
        fly_mode = 1;
        ASSERT_EQ(keep_player(), 1);
        inv_page_close();
        EXPECT_EQ(read_file("saves/w/player").substr(6, 1) + read_file("saves/w/player").substr(48, 3), std::string("\1\1\0\x0c", 4));
    }
    // The start column dug down to the world's lowest level: the player stands on the ground there.
    ASSERT_EQ(system("rm -f saves/w/player*"), 0);
    for (int level = 1; level <= 4; level++)
        write_file("saves/w/4-4-" + std::to_string(level) + ".qrb", std::string(CHUNK_FILE_BYTES, '\0'));
    write_file("saves/w/4-4-0.qrb", chunk);
    said(e_init_game);
    EXPECT_EQ(camera_z, 64 + 1.0);
}

}  // namespace
