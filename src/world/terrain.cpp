// terrain.cpp — terrain generation. Every random draw comes from the game's one
// sequence, in a fixed order, so a seed fixes the whole chunk.
#include "world/terrain.h"

#include "platform/platform.h"
#include "world/world.h"

#include <cstdlib>
#include <cstring>

static const uint16_t EARTH = 3, ROCK = 2, GRASS = 1;
static const int GROUND_TOP = 19;   // lz of the flat surface

static void fill_slot(cube_slot *c, uint16_t id)
{
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            for (int lz = 0; lz < 64; lz++)
                c->blocks[lx][ly][lz] = id;
}

static void flat_surface(cube_slot *c)
{
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            for (int lz = 0; lz <= GROUND_TOP; lz++)
                c->blocks[lx][ly][lz] = EARTH;
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++) {
            if (plat_rand() % 8 == 0)
                c->blocks[lx][ly][GROUND_TOP + 1] = EARTH;   // bump
            else if (plat_rand() % 120 == 2)
                c->blocks[lx][ly][GROUND_TOP] = 0;           // pit
        }
}

static int clamp_ground(int lz)
{
    return lz < 0 ? 0 : lz > GROUND_TOP ? GROUND_TOP : lz;
}

// The floor sinks towards the chunk's centre; rows and columns dip at random by one.
static void bowl_surface(cube_slot *c)
{
    for (int lx = 0; lx < 64; lx++) {
        int a = plat_rand();
        int b = plat_rand();
        int row_dip = b % 4 == 1 ? 0 : a % 2;
        for (int ly = 0; ly < 64; ly++) {
            int cc = plat_rand();
            int d = plat_rand();
            int column_dip = d % 4 == 2 ? 0 : cc % 2;
            int h = abs(lx - 32) / 5 + abs(ly - 32) / 5 - 10 - row_dip - column_dip;
            for (int k = 0; k <= GROUND_TOP; k++)
                c->blocks[lx][ly][clamp_ground(h + k)] = EARTH;
        }
    }
}

void makegrass(int slot)
{
    cube_slot *c = &cubes[slot];
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            for (int lz = 63; lz >= 0; lz--)
                if (c->blocks[lx][ly][lz] == EARTH) {
                    c->blocks[lx][ly][lz] = GRASS;
                    break;
                }
}

int generateCube(int slot, int cx, int cy, int level)
{
    (void)cx;
    (void)cy;
    cube_slot *c = &cubes[slot];
    c->loaded = 1;
    memset(c->blocks, 0, sizeof c->blocks);
    if (level == 0) {
        fill_slot(c, ROCK);
    } else if (level >= 1 && level <= 3) {
        fill_slot(c, EARTH);
    } else if (level == SURFACE_LEVEL) {
        if (plat_rand() % 7 == 6)
            bowl_surface(c);
        else
            flat_surface(c);
        makegrass(slot);
    }
    return slot;
}
