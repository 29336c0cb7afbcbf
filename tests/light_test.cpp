// The day's light on the blocks, the sun's disc, dropped boxes and the crosshair, in frames read back from GL.
#include "gl_world.h"
#include "game.h"

#include <array>
#include <set>

namespace {

using Frame = DrawnWorld;

constexpr double PI = 3.14159265358979;
constexpr int W = 400, H = 300;   // the test window

// Light on a set of pixels: the frame's channels over the plain picture's.
struct light {
    double lit[3] = {0, 0, 0}, plain[3] = {0, 0, 0};
    double channel(int c) const { return lit[c] / plain[c]; }
    double all() const { return (lit[0] + lit[1] + lit[2]) / (plain[0] + plain[1] + plain[2]); }
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

// A great grass block's faces through the day: shaded ones keep some light (the moon's at night), faces
// to the light and away can be told apart, and a far block's top is as bright (the light is a direction).
TEST_F(Frame, ShadedFacesAreLitByTheSkyAndTheMoonLightsTheNight)
{
    get_par_str()->fog_enabled = 0, vision_range = 1;
    for (int k = 0; k < 2; k++) {   // world x and y 208.5 ... 240.5 (528.5 ... 560.5), z 265.5 ... 297.5
        cube_slot *c = hold(k, 4 + 5 * k, 4 + 5 * k, 4, 0);
        for (int lx = 16; lx < 48; lx++)
            for (int ly = 16; ly < 48; ly++)
                std::fill_n(&c->blocks[lx][ly][10], 32, 1);
        create_polygons(4 + 5 * k, 4 + 5 * k, 4);
    }
    const struct { double x, y, z; float pitch, yaw; } views[] = {   // top, sides facing +x, -x, +y, -y, far top
        {224, 224, 300.5, 90, 0}, {243.5, 224, 282, 0, 90}, {205.5, 224, 282, 0, -90}, {224, 243.5, 282, 0, 180},
        {224, 205.5, 282, 0, 0}, {544, 544, 300.5, 90, 0}};
    const struct { const char *when; double a, darkest_share; } times[] = {   // darkest face's light / brightest's
        {"noon", PI / 2, 0.4}, {"morning", PI / 6, 0.25}, {"dusk", PI - 0.05, 0.25}, {"midnight", 1.5 * PI, 0.25}};
    light seen[4][6];
    double darkest[4];
    float sky[4][4], fog[4][4];
    for (int t = 0; t < 4; t++) {
        const light *brightest = &seen[t][0];
        darkest[t] = 1e9;
        for (int v = 0; v < 6; v++) {
            look(views[v].x, views[v].y, views[v].z, views[v].pitch, views[v].yaw);
            sun_at(times[t].a);
            auto lit = game_frame(W, H);
            glGetFloatv(GL_COLOR_CLEAR_VALUE, sky[t]);
            glGetFloatv(GL_FOG_COLOR, fog[t]);
            // The upper part of the view: no crosshair or hot bar there.
            seen[t][v] = light_of(lit, plain_frame(W, H, draw_chunks), [](int, int y, const unsigned char *) { return y >= 180; });
            darkest[t] = std::min(darkest[t], seen[t][v].all());
            brightest = seen[t][v].all() > brightest->all() ? &seen[t][v] : brightest;
        }
        EXPECT_GE(darkest[t] / brightest->all(), times[t].darkest_share) << times[t].when;
        EXPECT_GE(brightest->all() / darkest[t], 1.2) << times[t].when << ": faces to the light and away alike";
        EXPECT_NEAR(seen[t][5].all() / seen[t][0].all(), 1, 0.03) << times[t].when << ": the far top";
        EXPECT_TRUE(t != 2 || brightest->channel(0) >= 1.2 * brightest->channel(1)) << "no red glow at dusk";
        EXPECT_TRUE(t != 1 || (seen[t][0].all() > 1.5 * darkest[t] && seen[t][1].all() > 1.5 * seen[t][2].all()))
            << "the morning sun, 30 degrees up, lights no top, or both sides alike";
    }
    EXPECT_TRUE(darkest[0] > darkest[2] && darkest[2] > darkest[3]);
    // The ground at midnight keeps some light against noon's, but not much, and the moonlight is cool.
    EXPECT_TRUE(seen[3][0].all() / seen[0][0].all() >= 0.15 && seen[3][0].all() / seen[0][0].all() <= 0.35 &&
                seen[3][0].channel(2) > seen[3][0].channel(0));
    // The night sky is dark blue, and the far ground fades into it. Daylight grows from none with the sun on the
    // horizon to all with it a quarter up.
    float half[4];
    sun_at(std::asin(0.125));
    game_frame(W, H);
    glGetFloatv(GL_FOG_COLOR, half);
    for (int i = 0; i < 3; i++)   // and half way between noon's and midnight's with the sun an eighth up
        EXPECT_TRUE(std::fabs(fog[3][i] - sky[3][i]) < 1e-3 && std::fabs(half[i] - (fog[0][i] + fog[3][i]) / 2) < 1e-3) << i;
    EXPECT_TRUE(sky[3][2] > 1.5f * sky[3][0] && sky[3][0] + sky[3][1] + sky[3][2] < (sky[0][0] + sky[0][1] + sky[0][2]) / 4);
}

// The sun is a square facing the eye, drawn first, and not once set: two triangles more than at midnight.
TEST_F(Frame, TheSunIsASquareFacingTheEyeUntilItHasSet)
{
    game = gui = menu_over_world = 1, camera_x = 0;
    g_level(PAGE_OPTIONS);   // from the pause page, over the world: the sun drawn after it keeps its colours
    glViewport(0, 0, 1200, 1200);
    auto frame_at = [](double a) {
        sun_at(a);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-600, 600, -600, 600, -600, 600);   // window coordinates: (x, y, -z) + 600
        glMatrixMode(GL_MODELVIEW);
        return feedback_of([] { e_render(); }, true);
    };
    size_t midnight = frame_at(1.5 * PI).size();
    const struct { const char *when; double a; size_t sun_vertices; } cases[] = {
        {"rising", 0.11, 6}, {"noon", PI / 2, 6}, {"setting, its upper edge still up", PI + 0.02, 6},
        {"its upper edge half a unit up", PI + 0.0589, 6}, {"half a unit down: set", PI + 0.061, 0}, {"set", PI + 0.1, 0}};
    for (const auto &c : cases) {
        auto v = frame_at(c.a);
        ASSERT_EQ(v.size() - midnight, c.sun_vertices) << c.when;
        float centre[2] = {0, 0};
        std::set<std::pair<float, float>> corners;   // from the eye: as far up the sky as the day has gone
        for (size_t k = 0; k < c.sun_vertices; k++) {
            const float d[3] = {v[k].x - 600 - sunposx, v[k].y - 600 - sunposy, 600 - 1200 * v[k].z};
            float length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
            EXPECT_TRUE(std::fabs(length - 30 * std::sqrt(2.0f)) < 0.1f && v[k].brightness == 3) << c.when << ", " << k;
            EXPECT_NEAR((d[0] * sunposx + d[1] * sunposy) / length / 500, 0, 1e-3) << c.when << ", " << k;
            centre[0] += (v[k].x - 600) / 6, centre[1] += (v[k].y - 600) / 6;
            corners.insert({v[k].s, v[k].t});
        }
        const std::set<std::pair<float, float>> whole = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
        EXPECT_EQ(corners, c.sun_vertices ? whole : decltype(whole)()) << c.when << ": not the whole picture";
        float distance = std::hypot(centre[0], centre[1]);
        EXPECT_TRUE(!c.sun_vertices || (std::fabs(centre[0] / distance + std::cos(c.a)) < 1e-3 &&
                                        std::fabs(centre[1] / distance - std::sin(c.a)) < 1e-3)) << c.when;
    }
}

void draw_boxes() { glBindTexture(GL_TEXTURE_2D, g_textures), render_particles(); }

// A box once collected is drawn no more. With the sun high, a box's lid alone is lit the most, its sides as sides; a
// particle is lit as a lid, whatever normal was set before it.
TEST_F(Frame, ACollectedBoxIsGoneAndBoxesAndParticlesAreLitByTheWayTheirFacesTurn)
{
    add_box(-200.5f, -201.7f, 269.85f, 3);
    bxs[0].active = 0;   // collected
    EXPECT_TRUE(feedback_of(draw_boxes).empty());
    glLoadIdentity();
    const float dim[4] = {0.2f, 0.2f, 0.2f, 1}, bright[4] = {0.8f, 0.8f, 0.8f, 1}, above[4] = {0.6f, 0.8f, 0, 0};
    glLightfv(GL_LIGHT1, GL_AMBIENT, dim);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, bright);
    glLightfv(GL_LIGHT1, GL_POSITION, above);
    glEnable(GL_LIGHTING);
    glTranslatef(0, 0, -10);
    auto box = feedback_of([] { draw_cube_filed(0, -0.75f, 0, 0.3f, 2, 1); }, true);
    ASSERT_EQ(box.size(), 36u);   // six quads, two triangles each
    float lid = std::max_element(box.begin(), box.end(), [](auto a, auto b) { return a.brightness < b.brightness; })->brightness;
    EXPECT_EQ(std::count_if(box.begin(), box.end(), [&](const fb_vertex &v) { return v.brightness > lid - 0.01f; }), 6);
    prs[0] = {0, 0, 0, 0, 0, 0, 0.5f, texes[1].top_u, texes[1].top_v, 5, 1};
    glNormal3f(0, -1, 0);   // as the chunks may leave it
    auto particle = feedback_of(render_particles, true);
    EXPECT_TRUE(particle.size() == 6 && std::fabs(particle[0].brightness - lid) < 1e-3) << particle.size();
    glDisable(GL_LIGHTING);
}

