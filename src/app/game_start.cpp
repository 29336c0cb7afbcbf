// game_start.cpp — everything a world needs before its first frame, and the
// player kept with it.
#include "app/game_start.h"

#include "app/engine.h"
#include "app/frame.h"
#include "gui/gui.h"
#include "gui/inventory_page.h"
#include "player/cells.h"
#include "player/physics.h"
#include "render/materials.h"
#include "save/player_file.h"
#include "save/saver.h"
#include "world/streaming.h"
#include "world/terrain.h"
#include "world/world.h"

#include <cmath>
#include <cstring>

// Where the cells of the world are looked at before its first frame.
static const int TOP_CELL = 64 * (TOP_STREAMED_LEVEL + 1);   // above: air, never streamed
static const double FALLBACK_FEET = 284.0;                  // a column without any ground

// --- the chunks under and round the player, first of all ---

// The chunk at (x, y, level) held, built from its file or as terrain when it
// is not; null when it cannot be.
static cube_slot *chunk_for(double x, double y, int level)
{
    int cx = t_zn(cell_chunk(x)), cy = t_zn(cell_chunk(y));
    cube_slot *c = held_chunk(cx, cy, level);
    if (!c && build_chunk(cx, cy, level))
        c = held_chunk(cx, cy, level);
    return c;
}

// Block id of the cell k (world z from k to k + 1) of column (x, y); 0 for a
// cell outside the streamed levels or one that cannot be held.
static int cell_id(double x, double y, int k)
{
    if (k < 0 || k >= TOP_CELL)
        return 0;
    int cx = cell_chunk(x), cy = cell_chunk(y);
    const cube_slot *c = chunk_for(x, y, k / 64);
    return c ? c->blocks[cell_local(x, cx)][cell_local(y, cy)][k % 64] : 0;
}

double ground_under_sky(double x, double y)
{
    for (int level = TOP_STREAMED_LEVEL; level >= 0; level--) {
        // Above the surface, terrain is air: only a file can hold blocks there.
        int cx = t_zn(cell_chunk(x)), cy = t_zn(cell_chunk(y));
        if (level > SURFACE_LEVEL && !held_chunk(cx, cy, level) && !check(cx, cy, level))
            continue;
        for (int k = 64 * level + 63; k >= 64 * level; k--)
            if (cell_id(x, y, k) != 0)
                return k + 1.0;
    }
    return FALLBACK_FEET;
}

double first_free_feet(double x, double y, double feet)
{
    int k = (int)floor(feet);
    int lifted = k;
    while (lifted < TOP_CELL && (cell_id(x, y, lifted) != 0 || cell_id(x, y, lifted + 1) != 0))
        lifted++;
    return lifted == k ? feet : lifted;
}

// --- placing the player ---

// Into the world's columns: -64 ... 64 (world_size - 1), as the physics keeps it.
static double wrapped(double v)
{
    double width = 64.0 * world_size;
    if (v >= -64 && v <= width - 64)
        return v;
    double w = fmod(v + 64, width);
    if (w < 0)
        w += width;
    return w - 64;
}

// The eye at (x, y, eye) looking along pitch and yaw, in either mode.
static void put_player(double x, double y, double eye, float pitch, float yaw)
{
    camera_x = gamer[0].x = x;
    camera_y = gamer[0].y = y;
    camera_z = eye;
    gamer[0].z = eye - 1.0;
    camera_rot_x = gamer[0].rot_x = pitch;
    camera_rot_y = gamer[0].rot_y = yaw;
}

static void start_on_ground()
{
    give_starting_kit(player_cells);
    put_player(START_X, START_Y, ground_under_sky(START_X, START_Y) + 1.0, 0, 0);
}

static void restore_player(const player_save *s)
{
    fly_m(s->fly);
    cells_active = s->chosen_cell;
    if (player_cells)
        memcpy(player_cells->slots, s->cells, sizeof s->cells);
    world_clock = s->clock;
    double x = wrapped(s->x), y = wrapped(s->y);
    double feet = s->z - 1.0, free_feet = first_free_feet(x, y, feet);
    // A pitch past the mouse look's bounds is brought within them by the first frame's look.
    put_player(x, y, free_feet == feet ? s->z : free_feet + 1.0, s->pitch, s->yaw);
}

int e_init_game()
{
    world_record *w = g_get_world();
    fill_block_tables();
    reset_players(w->player_value);
    jump = 0;   // a Space pressed in the menu is no jump
    initialize_world();
    world_clock = 0.0;
    init_save_load(world, cubes, world_size, w->name);
    fog_for_view_distance(vision_range);
    player_save s;
    if (read_player_file(w->name, &s) == PLAYER_FILE_READ)
        restore_player(&s);
    else
        start_on_ground();
    return 1;
}

// --- keeping the player ---

void snapshot_player(player_save *s)
{
    memset(s, 0, sizeof *s);
    const player *p = &gamer[0];
    s->fly = fly_mode ? 1 : 0;
    s->x = fly_mode ? camera_x : p->x;
    s->y = fly_mode ? camera_y : p->y;
    s->z = fly_mode ? camera_z : p->z + 1.0;
    s->pitch = fly_mode ? camera_rot_x : p->rot_x;
    s->yaw = fly_mode ? camera_rot_y : p->rot_y;
    s->chosen_cell = cells_active >= 0 && cells_active <= 9 ? cells_active : 0;
    s->clock = world_clock;
    if (player_cells && player_cells->width * player_cells->height == PLAYER_CELLS)
        memcpy(s->cells, player_cells->slots, sizeof s->cells);
    // A stack in hand on the inventory page is the player's too.
    inv_page_settle(s->cells, PLAYER_CELLS);
}

int keep_player()
{
    if (!game || !world)
        return 1;
    player_save s;
    snapshot_player(&s);
    return write_player_file(g_get_world()->name, &s);
}
