// pages.cpp — the menu pages: main menu, language, world list, create, options.
#include "gui/pages.h"

#include "gui/lang.h"
#include "gui/widgets.h"
#include "render/c_math.h"
#include "save/catalogue.h"
#include "save/config.h"

#include <GL/gl.h>
#include <cstdint>
#include <cstdio>

int32_t lvl = 0;
int32_t b_newgame, b_multiplayer, b_options, b_credits, b_web, b_exit;
int32_t b_rus, b_eng;
int32_t b_back_to_worlds;
int32_t b_new_world, b_back_to_menu, b_prev_worlds, b_next_worlds;
int32_t play_w[WORLD_BUTTONS];
int32_t world_page = 0;
int32_t notice = 0;
int32_t b_create_world, t_world_name, d_world_type, d_world_big;
int32_t b_save, d_v_distance, d_fog, d_fov, d_mouse_speed, d_invert, d_full_screen;
int32_t b_resume, b_pause_options, b_to_title, b_quit;
int32_t options_back = PAGE_MAIN;

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
    b_rus = b_eng = b_back_to_worlds = -1;
    b_new_world = b_back_to_menu = b_prev_worlds = b_next_worlds = -1;
    for (int k = 0; k < WORLD_BUTTONS; k++)
        play_w[k] = -1;
    b_create_world = t_world_name = d_world_type = d_world_big = -1;
    b_save = d_v_distance = d_fog = d_fov = d_mouse_speed = d_invert = d_full_screen = -1;
    b_resume = b_pause_options = b_to_title = b_quit = -1;
}

void g_level(int n)
{
    clear_handles();
    t_active = -1;
    clear_widgets();
    notice = 0;
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
    // No network play and no website yet: shown, but they lead nowhere.
    btt[b_multiplayer].disabled = 1;
    btt[b_web].disabled = 1;
    b_exit = menu_button(400, 6);
}

// In the main menu's column, where its first four buttons stand.
static void build_pause()
{
    b_resume = menu_button(250, PHRASE_RESUME);
    b_pause_options = menu_button(280, 3);
    b_to_title = menu_button(310, PHRASE_TO_TITLE);
    b_quit = menu_button(340, PHRASE_QUIT_GAME);
}

static void build_credits()
{
    b_back_to_menu = menu_button(540, 24);
}

static void build_language()
{
    b_rus = buttons;
    addGButton(10, 300, 300, 200, iback[2]);
    b_eng = buttons;
    addGButton(490, 300, 300, 200, iback[3]);
}

int world_pages()
{
    int count = gtlg ? gtlg->count : 0;
    return count <= WORLD_BUTTONS ? 1 : (count + WORLD_BUTTONS - 1) / WORLD_BUTTONS;
}

// Two columns of eight, both from y = 220 and both wholly on the 800-wide
// screen; the arrows beside "New world" page through the rest.
static void build_worlds()
{
    b_new_world = menu_button(500, 10);
    b_back_to_menu = menu_button(540, 24);
    if (world_page >= world_pages())
        world_page = world_pages() - 1;
    if (world_page < 0)
        world_page = 0;
    if (world_page > 0)
        b_prev_worlds = addButton(60, 500, 200, 30, "<");
    if (world_page + 1 < world_pages())
        b_next_worlds = addButton(540, 500, 200, 30, ">");
    int first = world_page * WORLD_BUTTONS;
    int count = gtlg ? gtlg->count : 0;
    for (int k = 0; k < WORLD_BUTTONS && first + k < count; k++) {
        int x = k < 8 ? 170 : 430;
        int y = 220 + 30 * (k % 8);
        play_w[k] = addButton(x, y, 200, 30, gtlg->worlds[first + k].shown);
    }
}

// The first "world N" from the counter on that names nothing in ./saves yet,
// so the default never reopens or collides with an existing world.
static void default_world_name(char *out, int size)
{
    long long n = par && par->world_counter > 0 ? par->world_counter : 1;
    for (int tries = 0; tries < 100000 && n <= INT32_MAX; tries++, n++) {
        snprintf(out, (size_t)size, "world %lld", n);
        if (!world_name_taken(out))
            return;
    }
    snprintf(out, (size_t)size, "world %lld", (long long)(par ? par->world_counter : 1));
}

static int list_of(int x, int y, const int *phrases, int count)
{
    int box = d_boxes;
    addDBox(x, y, 300);
    for (int i = 0; i < count; i++)
        add_item_to_dbox(box, lang_get(phrases[i]));
    return box;
}

