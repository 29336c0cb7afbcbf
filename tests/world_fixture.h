// A world of held chunks for meshing, streaming, picking and walking tests.
#pragma once
#include "game.h"

#include "temp_dir.h"

#include <cstdlib>

class HeldWorld : public ::testing::Test {
public:
    void SetUp() override
    {
        world_size = 10;
        said(initialize_world);
        fill_block_tables();
    }
    void TearDown() override { free_world(); }
    // Holds chunk (cx, cy, level) in slot, filled with id, not meshed yet.
    static cube_slot *hold(int slot, int cx, int cy, int level, uint16_t id)
    {
        cube_slot *c = &cubes[slot];
        std::fill_n(&c->blocks[0][0][0], CHUNK_BLOCKS, id);
        c->loaded = 1;
        c->quad_count = -1;
        *world_entry(cx, cy, level) = (int16_t)slot;
        return c;
    }
};
