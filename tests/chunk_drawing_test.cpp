// The chunks as the game draws them against the plain per-face reference:
// the same picture in every scene, and no sky showing through the ground.
#include "app/config.h"
#include "app/engine.h"
#include "e2e/xsession.h"
#include "face_reference.h"
#include "gl_context.h"
#include "platform/platform.h"
#include "render/c_math.h"
#include "render/overlay.h"
#include "player/physics.h"
#include "render/frame.h"
#include "world/streaming.h"
#include "world_fixture.h"

#include <GL/gl.h>

#include <cmath>
#include <cstdio>

namespace {

constexpr int WIDTH = 400, HEIGHT = 300;
constexpr unsigned TERRAIN_SEED = 1234;
// Pixels allowed to differ: on the edges of faces and of texels a long quad's
// interpolation and its hair of overlap can tip a pixel to the neighbour
// (some 20 to 170 of the 120000 here); a wrong texture, light or fog changes
// thousands.
constexpr int EDGE_PIXELS = 240;

xs_image read_frame()
{
    xs_image img;
    img.width = WIDTH;
    img.height = HEIGHT;
    img.rgb.resize((size_t)WIDTH * HEIGHT * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    std::vector<unsigned char> rows(img.rgb.size());
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    for (int y = 0; y < HEIGHT; y++)   // GL rows run bottom to top
        std::copy_n(&rows[(size_t)(HEIGHT - 1 - y) * WIDTH * 3], WIDTH * 3, &img.rgb[(size_t)y * WIDTH * 3]);
    return img;
}

struct camera_pose {
    const char *name;
    double x, y, z;
    float pitch, yaw;
};

class ChunkDrawing : public HeldWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_engine_open());
        HeldWorld::SetUp();
        glViewport(0, 0, WIDTH, HEIGHT);
        e_set_projection();
        game = 1;
        gui = 0;
        vision_range = 1;
        glFogf(GL_FOG_START, 20.0f * vision_range);   // as a game sets them
        glFogf(GL_FOG_END, 32.0f * vision_range + 22);
    }
    void TearDown() override
    {
        reference_free();
        game = 0;
        HeldWorld::TearDown();
    }
    // Streams the window round the pose in, from a fixed seed, looking at the sky.
    static void stream_in(const camera_pose &p)
    {
        plat_srand(TERRAIN_SEED);
        camera_x = p.x;
        camera_y = p.y;
        camera_z = p.z;
        camera_rot_x = -90;
        testing::internal::CaptureStdout();
        for (int i = 0; i < 60; i++) {
            already_created = 0;
            world_pass(draw_buffs);
        }
        testing::internal::GetCapturedStdout();
        already_created = 1000;   // nothing more is built while the scenes are drawn
        camera_rot_x = p.pitch;
        camera_rot_y = p.yaw;
        reference_mesh_all();
    }
    // The sky, light and fog of the sun at angle a, for the current camera.
    static void set_sun(double a, int fog)
    {
        world_clock = (a * 20000 * 3.14 - camera_x) / 720;
        get_par_str()->fog_enabled = fog;
        e_render();
    }
};

// Pixels where some channel differs by more than a couple of levels.
int differing_pixels(const xs_image &a, const xs_image &b)
{
    int n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        int d = 0;
        for (int k = 0; k < 3; k++)
            d = std::max(d, std::abs(a.rgb[i + k] - b.rgb[i + k]));
        n += d > 2;
    }
    return n;
}

// Pixels of the clear colour in a that b covers.
int cracks(const xs_image &a, const xs_image &b)
{
    int n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3) {
        auto magenta = [](const unsigned char *p) { return p[0] == 255 && p[1] == 0 && p[2] == 255; };
        n += magenta(&a.rgb[i]) && !magenta(&b.rgb[i]);
    }
    return n;
}

const camera_pose POSES[] = {
    {"start", 200, 200, 300, 20, 30},
    {"seam", 10, 300, 300, 15, 90},       // looking across x = 0 into column 9
    {"corner", 630, 630, 310, 35, 225},   // across both edges at once
};

TEST_F(ChunkDrawing, SamePictureAsEveryFaceDrawnAlone)
{
    for (const camera_pose &p : POSES) {
        stream_in(p);
        const struct {
            const char *name;
            double sun;
        } times[] = {{"noon", 3.14159 / 2}, {"dusk", 3.14159 - 0.06}};
        for (const auto &t : times)
            for (int fog : {1, 0}) {
                set_sun(t.sun, fog);
                world_pass(draw_buffs);
                GLint bound = 0;
                glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
                EXPECT_EQ((GLuint)bound, g_textures);   // the boxes drawn next need the atlas
                xs_image game_picture = read_frame();
                world_pass(reference_draw);
                xs_image reference = read_frame();
                char name[128];
                snprintf(name, sizeof name, "%s/chunks-%s-%s-fog%d.png", xs_artefact_dir().c_str(), p.name, t.name, fog);
                xs_write_png(name, game_picture);
                EXPECT_GT(xs_distinct_colours(game_picture), 20) << name;   // a landscape, not a blank
                EXPECT_LE(differing_pixels(game_picture, reference), EDGE_PIXELS) << name;
            }
        // Sky of a colour the ground never has: none may show through it.
        set_sun(3.14159 / 3, 0);
        glClearColor(1, 0, 1, 1);
        world_pass(draw_buffs);
        xs_image game_picture = read_frame();
        world_pass(reference_draw);
        EXPECT_EQ(cracks(game_picture, read_frame()), 0) << p.name;
        reference_free();
        for (int i = 0; i < POOL_SLOTS; i++)
            release(i);
        testing::internal::CaptureStdout();
        initialize_world();
        testing::internal::GetCapturedStdout();
    }
}

}  // namespace
