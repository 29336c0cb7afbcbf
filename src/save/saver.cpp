// saver.cpp — chunk files and writing chunks out.
#include "save/saver.h"

#include "platform/platform.h"
#include "platform/writer.h"
#include "render/materials.h"
#include "world/streaming.h"
#include "world/world.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char *world_name = "";
static cube_slot *cubes_s = nullptr;
static float s_header = 0;
static double autosave_age_ms = AUTOSAVE_AGE_MS;

// One chunk as it stands in its file.
static unsigned char file_bytes[CHUNK_FILE_BYTES];

// How each slot's chunk stands against its file.
struct slot_save_state {
    uint8_t unsaved;        // its blocks differ from its file, or it has none yet
    uint8_t failed;         // the last write of them failed
    double unsaved_since;   // when they first differed (plat_clock_ms)
    double retry_at;        // a failed write is tried again from then on
    uint32_t changes;       // counts every change, so a write knows whether it caught the last
};
static slot_save_state saves[POOL_SLOTS];

// The chunk being written in the background: it stays held until its file
// is on disk, and is written as it stood when the write began.
struct background_write {
    int slot;            // NO_SLOT while nothing is written
    uint32_t changes;    // the slot's count when its blocks were taken
    double taken;        // and when (plat_clock_ms)
    char path[256];      // its file, for the report of a failure
};
static background_write writing = {NO_SLOT, 0, 0, ""};
static unsigned char writing_bytes[CHUNK_FILE_BYTES];

// The tests that kill the game after an autosave would otherwise wait half a
// minute for it: they shorten the period through the environment. A player's
// run never sets it; anything but a whole number of seconds from 1 up to the
// normal period is ignored.
static double autosave_age_from_env()
{
    const char *text = getenv("QUARROW_AUTOSAVE_SECONDS");
    char *end = nullptr;
    long seconds = text ? strtol(text, &end, 10) : 0;
    if (!text || end == text || *end || seconds < 1 || seconds * 1000 > AUTOSAVE_AGE_MS)
        return AUTOSAVE_AGE_MS;
    return seconds * 1000.0;
}

void init_save_load(int16_t *map, cube_slot *pool, int size, const char *name)
{
    finish_writes();
    world = map;
    cubes_s = pool;
    world_size = size;
    world_name = name;
    s_header = 0.1f;
    memset(saves, 0, sizeof saves);
    autosave_age_ms = autosave_age_from_env();
    printf("save_load version %f, world name %s \n", s_header, name);
}

