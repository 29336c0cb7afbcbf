// What a player meets before the game runs: the Debian package, the
// installed game's own folder, and the scripts on a machine not ready yet.
#include "temp_dir.h"

#include <png.h>
#include <unistd.h>

#include <cstring>

namespace {

using Package = InTempDir;

TEST_F(Package, InstallsAGameThatFillsThePlayersFolderAndAMenuEntryWithItsIcon)
{
    command_result made = run_command("'" QUARROW_CPACK "' -G DEB --config '" QUARROW_BUILD_DIR
                                      "/CPackConfig.cmake' -B . && dpkg-deb -x quarrow_*.deb root");
    ASSERT_EQ(made.status, 0) << made.text;
    EXPECT_EQ(access("root/usr/share/applications/quarrow.desktop", R_OK), 0);
    std::string depends = run_command("dpkg-deb -f quarrow_*.deb Depends").text;
    for (const char *library : {"libglut", "libglu1", "libc6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;

    // Started without a display, the game stops at the window, by then in the
    // player's folder: made, filled with the installed data (a stale copy
    // replaced), holding cfg; a relative XDG_DATA_HOME is not a place.
    const std::string phrases = read_file(QUARROW_SOURCE_DIR "/data/lang/eng.txt");
    struct { const char *xdg; std::string folder; } runs[] = {
        {"$PWD/xdg", "xdg/quarrow"}, {"$PWD/xdg", "xdg/quarrow"}, {"xdg", "home/.local/share/quarrow"},
    };
    for (const auto &r : runs) {
        run_command(std::string("env -u DISPLAY HOME=\"$PWD/home\" XDG_DATA_HOME=") + r.xdg + " root/usr/games/quarrow");
        EXPECT_EQ(read_file(r.folder + "/lang/eng.txt"), phrases) << r.xdg;
        EXPECT_EQ(read_file(r.folder + "/cfg").size(), 40u) << r.xdg;
        write_file(r.folder + "/lang/eng.txt", "stale");
    }

    // The icon is a real PNG a menu can show: a block on a clear ground.
    png_image icon;
    memset(&icon, 0, sizeof icon);
    icon.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&icon, "root/usr/share/icons/hicolor/64x64/apps/quarrow.png"))
        << icon.message;
    icon.format = PNG_FORMAT_RGBA;
    std::string pixels(PNG_IMAGE_SIZE(icon), '\0');
    ASSERT_TRUE(png_image_finish_read(&icon, nullptr, &pixels[0], 0, nullptr)) << icon.message;
    EXPECT_EQ(icon.width, 64u);
    EXPECT_EQ((unsigned char)pixels[3], 0) << "the corner is clear";
    EXPECT_EQ((unsigned char)pixels[4 * (32 * 64 + 32) + 3], 255) << "the middle is the block";
}

using Scripts = InTempDir;

TEST_F(Scripts, PlayWithoutADisplaySaysAnXSessionIsNeeded)
{
    // A copy of the scripts, so nothing can rebuild the tree under test.
    command_result r = run_command("cp -r '" QUARROW_SOURCE_DIR "/scripts' . && env -u DISPLAY scripts/play.sh");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.text.find("needs an X session"), std::string::npos) << r.text;
}

// deps.sh on a machine without the packages, as user id_u, with an apt-get
// that prints a line of dpkg's and ends with apt_status.
TEST_F(Scripts, DepsInstallsAsRootQuietlyAndTellsAUserTheWholeCommand)
{
    struct { const char *id_u; int apt_status, status; const char *text; bool shown; } cases[] = {
        {"1000", 0, 1, "sudo apt-get update && sudo apt-get install -y g++ ", true},
        {"0", 0, 0, "Unpacking", false},
        {"0", 100, 1, "Unpacking libglut3.12", true},
    };
    for (const auto &c : cases) {
        run_command("mkdir -p bin && cd bin && printf '#!/bin/sh\\necho " + std::string(c.id_u) + "\\n' > id && "
           "printf '#!/bin/sh\\nexit 1\\n' > dpkg-query && printf '#!/bin/sh\\necho Unpacking libglut3.12 ...\\nexit " +
           std::to_string(c.apt_status) + "\\n' > apt-get && chmod +x id dpkg-query apt-get");
        command_result r = run_command("PATH=\"$PWD/bin:$PATH\" '" QUARROW_SOURCE_DIR "/scripts/deps.sh' test");
        EXPECT_EQ(r.status, c.status) << r.text;
        EXPECT_EQ(r.text.find(c.text) != std::string::npos, c.shown) << r.text;
    }
}

TEST_F(Scripts, ABuildFolderLeftByRootIsExplainedInOneLine)
{
    // A copy of the scripts whose build folder this user cannot write. Root
    // writes anywhere, so as root the script runs as nobody.
    ASSERT_EQ(run_command("mkdir -p top/build/CMakeFiles && cp -r '" QUARROW_SOURCE_DIR "/scripts' top/ && chmod -R a+rX . && "
                 "chmod 555 top/build/CMakeFiles").status, 0);
    std::string as_user = geteuid() == 0 ? "runuser -u nobody -- " : "";
    // The sanitizer run of the suite must not send the script to build-asan/.
    command_result r = run_command(as_user + "env -u QUARROW_SANITIZE top/scripts/test.sh");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.text.find("sudo chown -R "), std::string::npos) << r.text;
    EXPECT_EQ(r.text.find('\n'), r.text.size() - 1) << r.text;
}

}  // namespace
