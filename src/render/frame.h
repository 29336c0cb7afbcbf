// frame.h — one frame: the world under its sky while a game is played, then
// the menu while it is shown. Neither clears nor swaps.
#pragma once

int e_render();
