// xsession.cpp — Xvfb, the game process, XTEST input and screenshots.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <sys/prctl.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "xsession.h"

static pid_t server_pid = -1, game_pid = -1;
static Display *display = nullptr;

// A child that dies with the test: one killed from outside (ctest's timeout, a signal) leaves no server or game.
static pid_t start_child(const std::string &cmd)
{
    pid_t parent = getpid(), pid = fork();
    if (pid != 0)
        return pid;
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(127);
    execl("/bin/sh", "sh", "-c", cmd.c_str(), (char *)nullptr);
    _exit(127);
}

// Sends sig (0: none) and waits for the child's end; on it *pid becomes -1.
static int end_child(pid_t *pid, int sig, double timeout_s)
{
    int raw = 0;
    if (*pid > 0 && sig)
        kill(*pid, sig);
    for (double t = 0; *pid > 0 && t < timeout_s; t += 0.02, xs_sleep(0.02))
        if (waitpid(*pid, &raw, WNOHANG) == *pid) {
            *pid = -1;
            return WIFEXITED(raw) ? WEXITSTATUS(raw) : -WTERMSIG(raw);
        }
    return XS_RUNNING;
}

// Xvfb picks a free display itself and writes its number once it answers: parallel tests never meet on one.
bool xs_start_server(int width, int height)
{
    int fds[2];
    if (display || pipe(fds) != 0)
        return display != nullptr;
    server_pid = start_child("exec Xvfb -displayfd " + std::to_string(fds[1]) + " -screen 0 " + std::to_string(width) +
                             "x" + std::to_string(height) + "x24 -nolisten tcp >/dev/null 2>&1");
    close(fds[1]);
    char digits[16] = "", name[20];
    bool told = read(fds[0], digits, sizeof digits - 1) > 0;
    close(fds[0]);
    snprintf(name, sizeof name, ":%d", told ? atoi(digits) : -1);
    // Windows may vanish between a query and its use; that is not a test failure.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    display = told ? XOpenDisplay(name) : nullptr;
    if (display)   // every fake event reaches the server before the call returns
        XSynchronize(display, True);
    setenv("DISPLAY", name, 1);
    return display != nullptr;
}

void xs_stop_server()
{
    xs_end_game(SIGKILL, 10);
    if (display)
        XCloseDisplay(display);
    display = nullptr;
    // A server writing to a client that no longer reads (the GL tests' window) may never end on its own.
    if (end_child(&server_pid, SIGTERM, 3) == XS_RUNNING)
        end_child(&server_pid, SIGKILL, 10);
}

bool xs_launch(const std::string &run_dir, const char *exe)
{
    // Seed 83: flat ground round the start, the same blocks aimed at every run; autosaves after 1 s, not 30.
    game_pid = start_child("cd '" + run_dir + "' && QUARROW_SEED=83 QUARROW_AUTOSAVE_SECONDS=1 exec '" +
                           (exe ? exe : QUARROW_EXE) + "' >stdout.txt 2>stderr.txt </dev/null");
    return game_pid > 0;
}

int xs_end_game(int sig, double timeout_s) { return end_child(&game_pid, sig, timeout_s); }

// Without a window manager every client's window is a child of the root.
Window xs_find_window(const char *prefix, std::string *title)
{
    Window root, parent, *children = nullptr, found = 0;
    unsigned int count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned int i = 0; i < count && !found; i++) {
        char *name = nullptr;
        if (XFetchName(display, children[i], &name) && strncmp(name, prefix, strlen(prefix)) == 0) {
            found = children[i];
            if (title)
                *title = name;
        }
        XFree(name);
    }
    XFree(children);
    return found;
}

void xs_focus(Window w) { XSetInputFocus(display, w, RevertToNone, CurrentTime); }

void xs_move(Window w, int x, int y)
{
    int rx = 0, ry = 0;
    Window child;
    if (!w)
        XTestFakeRelativeMotionEvent(display, x, y, CurrentTime);
    else if (XTranslateCoordinates(display, w, DefaultRootWindow(display), x, y, &rx, &ry, &child))
        XTestFakeMotionEvent(display, -1, rx, ry, CurrentTime);
}

bool xs_pointer(Window w, int *x, int *y)
{
    Window root, child;
    int rx, ry;
    unsigned mask;
    return XQueryPointer(display, w, &root, &child, &rx, &ry, x, y, &mask);
}

// A keysym the keyboard lacks (a Cyrillic letter) gets an unused key code of its own, as a second
// layout would: one key code for all would turn a key the game reads late into the next letter.
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
        code = map[(k - low) * per] == NoSymbol ? (KeyCode)k : 0;
    XFree(map);
    XChangeKeyboardMapping(display, code, 1, &sym, 1);
    xs_sleep(0.3);   // the game reads the new mapping before the key comes
    return code;
}

void xs_key_held(const char *name, bool down)
{
    if (strncmp(name, "Button", 6) == 0)
        XTestFakeButtonEvent(display, (unsigned)atoi(name + 6), down, CurrentTime);
    else
        XTestFakeKeyEvent(display, key_for(name), down, CurrentTime);
}

void xs_key(const char *name, double hold_s)
{
    xs_key_held(name, true), xs_sleep(hold_s), xs_key_held(name, false), xs_sleep(0.03);
}

// The private server's visual is 24-bit TrueColor: red in the high byte.
xs_image xs_screenshot(Window w)
{
    XWindowAttributes a;
    XImage *img = XGetWindowAttributes(display, w, &a) ?
                  XGetImage(display, w, 0, 0, (unsigned)a.width, (unsigned)a.height, AllPlanes, ZPixmap) : nullptr;
    if (!img)
        return xs_image();
    xs_image out{a.width, a.height, std::vector<unsigned char>((size_t)a.width * a.height * 3)};
    unsigned char *o = out.rgb.data();
    for (int y = 0; y < a.height; y++)
        for (int x = 0; x < a.width; x++, o += 3) {
            unsigned long p = XGetPixel(img, x, y);
            o[0] = (unsigned char)(p >> 16), o[1] = (unsigned char)(p >> 8), o[2] = (unsigned char)p;
        }
    XDestroyImage(img);
    return out;
}
