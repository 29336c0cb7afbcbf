// The chunk pass: chunks re-meshed with their neighbours, drawn across the
// world's wrapping edge, culled by the view, the widest view streamed, and
// the picture they make; the frame round them: sun, day and night light,
// back faces, dropped boxes and particles, the crosshair.
#include "world/streaming.h"

#include "gl_context.h"
#include "platform/platform.h"
#include "render/c_math.h"
#include "player/particles.h"
#include "player/physics.h"
#include "render/frame.h"
#include "render/frustum_calc.h"
#include "render/mesher.h"
#include "render/overlay.h"
#include "save/saver.h"
#include "world_fixture.h"

#include <cmath>
#include <set>

namespace {

class Streaming : public HeldWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_engine_open());
        HeldWorld::SetUp();
        already_created = 1000;   // nothing is built unless a test asks
        game = gui = 0;
        init_particles();
        gamer[0].pick_valid = 0;
        glViewport(0, 0, 800, 600);
        e_set_projection();
    }
    static void look(double x, double y, double z, float pitch, float yaw)
    {
        camera_x = x;
        camera_y = y;
        camera_z = z;
        camera_rot_x = pitch;
        camera_rot_y = yaw;
        glLoadIdentity();
        glRotatef(pitch, 1, 0, 0);
        glRotatef(yaw, 0, 1, 0);
        glTranslatef((float)x, (float)-z, (float)y);
    }
    // The sun at angle a (0 rising, pi / 2 at noon) for a camera at camera_x.
    static void sun_at(double a) { world_clock = (a * 20000 * 3.14 - camera_x) / 720; }
    static std::vector<unsigned char> read_back(int width, int height)
    {
        std::vector<unsigned char> rgb((size_t)width * height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // The frame as the player sees it, rows bottom to top; before_each runs
    // before each of its two frames (the first sets the sky's clear colour).
    static std::vector<unsigned char> game_frame(int width, int height, void (*before_each)() = nullptr)
    {
        game = 1;
        glViewport(0, 0, width, height);
        for (int i = 0; i < 2; i++) {
            if (before_each)
                before_each();
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            e_render();
        }
        return read_back(width, height);
    }
    // The same view on black in plain white light: what the pictures alone give.
    static std::vector<unsigned char> plain_frame(int width, int height, void (*draw)())
    {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        look(camera_x, camera_y, camera_z, camera_rot_x, camera_rot_y);
        glDisable(GL_LIGHTING);
        glDisable(GL_FOG);
        glColor3f(1, 1, 1);
        draw();
        return read_back(width, height);
    }
};
using Frustum = Streaming;
using Frame = Streaming;
using ChunkDrawing = Streaming;

// Planes from GL's own matrices: inside is kept, past any of the six culled.
TEST_F(Frustum, CubesPastAnyPlaneAreCulled)
{
    glRotatef(180, 0, 1, 0);   // the eye looks along +z
    CalculateFrustum();
    // Eye coordinates, looking along -z; at z = -50 the edges are at x = 27.6, y = 20.7.
    const float cubes[][4] = {{0, 0, -50, 1},   {20, 0, -50, 1},  {-20, 0, -50, 1}, {0, 15, -50, 1},
                              {0, -15, -50, 1}, {0, 0, -990, 1},  {40, 0, -50, 0},  {-40, 0, -50, 0},
                              {0, 30, -50, 0},  {0, -30, -50, 0}, {0, 0, -1010, 0}, {0, 0, 50, 0}};
    for (const auto &c : cubes)
        EXPECT_EQ(CubeInFrustum(-c[0], c[1], -c[2], 1), c[3]) << c[0] << "," << c[1] << "," << c[2];
}

// Seen from the other side of the edge, a chunk lies one world width over.
TEST_F(Streaming, ChunksAcrossTheWorldEdgeAreDrawnWhereTheyWouldLie)
{
    const int cases[][2] = {{9, 3}, {3, 9}};   // looking along -x, then along -y
    for (const auto &c : cases) {
        hold(0, c[0], c[1], 4, 0)->blocks[32][32][14] = 3;   // at (64 cx - 32, 64 cy - 32, 270)
        create_polygons(c[0], c[1], 4);
        look(c[0] == 9 ? 10 : 160, c[0] == 9 ? 160 : 10, 270, 0, c[0] == 9 ? 90 : 180);
        auto seen = feedback_of([] { draw_buffs(); });
        EXPECT_GE(seen.size(), 6u) << c[0] << "," << c[1];
        for (const fb_vertex &v : seen)   // ahead, in the middle of the view
            EXPECT_TRUE(std::fabs(v.x - 400) < 100 && std::fabs(v.y - 300) < 100) << v.x << "," << v.y;
        *world_entry(c[0], c[1], 4) = NO_SLOT;
    }
}

// A neighbour's face toward a missing chunk is hidden; once the chunk is
// built (as air) the neighbour is re-meshed and the face shows.
TEST_F(Streaming, ANewChunkRemeshesEveryHeldNeighbour)
{
    const int next[6][6] = {{1, 0, 6, 63, 32, 32}, {9, 0, 6, 0, 32, 32}, {0, 1, 6, 32, 63, 32},
                            {0, 9, 6, 32, 0, 32},  {0, 0, 7, 32, 32, 0}, {0, 0, 5, 32, 32, 63}};
    for (int i = 0; i < 6; i++) {
        hold(i, next[i][0], next[i][1], next[i][2], 0)->blocks[next[i][3]][next[i][4]][next[i][5]] = 3;
        create_polygons(next[i][0], next[i][1], next[i][2]);
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(build_chunk(0, 0, 6), 1);
    testing::internal::GetCapturedStdout();
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(cubes[i].face_count, 6) << next[i][0] << "," << next[i][1] << "," << next[i][2];
}

// With every slot taken a chunk is not built, rather than overwriting one
// held, and the player is told once, not every frame.
TEST_F(Streaming, AFullPoolBuildsNothingAndSaysSoOnce)
{
    for (int i = 0; i < POOL_SLOTS; i++)
        cubes[i].loaded = 1;
    cubes[0].blocks[1][1][1] = 42;
    testing::internal::CaptureStdout();
    EXPECT_EQ(build_chunk(1, 1, 1) + build_chunk(1, 2, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "chunk pool full, 1 1 1 not built \n");
    EXPECT_EQ(world_slot(1, 1, 1), NO_SLOT);
    EXPECT_EQ(cubes[0].blocks[1][1][1], 42);
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
    std::string out, pass;
    for (double x : {30, 94}) {
        do {
            already_created = 0;
            look(x, 30, 285, -90, 0);   // looking up at the empty sky: little to draw
            testing::internal::CaptureStdout();
            draw_buffs();
            out += pass = testing::internal::GetCapturedStdout();
        } while (!pass.empty());
    }
    EXPECT_EQ(out.find("chunk pool full"), std::string::npos);
    EXPECT_TRUE(chdir(old_dir) == 0 && system((std::string("rm -rf ") + dir).c_str()) == 0);
}

// A pixel near the frame's centre on a 64 x 64 view, clear of the crosshair,
// brightness summed.
int centre_brightness()
{
    game = 1;
    glViewport(0, 0, 64, 64);
    e_render();   // sets the sky's clear colour
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    e_render();
    unsigned char rgb[3];
    glReadPixels(32, 44, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return rgb[0] + rgb[1] + rgb[2];
}

// The light comes from the sun's direction: the ground under the player is as
// bright wherever they stand.
TEST_F(Frame, SunlitGroundIsEquallyBrightEverywhere)
{
    get_par_str()->fog_enabled = 0;
    int first = -1;
    for (int c : {4, 9}) {
        cube_slot *s = hold(0, c, c, 4, 0);
        for (int i = 0; i < 64 * 64; i++)
            std::fill_n(&s->blocks[0][0][0] + 64 * i, 6, 3);   // earth up to lz 5
        create_polygons(c, c, 4);
        look(64 * c - 32, 64 * c - 32, 270, 90, 0);   // straight down
        world_clock = 35 - camera_x / 720;             // the same morning sun everywhere
        int brightness = centre_brightness();
        first = first < 0 ? brightness : first;
        EXPECT_GT(brightness, 30);
        EXPECT_NEAR(brightness, first, 6) << "at column " << c;
        *world_entry(c, c, 4) = NO_SLOT;
    }
}

// Back faces are culled: with the eye inside a block, the player sees out of it.
TEST_F(Frame, FromInsideABlockItsFacesAreNotSeen)
{
    hold(0, 4, 4, 4, 0)->blocks[32][32][14] = 3;
    create_polygons(4, 4, 4);
    look(224, 224, 270, 0, 0);
    world_clock = 136;   // noon: a bright sky
    int seen = centre_brightness();
    float sky[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, sky);
    EXPECT_NEAR(seen, 255 * (sky[0] + sky[1] + sky[2]), 6);
}

// The sun is a square facing the eye round the sun's direction: read back
// through a box-shaped projection, window coordinates are (x, y, -z) + 600.
TEST_F(Frame, TheSunIsASquareFacingTheEye)
{
    game = 1;
    world_clock = 10;
    camera_x = 0;
    glViewport(0, 0, 1200, 1200);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-600, 600, -600, 600, -600, 600);
    glMatrixMode(GL_MODELVIEW);
    auto v = feedback_of([] { e_render(); });   // the sun comes first
    ASSERT_GE(v.size(), 6u);
    for (int k = 0; k < 6; k++) {
        const float d[3] = {v[k].x - 600 - sunposx, v[k].y - 600 - sunposy, 600 - 1200 * v[k].z};
        float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        EXPECT_NEAR(length, 30 * std::sqrt(2.0f), 0.1f) << k;
        EXPECT_NEAR((d[0] * sunposx + d[1] * sunposy) / length / 500, 0, 1e-3) << k;
    }
}

// A grass field with bumps, drawn in plain white light: every pixel is ground
// (no sky through pinholes or missing quads), showing a texel of the grass
// pictures (not another cell, nor the whole atlas).
TEST_F(ChunkDrawing, TheGroundIsWholeAndShowsItsOwnPictures)
{
    cube_slot *c = hold(0, 4, 4, 4, 0);
    plat_srand(9);
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++) {
            c->blocks[lx][ly][10] = 1;
            c->blocks[lx][ly][11] = plat_rand() % 6 ? 0 : 1;   // bumps break the rows of tops
        }
    create_polygons(4, 4, 4);
    glViewport(0, 0, 400, 300);
    look(224, 224, 272, 40, 30);   // 40 degrees down: some 20 blocks of the field
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glColor3f(1, 1, 1);
    glEnable(GL_CULL_FACE);
    draw_buffs();
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, g_textures);   // the dropped boxes drawn next need the atlas
    std::vector<unsigned char> rgb(400 * 300 * 3);
    glReadPixels(0, 0, 400, 300, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    // The colours of atlas cells 2 and 3, the grass top and side, in the atlas the hot bar and boxes use.
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> t((size_t)w * h * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, t.data());
    std::set<int> grass;
    for (int y = 0; y < h / ATLAS_EDGE; y++)
        for (int x = 2 * w / ATLAS_EDGE, i = 3 * (y * w + x); x < 4 * w / ATLAS_EDGE; x++, i += 3)
            grass.insert(t[i] << 16 | t[i + 1] << 8 | t[i + 2]);
    int sky = 0, foreign = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        int colour = rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2];
        sky += colour == 0xff00ff;
        foreign += colour != 0xff00ff && !grass.count(colour);
    }
    EXPECT_EQ(sky, 0);
    // The hair each quad reaches past its sides samples the edge of the next
    // cell in a few dozen pixels; a wrong picture changes thousands.
    EXPECT_LE(foreign, 120);
}

