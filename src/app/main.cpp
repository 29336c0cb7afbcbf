// main.cpp — start-up and shutdown of Quarrow.
#include "app/engine.h"
#include "app/input.h"
#include "app/loop.h"
#include "platform/platform.h"
#include "platform/player_folder.h"
#include "render/overlay.h"
#include "save/config.h"
#include "save/saver.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char USAGE[] =
    "Usage: quarrow [--help | --version]\n"
    "\n"
    "Quarrow is a small first-person voxel sandbox game for one player: walk or\n"
    "fly through a world of cubic blocks, dig blocks out, pick up what they drop\n"
    "and place them again. It opens one window and needs an X display.\n"
    "\n"
    "Options:\n"
    "  -h, --help     print this help and exit\n"
    "      --version  print the version and exit\n"
    "\n"
    "Environment:\n"
    "  QUARROW_SEED   a number to make the terrain from instead of the clock,\n"
    "                 so the same terrain can be made again\n"
    "  XDG_DATA_HOME  the folder that holds the game's folder (~/.local/share\n"
    "                 when it is not set or not an absolute path)\n"
    "  DISPLAY        the X display the window opens on\n"
    "\n"
    "Files:\n"
    "  $XDG_DATA_HOME/quarrow/cfg     the settings\n"
    "  $XDG_DATA_HOME/quarrow/options mouse, field of view and full screen\n"
    "  $XDG_DATA_HOME/quarrow/saves/  the worlds, a folder each, made when a\n"
    "                                 world is created\n"
    "  Started from a build folder instead of installed, the game keeps cfg and\n"
    "  saves/ in the folder it was started in.\n"
    "\n"
    "The controls are in the manual page: man 6 quarrow.\n";

// --help and --version are answered without a window; every other argument
// is refused. -1 when the game is to start, else the exit status.
static int answer_options(int argc, char **argv)
{
    if (argc < 2)
        return -1;
    if (strcmp(argv[1], "--help") == 0 || strcmp(argv[1], "-h") == 0) {
        fputs(USAGE, stdout);
        return 0;
    }
    if (strcmp(argv[1], "--version") == 0) {
        printf("quarrow %s\n", QUARROW_VERSION);
        return 0;
    }
    fprintf(stderr, "quarrow: unknown option '%s' (quarrow --help lists the options)\n", argv[1]);
    return 2;
}

// The toolkit alone would only say "failed to open display" and end the process.
static int display_opens()
{
    if (plat_display_opens())
        return 1;
    const char *name = getenv("DISPLAY");
    if (name && *name)
        fprintf(stderr, "quarrow: cannot open the X display '%s': start Quarrow from a desktop, or set DISPLAY\n", name);
    else
        fputs("quarrow: no X display: start Quarrow from a desktop, or set DISPLAY\n", stderr);
    return 0;
}

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
    glutSpecialFunc(Special);
    glutMotionFunc(PassiveMotion);
    glutCloseFunc(Close);
}

int main(int argc, char **argv)
{
    // Diagnostics are read line by line by whoever started the game.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    int answered = answer_options(argc, argv);
    if (answered >= 0)
        return answered;
    // Installed, the game keeps cfg and saves in the player's own folder.
    if (!plat_enter_player_folder())
        return 1;
    plat_catch_quit_signals();
    plat_keep_freed_memory();
    memset(keys, 0, sizeof keys);
    load();
    load_options();
    if (!display_opens())
        return 1;
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
    set_window_size(p->window_width, p->window_height);
    if (get_options()->full_screen)
        glutFullScreen();
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
