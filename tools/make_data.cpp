// make_data.cpp — makes the pictures the game reads: the block atlas, the
// sun, the menu background, the logo, the two language pictures and the
// bitmap font. Everything is procedural or rasterised with FreeType from
// DejaVu Sans Bold, with fixed seeds, so a run always gives the same bytes.
//
// Usage: make_data [data folder]        writes the pictures (default "data")
//        make_data --check [data folder] reads them back and checks headers
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

static const char *SANS_BOLD = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";

// RGBA pixels in stored order: row 0 is the first row of the file, which the
// game uploads as texture row v = 0, the bottom of the picture.
struct image {
    int w, h;
    std::vector<uint8_t> rgba;
};

struct colour {
    double r, g, b;
};

static image make_image(int w, int h)
{
    return image{w, h, std::vector<uint8_t>((size_t)w * h * 4, 0)};
}

static uint8_t *pixel(image &img, int x, int y)
{
    return &img.rgba[4 * ((size_t)y * img.w + x)];
}

static uint8_t clamp_byte(double v)
{
    return (uint8_t)std::max(0.0, std::min(255.0, std::round(v)));
}

static void put(image &img, int x, int y, colour c, double a = 255)
{
    uint8_t *p = pixel(img, x, y);
    p[0] = clamp_byte(c.r);
    p[1] = clamp_byte(c.g);
    p[2] = clamp_byte(c.b);
    p[3] = clamp_byte(a);
}

// Paints `c` with opacity `a` (0..1) over a pixel addressed from the TOP of
// the picture, as text is laid out. Keeps straight (non-premultiplied) alpha.
static void blend_top(image &img, int x, int y_top, colour c, double a)
{
    if (a <= 0 || x < 0 || y_top < 0 || x >= img.w || y_top >= img.h)
        return;
    uint8_t *p = pixel(img, x, img.h - 1 - y_top);
    double below = p[3] / 255.0;
    double out = a + below * (1 - a);
    const double src[3] = {c.r, c.g, c.b};
    for (int k = 0; k < 3; k++)
        p[k] = clamp_byte((src[k] * a + p[k] * below * (1 - a)) / out);
    p[3] = clamp_byte(out * 255);
}

// Uncompressed true-colour TGA: fixed 12-byte head, origin 0, bottom row first.
static bool write_tga(const std::string &path, const image &img, bool alpha)
{
    FILE *f = fopen(path.c_str(), "wb");
    if (!f) {
        fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    const uint8_t head[18] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                              (uint8_t)(img.w & 255), (uint8_t)(img.w >> 8),
                              (uint8_t)(img.h & 255), (uint8_t)(img.h >> 8),
                              (uint8_t)(alpha ? 32 : 24), (uint8_t)(alpha ? 8 : 0)};
    std::vector<uint8_t> body;
    body.reserve(img.rgba.size());
    for (size_t i = 0; i < img.rgba.size(); i += 4) {
        const uint8_t bgra[4] = {img.rgba[i + 2], img.rgba[i + 1], img.rgba[i], img.rgba[i + 3]};
        body.insert(body.end(), bgra, bgra + (alpha ? 4 : 3));
    }
    bool ok = fwrite(head, 1, sizeof head, f) == sizeof head &&
              fwrite(body.data(), 1, body.size(), f) == body.size();
    return fclose(f) == 0 && ok;
}

// --- noise: integer hashing, so results do not depend on a library's rand() ---

