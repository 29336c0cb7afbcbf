// particles.h — the pools of flying particles and dropped boxes. Positions are
// in the frame of the block meshes: a block is at (lx - 64 cx, ly - 64 cy,
// 64 level + lz), drawn at GL coordinates (x, z, y).
#pragma once
#include <cstdint>

struct cell_grid;

constexpr int PARTICLE_POOL = 512;
constexpr int BOX_POOL = 1024;    // drawn; only the first BOX_LIVE are ever used
constexpr int BOX_LIVE = 512;

struct particle {
    float x, y, z;
    float vel_x, vel_y, vel_z;   // per frame; vel_z upward
    float angle;
    float tex_u, tex_v;
    int32_t life;                // frames left
    uint8_t active;
};

struct dropped_box {
    float x, y, z;
    float phase;                 // bob and turn, radians
    uint16_t block_id;
    uint8_t active;
};

extern particle prs[PARTICLE_POOL];
extern dropped_box bxs[BOX_POOL];

// Clears both pools.
void init_particles();
int find_free_partcl();   // -1 when the pool is full
int find_free_box();      // -1 when the first BOX_LIVE are in use
// Throws up to count particles off the faces of block id at (x, y, z).
void add_particle_from_cube(float x, float y, float z, int id, int count);
void add_box(float x, float y, float z, int id);
// Moves and draws the particles, and draws the boxes.
void render_particles();
// Takes the first box the player's feet at world (px, py, pz) touch whose
// block the grid into has room for; its id, or -1.
int pick_box(float px, float py, float pz, const cell_grid *into);
