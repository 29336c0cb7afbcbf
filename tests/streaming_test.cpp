// The chunk pass: re-meshing, drawing across the wrapping edge, culling, streaming, the picture.
#include "game.h"

#include "gl_world.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <set>

namespace {

using Streaming = DrawnWorld;
using Frustum = DrawnWorld;
using ChunkDrawing = DrawnWorld;

// Planes from GL's own matrices: inside is kept, past any of the six culled.
TEST_F(Frustum, CubesPastAnyPlaneAreCulled)
{
    look(0, 0, 0, 0, 180);   // the eye looks along +z
    CalculateFrustum();
    // Eye coordinates, looking along -z; at z = -50 the edges are at x = 27.6, y = 20.7.
    const float cubes[][4] = {{0, 0, -50, 1}, {20, 0, -50, 1}, {-20, 0, -50, 1}, {0, 15, -50, 1}, {0, -15, -50, 1}, {0, 0, -990, 1},
                              {40, 0, -50, 0}, {-40, 0, -50, 0}, {0, 30, -50, 0}, {0, -30, -50, 0}, {0, 0, -1010, 0}, {0, 0, 50, 0}};
    for (const auto &c : cubes)
        EXPECT_EQ(CubeInFrustum(-c[0], c[1], -c[2], 1), c[3]) << c[0] << "," << c[1] << "," << c[2];
    // A quad group's box: in view 10 up, past the top plane 25 up.
    const float low[2][3] = {{-1, 10, 49}, {-1, 25, 49}}, high[2][3] = {{1, 11, 51}, {1, 26, 51}};
    EXPECT_TRUE(BoxInFrustum(low[0], high[0]) && !BoxInFrustum(low[1], high[1]));
    // Looking 60 degrees down, a cube whose one low corner crosses the right edge is in view, and one far down left.
    look(0, 0, 0, 60, 180);
    CalculateFrustum();
    EXPECT_TRUE(CubeInFrustum(-28.8f, -43.3f, 25, 1) && !CubeInFrustum(-30.8f, -43.3f, 25, 1) &&
                CubeInFrustum(-40, -72, 76, 1));
    // Turned 135 degrees too, a cube whose one corner inside the bottom plane is its last, at +x +y +z.
    glRotatef(-45, 0, 1, 0);
    CalculateFrustum();
    EXPECT_TRUE(CubeInFrustum(-10, -32, 14, 1));
}

// Seen from the other side of the edge, a chunk lies one world width over.
TEST_F(Streaming, ChunksAcrossTheWorldEdgeAreDrawnWhereTheyWouldLie)
{
    const int cases[][2] = {{9, 3}, {3, 9}};   // looking along -x, then along -y
    for (const auto &c : cases) {
        // At (64 cx - 32, 64 cy - 32, 289): 106 ahead across the edge, 10 degrees up.
        hold(0, c[0], c[1], 4, 0)->blocks[32][32][33] = 3;
        create_polygons(c[0], c[1], 4);
        look(c[0] == 9 ? 10 : 160, c[0] == 9 ? 160 : 10, 270, -10, c[0] == 9 ? 90 : 180);
        auto seen = feedback_of([] { draw_buffs(); });
        EXPECT_GE(seen.size(), 6u) << c[0] << "," << c[1];
        for (const fb_vertex &v : seen)   // ahead, in the middle of the view
            EXPECT_TRUE(std::fabs(v.x - 400) < 100 && std::fabs(v.y - 300) < 100) << v.x << "," << v.y;
        *world_entry(c[0], c[1], 4) = NO_SLOT;
    }
}

// A face toward a missing chunk is hidden, added once the chunk is built (as air), hidden again behind a block there.
TEST_F(Streaming, ANewChunkOrABlockOnItsBorderRemeshesEveryHeldNeighbour)
{
    const int next[6][6] = {{1, 0, 6, 63, 32, 32}, {9, 0, 6, 0, 32, 32}, {0, 1, 6, 32, 63, 32}, {0, 9, 6, 32, 0, 32},
                            {0, 0, 7, 32, 32, 0}, {0, 0, 5, 32, 32, 63}};
    for (int i = 0; i < 6; i++) {   // a block on the border, and one two in whose faces the same way are kept
        auto in = [&](int k) { return next[i][k] == 63 ? 61 : next[i][k] == 0 ? 2 : 32; };
        hold(i, next[i][0], next[i][1], next[i][2], 0)->blocks[next[i][3]][next[i][4]][next[i][5]] = 3;
        cubes[i].blocks[in(3)][in(4)][in(5)] = 3;
        create_polygons(next[i][0], next[i][1], next[i][2]);
    }
    // Each mesh is then the one meshing it whole gives, also once the chunk has gone and come back.
    auto mesh = [](const cube_slot *c) {
        std::multiset<std::pair<std::vector<float>, std::vector<float>>> quads;   // corners, picture corners
        const float *v = c->vertices, *st = c->tex_coords;
        for (int q = 0; q < c->quad_count; q++)
            quads.insert({{v + 12 * q, v + 12 * q + 12}, {st + 8 * q, st + 8 * q + 8}});
        std::vector<float> groups(c->group_first, c->group_first + MESH_GROUPS + 1);
        for (const quad_group &g : c->groups)
            groups.insert(groups.end(), {g.front, g.low[0], g.low[1], g.low[2], g.high[0], g.high[1], g.high[2]});
        return std::make_pair(groups, quads);
    };
    std::vector<decltype(mesh(cubes))> first;
    for (int round = 0; round < 2; round++) {
        cubes[6].loaded = 0;   // gone: the same slot is built again
        *world_entry(0, 0, 6) = NO_SLOT;
        EXPECT_EQ(said([] { EXPECT_EQ(build_chunk(0, 0, 6), 1); }), "created 6,0 0 6 \n");
        for (int i = 0; i < 6; i++) {
            EXPECT_EQ(cubes[i].face_count, 12) << next[i][0] << "," << next[i][1] << "," << next[i][2];
            if (round == 0)
                first.push_back(mesh(&cubes[i]));
            EXPECT_EQ(mesh(&cubes[i]), first[i]) << "back again: " << next[i][0] << "," << next[i][1] << "," << next[i][2];
        }
    }
    for (int i = 0; i < 6; i++) {
        create_polygons(next[i][0], next[i][1], next[i][2]);
        EXPECT_EQ(mesh(&cubes[i]), first[i]) << next[i][0] << "," << next[i][1] << "," << next[i][2];
        auto across = [&](int k) { return next[i][k] == 32 ? 32 : 63 - next[i][k]; };
        set_block(0, 0, 6, across(3), across(4), across(5), 3);
        EXPECT_EQ(cubes[i].face_count, 11) << next[i][0] << "," << next[i][1] << "," << next[i][2];
    }
}

// The columns on both sides of the camera's own are streamed, at the world's edge too; the widest view
// (8 x 8 x 8 chunks) moves on without filling the pool: a column left behind is freed before the next is built.
// A pass that builds a chunk writes none. A full pool builds nothing rather than overwrite a held chunk, and says so once, not every frame.
TEST_F(Streaming, TheViewIsStreamedRoundTheCameraWithoutFillingThePool)
{
    char dir[] = "/tmp/quarrow-test-XXXXXX", old_dir[4096];
    ASSERT_TRUE(getcwd(old_dir, sizeof old_dir) && mkdtemp(dir) && chdir(dir) == 0);
    ASSERT_EQ(system("mkdir -p saves/w"), 0);
    init_save_load(world, cubes, world_size, "w");
    auto held_now = [] { return std::count_if(cubes, cubes + POOL_SLOTS, [](const cube_slot &s) { return s.loaded != 0; }); };
    auto stream = [&](double x, double y) {   // looking up at the empty sky: little to draw
        std::string out, pass;
        long held = -1;
        // Until two passes build nothing and let nothing go: a pass that begins a write lets its chunk go in the next.
        for (int still = 0; still < 2; still = pass.empty() && held == held_now() ? still + 1 : 0) {
            held = held_now();
            already_created = 0;
            look(x, y, 285, -90, 0);
            finish_writes();
            long files = std::distance(std::filesystem::directory_iterator("saves/w"), {});
            out += pass = said(draw_buffs);   // a pass that builds writes nothing: the two are a long frame
            finish_writes();
            EXPECT_TRUE(pass.empty() || std::distance(std::filesystem::directory_iterator("saves/w"), {}) == files);
        }
        return out;
    };
    vision_range = 1;
    const struct { double x, y; int own, below, above; } cases[] = {   // along x, then along y
        {0.2, 30, 0, 9, 1}, {30, 30, 1, 0, 2}, {300, 30, 5, 4, 6}, {30, 0.2, 0, 9, 1}, {30, 300, 5, 4, 6}};
    for (const auto &c : cases) {
        stream(c.x, c.y);
        // Three columns each way round the own, and one more below the world's first column; four levels.
        EXPECT_EQ(held_now(), (c.x > 64 ? 3 : 4) * (c.y > 64 ? 3 : 4) * 4) << c.x << ", " << c.y;
        for (int column : {c.below, c.own, c.above})
            for (int level : {3, 4, 6}) {   // the eye is in level 4
                int cx = c.y == 30 ? column : 1, cy = c.y == 30 ? 1 : column;
                EXPECT_NE(world_slot(cx, cy, level), NO_SLOT) << "camera at " << c.x << ", " << c.y << ": " << cx << ", " << cy << ", " << level;
            }
    }
    vision_range = 3;   // in the first column both ways, the window's widest: one more below
    std::string out = stream(0.2, 0.2);
    EXPECT_EQ(held_now(), 8 * 8 * 8);
    out += stream(30, 30);
    out += stream(94, 30);   // one column on
    EXPECT_EQ(out.find("chunk pool full"), std::string::npos);
    EXPECT_TRUE(chdir(old_dir) == 0 && system((std::string("rm -rf ") + dir).c_str()) == 0);
    std::for_each(cubes, cubes + POOL_SLOTS, [](cube_slot &s) { s.loaded = 1; });
    cubes[0].blocks[1][1][1] = 42;
    EXPECT_EQ(said([] { EXPECT_EQ(build_chunk(6, 6, 1) + build_chunk(6, 7, 1), 0); }), "chunk pool full, 6 6 1 not built \n");
    EXPECT_TRUE(world_slot(6, 6, 1) == NO_SLOT && cubes[0].blocks[1][1][1] == 42);   // x 6: in no window above
}

// A bumpy grass field in plain white light: every pixel is ground (no pinholes), a texel of the grass pictures.
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
    look(224, 224, 272, 40, 30);   // 40 degrees down: some 20 blocks of the field
    auto rgb = plain_frame(400, 300, draw_chunks);
    // The colours of atlas cells 2 and 3, the grass top and side, in the atlas the hot bar and boxes use.
    glBindTexture(GL_TEXTURE_2D, g_textures);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> t((size_t)w * h * 3);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, t.data());
    std::set<int> grass;
    for (int y = 0; y < h / ATLAS_EDGE; y++)
        for (int x = 2 * w / ATLAS_EDGE, i = 3 * (y * w + x); x < 4 * w / ATLAS_EDGE; x++, i += 3)
            grass.insert(t[i] << 16 | t[i + 1] << 8 | t[i + 2]);
    int sky = 0, foreign = 0;
    for (size_t i = 0; i < rgb.size(); i += 3) {
        int colour = rgb[i] << 16 | rgb[i + 1] << 8 | rgb[i + 2];
        sky += colour == 0;   // the black background
        foreign += colour != 0 && !grass.count(colour);
    }
    EXPECT_EQ(sky, 0);
    // A quad's hair past its sides samples the next cell in a few dozen pixels; a wrong picture in thousands.
    EXPECT_LE(foreign, 120);
}

