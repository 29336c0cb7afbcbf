// Bitmap text and cube primitives, read back through GL feedback mode.
#include "render/c_math.h"

#include "gl_context.h"
#include "render/materials.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Window coordinates come back from feedback with a rounding error of a few ulps.
#define EXPECT_NEAR_1(a, b) EXPECT_NEAR((a), (b), 1e-3)

class Draw : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_context_open());
        // The menus' screen: 800 x 600, y down. Window y = 600 - screen y.
        glViewport(0, 0, 800, 600);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(0, 800, 600, 0, -1, 1);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    // Left edges of the glyph quads, in screen units.
    static std::vector<float> glyph_lefts(const std::vector<fb_vertex> &v)
    {
        std::vector<float> lefts;
        for (size_t q = 0; q + 4 <= v.size(); q += 4)
            lefts.push_back(std::min({v[q].x, v[q + 1].x, v[q + 2].x, v[q + 3].x}));
        return lefts;
    }
    static float screen_y(const fb_vertex &v) { return 600 - v.y; }
};

TEST_F(Draw, TextGlyphsAdvanceAndCentre)
{
    auto v = feedback_of([] { f_print(100, 50, 10, "AB", 0); });
    ASSERT_EQ(v.size(), 8u);
    // First glyph: 10 wide, 16 high, top-left corner at (100, 50), in the table's order.
    EXPECT_NEAR_1(v[0].x, 100);
    EXPECT_NEAR_1(screen_y(v[0]), 66);
    EXPECT_NEAR_1(v[1].x, 110);
    EXPECT_NEAR_1(screen_y(v[2]), 50);
    EXPECT_NEAR_1(v[3].x, 100);
    EXPECT_NEAR_1(v[4].x, 108);   // advance 0.8 x size: glyphs overlap by a fifth

    auto c = feedback_of([] { f_print(100, 50, 10, "AB", PRINT_CENTRED); });
    ASSERT_EQ(c.size(), 8u);
    EXPECT_NEAR_1(c[0].x, 92);

    // After a newline the line starts at x itself, also when centring.
    auto n = feedback_of([] { f_print(100, 50, 10, "AB\nC", PRINT_CENTRED); });
    ASSERT_EQ(n.size(), 12u);
    EXPECT_NEAR_1(n[8].x, 100);
    EXPECT_NEAR_1(screen_y(n[11]), 67);   // 50 + trunc(1.7 x 10)

    EXPECT_TRUE(feedback_of([] { f_print(10, 10, 10, "", 0); }).empty());
}

TEST_F(Draw, SpacesTruncateToWholeUnits)
{
    auto ten = feedback_of([] { f_print(0, 0, 10, "  A", 0); });
    ASSERT_EQ(ten.size(), 4u);
    EXPECT_NEAR_1(glyph_lefts(ten)[0], 16);
    auto eleven = feedback_of([] { f_print(0, 0, 11, "  A", 0); });
    ASSERT_EQ(eleven.size(), 4u);
    EXPECT_NEAR_1(glyph_lefts(eleven)[0], 16);   // 8 + 8, not 17.6
    auto glyphs = feedback_of([] { f_print(0, 0, 11, "AAA", 0); });
    auto lefts = glyph_lefts(glyphs);
    ASSERT_EQ(lefts.size(), 3u);
    EXPECT_NEAR_1(lefts[1], 8);
    EXPECT_NEAR_1(lefts[2], 16);
}

TEST_F(Draw, GlyphTextureCellsFollowTheCodes)
{
    // '!' is the top-left cell; byte 200 is glyph 167, row 7, column 6.
    auto first = feedback_of([] { f_print(0, 0, 10, "!", 0); });
    ASSERT_EQ(first.size(), 4u);
    EXPECT_NEAR(first[3].s, 0.0, 1e-6);
    EXPECT_NEAR(first[3].t, 1.0, 1e-6);
    EXPECT_NEAR(first[0].t, 1.0 - 1 / 15.4, 1e-6);
    EXPECT_NEAR(first[1].t, 1.0 - 1 / 15.5, 1e-6);
    EXPECT_NEAR(first[1].s, 1 / 23.2, 1e-6);

    const char high[] = {(char)200, 0};
    auto v = feedback_of([&] { f_print(0, 0, 10, high, 0); });
    ASSERT_EQ(v.size(), 4u);
    EXPECT_NEAR(v[3].s, 6 / 23.15, 1e-6);
    EXPECT_NEAR(v[3].t, 1.0 - 7 / 15.4, 1e-6);

    const char last[] = {(char)255, 0};
    auto w = feedback_of([&] { f_print(0, 0, 10, last, 0); });
    ASSERT_EQ(w.size(), 4u);
    EXPECT_NEAR(w[3].s, 15 / 23.15, 1e-6);
    EXPECT_NEAR(w[3].t, 1.0 - 9 / 15.4, 1e-6);
}

