// cells.cpp — the inventory grid and the hot bar's cells.
#include "player/cells.h"

#include "render/c_math.h"
#include "render/materials.h"

#include <GL/gl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

cell_grid *player_cells = nullptr;
int32_t cells_active = 0;

cell_grid *init_cells(int width, int height)
{
    cell_grid *grid = (cell_grid *)malloc(sizeof(cell_grid));
    cell *slots = width > 0 && height > 0 ? (cell *)calloc((size_t)width * height, sizeof(cell)) : nullptr;
    if (!grid || !slots) {
        printf("cannot allocate memory for cells\n");
        free(grid);
        free(slots);
        return nullptr;
    }
    grid->slots = slots;
    grid->width = width;
    grid->height = height;
    return grid;
}

// The first slot that is empty or a non-full stack of id, null for none.
static cell *slot_taking(const cell_grid *grid, int id)
{
    for (int i = 0; grid && i < grid->width * grid->height; i++) {
        cell *c = &grid->slots[i];
        if (c->id == 0 || (c->id == id && c->count < STACK_LIMIT))
            return c;
    }
    return nullptr;
}

void add_box_to_inv(cell_grid *grid, int id)
{
    cell *c = slot_taking(grid, id);
    if (!c)
        return;
    if (c->id == 0) {
        c->id = (uint16_t)id;
        c->count = 0;
    }
    c->count++;
}

int inv_has_room(const cell_grid *grid, int id)
{
    return slot_taking(grid, id) != nullptr;
}

void give_starting_kit(cell_grid *grid)
{
    static const int kit[] = {3, 3, 3, 1, 2, 2, 2};
    if (!grid)
        return;
    memset(grid->slots, 0, sizeof(cell) * (size_t)grid->width * grid->height);
    for (int id : kit)
        add_pack_to_inv(grid, id);
}

void add_pack_to_inv(cell_grid *grid, int id)
{
    for (int i = 0; i < STACK_LIMIT; i++)
        add_box_to_inv(grid, id);
}

static cell *slot_at(const cell_grid *grid, int column, int row)
{
    if (!grid || column < 0 || column >= grid->width || row < 0 || row >= grid->height)
        return nullptr;
    return &grid->slots[row * grid->width + column];
}

int get_cell(const cell_grid *grid, int column, int row)
{
    const cell *c = slot_at(grid, column, row);
    return c ? c->id : 0;
}

void minus_cell(cell_grid *grid, int column, int row)
{
    cell *c = slot_at(grid, column, row);
    if (!c || c->id == 0)
        return;
    if (--c->count == 0)
        c->id = 0;
}

// --- the hot bar's cells ---

static void square(GLenum mode, int x, int y)
{
    glBegin(mode);
    glVertex2i(x, y);
    glVertex2i(x + 34, y);
    glVertex2i(x + 34, y + 34);
    glVertex2i(x, y + 34);
    glEnd();
}

static void icon_face(float u, float v, const int corners[4][2], int x, int y)
{
    const float d = ATLAS_CELL;
    const float tex[4][2] = {{u, v}, {u, v + d}, {u + d, v + d}, {u + d, v}};
    glBegin(GL_QUADS);
    for (int k = 0; k < 4; k++) {
        glTexCoord2f(tex[k][0], tex[k][1]);
        glVertex2i(x + corners[k][0], y + corners[k][1]);
    }
    glEnd();
}

// A small isometric block: two sides and the top, and the count.
static void draw_icon(const cell *c, int x, int y)
{
    static const int LEFT[4][2] = {{3, 8}, {3, 22}, {16, 32}, {16, 15}};
    static const int RIGHT[4][2] = {{31, 8}, {31, 22}, {16, 32}, {16, 15}};
    static const int TOP[4][2] = {{3, 8}, {16, 2}, {31, 8}, {16, 15}};
    const block_tex *t = c->id < TEXTURED_IDS ? &texes[c->id] : &texes[0];
    glColor4f(0.9f, 0.9f, 0.9f, 1);
    icon_face(t->side_u, t->side_v, LEFT, x, y);
    glColor4f(0.7f, 0.7f, 0.7f, 1);
    icon_face(t->side_u, t->side_v, RIGHT, x, y);
    glColor4f(1, 1, 1, 1);
    icon_face(t->top_u, t->top_v, TOP, x, y);
    char count[8];
    snprintf(count, sizeof count, "%i", c->count);
    f_print(x + 16, y + 18, 10, count, PRINT_CENTRED);
}

void render_cell(const cell *c, int x, int y, int selected)
{
    glDisable(GL_TEXTURE_2D);
    glLineWidth(3);
    glColor4f(0, 0, 0, 0.5f);
    square(GL_LINE_LOOP, x, y);
    glLineWidth(1);
    if (selected == 1) {
        glColor4f(1, 1, 1, 1);
        square(GL_LINE_LOOP, x, y);
        glColor4f(1, 1, 1, 0.6f);
    } else {
        glColor4f(0.8f, 0.8f, 0.8f, 0.8f);
        square(GL_LINE_LOOP, x, y);
        glColor4f(0, 0, 0, 0.4f);
    }
    square(GL_QUADS, x, y);
    render_stack(c, x, y);
}

void render_stack(const cell *c, int x, int y)
{
    glEnable(GL_TEXTURE_2D);
    if (c && c->id != 0) {
        // f_print binds the font: the atlas goes back for the next cell's icon.
        glBindTexture(GL_TEXTURE_2D, g_textures);
        draw_icon(c, x, y);
    }
    glDisable(GL_TEXTURE_2D);
    glColor4f(1, 1, 1, 1);
}
