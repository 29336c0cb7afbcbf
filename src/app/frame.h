// frame.h — one frame: the world under its sky while a game is played, then
// the menu while it is shown. Neither clears nor swaps.
#pragma once

extern float sunposx, sunposy;   // the sun in the camera-rotated frame

int e_render();
// Sky, fog and light colours for the sun height s (the sine of its angle):
// sunlight by day, moonlight by night, and the sky's own light on shaded faces.
void sky_colours(double s);
// Fog from 20 blocks a chunk of view distance on, whole at the view's edge.
void fog_for_view_distance(int chunks);
// Prints the pending GL error, if any, on one line.
void report_gl_error();
