// gui.cpp — menu input and world creation.
#include "gui/gui.h"

#include "gui/lang.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "save/catalogue.h"
#include "save/config.h"
#include "save/names.h"

#include <cstdio>
#include <cstring>

world_record w_param;

void g_set_mouse(int x, int y)
{
    mousex = x;
    mousey = y;
}

world_record *g_get_world()
{
    return &w_param;
}

int world_name_usable(const char *name)
{
    return name[0] != '\0' && strcmp(name, ".") != 0 && strcmp(name, "..") != 0 &&
           strchr(name, '/') == nullptr;
}

// --- hit tests ---

static int button_hit()
{
    for (int i = buttons - 1; i >= 0; i--)
        if (inside_button(&btt[i], mousex, mousey))
            return i;
    return -1;
}

static int field_hit()
{
    for (int i = t_fields - 1; i >= 0; i--)
        if (inside_field(t_field[i].x, t_field[i].y, t_field[i].w, mousex, mousey))
            return i;
    return -1;
}

static void step_hit_lists()
{
    for (int i = 0; i < d_boxes; i++) {
        list_box *d = &d_box[i];
        if (!inside_field(d->x, d->y, d->w, mousex, mousey))
            continue;
        d->selected++;
        if (d->selected >= d->count)
            d->selected = 0;
    }
}

// --- actions ---

static int choose_language(const char *code)
{
    game_param *p = g_par_str();
    if (p) {
        snprintf(p->language, sizeof p->language, "%s", code);
        lang_init(p->language);
    }
    g_level(PAGE_MAIN);
    return GUI_SETTINGS_CHANGED;
}

static int store_options()
{
    game_param *p = g_par_str();
    if (p) {
        p->view_distance = d_box[d_v_distance].selected + 1;
        p->fog_enabled = d_box[d_fog].selected;
    }
    game_options *o = get_options();
    o->field_of_view = FOV_MIN + FOV_STEP * d_box[d_fov].selected;
    o->mouse_speed = 1 + d_box[d_mouse_speed].selected;
    o->invert_look = d_box[d_invert].selected;
    o->full_screen = d_box[d_full_screen].selected;
    g_level(options_back);
    return GUI_SETTINGS_CHANGED;
}

static int open_options(int back)
{
    options_back = back;
    g_level(PAGE_OPTIONS);
    return GUI_HANDLED;
}

// The create page's world type has one choice, so there is no type to pass on.
static int start_world(const char *name, int size_class)
{
    snprintf(w_param.name, sizeof w_param.name, "%s", name);
    w_param.size_class = size_class;
    w_param.player_value = 1;
    g_level(PAGE_PLAYING);
    return GUI_START_WORLD;
}

// What the player typed last on the create page, kept for a refusal that
// comes after the page was left.
static char typed_name[WORLD_DISK_NAME];

static int refuse_name(int phrase)
{
    notice = phrase;
    t_active = t_world_name;
    return GUI_HANDLED;
}

static int create_world()
{
    const char *name = t_field[t_world_name].text;
    snprintf(typed_name, sizeof typed_name, "%s", name);
    char disk[WORLD_DISK_NAME];
    name_to_disk(name, disk, sizeof disk);
    // The name is a folder name: it must stay inside ./saves and be a folder of its own.
    if (!world_name_usable(disk))
        return refuse_name(PHRASE_NAME_UNUSABLE);
    // A name already in ./saves would reopen that world, or collide with a file there.
    if (world_name_taken(disk))
        return refuse_name(PHRASE_NAME_TAKEN);
    return start_world(disk, d_box[d_world_big].selected + 1);
}

void g_world_folder_failed()
{
    g_level(PAGE_CREATE);
    snprintf(t_field[t_world_name].text, sizeof t_field[t_world_name].text, "%s", typed_name);
    refuse_name(PHRASE_NO_FOLDER);
}

static int world_button(int b)
{
    for (int k = 0; k < WORLD_BUTTONS; k++)
        if (play_w[k] == b)
            return k;
    return -1;
}

static int open_listed_world(int k)
{
    const world_entry *e = &gtlg->worlds[WORLD_BUTTONS * world_page + k];
    touch_world(e->disk_name);
    // The size class given here is only a fallback: the game starts at the
    // size kept in the world's folder.
    return start_world(e->disk_name, 1);
}

static int turn_world_page(int step)
{
    world_page += step;
    g_level(PAGE_WORLDS);
    return GUI_HANDLED;
}

static int press_button(int b)
{
    if (b == b_rus)
        return choose_language("rus");
    if (b == b_eng)
        return choose_language("eng");
    if (b == b_exit)
        return GUI_EXIT;
    if (b == b_newgame) {
        world_page = 0;
        g_level(PAGE_WORLDS);
        return GUI_HANDLED;
    }
    if (b == b_options)
        return open_options(PAGE_MAIN);
    if (b == b_pause_options)
        return open_options(PAGE_PAUSE);
    if (b == b_resume)
        return GUI_RESUME;
    if (b == b_to_title)
        return GUI_TO_TITLE;
    if (b == b_quit)
        return GUI_EXIT;
    if (b == b_save)
        return store_options();
    if (b == b_credits) {
        g_level(PAGE_CREDITS);
        return GUI_HANDLED;
    }
    if (b == b_back_to_worlds) {
        g_level(PAGE_WORLDS);
        return GUI_HANDLED;
    }
    if (b == b_back_to_menu) {
        g_level(PAGE_MAIN);
        return GUI_HANDLED;
    }
    if (b == b_new_world && lvl == PAGE_WORLDS) {
        g_level(PAGE_CREATE);
        return GUI_HANDLED;
    }
    if (b == b_prev_worlds)
        return turn_world_page(-1);
    if (b == b_next_worlds)
        return turn_world_page(1);
    int listed = world_button(b);
    if (listed >= 0)
        return open_listed_world(listed);
    if (b == b_create_world)
        return create_world();
    return GUI_NOTHING;
}

int g_mouse_down()
{
    int b = button_hit();
    int t = field_hit();
    step_hit_lists();
    if (t >= 0) {
        t_active = t;
        return GUI_HANDLED;
    }
    if (b < 0)
        return GUI_NOTHING;
    return press_button(b);
}

static int edit_field(text_field *t, int key)
{
    size_t len = strlen(t->text);
    if (key == 8) {
        if (len == 0)
            return 0;
        t->text[len - 1] = '\0';
        return 1;
    }
    // Control bytes (Delete, 127, among them) are no characters of a name, and
    // CP1251 has none at 0x98.
    if (key < 32 || key == 127 || key == CP1251_UNUSED || key > 255 || t->max_length == 0)
        return 0;
    // A field takes a character while it holds at most max_length of them.
    if (len > t->max_length || len + 1 >= sizeof t->text)
        return 0;
    t->text[len] = (char)key;
    t->text[len + 1] = '\0';
    return 1;
}

int g_typing()
{
    return t_active >= 0 && t_active < t_fields;
}

int g_send_key(int key)
{
    if (t_active < 0 || t_active >= t_fields)
        return 0;
    int changed = edit_field(&t_field[t_active], key);
    if (changed)
        notice = 0;   // the refusal was about the name as it stood
    return changed;
}
