// streaming.cpp — chunk streaming and drawing.
#include "world/streaming.h"

#include "platform/platform.h"
#include "render/c_math.h"
#include "render/frustum_calc.h"
#include "render/mesher.h"
#include "save/saver.h"
#include "world/terrain.h"
#include "world/world.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>

int32_t c_position_x, c_position_y, c_position_z;
int32_t already_created = 0;
int32_t quads_drawn = 0;
int32_t draw_calls = 0;
int32_t faces_drawn = 0;

static int pool_full_reported = 0;

// --- building ---

// The faces on the new chunk's borders of its held neighbours change with it.
static void remesh_neighbours(int x, int y, int level)
{
    mesh_faces_toward(x, y, level + 1, FACE_BOTTOM);
    if (level > 0)
        mesh_faces_toward(x, y, level - 1, FACE_TOP);
    mesh_faces_toward(x, y + 1, level, FACE_LY_PLUS);
    mesh_faces_toward(x, y - 1, level, FACE_LY_MINUS);
    mesh_faces_toward(x + 1, y, level, FACE_LX_PLUS);
    mesh_faces_toward(x - 1, y, level, FACE_LX_MINUS);
}

int build_chunk(int x, int y, int level)
{
    int slot = find_free_cube();
    if (slot == NO_SLOT) {
        // A live chunk is never overwritten; say so once until a slot frees up.
        if (!pool_full_reported)
            printf("chunk pool full, %i %i %i not built \n", x, y, level);
        pool_full_reported = 1;
        return 0;
    }
    pool_full_reported = 0;
    int16_t *entry = world_entry(x, y, level);
    cube_slot *c = &cubes[slot];
    *entry = (int16_t)slot;
    // A file that cannot be used is set aside; the chunk is then new terrain.
    if (check(x, y, level) && load_w(x, y, level)) {
        c->loaded = 1;
        printf("loaded %i,%i %i %i \n", slot, x, y, level);
    } else {
        generateCube(slot, x, y, level);
        chunk_changed(x, y, level);
        printf("created %i,%i %i %i \n", slot, x, y, level);
    }
    already_created = BUILD_COOLDOWN;
    if (!create_polygons(x, y, level)) {
        free_mesh(c);
        c->loaded = 0;
        *entry = NO_SLOT;
        return 0;
    }
    remesh_neighbours(x, y, level);
    return 1;
}

// --- fog only where it shows ---

// Linear fog leaves everything nearer than its start as it is and turns
// everything past its end into its own colour, yet costs a third of the
// drawing of every pixel. So each group of quads is drawn by where its box
// lies in depth (distance along the view): wholly before the fog, without
// it; across its start, twice, cut there by a clip plane, the near part
// without fog and the far part with it; further, with fog; wholly past its
// end, in the fog's colour alone, without texture or light. Every pixel
// comes out as fog would make it, and past the fog's end, most of a wide
// view, the quads cost least.
enum { BAND_CLEAR, BAND_CUT, BAND_FOGGED, BAND_HIDDEN };

// The two parts of a cut group overlap by a hair, which the fog there does
// not change by a shade, so no pixel on the cut is left to the sky.
constexpr float CUT_OVERLAP = 0.05f;

struct fog_reach {
    int on;
    float start, end;   // depths
};

static float view_row[3];   // depth of a render-space offset from the eye: its dot product with this

// The band of the box from low to high.
static int band_of(const fog_reach *fog, const float low[3], const float high[3], const float eye[3])
{
    if (!fog->on)
        return BAND_CLEAR;
    float centre = 0, reach = 0;
    for (int a = 0; a < 3; a++) {
        centre += view_row[a] * ((low[a] + high[a]) / 2 - eye[a]);
        reach += fabsf(view_row[a]) * (high[a] - low[a]) / 2;
    }
    if (centre + reach <= fog->start)
        return BAND_CLEAR;
    if (centre - reach < fog->start)
        return BAND_CUT;
    return centre - reach >= fog->end ? BAND_HIDDEN : BAND_FOGGED;
}

// Clip plane 0 keeps what lies nearer than depth (near_side) or farther.
static void cut_at(float depth, int near_side)
{
    // In eye space, where depth is -z.
    const double nearer[4] = {0, 0, 1, depth}, farther[4] = {0, 0, -1, -depth};
    glPushMatrix();
    glLoadIdentity();
    glClipPlane(GL_CLIP_PLANE0, near_side ? nearer : farther);
    glPopMatrix();
}

// --- drawing ---

// Whether group g of a chunk's quads is worth handing to GL: an empty one
// costs nothing; else the eye must lie in front of one of its planes at
// least (GL would transform and light the quads only to cull them), and its
// box must be in view and in this pass's band.
static int group_drawn(const cube_slot *c, int g, const fog_reach *fog, int band, const float eye[3])
{
    const quad_group *q = &c->groups[g];
    int f = g / MESH_QUARTERS;
    float along = along_facing(f, eye);
    return c->group_first[g] == c->group_first[g + 1] ||
           (along > q->front && BoxInFrustum(q->low, q->high) && band_of(fog, q->low, q->high, eye) == band);
}