// In fog, the chunks look as their whole meshes drawn plainly in one pass: no facing the eye could see left out (from
// above, under a roof, between two heights of tops, beside the chunk, from afar past the fog's end, from the window's
// far corner), the fog where it was, no pinhole where the parts with fog, without it and in its colour meet; each
// facing's light is GL's own.
TEST_F(ChunkDrawing, InFogChunksLookAsTheirWholeMeshes)
{
    cube_slot *c = hold(0, 4, 4, 4, 0);   // world x and y 192.5 ... 256.5, z from 256
    plat_srand(11);
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++) {
            c->blocks[lx][ly][10] = 1;                              // tops at z 266.5
            c->blocks[lx][ly][11] = plat_rand() % 6 ? 0 : 3;        // and 267.5
            c->blocks[lx][ly][14] = lx > 20 && lx < 40 && ly > 20 && ly < 40;   // a roof, its underside at 269.5
        }
    create_polygons(4, 4, 4);
    using four = std::array<float, 4>;
    glFogfv(GL_FOG_COLOR, four{1, 0, 0, 1}.data());   // red
    glFogf(GL_FOG_START, 8);
    glFogf(GL_FOG_END, 40);
    glPushAttrib(GL_LIGHTING_BIT);
    glLightfv(GL_LIGHT1, GL_POSITION, four{0.6f, 1.6f, -1, 0}.data());
    glLightfv(GL_LIGHT1, GL_DIFFUSE, four{0.5f, 0.35f, 0.25f, 1}.data());
    glLightfv(GL_LIGHT1, GL_AMBIENT, four{0.15f, 0.2f, 0.25f, 1}.data());
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, four{0.1f, 0.05f, 0, 1}.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, four{0.9f, 0.8f, 1, 1}.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, four{0.8f, 0.9f, 0.7f, 1}.data());
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, four{0.05f, 0, 0.1f, 1}.data());
    auto chunks = [] { glEnable(GL_LIGHTING), draw_chunks(); };
    auto whole = [] {
        glEnable(GL_LIGHTING);
        glEnable(GL_CULL_FACE);
        glBindTexture(GL_TEXTURE_2D, g_tiles);
        glVertexPointer(3, GL_FLOAT, 12, cubes[0].vertices);
        glTexCoordPointer(2, GL_FLOAT, 8, cubes[0].tex_coords);
        // GL's own lighting, each facing's quads with their normal.
        const float normal[FACINGS][3] = {{0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}};
        for (int g = 0; g < MESH_GROUPS; g++) {
            glNormal3fv(normal[g / MESH_QUARTERS]);
            glDrawArrays(GL_QUADS, 4 * cubes[0].group_first[g], 4 * (cubes[0].group_first[g + 1] - cubes[0].group_first[g]));
        }
        glDisable(GL_CULL_FACE);
    };
    const struct { double x, y, z; float pitch, yaw; } views[] = {
        {250, 250, 270, 15, 45}, {228, 228, 268, -60, 30}, {240, 200, 267, 5, 100}, {262, 224, 272, 10, 90},
        {290, 224, 290, 24, 90}, {290, 262, 330, 40, 120}};
    for (const auto &v : views) {
        look(v.x, v.y, v.z, v.pitch, v.yaw);
        auto drawn = plain_frame(400, 300, chunks, true), plain = plain_frame(400, 300, whole, true);
        int lit = 0, differ = 0;
        for (size_t i = 0; i < drawn.size(); i += 3) {
            lit += plain[i] > 0;
            differ += !std::equal(&drawn[i], &drawn[i] + 3, &plain[i], [](int a, int b) { return abs(a - b) <= 2; });
        }
        EXPECT_GT(lit, 400 * 300 / 4) << v.x << "," << v.y << "," << v.z;
        // Where two quads meet on an edge, which one a pixel there shows may go either way.
        EXPECT_LE(differ, 4) << v.x << "," << v.y << "," << v.z;
    }
    glPopAttrib();
    glDisable(GL_FOG);
}

}  // namespace
