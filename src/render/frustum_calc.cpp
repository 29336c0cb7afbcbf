// frustum_calc.cpp — plane extraction from the combined view-projection matrix.
#include "render/frustum_calc.h"

#include <GL/gl.h>
#include <cmath>

float m_Frustum[6][4];

void NormalizePlane(float frustum[6][4], int index)
{
    float *p = frustum[index];
    float length = (float)sqrt(p[0] * p[0] + p[1] * p[1] + p[2] * p[2]);
    p[0] /= length;
    p[1] /= length;
    p[2] /= length;
    p[3] /= length;
}

// Plane = column 3 plus sign times column `column` of the combined matrix.
static void set_plane(int index, const float m[16], int column, float sign)
{
    for (int k = 0; k < 4; k++)
        m_Frustum[index][k] = m[4 * k + 3] + sign * m[4 * k + column];
    NormalizePlane(m_Frustum, index);
}

void CalculateFrustum()
{
    float proj[16], view[16], m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, proj);
    glGetFloatv(GL_MODELVIEW_MATRIX, view);
    for (int r = 0; r < 4; r++)
        for (int c = 0; c < 4; c++)
            m[4 * r + c] = view[4 * r + 0] * proj[c] + view[4 * r + 1] * proj[4 + c] +
                           view[4 * r + 2] * proj[8 + c] + view[4 * r + 3] * proj[12 + c];
    set_plane(0, m, 0, -1);   // right
    set_plane(1, m, 0, 1);    // left
    set_plane(2, m, 1, 1);    // bottom
    set_plane(3, m, 1, -1);   // top
    set_plane(4, m, 2, -1);   // far
    set_plane(5, m, 2, 1);    // near
}

static float plane_value(const float *p, float x, float y, float z)
{
    return p[0] * x + p[1] * y + p[2] * z + p[3];
}

int CubeInFrustum(float x, float y, float z, float size)
{
    for (int i = 0; i < 6; i++) {
        const float *p = m_Frustum[i];
        int inside = 0;
        for (int corner = 0; corner < 8 && !inside; corner++) {
            float cx = corner & 1 ? x + size : x - size;
            float cy = corner & 2 ? y + size : y - size;
            float cz = corner & 4 ? z + size : z - size;
            // A NaN compares false, so it counts as behind the plane.
            inside = plane_value(p, cx, cy, cz) > 0;
        }
        if (!inside)
            return 0;
    }
    return 1;
}

int BoxInFrustum(const float low[3], const float high[3])
{
    for (int i = 0; i < 6; i++) {
        const float *p = m_Frustum[i];
        // The corner farthest along the plane's normal is the last to leave it.
        float x = p[0] > 0 ? high[0] : low[0], y = p[1] > 0 ? high[1] : low[1], z = p[2] > 0 ? high[2] : low[2];
        if (!(plane_value(p, x, y, z) > 0))
            return 0;
    }
    return 1;
}

int PointInFrustum(float x, float y, float z)
{
    for (int i = 0; i < 6; i++)
        if (!(plane_value(m_Frustum[i], x, y, z) > 0))
            return 0;
    return 1;
}
