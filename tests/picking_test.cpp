// The view ray, digging stroke by stroke, and placing blocks.
#include "player/picking.h"

#include "app/input.h"
#include "player/cells.h"
#include "player/particles.h"
#include "player/physics.h"
#include "render/mesher.h"
#include "world_fixture.h"

#include <cstring>
#include <sstream>

namespace {

int active_particles()
{
    int n = 0;
    for (const particle &p : prs)
        n += p.active;
    return n;
}

class Picking : public HeldWorld {
protected:
    player *me = &gamer[0];
    cube_slot *air = nullptr;

    void SetUp() override
    {
        HeldWorld::SetUp();
        reset_players(1);
        init_particles();
        air = hold(0, 4, 4, 4, 0);
        hold(1, 4, 5, 4, 0);
        create_polygons(4, 4, 4);
        create_polygons(4, 5, 4);
        // Looking along +y, level: the first sample is at (200, y - 0.5, 276.5),
        // in the column of blocks lx = 56 (x = 200), lz = 20 (z = 276). In
        // sample space the block centred at y = c is entered at c - 1.
        me->x = 200.5;
        me->y = 200.2;
        me->z = 275;
        me->rot_x = me->rot_y = 0;
        if (!player_cells)
            player_cells = init_cells(10, 5);
        for (int i = 0; i < 50; i++)
            player_cells->slots[i].id = 0;
        cells_active = 0;
    }
    // A block centred at world y, in the ray's column.
    void put_ahead(int world_y, uint16_t id)
    {
        int cy = world_y <= 256 ? 4 : 5;
        cubes[cy == 4 ? 0 : 1].blocks[56][64 * cy - world_y][20] = id;
    }
    void step()
    {
        view_ray(me);
        dig(me);
        place(me);
    }
    // One right-click's placing attempt; what it printed.
    std::string right_click()
    {
        me->place_request = 1;
        testing::internal::CaptureStdout();
        place(me);
        return testing::internal::GetCapturedStdout();
    }
};

TEST_F(Picking, ReachEndsBetweenThreePointEightAndFourBlocks)
{
    me->y = 199.7;
    put_ahead(204, 3);   // entered 3.8 after the first sample
    view_ray(me);
    ASSERT_EQ(me->pick_valid, 1);
    EXPECT_EQ(me->pick_lx, 56);
    EXPECT_EQ(me->pick_ly, 256 - 204);
    EXPECT_EQ(me->pick_lz, 20);
    EXPECT_EQ(me->pick_cy, 4);
    EXPECT_EQ(me->front_ly, 256 - 203);
    me->y = 199.5;       // now 4.0 after it
    view_ray(me);
    EXPECT_EQ(me->pick_valid, 0);
    EXPECT_EQ(me->pick_ly, 256 - 204);   // a miss keeps the last hit's fields
}

TEST_F(Picking, HeadInsideABlockAndIdsThatLetTheRayThrough)
{
    put_ahead(202, 3);
    put_ahead(200, 2);   // the first sample's own cell
    view_ray(me);
    EXPECT_EQ(me->pick_valid, 0);
    put_ahead(200, 0);
    put_ahead(201, 11);  // passed through
    view_ray(me);
    ASSERT_EQ(me->pick_valid, 1);
    EXPECT_EQ(me->pick_ly, 256 - 202);
}

TEST_F(Picking, DirtGrassAndRockUnderTheButton)
{
    put_ahead(202, 3);
    me->dig_button = 1;
    int steps = 0;
    while (air->blocks[56][54][20] != 0 && steps < 1000) {
        step();
        steps++;
    }
    EXPECT_EQ(steps, 1 + 132);   // the step that takes aim, then 12 strokes 11 apart
    EXPECT_EQ(active_particles(), 12 * 5 + 60);
    ASSERT_EQ(bxs[0].active, 1);
    EXPECT_EQ(bxs[0].block_id, 3);
    EXPECT_FLOAT_EQ(bxs[0].x, 56 - 256);
    EXPECT_FLOAT_EQ(bxs[0].y, 54 - 256);
    EXPECT_FLOAT_EQ(bxs[0].z, 256 + 20);

    init_particles();
    put_ahead(203, 1);
    for (steps = 0; air->blocks[56][53][20] != 0 && steps < 1000; steps++)
        step();
    EXPECT_EQ(steps, 1 + 176);
    EXPECT_EQ(bxs[0].block_id, 3);   // grass drops earth

    put_ahead(204, 2);
    for (int i = 0; i < 500; i++)
        step();
    EXPECT_EQ(air->blocks[56][52][20], 2);
    EXPECT_EQ(me->dig_left, 100500.0f);
}

TEST_F(Picking, PlacingWithAnEmptySlotTheLastBlockAndNothingPicked)
{
    put_ahead(203, 3);
    view_ray(me);
    me->cell_lx = 1, me->cell_ly = 2, me->cell_lz = 3;
    player_cells->slots[0] = {3, 1};
    cells_active = 1;    // an empty slot: the line, nothing placed
    EXPECT_EQ(right_click(), "56 1 54 2 20 3 \n");
    EXPECT_EQ(me->place_request, 0);
    EXPECT_EQ(air->blocks[56][54][20], 0);

    cells_active = 0;    // the last block of the stack
    right_click();
    EXPECT_EQ(air->blocks[56][54][20], 3);
    EXPECT_EQ(get_cell(player_cells, 0, 0), 0);
    EXPECT_EQ(player_cells->slots[0].id, 0);

    me->pick_valid = 0;  // pointing at nothing: the line, nothing placed
    player_cells->slots[0] = {3, 5};
    EXPECT_NE(right_click(), "");
    EXPECT_EQ(get_cell(player_cells, 0, 0), 3);
    EXPECT_EQ(player_cells->slots[0].count, 5);
}

TEST_F(Picking, AcrossAChunkBorderTheBlockLandsWhereAimed)
{
    // The target is the first block of chunk 5 (y = 257, ly 63); the front
    // cell is the last of chunk 4 (y = 256, ly 0).
    me->y = 254.0;
    put_ahead(257, 3);
    view_ray(me);
    ASSERT_EQ(me->pick_valid, 1);
    EXPECT_EQ(me->pick_cy, 5);
    EXPECT_EQ(me->front_cy, 4);
    EXPECT_EQ(me->front_ly, 0);
    player_cells->slots[0] = {1, 2};
    int before = air->quad_count;
    right_click();
    EXPECT_EQ(air->blocks[56][0][20], 1);          // chunk 4, where the player aimed
    EXPECT_EQ(cubes[1].blocks[56][0][20], 0);      // not 64 blocks away in chunk 5
    EXPECT_GT(air->quad_count, before);

    // Digging the target on chunk 5's face re-meshes chunk 4 too: its block's
    // face toward the new gap appears.
    int chunk4 = air->quad_count;
    view_ray(me);
    EXPECT_EQ(me->pick_cy, 4);   // the placed block is nearer now
    EXPECT_TRUE(set_block(4, 5, 4, 56, 63, 20, 0));
    EXPECT_EQ(air->quad_count, chunk4 + 1);
    // A chunk that is not held is never written.
    EXPECT_FALSE(set_block(7, 7, 4, 0, 0, 0, 3));
    EXPECT_FALSE(set_block(4, 4, 10, 0, 0, 0, 3));
}

TEST_F(Picking, NothingIsBuiltAgainstAChunkThatIsNotHeld)
{
    // Along +y out of chunk 5 into chunk 6, which is not held: the ray stops
    // there, and the front cell is the last cell of chunk 5.
    me->y = 318.7;
    view_ray(me);
    ASSERT_EQ(me->pick_valid, 1);
    ASSERT_EQ(me->pick_cy, 6);
    ASSERT_EQ(me->front_cy, 5);
    player_cells->slots[0] = {3, 2};
    right_click();
    EXPECT_EQ(cubes[1].blocks[me->front_lx][me->front_ly][me->front_lz], 0);
    EXPECT_EQ(player_cells->slots[0].count, 2);
}

// Right-clicks from many standing and flying positions, looking every way at
// the ground and at two walls of head height close by.
class BuildingIntoOneself : public HeldWorld {
protected:
    player *me = &gamer[0];

