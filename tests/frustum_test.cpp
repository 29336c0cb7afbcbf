// View-frustum tests with planes set by hand.
#include "render/frustum_calc.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// The box -10 < x, y, z < 10 as six planes.
void box_planes()
{
    const float planes[6][4] = {{-1, 0, 0, 10}, {1, 0, 0, 10}, {0, 1, 0, 10},
                                {0, -1, 0, 10}, {0, 0, -1, 10}, {0, 0, 1, 10}};
    memcpy(m_Frustum, planes, sizeof planes);
}

TEST(Frustum, NeverComputedPlanesRejectEverything)
{
    memset(m_Frustum, 0, sizeof m_Frustum);
    EXPECT_EQ(CubeInFrustum(0, 0, 0, 1000), 0);
    EXPECT_EQ(PointInFrustum(0, 0, 0), 0);
}

TEST(Frustum, CubesOnPlanesAndBeyondCorners)
{
    box_planes();
    EXPECT_EQ(CubeInFrustum(0, 0, 0, 1), 1);
    // Nearest corner exactly on the right plane: value 0 is behind.
    EXPECT_EQ(CubeInFrustum(11, 0, 0, 1), 0);
    EXPECT_EQ(CubeInFrustum(10.5f, 0, 0, 1), 1);
    // Beyond the corner where two planes meet, behind neither alone: accepted.
    EXPECT_EQ(CubeInFrustum(14, 14, 0, 5), 1);
    EXPECT_EQ(CubeInFrustum(16, 16, 0, 5), 0);
    // A cube holding the whole volume.
    EXPECT_EQ(CubeInFrustum(0, 0, 0, 100), 1);
    EXPECT_EQ(PointInFrustum(10, 0, 0), 0);
    EXPECT_EQ(PointInFrustum(9.9f, -9.9f, 9.9f), 1);
}

TEST(Frustum, NormalisedPlanesGiveDistances)
{
    float planes[6][4] = {{0, 3, 4, 10}};
    NormalizePlane(planes, 0);
    EXPECT_FLOAT_EQ(planes[0][1], 0.6f);
    EXPECT_FLOAT_EQ(planes[0][2], 0.8f);
    EXPECT_FLOAT_EQ(planes[0][3], 2.0f);
}

}  // namespace
