// saver.h — chunk files under ./saves/<world>, and writing chunks out as they
// leave the keep window round the camera and when the game ends.
//
// A chunk file "./saves/<world>/<cx>-<cy>-<level>.qrb" is the chunk's 262144
// block ids as uint16 little-endian, lz fastest, exactly 524288 bytes, no header.
#pragma once
#include <cstdint>

struct cube_slot;

constexpr long CHUNK_FILE_BYTES = 524288;

// Hands the module the world being played; chunk files go to ./saves/<name>.
void init_save_load(int16_t *map, cube_slot *pool, int size, const char *name);
// 1 when chunk (cx, cy, level) has a file.
int check(int cx, int cy, int level);
// Writes the held chunk's blocks to its file, replacing the old one whole.
void save_w(int cx, int cy, int level);
// Reads the chunk's file into the slot the map names for it. A file of the
// wrong size is set aside as <file>.damaged and what it held is kept.
void load_w(int cx, int cy, int level);
// 1 when a held chunk at (x, y, level) stays held round the camera's chunk.
int in_keep_window(int x, int y, int level);
// Writes and releases every held chunk that has left the keep window.
void re_save();
// Writes every held chunk and releases its slot.
void save_all();
// The path of a chunk's file, into out.
void chunk_path(char *out, int size, int cx, int cy, int level);
