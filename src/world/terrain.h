// terrain.h — fills a chunk slot with the terrain of its level: rock at level 0,
// earth at levels 1-3, a grassy surface at level 4 (a flat field, or one time
// in seven a bowl), air above.
#pragma once

constexpr int SURFACE_LEVEL = 4;

// Fills slot with the terrain of level, marks it loaded and returns slot.
// The column coordinates do not change the result.
int generateCube(int slot, int cx, int cy, int level);
// Turns the topmost earth block of every column of slot into grass.
void makegrass(int slot);