double autosave_period_ms()
{
    return autosave_age_ms;
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

static int slot_index(int cx, int cy, int level)
{
    int slot = cubes_s ? world_slot(cx, cy, level) : NO_SLOT;
    return slot >= 0 && slot < POOL_SLOTS ? slot : NO_SLOT;
}

void chunk_changed(int cx, int cy, int level)
{
    int slot = slot_index(cx, cy, level);
    if (slot == NO_SLOT)
        return;
    saves[slot].changes++;
    if (saves[slot].unsaved)
        return;
    saves[slot].unsaved = 1;
    saves[slot].unsaved_since = plat_clock_ms();
}

int saving_fails()
{
    for (int i = 0; i < POOL_SLOTS; i++)
        if (saves[i].failed && cubes_s && cubes_s[i].loaded)
            return 1;
    return 0;
}

// --- writing ---

static void encode(const cube_slot *c, unsigned char *bytes)
{
    const uint16_t *ids = &c->blocks[0][0][0];
    for (long i = 0; i < CHUNK_BLOCKS; i++) {
        bytes[2 * i] = (unsigned char)(ids[i] & 0xff);
        bytes[2 * i + 1] = (unsigned char)(ids[i] >> 8);
    }
}

// A failed write leaves the chunk unsaved and held; it is said once, not at
// every retry.
static void write_failed(int slot, const char *path, int e)
{
    if (!saves[slot].failed)
        printf("cannot write %s: %s \n", path, e ? strerror(e) : "short write");
    saves[slot].failed = 1;
    saves[slot].retry_at = plat_clock_ms() + SAVE_RETRY_MS;
}

int save_w(int cx, int cy, int level)
{
    int slot = slot_index(cx, cy, level);
    if (slot == NO_SLOT)
        return 0;
    finish_writes();   // never two writers on one file
    char path[256];
    chunk_path(path, sizeof path, cx, cy, level);
    encode(&cubes_s[slot], file_bytes);
    if (!plat_replace_file(path, file_bytes, CHUNK_FILE_BYTES)) {
        write_failed(slot, path, errno);
        return 0;
    }
    memset(&saves[slot], 0, sizeof saves[slot]);
    return 1;
}

// The background write, when one was begun: what it ended with becomes the
// chunk's state. A chunk changed while it was written stays unsaved.
static void end_write(int wait)
{
    if (writing.slot == NO_SLOT)
        return;
    int ended = plat_replace_file_end(wait);
    if (ended == WRITE_RUNNING)
        return;
    slot_save_state *s = &saves[writing.slot];
    if (ended == 1 && s->changes == writing.changes)
        *s = {};
    else if (ended == 1)   // only what changed after the blocks were taken is left to write
        s->failed = 0, s->unsaved_since = writing.taken;
    else
        write_failed(writing.slot, writing.path, errno);
    writing.slot = NO_SLOT;
}

void finish_writes()
{
    end_write(1);
}

// Hands the chunk's blocks as they stand to the background writer; 0 while
// it is busy with another.
static int begin_write(int slot, int x, int y, int level)
{
    if (writing.slot != NO_SLOT)
        return 0;
    chunk_path(writing.path, sizeof writing.path, x, y, level);
    encode(&cubes_s[slot], writing_bytes);
    if (!plat_replace_file_begin(writing.path, writing_bytes, CHUNK_FILE_BYTES))
        return 0;
    writing.slot = slot, writing.changes = saves[slot].changes, writing.taken = plat_clock_ms();
    return 1;
}

// --- reading ---

// Ids no table holds are kept as they are, so writing the chunk back loses nothing.
static void decode(cube_slot *c)
{
    uint16_t *ids = &c->blocks[0][0][0];
    for (long i = 0; i < CHUNK_BLOCKS; i++)
        ids[i] = (uint16_t)(file_bytes[2 * i] | file_bytes[2 * i + 1] << 8);
}

// Moves a damaged or unreadable file aside under a name that is not taken
// yet, so the file written back later never replaces what the player had.
void set_aside(const char *kind, const char *path, long got, long size)
{
    char what[128], to[300], used[320];
    if (got < 0)
        snprintf(what, sizeof what, "cannot be read (%s)", strerror(errno));
    else
        snprintf(what, sizeof what, "is damaged (%ld bytes)", size);
    snprintf(to, sizeof to, "%s.damaged", path);
    if (plat_move_aside(path, to, used, sizeof used))
        printf("%s %s %s, moved to %s \n", kind, path, what, used);
    else
        printf("%s %s %s, cannot move it: %s \n", kind, path, what, strerror(errno));
}

int load_w(int cx, int cy, int level)
{
    int slot = slot_index(cx, cy, level);
    if (slot == NO_SLOT)
        return 0;
    char path[256];
    chunk_path(path, sizeof path, cx, cy, level);
    long size = -1;
    long got = plat_read_file(path, file_bytes, CHUNK_FILE_BYTES, &size);
    if (got == CHUNK_FILE_BYTES && size == CHUNK_FILE_BYTES) {
        decode(&cubes_s[slot]);
        memset(&saves[slot], 0, sizeof saves[slot]);
        return 1;
    }
    set_aside("chunk file", path, got, size);
    return 0;
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
    int slot = slot_index(x, y, level);
    if (slot == NO_SLOT)
        return;
    cube_slot *c = &cubes_s[slot];
    free_mesh(c);
    c->loaded = 0;
    memset(&saves[slot], 0, sizeof saves[slot]);
    *world_entry(x, y, level) = NO_SLOT;
}

// A chunk whose last write failed waits before it is tried again.
static int may_write(int slot, double now)
{
    return !saves[slot].failed || now >= saves[slot].retry_at;
}

static int writes_left;   // in this pass

// Begins writing an unsaved chunk while the pass may write more.
static void write_in_turn(int x, int y, int level, double now)
{
    int slot = *world_entry(x, y, level);
    if (writes_left > 0 && may_write(slot, now) && begin_write(slot, x, y, level))
        writes_left--;
}

// Chunks that left the keep window: one that matches its file is let go at
// once; one with unsaved blocks is written first, in the background, and let
// go in a later pass.
static void release_left_behind(double now)
{
    for (int x = 0; x < world_size; x++)
        for (int y = 0; y < world_size; y++)
            for (int z = 0; z < WORLD_LEVELS; z++) {
                int slot = *world_entry(x, y, z);
                if (slot == NO_SLOT || in_keep_window(x, y, z))
                    continue;
                if (!saves[slot].unsaved)
                    release(x, y, z);
                else
                    write_in_turn(x, y, z, now);
            }
}

// Chunks in view whose blocks have differed from their file for a while are
// written, so a crash loses little play.
static void autosave(double now)
{
    for (int x = 0; x < world_size; x++)
        for (int y = 0; y < world_size; y++)
            for (int z = 0; z < WORLD_LEVELS; z++) {
                int slot = *world_entry(x, y, z);
                if (slot != NO_SLOT && saves[slot].unsaved && now - saves[slot].unsaved_since >= autosave_age_ms)
                    write_in_turn(x, y, z, now);
            }
}

void re_save(int writes)
{
    if (!world)
        return;
    double now = plat_clock_ms();
    writes_left = writes;
    end_write(0);
    release_left_behind(now);
    autosave(now);
}

// --- the exit save ---

// Chunks written beside their files and waiting for the common flush.
static int16_t staged[POOL_SLOTS][3];
static int staged_count = 0;

// Writes an unsaved chunk beside its file, or lets a saved one go.
static void stage_or_release(int x, int y, int z)
{
    int slot = *world_entry(x, y, z);
    if (!saves[slot].unsaved) {
        release(x, y, z);
        return;
    }
    char path[256];
    chunk_path(path, sizeof path, x, y, z);
    encode(&cubes_s[slot], file_bytes);
    if (!plat_write_beside(path, file_bytes, CHUNK_FILE_BYTES)) {
        write_failed(slot, path, errno);
        return;
    }
    int16_t *s = staged[staged_count++];
    s[0] = (int16_t)x, s[1] = (int16_t)y, s[2] = (int16_t)z;
}

// After the one flush each staged file replaces the old one; without the
// flush none may, as a power cut could leave it empty.
static void put_staged_in_place(int synced)
{
    char path[256], tmp[272];
    for (int i = 0; i < staged_count; i++) {
        const int16_t *s = staged[i];
        chunk_path(path, sizeof path, s[0], s[1], s[2]);
        if (synced && plat_put_in_place(path)) {
            release(s[0], s[1], s[2]);
            continue;
        }
        int e = synced ? errno : EIO;
        snprintf(tmp, sizeof tmp, "%s.tmp", path);
        remove(tmp);
        write_failed(*world_entry(s[0], s[1], s[2]), path, e);
    }
    if (staged_count > 0)
        plat_sync_folder_of(path);
}

// One flush to disk for all the chunks instead of one each: the game ends
// in a fraction of the time, and a kill halfway still leaves whole files.
void save_all()
{
    // No world is held before the first game and after one is left.
    if (!world)
        return;
    finish_writes();
    staged_count = 0;
    for (int x = 0; x < world_size; x++)
        for (int y = 0; y < world_size; y++)
            for (int z = 0; z < WORLD_LEVELS; z++)
                if (*world_entry(x, y, z) != NO_SLOT)
                    stage_or_release(x, y, z);
    if (staged_count == 0)
        return;
    char folder[256];
    snprintf(folder, sizeof folder, "./saves/%s", world_name);
    put_staged_in_place(plat_sync_all(folder));
    staged_count = 0;
}
