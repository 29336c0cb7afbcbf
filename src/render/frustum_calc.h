// frustum_calc.h — the six planes of the current view volume and the
// conservative tests the chunk drawer culls with.
#pragma once

// Planes: right, left, bottom, top, far, near; each (a, b, c, d) with
// a x + b y + c z + d > 0 on the inner side, normalised to world units.
extern float m_Frustum[6][4];

// Recomputes the planes from GL's current projection and modelview matrices.
void CalculateFrustum();
// 0 when the cube of centre (x, y, z) and half-edge size lies wholly behind one plane.
int CubeInFrustum(float x, float y, float z, float size);
// 0 when the box from low to high (per axis) lies wholly behind one plane.
int BoxInFrustum(const float low[3], const float high[3]);
// 1 when the point lies strictly inside all six planes.
int PointInFrustum(float x, float y, float z);
void NormalizePlane(float frustum[6][4], int index);
