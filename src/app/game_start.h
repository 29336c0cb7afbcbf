// game_start.h — the start of a game: camera, block tables, player and world
// map; and the player kept with the world in its player file.
#pragma once

struct player_save;

// The column a new world's player starts on (block centres, world x and y).
constexpr double START_X = 200.0, START_Y = 200.0;

// Prepares the game described by the menu's world record; returns 1. The
// player comes back from the world's player file where it left it, else
// stands on the ground of the start column with the starting stock.
int e_init_game();
// The player as it stands, for its file.
void snapshot_player(player_save *s);
// Writes the player file of the world in play; 1 when it is on disk (or no
// world is played).
int keep_player();
// Height of the feet standing on the highest solid block of the column at
// world (x, y); its chunks are made held (from their files first).
double ground_under_sky(double x, double y);
// The lowest feet height from feet up at which the two cells of the body at
// world (x, y) are free; feet itself when they are.
double first_free_feet(double x, double y, double feet);
