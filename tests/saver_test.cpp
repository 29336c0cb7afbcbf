// Chunk files: the format, damaged files, failed writes, and writing chunks out.
#include "save/saver.h"

#include "app/engine.h"
#include "platform/platform.h"
#include "temp_dir.h"
#include "world/streaming.h"
#include "world/terrain.h"
#include "world/world.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstring>

namespace {

class ChunkFiles : public InTempDir {
protected:
    char name[16] = "alpha";

    void SetUp() override
    {
        InTempDir::SetUp();
        mkdir("saves", 0755);
        mkdir("saves/alpha", 0755);
        world_size = 10;
        vision_range = 1;
        testing::internal::CaptureStdout();
        initialize_world();
        init_save_load(world, cubes, 10, name);
        EXPECT_EQ(testing::internal::GetCapturedStdout(),
                  "world size 10 \nsave_load version 0.100000, world name alpha \n");
        game = 1;
    }
    void TearDown() override
    {
        game = 0;
        for (int i = 0; i < POOL_SLOTS; i++)
            cubes[i].loaded = 0;
        InTempDir::TearDown();
    }
    static void hold(int slot, int cx, int cy, int level)
    {
        cubes[slot].loaded = 1;
        *world_entry(cx, cy, level) = (int16_t)slot;
    }
    static long size_of(const char *path)
    {
        struct stat st;
        return stat(path, &st) == 0 ? (long)st.st_size : -1;
    }
    static void fill(int slot, uint16_t id)
    {
        uint16_t *b = &cubes[slot].blocks[0][0][0];
        for (int i = 0; i < CHUNK_BLOCKS; i++)
            b[i] = id;
    }
};

TEST_F(ChunkFiles, SavedChunkComesBackIdenticalFromItsFile)
{
    char path[256];
    chunk_path(path, sizeof path, 0, 9, 3);
    EXPECT_STREQ(path, "./saves/alpha/0-9-3.qrb");

    plat_srand(5);
    generateCube(0, 0, 9, 4);
    cubes[0].blocks[0][0][0] = 0x0102;
    hold(0, 0, 9, 3);
    EXPECT_EQ(check(0, 9, 3), 0);
    save_w(0, 9, 3);
    EXPECT_EQ(check(0, 9, 3), 1);
    EXPECT_EQ(size_of(path), CHUNK_FILE_BYTES);
    FILE *f = fopen(path, "rb");
    unsigned char head[4];
    ASSERT_EQ(fread(head, 1, 4, f), 4u);
    fclose(f);
    EXPECT_EQ(head[0], 0x02);   // block (0, 0, 0), little-endian
    EXPECT_EQ(head[1], 0x01);
    EXPECT_EQ(head[2] | head[3] << 8, cubes[0].blocks[0][0][1]);

    // Loaded into another slot: the same blocks (ids past the tables read as air).
    cubes[0].blocks[0][0][0] = 3;
    save_w(0, 9, 3);
    *world_entry(0, 9, 3) = 1;
    fill(1, 9);
    load_w(0, 9, 3);
    EXPECT_EQ(memcmp(cubes[0].blocks, cubes[1].blocks, sizeof cubes[0].blocks), 0);

    // Saving again keeps the later contents; no temporary file is left.
    cubes[1].blocks[5][5][5] = 2;
    save_w(0, 9, 3);
    fill(2, 0);
    *world_entry(0, 9, 3) = 2;
    load_w(0, 9, 3);
    EXPECT_EQ(cubes[2].blocks[5][5][5], 2);
    EXPECT_FALSE(plat_file_exists("./saves/alpha/0-9-3.qrb.tmp"));
}

TEST_F(ChunkFiles, DamagedFilesAreSetAsideAndKept)
{
    hold(0, 1, 1, 1);
    struct damaged {
        const char *what;
        long bytes;
    } cases[] = {{"short", 1000}, {"empty", 0}, {"oversized", CHUNK_FILE_BYTES + 10}};
    for (const damaged &d : cases) {
        std::string bytes((size_t)d.bytes, '\0');
        for (long i = 0; i + 1 < d.bytes; i += 2)
            bytes[(size_t)i] = 3;   // earth
        bytes.size() > 2 ? (void)(bytes[2] = (char)0xff, bytes[3] = (char)0xff) : (void)0;   // id 65535
        write_file("saves/alpha/1-1-1.qrb", bytes);
        fill(0, 7);   // what the slot held before: none of it may stay
        testing::internal::CaptureStdout();
        load_w(1, 1, 1);
        std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("chunk file ./saves/alpha/1-1-1.qrb is damaged (" + std::to_string(d.bytes) + " bytes), moved to"),
                  std::string::npos) << d.what << out;
        EXPECT_FALSE(plat_file_exists("saves/alpha/1-1-1.qrb")) << d.what;
        const uint16_t *b = &cubes[0].blocks[0][0][0];
        long held = d.bytes < CHUNK_FILE_BYTES ? d.bytes / 2 : CHUNK_BLOCKS;
        for (long i = 0; i < CHUNK_BLOCKS; i++) {
            uint16_t want = i == 1 ? 0 : i < held ? 3 : 0;
            ASSERT_EQ(b[i], want) << d.what << " block " << i;
        }
    }
    // Each damaged file was moved aside, none overwritten.
    EXPECT_EQ(size_of("saves/alpha/1-1-1.qrb.damaged"), 1000);
    EXPECT_EQ(size_of("saves/alpha/1-1-1.qrb.damaged.1"), 0);
    EXPECT_EQ(size_of("saves/alpha/1-1-1.qrb.damaged.2"), CHUNK_FILE_BYTES + 10);
}

