// The player's physics: cells, standing, jumping, ceilings, walls, the wrap.
#include "player/physics.h"

#include "world/streaming.h"
#include "world_fixture.h"

#include <cmath>

namespace {

class Physics : public HeldWorld {
protected:
    player *me = &gamer[0];
    cube_slot *ground = nullptr;

    void SetUp() override
    {
        HeldWorld::SetUp();
        reset_players(1);
        fly_mode = 0;
        jump = 0;
        // Chunk (4, 4, 4): earth up to lz 19, so the ground's top is at z = 276.
        ground = hold(0, 4, 4, 4, 0);
        for (int lx = 0; lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++)
                for (int lz = 0; lz < 20; lz++)
                    ground->blocks[lx][ly][lz] = 3;
        hold(1, 4, 4, 5, 0);
        me->x = 220.2;
        me->y = 220.2;
        me->z = 276;
    }
    void TearDown() override
    {
        fly_mode = 1;
        HeldWorld::TearDown();
    }
    // The block at world position (x, y) in chunk (4, 4), height lz.
    void put(double x, double y, int lz, uint16_t id)
    {
        ground->blocks[cell_local(x, 4)][cell_local(y, 4)][lz] = id;
    }
};

TEST_F(Physics, CellFormulas)
{
    EXPECT_EQ(cell_chunk(100.3), 2);
    EXPECT_EQ(cell_local(100.3, 2), 28);   // the block centred at x = 100
    EXPECT_EQ(cell_chunk(-63.9), 0);
    EXPECT_EQ(cell_local(-63.9, 0), 63);
    EXPECT_EQ((int)(257.0 / 64), 4);
    EXPECT_EQ((int)(257.0 - 64 * 4), 1);
}

TEST_F(Physics, StandingStillStaysOnTheGround)
{
    for (int i = 0; i < 20; i++) {
        e_psysix();
        ASSERT_EQ(me->on_ground, 1) << i;
        ASSERT_EQ(me->z, 276.0) << i;
    }
    EXPECT_EQ(camera_z, 277.0);   // the eye is one block above the feet
}

TEST_F(Physics, JumpRisesSixteenStepsAndAboutOneAndAThirdBlocks)
{
    e_psysix();
    e_jump();
    e_psysix();   // the request is taken at the start of the step
    int rising = 0;
    double top = me->z;
    while (me->vel_z < 0 && rising < 100) {
        top = me->z > top ? me->z : top;
        e_psysix();
        rising++;
    }
    EXPECT_EQ(rising + 1, 16);
    EXPECT_NEAR(top - 276, 1.36, 0.02);
    // In the air a jump request is used up and does nothing.
    e_jump();
    e_psysix();
    EXPECT_EQ(jump, 0);
    EXPECT_GE(me->vel_z, 0);
}

TEST_F(Physics, CeilingTwoCellsAboveStopsAJumpAtOnce)
{
    put(me->x, me->y, 20 + 2, 3);
    e_psysix();
    e_jump();
    e_psysix();
    EXPECT_EQ(me->on_ground, 1);
    EXPECT_EQ(me->vel_z, 0);
    EXPECT_EQ(me->z, 276.0);
}

TEST_F(Physics, AStepStopsOneAxisAndTheOtherSlides)
{
    // A block one cell high just beyond the player in -x; walking -x and +y.
    put(me->x - 1, me->y, 20, 3);
    double y0 = me->y;
    for (int i = 0; i < 10; i++) {
        me->vel_x = 0.1;    // positive: toward -x
        me->vel_y = -0.05;  // negative: toward +y
        e_psysix();
    }
    EXPECT_GE(me->x, 219.5);   // stopped at the block's face
    EXPECT_LT(me->x, 220.2);
    EXPECT_GT(me->y, y0 + 0.3);                    // still sliding
    // A block only at head height does not stop the walk.
    put(me->x, me->y + 1.5, 21, 3);
    double before = me->y;
    for (int i = 0; i < 5; i++) {
        me->vel_y = -0.1;
        e_psysix();
    }
    EXPECT_GT(me->y, before + 0.4);
}

TEST_F(Physics, AboveTheStreamedLevelsAndBelowTheWorldIsAir)
{
    // Level 9 is never streamed; a player switched to walking there walks,
    // then falls through the held air of levels 8 to 5 back to the ground.
    for (int level = 6; level <= 8; level++)
        hold(level - 4, 4, 4, level, 0);
    me->z = 64 * 9 + 20;
    me->vel_x = 0.1;
    e_psysix();
    EXPECT_LT(me->x, 220.2);
    EXPECT_EQ(me->on_ground, 0);
    for (int i = 0; i < 2000 && !me->on_ground; i++)
        e_psysix();
    EXPECT_EQ(me->z, 276.0);
    // Flown under the world: nothing to stand on there either.
    me->z = -10;
    me->vel_z = 0;
    e_psysix();
    EXPECT_LT(me->z, -10);
    EXPECT_EQ(me->on_ground, 0);
}

TEST_F(Physics, WalkingPastEitherEdgeWrapsByOneWorldWidth)
{
    world_size = 10;
    me->x = 64.0 * 9 + 0.05;
    me->vel_x = 0;
    e_psysix();
    EXPECT_NEAR(me->x, 64.0 * 9 + 0.05 - 640, 1e-9);
    me->x = -64.05;
    e_psysix();
    EXPECT_NEAR(me->x, -64.05 + 640, 1e-9);
}

TEST_F(Physics, FlyingPastEitherEdgeWrapsTheCamera)
{
    world_size = 10;
    fly_mode = 1;
    camera_x = 64.0 * 9 + 0.05;
    camera_y = -64.05;
    e_psysix();
    EXPECT_NEAR(camera_x, 64.0 * 9 + 0.05 - 640, 1e-9);
    EXPECT_NEAR(camera_y, -64.05 + 640, 1e-9);
    EXPECT_EQ(me->x, camera_x);
    EXPECT_EQ(me->y, camera_y);
}

TEST_F(Physics, FlyModeMovesTheCameraAndCopiesItEachStep)
{
    fly_mode = 1;
    rotatecamera(0, 200);
    EXPECT_FLOAT_EQ(camera_rot_y, -160);
    rotatecamera(0, 600);
    EXPECT_FLOAT_EQ(camera_rot_y, 240);   // one correction only
    rotatecamera(80, 0);
    camera_x = 100;
    camera_y = 100;
    camera_z = 300;
    // W at pitch 80: the horizontal part does not shrink with the pitch.
    double a = 80 / 180.0 * 3.14;
    movecamera(0, 0.2f, (float)(0.2 * sin(a)));
    EXPECT_NEAR(camera_y, 100.2, 1e-6);
    EXPECT_NEAR(camera_z, 300 - 0.197, 1e-3);
    e_psysix();
    EXPECT_NE(me->z, 0);
    EXPECT_EQ(me->rot_x, 80);
    camera_x = 123;
    e_psysix();
    EXPECT_NEAR(me->x, 123, 1e-9);
    // Walk mode: movement becomes velocity.
    fly_mode = 0;
    me->vel_x = me->vel_y = 0;
    movecamera(0.5f, -0.5f, 9);
    EXPECT_FLOAT_EQ((float)me->vel_x, -0.06f);
    EXPECT_FLOAT_EQ((float)me->vel_y, 0.06f);
    rotatecamera(10, 600);
    EXPECT_EQ(me->rot_y, 600);
}

TEST_F(Physics, StepLowersTheBuildPause)
{
    already_created = 2;
    e_psysix();
    EXPECT_EQ(already_created, 1);
    e_psysix();
    e_psysix();
    EXPECT_EQ(already_created, 0);
}

}  // namespace
