// config.cpp — the settings record and the file "cfg".
#include "save/config.h"

#include "platform/platform.h"

#include <cstdio>
#include <cstring>

static const char *CFG_PATH = "cfg";

static game_param param;
int32_t st_page = 0;

game_param *get_par_str()
{
    return &param;
}

void cfg_defaults(game_param *out)
{
    memset(out, 0, sizeof *out);
    out->window_width = 800;
    out->window_height = 600;
    out->window_x = 30;
    out->window_y = 30;
    out->view_distance = 1;
    memcpy(out->language, "rus", 4);
    out->world_counter = 1;
    out->fog_enabled = 1;
}

// --- byte layout ---

static void put_i32(unsigned char *at, int32_t v)
{
    uint32_t u = (uint32_t)v;
    at[0] = (unsigned char)(u & 0xff);
    at[1] = (unsigned char)((u >> 8) & 0xff);
    at[2] = (unsigned char)((u >> 16) & 0xff);
    at[3] = (unsigned char)((u >> 24) & 0xff);
}

static int32_t get_i32(const unsigned char *at)
{
    uint32_t u = (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
    return (int32_t)u;
}

void cfg_encode(const game_param *p, unsigned char out[CFG_BYTES])
{
    memcpy(out + 0, p->reserved_head, 4);
    put_i32(out + 4, p->window_width);
    put_i32(out + 8, p->window_height);
    put_i32(out + 12, p->window_x);
    put_i32(out + 16, p->window_y);
    put_i32(out + 20, p->view_distance);
    memcpy(out + 24, p->language, 4);
    put_i32(out + 28, p->world_counter);
    put_i32(out + 32, p->fog_enabled);
    memcpy(out + 36, p->reserved_tail, 4);
}

// A field is taken from the file only when all its 4 bytes are there.
static int has_field(int count, int offset)
{
    return count >= offset + 4;
}

static void read_fields(const unsigned char *b, int count, game_param *out)
{
    if (has_field(count, 0))
        memcpy(out->reserved_head, b + 0, 4);
    if (has_field(count, 4))
        out->window_width = get_i32(b + 4);
    if (has_field(count, 8))
        out->window_height = get_i32(b + 8);
    // 12 and 16 hold the window's position, which a start does not restore.
    if (has_field(count, 20))
        out->view_distance = get_i32(b + 20);
    if (has_field(count, 24))
        memcpy(out->language, b + 24, 4);
    if (has_field(count, 28))
        out->world_counter = get_i32(b + 28);
    if (has_field(count, 32))
        out->fog_enabled = get_i32(b + 32);
    if (has_field(count, 36))
        memcpy(out->reserved_tail, b + 36, 4);
}

// A file the program did not write may hold anything; values the rest of the
// game would index or divide with are brought back to the defaults.
static void repair_fields(game_param *p)
{
    game_param d;
    cfg_defaults(&d);
    if (p->window_width < 1)
        p->window_width = d.window_width;
    if (p->window_height < 1)
        p->window_height = d.window_height;
    fit_window_to_screen(p, 0, 0);
    if (p->view_distance < 1 || p->view_distance > 3)
        p->view_distance = d.view_distance;
    if (p->fog_enabled != 0 && p->fog_enabled != 1)
        p->fog_enabled = d.fog_enabled;
    if (!memchr(p->language, '\0', sizeof p->language))
        memcpy(p->language, d.language, sizeof p->language);
}

void cfg_decode(const unsigned char *bytes, int count, game_param *out)
{
    cfg_defaults(out);
    read_fields(bytes, count, out);
    repair_fields(out);
}

// --- the file ---

// Written beside the old file, flushed to disk, then renamed over it: a full
// disk or a killed game leaves the old settings, never an empty or torn file.
int save()
{
    unsigned char bytes[CFG_BYTES];
    cfg_encode(&param, bytes);
    return plat_replace_file(CFG_PATH, bytes, CFG_BYTES);
}

void load()
{
    FILE *f = plat_open_regular(CFG_PATH);
    if (!f && plat_file_exists(CFG_PATH)) {
        // A FIFO, device or folder: read nothing from it and never wait on it.
        printf("%s is not a regular file, the default settings are used \n", CFG_PATH);
        cfg_defaults(&param);
    } else if (!f) {
        cfg_defaults(&param);
        st_page = 1;
        save();
        f = plat_open_regular(CFG_PATH);
    }
    if (f) {
        unsigned char bytes[CFG_BYTES] = {0};   // past a short file's end: zeros, never last call's bytes
        int count = (int)fread(bytes, 1, CFG_BYTES, f);
        fclose(f);
        cfg_decode(bytes, count, &param);
    }
    param.window_x = 0;
    param.window_y = 0;
}

void fit_window_to_screen(game_param *p, int screen_width, int screen_height)
{
    int most_w = screen_width > 0 && screen_width < WINDOW_EDGE_MAX ? screen_width : WINDOW_EDGE_MAX;
    int most_h = screen_height > 0 && screen_height < WINDOW_EDGE_MAX ? screen_height : WINDOW_EDGE_MAX;
    if (p->window_width > most_w)
        p->window_width = most_w;
    if (p->window_height > most_h)
        p->window_height = most_h;
}

// --- the options file ---

static const char *OPTIONS_PATH = "options";
static const unsigned char OPTIONS_MAGIC[4] = {'Q', 'R', 'O', 'P'};
constexpr int OPTIONS_VERSION = 1;

static game_options options = {5, 0, 45, 0};

game_options *get_options()
{
    return &options;
}

void options_defaults(game_options *out)
{
    out->mouse_speed = 5;
    out->invert_look = 0;
    out->field_of_view = 45;
    out->full_screen = 0;
}

void options_encode(const game_options *o, unsigned char out[OPTIONS_BYTES])
{
    memcpy(out, OPTIONS_MAGIC, 4);
    out[4] = OPTIONS_VERSION;
    out[5] = (unsigned char)o->mouse_speed;
    out[6] = (unsigned char)o->invert_look;
    out[7] = (unsigned char)o->field_of_view;
    out[8] = (unsigned char)o->full_screen;
}

// The byte when it lies in lo ... hi, else the default.
static int32_t in_range(unsigned char v, int lo, int hi, int32_t fallback)
{
    return v >= lo && v <= hi ? v : fallback;
}

void options_decode(const unsigned char *bytes, int count, game_options *out)
{
    options_defaults(out);
    // A later version only adds bytes after these.
    if (count < OPTIONS_BYTES || memcmp(bytes, OPTIONS_MAGIC, 4) != 0 || bytes[4] < OPTIONS_VERSION)
        return;
    out->mouse_speed = in_range(bytes[5], 1, MOUSE_SPEED_MAX, out->mouse_speed);
    out->invert_look = in_range(bytes[6], 0, 1, out->invert_look);
    out->field_of_view = in_range(bytes[7], FOV_MIN, FOV_MAX, out->field_of_view);
    out->full_screen = in_range(bytes[8], 0, 1, out->full_screen);
}

void load_options()
{
    unsigned char bytes[OPTIONS_BYTES];
    int count = 0;
    // Like cfg: a FIFO or device in its place is never read nor waited on.
    FILE *f = plat_open_regular(OPTIONS_PATH);
    if (f) {
        count = (int)fread(bytes, 1, OPTIONS_BYTES, f);
        fclose(f);
    }
    options_decode(bytes, count, &options);
}

int save_options()
{
    unsigned char bytes[OPTIONS_BYTES];
    options_encode(&options, bytes);
    return plat_replace_file(OPTIONS_PATH, bytes, OPTIONS_BYTES);
}
