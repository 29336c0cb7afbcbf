// picking.cpp — the view ray, digging and placing.
#include "player/picking.h"

#include "player/cells.h"
#include "player/particles.h"
#include "player/physics.h"
#include "render/materials.h"
#include "render/mesher.h"
#include "save/saver.h"
#include "world/world.h"

#include <cmath>
#include <cstdio>

// --- the ray ---

struct march_result {
    int hit[3], hit_chunk[3];
    int front[3], front_chunk[3];
    int empties;   // empty samples before the hit or the end
};

// Carries local index *l across a chunk border, the chunk index running the
// other way horizontally (flip = -1) and the same way vertically (flip = 1).
static void carry(int *chunk, int *l, int flip)
{
    if (*l < 0) {
        *chunk -= flip;
        *l = 63;
    } else if (*l > 63) {
        *chunk += flip;
        *l = 0;
    }
}

// Air and ids 11 and above let the ray through, and so does a chunk that is
// not held: there is no world there to point at or to build against.
static int ray_passes(int cx, int cy, int level, int lx, int ly, int lz)
{
    if (!held_chunk(cx, cy, level))
        return 1;
    return g_xy(cx, cy, level, lx, ly, lz) == 0;
}

static int march(float x, float y, float z, float rot_x, float rot_y, int samples, march_result *r)
{
    double h = rot_y / 180.0 * 3.14, p = rot_x / 180.0 * 3.14;
    float dx = (float)(-sin(h) * cos(p) * 0.125);
    float dy = (float)(cos(h) * cos(p) * 0.125);
    float dz = (float)(-sin(p) * 0.125);
    int cx = (int)(x / 64 + 1), cy = (int)(y / 64 + 1), level = (int)(z / 64);
    r->empties = 0;
    for (int i = 0; i < samples; i++, x += dx, y += dy, z += dz) {
        int lx = (int)(64.0f * cx - x), ly = (int)(64.0f * cy - y), lz = (int)(z - 64.0f * level);
        carry(&cy, &ly, -1);
        carry(&cx, &lx, -1);
        carry(&level, &lz, 1);
        if (ray_passes(cx, cy, level, lx, ly, lz)) {
            r->front[0] = lx, r->front[1] = ly, r->front[2] = lz;
            r->front_chunk[0] = cx, r->front_chunk[1] = cy, r->front_chunk[2] = level;
            r->empties++;
            continue;
        }
        if (r->empties == 0)
            return 0;   // the head is inside a block
        r->hit[0] = lx, r->hit[1] = ly, r->hit[2] = lz;
        r->hit_chunk[0] = cx, r->hit_chunk[1] = cy, r->hit_chunk[2] = level;
        return 1;
    }
    return 0;
}

void view_ray(player *p)
{
    march_result r;
    p->pick_valid = march((float)(p->x - 0.5), (float)(p->y - 0.5), (float)(p->z + 1.5), p->rot_x, p->rot_y,
                          RAY_SAMPLES, &r);
    if (!p->pick_valid)
        return;
    p->pick_lx = r.hit[0], p->pick_ly = r.hit[1], p->pick_lz = r.hit[2];
    p->pick_cx = r.hit_chunk[0], p->pick_cy = r.hit_chunk[1], p->pick_level = r.hit_chunk[2];
    p->front_lx = r.front[0], p->front_ly = r.front[1], p->front_lz = r.front[2];
    p->front_cx = r.front_chunk[0], p->front_cy = r.front_chunk[1], p->front_level = r.front_chunk[2];
}

// --- editing ---

int set_block(int cx, int cy, int level, int lx, int ly, int lz, int id)
{
    cube_slot *c = held_chunk(cx, cy, level);
    if (!c)
        return 0;
    c->blocks[lx][ly][lz] = (uint16_t)id;
    chunk_changed(cx, cy, level);
    remesh_if_held(cx, cy, level);
    // The neighbour's face toward this block appears or goes with it.
    if (lx == 0)
        remesh_if_held(cx + 1, cy, level);
    if (lx == 63)
        remesh_if_held(cx - 1, cy, level);
    if (ly == 0)
        remesh_if_held(cx, cy + 1, level);
    if (ly == 63)
        remesh_if_held(cx, cy - 1, level);
    if (lz == 0 && level > 0)
        remesh_if_held(cx, cy, level - 1);
    if (lz == 63)
        remesh_if_held(cx, cy, level + 1);
    return 1;
}

