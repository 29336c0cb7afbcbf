// saver.cpp — chunk files and writing chunks out.
#include "save/saver.h"

#include "app/engine.h"
#include "platform/platform.h"
#include "render/materials.h"
#include "world/streaming.h"
#include "world/world.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

static const char *world_name = "";
static cube_slot *cubes_s = nullptr;
static float s_header = 0;

// One chunk as it stands in its file.
static unsigned char file_bytes[CHUNK_FILE_BYTES];

void init_save_load(int16_t *map, cube_slot *pool, int size, const char *name)
{
    world = map;
    cubes_s = pool;
    world_size = size;
    world_name = name;
    s_header = 0.1f;
    printf("save_load version %f, world name %s \n", s_header, name);
}

void chunk_path(char *out, int size, int cx, int cy, int level)
{
    snprintf(out, (size_t)size, "./saves/%s/%i-%i-%i.qrb", world_name, cx, cy, level);
}

int check(int cx, int cy, int level)
{
    char path[256];
    chunk_path(path, sizeof path, cx, cy, level);
    return plat_file_exists(path);
}

static cube_slot *slot_of(int cx, int cy, int level)
{
    if (!cubes_s || !world || cx < 0 || cy < 0 || cx >= world_size || cy >= world_size || level < 0 ||
        level >= WORLD_LEVELS)
        return nullptr;
    int slot = *world_entry(cx, cy, level);
    return slot >= 0 && slot < POOL_SLOTS ? &cubes_s[slot] : nullptr;
}

// --- writing ---

static void encode(const cube_slot *c)
{
    const uint16_t *ids = &c->blocks[0][0][0];
    for (long i = 0; i < CHUNK_BLOCKS; i++) {
        file_bytes[2 * i] = (unsigned char)(ids[i] & 0xff);
        file_bytes[2 * i + 1] = (unsigned char)(ids[i] >> 8);
    }
}

// Written beside the old file, flushed to disk, then renamed over it: a game
// killed halfway leaves the old file or the new one, never a torn one.
static int write_whole(const char *path, const char *tmp)
{
    FILE *f = fopen(tmp, "wb");
    if (!f)
        return 0;
    int ok = fwrite(file_bytes, 1, CHUNK_FILE_BYTES, f) == (size_t)CHUNK_FILE_BYTES;
    ok = fflush(f) == 0 && ok;
    ok = fsync(fileno(f)) == 0 && ok;
    ok = fclose(f) == 0 && ok;
    return ok && rename(tmp, path) == 0;
}

void save_w(int cx, int cy, int level)
{
    cube_slot *c = slot_of(cx, cy, level);
    if (!c)
        return;
    char path[256], tmp[272];
    chunk_path(path, sizeof path, cx, cy, level);
    snprintf(tmp, sizeof tmp, "%s.tmp", path);
    encode(c);
    errno = 0;
    if (!write_whole(path, tmp)) {
        int e = errno;
        remove(tmp);
        printf("cannot write %s: %s \n", path, e ? strerror(e) : "short write");
    }
}

// --- reading ---

static long file_size(FILE *f)
{
    if (fseek(f, 0, SEEK_END) != 0)
        return -1;
    long size = ftell(f);
    rewind(f);
    return size;
}

// Ids no table holds are air.
static void decode(cube_slot *c, long bytes)
{
    uint16_t *ids = &c->blocks[0][0][0];
    memset(ids, 0, sizeof c->blocks);
    for (long i = 0; 2 * i + 1 < bytes && i < CHUNK_BLOCKS; i++) {
        uint16_t id = (uint16_t)(file_bytes[2 * i] | file_bytes[2 * i + 1] << 8);
        ids[i] = id < TEXTURED_IDS ? id : 0;
    }
}

// Moves a damaged or unreadable file aside under a name that is not taken
// yet, so the chunk written back later never replaces what the player had.
static void set_aside(const char *path, const char *what)
{
    char aside[300];
    snprintf(aside, sizeof aside, "%s.damaged", path);
    for (int n = 1; plat_file_exists(aside) && n < 1000; n++)
        snprintf(aside, sizeof aside, "%s.damaged.%d", path, n);
    if (rename(path, aside) == 0)
        printf("chunk file %s %s, moved to %s \n", path, what, aside);
    else
        printf("chunk file %s %s, cannot move it: %s \n", path, what, strerror(errno));
}

void load_w(int cx, int cy, int level)
{
    cube_slot *c = slot_of(cx, cy, level);
    if (!c)
        return;
    char path[256];
    chunk_path(path, sizeof path, cx, cy, level);
    FILE *f = fopen(path, "rb");
    long size = -1, got = 0;
    int read_error = f ? 0 : errno;
    if (f) {
        size = file_size(f);
        got = (long)fread(file_bytes, 1, CHUNK_FILE_BYTES, f);
        read_error = ferror(f) ? errno : 0;
        fclose(f);
    }
    decode(c, got);
    char what[128];
    if (read_error)
        snprintf(what, sizeof what, "cannot be read (%s)", strerror(read_error));
    else if (size != CHUNK_FILE_BYTES)
        snprintf(what, sizeof what, "is damaged (%ld bytes)", size);
    else
        return;
    set_aside(path, what);
}

// --- writing out ---

// Columns cx0 - vr ... cx0 + vr + 1 of the wrapping world.
static int near_column(int x, int x0)
{
    int ws = world_size, vr = vision_range;
    int d = ((x0 - x) % ws + ws) % ws;
    return d <= vr || d >= ws - vr - 1;
}

int in_keep_window(int x, int y, int level)
{
    return near_column(x, c_position_x) && near_column(y, c_position_y) &&
           level >= c_position_z - vision_range && level <= c_position_z + vision_range + 1;
}

static void release(int x, int y, int level)
{
    cube_slot *c = slot_of(x, y, level);
    if (!c)
        return;
    free(c->normals);
    free(c->tex_coords);
    free(c->vertices);
    c->normals = c->tex_coords = c->vertices = nullptr;
    save_w(x, y, level);
    c->loaded = 0;
    *world_entry(x, y, level) = NO_SLOT;
}

void re_save()
{
    if (!world)
        return;
    for (int x = 0; x < world_size; x++)
        for (int y = 0; y < world_size; y++)
            for (int z = 0; z < WORLD_LEVELS; z++)
                if (*world_entry(x, y, z) != NO_SLOT && !in_keep_window(x, y, z))
                    release(x, y, z);
}

void save_all()
{
    if (!game || !world)
        return;
    for (int x = 0; x < world_size; x++)
        for (int y = 0; y < world_size; y++)
            for (int z = 0; z < WORLD_LEVELS; z++)
                if (*world_entry(x, y, z) != NO_SLOT)
                    release(x, y, z);
}
