// mesher.cpp — chunk meshing.
#include "render/mesher.h"

#include "platform/platform.h"
#include "render/materials.h"
#include "world/world.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

// --- faces to quads ---

// Which faces of each block show, one bit a face, for the chunk being meshed.
static uint8_t shown[CHUNK_BLOCKS];
// The mesh is built here, then copied into buffers of the size it needs.
static float built_vertices[MESH_QUAD_CAP * 12];
static float built_tex_coords[MESH_QUAD_CAP * 8];
static float built_normals[MESH_QUAD_CAP * 12];

// Block index steps: lz is fastest, then ly, then lx.
constexpr int STEP_LY = CHUNK_EDGE, STEP_LX = CHUNK_EDGE * CHUNK_EDGE;

static int block_index(int lx, int ly, int lz)
{
    return (lx * CHUNK_EDGE + ly) * CHUNK_EDGE + lz;
}

// Equal faces are joined along the direction their texture's u runs:
// tops, bottoms and the ly sides along lx, the lx sides along ly.
static int runs_along_lx(int face)
{
    return face <= FACE_LY_PLUS;
}

// Tile of the block atlas a face of block id shows.
static int face_tile(int id, int face)
{
    const block_tex *t = &texes[id];
    if (face == FACE_BOTTOM)
        return atlas_tile(t->bottom_u, t->bottom_v);
    if (face == FACE_TOP)
        return atlas_tile(t->top_u, t->top_v);
    return atlas_tile(t->side_u, t->side_v);
}

// The neighbour rules of neighbour_id for a block away from the chunk's borders,
// without its steps: these blocks are most of a chunk.
static int shows_vertically(int id)
{
    return id <= 9 && !block_is_solid(id);
}

static int shows_sideways(int id)
{
    return id > 10 || !block_is_solid(id);
}

static uint8_t inner_faces(const uint16_t *b, int i)
{
    return (uint8_t)(shows_vertically(b[i - 1]) << FACE_BOTTOM | shows_vertically(b[i + 1]) << FACE_TOP |
                     shows_sideways(b[i - STEP_LY]) << FACE_LY_MINUS | shows_sideways(b[i + STEP_LY]) << FACE_LY_PLUS |
                     shows_sideways(b[i - STEP_LX]) << FACE_LX_MINUS | shows_sideways(b[i + STEP_LX]) << FACE_LX_PLUS);
}

// Marks the faces that show, counting them as the quad limit counts faces.
// Returns the count; past the limit it stops after the block that passed it
// and says so, leaving the rest of the chunk unmeshed.
static int mark_faces(const mesh_context *m)
{
    const cube_slot *s = m->self;
    memset(shown, 0, sizeof shown);
    int count = 0;
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            for (int lz = 0; lz < 64; lz++) {
                if (!block_is_solid(s->blocks[lx][ly][lz]))
                    continue;
                int i = block_index(lx, ly, lz);
                uint8_t bits = 0;
                if (lx > 0 && lx < 63 && ly > 0 && ly < 63 && lz > 0 && lz < 63) {
                    bits = inner_faces(&s->blocks[0][0][0], i);
                } else {
                    for (int face = 0; face < 6; face++)
                        if (!block_is_solid(neighbour_id(m, face, lx, ly, lz)))
                            bits |= (uint8_t)(1 << face);
                }
                count += __builtin_popcount(bits);
                shown[i] = bits;
                if (count > MESH_QUAD_LIMIT) {
                    printf("stoped building, polygons: %i \n", count);
                    return count;
                }
            }
    return count;
}

// A long quad's sides meet the corners of shorter quads beside it (T-junctions),
// where rounding on screen can leave a pixel uncovered and show the sky. Each
// quad reaches this far past its long sides, with its texture kept in place,
// which closes those pinholes yet stays far below a pixel in view.
constexpr float SEAM_OVERLAP = 1.0f / 1024;

