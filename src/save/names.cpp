// names.cpp — CP1251 <-> UTF-8 for world names.
#include "save/names.h"

#include <cstdint>
#include <cstring>

// Unicode code points of CP1251 0x80 ... 0xBF; 0xC0 ... 0xFF are U+0410 ... U+044F.
static const uint16_t HIGH[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0000, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

static unsigned code_point(unsigned char c)
{
    if (c < 0x80)
        return c;
    if (c >= 0xC0)
        return 0x0410 + (c - 0xC0);
    return HIGH[c - 0x80];
}

// The CP1251 byte of a code point, '?' when it has none.
static unsigned char cp1251_byte(unsigned u)
{
    if (u < 0x80)
        return (unsigned char)u;
    if (u >= 0x0410 && u <= 0x044F)
        return (unsigned char)(0xC0 + (u - 0x0410));
    for (int i = 0; i < 64; i++)
        if (HIGH[i] == u && u != 0)
            return (unsigned char)(0x80 + i);
    return '?';
}

static int utf8_length(unsigned u)
{
    return u < 0x80 ? 1 : u < 0x800 ? 2 : 3;
}

int name_to_disk(const char *cp1251, char *out, int size)
{
    int n = 0;
    for (const unsigned char *p = (const unsigned char *)cp1251; *p; p++) {
        unsigned u = code_point(*p);
        if (u == 0)
            continue;
        int len = utf8_length(u);
        if (n + len >= size)
            break;
        if (len == 1) {
            out[n++] = (char)u;
        } else if (len == 2) {
            out[n++] = (char)(0xC0 | u >> 6);
            out[n++] = (char)(0x80 | (u & 0x3F));
        } else {
            out[n++] = (char)(0xE0 | u >> 12);
            out[n++] = (char)(0x80 | ((u >> 6) & 0x3F));
            out[n++] = (char)(0x80 | (u & 0x3F));
        }
    }
    if (size > 0)
        out[n] = '\0';
    return n;
}

// Decodes one UTF-8 character at p into *u; its byte count, 0 when invalid.
static int decode_utf8(const unsigned char *p, unsigned *u)
{
    int len = p[0] < 0x80 ? 1 : (p[0] & 0xE0) == 0xC0 ? 2 : (p[0] & 0xF0) == 0xE0 ? 3 : (p[0] & 0xF8) == 0xF0 ? 4 : 0;
    if (len == 0)
        return 0;
    unsigned v = len == 1 ? p[0] : p[0] & (0x7F >> len);
    for (int i = 1; i < len; i++) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        v = v << 6 | (p[i] & 0x3F);
    }
    static const unsigned smallest[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (v < smallest[len] || v > 0x10FFFF)
        return 0;   // overlong or out of range: not text written as UTF-8
    *u = v;
    return len;
}

static int is_utf8(const char *s)
{
    const unsigned char *p = (const unsigned char *)s;
    unsigned u;
    while (*p) {
        int len = decode_utf8(p, &u);
        if (len == 0)
            return 0;
        p += len;
    }
    return 1;
}

// A control byte would move the pen (a line end starts a new line) and draw
// the name outside its button.
static char drawable(unsigned char c)
{
    return c < 32 || c == 127 ? '?' : (char)c;
}

void name_to_font(const char *disk, char *out, int size)
{
    if (size <= 0)
        return;
    int n = 0;
    if (!is_utf8(disk)) {
        for (const char *p = disk; *p && n + 1 < size; p++)
            out[n++] = drawable((unsigned char)*p);
        out[n] = '\0';
        return;
    }
    const unsigned char *p = (const unsigned char *)disk;
    unsigned u = 0;   // always decoded: the name was checked as UTF-8 above
    while (*p && n + 1 < size) {
        p += decode_utf8(p, &u);
        out[n++] = drawable(cp1251_byte(u));
    }
    out[n] = '\0';
}
