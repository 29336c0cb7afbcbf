// inventory_page.cpp — the inventory page: what a click does, and its drawing.
#include "gui/inventory_page.h"

#include "gui/lang.h"
#include "player/cells.h"
#include "render/c_math.h"
#include "render/overlay.h"

#include <GL/gl.h>

static int shown = 0;
static cell hand;       // the stack in hand, id 0 for none
static int hand_from;   // the cell it was taken from

static int cell_total()
{
    return player_cells ? player_cells->width * player_cells->height : 0;
}

// --- what a click does ---

// Moves as much of the stack in hand onto c as c takes: all of it onto an
// empty cell, up to a full stack onto one of the same block.
static void put_onto(cell *c, cell *from)
{
    if (from->id == 0)
        return;
    if (c->id == 0) {
        *c = *from;
        *from = {0, 0};
        return;
    }
    if (c->id != from->id)
        return;
    int moved = STACK_LIMIT - c->count < from->count ? STACK_LIMIT - c->count : from->count;
    c->count = (uint8_t)(c->count + moved);
    from->count = (uint8_t)(from->count - moved);
    if (from->count == 0)
        *from = {0, 0};
}

// Where it came from first, then wherever there is room. While a stack is in
// hand at most 49 cells hold stacks, so there always is.
static void put_back(cell *slots, int n, cell *from, int origin)
{
    if (origin >= 0 && origin < n)
        put_onto(&slots[origin], from);
    for (int i = 0; i < n && from->id != 0; i++)
        put_onto(&slots[i], from);
}

void inv_page_open()
{
    shown = 1;
}

void inv_page_close()
{
    if (player_cells)
        put_back(player_cells->slots, cell_total(), &hand, hand_from);
    shown = 0;
}

int inv_page_is_open()
{
    return shown;
}

// Column or row of a coordinate along one axis from edge, -1 in a gap or outside.
static int band(int v, int edge, int count)
{
    int d = v - edge;
    if (d < 0 || d % PAGE_PITCH >= PAGE_CELL || d / PAGE_PITCH >= count)
        return -1;
    return d / PAGE_PITCH;
}

int inv_page_cell_at(int mx, int my)
{
    int column = band(mx, PAGE_GRID_X, 10);
    if (column < 0)
        return -1;
    int upper = band(my, PAGE_ROWS_Y, 4);
    if (upper >= 0)
        return 10 * (upper + 1) + column;
    return band(my, PAGE_HOT_BAR_Y, 1) == 0 ? column : -1;
}

void inv_page_click(int mx, int my)
{
    int k = inv_page_cell_at(mx, my);
    if (!player_cells)
        return;
    cell *slots = player_cells->slots;
    if (k < 0 || k >= cell_total()) {
        put_back(slots, cell_total(), &hand, hand_from);
        return;
    }
    cell *c = &slots[k];
    if (hand.id == 0) {
        hand = *c;
        hand_from = k;
        *c = {0, 0};
        return;
    }
    if (c->id != 0 && c->id != hand.id) {
        cell taken = *c;
        *c = hand;
        hand = taken;
        hand_from = k;
        return;
    }
    put_onto(c, &hand);
}

const cell *inv_page_held()
{
    return &hand;
}

void inv_page_settle(cell *slots, int n)
{
    cell copy = hand;
    put_back(slots, n, &copy, hand_from);
}

// --- drawing ---

static void panel(int x0, int y0, int x1, int y1)
{
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 0, 0, 0.55f);
    glBegin(GL_QUADS);
    glVertex2i(x0, y0);
    glVertex2i(x1, y0);
    glVertex2i(x1, y1);
    glVertex2i(x0, y1);
    glEnd();
}

static void caption(int y, int size, int phrase)
{
    glEnable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
    f_print(400, y, size, lang_get(phrase), PRINT_CENTRED);
}

void inv_page_draw(int mx, int my)
{
    e_begin_overlay();
    panel(PAGE_GRID_X - 16, PAGE_ROWS_Y - 44, PAGE_GRID_X + 10 * PAGE_PITCH + 12, PAGE_HOT_BAR_Y + 74);
    caption(PAGE_ROWS_Y - 34, 16, PHRASE_INVENTORY);
    for (int k = 0; k < cell_total() && k < 50; k++) {
        int row = k / 10, column = k % 10;
        int y = row == 0 ? PAGE_HOT_BAR_Y : PAGE_ROWS_Y + PAGE_PITCH * (row - 1);
        render_cell(&player_cells->slots[k], PAGE_GRID_X + PAGE_PITCH * column, y, row == 0 && column == cells_active);
    }
    caption(PAGE_HOT_BAR_Y + 48, 12, PHRASE_INVENTORY_CLOSE);
    if (hand.id != 0)
        render_stack(&hand, mx - PAGE_CELL / 2, my - PAGE_CELL / 2);
    e_end_overlay();
}
