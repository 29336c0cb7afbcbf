// catalogue.cpp — the world list and the world folders.
#include "save/catalogue.h"

#include "platform/platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

catalogue ctlg;

static const char *SAVES = "./saves";

static int is_world_folder(const char *name)
{
    if (strlen(name) > (size_t)WORLD_NAME_MAX)
        return 0;
    char path[64];
    snprintf(path, sizeof path, "%s/%s", SAVES, name);
    return plat_is_dir(path);
}

// Keeps the CATALOGUE_SHOWN smallest names in order, whatever order the
// folder lists them in, so the list is the same on every start.
static void insert_sorted(catalogue *w, const char *name)
{
    int at = w->count;
    while (at > 0 && strcmp(w->names[at - 1], name) > 0)
        at--;
    if (at >= CATALOGUE_SHOWN)
        return;
    int last = w->count < CATALOGUE_SHOWN ? w->count : CATALOGUE_SHOWN - 1;
    for (int k = last; k > at; k--)
        memcpy(w->names[k], w->names[k - 1], sizeof w->names[k]);
    snprintf(w->names[at], sizeof w->names[at], "%s", name);
    if (w->count < CATALOGUE_SHOWN)
        w->count++;
}

void find_worlds(catalogue *worlds)
{
    memset(worlds, 0, sizeof *worlds);
    if (plat_dir_open(SAVES)) {
        char name[256];
        while (plat_dir_next(name, sizeof name))
            if (is_world_folder(name))
                insert_sorted(worlds, name);
        plat_dir_close();
    }
    for (int k = 0; k < worlds->count; k++) {
        snprintf(worlds->paths[k], sizeof worlds->paths[k], "%s/%s", SAVES, worlds->names[k]);
        printf("%s\n", worlds->paths[k]);
    }
}

int makedir(const char *path)
{
    // Without ./saves the world would be played without ever being saved.
    plat_make_dir(SAVES);
    char full[320];
    snprintf(full, sizeof full, "./%s", path);
    return plat_make_dir(full);
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
