// c_math.cpp — TGA loading, bitmap text and the two cube primitives.
#include "render/c_math.h"

#include "platform/platform.h"
#include "render/materials.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

GLuint g_textures;
GLuint g_tiles;
GLuint back[4];
GLuint font;
GLuint sun;

// --- TGA pictures ---

// Uncompressed true-colour, no image id, no colour map, origin 0, 0.
static const unsigned char TGA_TEMPLATE[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};

struct tga_image {
    int width, height, bytes_per_pixel;
    unsigned char *pixels;
};

static long bytes_left(FILE *f)
{
    long here = ftell(f);
    if (here < 0 || fseek(f, 0, SEEK_END) != 0)
        return -1;
    long end = ftell(f);
    if (fseek(f, here, SEEK_SET) != 0)
        return -1;
    return end - here;
}

static int read_tga_header(FILE *f, tga_image *img)
{
    unsigned char head[12], info[6];
    if (fread(head, 1, 12, f) != 12 || memcmp(head, TGA_TEMPLATE, 12) != 0)
        return 0;
    if (fread(info, 1, 6, f) != 6)
        return 0;
    img->width = info[0] + 256 * info[1];
    img->height = info[2] + 256 * info[3];
    int bits = info[4];
    if (img->width == 0 || img->height == 0 || (bits != 24 && bits != 32))
        return 0;
    img->bytes_per_pixel = bits / 8;
    return 1;
}

// Reads the pixels, refusing before allocating when the file is too short for them.
static int read_tga_pixels(FILE *f, tga_image *img)
{
    size_t size = (size_t)img->width * (size_t)img->height * (size_t)img->bytes_per_pixel;
    long left = bytes_left(f);
    if (left < 0 || (size_t)left < size)
        return 0;
    img->pixels = (unsigned char *)malloc(size);
    if (!img->pixels)
        return 0;
    if (fread(img->pixels, 1, size, f) != size) {
        free(img->pixels);
        img->pixels = nullptr;
        return 0;
    }
    // Stored blue-green-red(-alpha); GL wants red first.
    for (size_t i = 0; i < size; i += (size_t)img->bytes_per_pixel) {
        unsigned char t = img->pixels[i];
        img->pixels[i] = img->pixels[i + 2];
        img->pixels[i + 2] = t;
    }
    return 1;
}

static void upload_texture(const tga_image *img, GLuint *name, int linear)
{
    GLint filter = linear ? GL_LINEAR : GL_NEAREST;
    GLenum format = img->bytes_per_pixel == 4 ? GL_RGBA : GL_RGB;
    glGenTextures(1, name);
    glBindTexture(GL_TEXTURE_2D, *name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    // Rows are 3 bytes a pixel for 24-bit pictures: no row padding.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, (GLint)format, img->width, img->height, 0, format,
                 GL_UNSIGNED_BYTE, img->pixels);
}

static int read_tga(const char *path, tga_image *img)
{
    FILE *f = plat_open_regular(path);
    if (!f) {
        printf("picture not found %s \n", path);
        return 0;
    }
    int ok = read_tga_header(f, img) && read_tga_pixels(f, img);
    fclose(f);
    if (!ok)
        printf("picture not readable %s \n", path);
    return ok;
}

int LoadGLTextures(int index, const char *path, GLuint *ids, int linear)
{
    tga_image img = {0, 0, 0, nullptr};
    if (!read_tga(path, &img))
        return 0;
    upload_texture(&img, &ids[index], linear);
    free(img.pixels);
    return 1;
}

// Cell n of the atlas (row n / 16, column n % 16) becomes rows n * cell height
// of the strip, its texels in the same places.
static int cut_into_strip(const tga_image *atlas, tga_image *strip)
{
    int cw = atlas->width / ATLAS_EDGE, ch = atlas->height / ATLAS_EDGE;
    if (cw == 0 || ch == 0)
        return 0;
    int bpp = atlas->bytes_per_pixel;
    *strip = {cw, ch * ATLAS_TILES, bpp, nullptr};
    strip->pixels = (unsigned char *)malloc((size_t)cw * ch * ATLAS_TILES * bpp);
    if (!strip->pixels)
        return 0;
    size_t row_bytes = (size_t)cw * bpp;
    for (int n = 0; n < ATLAS_TILES; n++)
        for (int y = 0; y < ch; y++) {
            int ay = (n / ATLAS_EDGE) * ch + y, ax = (n % ATLAS_EDGE) * cw;
            memcpy(strip->pixels + ((size_t)n * ch + y) * row_bytes,
                   atlas->pixels + ((size_t)ay * atlas->width + ax) * bpp, row_bytes);
        }
    return 1;
}