static void build_create()
{
    static const int types[] = {15};
    static const int sizes[] = {16, 17, 18};
    b_create_world = menu_button(500, 10);
    b_back_to_worlds = menu_button(540, 24);
    t_world_name = t_fields;
    addTfield(250, 250, 300, WORLD_NAME_MAX - 1);
    t_active = t_world_name;
    d_world_type = list_of(250, 320, types, 1);
    d_world_big = list_of(250, 390, sizes, 3);
    if (t_world_name >= 0)
        default_world_name(t_field[t_world_name].text, sizeof t_field[t_world_name].text);
}

// The numbers lo, lo + step, ... hi as the items of a list.
static int number_list(int x, int y, int lo, int hi, int step)
{
    int box = d_boxes;
    addDBox(x, y, 300);
    char item[16];
    for (int v = lo; v <= hi; v += step) {
        snprintf(item, sizeof item, "%d", v);
        add_item_to_dbox(box, item);
    }
    return box;
}

// Two columns of three settings.
constexpr int OPTIONS_LEFT = 80, OPTIONS_RIGHT = 420;

static void build_options()
{
    static const int distances[] = {20, 21, 22};
    static const int fog[] = {26, 25};
    static const int look[] = {PHRASE_LOOK_NORMAL, PHRASE_LOOK_INVERTED};
    static const int display[] = {PHRASE_WINDOWED, PHRASE_FULL_SCREEN};
    b_save = menu_button(500, 19);
    d_v_distance = list_of(OPTIONS_LEFT, 250, distances, 3);
    d_fog = list_of(OPTIONS_LEFT, 320, fog, 2);
    d_fov = number_list(OPTIONS_LEFT, 390, FOV_MIN, FOV_MAX, FOV_STEP);
    d_mouse_speed = number_list(OPTIONS_RIGHT, 250, 1, MOUSE_SPEED_MAX, 1);
    d_invert = list_of(OPTIONS_RIGHT, 320, look, 2);
    d_full_screen = list_of(OPTIONS_RIGHT, 390, display, 2);
    if (par) {
        d_box[d_v_distance].selected = par->view_distance - 1;
        d_box[d_fog].selected = par->fog_enabled;
    }
    const game_options *o = get_options();
    d_box[d_fov].selected = (o->field_of_view - FOV_MIN) / FOV_STEP;
    d_box[d_mouse_speed].selected = o->mouse_speed - 1;
    d_box[d_invert].selected = o->invert_look;
    d_box[d_full_screen].selected = o->full_screen;
}

void loadlv()
{
    switch (lvl) {
    case PAGE_MAIN: build_main(); break;
    case PAGE_LANGUAGE: build_language(); break;
    case PAGE_WORLDS: build_worlds(); break;
    case PAGE_CREATE: build_create(); break;
    case PAGE_OPTIONS: build_options(); break;
    case PAGE_PAUSE: build_pause(); break;
    case PAGE_CREDITS: build_credits(); break;
    default: break;
    }
}

// --- labels ---

static void label(int x, int y, int size, int phrase)
{
    f_print(x, y, size, lang_get(phrase), PRINT_CENTRED);
}

// Proper names: the same in every language.
static const char *const BUILT_WITH[] = {
    "C++17, OpenGL 1.1 and GLU", "freeglut and Xlib", "DejaVu Sans, through FreeType",
    "GoogleTest and Google Benchmark", "Debian",
};

static void draw_credits()
{
    label(400, 240, 26, PHRASE_BUILT_WITH);
    for (int i = 0; i < (int)(sizeof BUILT_WITH / sizeof BUILT_WITH[0]); i++)
        f_print(400, 290 + 34 * i, 20, BUILT_WITH[i], PRINT_CENTRED);
}

static void draw_page_number()
{
    if (world_pages() < 2)
        return;
    char text[32];
    snprintf(text, sizeof text, "%d / %d", world_page + 1, world_pages());
    f_print(400, 466, 16, text, PRINT_CENTRED);
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
        draw_page_number();
        break;
    case PAGE_CREATE:
        label(400, 215, 22, 12);
        label(400, 285, 22, 13);
        label(400, 350, 22, 14);
        if (notice > 0) {
            glColor3f(1.0f, 0.55f, 0.4f);
            label(400, 450, 18, notice);
            glColor3f(1, 1, 1);
        }
        break;
    case PAGE_CREDITS:
        draw_credits();
        break;
    case PAGE_OPTIONS:
        label(OPTIONS_LEFT + 150, 215, 22, 23);
        label(OPTIONS_LEFT + 150, 285, 22, 27);
        label(OPTIONS_LEFT + 150, 355, 22, PHRASE_FIELD_OF_VIEW);
        label(OPTIONS_RIGHT + 150, 215, 22, PHRASE_MOUSE_SPEED);
        label(OPTIONS_RIGHT + 150, 285, 22, PHRASE_VERTICAL_LOOK);
        label(OPTIONS_RIGHT + 150, 355, 22, PHRASE_DISPLAY);
        break;
    default: break;
    }
}