static int same_target(const player *p)
{
    return p->dig_cx == p->pick_cx && p->dig_cy == p->pick_cy && p->dig_level == p->pick_level &&
           p->dig_lx == p->pick_lx && p->dig_ly == p->pick_ly && p->dig_lz == p->pick_lz;
}

void dig(player *p)
{
    if (p->dig_button != 1 || !p->pick_valid)
        return;
    cube_slot *c = held_chunk(p->pick_cx, p->pick_cy, p->pick_level);
    if (!c)
        return;
    int id = c->blocks[p->pick_lx][p->pick_ly][p->pick_lz];
    // Only ids 1 ... 10 stop the ray, so id indexes the tables.
    if (id <= 0 || id >= MATERIAL_IDS)
        return;
    if (!same_target(p)) {
        p->dig_cx = p->pick_cx, p->dig_cy = p->pick_cy, p->dig_level = p->pick_level;
        p->dig_lx = p->pick_lx, p->dig_ly = p->pick_ly, p->dig_lz = p->pick_lz;
        p->dig_left = (float)materials[id].dig_steps;
        p->dig_timer = STROKE_STEPS;
        return;
    }
    if (p->dig_timer > 0) {
        p->dig_timer--;
        return;
    }
    if (!(materials[id].hardness <= 1.0f))
        return;
    float x = (float)(p->dig_lx - 64 * p->dig_cx);
    float y = (float)(p->dig_ly - 64 * p->dig_cy);
    float z = (float)(64 * p->dig_level + p->dig_lz);
    add_particle_from_cube(x, y, z, id, 5);
    p->dig_timer = STROKE_STEPS;
    p->dig_left -= 1.0f;
    if (p->dig_left > 0)
        return;
    add_particle_from_cube(x, y, z, id, 60);
    add_box(x, y, z, materials[id].drop_id);
    set_block(p->pick_cx, p->pick_cy, p->pick_level, p->pick_lx, p->pick_ly, p->pick_lz, 0);
}

// How far a block lies from the body along one horizontal axis, the short
// way round the wrapping world (the body may have wrapped after the ray).
static double wrapped_offset(double block, double body)
{
    double width = 64.0 * world_size;
    double d = fmod(block - body, width);
    if (d > width / 2)
        d -= width;
    if (d < -width / 2)
        d += width;
    return d;
}

// Whether the front cell lies in the player's body. A ray sample s lies in
// block G = 64 c - l when G - 1 < s <= G, and the ray starts half a block
// below x and y, in the middle of the body; so the body, 1.0 wide and height
// tall from the feet, covers every block with |G - x| < 1 and |G - y| < 1,
// and z - 1 < G < z + height upwards. A block there would hold the player
// and put the ray's start inside it.
static int into_player(const player *p)
{
    double gx = 64.0 * p->front_cx - p->front_lx;
    double gy = 64.0 * p->front_cy - p->front_ly;
    double gz = 64.0 * p->front_level + p->front_lz;
    return fabs(wrapped_offset(gx, p->x)) < 1 && fabs(wrapped_offset(gy, p->y)) < 1 && gz > p->z - 1 &&
           gz < p->z + p->height;
}

void place(player *p)
{
    if (p->place_request != 1)
        return;
    p->place_request = 0;
    if (into_player(p))
        return;
    printf("%i %i %i %i %i %i \n", p->front_lx, p->cell_lx, p->front_ly, p->cell_ly, p->front_lz, p->cell_lz);
    int id = get_cell(player_cells, cells_active, 0);
    if (!p->pick_valid || id == 0)
        return;
    if (set_block(p->front_cx, p->front_cy, p->front_level, p->front_lx, p->front_ly, p->front_lz, id))
        minus_cell(player_cells, cells_active, 0);
}
