// widgets.cpp — widget pools and the drawing of the menu.
#include "gui/widgets.h"

#include "gui/pages.h"
#include "render/c_math.h"
#include "render/overlay.h"

#include <cmath>
#include <cstdio>
#include <cstring>

button btt[WIDGET_POOL];
int32_t buttons = 0;
text_field t_field[WIDGET_POOL];
int32_t t_fields = 0;
list_box d_box[WIDGET_POOL];
int32_t d_boxes = 0;
int32_t t_active = -1;
int32_t mousex, mousey;
GLuint iback[4];
catalogue *gtlg = nullptr;
float ir = 0;
int32_t mig = 0;
int32_t menu_over_world = 0;

// --- constructors ---

int addButton(int x, int y, int w, int h, const char *text)
{
    if (buttons >= WIDGET_POOL)
        return -1;
    button *b = &btt[buttons];
    b->x = x;
    b->y = y;
    b->w = w;
    b->h = h;
    snprintf(b->caption, sizeof b->caption, "%s", text);
    b->texture = 0;
    b->is_picture = 0;
    b->disabled = 0;
    return buttons++;
}

void addGButton(int x, int y, int w, int h, GLuint texture)
{
    int i = addButton(x, y, w, h, "");
    if (i < 0)
        return;
    btt[i].texture = texture;
    btt[i].is_picture = 1;
}

void addTfield(int x, int y, int w, unsigned int max_length)
{
    if (t_fields >= WIDGET_POOL)
        return;
    text_field *t = &t_field[t_fields++];
    t->x = x;
    t->y = y;
    t->w = w;
    snprintf(t->text, sizeof t->text, " ");
    t->max_length = max_length;
}

void addDBox(int x, int y, int w)
{
    if (d_boxes >= WIDGET_POOL)
        return;
    list_box *d = &d_box[d_boxes++];
    d->x = x;
    d->y = y;
    d->w = w;
    d->count = 0;
    d->selected = 0;
}

void add_item_to_dbox(int box, const char *text)
{
    if (box < 0 || box >= d_boxes || d_box[box].count >= LIST_ITEMS)
        return;
    list_box *d = &d_box[box];
    snprintf(d->items[d->count], sizeof d->items[d->count], "%s", text);
    d->count++;
}

void clear_widgets()
{
    buttons = t_fields = d_boxes = 0;
}

void g_set_back(GLuint *ids)
{
    memcpy(iback, ids, sizeof iback);
}

void g_setctlg(catalogue *worlds)
{
    gtlg = worlds;
}

int inside_button(const button *b, int mx, int my)
{
    return !b->disabled && b->x < mx && mx < b->x + b->w && b->y < my && my < b->y + b->h;
}

int inside_field(int x, int y, int w, int mx, int my)
{
    return x < mx && mx < x + w && y < my && my <= y + FIELD_HIT;
}

// --- drawing ---

// Centred text of n glyphs at size s reaches 0.4 s n + 0.2 s to the right of
// its centre (glyphs advance 0.8 s and are s wide); 2 units are kept free.
static int fits(int w, int n, double s)
{
    return 2 * text_half_width(n, s) + 0.4 * s <= w - 4;
}

int fit_text(int w, int size, const char *text, char *out, int out_size)
{
    snprintf(out, (size_t)out_size, "%s", text);
    int n = (int)strlen(out);
    if (fits(w, n, size))
        return size;
    int s = (int)((w - 4) / (0.8 * n + 0.4));
    if (s >= MIN_TEXT_SIZE)
        return s;
    int keep = n;
    while (keep > 0 && !fits(w, keep + 3, MIN_TEXT_SIZE))
        keep--;
    if (keep + 4 <= out_size)
        memcpy(out + keep, "...", 4);
    return MIN_TEXT_SIZE;
}

// Text centred on x in a box w wide, shrunk (and kept on its row) or cut to
// stay inside; the size used.
static int print_fitted(int x, int y, int w, int size, const char *text)
{
    char shown[512];
    int s = fit_text(w, size, text, shown, sizeof shown);
    f_print(x, y + (int)(0.8 * (size - s)), s, shown, PRINT_CENTRED);
    return s;
}

static void textured_quad(const float tex[4][2], const float pos[4][2])
{
    glBegin(GL_QUADS);
    for (int i = 0; i < 4; i++) {
        glTexCoord2f(tex[i][0], tex[i][1]);
        glVertex2f(pos[i][0], pos[i][1]);
    }
    glEnd();
}

// A quarter of the background drifting along the diagonal; the texture repeats.
// On a window of another shape than the page it reaches the window's edges.
static void draw_background()
{
    float s = ir / 45, left, top, right, bottom;
    overlay_bounds(&left, &top, &right, &bottom);
    const float pos[4][2] = {{left, bottom}, {right, bottom}, {right, top}, {left, top}};
    float tex[4][2];
    for (int i = 0; i < 4; i++) {
        tex[i][0] = s + 0.5f + 0.5f * pos[i][0] / 800;
        tex[i][1] = 0.5f - s + 0.5f * (600 - pos[i][1]) / 600;
    }
    glBindTexture(GL_TEXTURE_2D, iback[0]);
    textured_quad(tex, pos);
}

