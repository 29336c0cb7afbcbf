// engine.cpp — the engine's one-time GL and resource set-up.
#include "app/engine.h"

#include "app/frame.h"
#include "gui/lang.h"
#include "gui/pages.h"
#include "gui/widgets.h"
#include "platform/platform.h"
#include "player/cells.h"
#include "player/particles.h"
#include "render/c_math.h"
#include "render/overlay.h"
#include "save/catalogue.h"
#include "save/config.h"
#include "world/world.h"

#include <GL/freeglut.h>

int32_t gui = 0;
int32_t game = 0;
char buff[256];

float fogColor[4] = {0.9f, 0.9f, 0.9f, 1.0f};
float LightAmbient[4] = {0.3f, 0.3f, 0.3f, 1.0f};
float LightDiffuse[4] = {1.2f, 1.2f, 1.2f, 1.0f};
float LightPosition[4] = {0.0f, 1.0f, 0.0f, 0.0f};   // w = 0: a direction, towards the sun

static void set_gl_state()
{
    glEnable(GL_TEXTURE_2D);
    glShadeModel(GL_SMOOTH);
    glClearColor(0.9f, 0.9f, 1.0f, 1.0f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glLineWidth(2.0f);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);

    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogfv(GL_FOG_COLOR, fogColor);
    glFogf(GL_FOG_DENSITY, 0.4f);
    glHint(GL_FOG_HINT, GL_DONT_CARE);
    glFogf(GL_FOG_START, 5.0f);
    glFogf(GL_FOG_END, 10.0f);
    if (get_par_str()->fog_enabled)
        glEnable(GL_FOG);

    glFrontFace(GL_CCW);
    glLightfv(GL_LIGHT1, GL_DIFFUSE, LightDiffuse);
    glLightfv(GL_LIGHT1, GL_AMBIENT, LightAmbient);
    glEnable(GL_LIGHT1);
    glEnableClientState(GL_VERTEX_ARRAY);
}

static void load_pictures()
{
    load_block_atlas("./world/standart/ground.tga", &g_textures);
    LoadGLTextures(0, "./back.tga", back, 1);
    LoadGLTextures(1, "./qr.tga", back, 1);
    LoadGLTextures(2, "./lang/rus.tga", back, 1);
    LoadGLTextures(3, "./lang/eng.tga", back, 1);
    LoadGLTextures(0, "./font.tga", &font, 1);
    LoadGLTextures(0, "./world/standart/sun.tga", &sun, 1);
}

int e_init()
{
    plat_srand(plat_start_seed());
    set_field_of_view(get_options()->field_of_view);
    e_set_projection();
    set_gl_state();
    plat_watch_cyrillic_keys();
    load_pictures();
    initfont(font);
    init_particles();
    lang_init(get_par_str()->language);
    player_cells = init_cells(10, 5);
    give_starting_kit(player_cells);
    find_worlds(&ctlg);
    return 1;
}

int e_init_gui()
{
    gui = 1;
    game = 0;
    g_set_par_str(get_par_str());
    g_set_back(back);
    g_level(st_page);
    g_setctlg(&ctlg);
    return 1;
}

void apply_settings()
{
    const game_options *o = get_options();
    set_field_of_view(o->field_of_view);
    e_set_projection();
    if (game) {
        vision_range = get_par_str()->view_distance;
        fog_for_view_distance(vision_range);
    }
    if (o->full_screen != glutGet(GLUT_FULL_SCREEN)) {
        if (o->full_screen)
            glutFullScreen();
        else
            glutLeaveFullScreen();
    }
}

int e_is_gui()
{
    return gui;
}