static uint32_t hash3(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

static double rnd(int x, int y, int seed)
{
    return (hash3((uint32_t)x, (uint32_t)y, (uint32_t)seed) & 0xffff) / 65535.0;
}

static int wrap(int i, int n)
{
    return ((i % n) + n) % n;
}

// Smooth value noise on a lattice of `cells` a side that wraps around, so a
// picture made of it tiles without seams.
static double periodic_noise(double x, double y, int cells, int seed)
{
    int x0 = (int)std::floor(x), y0 = (int)std::floor(y);
    double fx = x - x0, fy = y - y0;
    fx = fx * fx * (3 - 2 * fx);
    fy = fy * fy * (3 - 2 * fy);
    auto v = [&](int ix, int iy) { return rnd(wrap(ix, cells), wrap(iy, cells), seed); };
    double a = v(x0, y0) + (v(x0 + 1, y0) - v(x0, y0)) * fx;
    double b = v(x0, y0 + 1) + (v(x0 + 1, y0 + 1) - v(x0, y0 + 1)) * fx;
    return a + (b - a) * fy;
}

struct cobble {
    double seam;    // 0 on a joint between stones, growing towards a stone's middle
    double tone;    // one random value per stone, 0..1
};

// Cell (Worley) noise with one jittered point per lattice cell, wrapping with
// period `cells`: each point owns a stone; F2 - F1 is small along the joints.
static cobble cobbles(double x, double y, int cells, int seed)
{
    int cx = (int)std::floor(x), cy = (int)std::floor(y);
    double f1 = 1e9, f2 = 1e9;
    int owner = 0;
    for (int dy = -2; dy <= 2; dy++)
        for (int dx = -2; dx <= 2; dx++) {
            int gx = wrap(cx + dx, cells), gy = wrap(cy + dy, cells);
            double px = cx + dx + 0.15 + 0.7 * rnd(gx, gy, seed);
            double py = cy + dy + 0.15 + 0.7 * rnd(gx, gy, seed + 1);
            double d = std::hypot(x - px, y - py);
            if (d < f1) {
                f2 = f1;
                f1 = d;
                owner = gy * cells + gx;
            } else if (d < f2) {
                f2 = d;
            }
        }
    return cobble{f2 - f1, rnd(owner, 0, seed + 2)};
}

// --- block atlas: 16 x 16 cells of 16 pixels ---

static const int CELL = 16;

typedef colour (*texel_fn)(int x, int y, int seed);

static colour earth_texel(int x, int y, int seed)
{
    double d = (rnd(x, y, seed) - 0.5) * 26;
    double clump = (periodic_noise(x / 4.0, y / 4.0, 4, seed + 3) - 0.5) * 24;
    double speck = rnd(x, y, seed + 1);
    if (speck > 0.93)
        d -= 40;   // dark grains
    else if (speck < 0.04)
        d += 30;   // pale pebbles
    return colour{134 + d + clump, 96 + d * 0.8 + clump * 0.8, 67 + d * 0.6 + clump * 0.6};
}

static colour rock_texel(int x, int y, int seed)
{
    cobble c = cobbles((x + 0.5) / 5.333, (y + 0.5) / 5.333, 3, seed);
    double v = 104 + (c.tone - 0.5) * 36 + (rnd(x, y, seed + 5) - 0.5) * 22;
    if (c.seam < 0.16)
        v -= 42;   // mortar between stones
    else if (c.seam < 0.3)
        v -= 14;
    return colour{v, v, v};
}

static colour grass_texel(int x, int y, int seed)
{
    double d = (rnd(x, y, seed) - 0.5) * 36;
    double patch = (periodic_noise(x / 4.0, y / 4.0, 4, seed + 4) - 0.5) * 22;
    if (rnd(x, y, seed + 2) > 0.9)
        d += 26;   // light blade tips
    return colour{95 + d * 0.5 + patch * 0.4, 159 + d + patch, 53 + d * 0.4 + patch * 0.3};
}

// Side faces map the first stored row of a cell to the top edge of the face,
// so the grass hangs down from row 0 with a ragged lower edge.
static colour grass_side_texel(int x, int y, int seed)
{
    int band = 3 + (int)(rnd(x, 0, seed + 7) * 3);   // 3 to 5 rows of grass
    if (y < band)
        return grass_texel(x, y, seed);
    colour c = earth_texel(x, y, seed);
    if (y == band)   // shade just under the turf
        c = colour{c.r - 22, c.g - 18, c.b - 14};
    return c;
}

// Shifts a cell so its mean is `want`: from afar a block reads as its mean.
static void set_cell_mean(image &img, int ox, int oy, colour want)
{
    double sum[3] = {0, 0, 0};
    for (int y = 0; y < CELL; y++)
        for (int x = 0; x < CELL; x++)
            for (int k = 0; k < 3; k++)
                sum[k] += pixel(img, ox + x, oy + y)[k];
    const double target[3] = {want.r, want.g, want.b};
    for (int y = 0; y < CELL; y++)
        for (int x = 0; x < CELL; x++)
            for (int k = 0; k < 3; k++) {
                uint8_t *p = pixel(img, ox + x, oy + y);
                p[k] = clamp_byte(p[k] + target[k] - sum[k] / (CELL * CELL));
            }
}

// Row v = 0 holds earth, rock, grass top and grass side; the other cells repeat
// those four as variants with other seeds so no cell is left undefined.
static image make_atlas()
{
    const texel_fn painters[4] = {earth_texel, rock_texel, grass_texel, grass_side_texel};
    const colour means[3] = {{134, 96, 67}, {110, 110, 110}, {95, 159, 53}};
    image img = make_image(16 * CELL, 16 * CELL);
    for (int cy = 0; cy < 16; cy++)
        for (int cx = 0; cx < 16; cx++) {
            int kind = cx % 4, seed = 11 + cy * 16 + cx;
            for (int y = 0; y < CELL; y++)
                for (int x = 0; x < CELL; x++)
                    put(img, cx * CELL + x, cy * CELL + y, painters[kind](x, y, seed));
            if (kind < 3)
                set_cell_mean(img, cx * CELL, cy * CELL, means[kind]);
        }
    return img;
}

// --- sun and menu background ---

static image make_sun()
{
    image img = make_image(128, 128);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 128; x++) {
            double r = std::hypot(x - 63.5, y - 63.5) / 64.0;   // 1 at the edge
            double core = r < 0.45 ? 1.0 : std::max(0.0, 1.0 - (r - 0.45) / 0.55);
            double a = core * core * (3 - 2 * core);   // smooth fall to 0 at r = 1
            put(img, x, y, colour{255, 238 + 17 * core, 150 + 95 * core}, 255 * a);
        }
    return img;
}

