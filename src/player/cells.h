// cells.h — the inventory: a grid of stacks of up to 40 blocks of one id.
// The player's grid is 10 x 5; its first row is the hot bar.
#pragma once
#include <cstdint>

constexpr int STACK_LIMIT = 40;

struct cell {
    uint16_t id;     // 0: the slot is empty
    uint8_t count;   // 1 ... STACK_LIMIT while id is not 0
};

struct cell_grid {
    cell *slots;     // row-major: column c of row r is slots[r * width + c]
    int32_t width;
    int32_t height;
};

extern cell_grid *player_cells;
extern int32_t cells_active;   // the chosen hot-bar cell, 0 ... 9

// A new empty grid, or null (with a line on standard output) when memory runs out.
cell_grid *init_cells(int width, int height);
// Puts one block into the first slot that is empty or a non-full stack of id.
void add_box_to_inv(cell_grid *grid, int id);
// 1 when some slot can take one block of id.
int inv_has_room(const cell_grid *grid, int id);
// Empties the grid and fills it with what a player starts with.
void give_starting_kit(cell_grid *grid);
// One pack: STACK_LIMIT blocks of id.
void add_pack_to_inv(cell_grid *grid, int id);
// Id of a slot, 0 for an empty one or one outside the grid.
int get_cell(const cell_grid *grid, int column, int row);
// Takes one block from a slot; the slot empties with its last block.
void minus_cell(cell_grid *grid, int column, int row);
// Draws one slot as a 34 x 34 box at (x, y) of the 800 x 600 overlay.
void render_cell(const cell *c, int x, int y, int selected);
// Draws only a stack's block picture and count, in a box at (x, y).
void render_stack(const cell *c, int x, int y);
