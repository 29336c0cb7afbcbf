// gui.h — the menu: its pages, widgets, drawing and input, and the record of
// the world the player chose or created.
#pragma once
#include <GL/gl.h>
#include <cstdint>

struct game_param;
struct catalogue;

struct world_record {
    char name[64];          // also the world's folder name under ./saves
    int32_t size_class;     // 1 ... 3: the world is 10 x size_class chunk columns wide
    int32_t world_type;
    int32_t start_flag;
    int32_t player_value;
};

extern world_record w_param;

void g_set_par_str(game_param *param);
void g_set_back(GLuint *pictures);
void g_setctlg(catalogue *worlds);
// Opens menu page n.
void g_level(int n);
// Draws the menu over whatever the frame holds.
void g_draw();
// Handles a left press at the menu cursor; returns the result code.
int g_mouse_down();
// Hands a typed character to the active text field; 1 when the field changed.
int g_send_key(int key);
// Menu cursor, already scaled into the 800 x 600 menu space.
void g_set_mouse(int x, int y);
world_record *g_get_world();
