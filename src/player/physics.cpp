// physics.cpp — the physics step: gravity, landing, ceilings, the two
// horizontal probes, the view ray, the wrap, then pick-up, digging and placing.
#include "player/physics.h"

#include "player/cells.h"
#include "player/particles.h"
#include "player/picking.h"
#include "world/streaming.h"
#include "world/world.h"

#include <cstring>

player gamer[PLAYERS];
int32_t fly_mode = 1;
int32_t jump = 0;
float gravity = 0.01f;
double world_clock = 0.0;

void reset_players(int player_value)
{
    memset(gamer, 0, sizeof gamer);
    gamer[0].active = 1;
    gamer[0].height = 2;
    gamer[0].player_value = player_value;
}

// --- steering from the main loop ---

void movecamera(float dx, float dy, float dz)
{
    if (fly_mode) {
        camera_x += dx;
        camera_y += dy;
        camera_z -= dz;
        return;
    }
    gamer[0].vel_x -= dx * 0.12;
    gamer[0].vel_y -= dy * 0.12;
}

void rotatecamera(float rx, float ry)
{
    if (!fly_mode) {
        gamer[0].rot_x = rx;
        gamer[0].rot_y = ry;
        return;
    }
    camera_rot_x = rx;
    camera_rot_y = ry;
    if (camera_rot_y > 180)
        camera_rot_y -= 360;
    if (camera_rot_y < -180)
        camera_rot_y += 360;
}

void fly_m(int mode)
{
    fly_mode = mode;
}

void e_jump()
{
    jump = 1;
}

void add_to_clock(double ms)
{
    world_clock += ms / 1000.0;
}

// --- cells ---

int cell_chunk(double v)
{
    return (int)(v / 64 + 1);
}

int cell_local(double v, int chunk)
{
    return 63 - (int)(v - 64.0 * chunk + 63.5);
}

// Levels that are never streamed in are air for the body: a chunk that is
// not held counts as solid, and above the top streamed level that would hold
// a player in mid-air for good.
static int beyond_streamed_levels(int level)
{
    return level < 0 || level > TOP_STREAMED_LEVEL;
}

// Block id at a cell, with lz past the chunk's top or bottom carried into the
// next level; -1 when the chunk is not held (not in the map, or not loaded).
static int block_or_missing(int cx, int cy, int level, int lx, int ly, int lz)
{
    if (lz < 0) {
        level--;
        lz += 64;
    } else if (lz > 63) {
        level++;
        lz -= 64;
    }
    if (beyond_streamed_levels(level))
        return 0;
    return held_block(cx, cy, level, lx, ly, lz);
}

// --- the step, per record ---

static void wrap_position(double *v)
{
    double width = 64.0 * world_size;
    if (*v < -64)
        *v += width;
    if (*v > 64.0 * (world_size - 1))
        *v -= width;
}

static void couple_camera(player *p)
{
    if (fly_mode) {
        // A flying camera leads the record, so it wraps itself; otherwise a
        // long flight leaves the world's columns and streaming stops.
        wrap_position(&camera_x);
        wrap_position(&camera_y);
        p->x = camera_x;
        p->y = camera_y;
        p->z = camera_z;
        p->rot_x = camera_rot_x;
        p->rot_y = camera_rot_y;
        return;
    }
    camera_x = p->x;
    camera_y = p->y;
    camera_z = p->z + 1.0;
    camera_rot_x = p->rot_x;
    camera_rot_y = p->rot_y;
    if (jump) {
        if (p->on_ground)
            p->vel_z = -0.2;
        jump = 0;
    }
}

static void fall_and_rise(player *p)
{
    p->vel_x *= 0.8;
    p->vel_y *= 0.8;
    p->vel_z = (p->vel_z + gravity) * 0.97;
    p->z -= p->vel_z;
    int cx = cell_chunk(p->x), cy = cell_chunk(p->y), level = (int)(p->z / 64);
    int lx = cell_local(p->x, cx), ly = cell_local(p->y, cy);
    if (p->vel_z > 0) {
        int lz = (int)(p->z - 64.0 * level);
        if (block_or_missing(cx, cy, level, lx, ly, lz) != 0) {
            p->z = 64.0 * level + lz + 1;
            p->vel_z = 0;
            p->on_ground = 1;
        }
    }
    if (p->vel_z < 0) {
        int lz = (int)(p->z - 64.0 * level);
        if (block_or_missing(cx, cy, level, lx, ly, lz + p->height) != 0) {
            p->z = 64.0 * level + lz;
            p->vel_z = 0;
            p->on_ground = 1;   // a ceiling counts as standing, so a jump can follow
        }
    }
}

// The probe half a block ahead along one axis, at the height of the feet.
static void move_axis(player *p, int along_x)
{
    double *pos = along_x ? &p->x : &p->y;
    double *vel = along_x ? &p->vel_x : &p->vel_y;
    *pos -= *vel;
    int cx = cell_chunk(p->x), cy = cell_chunk(p->y), level = (int)(p->z / 64);
    int lz = (int)(p->z - 64.0 * level);
    int chunk = along_x ? cx : cy;
    if (*vel == 0 || beyond_streamed_levels(level))
        return;
    int k = (int)(*pos - 64.0 * chunk + (*vel > 0 ? 63.0 : 64.0));
    int probe = along_x ? g_xy(cx, cy, level, 63 - k, cell_local(p->y, cy), lz)
                        : g_xy(cx, cy, level, cell_local(p->x, cx), 63 - k, lz);
    if (probe == 0)
        return;
    *pos = (64.0 * chunk - 63 + k) + (*vel > 0 ? 1.0 : -1.0);
    *vel = 0;
}

static void find_own_cell(player *p)
{
    p->cell_cx = cell_chunk(p->x);
    p->cell_cy = cell_chunk(p->y);
    p->cell_level = (int)(p->z / 64);
    p->cell_lx = (int)(64.0 * p->cell_cx - p->x);
    p->cell_ly = (int)(64.0 * p->cell_cy - p->y);
    p->cell_lz = (int)(p->z - 64.0 * p->cell_level);
}

static void step_record(player *p)
{
    p->on_ground = 0;
    fall_and_rise(p);
    move_axis(p, 1);
    move_axis(p, 0);
    find_own_cell(p);
    view_ray(p);
    wrap_position(&p->x);
    wrap_position(&p->y);
}

int e_psysix()
{
    couple_camera(&gamer[0]);
    for (int i = 0; i < PLAYERS; i++)
        if (gamer[i].active)
            step_record(&gamer[i]);
    player *me = &gamer[0];
    if (me->active) {
        int id = pick_box((float)me->x, (float)me->y, (float)me->z, player_cells);
        if (id != -1)
            add_box_to_inv(player_cells, id);
        dig(me);
        place(me);
    }
    if (already_created > 0)
        already_created--;
    return 1;
}
