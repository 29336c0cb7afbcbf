// make_data.cpp — makes the pictures the game reads: the block atlas, the
// sun, the menu background, the logo, the two language pictures and the
// bitmap font. Everything is procedural or rasterised with FreeType from
// DejaVu Sans, with fixed seeds, so a run always gives the same bytes.
//
// Usage: make_data <data folder>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char *SANS = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
const char *SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// Pixels in stored order: row 0 is the first row of the file, which the game
// uploads as texture row t = 0 (the bottom of the picture).
struct image {
    int w, h;
    std::vector<uint8_t> rgba;
    uint8_t *at(int x, int y) { return &rgba[4 * ((size_t)y * w + x)]; }
};

image make_image(int w, int h)
{
    image img{w, h, std::vector<uint8_t>((size_t)w * h * 4, 0)};
    return img;
}

void put(image &img, int x, int y, int r, int g, int b, int a = 255)
{
    if (x < 0 || y < 0 || x >= img.w || y >= img.h)
        return;
    uint8_t *p = img.at(x, y);
    p[0] = (uint8_t)std::max(0, std::min(255, r));
    p[1] = (uint8_t)std::max(0, std::min(255, g));
    p[2] = (uint8_t)std::max(0, std::min(255, b));
    p[3] = (uint8_t)std::max(0, std::min(255, a));
}

// Uncompressed true-colour TGA, origin fields 0, bottom-left row order.
bool write_tga(const std::string &path, const image &img, bool alpha)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    uint8_t head[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                        (uint8_t)(img.w & 255), (uint8_t)(img.w >> 8), (uint8_t)(img.h & 255), (uint8_t)(img.h >> 8),
                        (uint8_t)(alpha ? 32 : 24), (uint8_t)(alpha ? 8 : 0)};
    fwrite(head, 1, sizeof head, f);
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
        uint8_t px[4] = {img.rgba[i + 2], img.rgba[i + 1], img.rgba[i], img.rgba[i + 3]};
        fwrite(px, 1, alpha ? 4 : 3, f);
    }
    return fclose(f) == 0;
}

// --- noise ---

uint32_t hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

double rnd(int x, int y, int seed)
{
    return (hash((uint32_t)x, (uint32_t)y, (uint32_t)seed) & 0xffff) / 65535.0;
}

// Value noise on a grid of `cells`, wrapping so the picture tiles seamlessly.
double periodic_noise(double x, double y, int cells, int seed)
{
    int x0 = (int)floor(x), y0 = (int)floor(y);
    double fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto v = [&](int ix, int iy) { return rnd(((ix % cells) + cells) % cells, ((iy % cells) + cells) % cells, seed); };
    double a = v(x0, y0) + (v(x0 + 1, y0) - v(x0, y0)) * fx;
    double b = v(x0, y0 + 1) + (v(x0 + 1, y0 + 1) - v(x0, y0 + 1)) * fx;
    return a + (b - a) * fy;
}

// --- block atlas: 16 x 16 cells of 16 pixels ---

const int CELL = 16;

void earth_pixel(image &img, int x, int y, int ox, int oy, int seed)
{
    double n = rnd(x, y, seed);
    int speck = rnd(x / 2, y / 2, seed + 1) > 0.85 ? -28 : 0;
    int d = (int)(n * 30) - 15 + speck;
    put(img, ox + x, oy + y, 134 + d, 96 + d, 67 + d);
}

void rock_pixel(image &img, int x, int y, int ox, int oy, int seed)
{
    // Cobbles: darker seams on a 4 x 4 grid with an offset on odd rows.
    int shift = (y / 5) % 2 ? 3 : 0;
    int seam = (y % 5 == 0) || ((x + shift) % 6 == 0);
    int d = (int)(rnd(x, y, seed) * 36) - 18 - (seam ? 34 : 0);
    put(img, ox + x, oy + y, 112 + d, 112 + d, 112 + d);
}

void grass_pixel(image &img, int x, int y, int ox, int oy, int seed)
{
    int d = (int)(rnd(x, y, seed) * 40) - 20;
    put(img, ox + x, oy + y, 95 + d / 2, 159 + d, 53 + d / 2);
}

// The first stored rows of a side cell are the top of the face: the green band.
void grass_side_pixel(image &img, int x, int y, int ox, int oy, int seed)
{
    int band = 3 + (rnd(x, 0, seed + 7) > 0.5 ? 1 : 0);
    if (y < band)
        grass_pixel(img, x, y, ox, oy, seed);
    else
        earth_pixel(img, x, y, ox, oy, seed);
}

image make_atlas()
{
    image img = make_image(16 * CELL, 16 * CELL);
    typedef void (*painter)(image &, int, int, int, int, int);
    const painter painters[4] = {earth_pixel, rock_pixel, grass_pixel, grass_side_pixel};
    for (int cy = 0; cy < 16; cy++)
        for (int cx = 0; cx < 16; cx++)
            for (int y = 0; y < CELL; y++)
                for (int x = 0; x < CELL; x++)
                    painters[cx % 4](img, x, y, cx * CELL, cy * CELL, 11 + cy * 16 + cx);
    return img;
}

