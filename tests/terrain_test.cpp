// Terrain: the layers by level and the surface, from a fixed random sequence.
#include "world/terrain.h"

#include "platform/platform.h"
#include "world/world.h"

#include <gtest/gtest.h>

namespace {

const uint16_t *blocks = &cubes[0].blocks[0][0][0];

int top_grass(int lx, int ly)
{
    for (int lz = 63; lz >= 0; lz--)
        if (cubes[0].blocks[lx][ly][lz] == 1)
            return lz;
    return -1;
}

TEST(Terrain, LayersByLevel)
{
    const int ids[10] = {2, 3, 3, 3, -1, 0, 0, 0, 0, 0};   // rock, earth, the surface, air
    for (int level = 0; level < 10; level++) {
        if (ids[level] < 0)
            continue;
        generateCube(0, 0, 0, level);
        for (int i = 0; i < CHUNK_BLOCKS; i++)
            ASSERT_EQ(blocks[i], ids[level]) << "level " << level;
    }
}

// Flat fields of grass over earth at lz 19, with bumps and pits; a bowl in some seven.
TEST(Terrain, SurfaceIsGrassOverEarthOrABowl)
{
    plat_srand(3);
    int bumps = 0, pits = 0, bowls = 0;
    for (int chunk = 0; chunk < 14; chunk++) {
        generateCube(0, 0, 0, 4);
        if (top_grass(32, 32) < 18) {
            bowls++;
            EXPECT_GE(top_grass(32, 32), 7);
            EXPECT_EQ(top_grass(0, 0), 19);   // its rim meets the fields round it
            EXPECT_EQ(top_grass(63, 63), 19);
            continue;
        }
        for (int lx = 0; lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++) {
                int top = top_grass(lx, ly);
                ASSERT_TRUE(top >= 18 && top <= 20) << lx << "," << ly;
                bumps += top == 20;
                pits += top == 18;
                for (int lz = 0; lz < 64; lz++)
                    ASSERT_EQ(cubes[0].blocks[lx][ly][lz], lz < top ? 3 : lz > top ? 0 : 1) << lz;
            }
    }
    EXPECT_TRUE(bowls >= 1 && bowls <= 4) << bowls;
    EXPECT_NEAR(bumps / (14.0 - bowls), 512, 60);   // one column in eight
    EXPECT_NEAR(pits / (14.0 - bowls), 30, 12);
}

}  // namespace
