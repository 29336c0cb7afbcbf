// platform.h — the few operating-system services the game needs, in one place:
// a millisecond clock, the game's one random sequence, folders and files,
// the console pause, whether an X display opens, the swap interval of the
// window system and keeping the pointer inside the game's window.
#pragma once
#include <cstdio>

// Milliseconds of a monotonic wall clock, to the microsecond.
double plat_clock_ms();
// Sleeps about ms milliseconds (a little more, as the system wakes it).
void plat_sleep_ms(double ms);

// One random sequence for everything (terrain, particles); results are 0 ... 32767.
void plat_srand(unsigned int seed);
int plat_rand();
// The seed a game starts from: the time, or the number in QUARROW_SEED when
// that is set, so a world's terrain can be made again (tests, bug reports).
unsigned int plat_start_seed();

// 1 when something exists at path, 0 otherwise.
int plat_file_exists(const char *path);
// 1 when path is a folder.
int plat_is_dir(const char *path);
// Creates one folder; 1 when it was made or already existed as a folder.
int plat_make_dir(const char *path);

// Modification time of path in nanoseconds since 1970, -1 when it cannot be read.
long long plat_mtime(const char *path);
// Sets path's modification time to now; 1 on success.
int plat_touch(const char *path);
// Opens path for reading in binary mode only when it is a regular file, and
// without waiting on a FIFO or device; nullptr otherwise.
FILE *plat_open_regular(const char *path);
// Replaces the file at path with n bytes, whole or not at all: they are
// written beside it as <path>.tmp, flushed to disk, renamed over it, and the
// folder is flushed so the new name outlives a power cut. 1 on success;
// otherwise errno tells why (0 for a short write) and the old file is untouched.
int plat_replace_file(const char *path, const void *bytes, long n);
// Many files at once, with one flush to disk for all: each is written beside
// its old file with plat_write_beside, then plat_sync_all flushes the file
// system holding folder, then plat_put_in_place renames each over its old
// file (on failure <path>.tmp is removed), and plat_sync_folder_of flushes the
// folder's new names. 1 on success; errno tells why not.
int plat_write_beside(const char *path, const void *bytes, long n);
int plat_sync_all(const char *folder);
int plat_put_in_place(const char *path);
int plat_sync_folder_of(const char *path);
// Reads at most cap bytes of the file at path into buf, going on after a read
// a signal interrupted. The number of bytes read, or -1 with errno set; the
// file's size goes to *size (-1 when unknown).
long plat_read_file(const char *path, void *buf, long cap, long *size);
// Renames from to the first name of to, to.1, to.2 ... that is free, never
// replacing anything there; the name taken goes to used. 1 on success.
int plat_move_aside(const char *from, const char *to, char *used, int size);

// Folder listing, one listing open at a time. "." and ".." are never returned.
int plat_dir_open(const char *path);
// Copies the next entry's name (cut to fit size) into name; 0 when there are no more.
int plat_dir_next(char *name, int size);
void plat_dir_close();

// Keeps memory the process frees for its next use instead of handing it back
// to the system; called once before the window opens.
void plat_keep_freed_memory();

// Ctrl+C and termination requests only set a flag, which the main loop reads,
// so the game ends the way Escape ends it.
void plat_catch_quit_signals();
int plat_quit_requested();

// The console's "press a key": waits for Enter only when standard input is a terminal.
void plat_pause();

// Keys of a Cyrillic layout reach no keyboard callback (the window toolkit
// hands on Latin-1 characters only), so they are watched on the current GL
// display from here on and queued.
void plat_watch_cyrillic_keys();
// The next such key pressed, as a CP1251 byte; -1 when none is waiting.
int plat_next_cyrillic_key();

// Sets the swap interval of the current GL drawable if the display offers a
// swap-control extension; 1 when one was found and called.
int plat_set_swap_interval(int interval);

// While hold is 1 and the current GL window has the keyboard focus, the
// pointer is kept inside that window (a pointer grab confined to it); else it
// is let go. Called every frame; changes something only when that differs.
void plat_hold_pointer(int hold);

// 1 when the X display named by DISPLAY can be opened (it is closed again).
int plat_display_opens();
