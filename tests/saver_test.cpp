// Chunk files: the format, damaged files, failed writes, and writing chunks out.
#include "save/saver.h"

#include "app/engine.h"
#include "platform/platform.h"
#include "player/picking.h"
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
    // Lets go of a chunk built by the streaming pass, mesh and all.
    static void drop(int slot, int cx, int cy, int level)
    {
        free(cubes[slot].vertices);
        free(cubes[slot].tex_coords);
        free(cubes[slot].normals);
        cubes[slot].vertices = cubes[slot].tex_coords = cubes[slot].normals = nullptr;
        cubes[slot].loaded = 0;
        *world_entry(cx, cy, level) = NO_SLOT;
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
    EXPECT_EQ(save_w(0, 9, 3), 1);
    EXPECT_EQ(check(0, 9, 3), 1);
    EXPECT_EQ(size_of(path), CHUNK_FILE_BYTES);
    FILE *f = fopen(path, "rb");
    unsigned char head[4];
    ASSERT_EQ(fread(head, 1, 4, f), 4u);
    fclose(f);
    EXPECT_EQ(head[0], 0x02);   // block (0, 0, 0), little-endian
    EXPECT_EQ(head[1], 0x01);
    EXPECT_EQ(head[2] | head[3] << 8, cubes[0].blocks[0][0][1]);

    // Loaded into another slot: the same blocks.
    *world_entry(0, 9, 3) = 1;
    fill(1, 9);
    EXPECT_EQ(load_w(0, 9, 3), 1);
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

TEST_F(ChunkFiles, IdsTheGameDoesNotKnowAreKeptAndWrittenBackUnchanged)
{
    struct foreign {
        const char *what;
        unsigned char low, high;
    } cases[] = {{"all 0xFF", 0xff, 0xff}, {"id 256", 0x00, 0x01}, {"earth with its high byte flipped", 0x03, 0x80}};
    hold(0, 1, 1, 1);
    for (const foreign &c : cases) {
        std::string bytes((size_t)CHUNK_FILE_BYTES, '\0');
        for (size_t i = 0; i < bytes.size(); i += 2) {
            bytes[i] = (char)c.low;
            bytes[i + 1] = (char)c.high;
        }
        bytes[8192] = 2;   // one known block among them: rock at (1, 0, 0)
        bytes[8193] = 0;
        write_file("saves/alpha/1-1-1.qrb", bytes);
        fill(0, 7);
        testing::internal::CaptureStdout();
        EXPECT_EQ(load_w(1, 1, 1), 1) << c.what;
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.what;
        EXPECT_EQ(cubes[0].blocks[0][0][0], c.low | c.high << 8) << c.what;
        EXPECT_EQ(cubes[0].blocks[1][0][0], 2) << c.what;
        EXPECT_EQ(save_w(1, 1, 1), 1) << c.what;
        EXPECT_TRUE(read_file("saves/alpha/1-1-1.qrb") == bytes) << c.what;
    }
}

TEST_F(ChunkFiles, UnusableFilesAreSetAsideAndTheChunkIsNewTerrain)
{
    struct unusable {
        const char *what;
        long bytes;   // -1: a folder in the file's place
        const char *said;
    } cases[] = {{"short", 1000, "is damaged (1000 bytes)"},
                 {"empty", 0, "is damaged (0 bytes)"},
                 {"oversized", CHUNK_FILE_BYTES + 10, "is damaged (524298 bytes)"},
                 {"folder", -1, "cannot be read (Is a directory)"}};
    // An earlier set-aside file is never replaced by a later one.
    write_file("saves/alpha/2-2-2.qrb.damaged", "earlier");
    int n = 0;
    for (const unusable &c : cases) {
        if (c.bytes < 0) {
            mkdir("saves/alpha/2-2-2.qrb", 0755);
            write_file("saves/alpha/2-2-2.qrb/inside", "kept");
        } else {
            write_file("saves/alpha/2-2-2.qrb", std::string((size_t)c.bytes, '\x02'));
        }
        fill(0, 7);   // what the slot held before: none of it may stay
        testing::internal::CaptureStdout();
        EXPECT_EQ(build_chunk(2, 2, 2), 1) << c.what;
        std::string out = testing::internal::GetCapturedStdout();
        std::string aside = "./saves/alpha/2-2-2.qrb.damaged." + std::to_string(++n);
        EXPECT_EQ(out, std::string("chunk file ./saves/alpha/2-2-2.qrb ") + c.said + ", moved to " + aside +
                           " \ncreated 0,2 2 2 \n") << c.what;
        // Level 2 is earth all through, as if the chunk had never been stored.
        const uint16_t *b = &cubes[0].blocks[0][0][0];
        for (long i = 0; i < CHUNK_BLOCKS; i++)
            ASSERT_EQ(b[i], 3) << c.what << " block " << i;
        EXPECT_FALSE(plat_file_exists("saves/alpha/2-2-2.qrb")) << c.what;
        // The new terrain goes to disk as a file of its own.
        save_all();
        EXPECT_EQ(size_of("saves/alpha/2-2-2.qrb"), CHUNK_FILE_BYTES);
        remove("saves/alpha/2-2-2.qrb");
    }
    EXPECT_EQ(read_file("saves/alpha/2-2-2.qrb.damaged"), "earlier");
    EXPECT_EQ(size_of("saves/alpha/2-2-2.qrb.damaged.1"), 1000);
    EXPECT_EQ(size_of("saves/alpha/2-2-2.qrb.damaged.2"), 0);
    EXPECT_EQ(size_of("saves/alpha/2-2-2.qrb.damaged.3"), CHUNK_FILE_BYTES + 10);
    EXPECT_EQ(read_file("saves/alpha/2-2-2.qrb.damaged.4/inside"), "kept");
}

TEST_F(ChunkFiles, AFullDiskLosesNothing)
{
    c_position_x = c_position_y = 4;
    c_position_z = 4;
    fill(0, 3);
    hold(0, 8, 4, 4);   // out of the keep window
    save_w(8, 4, 4);
    fill(0, 1);
    chunk_changed(8, 4, 4);
    // Every write fails with the disk full (the file size limit stands in
    // for it): the chunk stays held and unsaved, the old file stays whole.
    struct rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    struct rlimit small = {100000, old_limit.rlim_max};   // the soft limit alone, so it can be raised again
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStdout();
    re_save();
    re_save();
    save_all();
    std::string out = testing::internal::GetCapturedStdout();
    setrlimit(RLIMIT_FSIZE, &old_limit);
    EXPECT_EQ(out, "cannot write ./saves/alpha/8-4-4.qrb: File too large \n");   // said once
    EXPECT_EQ(world_slot(8, 4, 4), 0);
    EXPECT_EQ(cubes[0].loaded, 1);
    EXPECT_EQ(saving_fails(), 1);
    EXPECT_EQ(size_of("saves/alpha/8-4-4.qrb"), CHUNK_FILE_BYTES);
    EXPECT_EQ(read_file("saves/alpha/8-4-4.qrb")[0], 3);
    EXPECT_FALSE(plat_file_exists("saves/alpha/8-4-4.qrb.tmp"));

    // Room again: the next try writes the chunk and lets it go.
    save_all();
    EXPECT_EQ(saving_fails(), 0);
    EXPECT_EQ(world_slot(8, 4, 4), NO_SLOT);
    EXPECT_EQ(read_file("saves/alpha/8-4-4.qrb")[0], 1);
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

TEST_F(ChunkFiles, OnlyChunksThatDifferFromTheirFileAreWritten)
{
    c_position_x = c_position_y = 4;
    c_position_z = 4;
    // Out of the keep window: one generated and never written, one edited
    // since it was loaded, one loaded and left as it was.
    generateCube(0, 8, 4, 4);
    hold(0, 8, 4, 4);
    chunk_changed(8, 4, 4);
    fill(1, 3);
    hold(1, 8, 5, 4);
    save_w(8, 5, 4);
    load_w(8, 5, 4);
    set_block(8, 5, 4, 5, 5, 5, 2);   // as digging and placing do
    fill(2, 3);
    hold(2, 8, 6, 4);
    save_w(8, 6, 4);
    load_w(8, 6, 4);
    remove("saves/alpha/8-6-4.qrb");   // so a write would show
    // In the window, edited just now.
    fill(3, 2);
    hold(3, 4, 4, 4);
    chunk_changed(4, 4, 4);

    // Writes are spread over passes, a few at a time.
    for (int pass = 0; pass < 100 && (cubes[0].loaded || cubes[1].loaded); pass++)
        re_save();
    EXPECT_EQ(size_of("saves/alpha/8-4-4.qrb"), CHUNK_FILE_BYTES);
    EXPECT_EQ(read_file("saves/alpha/8-5-4.qrb")[2 * (5 * 4096 + 5 * 64 + 5)], 2);
    EXPECT_FALSE(plat_file_exists("saves/alpha/8-6-4.qrb"));
    for (int slot = 0; slot < 3; slot++)
        EXPECT_EQ(cubes[slot].loaded, 0) << slot;
    EXPECT_EQ(world_slot(8, 4, 4), NO_SLOT);
    EXPECT_EQ(world_slot(8, 6, 4), NO_SLOT);
    // A fresh change in view waits for the autosave.
    EXPECT_FALSE(plat_file_exists("saves/alpha/4-4-4.qrb"));
    EXPECT_EQ(world_slot(4, 4, 4), 3);

    // At the end every unsaved chunk is written and every slot let go.
    fill(4, 3);
    hold(4, 5, 5, 5);
    save_w(5, 5, 5);
    remove("saves/alpha/5-5-5.qrb");
    save_all();
    EXPECT_TRUE(plat_file_exists("saves/alpha/4-4-4.qrb"));
    EXPECT_FALSE(plat_file_exists("saves/alpha/5-5-5.qrb"));
    for (int i = 0; i < 10 * 10 * 10; i++)
        ASSERT_EQ(world[i], NO_SLOT);
    // Without a game (the menu's exit) nothing is written.
    game = 0;
    hold(3, 4, 4, 4);
    chunk_changed(4, 4, 4);
    remove("saves/alpha/4-4-4.qrb");
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
    drop(0, 3, 3, 3);
}

}  // namespace
