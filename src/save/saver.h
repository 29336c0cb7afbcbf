// saver.h — chunk files under ./saves/<world>, and writing chunks out.
#pragma once
#include <cstdint>

struct cube_slot;

// Hands the module the world being played; chunk files go to ./saves/<name>.
void init_save_load(int16_t *map, cube_slot *pool, int size, const char *name);
// 1 when chunk (cx, cy, level) has a file.
int check(int cx, int cy, int level);
// Reads the chunk's file into the slot the map names for it.
void load_w(int cx, int cy, int level);
// Writes and releases every held chunk that has left the keep window.
void re_save();
// Writes every held chunk and releases its slot.
void save_all();
