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
#include <cstdio>
#include <cstdlib>

int32_t c_position_x, c_position_y, c_position_z;
int32_t already_created = 0;
int32_t quads_drawn = 0;
int32_t draw_calls = 0;
int32_t faces_drawn = 0;

static int pool_full_reported = 0;

// --- building ---

static void free_mesh(cube_slot *c)
{
    free(c->tex_coords);
    free(c->vertices);
    free(c->normals);
    c->tex_coords = c->vertices = c->normals = nullptr;
}

// The faces on the new chunk's borders of its held neighbours change with it.
static void remesh_neighbours(int x, int y, int level)
{
    remesh_if_held(x, y, level + 1);
    if (level > 0)
        remesh_if_held(x, y, level - 1);
    remesh_if_held(x, t_zn(y + 1), level);
    remesh_if_held(x, t_zn(y - 1), level);
    remesh_if_held(t_zn(x + 1), y, level);
    remesh_if_held(t_zn(x - 1), y, level);
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

// --- drawing ---

// A chunk in view is one draw call: its quads are few and long, and testing
// each against the view costs more than letting GL clip the ones outside.
static void draw_chunk(const cube_slot *c, int x, int y, int level)
{
    if (!CubeInFrustum(-64.0f * x + 32, 64.0f * level + 32, -64.0f * y + 32, 34.0f))
        return;
    glVertexPointer(3, GL_FLOAT, 12, c->vertices);
    glTexCoordPointer(2, GL_FLOAT, 8, c->tex_coords);
    glNormalPointer(GL_FLOAT, 12, c->normals);
    quads_drawn += c->quad_count;
    faces_drawn += c->face_count;
    glDrawArrays(GL_QUADS, 0, 4 * c->quad_count);
    draw_calls++;
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

static void visit(int x, int y, int level)
{
    double sx = wrap_shift(&x);
    double sy = wrap_shift(&y);
    int shifted = sx != 0 || sy != 0;
    if (shifted) {
        glPushMatrix();
        glLoadIdentity();
        glRotatef(camera_rot_x, 1, 0, 0);
        glRotatef(camera_rot_y, 0, 1, 0);
        glTranslatef((float)(camera_x + sx), (float)-camera_z, (float)(camera_y + sy));
        CalculateFrustum();
    }
    // A window wider than the world meets a column twice; it stays on the map.
    if (x >= 0 && x < world_size && y >= 0 && y < world_size) {
        if (already_created == 0 && *world_entry(x, y, level) == NO_SLOT)
            build_chunk(x, y, level);
        int slot = *world_entry(x, y, level);
        if (slot >= 0 && slot < POOL_SLOTS && cubes[slot].loaded && cubes[slot].vertices && cubes[slot].quad_count > 0)
            draw_chunk(&cubes[slot], x, y, level);
    }
    if (shifted) {
        glPopMatrix();
        CalculateFrustum();
    }
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
    int vr = vision_range;
    int x0 = c_position_x - vr + (c_position_x != 0 ? 1 : 0);
    int y0 = c_position_y - vr + (c_position_y != 0 ? 1 : 0);
    int top = c_position_z + vr + 1 < TOP_STREAMED_LEVEL ? c_position_z + vr + 1 : TOP_STREAMED_LEVEL;
    for (int x = x0; x <= c_position_x + vr + 1; x++)
        for (int y = y0; y <= c_position_y + vr + 1; y++)
            for (int level = c_position_z - vr; level <= top; level++)
                if (level >= 0)
                    visit(x, y, level);
    glBindTexture(GL_TEXTURE_2D, g_textures);   // the boxes and particles drawn next use the atlas
    re_save();
}
