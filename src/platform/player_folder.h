// player_folder.h — where an installed game keeps the player's files: its own
// folder for cfg and saves, holding a copy of the installed pictures and
// phrases, so every path the game uses stays relative to the working folder.
#pragma once

// When the game runs installed (its data folder sits beside the executable,
// at ../share/games/quarrow), enters the player's folder through
// plat_use_player_folder; from a build folder it stays where it was started.
// 1 when the game can go on.
int plat_enter_player_folder();

// Makes the player's folder ($XDG_DATA_HOME/quarrow, else
// ~/.local/share/quarrow), copies into it each file of data_dir that is
// missing there or differs, and makes it the working folder. cfg and saves,
// which the installed data never holds, are left alone. 0 when the folder
// cannot be made or entered.
int plat_use_player_folder(const char *data_dir);