constexpr double PI = 3.14159265358979;
constexpr int W = 400, H = 300;   // the test window

// Light on a set of pixels: the frame's channels over the plain picture's.
struct light {
    double lit[3] = {0, 0, 0}, plain[3] = {0, 0, 0};
    double channel(int c) const { return lit[c] / plain[c]; }
    double all() const { return (lit[0] + lit[1] + lit[2]) / (plain[0] + plain[1] + plain[2]); }
    double brightness() const { return lit[0] + lit[1] + lit[2]; }
};

template <typename Keep>
light light_of(const std::vector<unsigned char> &lit, const std::vector<unsigned char> &plain, Keep keep)
{
    light l;
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++)
            for (int c = 0; c < 3 && keep(x, y, &plain[3 * (y * W + x)]); c++) {
                l.lit[c] += lit[3 * (y * W + x) + c];
                l.plain[c] += plain[3 * (y * W + x) + c];
            }
    return l;
}

void draw_chunks()
{
    glEnable(GL_CULL_FACE);
    draw_buffs();
    glDisable(GL_CULL_FACE);
}

// The faces of a great grass block, one filling the view at a time, through
// the day: shaded faces keep a good part of the light, less at dusk and least
// at night, when the moon still lights the ground; a face turned to the light
// stays brighter than one turned away, so edges can be told.
TEST_F(Frame, ShadedFacesAreLitByTheSkyAndTheMoonLightsTheNight)
{
    get_par_str()->fog_enabled = 0;
    vision_range = 1;
    cube_slot *c = hold(0, 4, 4, 4, 0);
    for (int lx = 16; lx < 48; lx++)   // world x and y 208.5 ... 240.5, z 265.5 ... 297.5
        for (int ly = 16; ly < 48; ly++)
            std::fill_n(&c->blocks[lx][ly][10], 32, 1);
    create_polygons(4, 4, 4);
    const struct {
        double x, y, z;
        float pitch, yaw;
    } views[] = {{224, 224, 300.5, 90, 0},   // the top, then the sides facing +x, -x, +y, -y
                 {243.5, 224, 282, 0, 90}, {205.5, 224, 282, 0, -90}, {224, 243.5, 282, 0, 180}, {224, 205.5, 282, 0, 0}};
    const struct {
        const char *when;
        double a, darkest_share;   // the darkest face's light at least this share of the brightest's
    } times[] = {{"noon", PI / 2, 0.4}, {"morning", PI / 6, 0.25}, {"dusk", PI - 0.05, 0.25}, {"midnight", 1.5 * PI, 0.25}};
    light seen[4][5];
    double darkest[4];
    for (int t = 0; t < 4; t++) {
        const light *brightest = &seen[t][0];
        darkest[t] = 1e9;
        for (int v = 0; v < 5; v++) {
            look(views[v].x, views[v].y, views[v].z, views[v].pitch, views[v].yaw);
            sun_at(times[t].a);
            auto lit = game_frame(W, H);
            // The upper part of the view: no crosshair or hot bar there.
            seen[t][v] = light_of(lit, plain_frame(W, H, draw_chunks), [](int, int y, const unsigned char *) { return y >= 180; });
            darkest[t] = std::min(darkest[t], seen[t][v].all());
            brightest = seen[t][v].all() > brightest->all() ? &seen[t][v] : brightest;
        }
        EXPECT_GE(darkest[t] / brightest->all(), times[t].darkest_share) << times[t].when;
        EXPECT_GE(brightest->all() / darkest[t], 1.2) << times[t].when << ": faces to the light and away alike";
        if (t == 2) {
            EXPECT_GE(brightest->channel(0), 1.2 * brightest->channel(1)) << "no red glow at dusk";
        }
    }
    EXPECT_GT(darkest[0], darkest[2]);
    EXPECT_GT(darkest[2], darkest[3]);
    EXPECT_GE(seen[3][0].brightness() / seen[0][0].brightness(), 0.15) << "the ground at midnight against noon";
    EXPECT_GT(seen[3][0].channel(2), seen[3][0].channel(0)) << "the moonlight is not cool";
}

