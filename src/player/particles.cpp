// particles.cpp — particles and dropped boxes. Random draws keep a fixed order,
// so a seed fixes every particle.
#include "player/particles.h"

#include "platform/platform.h"
#include "player/cells.h"
#include "render/c_math.h"
#include "render/materials.h"

#include <GL/gl.h>
#include <cmath>
#include <cstring>

static const float PARTICLE_PICTURE = 0.01f;   // how much of the atlas a particle shows, each way

particle prs[PARTICLE_POOL];
dropped_box bxs[BOX_POOL];

void init_particles()
{
    memset(prs, 0, sizeof prs);
    memset(bxs, 0, sizeof bxs);
}

int find_free_partcl()
{
    for (int i = 0; i < PARTICLE_POOL; i++)
        if (!prs[i].active)
            return i;
    return -1;
}

int find_free_box()
{
    for (int i = 0; i < BOX_LIVE; i++)
        if (!bxs[i].active)
            return i;
    return -1;
}

static float spread()
{
    return (plat_rand() % 32) * 0.015625f;
}

static float drift()
{
    return ((plat_rand() % 64) * 0.015625f - 0.5f) / 50;
}

// Moves the particle onto face f of the block and pushes it outward.
static void onto_face(particle *p, int f, float x, float y, float z)
{
    switch (f) {
    case 0: p->x = x - 0.5f; p->vel_x -= 0.05f; break;
    case 1: p->x = x + 0.5f; p->vel_x += 0.05f; break;
    case 2: p->y = y - 0.5f; p->vel_y -= 0.05f; break;
    case 3: p->y = y + 0.5f; p->vel_y += 0.05f; break;
    case 4: p->z = z - 0.5f; p->vel_z -= 0.05f; break;
    default: p->z = z + 0.5f; p->vel_z += 0.05f; break;
    }
}

// One of `spots` places each way in the picture whose atlas cell starts at (u, v): the bit of picture a
// particle shows stays inside that cell, never reaching a neighbouring block's.
static void spot_in(particle *p, float u, float v, int spots)
{
    const float step = (ATLAS_CELL - PARTICLE_PICTURE) / 16;
    p->tex_u = u + (plat_rand() % spots) * step;
    p->tex_v = v + (plat_rand() % spots) * step;
}

// A random spot of one of the block's three pictures.
static void pick_picture(particle *p, const block_tex *t)
{
    int picture = plat_rand() % 3;
    if (picture == 0)
        spot_in(p, t->top_u, t->top_v, 10);
    else if (picture == 1)
        spot_in(p, t->bottom_u, t->bottom_v, 16);
    else
        spot_in(p, t->side_u, t->side_v, 16);
}

void add_particle_from_cube(float x, float y, float z, int id, int count)
{
    const block_tex *t = id >= 0 && id < TEXTURED_IDS ? &texes[id] : &texes[0];
    for (int n = 0; n < count; n++) {
        int i = find_free_partcl();
        if (i < 0)
            return;
        particle *p = &prs[i];
        p->x = x + spread() - 0.25f;
        p->y = y + spread() - 0.25f;
        p->z = z + spread();
        p->vel_x = drift();
        p->vel_y = drift();
        p->vel_z = drift() + 0.02f;
        p->angle = (float)(plat_rand() % 360) / 180 * 3.14f;
        onto_face(p, plat_rand() % 6, x, y, z);
        pick_picture(p, t);
        p->life = plat_rand() % 30 + 20;
        p->active = 1;
    }
}

void add_box(float x, float y, float z, int id)
{
    int i = find_free_box();
    if (i < 0)
        return;
    dropped_box *b = &bxs[i];
    b->active = 1;
    b->x = x;
    b->y = y;
    b->z = z;
    b->block_id = (uint16_t)id;
    b->phase = 0;
}

static void draw_particle(const particle *p)
{
    float s = sinf(p->angle), c = cosf(p->angle);
    glTexCoord2f(p->tex_u, p->tex_v);
    glVertex3f(p->x + 0.15f * s, p->z - 0.15f * c, p->y + 0.15f);
    glTexCoord2f(p->tex_u + PARTICLE_PICTURE, p->tex_v);
    glVertex3f(p->x - 0.15f * s, p->z - 0.15f * c, p->y - 0.15f);
    glTexCoord2f(p->tex_u + PARTICLE_PICTURE, p->tex_v + PARTICLE_PICTURE);
    glVertex3f(p->x - 0.15f * s, p->z + 0.15f * c, p->y - 0.15f);
    glTexCoord2f(p->tex_u, p->tex_v + PARTICLE_PICTURE);
    glVertex3f(p->x + 0.15f * s, p->z + 0.15f * c, p->y + 0.15f);
}

void render_particles()
{
    glBegin(GL_QUADS);
    // Lit like the ground they fly over, whatever normal the chunks left behind.
    glNormal3f(0, 1, 0);
    for (int i = 0; i < PARTICLE_POOL; i++) {
        particle *p = &prs[i];
        if (!p->active)
            continue;
        p->x += p->vel_x;
        p->y += p->vel_y;
        p->vel_z -= 0.006f;
        p->z += p->vel_z;
        draw_particle(p);
        if (--p->life < 0)
            p->active = 0;
    }
    glEnd();
    for (int i = 0; i < BOX_POOL; i++) {
        dropped_box *b = &bxs[i];
        if (!b->active || b->block_id >= MATERIAL_IDS || materials[b->block_id].solid != 1)
            continue;
        b->phase += 0.01f;
        draw_cube_filed(b->x, b->z + 0.25f * sinf(b->phase), b->y, b->phase, 0.4f, b->block_id);
    }
}

int pick_box(float px, float py, float pz, const cell_grid *into)
{
    for (int i = 0; i < BOX_LIVE; i++) {
        dropped_box *b = &bxs[i];
        // A box no cell has room for stays where it lies.
        if (!b->active || !inv_has_room(into, b->block_id))
            continue;
        int a = (int)(b->x + px), c = (int)(b->y + py), d = (int)(pz - b->z);
        if (a == 0 && c == 0 && d == 0) {
            b->active = 0;
            return b->block_id;
        }
    }
    return -1;
}
