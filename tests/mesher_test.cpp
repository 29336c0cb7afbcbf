// Chunk meshing: which faces, in which order, with which corners.
#include "render/mesher.h"

#include "world_fixture.h"

#include <algorithm>
#include <cmath>

namespace {

using Mesher = HeldWorld;

struct vec3 {
    float x, y, z;
};

vec3 vertex(const cube_slot *c, int quad, int k)
{
    const float *v = &c->vertices[12 * quad + 3 * k];
    return {v[0], v[1], v[2]};
}

vec3 normal(const cube_slot *c, int quad)
{
    const float *n = &c->normals[12 * quad];
    return {n[0], n[1], n[2]};
}

// The six neighbours of chunk (4, 4, 4), held and filled with id.
void hold_neighbours(uint16_t id)
{
    int n = 1;
    HeldWorld::hold(n++, 4, 4, 3, id);
    HeldWorld::hold(n++, 4, 4, 5, id);
    HeldWorld::hold(n++, 4, 5, 4, id);
    HeldWorld::hold(n++, 4, 3, 4, id);
    HeldWorld::hold(n++, 5, 4, 4, id);
    HeldWorld::hold(n++, 3, 4, 4, id);
}

TEST_F(Mesher, AirHasNoFacesAndOneBlockHasSixInOrder)
{
    cube_slot *c = hold(0, 4, 4, 4, 0);
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->quad_count, 0);

    c->blocks[10][20][30] = 3;
    texes[3] = {0.5f, 0.25f, 0.125f, 0.375f, 0.0625f, 0.1875f};
    create_polygons(4, 4, 4);
    ASSERT_EQ(c->quad_count, 6);
    // Centre in render space: (lx - 64 cx, lz + 64 level, ly - 64 cy).
    const float X = 10 - 256, Y = 30 + 256, Z = 20 - 256;
    const vec3 normals[6] = {{0, -1, 0}, {0, 1, 0}, {0, 0, -1}, {0, 0, 1}, {-1, 0, 0}, {1, 0, 0}};
    for (int q = 0; q < 6; q++) {
        vec3 n = normal(c, q);
        EXPECT_EQ(n.x, normals[q].x) << q;
        EXPECT_EQ(n.y, normals[q].y) << q;
        EXPECT_EQ(n.z, normals[q].z) << q;
        for (int k = 0; k < 4; k++) {
            vec3 v = vertex(c, q, k);
            // Every corner lies on the face the normal names, at most a hair past its edges.
            EXPECT_EQ((v.x - X) * n.x + (v.y - Y) * n.y + (v.z - Z) * n.z, 0.5f) << q << "," << k;
            EXPECT_NEAR(std::fabs(v.x - X) + std::fabs(v.y - Y) + std::fabs(v.z - Z), 1.5f, 0.01f);
        }
    }
    c->blocks[9][20][30] = 3;   // a neighbour along lx hides two faces and joins four
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 10);
    EXPECT_EQ(c->quad_count, 6);
}

// Faces the quads cover: a quad's s runs from 0 to the blocks it spans.
int faces_covered(const cube_slot *c)
{
    int n = 0;
    for (int q = 0; q < c->quad_count; q++)
        n += (int)std::max({c->tex_coords[8 * q], c->tex_coords[8 * q + 2], c->tex_coords[8 * q + 4],
                            c->tex_coords[8 * q + 6]});
    return n;
}