// --- sun, background ---

image make_sun()
{
    image img = make_image(128, 128);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 128; x++) {
            double r = hypot(x - 63.5, y - 63.5) / 64.0;
            double core = r < 0.55 ? 1.0 : std::max(0.0, 1.0 - (r - 0.55) / 0.45);
            put(img, x, y, 255, 250, (int)(200 + 55 * core), (int)(255 * core * core));
        }
    return img;
}

image make_background()
{
    image img = make_image(256, 256);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) {
            double n = 0.55 * periodic_noise(x / 32.0, y / 32.0, 8, 3) + 0.3 * periodic_noise(x / 8.0, y / 8.0, 32, 4) +
                       0.15 * rnd(x, y, 5);
            int v = (int)(n * 70);
            put(img, x, y, 38 + v, 30 + v, 26 + (int)(v * 0.8));
        }
    return img;
}

// --- text with FreeType ---

struct font_face {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
};

bool open_font(font_face &f, const char *path)
{
    if (FT_Init_FreeType(&f.lib) || FT_New_Face(f.lib, path, 0, &f.face)) {
        fprintf(stderr, "cannot open the font %s\n", path);
        return false;
    }
    return true;
}

void close_font(font_face &f)
{
    FT_Done_Face(f.face);
    FT_Done_FreeType(f.lib);
}

// Coverage of one character, `top` measured downward from the top of the picture.
typedef void (*coverage_fn)(image &img, int x, int y_from_top, int coverage, void *ctx);

int draw_char(font_face &f, uint32_t code, int pen_x, int baseline, coverage_fn fn, image &img, void *ctx)
{
    if (FT_Load_Char(f.face, code, FT_LOAD_RENDER))
        return 0;
    FT_GlyphSlot g = f.face->glyph;
    for (unsigned r = 0; r < g->bitmap.rows; r++)
        for (unsigned c = 0; c < g->bitmap.width; c++) {
            int cov = g->bitmap.buffer[r * g->bitmap.pitch + c];
            if (cov)
                fn(img, pen_x + g->bitmap_left + (int)c, baseline - g->bitmap_top + (int)r, cov, ctx);
        }
    return (int)(g->advance.x >> 6);
}

// UTF-8 to code points, enough for the texts here.
std::vector<uint32_t> decode(const char *s)
{
    std::vector<uint32_t> out;
    for (const unsigned char *p = (const unsigned char *)s; *p;) {
        if (*p < 0x80) {
            out.push_back(*p++);
        } else if ((*p & 0xe0) == 0xc0 && p[1]) {
            out.push_back((uint32_t)(*p & 0x1f) << 6 | (p[1] & 0x3f));
            p += 2;
        } else {
            p++;
        }
    }
    return out;
}

int text_width(font_face &f, const std::vector<uint32_t> &text)
{
    int w = 0;
    for (uint32_t c : text)
        if (!FT_Load_Char(f.face, c, FT_LOAD_DEFAULT))
            w += (int)(f.face->glyph->advance.x >> 6);
    return w;
}

struct paint {
    int r, g, b;
};

// Writes into a mask in top-down rows; the caller composes it.
void to_mask(image &mask, int x, int y, int cov, void *)
{
    if (x < 0 || y < 0 || x >= mask.w || y >= mask.h)
        return;
    uint8_t *p = mask.at(x, y);
    p[3] = (uint8_t)std::max<int>(p[3], cov);
}

// Centred text with a dark outline over whatever the picture holds.
void stamp_text(image &img, const char *path, const char *utf8, int pixel_size, paint fill, bool fill_alpha)
{
    font_face f;
    if (!open_font(f, path))
        return;
    FT_Set_Pixel_Sizes(f.face, 0, (FT_UInt)pixel_size);
    std::vector<uint32_t> text = decode(utf8);
    image mask = make_image(img.w, img.h);
    int pen = (img.w - text_width(f, text)) / 2;
    int baseline = img.h / 2 + (int)(pixel_size * 0.36);
    for (uint32_t c : text)
        pen += draw_char(f, c, pen, baseline, to_mask, mask, nullptr);
    close_font(f);
    const int R = 3;
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            int ring = 0;
            for (int dy = -R; dy <= R; dy++)
                for (int dx = -R; dx <= R; dx++)
                    if (dx * dx + dy * dy <= R * R && x + dx >= 0 && y + dy >= 0 && x + dx < img.w && y + dy < img.h)
                        ring = std::max<int>(ring, mask.at(x + dx, y + dy)[3]);
            int cov = mask.at(x, y)[3];
            // Stored rows are bottom first; the mask is top first.
            uint8_t *p = img.at(x, img.h - 1 - y);
            double o = ring / 255.0, c = cov / 255.0;
            for (int k = 0; k < 3; k++) {
                double under = p[k] * (1 - o) + 30 * o;
                int colour = k == 0 ? fill.r : k == 1 ? fill.g : fill.b;
                p[k] = (uint8_t)(under * (1 - c) + colour * c);
            }
            if (fill_alpha)
                p[3] = (uint8_t)std::max<int>(p[3], ring);
        }
}

