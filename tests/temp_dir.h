// Files and fresh folders for tests of code that reads and writes relative paths.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
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

// What f() printed to standard output (kept out of the test's log).
template <typename F>
std::string said(F f) { return testing::internal::CaptureStdout(), f(), testing::internal::GetCapturedStdout(); }

// How many files this process holds open.
inline long open_files()
{
    return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), std::filesystem::directory_iterator());
}

// A shell command's standard output and error together, and its exit code.
struct command_result { std::string text; int status = -1; };

inline command_result run_command(const std::string &cmd)
{
    command_result r;
    FILE *p = popen((cmd + " 2>&1").c_str(), "r");
    for (int c; p && (c = fgetc(p)) != EOF;)
        r.text += (char)c;
    int w = p ? pclose(p) : -1;
    r.status = w != -1 && WIFEXITED(w) ? WEXITSTATUS(w) : -1;
    return r;
}

// Each test works in a fresh folder of its own, removed after it.
class InTempDir : public ::testing::Test {
protected:
    char dir[64] = "/tmp/quarrow-test-XXXXXX";
    void SetUp() override { ASSERT_TRUE(mkdtemp(dir) && chdir(dir) == 0); }
    void TearDown() override { EXPECT_TRUE(chdir("/") == 0 && system((std::string("rm -rf '") + dir + "'").c_str()) == 0); }
    static void write_file(const std::string &path, const std::string &bytes) { std::ofstream(path, std::ios::binary) << bytes; }
};
