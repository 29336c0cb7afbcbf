// overlay.h — the two projections every drawing uses: the 3D view, and the
// flat 800 x 600 overlay (y down) of the hot bar and the menu.
#pragma once

// The 45-degree perspective with the fixed 4/3 aspect, whatever the window's shape.
void e_set_projection();
// The 800 x 600 overlay, y down: orthographic, blending on, depth test off.
void e_begin_overlay();
// Back to the 3D view: white, texturing and depth test on, blending off.
void e_end_overlay();
