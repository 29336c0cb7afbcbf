// catalogue.h — the saved worlds found in ./saves, and the world folders.
#pragma once
#include <cstdint>

struct catalogue {
    char paths[32][32];
    char names[32][16];
    int32_t count;
};

extern catalogue ctlg;

// Lists ./saves into worlds.
void find_worlds(catalogue *worlds);
// Creates a folder; 1 when it exists afterwards.
int makedir(const char *path);
