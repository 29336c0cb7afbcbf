// The world list, the menu driven click by click and key by key, and names as drawn.
#include "game.h"

#include "gl_context.h"
#include "temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using Catalogue = InTempDir;

// A world folder last played at the given second, one its player may write into; the first makes ./saves.
void make_world(const std::string &name, long seconds)
{
    struct stat st;
    ASSERT_TRUE(makedir(("./saves/" + name).c_str()) == 1 && stat(("saves/" + name).c_str(), &st) == 0) << name;
    EXPECT_EQ(st.st_mode & 0700, 0700u) << name;
    timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, ("saves/" + name).c_str(), times, 0), 0);
}

// Past its room the list leaves out the worlds played longest ago, and names too long for a chunk path; the newest
// comes first, in the font's letters.
TEST_F(Catalogue, ListsTheNewestWorldsFirstEachToOpenAtItsOwnSize)
{
    // Made in an order whose oldest are in the middle, whatever order the folder lists.
    for (int i = 0; i < CATALOGUE_MAX + 5; i++) {
        int age = (i + CATALOGUE_MAX / 2) % (CATALOGUE_MAX + 5);
        make_world("w" + std::to_string(age), 10000 + age);
    }
    make_world("\xd0\xbc\xd0\xb8\xd1\x80", 20000);   // "мир" in UTF-8
    make_world("\xe4\xee\xec", 15000);                // "дом" in CP1251, as older versions named folders
    make_world(std::string(64, 'x'), 30000);
    write_file("saves/notes.txt", "a plain file is not a world");
    std::string out = said([] { find_worlds(&ctlg); });
    EXPECT_TRUE(out.find("x is not listed: its name is longer than 63 bytes \n") != std::string::npos &&
                out.find("saves/\xd0\xbc\xd0\xb8\xd1\x80\n") != std::string::npos) << out;   // and the newest world's folder
    ASSERT_EQ(ctlg.count, CATALOGUE_MAX);
    EXPECT_EQ(std::string(ctlg.worlds[0].shown) + ctlg.worlds[1].shown + ctlg.worlds[CATALOGUE_MAX - 1].shown, "\xec\xe8\xf0\xe4\xee\xecw7");
    // The world the folder lists first is left out when it is the oldest too.
    DIR *d = opendir("saves");
    std::string first;
    for (dirent *e = readdir(d); e && first.empty(); e = readdir(d))
        first = e->d_name[0] == 'w' ? e->d_name : "";
    closedir(d);
    make_world(first, 5000);
    said([] { find_worlds(&ctlg); });
    for (int k = 0; k < ctlg.count; k++)
        EXPECT_STRNE(ctlg.worlds[k].disk_name, first.c_str());
    ASSERT_EQ(system("rm -r saves/w[0-5]"), 0);   // one world more than the list holds
    out = said([] { find_worlds(&ctlg); });
    EXPECT_NE(out.find("1 worlds of ./saves played longest ago are not listed \n"), std::string::npos) << out;
    // A world opens at the size class kept in its folder, else the one its chunk files need, else the one chosen;
    // what a killed game left half written goes.
    struct { const char *size_file, *chunk; int chosen, played; } cases[] = {   // a size file written by hand may lack a line end
        {nullptr, nullptr, 2, 2}, {"2\n", "3-3-4.qrb", 1, 2}, {"3", nullptr, 1, 3}, {nullptr, "12-4-4.qrb", 1, 2},
        {nullptr, "0-25-4.qrb.damaged", 1, 3}, {"4", nullptr, 1, 1}};   // no size the game has: as if none
    for (const auto &c : cases) {
        ASSERT_EQ(system("rm -rf saves && mkdir -p saves/w"), 0);
        write_file("saves/w/1-1-4.qrb.tmp", "half");
        write_file("saves/w/.tmp", "not the game's");
        if (c.size_file)
            write_file("saves/w/size", c.size_file);
        if (c.chunk)
            write_file(std::string("saves/w/") + c.chunk, "x");
        remove_leftover_tmp("w");
        EXPECT_EQ(world_size_class("w", c.chosen), c.played) << c.chunk;
        EXPECT_TRUE(world_size_class("w", 1) == c.played && access("saves/w/1-1-4.qrb.tmp", F_OK) == -1 &&
                    access("saves/w/.tmp", F_OK) == 0) << c.chunk;   // the size kept for the next start
    }
}

