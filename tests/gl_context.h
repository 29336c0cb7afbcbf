// A real GL context for drawing tests: a small freeglut window on the test X
// server, and GL feedback mode to read back what a call draws.
#pragma once
#include <GL/gl.h>
#include <vector>

// Opens the window once per test program; false when no X server could be had.
bool gl_context_open();
// The context with the game's own GL state and pictures (e_init run once in
// the data folder), drawing into a 400 x 300 window, for tests that look at
// what a player would see.
bool gl_engine_open();

struct fb_vertex {
    float x, y, z;   // window coordinates
    float s, t;      // texture coordinates
};

// Runs draw in GL_3D_COLOR_TEXTURE feedback mode and returns the vertices of
// every polygon, line and point it produced, in order.
template <typename F>
std::vector<fb_vertex> feedback_of(F draw);

std::vector<fb_vertex> parse_feedback(const GLfloat *buffer, int count);

template <typename F>
std::vector<fb_vertex> feedback_of(F draw)
{
    static GLfloat buffer[1 << 16];
    glFeedbackBuffer(1 << 16, GL_3D_COLOR_TEXTURE, buffer);
    glRenderMode(GL_FEEDBACK);
    draw();
    int count = glRenderMode(GL_RENDER);
    return parse_feedback(buffer, count);
}
