// Frame figures at view distance 1, 2 and 3 on a private Xvfb with Mesa's
// llvmpipe: the chunks drawn the plain way (every face its own quad and draw
// call, culled quad by quad) and the game's way, in the same run, with a
// fixed terrain seed and camera, alternating so that a busy machine slows both
// alike. Prints frames per second of the world pass for each and their ratio,
// the full game frame looking ahead and looking down, quads, draw calls and
// the memory the meshes hold.
//
//     quarrow_frame_bench [first distance [last distance]] [WIDTHxHEIGHT]
//
// The window is 800 x 600 unless a size is given (the server's screen is
// made large enough for it).
#include "save/config.h"
#include "app/engine.h"
#include "e2e/xsession.h"
#include "face_reference.h"
#include "platform/platform.h"
#include "app/frame.h"
#include "app/game_start.h"
#include "world/streaming.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr unsigned TERRAIN_SEED = 1234;
constexpr int ROUNDS = 4, FRAMES_A_ROUND = 10;
constexpr float LOOKING_AHEAD = 20, LOOKING_DOWN = 80;   // pitch: the ground ahead and some sky; the feet

double seconds_since(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void release_world()
{
    for (int i = 0; i < POOL_SLOTS; i++) {
        free_mesh(&cubes[i]);
        cubes[i].loaded = 0;
    }
    reference_free();
}

int held_chunks()
{
    int n = 0;
    for (int i = 0; i < POOL_SLOTS; i++)
        n += cubes[i].loaded;
    return n;
}

long game_mesh_bytes()
{
    long n = 0;
    for (int i = 0; i < POOL_SLOTS; i++)
        if (cubes[i].vertices)
            n += (cubes[i].quad_count > 0 ? cubes[i].quad_count : 1) * (12 + 8) * (long)sizeof(float);
    return n;
}

// Builds every chunk of the window, looking at the sky so the passes cost little.
void stream_in(int view_distance)
{
    int out = dup(1);
    int null_fd = open("/dev/null", O_WRONLY);
    fflush(stdout);
    dup2(null_fd, 1);
    release_world();
    world_size = 10;
    vision_range = view_distance;
    plat_srand(TERRAIN_SEED);
    e_init_game();
    camera_rot_x = -90;
    int held = -1;
    for (int still = 0; still < 3;) {
        already_created = 0;
        world_pass(draw_buffs);
        still = held == held_chunks() ? still + 1 : 0;
        held = held_chunks();
    }
    camera_rot_x = LOOKING_AHEAD;
    reference_mesh_all();
    fflush(stdout);
    dup2(out, 1);
    close(out);
    close(null_fd);
}

double time_frames(void (*frame)())
{
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < FRAMES_A_ROUND; i++) {
        frame();
        glutSwapBuffers();
        glFinish();
    }
    return seconds_since(t0);
}

void plain_world() { world_pass(reference_draw); }
void game_world() { world_pass(draw_buffs); }
void game_frame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    e_render();
}

void measure(int view_distance)
{
    stream_in(view_distance);
    already_created = 1000;   // nothing more is built while timing
    game_frame();
    double plain = 0, game = 0, full = 0, down = 0;
    for (int r = 0; r < ROUNDS; r++) {
        plain += time_frames(plain_world);
        game += time_frames(game_world);
        full += time_frames(game_frame);
        camera_rot_x = LOOKING_DOWN;
        down += time_frames(game_frame);
        camera_rot_x = LOOKING_AHEAD;
    }
    int frames = ROUNDS * FRAMES_A_ROUND;
    world_pass(reference_draw);
    long plain_quads = reference_quads_drawn(), plain_calls = reference_draw_calls();
    world_pass(draw_buffs);
    printf("view distance %d, %3d chunks: world pass %5.1f frames/s plain, %5.1f game, ratio %4.2f; "
           "full game frame %5.1f frames/s, looking down %5.1f\n",
           view_distance, held_chunks(), frames / plain, frames / game, plain / game, frames / full, frames / down);
    printf("    quads drawn %6ld plain, %6d game (faces of their chunks: %d); draw calls %6ld plain, %4d game; "
           "meshes hold %5.1f MB plain, %5.1f MB game\n",
           plain_quads, quads_drawn, faces_drawn, plain_calls, draw_calls, reference_mesh_bytes() / 1e6,
           game_mesh_bytes() / 1e6);
    fflush(stdout);
}

}  // namespace

int main(int argc, char **argv)
{
    int width = 800, height = 600, distance[2] = {1, 3}, given = 0;
    for (int i = 1; i < argc; i++) {
        // Parsed into its own pair: a bare distance would otherwise set the width.
        int w, h;
        if (sscanf(argv[i], "%dx%d", &w, &h) == 2)
            width = w, height = h;
        else if (given < 2)
            distance[given++] = atoi(argv[i]);
    }
    if (!xs_start_server(width, height)) {
        fprintf(stderr, "no X server\n");
        return 1;
    }
    if (chdir(QUARROW_DATA_DIR) != 0)
        return 1;
    // As the game does. Without it the figures would also depend on the order
    // of distances: freeing the plain meshes of one distance makes glibc keep
    // more of its heap for the next.
    plat_keep_freed_memory();
    cfg_defaults(get_par_str());   // nothing is written: the data folder is tracked
    glutInitWindowSize(width, height);
    int glut_argc = 1;
    glutInit(&glut_argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("quarrow frame bench");
    glViewport(0, 0, width, height);
    e_init();
    game = 1;
    gui = 0;
    printf("%d x %d. Old and new are timed in the same run, alternating; on a shared machine only the ratio "
           "means much.\n", width, height);
    for (int vd = distance[0]; vd <= distance[1]; vd++)
        measure(vd);
    release_world();
    glutExit();
    xs_stop_server();
    return 0;
}
