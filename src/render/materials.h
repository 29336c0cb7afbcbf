// materials.h — what each block id is: whether it is drawn and hides its
// neighbours, how it is dug, what it drops, and where its faces lie in the atlas.
#pragma once
#include <cstdint>

constexpr int MATERIAL_IDS = 1000;
constexpr int TEXTURED_IDS = 256;
constexpr float ATLAS_CELL = 0.0625f;   // one cell of the 16 x 16 block atlas
constexpr int ATLAS_EDGE = 16;          // cells a row and a column
constexpr int ATLAS_TILES = ATLAS_EDGE * ATLAS_EDGE;

struct material {
    int32_t solid;       // 1: an opaque cube, meshed and hiding its neighbours' faces
    int32_t dig_steps;   // strokes that break the block
    float hardness;      // diggable only when at most 1.0
    int32_t drop_id;     // id of the box a broken block drops
};

struct block_tex {
    float top_u, top_v;
    float bottom_u, bottom_v;
    float side_u, side_v;
};

extern material materials[MATERIAL_IDS];
extern block_tex texes[TEXTURED_IDS];

// Number of the atlas cell whose corner is (u, v): row by row from (0, 0).
int atlas_tile(float u, float v);
// Writes the records of the ids the world holds (air, grass, rock, earth).
void fill_block_tables();
