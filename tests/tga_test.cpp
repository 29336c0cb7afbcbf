// TGA pictures into textures: what is accepted, what is refused, and that a
// refused file leaves no texture behind.
#include "render/c_math.h"

#include "gl_context.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

struct tga_layout {
    unsigned char type = 2;
    int width = 2, height = 2, bits = 24;
    unsigned char x_origin = 0, descriptor = 0, id_length = 0;
    long pixel_bytes = -1;   // -1: as many as the size needs
};

std::string write_tga(const char *name, const tga_layout &s)
{
    std::string path = std::string("/tmp/quarrow-tga-") + std::to_string(getpid()) + "-" + name;
    std::vector<unsigned char> b = {s.id_length, 0, s.type, 0, 0, 0, 0, 0, s.x_origin, 0, 0, 0,
                                    (unsigned char)(s.width & 0xff), (unsigned char)(s.width >> 8),
                                    (unsigned char)(s.height & 0xff), (unsigned char)(s.height >> 8),
                                    (unsigned char)s.bits, s.descriptor};
    long n = s.pixel_bytes >= 0 ? s.pixel_bytes : (long)s.width * s.height * (s.bits / 8);
    // Pixels count up so the byte swap can be checked: B, G, R(, A) = 10, 20, 30(, 40) ...
    for (long i = 0; i < n; i++)
        b.push_back((unsigned char)(10 * (i % (s.bits / 8) + 1) + i / (s.bits / 8)));
    FILE *f = fopen(path.c_str(), "wb");
    fwrite(b.data(), 1, b.size(), f);
    fclose(f);
    return path;
}

class Tga : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(gl_context_open()); }

    GLint internal_format(GLuint name)
    {
        GLint format = 0;
        glBindTexture(GL_TEXTURE_2D, name);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        return format;
    }
};

TEST_F(Tga, TrueColourPicturesBecomeTextures)
{
    GLuint ids[3] = {0, 0, 0};
    tga_layout rgb;
    std::string rgb_path = write_tga("rgb.tga", rgb);
    ASSERT_EQ(LoadGLTextures(1, rgb_path.c_str(), ids, 0), 1);
    unlink(rgb_path.c_str());
    EXPECT_EQ(ids[0], 0u);
    EXPECT_NE(ids[1], 0u);
    EXPECT_EQ(internal_format(ids[1]), GL_RGB);
    unsigned char px[2 * 2 * 3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, px);
    // The first stored pixel is B 10, G 20, R 30: red first in the texture.
    EXPECT_EQ(px[0], 30);
    EXPECT_EQ(px[1], 20);
    EXPECT_EQ(px[2], 10);
    EXPECT_EQ(px[3], 31);   // second pixel, still bottom row first
    GLint filter = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    EXPECT_EQ(filter, GL_NEAREST);

    tga_layout rgba;
    rgba.bits = 32;
    rgba.width = 3;   // rows of 9 or 12 bytes: no alignment padding assumed
    std::string rgba_path = write_tga("rgba.tga", rgba);
    ASSERT_EQ(LoadGLTextures(2, rgba_path.c_str(), ids, 1), 1);
    unlink(rgba_path.c_str());
    EXPECT_EQ(internal_format(ids[2]), GL_RGBA);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    EXPECT_EQ(filter, GL_LINEAR);
    unsigned char px4[3 * 2 * 4];
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, px4);
    EXPECT_EQ(px4[0], 30);
    EXPECT_EQ(px4[3], 40);

    // A top-left picture is accepted and uploaded as stored.
    tga_layout top_left;
    top_left.descriptor = 0x20;
    std::string top_path = write_tga("topleft.tga", top_left);
    EXPECT_EQ(LoadGLTextures(0, top_path.c_str(), ids, 0), 1);
    unlink(top_path.c_str());
}

TEST_F(Tga, RefusedPicturesMakeNoTextureName)
{
    GLuint before = 0, after = 0;
    glGenTextures(1, &before);

    struct refused {
        const char *name;
        tga_layout layout;
    } cases[8];
    cases[0].name = "16bit.tga";
    cases[0].layout.bits = 16;
    cases[1].name = "rle.tga";
    cases[1].layout.type = 10;
    cases[2].name = "origin.tga";
    cases[2].layout.x_origin = 1;
    cases[3].name = "short.tga";
    cases[3].layout.pixel_bytes = 11;
    cases[4].name = "zero.tga";
    cases[4].layout.width = 0;
    cases[5].name = "idfield.tga";
    cases[5].layout.id_length = 3;
    cases[6].name = "huge.tga";   // claims 65535 x 65535 x 4 bytes, holds 16
    cases[6].layout.width = cases[6].layout.height = 65535;
    cases[6].layout.bits = 32;
    cases[6].layout.pixel_bytes = 16;
    cases[7].name = "grey.tga";
    cases[7].layout.type = 3;

    GLuint ids[1] = {777};
    for (const refused &c : cases) {
        std::string path = write_tga(c.name, c.layout);
        EXPECT_EQ(LoadGLTextures(0, path.c_str(), ids, 1), 0) << c.name;
        EXPECT_EQ(ids[0], 777u) << c.name;
        unlink(path.c_str());
    }
    // A missing picture is named on stdout; a FIFO in its place is refused, not waited on.
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadGLTextures(0, "/nonexistent/quarrow.tga", ids, 1), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "picture not found /nonexistent/quarrow.tga \n");
    std::string fifo = "/tmp/quarrow-tga-fifo-" + std::to_string(getpid());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(LoadGLTextures(0, fifo.c_str(), ids, 1), 0);
    testing::internal::GetCapturedStdout();
    unlink(fifo.c_str());

    // A header cut short.
    std::string path = "/tmp/quarrow-tga-cut.tga";
    FILE *f = fopen(path.c_str(), "wb");
    const unsigned char head[14] = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0};
    fwrite(head, 1, sizeof head, f);
    fclose(f);
    EXPECT_EQ(LoadGLTextures(0, path.c_str(), ids, 1), 0);
    unlink(path.c_str());

    glGenTextures(1, &after);
    EXPECT_EQ(after, before + 1);
    EXPECT_EQ(ids[0], 777u);
}

}  // namespace
