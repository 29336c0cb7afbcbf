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
    // A window large enough for pictures of the world, on the same GL context.
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

static bool same_place(const fb_vertex &a, const fb_vertex &b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.s == b.s && a.t == b.t;
}

// Mesa reports a quad v0 v1 v2 v3 as the triangles (v0, v1, v3) and (v1, v2, v3);
// such a pair is put back together so tests can speak of quads.
static void add_polygon(std::vector<fb_vertex> &out, const fb_vertex *p, int n, int *pending)
{
    if (n == 3 && *pending >= 0) {
        const fb_vertex *t = &out[(size_t)*pending];
        if (same_place(p[0], t[1]) && same_place(p[2], t[2])) {
            fb_vertex v3 = t[2];
            out[(size_t)*pending + 2] = p[1];
            out.push_back(v3);
            *pending = -1;
            return;
        }
    }
    *pending = n == 3 ? (int)out.size() : -1;
    out.insert(out.end(), p, p + n);
}

std::vector<fb_vertex> parse_feedback(const GLfloat *buffer, int count)
{
    // Each vertex: x, y, z, r, g, b, a, s, t, r, q.
    const int stride = 11;
    std::vector<fb_vertex> out;
    fb_vertex poly[64];
    int pending = -1;
    int i = 0;
    auto take = [&](int n) {
        int k = 0;
        for (; k < n && i + stride <= count; k++, i += stride)
            if (k < 64)
                poly[k] = {buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 7], buffer[i + 8]};
        return k < 64 ? k : 64;
    };
    while (i < count) {
        int token = (int)buffer[i++];
        if (token == GL_POLYGON_TOKEN) {
            int n = take((int)buffer[i++]);
            add_polygon(out, poly, n, &pending);
            continue;
        }
        pending = -1;
        int n = 0;
        if (token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN)
            n = take(2);
        else if (token == GL_POINT_TOKEN || token == GL_BITMAP_TOKEN ||
                 token == GL_DRAW_PIXEL_TOKEN || token == GL_COPY_PIXEL_TOKEN)
            n = take(1);
        else if (token == GL_PASS_THROUGH_TOKEN)
            i++;
        else
            break;
        out.insert(out.end(), poly, poly + n);
    }
    return out;
}