// Dark cobbled stone: every ingredient wraps at 256 px, so it tiles seamlessly.
static image make_background()
{
    image img = make_image(256, 256);
    for (int y = 0; y < 256; y++)
        for (int x = 0; x < 256; x++) {
            cobble c = cobbles(x / 16.0, y / 16.0, 16, 21);
            double cloud = periodic_noise(x / 16.0, y / 16.0, 16, 22);
            double grain = rnd(x, y, 23);
            double v = 28 + 18 * c.tone + 14 * cloud + 8 * grain;
            v *= std::min(1.0, 0.35 + c.seam * 3.0);   // dark joints, soft edges
            put(img, x, y, colour{v * 1.08, v * 0.98, v * 0.86});
        }
    return img;
}

// --- text with FreeType ---

static FT_Library g_ft = nullptr;

static FT_Face open_face(const char *path)
{
    FT_Face face = nullptr;
    if (FT_New_Face(g_ft, path, 0, &face)) {
        fprintf(stderr, "cannot open the font %s\n", path);
        return nullptr;
    }
    return face;
}

// UTF-8 to code points (up to three bytes, enough for the texts here).
static std::vector<uint32_t> decode_utf8(const char *s)
{
    std::vector<uint32_t> out;
    for (const unsigned char *p = (const unsigned char *)s; *p;) {
        if (*p < 0x80) {
            out.push_back(*p++);
        } else if ((*p & 0xe0) == 0xc0 && p[1]) {
            out.push_back((uint32_t)(*p & 0x1f) << 6 | (p[1] & 0x3f));
            p += 2;
        } else if ((*p & 0xf0) == 0xe0 && p[1] && p[2]) {
            out.push_back((uint32_t)(*p & 0x0f) << 12 | (uint32_t)(p[1] & 0x3f) << 6 | (p[2] & 0x3f));
            p += 3;
        } else {
            p++;
        }
    }
    return out;
}

