// Chunk files: the format, damaged files, a full disk, and which chunks are written.
#include "save/saver.h"

#include "app/engine.h"
#include "player/picking.h"
#include "temp_dir.h"
#include "world/streaming.h"
#include "world/world.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <algorithm>

namespace {

class ChunkFiles : public InTempDir {
protected:
    void SetUp() override
    {
        InTempDir::SetUp();
        mkdir("saves", 0755);
        mkdir("saves/alpha", 0755);
        world_size = 10;
        vision_range = 1;
        c_position_x = c_position_y = c_position_z = 4;
        initialize_world();
        init_save_load(world, cubes, 10, "alpha");
        game = 1;
    }
    void TearDown() override
    {
        game = 0;
        InTempDir::TearDown();
    }
    // Holds chunk (cx, cy, level) in slot, every block id.
    static void hold(int slot, int cx, int cy, int level, uint16_t id)
    {
        std::fill_n(&cubes[slot].blocks[0][0][0], CHUNK_BLOCKS, id);
        cubes[slot].loaded = 1;
        *world_entry(cx, cy, level) = (int16_t)slot;
    }
};

TEST_F(ChunkFiles, BlocksComeBackFromTheFileUnknownIdsWhole)
{
    hold(0, 8, 4, 3, 3);
    cubes[0].blocks[0][0][0] = 0x0102;   // an id no table holds
    ASSERT_EQ(save_w(8, 4, 3), 1);
    // Little-endian, lz fastest.
    EXPECT_EQ(read_file("saves/alpha/8-4-3.qrb").substr(0, 4), std::string("\x02\x01\x03\x00", 4));
    hold(0, 8, 4, 3, 7);
    ASSERT_EQ(load_w(8, 4, 3), 1);
    EXPECT_EQ(cubes[0].blocks[0][0][0], 0x0102);
    EXPECT_EQ(cubes[0].blocks[0][0][1], 3);
}

TEST_F(ChunkFiles, AnUnusableFileIsSetAsideAndTheChunkIsNewTerrain)
{
    const long sizes[] = {1000, CHUNK_FILE_BYTES + 10};
    write_file("saves/alpha/2-2-2.qrb.damaged", "earlier");
    for (int n = 1; n <= 2; n++) {
        write_file("saves/alpha/2-2-2.qrb", std::string((size_t)sizes[n - 1], '\x02'));
        std::fill_n(&cubes[0].blocks[0][0][0], CHUNK_BLOCKS, 7);   // what the slot held must not stay
        EXPECT_EQ(build_chunk(2, 2, 2), 1);
        EXPECT_EQ(read_file("saves/alpha/2-2-2.qrb.damaged." + std::to_string(n)).size(), (size_t)sizes[n - 1]);
        EXPECT_EQ(cubes[0].blocks[0][0][0], 3);   // level 2 is earth
        // The new terrain is written as a file of its own.
        save_all();
        EXPECT_EQ(read_file("saves/alpha/2-2-2.qrb").size(), (size_t)CHUNK_FILE_BYTES);
        remove("saves/alpha/2-2-2.qrb");
    }
    EXPECT_EQ(read_file("saves/alpha/2-2-2.qrb.damaged"), "earlier");
}

TEST_F(ChunkFiles, AFullDiskLosesNothing)
{
    hold(0, 8, 4, 4, 3);   // out of the keep window
    save_w(8, 4, 4);
    hold(0, 8, 4, 4, 1);
    chunk_changed(8, 4, 4);
    // The file size limit stands in for a full disk.
    struct rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    struct rlimit small = {100000, old_limit.rlim_max};
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &small);
    testing::internal::CaptureStdout();
    re_save();
    re_save();
    save_all();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(saving_fails(), 1);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    EXPECT_EQ(out, "cannot write ./saves/alpha/8-4-4.qrb: File too large \n");   // said once
    EXPECT_EQ(world_slot(8, 4, 4), 0);
    EXPECT_EQ(read_file("saves/alpha/8-4-4.qrb")[0], 3);
    // Room again: the next try writes the chunk and lets it go.
    save_all();
    EXPECT_EQ(world_slot(8, 4, 4), NO_SLOT);
    EXPECT_EQ(read_file("saves/alpha/8-4-4.qrb")[0], 1);
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
        re_save();
    EXPECT_EQ(read_file("saves/alpha/8-5-4.qrb").substr(2 * (5 * 4096 + 5 * 64 + 5), 1), "\x02");
    EXPECT_TRUE(read_file("saves/alpha/8-6-4.qrb").empty());
    EXPECT_EQ(world_slot(6, 4, 4), 2);   // a fresh change in view waits for the autosave
    // At the exit every changed chunk is written, an unchanged one is not.
    hold(0, 4, 4, 4, 3);
    save_w(4, 4, 4);
    remove("saves/alpha/4-4-4.qrb");
    save_all();
    EXPECT_FALSE(read_file("saves/alpha/6-4-4.qrb").empty());
    EXPECT_TRUE(read_file("saves/alpha/4-4-4.qrb").empty());
    EXPECT_EQ(world_slot(4, 4, 4), NO_SLOT);
}

}  // namespace
