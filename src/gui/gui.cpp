// gui.cpp — stand-in until the menu lands: it shows the background and the
// logo, and no click or key does anything.
#include "gui/gui.h"

#include "render/c_math.h"

world_record w_param;

static GLuint *pictures = nullptr;

void g_set_par_str(game_param *param)
{
    (void)param;
}

void g_set_back(GLuint *p)
{
    pictures = p;
}

void g_setctlg(catalogue *worlds)
{
    (void)worlds;
}

void g_level(int n)
{
    (void)n;
}

static void textured_rect(GLuint texture, float x0, float y0, float x1, float y1, float repeat)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_QUADS);
    glTexCoord2f(0, repeat);
    glVertex2f(x0, y0);
    glTexCoord2f(repeat, repeat);
    glVertex2f(x1, y0);
    glTexCoord2f(repeat, 0);
    glVertex2f(x1, y1);
    glTexCoord2f(0, 0);
    glVertex2f(x0, y1);
    glEnd();
}

void g_draw()
{
    if (!pictures)
        return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, 800, 600, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_FOG);
    glEnable(GL_BLEND);
    glColor4f(1, 1, 1, 1);
    textured_rect(pictures[0], 0, 0, 800, 600, 3);
    textured_rect(pictures[1], 144, 40, 656, 168, 1);
    f_print(400, 300, 20, "Quarrow", PRINT_CENTRED);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

int g_mouse_down()
{
    return 0;
}

int g_send_key(int key)
{
    (void)key;
    return 0;
}

void g_set_mouse(int x, int y)
{
    (void)x;
    (void)y;
}

world_record *g_get_world()
{
    return &w_param;
}
