// writer.h — one file at a time replaced on a thread of its own, so the frame
// that hands it over never waits for the disk (a flush can take a tenth of a
// second on a busy one).
#pragma once

constexpr int WRITE_NONE = -2;      // nothing was begun since the last end
constexpr int WRITE_RUNNING = -1;   // the write goes on

// Begins replacing the file at path with n bytes, whole or not at all, as
// plat_replace_file does. The bytes must stay as they are until the write has
// ended. 0, and nothing begun, while the last write has not been ended.
int plat_replace_file_begin(const char *path, const void *bytes, long n);
// Ends the write begun last: 1 when its file is on disk, 0 when it failed
// (errno says why), WRITE_RUNNING while it still runs and wait is 0.
int plat_replace_file_end(int wait);
