// widgets.h — the menu's widget pools (buttons, text fields, list boxes) and
// their drawing over the drifting background. All geometry is in an 800 x 600
// screen, y down, whatever the window's size.
#pragma once
#include <GL/gl.h>
#include <cstdint>

constexpr int WIDGET_POOL = 32;
constexpr int LIST_ITEMS = 16;
constexpr int FIELD_FRAME = 34;   // height of a text field's or list box's frame
constexpr int FIELD_HIT = 29;     // height of its hit zone

struct button {
    int32_t x, y, w, h;
    char caption[64];
    uint32_t texture;
    int32_t is_picture;
    int32_t disabled;      // 1: drawn dim, never lit nor clicked
};

struct text_field {
    int32_t x, y, w;
    char text[512];
    uint32_t max_length;   // typing limit; 0 takes no typed characters
};

struct list_box {
    int32_t x, y, w;
    int32_t count;
    char items[LIST_ITEMS][32];
    int32_t selected;
};

struct catalogue;

extern button btt[WIDGET_POOL];
extern int32_t buttons;
extern text_field t_field[WIDGET_POOL];
extern int32_t t_fields;
extern list_box d_box[WIDGET_POOL];
extern int32_t d_boxes;
extern int32_t t_active;          // text field receiving typed characters, -1 none
extern int32_t mousex, mousey;    // menu cursor
extern GLuint iback[4];           // background, logo, left and right language pictures
extern catalogue *gtlg;           // the saved worlds
extern float ir;                  // animation angle
extern int32_t mig;               // cursor blink counter, 0 ... 60
extern int32_t menu_over_world;   // 1 while a paused world shows through the menu instead of the background

// Constructors; a full pool makes them do nothing and answer -1. Texts are cut to fit.
int addButton(int x, int y, int w, int h, const char *text);
void addGButton(int x, int y, int w, int h, GLuint texture);
void addTfield(int x, int y, int w, unsigned int max_length);
void addDBox(int x, int y, int w);
void add_item_to_dbox(int box, const char *text);
// Empties the three pools.
void clear_widgets();

constexpr int MIN_TEXT_SIZE = 12;   // smallest font size a caption shrinks to
// The size at which text, centred in a box w wide, is drawn wholly inside it;
// out receives the text, cut with "..." when even MIN_TEXT_SIZE is too wide.
int fit_text(int w, int size, const char *text, char *out, int out_size);

// Hit tests with the menu cursor; a disabled button is never hit.
int inside_button(const button *b, int mx, int my);
int inside_field(int x, int y, int w, int mx, int my);

void g_set_back(GLuint *ids);
void g_setctlg(catalogue *worlds);
void g_draw();
