// engine.h — the engine's one-time set-up and the mode flags: menu or game.
#pragma once
#include <cstdint>

extern int32_t gui;    // 1 while the menu is shown
extern int32_t game;   // 1 while a world is played
extern char buff[256]; // scratch text (titles, paths); nothing is kept in it across calls

extern float fogColor[4];
extern float LightAmbient[4];
extern float LightDiffuse[4];
extern float LightPosition[4];

// GL state, textures, font, pools, phrases, inventory and the world list; returns 1.
int e_init();
// Opens the menu on its start page; returns 1.
int e_init_gui();
int e_is_gui();
// The 45-degree perspective with the fixed 4/3 aspect, whatever the window's shape.
void e_set_projection();
// The 800 x 600 overlay, y down: orthographic, blending on, depth test off.
void e_begin_overlay();
// Back to the 3D view: white, texturing and depth test on, blending off.
void e_end_overlay();
