// cells.cpp — stand-in until the inventory lands: there is no grid yet.
#include "player/cells.h"

cell_grid *player_cells = nullptr;

cell_grid *init_cells(int width, int height)
{
    (void)width;
    (void)height;
    return nullptr;
}

void add_pack_to_inv(cell_grid *grid, int id)
{
    (void)grid;
    (void)id;
}

void render_cell(cell_grid *grid, int column, int row, int x, int y, int highlighted)
{
    (void)grid;
    (void)column;
    (void)row;
    (void)x;
    (void)y;
    (void)highlighted;
}
