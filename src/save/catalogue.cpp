// catalogue.cpp — the world list and the world folders.
#include "save/catalogue.h"

#include "platform/platform.h"

#include <cstdio>
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
