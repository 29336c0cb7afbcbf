// cells.h — the inventory grid: stacks of blocks, the hot bar is its first row.
#pragma once

struct cell_grid;

extern cell_grid *player_cells;

// A grid width columns wide and height rows high, empty.
cell_grid *init_cells(int width, int height);
// Adds one pack of block id to the grid.
void add_pack_to_inv(cell_grid *grid, int id);
