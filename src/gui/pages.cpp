// pages.cpp — the menu pages: main menu, language, world list, create, options.
#include "gui/pages.h"

#include "app/config.h"
#include "gui/lang.h"
#include "gui/widgets.h"
#include "render/c_math.h"
#include "save/catalogue.h"

#include <cstdio>

int32_t lvl = 0;
int32_t b_newgame, b_multiplayer, b_options, b_credits, b_web, b_exit;
int32_t b_rus, b_eng;
int32_t b_new_world, b_back_to_menu;
int32_t play_w[WORLD_BUTTONS];
int32_t b_create_world, t_world_name, d_world_type, d_world_big;
int32_t b_save, d_v_distance, d_fog;

static game_param *par = nullptr;

void g_set_par_str(game_param *p)
{
    par = p;
}

game_param *g_par_str()
{
    return par;
}

static void clear_handles()
{
    b_newgame = b_multiplayer = b_options = b_credits = b_web = b_exit = -1;
    b_rus = b_eng = -1;
    b_new_world = b_back_to_menu = -1;
    for (int k = 0; k < WORLD_BUTTONS; k++)
        play_w[k] = -1;
    b_create_world = t_world_name = d_world_type = d_world_big = -1;
    b_save = d_v_distance = d_fog = -1;
}

void g_level(int n)
{
    clear_handles();
    t_active = -1;
    clear_widgets();
    lvl = n;
    loadlv();
}

// --- pages ---

static int menu_button(int y, int phrase)
{
    return addButton(300, y, 200, 30, lang_get(phrase));
}

static void build_main()
{
    b_newgame = menu_button(250, 1);
    b_multiplayer = menu_button(280, 2);
    b_options = menu_button(310, 3);
    b_credits = menu_button(340, 4);
    b_web = menu_button(370, 5);
    b_exit = menu_button(400, 6);
}

static void build_language()
{
    b_rus = buttons;
    addGButton(10, 300, 300, 200, iback[2]);
    b_eng = buttons;
    addGButton(490, 300, 300, 200, iback[3]);
}

// Two columns of eight, both from y = 220.
static void build_worlds()
{
    b_new_world = menu_button(500, 10);
    b_back_to_menu = menu_button(540, 24);
    int count = gtlg ? gtlg->count : 0;
    for (int k = 0; k < count && k < CATALOGUE_SHOWN; k++) {
        int x = k <= 7 ? 150 : 650;
        int y = k <= 7 ? 220 + 30 * k : 30 * k - 20;
        play_w[k] = addButton(x, y, 200, 30, gtlg->names[k]);
    }
}

static int list_of(int y, const int *phrases, int count)
{
    int box = d_boxes;
    addDBox(250, y, 300);
    for (int i = 0; i < count; i++)
        add_item_to_dbox(box, lang_get(phrases[i]));
    return box;
}

static void build_create()
{
    static const int types[] = {15};
    static const int sizes[] = {16, 17, 18};
    b_create_world = menu_button(500, 10);
    t_world_name = t_fields;
    addTfield(250, 250, 300, WORLD_NAME_MAX - 1);
    t_active = t_world_name;
    d_world_type = list_of(320, types, 1);
    d_world_big = list_of(390, sizes, 3);
    text_field *t = &t_field[t_world_name];
    snprintf(t->text, sizeof t->text, "world %i", par ? par->world_counter : 1);
}

static void build_options()
{
    static const int distances[] = {20, 21, 22};
    static const int fog[] = {26, 25};
    b_save = menu_button(500, 19);
    d_v_distance = list_of(250, distances, 3);
    d_fog = list_of(320, fog, 2);
    if (par) {
        d_box[d_v_distance].selected = par->view_distance - 1;
        d_box[d_fog].selected = par->fog_enabled;
    }
}

void loadlv()
{
    switch (lvl) {
    case PAGE_MAIN: build_main(); break;
    case PAGE_LANGUAGE: build_language(); break;
    case PAGE_WORLDS: build_worlds(); break;
    case PAGE_CREATE: build_create(); break;
    case PAGE_OPTIONS: build_options(); break;
    default: break;
    }
}

// --- labels ---

static void label(int x, int y, int size, int phrase)
{
    f_print(x, y, size, lang_get(phrase), PRINT_CENTRED);
}

void draw_page_labels()
{
    switch (lvl) {
    case PAGE_LANGUAGE:
        label(165, 215, 22, 7);
        label(635, 215, 22, 8);
        break;
    case PAGE_WORLDS:
        label(400, 180, 26, 28);
        if (!gtlg || gtlg->count == 0)
            label(400, 220, 22, 29);
        break;
    case PAGE_CREATE:
        label(400, 215, 22, 12);
        label(400, 285, 22, 13);
        label(400, 350, 22, 14);
        break;
    case PAGE_OPTIONS:
        label(400, 215, 22, 23);
        label(400, 285, 22, 27);
        break;
    default: break;
    }
}