image make_logo()
{
    image img = make_image(512, 128);
    stamp_text(img, SANS_BOLD, "Quarrow", 96, {240, 226, 180}, true);
    return img;
}

// Three bands, top to bottom, in stored (bottom-first) rows.
image make_bands(paint top, paint middle, paint bottom)
{
    image img = make_image(256, 128);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 256; x++) {
            int from_top = 127 - y;
            paint p = from_top < 43 ? top : from_top < 86 ? middle : bottom;
            put(img, x, y, p.r, p.g, p.b);
        }
    return img;
}

image make_english()
{
    image img = make_image(256, 128);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 256; x++) {
            bool cross = abs(x - 128) < 14 || abs(y - 64) < 12;
            bool rim = abs(x - 128) < 22 || abs(y - 64) < 20;
            paint p = cross ? paint{200, 16, 46} : rim ? paint{255, 255, 255} : paint{1, 33, 105};
            put(img, x, y, p.r, p.g, p.b);
        }
    stamp_text(img, SANS_BOLD, "English", 40, {255, 255, 255}, false);
    return img;
}

image make_russian()
{
    image img = make_bands({255, 255, 255}, {0, 57, 166}, {213, 43, 30});
    stamp_text(img, SANS_BOLD, "Русский", 40, {255, 255, 255}, false);
    return img;
}

// --- bitmap font: 23 glyphs a row from '!', Windows-1251 above 127 ---

// Unicode of the Windows-1251 bytes 128 ... 191; 0 where the byte has no character.
const uint16_t CP1251_HIGH[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0,      0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

uint32_t cp1251_to_unicode(int code)
{
    if (code < 128)
        return (uint32_t)code;
    if (code >= 192)
        return 0x0410 + (uint32_t)(code - 192);   // А ... я
    return CP1251_HIGH[code - 128];
}

struct glyph_cell {
    int x0, x1, top;   // top row from the top of the picture
};

// White with coverage as alpha; rows counted from the top of the picture.
void to_font(image &img, int x, int y, int cov, void *ctx)
{
    const glyph_cell *cell = (const glyph_cell *)ctx;
    if (x <= cell->x0 || x >= cell->x1 - 1 || y < cell->top + 1 || y >= cell->top + 32)
        return;   // a margin keeps neighbours from bleeding into each other
    uint8_t *p = img.at(x, img.h - 1 - y);
    p[0] = p[1] = p[2] = 255;
    p[3] = (uint8_t)std::max<int>(p[3], cov);
}

image make_font()
{
    const int S = 512;
    image img = make_image(S, S);
    font_face f;
    if (!open_font(f, SANS))
        return img;
    FT_Set_Pixel_Sizes(f.face, 0, 26);
    // Narrower glyphs, so the widest letters still fit a cell of 1/23.2.
    FT_Matrix squeeze = {(FT_Fixed)(0.8 * 65536), 0, 0, 65536};
    FT_Set_Transform(f.face, &squeeze, nullptr);
    for (int code = 33; code < 256; code++) {
        uint32_t u = cp1251_to_unicode(code);
        if (!u || !FT_Get_Char_Index(f.face, u))
            continue;
        int g = code - 33;
        int row = g / 23, column = g % 23;
        glyph_cell cell;
        cell.x0 = (int)ceil(column * S / 23.15);
        cell.x1 = (int)floor(column * S / 23.15 + S / 23.2);
        cell.top = (int)ceil(row * S / 15.4);
        if (FT_Load_Char(f.face, u, FT_LOAD_DEFAULT))
            continue;
        int advance = (int)(f.face->glyph->metrics.horiAdvance >> 6);
        int pen = cell.x0 + std::max(1, (cell.x1 - cell.x0 - advance) / 2);
        draw_char(f, u, pen, cell.top + 25, to_font, img, &cell);
    }
    close_font(f);
    return img;
}

}  // namespace

int main(int argc, char **argv)
{
    std::string out = argc > 1 ? argv[1] : "data";
    bool ok = write_tga(out + "/world/standart/ground.tga", make_atlas(), false) &&
              write_tga(out + "/world/standart/sun.tga", make_sun(), true) &&
              write_tga(out + "/back.tga", make_background(), false) &&
              write_tga(out + "/qr.tga", make_logo(), true) &&
              write_tga(out + "/lang/rus.tga", make_russian(), false) &&
              write_tga(out + "/lang/eng.tga", make_english(), false) &&
              write_tga(out + "/font.tga", make_font(), true);
    return ok ? 0 : 1;
}
