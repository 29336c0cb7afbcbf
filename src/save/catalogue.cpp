// catalogue.cpp — the world list and the world folders.
#include "save/catalogue.h"

#include "platform/platform.h"
#include "save/names.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

catalogue ctlg;

static const char *SAVES = "./saves";

static void world_path(char *out, int size, const char *disk_name)
{
    snprintf(out, (size_t)size, "%s/%s", SAVES, disk_name);
}

// Newest first; equal times by name, so the list is the same on every start.
static int newer_first(const void *a, const void *b)
{
    const world_entry *x = (const world_entry *)a, *y = (const world_entry *)b;
    if (x->played != y->played)
        return x->played > y->played ? -1 : 1;
    return strcmp(x->disk_name, y->disk_name);
}

// The slot a newly found world goes to: the next free one, or, with the list
// full, the least recently played when the new one is more recent; -1 for none.
static int slot_for(const catalogue *w, long long played)
{
    if (w->count < CATALOGUE_MAX)
        return w->count;
    int oldest = 0;
    for (int k = 1; k < CATALOGUE_MAX; k++)
        if (w->worlds[k].played < w->worlds[oldest].played)
            oldest = k;
    return w->worlds[oldest].played < played ? oldest : -1;
}

// Adds the folder name of ./saves if it is a world; 0 when the full list
// left a world out (this one or the one it replaced).
static int add_world(catalogue *w, const char *name)
{
    char path[320];
    world_path(path, sizeof path, name);
    if (!plat_is_dir(path))
        return 1;   // a plain file is not a world
    if (strlen(name) >= (size_t)WORLD_DISK_NAME) {
        printf("%s is not listed: its name is longer than %d bytes \n", path, WORLD_DISK_NAME - 1);
        return 1;
    }
    long long played = plat_mtime(path);
    int full = w->count == CATALOGUE_MAX;
    int k = slot_for(w, played);
    if (k < 0)
        return 0;
    world_entry *e = &w->worlds[k];
    snprintf(e->disk_name, sizeof e->disk_name, "%s", name);
    name_to_font(name, e->shown, sizeof e->shown);
    e->played = played;
    if (k == w->count)
        w->count++;
    return !full;
}

void find_worlds(catalogue *worlds)
{
    worlds->count = 0;
    int left_out = 0;
    if (plat_dir_open(SAVES)) {
        char name[256];   // NAME_MAX + 1
        while (plat_dir_next(name, sizeof name))
            if (!add_world(worlds, name))
                left_out++;
        plat_dir_close();
    }
    qsort(worlds->worlds, (size_t)worlds->count, sizeof worlds->worlds[0], newer_first);
    char path[320];
    for (int k = 0; k < worlds->count; k++) {
        world_path(path, sizeof path, worlds->worlds[k].disk_name);
        printf("%s\n", path);
    }
    if (left_out > 0)
        printf("%d worlds of %s played longest ago are not listed \n", left_out, SAVES);
}

int makedir(const char *path)
{
    // Without ./saves the world would be played without ever being saved.
    plat_make_dir(SAVES);
    char full[320];
    snprintf(full, sizeof full, "./%s", path);
    return plat_make_dir(full);
}

int world_name_taken(const char *disk_name)
{
    char path[320];
    world_path(path, sizeof path, disk_name);
    return plat_file_exists(path);
}

void touch_world(const char *disk_name)
{
    char path[320];
    world_path(path, sizeof path, disk_name);
    plat_touch(path);
}

// --- the world's size class, kept in its folder ---

static int read_size_class(const char *name)
{
    char path[320], text[8];
    snprintf(path, sizeof path, "%s/%s/size", SAVES, name);
    long size = 0;
    long got = plat_read_file(path, text, sizeof text - 1, &size);
    if (got <= 0)
        return 0;
    text[got] = '\0';
    int k = atoi(text);
    return k >= 1 && k <= SIZE_CLASSES ? k : 0;
}

// The smallest size class whose columns hold every chunk file of the folder
// (set-aside and temporary ones too: they were chunks of this world); 0 when
// there is none.
static int size_class_of_chunks(const char *name)
{
    char folder[320];
    snprintf(folder, sizeof folder, "%s/%s", SAVES, name);
    if (!plat_dir_open(folder))
        return 0;
    int widest = -1;
    char entry[256];
    while (plat_dir_next(entry, sizeof entry)) {
        int cx, cy, level, end = 0;
        if (sscanf(entry, "%d-%d-%d.qrb%n", &cx, &cy, &level, &end) == 3 && end > 0) {
            widest = cx > widest ? cx : widest;
            widest = cy > widest ? cy : widest;
        }
    }
    plat_dir_close();
    if (widest < 0)
        return 0;
    int k = widest / 10 + 1;
    return k < SIZE_CLASSES ? k : SIZE_CLASSES;
}

int world_size_class(const char *name, int chosen)
{
    int k = read_size_class(name);
    if (k)
        return k;
    k = size_class_of_chunks(name);
    if (!k)
        k = chosen >= 1 && chosen <= SIZE_CLASSES ? chosen : 1;
    char path[320], text[4];
    snprintf(path, sizeof path, "%s/%s/size", SAVES, name);
    snprintf(text, sizeof text, "%d\n", k);
    if (!plat_replace_file(path, text, (long)strlen(text)))
        printf("cannot write %s: %s \n", path, strerror(errno));
    return k;
}

// --- what a killed game leaves ---

void remove_leftover_tmp(const char *name)
{
    char folder[320];
    snprintf(folder, sizeof folder, "%s/%s", SAVES, name);
    if (!plat_dir_open(folder))
        return;
    char entry[256];
    while (plat_dir_next(entry, sizeof entry)) {
        size_t n = strlen(entry);
        if (n > 4 && strcmp(entry + n - 4, ".tmp") == 0) {
            char path[600];
            snprintf(path, sizeof path, "%s/%s", folder, entry);
            remove(path);
        }
    }
    plat_dir_close();
}
