// catalogue.h — the saved worlds found in ./saves, and the world folders.
#pragma once
#include <cstdint>

constexpr int CATALOGUE_MAX = 1024;     // worlds listed; past that the most recently played
constexpr int WORLD_NAME_MAX = 19;      // characters the menu's name field takes
constexpr int WORLD_DISK_NAME = 64;     // bytes of a folder name with its NUL (chunk paths must fit)

struct world_entry {
    char disk_name[WORLD_DISK_NAME];    // the folder's name as the file system holds it
    char shown[WORLD_DISK_NAME];        // the same in the font's CP1251
    long long played;                   // the folder's modification time, ns
};

struct catalogue {
    world_entry worlds[CATALOGUE_MAX];  // most recently played first
    int32_t count;
};

extern catalogue ctlg;

// Lists the world folders of ./saves into worlds, most recently played first
// (ties by name), and prints each path. Folders whose name is too long to be
// played are reported and left out.
void find_worlds(catalogue *worlds);
// Creates the folder path (such as ./saves/<name>), and ./saves with it when
// that is missing; 1 when the folder exists afterwards.
int makedir(const char *path);
// 1 when anything, folder or file, is at ./saves/<disk_name>.
int world_name_taken(const char *disk_name);
// Marks the world as just played, so it heads the list next time.
void touch_world(const char *disk_name);

constexpr int SIZE_CLASSES = 3;   // a world is 10, 20 or 30 chunk columns wide

// The size class world name is played at: the one kept in its folder (file
// "size"), else, for a world from before that file, the smallest that holds
// every chunk file in the folder, else chosen (a new world). What is used is
// kept in the folder for the next time.
int world_size_class(const char *name, int chosen);
// Removes the temporary files a killed game left in the world's folder.
void remove_leftover_tmp(const char *name);
