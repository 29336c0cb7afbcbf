// Chunks streamed round the camera, re-meshed with their neighbours and drawn
// across the world's wrapping edge; and the frame round them: sun, light, culling.
#include "world/streaming.h"

#include "app/config.h"
#include "app/engine.h"
#include "gl_context.h"
#include "player/physics.h"
#include "render/frame.h"
#include "render/mesher.h"
#include "render/overlay.h"
#include "save/saver.h"
#include "world_fixture.h"

#include <cmath>
#include <unistd.h>

namespace {

void camera_transform()
{
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(camera_rot_x, 1, 0, 0);
    glRotatef(camera_rot_y, 0, 1, 0);
    glTranslatef((float)camera_x, (float)-camera_z, (float)camera_y);
}

class Streaming : public HeldWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_engine_open());
        HeldWorld::SetUp();
        glViewport(0, 0, 800, 600);
        e_set_projection();
        vision_range = 1;
        camera_x = camera_y = 200;
        camera_z = 285;
        camera_rot_x = camera_rot_y = 0;
        already_created = 0;
    }
    // Chunk passes, each followed by a physics step; what they printed.
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
    static int created(int passes)
    {
        std::string out = run_passes(passes);
        int n = 0;
        for (size_t at = out.find("created "); at != std::string::npos; at = out.find("created ", at + 1))
            n++;
        return n;
    }
};

TEST_F(Streaming, TheWindowRoundTheStartIsBuiltOneChunkEveryThreeSteps)
{
    EXPECT_EQ(created(1), 1);
    EXPECT_EQ(created(2), 0);   // the pause after a build
    EXPECT_EQ(created(35 * 3), 35);
    EXPECT_EQ(created(3), 0);
    for (int x = 3; x <= 5; x++)
        for (int y = 3; y <= 5; y++)
            for (int level = 3; level <= 6; level++)
                EXPECT_NE(held_chunk(x, y, level), nullptr) << x << "," << y << "," << level;
}

// Seen from the other side of the edge, the chunk lies one world width over.
TEST_F(Streaming, ChunksAcrossTheWorldEdgeAreDrawnWhereTheyWouldLie)
{
    const struct {
        int cx, cy;
        double x, y;
        float yaw;
    } cases[] = {{9, 3, 10, 160, 90}, {3, 9, 160, 10, 180}};   // looking along -x, then -y
    already_created = 1000;   // nothing is built: only the held chunk is drawn
    for (const auto &c : cases) {
        cube_slot *s = hold(0, c.cx, c.cy, 4, 0);
        s->blocks[32][32][14] = 3;   // at (64 cx - 32, 64 cy - 32, 270)
        create_polygons(c.cx, c.cy, 4);
        camera_x = c.x;
        camera_y = c.y;
        camera_z = 270;
        camera_rot_y = c.yaw;
        camera_transform();
        auto seen = feedback_of([] { draw_buffs(); });
        EXPECT_GE(seen.size(), 6u) << c.cx << "," << c.cy;
        for (const fb_vertex &v : seen) {
            EXPECT_NEAR(v.x, 400, 100);   // ahead, in the middle of the view
            EXPECT_NEAR(v.y, 300, 100);
        }
        *world_entry(c.cx, c.cy, 4) = NO_SLOT;
    }
}

