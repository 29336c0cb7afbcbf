// What the game reads at start: the settings file "cfg" and the phrase files.
#include "game.h"

#include "temp_dir.h"

#include <filesystem>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

using ConfigFile = InTempDir;
using Phrases = InTempDir;

// Width 800, height 600, x and y 30, view distance 1, "rus", world 1, fog on.
const std::string DEFAULTS("\0\0\0\0\x20\3\0\0\x58\2\0\0\x1e\0\0\0\x1e\0\0\0"
                           "\1\0\0\0rus\0\1\0\0\0\1\0\0\0\0\0\0\0", CFG_BYTES);

// The first start writes the defaults and asks for a language; a later write that fails leaves them whole. Each
// field is read from its place, a value out of its range brought back.
TEST_F(ConfigFile, TheFirstStartWritesTheDefaultsAndFieldsAreReadOrBroughtBack)
{
    load();
    EXPECT_TRUE(read_file("cfg") == DEFAULTS && st_page == 1);
    // The full disk: a file size limit of 20 bytes.
    signal(SIGXFSZ, SIG_IGN);
    rlimit old_limit;
    getrlimit(RLIMIT_FSIZE, &old_limit);
    rlimit small = {20, old_limit.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    get_par_str()->world_counter = 8;
    EXPECT_EQ(save(), 0);
    setrlimit(RLIMIT_FSIZE, &old_limit);
    EXPECT_TRUE(read_file("cfg") == DEFAULTS && access("cfg.tmp", F_OK) == -1);
    // Four bytes stored at offset, in a file cut to length, and the field they load as.
    struct { int length, offset; const char *stored; int32_t game_param::*field; int32_t loaded; } cases[] = {
        {40, 4, "\x00\x04\x00\x00", &game_param::window_width, 1024},
        {40, 8, "\xff\x7f\x00\x00", &game_param::window_height, WINDOW_EDGE_MAX},
        {40, 4, "\x00\x14\x00\x00", &game_param::window_width, 5120},   // a 5K screen's width is kept
        {40, 4, "\xff\xff\xff\xff", &game_param::window_width, 800},
        {11, 8, "\x00\x04\x00\x00", &game_param::window_height, 600},   // cut inside the field
        {40, 20, "\x04\x00\x00\x00", &game_param::view_distance, 1},
        {40, 20, "\x03\x00\x00\x00", &game_param::view_distance, 3},
        {40, 32, "\x00\x00\x00\x00", &game_param::fog_enabled, 0},
        {40, 32, "\x02\x00\x00\x00", &game_param::fog_enabled, 1},
        {36, 32, "\x00\x00\x00\x00", &game_param::fog_enabled, 0},   // cut right after the field
        {31, 28, "\x05\x00\x00\x00", &game_param::world_counter, 1},
        {40, 24, "eng\0", nullptr, 0}, {28, 24, "eng\0", nullptr, 0},
        {40, 24, "engl", nullptr, 0},   // no NUL: the default language
    };
    for (const auto &c : cases) {
        write_file("cfg", std::string(DEFAULTS).replace(c.offset, 4, c.stored, 4).substr(0, c.length));
        load();
        if (c.field)
            EXPECT_EQ(get_par_str()->*c.field, c.loaded) << c.offset << " " << c.length;
        else
            EXPECT_STREQ(get_par_str()->language, c.stored[3] ? "rus" : "eng");
    }
    // Bytes this version does not use are written back as they were read.
    const std::string foreign = std::string(DEFAULTS).replace(0, 4, "ABCD").replace(36, 4, "WXYZ");
    write_file("cfg", foreign);
    load();
    EXPECT_EQ(save(), 1);
    EXPECT_EQ(read_file("cfg").substr(0, 4) + read_file("cfg").substr(36), "ABCDWXYZ");
    // The options file reads back as written, every setting in its own place.
    *get_options() = {1, 1, 90, 1};   // the slowest mouse, not the default
    ASSERT_EQ(save_options(), 1);
    for (char version : {'\1', '\2'}) {   // a later version's file too, with more bytes after these
        std::string bytes = read_file("options").replace(4, 1, 1, version);
        write_file("options", version == '\1' ? bytes : bytes + "more");
        *get_options() = {};
        load_options();
        EXPECT_TRUE(get_options()->mouse_speed == 1 && get_options()->invert_look == 1 &&
                    get_options()->field_of_view == 90 && get_options()->full_screen == 1) << (int)version;
    }
    *get_options() = {5, 0, 45, 0};
}

// The player's folder takes each installed file that differs and keeps the others as they are; no file is
// left open however many are compared.
TEST_F(ConfigFile, ThePlayersFolderIsFilledWithoutKeepingFilesOpen)
{
    const std::string here = dir, big(100000, 'x');
    ASSERT_EQ(system("mkdir -p data/lang && echo b >data/font.tga"), 0);
    write_file("data/lang/eng.txt", big);
    setenv("XDG_DATA_HOME", (here + "/xdg").c_str(), 1);
    long before = open_files();
    struct stat first = {}, kept = {};
    for (const char *stale : {"", "stale"}) {   // the second run compares each file with its copy
        write_file(here + "/xdg/quarrow/font.tga", stale);
        ASSERT_EQ(plat_use_player_folder((here + "/data").c_str()), 1);
        EXPECT_TRUE(read_file("lang/eng.txt") == big && read_file("font.tga") == "b\n");
        stat("lang/eng.txt", *stale ? &kept : &first);
    }
    EXPECT_EQ(kept.st_ino, first.st_ino) << "an unchanged file copied again";
    EXPECT_EQ(open_files(), before);
}

// Line n is phrase n whatever the line ends and lengths. Without its own file a language borrows the other's
// phrases, so no caption is blank; a FIFO there is not waited on.
TEST_F(Phrases, LineNIsPhraseNAndAMissingLanguageFallsBackToTheOther)
{
    mkdir("lang", 0755);
    write_file("lang/eng.txt", "A\r\n" + std::string(130, 'L') + "\nnext\n");
    lang_init("eng");
    EXPECT_EQ(std::string(lang_get(1)) + lang_get(3), "Anext");   // the third after a line too long for its phrase
    EXPECT_STREQ(lang_get(PHRASES), "");   // outside the table: empty, never out of bounds
    write_file("lang/eng.txt", std::string(PHRASES + 1, '\n'));   // lines past the table are not read
    lang_init("eng");
    remove("lang/eng.txt");
    write_file("lang/rus.txt", "Russian 1\n");
    ASSERT_EQ(mkfifo("lang/eng.txt", 0600), 0);
    for (std::string code : {"eng", "%s%n"})
        EXPECT_EQ(said([&] { lang_init(code.c_str()); }), "fail not found lang/" + code + ".txt, lang/rus.txt used instead \n");
}

}  // namespace
