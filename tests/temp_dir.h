// A fresh working folder for tests of code that reads and writes relative paths.
#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// The whole content of a file; empty when it cannot be read.
inline std::string read_file(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
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
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, p)) > 0;)
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
        EXPECT_EQ(system((std::string("rm -rf '") + dir + "'").c_str()), 0);
    }
    static void write_file(const std::string &path, const std::string &bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
};
