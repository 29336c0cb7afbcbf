// Meshing one chunk: a flat surface, a bowl, and the worst case that hits the quad limit.
#include "platform/platform.h"
#include "render/materials.h"
#include "render/mesher.h"
#include "world/terrain.h"
#include "world/world.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

// The mesher and the world print their lines; the figures must stay readable.
int quiet_begin()
{
    fflush(stdout);
    int saved = dup(1);
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    close(null_fd);
    return saved;
}

void quiet_end(int saved)
{
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
}

// Chunk (4, 4, 4) in slot 0, generated with a seed that picks the variant;
// its neighbours held as air (above) and earth (round and below).
void surface_world(bool bowl)
{
    world_size = 10;
    int saved = quiet_begin();
    initialize_world();
    quiet_end(saved);
    fill_block_tables();
    for (unsigned seed = 1;; seed++) {
        plat_srand(seed);
        if ((plat_rand() % 7 == 6) == bowl) {
            plat_srand(seed);
            break;
        }
    }
    *world_entry(4, 4, 4) = (int16_t)generateCube(0, 4, 4, 4);
    const int next[6][3] = {{4, 4, 3}, {4, 4, 5}, {4, 5, 4}, {4, 3, 4}, {5, 4, 4}, {3, 4, 4}};
    for (int i = 0; i < 6; i++)
        *world_entry(next[i][0], next[i][1], next[i][2]) = (int16_t)generateCube(1 + i, 0, 0, i == 1 ? 5 : 4);
}

void report(benchmark::State &state)
{
    state.counters["quads"] = cubes[0].quad_count;
    state.counters["faces"] = cubes[0].face_count;
}

void BM_MeshFlatSurface(benchmark::State &state)
{
    surface_world(false);
    for (auto _ : state)
        create_polygons(4, 4, 4);
    report(state);
}

void BM_MeshBowlSurface(benchmark::State &state)
{
    surface_world(true);
    for (auto _ : state)
        create_polygons(4, 4, 4);
    report(state);
}

// An earth chunk among air chunks: every border block shows faces until the limit.
void BM_MeshWorstCase(benchmark::State &state)
{
    surface_world(false);
    generateCube(0, 4, 4, 2);
    for (int i = 1; i <= 6; i++)
        generateCube(i, 0, 0, 7);
    int saved = quiet_begin();
    for (auto _ : state)
        create_polygons(4, 4, 4);
    quiet_end(saved);
    report(state);
}

// What one build costs the frame it happens in: a chunk generated and meshed,
// and its six held neighbours given the border faces that look into it. It
// must stay well inside the 48 ms of the three physics steps between two
// builds, and a frame's 12.5 ms.
void BM_BuildWithNeighbours(benchmark::State &state)
{
    surface_world(false);
    const int next[6][3] = {{4, 4, 3}, {4, 4, 5}, {4, 5, 4}, {4, 3, 4}, {5, 4, 4}, {3, 4, 4}};
    const int toward[6] = {FACE_TOP, FACE_BOTTOM, FACE_LY_PLUS, FACE_LY_MINUS, FACE_LX_PLUS, FACE_LX_MINUS};
    for (int i = 0; i < 6; i++)
        generateCube(1 + i, next[i][0], next[i][1], next[i][2]);
    for (auto _ : state) {
        state.PauseTiming();   // the neighbours as they were before the chunk came
        *world_entry(4, 4, 4) = NO_SLOT;
        for (const auto &n : next)
            create_polygons(n[0], n[1], n[2]);
        *world_entry(4, 4, 4) = 0;
        state.ResumeTiming();
        generateCube(0, 4, 4, 4);
        create_polygons(4, 4, 4);
        for (int i = 0; i < 6; i++)
            mesh_faces_toward(next[i][0], next[i][1], next[i][2], toward[i]);
    }
    report(state);
}

BENCHMARK(BM_MeshFlatSurface)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeshBowlSurface)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MeshWorstCase)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildWithNeighbours)->Unit(benchmark::kMillisecond);

}  // namespace
