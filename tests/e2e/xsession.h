// A private X session for end-to-end tests: an Xvfb server of our own, the
// real game started in a fresh run folder, input through XTEST the way a real
// keyboard and mouse deliver it, and screenshots read back from the server.
#pragma once

#include <string>
#include <vector>

// An X window id; kept free of the Xlib headers, whose macros clash with GoogleTest.
typedef unsigned long Window;

// Starts Xvfb on a free display and points DISPLAY at it; true when it answers.
bool xs_start_server();
void xs_stop_server();

// A fresh folder under /tmp holding a copy of the game's data and an empty saves/.
std::string xs_make_run_dir();
// Starts the game in run_dir with stdout and stderr going to files there;
// exe names an installed copy, nullptr the one just built.
bool xs_launch(const std::string &run_dir, const char *exe = nullptr);
// Everything the game has printed so far.
std::string xs_output();
bool xs_wait_output(const char *needle, double timeout_s);
int xs_count_output(const char *needle);
// Waits for the game to end; status is its exit code, or minus the signal.
bool xs_wait_exit(double timeout_s, int *status);
void xs_kill_game(int sig);
bool xs_game_running();

// Top-level window whose title starts with prefix, 0 on timeout.
Window xs_find_window(const char *prefix, double timeout_s);
std::string xs_title(Window w);
bool xs_window_size(Window w, int *width, int *height);
bool xs_wait_title(Window w, const char *prefix, double timeout_s);

// Input through XTEST. Positions are in the window's own coordinates.
void xs_focus(Window w);
// Keys go to the window under the pointer, as on a display without a window manager.
void xs_focus_follows_pointer();
void xs_move(Window w, int x, int y);
// A mouse moved by (dx, dy) from wherever the pointer is.
void xs_move_by(int dx, int dy);
// Where the pointer is, in the window's coordinates.
bool xs_pointer(Window w, int *x, int *y);
void xs_click(int button);
void xs_button_down(int button);
void xs_button_up(int button);
void xs_key(const char *keysym_name);
// Holds a key down until xs_key_up.
void xs_key_down(const char *keysym_name);
void xs_key_up(const char *keysym_name);
void xs_type(const char *ascii);
// What a window manager does: WM_DELETE_WINDOW, and a resize.
bool xs_close_window(Window w);
bool xs_resize(Window w, int width, int height);

struct xs_image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;   // rows top to bottom
    const unsigned char *at(int x, int y) const { return &rgb[3 * ((size_t)y * width + x)]; }
};
bool xs_screenshot(Window w, xs_image *out);
bool xs_write_png(const std::string &path, const xs_image &img);
// Folder that keeps screenshots after the run (build/artefacts).
std::string xs_artefact_dir();
int xs_distinct_colours(const xs_image &img);
// Share of pixels within tolerance of (r, g, b) in the rectangle.
double xs_fraction_near(const xs_image &img, int x0, int y0, int x1, int y1, int r, int g, int b, int tolerance);
// Pauses for real time while the game runs.
void xs_sleep(double seconds);
