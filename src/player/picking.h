// picking.h — the view ray that finds the block the player points at and the
// empty cell before it, digging stroke by stroke, and placing blocks.
#pragma once

struct player;

constexpr int RAY_SAMPLES = 32;    // 0.125 apart: a reach of 3.875 blocks
constexpr int STROKE_STEPS = 10;   // steps between two dig strokes

// Casts the player's view ray: sets pick_valid, and on a hit the pick and front fields.
void view_ray(player *p);
// One step of digging with the left button held.
void dig(player *p);
// One placing attempt after a right-button press.
void place(player *p);
// Sets a block of a held chunk and rebuilds its mesh and, when the block lies
// on a face, the mesh of the held chunk beyond it; 0 when the chunk is not live.
int set_block(int cx, int cy, int level, int lx, int ly, int lz, int id);
