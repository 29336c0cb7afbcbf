// world.cpp — chunk pool, column map and neighbour lookups.
#include "world/world.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

cube_slot cubes[POOL_SLOTS];
int16_t *world = nullptr;
int32_t world_size = 10;
int32_t vision_range = 1;

double camera_x, camera_y, camera_z;
float camera_rot_x, camera_rot_y;

// Size of the map that is allocated now; world_size may change before the next game.
static int map_size = 0;

int initialize_world()
{
    printf("world size %i \n", world_size);
    free(world);
    size_t entries = (size_t)world_size * world_size * WORLD_LEVELS;
    world = (int16_t *)malloc(entries * sizeof(int16_t) + 1);
    map_size = world ? world_size : 0;
    for (size_t i = 0; world && i < entries; i++)
        world[i] = NO_SLOT;
    for (int i = 0; i < POOL_SLOTS; i++)
        cubes[i].loaded = 0;
    return 1;
}

void free_mesh(cube_slot *c)
{
    free(c->vertices);
    free(c->tex_coords);
    c->vertices = c->tex_coords = nullptr;
}

void free_world()
{
    for (cube_slot &c : cubes) {
        free_mesh(&c);
        c.loaded = 0;
    }
    free(world);
    world = nullptr;
    map_size = 0;
}

int16_t find_free_cube()
{
    for (int i = 0; i < POOL_SLOTS; i++)
        if (!cubes[i].loaded)
            return (int16_t)i;
    return NO_SLOT;
}

int t_zn(int n)
{
    if (n < 0)
        n += world_size;
    if (n >= world_size)
        n -= world_size;
    return n;
}

float t_un(float f)
{
    float period = 64.0f * world_size;
    if (f < 0)
        f += period;
    if (f >= period)
        f -= period;
    return f;
}

int16_t *world_entry(int cx, int cy, int level)
{
    return &world[cx + map_size * (cy + map_size * level)];
}

int world_slot(int cx, int cy, int level)
{
    if (!world || level < 0 || level >= WORLD_LEVELS)
        return NO_SLOT;
    cx = t_zn(cx);
    cy = t_zn(cy);
    if (cx < 0 || cx >= map_size || cy < 0 || cy >= map_size)
        return NO_SLOT;
    return *world_entry(cx, cy, level);
}

cube_slot *held_chunk(int cx, int cy, int level)
{
    int slot = world_slot(cx, cy, level);
    if (slot < 0 || slot >= POOL_SLOTS || !cubes[slot].loaded)
        return nullptr;
    return &cubes[slot];
}

int held_block(int cx, int cy, int level, int lx, int ly, int lz)
{
    if (lx < 0 || lx > 63 || ly < 0 || ly > 63 || lz < 0 || lz > 63)
        return -1;
    const cube_slot *c = held_chunk(cx, cy, level);
    return c ? c->blocks[lx][ly][lz] : -1;
}

static int vertical_rule(int id)
{
    return id < 0 || id > 9 ? 1 : id;
}

static int horizontal_rule(int id)
{
    if (id < 0)
        return 1;
    return id > 10 ? 0 : id;
}

int g_z(int cx, int cy, int level, int lx, int ly, int lz)
{
    if (lz < 0) {
        level--;
        lz = 63;
    } else if (lz > 63) {
        level++;
        lz = 0;
    }
    return vertical_rule(held_block(cx, cy, level, lx, ly, lz));
}

// Steps one local index across a horizontal border; chunk indices run the other way.
static void step_horizontal(int *chunk, int *local)
{
    if (*local < 0) {
        (*chunk)++;
        *local = 63;
    } else if (*local > 63) {
        (*chunk)--;
        *local = 0;
    }
}

int g_x(int cx, int cy, int level, int lx, int ly, int lz)
{
    step_horizontal(&cx, &lx);
    return horizontal_rule(held_block(cx, cy, level, lx, ly, lz));
}

int g_y(int cx, int cy, int level, int lx, int ly, int lz)
{
    step_horizontal(&cy, &ly);
    return horizontal_rule(held_block(cx, cy, level, lx, ly, lz));
}

int g_xy(int cx, int cy, int level, int lx, int ly, int lz)
{
    step_horizontal(&cy, &ly);
    step_horizontal(&cx, &lx);
    return horizontal_rule(held_block(cx, cy, level, lx, ly, lz));
}
