// Chunk pool, column map, wrapping and neighbour lookups across borders.
#include "world/world.h"

#include "player/physics.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

class World : public ::testing::Test {
protected:
    void SetUp() override
    {
        world_size = 10;
        initialize_world();
    }
    // Holds a chunk filled with one id at (cx, cy, level), in slot `slot`.
    void hold(int slot, int cx, int cy, int level, uint16_t id)
    {
        cube_slot *c = &cubes[slot];
        for (int lx = 0; lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++)
                for (int lz = 0; lz < 64; lz++)
                    c->blocks[lx][ly][lz] = id;
        c->loaded = 1;
        *world_entry(cx, cy, level) = (int16_t)slot;
    }
};

TEST_F(World, InitialiseMakesAnEmptyMapAndAFreePool)
{
    cubes[7].loaded = 1;
    world_clock = 12.5;
    world_size = 20;
    EXPECT_EQ(initialize_world(), 1);
    for (int i = 0; i < 20 * 20 * 10; i++)
        ASSERT_EQ(world[i], NO_SLOT) << i;
    for (int i = 0; i < POOL_SLOTS; i++)
        ASSERT_EQ(cubes[i].loaded, 0) << i;
    EXPECT_EQ(world_clock, 0.0);
    EXPECT_EQ(world_slot(19, 19, 9), NO_SLOT);
}

TEST_F(World, FreeSlotSearchTellsAFullPoolFromSlotZero)
{
    EXPECT_EQ(find_free_cube(), 0);
    cubes[0].loaded = cubes[1].loaded = 1;
    EXPECT_EQ(find_free_cube(), 2);
    for (int i = 0; i < POOL_SLOTS; i++)
        cubes[i].loaded = 1;
    EXPECT_EQ(find_free_cube(), NO_SLOT);
    cubes[POOL_SLOTS - 1].loaded = 0;
    EXPECT_EQ(find_free_cube(), POOL_SLOTS - 1);
}

TEST_F(World, WrapsOnceInEitherDirection)
{
    EXPECT_EQ(t_zn(-1), 9);
    EXPECT_EQ(t_zn(10), 0);
    EXPECT_EQ(t_zn(5), 5);
    EXPECT_EQ(t_zn(-10), 0);
    EXPECT_EQ(t_zn(19), 9);
    EXPECT_FLOAT_EQ(t_un(-0.5f), 639.5f);
    EXPECT_FLOAT_EQ(t_un(640.0f), 0.0f);
    EXPECT_FLOAT_EQ(t_un(200.25f), 200.25f);
}

TEST_F(World, NeighboursAcrossEveryBorder)
{
    hold(0, 4, 4, 4, 0);
    hold(1, 5, 4, 4, 3);   // cx + 1: lx = -1 of (4, 4) reads its lx = 63
    hold(2, 3, 4, 4, 2);   // cx - 1: lx = 64 reads its lx = 0
    hold(3, 4, 5, 4, 3);
    hold(4, 4, 3, 4, 2);
    hold(5, 4, 4, 5, 0);   // above: air
    cubes[1].blocks[63][10][10] = 1;
    cubes[2].blocks[0][10][10] = 0;
    EXPECT_EQ(g_x(4, 4, 4, -1, 10, 10), 1);
    EXPECT_EQ(g_x(4, 4, 4, -1, 11, 10), 3);
    EXPECT_EQ(g_x(4, 4, 4, 64, 10, 10), 0);
    EXPECT_EQ(g_x(4, 4, 4, 64, 11, 10), 2);
    EXPECT_EQ(g_y(4, 4, 4, 10, -1, 10), 3);
    EXPECT_EQ(g_y(4, 4, 4, 10, 64, 10), 2);
    EXPECT_EQ(g_z(4, 4, 4, 10, 10, 64), 0);
    // Below is not held: solid, under both rules.
    EXPECT_EQ(g_z(4, 4, 4, 10, 10, -1), 1);
    EXPECT_EQ(g_x(4, 4, 5, -1, 10, 10), 1);
    // Inside the chunk no border is crossed.
    cubes[0].blocks[10][10][10] = 3;
    EXPECT_EQ(g_xy(4, 4, 4, 10, 10, 10), 3);
    EXPECT_EQ(g_z(4, 4, 4, 10, 10, 10), 3);
    // g_xy steps both ways: lx = -1, ly = 64 is chunk (5, 3).
    hold(6, 5, 3, 4, 2);
    EXPECT_EQ(g_xy(4, 4, 4, -1, 64, 10), 2);
}

TEST_F(World, LookupsWrapTheSeamAndTreatOtherLevelsAsMissing)
{
    hold(0, 0, 0, 4, 0);
    hold(1, 9, 0, 4, 3);   // across the seam at cx = 0 - 1
    hold(2, 0, 9, 9, 0);
    EXPECT_EQ(g_x(0, 0, 4, 64, 5, 5), 3);   // cx - 1 = -1 wraps to 9
    EXPECT_EQ(g_x(9, 0, 4, -1, 5, 5), 0);   // cx + 1 = 10 wraps to 0
    EXPECT_EQ(g_z(0, 9, 9, 5, 5, 64), 1);   // level 10: not in the world
    EXPECT_EQ(g_z(0, 0, 0, 5, 5, -1), 1);   // level -1
    EXPECT_EQ(world_slot(0, 0, -1), NO_SLOT);
    EXPECT_EQ(world_slot(0, 0, 10), NO_SLOT);
    EXPECT_EQ(world_slot(-1, 0, 4), 1);
    // A map entry whose slot was freed reads as missing.
    cubes[1].loaded = 0;
    EXPECT_EQ(g_x(0, 0, 4, 64, 5, 5), 1);
}

TEST_F(World, IdsTenAndElevenReadDifferentlyByDirection)
{
    hold(0, 4, 4, 4, 0);
    hold(1, 4, 4, 5, 11);
    hold(2, 5, 4, 4, 11);
    EXPECT_EQ(g_z(4, 4, 4, 0, 0, 64), 1);   // 11 above: solid vertically
    EXPECT_EQ(g_x(4, 4, 4, -1, 0, 0), 0);   // 11 beside: empty horizontally
    cubes[1].blocks[0][0][0] = 10;
    cubes[2].blocks[63][0][0] = 10;
    EXPECT_EQ(g_z(4, 4, 4, 0, 0, 64), 1);
    EXPECT_EQ(g_x(4, 4, 4, -1, 0, 0), 10);
    cubes[1].blocks[0][0][0] = 9;
    EXPECT_EQ(g_z(4, 4, 4, 0, 0, 64), 9);
}

}  // namespace
