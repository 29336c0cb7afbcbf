// Phrase files: line n is phrase n, whatever the line ends and lengths.
#include "gui/lang.h"

#include "temp_dir.h"

#include <sys/stat.h>

#include <unistd.h>

#include <cstring>

namespace {

class Phrases : public InTempDir {
protected:
    void SetUp() override
    {
        InTempDir::SetUp();
        memset(frazes, 0, sizeof frazes);
        mkdir("lang", 0755);
    }
};

TEST_F(Phrases, LinesBecomeNumberedPhrases)
{
    write_file("lang/aaa.txt", "A\nB\r\nC\n");
    lang_init("aaa");
    EXPECT_STREQ(lang_get(0), "");
    EXPECT_STREQ(lang_get(1), "A");
    EXPECT_STREQ(lang_get(2), "B");   // no carriage return left over
    EXPECT_STREQ(lang_get(3), "C");
    EXPECT_STREQ(lang_get(4), "");

    // A shorter file leaves the later phrases of the earlier one.
    std::string thirty, twenty;
    for (int i = 1; i <= 30; i++)
        thirty += "first " + std::to_string(i) + "\n";
    for (int i = 1; i <= 20; i++)
        twenty += "second " + std::to_string(i) + "\n";
    write_file("lang/one.txt", thirty);
    write_file("lang/two.txt", twenty);
    lang_init("one");
    lang_init("two");
    EXPECT_STREQ(lang_get(20), "second 20");
    EXPECT_STREQ(lang_get(21), "first 21");
    EXPECT_STREQ(lang_get(30), "first 30");

    // The last line keeps all its characters without a final line break.
    write_file("lang/end.txt", "x\nlast");
    lang_init("end");
    EXPECT_STREQ(lang_get(2), "last");
}

TEST_F(Phrases, LongLinesAreCutAndKeepTheNumbering)
{
    std::string file = std::string(130, 'L') + "\nnext\n" + std::string(127, 'M') + "\nafter\n";
    write_file("lang/long.txt", file);
    lang_init("long");
    EXPECT_EQ(std::string(lang_get(1)), std::string(127, 'L'));
    EXPECT_STREQ(lang_get(2), "next");
    EXPECT_EQ(std::string(lang_get(3)), std::string(127, 'M'));
    EXPECT_STREQ(lang_get(4), "after");
}

TEST_F(Phrases, OnlyPhrasesUpTo255AreStored)
{
    std::string file;
    for (int i = 1; i <= 300; i++)
        file += "p" + std::to_string(i) + "\n";
    write_file("lang/many.txt", file);
    lang_init("many");
    EXPECT_STREQ(lang_get(255), "p255");
    EXPECT_STREQ(lang_get(256), "");   // outside the table: empty, never out of bounds
    EXPECT_STREQ(lang_get(-1), "");
}

TEST_F(Phrases, MissingFileReportsAndKeepsTheTable)
{
    write_file("lang/aaa.txt", "kept\n");
    lang_init("aaa");
    testing::internal::CaptureStdout();
    lang_init("zzz");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "fail not found lang/zzz.txt");
    EXPECT_STREQ(lang_get(1), "kept");
    // A code with a percent sign is printed, never used as a format.
    testing::internal::CaptureStdout();
    lang_init("%s%n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "fail not found lang/%s%n.txt");
}

TEST_F(Phrases, AMissingLanguageFallsBackToTheOtherOne)
{
    write_file("lang/rus.txt", "Russian 1\n");
    struct { const char *code; bool fifo; } cases[] = {{"eng", false}, {"xyz", false}, {"eng", true}};
    for (const auto &c : cases) {
        memset(frazes, 0, sizeof frazes);
        std::string path = std::string("lang/") + c.code + ".txt";
        if (c.fifo) {
            ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);   // never waited on
        }
        testing::internal::CaptureStdout();
        lang_init(c.code);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "fail not found " + path + ", lang/rus.txt used instead \n");
        EXPECT_STREQ(lang_get(1), "Russian 1") << c.code;
        unlink(path.c_str());
    }
}

}  // namespace
