// player_folder.cpp — the player's own folder of an installed game.
#include "platform/player_folder.h"

#include "platform/platform.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

// Set by the build from the install layout; this is the layout it installs.
#ifndef QUARROW_DATA_FROM_EXE
#define QUARROW_DATA_FROM_EXE "../share/games/quarrow"
#endif

static const int PATH_SIZE = 4096;
// The installed data is two folders deep; the limit stops a linked loop.
static const int COPY_DEPTH = 8;

// "a/b" into out; 0 when it does not fit.
static int join(char *out, const char *a, const char *b)
{
    int n = snprintf(out, PATH_SIZE, "%s/%s", a, b);
    return n > 0 && n < PATH_SIZE;
}

static int installed_data_dir(char *out)
{
    char exe[PATH_SIZE];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0)
        return 0;
    exe[n] = '\0';
    char *slash = strrchr(exe, '/');
    if (!slash)
        return 0;
    *slash = '\0';
    return join(out, exe, QUARROW_DATA_FROM_EXE) && plat_is_dir(out);
}

static int player_folder(char *out)
{
    // The XDG rules make a relative XDG_DATA_HOME invalid: it is ignored.
    const char *xdg = getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return join(out, xdg, "quarrow");
    const char *home = getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd *pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : nullptr;
    }
    return home && join(out, home, ".local/share/quarrow");
}

// Makes path and every missing folder above it, private to the player as the
// XDG rules ask.
static int make_folders(char *path)
{
    for (char *p = path + 1; *p; p++) {
        if (*p != '/')
            continue;
        *p = '\0';
        mkdir(path, 0700);
        *p = '/';
    }
    mkdir(path, 0700);
    return plat_is_dir(path);
}

static int same_bytes(const char *a, const char *b)
{
    FILE *fa = fopen(a, "rb");
    FILE *fb = fopen(b, "rb");
    int same = fa && fb;
    static char ba[65536], bb[65536];
    while (same) {
        size_t na = fread(ba, 1, sizeof ba, fa);
        size_t nb = fread(bb, 1, sizeof bb, fb);
        same = na == nb && memcmp(ba, bb, na) == 0;
        if (na == 0)
            break;
    }
    if (fa)
        fclose(fa);
    if (fb)
        fclose(fb);
    return same;
}

// Written beside the target and renamed over it, so an interrupted copy never
// leaves half a picture in place of a whole one.
static int copy_file(const char *from, const char *to)
{
    char part[PATH_SIZE];
    if (snprintf(part, sizeof part, "%s.part", to) >= (int)sizeof part)
        return 0;
    FILE *in = fopen(from, "rb");
    FILE *out = in ? fopen(part, "wb") : nullptr;
    int ok = out != nullptr;
    static char chunk[65536];
    size_t n;
    while (ok && (n = fread(chunk, 1, sizeof chunk, in)) > 0)
        ok = fwrite(chunk, 1, n, out) == n;
    ok = ok && !ferror(in);
    if (out && fclose(out) != 0)
        ok = 0;
    if (in)
        fclose(in);
    ok = ok && rename(part, to) == 0;
    if (!ok)
        remove(part);
    return ok;
}

// Brings every file under from into to, reporting each that could not be brought.
static void fill(const char *from, const char *to, int depth)
{
    DIR *d = depth <= COPY_DEPTH ? opendir(from) : nullptr;
    if (!d || !plat_make_dir(to)) {
        printf("cannot copy %s to %s \n", from, to);
        if (d)
            closedir(d);
        return;
    }
    while (const dirent *e = readdir(d)) {
        if (strcmp(e->d_name, ".") == 0 || strcmp(e->d_name, "..") == 0)
            continue;
        char src[PATH_SIZE], dst[PATH_SIZE];
        struct stat st;
        if (!join(src, from, e->d_name) || !join(dst, to, e->d_name) || stat(src, &st) != 0)
            printf("cannot copy %s/%s \n", from, e->d_name);
        else if (S_ISDIR(st.st_mode))
            fill(src, dst, depth + 1);
        else if (!same_bytes(src, dst) && !copy_file(src, dst))
            printf("cannot copy %s to %s \n", src, dst);
    }
    closedir(d);
}

int plat_use_player_folder(const char *data_dir)
{
    char home[PATH_SIZE] = "";
    if (!player_folder(home) || !make_folders(home)) {
        printf("cannot make the folder for settings and saves %s: %s \n", home, strerror(errno));
        return 0;
    }
    // A missing picture or phrase file is reported by its loader; the game goes on.
    fill(data_dir, home, 0);
    if (chdir(home) != 0) {
        printf("cannot enter the folder for settings and saves %s: %s \n", home, strerror(errno));
        return 0;
    }
    return 1;
}

int plat_enter_player_folder()
{
    char data[PATH_SIZE];
    if (!installed_data_dir(data))
        return 1;
    return plat_use_player_folder(data);
}
