// A world keeps what the player did: chunk files at exit, loaded on reopening,
// and written on a termination signal too.
#include "save_fixture.h"

#include <signal.h>

namespace {

class Saving : public WorldFolderTest {
protected:
    void reopen_with_only_the_edited_chunk()
    {
        for (const std::string &f : chunk_files())
            if (f != "4-4-4.qrb")
                remove((world_dir() + "/" + f).c_str());
        open_world_1();
        wait_for("created ", 35);
    }
};

TEST_F(Saving, EditsSurviveAnExitAndASignal)
{
    create_world_1();
    xs_key("Tab");
    xs_sleep(2.5);          // fall to the ground
    look(200, 12);
    look(-100, 4);          // 40 degrees down: the ground ahead
    xs_key("5");            // the rock cell
    xs_click(3);            // a rock block in front
    xs_sleep(0.3);
    look(200, 12);          // down at the ground under the feet
    xs_button_down(1);
    // The grass block breaks and its box lands in hot-bar cell 7.
    EXPECT_TRUE(wait_count_in_cell(7, 15));
    xs_button_up(1);
    xs_sleep(0.3);
    screenshot("save-edited");
    quit_and_wait();

    std::vector<std::string> files = chunk_files();
    EXPECT_GE(files.size(), 36u);
    for (const std::string &f : files)
        EXPECT_EQ(size_of(f), 524288) << f;
    // The block under the start position (column 56, 56 of chunk 4-4-4) was
    // grass; earth is on top of that column now.
    std::string chunk = file("saves/world 1/4-4-4.qrb");
    ASSERT_EQ(chunk.size(), 524288u);
    EXPECT_EQ(top_id(chunk, 56, 56), 3);
    // The placed rock stands on grass: the generator puts rock only at level 0.
    int placed = 0;
    for (const std::string &f : files) {
        if (f.compare(f.size() - 6, 6, "-4.qrb") != 0)
            continue;
        std::string bytes = file("saves/world 1/" + f);
        for (int lx = 0; lx < 64; lx++)
            for (int ly = 0; ly < 64; ly++)
                for (int lz = 1; lz < 64; lz++)
                    placed += block(bytes, lx, ly, lz) == 2 && block(bytes, lx, ly, lz - 1) == 1;
    }
    EXPECT_EQ(placed, 1) << xs_output().substr(0, 4000);

    // Opened again from the list: every chunk comes from its file.
    open_world_1();
    wait_for("loaded ", 36);
    EXPECT_EQ(xs_count_output("created "), 0) << xs_output();
    screenshot("save-reopened");

    quit_and_wait();

    // Killed politely while playing: the chunks not written yet are written
    // all the same. Only the edited chunk keeps its file; the others are new.
    int status = -100;
    reopen_with_only_the_edited_chunk();
    xs_kill_game(SIGTERM);
    ASSERT_TRUE(xs_wait_exit(10, &status));
    EXPECT_EQ(status, 0);
    files = chunk_files();
    EXPECT_GE(files.size(), 36u);
    for (const std::string &f : files)
        EXPECT_EQ(size_of(f), 524288) << f;
    EXPECT_EQ(top_id(file("saves/world 1/4-4-4.qrb"), 56, 56), 3);

    // Closed the way a window manager closes it: the same.
    reopen_with_only_the_edited_chunk();
    ASSERT_TRUE(xs_close_window(window));
    ASSERT_TRUE(xs_wait_exit(10, &status));
    EXPECT_EQ(status, 0);
    EXPECT_GE(chunk_files().size(), 36u);
    EXPECT_EQ(top_id(file("saves/world 1/4-4-4.qrb"), 56, 56), 3);
}

}  // namespace
