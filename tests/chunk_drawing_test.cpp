// The chunks as a player sees them: a grass field with bumps, drawn by the
// game's chunk pass in plain white light, read back pixel by pixel.
#include "e2e/xsession.h"
#include "gl_context.h"
#include "platform/platform.h"
#include "render/c_math.h"
#include "render/mesher.h"
#include "render/overlay.h"
#include "world/streaming.h"
#include "world_fixture.h"

#include <set>

namespace {

constexpr int WIDTH = 400, HEIGHT = 300;

using ChunkDrawing = HeldWorld;

// The colours of some cells of the block atlas, as the hot bar and boxes use it.
std::set<int> atlas_colours(std::initializer_list<int> cells)
{
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, g_textures);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    std::vector<unsigned char> texels((size_t)w * h * 3 + 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    std::set<int> colours;
    int cw = w / ATLAS_EDGE, ch = h / ATLAS_EDGE;
    for (int cell : cells)
        for (int y = cell / ATLAS_EDGE * ch; y < (cell / ATLAS_EDGE + 1) * ch; y++)
            for (int x = cell % ATLAS_EDGE * cw; x < (cell % ATLAS_EDGE + 1) * cw; x++) {
                const unsigned char *p = &texels[((size_t)y * w + x) * 3];
                colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
            }
    return colours;
}

// Every pixel is ground (no sky through pinholes or missing quads), showing
// a texel of the grass pictures (not another cell, nor the atlas itself).
TEST_F(ChunkDrawing, TheGroundIsWholeAndShowsItsOwnPictures)
{
    ASSERT_TRUE(gl_engine_open());
    cube_slot *c = hold(0, 4, 4, 4, 0);
    plat_srand(9);
    for (int lx = 0; lx < 64; lx++)
        for (int ly = 0; ly < 64; ly++) {
            c->blocks[lx][ly][10] = 1;
            c->blocks[lx][ly][11] = plat_rand() % 6 ? 0 : 1;   // bumps break the rows of tops
        }
    create_polygons(4, 4, 4);
    glViewport(0, 0, WIDTH, HEIGHT);
    e_set_projection();
    glRotatef(40, 1, 0, 0);   // 40 degrees down: some 20 blocks of the field
    glRotatef(30, 0, 1, 0);
    camera_x = camera_y = 224;   // over the middle of chunk (4, 4)
    camera_z = 272;
    glTranslatef(224, -272, 224);
    glClearColor(1, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glColor3f(1, 1, 1);
    glEnable(GL_CULL_FACE);
    already_created = 1000;
    draw_buffs();
    glDisable(GL_CULL_FACE);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, g_textures);   // the dropped boxes drawn next need the atlas

    xs_image picture = {WIDTH, HEIGHT, std::vector<unsigned char>((size_t)WIDTH * HEIGHT * 3)};
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
    xs_write_png(xs_artefact_dir() + "/grass-field.png", picture);   // upside down
    std::set<int> grass = atlas_colours({2, 3});
    int sky = 0, foreign = 0;
    for (size_t i = 0; i < picture.rgb.size(); i += 3) {
        int rgb = picture.rgb[i] << 16 | picture.rgb[i + 1] << 8 | picture.rgb[i + 2];
        sky += rgb == 0xff00ff;
        foreign += rgb != 0xff00ff && !grass.count(rgb);
    }
    EXPECT_EQ(sky, 0);
    // The hair each quad reaches past its sides samples the edge of the next
    // cell in a few dozen pixels; a wrong picture changes thousands.
    EXPECT_LE(foreign, WIDTH * HEIGHT / 1000);
}

}  // namespace