// The paused world stays in sight, dimmed so the captions read on it.
static void draw_veil()
{
    glDisable(GL_TEXTURE_2D);
    float left, top, right, bottom;
    overlay_bounds(&left, &top, &right, &bottom);
    glColor4f(0, 0, 0, 0.45f);
    glRectf(left, top, right, bottom);
    glEnable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
}

static void draw_logo()
{
    float d = 25 * sinf(ir);
    const float tex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const float pos[4][2] = {{50 + d, 220}, {750 + d, 220}, {750 + d, 20}, {50 + d, 20}};
    glBindTexture(GL_TEXTURE_2D, iback[1]);
    textured_quad(tex, pos);
}

static void draw_button(const button *b)
{
    if (b->disabled)
        glColor3f(0.35f, 0.35f, 0.35f);
    else if (inside_button(b, mousex, mousey))
        glColor3f(1, 1, 1);
    else
        glColor3f(0.6f, 0.6f, 0.6f);
    if (!b->is_picture) {
        print_fitted(b->x + b->w / 2, b->y, b->w, 22, b->caption);
        return;
    }
    float x0 = (float)b->x, y0 = (float)b->y, x1 = (float)(b->x + b->w), y1 = (float)(b->y + b->h);
    const float tex[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const float pos[4][2] = {{x0, y1}, {x1, y1}, {x1, y0}, {x0, y0}};
    glBindTexture(GL_TEXTURE_2D, b->texture);
    textured_quad(tex, pos);
}

static void frame_colour(int lit)
{
    if (lit)
        glColor3f(1, 1, 1);
    else
        glColor3f(0.8f, 0.8f, 0.8f);
}

// Outline and a faint dark fill; the caller has set the outline's colour.
static void draw_frame(int x, int y, int w)
{
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_LINE_LOOP);
    glVertex2i(x, y);
    glVertex2i(x + w, y);
    glVertex2i(x + w, y + FIELD_FRAME);
    glVertex2i(x, y + FIELD_FRAME);
    glEnd();
    glColor4f(0, 0, 0, 0.2f);
    glBegin(GL_QUADS);
    glVertex2i(x, y);
    glVertex2i(x + w, y);
    glVertex2i(x + w, y + FIELD_FRAME);
    glVertex2i(x, y + FIELD_FRAME);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

// size: the size the text was drawn at; the cursor stands at its right end.
static void draw_text_cursor(const text_field *t, int size)
{
    float c = (float)(t->x + t->w / 2 + text_half_width((int)strlen(t->text), size));
    float y = (float)t->y;
    glDisable(GL_TEXTURE_2D);
    glColor3f(1, 1, 1);
    glBegin(GL_LINE_LOOP);
    glVertex2f(c + 1, y + 1);
    glVertex2f(c + 2, y + 1);
    glVertex2f(c + 2, y + 32);
    glVertex2f(c + 1, y + 32);
    glEnd();
    glEnable(GL_TEXTURE_2D);
}

static void draw_text_field(int i)
{
    const text_field *t = &t_field[i];
    frame_colour(inside_field(t->x, t->y, t->w, mousex, mousey) || i == t_active);
    draw_frame(t->x, t->y, t->w);
    glColor3f(1, 1, 1);
    int size = print_fitted(t->x + t->w / 2, t->y + 1, t->w, 22, t->text);
    if (mig > 30 && i == t_active)
        draw_text_cursor(t, size);
}

static void draw_list_box(const list_box *d)
{
    int lit = inside_field(d->x, d->y, d->w, mousex, mousey);
    frame_colour(lit);
    draw_frame(d->x, d->y, d->w);
    frame_colour(lit);
    const char *item = d->selected >= 0 && d->selected < d->count ? d->items[d->selected] : "";
    print_fitted(d->x + d->w / 2, d->y + 1, d->w, 22, item);
}

void g_draw()
{
    e_begin_overlay();
    ir += 0.005f;
    if (ir > 360)
        ir -= 360;
    if (menu_over_world)
        draw_veil();
    else
        draw_background();
    draw_logo();
    draw_page_labels();
    f_print(15, 575, 16, "Quarrow", 0);
    for (int i = 0; i < buttons; i++)
        draw_button(&btt[i]);
    if (++mig > 60)
        mig = 0;
    glColor3f(1, 1, 1);
    for (int i = 0; i < t_fields; i++)
        draw_text_field(i);
    for (int i = 0; i < d_boxes; i++)
        draw_list_box(&d_box[i]);
    e_end_overlay();
}
