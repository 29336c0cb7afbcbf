// game_start.h — the start of a game: camera, block tables, player and world map.
#pragma once

// Prepares the game described by the menu's world record; returns 1.
int e_init_game();