class MenuInput : public InTempDir {
protected:
    void SetUp() override
    {
        InTempDir::SetUp();
        ASSERT_EQ(system("cp -r '" QUARROW_DATA_DIR "/lang' ."), 0);
        said([] { lang_init("eng"); });   // captions to draw
        g_set_par_str(get_par_str());
        g_setctlg(&ctlg);
        for (ctlg.count = 0; ctlg.count < 40; ctlg.count++) {   // forty worlds, names as long as a folder's may be
            snprintf(ctlg.worlds[ctlg.count].disk_name, WORLD_DISK_NAME, "disk %d", ctlg.count);
            memset(ctlg.worlds[ctlg.count].shown, 'm', WORLD_DISK_NAME - 1);
        }
    }
    static int click(int x, int y) { return g_set_mouse(x + 10, y + 10), g_mouse_down(); }   // into a widget's corner
    static int click_button(int b) { return b < 0 ? -1 : click(btt[b].x, btt[b].y); }
    static void retype(const std::string &text)
    {
        t_field[t_world_name].text[0] = '\0';
        for (unsigned char c : text)
            g_send_key(c);
    }
};

// Each page has the arrows to the pages beside it, and no others; a world opened from any page is played and comes
// first in the list from then on. A new world takes a free, usable name and the size chosen.
TEST_F(MenuInput, EveryWorldOfAManyPageListOpensAndANewOneTakesAFreeUsableName)
{
    g_level(PAGE_MAIN);
    click_button(b_newgame);
    const struct { int32_t *arrow; int page; bool prev, next; } turns[] = {
        {nullptr, 0, false, true}, {&b_next_worlds, 1, true, true}, {&b_next_worlds, 2, true, false},
        {&b_prev_worlds, 1, true, true}, {&b_next_worlds, 2, true, false},
    };
    for (const auto &t : turns) {
        EXPECT_EQ(t.arrow ? click_button(*t.arrow) : GUI_HANDLED, GUI_HANDLED) << t.page;
        EXPECT_TRUE(world_page == t.page && (b_prev_worlds >= 0) == t.prev && (b_next_worlds >= 0) == t.next) << t.page;
    }
    make_world("disk 39", 1000);
    make_world("disk 0", 2000);
    EXPECT_EQ(click_button(play_w[7]), GUI_START_WORLD);
    catalogue found;
    find_worlds(&found);
    EXPECT_TRUE(strcmp(w_param.name, "disk 39") == 0 && strcmp(found.worlds[0].disk_name, "disk 39") == 0);
    ctlg.count = 2 * WORLD_BUTTONS;   // a shorter list, shown from its last page
    g_level(PAGE_WORLDS);
    EXPECT_TRUE(world_page == 1 && play_w[0] >= 0) << world_page;
    make_world("world 3", 0);
    make_world("\xd0\xb4\xd0\xbe\xd0\xbc", 0);   // "дом", UTF-8 on disk
    write_file("saves/world 4", "");
    get_par_str()->world_counter = 3;
    g_level(PAGE_CREATE);
    EXPECT_STREQ(t_field[t_world_name].text, "world 5");
    struct { const char *name; int notice; } refused[] = {   // the last typed in the font's CP1251
        {"", PHRASE_NAME_UNUSABLE}, {"..", PHRASE_NAME_UNUSABLE}, {"a/b", PHRASE_NAME_UNUSABLE},
        {"world 3", PHRASE_NAME_TAKEN}, {"world 4", PHRASE_NAME_TAKEN}, {"\xe4\xee\xec", PHRASE_NAME_TAKEN}};
    for (const auto &r : refused) {
        retype(r.name);
        EXPECT_TRUE(click_button(b_create_world) == GUI_HANDLED && notice == r.notice) << r.name;
    }
    EXPECT_EQ(g_send_key(127), 0);   // Delete is no character
    retype(std::string(30, 'n'));
    EXPECT_EQ(strlen(t_field[t_world_name].text), 19u);   // the longest name the field takes
    retype("\xec\xe8\xf0");          // Cyrillic, in the font's CP1251
    EXPECT_EQ(notice, 0);            // the refusal was about the name before
    for (const char *size : {"Medium (20 x 20)", "Large (30 x 30)"}) {
        click(d_box[d_world_big].x, d_box[d_world_big].y);
        click(d_box[d_world_type].x, d_box[d_world_type].y);   // one type: a click keeps it
        EXPECT_EQ(d_box[d_world_big].items[d_box[d_world_big].selected] + std::string(" ") +
                     d_box[d_world_type].items[d_box[d_world_type].selected], size + std::string(" Standard"));
    }
    EXPECT_EQ(click_button(b_create_world), GUI_START_WORLD);
    EXPECT_TRUE(strcmp(w_param.name, "\xd0\xbc\xd0\xb8\xd1\x80") == 0 && w_param.size_class == 3);   // UTF-8 on disk
    // A folder that could not be made brings the page back with the name.
    g_world_folder_failed();
    EXPECT_TRUE(strcmp(t_field[t_world_name].text, "\xec\xe8\xf0") == 0 && notice == PHRASE_NO_FOLDER);
}

