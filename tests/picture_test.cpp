// Whole frames and pages against pictures of them kept in tests/pictures: a rule, a caption, a shade or a light
// moved or changed anywhere shows, where checks of single pixels would need one for each. After a change meant to
// be seen, QUARROW_NEW_PICTURES=1 writes the pictures anew, to be looked at and committed.
#include "gl_world.h"

#include <png.h>

#include <cstdlib>

namespace {

constexpr int W = 800, H = 600;   // the page's own size: every line of it a whole pixel
constexpr double PI = 3.14159265358979;

class Pictures : public DrawnWorld {
protected:
    void SetUp() override
    {
        DrawnWorld::SetUp();
        glutDisplayFunc([] {});
        glutReshapeWindow(W, H);
        for (int i = 0; i < 200 && glutGet(GLUT_WINDOW_WIDTH) != W; i++)
            glutMainLoopEvent(), usleep(10000);
        ASSERT_EQ(glutGet(GLUT_WINDOW_HEIGHT), H);
        XSync(glXGetCurrentDisplay(), 0);
        glutSwapBuffers();   // GL takes the window's new size with the next buffers
        set_window_size(W, H);
        char here[4096];
        ASSERT_TRUE(getcwd(here, sizeof here) && chdir(QUARROW_DATA_DIR) == 0);
        said([] { lang_init("eng"), e_init_gui(); });
        ASSERT_EQ(chdir(here), 0);
        g_set_par_str(get_par_str());
        gui = 0;
        get_par_str()->fog_enabled = 1, vision_range = 1;
        fog_for_view_distance(1);
    }
    // The frame read back (its rows bottom to top) is the kept picture name, or as far from it as a rounding apart.
    static void looks_as_kept(const char *name)
    {
        std::vector<unsigned char> rgb = read_back(W, H);
        std::string kept = std::string(QUARROW_SOURCE_DIR "/tests/pictures/") + name + ".png";
        png_image image{};
        image.version = PNG_IMAGE_VERSION, image.width = W, image.height = H, image.format = PNG_FORMAT_RGB;
        if (getenv("QUARROW_NEW_PICTURES")) {
            ASSERT_TRUE(png_image_write_to_file(&image, kept.c_str(), 0, rgb.data(), -3 * W, nullptr)) << kept;
            return;
        }
        std::vector<unsigned char> was(rgb.size());
        png_image old{};
        old.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_file(&old, kept.c_str())) << kept;
        old.format = PNG_FORMAT_RGB;
        ASSERT_TRUE(old.width == W && old.height == H && png_image_finish_read(&old, nullptr, was.data(), -3 * W, nullptr));
        int apart = 0;
        for (size_t i = 0; i < rgb.size(); i += 3)
            apart += std::abs(rgb[i] - was[i]) + std::abs(rgb[i + 1] - was[i + 1]) + std::abs(rgb[i + 2] - was[i + 2]) > 6;
        std::string seen = std::string(QUARROW_BUILD_DIR "/") + name + ".png";
        EXPECT_TRUE(apart == 0 || png_image_write_to_file(&image, seen.c_str(), 0, rgb.data(), -3 * W, nullptr) == 0)
            << apart << " pixels differ from " << kept << "; the frame drawn is " << seen;
    }
};

// The world by day, at dawn towards the sun and after sunset: the blocks, two dropped boxes, bits of rock, the aimed block's
// outline, the crosshair, the hot bar and a notice that saving fails; and the inventory open over it.
TEST_F(Pictures, TheWorldThroughTheDayAndTheInventory)
{
    cube_slot *c = hold(0, 4, 4, 4, 0);
    for (int x = 0; x < 64; x++)   // grass over earth over rock; a rock pillar, an earth step
        for (int y = 0; y < 64; y++)
            for (int z = 0; z < 12 + 6 * (x / 3 == 9 && y / 3 == 4) + (x / 5 == 7 && y / 3 == 4); z++)
                c->blocks[x][y][z] = z < 5 || z > 12 ? 2 : z < 11 ? 3 : 1;
    create_polygons(4, 4, 4);
    add_box(-225.5f, -202.5f, 268.3f, 3);
    add_box(-224.9f, -203.2f, 268.3f, 1);
    plat_srand(3);
    add_particle_from_cube(-223.5f, -202.5f, 268.2f, 2, 12);   // a block of rock just broken
    for (int k = 0; k < 24; k++)
        player_cells->slots[k * 2] = {(uint16_t)(k % 3 + 1), (uint8_t)(k * 7 + 1)};
    cells_active = 2;
    gamer[0].x = 224.5, gamer[0].y = 200.5, gamer[0].z = 268, gamer[0].rot_x = 26, gamer[0].rot_y = 0;
    view_ray(&gamer[0]);
    said([] { init_save_load(world, cubes, 10, "quarrow-picture-test/none"), chunk_changed(4, 4, 4), save_w(4, 4, 4); });
    const struct { const char *name; float pitch, yaw; double a; } views[] = {
        {"day", 26, 0, 0.9}, {"dawn", -8, -75, 0.12}, {"dusk", 26, 0, PI + 0.2}};   // at dusk, the moon low behind the boxes
    for (const auto &v : views) {
        look(224.5, 200.5, 269, v.pitch, v.yaw);
        sun_at(v.a);
        game_frame(W, H);
        looks_as_kept(v.name);
    }
    look(224.5, 200.5, 269, 26, 0);
    sun_at(0.9);
    inv_page_open();
    inv_page_click(PAGE_GRID_X + 5, PAGE_ROWS_Y + 5);   // the first row's first stack in hand
    game_frame(W, H);
    inv_page_draw(500, 200);
    looks_as_kept("inventory");
}

// Each page of the menu over its drifting background, the pause page over the world; a name refused on the form.
TEST_F(Pictures, EveryPageOfTheMenu)
{
    g_setctlg(&ctlg);
    for (ctlg.count = 0; ctlg.count < 40; ctlg.count++)
        snprintf(ctlg.worlds[ctlg.count].shown, WORLD_DISK_NAME, "World %d", ctlg.count);
    const char *names[] = {"main", "language", "worlds", "create", "options", "pause", "credits"};
    for (int page : {PAGE_MAIN, PAGE_LANGUAGE, PAGE_WORLDS, PAGE_CREATE, PAGE_OPTIONS, PAGE_PAUSE, PAGE_CREDITS}) {
        world_page = 1;   // the list's middle page
        g_level(page);
        snprintf(t_field[0].text, sizeof t_field[0].text, "World 7");
        notice = PHRASE_NAME_TAKEN;
        ir = 9, mig = 40;   // the background's drift; the name field's cursor shown
        sun_at(0.9);
        gui = 1, game = menu_over_world = page == PAGE_PAUSE;
        g_set_mouse(page == PAGE_WORLDS ? 259 : 400, page == PAGE_WORLDS ? 529 : 300);   // the list's: in a corner of <
        game_frame(W, H);
        looks_as_kept(names[page]);
    }
}

}  // namespace
