// xsession.cpp — Xvfb, the game process, XTEST input and screenshots.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "xsession.h"

static pid_t server_pid = -1;
static pid_t game_pid = -1;
static Display *display = nullptr;

void xs_sleep(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// A child that dies with the test: a test killed from outside (ctest's
// timeout, a signal) leaves no server or game behind.
static pid_t start_child(const char *cmd, int keep_fd)
{
    pid_t parent = getpid();
    pid_t pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    if (keep_fd != 3 && keep_fd >= 0) {
        dup2(keep_fd, 3);
        close(keep_fd);
    }
    execl("/bin/sh", "sh", "-c", cmd, (char *)nullptr);
    _exit(127);
}

// Xvfb picks a free display itself and writes its number once it answers,
// so parallel tests never meet on one.
bool xs_start_server()
{
    if (display)
        return true;
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    server_pid = start_child("exec Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1", fds[1]);
    close(fds[1]);
    FILE *f = fdopen(fds[0], "r");
    int number = -1;
    if (!f || fscanf(f, "%d", &number) != 1)
        number = -1;
    if (f)
        fclose(f);
    char name[20];
    snprintf(name, sizeof name, ":%d", number);
    // Windows may vanish between a query and its use; that is not a test failure.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    display = number >= 0 ? XOpenDisplay(name) : nullptr;
    setenv("DISPLAY", name, 1);
    return display != nullptr;
}

void xs_stop_server()
{
    xs_kill_game(SIGKILL);
    if (display)
        XCloseDisplay(display);
    display = nullptr;
    // A server still writing to a client that no longer reads (the GL tests'
    // own window) may never end on its own: it gets a moment, then is killed.
    if (server_pid > 0) {
        kill(server_pid, SIGTERM);
        bool ended = false;
        for (double t = 0; t < 3 && !(ended = waitpid(server_pid, nullptr, WNOHANG) != 0); t += 0.02)
            xs_sleep(0.02);
        if (!ended) {
            kill(server_pid, SIGKILL);
            waitpid(server_pid, nullptr, 0);
        }
    }
    server_pid = -1;
}

bool xs_launch(const std::string &run_dir, const char *exe)
{
    // Seed 83: flat ground round the start, so every run aims at the same
    // blocks; autosaves after 3 s instead of 30, so a test need not wait.
    std::string cmd = "cd '" + run_dir + "' && QUARROW_SEED=83 QUARROW_AUTOSAVE_SECONDS=3 exec '" +
                      (exe ? exe : QUARROW_EXE) + "' >stdout.txt 2>stderr.txt </dev/null";
    game_pid = start_child(cmd.c_str(), -1);
    return game_pid > 0;
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
    int status = 0;
    if (game_pid > 0 && kill(game_pid, sig) == 0 && sig == SIGKILL)
        xs_wait_exit(10, &status);
}

// Without a window manager every client's window is a child of the root.
Window xs_find_window(const char *prefix, double timeout_s)
{
    for (double t = 0; t < timeout_s; t += 0.05, xs_sleep(0.05)) {
        Window root, parent, *children = nullptr, found = 0;
        unsigned int count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count && !found; i++) {
            char *name = nullptr;
            if (XFetchName(display, children[i], &name) && strncmp(name, prefix, strlen(prefix)) == 0)
                found = children[i];
            XFree(name);
        }
        XFree(children);
        if (found)
            return found;
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
    XSetInputFocus(display, w, RevertToNone, CurrentTime);
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
    for (int k = high; k >= low && !code; k--)
        if (map[(k - low) * per] == NoSymbol)
            code = (KeyCode)k;
    XChangeKeyboardMapping(display, code, 1, &sym, 1);
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

// The private server's visual is 24-bit TrueColor: red in the high byte.
bool xs_screenshot(Window w, xs_image *out)
{
    XImage *img = nullptr;
    if (xs_window_size(w, &out->width, &out->height))
        img = XGetImage(display, w, 0, 0, (unsigned)out->width, (unsigned)out->height, AllPlanes, ZPixmap);
    if (!img)
        return false;
    out->rgb.resize((size_t)out->width * out->height * 3);
    unsigned char *o = out->rgb.data();
    for (int y = 0; y < out->height; y++)
        for (int x = 0; x < out->width; x++, o += 3) {
            unsigned long p = XGetPixel(img, x, y);
            o[0] = (unsigned char)(p >> 16), o[1] = (unsigned char)(p >> 8), o[2] = (unsigned char)p;
        }
    XDestroyImage(img);
    return true;
}
