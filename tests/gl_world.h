// A held world drawn in a real GL context: the camera placed by hand, the sun set to a time of day, and frames
// read back as the player sees them or in plain white light.
#pragma once
#include "game.h"
#include "gl_context.h"
#include "world_fixture.h"

#include <vector>

class DrawnWorld : public HeldWorld {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(gl_engine_open());
        HeldWorld::SetUp();
        already_created = 1000, game = gui = 0;   // nothing is built unless a test asks
        init_particles();
        gamer[0].pick_valid = 0;
        glViewport(0, 0, 800, 600);
        e_set_projection();
    }
    static void look(double x, double y, double z, float pitch, float yaw)
    {
        camera_x = x, camera_y = y, camera_z = z, camera_rot_x = pitch, camera_rot_y = yaw;
        glLoadIdentity();
        glRotatef(pitch, 1, 0, 0);
        glRotatef(yaw, 0, 1, 0);
        glTranslatef((float)x, (float)-z, (float)y);
    }
    // The sun at angle a (0 rising, pi / 2 at noon) for a camera at camera_x.
    static void sun_at(double a) { world_clock = (a * 20000 * 3.14 - camera_x) / 720; }
    static std::vector<unsigned char> read_back(int width, int height)
    {
        std::vector<unsigned char> rgb((size_t)width * height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        return rgb;
    }
    // The frame as the player sees it, rows bottom to top (the first frame sets the sky's clear colour).
    static std::vector<unsigned char> game_frame(int width, int height)
    {
        game = 1;
        glViewport(0, 0, width, height);
        for (int i = 0; i < 2; i++) {
            glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
            e_render();
        }
        return read_back(width, height);
    }
    // The same view on black in plain white light: what the pictures alone give (and the fog, if asked).
    template <typename F>
    static std::vector<unsigned char> plain_frame(int width, int height, F draw, bool fog = false)
    {
        glViewport(0, 0, width, height);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        look(camera_x, camera_y, camera_z, camera_rot_x, camera_rot_y);
        glDisable(GL_LIGHTING);
        fog ? glEnable(GL_FOG) : glDisable(GL_FOG);
        glColor3f(1, 1, 1);
        draw();
        return read_back(width, height);
    }
    // The chunks as the frame draws them: back faces culled.
    static void draw_chunks() { glEnable(GL_CULL_FACE), draw_buffs(), glDisable(GL_CULL_FACE); }
};
