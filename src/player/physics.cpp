// physics.cpp — stand-in until the player's physics lands: fly mode moves the
// camera directly, and the step only counts down the chunk-build pause.
#include "player/physics.h"

#include "world/streaming.h"
#include "world/world.h"

int32_t fly_mode = 1;
int32_t jump = 0;
float gravity = 0.01f;
double world_clock = 0.0;

int e_psysix()
{
    if (already_created > 0)
        already_created--;
    return 1;
}

void movecamera(float dx, float dy, float dz)
{
    camera_x += dx;
    camera_y += dy;
    camera_z -= dz;
}

void rotatecamera(float rx, float ry)
{
    camera_rot_x = rx;
    camera_rot_y = ry;
    if (camera_rot_y > 180)
        camera_rot_y -= 360;
    if (camera_rot_y < -180)
        camera_rot_y += 360;
}

void fly_m(int mode)
{
    fly_mode = mode;
}

void e_jump()
{
    jump = 1;
}

void add_to_clock(double ms)
{
    world_clock += ms / 1000.0;
}

void reset_players(int player_value)
{
    (void)player_value;
}