// A coverage mask the size of the picture, rows counted from the top.
struct mask {
    int w, h;
    std::vector<uint8_t> v;
};

static int mask_at(const mask &m, int x, int y)
{
    return x < 0 || y < 0 || x >= m.w || y >= m.h ? 0 : m.v[(size_t)y * m.w + x];
}

// Copies the glyph just rendered into the slot onto the mask at the pen.
static void stamp_glyph(mask &m, FT_GlyphSlot g, int pen_x, int baseline)
{
    for (unsigned r = 0; r < g->bitmap.rows; r++)
        for (unsigned c = 0; c < g->bitmap.width; c++) {
            int x = pen_x + g->bitmap_left + (int)c, y = baseline - g->bitmap_top + (int)r;
            if (x >= 0 && y >= 0 && x < m.w && y < m.h) {
                uint8_t &dst = m.v[(size_t)y * m.w + x];
                dst = std::max(dst, g->bitmap.buffer[r * g->bitmap.pitch + c]);
            }
        }
}

// One line of text centred in a w x h mask, baseline set from the cap height.
static mask text_mask(FT_Face face, const char *utf8, int pixel_size, int w, int h)
{
    mask m{w, h, std::vector<uint8_t>((size_t)w * h, 0)};
    FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixel_size);
    std::vector<uint32_t> text = decode_utf8(utf8);
    int width = 0;
    for (uint32_t c : text)
        if (!FT_Load_Char(face, c, FT_LOAD_DEFAULT))
            width += (int)(face->glyph->advance.x >> 6);
    int pen = (w - width) / 2;
    int baseline = h / 2 + (int)(pixel_size * 0.36);   // about half the cap height
    for (uint32_t c : text)
        if (!FT_Load_Char(face, c, FT_LOAD_RENDER)) {
            stamp_glyph(m, face->glyph, pen, baseline);
            pen += (int)(face->glyph->advance.x >> 6);
        }
    return m;
}

// Largest coverage within `radius` of a pixel: the text grown into an outline.
static mask dilate(const mask &m, int radius)
{
    mask out{m.w, m.h, std::vector<uint8_t>(m.v.size(), 0)};
    for (int y = 0; y < m.h; y++)
        for (int x = 0; x < m.w; x++) {
            int best = 0;
            for (int dy = -radius; dy <= radius; dy++)
                for (int dx = -radius; dx <= radius; dx++)
                    if (dx * dx + dy * dy <= radius * radius + radius)
                        best = std::max(best, mask_at(m, x + dx, y + dy));
            out.v[(size_t)y * m.w + x] = (uint8_t)best;
        }
    return out;
}

// Draws text with a soft drop shadow and a dark outline over the picture; the
// fill gets lighter towards the top of the letters.
static void draw_text(image &img, const char *font, const char *utf8, int pixel_size, colour fill, int outline)
{
    FT_Face face = open_face(font);
    if (!face)
        return;
    mask cov = text_mask(face, utf8, pixel_size, img.w, img.h);
    FT_Done_Face(face);
    mask ring = dilate(cov, outline);
    int shadow = std::max(2, outline);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++)
            blend_top(img, x, y, colour{0, 0, 0}, 0.45 * mask_at(ring, x - shadow, y - shadow) / 255.0);
    for (int y = 0; y < img.h; y++)
        for (int x = 0; x < img.w; x++) {
            double lift = 1.0 + 0.12 * (0.5 - (double)y / img.h);
            colour c{fill.r * lift, fill.g * lift, fill.b * lift};
            blend_top(img, x, y, colour{28, 22, 18}, mask_at(ring, x, y) / 255.0);
            blend_top(img, x, y, c, mask_at(cov, x, y) / 255.0);
        }
}

static image make_logo()
{
    image img = make_image(512, 128);
    draw_text(img, SANS_BOLD, "Quarrow", 100, colour{244, 232, 190}, 4);
    return img;
}

// --- language pictures: flag-like fields, drawn 4 x 4 supersampled ---

typedef colour (*field_fn)(double x, double y);   // y from the top, 256 x 128

