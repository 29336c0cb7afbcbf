// main.cpp — start-up and shutdown of Quarrow.
#include "app/config.h"
#include "app/engine.h"
#include "app/input.h"
#include "app/loop.h"
#include "platform/platform.h"
#include "platform/player_folder.h"
#include "save/saver.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <cstring>

static void register_callbacks()
{
    glutDisplayFunc(Display);
    glutKeyboardFunc(Key);
    glutKeyboardUpFunc(KeyUp);
    glutReshapeFunc(Reshape);
    glutPassiveMotionFunc(PassiveMotion);
    glutIdleFunc(idle);
    glutReshapeFunc(Reshape);
    glutMouseFunc(Mouse);
    glutMotionFunc(PassiveMotion);
    glutCloseFunc(Close);
}

int main(int argc, char **argv)
{
    // Diagnostics are read line by line by whoever started the game.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    // Installed, the game keeps cfg and saves in the player's own folder.
    if (!plat_enter_player_folder())
        return 1;
    plat_catch_quit_signals();
    plat_keep_freed_memory();
    memset(keys, 0, sizeof keys);
    load();
    game_param *p = get_par_str();
    c_rot_x = c_rot_y = 0;
    mouse_x = mouse_y = 0;
    glutInitWindowSize(p->window_width, p->window_height);
    glutInitWindowPosition(p->window_x, p->window_y);
    glutInit(&argc, argv);
    fit_window_to_screen(p, glutGet(GLUT_SCREEN_WIDTH), glutGet(GLUT_SCREEN_HEIGHT));
    glutInitWindowSize(p->window_width, p->window_height);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    // freeglut would otherwise end the process inside the loop, before the chunks are written.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    snprintf(buff, sizeof buff, "Quarrow, %s, %s", "v0.10", "win32");
    glutCreateWindow(buff);
    glutWarpPointer(p->window_width / 2, p->window_height / 2);
    start_clocks();
    register_callbacks();
    e_init();
    e_init_gui();
    GLint max_texture = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &max_texture);
    printf("max texture size %i \n", max_texture);
    setVSync(0);
    glutMainLoop();
    leave_world();
    return 0;
}
