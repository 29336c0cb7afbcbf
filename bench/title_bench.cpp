// The real game's frame rate as its window title shows it, for two builds
// alternating on one private Xvfb, so a busy machine slows both alike: a new
// world of the tests' seed, daylight, the view 10 degrees below the horizon
// and then at the feet.
//
//     quarrow_title_bench OLD_EXE NEW_EXE [WIDTHxHEIGHT] [view distance] [rounds]
#include "e2e/xsession.h"
#include "save/config.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

int width = 800, height = 600;

std::string slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int count_in(const std::string &text, const char *needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        n++;
    return n;
}

void click(Window w, int x, int y)
{
    xs_move(w, x * width / 800, y * height / 600);
    xs_sleep(0.15), xs_key("Button1", 0.05), xs_sleep(0.4);
}

int title_fps()
{
    std::string title;
    if (!xs_find_window("Quarrow, v0.10, win32", &title))
        return -1;
    size_t at = title.find("FPS: ");
    return at == std::string::npos ? -1 : atoi(title.c_str() + at + 5);
}

// Median of three readings a second apart, after the view has settled.
int settled_fps()
{
    xs_sleep(3);
    std::vector<int> r;
    for (int i = 0; i < 3; i++, xs_sleep(1.05))
        r.push_back(title_fps());
    std::sort(r.begin(), r.end());
    return r[1];
}

bool write_cfg(const std::string &dir, int distance)
{
    game_param p;
    cfg_defaults(&p);
    p.window_width = width, p.window_height = height;
    p.view_distance = distance;
    strncpy(p.language, "eng", sizeof p.language);
    p.fog_enabled = 1;
    unsigned char bytes[CFG_BYTES];
    cfg_encode(&p, bytes);
    FILE *f = fopen((dir + "/cfg").c_str(), "wb");
    bool ok = f && fwrite(bytes, 1, CFG_BYTES, f) == CFG_BYTES;
    return f && fclose(f) == 0 && ok;
}

// Frames a second looking ahead and looking down, or -1s when the game did not come up.
void one_run(const char *exe, int distance, int *ahead, int *down)
{
    *ahead = *down = -1;
    char dir[] = "/tmp/quarrow-title-XXXXXX";
    if (!mkdtemp(dir) || system(("cp -r '" QUARROW_DATA_DIR "/.' " + std::string(dir)).c_str()) != 0 ||
        !write_cfg(dir, distance) || !xs_launch(dir, exe))
        return;
    Window w = 0;
    for (int i = 0; i < 200 && !(w = xs_find_window("Quarrow, v0.10, win32")); i++)
        xs_sleep(0.1);
    if (w) {
        xs_sleep(1);
        xs_focus(w);
        click(w, 400, 265);   // New game
        click(w, 400, 515);   // Create world: the create page
        click(w, 400, 515);   // and its Create
        // Streamed in once no chunk has been made for two seconds.
        std::string out = std::string(dir) + "/stdout.txt";
        for (int made = -1, now = 0; made != now; xs_sleep(2))
            made = now, now = count_in(slurp(out), "created ");
        xs_move(0, 0, 100);   // a tenth of a degree a pixel
        *ahead = settled_fps();
        xs_move(0, 0, 700);
        *down = settled_fps();
    }
    xs_end_game(SIGTERM, 20);
    xs_end_game(SIGKILL, 5);
    if (*ahead < 0)
        fprintf(stderr, "see %s\n", dir);
    else if (system(("rm -rf " + std::string(dir)).c_str()) != 0)
        fprintf(stderr, "could not remove %s\n", dir);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: %s OLD_EXE NEW_EXE [WIDTHxHEIGHT] [view distance] [rounds]\n", argv[0]);
        return 2;
    }
    int distance = 1, rounds = 2;
    if (argc > 3 && sscanf(argv[3], "%dx%d", &width, &height) != 2)
        return 2;
    if (argc > 4)
        distance = atoi(argv[4]);
    if (argc > 5)
        rounds = atoi(argv[5]);
    if (!xs_start_server(width, height)) {
        fprintf(stderr, "no X server\n");
        return 1;
    }
    printf("%d x %d, view distance %d: frames a second from the title, looking ahead / looking down\n", width,
           height, distance);
    for (int r = 0; r < rounds; r++)
        for (int e = 1; e <= 2; e++) {
            int ahead, down;
            char exe[4096];
            if (!realpath(argv[e], exe))   // the game runs in its own folder
                return 2;
            one_run(exe, distance, &ahead, &down);
            printf("round %d %s: %3d / %3d\n", r + 1, e == 1 ? "old" : "new", ahead, down);
            fflush(stdout);
        }
    xs_stop_server();
    return 0;
}
