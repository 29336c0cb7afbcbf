// Chunk streaming round the camera, the wrapped world edge, and the frame's sky.
#include "world/streaming.h"

#include "app/config.h"
#include "app/engine.h"
#include "render/overlay.h"
#include "gl_context.h"
#include "player/physics.h"
#include "render/frame.h"
#include "gui/lang.h"
#include "render/mesher.h"
#include "save/saver.h"
#include "world_fixture.h"

#include <GL/gl.h>

#include <set>
#include <sstream>
#include <tuple>
#include <unistd.h>

namespace {

class Streaming : public HeldWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_context_open());
        HeldWorld::SetUp();
        glViewport(0, 0, 800, 600);
        e_set_projection();
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        vision_range = 1;
        camera_x = camera_y = 200;
        camera_z = 285;
        camera_rot_x = camera_rot_y = 0;
        already_created = 0;
    }
    static void camera_transform()
    {
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(camera_rot_x, 1, 0, 0);
        glRotatef(camera_rot_y, 0, 1, 0);
        glTranslatef((float)camera_x, (float)-camera_z, (float)camera_y);
    }
    // One frame's pass and one physics step, `passes` times; what they printed.
    static std::string run_passes(int passes)
    {
        testing::internal::CaptureStdout();
        for (int i = 0; i < passes; i++) {
            camera_transform();
            draw_buffs();
            e_psysix();
        }
        return testing::internal::GetCapturedStdout();
    }
    static std::vector<std::tuple<int, int, int>> created(const std::string &out)
    {
        std::vector<std::tuple<int, int, int>> chunks;
        std::istringstream lines(out);
        std::string line;
        while (std::getline(lines, line)) {
            int slot, x, y, level;
            if (sscanf(line.c_str(), "created %d,%d %d %d", &slot, &x, &y, &level) == 4)
                chunks.emplace_back(x, y, level);
        }
        return chunks;
    }
};

TEST_F(Streaming, StartPositionBuildsThirtySixChunksOneEveryThreeSteps)
{
    EXPECT_EQ(created(run_passes(1)).size(), 1u);
    EXPECT_EQ(created(run_passes(2)).size(), 0u);   // the pause after a build
    std::string out = run_passes(36 * 3);
    auto chunks = created(out);
    ASSERT_EQ(chunks.size(), 35u);
    EXPECT_EQ(chunks.front(), std::make_tuple(3, 3, 4));
    EXPECT_EQ(chunks.back(), std::make_tuple(5, 5, 6));
    EXPECT_EQ(c_position_x, 3);
    EXPECT_EQ(c_position_z, 4);
    for (int x = 3; x <= 5; x++)
        for (int y = 3; y <= 5; y++)
            for (int level = 3; level <= 6; level++) {
                int slot = world_slot(x, y, level);
                ASSERT_NE(slot, NO_SLOT) << x << "," << y << "," << level;
                EXPECT_EQ(cubes[slot].loaded, 1);
                EXPECT_NE(cubes[slot].vertices, nullptr);
            }
    EXPECT_EQ(world_slot(6, 3, 4), NO_SLOT);
    EXPECT_EQ(world_slot(3, 3, 7), NO_SLOT);
    // The surface chunk in view has its ground meshed.
    EXPECT_GT(cubes[world_slot(4, 4, 4)].face_count, 4096);
}

TEST_F(Streaming, LevelsStopAtEight)
{
    camera_z = 8 * 64 + 10;
    std::string out;
    for (int i = 0; i < 20; i++) {
        already_created = 0;
        out += run_passes(1);
    }
    auto chunks = created(out);
    ASSERT_EQ(chunks.size(), 18u);   // 3 x 3 columns, levels 7 and 8
    for (auto &c : chunks)
        EXPECT_LE(std::get<2>(c), 8);
}

TEST_F(Streaming, ChunkAcrossTheWorldEdgeIsDrawnWhereItWouldLie)
{
    // Camera in column 0 looking along world -x, every window position held as air.
    camera_x = 10;
    camera_y = 200;
    camera_z = 270;
    camera_rot_y = 90;
    int slot = 0;
    for (int x : {9, 0, 1, 2})
        for (int y = 3; y <= 5; y++)
            for (int level = 3; level <= 6; level++)
                hold(slot++, x, y, level, 0);
    cube_slot *far_side = &cubes[world_slot(9, 3, 4)];
    far_side->blocks[32][0][14] = 3;
    create_polygons(9, 3, 4);
    ASSERT_EQ(far_side->quad_count, 6);

    camera_transform();
    GLint depth_before = 0, depth_after = 0;
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_before);
    float before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    // Column 9 drawn at column -1 lies ahead; drawn unshifted it would be behind.
    auto seen = feedback_of([] { draw_buffs(); });
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth_after);
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    EXPECT_GE(seen.size(), 4u);
    for (const fb_vertex &v : seen) {
        EXPECT_NEAR(v.x, 400, 150);   // ahead, near the middle of the view
        EXPECT_NEAR(v.y, 300, 150);
    }
    EXPECT_EQ(depth_after, depth_before);
    EXPECT_EQ(memcmp(before, after, sizeof before), 0);
    EXPECT_EQ(c_position_x, 0);
}

