// The menu driven as a player does, click by click and key by key, and a
// world button's caption as drawn.
#include "gui/gui.h"

#include "app/config.h"
#include "gl_context.h"
#include "gui/lang.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "save/catalogue.h"
#include "temp_dir.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

namespace {

class MenuInput : public InTempDir {
protected:
    game_param param;
    catalogue worlds{};

    void SetUp() override
    {
        InTempDir::SetUp();
        cfg_defaults(&param);
        g_set_par_str(&param);
        g_setctlg(&worlds);
        // Forty worlds, with names as long as a folder's may be.
        for (worlds.count = 0; worlds.count < 40; worlds.count++) {
            world_entry *w = &worlds.worlds[worlds.count];
            snprintf(w->disk_name, WORLD_DISK_NAME, "disk %d", worlds.count);
            memset(w->shown, 'm', WORLD_DISK_NAME - 1);
        }
    }
    static int click_at(int x, int y)
    {
        g_set_mouse(x, y);
        return g_mouse_down();
    }
    static int click_button(int b) { return b < 0 ? -1 : click_at(btt[b].x + 10, btt[b].y + 10); }
    static int click_list(int d) { return click_at(d_box[d].x + 10, d_box[d].y + 10); }
    static void retype(const std::string &text)
    {
        while (g_send_key(8))
            ;
        for (unsigned char c : text)
            g_send_key(c);
    }
    static const char *typed() { return t_field[t_world_name].text; }
};

TEST_F(MenuInput, EveryWorldOfAManyPageListOpens)
{
    g_level(PAGE_MAIN);
    click_button(b_newgame);
    // Two columns side by side, wholly on the 800-wide screen.
    EXPECT_LE(btt[play_w[0]].x + btt[play_w[0]].w, btt[play_w[8]].x);
    EXPECT_LE(btt[play_w[8]].x + btt[play_w[8]].w, 800);
    ASSERT_EQ(click_button(b_next_worlds), GUI_HANDLED);
    ASSERT_EQ(click_button(b_next_worlds), GUI_HANDLED);
    EXPECT_EQ(b_next_worlds, -1);   // the last page
    EXPECT_EQ(click_button(play_w[7]), GUI_START_WORLD);
    EXPECT_STREQ(w_param.name, "disk 39");
}

TEST_F(MenuInput, ANewWorldTakesAFreeUsableNameAndTheChosenSize)
{
    mkdir("saves", 0755);
    mkdir("saves/world 3", 0755);
    write_file("saves/world 4", "");
    param.world_counter = 3;
    g_level(PAGE_CREATE);
    EXPECT_STREQ(typed(), "world 5");
    struct { const char *name; int notice; } refused[] = {
        {"", PHRASE_NAME_UNUSABLE}, {"..", PHRASE_NAME_UNUSABLE}, {"a/b", PHRASE_NAME_UNUSABLE},
        {"world 3", PHRASE_NAME_TAKEN}, {"world 4", PHRASE_NAME_TAKEN},
    };
    for (const auto &r : refused) {
        retype(r.name);
        t_active = -1;
        EXPECT_EQ(click_button(b_create_world), GUI_HANDLED) << r.name;
        EXPECT_EQ(notice, r.notice) << r.name;
        EXPECT_EQ(t_active, t_world_name) << r.name;   // typing goes on
    }
    EXPECT_EQ(g_send_key(127), 0);   // Delete is no character
    g_send_key('x');
    EXPECT_EQ(notice, 0);            // the refusal was about the name before
    retype(std::string(30, 'a'));
    EXPECT_EQ(strlen(typed()), (size_t)WORLD_NAME_MAX);
    retype("\xec\xe8\xf0");          // Cyrillic, in the font's CP1251
    click_list(d_world_big);
    click_list(d_world_big);
    EXPECT_EQ(click_button(b_create_world), GUI_START_WORLD);
    EXPECT_STREQ(w_param.name, "\xd0\xbc\xd0\xb8\xd1\x80");   // UTF-8 on disk
    EXPECT_EQ(w_param.size_class, 3);
    // A folder that could not be made brings the page back with the name.
    g_world_folder_failed();
    EXPECT_STREQ(typed(), "\xec\xe8\xf0");
    EXPECT_EQ(notice, PHRASE_NO_FOLDER);
}

using MenuCaptions = MenuInput;

// Read back from GL, the first row's two names: each inside its button, cut
// rather than shrunk past reading.
TEST_F(MenuCaptions, LongWorldNamesStayInsideTheirButtons)
{
    ASSERT_TRUE(gl_context_open());
    g_level(PAGE_WORLDS);
    const button &left = btt[play_w[0]], &right = btt[play_w[8]];
    GLint view[4];
    glGetIntegerv(GL_VIEWPORT, view);
    float top = 600, bottom = 0;
    int corners = 0;
    for (const fb_vertex &v : feedback_of(g_draw)) {
        float x = v.x * 800 / view[2], y = (view[3] - v.y) * 600 / view[3];
        if (y < left.y + 1 || y > left.y + left.h + 10)
            continue;   // not the row
        const button &b = x < 400 ? left : right;
        EXPECT_TRUE(x >= b.x && x <= b.x + b.w) << x;
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        corners++;
    }
    EXPECT_GE(corners, 2 * 4 * 10);
    EXPECT_GE(bottom - top, 1.6 * MIN_TEXT_SIZE - 1);
}

}  // namespace
