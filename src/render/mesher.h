// mesher.h — turns a held chunk into quads for the faces of its opaque blocks
// that touch something not opaque.
#pragma once

constexpr int MESH_QUAD_LIMIT = 19980;   // meshing stops past this; a block adds at most 6

// The faces of a block, in the order they are tested; as facings of a mesh
// (cube_slot), -Y, +Y, -Z, +Z, -X, +X in render space.
enum { FACE_BOTTOM, FACE_TOP, FACE_LY_MINUS, FACE_LY_PLUS, FACE_LX_MINUS, FACE_LX_PLUS };

// Rebuilds the mesh of chunk (cx, cy, level), which must be held and loaded,
// into its mesh buffers, sized to the quads it needs. Equal neighbouring faces
// become one quad whose texture repeats: its s runs 0 ... blocks, its t picks
// the tile in the tile strip. Across the world's horizontal seam it looks at
// the chunk on the far side; levels below 0 and above 9 count as absent.
// 0 when a buffer could not be had (reported; the chunk then draws nothing).
int create_polygons(int cx, int cy, int level);
// 1 when block id is drawn as an opaque cube; ids outside the tables are air.
int block_is_solid(int id);
// Rebuilds the mesh of chunk (cx, cy, level) when it is held and loaded; the
// columns are wrapped once, so a position one step past the seam is fine.
void remesh_if_held(int cx, int cy, int level);
// The neighbour that faces of kind `face` (a facing, see cube_slot) of chunk
// (cx, cy, level) look into has just been built: only those faces on that
// border can have changed, and they are added to the mesh. Wraps like
// remesh_if_held; nothing when the chunk is not held.
void mesh_faces_toward(int cx, int cy, int level, int face);