// Every page's widgets are drawn wholly on the 800 x 600 page, where they are clicked, and none covers another, so
// each can be seen and clicked; each lights up under the pointer but for the dim ones that lead nowhere yet.
TEST_F(MenuInput, EveryWidgetOfEveryPageIsDrawnWhereItIsClicked)
{
    ASSERT_TRUE(gl_context_open());
    glViewport(0, 0, 800, 600);
    world_page = 1;   // the list's middle page: both arrows
    for (int page : {PAGE_MAIN, PAGE_LANGUAGE, PAGE_WORLDS, PAGE_CREATE, PAGE_OPTIONS, PAGE_PAUSE, PAGE_CREDITS}) {
        g_level(page);
        std::vector<button> boxes(btt, btt + buttons);
        for (int i = 0; i < t_fields; i++)
            boxes.push_back({t_field[i].x, t_field[i].y, t_field[i].w, FIELD_FRAME, "", 0, 0, 0});
        for (int i = 0; i < d_boxes; i++)
            boxes.push_back({d_box[i].x, d_box[i].y, d_box[i].w, FIELD_FRAME, "", 0, 0, 0});
        for (int i = 0; i < buttons; i++)   // each says what it does (the list's test names are all alike)
            for (int k = i + 1; k < buttons && page != PAGE_WORLDS; k++)
                EXPECT_TRUE(btt[i].is_picture || strcmp(btt[i].caption, btt[k].caption) != 0) << page << " " << i;
        g_set_mouse(0, 0), t_active = -1;
        auto drawn = feedback_polygons(g_draw, true, true);
        // How many of the polygons and lines drawn lie wholly in box a (a glyph's cell reaches a little below its
        // line), or how many of those are grey (neither black nor white).
        auto in_box = [](const std::vector<std::vector<fb_vertex>> &drawn, const button &a, bool grey = false) {
            return std::count_if(drawn.begin(), drawn.end(), [&](const std::vector<fb_vertex> &p) {
                return std::all_of(p.begin(), p.end(), [&](const fb_vertex &v) {
                    return v.x > a.x - 0.5 && v.x < a.x + a.w + 0.5 && 600 - v.y > a.y - 8 && 600 - v.y < a.y + a.h + 8;
                }) && (!grey || (p[0].brightness > 0.1f && p[0].brightness < 2.9f));
            });
        };
        EXPECT_FALSE(boxes.empty()) << page;
        for (size_t i = 0; i < boxes.size(); i++) {
            const button &a = boxes[i];
            EXPECT_TRUE(a.x >= 0 && a.y >= 220 && a.x + a.w <= 800 && a.y + a.h <= 600) << page << " " << i;   // under the logo
            // One column down the middle, but on the pages of two columns or two pictures.
            EXPECT_TRUE(page == PAGE_OPTIONS || page == PAGE_WORLDS || page == PAGE_LANGUAGE || a.x + a.w / 2 == 400) << page << " " << i;
            g_set_mouse(a.x, a.y + a.h / 2);   // on its left edge: not under the pointer yet
            int edge = in_box(feedback_polygons(g_draw, true, true), a, true);
            g_set_mouse(a.x + a.w / 2, a.y + a.h / 2);   // still grey under the pointer: a dim button
            int under = in_box(feedback_polygons(g_draw, true, true), a, true);
            EXPECT_TRUE(in_box(drawn, a, true) && edge && (under > 0) == (i < (size_t)buttons && btt[i].disabled))
                << page << " " << i;
            for (size_t k = i + 1; k < boxes.size(); k++) {
                const button &b = boxes[k];
                EXPECT_TRUE(a.x + a.w <= b.x || b.x + b.w <= a.x || a.y + a.h <= b.y || b.y + b.h <= a.y)
                    << page << ": " << i << " covers " << k;
            }
        }
    }
}

