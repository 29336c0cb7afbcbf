// world.h — the chunk pool, the wrapping column map, the camera, and block
// lookups across chunk borders.
//
// A block (lx, ly, lz) of chunk (cx, cy, level) is centred at world point
// (64 cx - lx, 64 cy - ly, 64 level + lz), z up. Horizontally chunk indices grow
// with x and y while local indices grow the other way: the neighbour of lx = 0
// is lx = 63 of chunk cx + 1. Meshes use the render space X = -x, Y = z, Z = -y.
#pragma once
#include <cstdint>

constexpr int CHUNK_EDGE = 64;                                       // blocks per chunk edge
constexpr int CHUNK_BLOCKS = CHUNK_EDGE * CHUNK_EDGE * CHUNK_EDGE;  // 262144
constexpr int POOL_SLOTS = 8 * 8 * 8 + 1;   // the widest keep window, and the chunk built before re_save frees
constexpr int WORLD_LEVELS = 10;
constexpr int MESH_QUAD_CAP = 20000;   // quads a chunk's mesh buffers hold
constexpr int NO_SLOT = -1;            // "no chunk held" in the map, "no free slot" from the search
constexpr int FACINGS = 6;             // directions a quad can face: -Y, +Y, -Z, +Z, -X, +X in render space
// The render-space axis each facing's normal lies on; an odd facing points up it, an even one down.
constexpr int FACING_AXIS[FACINGS] = {1, 1, 2, 2, 0, 0};
// How far point p lies along facing f's normal.
inline float along_facing(int f, const float p[3]) { return f & 1 ? p[FACING_AXIS[f]] : -p[FACING_AXIS[f]]; }
constexpr int MESH_QUARTERS = 4;       // of a chunk's columns: lx, then ly, below 32 or not
constexpr int MESH_GROUPS = FACINGS * MESH_QUARTERS;

// What the chunk drawer needs to know of a group of quads to pass it over:
// an eye sees none of them unless it lies farther along their facing's
// normal than `front` (the nearest of their planes, as a distance along the
// normal from 0); and the render-space box they lie in.
struct quad_group {
    float front;
    float low[3], high[3];
};

struct cube_slot {
    uint16_t blocks[CHUNK_EDGE][CHUNK_EDGE][CHUNK_EDGE];   // [lx][ly][lz], lz fastest
    uint8_t loaded;                                        // 1 while the slot holds a live chunk
    float *vertices;                                       // 3 floats a vertex
    float *tex_coords;                                     // 2 floats a vertex
    int32_t quad_count;
    int32_t face_count;                                    // block faces those quads show
    // The quads are grouped by the way they face and by the quarter of the
    // chunk's columns they start in: group g is quads group_first[g] ...
    // group_first[g + 1] - 1, with facing g / MESH_QUARTERS.
    int32_t group_first[MESH_GROUPS + 1];
    quad_group groups[MESH_GROUPS];
    uint8_t meshed_toward;   // bit f: meshed while the neighbour facing f looks into was held
};

extern cube_slot cubes[POOL_SLOTS];
extern int16_t *world;        // column map, NO_SLOT where no chunk is held; null before a game
extern int32_t world_size;    // edge of the world in chunk columns
extern int32_t vision_range;  // view distance in chunks

extern double camera_x, camera_y, camera_z;   // world coordinates; camera_z is the eye height
extern float camera_rot_x, camera_rot_y;      // pitch and yaw in degrees

// Creates the column map for world_size and frees every slot; returns 1.
int initialize_world();
// Lets the world go: every slot freed with its mesh buffers, the column map
// freed (world null again). Called once its chunks are written.
void free_world();
// Lowest free slot, or NO_SLOT when all are loaded.
int16_t find_free_cube();
// Frees a slot's mesh buffers and forgets them.
void free_mesh(cube_slot *c);

// Wraps a chunk column index once in either direction.
int t_zn(int n);
// Wraps a horizontal world coordinate once with the period 64 * world_size.
float t_un(float f);

// Slot holding chunk (cx, cy, level), NO_SLOT when none is held or the level is
// outside the world. The columns are wrapped once with t_zn.
int world_slot(int cx, int cy, int level);
// Map entry of an in-range position; the caller has checked the bounds.
int16_t *world_entry(int cx, int cy, int level);
// The live chunk at (cx, cy, level), null when it is not held or not loaded.
cube_slot *held_chunk(int cx, int cy, int level);
// Block of a live chunk, -1 when the chunk is not there or a local index is outside 0..63.
int held_block(int cx, int cy, int level, int lx, int ly, int lz);

// Block id next to a chunk's border, with local indices one step outside 0..63
// allowed. A chunk that is not held reads as 1 (solid).
int g_z(int cx, int cy, int level, int lx, int ly, int lz);    // steps in lz; ids above 9 read as 1
int g_x(int cx, int cy, int level, int lx, int ly, int lz);    // steps in lx; ids above 10 read as 0
int g_y(int cx, int cy, int level, int lx, int ly, int lz);    // steps in ly; ids above 10 read as 0
int g_xy(int cx, int cy, int level, int lx, int ly, int lz);   // steps in ly, then lx; as g_x
