// Menu input: pages, hit tests, typing, settings and world creation.
#include "gui/gui.h"

#include "app/config.h"
#include "gui/lang.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "save/catalogue.h"
#include "temp_dir.h"

#include <sys/stat.h>

#include <cstring>

namespace {

class Menu : public InTempDir {
protected:
    game_param param;
    catalogue worlds;

    void SetUp() override
    {
        InTempDir::SetUp();
        cfg_defaults(&param);
        memset(&worlds, 0, sizeof worlds);
        memset(&w_param, 0, sizeof w_param);
        memset(frazes, 0, sizeof frazes);
        for (int n = 1; n < 30; n++)
            snprintf(frazes[n], sizeof frazes[n], "phrase %d", n);
        g_set_par_str(&param);
        g_setctlg(&worlds);
    }
    int click(int x, int y)
    {
        g_set_mouse(x, y);
        return g_mouse_down();
    }
    int click_button(int b) { return click(btt[b].x + btt[b].w / 2, btt[b].y + btt[b].h / 2); }
    int click_field(int x, int y) { return click(x + 150, y + 15); }
    void type(const char *s)
    {
        for (const char *p = s; *p; p++)
            g_send_key((unsigned char)*p);
    }
    const char *name_text() { return t_field[t_world_name].text; }
    void clear_name()
    {
        while (g_send_key(8))
            ;
    }
};

TEST_F(Menu, MainMenuButtonsAndTheirEdges)
{
    g_level(PAGE_MAIN);
    ASSERT_EQ(buttons, 6);
    EXPECT_STREQ(btt[b_newgame].caption, "phrase 1");
    EXPECT_STREQ(btt[b_exit].caption, "phrase 6");
    EXPECT_EQ(click(300, 260), GUI_NOTHING);   // exactly on the left edge
    EXPECT_EQ(click(400, 250), GUI_NOTHING);   // exactly on the top edge
    EXPECT_EQ(click_button(b_multiplayer), GUI_NOTHING);
    EXPECT_EQ(lvl, PAGE_MAIN);
    EXPECT_EQ(click_button(b_exit), GUI_EXIT);
    EXPECT_EQ(lvl, PAGE_MAIN);
    EXPECT_EQ(g_send_key('a'), 0);   // no active field
    EXPECT_EQ(click(301, 251), GUI_HANDLED);
    EXPECT_EQ(lvl, PAGE_WORLDS);
    EXPECT_EQ(click_button(b_back_to_menu), GUI_HANDLED);
    EXPECT_EQ(lvl, PAGE_MAIN);
}

TEST_F(Menu, LanguageChoiceRebuildsTheMainMenuInThatLanguage)
{
    mkdir("lang", 0755);
    write_file("lang/eng.txt", "New game\nMultiplayer\n");
    g_level(PAGE_LANGUAGE);
    ASSERT_EQ(buttons, 2);
    EXPECT_EQ(btt[b_eng].is_picture, 1);
    EXPECT_EQ(click(650, 400), GUI_SETTINGS_CHANGED);
    EXPECT_STREQ(param.language, "eng");
    EXPECT_EQ(lvl, PAGE_MAIN);
    EXPECT_STREQ(btt[b_newgame].caption, "New game");
}

TEST_F(Menu, EveryWorldOfAManyPageListCanBeOpened)
{
    g_level(PAGE_WORLDS);
    EXPECT_EQ(buttons, 2);   // no worlds: only the two buttons
    worlds.count = 40;
    for (int k = 0; k < 40; k++) {
        snprintf(worlds.worlds[k].disk_name, sizeof worlds.worlds[k].disk_name, "disk %d", k);
        snprintf(worlds.worlds[k].shown, sizeof worlds.worlds[k].shown, "w%d", k);
    }
    click_button(b_back_to_menu);
    click_button(b_newgame);
    ASSERT_EQ(buttons, 2 + 16 + 1);   // and the arrow to the next page
    EXPECT_EQ(b_prev_worlds, -1);
    EXPECT_STREQ(btt[play_w[0]].caption, "w0");
    // Both columns lie wholly on the 800-wide screen.
    EXPECT_EQ(btt[play_w[7]].x, 170);
    EXPECT_EQ(btt[play_w[7]].y, 430);
    EXPECT_EQ(btt[play_w[8]].x, 430);
    EXPECT_EQ(btt[play_w[8]].y, 220);
    EXPECT_LE(btt[play_w[15]].x + btt[play_w[15]].w, 800);
    EXPECT_EQ(click_button(b_next_worlds), GUI_HANDLED);
    EXPECT_STREQ(btt[play_w[0]].caption, "w16");
    click_button(b_next_worlds);
    EXPECT_EQ(b_next_worlds, -1);   // the last page
    EXPECT_EQ(play_w[8], -1);
    EXPECT_STREQ(btt[play_w[7]].caption, "w39");
    click_button(b_prev_worlds);
    click_button(b_prev_worlds);
    EXPECT_EQ(b_prev_worlds, -1);
    EXPECT_STREQ(btt[play_w[3]].caption, "w3");
    click_button(b_next_worlds);
    click_button(b_next_worlds);
    // A listed world is opened under its folder's name, always 10 columns wide.
    EXPECT_EQ(click_button(play_w[7]), GUI_START_WORLD);
    EXPECT_STREQ(w_param.name, "disk 39");
    EXPECT_EQ(w_param.size_class, 1);
    EXPECT_EQ(w_param.world_type, 1);
    EXPECT_EQ(w_param.player_value, 1);
    EXPECT_EQ(lvl, PAGE_PLAYING);
    EXPECT_EQ(buttons, 0);
    // Coming back from the main menu starts on the first page again.
    g_level(PAGE_MAIN);
    click_button(b_newgame);
    EXPECT_STREQ(btt[play_w[0]].caption, "w0");
}

TEST_F(Menu, CreatePageNameFieldTyping)
{
    param.world_counter = 1;
    g_level(PAGE_CREATE);
    EXPECT_STREQ(name_text(), "world 1");
    EXPECT_EQ(t_active, t_world_name);
    type("abcdefghijkl");   // 7 + 12 = 19 characters
    EXPECT_EQ(strlen(name_text()), 19u);
    EXPECT_EQ(g_send_key('z'), 0);
    EXPECT_EQ(g_send_key(8), 1);
    // Room for one more, yet control bytes (Delete among them) are not typed.
    for (int control : {13, 27, 127, 0x98, 0})
        EXPECT_EQ(g_send_key(control), 0) << control;
    EXPECT_EQ(g_send_key(200), 1);   // bytes above 127 are typed too
    EXPECT_EQ(strlen(name_text()), 19u);
    clear_name();
    EXPECT_EQ(g_send_key(8), 0);
    EXPECT_STREQ(name_text(), "");
    // Activation by a click on the hit zone's last row.
    t_active = -1;
    EXPECT_EQ(click(260, 250 + 29), GUI_HANDLED);
    EXPECT_EQ(t_active, t_world_name);
    EXPECT_EQ(click(260, 250 + 30), GUI_NOTHING);
}

TEST_F(Menu, CreatingAWorldWithItsSizeAndARefusedName)
{
    param.world_counter = 3;
    g_level(PAGE_CREATE);
    EXPECT_STREQ(name_text(), "world 3");
    for (int i = 0; i < 3; i++)
        click_field(250, 390);
    EXPECT_EQ(d_box[d_world_big].selected, 0);   // three items: back to the first
    click_field(250, 320);
    EXPECT_EQ(d_box[d_world_type].selected, 0);  // its only item
    click_field(250, 390);
    click_field(250, 390);

    // Refused names keep the page, the field and what was typed, and say why.
    mkdir("saves", 0755);
    mkdir("saves/taken", 0755);
    write_file("saves/a file", "");
    struct { const char *name; int phrase; } refused[] = {
        {"", 32}, {".", 32}, {"..", 32}, {"a/b", 32}, {"/", 32}, {"taken", 30}, {"a file", 30},
    };
    for (const auto &r : refused) {
        clear_name();
        type(r.name);
        t_active = -1;
        EXPECT_EQ(click_button(b_create_world), GUI_HANDLED) << r.name;
        EXPECT_EQ(lvl, PAGE_CREATE) << r.name;
        EXPECT_EQ(t_active, t_world_name) << r.name;
        EXPECT_EQ(notice, r.phrase) << r.name;
        EXPECT_STREQ(name_text(), r.name);
    }
    type("x");
    EXPECT_EQ(notice, 0);   // editing the name clears the message
    clear_name();
    type("100%s .x");
    EXPECT_EQ(click_button(b_create_world), GUI_START_WORLD);
    EXPECT_STREQ(w_param.name, "100%s .x");
    EXPECT_EQ(w_param.size_class, 3);
    EXPECT_EQ(w_param.world_type, 1);
    EXPECT_EQ(w_param.start_flag, 1);
    EXPECT_EQ(lvl, PAGE_PLAYING);

    // A folder that could not be made brings the page back with the name and the reason.
    g_world_folder_failed();
    EXPECT_EQ(lvl, PAGE_CREATE);
    EXPECT_STREQ(name_text(), "100%s .x");
    EXPECT_EQ(notice, 31);
}

TEST_F(Menu, DefaultNameIsTheFirstFreeAndCyrillicNamesAreUtf8OnDisk)
{
    mkdir("saves", 0755);
    mkdir("saves/world 3", 0755);
    write_file("saves/world 4", "");
    param.world_counter = 3;
    g_level(PAGE_CREATE);
    EXPECT_STREQ(name_text(), "world 5");
    param.world_counter = 0;   // a counter the game never writes
    g_level(PAGE_CREATE);
    EXPECT_STREQ(name_text(), "world 1");
    clear_name();
    type("\xec\xe8\xf0");   // "мир" as the font's CP1251
    EXPECT_EQ(click_button(b_create_world), GUI_START_WORLD);
    EXPECT_STREQ(w_param.name, "\xd0\xbc\xd0\xb8\xd1\x80");
}

TEST_F(Menu, OptionsShowAndStoreTheSettings)
{
    param.view_distance = 2;
    param.fog_enabled = 0;
    g_level(PAGE_OPTIONS);
    EXPECT_STREQ(d_box[d_v_distance].items[d_box[d_v_distance].selected], "phrase 21");
    EXPECT_STREQ(d_box[d_fog].items[d_box[d_fog].selected], "phrase 26");
    EXPECT_EQ(click_field(250, 250), GUI_NOTHING);   // list boxes step, nothing else
    click_field(250, 320);
    click_field(250, 320);
    EXPECT_EQ(click_button(b_save), GUI_SETTINGS_CHANGED);
    EXPECT_EQ(param.view_distance, 3);
    EXPECT_EQ(param.fog_enabled, 0);
    EXPECT_EQ(lvl, PAGE_MAIN);
}

// The right end of centred text of n glyphs at size s is 0.4 s n + 0.2 s
// from its centre: it must stay inside a world button of 200.
TEST(Captions, EveryNameIsDrawnInsideItsButton)
{
    struct { int length; bool shrunk; bool cut; } cases[] = {
        {1, false, false}, {10, false, false}, {11, true, false}, {19, true, false}, {63, true, true},
    };
    for (const auto &c : cases) {
        std::string name(c.length, 'm');
        char out[64];
        int size = fit_text(200, 22, name.c_str(), out, sizeof out);
        double right = 0.4 * size * strlen(out) + 0.2 * size;
        EXPECT_LE(right, 100) << c.length;
        EXPECT_GE(size, MIN_TEXT_SIZE) << c.length;
        EXPECT_EQ(size < 22, c.shrunk) << c.length;
        EXPECT_EQ(std::string(out) != name, c.cut) << c.length;
        if (c.cut) {
            EXPECT_EQ(std::string(out).substr(strlen(out) - 3), "...");
        }
    }
}

TEST_F(Menu, LongTextsAreCutToTheirRecords)
{
    std::string long_phrase(127, 'p');
    snprintf(frazes[1], sizeof frazes[1], "%s", long_phrase.c_str());
    snprintf(frazes[20], sizeof frazes[20], "%s", long_phrase.c_str());
    g_level(PAGE_MAIN);
    EXPECT_EQ(strlen(btt[b_newgame].caption), 63u);
    g_level(PAGE_OPTIONS);
    EXPECT_EQ(strlen(d_box[d_v_distance].items[0]), 31u);
    // Pools refuse widgets past their size.
    clear_widgets();
    for (int i = 0; i < WIDGET_POOL; i++)
        addButton(0, 0, 1, 1, "x");
    EXPECT_EQ(addButton(0, 0, 1, 1, "x"), -1);
    EXPECT_EQ(buttons, WIDGET_POOL);
}

}  // namespace
