// gui.h — menu input: clicks and typed characters become page changes,
// settings and the record of the world to play.
#pragma once
#include <cstdint>

struct world_record {
    char name[64];          // also the world's folder name under ./saves
    int32_t size_class;     // 1 ... 3: the world is 10 x size_class chunk columns wide
    int32_t player_value;
};

// What a left click did, for the engine.
enum {
    GUI_NOTHING = 0,
    GUI_HANDLED = 1,
    GUI_SETTINGS_CHANGED = 2,   // write the settings file
    GUI_EXIT = 3,
    GUI_START_WORLD = 4,        // w_param describes the world to play
    GUI_RESUME = 5,             // back from the pause page to the game
    GUI_TO_TITLE = 6,           // save the world, leave it, show the world list
};

extern world_record w_param;

// Handles a left press at the menu cursor; returns one of the codes above.
int g_mouse_down();
// Hands a typed character to the active text field; 1 when the field changed.
int g_send_key(int key);
// 1 while a text field takes what is typed.
int g_typing();
// Menu cursor, already scaled into the 800 x 600 menu space.
void g_set_mouse(int x, int y);
world_record *g_get_world();
// The world's folder could not be made: back to the create page, with the
// name the player typed and a message saying so.
void g_world_folder_failed();
// 1 when name can be a folder of its own inside ./saves.
int world_name_usable(const char *name);
