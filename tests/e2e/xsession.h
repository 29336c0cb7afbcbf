// A private X session: an Xvfb server of our own, the real game, input
// through XTEST as a real keyboard and mouse deliver it, and screenshots.
#pragma once

#include <string>
#include <vector>

// An X window id; kept free of the Xlib headers, whose macros clash with GoogleTest.
typedef unsigned long Window;

// Starts Xvfb on a free display and points DISPLAY at it; true when it answers.
bool xs_start_server();
void xs_stop_server();

// Starts the game (exe, or the one just built) in run_dir, stdout to stdout.txt there.
bool xs_launch(const std::string &run_dir, const char *exe = nullptr);
// Waits for the game to end; status is its exit code, or minus the signal.
bool xs_wait_exit(double timeout_s, int *status);
void xs_kill_game(int sig);

// Top-level window whose title starts with prefix, 0 on timeout.
Window xs_find_window(const char *prefix, double timeout_s);
bool xs_window_size(Window w, int *width, int *height);
// Window 0 takes the focus away from every window.
void xs_focus(Window w);

// Pointer positions are in the window's own coordinates; xs_move_by moves it relatively.
void xs_move(Window w, int x, int y);
void xs_move_by(int dx, int dy);
bool xs_pointer(Window w, int *x, int *y);
void xs_button(int button, bool down);
// Keys by keysym name; one the keyboard lacks (a Cyrillic letter) gets a free key code.
void xs_key(const char *name);
void xs_key_held(const char *name, bool down);

struct xs_image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;   // rows top to bottom
    const unsigned char *at(int x, int y) const { return &rgb[3 * ((size_t)y * width + x)]; }
};
bool xs_screenshot(Window w, xs_image *out);
void xs_sleep(double seconds);
