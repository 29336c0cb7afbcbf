// writer.cpp — the background file writer: a thread a write.
#include "platform/writer.h"

#include "platform/platform.h"

#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

// Set by the main thread before the writing thread starts, read by that
// thread alone until it says it has finished.
static char path_of_write[520];
static const void *bytes_of_write;
static long size_of_write;
// The writing thread's outcome, read once it has finished.
static int write_ok, write_errno;
static std::atomic<int> finished;

static pthread_t writing_thread;
static int begun;      // a write was begun and has not been ended
static int threaded;   // it runs on writing_thread, which is to be joined

static void *write_file(void *)
{
    write_ok = plat_replace_file(path_of_write, bytes_of_write, size_of_write);
    write_errno = errno;
    finished.store(1, std::memory_order_release);
    return nullptr;
}

int plat_replace_file_begin(const char *path, const void *bytes, long n)
{
    if (begun)
        return 0;
    snprintf(path_of_write, sizeof path_of_write, "%s", path);
    bytes_of_write = bytes;
    size_of_write = n;
    finished.store(0, std::memory_order_relaxed);
    threaded = pthread_create(&writing_thread, nullptr, write_file, nullptr) == 0;
    if (!threaded)
        write_file(nullptr);   // no thread to be had: this frame waits for the disk
    begun = 1;
    return 1;
}

int plat_replace_file_end(int wait)
{
    if (!begun)
        return WRITE_NONE;
    if (!wait && !finished.load(std::memory_order_acquire))
        return WRITE_RUNNING;
    if (threaded)
        pthread_join(writing_thread, nullptr);
    begun = 0;
    errno = write_errno;
    return write_ok;
}