// The options page shows the settings as they stand, in words, and keeps what is chosen.
TEST_F(MenuInput, OptionsShowAndKeepTheViewDistanceAndFog)
{
    game_param *p = get_par_str();
    const struct { int distance_clicks, fog_clicks, distance, fog; } cases[] = {{0, 0, 1, 1}, {2, 1, 3, 0}, {1, 1, 1, 1}, {2, 0, 3, 1}};
    p->view_distance = p->fog_enabled = 1;
    for (const auto &c : cases) {
        g_level(PAGE_MAIN);
        click_button(b_options);
        ASSERT_EQ(lvl, PAGE_OPTIONS);
        for (int i = 0; i < c.distance_clicks; i++)
            click(d_box[d_v_distance].x, d_box[d_v_distance].y);
        for (int i = 0; i < c.fog_clicks; i++)
            click(d_box[d_fog].x, d_box[d_fog].y);
        const list_box &distance = d_box[d_v_distance], &fog = d_box[d_fog];
        EXPECT_STREQ(distance.items[distance.selected], c.distance == 1 ? "1 chunk" : "3 chunks");
        EXPECT_STREQ(fog.items[fog.selected], c.fog ? "Fog: on" : "Fog: off");
        EXPECT_EQ(click_button(b_save), GUI_SETTINGS_CHANGED);
        EXPECT_TRUE(lvl == PAGE_MAIN && p->view_distance == c.distance && p->fog_enabled == c.fog);
    }
    // The defaults, as numbers and words; a click each, full screen and inverted look.
    g_level(PAGE_OPTIONS);
    click(d_box[d_full_screen].x, d_box[d_full_screen].y);
    click(d_box[d_invert].x, d_box[d_invert].y);
    for (auto [list, shown] : {std::pair{d_mouse_speed, "5"}, {d_fov, "45"}, {d_full_screen, "Full screen"}, {d_invert, "Inverted"}})
        EXPECT_STREQ(d_box[list].items[d_box[list].selected], shown);
}

// Folder names are UTF-8: every letter the font has goes to disk as the
// system's converter writes it and comes back as the same letter.
TEST(WorldNames, EveryCp1251LetterMatchesTheSystemConverterBothWays)
{
    iconv_t cd = iconv_open("UTF-8", "CP1251");
    ASSERT_NE(cd, (iconv_t)-1);
    for (int b = 32; b < 256; b++) {
        if (b == CP1251_UNUSED || b == 127)
            continue;   // never typed into a name
        char in[2] = {(char)b, 0}, expected[8] = {0}, disk[8], font[8];
        char *from = in, *to = expected;
        size_t left = 1, room = sizeof expected - 1;
        ASSERT_NE(iconv(cd, &from, &left, &to, &room), (size_t)-1) << b;
        name_to_disk(in, disk, sizeof disk);
        name_to_font(disk, font, sizeof font);
        EXPECT_TRUE(strcmp(disk, expected) == 0 && strcmp(font, in) == 0) << b;
    }
    iconv_close(cd);
    // A name longer than the room it goes to is cut there, never past it.
    char room[8] = "-------";
    name_to_font("w \xd0\xbc", room, 8);   // Latin and Cyrillic in one name
    EXPECT_STREQ(room, "w \xec");
    for (const char *name : {"\xd0\xbc\xd0\xb8\xd1\x80\xd1\x91", "\xec\xe8\xf0\xb8"}) {   // UTF-8, and an older CP1251 name
        name_to_font(name, room, 4);
        EXPECT_TRUE(strcmp(room, "\xec\xe8\xf0") == 0 && room[4] == '-');
    }
    char disk[7];
    EXPECT_EQ(name_to_disk("\x96\x96", disk, sizeof disk), 6);   // two three-byte dashes fill the room exactly
}