// Object coordinates come back unchanged with an identity projection onto a
// 2 x 2 viewport: window = object + 1 for x and y, (z + 1) / 2 for depth.
class Cube : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_context_open());
        glViewport(0, 0, 2, 2);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glDepthRange(0, 1);
    }
    static float ox(const fb_vertex &v) { return v.x - 1; }
    static float oy(const fb_vertex &v) { return v.y - 1; }
    static float oz(const fb_vertex &v) { return v.z * 2 - 1; }
};

TEST_F(Cube, DroppedBoxCornersAtAngleZero)
{
    texes[3] = {0.5f, 0.25f, 0.125f, 0.0f, 0.0625f, 0.1875f};
    auto v = feedback_of([] { draw_cube_filed(0, 0, 0, 0, 1, 3); });
    ASSERT_EQ(v.size(), 24u);
    // Base A, B, C, D at height 0: the box stands turned 45 degrees to the grid.
    const float base[4][2] = {{-0.5f, 0}, {0, 0.5f}, {0.5f, 0}, {0, -0.5f}};
    for (int i = 0; i < 4; i++) {
        EXPECT_NEAR(ox(v[i]), base[i][0], 1e-5) << i;
        EXPECT_NEAR(oy(v[i]), 0, 1e-5) << i;
        EXPECT_NEAR(oz(v[i]), base[i][1], 1e-5) << i;
        EXPECT_NEAR(oy(v[4 + i]), 0.75, 1e-5) << i;   // the lid
    }
    EXPECT_NEAR(v[0].s, 0.125, 1e-6);   // base takes the bottom cell
    EXPECT_NEAR(v[4].s, 0.5, 1e-6);     // lid the top cell
    EXPECT_NEAR(v[6].t, 0.25 + 0.0625, 1e-6);
    // Side D-C: lower edge v + d, upper edge v.
    EXPECT_NEAR(v[8].s, 0.0625 + 0.0625, 1e-6);
    EXPECT_NEAR(v[8].t, 0.1875 + 0.0625, 1e-6);
    EXPECT_NEAR(oz(v[8]), -0.5, 1e-5);
    EXPECT_NEAR(v[10].t, 0.1875, 1e-6);
    EXPECT_NEAR(oy(v[10]), 0.75, 1e-5);

    // Ids the atlas table does not hold draw nothing.
    EXPECT_TRUE(feedback_of([] { draw_cube_filed(0, 0, 0, 0, 1, 256); }).empty());
    EXPECT_TRUE(feedback_of([] { draw_cube_filed(0, 0, 0, 0, 1, -1); }).empty());
}

TEST_F(Cube, OutlineStandsJustOutsideTheBlock)
{
    glScalef(0.5f, 0.5f, 0.5f);   // keep the 1-block outline inside the clip volume
    auto v = feedback_of([] { draw_cube(0, 0, 0); });
    // 2 rings of 8 segments and 4 edges of 4 segments, 2 vertices a segment.
    ASSERT_EQ(v.size(), (2u * 8 + 4 * 4) * 2);
    float lo = 10, hi = -10;
    for (const fb_vertex &p : v) {
        lo = std::min(lo, ox(p) * 2);
        hi = std::max(hi, ox(p) * 2);
    }
    EXPECT_NEAR(lo, -0.502, 1e-5);
    EXPECT_NEAR(hi, 0.502, 1e-5);
    EXPECT_NEAR(oy(v[0]) * 2, -0.502, 1e-5);   // bottom ring first
}

}  // namespace

#include "player/particles.h"

namespace {

TEST_F(Draw, ParticlesLiveTheirFramesAndOnlySolidBoxesShow)
{
    init_particles();
    fill_block_tables();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-10, 10, -10, 10, -10, 10);
    glMatrixMode(GL_MODELVIEW);
    prs[0].active = 1;
    prs[0].life = 20;
    prs[0].z = 0;
    int frames = 0;
    for (int i = 0; i < 30; i++)
        frames += !feedback_of([] { render_particles(); }).empty();
    EXPECT_EQ(frames, 21);
    EXPECT_EQ(prs[0].active, 0);

    add_box(0, 0, 0, 7);   // no material: invisible
    EXPECT_TRUE(feedback_of([] { render_particles(); }).empty());
    add_box(1, 1, 0, 3);
    EXPECT_FALSE(feedback_of([] { render_particles(); }).empty());
    EXPECT_EQ(pick_box(0.5f, 0.5f, 0.5f), 7);   // still collected
    init_particles();
}

}  // namespace
