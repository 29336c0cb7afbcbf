// catalogue.cpp — stand-in until the world list lands: no world is listed.
#include "save/catalogue.h"

#include "platform/platform.h"

catalogue ctlg;

void find_worlds(catalogue *worlds)
{
    worlds->count = 0;
}

int makedir(const char *path)
{
    return plat_make_dir(path);
}
