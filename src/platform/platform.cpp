// platform.cpp — Linux (POSIX + GLX) implementation of the platform layer.
#include "platform/platform.h"

#include <GL/glx.h>
#include <X11/Xlibint.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <sys/stat.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

double plat_clock_ms()
{
    // clock() on Linux counts processor time; the game needs wall time.
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // To the microsecond: in whole milliseconds the cap's 12.5 ms wait lasted 13,
    // and the game ran at 77 frames a second instead of 80.
    return (double)ts.tv_sec * 1000 + (double)(ts.tv_nsec / 1000) / 1000;
}

void plat_sleep_ms(double ms)
{
    if (ms <= 0)
        return;
    timespec ts;
    ts.tv_sec = (time_t)(ms / 1000);
    ts.tv_nsec = (long)((ms - 1000.0 * (double)ts.tv_sec) * 1e6);
    nanosleep(&ts, nullptr);
}

// --- random sequence: a linear congruential generator with 15-bit results ---

static unsigned int rand_state = 1;

void plat_srand(unsigned int seed)
{
    rand_state = seed;
}

int plat_rand()
{
    rand_state = rand_state * 214013u + 2531011u;
    return (int)((rand_state >> 16) & 0x7fff);
}

unsigned int plat_start_seed()
{
    const char *fixed = getenv("QUARROW_SEED");
    char *end = nullptr;
    unsigned long seed = fixed ? strtoul(fixed, &end, 10) : 0;
    if (fixed && *fixed && end && *end == '\0')
        return (unsigned int)seed;
    return (unsigned int)time(nullptr);
}

// --- files and folders ---

int plat_file_exists(const char *path)
{
    return access(path, F_OK) == 0 ? 1 : 0;
}

