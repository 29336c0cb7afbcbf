// A game whose world folder the test reads: chunk files, their sizes and blocks.
#pragma once
#include "game_fixture.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstring>

#include <string>
#include <vector>

class WorldFolderTest : public GameTest {
protected:
    std::string world_dir() { return run_dir + "/saves/world 1"; }

    std::vector<std::string> chunk_files() { return files_ending(".qrb"); }
    long size_of(const std::string &name)
    {
        struct stat st;
        return stat((world_dir() + "/" + name).c_str(), &st) == 0 ? (long)st.st_size : -1;
    }
    // Block id of a chunk file at local (lx, ly, lz).
    int block(const std::string &bytes, int lx, int ly, int lz)
    {
        size_t at = 2 * (((size_t)lx * 64 + ly) * 64 + lz);
        return (unsigned char)bytes[at] | (unsigned char)bytes[at + 1] << 8;
    }
    int top_id(const std::string &bytes, int lx, int ly)
    {
        if (bytes.size() != 524288)
            return -1;   // no file, or not a whole one
        for (int lz = 63; lz >= 0; lz--)
            if (block(bytes, lx, ly, lz))
                return block(bytes, lx, ly, lz);
        return 0;
    }
    // Files of the world folder whose names end with suffix.
    std::vector<std::string> files_ending(const char *suffix)
    {
        std::vector<std::string> names;
        DIR *d = opendir(world_dir().c_str());
        if (!d)
            return names;
        size_t n = strlen(suffix);
        while (dirent *e = readdir(d)) {
            std::string name = e->d_name;
            if (name.size() > n && name.compare(name.size() - n, n, suffix) == 0)
                names.push_back(name);
        }
        closedir(d);
        return names;
    }
    // A new "world 1", with its first 36 chunks.
    void create_world_1()
    {
        start_new_world();
        wait_for("created ", 36);
    }
    // Starts the game and opens "world 1" from the list.
    void open_world_1()
    {
        start_game();
        click_menu(400, 265);
        click_menu(250, 235);
        wait_for("save_load version 0.100000, world name world 1 \n", 1);
    }
    void wait_for(const char *needle, int count)
    {
        for (int i = 0; i < 300 && xs_count_output(needle) < count; i++)
            xs_sleep(0.1);
        ASSERT_GE(xs_count_output(needle), count) << xs_output();
    }
};

