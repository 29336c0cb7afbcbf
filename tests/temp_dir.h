// A fresh working folder for tests of code that reads and writes relative paths.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// The whole content of a file; empty when it cannot be read.
inline std::string read_file(const std::string &path)
{
    std::string bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    char chunk[65536];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, f)) > 0)
        bytes.append(chunk, n);
    fclose(f);
    return bytes;
}

// A shell command's standard output and error together, and its exit code.
struct command_result {
    std::string text;
    int status = -1;
};

inline command_result run_command(const std::string &cmd)
{
    command_result r;
    FILE *p = popen((cmd + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char chunk[4096];
    size_t n;
    while ((n = fread(chunk, 1, sizeof chunk, p)) > 0)
        r.text.append(chunk, n);
    int w = pclose(p);
    r.status = WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    return r;
}

class InTempDir : public ::testing::Test {
protected:
    char dir[64] = "/tmp/quarrow-test-XXXXXX";
    char old_dir[4096] = "";

    void SetUp() override
    {
        ASSERT_NE(getcwd(old_dir, sizeof old_dir), nullptr);
        ASSERT_NE(mkdtemp(dir), nullptr);
        ASSERT_EQ(chdir(dir), 0);
    }
    void TearDown() override
    {
        EXPECT_EQ(chdir(old_dir), 0);
        std::string cmd = std::string("rm -rf '") + dir + "'";
        EXPECT_EQ(system(cmd.c_str()), 0);
    }
    static void write_file(const char *path, const std::string &bytes)
    {
        FILE *f = fopen(path, "wb");
        ASSERT_NE(f, nullptr) << path;
        fwrite(bytes.data(), 1, bytes.size(), f);
        fclose(f);
    }
};
