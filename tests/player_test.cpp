// The player on the ground: walking, jumping, the view ray, digging, placing.
#include "app/input.h"
#include "player/cells.h"
#include "player/particles.h"
#include "player/physics.h"
#include "player/picking.h"
#include "world_fixture.h"

namespace {

struct spot {
    int cx, cy, level, lx, ly, lz;
};

class Physics : public HeldWorld {
protected:
    player *me = &gamer[0];

    void SetUp() override
    {
        HeldWorld::SetUp();
        reset_players(1);
        init_particles();
        fly_mode = 0;
        jump = 0;
        if (!player_cells)
            player_cells = init_cells(10, 5);
        player_cells->slots[0] = {1, 10};
        cells_active = 0;
        lay_ground();
        stand(200.3, 200.3);
    }
    void TearDown() override
    {
        fly_mode = 1;
        HeldWorld::TearDown();
    }
    // Earth up to lz 61 of level 4, so the feet rest at z = 318 and the head
    // reaches into level 5; across the x and y chunk borders and the seam too.
    void lay_ground()
    {
        const int columns[][2] = {{4, 4}, {3, 4}, {4, 5}, {9, 4}};
        for (int i = 0; i < 4; i++) {
            cube_slot *c = hold(i, columns[i][0], columns[i][1], 4, 0);
            for (int lx = 0; lx < 64; lx++)
                for (int ly = 0; ly < 64; ly++)
                    for (int lz = 0; lz < 62; lz++)
                        c->blocks[lx][ly][lz] = 3;
        }
        hold(4, 4, 4, 5, 0);
    }
    void stand(double x, double y)
    {
        me->x = x;
        me->y = y;
        me->z = 318;
        me->vel_x = me->vel_y = me->vel_z = 0;
    }
    static uint16_t &at(const spot &s)
    {
        return held_chunk(s.cx, s.cy, s.level)->blocks[s.lx][s.ly][s.lz];
    }
};
using Picking = Physics;

TEST_F(Physics, AJumpClimbsOneBlockWithTheHeadInTheLevelAbove)
{
    e_psysix();
    ASSERT_EQ(me->on_ground, 1);
    e_jump();
    double top = me->z;
    for (int i = 0; i < 100 && !(i > 0 && me->on_ground); i++) {
        e_psysix();
        top = me->z > top ? me->z : top;
    }
    EXPECT_GT(top, 319.0);
    EXPECT_EQ(me->z, 318.0);
}

TEST_F(Physics, AWallStopsOneAxisAndTheOtherSlides)
{
    at({4, 4, 4, 57, 56, 62}) = 2;   // feet high, one block toward -x
    for (int i = 0; i < 10; i++) {
        me->vel_x = 0.1;     // positive: toward -x
        me->vel_y = -0.05;   // negative: toward +y
        e_psysix();
    }
    EXPECT_GE(me->x, 199.5);   // stopped at the block's face
    EXPECT_GT(me->y, 200.6);
}

TEST_F(Physics, AboveTheStreamedLevelsAndBelowTheWorldIsAir)
{
    me->z = 64 * 9 + 20;   // level 9 is never streamed
    me->vel_x = 0.1;
    e_psysix();
    EXPECT_LT(me->x, 200.3);   // no wall there
    EXPECT_LT(me->z, 64 * 9 + 20);
    stand(200.3, 200.3);
    me->z = -10;
    e_psysix();
    EXPECT_LT(me->z, -10);
}

TEST_F(Picking, DiggingBreaksTheBlockAndTheFallingPlayerCollectsItsDrop)
{
    at({4, 4, 4, 56, 56, 61}) = 1;   // grass under the feet
    me->rot_x = 90;
    me->dig_button = 1;
    player_cells->slots[0] = {0, 0};
    int steps = 0;
    while (player_cells->slots[0].count == 0 && steps < 1000) {
        e_psysix();
        steps++;
    }
    EXPECT_EQ(steps, 1 + 176 + 1);   // aim, 16 strokes 11 steps apart, then the fall
    EXPECT_EQ(player_cells->slots[0].id, 3);   // grass drops earth
    int particles = 0;
    for (const particle &p : prs)
        particles += p.active;
    EXPECT_EQ(particles, 16 * 5 + 60);
    // Rock is never dug.
    at({4, 4, 4, 56, 56, 60}) = 2;
    for (int i = 0; i < 300; i++)
        e_psysix();
    EXPECT_EQ(at({4, 4, 4, 56, 56, 60}), 2);
}

// One right-click from the ground at each spot: a grass block from the hot
// bar lands in the empty cell before the block aimed at, never in the body.
TEST_F(Picking, ARightClickPlacesWhereAimedAndNeverIntoTheBody)
{
    const spot none = {0, 0, -1, 0, 0, 0};
    const struct {
        const char *what;
        double x, y;
        float pitch, yaw;
        spot target;   // rock put there first
        spot extra;
        uint16_t extra_id;
        spot placed;
    } cases[] = {
        {"across the y border", 200.3, 254, 0, 0, {4, 5, 4, 56, 63, 63}, none, 0, {4, 4, 4, 56, 0, 63}},
        {"across the x border", 194.5, 200.3, 0, 90, {3, 4, 4, 0, 56, 63}, none, 0, {4, 4, 4, 63, 56, 63}},
        {"3.8 ahead", 200.3, 199.7, 0, 0, {4, 4, 4, 56, 52, 63}, none, 0, {4, 4, 4, 56, 53, 63}},
        {"4.0 ahead", 200.3, 199.5, 0, 0, {4, 4, 4, 56, 52, 63}, none, 0, none},
        {"through id 11", 200.3, 199.7, 0, 0, {4, 4, 4, 56, 52, 63}, {4, 4, 4, 56, 53, 63}, 11, {4, 4, 4, 56, 53, 63}},
        {"head in a block", 200.3, 199.7, 0, 0, {4, 4, 4, 56, 52, 63}, {4, 4, 4, 56, 56, 63}, 2, none},
        {"at a chunk not held", 200.3, 318.7, 0, 0, none, none, 0, none},
        {"a wall before the head", 200.3, 200.3, 0, 0, {4, 4, 4, 56, 55, 63}, none, 0, none},
        {"down at the feet", 200.3, 200.3, 90, 0, none, none, 0, none},
        {"the body on a border", 200.7, 200.3, 60, 90, none, none, 0, none},
        {"past the low seam", -64.05, 220.5, 80, 0, none, none, 0, none},
        {"past the high seam", 576.05, 220.5, 80, 0, none, none, 0, none},
    };
    for (const auto &c : cases) {
        lay_ground();
        if (c.target.level >= 0)
            at(c.target) = 2;
        if (c.extra.level >= 0)
            at(c.extra) = c.extra_id;
        stand(c.x, c.y);
        me->rot_x = c.pitch;
        me->rot_y = c.yaw;
        player_cells->slots[0] = {1, 10};
        me->place_request = 1;
        testing::internal::CaptureStdout();
        e_psysix();
        testing::internal::GetCapturedStdout();
        bool placed = c.placed.level >= 0;
        EXPECT_EQ(player_cells->slots[0].count, placed ? 9 : 10) << c.what;
        if (placed) {
            EXPECT_EQ(at(c.placed), 1) << c.what;
        }
    }
}

TEST(Inventory, StacksHoldFortyAndTheLastBlockTakenEmptiesItsSlot)
{
    cell_grid *g = init_cells(10, 5);
    for (int i = 0; i < 41; i++)
        add_box_to_inv(g, 3);
    EXPECT_EQ(g->slots[0].count, 40);
    EXPECT_EQ(g->slots[1].count, 1);
    minus_cell(g, 1, 0);
    EXPECT_EQ(get_cell(g, 1, 0), 0);
    free(g->slots);
    free(g);
}

}  // namespace
