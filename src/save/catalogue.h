// catalogue.h — the saved worlds found in ./saves, and the world folders.
#pragma once
#include <cstdint>

constexpr int CATALOGUE_SHOWN = 16;     // worlds the menu lists
constexpr int WORLD_NAME_MAX = 19;      // characters the menu's name field takes

struct catalogue {
    char paths[32][32];                 // "./saves/<name>"
    char names[32][WORLD_NAME_MAX + 1];
    int32_t count;                      // 0 ... CATALOGUE_SHOWN
};

extern catalogue ctlg;

// Lists the world folders of ./saves into worlds, sorted by name, and prints
// each path. Names longer than a world name can be are left out.
void find_worlds(catalogue *worlds);
// Creates the folder path (such as ./saves/<name>), and ./saves with it when
// that is missing; 1 when the folder exists afterwards.
int makedir(const char *path);

constexpr int SIZE_CLASSES = 3;   // a world is 10, 20 or 30 chunk columns wide

// The size class world name is played at: the one kept in its folder (file
// "size"), else, for a world from before that file, the smallest that holds
// every chunk file in the folder, else chosen (a new world). What is used is
// kept in the folder for the next time.
int world_size_class(const char *name, int chosen);
// Removes the temporary files a killed game left in the world's folder.
void remove_leftover_tmp(const char *name);
