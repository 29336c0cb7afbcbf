// Frame figures: one world frame with every chunk of the window held, at view
// distance 1, 2 and 3, 800 x 600, on a private Xvfb with Mesa's llvmpipe.
// Prints frames per second, quads drawn, draw calls and the share of culling.
#include "app/config.h"
#include "app/engine.h"
#include "e2e/xsession.h"
#include "render/frame.h"
#include "render/frustum_calc.h"
#include "world/game_start.h"
#include "world/streaming.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

double seconds_since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void release_world()
{
    for (int i = 0; i < POOL_SLOTS; i++) {
        free(cubes[i].vertices);
        free(cubes[i].tex_coords);
        free(cubes[i].normals);
        cubes[i].vertices = cubes[i].tex_coords = cubes[i].normals = nullptr;
        cubes[i].loaded = 0;
    }
}

int held_chunks()
{
    int n = 0;
    for (int i = 0; i < POOL_SLOTS; i++)
        n += cubes[i].loaded;
    return n;
}

// The same tests draw_buffs makes, without drawing: the cost of culling alone.
double culling_seconds()
{
    auto t0 = std::chrono::steady_clock::now();
    for (int x = 0; x < world_size; x++)
        for (int y = 0; y < world_size; y++)
            for (int level = 0; level < WORLD_LEVELS; level++) {
                int slot = world_slot(x, y, level);
                if (slot < 0 || !cubes[slot].vertices)
                    continue;
                if (!CubeInFrustum(-64.0f * x + 32, 64.0f * level + 32, -64.0f * y + 32, 34.0f))
                    continue;
                const cube_slot *c = &cubes[slot];
                volatile int visible = 0;
                for (int q = 0; q < c->quad_count; q++)
                    visible += CubeInFrustum(c->vertices[12 * q], c->vertices[12 * q + 1], c->vertices[12 * q + 2], 1);
            }
    return seconds_since(t0);
}

void measure(int view_distance)
{
    int out = dup(1);
    int null_fd = open("/dev/null", O_WRONLY);
    fflush(stdout);
    dup2(null_fd, 1);
    release_world();
    world_size = 10;
    vision_range = view_distance;
    e_init_game();
    camera_rot_x = 20;   // a player's view: the ground ahead and some sky
    // Every chunk of the window is built before the frames are timed.
    for (int i = 0; i < 2000; i++) {
        already_created = 0;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        e_render();
    }
    fflush(stdout);
    dup2(out, 1);
    close(out);
    close(null_fd);

    const int frames = 100;
    long quads = 0;
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; i++) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        e_render();
        glutSwapBuffers();
        glFinish();
        quads += quads_drawn;
    }
    double total = seconds_since(t0);
    // Planes of the world pass, as the frame left them.
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(camera_rot_x, 1, 0, 0);
    glRotatef(camera_rot_y, 0, 1, 0);
    glTranslatef((float)camera_x, (float)-camera_z, (float)camera_y);
    CalculateFrustum();
    double cull = 0;
    for (int i = 0; i < frames; i++)
        cull += culling_seconds();
    printf("view distance %d: %3d chunks held, %6.1f frames/s, %7ld quads drawn (= draw calls) a frame, "
           "%5.2f ms a frame, of it culling %5.2f ms (%2.0f%%), GL %5.2f ms\n",
           view_distance, held_chunks(), frames / total, quads / frames, 1000 * total / frames,
           1000 * cull / frames, 100 * cull / total, 1000 * (total - cull) / frames);
}

}  // namespace

int main(int argc, char **argv)
{
    if (!xs_start_server()) {
        fprintf(stderr, "no X server\n");
        return 1;
    }
    if (chdir(QUARROW_DATA_DIR) != 0)
        return 1;
    cfg_defaults(get_par_str());   // nothing is written: the data folder is tracked
    glutInitWindowSize(800, 600);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("quarrow frame bench");
    glViewport(0, 0, 800, 600);
    e_init();
    game = 1;
    gui = 0;
    for (int vd = 1; vd <= 3; vd++)
        measure(vd);
    release_world();
    glutExit();
    xs_stop_server();
    return 0;
}
