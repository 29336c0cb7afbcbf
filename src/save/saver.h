// saver.h — chunk files under ./saves/<world>, and writing chunks out.
#pragma once
#include <cstdint>

struct cube_slot;

// Hands the module the world being played; chunk files go to ./saves/<name>.
void init_save_load(int16_t *map, cube_slot *pool, int size, const char *name);
// Writes every held chunk and releases its slot.
void save_all();