// The view distance sets the fog: nothing nearer than 20 blocks a chunk of it is fogged, nothing past 32 a chunk and
// 22 more shows through it, and half way between it is half the fog's colour.
TEST_F(Frame, TheFogFollowsTheViewDistance)
{
    const struct { int chunks; float ahead; int green; } cases[] = {   // of a white square in red fog
        {1, 19.5f, 255}, {1, 37, 128}, {1, 54.5f, 0}, {3, 59.5f, 255}, {3, 118.5f, 0}};
    glFogfv(GL_FOG_COLOR, std::array<float, 4>{1, 0, 0, 1}.data());   // red
    for (const auto &c : cases) {
        fog_for_view_distance(c.chunks);
        auto rgb = plain_frame(W, H, [&] {   // white, facing the eye, that far ahead
            glLoadIdentity(), glDisable(GL_TEXTURE_2D), glTranslatef(0, 0, -c.ahead);
            glRectf(-c.ahead, -c.ahead, c.ahead, c.ahead);
        }, true);
        int centre = 3 * (H / 2 * W + W / 2);
        EXPECT_TRUE(rgb[centre] == 255 && std::abs(rgb[centre + 1] - c.green) <= 2) << c.ahead << ": " << (int)rgb[centre + 1];
    }
}

// The outline of the block aimed at is its twelve edges, just outside its faces: no line across a face or through it.
TEST_F(Frame, TheOutlineIsABlocksEdges)
{
    glViewport(0, 0, 400, 400);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, -1, 1);   // window x, y = 200 (X, Y + 1); depth = (1 - Z) / 2
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    std::set<std::pair<int, int>> edges;   // corners: a bit for each axis's side
    for (const auto &line : feedback_polygons([] { draw_cube(0, 0, 0); }, true)) {
        int corner[2] = {0, 0};
        for (int k = 0; k < 2; k++)
            for (int axis = 0; axis < 3; axis++) {
                float d = axis == 0 ? line[k].x / 200 - 1 : axis == 1 ? line[k].y / 200 - 1 : 1 - 2 * line[k].z;
                EXPECT_NEAR(std::fabs(d), 0.5f, 0.005f) << "axis " << axis;
                corner[k] |= (d > 0) << axis;
            }
        int apart = corner[0] ^ corner[1];
        EXPECT_TRUE((apart & (apart - 1)) == 0) << corner[0] << " to " << corner[1];
        if (apart)
            edges.insert(std::minmax(corner[0], corner[1]));
    }
    EXPECT_EQ(edges.size(), 12u);
}

}  // namespace
