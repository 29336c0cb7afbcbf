// overlay.h — the two projections every drawing uses: the 3D view, and the
// flat 800 x 600 page (y down) of the hot bar and the menu, kept in its
// proportions and centred whatever the window's shape.
#pragma once

constexpr double FOV_DEFAULT = 45.0;   // vertical field of view, degrees

// The window's size in pixels, as its last reshape gave it (800 x 600 before).
void set_window_size(int width, int height);
int window_width();
int window_height();
// Vertical field of view of the 3D view from the next e_set_projection, degrees.
void set_field_of_view(double degrees);

// The perspective with the field of view set and the window's aspect.
void e_set_projection();
// The page point (800 x 600 units) under window pixel (x, y).
void window_to_page(int x, int y, int *page_x, int *page_y);
// What the window shows of the page's plane, in page units: beyond 0 ... 800
// on a wide window, beyond 0 ... 600 on a tall one.
void overlay_bounds(float *left, float *top, float *right, float *bottom);
// The page, y down: orthographic, blending on, depth test off.
void e_begin_overlay();
// Back to the 3D view: white, texturing and depth test on, blending off.
void e_end_overlay();