// Below the horizon the sun's disc is not drawn: read back through a
// box-shaped projection, the frame at midnight has its two triangles fewer.
TEST_F(Frame, TheSunIsNotDrawnOnceItHasSet)
{
    game = 1;
    camera_x = 0;
    auto vertices_at = [](double a) {
        sun_at(a);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-600, 600, -600, 600, -600, 600);
        glMatrixMode(GL_MODELVIEW);
        return (int)feedback_of([] { e_render(); }).size();
    };
    int midnight = vertices_at(1.5 * PI);
    const struct {
        const char *when;
        double a;
        int sun_vertices;
    } cases[] = {{"noon", PI / 2, 6}, {"setting, its upper edge still up", PI + 0.02, 6}, {"set", PI + 0.1, 0}};
    for (const auto &c : cases)
        EXPECT_EQ(vertices_at(c.a) - midnight, c.sun_vertices) << c.when;
}

// A dropped box and a particle ahead of the player at noon: their pixels are
// their pictures' colours in daylight, not dark blots.
dropped_box box_ahead;
particle particle_ahead;

void put_back_box() { bxs[0] = box_ahead; }
void put_back_particle() { prs[0] = particle_ahead; }
void draw_scene_objects()
{
    glBindTexture(GL_TEXTURE_2D, g_textures);
    render_particles();
}

