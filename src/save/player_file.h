// player_file.h — the player kept with the world: the file "player" beside
// "size" in the world's folder.
//
// Layout, every number little-endian, version 1 (198 bytes):
//   0   4  "QRPL"
//   4   2  version (uint16)
//   6   1  mode: 0 walk, 1 fly
//   7   1  chosen hot-bar cell, 0 ... 9
//   8  24  the eye's position x, y, z (float64 each)
//  32   8  pitch, yaw in degrees (float32 each)
//  40   8  world clock in seconds (float64)
//  48 150  the 50 inventory cells, row by row, the hot bar first: id (uint16), count (uint8)
// A later version only adds fields after these, so any version reads the part it knows.
#pragma once
#include "player/cells.h"

#include <cstdint>

constexpr int PLAYER_CELLS = 50;              // 10 x 5
constexpr int PLAYER_FILE_VERSION = 1;
constexpr long PLAYER_FILE_BYTES = 198;       // version 1

struct player_save {
    double x, y, z;          // the eye, world coordinates
    float pitch, yaw;        // degrees
    int32_t fly;             // 1 fly, 0 walk
    int32_t chosen_cell;     // 0 ... 9
    double clock;            // seconds
    cell cells[PLAYER_CELLS];
};

enum { PLAYER_FILE_NONE = 0, PLAYER_FILE_READ = 1, PLAYER_FILE_DAMAGED = 2 };

// Writes the player file of world name whole or not at all; 1 when it is on
// disk, else the failure is reported.
int write_player_file(const char *name, const player_save *s);
// READ fills s. NONE: there is no file (a new world, or one from before the
// file). DAMAGED: the file is short or holds what no game writes; it is
// reported and set aside as player.damaged, and s is left as it was.
int read_player_file(const char *name, player_save *s);