// The world's one light is a direction, so all quads of one facing are lit
// alike: GL's lighting sum for each facing, worked out once a pass rather
// than for every vertex, colours them the same. Null while lighting is off.
static float facing_colour[FACINGS][4];
static const float (*lit)[4];

static void light_facings(const float view[16])
{
    lit = nullptr;
    if (!glIsEnabled(GL_LIGHTING))
        return;
    float ambient[4], diffuse[4], emission[4], scene[4], light_ambient[4], light_diffuse[4], toward[4];
    glGetMaterialfv(GL_FRONT, GL_AMBIENT, ambient);
    glGetMaterialfv(GL_FRONT, GL_DIFFUSE, diffuse);
    glGetMaterialfv(GL_FRONT, GL_EMISSION, emission);
    glGetFloatv(GL_LIGHT_MODEL_AMBIENT, scene);
    glGetLightfv(GL_LIGHT1, GL_AMBIENT, light_ambient);
    glGetLightfv(GL_LIGHT1, GL_DIFFUSE, light_diffuse);
    glGetLightfv(GL_LIGHT1, GL_POSITION, toward);   // in eye space
    float length = sqrtf(toward[0] * toward[0] + toward[1] * toward[1] + toward[2] * toward[2]);
    for (int f = 0; f < FACINGS; f++) {
        // The facing's normal, +-1 along one axis, turned into eye space.
        float sign = f & 1 ? 1.0f : -1.0f, facing = 0;
        for (int r = 0; r < 3; r++)
            facing += sign * view[4 * FACING_AXIS[f] + r] * toward[r];
        facing = length > 0 && facing > 0 ? facing / length : 0;
        for (int k = 0; k < 3; k++) {
            float v = emission[k] + ambient[k] * (scene[k] + light_ambient[k]) + facing * diffuse[k] * light_diffuse[k];
            facing_colour[f][k] = v < 0 ? 0 : v > 1 ? 1 : v;
        }
        facing_colour[f][3] = diffuse[3];
    }
    lit = facing_colour;
}

// A draw call a run of groups worth drawing: testing each quad against the
// view would cost more than letting GL clip the few outside. While lit, a
// run ends with its facing, as the next has its own colour.
static void draw_chunk(const cube_slot *c, const fog_reach *fog, int band, const float eye[3])
{
    const float(*colour)[4] = band == BAND_HIDDEN ? nullptr : lit;
    glVertexPointer(3, GL_FLOAT, 12, c->vertices);
    glTexCoordPointer(2, GL_FLOAT, 8, c->tex_coords);
    faces_drawn += band == BAND_CLEAR ? c->face_count : 0;   // every chunk in view comes to the first pass
    // Each group is looked at once; a run of drawn groups ends at the first one not drawn.
    int run = -1;
    for (int g = 0; g <= MESH_GROUPS; g++) {
        int drawn = g < MESH_GROUPS && group_drawn(c, g, fog, band, eye);
        int turns = colour && g % MESH_QUARTERS == 0;
        if (drawn && run < 0)
            run = g;
        if ((drawn && !turns) || run < 0 || run == g)
            continue;
        int first = c->group_first[run], quads = c->group_first[g] - first;
        if (quads > 0) {
            if (colour)
                glColor4fv(colour[run / MESH_QUARTERS]);
            quads_drawn += quads;
            glDrawArrays(GL_QUADS, 4 * first, 4 * quads);
            draw_calls++;
        }
        run = drawn ? g : -1;
    }
}

// Shift of a window position outside the map: it is drawn where it would lie
// unwrapped, one world width away.
static double wrap_shift(int *n)
{
    double width = 64.0 * world_size;
    if (*n < 0) {
        *n += world_size;
        return width;
    }
    if (*n >= world_size) {
        *n -= world_size;
        return -width;
    }
    return 0;
}

// The held chunk at a window position, null when there is none to draw.
static const cube_slot *drawable(int x, int y, int level)
{
    // A window wider than the world meets a column twice; it stays on the map.
    if (x < 0 || x >= world_size || y < 0 || y >= world_size)
        return nullptr;
    int slot = *world_entry(x, y, level);
    const cube_slot *c = slot >= 0 && slot < POOL_SLOTS ? &cubes[slot] : nullptr;
    return c && c->loaded && c->vertices && c->quad_count > 0 ? c : nullptr;
}

