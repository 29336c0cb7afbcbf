// TGA pictures into textures: true colour is taken, red first as GL wants it;
// anything else is refused without making a texture name.
#include "render/c_math.h"

#include "gl_context.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

struct tga_layout {
    unsigned char type = 2;
    int width = 2, height = 2, bits = 24;
    unsigned char x_origin = 0, id_length = 0;
    long pixel_bytes = -1;   // -1: as many as the size needs
};

const std::string PATH = "/tmp/quarrow-tga-" + std::to_string(getpid());

void write_tga(const tga_layout &s)
{
    std::vector<unsigned char> b = {s.id_length, 0, s.type, 0, 0, 0, 0, 0, s.x_origin, 0, 0, 0,
                                    (unsigned char)(s.width & 0xff), (unsigned char)(s.width >> 8),
                                    (unsigned char)(s.height & 0xff), (unsigned char)(s.height >> 8),
                                    (unsigned char)s.bits, 0};
    long n = s.pixel_bytes >= 0 ? s.pixel_bytes : (long)s.width * s.height * (s.bits / 8);
    for (long i = 0; i < n; i++)   // stored blue, green, red(, alpha): 10, 20, 30(, 40) first
        b.push_back((unsigned char)(10 * (i % (s.bits / 8) + 1) + i / (s.bits / 8)));
    FILE *f = fopen(PATH.c_str(), "wb");
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
}

TEST(Tga, TrueColourIsTakenAndAnythingElseRefused)
{
    ASSERT_TRUE(gl_context_open());
    tga_layout rgb, rgba, rle, grey, bits16, origin, short_file, zero, id_field, huge;
    rgba.bits = 32;
    rgba.width = 3;   // rows of 12 bytes, 9 for rgb: no alignment padding assumed
    rle.type = 10;
    grey.type = 3;
    bits16.bits = 16;
    origin.x_origin = 1;
    short_file.pixel_bytes = 11;
    zero.width = 0;
    id_field.id_length = 3;
    huge.width = huge.height = 65535;   // 16 GB claimed, 16 bytes held
    huge.bits = 32;
    huge.pixel_bytes = 16;
    const struct {
        const char *name;
        const tga_layout &layout;
        GLint format;   // 0: refused
    } cases[] = {{"rgb", rgb, GL_RGB},         {"rgba", rgba, GL_RGBA}, {"rle", rle, 0},        {"grey", grey, 0},
                 {"16 bits", bits16, 0},       {"origin", origin, 0},   {"short", short_file, 0}, {"zero", zero, 0},
                 {"id field", id_field, 0},    {"huge", huge, 0}};
    for (const auto &c : cases) {
        GLuint before = 0, ids[1] = {0};
        glGenTextures(1, &before);
        write_tga(c.layout);
        testing::internal::CaptureStdout();
        EXPECT_EQ(LoadGLTextures(0, PATH.c_str(), ids, 0), c.format != 0) << c.name;
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(ids[0], c.format ? before + 1 : 0) << c.name;
        if (!c.format)
            continue;
        GLint format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_EQ(format, c.format) << c.name;
        unsigned char first[4];
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, first);
        EXPECT_EQ(first[0] << 16 | first[1] << 8 | first[2], 30 << 16 | 20 << 8 | 10) << c.name;
    }
    // A FIFO in a picture's place is refused, not waited on.
    unlink(PATH.c_str());
    ASSERT_EQ(mkfifo(PATH.c_str(), 0600), 0);
    GLuint ids[1] = {0};
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadGLTextures(0, PATH.c_str(), ids, 0), 0);
    testing::internal::GetCapturedStdout();
    unlink(PATH.c_str());
}

}  // namespace
