// Bitmap text as the menus draw it, read back through GL feedback.
#include "render/c_math.h"

#include "gl_context.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

// Left edges of the glyphs f_print draws, on the menus' 800 x 600 screen.
std::vector<float> glyph_lefts(const char *text, int flags)
{
    glViewport(0, 0, 800, 600);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 600, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    auto v = feedback_of([&] { f_print(100, 50, 10, text, flags); });
    std::vector<float> lefts;
    for (size_t i = 0; i + 6 <= v.size(); i += 6)   // two triangles a glyph
        lefts.push_back(std::round(std::min_element(&v[i], &v[i + 6], [](auto &a, auto &b) { return a.x < b.x; })->x));
    return lefts;
}

TEST(Draw, TextAdvancesAndCentresOnItsPlace)
{
    ASSERT_TRUE(gl_context_open());
    const struct {
        const char *text;
        int flags;
        std::vector<float> lefts;
    } cases[] = {
        {"AB", 0, {100, 108}},   // glyphs 10 wide, 8 apart
        {"AB", PRINT_CENTRED, {92, 100}},
        {"AB\nC", PRINT_CENTRED, {84, 92, 100}},   // a new line starts at x itself
        {" A", 0, {108}},                           // a space advances without a glyph
    };
    for (const auto &c : cases)
        EXPECT_EQ(glyph_lefts(c.text, c.flags), c.lefts) << c.text << " " << c.flags;
}

}  // namespace
