// A real GL context for drawing tests: a freeglut window on the test X server,
// and GL feedback mode to read back where a call's polygons land.
#pragma once
#include <GL/gl.h>
#include <vector>

// Opens a small window once per test program; false when no X server could be had.
bool gl_context_open();
// The same context with the game's GL state and pictures (e_init run once in
// the data folder), drawing into a 400 x 300 window.
bool gl_engine_open();

struct fb_vertex {
    float x, y, z;   // window coordinates
    float s, t;      // texture coordinates
};

// The polygon vertices (Mesa hands quads back as triangles) that draw produced.
template <typename F>
std::vector<fb_vertex> feedback_of(F draw)
{
    static GLfloat buffer[1 << 18];
    glFeedbackBuffer(1 << 18, GL_3D_COLOR_TEXTURE, buffer);
    glRenderMode(GL_FEEDBACK);
    draw();
    int count = glRenderMode(GL_RENDER);
    std::vector<fb_vertex> out;
    // Each vertex: x, y, z, r, g, b, a, s, t, r, q; other tokens are skipped.
    for (int i = 0; i < count;) {
        int token = (int)buffer[i++];
        int n = token == GL_POLYGON_TOKEN ? (int)buffer[i++]
                : token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN ? 2
                : token == GL_PASS_THROUGH_TOKEN ? 0 : 1;
        if (token == GL_PASS_THROUGH_TOKEN)
            i++;
        for (int k = 0; k < n && i + 11 <= count; k++, i += 11)
            if (token == GL_POLYGON_TOKEN)
                out.push_back({buffer[i], buffer[i + 1], buffer[i + 2], buffer[i + 7], buffer[i + 8]});
    }
    return out;
}
