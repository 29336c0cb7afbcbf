// make_icon.cpp — draws the menu icon, a grass block seen from above at an
// angle, from the game's own block atlas, and writes it as a PNG.
// Usage: make_icon ground.tga icon.png
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

static const int ATLAS_EDGE = 256;   // the atlas: 16 x 16 cells of 16 pixels
static const int CELL = 16;
static const int GRASS_TOP_COLUMN = 2;
static const int GRASS_SIDE_COLUMN = 3;
static const int ICON = 64;

static unsigned char atlas[ATLAS_EDGE * ATLAS_EDGE * 3];   // BGR, rows as stored
static unsigned char icon[ICON * ICON * 4];                  // RGBA, rows top to bottom

static int read_atlas(const char *path)
{
    FILE *f = fopen(path, "rb");
    if (!f)
        return 0;
    unsigned char h[18];
    int ok = fread(h, 1, sizeof h, f) == sizeof h && h[2] == 2 && h[16] == 24 &&
             (h[12] | h[13] << 8) == ATLAS_EDGE && (h[14] | h[15] << 8) == ATLAS_EDGE &&
             fseek(f, 18 + h[0], SEEK_SET) == 0 && fread(atlas, 1, sizeof atlas, f) == sizeof atlas;
    fclose(f);
    return ok;
}

// A texel of row-0 atlas cell `column` at (u, v) in [0, 1); the game maps the
// first stored row of a cell to the top edge of a side face, and so does this.
static const unsigned char *texel(int column, double u, double v)
{
    int x = column * CELL + (int)(u * CELL);
    int y = (int)(v * CELL);
    return &atlas[3 * (y * ATLAS_EDGE + x)];
}

// Solves p = origin + a * e1 + b * e2 for (a, b); true when p lies on the face.
static bool on_face(double px, double py, const double o[2], const double e1[2], const double e2[2],
                    double *a, double *b)
{
    double det = e1[0] * e2[1] - e1[1] * e2[0];
    double dx = px - o[0], dy = py - o[1];
    *a = (dx * e2[1] - dy * e2[0]) / det;
    *b = (e1[0] * dy - e1[1] * dx) / det;
    return *a >= 0 && *a < 1 && *b >= 0 && *b < 1;
}

// Three faces of an isometric cube filling the icon: the top lit fully, the
// left and right sides in shade.
static void draw_block()
{
    const double half_w = 30, half_h = 16, edge = 32, left = ICON / 2 - half_w;
    const double top_o[2] = {ICON / 2, 0}, top_e1[2] = {half_w, half_h}, top_e2[2] = {-half_w, half_h};
    const double left_o[2] = {left, half_h}, left_e1[2] = {half_w, half_h}, down[2] = {0, edge};
    const double right_o[2] = {ICON / 2, 2 * half_h}, right_e1[2] = {half_w, -half_h};
    for (int y = 0; y < ICON; y++)
        for (int x = 0; x < ICON; x++) {
            double px = x + 0.5, py = y + 0.5, a, b, shade = 0;
            const unsigned char *t = nullptr;
            if (on_face(px, py, top_o, top_e1, top_e2, &a, &b))
                t = texel(GRASS_TOP_COLUMN, a, b), shade = 1.0;
            else if (on_face(px, py, left_o, left_e1, down, &a, &b))
                t = texel(GRASS_SIDE_COLUMN, a, b), shade = 0.8;
            else if (on_face(px, py, right_o, right_e1, down, &a, &b))
                t = texel(GRASS_SIDE_COLUMN, a, b), shade = 0.6;
            unsigned char *p = &icon[4 * (y * ICON + x)];
            if (!t)
                continue;
            p[0] = (unsigned char)lround(t[2] * shade);
            p[1] = (unsigned char)lround(t[1] * shade);
            p[2] = (unsigned char)lround(t[0] * shade);
            p[3] = 255;
        }
}

// --- PNG: one IDAT of stored (uncompressed) deflate blocks, so no library is needed ---

static uint32_t crc_table[256];

static void make_crc_table()
{
    for (uint32_t n = 0; n < 256; n++) {
        uint32_t c = n;
        for (int k = 0; k < 8; k++)
            c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
        crc_table[n] = c;
    }
}

static void put32(unsigned char *p, uint32_t v)
{
    p[0] = (unsigned char)(v >> 24), p[1] = (unsigned char)(v >> 16);
    p[2] = (unsigned char)(v >> 8), p[3] = (unsigned char)v;
}

static int write_chunk(FILE *f, const char *type, const unsigned char *data, uint32_t size)
{
    unsigned char len[4], crc_bytes[4];
    put32(len, size);
    uint32_t crc = 0xffffffffu;
    for (int i = 0; i < 4; i++)
        crc = crc_table[(crc ^ (unsigned char)type[i]) & 0xff] ^ (crc >> 8);
    for (uint32_t i = 0; i < size; i++)
        crc = crc_table[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
    put32(crc_bytes, crc ^ 0xffffffffu);
    return fwrite(len, 1, 4, f) == 4 && fwrite(type, 1, 4, f) == 4 && fwrite(data, 1, size, f) == size &&
           fwrite(crc_bytes, 1, 4, f) == 4;
}

static const int ROW = 1 + ICON * 4;        // filter byte, then RGBA
static const int RAW = ICON * ROW;          // fits one stored block (at most 65535 bytes)
static unsigned char raw[RAW];
static unsigned char zlib[2 + 5 + RAW + 4];

static int write_png(const char *path)
{
    for (int y = 0; y < ICON; y++) {
        raw[y * ROW] = 0;
        memcpy(&raw[y * ROW + 1], &icon[y * ICON * 4], ICON * 4);
    }
    uint32_t s1 = 1, s2 = 0;
    for (int i = 0; i < RAW; i++) {
        s1 = (s1 + raw[i]) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    unsigned char *z = zlib;
    *z++ = 0x78, *z++ = 0x01;                              // deflate, 32K window
    *z++ = 1;                                              // the last block, stored
    *z++ = RAW & 0xff, *z++ = RAW >> 8;
    *z++ = ~RAW & 0xff, *z++ = (~RAW >> 8) & 0xff;
    memcpy(z, raw, RAW);
    put32(z + RAW, s2 << 16 | s1);
    unsigned char ihdr[13] = {0};
    put32(ihdr, ICON);
    put32(ihdr + 4, ICON);
    ihdr[8] = 8;                                           // bits a sample
    ihdr[9] = 6;                                           // RGBA
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    FILE *f = fopen(path, "wb");
    if (!f)
        return 0;
    make_crc_table();
    int ok = fwrite(signature, 1, 8, f) == 8 && write_chunk(f, "IHDR", ihdr, sizeof ihdr) &&
             write_chunk(f, "IDAT", zlib, sizeof zlib) && write_chunk(f, "IEND", ihdr, 0);
    return fclose(f) == 0 && ok;
}

int main(int argc, char **argv)
{
    if (argc != 3) {
        fprintf(stderr, "usage: make_icon ground.tga icon.png\n");
        return 2;
    }
    if (!read_atlas(argv[1])) {
        fprintf(stderr, "make_icon: %s is not the 256 x 256 block atlas\n", argv[1]);
        return 1;
    }
    draw_block();
    if (!write_png(argv[2])) {
        fprintf(stderr, "make_icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