static colour russian_field(double, double y)
{
    if (y < 128 / 3.0)
        return colour{255, 255, 255};
    return y < 256 / 3.0 ? colour{0, 57, 166} : colour{213, 43, 30};
}

// Distance from (x, y) to the line through (0, 0) and (dx, dy).
static double line_distance(double x, double y, double dx, double dy)
{
    return std::fabs(x * dy - y * dx) / std::hypot(dx, dy);
}

// Blue field, white and red saltires, white and red upright cross.
static colour english_field(double x, double y)
{
    const colour blue{1, 33, 105}, white{255, 255, 255}, red{200, 16, 46};
    double cx = x - 128, cy = y - 64;
    if (std::fabs(cx) < 11 || std::fabs(cy) < 11)
        return red;
    if (std::fabs(cx) < 19 || std::fabs(cy) < 19)
        return white;
    double diagonal = std::min(line_distance(cx, cy, 256, 128), line_distance(cx, cy, 256, -128));
    if (diagonal < 5)
        return red;
    return diagonal < 14 ? white : blue;
}

static image make_flag(field_fn field, const char *word)
{
    image img = make_image(256, 128);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 256; x++) {
            colour sum{0, 0, 0};
            for (int s = 0; s < 16; s++) {
                colour c = field(x + (s % 4 + 0.5) / 4, y + (s / 4 + 0.5) / 4);
                sum = colour{sum.r + c.r / 16, sum.g + c.g / 16, sum.b + c.b / 16};
            }
            put(img, x, 127 - y, sum);   // stored rows are bottom first
        }
    draw_text(img, SANS_BOLD, word, 42, colour{255, 255, 255}, 3);
    return img;
}

// --- bitmap font: 23 glyphs a row from '!', Windows-1251 bytes ---

// Unicode of the Windows-1251 bytes 128 ... 191; 0 where the byte has none.
static const uint16_t CP1251_HIGH[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,   // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,   // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,   // 90
    0,      0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,   // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,   // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,   // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,   // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,   // B8
};

static uint32_t cp1251_to_unicode(int code)
{
    if (code < 128)
        return code == 127 ? 0 : (uint32_t)code;   // 127 is DEL, a control code
    if (code >= 192)
        return 0x0410 + (uint32_t)(code - 192);   // А ... я in order
    return CP1251_HIGH[code - 128];
}

static const int FONT_SIZE = 512;
static const int FONT_PIXELS = 26;   // ascent of Й plus descent of у fits 31 rows
static const int FONT_ASCENT = 24;   // baseline, in rows under the cell's inner top
static const int INK_WIDTH = 18;     // wider glyphs are squeezed; advance is 17.6 px at size 22

// The box the game samples for a glyph, shrunk by a 1 px margin, in pixels
// with y counted from the top of the picture (the game's v = 1).
struct glyph_box {
    int x0, x1, y0, y1;   // inner box, x1 and y1 exclusive
};

static glyph_box glyph_cell(int code)
{
    int g = code - 33, row = g / 23, column = g % 23;
    double left = column * FONT_SIZE / 23.15, right = left + FONT_SIZE / 23.2;
    double top = row * FONT_SIZE / 15.4, bottom = top + FONT_SIZE / 15.4;
    return glyph_box{(int)std::ceil(left) + 1, (int)std::floor(right) - 1,
                     (int)std::ceil(top) + 1, (int)std::floor(bottom) - 1};
}

// Renders a character into the slot, squeezed sideways when its ink is wider
// than the box; false when the font has no such character.
static bool render_fitted(FT_Face face, uint32_t u)
{
    FT_Set_Transform(face, nullptr, nullptr);
    if (!FT_Get_Char_Index(face, u) || FT_Load_Char(face, u, FT_LOAD_DEFAULT))
        return false;
    double ink = face->glyph->metrics.width / 64.0;
    if (ink > INK_WIDTH) {
        FT_Matrix squeeze = {(FT_Fixed)(65536 * INK_WIDTH / ink), 0, 0, 65536};
        FT_Set_Transform(face, &squeeze, nullptr);
    }
    return !FT_Load_Char(face, u, FT_LOAD_RENDER);
}

