// player_file.cpp — the player file, field by field.
#include "save/player_file.h"

#include "platform/platform.h"
#include "save/saver.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

static const char MAGIC[4] = {'Q', 'R', 'P', 'L'};
// Beyond this a coordinate is no place in any world: the file is damaged.
static const double FARTHEST = 1e7;

static void player_path(char *out, int size, const char *name)
{
    snprintf(out, (size_t)size, "./saves/%s/player", name);
}

// --- writing ---

static unsigned char *put_uint(unsigned char *at, uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; i++)
        at[i] = (unsigned char)(v >> (8 * i));
    return at + bytes;
}

static unsigned char *put_double(unsigned char *at, double d)
{
    uint64_t v;
    memcpy(&v, &d, sizeof v);
    return put_uint(at, v, 8);
}

static unsigned char *put_float(unsigned char *at, float f)
{
    uint32_t v;
    memcpy(&v, &f, sizeof v);
    return put_uint(at, v, 4);
}

static void encode(const player_save *s, unsigned char *b)
{
    memcpy(b, MAGIC, sizeof MAGIC);
    unsigned char *at = put_uint(b + 4, PLAYER_FILE_VERSION, 2);
    at = put_uint(at, s->fly ? 1 : 0, 1);
    at = put_uint(at, (uint64_t)s->chosen_cell, 1);
    at = put_double(at, s->x);
    at = put_double(at, s->y);
    at = put_double(at, s->z);
    at = put_float(at, s->pitch);
    at = put_float(at, s->yaw);
    at = put_double(at, s->clock);
    for (const cell &c : s->cells) {
        at = put_uint(at, c.id, 2);
        at = put_uint(at, c.id ? c.count : 0, 1);
    }
}

int write_player_file(const char *name, const player_save *s)
{
    unsigned char b[PLAYER_FILE_BYTES];
    encode(s, b);
    char path[320];
    player_path(path, sizeof path, name);
    if (plat_replace_file(path, b, PLAYER_FILE_BYTES))
        return 1;
    printf("cannot write %s: %s \n", path, errno ? strerror(errno) : "short write");
    return 0;
}

// --- reading ---

static uint64_t get_uint(const unsigned char **at, int bytes)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; i++)
        v |= (uint64_t)(*at)[i] << (8 * i);
    *at += bytes;
    return v;
}

static double get_double(const unsigned char **at)
{
    uint64_t v = get_uint(at, 8);
    double d;
    memcpy(&d, &v, sizeof d);
    return d;
}

static float get_float(const unsigned char **at)
{
    uint32_t v = (uint32_t)get_uint(at, 4);
    float f;
    memcpy(&f, &v, sizeof f);
    return f;
}

static int near_enough(double v)
{
    return std::isfinite(v) && fabs(v) < FARTHEST;
}

// Fills s from the bytes; 0 when they hold what no game writes.
static int decode(const unsigned char *b, player_save *s)
{
    const unsigned char *at = b + 6;
    unsigned mode = (unsigned)get_uint(&at, 1), chosen = (unsigned)get_uint(&at, 1);
    if (mode > 1 || chosen > 9)
        return 0;
    s->fly = (int32_t)mode;
    s->chosen_cell = (int32_t)chosen;
    s->x = get_double(&at);
    s->y = get_double(&at);
    s->z = get_double(&at);
    s->pitch = get_float(&at);
    s->yaw = get_float(&at);
    s->clock = get_double(&at);
    if (!near_enough(s->x) || !near_enough(s->y) || !near_enough(s->z) || !near_enough(s->pitch) ||
        !near_enough(s->yaw) || !near_enough(s->clock) || s->clock < 0)
        return 0;
    for (cell &c : s->cells) {
        c.id = (uint16_t)get_uint(&at, 2);
        unsigned count = (unsigned)get_uint(&at, 1);
        if (c.id != 0 && (count == 0 || count > STACK_LIMIT))
            return 0;
        c.count = (uint8_t)(c.id ? count : 0);
    }
    return 1;
}

// The header names a version this game can read the start of, and the file
// is as long as that version makes it.
static int whole(const unsigned char *b, long got, long size)
{
    if (got < PLAYER_FILE_BYTES || memcmp(b, MAGIC, sizeof MAGIC) != 0)
        return 0;
    unsigned version = b[4] | b[5] << 8;
    if (version == 0)
        return 0;
    return version == PLAYER_FILE_VERSION ? size == PLAYER_FILE_BYTES : size >= PLAYER_FILE_BYTES;
}

int read_player_file(const char *name, player_save *s)
{
    char path[320];
    player_path(path, sizeof path, name);
    if (!plat_file_exists(path))
        return PLAYER_FILE_NONE;
    unsigned char b[PLAYER_FILE_BYTES];
    long size = -1;
    long got = plat_read_file(path, b, PLAYER_FILE_BYTES, &size);
    player_save read;
    memset(&read, 0, sizeof read);
    if (whole(b, got, size) && decode(b, &read)) {
        *s = read;
        return PLAYER_FILE_READ;
    }
    set_aside("player file", path, got, size);
    return PLAYER_FILE_DAMAGED;
}
