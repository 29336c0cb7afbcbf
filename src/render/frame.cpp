// frame.cpp — stand-in until the world is drawn: only the menu is shown.
#include "render/frame.h"

#include "app/engine.h"
#include "gui/gui.h"

int e_render()
{
    if (gui)
        g_draw();
    return 1;
}
