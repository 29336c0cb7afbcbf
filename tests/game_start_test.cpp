// Starting a world from the menu: the settings, the folder and the world map.
#include "app/config.h"
#include "app/engine.h"
#include "app/input.h"
#include "e2e/xsession.h"
#include "gl_context.h"
#include "gui/gui.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "platform/platform.h"
#include "save/catalogue.h"
#include "save/saver.h"
#include "world/streaming.h"
#include "temp_dir.h"
#include "world/world.h"

#include <GL/freeglut.h>

namespace {

class GameStart : public InTempDir {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_context_open());
        InTempDir::SetUp();
        load();   // no cfg here: the defaults
    }
    void TearDown() override
    {
        gui = 1;
        game = 0;
        InTempDir::TearDown();
    }
    // Opens the create page on the configuration record p.
    static void open_create_page(game_param *p)
    {
        g_set_par_str(p);
        gui = 1;
        game = 0;
        g_level(PAGE_CREATE);
    }
    // Clicks the create button; what the start printed.
    static std::string click_create()
    {
        const button &create = btt[b_create_world];
        g_set_mouse(create.x + create.w / 2, create.y + create.h / 2);
        testing::internal::CaptureStdout();
        mouse_down(GLUT_LEFT_BUTTON);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(GameStart, CreateButtonStartsTheWorldInItsFolder)
{
    game_param *p = get_par_str();
    p->view_distance = 2;
    open_create_page(p);
    // Size list on its second item: 20 columns.
    g_set_mouse(400, 390 + 15);
    g_mouse_down();
    Window w = xs_find_window("quarrow gl tests", 5);
    xs_move(w, 5, 5);
    std::string out = click_create();
    // Mouse look starts from the centre of the window the settings give.
    int x = 0, y = 0;
    for (int i = 0; i < 100 && !(xs_pointer(w, &x, &y) && x == 400 && y == 300); i++)
        xs_sleep(0.01);
    EXPECT_EQ(x, 400);
    EXPECT_EQ(y, 300);

    EXPECT_EQ(out.rfind("./saves/world 1world size 20 \n", 0), 0u) << out;
    EXPECT_TRUE(plat_is_dir("saves/world 1"));
    EXPECT_EQ(game, 1);
    EXPECT_EQ(gui, 0);
    EXPECT_EQ(world_size, 20);
    EXPECT_EQ(vision_range, 2);
    EXPECT_EQ(camera_x, 200.0);
    EXPECT_EQ(camera_z, 285.0);
    EXPECT_EQ(world_slot(19, 19, 9), NO_SLOT);
    // The counter went up and was written.
    EXPECT_EQ(p->world_counter, 2);
    FILE *f = fopen("cfg", "rb");
    ASSERT_NE(f, nullptr);
    unsigned char bytes[CFG_BYTES];
    ASSERT_EQ(fread(bytes, 1, CFG_BYTES, f), (size_t)CFG_BYTES);
    fclose(f);
    EXPECT_EQ(bytes[28], 2);
    EXPECT_EQ(bytes[20], 2);
    GLfloat fog_end = 0;
    glGetFloatv(GL_FOG_END, &fog_end);
    EXPECT_FLOAT_EQ(fog_end, 86.0f);
}

TEST_F(GameStart, AWorldReopenedFromTheListKeepsItsSize)
{
    game_param *p = get_par_str();
    open_create_page(p);
    g_set_mouse(400, 390 + 15);   // 20 x 20
    g_mouse_down();
    click_create();
    ASSERT_EQ(world_size, 20);
    // A chunk of column 12 was stored while playing.
    write_file("saves/world 1/12-4-4.qrb", std::string((size_t)CHUNK_FILE_BYTES, '\x02'));

    catalogue worlds;
    find_worlds(&worlds);
    g_setctlg(&worlds);
    open_create_page(p);
    g_level(PAGE_WORLDS);
    const button &listed = btt[play_w[0]];
    ASSERT_STREQ(listed.caption, "world 1");
    g_set_mouse(listed.x + listed.w / 2, listed.y + listed.h / 2);
    testing::internal::CaptureStdout();
    mouse_down(GLUT_LEFT_BUTTON);
    EXPECT_EQ(build_chunk(12, 4, 4), 1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("world size 20 \n"), std::string::npos) << out;
    EXPECT_NE(out.find("loaded 0,12 4 4 \n"), std::string::npos) << out;
    EXPECT_EQ(cubes[0].blocks[3][3][3], 0x0202);
    // Column 19 meets column 0.
    EXPECT_EQ(t_zn(20), 0);
    EXPECT_EQ(t_zn(-1), 19);
    free(cubes[0].vertices);
    free(cubes[0].tex_coords);
    free(cubes[0].normals);
    cubes[0].vertices = cubes[0].tex_coords = cubes[0].normals = nullptr;
    cubes[0].loaded = 0;
}

TEST_F(GameStart, CounterAtItsTopStartsOver)
{
    game_param *p = get_par_str();
    p->world_counter = INT32_MAX;   // as a foreign cfg may hold it
    open_create_page(p);
    std::string out = click_create();
    EXPECT_EQ(out.rfind("./saves/world 2147483647", 0), 0u) << out;
    EXPECT_EQ(p->world_counter, 1);
}

}  // namespace