int load_block_atlas(const char *path, GLuint *atlas_texture)
{
    tga_image atlas = {0, 0, 0, nullptr}, strip = {0, 0, 0, nullptr};
    if (!read_tga(path, &atlas))
        return 0;
    upload_texture(&atlas, atlas_texture, 0);
    int ok = cut_into_strip(&atlas, &strip);
    if (ok) {
        upload_texture(&strip, &g_tiles, 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    }
    free(atlas.pixels);
    free(strip.pixels);
    return ok;
}

// --- bitmap font: 23 glyphs a row from '!', row 0 at the top of the picture ---

void initfont(GLuint texture)
{
    font = texture;
}

static void emit_glyph(int code, int x, int y, int size)
{
    int glyph = code - 33;
    int row = glyph / 23;
    int column = glyph % 23;
    double u0 = column * (1 / 23.15);
    double u1 = u0 + 1 / 23.2;
    double v_top = 1.0 - row * (1 / 15.4);
    float bottom = (float)(y + 1.6 * size);
    glTexCoord2d(u0, v_top - 1 / 15.4);
    glVertex2f((float)x, bottom);
    glTexCoord2d(u1, v_top - 1 / 15.5);
    glVertex2f((float)(x + size), bottom);
    glTexCoord2d(u1, v_top);
    glVertex2f((float)(x + size), (float)y);
    glTexCoord2d(u0, v_top);
    glVertex2f((float)x, (float)y);
}

double text_half_width(int n, double size)
{
    return n * size * 0.4;
}

void f_print(int x, int y, int size, const char *text, int flags)
{
    int pen_x = x, pen_y = y;
    if (flags & PRINT_CENTRED)
        pen_x = (int)(x - text_half_width((int)strlen(text), size));
    glBindTexture(GL_TEXTURE_2D, font);
    glBegin(GL_QUADS);
    for (const unsigned char *p = (const unsigned char *)text; *p; p++) {
        if (*p == '\n') {
            pen_y = (int)(pen_y + 1.7 * size);
            pen_x = x;
            continue;
        }
        // Space and the other control codes have no glyph in the grid.
        if (*p > 32)
            emit_glyph(*p, pen_x, pen_y, size);
        pen_x = (int)(pen_x + 0.8 * size);
    }
    glEnd();
}

// --- block outline ---

static void ring(float x, float z, float a, float y1, float y2)
{
    glBegin(GL_LINE_LOOP);
    glVertex3f(x - a, y1, z + a);
    glVertex3f(x + a, y1, z + a);
    glVertex3f(x + a, y1, z - a);
    glVertex3f(x - a, y1, z - a);
    glVertex3f(x - a, y2, z + a);
    glVertex3f(x + a, y2, z + a);
    glVertex3f(x + a, y2, z - a);
    glVertex3f(x - a, y2, z - a);
    glEnd();
}

static void edge(float x, float z, float y, float a, float b)
{
    glBegin(GL_LINE_LOOP);
    glVertex3f(x, y + a, z);
    glVertex3f(x, y - a, z);
    glVertex3f(x, y - b, z);
    glVertex3f(x, y + b, z);
    glEnd();
}

void draw_cube(float x, float y, float z)
{
    // Just outside the faces, and each horizontal edge twice, so it never z-fights.
    const float a = 0.502f, b = 0.498f;
    ring(x, z, a, y - a, y - b);
    ring(x, z, a, y + a, y + b);
    edge(x + a, z + a, y, a, b);
    edge(x - a, z + a, y, a, b);
    edge(x + a, z - a, y, a, b);
    edge(x - a, z - a, y, a, b);
}

// --- dropped-block box ---

struct corner {
    float x, z;
};

static void box_vertex(corner c, float y, float u, float v)
{
    glTexCoord2f(u, v);
    glVertex3f(c.x, y, c.z);
}

// A side's lower edge takes v + d and its upper edge v, as on the chunk meshes.
// Its normal points out from the box's axis through the side's middle, so the
// box is lit like the blocks round it.
static void box_side(corner centre, corner p, corner q, float low, float high, float su, float sv)
{
    const float d = ATLAS_CELL;
    float nx = 0.5f * (p.x + q.x) - centre.x, nz = 0.5f * (p.z + q.z) - centre.z;
    float length = sqrtf(nx * nx + nz * nz);
    glNormal3f(nx / length, 0, nz / length);
    box_vertex(p, low, su + d, sv + d);
    box_vertex(q, low, su, sv + d);
    box_vertex(q, high, su, sv);
    box_vertex(p, high, su + d, sv);
}

static void box_cap(const corner c[4], float y, float up, float u, float v)
{
    const float d = ATLAS_CELL;
    glNormal3f(0, up, 0);
    box_vertex(c[0], y, u, v);
    box_vertex(c[1], y, u + d, v);
    box_vertex(c[2], y, u + d, v + d);
    box_vertex(c[3], y, u, v + d);
}

void draw_cube_filed(float x, float y, float z, float angle, float size, int id)
{
    if (id < 0 || id >= TEXTURED_IDS)
        return;
    const block_tex *t = &texes[id];
    double h = 0.5 * size;
    double s = sin(angle), c = cos(angle);
    corner abcd[4] = {
        {(float)(x - h * c), (float)(z + h * s)},
        {(float)(x + h * s), (float)(z + h * c)},
        {(float)(x + h * c), (float)(z - h * s)},
        {(float)(x - h * s), (float)(z - h * c)},
    };
    float lid = (float)(y + 1.5 * h);
    glBegin(GL_QUADS);
    const corner centre = {x, z};
    box_cap(abcd, y, -1, t->bottom_u, t->bottom_v);
    box_cap(abcd, lid, 1, t->top_u, t->top_v);
    box_side(centre, abcd[3], abcd[2], y, lid, t->side_u, t->side_v);
    box_side(centre, abcd[1], abcd[0], y, lid, t->side_u, t->side_v);
    box_side(centre, abcd[1], abcd[2], y, lid, t->side_u, t->side_v);
    box_side(centre, abcd[3], abcd[0], y, lid, t->side_u, t->side_v);
    glEnd();
}