// White glyphs, alpha = coverage, ink centred in each cell on a common baseline.
// Bold, so strokes survive the linear filter when the game draws text smaller.
static image make_font()
{
    image img = make_image(FONT_SIZE, FONT_SIZE);
    FT_Face face = open_face(SANS_BOLD);
    if (!face)
        return img;
    FT_Set_Pixel_Sizes(face, 0, FONT_PIXELS);
    for (int code = 33; code < 256; code++) {
        uint32_t u = cp1251_to_unicode(code);
        if (!u || !render_fitted(face, u))
            continue;
        FT_GlyphSlot g = face->glyph;
        glyph_box box = glyph_cell(code);
        int left = (box.x0 + box.x1 - (int)g->bitmap.width) / 2;
        int top = box.y0 + FONT_ASCENT - g->bitmap_top;
        for (unsigned r = 0; r < g->bitmap.rows; r++)
            for (unsigned c = 0; c < g->bitmap.width; c++) {
                int x = left + (int)c, y = top + (int)r;
                int cov = g->bitmap.buffer[r * g->bitmap.pitch + c];
                if (!cov)
                    continue;
                if (x < box.x0 || x >= box.x1 || y < box.y0 || y >= box.y1) {
                    fprintf(stderr, "glyph %d does not fit its cell\n", code);
                    continue;
                }
                put(img, x, FONT_SIZE - 1 - y, colour{255, 255, 255}, cov);
            }
    }
    FT_Done_Face(face);
    return img;
}

// --- reading back: the header the game insists on, sizes, length ---

static bool check_tga(const std::string &path, int want_w, int want_h, bool alpha)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f) {
        fprintf(stderr, "%s: missing\n", path.c_str());
        return false;
    }
    uint8_t head[18];
    bool ok = fread(head, 1, 18, f) == 18;
    fseek(f, 0, SEEK_END);
    long length = ftell(f);
    fclose(f);
    static const uint8_t fixed[12] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    int w = head[12] | head[13] << 8, h = head[14] | head[15] << 8, bpp = head[16];
    ok = ok && memcmp(head, fixed, 12) == 0 && w == want_w && h == want_h &&
         (w & (w - 1)) == 0 && (h & (h - 1)) == 0 && bpp == (alpha ? 32 : 24) &&
         head[17] == (alpha ? 8 : 0) && length == 18 + (long)w * h * bpp / 8;
    printf("%s %s\n", ok ? "ok  " : "BAD ", path.c_str());
    return ok;
}

struct picture {
    const char *path;
    int w, h;
    bool alpha;
    image (*make)();
};

static image make_russian() { return make_flag(russian_field, "Русский"); }
static image make_english() { return make_flag(english_field, "English"); }

static const picture PICTURES[] = {
    {"/world/standart/ground.tga", 256, 256, false, make_atlas},
    {"/world/standart/sun.tga", 128, 128, true, make_sun},
    {"/back.tga", 256, 256, false, make_background},
    {"/qr.tga", 512, 128, true, make_logo},
    {"/lang/rus.tga", 256, 128, false, make_russian},
    {"/lang/eng.tga", 256, 128, false, make_english},
    {"/font.tga", 512, 512, true, make_font},
};

int main(int argc, char **argv)
{
    bool check = argc > 1 && strcmp(argv[1], "--check") == 0;
    std::string out = argc > 1 + check ? argv[1 + check] : "data";
    bool ok = true;
    if (check) {
        for (const picture &p : PICTURES)
            ok = check_tga(out + p.path, p.w, p.h, p.alpha) && ok;
        return ok ? 0 : 1;
    }
    if (FT_Init_FreeType(&g_ft)) {
        fprintf(stderr, "cannot start FreeType\n");
        return 1;
    }
    for (const picture &p : PICTURES)
        ok = write_tga(out + p.path, p.make(), p.alpha) && ok;
    FT_Done_FreeType(g_ft);
    return ok ? 0 : 1;
}
