// Chunk files: the format, damaged files, a full disk, and which chunks are written.
#include "game.h"

#include "temp_dir.h"
#include "world_fixture.h"

#include <signal.h>
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <cstring>
#include <vector>

// The system calls below are wrapped at link time: the game's file-system calls are recorded, its clock moved.
static bool recording = false;
static std::vector<std::string> calls;
static long long clock_moved_ms = 0;
static std::atomic<bool> disk_stalls{false};   // fsync waits while set, as on a busy disk
static bool no_threads = false;                // no thread can be started, as at the system's limit

// A call on a file descriptor, named by the file's path from saves/ on.
static void record(const char *call, int fd)
{
    char link[64], path[512] = "";
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, path, sizeof path - 1);
    path[n > 0 ? n : 0] = '\0';
    std::string line = std::string(call) + " " + (strstr(path, "/saves") ? strstr(path, "/saves") + 1 : path);
    if (recording && (calls.empty() || calls.back() != line))
        calls.push_back(line);
}

extern "C" {
int __real_fsync(int fd);
int __real_syncfs(int fd);
int __real_rename(const char *from, const char *to);
ssize_t __real_write(int fd, const void *bytes, size_t n);
int __real_clock_gettime(clockid_t clock, struct timespec *ts);
int __real_pthread_create(pthread_t *t, const pthread_attr_t *a, void *(*f)(void *), void *arg);

int __wrap_fsync(int fd)
{
    while (disk_stalls)
        usleep(1000);
    return record("fsync", fd), __real_fsync(fd);
}
int __wrap_syncfs(int fd) { return record("syncfs", fd), __real_syncfs(fd); }
ssize_t __wrap_write(int fd, const void *bytes, size_t n) { return record("write", fd), __real_write(fd, bytes, n); }
int __wrap_rename(const char *from, const char *to)
{
    if (recording)
        calls.push_back(std::string("rename ") + (strncmp(from, "./", 2) ? from : from + 2));
    return __real_rename(from, to);
}
int __wrap_pthread_create(pthread_t *t, const pthread_attr_t *a, void *(*f)(void *), void *arg)
{
    return no_threads ? EAGAIN : __real_pthread_create(t, a, f, arg);
}
int __wrap_clock_gettime(clockid_t clock, struct timespec *ts)
{
    int r = __real_clock_gettime(clock, ts);
    ts->tv_sec += clock_moved_ms / 1000;
    return r;
}
}