TEST_F(Streaming, NewChunkRemeshesItsHeldNeighbours)
{
    cube_slot *c = hold(0, 4, 4, 4, 0);
    c->blocks[0][10][40] = 3;   // on the face toward chunk 5, which is not held yet
    hold(1, 3, 4, 4, 0);
    hold(2, 4, 4, 5, 0);
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->quad_count, 5);
    testing::internal::CaptureStdout();
    ASSERT_EQ(build_chunk(5, 4, 4), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout().rfind("created ", 0), 0u);
    EXPECT_EQ(c->quad_count, 6);   // lz 40 of a surface chunk is air
    EXPECT_EQ(already_created, BUILD_COOLDOWN);
}

TEST_F(Streaming, FullPoolRefusesTheBuildAndSaysSoOnce)
{
    for (int i = 0; i < POOL_SLOTS; i++)
        cubes[i].loaded = 1;
    cubes[7].blocks[1][1][1] = 42;
    testing::internal::CaptureStdout();
    EXPECT_EQ(build_chunk(1, 1, 1), 0);
    EXPECT_EQ(build_chunk(1, 2, 1), 0);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "chunk pool full, 1 1 1 not built \n");
    EXPECT_EQ(world_slot(1, 1, 1), NO_SLOT);
    EXPECT_EQ(cubes[7].blocks[1][1][1], 42);
}

// The widest view, with chunk files written as chunks leave it.
class WidestView : public Streaming {
protected:
    char dir[64] = "/tmp/quarrow-test-XXXXXX";
    char old_dir[4096] = "";

    void SetUp() override
    {
        Streaming::SetUp();
        ASSERT_NE(getcwd(old_dir, sizeof old_dir), nullptr);
        ASSERT_NE(mkdtemp(dir), nullptr);
        ASSERT_EQ(chdir(dir), 0);
        ASSERT_EQ(system("mkdir -p saves/corner"), 0);
        testing::internal::CaptureStdout();
        init_save_load(world, cubes, world_size, "corner");
        testing::internal::GetCapturedStdout();
        vision_range = 3;
        camera_rot_x = -90;   // looking up at the empty sky: little to draw
    }
    void TearDown() override
    {
        Streaming::TearDown();
        EXPECT_EQ(chdir(old_dir), 0);
        EXPECT_EQ(system((std::string("rm -rf '") + dir + "'").c_str()), 0);
    }
    // Passes without the build pause until nothing more is built.
    static std::string stream_all()
    {
        std::string out, pass;
        do {
            already_created = 0;
            pass = run_passes(1);
            out += pass;
        } while (!pass.empty());
        return out;
    }
};

TEST_F(WidestView, TheWholeWindowIsHeldAcrossTheWorldsCorner)
{
    // At the corner the window spans 8 columns each way and 8 levels; then
    // one column and one row move on, and each first build comes before the
    // chunks left behind are written out.
    const double path[][2] = {{30, 30}, {94, 30}, {94, 94}};
    for (const auto &at : path) {
        camera_x = at[0];
        camera_y = at[1];
        std::string out = stream_all();
        EXPECT_EQ(out.find("chunk pool full"), std::string::npos) << at[0] << ", " << at[1];
        int x0 = c_position_x - 3 + (c_position_x != 0), y0 = c_position_y - 3 + (c_position_y != 0);
        for (int x = x0; x <= c_position_x + 4; x++)
            for (int y = y0; y <= c_position_y + 4; y++)
                for (int level = 1; level <= 8; level++)
                    ASSERT_NE(world_slot(x, y, level), NO_SLOT) << x << "," << y << "," << level;
    }
}

// --- the frame ---

void expect_rgb(const float *c, float r, float g, float b)
{
    EXPECT_NEAR(c[0], r, 1e-5);
    EXPECT_NEAR(c[1], g, 1e-5);
    EXPECT_NEAR(c[2], b, 1e-5);
}

class Frame : public HeldWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_context_open());
        HeldWorld::SetUp();
    }
    void TearDown() override
    {
        game = 0;
        gui = 0;
        HeldWorld::TearDown();
    }
    static void clear_colour(float *out) { glGetFloatv(GL_COLOR_CLEAR_VALUE, out); }
};