TEST_F(Frame, BoxesAndParticlesShowTheirPicturesInDaylight)
{
    get_par_str()->fog_enabled = 0;
    // The camera at (200.5, 200.5, 270); the box 1.2 ahead along +y, the
    // particle, a quad facing along x, 0.8 ahead along -x.
    box_ahead = {-200.5f, -201.7f, 269.85f, 0, 3, 1};
    particle_ahead = {-199.7f, -200.5f, 270, 0, 0, 0, 0, texes[3].side_u, texes[3].side_v, 10, 1};
    const struct {
        const char *what;
        float yaw;
        void (*put_back)();
    } cases[] = {{"box", 0, put_back_box}, {"particle", 90, put_back_particle}};
    for (const auto &c : cases) {
        init_particles();
        look(200.5, 200.5, 270, 0, c.yaw);
        sun_at(PI / 2);
        auto lit = game_frame(W, H, c.put_back);
        c.put_back();
        auto plain = plain_frame(W, H, draw_scene_objects);
        // Its pixels, but for the crosshair's in the middle.
        light l = light_of(lit, plain, [](int x, int y, const unsigned char *p) {
            return (std::abs(x - W / 2) > 12 || std::abs(y - H / 2) > 12) && p[0] + p[1] + p[2] > 0;
        });
        EXPECT_GT(l.plain[0], 255.0 * 1000) << c.what << " not in view";
        for (int k = 0; k < 3; k++) {
            EXPECT_GE(l.channel(k), 0.4) << c.what << ", channel " << k;
            EXPECT_NEAR(l.channel(k) / l.all(), 1, 0.2) << c.what << ", channel " << k << ": not its picture's colour";
        }
    }
}