    void SetUp() override
    {
        HeldWorld::SetUp();
        reset_players(1);
        // Ground up to z = 276; walls in the blocks at x = 198 and y = 198
        // (local index 58 of chunk 4), three blocks high.
        cube_slot *c = hold(0, 4, 4, 4, 0);
        for (int a = 0; a < 64; a++)
            for (int b = 0; b < 64; b++) {
                for (int lz = 0; lz < 20; lz++)
                    c->blocks[a][b][lz] = 3;
                for (int lz = 20; lz < 23; lz++)
                    c->blocks[58][b][lz] = c->blocks[a][58][lz] = 3;
            }
        hold(1, 4, 4, 5, 0);
        // The same ground across the world's seam, in the last column.
        memcpy(hold(2, 9, 4, 4, 0)->blocks, c->blocks, sizeof c->blocks);
        // No mesh buffers: the sweep's thousands of edits need no meshes.
        for (int slot = 0; slot < 3; slot++) {
            release(slot);
            cubes[slot].loaded = 1;
        }
        if (!player_cells)
            player_cells = init_cells(10, 5);
        cells_active = 0;
    }
    void TearDown() override
    {
        fly_mode = 1;
        HeldWorld::TearDown();
    }
    // A ray starting anywhere in the body finds empty space there.
    bool body_is_free() const
    {
        for (double dx : {0.02, 0.5, 0.98})
            for (double dy : {0.02, 0.5, 0.98})
                for (double dz : {0.02, 1.0, 1.5, 1.98}) {
                    int hit[3], chunk[3], front[3] = {-1, -1, -1};
                    pic((float)(me->x - dx), (float)(me->y - dy), (float)(me->z + dz), 0, 0, 1, hit, chunk, front);
                    if (front[0] == -1)
                        return false;
                }
        return true;
    }
};

TEST_F(BuildingIntoOneself, NoBlockIsEverPlacedInTheBody)
{
    const struct {
        int fly;
        double z;
    } modes[] = {{0, 276.0}, {1, 276.3}, {1, 277.1}};
    int placed = 0, into_body = 0;
    std::ostringstream first;
    testing::internal::CaptureStdout();
    for (const auto &m : modes)
        for (double x = 199.05; x < 201; x += 0.15)
            for (double y = 199.05; y < 201; y += 0.15)
                for (float pitch : {-100, -60, -30, 0, 30, 60, 80})
                    for (float yaw = 0; yaw < 360; yaw += 30) {
                        fly_mode = m.fly;
                        camera_x = me->x = x;
                        camera_y = me->y = y;
                        camera_z = me->z = m.z;
                        camera_rot_x = me->rot_x = pitch;
                        camera_rot_y = me->rot_y = yaw;
                        me->vel_x = me->vel_y = me->vel_z = 0;
                        player_cells->slots[0] = {3, 10};
                        me->place_request = 1;
                        e_psysix();
                        if (player_cells->slots[0].count == 10)
                            continue;
                        placed++;
                        if (!body_is_free() && into_body++ == 0)
                            first << "fly " << m.fly << " at " << me->x << ", " << me->y << ", " << me->z
                                  << " looking " << pitch << ", " << yaw;
                        set_block(me->front_cx, me->front_cy, me->front_level, me->front_lx, me->front_ly,
                                  me->front_lz, 0);
                    }
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(into_body, 0) << "of " << placed << ", first " << first.str();
    EXPECT_GT(placed, 1000);   // against the ground and the walls, just not into the body
}

TEST_F(BuildingIntoOneself, AtTheWorldsSeamToo)
{
    // Standing just past the seam on either side: the step casts the ray
    // there, then moves the player one world width on. Looking down at the feet.
    const double x_then[][2] = {{-64.05, 640 - 64.05}, {576.05, 576.05 - 640}};
    for (const auto &x : x_then) {
        fly_mode = 0;
        me->x = x[0];
        me->y = 220.5;
        me->z = 276;
        me->rot_x = 80;
        me->rot_y = 0;
        player_cells->slots[0] = {3, 10};
        me->place_request = 1;
        testing::internal::CaptureStdout();
        e_psysix();
        testing::internal::GetCapturedStdout();
        ASSERT_EQ(me->pick_valid, 1) << x[0];
        EXPECT_NEAR(me->x, x[1], 1e-9);
        EXPECT_EQ(player_cells->slots[0].count, 10) << x[0];
    }
}

}  // namespace
