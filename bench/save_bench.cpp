// One chunk written to its file and read back, and one writing-out pass over a
// 30 x 30 world with nothing to write.
#include "app/engine.h"
#include "save/saver.h"
#include "world/streaming.h"
#include "world/terrain.h"
#include "world/world.h"

#include <benchmark/benchmark.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>

namespace {

char world_name[] = "bench";

void quiet_world(int size)
{
    int saved = dup(1);
    int null_fd = open("/dev/null", O_WRONLY);
    fflush(stdout);
    dup2(null_fd, 1);
    world_size = size;
    initialize_world();
    init_save_load(world, cubes, size, world_name);
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null_fd);
}

// Chunk files go to a fresh folder under /tmp.
void enter_temp_dir()
{
    static char dir[] = "/tmp/quarrow-bench-XXXXXX";
    static bool made = false;
    if (!made && mkdtemp(dir))
        made = true;
    if (chdir(dir) != 0)
        return;
    mkdir("saves", 0755);
    mkdir("saves/bench", 0755);
}

void BM_SaveAndLoadOneChunk(benchmark::State &state)
{
    enter_temp_dir();
    quiet_world(10);
    *world_entry(3, 3, 4) = (int16_t)generateCube(0, 3, 3, 4);
    for (auto _ : state) {
        save_w(3, 3, 4);
        load_w(3, 3, 4);
    }
    state.SetBytesProcessed(state.iterations() * 2 * CHUNK_FILE_BYTES);
}

void BM_WriteOutPass30x30(benchmark::State &state)
{
    enter_temp_dir();
    quiet_world(30);
    game = 1;
    vision_range = 1;
    c_position_x = c_position_y = 3;
    c_position_z = 4;
    for (auto _ : state)
        re_save(WRITES_PER_PASS);
    game = 0;
}

BENCHMARK(BM_SaveAndLoadOneChunk)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WriteOutPass30x30)->Unit(benchmark::kMicrosecond);

}  // namespace
