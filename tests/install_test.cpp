// What a player meets before the game runs: the Debian package, and the
// scripts' answers on a machine that is not ready yet.
#include "temp_dir.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

namespace {

// A fresh folder, gone after the test.
class Scratch : public ::testing::Test {
protected:
    char dir[64] = "/tmp/quarrow-pkg-XXXXXX";
    void SetUp() override { ASSERT_NE(mkdtemp(dir), nullptr); }
    void TearDown() override { EXPECT_EQ(system((std::string("rm -rf '") + dir + "'").c_str()), 0); }
};

using Package = Scratch;

TEST_F(Package, HoldsTheGameItsDataAMenuEntryAndAnIconAndNeedsRunTimeLibrariesOnly)
{
    command_result made = run_command("cd '" + std::string(dir) + "' && '" QUARROW_CPACK "' -G DEB --config '" QUARROW_BUILD_DIR
                          "/CPackConfig.cmake' -B '" + dir + "'");
    ASSERT_EQ(made.status, 0) << made.text;
    std::string deb = run_command("ls '" + std::string(dir) + "'/quarrow_*.deb").text;
    ASSERT_FALSE(deb.empty());
    deb.pop_back();   // the line end

    std::string files = run_command("dpkg-deb -c '" + deb + "'").text;
    for (const char *path : {"./usr/games/quarrow", "./usr/share/games/quarrow/font.tga",
                             "./usr/share/games/quarrow/lang/eng.txt", "./usr/share/games/quarrow/world/standart/ground.tga",
                             "./usr/share/applications/quarrow.desktop",
                             "./usr/share/icons/hicolor/64x64/apps/quarrow.png"})
        EXPECT_NE(files.find(std::string(" ") + path + "\n"), std::string::npos) << path << "\n" << files;

    std::string depends = run_command("dpkg-deb -f '" + deb + "' Depends").text;
    for (const char *library : {"libglut", "libglu1", "libc6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;
    EXPECT_EQ(depends.find("-dev"), std::string::npos) << depends;

    // The icon is a real PNG a menu can show: a block on a clear ground.
    std::string root = std::string(dir) + "/root";
    ASSERT_EQ(run_command("dpkg-deb -x '" + deb + "' '" + root + "'").status, 0);
    png_image icon;
    memset(&icon, 0, sizeof icon);
    icon.version = PNG_IMAGE_VERSION;
    std::string png = root + "/usr/share/icons/hicolor/64x64/apps/quarrow.png";
    ASSERT_TRUE(png_image_begin_read_from_file(&icon, png.c_str())) << icon.message;
    icon.format = PNG_FORMAT_RGBA;
    std::string pixels(PNG_IMAGE_SIZE(icon), '\0');
    ASSERT_TRUE(png_image_finish_read(&icon, nullptr, &pixels[0], 0, nullptr)) << icon.message;
    EXPECT_EQ(icon.width, 64u);
    EXPECT_EQ(icon.height, 64u);
    EXPECT_EQ((unsigned char)pixels[3], 0) << "the corner is clear";
    EXPECT_EQ((unsigned char)pixels[4 * (32 * 64 + 32) + 3], 255) << "the middle is the block";
}

// --- the scripts on a machine that is not ready ---

using Scripts = Scratch;

TEST_F(Scripts, PlayWithoutADisplaySaysAnXSessionIsNeeded)
{
    // A copy of the scripts, so nothing can rebuild the tree under test.
    ASSERT_EQ(run_command("cp -r '" QUARROW_SOURCE_DIR "/scripts' '" + std::string(dir) + "/'").status, 0);
    command_result r = run_command("env -u DISPLAY '" + std::string(dir) + "/scripts/play.sh'");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.text.find("needs an X session"), std::string::npos) << r.text;
}

// deps.sh on a machine that has none of the packages, as the user id_u,
// with apt-get standing in for the real one and ending with apt_status.
command_result deps_with_fake_tools(const std::string &dir, const char *id_u, int apt_status)
{
    std::string bin = dir + "/bin";
    std::string script = "mkdir -p '" + bin + "' && cd '" + bin + "' && " +
                         "printf '#!/bin/sh\\necho " + id_u + "\\n' > id && " +
                         "printf '#!/bin/sh\\nexit 1\\n' > dpkg-query && " +
                         "printf '#!/bin/sh\\necho Unpacking libglut3.12 ...\\nexit " + std::to_string(apt_status) +
                         "\\n' > apt-get && chmod +x id dpkg-query apt-get";
    if (run_command(script).status != 0)
        return command_result();
    return run_command("PATH='" + bin + "':\"$PATH\" '" QUARROW_SOURCE_DIR "/scripts/deps.sh' test");
}

TEST_F(Scripts, TheInstallLineForAUserUpdatesThePackageListsFirst)
{
    command_result r = deps_with_fake_tools(dir, "1000", 0);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.text.find("sudo apt-get update && sudo apt-get install -y g++ "), std::string::npos) << r.text;
}

TEST_F(Scripts, AnInstallAsRootShowsAptOnlyWhenItFails)
{
    command_result done = deps_with_fake_tools(dir, "0", 0);
    EXPECT_EQ(done.status, 0) << done.text;
    EXPECT_EQ(done.text.find("Unpacking"), std::string::npos) << done.text;
    command_result failed = deps_with_fake_tools(dir, "0", 100);
    EXPECT_EQ(failed.status, 1) << failed.text;
    EXPECT_NE(failed.text.find("Unpacking libglut3.12"), std::string::npos) << failed.text;
}

TEST_F(Scripts, ABuildFolderLeftByRootIsExplainedInOneLine)
{
    // A copy of the scripts whose build folder this user cannot write. Root
    // writes anywhere, so as root the script runs as nobody.
    std::string top = std::string(dir) + "/top";
    ASSERT_EQ(run_command("mkdir -p '" + top + "/build/CMakeFiles' && cp -r '" QUARROW_SOURCE_DIR "/scripts' '" + top +
                  "/' && chmod -R a+rX '" + dir + "' && chmod 555 '" + top + "/build/CMakeFiles'").status, 0);
    std::string as_user = geteuid() == 0 ? "runuser -u nobody -- " : "";
    // The sanitizer run of the suite must not send the script to build-asan/.
    command_result r = run_command(as_user + "env -u QUARROW_SANITIZE '" + top + "/scripts/test.sh'");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.text.find("sudo chown -R "), std::string::npos) << r.text;
    EXPECT_EQ(r.text.find('\n'), r.text.size() - 1) << r.text;
}

}  // namespace
