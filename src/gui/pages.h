// pages.h — the menu's numbered pages and the handles of the widgets that
// the input handler must recognise.
#pragma once
#include <cstdint>

struct game_param;

enum {
    PAGE_MAIN = 0,
    PAGE_LANGUAGE = 1,
    PAGE_WORLDS = 2,
    PAGE_CREATE = 3,
    PAGE_OPTIONS = 4,
    PAGE_PAUSE = 5,      // over the frozen world, Escape in a game
    PAGE_CREDITS = 6,    // what the game is built with
    PAGE_PLAYING = 29,   // no widgets: the menu is off while a world is played
};

constexpr int WORLD_BUTTONS = 16;
constexpr int FOV_STEP = 5;         // degrees between two field-of-view choices   // worlds on one page of the list: two columns of eight

extern int32_t lvl;   // page on show
extern int32_t b_newgame, b_multiplayer, b_options, b_credits, b_web, b_exit;
extern int32_t b_rus, b_eng;
extern int32_t b_back_to_worlds;
extern int32_t b_new_world, b_back_to_menu, b_prev_worlds, b_next_worlds;
extern int32_t play_w[WORLD_BUTTONS];   // entry k shows catalogue world WORLD_BUTTONS * world_page + k
extern int32_t world_page;              // page of the world list on show, from 0
extern int32_t notice;                  // phrase telling why a world was not created, 0 for none
extern int32_t b_create_world, t_world_name, d_world_type, d_world_big;
extern int32_t b_save, d_v_distance, d_fog, d_fov, d_mouse_speed, d_invert, d_full_screen;
extern int32_t b_resume, b_pause_options, b_to_title, b_quit;
extern int32_t options_back;            // page the options page goes back to: main menu or pause

// The settings record the pages read and the menu edits.
void g_set_par_str(game_param *p);
game_param *g_par_str();

// Pages the world list needs for the catalogue; at least 1.
int world_pages();
// Opens page n: every handle and the active field cleared, the pools emptied, the page built.
void g_level(int n);
// Builds the widgets of page lvl into the empty pools.
void loadlv();
// The fixed labels of the page on show, from the phrases of this moment.
void draw_page_labels();
