// Terrain as generated, and meshing: the quads, read back as block faces, cover exactly the faces that show
// by the world's neighbour lookups, once each, with the right picture, wound counter-clockwise from outside.
#include "game.h"

#include "world_fixture.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace {

// Rock, earth, the surface, air by level; on level 4 grass over earth at lz 19 with bumps and pits, sometimes a bowl.
TEST(Terrain, LayersByLevelAndASurfaceOfGrassOverEarthOrABowl)
{
    auto top_grass = [](int lx, int ly) {
        int lz = 63;
        while (lz >= 0 && cubes[0].blocks[lx][ly][lz] != 1)
            lz--;
        return lz;
    };
    const int ids[10] = {2, 3, 3, 3, -1, 0, 0, 0, 0, 0};
    for (int level = 0; level < 10; level++) {
        generateCube(0, 0, 0, level);
        for (int i = 0; ids[level] >= 0 && i < CHUNK_BLOCKS; i++)
            ASSERT_EQ((&cubes[0].blocks[0][0][0])[i], ids[level]) << "level " << level;
    }
    plat_srand(3);
    int fields = 0, bumps = 0;
    for (int chunk = 0; chunk < 14; chunk++) {
        generateCube(0, 0, 0, 4);
        if (top_grass(32, 32) < 18) {
            EXPECT_TRUE(top_grass(32, 32) >= 7 && top_grass(0, 0) == 19);   // the rim meets the fields round it
            continue;
        }
        fields++;
        for (int lx = 0; lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++) {
                int top = top_grass(lx, ly);
                ASSERT_TRUE(top >= 18 && top <= 20) << lx << "," << ly;
                bumps += top == 20;
                for (int lz = 0; lz < 64; lz++)
                    ASSERT_EQ(cubes[0].blocks[lx][ly][lz], lz < top ? 3 : lz > top ? 0 : 1) << lz;
            }
    }
    EXPECT_TRUE(fields >= 10 && fields <= 13 && std::abs(bumps / fields - 512) <= 60) << fields;   // a bowl in 7, a bump in 8
}

using Mesher = HeldWorld;