TEST_F(Frame, SkyColoursFollowTheSun)
{
    float clear[4];
    sky_colours(0);   // sunrise: day, but no light yet
    clear_colour(clear);
    expect_rgb(clear, 0, 0, 0);
    expect_rgb(fogColor, 0, 0, 0);
    expect_rgb(LightDiffuse, 0.4f, 0, 0);
    sky_colours(0.25);
    clear_colour(clear);
    expect_rgb(clear, 0.9f, 0.9f, 1.0f);
    expect_rgb(fogColor, 0.9f, 0.9f, 0.9f);
    expect_rgb(LightDiffuse, 1.3f, 1.3f, 1.3f);
    sky_colours(0.1);   // f = 0.4: no red glow left
    expect_rgb(LightDiffuse, 0.52f, 0.52f, 0.52f);
    sky_colours(0.05);
    EXPECT_GT(LightDiffuse[0], LightDiffuse[1]);
    sky_colours(-0.3);
    clear_colour(clear);
    expect_rgb(clear, 0, 0, 0.05f);
    expect_rgb(LightDiffuse, 0, 0, 0);
    GLfloat fog[4];
    glGetFloatv(GL_FOG_COLOR, fog);
    expect_rgb(fog, 0, 0, 0);
}

TEST_F(Frame, GameFrameAtClockZeroAndTheFogSwitch)
{
    game = 1;
    gui = 0;
    world_clock = 0;
    camera_x = 0;
    camera_y = camera_z = 0;
    get_par_str()->fog_enabled = 0;
    glDisable(GL_FOG);
    e_render();
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    expect_rgb(LightDiffuse, 0.4f, 0, 0);
    EXPECT_FLOAT_EQ(sunposx, -500);
    EXPECT_NEAR(sunposy, 0, 1e-4);
    get_par_str()->fog_enabled = 1;
    e_render();
    EXPECT_TRUE(glIsEnabled(GL_FOG));
}

// The ground under the camera, seen straight down at the same clock: the
// sunlight must not depend on where the player stands.
TEST_F(Frame, SunlitGroundIsEquallyBrightEverywhere)
{
    ASSERT_TRUE(gl_engine_open());
    game = 1;
    gui = 0;
    get_par_str()->fog_enabled = 0;
    glDisable(GL_FOG);
    glViewport(0, 0, 64, 64);
    e_set_projection();
    camera_rot_x = 90;
    camera_rot_y = 0;
    camera_z = 270;
    already_created = 1000;   // nothing else is built: only the ground is drawn
    const struct {
        double x, y;
        int cx, cy;
    } places[] = {{200, 200, 4, 4}, {560, 560, 9, 9}, {200, 560, 4, 9}, {40, 330, 1, 6}};
    for (double clock : {35.0, 13.0}) {   // a morning sun, then one low in the sky
        int first = -1;
        for (const auto &p : places) {
            cube_slot *c = hold(0, p.cx, p.cy, 4, 0);
            for (int lx = 0; lx < 64; lx++)
                for (int ly = 0; ly < 64; ly++)
                    for (int lz = 0; lz <= 5; lz++)
                        c->blocks[lx][ly][lz] = 3;
            create_polygons(p.cx, p.cy, 4);
            camera_x = p.x;
            camera_y = p.y;
            world_clock = clock - p.x / 720;   // the same sun angle at every place
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            e_render();
            unsigned char rgb[3];
            glReadPixels(32, 32, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
            int brightness = rgb[0] + rgb[1] + rgb[2];
            EXPECT_GT(brightness, 30) << p.x << "," << p.y;
            if (first < 0)
                first = brightness;
            EXPECT_NEAR(brightness, first, 6) << "clock " << clock << " at " << p.x << "," << p.y;
            release(0);
            *world_entry(p.cx, p.cy, 4) = NO_SLOT;
        }
    }
}

TEST_F(Frame, WhileChunksCannotBeWrittenTheFrameSaysSo)
{
    game = 1;
    gui = 0;
    snprintf(frazes[33], sizeof frazes[33], "AB");   // the saving notice
    testing::internal::CaptureStdout();
    init_save_load(world, cubes, 10, "no such world");   // no folder: every write fails
    camera_x = camera_y = 200;   // in chunk (3, 3, 4), which stays held
    camera_z = 285;
    hold(0, 3, 3, 4, 3);
    already_created = BUILD_COOLDOWN;   // the same chunks in both frames
    size_t saving = feedback_of([] { e_render(); }).size();
    save_w(3, 3, 4);
    size_t failing = feedback_of([] { e_render(); }).size();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(failing, saving + 2 * 4);   // two glyphs
}

TEST_F(Frame, MenuOnlyFrameReportsGlErrors)
{
    game = 0;
    gui = 1;
    LightDiffuse[0] = 7;
    glEnable(0x1234);   // not a capability: GL_INVALID_ENUM
    testing::internal::CaptureStdout();
    e_render();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "error 1280, GL_INVALID_ENUM\n");
    EXPECT_EQ(LightDiffuse[0], 7);   // no sky without a world
    LightDiffuse[0] = 1.2f;
    testing::internal::CaptureStdout();
    e_render();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
