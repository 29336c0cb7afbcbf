// The player on the ground: walking, jumping, the view ray, digging, placing.
#include "game.h"
#include "world_fixture.h"

#include <cmath>
#include <set>
#include <vector>

namespace {

struct spot { int cx, cy, level, lx, ly, lz; };

class Physics : public HeldWorld {
protected:
    player *me = &gamer[0];

    void SetUp() override
    {
        HeldWorld::SetUp();
        reset_players(1);
        init_particles();
        fly_mode = cells_active = 0;
        player_cells = player_cells ? player_cells : init_cells(10, 5);
        lay_ground();
        me->x = me->y = 200.3, me->z = 318;
    }
    // Earth up to lz 61 of level 4 (feet at z = 318, the head in level 5), across both borders and the seam.
    void lay_ground()
    {
        const int columns[][2] = {{4, 4}, {3, 4}, {4, 5}, {9, 4}};
        for (int i = 0; i < 4; i++) {
            cube_slot *c = hold(i, columns[i][0], columns[i][1], 4, 3);
            for (int lx = 0; lx < 64; lx++)
                for (int ly = 0; ly < 64; ly++)
                    c->blocks[lx][ly][62] = c->blocks[lx][ly][63] = 0;
        }
        hold(4, 4, 4, 5, 0);
    }
    static uint16_t &at(const spot &s) { return held_chunk(s.cx, s.cy, s.level)->blocks[s.lx][s.ly][s.lz]; }
};
using Picking = Physics;

TEST_F(Physics, AWallStopsTheWalkAJumpClimbsItAndOnlyStreamedLevelsBearThePlayer)
{
    for (int lx = 57; lx < 64; lx++)
        at({4, 4, 4, lx, 56, 62}) = 2;   // a ledge one block high, toward -x
    for (int i = 0; i < 40; i++) {
        me->vel_x = 0.1;   // positive: toward -x
        if (i == 10) {
            EXPECT_GE(me->x, 199.5);   // stopped at its face
            e_jump();
        }
        e_psysix();
    }
    // On top (the head went through the level above), the eye a block above the feet.
    EXPECT_TRUE(me->z == 319.0 && me->x < 199.0 && camera_z == me->z + 1.0) << me->z << " " << me->x;
    // Level 8, the top streamed level, bears the player, and is a wall until held; above and below is air.
    const struct { const char *where; int level; bool held, falls, walks; } cases[] = {
        {"on the top streamed level", 8, true, false, true},
        {"on the top level, not held yet", 8, false, false, false},
        {"above the streamed levels", 9, false, true, true},
        {"below the world", -1, false, true, false},
    };
    for (const auto &c : cases) {
        if (c.held)
            hold(5, 4, 4, c.level, 3)->blocks[56][56][63] = 0;   // ground up to lz 62
        double z = c.level < 0 ? -10 : 64.0 * c.level + 63;
        me->x = me->y = 200.3, me->z = z, me->vel_x = 0.1;
        e_psysix();
        EXPECT_TRUE((me->z < z) == c.falls && (me->x < 200.3) == c.walks) << c.where;
        if (c.held)
            *world_entry(4, 4, c.level) = NO_SLOT;
    }
    // Just past a chunk's border the ground is that chunk's: at x 192.2 a pit in chunk 4 (lx 63), not chunk 3 (lx 0).
    for (int lz = 50; lz <= 61; lz++)
        at({4, 4, 4, 63, 56, lz}) = 0;
    me->x = 192.2, me->y = 200.3, me->z = 318, me->vel_x = 0;
    e_psysix();
    EXPECT_LT(me->z, 318);
}

TEST_F(Picking, DiggingBreaksTheBlockAndTheFallingPlayerCollectsItsDrop)
{
    at({4, 4, 4, 56, 56, 61}) = 1;   // grass under the feet
    me->rot_x = 90, me->dig_button = 1;
    player_cells->slots[0] = {3, 40};   // a full stack: the drop starts the next
    player_cells->slots[1] = {0, 0};
    me->x = 201.3;   // the block beside it first: turning to another starts the count over
    for (int i = 0; i < 100; i++)
        e_psysix();
    init_particles();
    me->x = 200.3;
    int steps = 0;
    while (player_cells->slots[1].count == 0 && steps < 1000) {
        e_psysix();
        steps++;
    }
    EXPECT_TRUE(steps == 1 + 176 + 1 && player_cells->slots[1].id == 3) << steps;   // aim, 16 strokes 11 apart, fall; earth
    int particles = 0;
    std::set<int> shown, grass;   // they show the grass's three pictures
    for (const particle &p : prs) {
        particles += p.active;
        auto cell = [](float u, float v) { return (int)(v / ATLAS_CELL) * ATLAS_EDGE + (int)(u / ATLAS_CELL); };
        if (p.active)
            shown.insert(cell(p.tex_u, p.tex_v)), shown.insert(cell(p.tex_u + 0.01f, p.tex_v + 0.01f));
        // They fly off the block's faces, where the block was: (56 - 256, 56 - 256, 256 + 61).
        bool near = std::fabs(p.x + 200) <= 0.5f && std::fabs(p.y + 200) <= 0.5f && std::fabs(p.z - 317) <= 0.5f;
        EXPECT_TRUE(!p.active || near) << p.x << " " << p.y << " " << p.z;
    }
    EXPECT_EQ(particles, 16 * 5 + 60);
    const block_tex &t = texes[1];
    grass = {atlas_tile(t.top_u, t.top_v), atlas_tile(t.side_u, t.side_v), atlas_tile(t.bottom_u, t.bottom_v)};
    EXPECT_EQ(shown, grass);
    // Nothing is dug with the button up, rock never, nor earth the head is in.
    const struct { spot s; uint16_t id; int button; } kept[] = {
        {{4, 4, 4, 56, 56, 60}, 3, 0}, {{4, 4, 4, 56, 56, 60}, 2, 1}, {{4, 4, 4, 56, 56, 62}, 3, 1}};
    for (const auto &k : kept) {
        at(k.s) = k.id;
        me->dig_button = k.button;
        for (int i = 0; i < 300; i++)
            e_psysix();
        EXPECT_EQ(at(k.s), k.id) << k.s.lz << " " << k.button;
    }
    // A box in line with the player but five blocks off is out of reach; with no cell free for it, the box of the
    // earth underfoot stays where it lies.
    add_box(-(float)me->x, -(float)me->y - 5, (float)me->z, 2);
    e_psysix();
    std::fill_n(player_cells->slots, PLAYER_CELLS, cell{2, 40});
    at({4, 4, 4, 56, 56, 62}) = 0, at({4, 4, 4, 56, 56, 60}) = 3;
    for (int i = 0; i < 300; i++)
        e_psysix();
    EXPECT_TRUE(at({4, 4, 4, 56, 56, 60}) == 0 && player_cells->slots[PLAYER_CELLS - 1].id == 2 &&
                std::any_of(bxs, bxs + BOX_LIVE, [](const dropped_box &b) { return b.active && b.block_id == 3; }) &&
                std::any_of(bxs, bxs + BOX_LIVE, [](const dropped_box &b) { return b.active && b.block_id == 2; }));
}

// A right-click places the hot bar's grass in the empty cell before the block aimed at, never in the body;
// chunks not held hold no world: the view ray passes them.
TEST_F(Picking, ARightClickPlacesWhereAimedAndNeverIntoTheBody)
{
    const spot deep = {4, 4, 4, 0, 0, 0};   // in the ground, out of every ray's reach
    const spot nowhere = {0, 0, -1, 0, 0, 0};
    // Blocks put at rock and other first.
    const struct { const char *what; double x, y; float pitch, yaw; spot rock, other; uint16_t other_id; spot placed; } cases[] = {
        {"across the y border", 200.3, 254, 0, 0, {4, 5, 4, 56, 63, 63}, deep, 3, {4, 4, 4, 56, 0, 63}},
        {"across the x border", 194.5, 200.3, 0, 90, {3, 4, 4, 0, 56, 63}, deep, 3, {4, 4, 4, 63, 56, 63}},
        {"3.8 ahead", 200.3, 199.7, 0, 0, {4, 4, 4, 56, 52, 63}, deep, 3, {4, 4, 4, 56, 53, 63}},
        {"3.9 ahead", 200.3, 199.6, 0, 0, {4, 4, 4, 56, 52, 63}, deep, 3, nowhere},
        {"through id 11", 200.3, 199.7, 0, 0, {4, 4, 4, 56, 52, 63}, {4, 4, 4, 56, 53, 63}, 11, {4, 4, 4, 56, 53, 63}},
        {"at a chunk not held", 200.3, 318.7, 0, 0, deep, deep, 3, nowhere},
        {"a wall before the head", 200.3, 200.3, 0, 0, {4, 4, 4, 56, 55, 63}, deep, 3, nowhere},
        {"down at the feet", 200.3, 200.3, 90, 0, deep, deep, 3, nowhere},
        {"the body on a border", 200.7, 200.3, 60, 90, deep, deep, 3, nowhere},
        {"beside the body at the start", 200.0, 200.0, 60, 90, deep, deep, 3, {4, 4, 4, 57, 56, 62}},
        {"past the low seam", -64.05, 220.5, 80, 0, deep, deep, 3, nowhere},
        {"past the high seam", 576.05, 220.5, 80, 0, deep, deep, 3, nowhere},
    };
    for (const auto &c : cases) {
        lay_ground();
        at(c.rock) = 2, at(c.other) = c.other_id;
        me->x = c.x, me->y = c.y, me->z = 318, me->rot_x = c.pitch, me->rot_y = c.yaw;
        player_cells->slots[0] = {1, 2};
        me->place_request = 1;   // one click places one block, however long it is held
        for (int i = 0; i < 3; i++)
            e_psysix();
        EXPECT_TRUE(player_cells->slots[0].count == (c.placed.level < 0 ? 2 : 1) && (c.placed.level < 0 || at(c.placed) == 1)) << c.what;
    }
}

// Clicks on the page, cell by cell: what cells 0, 12, 49 and the hand hold after.
using InventoryPage = Physics;
TEST_F(InventoryPage, StacksArePickedPutSwappedMergedAndNeverLost)
{
    cell *slots = player_cells->slots;
    const cell earth30 = {3, 30}, earth25 = {3, 25}, grass = {1, 7}, none = {0, 0};
    const struct { const char *what; std::vector<int> clicks; bool close; cell want[4]; } cases[] = {
        {"picked up", {0}, false, {none, earth25, grass, earth30}},
        {"put into an empty cell", {0, 5}, false, {none, earth25, grass, none}},
        {"swapped", {0, 49}, false, {none, earth25, earth30, grass}},
        {"merged up to a full stack, the rest in hand", {0, 12}, false, {none, {3, 40}, grass, {3, 15}}},
        {"merged whole", {13, 0}, false, {{3, 35}, earth25, grass, none}},
        {"put back by a click outside", {0, -1}, false, {earth30, earth25, grass, none}},
        {"put back by a click right of the grid", {0, -2}, false, {earth30, earth25, grass, none}},
        {"put back when the page closes", {0}, true, {earth30, earth25, grass, none}},
        {"the rest put back where it came from", {0, 12}, true, {{3, 15}, {3, 40}, grass, none}},
        {"after a swap, into the first free cell", {0, 49, -1}, false, {grass, earth25, earth30, none}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        std::fill_n(slots, 50, none);
        slots[0] = earth30, slots[12] = earth25, slots[13] = {3, 5}, slots[49] = grass;
        inv_page_open();
        for (int k : c.clicks) {
            // A point of cell k, its corners among them; -1 and -2: left of row 1 and an eleventh column.
            int row_y = k < 10 ? PAGE_HOT_BAR_Y : PAGE_ROWS_Y + PAGE_PITCH * (k / 10 - 1);
            int x = k == -1 ? PAGE_GRID_X - 3 : k == -2 ? PAGE_GRID_X + 10 * PAGE_PITCH + 1
                                                : PAGE_GRID_X + PAGE_PITCH * (k % 10) + (k % 2 ? 0 : PAGE_CELL - 1);
            int y = k < 0 ? PAGE_ROWS_Y + 5 : row_y + (k % 3 ? 0 : PAGE_CELL - 1);
            ASSERT_EQ(inv_page_cell_at(x, y), k < 0 ? -1 : k) << x << " " << y;
            inv_page_click(x, y);
        }
        if (c.close)
            inv_page_close();
        const cell got[] = {slots[0], slots[12], slots[49], *inv_page_held()};
        int blocks = inv_page_held()->count;
        for (int k = 0; k < 50; k++)
            blocks += slots[k].count;
        for (int i = 0; i < 4; i++)
            EXPECT_TRUE(c.want[i].id == got[i].id && c.want[i].count == got[i].count) << i;
        EXPECT_EQ(blocks, 67);
        inv_page_close();
    }
}

}  // namespace
