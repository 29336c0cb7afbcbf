// Bitmap text as the menus draw it, read back through GL feedback; TGA
// pictures into textures.
#include "render/c_math.h"

#include "gl_context.h"
#include "render/overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <string>

namespace {

TEST(Draw, TextAdvancesAndCentresOnItsPlace)
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
}

// True colour is taken, red first as GL wants it; anything else is refused
// without making a texture name.
TEST(Tga, TrueColourIsTakenAndAnythingElseRefused)
{
    ASSERT_TRUE(gl_context_open());
    const std::string path = "/tmp/quarrow-tga-" + std::to_string(getpid());
    const struct { const char *name; int type, width, height, bits, pixel_bytes; GLint format; } cases[] = {
        {"rgb", 2, 2, 2, 24, 12, GL_RGB}, {"rgba, rows of 12 bytes", 2, 3, 2, 32, 24, GL_RGBA},   // format 0: refused
        {"rgb, rows of 9 bytes", 2, 3, 2, 24, 18, GL_RGB}, {"run-length", 10, 2, 2, 24, 12, 0},
        {"16 bits", 2, 2, 2, 16, 8, 0}, {"short", 2, 2, 2, 24, 11, 0}, {"16 GB claimed", 2, 65535, 65535, 32, 16, 0}};
    for (const auto &c : cases) {
        std::vector<unsigned char> b = {0, 0, (unsigned char)c.type, 0, 0, 0, 0, 0, 0, 0, 0, 0, (unsigned char)c.width,
            (unsigned char)(c.width >> 8), (unsigned char)c.height, (unsigned char)(c.height >> 8), (unsigned char)c.bits, 0};
        for (int i = 0; i < c.pixel_bytes; i++)   // stored blue, green, red(, alpha): 10, 20, 30(, 40) first
            b.push_back((unsigned char)(10 * (i % (c.bits / 8) + 1) + i / (c.bits / 8)));
        std::ofstream(path, std::ios::binary).write((const char *)b.data(), (std::streamsize)b.size());
        GLuint next = 0, ids[1] = {0};
        glGenTextures(1, &next);
        EXPECT_EQ(LoadGLTextures(0, path.c_str(), ids, 0), c.format != 0) << c.name;
        EXPECT_EQ(ids[0], c.format ? next + 1 : 0) << c.name;
        GLint format = 0;
        unsigned char texels[3 * 2 * 4];
        if (c.format) {
            glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        }
        EXPECT_TRUE(!c.format || (format == c.format && texels[0] == 30 && texels[1] == 20 && texels[2] == 10)) << c.name;
        // The second row starts where the first ends (only a picture taken has texels to look at).
        EXPECT_TRUE(!c.format || (texels[4 * c.width] == 30 + c.width && texels[4 * c.width + 2] == 10 + c.width)) << c.name;
    }
    unlink(path.c_str());
}

}  // namespace
