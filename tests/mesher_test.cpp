// Chunk meshing checked against the blocks: every quad read back as the block
// faces it covers must cover exactly the faces the world's neighbour lookups
// say show, once each, with the right picture, wound counter-clockwise from outside.
#include "render/mesher.h"

#include "platform/platform.h"
#include "world_fixture.h"

#include <algorithm>
#include <cmath>

namespace {

using Mesher = HeldWorld;

// Faces in the mesher's order: bottom, top, ly - 1, ly + 1, lx - 1, lx + 1.
bool face_shows(int lx, int ly, int lz, int face)
{
    int d = face % 2 ? 1 : -1;
    int n = face < 2 ? g_z(0, 0, 4, lx, ly, lz + d) : face < 4 ? g_y(0, 0, 4, lx, ly + d, lz) : g_x(0, 0, 4, lx + d, ly, lz);
    return block_is_solid(n) == 0;
}

// Atlas cells: 0 earth, 1 rock, 2 grass top, 3 grass side; [id][bottom, top, side].
int expected_tile(int id, int face)
{
    const int tiles[4][3] = {{-1, -1, -1}, {0, 2, 3}, {1, 1, 1}, {0, 0, 0}};
    return tiles[id][std::min(face, 2)];
}

// Random runs of blocks along lx, outside-the-table ids and the non-solid ids 10 and 11 included.
void fill_layers(cube_slot *c, std::initializer_list<int> layers)
{
    const uint16_t ids[16] = {1, 1, 3, 2, 10, 11, 300};
    uint16_t id = 0;
    for (int lz : layers)
        for (int ly = 0; ly < 64; ly++)
            for (int lx = 0; lx < 64; lx++) {
                id = plat_rand() % 4 ? id : ids[plat_rand() % 16];
                c->blocks[lx][ly][lz] = id;
            }
}

TEST_F(Mesher, QuadsCoverExactlyTheFacesThatShow)
{
    plat_srand(5);
    // Chunk (0, 0, 4): random neighbours across the seam, air below, nothing above.
    cube_slot *c = hold(0, 0, 0, 4, 0);
    fill_layers(c, {0, 1, 2});
    int slot = 1;
    for (auto at : {std::make_pair(1, 0), {9, 0}, {0, 1}, {0, 9}})
        fill_layers(hold(slot++, at.first, at.second, 4, 0), {0, 1, 2});
    hold(slot, 0, 0, 3, 0);
    c->blocks[30][63][1] = c->blocks[31][0][1] = 3;   // ends of two ly rows, lx + 1 faces alike
    for (int lx = 5; lx < 9; lx++)
        c->blocks[lx][5][63] = 1;   // tops under a missing chunk stay hidden
    ASSERT_EQ(create_polygons(0, 0, 4), 1);

    static uint8_t covered[64][64][64];
    memset(covered, 0, sizeof covered);
    for (int q = 0; q < c->quad_count; q++) {
        const float *v = &c->vertices[12 * q], *n = &c->normals[12 * q];
        int axis = n[0] != 0 ? 0 : n[1] != 0 ? 1 : 2, sign = n[axis] > 0 ? 1 : -1;
        int face = (axis == 1 ? 0 : axis == 2 ? 2 : 4) + (sign > 0);
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f}, s_max = 0, t_min = 1;
        for (int k = 0; k < 4; k++) {
            for (int a = 0; a < 3; a++) {
                lo[a] = std::min(lo[a], v[3 * k + a]);
                hi[a] = std::max(hi[a], v[3 * k + a]);
            }
            s_max = std::max(s_max, c->tex_coords[8 * q + 2 * k]);
            t_min = std::min(t_min, c->tex_coords[8 * q + 2 * k + 1]);
        }
        float e[2][3], cross[3];
        for (int a = 0; a < 3; a++) {
            e[0][a] = v[3 + a] - v[a];
            e[1][a] = v[6 + a] - v[a];
        }
        for (int a = 0; a < 3; a++)
            cross[a] = e[0][(a + 1) % 3] * e[1][(a + 2) % 3] - e[0][(a + 2) % 3] * e[1][(a + 1) % 3];
        ASSERT_GT(cross[axis] * sign, 0) << "quad " << q << " is wound clockwise";
        ASSERT_EQ(lo[axis], hi[axis]) << q;
        // Render space (X, Y, Z) is (lx, lz + 256, ly) here; a block reaches 0.5 from its centre.
        long from[3], to[3];
        for (int a = 0; a < 3; a++) {
            from[a] = a == axis ? lround(lo[a] - 0.5f * sign) : lround(lo[a] + 0.5f);
            to[a] = a == axis ? from[a] : lround(hi[a] - 0.5f);
        }
        ASSERT_EQ(s_max, (float)((to[0] - from[0] + 1) * (to[1] - from[1] + 1) * (to[2] - from[2] + 1))) << q;
        for (long x = from[0]; x <= to[0]; x++)
            for (long z = from[2]; z <= to[2]; z++) {
                long y = from[1] - 256;
                ASSERT_TRUE(x >= 0 && x < 64 && y >= 0 && y < 64 && z >= 0 && z < 64) << q;
                ASSERT_FALSE(covered[x][z][y] >> face & 1) << "face covered twice by quad " << q;
                covered[x][z][y] |= (uint8_t)(1 << face);
                int id = c->blocks[x][z][y];
                ASSERT_TRUE(block_is_solid(id)) << q;
                EXPECT_EQ(lround(t_min * ATLAS_TILES), expected_tile(id, face)) << id << " face " << face;
            }
    }
    int faces = 0;
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            for (int lz = 0; lz < 64; lz++)
                for (int face = 0; face < 6; face++) {
                    bool shows = block_is_solid(c->blocks[lx][ly][lz]) && face_shows(lx, ly, lz, face);
                    faces += shows;
                    ASSERT_EQ(covered[lx][ly][lz] >> face & 1, shows) << lx << "," << ly << "," << lz << " face " << face;
                }
    EXPECT_EQ(c->face_count, faces);
    EXPECT_LT(c->quad_count, faces / 2);   // equal neighbours share quads
}

// Meshing stops past the limit the buffers are sized for, and says so.
TEST_F(Mesher, FullChunkInOpenAirStopsAtTheLimit)
{
    cube_slot *c = hold(0, 4, 4, 4, 3);
    int slot = 1;
    for (int d : {-1, 1}) {
        hold(slot++, 4 + d, 4, 4, 0);
        hold(slot++, 4, 4 + d, 4, 0);
        hold(slot++, 4, 4, 4 + d, 0);
    }
    testing::internal::CaptureStdout();
    create_polygons(4, 4, 4);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "stoped building, polygons: " + std::to_string(c->face_count) + " \n");
    EXPECT_GT(c->face_count, MESH_QUAD_LIMIT);
    EXPECT_LE(c->face_count, MESH_QUAD_LIMIT + 6);
}

}  // namespace
