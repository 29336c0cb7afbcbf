// saver.h — chunk files under ./saves/<world>, and writing chunks out as they
// leave the keep window round the camera and when the game ends.
//
// A chunk file "./saves/<world>/<cx>-<cy>-<level>.qrb" is the chunk's 262144
// block ids as uint16 little-endian, lz fastest, exactly 524288 bytes, no header.
#pragma once
#include <cstdint>

struct cube_slot;

constexpr long CHUNK_FILE_BYTES = 524288;

// Chunks are written in the background, one at a time, and a pass begins at
// most this many: still faster than chunks are built (one every three physics
// steps), while taking their blocks costs the frame well under a millisecond.
constexpr int WRITES_PER_PASS = 1;
constexpr double AUTOSAVE_AGE_MS = 30000;    // changes in view older than this are written
constexpr double SAVE_RETRY_MS = 5000;       // between two tries of a chunk whose write failed

// Hands the module the world being played; chunk files go to ./saves/<name>.
void init_save_load(int16_t *map, cube_slot *pool, int size, const char *name);
// How old changes in view may grow before they are written: AUTOSAVE_AGE_MS,
// or shorter for tests (QUARROW_AUTOSAVE_SECONDS), from the world's start on.
double autosave_period_ms();
// 1 when chunk (cx, cy, level) has a file.
int check(int cx, int cy, int level);
// Writes the held chunk's blocks to its file, replacing the old one whole;
// 1 when they are on disk. A failed write is reported and the chunk stays unsaved.
int save_w(int cx, int cy, int level);
// Reads the chunk's file into the slot the map names for it; 1 when it did.
// A file that cannot be used (wrong size, unreadable) is set aside as
// <file>.damaged, reported, and 0 is returned: the chunk is to be generated.
int load_w(int cx, int cy, int level);
// The held chunk's blocks now differ from its file (an edit, or new terrain).
void chunk_changed(int cx, int cy, int level);
// 1 while some held chunk could not be written.
int saving_fails();
// 1 when a held chunk at (x, y, level) stays held round the camera's chunk.
int in_keep_window(int x, int y, int level);
// The writing part of a frame, beginning at most `writes` background writes:
// releases the held chunks that left the keep window (writing the unsaved
// ones first, each held until its file is on disk), and writes chunks in view
// whose changes are older than AUTOSAVE_AGE_MS. The frame never waits for a write.
void re_save(int writes);
// Waits for the background write, if one runs, and takes what it ended with.
void finish_writes();
// Writes every unsaved held chunk and releases the slots; a chunk whose write
// fails stays held.
void save_all();
// Renames a file that cannot be used to <path>.damaged (or .damaged.1, ...)
// and reports why: unreadable (got < 0, errno says why) or size bytes long.
void set_aside(const char *kind, const char *path, long got, long size);
// The path of a chunk's file, into out.
void chunk_path(char *out, int size, int cx, int cy, int level);
