// A real GL context for drawing tests: a freeglut window on the test X server,
// and GL feedback mode to read back where a call's polygons land.
#pragma once
#include "game.h"
#include "e2e/xsession.h"

#include <GL/freeglut.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>
#include <vector>

// The game's own connection to the X server, flushed and answered (Xlib's own header clashes with GoogleTest).
extern "C" struct _XDisplay *glXGetCurrentDisplay();
extern "C" int XSync(struct _XDisplay *display, int discard);

// Opens a 400 x 300 window once per test program; false when no X server could be had.
inline bool gl_context_open()
{
    static int state = 0;   // 0 not tried, 1 open, -1 failed
    if (state == 0) {
        state = -1;
        if (!xs_start_server())
            return false;
        atexit(xs_stop_server);
        int argc = 1;
        char name[] = "quarrow_gl_tests", *argv[] = {name, nullptr};
        glutInitWindowSize(400, 300);
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        state = glutCreateWindow("quarrow gl tests") > 0 ? 1 : -1;
    }
    return state == 1;
}

// The context with the game's GL state and pictures: e_init run once in the data folder.
inline bool gl_engine_open()
{
    static int state = 0;
    char here[4096];
    if (state == 0 && gl_context_open() && getcwd(here, sizeof here) && chdir(QUARROW_DATA_DIR) == 0) {
        cfg_defaults(get_par_str());
        fflush(stdout);
        e_init();
        state = chdir(here) == 0 ? 1 : -1;
    }
    return state == 1;
}

// Line n of the phrase file the engine reads (Russian, the first start's language): what a caption says.
inline std::string phrase_line(int n)
{
    std::ifstream f(QUARROW_DATA_DIR "/lang/rus.txt", std::ios::binary);
    std::string line;
    for (int i = 0; i < n; i++)
        std::getline(f, line);
    return line;
}

struct fb_vertex {
    float x, y, z;                        // window coordinates
    float brightness = 0, s = 0, t = 0;   // when lit: red + green + blue, and the texture coordinates
};

// The polygons draw produced, each as its vertices (Mesa hands quads back as two triangles, and a polygon cut by the
// view's edge as more than three); with lines, the line segments too, as pairs; lit, with colour and texture.
template <typename F>
std::vector<std::vector<fb_vertex>> feedback_polygons(F draw, bool lines = false, bool lit = false)
{
    static GLfloat buffer[1 << 18];
    glFeedbackBuffer(1 << 18, lit ? GL_3D_COLOR_TEXTURE : GL_3D, buffer);
    glRenderMode(GL_FEEDBACK);
    draw();
    int count = glRenderMode(GL_RENDER);
    std::vector<std::vector<fb_vertex>> out;
    const int size = lit ? 11 : 3;   // x y z, then r g b a, s t r q
    for (int i = 0; i < count;) {
        int token = (int)buffer[i++];
        int n = token == GL_POLYGON_TOKEN ? (int)buffer[i++] : token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN ? 2 : 1;
        bool kept = token == GL_POLYGON_TOKEN || (lines && n == 2);
        if (kept)
            out.emplace_back();
        for (int k = 0; k < n && i + size <= count; k++, i += size) {
            const GLfloat *b = &buffer[i];
            if (kept)
                out.back().push_back(lit ? fb_vertex{b[0], b[1], b[2], b[3] + b[4] + b[5], b[7], b[8]}
                                         : fb_vertex{b[0], b[1], b[2]});
        }
    }
    return out;
}

// The polygon vertices draw produced, one after another.
template <typename F>
std::vector<fb_vertex> feedback_of(F draw, bool lit = false)
{
    std::vector<fb_vertex> out;
    for (const auto &polygon : feedback_polygons(draw, false, lit))
        out.insert(out.end(), polygon.begin(), polygon.end());
    return out;
}

// Whether draw shows text centred on (x, y) (or from there, flags 0) of the 800 x 600 overlay, each glyph where the
// font would put it and showing its own letter (in a colour whose red, green and blue add up to brightness, if asked).
template <typename F>
bool draws_text(F draw, const char *text, int x, int y, int size, int flags = PRINT_CENTRED, float brightness = -1)
{
    auto print = [&] { e_begin_overlay(); f_print(x, y, size, text, flags); e_end_overlay(); };
    auto expected = feedback_polygons(print, false, true), drawn = feedback_polygons(draw, false, true);
    auto near = [&](const fb_vertex &a, const fb_vertex &b) {
        return std::abs(a.x - b.x) < 0.01f && std::abs(a.y - b.y) < 0.01f && a.s == b.s && a.t == b.t &&
               (brightness < 0 || std::abs(a.brightness - brightness) < 0.01f);
    };
    for (const auto &glyph : expected)
        if (std::none_of(drawn.begin(), drawn.end(), [&](const std::vector<fb_vertex> &p) {
                return p.size() == glyph.size() && std::equal(p.begin(), p.end(), glyph.begin(), near);
            }))
            return false;
    return !expected.empty();
}