static void visit(int x, int y, int level, const fog_reach *fog, int band)
{
    double sx = wrap_shift(&x);
    double sy = wrap_shift(&y);
    const cube_slot *c = drawable(x, y, level);
    if (!c)
        return;
    const float eye[3] = {(float)-(camera_x + sx), (float)camera_z, (float)-(camera_y + sy)};
    int shifted = sx != 0 || sy != 0;
    if (shifted) {
        glPushMatrix();
        glLoadIdentity();
        glRotatef(camera_rot_x, 1, 0, 0);
        glRotatef(camera_rot_y, 0, 1, 0);
        glTranslatef((float)(camera_x + sx), (float)-camera_z, (float)(camera_y + sy));
        CalculateFrustum();
    }
    if (CubeInFrustum(-64.0f * x + 32, 64.0f * level + 32, -64.0f * y + 32, 34.0f))
        draw_chunk(c, fog, band, eye);
    if (shifted) {
        glPopMatrix();
        CalculateFrustum();
    }
}

// --- the pass over the window round the camera ---

struct window_spot {
    int16_t x, y, level;
};
constexpr int WINDOW_SPOTS_MAX = 8 * 8 * 8;   // the widest window: distance 3
static window_spot spots[WINDOW_SPOTS_MAX];

// Lists the load window's positions, x outermost, level innermost, each ascending.
static int list_window(int vr)
{
    int x0 = c_position_x - vr + (c_position_x != 0 ? 1 : 0);
    int y0 = c_position_y - vr + (c_position_y != 0 ? 1 : 0);
    int top = c_position_z + vr + 1 < TOP_STREAMED_LEVEL ? c_position_z + vr + 1 : TOP_STREAMED_LEVEL;
    int n = 0;
    for (int x = x0; x <= c_position_x + vr + 1; x++)
        for (int y = y0; y <= c_position_y + vr + 1; y++)
            for (int level = c_position_z - vr; level <= top; level++)
                if (level >= 0 && n < WINDOW_SPOTS_MAX)
                    spots[n++] = {(int16_t)x, (int16_t)y, (int16_t)level};
    return n;
}

// Builds the first chunk of the window not held yet, when building may go on;
// 1 when one was built. With no slot free, the write that frees one (a chunk
// left behind) goes first.
static int build_next(int n)
{
    if (already_created != 0 || find_free_cube() == NO_SLOT)
        return 0;
    for (int i = 0; i < n && already_created == 0; i++) {
        int x = spots[i].x, y = spots[i].y;
        wrap_shift(&x);
        wrap_shift(&y);
        if (x >= 0 && x < world_size && y >= 0 && y < world_size && *world_entry(x, y, spots[i].level) == NO_SLOT &&
            build_chunk(x, y, spots[i].level))
            return 1;
    }
    return 0;
}

static void draw_band(int n, const fog_reach *fog, int band)
{
    for (int i = 0; i < n; i++)
        visit(spots[i].x, spots[i].y, spots[i].level, fog, band);
}

// Past the fog's end a pixel is the fog's colour whatever its texture and light.
static void draw_hidden_band(int n, const fog_reach *fog)
{
    float colour[4];
    glGetFloatv(GL_FOG_COLOR, colour);
    glPushAttrib(GL_ENABLE_BIT);
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    glDisable(GL_FOG);
    glDisable(GL_TEXTURE_2D);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glColor4fv(colour);
    draw_band(n, fog, BAND_HIDDEN);
    glPopClientAttrib();
    glPopAttrib();
}

void draw_buffs()
{
    if (!world)
        return;
    glBindTexture(GL_TEXTURE_2D, g_tiles);
    CalculateFrustum();
    quads_drawn = 0;
    draw_calls = 0;
    faces_drawn = 0;
    c_position_x = (int)(camera_x * 0.015625);
    c_position_y = (int)(camera_y * 0.015625);
    c_position_z = (int)(camera_z * 0.015625);
    int n = list_window(vision_range);
    // A pass builds a chunk or begins a write, never both: a build takes 1 ms
    // or more, and taking a chunk's blocks for its write a few tenths more.
    int built = build_next(n);
    float view[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    for (int a = 0; a < 3; a++)
        view_row[a] = -view[4 * a + 2];
    fog_reach fog = {glIsEnabled(GL_FOG), 0, 0};
    glGetFloatv(GL_FOG_START, &fog.start);
    glGetFloatv(GL_FOG_END, &fog.end);
    light_facings(view);
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    draw_band(n, &fog, BAND_CLEAR);
    if (fog.on) {
        glEnable(GL_CLIP_PLANE0);
        cut_at(fog.start + CUT_OVERLAP, 1);
        draw_band(n, &fog, BAND_CUT);
        glEnable(GL_FOG);
        cut_at(fog.start - CUT_OVERLAP, 0);
        draw_band(n, &fog, BAND_CUT);
        glDisable(GL_CLIP_PLANE0);
        draw_band(n, &fog, BAND_FOGGED);
        draw_hidden_band(n, &fog);
    }
    glPopAttrib();
    glBindTexture(GL_TEXTURE_2D, g_textures);   // the boxes and particles drawn next use the atlas
    re_save(built ? 0 : WRITES_PER_PASS);
}
