// overlay.cpp — the 3D projection and the 2D overlay.
#include "render/overlay.h"

#include <GL/gl.h>
#include <GL/glu.h>

void e_set_projection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, 4.0f / 3.0f, 0.01f, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void e_begin_overlay()
{
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 600, 0, 0, 15);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_BLEND);
}

void e_end_overlay()
{
    glColor3f(1, 1, 1);
    glEnable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    e_set_projection();
}
