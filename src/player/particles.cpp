// particles.cpp — stand-in until particles and dropped boxes land.
#include "player/particles.h"

void init_particles()
{
}

void render_particles()
{
}
