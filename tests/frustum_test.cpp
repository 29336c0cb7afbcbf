// The view volume from GL's own matrices: what lies inside is kept, what lies
// past any of the six planes is culled.
#include "render/frustum_calc.h"

#include "gl_context.h"
#include "render/overlay.h"

#include <gtest/gtest.h>

namespace {

TEST(Frustum, CubesPastAnyPlaneAreCulled)
{
    ASSERT_TRUE(gl_context_open());
    e_set_projection();   // 45 degrees high, 4 : 3, from 0.01 to 1000
    glRotatef(180, 0, 1, 0);   // the eye looks along +z
    CalculateFrustum();
    // Eye coordinates (x right, y up, looking along -z); at z = -50 the edges
    // are at x = 27.6 and y = 20.7.
    const struct {
        float x, y, z;
        int in;
    } cubes[] = {{0, 0, -50, 1},  {20, 0, -50, 1},  {-20, 0, -50, 1}, {0, 15, -50, 1},  {0, -15, -50, 1},
                 {0, 0, -990, 1}, {40, 0, -50, 0},  {-40, 0, -50, 0}, {0, 30, -50, 0},  {0, -30, -50, 0},
                 {0, 0, -1010, 0}, {0, 0, 50, 0}};
    for (const auto &c : cubes)
        EXPECT_EQ(CubeInFrustum(-c.x, c.y, -c.z, 1), c.in) << c.x << "," << c.y << "," << c.z;
    glLoadIdentity();
}

}  // namespace
