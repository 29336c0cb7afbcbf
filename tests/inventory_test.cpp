// Inventory stacks, particles and dropped boxes.
#include "player/cells.h"

#include "platform/platform.h"
#include "player/particles.h"
#include "render/materials.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(Inventory, StacksFillInOrder)
{
    cell_grid *g = init_cells(10, 5);
    ASSERT_NE(g, nullptr);
    for (int i = 0; i < 41; i++)
        add_box_to_inv(g, 3);
    EXPECT_EQ(g->slots[0].count, 40);
    EXPECT_EQ(g->slots[1].id, 3);   // the 41st starts a new stack
    EXPECT_EQ(g->slots[1].count, 1);

    // An empty slot before a stack of the same id gets a new stack.
    g->slots[0] = {0, 0};
    g->slots[1] = {3, 12};
    add_box_to_inv(g, 3);
    EXPECT_EQ(g->slots[0].id, 3);
    EXPECT_EQ(g->slots[0].count, 1);
    EXPECT_EQ(g->slots[1].count, 12);

    minus_cell(g, 0, 0);
    EXPECT_EQ(get_cell(g, 0, 0), 0);
    EXPECT_EQ(get_cell(g, 10, 0), 0);   // outside the grid
    EXPECT_EQ(get_cell(g, -1, 0), 0);
    minus_cell(g, 99, 99);

    for (int i = 0; i < 50; i++)
        g->slots[i] = {2, 40};
    add_box_to_inv(g, 2);
    add_box_to_inv(g, 3);
    for (int i = 0; i < 50; i++)
        ASSERT_EQ(g->slots[i].id, 2);
    add_box_to_inv(nullptr, 3);

    cell_grid *kit = init_cells(10, 5);
    for (int id : {3, 3, 3, 1, 2, 2, 2})
        add_pack_to_inv(kit, id);
    const int ids[10] = {3, 3, 3, 1, 2, 2, 2, 0, 0, 0};
    for (int c = 0; c < 10; c++)
        EXPECT_EQ(get_cell(kit, c, 0), ids[c]) << c;
    EXPECT_EQ(get_cell(kit, 0, 1), 0);
    for (cell_grid *grid : {g, kit}) {
        free(grid->slots);
        free(grid);
    }
}

TEST(Particles, SpawningDrawsInOrderAndStopsAtAFullPool)
{
    init_particles();
    plat_srand(99);
    int first = plat_rand();
    plat_srand(99);
    add_particle_from_cube(0, 0, 0, 3, 0);
    add_particle_from_cube(0, 0, 0, 3, -4);
    EXPECT_EQ(plat_rand(), first);   // count 0 draws no random numbers
    EXPECT_EQ(find_free_partcl(), 0);

    for (int i = 0; i < 510; i++)
        prs[i].active = 1;
    add_particle_from_cube(10, 20, 30, 3, 5);
    EXPECT_EQ(find_free_partcl(), -1);
    const particle &p = prs[510];
    EXPECT_GE(p.life, 20);
    EXPECT_LE(p.life, 49);
    // Within a block of its position, pushed out through one face.
    EXPECT_NEAR(p.x, 10, 0.51);
    EXPECT_NEAR(p.y, 20, 0.51);
    EXPECT_NEAR(p.z, 30, 0.51);
    init_particles();
    add_particle_from_cube(0, 0, 0, 70000, 3);   // an id no table holds
    EXPECT_EQ(prs[2].active, 1);
}

TEST(Particles, BoxesArePickedUpByTruncatedDistance)
{
    init_particles();
    add_box(-100, -200, 300, 3);   // world (100, 200), height 300
    EXPECT_EQ(pick_box(101.0f, 200.5f, 300.0f), -1);   // exactly 1.0 away
    EXPECT_EQ(pick_box(100.5f, 200.5f, 301.0f), -1);
    EXPECT_EQ(pick_box(100.9f, 199.1f, 300.9f), 3);
    EXPECT_EQ(bxs[0].active, 0);
    EXPECT_EQ(pick_box(100.5f, 200.5f, 300.0f), -1);   // taken once

    for (int i = 0; i < BOX_LIVE; i++)
        add_box(0, 0, 0, 3);
    EXPECT_EQ(find_free_box(), -1);
    add_box(5, 5, 5, 1);
    for (int i = BOX_LIVE; i < BOX_POOL; i++)
        EXPECT_EQ(bxs[i].active, 0);
    init_particles();
}

}  // namespace
