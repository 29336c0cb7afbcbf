// frame.cpp — the frame: sun, sky, light and fog from the world clock, the
// chunks, the crosshair, the hot bar, the error report and the menu.
#include "app/frame.h"

#include "app/engine.h"
#include "gui/lang.h"
#include "gui/widgets.h"
#include "player/cells.h"
#include "player/particles.h"
#include "player/physics.h"
#include "render/c_math.h"
#include "render/overlay.h"
#include "save/config.h"
#include "save/saver.h"
#include "world/streaming.h"
#include "world/world.h"

#include <GL/gl.h>
#include <cmath>
#include <cstdio>

float sunposx = 0, sunposy = 0;

constexpr int CROSSHAIR_ARM_MIN = 5;   // pixels from the centre, on a small window

static void rotate_camera()
{
    glRotatef(camera_rot_x, 1, 0, 0);
    glRotatef(camera_rot_y, 0, 1, 0);
}

// The sun moves with the camera's rotation only, so it stays part of the sky.
// Once its upper edge has gone below the horizon it is not drawn: the ground
// does not hide it from a player standing above the terrain's edge.
static void draw_sun(double a)
{
    float s = (float)sin(a), c = (float)cos(a);
    if (sunposy + 30 * fabsf(c) <= 0)
        return;
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

// --- the day's light ---

// Light the sky gives shaded faces at full day: with a sunlit face at about
// 1.5 before it is clipped, a third of its light.
constexpr float DAY_AMBIENT = 0.45f;
// The night: a cool sky light, dim cool moonlight from opposite the sun, and a
// dark blue sky that the fog fades the far ground into.
static const float NIGHT_AMBIENT[3] = {0.10f, 0.12f, 0.18f};
static const float MOONLIGHT[3] = {0.14f, 0.17f, 0.26f};
static const float NIGHT_SKY[3] = {0.03f, 0.05f, 0.14f};

static void set_rgb(float *colour, float r, float g, float b)
{
    colour[0] = r;
    colour[1] = g;
    colour[2] = b;
}

static float clamp01(double v)
{
    return (float)(v < 0 ? 0 : v > 1 ? 1 : v);
}

void sky_colours(double s)
{
    float f = clamp01(4 * s);    // daylight: none from the horizon down, all from a quarter up
    float m = clamp01(-4 * s);   // moonlight, the same way round
    float g = 0.9f * f;
    for (int i = 0; i < 3; i++) {
        // Day fades into the night's blue, never into black.
        fogColor[i] = g + NIGHT_SKY[i] * (1 - f);
        LightAmbient[i] = NIGHT_AMBIENT[i] + (DAY_AMBIENT - NIGHT_AMBIENT[i]) * f;
        LightDiffuse[i] = s < 0 ? MOONLIGHT[i] * m : 1.3f * f;
    }
    glFogfv(GL_FOG_COLOR, fogColor);
    // The sky is the fog's colour, bluer by day.
    glClearColor(fogColor[0], fogColor[1], f + NIGHT_SKY[2] * (1 - f), 1);
    // Dawn and dusk: a red glow while the sun is low.
    if (s >= 0 && f < 0.4f)
        LightDiffuse[0] += 0.4f - f;
}

// The sky's light reaches every face whole: GL's default material takes
// only a fifth of it, and its default scene light would grey the night.
static void hand_light_to_gl(double a)
{
    static const float NONE[4] = {0, 0, 0, 1}, WHOLE[4] = {1, 1, 1, 1};
    // A direction, not a point of the world: the same ground is as bright
    // wherever the player stands. By night the moon, opposite the sun, lights it.
    float toward = sin(a) < 0 ? -1.0f : 1.0f;
    set_rgb(LightPosition, toward * sunposx, toward * sunposy, 0);
    LightPosition[3] = 0;
    sky_colours(sin(a));
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, NONE);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, WHOLE);
    glLightfv(GL_LIGHT1, GL_POSITION, LightPosition);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, LightDiffuse);
    glLightfv(GL_LIGHT1, GL_AMBIENT, LightAmbient);
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

// White with a dark edge, so it reads on the bright sky and on dark ground
// alike; in window pixels, so its lines are whole pixels at any window size.
static void draw_crosshair()
{
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    int cx = view[2] / 2, cy = view[3] / 2;
    int arm = view[3] / 50 > CROSSHAIR_ARM_MIN ? view[3] / 50 : CROSSHAIR_ARM_MIN;
    e_begin_overlay();
    glDisable(GL_TEXTURE_2D);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, view[2], 0, view[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glColor4f(0, 0, 0, 1);
    glRecti(cx - arm - 1, cy - 2, cx + arm + 1, cy + 2);
    glRecti(cx - 2, cy - arm - 1, cx + 2, cy + arm + 1);
    glColor4f(1, 1, 1, 1);
    glRecti(cx - arm, cy - 1, cx + arm, cy + 1);
    glRecti(cx - 1, cy - arm, cx + 1, cy + arm);
    e_end_overlay();
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
    hand_light_to_gl(a);
    if (get_par_str()->fog_enabled)
        glEnable(GL_FOG);
    else
        glDisable(GL_FOG);
    draw_world();
    draw_outline();
    draw_crosshair();
    draw_hot_bar();
    draw_save_notice();
}

void fog_for_view_distance(int chunks)
{
    glFogf(GL_FOG_START, (GLfloat)(20 * chunks));
    glFogf(GL_FOG_END, (GLfloat)(32 * chunks + 22));
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