// Quad q: face of a run of `length` blocks from the block centred at (x, y, z).
// Its texture repeats once a block along the run (the tile strip's s repeats).
static void write_quad(int q, int face, int length, float x, float y, float z, int tile)
{
    const face_shape *f = &FACES[face];
    int run_axis = runs_along_lx(face) ? 0 : 2;
    int flat_axis = face <= FACE_TOP ? 1 : face <= FACE_LY_PLUS ? 2 : 0;
    float reach = (float)(length - 1);   // from the first block's centre to the last's
    for (int k = 0; k < 4; k++) {
        int vi = 4 * q + k;
        float *v = &built_vertices[3 * vi];
        const float centre[3] = {x, y, z};
        for (int a = 0; a < 3; a++) {
            float half = a == run_axis || a == flat_axis ? 0.5f : 0.5f + SEAM_OVERLAP;
            v[a] = centre[a] + half * f->corner[k][a];
        }
        if (f->corner[k][run_axis] > 0)
            v[run_axis] += reach;
        built_tex_coords[2 * vi + 0] = (float)(f->tex[k][0] * length);
        float v_reach = f->tex[k][1] ? 1 + SEAM_OVERLAP : -SEAM_OVERLAP;
        built_tex_coords[2 * vi + 1] = (tile + v_reach) / (float)ATLAS_TILES;
        for (int a = 0; a < 3; a++)
            built_normals[3 * vi + a] = f->normal[a];
    }
}

// Joins each face that starts a run with the equal faces after it; 1 quad a run.
static int emit_runs(const cube_slot *s, int cx, int cy, int level)
{
    int quads = 0;
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            for (int lz = 0; lz < 64; lz++) {
                int i = block_index(lx, ly, lz);
                if (!shown[i])
                    continue;
                int id = s->blocks[lx][ly][lz];
                for (int face = 0; face < 6; face++) {
                    int bit = 1 << face;
                    if (!(shown[i] & bit))
                        continue;
                    int along = runs_along_lx(face);
                    int step = along ? STEP_LX : STEP_LY;
                    int at = along ? lx : ly;
                    int tile = face_tile(id, face);
                    const uint16_t *b = &s->blocks[0][0][0];
                    if (at > 0 && (shown[i - step] & bit) && face_tile(b[i - step], face) == tile)
                        continue;   // joined to the run before it
                    int length = 1;
                    while (at + length < 64 && (shown[i + length * step] & bit) &&
                           face_tile(b[i + length * step], face) == tile)
                        length++;
                    write_quad(quads++, face, length, (float)(lx - 64.0 * cx), (float)(lz + 64.0 * level),
                               (float)(ly - 64.0 * cy), tile);
                }
            }
    return quads;
}

// Resizes one of a slot's mesh buffers; a failure is reported, as the player
// waits, and leaves the old buffer in place.
static int fit_buffer(float **buffer, size_t floats, int cx, int cy, int level)
{
    float *b = (float *)realloc(*buffer, floats * sizeof(float));
    if (b) {
        *buffer = b;
        return 1;
    }
    printf("cannot alloc memory in %i %i %i \n", cx, cy, level);
    fflush(stdout);
    plat_pause();
    return 0;
}

// Copies the built mesh into the slot's buffers, sized to the quads it needs.
static int keep_mesh(cube_slot *s, int quads, int cx, int cy, int level)
{
    size_t n = quads > 0 ? (size_t)quads : 1;
    int fits = fit_buffer(&s->tex_coords, n * 8, cx, cy, level);
    fits &= fit_buffer(&s->vertices, n * 12, cx, cy, level);
    fits &= fit_buffer(&s->normals, n * 12, cx, cy, level);
    if (!fits) {
        s->quad_count = 0;
        return 0;
    }
    memcpy(s->vertices, built_vertices, (size_t)quads * 12 * sizeof(float));
    memcpy(s->tex_coords, built_tex_coords, (size_t)quads * 8 * sizeof(float));
    memcpy(s->normals, built_normals, (size_t)quads * 12 * sizeof(float));
    s->quad_count = quads;
    return 1;
}

int create_polygons(int cx, int cy, int level)
{
    int slot = world_slot(cx, cy, level);
    if (slot < 0 || slot >= POOL_SLOTS)
        return 0;
    cube_slot *s = &cubes[slot];
    if (!s->loaded)
        return 0;
    mesh_context m;
    m.self = s;
    m.next[FACE_BOTTOM] = held_chunk(cx, cy, level - 1);
    m.next[FACE_TOP] = held_chunk(cx, cy, level + 1);
    m.next[FACE_LY_MINUS] = held_chunk(cx, cy + 1, level);
    m.next[FACE_LY_PLUS] = held_chunk(cx, cy - 1, level);
    m.next[FACE_LX_MINUS] = held_chunk(cx + 1, cy, level);
    m.next[FACE_LX_PLUS] = held_chunk(cx - 1, cy, level);
    s->face_count = mark_faces(&m);
    return keep_mesh(s, emit_runs(s, cx, cy, level), cx, cy, level);
}

void remesh_if_held(int cx, int cy, int level)
{
    if (held_chunk(cx, cy, level))
        create_polygons(t_zn(cx), t_zn(cy), level);
}
