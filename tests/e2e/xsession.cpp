// xsession.cpp — Xvfb, the game process, XTEST input and screenshots.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <fcntl.h>
#include <png.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <set>

#include "xsession.h"

static pid_t server_pid = -1;
static pid_t game_pid = -1;
static Display *display = nullptr;
static std::string game_dir;

void xs_sleep(double seconds)
{
    timespec ts;
    ts.tv_sec = (time_t)seconds;
    ts.tv_nsec = (long)((seconds - (double)ts.tv_sec) * 1e9);
    nanosleep(&ts, nullptr);
}

// Windows may vanish between a query and its use; that is not a test failure.
static int ignore_x_error(Display *, XErrorEvent *)
{
    return 0;
}

// Xvfb finds a free display number itself and writes it to the pipe once it
// answers, so parallel tests never meet on one number.
bool xs_start_server()
{
    if (display)
        return true;
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    server_pid = fork();
    if (server_pid == 0) {
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 1);
        dup2(null_fd, 2);
        close(fds[0]);
        char fd[16];
        snprintf(fd, sizeof fd, "%d", fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd, "-screen", "0", "1024x768x24", "-nolisten", "tcp", (char *)nullptr);
        _exit(127);
    }
    close(fds[1]);
    // The number comes once the server answers, followed by a line end.
    char number[16] = "";
    size_t got = 0;
    while (server_pid > 0 && got < sizeof number - 1 && !strchr(number, '\n')) {
        ssize_t n = read(fds[0], number + got, sizeof number - 1 - got);
        if (n <= 0 && errno != EINTR)
            break;
        got += n > 0 ? (size_t)n : 0;
    }
    close(fds[0]);
    if (!strchr(number, '\n'))
        return false;
    char name[20];
    snprintf(name, sizeof name, ":%d", atoi(number));
    XSetErrorHandler(ignore_x_error);
    display = XOpenDisplay(name);
    setenv("DISPLAY", name, 1);
    return display != nullptr;
}

void xs_stop_server()
{
    xs_kill_game(SIGKILL);
    if (display)
        XCloseDisplay(display);
    display = nullptr;
    if (server_pid > 0) {
        kill(server_pid, SIGTERM);
        waitpid(server_pid, nullptr, 0);
    }
    server_pid = -1;
}

bool xs_launch(const std::string &run_dir, const char *exe)
{
    if (!exe)
        exe = QUARROW_EXE;
    game_dir = run_dir;
    game_pid = fork();
    if (game_pid == 0) {
        if (chdir(run_dir.c_str()) != 0)
            _exit(126);
        int out = open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(err, 2);
        dup2(open("/dev/null", O_RDONLY), 0);
        // Flat ground with no bump or pit round the start position, so every
        // run aims at the same blocks.
        setenv("QUARROW_SEED", "83", 1);
        execl(exe, exe, (char *)nullptr);
        _exit(127);
    }
    return game_pid > 0;
}

std::string xs_output()
{
    std::ifstream f(game_dir + "/stdout.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool xs_wait_exit(double timeout_s, int *status)
{
    for (double t = 0; game_pid > 0 && t < timeout_s; t += 0.02) {
        int raw = 0;
        if (waitpid(game_pid, &raw, WNOHANG) == game_pid) {
            game_pid = -1;
            *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
            return true;
        }
        xs_sleep(0.02);
    }
    return false;
}

void xs_kill_game(int sig)
{
    if (game_pid <= 0)
        return;
    kill(game_pid, sig);
    if (sig == SIGKILL) {
        waitpid(game_pid, nullptr, 0);
        game_pid = -1;
    }
}

static bool titled(Window w, const char *prefix)
{
    char *name = nullptr;
    bool yes = XFetchName(display, w, &name) && name && strncmp(name, prefix, strlen(prefix)) == 0;
    if (name)
        XFree(name);
    return yes;
}

static Window search(Window w, const char *prefix)
{
    if (titled(w, prefix))
        return w;
    Window root, parent, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, w, &root, &parent, &children, &count))
        return 0;
    Window found = 0;
    for (unsigned int i = 0; i < count && !found; i++)
        found = search(children[i], prefix);
    if (children)
        XFree(children);
    return found;
}

Window xs_find_window(const char *prefix, double timeout_s)
{
    for (double t = 0; t < timeout_s; t += 0.05) {
        if (Window w = search(DefaultRootWindow(display), prefix))
            return w;
        xs_sleep(0.05);
    }
    return 0;
}

