// loop.cpp — the main loop body and the window callbacks.
#include "app/loop.h"

#include "app/engine.h"
#include "app/frame.h"
#include "app/game_start.h"
#include "app/input.h"
#include "gui/gui.h"
#include "gui/inventory_page.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "platform/platform.h"
#include "player/particles.h"
#include "player/physics.h"
#include "render/overlay.h"
#include "save/catalogue.h"
#include "save/config.h"
#include "save/saver.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <cmath>
#include <cstdio>

float c_rot_x = 0, c_rot_y = 0;
double timer = 0.0;
int fps = 0;

static double lastclock, lastren, lc, frametime;
static double last_player_save;
static int cdr = 0;

void start_clocks()
{
    lastclock = plat_clock_ms();
    lc = plat_clock_ms();
    timer = 0.0;
    lastren = plat_clock_ms();
    last_player_save = plat_clock_ms();
}

// A pair is held when its lower-case key is down or its upper-case key is.
static int held(char lower, char upper)
{
    return keys[(unsigned char)lower] == 1 || keys[(unsigned char)upper] != 0;
}

static void apply_movement()
{
    double b = c_rot_y / 180 * 3.14;
    double a = c_rot_x / 180 * 3.14;
    float sb = (float)sin(b), cb = (float)cos(b), sa = (float)sin(a);
    if (held('w', 'W'))
        movecamera(-0.2f * sb, 0.2f * cb, 0.2f * sa);
    if (held('s', 'S'))
        movecamera(0.2f * sb, -0.2f * cb, -0.2f * sa);
    if (held('a', 'A'))
        movecamera(0.12f * cb, 0.12f * sb, 0);
    if (held('d', 'D'))
        movecamera(-0.12f * cb, -0.12f * sb, 0);
}

static void apply_mouse_look()
{
    const game_options *o = get_options();
    float turn = o->mouse_speed / 50.0f;   // degrees a pixel: a tenth at the middle speed
    c_rot_x += (o->invert_look ? -sm_y : sm_y) * turn;
    c_rot_y += sm_x * turn;
    if (c_rot_x > 80.0f)
        c_rot_x = 80.0f;
    if (c_rot_x < -100.0f)
        c_rot_x = -100.0f;
    rotatecamera(c_rot_x, c_rot_y);
    sm_x = sm_y = 0;
}

// The cap, not the display's refresh, sets the pace. The wait sleeps, so the
// processor is free for the X server, which is still taking the frame just
// shown; only its last millisecond is spun, as a sleep may overrun.
static void wait_frame_slot()
{
    double slot = lastren + 1000.0 / FRAME_CAP;
    plat_sleep_ms(slot - plat_clock_ms() - 1);
    while (plat_clock_ms() < slot)
        ;
    lastren = plat_clock_ms();
}

static void show_frame_rate()
{
    double now = plat_clock_ms();
    if (now - lastclock <= 1000)
        return;
    // Frames over the time they took, which is a little past a second: the
    // count alone would read 81 at the cap of 80.
    fps = (int)(cdr * 1000 / (now - lastclock) + 0.5);
    cdr = 0;
    lastclock = now;
    snprintf(buff, sizeof buff, "Quarrow, %s, %s, FPS: %i", "v0.10", "win32", fps);
    glutSetWindowTitle(buff);
}

// The player file is written as often as the chunks' autosave looks at them.
static void autosave_player()
{
    if (!game || plat_clock_ms() - last_player_save < autosave_period_ms())
        return;
    last_player_save = plat_clock_ms();
    keep_player();
}

void Display()
{
    if (plat_quit_requested())
        glutLeaveMainLoop();
    // The inventory and pause pages stop the world: no steps, no clock, no mouse look.
    int paused = inv_page_is_open() || (game && gui);
    // Mouse look needs the pointer: a big move must not carry it out of the window.
    plat_hold_pointer(game && !paused);
    for (int c = plat_next_cyrillic_key(); c >= 0; c = plat_next_cyrillic_key())
        send_key(c);
    if (!paused) {
        apply_movement();
        apply_mouse_look();
    }
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // One step a pass; while more is owed the pass draws nothing and catches up.
    if (!paused && timer >= PHYSICS_STEP_MS) {
        e_psysix();
        timer -= PHYSICS_STEP_MS;
    }
    // Paused, nothing is owed any longer: every pass draws the page.
    if (paused || timer <= PHYSICS_STEP_MS) {
        cdr++;
        e_render();
        if (inv_page_is_open())
            inv_page_draw(mouse_x, mouse_y);
        glutSwapBuffers();
        wait_frame_slot();
    }
    frametime = plat_clock_ms() - lc;
    lc = plat_clock_ms();
    if (!paused) {
        timer += frametime;
        add_to_clock(frametime);
    }
    autosave_player();
    show_frame_rate();
}

void idle()
{
    // A hidden or minimised window may not be redrawn, so a signal is
    // looked at here too.
    if (plat_quit_requested()) {
        glutLeaveMainLoop();
        return;
    }
    glutPostRedisplay();
}

void Reshape(int width, int height)
{
    glViewport(0, 0, width, height);
    set_window_size(width, height);
    e_set_projection();
    // Full screen, cfg keeps the size the window comes back to.
    if (get_options()->full_screen)
        return;
    game_param *p = get_par_str();
    p->window_width = width;
    p->window_height = height;
    save();
}

void leave_world()
{
    if (inv_page_is_open())
        inv_page_close();
    save_all();
    keep_player();
}

void leave_to_title()
{
    // The player file, written last, makes the world the newest in the list.
    leave_world();
    free_world();
    printf("left %s for the world list \n", w_param.name);
    init_particles();
    game = 0;
    gui = 1;
    menu_over_world = 0;
    find_worlds(&ctlg);
    world_page = 0;
    g_level(PAGE_WORLDS);
    plat_hold_pointer(0);
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
}

void Close()
{
    plat_hold_pointer(0);
    leave_world();
    glutLeaveMainLoop();
}

void setVSync(int interval)
{
    plat_set_swap_interval(interval);
}
