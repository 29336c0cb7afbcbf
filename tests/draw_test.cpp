// Bitmap text as the menus draw it, read back through GL feedback; TGA pictures into textures.
#include "game.h"

#include "gl_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <set>
#include <string>

namespace {

// Text advances glyph by glyph and centres on its place; a TGA picture in true colour is taken, anything else refused.
TEST(Draw, TextAdvancesAndCentresOnItsPlaceAndTgaPicturesAreTakenOrRefused)
{
    ASSERT_TRUE(gl_context_open());
    glViewport(0, 0, 800, 600);
    e_begin_overlay();   // the menus' 800 x 600 screen
    const struct { const char *text; int flags; std::vector<float> lefts; } cases[] = {   // glyphs drawn at (100, 50)
        {"AB", 0, {100, 108}},   // glyphs 10 wide, 8 apart
        {"AB", PRINT_CENTRED, {92, 100}},
        {"AB\nC", PRINT_CENTRED, {84, 92, 100}},   // a new line starts at x itself
        {" A", 0, {108}},                          // a space advances without a glyph
    };
    for (const auto &c : cases) {
        auto v = feedback_of([&] { f_print(100, 50, 10, c.text, c.flags); });
        std::vector<float> lefts;
        for (size_t i = 0; i + 6 <= v.size(); i += 6)   // two triangles a glyph
            lefts.push_back(std::round(std::min({v[i].x, v[i + 1].x, v[i + 2].x, v[i + 3].x, v[i + 4].x, v[i + 5].x})));
        EXPECT_EQ(lefts, c.lefts) << c.text << " " << c.flags;
    }
    e_end_overlay();
    // True colour is taken, red first as GL wants it; anything else is refused without making a texture name.
    const std::string path = "/tmp/quarrow-tga-" + std::to_string(getpid());
    const struct { const char *name; int type, width, height, bits, pixel_bytes; GLint format; } pictures[] = {
        {"rgb", 2, 2, 2, 24, 12, GL_RGB}, {"rgba, rows of 12 bytes", 2, 3, 2, 32, 24, GL_RGBA},   // format 0: refused
        {"rgb, rows of 9 bytes", 2, 3, 2, 24, 18, GL_RGB}, {"run-length", 10, 2, 2, 24, 12, 0},
        {"rgb, 256 wide as the game's own pictures", 2, 256, 2, 24, 1536, GL_RGB},
        {"16 bits", 2, 2, 2, 16, 8, 0}, {"short", 2, 2, 2, 24, 11, 0}, {"16 GB claimed", 2, 65535, 65535, 32, 16, 0}};
    for (const auto &c : pictures) {
        std::vector<unsigned char> b = {0, 0, (unsigned char)c.type, 0, 0, 0, 0, 0, 0, 0, 0, 0, (unsigned char)c.width,
            (unsigned char)(c.width >> 8), (unsigned char)c.height, (unsigned char)(c.height >> 8), (unsigned char)c.bits, 0};
        for (int i = 0; i < c.pixel_bytes; i++)   // stored blue, green, red(, alpha): 10, 20, 30(, 40) first
            b.push_back((unsigned char)(10 * (i % (c.bits / 8) + 1) + i / (c.bits / 8)));
        std::ofstream(path, std::ios::binary).write((const char *)b.data(), (std::streamsize)b.size());
        GLuint next = 0, ids[1] = {0};
        glGenTextures(1, &next);
        EXPECT_TRUE(LoadGLTextures(0, path.c_str(), ids, 0) == (c.format != 0) && ids[0] == (c.format ? next + 1 : 0)) << c.name;
        GLint format = 0;
        unsigned char texels[256 * 2 * 4] = {};
        if (c.format) {
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        }
        EXPECT_TRUE(!c.format || (format == c.format && texels[0] == 30 && texels[1] == 20 && texels[2] == 10)) << c.name;
        // The second row starts where the first ends (only a picture taken has texels to look at).
        EXPECT_TRUE(!c.format || (texels[4 * c.width] == (30 + c.width) % 256 &&
                                  texels[4 * c.width + 2] == (10 + c.width) % 256)) << c.name;
    }
    unlink(path.c_str());
}

// Every stack's picture is in the cell a click there finds, and an empty cell has none (the page as it looks is
// kept as a picture); closed, the page puts the stack in hand back.
TEST(InventoryPageDrawn, EachStackIsWhereAClickFindsIt)
{
    ASSERT_TRUE(gl_engine_open());
    for (int k = 0; k < 50; k++)
        player_cells->slots[k] = {3, (uint8_t)(k % 40 + 1)};
    player_cells->slots[17] = {0, 0};
    player_cells->slots[30] = {1, 9};
    inv_page_open();
    inv_page_click(PAGE_GRID_X + 5, PAGE_ROWS_Y + 2 * PAGE_PITCH + 5);
    glViewport(0, 0, 400, 300);   // the overlay at half size
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    inv_page_draw(100, 100);   // the grass in hand, far from the grid
    std::vector<unsigned char> px(400 * 300 * 3);
    glReadPixels(0, 0, 400, 300, GL_RGB, GL_UNSIGNED_BYTE, px.data());   // rows of 1200 bytes: no padding
    auto at = [&](int x, int y) {
        const unsigned char *p = &px[3 * ((299 - y / 2) * 400 + x / 2)];
        return std::vector<int>{p[0], p[1], p[2]};
    };
    auto icon_top = [](int k, int *x, int *y) {   // on the top face of the block picture
        *x = PAGE_GRID_X + PAGE_PITCH * (k % 10) + 16;
        *y = (k < 10 ? PAGE_HOT_BAR_Y : PAGE_ROWS_Y + PAGE_PITCH * (k / 10 - 1)) + 8;
    };
    int x, y;
    icon_top(17, &x, &y);
    std::vector<int> empty = at(x, y);
    for (int k = 0; k < 50; k++) {
        icon_top(k, &x, &y);
        EXPECT_TRUE(inv_page_cell_at(x, y) == k && (at(x, y) == empty) == (k == 17 || k == 30)) << k;
    }
    inv_page_close();
    EXPECT_EQ(player_cells->slots[30].id, 1);
}

}  // namespace
