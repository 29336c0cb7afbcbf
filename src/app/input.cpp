// input.cpp — routes GLUT's keyboard and mouse callbacks.
#include "app/input.h"

#include "app/engine.h"
#include "app/game_start.h"
#include "app/loop.h"
#include "gui/gui.h"
#include "gui/inventory_page.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "platform/platform.h"
#include "player/cells.h"
#include "player/physics.h"
#include "render/overlay.h"
#include "save/catalogue.h"
#include "save/config.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <cstdint>
#include <cstdio>

int32_t keys[256];
int32_t sm_x, sm_y;
int32_t mouse_x, mouse_y;

// --- the inventory page ---

static void open_inventory()
{
    inv_page_open();
    gamer[0].dig_button = 0;
    gamer[0].place_request = 0;
    // The page is used with the pointer, free and in sight.
    plat_hold_pointer(0);
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
}

// Back to mouse look, which goes on from the centre, not from where a page
// left the pointer.
static void grab_pointer_again()
{
    glutSetCursor(GLUT_CURSOR_NONE);
    glutWarpPointer(window_width() / 2, window_height() / 2);
    sm_x = sm_y = 0;
}

static void close_inventory()
{
    inv_page_close();
    grab_pointer_again();
}

// --- the pause page: the world stands still behind the menu ---

static void pause_game()
{
    gui = 1;
    menu_over_world = 1;
    g_level(PAGE_PAUSE);
    gamer[0].dig_button = 0;
    gamer[0].place_request = 0;
    plat_hold_pointer(0);
    glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
}

static void resume_game()
{
    gui = 0;
    g_level(PAGE_PLAYING);
    grab_pointer_again();
}

// Escape: pauses a game, resumes it from the pause page, goes back to the
// pause page from its options; without a world it ends the program.
static void escape()
{
    if (!game)
        glutLeaveMainLoop();
    else if (!gui)
        pause_game();
    else if (lvl == PAGE_PAUSE)
        resume_game();
    else
        g_level(PAGE_PAUSE);
}

static int is_inventory_key(unsigned char key)
{
    return key == 'e' || key == 'E';
}

void Key(unsigned char key, int x, int y)
{
    (void)x;
    (void)y;
    if (inv_page_is_open()) {
        if (key == 27 || is_inventory_key(key))
            close_inventory();
        return;
    }
    if (key == 27)
        escape();
    // A paused game takes no keys: Tab, Space and the digits wait for the game.
    if (game && (gui || key == 27))
        return;
    // What is typed into a name is the name's alone: a Tab there must not
    // switch the mode of the game to come, nor a digit choose a cell.
    if (e_is_gui() && g_typing()) {
        g_send_key(key);
        return;
    }
    if (game && !gui && is_inventory_key(key)) {
        open_inventory();
        return;
    }
    if (key == 9) {
        fly_mode = fly_mode == 0 ? 1 : 0;
        printf("chenged fly %i \n", fly_mode);
        fly_m(fly_mode);
    }
    if (key == 32)
        e_jump();
    keys[key] = 1;
    send_key(key);
}

void KeyUp(unsigned char key, int x, int y)
{
    (void)x;
    (void)y;
    printf("%i \n", key);
    keys[key] = 0;
    // Shift may be let go before the letter: the release then comes in the
    // other case, and the key pressed must still be released.
    if (key >= 'a' && key <= 'z')
        keys[key - 'a' + 'A'] = 0;
    if (key >= 'A' && key <= 'Z')
        keys[key - 'A' + 'a'] = 0;
}

void send_key(int key)
{
    g_send_key(key);
    if (key >= '1' && key <= '9')
        cells_active = key - '1';
    if (key == '0')
        cells_active = 9;
}

void set_mouse(int x, int y)
{
    g_set_mouse(x, y);
}

void PassiveMotion(int x, int y)
{
    int cx = window_width() / 2;
    int cy = window_height() / 2;
    if (x == cx && y == cy)
        return;   // the event of our own warp back to the centre
    if (e_is_gui() || inv_page_is_open()) {
        window_to_page(x, y, &mouse_x, &mouse_y);
        set_mouse(mouse_x, mouse_y);
    } else {
        sm_x = x - cx;
        sm_y = y - cy;
        glutWarpPointer(cx, cy);
    }
}

// F11 switches full screen, in a game or in the menu.
void Special(int key, int x, int y)
{
    (void)x;
    (void)y;
    if (key != GLUT_KEY_F11)
        return;
    game_options *o = get_options();
    o->full_screen = !o->full_screen;
    save_options();
    apply_settings();
}

void Mouse(int button, int state, int x, int y)
{
    (void)x;
    (void)y;
    if (state == GLUT_DOWN)
        mouse_down(button);
    else if (state == GLUT_UP)
        mouse_up(button);
}

// The menu's world record is filled; from here on the world is played.
static void start_game()
{
    game_param *p = get_par_str();
    world_record *w = g_get_world();
    snprintf(buff, sizeof buff, "./saves/%s", w->name);
    printf("%s", buff);
    // A world that could not be saved is not played: the menu says so instead.
    if (!makedir(buff)) {
        printf(" cannot be created \n");
        g_world_folder_failed();
        return;
    }
    // A counter at its top (from a foreign cfg) starts over at 1 rather than overflow.
    p->world_counter = p->world_counter < INT32_MAX ? p->world_counter + 1 : 1;
    save();
    remove_leftover_tmp(w->name);
    w->size_class = world_size_class(w->name, w->size_class);
    world_size = 10 * w->size_class;
    vision_range = p->view_distance;
    e_init_game();
    // The view is the one the world starts with, whatever the mouse did in the menu.
    c_rot_x = camera_rot_x;
    c_rot_y = camera_rot_y;
    sm_x = sm_y = 0;
    game = 1;
    gui = 0;
    glutSetCursor(GLUT_CURSOR_NONE);
    // The click left the pointer low in the window; mouse look starts from the centre.
    glutWarpPointer(window_width() / 2, window_height() / 2);
}

void mouse_down(int button)
{
    if (inv_page_is_open()) {
        if (button == GLUT_LEFT_BUTTON)
            inv_page_click(mouse_x, mouse_y);
        return;
    }
    if (button == GLUT_RIGHT_BUTTON) {
        if (game && !gui)
            gamer[0].place_request = 1;
        return;
    }
    if (button != GLUT_LEFT_BUTTON)
        return;
    int r = g_mouse_down();
    if (r == GUI_SETTINGS_CHANGED) {
        save();
        save_options();
        apply_settings();
    }
    if (r == GUI_EXIT)
        glutLeaveMainLoop();
    if (r == GUI_START_WORLD)
        start_game();
    if (r == GUI_TO_TITLE)
        leave_to_title();
    if (r == GUI_RESUME) {
        resume_game();
        return;
    }
    // The click that starts a game digs too.
    if (game && !gui)
        gamer[0].dig_button = 1;
}

void mouse_up(int button)
{
    if (button != GLUT_LEFT_BUTTON || !game)
        return;
    gamer[0].dig_button = 0;
    gamer[0].place_request = 0;
}
