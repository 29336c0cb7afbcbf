// One physics step with the player walking on the ground and digging.
#include "player/cells.h"
#include "player/particles.h"
#include "player/physics.h"
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

void hold_surface()
{
    world_size = 10;
    int saved = dup(1);
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    initialize_world();
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null_fd);
    fill_block_tables();
    init_particles();
    player_cells = init_cells(10, 5);
    int slot = 0;
    for (int x = 3; x <= 5; x++)
        for (int y = 3; y <= 5; y++)
            for (int level = 3; level <= 5; level++)
                *world_entry(x, y, level) = (int16_t)generateCube(slot++, x, y, level);
    for (int x = 3; x <= 5; x++)
        for (int y = 3; y <= 5; y++)
            for (int level = 3; level <= 5; level++)
                create_polygons(x, y, level);
}

void BM_PhysicsStepWalkingAndDigging(benchmark::State &state)
{
    hold_surface();
    reset_players(1);
    fly_mode = 0;
    player *me = &gamer[0];
    me->x = me->y = 250;
    me->z = 290;
    me->rot_x = 60;   // looking down ahead while walking
    me->dig_button = 1;
    long broken = 0;
    for (auto _ : state) {
        me->vel_y -= 0.024;   // W held: walking along +y
        if (me->y > 300)
            me->y = 200;
        e_psysix();
        broken += me->dig_left <= 0;
    }
    state.counters["blocks_dug"] = (double)broken;
}

BENCHMARK(BM_PhysicsStepWalkingAndDigging)->Unit(benchmark::kMicrosecond);

}  // namespace
