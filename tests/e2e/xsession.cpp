// xsession.cpp — Xvfb, the game process, XTEST input and screenshots.
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
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

static double now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// Windows may vanish between a query and its use; that is not a test failure.
static int ignore_x_error(Display *, XErrorEvent *)
{
    return 0;
}

// --- the server ---

// Starts Xvfb on display `number`; false when that display is taken (Xvfb
// ends at once) or the server does not answer within the timeout.
static bool start_server_on(int number)
{
    char name[32];
    snprintf(name, sizeof name, ":%d", number);
    server_pid = fork();
    if (server_pid == 0) {
        int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 1);
        dup2(null_fd, 2);
        execlp("Xvfb", "Xvfb", name, "-screen", "0", "1024x768x24", "-nolisten", "tcp", (char *)nullptr);
        _exit(127);
    }
    if (server_pid < 0)
        return false;
    XSetErrorHandler(ignore_x_error);
    double end = now() + 20;
    while (now() < end) {
        if (waitpid(server_pid, nullptr, WNOHANG) == server_pid) {
            server_pid = -1;   // the number was taken
            return false;
        }
        display = XOpenDisplay(name);
        if (display) {
            // The answer may have come from another test's server on that
            // number; ours would have ended by now, having found its lock.
            xs_sleep(0.2);
            if (waitpid(server_pid, nullptr, WNOHANG) == server_pid) {
                server_pid = -1;
                XCloseDisplay(display);
                display = nullptr;
                return false;
            }
            setenv("DISPLAY", name, 1);
            return true;
        }
        xs_sleep(0.05);
    }
    return false;
}