int plat_is_dir(const char *path)
{
    struct stat st;
    return stat(path, &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int plat_make_dir(const char *path)
{
    if (mkdir(path, 0755) == 0)
        return 1;
    return errno == EEXIST && plat_is_dir(path);
}

long long plat_mtime(const char *path)
{
    struct stat st;
    if (stat(path, &st) != 0)
        return -1;
    return (long long)st.st_mtim.tv_sec * 1000000000LL + st.st_mtim.tv_nsec;
}

int plat_touch(const char *path)
{
    return utimensat(AT_FDCWD, path, nullptr, 0) == 0 ? 1 : 0;
}

FILE *plat_open_regular(const char *path)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return nullptr;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE *f = fdopen(fd, "rb");
    if (!f)
        close(fd);
    return f;
}

// --- whole files ---

static int write_all(int fd, const unsigned char *bytes, long n)
{
    while (n > 0) {
        ssize_t done = write(fd, bytes, (size_t)n);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return 0;
        bytes += done;
        n -= done;
    }
    return 1;
}

// Flushes the folder itself (its entries), or with whole_file_system every
// file of the file system holding it.
static int flush_folder(const char *folder, int whole_file_system)
{
    int fd = open(folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return 0;
    int ok = (whole_file_system ? syncfs(fd) : fsync(fd)) == 0;
    close(fd);
    return ok;
}

// The folder holding path keeps its entries across a power cut once flushed.
int plat_sync_folder_of(const char *path)
{
    char folder[512];
    snprintf(folder, sizeof folder, "%s", path);
    char *slash = strrchr(folder, '/');
    if (slash)
        *slash = '\0';
    else
        snprintf(folder, sizeof folder, ".");
    return flush_folder(folder, 0);
}

static int tmp_name(char *tmp, int size, const char *path)
{
    if (snprintf(tmp, (size_t)size, "%s.tmp", path) < size)
        return 1;
    errno = ENAMETOOLONG;
    return 0;
}

// Writes <path>.tmp, flushed to disk when sync is 1; on failure nothing is left.
static int write_tmp(const char *path, const void *bytes, long n, int sync)
{
    char tmp[520];
    if (!tmp_name(tmp, sizeof tmp, path))
        return 0;
    int fd = open(tmp, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return 0;
    errno = 0;
    int ok = write_all(fd, (const unsigned char *)bytes, n) && (!sync || fsync(fd) == 0);
    int e = errno;
    ok = close(fd) == 0 && ok;
    if (!ok) {
        e = e ? e : errno;
        unlink(tmp);
        errno = e;
    }
    return ok;
}

int plat_put_in_place(const char *path)
{
    char tmp[520];
    if (!tmp_name(tmp, sizeof tmp, path))
        return 0;
    if (rename(tmp, path) == 0)
        return 1;
    int e = errno;
    unlink(tmp);
    errno = e;
    return 0;
}

int plat_replace_file(const char *path, const void *bytes, long n)
{
    if (!write_tmp(path, bytes, n, 1) || !plat_put_in_place(path))
        return 0;
    plat_sync_folder_of(path);
    return 1;
}

int plat_write_beside(const char *path, const void *bytes, long n)
{
    return write_tmp(path, bytes, n, 0);
}

int plat_sync_all(const char *folder)
{
    return flush_folder(folder, 1);
}

long plat_read_file(const char *path, void *buf, long cap, long *size)
{
    *size = -1;
    int fd;
    do
        fd = open(path, O_RDONLY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st;
    if (fstat(fd, &st) == 0)
        *size = (long)st.st_size;
    long got = 0;
    while (got < cap) {
        ssize_t n = read(fd, (unsigned char *)buf + got, (size_t)(cap - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            int e = errno;
            close(fd);
            errno = e;
            return -1;
        }
        if (n == 0)
            break;
        got += n;
    }
    close(fd);
    return got;
}

int plat_move_aside(const char *from, const char *to, char *used, int size)
{
    snprintf(used, (size_t)size, "%s", to);
    for (int n = 1; n < 1000; n++) {
        // A hard link cannot replace an existing name; a folder cannot be
        // linked, and is moved only when nothing has its new name.
        if (link(from, used) == 0)
            return unlink(from) == 0;
        if (errno != EEXIST && !plat_file_exists(used) && rename(from, used) == 0)
            return 1;
        snprintf(used, (size_t)size, "%s.%d", to, n);
    }
    return 0;
}

static DIR *open_dir = nullptr;

int plat_dir_open(const char *path)
{
    plat_dir_close();
    open_dir = opendir(path);
    return open_dir != nullptr;
}

int plat_dir_next(char *name, int size)
{
    if (!open_dir || size <= 0)
        return 0;
    for (;;) {
        dirent *entry = readdir(open_dir);
        if (!entry)
            return 0;
        // The order of entries is the file system's: "." and ".." can come anywhere.
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
            continue;
        snprintf(name, (size_t)size, "%s", entry->d_name);
        return 1;
    }
}

void plat_dir_close()
{
    if (open_dir)
        closedir(open_dir);
    open_dir = nullptr;
}

static volatile sig_atomic_t quit_signal = 0;

static void on_quit_signal(int)
{
    quit_signal = 1;
}

// Mesa's software renderer takes megabytes of scratch memory for every frame
// and frees it when the frame is drawn. With glibc's defaults the top of the
// heap then goes back to the system and is faulted in again, page by page, in
// the next frame: 7 ms a frame at view distance 1 (the hot bar's many small
// draws add most of the scratch). Above these sizes memory is returned.
constexpr int KEEP_HEAP_TOP_BYTES = 64 << 20;
constexpr int HEAP_ALLOCATION_MAX_BYTES = 32 << 20;   // larger blocks are mapped apart

void plat_keep_freed_memory()
{
    mallopt(M_TRIM_THRESHOLD, KEEP_HEAP_TOP_BYTES);
    mallopt(M_MMAP_THRESHOLD, HEAP_ALLOCATION_MAX_BYTES);
}

void plat_catch_quit_signals()
{
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_quit_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);
}

int plat_quit_requested()
{
    return quit_signal != 0;
}

void plat_pause()
{
    if (!isatty(STDIN_FILENO))
        return;
    printf("Press Enter to continue . . . ");
    fflush(stdout);
    int c;
    do
        c = getchar();
    while (c != '\n' && c != EOF);
}

// --- Cyrillic keys ---

// Key presses seen as Xlib decodes them, looked up later, outside Xlib's
// event reading, where looking up a key is safe.
constexpr int KEY_QUEUE = 64;
static XKeyEvent key_queue[KEY_QUEUE];
static int key_head = 0, key_tail = 0;
typedef Bool (*WireToEvent)(Display *, XEvent *, xEvent *);
static WireToEvent xlib_key_press = nullptr;

static Bool on_key_press(Display *display, XEvent *event, xEvent *wire)
{
    Bool kept = xlib_key_press ? xlib_key_press(display, event, wire) : False;
    int next = (key_tail + 1) % KEY_QUEUE;
    if (kept && event->type == KeyPress && next != key_head) {
        key_queue[key_tail] = event->xkey;
        key_tail = next;
    }
    return kept;
}

void plat_watch_cyrillic_keys()
{
    Display *display = glXGetCurrentDisplay();
    if (!display || xlib_key_press)
        return;
    xlib_key_press = XESetWireToEvent(display, KeyPress, on_key_press);
}

// The CP1251 byte of a Cyrillic keysym, 0 for any other.
static int cyrillic_byte(KeySym sym)
{
    // Keysyms 0x6c0 ... 0x6df hold the small letters in KOI8 order, 0x6e0 ... 0x6ff the capitals.
    static const char KOI8_ORDER[] = "\xfe\xe0\xe1\xf6\xe4\xe5\xf4\xe3\xf5\xe8\xe9\xea\xeb\xec\xed\xee"
                                     "\xef\xff\xf0\xf1\xf2\xf3\xe6\xe2\xfc\xfb\xe7\xf8\xfd\xf9\xf7\xfa";
    static const struct { KeySym sym; unsigned char byte; } OTHERS[] = {
        {0x6a3, 0xb8}, {0x6b3, 0xa8},   // yo
        {0x6a6, 0xb3}, {0x6b6, 0xb2}, {0x6a7, 0xbf}, {0x6b7, 0xaf}, {0x6a4, 0xba}, {0x6b4, 0xaa},
        {0x6ad, 0xb4}, {0x6bd, 0xa5}, {0x6ae, 0xa2}, {0x6be, 0xa1},
    };
    if (sym >= 0x6c0 && sym <= 0x6df)
        return (unsigned char)KOI8_ORDER[sym - 0x6c0];
    if (sym >= 0x6e0 && sym <= 0x6ff)
        return (unsigned char)KOI8_ORDER[sym - 0x6e0] - 0x20;
    for (const auto &o : OTHERS)
        if (o.sym == sym)
            return o.byte;
    return 0;
}

int plat_next_cyrillic_key()
{
    while (key_head != key_tail) {
        XKeyEvent event = key_queue[key_head];
        key_head = (key_head + 1) % KEY_QUEUE;
        char text[8];
        KeySym sym = NoSymbol;
        // Keys that make Latin-1 text already reached the keyboard callback.
        if (XLookupString(&event, text, sizeof text, &sym, nullptr) > 0)
            continue;
        int byte = cyrillic_byte(sym);
        if (byte)
            return byte;
    }
    return -1;
}

// --- swap interval ---

static int has_extension(const char *list, const char *name)
{
    if (!list)
        return 0;
    size_t len = strlen(name);
    for (const char *p = strstr(list, name); p; p = strstr(p + 1, name)) {
        int starts = p == list || p[-1] == ' ';
        int ends = p[len] == ' ' || p[len] == '\0';
        if (starts && ends)
            return 1;
    }
    return 0;
}

typedef void (*SwapIntervalExt)(Display *, GLXDrawable, int);
typedef int (*SwapIntervalInt)(int);

static void *glx_proc(const char *name)
{
    return (void *)glXGetProcAddressARB((const GLubyte *)name);
}

int plat_set_swap_interval(int interval)
{
    Display *display = glXGetCurrentDisplay();
    GLXDrawable drawable = glXGetCurrentDrawable();
    if (!display || !drawable)
        return 0;
    const char *list = glXQueryExtensionsString(display, DefaultScreen(display));
    if (has_extension(list, "GLX_EXT_swap_control")) {
        SwapIntervalExt f = (SwapIntervalExt)glx_proc("glXSwapIntervalEXT");
        if (f) {
            f(display, drawable, interval);
            return 1;
        }
    }
    if (has_extension(list, "GLX_MESA_swap_control")) {
        SwapIntervalInt f = (SwapIntervalInt)glx_proc("glXSwapIntervalMESA");
        if (f) {
            f(interval);
            return 1;
        }
    }
    // The SGI call answers GLX_BAD_VALUE for 0, so it can only switch sync on.
    if (has_extension(list, "GLX_SGI_swap_control")) {
        SwapIntervalInt f = (SwapIntervalInt)glx_proc("glXSwapIntervalSGI");
        if (f)
            return f(interval) == 0;
    }
    return 0;
}

// --- the pointer kept in the window ---

static int pointer_held = 0;

static int has_focus(Display *display, Window window)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    // Without a window manager the focus follows the pointer.
    return focus == window || focus == PointerRoot;
}

void plat_hold_pointer(int hold)
{
    Display *display = glXGetCurrentDisplay();
    Window window = (Window)glXGetCurrentDrawable();
    if (!display || !window)
        return;
    int want = hold && has_focus(display, window);
    if (want == pointer_held)
        return;
    if (want) {
        // Events keep going to the window as without the grab; the pointer
        // just cannot leave it. A failed grab (the window not yet shown,
        // another client's grab) is tried again at the next frame.
        unsigned int events = ButtonPressMask | ButtonReleaseMask | PointerMotionMask;
        pointer_held = XGrabPointer(display, window, True, events, GrabModeAsync, GrabModeAsync, window, None,
                                    CurrentTime) == GrabSuccess;
    } else {
        XUngrabPointer(display, CurrentTime);
        pointer_held = 0;
    }
    XFlush(display);
}

// --- the X display ---

int plat_display_opens()
{
    // The toolkit would print its own message and end the process; asking
    // first lets the game say what to do.
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return 0;
    XCloseDisplay(display);
    return 1;
}
