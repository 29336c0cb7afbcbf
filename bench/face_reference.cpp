#include "face_reference.h"

#include "save/config.h"
#include "app/engine.h"
#include "render/c_math.h"
#include "render/frustum_calc.h"
#include "render/materials.h"
#include "render/mesher.h"
#include "world/world.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdlib>
#include <initializer_list>

namespace {

struct face_mesh {
    float *vertices, *tex_coords, *normals;
    int quads;
};
face_mesh meshes[POOL_SLOTS];
long quads_drawn, draw_calls;

// The faces as the chunk's quads are laid out: corners (X, Y, Z signs), the
// texture corner (0 = u or v, 1 = u + d or v + d) and the normal.
struct face_table {
    int corner[4][3];
    int tex[4][2];
    float normal[3];
};
const face_table FACE_TABLE[6] = {
    {{{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {0, -1, 0}},   // bottom
    {{{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, {0, 1, 0}},       // top
    {{{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}}, {{1, 0}, {0, 0}, {0, 1}, {1, 1}}, {0, 0, -1}},  // ly - 1
    {{{1, -1, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}}, {0, 0, 1}},       // ly + 1
    {{{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}}, {-1, 0, 0}},  // lx - 1
    {{{1, 1, -1}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}}, {{1, 0}, {0, 0}, {0, 1}, {1, 1}}, {1, 0, 0}},       // lx + 1
};

int face_shows(int cx, int cy, int level, int lx, int ly, int lz, int face)
{
    int n = 1;
    switch (face) {
    case 0: n = g_z(cx, cy, level, lx, ly, lz - 1); break;
    case 1: n = g_z(cx, cy, level, lx, ly, lz + 1); break;
    case 2: n = g_y(cx, cy, level, lx, ly - 1, lz); break;
    case 3: n = g_y(cx, cy, level, lx, ly + 1, lz); break;
    case 4: n = g_x(cx, cy, level, lx - 1, ly, lz); break;
    default: n = g_x(cx, cy, level, lx + 1, ly, lz); break;
    }
    return !block_is_solid(n);
}

void add_face(face_mesh *m, int face, float x, float y, float z, int id)
{
    const block_tex *t = &texes[id];
    float u = face == 0 ? t->bottom_u : face == 1 ? t->top_u : t->side_u;
    float v = face == 0 ? t->bottom_v : face == 1 ? t->top_v : t->side_v;
    const face_table *f = &FACE_TABLE[face];
    for (int k = 0; k < 4; k++) {
        int i = 4 * m->quads + k;
        for (int a = 0; a < 3; a++)
            m->normals[3 * i + a] = f->normal[a];
        m->vertices[3 * i + 0] = x + 0.5f * f->corner[k][0];
        m->vertices[3 * i + 1] = y + 0.5f * f->corner[k][1];
        m->vertices[3 * i + 2] = z + 0.5f * f->corner[k][2];
        m->tex_coords[2 * i + 0] = u + ATLAS_CELL * f->tex[k][0];
        m->tex_coords[2 * i + 1] = v + ATLAS_CELL * f->tex[k][1];
    }
    m->quads++;
}

void mesh_chunk(face_mesh *m, const cube_slot *c, int cx, int cy, int level)
{
    if (!m->vertices) {
        m->vertices = (float *)malloc(MESH_QUAD_CAP * 12 * sizeof(float));
        m->tex_coords = (float *)malloc(MESH_QUAD_CAP * 8 * sizeof(float));
        m->normals = (float *)malloc(MESH_QUAD_CAP * 12 * sizeof(float));
    }
    m->quads = 0;
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            for (int lz = 0; lz < 64; lz++) {
                int id = c->blocks[lx][ly][lz];
                if (!block_is_solid(id))
                    continue;
                for (int face = 0; face < 6; face++)
                    if (face_shows(cx, cy, level, lx, ly, lz, face))
                        add_face(m, face, (float)(lx - 64.0 * cx), (float)(lz + 64.0 * level),
                                 (float)(ly - 64.0 * cy), id);
                if (m->quads > MESH_QUAD_LIMIT)
                    return;
            }
}

// Shift by whole world widths that brings chunk column c nearest the camera:
// drawn with the camera moved by shift, the column lies at world 64 c - shift.
double nearest_shift(int c, double camera)
{
    double width = 64.0 * world_size, best = 0;
    double centre = 64.0 * c - 31.5;   // column c spans 64 c - 63.5 ... 64 c + 0.5
    for (double shift : {-width, width})
        if (fabs(centre - shift - camera) < fabs(centre - best - camera))
            best = shift;
    return best;
}

void draw_mesh(const face_mesh *m, int cx, int cy, int level)
{
    if (!CubeInFrustum(-64.0f * cx + 32, 64.0f * level + 32, -64.0f * cy + 32, 34.0f))
        return;
    glVertexPointer(3, GL_FLOAT, 12, m->vertices);
    glTexCoordPointer(2, GL_FLOAT, 8, m->tex_coords);
    glNormalPointer(GL_FLOAT, 12, m->normals);
    for (int q = 0; q < m->quads; q++) {
        const float *v = &m->vertices[12 * q];
        if (CubeInFrustum(v[0], v[1], v[2], 1.0f)) {
            glDrawArrays(GL_QUADS, 4 * q, 4);
            quads_drawn++;
            draw_calls++;
        }
    }
}

}  // namespace

void reference_mesh_all()
{
    for (int cx = 0; cx < world_size; cx++)
        for (int cy = 0; cy < world_size; cy++)
            for (int level = 0; level < WORLD_LEVELS; level++) {
                int slot = world_slot(cx, cy, level);
                if (slot >= 0 && cubes[slot].loaded)
                    mesh_chunk(&meshes[slot], &cubes[slot], cx, cy, level);
            }
}

void reference_draw()
{
    quads_drawn = draw_calls = 0;
    glBindTexture(GL_TEXTURE_2D, g_textures);
    CalculateFrustum();
    for (int cx = 0; cx < world_size; cx++)
        for (int cy = 0; cy < world_size; cy++)
            for (int level = 0; level < WORLD_LEVELS; level++) {
                int slot = world_slot(cx, cy, level);
                if (slot < 0 || !cubes[slot].loaded || !meshes[slot].vertices)
                    continue;
                double sx = nearest_shift(cx, camera_x), sy = nearest_shift(cy, camera_y);
                int shifted = sx != 0 || sy != 0;
                if (shifted) {
                    glPushMatrix();
                    glLoadIdentity();
                    glRotatef(camera_rot_x, 1, 0, 0);
                    glRotatef(camera_rot_y, 0, 1, 0);
                    glTranslatef((float)(camera_x + sx), (float)-camera_z, (float)(camera_y + sy));
                    CalculateFrustum();
                }
                draw_mesh(&meshes[slot], cx, cy, level);
                if (shifted) {
                    glPopMatrix();
                    CalculateFrustum();
                }
            }
}

void reference_free()
{
    for (face_mesh &m : meshes) {
        free(m.vertices);
        free(m.tex_coords);
        free(m.normals);
        m = {nullptr, nullptr, nullptr, 0};
    }
}

long reference_quads_drawn()
{
    return quads_drawn;
}

long reference_draw_calls()
{
    return draw_calls;
}

long reference_mesh_bytes()
{
    long n = 0;
    for (const face_mesh &m : meshes)
        n += m.vertices ? MESH_QUAD_CAP * (12 + 8 + 12) * (long)sizeof(float) : 0;
    return n;
}

void world_pass(void (*draw)())
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(camera_rot_x, 1, 0, 0);
    glRotatef(camera_rot_y, 0, 1, 0);
    glLightfv(GL_LIGHT1, GL_POSITION, LightPosition);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, LightDiffuse);
    if (get_par_str()->fog_enabled)
        glEnable(GL_FOG);
    else
        glDisable(GL_FOG);
    glEnable(GL_LIGHTING);
    glTranslatef((float)camera_x, (float)-camera_z, (float)camera_y);
    glEnable(GL_CULL_FACE);
    draw();
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
}
