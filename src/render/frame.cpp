// frame.cpp — the frame: sun, sky, light and fog from the world clock, the
// chunks, the hot bar, the error report and the menu.
#include "render/frame.h"

#include "app/config.h"
#include "app/engine.h"
#include "render/overlay.h"
#include "app/input.h"
#include "gui/lang.h"
#include "gui/widgets.h"
#include "player/cells.h"
#include "player/particles.h"
#include "player/physics.h"
#include "render/c_math.h"
#include "save/saver.h"
#include "world/streaming.h"
#include "world/world.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>

float sunposx = 0, sunposy = 0;

static void rotate_camera()
{
    glRotatef(camera_rot_x, 1, 0, 0);
    glRotatef(camera_rot_y, 0, 1, 0);
}

// The sun moves with the camera's rotation only, so it stays part of the sky.
static void draw_sun(double a)
{
    float s = (float)sin(a), c = (float)cos(a);
    glEnable(GL_BLEND);
    glDisable(GL_FOG);
    glBindTexture(GL_TEXTURE_2D, sun);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex3f(sunposx - 30 * s, sunposy - 30 * c, 30);
    glTexCoord2f(1, 0);
    glVertex3f(sunposx - 30 * s, sunposy - 30 * c, -30);
    glTexCoord2f(1, 1);
    glVertex3f(sunposx + 30 * s, sunposy + 30 * c, -30);
    glTexCoord2f(0, 1);
    glVertex3f(sunposx + 30 * s, sunposy + 30 * c, 30);
    glEnd();
}

static void set_rgb(float *colour, float r, float g, float b)
{
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
}

void sky_colours(double s)
{
    if (s < 0) {
        set_rgb(LightDiffuse, 0, 0, 0);
        set_rgb(fogColor, 0, 0, 0);
        glFogfv(GL_FOG_COLOR, fogColor);
        glClearColor(0, 0, 0.05f, 1);
        return;
    }
    float f = (float)(4 * s < 1.0 ? 4 * s : 1.0);
    float g = 0.9f * f;
    set_rgb(fogColor, g, g, g);
    glFogfv(GL_FOG_COLOR, fogColor);
    set_rgb(LightDiffuse, 1.3f * f, 1.3f * f, 1.3f * f);
    glClearColor(g, g, f, 1);
    // Dawn and dusk: a red glow while the sun is low.
    if (f < 0.4f)
        LightDiffuse[0] += 0.4f - f;
}

static void draw_world()
{
    glDisable(GL_BLEND);
    glLoadIdentity();
    glEnable(GL_LIGHTING);
    rotate_camera();
    glTranslatef((float)camera_x, (float)-camera_z, (float)camera_y);
    glEnable(GL_CULL_FACE);
    draw_buffs();
    glDisable(GL_CULL_FACE);
    render_particles();
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
}

static void draw_outline()
{
    const player *p = &gamer[0];
    if (!p->pick_valid)
        return;
    glColor4f(0, 0, 0, 1);
    glLineWidth(5.0f);
    draw_cube((float)(p->pick_lx - 64 * p->pick_cx), (float)(64 * p->pick_level + p->pick_lz),
              (float)(p->pick_ly - 64 * p->pick_cy));
}

static void draw_hot_bar()
{
    e_begin_overlay();
    for (int i = 0; i < 10; i++) {
        if (i < 9) {
            glColor4f(0.8f, 0.8f, 0.8f, 0.8f);
            glBegin(GL_LINES);
            glVertex2f((float)(244 + 38 * i), 586);
            glVertex2f((float)(248 + 38 * i), 586);
            glEnd();
        }
        glBindTexture(GL_TEXTURE_2D, g_textures);
        const cell *c = player_cells ? &player_cells->slots[i] : nullptr;
        render_cell(c, 210 + 38 * i, 566, cells_active == i);
    }
    e_end_overlay();
}

// While chunks cannot be written (a full disk) the player is told, since
// quitting then would lose them.
static void draw_save_notice()
{
    if (!saving_fails())
        return;
    e_begin_overlay();
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 0.3f, 0.3f, 1);
    f_print(400, 530, 16, lang_get(PHRASE_SAVING_FAILS), PRINT_CENTRED);
    e_end_overlay();
}

static void draw_game_frame()
{
    rotate_camera();
    double a = (720 * world_clock + camera_x) / 20000 / 3.14;
    sunposx = (float)(-500 * cos(a));
    sunposy = (float)(500 * sin(a));
    draw_sun(a);
    // The light comes from the sun's direction, not from a point of the world:
    // the same ground is as bright wherever the player stands, and a face
    // shades the same however large it is.
    LightPosition[0] = sunposx;
    LightPosition[1] = sunposy;
    LightPosition[2] = 0;
    LightPosition[3] = 0;
    sky_colours(sin(a));
    glLightfv(GL_LIGHT1, GL_POSITION, LightPosition);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, LightDiffuse);
    if (get_par_str()->fog_enabled)
        glEnable(GL_FOG);
    draw_world();
    draw_outline();
    draw_hot_bar();
    draw_save_notice();
}

void report_gl_error()
{
    GLenum e = glGetError();
    if (e == GL_NO_ERROR)
        return;
    const char *name = "";
    switch (e) {
    case GL_INVALID_ENUM: name = "GL_INVALID_ENUM"; break;
    case GL_INVALID_VALUE: name = "GL_INVALID_VALUE"; break;
    case GL_INVALID_OPERATION: name = "GL_INVALID_OPERATION"; break;
    case GL_STACK_OVERFLOW: name = "GL_STACK_OVERFLOW"; break;
    case GL_STACK_UNDERFLOW: name = "GL_STACK_UNDERFLOW"; break;
    case GL_OUT_OF_MEMORY: name = "GL_OUT_OF_MEMORY"; break;
    default: break;
    }
    printf("error %i, %s\n", (int)e, name);
}

int e_render()
{
    glLoadIdentity();
    if (game)
        draw_game_frame();
    report_gl_error();
    if (gui)
        g_draw();
    return 1;
}
