// mesher.cpp — chunk meshing.
#include "render/mesher.h"

#include "platform/platform.h"
#include "render/materials.h"
#include "world/world.h"

#include <cfloat>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// In line: the face tests ask it some two million times a chunk.
static inline int opaque(int id)
{
    return id >= 0 && id < TEXTURED_IDS && materials[id].solid == 1;
}

int block_is_solid(int id)
{
    return opaque(id);
}

// One face of the unit cube: corner signs (x, y, z) and texture offsets, in
// counter-clockwise order seen from outside.
struct face_shape {
    signed char corner[4][3];
    signed char tex[4][2];
};

static const face_shape FACES[6] = {
    {{{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{{-1, 1, 1}, {1, 1, 1}, {1, 1, -1}, {-1, 1, -1}}, {{0, 0}, {1, 0}, {1, 1}, {0, 1}}},
    {{{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {-1, -1, -1}}, {{1, 0}, {0, 0}, {0, 1}, {1, 1}}},
    {{{1, -1, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}}},
    {{{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}}, {{0, 1}, {0, 0}, {1, 0}, {1, 1}}},
    {{{1, 1, -1}, {1, 1, 1}, {1, -1, 1}, {1, -1, -1}}, {{1, 0}, {0, 0}, {0, 1}, {1, 1}}},
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
// The mesh is built here, then copied into buffers of the size it needs,
// grouped by the way the quads face.
static float built_vertices[MESH_QUAD_CAP * 12];
static float built_tex_coords[MESH_QUAD_CAP * 8];
static uint8_t built_group[MESH_QUAD_CAP];
static quad_group built_groups[MESH_GROUPS];

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

// --- which faces show, a column of 64 blocks at a time ---

// Bit lz of a column's masks stands for its block at lz.
struct column_masks {
    uint64_t solid;      // the block is opaque
    uint64_t vertical;   // a face above or below it shows: neighbour_id's vertical rule
    uint64_t sideways;   // a face beside it shows: its sideways rule
};

// The neighbour rules of neighbour_id, for a block that lies beside a solid one.
static int shows_vertically(int id)
{
    return id <= 9 && !opaque(id);
}

static int shows_sideways(int id)
{
    return id > 10 || !opaque(id);
}

static column_masks masks_of(const uint16_t *column)
{
    column_masks k = {0, 0, 0};
    for (int lz = 0; lz < CHUNK_EDGE; lz++) {
        int id = column[lz];
        uint64_t bit = (uint64_t)1 << lz;
        k.solid |= opaque(id) ? bit : 0;
        k.vertical |= shows_vertically(id) ? bit : 0;
        k.sideways |= shows_sideways(id) ? bit : 0;
    }
    return k;
}

// The masks of every column of the chunk being meshed, [lx][ly].
static column_masks columns[CHUNK_EDGE][CHUNK_EDGE];
// The blocks of each column with a face marked in shown: the emitter visits only these.
static uint64_t column_shown[CHUNK_EDGE][CHUNK_EDGE];

// What a face of column (lx, ly) looks into: one of the chunk's columns, or
// across a border the neighbour's column there; an absent neighbour (only
// held chunks are looked round at) shows nothing.
static uint64_t sideways_next(const mesh_context *m, int face, int lx, int ly)
{
    static const int STEP[FACINGS][2] = {{0, 0}, {0, 0}, {0, -1}, {0, 1}, {-1, 0}, {1, 0}};   // lx, ly
    int nx = lx + STEP[face][0], ny = ly + STEP[face][1];
    if (nx >= 0 && nx < CHUNK_EDGE && ny >= 0 && ny < CHUNK_EDGE)
        return columns[nx][ny].sideways;
    const cube_slot *c = m->next[face];
    return c ? masks_of(c->blocks[nx & 63][ny & 63]).sideways : 0;
}

// Bit 0 or 63 of the column above or below, across the border.
static uint64_t vertical_next(const mesh_context *m, int face, int lx, int ly)
{
    const cube_slot *c = m->next[face];
    if (!c)
        return 0;
    int id = c->blocks[lx][ly][face == FACE_TOP ? 0 : 63];
    return shows_vertically(id) ? (face == FACE_TOP ? (uint64_t)1 << 63 : 1) : 0;
}

// The blocks of column (lx, ly) with face `face` showing.
static uint64_t faces_of_column(const mesh_context *m, int lx, int ly, int face)
{
    const column_masks *k = &columns[lx][ly];
    switch (face) {
    case FACE_BOTTOM: return k->solid & (k->vertical << 1 | vertical_next(m, face, lx, ly));
    case FACE_TOP: return k->solid & (k->vertical >> 1 | vertical_next(m, face, lx, ly));
    default: return k->solid & sideways_next(m, face, lx, ly);
    }
}

// Marks the faces that show, counting them as the quad limit counts faces.
// Returns the count; past the limit it stops after the block that passed it
// and says so, leaving the rest of the chunk unmeshed.
static int mark_faces(const mesh_context *m)
{
    const cube_slot *s = m->self;
    memset(shown, 0, sizeof shown);
    memset(column_shown, 0, sizeof column_shown);
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++)
            columns[lx][ly] = masks_of(s->blocks[lx][ly]);
    int count = 0;
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++) {
            if (!columns[lx][ly].solid)   // air above the ground: nothing to look round for
                continue;
            uint64_t faces[6], any = 0;
            for (int face = 0; face < 6; face++)
                any |= faces[face] = faces_of_column(m, lx, ly, face);
            for (; any; any &= any - 1) {
                int lz = __builtin_ctzll(any);
                uint8_t bits = 0;
                for (int face = 0; face < 6; face++)
                    bits |= (uint8_t)((faces[face] >> lz & 1) << face);
                count += __builtin_popcount(bits);
                shown[block_index(lx, ly, lz)] = bits;
                column_shown[lx][ly] |= (uint64_t)1 << lz;
                if (count > MESH_QUAD_LIMIT) {
                    printf("stoped building, polygons: %i \n", count);
                    return count;
                }
            }
        }
    return count;
}

// A long quad's sides meet the corners of shorter quads beside it (T-junctions),
// where rounding on screen can leave a pixel uncovered and show the sky. Each
// quad reaches this far past its long sides, with its texture kept in place,
// which closes those pinholes yet stays far below a pixel in view.
constexpr float SEAM_OVERLAP = 1.0f / 1024;

static void widen_group(quad_group *g, const quad_group *by)
{
    g->front = by->front < g->front ? by->front : g->front;
    for (int a = 0; a < 3; a++) {
        g->low[a] = by->low[a] < g->low[a] ? by->low[a] : g->low[a];
        g->high[a] = by->high[a] > g->high[a] ? by->high[a] : g->high[a];
    }
}

static void clear_groups(quad_group *g)
{
    for (int i = 0; i < MESH_GROUPS; i++)
        g[i] = {FLT_MAX, {FLT_MAX, FLT_MAX, FLT_MAX}, {-FLT_MAX, -FLT_MAX, -FLT_MAX}};
}

// Quad q: face of a run of `length` blocks from the block centred at (x, y, z),
// in group `group`. Its texture repeats once a block along the run (the tile
// strip's s repeats).
static void write_quad(int q, int group, int length, float x, float y, float z, int tile)
{
    int face = group / MESH_QUARTERS;
    const face_shape *f = &FACES[face];
    int run_axis = runs_along_lx(face) ? 0 : 2;
    int flat_axis = FACING_AXIS[face];
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
    }
    built_group[q] = (uint8_t)group;
    const float centre[3] = {x, y, z};
    quad_group *g = &built_groups[group];
    float front = along_facing(face, centre) + 0.5f;
    g->front = front < g->front ? front : g->front;
    for (const float *v = &built_vertices[12 * q]; v < &built_vertices[12 * q + 12]; v += 3)
        for (int a = 0; a < 3; a++) {
            g->low[a] = v[a] < g->low[a] ? v[a] : g->low[a];
            g->high[a] = v[a] > g->high[a] ? v[a] : g->high[a];
        }
}

// Layer of blocks whose faces of one kind look into the next chunk that way:
// lx, ly and lz from lo to hi, all 0 ... 63 for the whole chunk.
struct block_range {
    int lo[3], hi[3];
};

static block_range whole_chunk()
{
    return {{0, 0, 0}, {63, 63, 63}};
}

static block_range border_layer(int face)
{
    block_range r = whole_chunk();
    int axis = face <= FACE_TOP ? 2 : face <= FACE_LY_PLUS ? 1 : 0;   // lz, ly, lx
    r.lo[axis] = r.hi[axis] = face & 1 ? 63 : 0;
    return r;
}

// Joins each face that starts a run with the equal faces after it; 1 quad a run.
// A run never leaves a layer across its faces, so a border layer alone can be emitted.
static int emit_runs(const cube_slot *s, int cx, int cy, int level, block_range r)
{
    int quads = 0;
    clear_groups(built_groups);
    uint64_t layers = (~(uint64_t)0 >> (63 - r.hi[2])) & (~(uint64_t)0 << r.lo[2]);
    for (int lx = r.lo[0]; lx <= r.hi[0]; lx++)
        for (int ly = r.lo[1]; ly <= r.hi[1]; ly++)
            for (uint64_t left = column_shown[lx][ly] & layers; left; left &= left - 1) {
                int lz = __builtin_ctzll(left);
                int i = block_index(lx, ly, lz);
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
                    int quarter = (lx >= CHUNK_EDGE / 2) + 2 * (ly >= CHUNK_EDGE / 2);
                    write_quad(quads++, face * MESH_QUARTERS + quarter, length, (float)(lx - 64.0 * cx),
                               (float)(lz + 64.0 * level), (float)(ly - 64.0 * cy), tile);
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

static void copy_quads(cube_slot *s, int to, int from, int count)
{
    memcpy(&s->vertices[12 * to], &built_vertices[12 * from], (size_t)count * 12 * sizeof(float));
    memcpy(&s->tex_coords[8 * to], &built_tex_coords[8 * from], (size_t)count * 8 * sizeof(float));
}

static int fit_mesh(cube_slot *s, int quads, int cx, int cy, int level)
{
    size_t n = quads > 0 ? (size_t)quads : 1;
    int fits = fit_buffer(&s->tex_coords, n * 8, cx, cy, level);
    fits &= fit_buffer(&s->vertices, n * 12, cx, cy, level);
    return fits;
}

// Copies the built quads into the slot's buffers, group after group, each
// group's after those it already has; the buffers must hold them all.
static void merge_built(cube_slot *s, int quads)
{
    int count[MESH_GROUPS] = {0}, next[MESH_GROUPS];
    for (int q = 0; q < quads; q++)
        count[built_group[q]]++;
    int added = quads;
    // From the last group down, each moves up by the new quads of those
    // before it; nothing is overwritten before it has moved.
    for (int g = MESH_GROUPS - 1; g >= 0; g--) {
        added -= count[g];
        int had = s->group_first[g + 1] - s->group_first[g], to = s->group_first[g] + added;
        memmove(&s->vertices[12 * to], &s->vertices[12 * s->group_first[g]], (size_t)had * 12 * sizeof(float));
        memmove(&s->tex_coords[8 * to], &s->tex_coords[8 * s->group_first[g]], (size_t)had * 8 * sizeof(float));
        next[g] = to + had;
        s->group_first[g + 1] = to + had + count[g];
        widen_group(&s->groups[g], &built_groups[g]);
    }
    for (int q = 0; q < quads; q++)
        copy_quads(s, next[built_group[q]]++, q, 1);
    s->quad_count += quads;
}

// Keeps the built mesh in the slot's buffers, sized to the quads it needs.
static int keep_mesh(cube_slot *s, int quads, int cx, int cy, int level)
{
    memset(s->group_first, 0, sizeof s->group_first);
    clear_groups(s->groups);
    s->quad_count = 0;
    if (!fit_mesh(s, quads, cx, cy, level))
        return 0;
    merge_built(s, quads);
    return 1;
}

// The chunk's six neighbours, as the face tests look into them.
static void look_round(mesh_context *m, cube_slot *s, int cx, int cy, int level)
{
    m->self = s;
    m->next[FACE_BOTTOM] = held_chunk(cx, cy, level - 1);
    m->next[FACE_TOP] = held_chunk(cx, cy, level + 1);
    m->next[FACE_LY_MINUS] = held_chunk(cx, cy + 1, level);
    m->next[FACE_LY_PLUS] = held_chunk(cx, cy - 1, level);
    m->next[FACE_LX_MINUS] = held_chunk(cx + 1, cy, level);
    m->next[FACE_LX_PLUS] = held_chunk(cx - 1, cy, level);
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
    look_round(&m, s, cx, cy, level);
    s->meshed_toward = 0;
    for (int f = 0; f < FACINGS; f++)
        s->meshed_toward |= (uint8_t)((m.next[f] != nullptr) << f);
    s->face_count = mark_faces(&m);
    return keep_mesh(s, emit_runs(s, cx, cy, level, whole_chunk()), cx, cy, level);
}

void remesh_if_held(int cx, int cy, int level)
{
    if (held_chunk(cx, cy, level))
        create_polygons(t_zn(cx), t_zn(cy), level);
}

// Marks the faces of the border layer that look into the neighbour, which
// are all hidden while it is away; returns how many show.
static int mark_border(const mesh_context *m, int face)
{
    block_range r = border_layer(face);
    int count = 0;
    for (int lx = r.lo[0]; lx <= r.hi[0]; lx++)
        for (int ly = r.lo[1]; ly <= r.hi[1]; ly++)
            for (int lz = r.lo[2]; lz <= r.hi[2]; lz++) {
                int bit = opaque(m->self->blocks[lx][ly][lz]) &&
                          !opaque(neighbour_id(m, face, lx, ly, lz));
                shown[block_index(lx, ly, lz)] = (uint8_t)(bit << face);
                uint64_t at = (uint64_t)1 << lz;
                column_shown[lx][ly] = bit ? column_shown[lx][ly] | at : column_shown[lx][ly] & ~at;
                count += bit;
            }
    return count;
}

void mesh_faces_toward(int cx, int cy, int level, int face)
{
    cube_slot *s = held_chunk(cx, cy, level);
    if (!s)
        return;
    cx = t_zn(cx), cy = t_zn(cy);
    mesh_context m;
    look_round(&m, s, cx, cy, level);
    int bit = 1 << face;
    if (!m.next[face])
        return;
    // Faces once meshed toward a neighbour that has come back may have changed with it.
    if (!s->vertices || s->meshed_toward & bit) {
        create_polygons(cx, cy, level);
        return;
    }
    int faces = mark_border(&m, face);
    if (s->face_count + faces > MESH_QUAD_LIMIT) {   // the whole mesh says where it stops
        create_polygons(cx, cy, level);
        return;
    }
    int added = emit_runs(s, cx, cy, level, border_layer(face));
    if (fit_mesh(s, s->quad_count + added, cx, cy, level)) {
        merge_built(s, added);
        s->face_count += faces;
        s->meshed_toward |= (uint8_t)bit;
    }
}
