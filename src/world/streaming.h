// streaming.h — the per-frame chunk pass: makes sure the chunks round the
// camera are held (from their file or the generator), meshes them, culls them
// against the view and draws them, across the world's wrapping edge too.
#pragma once
#include <cstdint>

extern int32_t c_position_x, c_position_y, c_position_z;   // camera chunk at the start of the pass
extern int32_t already_created;   // physics steps until the next chunk may be built
extern int32_t quads_drawn;       // quads the last pass handed to GL, for the frame figures
extern int32_t faces_drawn;       // block faces of the chunks in view, for the frame figures
extern int32_t draw_calls;        // glDrawArrays calls of the last pass

constexpr int BUILD_COOLDOWN = 3;   // physics steps between two chunk builds
constexpr int TOP_STREAMED_LEVEL = 8;

// One pass; the modelview matrix holds the camera transform and is left as found.
void draw_buffs();
// Builds chunk (x, y, level), in range, into a free slot; 1 when built.
int build_chunk(int x, int y, int level);
