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
// Puts the settings as they now stand to work: field of view, full screen,
// and in a game the view distance with its fog.
void apply_settings();
