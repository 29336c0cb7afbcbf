#include "gl_context.h"

#include "e2e/xsession.h"

#include "app/config.h"
#include "app/engine.h"

#include <GL/freeglut.h>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

bool gl_context_open()
{
    static int state = 0;   // 0 not tried, 1 open, -1 failed
    if (state != 0)
        return state == 1;
    state = -1;
    if (!xs_start_server())
        return false;
    atexit(xs_stop_server);
    int argc = 1;
    char name[] = "quarrow_gl_tests";
    char *argv[] = {name, nullptr};
    glutInitWindowSize(64, 64);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("quarrow gl tests");
    state = 1;
    return true;
}

bool gl_engine_open()
{
    static int state = 0;
    if (state != 0)
        return state == 1;
    state = -1;
    char here[4096];
    if (!gl_context_open() || !getcwd(here, sizeof here) || chdir(QUARROW_DATA_DIR) != 0)
        return false;
    glutSetOption(GLUT_RENDERING_CONTEXT, GLUT_USE_CURRENT_CONTEXT);
    glutInitWindowSize(400, 300);
    glutCreateWindow("quarrow gl tests, pictures");
    cfg_defaults(get_par_str());
    fflush(stdout);
    e_init();
    if (chdir(here) != 0)
        return false;
    state = 1;
    return true;
}