// Equal faces in a row along their texture's u become one quad whose texture
// repeats once a block; a different picture ends the run; no face is covered
// twice, and no run leaves the chunk's row.
TEST_F(Mesher, RowsOfEqualFacesBecomeOneQuad)
{
    cube_slot *c = hold(0, 4, 4, 4, 0);
    for (int lx = 10; lx < 15; lx++)
        c->blocks[lx][20][30] = 3;
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 5 * 4 + 2);
    ASSERT_EQ(c->quad_count, 6);   // bottom, top, two sides: one quad each; the two ends
    float longest = 0;
    for (int q = 0; q < 6; q++) {
        float lo = 1e9f, hi = -1e9f, s_max = 0;
        for (int k = 0; k < 4; k++) {
            lo = std::min(lo, vertex(c, q, k).x);
            hi = std::max(hi, vertex(c, q, k).x);
            s_max = std::max(s_max, c->tex_coords[8 * q + 2 * k]);
        }
        if (hi - lo > 1) {
            EXPECT_EQ(s_max, 5.0f) << q;   // one picture a block
        }
        longest = std::max(longest, hi - lo);
    }
    EXPECT_EQ(longest, 5.0f);

    EXPECT_EQ(faces_covered(c), 22);

    c->blocks[12][20][30] = 1;   // grass: its top and sides show other pictures
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 22);
    EXPECT_EQ(c->quad_count, 1 + 3 + 3 + 3 + 2);   // only the bottoms stay one run
    EXPECT_EQ(faces_covered(c), 22);

    // The last block of one ly row and the first of the next, both showing lx + 1 faces.
    c->blocks[30][63][30] = 3;
    c->blocks[31][0][30] = 3;
    create_polygons(4, 4, 4);
    EXPECT_EQ(faces_covered(c), c->face_count);
}

TEST_F(Mesher, FullChunkDependsOnItsNeighbours)
{
    cube_slot *c = hold(0, 4, 4, 4, 3);
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->quad_count, 0);   // absent neighbours hide every border face

    hold_neighbours(0);
    testing::internal::CaptureStdout();
    create_polygons(4, 4, 4);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_GT(c->face_count, MESH_QUAD_LIMIT);   // the limit counts faces, as it always has
    EXPECT_LE(c->face_count, MESH_QUAD_LIMIT + 6);
    EXPECT_EQ(out, "stoped building, polygons: " + std::to_string(c->face_count) + " \n");
    EXPECT_LT(c->quad_count, c->face_count / 8);
}

TEST_F(Mesher, IdsTenAndElevenAndIdsNoTableHolds)
{
    cube_slot *c = hold(0, 4, 4, 4, 0);
    c->blocks[10][10][10] = 3;
    c->blocks[10][10][11] = 10;   // above: opaque vertically
    c->blocks[11][10][10] = 10;   // beside: id 10 itself, which is not solid
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 5);
    c->blocks[10][10][11] = 11;   // above: still opaque
    c->blocks[11][10][10] = 11;   // beside: air
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 5);
    materials[10].solid = 1;
    c->blocks[11][10][10] = 10;
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 4 + 5);   // the face between them goes; the id-10 block has its own
    materials[10].solid = 0;

    // Ids outside the tables are air: no faces of their own, hide nothing.
    c->blocks[30][30][30] = 1000;
    c->blocks[31][30][30] = 256;
    c->blocks[32][30][30] = 65535;
    c->blocks[33][30][30] = 3;
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 5 + 6);
}

TEST_F(Mesher, BordersLookIntoTheRightChunkAndAcrossTheSeam)
{
    cube_slot *c = hold(0, 4, 4, 4, 0);
    c->blocks[0][10][10] = 3;
    hold(1, 5, 4, 4, 0);   // cx + 1: the lx - 1 side of lx = 0
    hold(2, 3, 4, 4, 3);   // cx - 1 is solid, but lx = 0 does not look there
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 6);
    cubes[1].blocks[63][10][10] = 3;
    create_polygons(4, 4, 4);
    EXPECT_EQ(c->face_count, 5);

    // Chunk column 0's lx = 63 face looks across the seam into column 9.
    cube_slot *edge = hold(3, 0, 0, 4, 0);
    edge->blocks[63][0][0] = 3;
    create_polygons(0, 0, 4);
    // Top, ly + 1 and lx - 1 face air inside; below, cy + 1 and column 9 are absent.
    EXPECT_EQ(edge->face_count, 3);
    hold(4, 9, 0, 4, 0);
    create_polygons(0, 0, 4);
    int with_air_across = edge->face_count;
    EXPECT_EQ(with_air_across, 4);   // the face toward column 9 appears
    // Level 9's top looks at level 10: absent, the face stays hidden.
    cube_slot *high = hold(5, 2, 2, 9, 0);
    high->blocks[5][5][63] = 3;
    create_polygons(2, 2, 9);
    EXPECT_EQ(high->face_count, 5);   // all but the top
}

}  // namespace
