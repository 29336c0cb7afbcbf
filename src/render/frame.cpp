// frame.cpp — stand-in until the world is drawn: only the menu is shown.
#include "render/frame.h"

#include "app/engine.h"
#include "gui/pages.h"
#include "gui/widgets.h"

int e_render()
{
    if (gui)
        g_draw();
    return 1;
}
