// Terrain: the layers, the flat field and the bowl, with a fixed random sequence.
#include "world/terrain.h"

#include "platform/platform.h"
#include "world/world.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

int top_grass(int slot, int lx, int ly)
{
    for (int lz = 63; lz >= 0; lz--)
        if (cubes[slot].blocks[lx][ly][lz] == 1)
            return lz;
    return -1;
}

// A level-4 chunk is a bowl when its centre column sinks below the flat field.
bool is_bowl(int slot)
{
    return top_grass(slot, 32, 32) < 18;
}

// Seeds until the first draw picks the wanted variant.
unsigned seed_for_variant(bool bowl)
{
    for (unsigned seed = 1;; seed++) {
        plat_srand(seed);
        if ((plat_rand() % 7 == 6) == bowl)
            return seed;
    }
}

TEST(Terrain, LayersByLevel)
{
    cubes[0].blocks[5][5][5] = 9;
    EXPECT_EQ(generateCube(0, 3, 7, 0), 0);
    EXPECT_EQ(cubes[0].loaded, 1);
    for (int i = 0; i < CHUNK_BLOCKS; i++)
        ASSERT_EQ((&cubes[0].blocks[0][0][0])[i], 2);
    EXPECT_EQ(generateCube(1, 0, 0, 2), 1);
    for (int i = 0; i < CHUNK_BLOCKS; i++)
        ASSERT_EQ((&cubes[1].blocks[0][0][0])[i], 3);
    for (int level : {5, 9, -1, 12}) {
        generateCube(2, 0, 0, level);
        for (int i = 0; i < CHUNK_BLOCKS; i++)
            ASSERT_EQ((&cubes[2].blocks[0][0][0])[i], 0) << level;
    }
}

TEST(Terrain, FlatFieldHasGrassOverEarthWithBumpsAndPits)
{
    plat_srand(seed_for_variant(false));
    generateCube(0, 0, 0, 4);
    int bumps = 0, pits = 0;
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++) {
            int top = top_grass(0, lx, ly);
            ASSERT_TRUE(top == 18 || top == 19 || top == 20) << lx << "," << ly;
            bumps += top == 20;
            pits += top == 18;
            for (int lz = 0; lz < top; lz++)
                ASSERT_EQ(cubes[0].blocks[lx][ly][lz], 3);
            for (int lz = top + 1; lz < 64; lz++)
                ASSERT_EQ(cubes[0].blocks[lx][ly][lz], 0);
        }
    // 1 in 8 columns bump, 1 in 120 of the rest pit: 512 and 30 expected.
    EXPECT_GT(bumps, 400);
    EXPECT_LT(bumps, 620);
    EXPECT_GT(pits, 10);
    EXPECT_LT(pits, 60);
}

TEST(Terrain, SameSeedSameChunkWhateverTheColumn)
{
    static uint16_t first[64][64][64];
    plat_srand(77);
    generateCube(0, 0, 0, 4);
    memcpy(first, cubes[0].blocks, sizeof first);
    plat_srand(77);
    generateCube(0, 9, 3, 4);
    EXPECT_EQ(memcmp(first, cubes[0].blocks, sizeof first), 0);
    generateCube(0, 0, 0, 4);   // the sequence has moved on
    EXPECT_NE(memcmp(first, cubes[0].blocks, sizeof first), 0);
}

TEST(Terrain, StartSeedComesFromTheEnvironmentWhenGiven)
{
    setenv("QUARROW_SEED", "83", 1);
    EXPECT_EQ(plat_start_seed(), 83u);
    unsigned now = (unsigned)time(nullptr);
    setenv("QUARROW_SEED", "83x", 1);   // not a number: the time
    EXPECT_GE(plat_start_seed(), now);
    unsetenv("QUARROW_SEED");
    EXPECT_GE(plat_start_seed(), now);
}

TEST(Terrain, BowlSinksToTheCentreAndKeepsItsRim)
{
    plat_srand(seed_for_variant(true));
    generateCube(0, 0, 0, 4);
    int centre = top_grass(0, 32, 32);
    EXPECT_GE(centre, 7);
    EXPECT_LE(centre, 9);
    EXPECT_EQ(top_grass(0, 0, 0), 19);
    EXPECT_EQ(top_grass(0, 63, 0), 19);
    EXPECT_EQ(top_grass(0, 0, 63), 19);
    EXPECT_EQ(top_grass(0, 63, 63), 19);
    // Corner columns (h = 2 at most) stand on up to two empty cells.
    int lowest_earth = 0;
    while (cubes[0].blocks[0][0][lowest_earth] == 0)
        lowest_earth++;
    EXPECT_LE(lowest_earth, 2);
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++) {
            int top = top_grass(0, lx, ly);
            ASSERT_GE(top, 7);
            ASSERT_LE(top, 19);
        }
}

TEST(Terrain, OneSurfaceChunkInSevenIsABowl)
{
    plat_srand(12345);
    int bowls = 0;
    const int chunks = 700;
    for (int i = 0; i < chunks; i++) {
        generateCube(0, 0, 0, 4);
        bowls += is_bowl(0);
    }
    EXPECT_GT(bowls, 70);    // 100 expected
    EXPECT_LT(bowls, 130);
}

TEST(Terrain, GrassPassTurnsOnlyTheTopmostEarth)
{
    cube_slot *c = &cubes[3];
    memset(c->blocks, 0, sizeof c->blocks);
    c->blocks[1][1][10] = 3;
    c->blocks[1][1][11] = 3;
    c->blocks[1][1][30] = 2;   // rock above is skipped
    c->blocks[2][2][0] = 2;    // no earth: unchanged
    makegrass(3);
    EXPECT_EQ(c->blocks[1][1][11], 1);
    EXPECT_EQ(c->blocks[1][1][10], 3);
    EXPECT_EQ(c->blocks[1][1][30], 2);
    EXPECT_EQ(c->blocks[2][2][0], 2);
}

}  // namespace
