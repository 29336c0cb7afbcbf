// Flying straight across ten chunk borders at view distance 1 and 3: the
// frame times (median, 99th percentile, longest), the time in file calls and
// the bytes written per border; and the exit save of 392 chunks. A fixed seed and a fixed flight, so two
// builds of the game can be compared; 800 x 600 on a private Xvfb.
#include "save/config.h"
#include "app/engine.h"
#include "e2e/xsession.h"
#include "platform/platform.h"
#include "app/frame.h"
#include "save/saver.h"
#include "gui/gui.h"
#include "app/game_start.h"
#include "world/streaming.h"
#include "world/world.h"

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

// --- time the game spends in file calls ---
// The bench defines the calls the saving code makes, so they come here
// first; each is timed and handed on to the C library.

static double io_ms = 0;
// Only the time the frames wait counts: chunk writes run on a thread of their own.
static const pthread_t frame_thread = pthread_self();

static double clock_ms()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Each call keeps its own pointer to the library's function.
#define TIMED(name, type, ...)                             \
    using fn = type;                                       \
    static fn real = (fn)dlsym(RTLD_NEXT, name);           \
    double t0 = clock_ms();                                \
    auto r = real(__VA_ARGS__);                            \
    if (pthread_equal(pthread_self(), frame_thread))       \
        io_ms += clock_ms() - t0;                          \
    return r

extern "C" {
ssize_t write(int fd, const void *b, size_t n) { TIMED("write", ssize_t (*)(int, const void *, size_t), fd, b, n); }
size_t fwrite(const void *b, size_t s, size_t n, FILE *f)
{
    TIMED("fwrite", size_t (*)(const void *, size_t, size_t, FILE *), b, s, n, f);
}
int fflush(FILE *f) { TIMED("fflush", int (*)(FILE *), f); }
int fsync(int fd) { TIMED("fsync", int (*)(int), fd); }
int fclose(FILE *f) { TIMED("fclose", int (*)(FILE *), f); }
int close(int fd) { TIMED("close", int (*)(int), fd); }
int rename(const char *a, const char *b) { TIMED("rename", int (*)(const char *, const char *), a, b); }
}

namespace {

constexpr int BORDERS = 10;
constexpr double STEP = 0.5;   // blocks a frame along x
constexpr unsigned FLIGHT_SEED = 7;
constexpr float FLIGHT_PITCH = 20;

// Processor time of all the process's threads (llvmpipe's too): unlike the
// clock on the wall, it hardly moves while other programs have the processor.
double cpu_ms()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

double now_ms()
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// Bytes this process has handed to write() so far.
long long bytes_written()
{
    FILE *f = fopen("/proc/self/io", "r");
    long long n = -1;
    char line[128];
    while (f && fgets(line, sizeof line, f))
        if (sscanf(line, "wchar: %lld", &n) == 1)
            break;
    if (f)
        fclose(f);
    return n;
}

int quiet_stdout()
{
    fflush(stdout);
    int out = dup(1);
    int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    close(null_fd);
    return out;
}

void restore_stdout(int out)
{
    fflush(stdout);
    dup2(out, 1);
    close(out);
}

void frame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    e_render();
    glutSwapBuffers();
    glFinish();
}

void fly(int view_distance)
{
    int out = quiet_stdout();
    world_record *w = g_get_world();
    char name[32];
    snprintf(name, sizeof name, "flight%d", view_distance);
    snprintf(w->name, sizeof w->name, "%s", name);
    char cmd[128];
    snprintf(cmd, sizeof cmd, "rm -rf saves/%s && mkdir -p saves/%s", name, name);
    if (system(cmd) != 0)
        return;
    world_size = 30;
    vision_range = view_distance;
    plat_srand(FLIGHT_SEED);
    e_init_game();
    camera_rot_x = FLIGHT_PITCH;
    camera_rot_y = 90;   // looking along the flight
    // The window is built before the flight starts.
    for (int i = 0; i < 3000; i++) {
        already_created = 0;
        frame();
    }
    std::vector<double> times, cpu, saving;
    long long written = bytes_written();
    double start_x = camera_x;
    while (camera_x - start_x < 64.0 * BORDERS) {
        double t0 = now_ms(), c0 = cpu_ms();
        io_ms = 0;
        frame();
        times.push_back(now_ms() - t0);
        cpu.push_back(cpu_ms() - c0);
        saving.push_back(io_ms);
        camera_x += STEP;
        // Frames here are long: several physics steps run between two, so
        // a chunk may be built in every frame.
        already_created = 0;
    }
    written = bytes_written() - written;
    double t0 = now_ms();
    save_all();
    double exit_ms = now_ms() - t0;
    restore_stdout(out);
    std::sort(times.begin(), times.end());
    std::sort(saving.begin(), saving.end());
    std::sort(cpu.begin(), cpu.end());
    size_t n = times.size();
    printf("%8d %7zu %9.1f %9.1f %9.1f %8.1f %6.1f %7.1f %11.1f %9.1f %11.1f %8.0f\n", view_distance, n,
           times[n / 2], times[n * 99 / 100], times.back(), cpu[n / 2], cpu[n * 99 / 100], cpu.back(),
           saving[n * 99 / 100], saving.back(), written / 1e6 / BORDERS, exit_ms);
}

// 392 chunks (7 x 7 columns, 8 levels) built and never written, then the exit save.
void exit_save()
{
    int out = quiet_stdout();
    world_record *w = g_get_world();
    snprintf(w->name, sizeof w->name, "exit");
    if (system("rm -rf saves/exit && mkdir -p saves/exit") != 0)
        return;
    world_size = 30;
    vision_range = 3;
    plat_srand(FLIGHT_SEED);
    e_init_game();
    for (int x = 0; x < 7; x++)
        for (int y = 0; y < 7; y++)
            for (int level = 0; level < 8; level++)
                build_chunk(x, y, level);
    long long written = bytes_written();
    double t0 = now_ms();
    save_all();
    double ms = now_ms() - t0;
    written = bytes_written() - written;
    restore_stdout(out);
    printf("exit save of 392 chunks: %.0f ms, %.0f MB\n", ms, written / 1e6);
}

}  // namespace

int main(int argc, char **argv)
{
    if (!xs_start_server()) {
        fprintf(stderr, "no X server\n");
        return 1;
    }
    char dir[] = "/tmp/quarrow-flight-XXXXXX";
    if (!mkdtemp(dir) || chdir(QUARROW_DATA_DIR) != 0)
        return 1;
    cfg_defaults(get_par_str());
    glutInitWindowSize(800, 600);
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("quarrow flight bench");
    glViewport(0, 0, 800, 600);
    e_init();   // textures and phrases from the data folder
    if (chdir(dir) != 0)
        return 1;
    game = 1;
    gui = 0;
    // "exit" as the argument: the exit save alone.
    if (!(argc > 1 && strcmp(argv[1], "exit") == 0))
        printf("Frame times in ms, seed %u, flying along x at %.1f blocks a frame, looking %d degrees down:\n"
               "                   on the wall:                  processor time:\n"
               "distance  frames    median      99th   longest   median   99th longest  files 99th  longest"
               "  MB a border  exit ms\n",
               FLIGHT_SEED, STEP, (int)FLIGHT_PITCH);
    for (int vd = 1; vd <= 3 && !(argc > 1 && strcmp(argv[1], "exit") == 0); vd += 2)
        fly(vd);
    exit_save();
    save_all();
    glutExit();
    xs_stop_server();
    char cmd[96];
    snprintf(cmd, sizeof cmd, "rm -rf %s", dir);
    return system(cmd) == 0 ? 0 : 1;
}
