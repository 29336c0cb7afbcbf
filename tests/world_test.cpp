// Block lookups across chunk borders and the world's seam, as picking and walking make them.
#include "world_fixture.h"

namespace {

using WorldMap = HeldWorld;

TEST_F(WorldMap, LookupsStepIntoTheRightChunkAcrossTheSeam)
{
    hold(0, 0, 0, 4, 0);
    hold(1, 1, 0, 4, 3);    // cx + 1 lies at lx = -1: local indices run the other way
    hold(2, 9, 9, 4, 2);    // cx - 1 and cy - 1, across the seam, at lx = 64, ly = 64
    hold(3, 0, 1, 4, 11);   // ids above 10 read as air sideways
    cubes[1].blocks[63][5][5] = 1;
    const struct {
        int lx, ly, id;
    } cases[] = {{-1, 5, 1}, {-1, 6, 3}, {64, 64, 2}, {5, -1, 0}, {5, 5, 0}, {64, 5, 1}, {-1, -1, 1}};
    for (const auto &c : cases)   // the last two chunks are not held: solid
        EXPECT_EQ(g_xy(0, 0, 4, c.lx, c.ly, 5), c.id) << c.lx << "," << c.ly;
}

}  // namespace