namespace {

class ChunkFiles : public InTempDir {
protected:
    void SetUp() override
    {
        InTempDir::SetUp();
        ASSERT_EQ(system("mkdir -p saves/alpha"), 0);
        world_size = 10, vision_range = 1;
        c_position_x = c_position_y = c_position_z = 4;
        initialize_world();
        init_save_load(world, cubes, 10, "alpha");
        game = 1;
    }
    void TearDown() override { game = 0, recording = false, calls.clear(), InTempDir::TearDown(); }
    static constexpr auto hold = HeldWorld::hold;
};

// An unusable chunk file is set aside and the chunk made anew; a good one gives its blocks back, unknown ids whole.
TEST_F(ChunkFiles, AnUnusableFileIsSetAsideAndAGoodOneGivesItsBlocksBack)
{
    const long sizes[] = {1000, CHUNK_FILE_BYTES + 10, 0};   // 0: a folder in its place, which cannot be read
    write_file("saves/alpha/2-2-2.qrb.damaged", "earlier");
    for (int n = 1; n <= 3; n++) {
        sizes[n - 1] ? write_file("saves/alpha/2-2-2.qrb", std::string((size_t)sizes[n - 1], '\x02'))
                     : (void)mkdir("saves/alpha/2-2-2.qrb", 0755);
        std::fill_n(&cubes[0].blocks[0][0][0], CHUNK_BLOCKS, 7);   // what the slot held must not stay
        EXPECT_EQ(build_chunk(2, 2, 2), 1);
        std::string damaged = "saves/alpha/2-2-2.qrb.damaged." + std::to_string(n);
        EXPECT_TRUE((sizes[n - 1] ? read_file(damaged).size() == (size_t)sizes[n - 1] : access(damaged.c_str(), F_OK) == 0) &&
                    cubes[0].blocks[0][0][0] == 3) << n;   // level 2 is earth
        // The new terrain is written as a file of its own.
        save_all();
        EXPECT_EQ(read_file("saves/alpha/2-2-2.qrb").size(), (size_t)CHUNK_FILE_BYTES);
        remove("saves/alpha/2-2-2.qrb");
    }
    EXPECT_EQ(read_file("saves/alpha/2-2-2.qrb.damaged"), "earlier");
    hold(0, 8, 4, 3, 3);
    cubes[0].blocks[0][0][0] = 0x0102;   // an id no table holds
    ASSERT_EQ(save_w(8, 4, 3), 1);
    // Little-endian, lz fastest.
    EXPECT_EQ(read_file("saves/alpha/8-4-3.qrb").substr(0, 4), std::string("\x02\x01\x03\x00", 4));
    hold(0, 8, 4, 3, 7);
    ASSERT_EQ(load_w(8, 4, 3), 1);
    EXPECT_TRUE(cubes[0].blocks[0][0][0] == 0x0102 && cubes[0].blocks[0][0][1] == 3);
}

TEST_F(ChunkFiles, OnlyChunksThatDifferFromTheirFileAreWritten)
{
    // Out of the keep window: one edited since it was loaded, one left as it was.
    for (int slot = 0; slot < 2; slot++) {
        hold(slot, 8, 5 + slot, 4, 3);
        save_w(8, 5 + slot, 4);
        load_w(8, 5 + slot, 4);
    }
    set_block(8, 5, 4, 5, 5, 5, 2);
    hold(2, 6, 4, 4, 3);   // in the keep window, at its wrapping edge
    chunk_changed(6, 4, 4);
    remove("saves/alpha/8-6-4.qrb");   // so a write would show
    for (int pass = 0; pass < 100 && (cubes[0].loaded || cubes[1].loaded); pass++)
        re_save(WRITES_PER_PASS), finish_writes();
    EXPECT_EQ(read_file("saves/alpha/8-5-4.qrb").substr(2 * (5 * 4096 + 5 * 64 + 5), 1), "\x02");
    EXPECT_TRUE(read_file("saves/alpha/8-6-4.qrb").empty());
    EXPECT_EQ(world_slot(6, 4, 4), 2);   // a fresh change in view waits for the autosave
    // At the exit every changed chunk is written, an unchanged one is not.
    hold(0, 4, 4, 4, 3);
    save_w(4, 4, 4);
    remove("saves/alpha/4-4-4.qrb");
    save_all();
    EXPECT_TRUE(!read_file("saves/alpha/6-4-4.qrb").empty() && read_file("saves/alpha/4-4-4.qrb").empty());
    EXPECT_EQ(world_slot(4, 4, 4), NO_SLOT);
}

// A chunk is written beside the frames: a pass never waits for the disk, the chunk stays held until its file is
// on disk, and a change made while it was written (an edit as its autosave runs) is written after it, in its own
// time. Without a thread the pass writes the chunk itself.
TEST_F(ChunkFiles, AWriteGoesOnBesideTheFramesAndLosesNoChangeMadeMeanwhile)
{
    const std::string file = "saves/alpha/8-4-4.qrb";
    hold(0, 8, 4, 4, 3), chunk_changed(8, 4, 4);   // out of the keep window
    disk_stalls = true;
    re_save(WRITES_PER_PASS);
    set_block(8, 4, 4, 5, 5, 5, 2);
    re_save(WRITES_PER_PASS);
    EXPECT_TRUE(world_slot(8, 4, 4) == 0 && read_file(file).empty());
    std::thread disk_recovers([] { usleep(100 * 1000), disk_stalls = false; });
    save_all();   // the exit waits for the write, then writes the change
    disk_recovers.join();
    EXPECT_EQ(plat_replace_file_end(0), WRITE_NONE);   // no write is left to die with the game
    EXPECT_EQ(world_slot(8, 4, 4), NO_SLOT);
    EXPECT_EQ(read_file(file).substr(2 * (5 * 4096 + 5 * 64 + 5), 2), std::string("\x02\x00", 2));
    // In view, the change made while the autosave wrote is written 30 s after the blocks were taken, not at once.
    hold(1, 4, 4, 4, 3), chunk_changed(4, 4, 4);
    for (long long at_ms : {30000, 59000, 60000}) {
        clock_moved_ms = at_ms;
        disk_stalls = at_ms == 30000;
        std::thread disk_recovers([] { usleep(50 * 1000), disk_stalls = false; });
        re_save(WRITES_PER_PASS);
        if (at_ms == 30000)
            set_block(4, 4, 4, 5, 5, 5, 2);
        disk_recovers.join();
        finish_writes();
        EXPECT_EQ(read_file("saves/alpha/4-4-4.qrb").substr(2 * (5 * 4096 + 5 * 64 + 5), 1), at_ms < 60000 ? "\x03" : "\x02") << at_ms;
    }
    clock_moved_ms = 0;
    // With no thread to be had, the pass writes the chunk itself.
    hold(2, 8, 5, 4, 3), chunk_changed(8, 5, 4);
    no_threads = true, re_save(WRITES_PER_PASS), no_threads = false;
    EXPECT_EQ(read_file("saves/alpha/8-5-4.qrb").size(), (size_t)CHUNK_FILE_BYTES);
}

// A file replaces the old one only once its bytes are on disk, and its new name is on disk before the write
// counts as done: a power cut leaves the old file or the new one. The exit save flushes once for all.
TEST_F(ChunkFiles, NoFileReplacesItsOldOneBeforeItIsOnDisk)
{
    const std::string a = "saves/alpha/8-4-3.qrb", b = "saves/alpha/8-5-3.qrb";
    hold(0, 8, 4, 3, 3);
    hold(1, 8, 5, 3, 3);
    recording = true;
    save_w(8, 4, 3);
    EXPECT_EQ(calls, (std::vector<std::string>{"write " + a + ".tmp", "fsync " + a + ".tmp", "rename " + a + ".tmp",
                                               "fsync saves/alpha"}));
    calls.clear();
    chunk_changed(8, 4, 3);
    chunk_changed(8, 5, 3);
    save_all();
    EXPECT_EQ(calls, (std::vector<std::string>{"write " + a + ".tmp", "write " + b + ".tmp", "syncfs saves/alpha",
                                               "rename " + a + ".tmp", "rename " + b + ".tmp", "fsync saves/alpha"}));
    EXPECT_TRUE(world_slot(8, 4, 3) == NO_SLOT && world_slot(8, 5, 3) == NO_SLOT);   // written, let go
}

// Changes are written once 30 s old, even while editing goes on. A failed write (the file size limit stands
// in for a full disk) keeps the old file and the chunk, is retried every 5 s and said once; the exit save too.
TEST_F(ChunkFiles, ChangesAreWrittenInTimeAndAFailedWriteLosesNothing)
{
    setenv("QUARROW_AUTOSAVE_SECONDS", "0", 1);   // the tests' shorter period: 0 s is none, and ignored
    init_save_load(world, cubes, 10, "alpha");
    hold(0, 4, 4, 4, 3);   // in view
    save_w(4, 4, 4);
    const std::string file = "saves/alpha/4-4-4.qrb";
    const struct { long long at_ms; bool edit, full_disk; char on_disk; } steps[] = {
        {0, true, false, 3}, {20000, true, false, 3}, {29000, true, false, 3}, {30000, false, true, 3},
        {31000, false, false, 3}, {34000, false, false, 3}, {35000, false, true, 3}, {40000, false, false, 1}};
    struct rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    signal(SIGXFSZ, SIG_IGN);
    testing::internal::CaptureStdout();
    for (const auto &s : steps) {
        clock_moved_ms = s.at_ms;
        if (s.edit) {
            cubes[0].blocks[0][0][0] = 1;
            chunk_changed(4, 4, 4);
        }
        struct rlimit limit = {s.full_disk ? 1000 : old_limit.rlim_cur, old_limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        re_save(WRITES_PER_PASS);
        re_save(WRITES_PER_PASS);
        finish_writes();
        setrlimit(RLIMIT_FSIZE, &old_limit);
        EXPECT_TRUE(read_file(file)[0] == s.on_disk && saving_fails() == (s.at_ms >= 30000 && s.on_disk == 3)) << s.at_ms;
    }
    // Out of view on a full disk, the exit save keeps the chunk held; with room it is written and let go.
    hold(1, 8, 4, 4, 2);
    chunk_changed(8, 4, 4);
    for (bool full : {true, false}) {
        struct rlimit limit = {full ? 1000 : old_limit.rlim_cur, old_limit.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
        save_all();
        setrlimit(RLIMIT_FSIZE, &old_limit);
        EXPECT_TRUE(world_slot(8, 4, 4) == (full ? 1 : NO_SLOT) && read_file("saves/alpha/8-4-4.qrb")[0] == (full ? '\0' : 2));
    }
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "cannot write ./saves/alpha/4-4-4.qrb: File too large \n"
                                                      "cannot write ./saves/alpha/8-4-4.qrb: File too large \n");
    clock_moved_ms = 0;
}

}  // namespace
