// saver.cpp — stand-in until chunk files land: nothing is written.
#include "save/saver.h"

void init_save_load(int16_t *map, cube_slot *pool, int size, const char *name)
{
    (void)map;
    (void)pool;
    (void)size;
    (void)name;
}

void save_all()
{
}
