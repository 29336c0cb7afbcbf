// inventory_page.h — the page of all the player's cells over the paused
// world: a stack is picked up with a click, follows the pointer and is put
// down, swapped or merged with the next click; nothing is ever lost.
#pragma once

struct cell;

// The 10 x 5 grid on the 800 x 600 overlay: rows 1 ... 4 from the top, the
// hot bar (row 0) below them.
constexpr int PAGE_GRID_X = 210;      // left edge of column 0, as the hot bar's
constexpr int PAGE_ROWS_Y = 226;      // top edge of row 1
constexpr int PAGE_HOT_BAR_Y = 388;   // top edge of row 0
constexpr int PAGE_PITCH = 38;        // from one cell to the next
constexpr int PAGE_CELL = 34;         // a cell's edge

void inv_page_open();
// Puts a stack in hand back where it came from and closes the page.
void inv_page_close();
int inv_page_is_open();
// Index (row * 10 + column) of the cell under the point, -1 for none.
int inv_page_cell_at(int mx, int my);
// A left click at the point of the overlay: picks up, puts down, swaps or
// merges; outside the grid a stack in hand goes back.
void inv_page_click(int mx, int my);
// The stack in hand; its id is 0 when there is none.
const cell *inv_page_held();
// slots, a copy of the player's n cells, as they are once the stack in hand is back.
void inv_page_settle(cell *slots, int n);
// Draws the page, with the stack in hand at the pointer (mx, my).
void inv_page_draw(int mx, int my);
