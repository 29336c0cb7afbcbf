// config.h — the settings record and its file "cfg": 40 bytes, little-endian,
// no header, read once at start and rewritten whole whenever a setting changes.
#pragma once
#include <cstdint>

constexpr int CFG_BYTES = 40;
// Largest window edge taken from cfg: within the viewport every GL driver of
// our age offers, and far below the sizes that overflow the X library.
constexpr int WINDOW_EDGE_MAX = 8192;

struct game_param {
    char reserved_head[4];   // carries nothing; kept so the file layout stays 40 bytes
    int32_t window_width;
    int32_t window_height;
    int32_t window_x;        // always 0 after load: the window opens at the corner
    int32_t window_y;
    int32_t view_distance;   // chunks, 1 ... 3
    char language[4];        // "rus" or "eng", NUL-terminated
    int32_t world_counter;   // number in the default name of the next new world
    int32_t fog_enabled;     // 0 off, 1 on
    char reserved_tail[4];
};

// Settings the 40 bytes have no room for, kept in the file "options" beside cfg.
struct game_options {
    int32_t mouse_speed;     // 1 ... 10; the view turns mouse_speed / 50 degrees a pixel
    int32_t invert_look;     // 1: moving the mouse up looks down
    int32_t field_of_view;   // vertical, degrees, 30 ... 90
    int32_t full_screen;     // 0 or 1; cfg keeps the windowed size meanwhile
};

constexpr int OPTIONS_BYTES = 9;
constexpr int MOUSE_SPEED_MAX = 10;
constexpr int FOV_MIN = 30, FOV_MAX = 90;

extern int32_t st_page;      // menu page opened at start: 1 (language choice) on the first run

// Reads "cfg", creating it with the defaults when it is missing; anything
// but a regular file there is not read (and never waited on).
void load();
// Writes the record to "cfg" whole or not at all; 1 on success.
int save();
game_param *get_par_str();
// Shrinks the window size to the screen (an edge of 0 or less: unknown) and
// to WINDOW_EDGE_MAX, so a stored size can never stop the window opening.
void fit_window_to_screen(game_param *p, int screen_width, int screen_height);

// The record as the 40 bytes of the file, and back. Decoding keeps the
// defaults for fields the bytes do not cover and for values out of range.
void cfg_encode(const game_param *p, unsigned char out[CFG_BYTES]);
void cfg_decode(const unsigned char *bytes, int count, game_param *out);
void cfg_defaults(game_param *out);

game_options *get_options();
void options_defaults(game_options *out);
// The record as the bytes of its file, and back: a file too short or not
// ours gives the defaults, and so does every value out of range.
void options_encode(const game_options *o, unsigned char out[OPTIONS_BYTES]);
void options_decode(const unsigned char *bytes, int count, game_options *out);
// Reads "options"; a missing or damaged file means the defaults.
void load_options();
// Writes "options" whole or not at all; 1 on success.
int save_options();
