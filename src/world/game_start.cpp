// game_start.cpp — everything a world needs before its first frame.
#include "world/game_start.h"

#include "gui/gui.h"
#include "player/physics.h"
#include "render/materials.h"
#include "save/saver.h"
#include "world/world.h"

#include <GL/gl.h>

int e_init_game()
{
    world_record *w = g_get_world();
    camera_x = camera_y = 200.0;
    camera_rot_x = camera_rot_y = 0.0f;
    fill_block_tables();
    camera_z = 285.0;   // in level 4, the surface level
    reset_players(w->player_value);
    initialize_world();
    init_save_load(world, cubes, world_size, w->name);
    glFogf(GL_FOG_START, (GLfloat)(20 * vision_range));
    glFogf(GL_FOG_END, (GLfloat)(32 * vision_range + 22));
    return 1;
}
