// mesher.cpp — chunk meshing.
#include "render/mesher.h"

#include "render/materials.h"
#include "world/world.h"

#include <cstdio>

int block_is_solid(int id)
{
    return id >= 0 && id < TEXTURED_IDS && materials[id].solid == 1;
}

enum { FACE_BOTTOM, FACE_TOP, FACE_LY_MINUS, FACE_LY_PLUS, FACE_LX_MINUS, FACE_LX_PLUS };

// One face of the unit cube: corner signs (x, y, z) and texture offsets, in
// counter-clockwise order seen from outside, and the face's normal.
struct face_shape {
    signed char corner[4][3];
    signed char tex[4][2];
    signed char normal[3];
};

static const face_shape FACES[6] = {
    {{{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {0, -1, 0}},
    {{{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {0, 1, 0}},
    {{{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}}, {{1, 0}, {0, 0}, {0, 1}, {1, 1}}, {0, 0, -1}},
    {{{1, -1, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}}, {0, 0, 1}},
    {{{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}}, {-1, 0, 0}},
    {{{1, 1, -1}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}}, {{1, 0}, {0, 0}, {0, 1}, {1, 1}}, {1, 0, 0}},
};

// The chunk itself and its six neighbours, looked up once per call.
struct mesh_context {
    const cube_slot *self;
    const cube_slot *next[6];   // by face; null when absent or not loaded
    float base_x, base_y, base_z;
};

// Neighbour id as the face test sees it: an absent chunk hides the face; ids
// above 9 count as opaque vertically, ids above 10 as air sideways.
static int neighbour_id(const mesh_context *m, int face, int lx, int ly, int lz)
{
    const cube_slot *c = m->self;
    switch (face) {
    case FACE_BOTTOM: if (--lz < 0) { lz = 63; c = m->next[face]; } break;
    case FACE_TOP: if (++lz > 63) { lz = 0; c = m->next[face]; } break;
    case FACE_LY_MINUS: if (--ly < 0) { ly = 63; c = m->next[face]; } break;
    case FACE_LY_PLUS: if (++ly > 63) { ly = 0; c = m->next[face]; } break;
    case FACE_LX_MINUS: if (--lx < 0) { lx = 63; c = m->next[face]; } break;
    default: if (++lx > 63) { lx = 0; c = m->next[face]; } break;
    }
    if (!c || !c->loaded)
        return 1;
    int id = c->blocks[lx][ly][lz];
    if (face == FACE_BOTTOM || face == FACE_TOP)
        return id > 9 ? 1 : id;
    return id > 10 ? 0 : id;
}

static void write_quad(cube_slot *s, int q, int face, float x, float y, float z, const block_tex *t)
{
    const face_shape *f = &FACES[face];
    float u, v;
    if (face == FACE_BOTTOM) {
        u = t->bottom_u;
        v = t->bottom_v;
    } else if (face == FACE_TOP) {
        u = t->top_u;
        v = t->top_v;
    } else {
        u = t->side_u;
        v = t->side_v;
    }
    for (int k = 0; k < 4; k++) {
        int vi = 4 * q + k;
        s->vertices[3 * vi + 0] = x + 0.5f * f->corner[k][0];
        s->vertices[3 * vi + 1] = y + 0.5f * f->corner[k][1];
        s->vertices[3 * vi + 2] = z + 0.5f * f->corner[k][2];
        s->tex_coords[2 * vi + 0] = u + ATLAS_CELL * f->tex[k][0];
        s->tex_coords[2 * vi + 1] = v + ATLAS_CELL * f->tex[k][1];
        s->normals[3 * vi + 0] = f->normal[0];
        s->normals[3 * vi + 1] = f->normal[1];
        s->normals[3 * vi + 2] = f->normal[2];
    }
}

void create_polygons(int cx, int cy, int level)
{
    int slot = world_slot(cx, cy, level);
    if (slot < 0 || slot >= POOL_SLOTS)
        return;
    cube_slot *s = &cubes[slot];
    if (!s->vertices || !s->tex_coords || !s->normals)
        return;
    mesh_context m;
    m.self = s;
    m.next[FACE_BOTTOM] = held_chunk(cx, cy, level - 1);
    m.next[FACE_TOP] = held_chunk(cx, cy, level + 1);
    m.next[FACE_LY_MINUS] = held_chunk(cx, cy + 1, level);
    m.next[FACE_LY_PLUS] = held_chunk(cx, cy - 1, level);
    m.next[FACE_LX_MINUS] = held_chunk(cx + 1, cy, level);
    m.next[FACE_LX_PLUS] = held_chunk(cx - 1, cy, level);

    int count = 0;
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            for (int lz = 0; lz < 64; lz++) {
                int id = s->blocks[lx][ly][lz];
                if (!block_is_solid(id))
                    continue;
                float x = (float)(lx - 64.0 * cx);
                float y = (float)(lz + 64.0 * level);
                float z = (float)(ly - 64.0 * cy);
                for (int face = 0; face < 6; face++)
                    if (!block_is_solid(neighbour_id(&m, face, lx, ly, lz)))
                        write_quad(s, count++, face, x, y, z, &texes[id]);
                if (count > MESH_QUAD_LIMIT) {
                    s->quad_count = count;
                    printf("stoped building, polygons: %i \n", count);
                    return;
                }
            }
    s->quad_count = count;
}

void remesh_if_held(int cx, int cy, int level)
{
    if (held_chunk(cx, cy, level))
        create_polygons(t_zn(cx), t_zn(cy), level);
}
