// cells.h — the inventory grid: stacks of blocks, the hot bar is its first row.
#pragma once

struct cell_grid;

extern cell_grid *player_cells;

// A grid width columns wide and height rows high, empty.
cell_grid *init_cells(int width, int height);
// Adds one pack of block id to the grid.
void add_pack_to_inv(cell_grid *grid, int id);
// Draws cell (column, row) of grid as a 34 x 34 box at (x, y) of the 800 x 600 overlay.
void render_cell(cell_grid *grid, int column, int row, int x, int y, int highlighted);
