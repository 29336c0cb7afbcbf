// c_math.h — the renderer's toolkit: TGA pictures as textures, the bitmap
// font, the wire outline of a block and the small box of a dropped block.
// Apart from binding their texture these never change GL state: the caller
// sets matrices, blending, depth test, line width and colour.
#pragma once
#include <GL/gl.h>

extern GLuint g_textures;   // block atlas
// The atlas's cells stacked into a strip one cell wide, cell n at t = n / 256;
// s repeats, so a quad several blocks long shows its picture once a block.
extern GLuint g_tiles;
extern GLuint back[4];      // menu pictures: background, logo, the two language pictures
extern GLuint font;
extern GLuint sun;

constexpr int PRINT_CENTRED = 1;   // f_print flag: centre the string on x

// Loads an uncompressed 24- or 32-bit TGA into a new texture stored in
// ids[index]; 1 on success. On failure no texture name is made.
int LoadGLTextures(int index, const char *path, GLuint *ids, int linear);
// Reads the block atlas once: the picture itself into *atlas_texture (the
// hot bar's icons), and cut into a strip one tile wide into g_tiles, whose s
// repeats along a long quad; 1 when both were made.
int load_block_atlas(const char *path, GLuint *atlas_texture);
void initfont(GLuint texture);
// Draws text with its first glyph's top-left corner at (x, y), y growing downward.
void f_print(int x, int y, int size, const char *text, int flags);
// Half the advance of n glyphs at size: how far centred text starts left of
// its centre, and where it ends to the right of it.
double text_half_width(int n, double size);
// Wire outline round the block centred at (x, y, z).
void draw_cube(float x, float y, float z);
// Textured box of block id, base centred at (x, y, z), turned by angle radians,
// each face with its own normal.
void draw_cube_filed(float x, float y, float z, float angle, float size, int id);