// The crosshair at the view's centre reads on the sky and on the ground by
// day and night: across each arm there are pixels brighter than any of the
// background round it and pixels darker than half of any.
TEST_F(Frame, TheCrosshairShowsOnSkyAndGround)
{
    get_par_str()->fog_enabled = 0;
    vision_range = 1;
    const struct {
        const char *what;
        uint16_t ground;   // 0: none, the sky
        double a;
        float pitch;
    } cases[] = {{"noon sky", 0, PI / 2, -90}, {"grass at noon", 1, PI / 2, 90},  {"earth at noon", 3, PI / 2, 90},
                 {"rock at noon", 2, PI / 2, 90}, {"grass at midnight", 1, 1.5 * PI, 90}};
    for (const auto &c : cases) {
        cube_slot *s = hold(0, 4, 4, 4, 0);
        for (int i = 0; i < 64 * 64; i++)
            std::fill_n(&s->blocks[0][0][0] + 64 * i, 6, c.ground);
        create_polygons(4, 4, 4);
        look(224.5, 224.5, 270, c.pitch, 0);
        sun_at(c.a);
        auto rgb = game_frame(W, H);
        auto brightness = [&](int x, int y) { return rgb[3 * (y * W + x)] + rgb[3 * (y * W + x) + 1] + rgb[3 * (y * W + x) + 2]; };
        int lowest = 765, highest = 0;
        for (int y = H / 2 - 40; y <= H / 2 + 40; y++)
            for (int x = W / 2 - 40; x <= W / 2 + 40; x++)
                if (std::max(std::abs(x - W / 2), std::abs(y - H / 2)) >= 20) {
                    lowest = std::min(lowest, brightness(x, y));
                    highest = std::max(highest, brightness(x, y));
                }
        for (int arm = 0; arm < 2; arm++) {
            int bright = 0, dark = 765;
            for (int k = -8; k <= 8; k++) {   // across the arm, 4 pixels from the centre
                int b = arm == 0 ? brightness(W / 2 + 4, H / 2 + k) : brightness(W / 2 + k, H / 2 + 4);
                bright = std::max(bright, b);
                dark = std::min(dark, b);
            }
            EXPECT_GT(bright, highest) << c.what << ", arm " << arm;
            EXPECT_LE(dark, lowest / 2) << c.what << ", arm " << arm;
        }
    }
}

}  // namespace