bool xs_window_size(Window w, int *width, int *height)
{
    XWindowAttributes a;
    if (!XGetWindowAttributes(display, w, &a))
        return false;
    *width = a.width;
    *height = a.height;
    return true;
}

void xs_focus(Window w)
{
    XSetInputFocus(display, w ? w : None, RevertToNone, CurrentTime);
    XSync(display, False);
}

void xs_close_window(Window w)
{
    XEvent e;
    memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    XSendEvent(display, w, False, NoEventMask, &e);
    XSync(display, False);
}

void xs_move(Window w, int x, int y)
{
    int rx = 0, ry = 0;
    Window child;
    XTranslateCoordinates(display, w, DefaultRootWindow(display), x, y, &rx, &ry, &child);
    XTestFakeMotionEvent(display, -1, rx, ry, CurrentTime);
    XSync(display, False);
}

void xs_move_by(int dx, int dy)
{
    XTestFakeRelativeMotionEvent(display, dx, dy, CurrentTime);
    XSync(display, False);
}

bool xs_pointer(Window w, int *x, int *y)
{
    Window root, child;
    int rx, ry;
    unsigned mask;
    return XQueryPointer(display, w, &root, &child, &rx, &ry, x, y, &mask);
}

void xs_button(int button, bool down)
{
    XTestFakeButtonEvent(display, (unsigned)button, down, CurrentTime);
    XSync(display, False);
}

// A key for a keysym the server's keyboard lacks (a Cyrillic letter): an
// unused key code is given that keysym, as a second layout would.
static KeyCode key_for(const char *name)
{
    KeySym sym = XStringToKeysym(name);
    KeyCode code = XKeysymToKeycode(display, sym);
    if (code || sym == NoSymbol)
        return code;
    int low = 0, high = 0, per = 0;
    XDisplayKeycodes(display, &low, &high);
    KeySym *map = XGetKeyboardMapping(display, (KeyCode)low, high - low + 1, &per);
    for (int k = high; k >= low && !code; k--) {
        bool unused = true;
        for (int i = 0; i < per; i++)
            unused = unused && map[(k - low) * per + i] == NoSymbol;
        if (unused) {
            XChangeKeyboardMapping(display, k, 1, &sym, 1);
            code = (KeyCode)k;
        }
    }
    XFree(map);
    XSync(display, False);
    xs_sleep(0.3);   // the game reads the new mapping before the key comes
    return code;
}

void xs_key_held(const char *name, bool down)
{
    XTestFakeKeyEvent(display, key_for(name), down, CurrentTime);
    XSync(display, False);
}

void xs_key(const char *name)
{
    xs_key_held(name, true);
    xs_sleep(0.03);
    xs_key_held(name, false);
    xs_sleep(0.03);
}

static int mask_shift(unsigned long mask)
{
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        shift++;
    }
    return shift;
}

bool xs_screenshot(Window w, xs_image *out)
{
    int width = 0, height = 0;
    XImage *img = nullptr;
    if (xs_window_size(w, &width, &height))
        img = XGetImage(display, w, 0, 0, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    if (!img)
        return false;
    out->width = width;
    out->height = height;
    out->rgb.resize((size_t)width * height * 3);
    const unsigned long masks[3] = {img->red_mask, img->green_mask, img->blue_mask};
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            unsigned long p = XGetPixel(img, x, y);
            for (int c = 0; c < 3; c++)
                out->rgb[3 * ((size_t)y * width + x) + c] = (unsigned char)((p & masks[c]) >> mask_shift(masks[c]));
        }
    XDestroyImage(img);
    return true;
}

bool xs_write_png(const std::string &path, const xs_image &img)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, (png_uint_32)img.width, (png_uint_32)img.height, 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < img.height; y++)
        png_write_row(png, (png_const_bytep)img.at(0, y));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return true;
}

std::string xs_artefact_dir()
{
    const char *env = getenv("QUARROW_ARTEFACTS");
    std::string dir = env ? env : QUARROW_ARTEFACT_DIR;
    mkdir(dir.c_str(), 0755);
    return dir;
}

int xs_distinct_colours(const xs_image &img)
{
    std::set<unsigned> colours;
    for (size_t i = 0; i + 2 < img.rgb.size(); i += 3)
        colours.insert((unsigned)img.rgb[i] << 16 | (unsigned)img.rgb[i + 1] << 8 | img.rgb[i + 2]);
    return (int)colours.size();
}