bool xs_start_server()
{
    if (display)
        return true;
    // Each test program picks its own numbers, so parallel tests rarely meet;
    // when they do, the second server ends at once and the next number is tried.
    int first = 100 + (int)(getpid() % 800);
    for (int attempt = 0; attempt < 20; attempt++) {
        if (start_server_on(first + attempt * 7))
            return true;
        xs_stop_server();
    }
    return false;
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

// --- the game ---

static int run(const char *const argv[])
{
    pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[0], (char *const *)argv);
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string xs_make_run_dir()
{
    char dir[] = "/tmp/quarrow-run-XXXXXX";
    if (!mkdtemp(dir))
        return "";
    std::string data = std::string(QUARROW_DATA_DIR) + "/.";
    const char *copy[] = {"cp", "-r", data.c_str(), dir, nullptr};
    if (run(copy) != 0)
        return "";
    std::string saves = std::string(dir) + "/saves";
    mkdir(saves.c_str(), 0755);
    return dir;
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
        int in = open("/dev/null", O_RDONLY);
        dup2(out, 1);
        dup2(err, 2);
        dup2(in, 0);
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
    std::string text;
    FILE *f = fopen((game_dir + "/stdout.txt").c_str(), "rb");
    if (!f)
        return text;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        text.append(chunk, n);
    fclose(f);
    return text;
}

bool xs_wait_output(const char *needle, double timeout_s)
{
    double end = now() + timeout_s;
    do {
        if (xs_output().find(needle) != std::string::npos)
            return true;
        xs_sleep(0.05);
    } while (now() < end);
    return false;
}

int xs_count_output(const char *needle)
{
    std::string text = xs_output();
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        count++;
    return count;
}

bool xs_wait_exit(double timeout_s, int *status)
{
    double end = now() + timeout_s;
    while (game_pid > 0) {
        int raw = 0;
        pid_t r = waitpid(game_pid, &raw, WNOHANG);
        if (r == game_pid) {
            game_pid = -1;
            *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
            return true;
        }
        if (now() > end)
            return false;
        xs_sleep(0.02);
    }
    return false;
}

bool xs_game_running()
{
    return game_pid > 0 && waitpid(game_pid, nullptr, WNOHANG) == 0;
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

// --- windows ---

std::string xs_title(Window w)
{
    std::string title;
    char *name = nullptr;
    if (XFetchName(display, w, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

static Window search(Window w, const char *prefix)
{
    if (xs_title(w).rfind(prefix, 0) == 0)
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
    double end = now() + timeout_s;
    do {
        Window w = search(DefaultRootWindow(display), prefix);
        if (w)
            return w;
        xs_sleep(0.05);
    } while (now() < end);
    return 0;
}

bool xs_wait_title(Window w, const char *prefix, double timeout_s)
{
    double end = now() + timeout_s;
    do {
        if (xs_title(w).rfind(prefix, 0) == 0)
            return true;
        xs_sleep(0.05);
    } while (now() < end);
    return false;
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

// --- input ---

void xs_focus(Window w)
{
    XSetInputFocus(display, w, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
}

void xs_focus_follows_pointer()
{
    XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
}

void xs_move_by(int dx, int dy)
{
    XTestFakeRelativeMotionEvent(display, dx, dy, CurrentTime);
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

bool xs_pointer(Window w, int *x, int *y)
{
    Window root, child;
    int rx, ry;
    unsigned mask;
    return XQueryPointer(display, w, &root, &child, &rx, &ry, x, y, &mask);
}

void xs_button_down(int button)
{
    XTestFakeButtonEvent(display, (unsigned)button, True, CurrentTime);
    XSync(display, False);
}

void xs_button_up(int button)
{
    XTestFakeButtonEvent(display, (unsigned)button, False, CurrentTime);
    XSync(display, False);
}

void xs_click(int button)
{
    xs_button_down(button);
    xs_sleep(0.05);
    xs_button_up(button);
}

// A key for a keysym the server's keyboard lacks (a Cyrillic letter): an
// unused key code is given that keysym, as a second layout would.
static KeyCode key_for(KeySym sym)
{
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

static void tap(KeySym sym, bool shift)
{
    KeyCode code = key_for(sym);
    KeyCode shift_code = XKeysymToKeycode(display, XK_Shift_L);
    if (shift)
        XTestFakeKeyEvent(display, shift_code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XSync(display, False);
    xs_sleep(0.03);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    if (shift)
        XTestFakeKeyEvent(display, shift_code, False, CurrentTime);
    XSync(display, False);
    xs_sleep(0.03);
}

void xs_key(const char *keysym_name)
{
    tap(XStringToKeysym(keysym_name), false);
}

static void press(const char *keysym_name, bool down)
{
    KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym_name));
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    XSync(display, False);
}

void xs_key_down(const char *keysym_name)
{
    press(keysym_name, true);
}

void xs_key_up(const char *keysym_name)
{
    press(keysym_name, false);
}

void xs_type(const char *ascii)
{
    for (const char *p = ascii; *p; p++) {
        KeySym sym = (KeySym)(unsigned char)*p;   // Latin-1 keysyms are the codes themselves
        KeyCode code = XKeysymToKeycode(display, sym);
        // The second keysym of a key is its shifted one.
        bool shift = code && XkbKeycodeToKeysym(display, code, 0, 0) != sym;
        tap(sym, shift);
    }
}

bool xs_close_window(Window w)
{
    XEvent e;
    memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    e.xclient.data.l[1] = CurrentTime;
    bool sent = XSendEvent(display, w, False, NoEventMask, &e) != 0;
    XSync(display, False);
    return sent;
}

bool xs_resize(Window w, int width, int height)
{
    XResizeWindow(display, w, (unsigned)width, (unsigned)height);
    XSync(display, False);
    return true;
}

// --- pictures ---

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
    if (!xs_window_size(w, &width, &height))
        return false;
    XImage *img = XGetImage(display, w, 0, 0, (unsigned)width, (unsigned)height, AllPlanes, ZPixmap);
    if (!img)
        return false;
    out->width = width;
    out->height = height;
    out->rgb.resize((size_t)width * height * 3);
    int rs = mask_shift(img->red_mask), gs = mask_shift(img->green_mask), bs = mask_shift(img->blue_mask);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            unsigned long p = XGetPixel(img, x, y);
            unsigned char *o = &out->rgb[3 * ((size_t)y * width + x)];
            o[0] = (unsigned char)((p & img->red_mask) >> rs);
            o[1] = (unsigned char)((p & img->green_mask) >> gs);
            o[2] = (unsigned char)((p & img->blue_mask) >> bs);
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

double xs_fraction_near(const xs_image &img, int x0, int y0, int x1, int y1, int r, int g, int b, int tolerance)
{
    int near = 0, all = 0;
    for (int y = y0; y < y1 && y < img.height; y++)
        for (int x = x0; x < x1 && x < img.width; x++) {
            const unsigned char *p = img.at(x, y);
            all++;
            near += abs(p[0] - r) <= tolerance && abs(p[1] - g) <= tolerance && abs(p[2] - b) <= tolerance;
        }
    return all ? (double)near / all : 0;
}