TEST_F(Mesher, QuadsCoverExactlyTheFacesThatShow)
{
    // Random runs of blocks along lx in the three lowest and highest layers, with ids outside the tables and the
    // non-solid 9, 10 and 11 (the last two the borders take as solid vertically, as air sideways).
    auto random_layers = [](cube_slot *c) {
        const uint16_t ids[16] = {1, 1, 3, 2, 9, 10, 11, 300};
        int id = 0;
        for (int lz : {0, 1, 2, 61, 62, 63})
            for (int ly = 0; ly < 64; ly++)
                for (int lx = 0; lx < 64; lx++)
                    c->blocks[lx][ly][lz] = (uint16_t)(id = plat_rand() % 4 ? id : ids[plat_rand() % 16]);
        return c;
    };
    // Chunk (0, 0, 4): random neighbours across the seam and below, nothing above.
    plat_srand(5);
    cube_slot *c = random_layers(hold(0, 0, 0, 4, 0));
    const int next[4][2] = {{1, 0}, {9, 0}, {0, 1}, {0, 9}};
    for (int i = 0; i < 4; i++)
        random_layers(hold(i + 1, next[i][0], next[i][1], 4, 0));
    random_layers(hold(5, 0, 0, 3, 0));
    c->blocks[30][63][1] = c->blocks[31][0][1] = 3;   // ends of two ly rows, lx + 1 faces alike
    c->blocks[5][5][63] = 1;                         // its top, under a missing chunk, stays hidden
    c->blocks[7][7][62] = 1, c->blocks[7][7][63] = 0;   // its top, under air in the same chunk, shows
    ASSERT_EQ(create_polygons(0, 0, 4), 1);
    const int tiles[4][3] = {{0}, {0, 2, 3}, {1, 1, 1}, {0, 0, 0}};   // [id][bottom, top, side]: atlas cells
    static uint8_t covered[64][64][64];
    int side_up = -1;
    memset(covered, 0, sizeof covered);
    for (int q = 0; q < c->quad_count; q++) {
        const float *v = &c->vertices[12 * q], *st = &c->tex_coords[8 * q];
        // Its group says its facing (and so its light); the quad must lie flat across that axis.
        long group = std::upper_bound(c->group_first, c->group_first + MESH_GROUPS + 1, q) - c->group_first - 1;
        int face = (int)group / MESH_QUARTERS, axis = face < 2 ? 1 : face < 4 ? 2 : 0, sign = face & 1 ? 1 : -1;
        ASSERT_TRUE(v[axis] == v[3 + axis] && v[axis] == v[6 + axis] && v[axis] == v[9 + axis])
            << "quad " << q << " in the group of another facing";
        int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
        float cross = (v[3 + a1] - v[a1]) * (v[6 + a2] - v[a2]) - (v[3 + a2] - v[a2]) * (v[6 + a1] - v[a1]);
        ASSERT_GT(cross * sign, 0) << "quad " << q << " is wound clockwise";
        // Render space (X, Y, Z) is (lx, lz + 256, ly) here; a face lies 0.5 from its block's centre.
        long from[3], to[3];
        for (int a = 0; a < 3; a++) {
            float lo = std::min({v[a], v[3 + a], v[6 + a], v[9 + a]}), hi = std::max({v[a], v[3 + a], v[6 + a], v[9 + a]});
            from[a] = lround(a == axis ? lo - 0.5f * sign : lo + 0.5f);
            to[a] = a == axis ? from[a] : lround(hi - 0.5f);
            for (int k = 0; k < 4; k++)   // a rectangle: each corner is a corner of the quad's box
                ASSERT_TRUE(v[3 * k + a] == lo || v[3 * k + a] == hi) << "quad " << q << " is no rectangle";
        }
        ASSERT_EQ(std::max({st[0], st[2], st[4], st[6]}), (to[0] - from[0] + 1) * (to[1] - from[1] + 1) * (to[2] - from[2] + 1))
            << "one picture a block, quad " << q;
        long tile = lround(std::min({st[1], st[3], st[5], st[7]}) * ATLAS_TILES);
        ASSERT_NEAR(std::max({st[1], st[3], st[5], st[7]}) * ATLAS_TILES - tile, 1, 0.01) << "one tile high, quad " << q;
        // Each corner shows its own corner of the picture; every side stands up alike (a grass side's green on top).
        std::set<std::pair<float, float>> corners = {{st[0], st[1]}, {st[2], st[3]}, {st[4], st[5]}, {st[6], st[7]}};
        ASSERT_EQ(corners.size(), 4u) << "quad " << q;
        if (axis != 1) {
            float top = std::max({v[1], v[4], v[7], v[10]});
            int up = 0;
            for (int k = 0; k < 4; k++)
                up += (v[3 * k + 1] == top) == (st[2 * k + 1] == std::min({st[1], st[3], st[5], st[7]}));
            side_up = side_up < 0 ? up : side_up;
            ASSERT_TRUE(up == side_up && (up == 0 || up == 4)) << "quad " << q << " stands upside down";
        }
        for (long x = from[0]; x <= to[0]; x++)
            for (long z = from[2]; z <= to[2]; z++) {
                long y = from[1] - 256;
                ASSERT_TRUE(x >= 0 && x < 64 && y >= 0 && y < 64 && z >= 0 && z < 64) << q;
                ASSERT_FALSE(covered[x][z][y] >> face & 1) << "face covered twice by quad " << q;
                covered[x][z][y] |= (uint8_t)(1 << face);
                int id = c->blocks[x][z][y];
                ASSERT_TRUE(block_is_solid(id)) << q;
                EXPECT_EQ(tile, tiles[id][std::min(face, 2)]) << "id " << id << " face " << face;
            }
    }
    // The faces that show in chunk (0, 0, level), in the mesher's order: bottom, top, ly - 1, ly + 1, lx - 1, lx + 1.
    auto faces_showing = [](int level, uint8_t (*covered)[64][64]) {
        int faces = 0;
        const cube_slot *c = held_chunk(0, 0, level);
        for (int lx = 0; lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++)
                for (int lz = 0; lz < 64; lz++)
                    for (int face = 0, d = -1; face < 6; face++, d = -d) {
                        int next = face < 2   ? g_z(0, 0, level, lx, ly, lz + d)
                                   : face < 4 ? g_y(0, 0, level, lx, ly + d, lz)
                                              : g_x(0, 0, level, lx + d, ly, lz);
                        bool shows = block_is_solid(c->blocks[lx][ly][lz]) && !block_is_solid(next);
                        faces += shows;
                        if (covered && (covered[lx][ly][lz] >> face & 1) != shows) {
                            ADD_FAILURE() << lx << "," << ly << "," << lz << " face " << face << " shows " << shows;
                            return -1;
                        }
                    }
        return faces;
    };
    int faces = faces_showing(4, covered);
    ASSERT_GE(faces, 0);
    // The chunk below has this one above it: its top layer's faces look across that border.
    ASSERT_EQ(create_polygons(0, 0, 3), 1);
    EXPECT_EQ(held_chunk(0, 0, 3)->face_count, faces_showing(3, nullptr));
    EXPECT_TRUE(c->face_count == faces && (covered[7][7][62] & 2) && !(covered[5][5][63] & 2)) << "the lookups above";
    for (int g = 0; g < MESH_GROUPS; g++) {   // the box and nearest plane the drawer skips a group by are its quads'
        float box[6] = {1e9f, 1e9f, 1e9f, -1e9f, -1e9f, -1e9f}, front = 1e9f;
        int f = g / MESH_QUARTERS, axis = f < 2 ? 1 : f < 4 ? 2 : 0;
        for (int k = 4 * c->group_first[g]; k < 4 * c->group_first[g + 1]; k++)
            for (int a = 0; a < 3; a++) {
                box[a] = std::min(box[a], c->vertices[3 * k + a]), box[3 + a] = std::max(box[3 + a], c->vertices[3 * k + a]);
                front = a == axis ? std::min(front, (f & 1 ? 1 : -1) * c->vertices[3 * k + a]) : front;
            }
        const quad_group &kept = c->groups[g];
        const float want[7] = {kept.front, kept.low[0], kept.low[1], kept.low[2], kept.high[0], kept.high[1], kept.high[2]};
        for (int i = 0; i < 7 && c->group_first[g] < c->group_first[g + 1]; i++)
            EXPECT_NEAR(want[i], i ? box[i - 1] : front, 1e-3) << "group " << g << ", value " << i;
    }
    EXPECT_LT(c->quad_count, faces / 2);   // equal neighbours share quads
}

// Past the quad limit meshing stops after the block that passed it: single blocks, 6 faces each, reach it exactly.
TEST_F(Mesher, AChunkOfTooManyFacesStopsAfterTheBlockPastTheLimit)
{
    cube_slot *c = hold(0, 0, 0, 4, 0);
    for (int lx = 1; lx < 63; lx++)
        for (int ly = 1; ly < 63; ly++)
            for (int lz = 1; lz < 63; lz++)
                c->blocks[lx][ly][lz] = (lx + ly + lz) % 2 ? 0 : 3;
    ASSERT_EQ(MESH_QUAD_LIMIT % 6, 0);
    EXPECT_EQ(said([] { create_polygons(0, 0, 4); }), "stoped building, polygons: " + std::to_string(MESH_QUAD_LIMIT + 6) + " \n");
    EXPECT_EQ(c->face_count, MESH_QUAD_LIMIT + 6);
    EXPECT_EQ(c->quad_count, MESH_QUAD_LIMIT + 6);
}

}  // namespace
