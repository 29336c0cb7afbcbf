// particles.h — the pools of flying particles and dropped boxes.
#pragma once

// Clears both pools.
void init_particles();
// Moves and draws the particles and the dropped boxes.
void render_particles();