class MenuCaptions : public MenuInput {
protected:
    void SetUp() override
    {
        MenuInput::SetUp();
        ASSERT_TRUE(gl_context_open());
        glViewport(0, 0, 800, 600);   // window coordinates are the menu's, y up
    }
};

// A start opens the view at the field of view kept from the last run.
TEST_F(MenuCaptions, TheViewOpensAtTheKeptFieldOfView)
{
    ASSERT_EQ(system("cp -r '" QUARROW_DATA_DIR "/.' ."), 0);
    get_options()->field_of_view = 90;
    said([] { e_init(), e_init_gui(); });
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    EXPECT_NEAR(projection[5], 1, 1e-4);   // 1 / tan(90 / 2)
    get_options()->field_of_view = 45;
}

// Read back from GL, a row's names: inside their buttons, cut rather than shrunk past reading; the name typed, with a
// cursor after it.
TEST_F(MenuCaptions, NamesStayInsideTheirButtonsAndTheNameFieldHasACursor)
{
    g_level(PAGE_WORLDS);
    const button &left = btt[play_w[0]], &right = btt[play_w[8]];
    float top = 600, bottom = 0, first = 800;
    for (const auto &polygon : feedback_polygons(g_draw)) {
        bool in_row = true;   // the page's caption above reaches down to the row
        for (const fb_vertex &v : polygon)
            in_row = in_row && 600 - v.y >= left.y && 600 - v.y <= left.y + left.h + 10;
        for (const fb_vertex &v : polygon) {
            const button &b = v.x < 400 ? left : right;
            EXPECT_TRUE(!in_row || (v.x >= b.x && v.x <= b.x + b.w)) << v.x;
            top = in_row ? std::min(top, 600 - v.y) : top;
            bottom = in_row ? std::max(bottom, 600 - v.y) : bottom;
            first = in_row ? std::min(first, v.x) : first;
        }
    }
    EXPECT_GE(bottom - top, 1.6 * MIN_TEXT_SIZE - 1);
    // Cut no shorter than it must be: one letter more would not fit.
    EXPECT_LE(first - left.x, 2 + 0.6 * MIN_TEXT_SIZE);
    set_window_size(1600, 600);   // wider than the page: the background reaches the edges unstretched
    glViewport(0, 0, 1600, 600);
    auto wide = feedback_of(g_draw, true);
    EXPECT_TRUE(std::any_of(wide.begin(), wide.end(), [](fb_vertex v) { return v.x == 0 && v.y == 0 && std::fabs(v.s - 0.25f) < 1e-3; }));
    set_window_size(800, 600);
    glViewport(0, 0, 800, 600);
    // The name field shows a blinking cursor, an upright bar after the name typed so far, every other half second.
    g_level(PAGE_CREATE);
    const text_field &t = t_field[t_world_name];
    int shown = 0;
    for (int frame = 0; frame < 61; frame++)   // the cursor's two upright edges, in the frames it shows in
        for (const auto &line : feedback_polygons(g_draw, true))
            shown += line.size() == 2 && line[0].x == line[1].x && line[0].x > t.x + t.w / 2 + 20 &&
                     line[0].x < t.x + t.w && 600 - line[0].y > t.y && 600 - line[0].y < t.y + FIELD_FRAME;
    EXPECT_TRUE(shown >= 2 * 20 && shown <= 2 * 40) << shown;
}

// A list of one page shows no page number, and an empty list says it is empty (the pages as they look otherwise are
// kept as pictures).
TEST_F(MenuCaptions, AListOfOnePageHasNoNumberAndAnEmptyOneSaysSo)
{
    const struct { int worlds; const char *text; int y; bool shown; } cases[] = {
        {WORLD_BUTTONS, "1 / 1", 466, false}, {0, "No saved worlds yet", 220, true}};
    for (const auto &c : cases) {
        ctlg.count = c.worlds;
        g_level(PAGE_WORLDS);
        EXPECT_EQ(draws_text(g_draw, c.text, 400, c.y, c.text[0] == '1' ? 16 : 22), c.shown) << c.text;
    }
}

}  // namespace