TEST_F(ChunkFiles, UnreadableFileIsReportedAndSetAside)
{
    // Something in the chunk's place that reads with an error: a folder.
    mkdir("saves/alpha/3-3-3.qrb", 0755);
    write_file("saves/alpha/3-3-3.qrb/inside", "kept");
    hold(0, 3, 3, 3);
    fill(0, 7);
    testing::internal::CaptureStdout();
    load_w(3, 3, 3);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "chunk file ./saves/alpha/3-3-3.qrb cannot be read (Is a directory), "
                   "moved to ./saves/alpha/3-3-3.qrb.damaged \n");
    EXPECT_EQ(cubes[0].blocks[1][2][3], 0);
    EXPECT_TRUE(plat_file_exists("saves/alpha/3-3-3.qrb.damaged/inside"));
    // The chunk goes back to disk as a file of its own.
    save_w(3, 3, 3);
    EXPECT_EQ(size_of("saves/alpha/3-3-3.qrb"), CHUNK_FILE_BYTES);
}

TEST_F(ChunkFiles, FailedWritesAreReportedAndKeepTheOldFile)
{
    hold(0, 2, 2, 2);
    fill(0, 3);
    save_w(2, 2, 2);
    // A disk that fills halfway through the next write.
    struct rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    struct rlimit small = {100000, old_limit.rlim_max};   // the soft limit alone, so it can be raised again
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    fill(0, 1);
    testing::internal::CaptureStdout();
    save_w(2, 2, 2);
    std::string out = testing::internal::GetCapturedStdout();
    setrlimit(RLIMIT_FSIZE, &old_limit);
    EXPECT_EQ(out.rfind("cannot write ./saves/alpha/2-2-2.qrb: ", 0), 0u) << out;
    EXPECT_EQ(size_of("saves/alpha/2-2-2.qrb"), CHUNK_FILE_BYTES);
    EXPECT_FALSE(plat_file_exists("saves/alpha/2-2-2.qrb.tmp"));
    *world_entry(2, 2, 2) = 1;
    load_w(2, 2, 2);
    EXPECT_EQ(cubes[1].blocks[9][9][9], 3);   // the old contents, whole

    // A world without a folder: every write fails, each one says so.
    snprintf(name, sizeof name, "gone");
    testing::internal::CaptureStdout();
    save_w(2, 2, 2);
    out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("cannot write ./saves/gone/2-2-2.qrb: No such file or directory"), std::string::npos) << out;
}

TEST_F(ChunkFiles, KeepWindowWrapsAndIsOneWiderBelow)
{
    c_position_x = c_position_y = 0;
    c_position_z = 4;
    for (int x = 0; x < 10; x++) {
        bool kept = x == 9 || x == 0 || x == 1 || x == 2;
        EXPECT_EQ(in_keep_window(x, 0, 4), kept) << x;
    }
    for (int z = 0; z < 10; z++)
        EXPECT_EQ(in_keep_window(0, 0, z), z >= 3 && z <= 6) << z;
    vision_range = 3;
    for (int x = 0; x < 10; x++)
        EXPECT_EQ(in_keep_window(x, 0, 4), x != 5 && x != 6) << x;
}

TEST_F(ChunkFiles, ChunksLeavingTheWindowAndAtTheEndAreWrittenOnce)
{
    c_position_x = c_position_y = 4;
    c_position_z = 4;
    generateCube(0, 8, 4, 4);   // never edited, out of the window
    hold(0, 8, 4, 4);
    fill(1, 3);
    hold(1, 4, 4, 4);
    fill(2, 2);
    hold(2, 5, 5, 5);
    re_save();
    EXPECT_TRUE(plat_file_exists("saves/alpha/8-4-4.qrb"));
    EXPECT_EQ(world_slot(8, 4, 4), NO_SLOT);
    EXPECT_EQ(cubes[0].loaded, 0);
    EXPECT_FALSE(plat_file_exists("saves/alpha/4-4-4.qrb"));
    EXPECT_EQ(world_slot(4, 4, 4), 1);

    save_all();
    EXPECT_TRUE(plat_file_exists("saves/alpha/4-4-4.qrb"));
    EXPECT_TRUE(plat_file_exists("saves/alpha/5-5-5.qrb"));
    for (int i = 0; i < 10 * 10 * 10; i++)
        ASSERT_EQ(world[i], NO_SLOT);
    // A second call finds nothing left to write.
    remove("saves/alpha/4-4-4.qrb");
    save_all();
    EXPECT_FALSE(plat_file_exists("saves/alpha/4-4-4.qrb"));
    // Without a game (the menu's exit) nothing is written.
    game = 0;
    hold(1, 4, 4, 4);
    save_all();
    EXPECT_FALSE(plat_file_exists("saves/alpha/4-4-4.qrb"));
}

TEST_F(ChunkFiles, StreamingLoadsAStoredChunkInsteadOfGeneratingIt)
{
    fill(0, 2);
    hold(0, 3, 3, 3);
    save_w(3, 3, 3);
    cubes[0].loaded = 0;
    *world_entry(3, 3, 3) = NO_SLOT;
    testing::internal::CaptureStdout();
    EXPECT_EQ(build_chunk(3, 3, 3), 1);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "loaded 0,3 3 3 \n");
    EXPECT_EQ(cubes[0].blocks[10][10][10], 2);
    free(cubes[0].vertices);
    free(cubes[0].tex_coords);
    free(cubes[0].normals);
    cubes[0].vertices = cubes[0].tex_coords = cubes[0].normals = nullptr;
}

}  // namespace
