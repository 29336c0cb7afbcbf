// A private X session: our own Xvfb, the real game, XTEST input as a real keyboard and mouse give it, screenshots.
#pragma once
#include <signal.h>
#include <unistd.h>

#include <string>
#include <vector>

// An X window id; kept free of the Xlib headers, whose macros clash with GoogleTest.
typedef unsigned long Window;

// Starts Xvfb on a free display and points DISPLAY at it; true when it answers.
bool xs_start_server(int width = 1024, int height = 768);
void xs_stop_server();
// Starts the game (exe, or the one just built) in run_dir, stdout to stdout.txt there.
bool xs_launch(const std::string &run_dir, const char *exe = nullptr);
// Sends sig (0: none) to the game, waits for its end: exit code, minus the ending signal, or XS_RUNNING.
constexpr int XS_RUNNING = -1000;
int xs_end_game(int sig, double timeout_s);
// Top-level window whose title starts with prefix, or 0; its whole title into title, if asked.
Window xs_find_window(const char *prefix, std::string *title = nullptr);
// Window 0 takes the focus away from every window.
void xs_focus(Window w);
// Pointer positions are in window w's own coordinates; window 0 moves the pointer by (x, y).
void xs_move(Window w, int x, int y);
bool xs_pointer(Window w, int *x, int *y);
// Keys by keysym name (one the keyboard lacks given a free key code); buttons "Button1" (left) to "Button3".
void xs_key_held(const char *name, bool down);
void xs_key(const char *name, double hold_s = 0.03);

struct xs_image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;   // rows top to bottom
    const unsigned char *at(int x, int y) const { return &rgb[3 * ((size_t)y * width + x)]; }
};
xs_image xs_screenshot(Window w);   // width 0 when the window is gone
inline void xs_sleep(double seconds) { usleep((useconds_t)(seconds * 1e6)); }