// Each held neighbour's face toward a missing chunk is hidden; once the chunk
// is built (as air) the neighbour is re-meshed and the face shows.
TEST_F(Streaming, ANewChunkRemeshesEveryHeldNeighbour)
{
    const struct {
        int cx, cy, level, lx, ly, lz;
    } next[] = {{1, 0, 6, 63, 32, 32}, {9, 0, 6, 0, 32, 32}, {0, 1, 6, 32, 63, 32},
                {0, 9, 6, 32, 0, 32},  {0, 0, 7, 32, 32, 0}, {0, 0, 5, 32, 32, 63}};
    for (int i = 0; i < 6; i++) {
        hold(i, next[i].cx, next[i].cy, next[i].level, 0)->blocks[next[i].lx][next[i].ly][next[i].lz] = 3;
        create_polygons(next[i].cx, next[i].cy, next[i].level);
        EXPECT_EQ(cubes[i].face_count, 5) << i;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(build_chunk(0, 0, 6), 1);
    testing::internal::GetCapturedStdout();
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(cubes[i].face_count, 6) << next[i].cx << "," << next[i].cy << "," << next[i].level;
}

// A live chunk is never overwritten.
TEST_F(Streaming, AFullPoolRefusesTheBuildAndSaysSoOnce)
{
    for (int i = 0; i < POOL_SLOTS; i++)
        cubes[i].loaded = 1;
    testing::internal::CaptureStdout();
    EXPECT_EQ(build_chunk(1, 1, 1), 0);
    EXPECT_EQ(build_chunk(1, 2, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "chunk pool full, 1 1 1 not built \n");
    EXPECT_EQ(world_slot(1, 1, 1), NO_SLOT);
}

// The widest view holds 8 x 8 x 8 chunks; moving on, a column is built before
// the one left behind is written out and freed.
TEST_F(Streaming, TheWidestViewMovesOnWithoutFillingThePool)
{
    char dir[] = "/tmp/quarrow-test-XXXXXX", old_dir[4096];
    ASSERT_TRUE(getcwd(old_dir, sizeof old_dir) && mkdtemp(dir) && chdir(dir) == 0);
    ASSERT_EQ(system("mkdir -p saves/w"), 0);
    init_save_load(world, cubes, world_size, "w");
    vision_range = 3;
    camera_rot_x = -90;   // looking up at the empty sky: little to draw
    for (double x : {30, 94}) {
        camera_x = camera_y = x;
        std::string out, pass;
        do {
            already_created = 0;
            pass = run_passes(1);
            out += pass;
        } while (!pass.empty());
        EXPECT_EQ(out.find("chunk pool full"), std::string::npos) << x;
        int x0 = c_position_x - 3 + (c_position_x != 0);
        for (int cx = x0; cx <= c_position_x + 4; cx++)
            for (int cy = x0; cy <= c_position_y + 4; cy++)
                for (int level = 1; level <= 8; level++)
                    ASSERT_NE(world_slot(cx, cy, level), NO_SLOT) << cx << "," << cy << "," << level;
    }
    EXPECT_EQ(chdir(old_dir), 0);
    EXPECT_EQ(system((std::string("rm -rf ") + dir).c_str()), 0);
}

// --- the frame ---

class Frame : public HeldWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_engine_open());
        HeldWorld::SetUp();
        game = 1;
        gui = 0;
        already_created = 1000;   // only the chunks a test holds are drawn
        camera_rot_x = camera_rot_y = 0;
        glViewport(0, 0, 64, 64);
        e_set_projection();
    }
    void TearDown() override
    {
        game = 0;
        HeldWorld::TearDown();
    }
    // The frame's centre pixel, brightness summed, at a sun angle the same everywhere.
    static int centre_brightness(double clock)
    {
        world_clock = clock - camera_x / 720;
        e_render();   // sets the sky's clear colour
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        e_render();
        unsigned char rgb[3];
        glReadPixels(32, 32, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
        return rgb[0] + rgb[1] + rgb[2];
    }
};

// The light comes from the sun's direction: the ground under the player is as
// bright wherever they stand.
TEST_F(Frame, SunlitGroundIsEquallyBrightEverywhere)
{
    get_par_str()->fog_enabled = 0;
    camera_rot_x = 90;   // straight down
    camera_z = 270;
    int first = -1;
    for (int c : {4, 9}) {
        cube_slot *s = hold(0, c, c, 4, 0);
        for (int lx = 0; lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++)
                s->blocks[lx][ly][5] = 3;
        create_polygons(c, c, 4);
        camera_x = camera_y = 64 * c - 32;
        int brightness = centre_brightness(35);   // a morning sun
        first = first < 0 ? brightness : first;
        EXPECT_GT(brightness, 30);
        EXPECT_NEAR(brightness, first, 6) << "at column " << c;
        *world_entry(c, c, 4) = NO_SLOT;
    }
    get_par_str()->fog_enabled = 1;
}

// Back faces are culled: with the eye inside a block, the player sees out of it.
TEST_F(Frame, FromInsideABlockItsFacesAreNotSeen)
{
    hold(0, 4, 4, 4, 0)->blocks[32][32][14] = 3;
    create_polygons(4, 4, 4);
    camera_x = camera_y = 224;
    camera_z = 270;
    int seen = centre_brightness(136);   // noon: a bright sky
    float sky[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, sky);
    EXPECT_NEAR(seen, 255 * (sky[0] + sky[1] + sky[2]), 6);
}

// The sun is a square facing the eye, centred on the sun's direction: read
// back through a box-shaped projection, window coordinates are (x, y, z) + 600.
TEST_F(Frame, TheSunIsASquareFacingTheEye)
{
    world_clock = 10;
    camera_x = 0;
    glViewport(0, 0, 1200, 1200);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-600, 600, -600, 600, -600, 600);
    glMatrixMode(GL_MODELVIEW);
    auto v = feedback_of([] { e_render(); });   // the sun comes first
    ASSERT_GE(v.size(), 6u);
    const float sun[3] = {sunposx, sunposy, 0};
    for (int k = 0; k < 6; k++) {
        const float d[3] = {v[k].x - 600 - sun[0], v[k].y - 600 - sun[1], 600 - 1200 * v[k].z};
        float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        EXPECT_NEAR(length, 30 * std::sqrt(2.0f), 0.1f) << k;
        EXPECT_NEAR((d[0] * sun[0] + d[1] * sun[1]) / length / 500, 0, 1e-3) << k;
    }
}

}  // namespace
