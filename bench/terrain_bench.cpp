// Terrain generation of one chunk: the two surface variants and an earth level.
#include "platform/platform.h"
#include "world/terrain.h"
#include "world/world.h"

#include <benchmark/benchmark.h>

namespace {

// Seeds so that the first draw of every chunk picks the wanted variant.
void surface(benchmark::State &state, bool bowl)
{
    unsigned seed = 1;
    for (auto _ : state) {
        state.PauseTiming();
        for (;; seed++) {
            plat_srand(seed);
            if ((plat_rand() % 7 == 6) == bowl)
                break;
        }
        plat_srand(seed++);
        state.ResumeTiming();
        generateCube(0, 0, 0, SURFACE_LEVEL);
        benchmark::DoNotOptimize(cubes[0].blocks[32][32][10]);
    }
}

void BM_GenerateSurfaceFlat(benchmark::State &state)
{
    surface(state, false);
}
void BM_GenerateSurfaceBowl(benchmark::State &state)
{
    surface(state, true);
}
void BM_GenerateEarthLevel(benchmark::State &state)
{
    for (auto _ : state) {
        generateCube(0, 0, 0, 2);
        benchmark::DoNotOptimize(cubes[0].blocks[32][32][10]);
    }
}

BENCHMARK(BM_GenerateSurfaceFlat)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GenerateSurfaceBowl)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GenerateEarthLevel)->Unit(benchmark::kMicrosecond);

}  // namespace
