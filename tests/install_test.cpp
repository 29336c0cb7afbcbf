// Before the game runs: the Debian package, the installed game's own folder, the scripts on a machine not ready yet.
#include "temp_dir.h"

#include <png.h>

namespace {

using Package = InTempDir;
using Scripts = InTempDir;

TEST_F(Package, InstallsAGameThatFillsThePlayersFolderAndAMenuEntryWithItsIcon)
{
    command_result made = run_command("'" QUARROW_CPACK "' -G DEB --config '" QUARROW_BUILD_DIR
                                      "/CPackConfig.cmake' -B . && dpkg-deb -x quarrow_*.deb root");
    ASSERT_EQ(made.status, 0) << made.text;
    // What a distribution would refuse or warn about, where lintian is installed.
    if (run_command("command -v lintian").status == 0) {
        command_result lint = run_command("lintian --pedantic --fail-on error,warning quarrow_*.deb");
        EXPECT_EQ(lint.status, 0) << lint.text;
    }
    EXPECT_EQ(access("root/usr/share/applications/quarrow.desktop", R_OK), 0);
    std::string depends = run_command("dpkg-deb -f quarrow_*.deb Depends").text;
    for (const char *library : {"libglut", "libglu1", "libc6"})
        EXPECT_NE(depends.find(library), std::string::npos) << library << " in " << depends;

    // Without a display the game stops at the window, in the player's folder by then: made, filled with the
    // installed data (a stale copy replaced), holding cfg. A relative XDG_DATA_HOME is no place.
    const std::string phrases = read_file(QUARROW_SOURCE_DIR "/data/lang/eng.txt");
    // A copy cut short (by a file size limit, as on a full disk) is said, and leaves no part of a file behind.
    std::string cut = run_command("trap '' XFSZ; ulimit -f 300; env -u DISPLAY HOME=$PWD/home XDG_DATA_HOME=$PWD/xdg "
                                  "root/usr/games/quarrow").text;
    EXPECT_TRUE(cut.find("cannot copy") != std::string::npos && run_command("find xdg -name '*.part'").text.empty()) << cut;
    struct { const char *xdg; std::string folder; } runs[] = {
        {"$PWD/xdg", "xdg/quarrow"}, {"$PWD/xdg", "xdg/quarrow"}, {"xdg", "home/.local/share/quarrow"}};
    for (const auto &r : runs) {
        std::string said = run_command(std::string("env -u DISPLAY HOME=$PWD/home XDG_DATA_HOME=") + r.xdg +
                                       " root/usr/games/quarrow").text;
        EXPECT_EQ(said.find("cannot copy"), std::string::npos) << said;
        EXPECT_TRUE(read_file(r.folder + "/lang/eng.txt") == phrases && read_file(r.folder + "/cfg").size() == 40) << r.xdg;
        write_file(r.folder + "/lang/eng.txt", "stale");
    }

    // The icon is a PNG a menu can show: a block on a clear ground.
    png_image icon{};
    icon.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&icon, "root/usr/share/icons/hicolor/64x64/apps/quarrow.png"));
    icon.format = PNG_FORMAT_RGBA;
    std::string pixels(PNG_IMAGE_SIZE(icon), '\0');
    EXPECT_TRUE(png_image_finish_read(&icon, nullptr, &pixels[0], 0, nullptr)) << icon.message;
    EXPECT_TRUE(pixels[3] == 0 && pixels[4 * (32 * 64 + 32) + 3] == '\xff') << "a clear corner, a block in the middle";
}

// The game's own line alone, first (not the toolkit's, not the help after an error); the scripts' advice.
TEST_F(Scripts, AWrongCommandLineOrAMachineNotReadyIsToldWhatToDoInAFewLines)
{
    const std::string game = "env -u DISPLAY '" QUARROW_BUILD_DIR "/quarrow' ";
    // Copies of the scripts, so nothing rebuilds the tree under test; as root, nobody meets root's build.
    const std::string copy = "cp -r '" QUARROW_SOURCE_DIR "/scripts' ";
    // deps.sh with stand-ins in ./bin: user id_u, nothing installed, an apt-get saying a dpkg line, ending apt_status.
    auto deps_as = [](const char *id_u, int apt_status) {
        return "mkdir -p bin && printf '#!/bin/sh\\necho " + std::string(id_u) + "\\n' > bin/id && printf '#!/bin/sh\\n"
               "exit 1\\n' > bin/dpkg-query && printf '#!/bin/sh\\necho Unpacking libglut3.12 ...\\nexit " +
               std::to_string(apt_status) + "\\n' > bin/apt-get && chmod +x bin/* && PATH=\"$PWD/bin:$PATH\" '" +
               QUARROW_SOURCE_DIR "/scripts/deps.sh' test";
    };
    struct { std::string command; int status; const char *text; bool shown, first; } cases[] = {
        {game + "--help", 0, "Usage: quarrow", true, true}, {game + "-h", 0, "Usage: quarrow", true, true},
        {game + "--version", 0, "quarrow " QUARROW_VERSION "\n", true, true},
        {game + "--fly", 2, "quarrow: unknown option '--fly'", true, true},
        {game, 1, "quarrow: no X display: start Quarrow from a desktop, or set DISPLAY\n", true, true},
        {"env -u DISPLAY DISPLAY=:4242 '" QUARROW_BUILD_DIR "/quarrow'", 1,
         "quarrow: cannot open the X display ':4242': start Quarrow from a desktop", true, true},
        {copy + ". && env -u DISPLAY scripts/play.sh", 1, "needs an X session", true, false},
        {deps_as("1000", 0), 1, "sudo apt-get update && sudo apt-get install -y g++ ", true, false},
        {deps_as("0", 0), 0, "Unpacking", false, false}, {deps_as("0", 100), 1, "Unpacking libglut3.12", true, false},
        {"mkdir -p top/build/CMakeFiles && " + copy + "top/ && chmod -R a+rX . && chmod 555 top/build/CMakeFiles && " +
             (geteuid() == 0 ? "runuser -u nobody -- " : "") + "env -u QUARROW_SANITIZE top/scripts/test.sh",
         1, "sudo chown -R ", true, false}};
    for (const auto &c : cases) {
        command_result r = run_command(c.command);
        EXPECT_TRUE(r.status == c.status && (r.text.find(c.text) != std::string::npos) == c.shown)
            << c.command << "\n" << r.text;
        EXPECT_TRUE(!c.first || (r.text.find(c.text) == 0 && r.text.find("freeglut") == std::string::npos)) << r.text;
    }
}

}  // namespace
