// overlay.cpp — the 3D projection and the 2D page over it.
#include "render/overlay.h"

#include <GL/gl.h>
#include <GL/glu.h>

constexpr double PAGE_W = 800, PAGE_H = 600;

static int win_w = 800, win_h = 600;
static double fov = FOV_DEFAULT;

void set_window_size(int width, int height)
{
    // A minimised window may report 0: the shape it had is kept.
    if (width < 1 || height < 1)
        return;
    win_w = width;
    win_h = height;
}

int window_width()
{
    return win_w;
}

int window_height()
{
    return win_h;
}

void set_field_of_view(double degrees)
{
    fov = degrees;
}

void e_set_projection()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(fov, (float)win_w / (float)win_h, 0.01f, 1000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

// Window pixels a page unit takes: the page fills the window's width or its
// height, whichever comes first.
static double page_scale()
{
    double sx = win_w / PAGE_W, sy = win_h / PAGE_H;
    return sx < sy ? sx : sy;
}

void window_to_page(int x, int y, int *page_x, int *page_y)
{
    double s = page_scale();
    *page_x = (int)((x - (win_w - PAGE_W * s) / 2) / s);
    *page_y = (int)((y - (win_h - PAGE_H * s) / 2) / s);
}

void overlay_bounds(float *left, float *top, float *right, float *bottom)
{
    double s = page_scale();
    double side = (win_w / s - PAGE_W) / 2, above = (win_h / s - PAGE_H) / 2;
    *left = (float)-side;
    *right = (float)(PAGE_W + side);
    *top = (float)-above;
    *bottom = (float)(PAGE_H + above);
}

void e_begin_overlay()
{
    float left, top, right, bottom;
    overlay_bounds(&left, &top, &right, &bottom);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(left, right, bottom, top, 0, 15);
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
